#include <gtest/gtest.h>

#include "PluginHost.h"

#include <random>

// What a VST3 host sees of the built bundle.

using namespace plugin_host;

TEST (HostView, ScanListsOneEffectWithItsIdentity)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle().getFullPathName());
    ASSERT_EQ (found.size(), 1) << bundle().getFullPathName();

    const auto& d = *found.getFirst();
    EXPECT_EQ (d.name, "Vexa Compressor");
    EXPECT_EQ (d.manufacturerName, "QuillfenPlugins");
    EXPECT_EQ (d.version, "1.1.0");
    EXPECT_EQ (d.category, "Fx|Fx|Dynamics");
    EXPECT_EQ (d.pluginFormatName, "VST3");
    EXPECT_FALSE (d.isInstrument);
}

TEST (HostView, InstanceShowsNineParametersThenBypass)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);

    const char* names[] = { "Threshold", "Ratio", "Attack", "Release", "Makeup", "SC HPF", "Stereo Link", "Drive", "Meter Mode", "Bypass" };
    const auto& parameters = instance->getParameters();
    ASSERT_EQ (parameters.size(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ (parameters[i]->getName (100), names[i]) << i;

    EXPECT_EQ (instance->getBypassParameter(), parameters[9]);
    EXPECT_EQ (parameters[9]->getValue(), 0.0f);
    EXPECT_EQ (parameters[0]->getCurrentValueAsText(), "-10.0");
    EXPECT_EQ (parameters[0]->getLabel(), "dBFS");
    EXPECT_EQ (parameters[1]->getCurrentValueAsText(), "4:1");
    EXPECT_EQ (parameters[2]->getCurrentValueAsText(), "1ms");
    EXPECT_EQ (parameters[3]->getCurrentValueAsText(), "AUTO");

    EXPECT_EQ (instance->getName(), "Vexa Compressor");
    EXPECT_EQ (instance->getLatencySamples(), 49);
    EXPECT_EQ (instance->getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (instance->acceptsMidi());
    EXPECT_FALSE (instance->producesMidi());
    EXPECT_TRUE (instance->hasEditor());
    EXPECT_EQ (instance->getTotalNumInputChannels(), 2);
    EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);
}

TEST (HostView, OnlyStereoLayoutsAreAccepted)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);
    instance->releaseResources();

    for (auto set : { juce::AudioChannelSet::mono(), juce::AudioChannelSet::create5point1() })
    {
        juce::AudioProcessor::BusesLayout proposal;
        proposal.inputBuses.add (set);
        proposal.outputBuses.add (set);
        EXPECT_FALSE (instance->setBusesLayout (proposal)) << set.getDescription();
        EXPECT_EQ (instance->getTotalNumInputChannels(), 2);
        EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);
    }
}

TEST (HostView, ProcessesAndBypassPassesAudioUnchangedAndUndelayed)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);
    parameter (*instance, "Threshold")->setValueNotifyingHost (0.0f); // -40 dBFS: compress hard

    std::mt19937 rng (3);
    std::uniform_real_distribution<float> noise (-0.8f, 0.8f);
    juce::MidiBuffer midi;

    auto fill = [&] (juce::AudioBuffer<float>& b) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < b.getNumSamples(); ++i)
                b.setSample (c, i, noise (rng));
    };

    juce::AudioBuffer<float> buffer (2, 512);
    double changed = 0.0;
    for (int block = 0; block < 20; ++block)
    {
        fill (buffer);
        const auto input = buffer;
        instance->processBlock (buffer, midi);
        for (int i = 0; i < 512; ++i)
            changed += std::abs (buffer.getSample (0, i) - input.getSample (0, i));
    }
    EXPECT_GT (changed, 10.0);

    instance->getBypassParameter()->setValueNotifyingHost (1.0f);
    for (int block = 0; block < 4; ++block)
    {
        fill (buffer);
        const auto input = buffer;
        instance->processBlock (buffer, midi);
        if (block > 0) // the wrapper applies the switch from the next block on
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 512; ++i)
                    ASSERT_EQ (buffer.getSample (c, i), input.getSample (c, i)) << block << " " << c << " " << i;
    }
}
