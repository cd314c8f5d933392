#include "Plots.h"

#include <cmath>

namespace vexa::plots
{
namespace
{
constexpr double kThresholdDb = -20.0;
constexpr double kToneHz = 1000.0;
constexpr double kHoldSeconds = 1.0, kMeasureSeconds = 0.25;

struct Ratio
{
    const char* text;
    double value;
};
const Ratio kRatios[] = { { "2:1", 2.0 }, { "4:1", 4.0 }, { "10:1", 10.0 } };

/** The soft-knee gain curve applied to a level directly, as a detector hearing only the input would. */
double textbookOutputDb (double levelDb, double ratio)
{
    const double slope = 1.0 - 1.0 / ratio, kneeLow = kThresholdDb - 3.0, kneeHigh = kThresholdDb + 3.0;
    if (levelDb <= kneeLow)
        return levelDb;
    if (levelDb >= kneeHigh)
        return levelDb - slope * (levelDb - kThresholdDb);
    return levelDb - slope * (levelDb - kneeLow) * (levelDb - kneeLow) / 12.0;
}

juce::AudioBuffer<float> steadySine (const Bench& bench, double rmsDb)
{
    const double amplitude = std::sqrt (2.0) * std::pow (10.0, rmsDb / 20.0);
    juce::AudioBuffer<float> audio (2, bench.frames (kHoldSeconds));
    for (int i = 0; i < audio.getNumSamples(); ++i)
    {
        const auto v = (float) (amplitude * std::sin (juce::MathConstants<double>::twoPi * kToneHz * i / bench.sampleRate()));
        audio.setSample (0, i, v);
        audio.setSample (1, i, v);
    }
    return audio;
}

std::vector<double> inputLevels()
{
    std::vector<double> levels;
    for (double db = -40.0; db <= 0.001; db += 1.0)
        levels.push_back (db);
    return levels;
}
} // namespace

Figure compressionCurveFigure (const Bench& bench)
{
    Axis x { "input level (dBFS RMS)", -40.0, 0.0, evenTicks (-40.0, 0.0, 5.0) };
    Axis y { "output level (dBFS RMS)", -40.0, 0.0, evenTicks (-40.0, 0.0, 5.0) };
    Chart chart ("Static curve at threshold -20 dBFS", x, y);
    chart.legendAt (Corner::topLeft);

    chart.add ({ "1:1 (no gain change)", juce::Colour (0xffa0a6ad), { { -40.0, -40.0 }, { 0.0, 0.0 } }, 1.0f, true });

    int index = 0;
    for (const auto& ratio : kRatios)
    {
        const auto colour = seriesColour (index++);
        Series measured { juce::String (ratio.text) + " measured", colour, {}, 2.4f, false };
        Series textbook { juce::String (ratio.text) + " curve on input level alone", colour.withAlpha (0.6f), {}, 1.4f, true };

        for (const double level : inputLevels())
        {
            const auto output = bench.run ({ { "threshold", "-20" }, { "ratio", ratio.text }, { "attack", "1ms" },
                                             { "release", "0.1s" }, { "makeup", "0" }, { "drive", "0" } },
                                           steadySine (bench, level));
            const int measureFrames = bench.frames (kMeasureSeconds);
            const double out = toDb (meanSquare (output, 0, output.getNumSamples() - measureFrames, measureFrames));
            measured.points.push_back ({ level, out });
        }
        for (double level = -40.0; level <= 0.0; level += 0.25)
            textbook.points.push_back ({ level, textbookOutputDb (level, ratio.value) });

        chart.add (textbook).add (measured);
    }

    Figure figure;
    figure.fileName = "plot-compression-curve.png";
    figure.title = "Vexa Compressor: compression curve";
    figure.caption = {
        "Measured through the plug-in with a 1 kHz sine held for 1 s at each input level; output RMS over the last 250 ms.",
        "Threshold -20 dBFS, attack 1 ms, release 0.1 s, make-up 0 dB, drive 0 %. Levels are RMS: 0 dBFS RMS is a sine of peak 1.41.",
        "Dashed: the 6 dB soft-knee curve applied to the input level alone. The measured curves lie above it because the",
        "RMS detector hears the compressed output as well as the input, so it reads a lower level and compresses less.",
    };
    figure.charts.push_back (std::move (chart));
    figure.chartWidth = 820;
    figure.chartHeight = 620;
    return figure;
}
} // namespace vexa::plots
