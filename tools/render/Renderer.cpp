#include "Renderer.h"

#include "RenderError.h"

namespace vexa::render
{
RenderResult renderFile (HostedPlugin& plugin, InputAudio& input, OutputAudio& output, bool compensateLatency,
                         double makeupDb, const ProgressCallback& progress)
{
    RenderResult result;
    result.inputFrames = input.lengthInFrames();
    result.latencySamples = juce::jmax (0, plugin.latencySamples());
    result.latencyCompensated = compensateLatency;

    const auto latency = (juce::int64) result.latencySamples;
    const auto framesToProcess = result.inputFrames + latency;
    const auto firstWritten = compensateLatency ? latency : (juce::int64) 0;
    const int blockSize = plugin.blockSize();

    juce::AudioBuffer<float> block (2, blockSize);
    PeakMeter inputPeak, outputPeak;
    GainReductionEstimate gainReduction (result.inputFrames, input.sampleRate());

    for (juce::int64 position = 0; position < framesToProcess; position += blockSize)
    {
        const int frames = (int) juce::jmin ((juce::int64) blockSize, framesToProcess - position);
        juce::AudioBuffer<float> view (block.getArrayOfWritePointers(), 2, frames);

        view.clear();
        if (position < result.inputFrames)
            input.read (view, 0, (int) juce::jmin ((juce::int64) frames, result.inputFrames - position), position);

        inputPeak.add (view.getReadPointer (0), view.getReadPointer (1), frames);
        gainReduction.addInput (view.getReadPointer (0), view.getReadPointer (1), frames, position);

        plugin.process (view);

        // Output frame `position + i` carries input frame `position + i - latency`.
        gainReduction.addOutput (view.getReadPointer (0), view.getReadPointer (1), frames, position - latency);

        const int skip = (int) juce::jlimit ((juce::int64) 0, (juce::int64) frames, firstWritten - position);
        outputPeak.add (view.getReadPointer (0, skip), view.getReadPointer (1, skip), frames - skip);
        output.write (view, skip, frames - skip);
        result.outputFrames += frames - skip;

        if (progress && ! progress ((double) (position + frames) / (double) juce::jmax ((juce::int64) 1, framesToProcess)))
            throw RenderError ("interrupted");
    }

    result.peakInDbfs = inputPeak.peakDbfs();
    result.peakOutDbfs = outputPeak.peakDbfs();
    result.gainReduction = gainReduction.result (makeupDb);
    return result;
}
} // namespace vexa::render
