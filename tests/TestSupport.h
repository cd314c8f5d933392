#pragma once

#include "PluginProcessor.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

/** Reaches the engine's private state from the tests. */
struct VexaProcessorTestAccess
{
    static auto& rmsDetectors (VexaProcessor& p) { return p.rmsDetectors; }
    static auto& sidechainFilters (VexaProcessor& p) { return p.sidechainFilters; }
    static auto& envelopes (VexaProcessor& p) { return p.envelopes; }
    static auto& settings (VexaProcessor& p) { return p.settings; }
    static double blockGainReductionDb (VexaProcessor& p) { return p.blockGainReductionDb; }
    static double makeupGain (VexaProcessor& p) { return p.makeupGain; }
    static double driveGain (VexaProcessor& p) { return p.driveGain; }
    static double driveNormaliser (VexaProcessor& p) { return p.driveNormaliser; }
    static double driveAsymmetry (VexaProcessor& p) { return p.driveAsymmetry; }
    static double driveOutputScale (VexaProcessor& p) { return p.driveOutputScale; }
    static double sampleRate (VexaProcessor& p) { return p.sampleRate; }

    /** Runs only the compressor (detector, gain computer, envelope, gain stage) over the samples,
        with the parameters read as a block would read them; returns the deepest gain change. */
    static double compressOnly (VexaProcessor& p, float* left, float* right, int n)
    {
        p.readParameters();
        p.updateDerivedValues();
        p.updateEnvelopeTiming();
        return p.runSampleLoop (left, right, n);
    }
};

namespace juce::detail
{
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace vexa_test
{
/** Runs the message loop (timers, async updates) for a while on the calling message thread. */
inline void pumpMessages (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;
    while (juce::Time::getMillisecondCounter() < end)
        if (! juce::detail::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
}

/** Sets a parameter by its plain value, as a host or the editor would. */
inline void setParameter (VexaProcessor& p, const char* id, float plainValue)
{
    auto* parameter = p.apvts.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
}

inline float parameterValue (VexaProcessor& p, const char* id)
{
    return p.apvts.getRawParameterValue (id)->load();
}

/** A stereo buffer filled by a generator of (channel, sample index). */
inline juce::AudioBuffer<float> makeBuffer (int numSamples, const std::function<float (int, int)>& generator)
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < numSamples; ++i)
            buffer.setSample (c, i, generator (c, i));
    return buffer;
}

inline float sine (double amplitude, double frequency, double sampleRate, int i)
{
    return static_cast<float> (amplitude * std::sin (2.0 * juce::MathConstants<double>::pi * frequency * i / sampleRate));
}

/** Processes a whole buffer through processBlock in host-sized blocks. */
inline void processInBlocks (VexaProcessor& p, juce::AudioBuffer<float>& buffer, int blockSize)
{
    juce::MidiBuffer midi;
    for (int start = 0; start < buffer.getNumSamples(); start += blockSize)
    {
        const int n = std::min (blockSize, buffer.getNumSamples() - start);
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, start, n);
        p.processBlock (view, midi);
    }
}

/** FNV-1a over the bit patterns of every sample: pins a rendering exactly. */
inline uint64_t checksum (const juce::AudioBuffer<float>& buffer)
{
    uint64_t hash = 1469598103934665603ull;
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
        {
            uint32_t bits;
            const float v = buffer.getSample (c, i);
            std::memcpy (&bits, &v, sizeof bits);
            for (int b = 0; b < 4; ++b)
            {
                hash ^= (bits >> (8 * b)) & 0xffu;
                hash *= 1099511628211ull;
            }
        }
    return hash;
}

inline double peakOf (const juce::AudioBuffer<float>& buffer, int start, int length)
{
    double peak = 0.0;
    for (int c = 0; c < 2; ++c)
        for (int i = start; i < start + length; ++i)
            peak = std::max (peak, (double) std::abs (buffer.getSample (c, i)));
    return peak;
}
} // namespace vexa_test
