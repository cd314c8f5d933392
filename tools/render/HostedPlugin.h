#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace vexa::render
{
/** A VST3 bundle loaded through JUCE's VST3 hosting, in the stereo-in, stereo-out layout,
    switched to offline processing and prepared for one sample rate and block size. */
class HostedPlugin
{
public:
    /** Throws RenderError if the bundle holds no loadable VST3 effect with stereo in and out. */
    HostedPlugin (const juce::File& bundle, double sampleRate, int blockSize);
    ~HostedPlugin();

    juce::AudioPluginInstance& instance() noexcept { return *plugin; }
    const juce::PluginDescription& description() const noexcept { return pluginDescription; }
    const juce::File& bundle() const noexcept { return bundleFile; }
    double sampleRate() const noexcept { return rate; }
    int blockSize() const noexcept { return maxBlock; }
    int latencySamples() const { return plugin->getLatencySamples(); }

    /** Applies a state written by saveState. Throws RenderError if the file cannot be read
        or holds no such state. */
    void loadState (const juce::File& file);

    /** The hosted instance's state: the plug-in's own chunk plus the wrapper's bypass. */
    juce::MemoryBlock state();

    /** Clears the signal path (a new prepareToPlay), keeping every parameter. */
    void reset();

    /** Processes one block in place; the buffer has two channels and at most blockSize() samples. */
    void process (juce::AudioBuffer<float>& buffer);

private:
    juce::File bundleFile;
    juce::PluginDescription pluginDescription;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
    juce::MidiBuffer noMidi;
    double rate;
    int maxBlock;
};

/** Writes bytes to `file` through a temporary file, so that a failure leaves no partial file.
    Throws RenderError. */
void writeFileAtomically (const juce::File& file, const juce::MemoryBlock& bytes, const juce::String& what);
} // namespace vexa::render
