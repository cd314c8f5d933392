#include "Bench.h"

#include "HostedPlugin.h"
#include "ParameterTable.h"

#include <cmath>

namespace vexa::plots
{
namespace
{
constexpr int kBlockSize = 512;
}

Bench::Bench (juce::File bundleFile, double sampleRate) : bundle (std::move (bundleFile)), rate (sampleRate) {}

juce::AudioBuffer<float> Bench::run (const Settings& settings, const juce::AudioBuffer<float>& input) const
{
    render::HostedPlugin plugin (bundle, rate, kBlockSize);
    render::ParameterTable (plugin.instance()).apply (settings);

    const int latency = plugin.latencySamples();
    const int total = input.getNumSamples() + latency;
    juce::AudioBuffer<float> work (2, total);
    work.clear();
    for (int c = 0; c < 2; ++c)
        work.copyFrom (c, 0, input, juce::jmin (c, input.getNumChannels() - 1), 0, input.getNumSamples());

    for (int start = 0; start < total; start += kBlockSize)
    {
        juce::AudioBuffer<float> block (work.getArrayOfWritePointers(), 2, start, juce::jmin (kBlockSize, total - start));
        plugin.process (block);
    }

    juce::AudioBuffer<float> aligned (2, input.getNumSamples());
    for (int c = 0; c < 2; ++c)
        aligned.copyFrom (c, 0, work, c, latency, input.getNumSamples());
    return aligned;
}

double meanSquare (const juce::AudioBuffer<float>& audio, int channel, int start, int length)
{
    double sum = 0.0;
    for (int i = start; i < start + length; ++i)
        sum += (double) audio.getSample (channel, i) * audio.getSample (channel, i);
    return sum / juce::jmax (1, length);
}

double toDb (double power)
{
    return 10.0 * std::log10 (juce::jmax (power, 1.0e-30));
}
} // namespace vexa::plots
