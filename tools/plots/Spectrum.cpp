#include "Spectrum.h"

#include <juce_dsp/juce_dsp.h>

#include <cmath>

namespace vexa::plots
{
namespace
{
constexpr double kBlackmanHarris7[] = { 0.27105140069342, -0.43329793923448, 0.21812299954311, -0.06592544638803,
                                        0.01081174209837, -0.00077658482522, 0.00001388721735 };

double window (int i, int size)
{
    double w = 0.0;
    for (int k = 0; k < 7; ++k)
        w += kBlackmanHarris7[k] * std::cos (juce::MathConstants<double>::twoPi * k * i / size);
    return w;
}
} // namespace

double Spectrum::peakNear (double hz, int bins) const
{
    const int centre = juce::roundToInt (hz / binHz);
    double best = -1000.0;
    for (int b = juce::jmax (0, centre - bins); b <= juce::jmin ((int) levelDb.size() - 1, centre + bins); ++b)
        best = juce::jmax (best, levelDb[(size_t) b]);
    return best;
}

Spectrum spectrumOf (const juce::AudioBuffer<float>& audio, int channel, int start, int order, double sampleRate)
{
    const int size = 1 << order;
    juce::dsp::FFT fft (order);
    std::vector<float> data ((size_t) (2 * size), 0.0f);
    for (int i = 0; i < size; ++i)
        data[(size_t) i] = (float) (audio.getSample (channel, start + i) * window (i, size));
    fft.performFrequencyOnlyForwardTransform (data.data(), true);

    Spectrum spectrum;
    spectrum.binHz = sampleRate / size;
    const double scale = 2.0 / (size * kBlackmanHarris7[0]); // a sine of peak 1 reads 0 dB
    for (int b = 0; b <= size / 2; ++b)
        spectrum.levelDb.push_back (20.0 * std::log10 (juce::jmax (1.0e-12, data[(size_t) b] * scale)));
    return spectrum;
}
} // namespace vexa::plots
