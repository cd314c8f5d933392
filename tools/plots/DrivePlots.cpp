#include "Plots.h"
#include "Spectrum.h"

#include <cmath>

namespace vexa::plots
{
namespace
{
const char* const kDrives[] = { "0", "50", "100" };

/** Threshold 0 dBFS and 2:1: a sine of peak 1 reads about -3 dBFS RMS, the knee's lower edge,
    so the compressor leaves it alone and the drive stage alone shapes it. */
Settings driveSettings (const char* drive)
{
    return { { "threshold", "0" }, { "ratio", "2:1" }, { "attack", "1ms" }, { "release", "0.1s" },
             { "makeup", "0" },    { "drive", drive }, { "stereoLink", "on" }, { "scHPF", "off" } };
}

juce::AudioBuffer<float> fullScaleSine (const Bench& bench, double hz, double seconds)
{
    juce::AudioBuffer<float> audio (2, bench.frames (seconds));
    for (int i = 0; i < audio.getNumSamples(); ++i)
    {
        const auto v = (float) std::sin (juce::MathConstants<double>::twoPi * hz * i / bench.sampleRate());
        audio.setSample (0, i, v);
        audio.setSample (1, i, v);
    }
    return audio;
}

juce::String driveName (const char* drive) { return juce::String ("drive ") + drive + " %"; }

double mean (const juce::AudioBuffer<float>& audio, int start, int length)
{
    double sum = 0.0;
    for (int i = start; i < start + length; ++i)
        sum += audio.getSample (0, i);
    return sum / length;
}

/** Text with `places` decimals and a sign, never "-0.0". */
juce::String signedNumber (double value, int places)
{
    const double scale = std::pow (10.0, places);
    const double rounded = std::round (value * scale) / scale;
    return (rounded > 0.0 ? "+" : rounded < 0.0 ? "-" : "") + juce::String (std::abs (rounded), places);
}

juce::String signedDb (double db) { return signedNumber (db, 1) + " dB"; }
} // namespace

Figure driveCurveFigure (const Bench& bench)
{
    // One period of a slow sine, late enough for everything to have settled.
    constexpr double toneHz = 200.0;
    const auto input = fullScaleSine (bench, toneHz, 0.5);
    const int period = bench.frames (1.0 / toneHz);
    const int start = input.getNumSamples() - period - 1;

    Axis x { "input sample value (full scale = 1)", -1.0, 1.0, evenTicks (-1.0, 1.0, 0.25) };
    x.format = [] (double v) { return juce::String (v, 2); };
    Axis y = x;
    y.label = "output sample value";
    Chart chart ("Drive stage transfer curve", x, y);
    chart.legendAt (Corner::topLeft);
    chart.add ({ "output = input", juce::Colour (0xffa0a6ad), { { -1.0, -1.0 }, { 1.0, 1.0 } }, 1.0f, true });

    int index = 0;
    for (const auto* drive : kDrives)
    {
        const auto output = bench.run (driveSettings (drive), input);
        Series series { driveName (drive), seriesColour (index++), {}, 2.4f, false };
        for (int i = start; i <= start + period; ++i)
            series.points.push_back ({ input.getSample (0, i), output.getSample (0, i) });

        double top = 0.0, bottom = 0.0;
        for (int i = start; i <= start + period; ++i)
        {
            top = juce::jmax (top, (double) output.getSample (0, i));
            bottom = juce::jmin (bottom, (double) output.getSample (0, i));
        }
        chart.add (series).note (driveName (drive) + ": output peaks " + signedNumber (top, 3) + " and " + signedNumber (bottom, 3));
    }

    Figure figure;
    figure.fileName = "plot-drive-curve.png";
    figure.title = "Vexa Compressor: drive stage";
    figure.caption = {
        "Measured through the plug-in: one period of a 200 Hz sine of peak 1, output against input sample by sample after",
        "the latency is taken off. Threshold 0 dBFS and ratio 2:1 keep the compressor out of the way.",
        "The drive is a normalised tanh with a small squared term, run at twice the sample rate: it flattens the peaks,",
        "lowers the level at full scale and bends the curve slightly upwards (even harmonics, a small DC offset).",
    };
    figure.charts.push_back (std::move (chart));
    figure.chartWidth = 700;
    figure.chartHeight = 640;
    return figure;
}

Figure driveSpectrumFigure (const Bench& bench)
{
    constexpr int order = 15; // 32768 frames
    // The FFT bin nearest 1 kHz, so that the tone and its harmonics sit on bins: no scalloping,
    // and a whole number of periods in the analysed span.
    const double binHz = bench.sampleRate() / (1 << order);
    const double toneHz = std::round (1000.0 / binHz) * binHz;
    const auto input = fullScaleSine (bench, toneHz, 1.5);
    const int start = bench.frames (0.5);

    Figure figure;
    figure.fileName = "plot-drive-spectrum.png";
    figure.title = "Vexa Compressor: spectrum of a 1 kHz sine through the drive stage";

    int index = 0;
    for (const auto* drive : kDrives)
    {
        const auto output = bench.run (driveSettings (drive), input);
        const auto spectrum = spectrumOf (output, 0, start, order, bench.sampleRate());

        Axis x { "frequency (Hz)", 20.0, 24000.0, { 20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0 }, true };
        x.format = [] (double hz) { return hz >= 1000.0 ? juce::String (hz / 1000.0, 0) + "k" : juce::String (hz, 0); };
        Axis y { "level (dB re a sine of peak 1)", -160.0, 10.0, evenTicks (-160.0, 0.0, 20.0) };

        Series series { {}, seriesColour (index++), {}, 1.2f, false };
        for (size_t b = 1; b < spectrum.levelDb.size(); ++b)
            series.points.push_back ({ (double) b * spectrum.binHz, spectrum.levelDb[b] });

        const double fundamental = spectrum.peakNear (toneHz);
        Chart chart (driveName (drive), x, y);
        chart.legendAt (Corner::bottomLeft)
            .add (series)
            .note ("1 kHz: " + signedDb (fundamental))
            .note ("2nd harmonic: " + signedDb (spectrum.peakNear (2.0 * toneHz) - fundamental) + " re 1 kHz")
            .note ("3rd harmonic: " + signedDb (spectrum.peakNear (3.0 * toneHz) - fundamental) + " re 1 kHz")
            .note ("DC offset: " + signedNumber (mean (output, start, 1 << order), 4) + " of full scale");
        figure.charts.push_back (std::move (chart));
    }

    figure.caption = {
        "Measured through the plug-in: a sine of peak 1 at " + juce::String (toneHz, 1) + " Hz (on an FFT bin), threshold 0 dBFS and ratio 2:1 so that",
        "the compressor stays out of the way; 32768 samples at 48 kHz after 0.5 s, 7-term Blackman-Harris window. At drive 0 %",
        "only the oversampler's filters act; the drive adds odd harmonics (tanh) and even ones with a DC offset (the squared term).",
    };
    figure.columns = 1;
    figure.chartWidth = 900;
    figure.chartHeight = 300;
    return figure;
}
} // namespace vexa::plots
