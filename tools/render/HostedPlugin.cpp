#include "HostedPlugin.h"

#include "RenderError.h"
#include "RenderOptions.h"


namespace vexa::render
{
namespace
{
juce::PluginDescription findEffect (const juce::File& bundle)
{
    if (! bundle.exists())
        throw RenderError ("plug-in not found: " + bundle.getFullPathName()
                           + (bundle == defaultPluginBundle() ? " (`make` installs it there; --plugin PATH loads another bundle)" : ""));

    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());

    if (found.isEmpty())
        throw RenderError ("cannot load " + bundle.getFullPathName() + ": it holds no VST3 plug-in that loads here");

    return *found.getFirst();
}

const char* const kStateTag = "VST3PluginState";
} // namespace

HostedPlugin::HostedPlugin (const juce::File& bundle, double sampleRate, int blockSize)
    : bundleFile (bundle), pluginDescription (findEffect (bundle)), rate (sampleRate), maxBlock (blockSize)
{
    juce::VST3PluginFormat format;
    juce::String error;
    plugin = format.createInstanceFromDescription (pluginDescription, sampleRate, blockSize, error);
    if (plugin == nullptr)
        throw RenderError ("cannot load " + bundle.getFullPathName() + ": " + (error.isNotEmpty() ? error : "the plug-in refused to start"));

    juce::AudioProcessor::BusesLayout stereo;
    stereo.inputBuses.add (juce::AudioChannelSet::stereo());
    stereo.outputBuses.add (juce::AudioChannelSet::stereo());
    if (! plugin->setBusesLayout (stereo))
        throw RenderError ("cannot use " + pluginDescription.name + ": it does not take stereo in and stereo out");

    plugin->setNonRealtime (true);
    plugin->prepareToPlay (sampleRate, blockSize);
}

HostedPlugin::~HostedPlugin()
{
    if (plugin != nullptr)
        plugin->releaseResources();
}

void HostedPlugin::loadState (const juce::File& file)
{
    if (! file.existsAsFile())
        throw RenderError ("state file not found: " + file.getFullPathName());

    juce::MemoryBlock bytes;
    if (! file.loadFileAsData (bytes))
        throw RenderError ("cannot read state file " + file.getFullPathName());

    const auto xml = juce::AudioProcessor::getXmlFromBinary (bytes.getData(), (int) bytes.getSize());
    if (xml == nullptr || ! xml->hasTagName (kStateTag) || xml->getChildByName ("IComponent") == nullptr)
        throw RenderError (file.getFullPathName() + " is not a state saved by vexa-render --save-state");

    plugin->setStateInformation (bytes.getData(), (int) bytes.getSize());
}

juce::MemoryBlock HostedPlugin::state()
{
    juce::MemoryBlock bytes;
    plugin->getStateInformation (bytes);
    return bytes;
}

void HostedPlugin::reset()
{
    plugin->releaseResources();
    plugin->prepareToPlay (rate, maxBlock);
}

void HostedPlugin::process (juce::AudioBuffer<float>& buffer)
{
    jassert (buffer.getNumChannels() == 2 && buffer.getNumSamples() <= maxBlock);
    noMidi.clear();
    plugin->processBlock (buffer, noMidi);
}

void writeFileAtomically (const juce::File& file, const juce::MemoryBlock& bytes, const juce::String& what)
{
    if (! file.getParentDirectory().isDirectory())
        throw RenderError ("cannot write " + what + " " + file.getFullPathName() + ": its folder does not exist");

    juce::TemporaryFile temporary (file);
    if (! temporary.getFile().replaceWithData (bytes.getData(), bytes.getSize())
        || ! temporary.overwriteTargetFileWithTemporary())
        throw RenderError ("cannot write " + what + " " + file.getFullPathName());
}
} // namespace vexa::render
