#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace vexa::render
{
/** The highest absolute sample of a stereo signal. */
class PeakMeter
{
public:
    void add (const float* left, const float* right, int numFrames) noexcept;
    float peak() const noexcept { return highest; }

    /** 20 log10 of the peak; -infinity for silence. */
    double peakDbfs() const noexcept;

private:
    float highest = 0.0f;
};

/** Gain reduction as it can be seen from outside a plug-in: the output level against the
    input level over fixed windows of the input's timeline. The output is added already
    aligned to the input (its latency taken off), so window w of both covers the same audio. */
class GainReductionEstimate
{
public:
    static constexpr double kWindowSeconds = 0.010;
    static constexpr double kSilenceDbfs = -60.0;

    GainReductionEstimate (juce::int64 inputFrames, double sampleRate);

    /** Frames outside 0 .. inputFrames - 1 of the input's timeline are ignored. */
    void addInput (const float* left, const float* right, int numFrames, juce::int64 firstFrame);
    void addOutput (const float* left, const float* right, int numFrames, juce::int64 firstFrame);

    struct Result
    {
        double deepestDb = 0.0;   // largest reduction (positive = the output is quieter)
        double averageDb = 0.0;   // mean reduction over the windows used
        int windowsUsed = 0;      // windows whose input is above kSilenceDbfs
        int windowsTotal = 0;
    };

    /** `makeupDb` is added back to the reduction: a make-up gain is not a gain change of the compressor. */
    Result result (double makeupDb) const;

private:
    void add (std::vector<double>& sums, const float* left, const float* right, int numFrames, juce::int64 firstFrame);

    juce::int64 frames;
    int windowFrames;
    std::vector<double> inputSums, outputSums;
};
} // namespace vexa::render
