#include "LevelStats.h"

#include <cmath>
#include <limits>

namespace vexa::render
{
void PeakMeter::add (const float* left, const float* right, int numFrames) noexcept
{
    for (int i = 0; i < numFrames; ++i)
        highest = juce::jmax (highest, std::abs (left[i]), std::abs (right[i]));
}

double PeakMeter::peakDbfs() const noexcept
{
    return highest > 0.0f ? 20.0 * std::log10 ((double) highest) : -std::numeric_limits<double>::infinity();
}

GainReductionEstimate::GainReductionEstimate (juce::int64 inputFrames, double sampleRate)
    : frames (inputFrames), windowFrames (juce::jmax (1, juce::roundToInt (kWindowSeconds * sampleRate)))
{
    const auto windows = (size_t) ((inputFrames + windowFrames - 1) / windowFrames);
    inputSums.assign (windows, 0.0);
    outputSums.assign (windows, 0.0);
}

void GainReductionEstimate::addInput (const float* left, const float* right, int numFrames, juce::int64 firstFrame)
{
    add (inputSums, left, right, numFrames, firstFrame);
}

void GainReductionEstimate::addOutput (const float* left, const float* right, int numFrames, juce::int64 firstFrame)
{
    add (outputSums, left, right, numFrames, firstFrame);
}

void GainReductionEstimate::add (std::vector<double>& sums, const float* left, const float* right, int numFrames,
                                 juce::int64 firstFrame)
{
    for (int i = 0; i < numFrames; ++i)
    {
        const auto frame = firstFrame + i;
        if (frame < 0 || frame >= frames)
            continue;
        sums[(size_t) (frame / windowFrames)] += (double) left[i] * left[i] + (double) right[i] * right[i];
    }
}

GainReductionEstimate::Result GainReductionEstimate::result (double makeupDb) const
{
    Result r;
    r.windowsTotal = (int) inputSums.size();

    // A window is used when its input RMS, over both channels, is above kSilenceDbfs.
    const double floorPerFrame = 2.0 * std::pow (10.0, kSilenceDbfs / 10.0);
    double total = 0.0;

    for (size_t w = 0; w < inputSums.size(); ++w)
    {
        const auto windowLength = (double) juce::jmin ((juce::int64) windowFrames, frames - (juce::int64) w * windowFrames);
        if (inputSums[w] <= floorPerFrame * windowLength)
            continue;

        const double changeDb = 10.0 * std::log10 (juce::jmax (outputSums[w], 1.0e-30) / inputSums[w]);
        const double reduction = makeupDb - changeDb;
        r.deepestDb = r.windowsUsed == 0 ? reduction : juce::jmax (r.deepestDb, reduction);
        total += reduction;
        ++r.windowsUsed;
    }

    if (r.windowsUsed > 0)
        r.averageDb = total / r.windowsUsed;
    return r;
}
} // namespace vexa::render
