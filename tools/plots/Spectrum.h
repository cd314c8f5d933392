#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace vexa::plots
{
/** The magnitude spectrum of one channel, with a 7-term Blackman-Harris window (side lobes
    below -180 dB) and scaled so that a sine of peak amplitude 1 reads 0 dB. */
struct Spectrum
{
    double binHz = 0.0;
    std::vector<double> levelDb; // bins 0 .. size/2

    /** The highest level within `bins` bins of `hz`. */
    double peakNear (double hz, int bins = 4) const;
};

/** `order` is log2 of the transform size; frames [start, start + 2^order) of `channel`. */
Spectrum spectrumOf (const juce::AudioBuffer<float>& audio, int channel, int start, int order, double sampleRate);
} // namespace vexa::plots
