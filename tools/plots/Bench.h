#pragma once

#include "RenderOptions.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace vexa::plots
{
using Settings = std::vector<render::ParameterAssignment>;

/** Runs signals through the real plug-in: each run loads a fresh instance of the bundle
    (so no state carries over), applies the settings as `--set` would, and processes the
    signal in blocks followed by silence for the latency, which it then takes off. */
class Bench
{
public:
    Bench (juce::File bundle, double sampleRate);

    double sampleRate() const noexcept { return rate; }

    /** The stereo output, lined up with the input and of the same length. */
    juce::AudioBuffer<float> run (const Settings& settings, const juce::AudioBuffer<float>& input) const;

    /** Seconds to frames at the bench's rate. */
    int frames (double seconds) const { return juce::roundToInt (seconds * rate); }

private:
    juce::File bundle;
    double rate;
};

/** The mean square of one channel over frames [start, start + length). */
double meanSquare (const juce::AudioBuffer<float>& audio, int channel, int start, int length);

double toDb (double power);
} // namespace vexa::plots
