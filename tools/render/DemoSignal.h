#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace vexa::render
{
/** A short stereo groove for demonstrating the compressor: a kick on every beat, a snare on
    the off-beats and hi-hats on the eighths (bursts of tone and noise with fast decays) over
    a plucked bass line, at 120 beats per minute. Peaks reach -1 dBFS; the loud drum hits lie
    well above the bass, so a threshold near -20 dBFS makes the compressor pump audibly.
    The same on every call (fixed random seed). */
juce::AudioBuffer<float> makeDemoSignal (double sampleRate, double seconds);
} // namespace vexa::render
