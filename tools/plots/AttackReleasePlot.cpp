#include "Plots.h"

#include <cmath>

namespace vexa::plots
{
namespace
{
constexpr double kToneHz = 1000.0;
constexpr double kQuietDb = -40.0, kLoudDb = -5.0; // RMS of each channel
constexpr double kBeforeSeconds = 0.3, kBurstSeconds = 1.5, kAfterSeconds = 3.2;

/** A tone burst with a sine on the left and a cosine on the right. With the stereo link on,
    both channels get the same gain g, so the length of the (left, right) output pair is g times
    the length it has when nothing is compressed, at every sample. */
struct Burst
{
    juce::AudioBuffer<float> audio;
    int start = 0, end = 0;
};

Burst makeBurst (const Bench& bench)
{
    Burst burst;
    burst.start = bench.frames (kBeforeSeconds);
    burst.end = burst.start + bench.frames (kBurstSeconds);
    const int total = burst.end + bench.frames (kAfterSeconds);
    burst.audio.setSize (2, total);

    const auto peak = [] (double rmsDb) { return std::sqrt (2.0) * std::pow (10.0, rmsDb / 20.0); };
    for (int i = 0; i < total; ++i)
    {
        const double a = (i >= burst.start && i < burst.end) ? peak (kLoudDb) : peak (kQuietDb);
        const double phase = juce::MathConstants<double>::twoPi * kToneHz * i / bench.sampleRate();
        burst.audio.setSample (0, i, (float) (a * std::sin (phase)));
        burst.audio.setSample (1, i, (float) (a * std::cos (phase)));
    }
    return burst;
}

double length (const juce::AudioBuffer<float>& stereo, int i)
{
    const double l = stereo.getSample (0, i), r = stereo.getSample (1, i);
    return std::sqrt (l * l + r * r);
}

/** Gain change in dB against time in ms or s around `origin`, thinned to about `points` points.
    `uncompressed` is the same burst through the plug-in with no gain change, so that the
    oversampler's filtering of the burst's edges cancels out. */
Series gainTrace (const Bench& bench, const juce::AudioBuffer<float>& uncompressed, const juce::AudioBuffer<float>& output,
                  int origin, double fromSeconds, double toSeconds, double timeUnit, int points)
{
    Series series;
    const int first = juce::jmax (0, origin + bench.frames (fromSeconds));
    const int last = juce::jmin (output.getNumSamples() - 1, origin + bench.frames (toSeconds));
    const int step = juce::jmax (1, (last - first) / points);
    for (int i = first; i <= last; i += step)
    {
        const double gain = length (output, i) / length (uncompressed, i);
        series.points.push_back ({ (i - origin) / bench.sampleRate() / timeUnit, 20.0 * std::log10 (gain) });
    }
    return series;
}

Settings burstSettings (const char* attack, const char* release, const char* threshold = "-20")
{
    return { { "threshold", threshold }, { "ratio", "4:1" }, { "attack", attack }, { "release", release },
             { "makeup", "0" },      { "drive", "0" },   { "stereoLink", "on" }, { "scHPF", "off" } };
}

std::function<juce::String (double)> decimals (int places)
{
    return [places] (double v) { return juce::String (v, places); };
}
} // namespace

Figure attackReleaseFigure (const Bench& bench)
{
    const auto burst = makeBurst (bench);
    // At threshold 0 dBFS the burst (-5 dBFS RMS) stays below the knee: no gain change at all.
    const auto uncompressed = bench.run (burstSettings ("1ms", "0.3s", "0"), burst.audio);

    Axis attackTime { "time after the burst starts (ms)", -10.0, 150.0, evenTicks (0.0, 150.0, 25.0) };
    Axis releaseTime { "time after the burst ends (s)", -0.2, 3.2, evenTicks (0.0, 3.0, 0.5), false, decimals (1) };
    const Axis gain { "gain change (dB)", -12.0, 1.0, evenTicks (-12.0, 0.0, 2.0) };

    Chart attackChart ("Attack (release 0.3 s)", attackTime, gain);
    Chart releaseChart ("Release (attack 1 ms)", releaseTime, gain);
    attackChart.legendAt (Corner::topRight);
    releaseChart.legendAt (Corner::bottomRight);

    // Each choice in its own colour; AUTO as a thin black dashed line over them.
    const auto style = [] (auto& trace, const juce::String& name, bool automatic, int& index)
    {
        trace.name = name;
        trace.colour = automatic ? juce::Colours::black : seriesColour (index++);
        trace.dashed = automatic;
        trace.thickness = automatic ? 1.6f : 2.2f;
    };

    const char* const attacks[] = { "0.1ms", "0.3ms", "1ms", "3ms", "10ms", "30ms", "AUTO" };
    int index = 0;
    for (const auto* attack : attacks)
    {
        const bool automatic = juce::String (attack) == "AUTO";
        auto trace = gainTrace (bench, uncompressed, bench.run (burstSettings (attack, "0.3s"), burst.audio), burst.start,
                                -0.010, 0.150, 0.001, 4000);
        style (trace, automatic ? juce::String ("AUTO") : juce::String (attack).replace ("ms", " ms"), automatic, index);
        attackChart.add (trace);
    }

    const char* const releases[] = { "0.1s", "0.3s", "0.6s", "1.2s", "AUTO" };
    index = 0;
    for (const auto* release : releases)
    {
        const bool automatic = juce::String (release) == "AUTO";
        auto trace = gainTrace (bench, uncompressed, bench.run (burstSettings ("1ms", release), burst.audio), burst.end,
                                -0.2, 3.2, 1.0, 3000);
        style (trace, automatic ? juce::String ("AUTO") : juce::String (release).replace ("s", " s"), automatic, index);
        releaseChart.add (trace);
    }

    Figure figure;
    figure.fileName = "plot-attack-release.png";
    figure.title = "Vexa Compressor: gain reduction against time";
    figure.caption = {
        "A 1 kHz tone steps from -40 to -5 dBFS RMS for 1.5 s and back; threshold -20 dBFS, ratio 4:1, make-up 0 dB, drive 0 %.",
        "The tone is a sine on the left and a cosine on the right with the stereo link on, so both channels get the same gain and",
        "the gain is read at every sample from the length of the (left, right) output pair, against the same burst through the",
        "plug-in at threshold 0 dBFS (no gain change), so that the oversampler's filtering of the edges cancels out.",
        "The 10 ms RMS detector sets a floor under the shortest attack times. AUTO on either control makes the whole envelope",
        "automatic: a 10 ms attack (on top of the 10 ms trace) and a program-dependent release that blends a 0.1 s and",
        "a 1.2 s follower (here it soon joins the 1.2 s trace).",
    };
    figure.charts.push_back (std::move (attackChart));
    figure.charts.push_back (std::move (releaseChart));
    figure.columns = 2;
    figure.chartWidth = 640;
    figure.chartHeight = 480;
    return figure;
}
} // namespace vexa::plots
