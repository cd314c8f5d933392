#pragma once

#include "AudioFiles.h"
#include "HostedPlugin.h"
#include "LevelStats.h"

#include <functional>

namespace vexa::render
{
struct RenderResult
{
    juce::int64 inputFrames = 0;
    juce::int64 outputFrames = 0;
    int latencySamples = 0;
    bool latencyCompensated = false;
    double peakInDbfs = 0.0;
    double peakOutDbfs = 0.0;
    GainReductionEstimate::Result gainReduction;
};

/** Called with the fraction done (0..1); returning false stops the render with a RenderError. */
using ProgressCallback = std::function<bool (double)>;

/** Streams the whole input through the plug-in into the output, block by block.

    The input is followed by as many frames of silence as the plug-in's latency, so that the
    delayed end of the input comes out too. Without compensation every processed frame is
    written (input length + latency); with it the first `latency` frames are dropped, which
    lines the output up with the input at the same length. */
RenderResult renderFile (HostedPlugin& plugin, InputAudio& input, OutputAudio& output, bool compensateLatency,
                         double makeupDb, const ProgressCallback& progress);
} // namespace vexa::render
