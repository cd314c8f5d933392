#pragma once

#include "HostedPlugin.h"
#include "ParameterTable.h"
#include "Renderer.h"

namespace vexa::render
{
/** What --info prints: the plug-in, its latency and every parameter with its ID, value and range. */
juce::String describePlugin (HostedPlugin& plugin, const ParameterTable& parameters);

struct RenderedFiles
{
    juce::File input, output;
    double sampleRate = 0.0;
    int inputChannels = 2;
    int blockSize = 0;
};

/** The summary printed after a render. */
juce::String summarise (const RenderedFiles& files, const RenderResult& result);

/** "-3.2 dBFS", "-inf dBFS" for silence. */
juce::String dbfsText (double dbfs);

/** A number with one decimal, never "-0.0". */
juce::String oneDecimal (double value);
} // namespace vexa::render
