#include "RenderReport.h"

#include <cmath>

namespace vexa::render
{
namespace
{
juce::String column (const juce::String& text, int width)
{
    return text.paddedRight (' ', width) + " ";
}
} // namespace

juce::String oneDecimal (double value)
{
    const double rounded = std::round (value * 10.0) / 10.0;
    return juce::String (rounded + 0.0, 1); // adding +0.0 turns -0.0 into 0.0
}

juce::String dbfsText (double dbfs)
{
    return (std::isfinite (dbfs) ? oneDecimal (dbfs) : juce::String ("-inf")) + " dBFS";
}

juce::String describePlugin (HostedPlugin& plugin, const ParameterTable& parameters)
{
    const auto& d = plugin.description();
    juce::String text;
    text << d.name << " " << d.version << ", " << d.manufacturerName << " (" << d.pluginFormatName << ", " << d.category << ")\n"
         << "  bundle     " << plugin.bundle().getFullPathName() << "\n"
         << "  audio      stereo in, stereo out; latency " << plugin.latencySamples() << " samples at "
         << juce::String (plugin.sampleRate(), 0) << " Hz\n"
         << "  parameters (--set ID=VALUE):\n"
         << "    " << column ("ID", 12) << column ("name", 12) << column ("value", 12) << "range\n";

    for (const auto& entry : parameters.entries())
    {
        auto& p = *entry.parameter;
        text << "    " << column (entry.id, 12) << column (p.getName (64), 12)
             << column (ParameterTable::valueText (p, p.getValue()), 12) << ParameterTable::rangeText (p) << "\n";
    }
    return text;
}

juce::String summarise (const RenderedFiles& files, const RenderResult& result)
{
    const auto seconds = (double) result.inputFrames / files.sampleRate;
    const auto& gr = result.gainReduction;

    juce::String text;
    text << "rendered " << files.input.getFullPathName() << "\n"
         << "      to " << files.output.getFullPathName() << "\n"
         << "  " << juce::String (seconds, 3) << " s at " << juce::String (files.sampleRate, 0) << " Hz, "
         << (files.inputChannels == 1 ? "mono input played on both channels" : "stereo") << ", block "
         << files.blockSize << "\n"
         << "  latency " << result.latencySamples << " samples, "
         << (result.latencyCompensated ? "compensated: output lines up with the input, "
                                       : "not compensated: output is delayed by it, ")
         << result.outputFrames << " frames written\n"
         << "  peak in          " << dbfsText (result.peakInDbfs) << "\n"
         << "  peak out         " << dbfsText (result.peakOutDbfs) << "\n";

    if (gr.windowsUsed == 0)
        text << "  gain reduction   not measured: no 10 ms window of the input is above "
             << juce::String (GainReductionEstimate::kSilenceDbfs, 0) << " dBFS\n";
    else
        text << "  gain reduction   deepest " << oneDecimal (gr.deepestDb) << " dB, average "
             << oneDecimal (gr.averageDb) << " dB (output against input level in " << gr.windowsUsed << " of "
             << gr.windowsTotal << " windows of 10 ms, make-up taken out)\n";
    return text;
}
} // namespace vexa::render
