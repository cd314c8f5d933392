#include <gtest/gtest.h>

#include "PluginHost.h"


// Saving and restoring through the VST3 wrapper, which adds its bypass state to ours.

using namespace plugin_host;

TEST (HostState, SecondInstanceRestoresEveryParameterAndTheBypass)
{
    auto first = load();
    auto second = load();
    ASSERT_NE (first, nullptr);
    ASSERT_NE (second, nullptr);

    const float values[] = { 0.3f, 1.0f, 0.0f, 0.5f, 0.25f, 1.0f, 0.0f, 0.777f, 0.0f, 1.0f };
    auto& parameters = first->getParameters();
    for (int i = 0; i < 10; ++i)
        parameters[i]->setValueNotifyingHost (values[i]);

    juce::MemoryBlock state;
    first->getStateInformation (state);
    second->setStateInformation (state.getData(), (int) state.getSize());

    const auto expected = parameterValues (*first);
    const auto restored = parameterValues (*second);
    ASSERT_EQ (restored.size(), 10u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_NEAR (restored[i], expected[i], 1e-6) << first->getParameters()[(int) i]->getName (100);
    EXPECT_EQ (second->getBypassParameter()->getValue(), 1.0f);
    EXPECT_NEAR (parameter (*second, "Drive")->getValue(), 0.777f, 1e-3);
}

TEST (HostState, SavingAndRestoringWhileAudioRunsIsSafe)
{
    auto instance = load (48000.0, 256);
    auto other = load();
    ASSERT_NE (instance, nullptr);
    ASSERT_NE (other, nullptr);
    parameter (*other, "Threshold")->setValueNotifyingHost (0.25f);
    parameter (*other, "Ratio")->setValueNotifyingHost (1.0f);
    juce::MemoryBlock otherState;
    other->getStateInformation (otherState);

    BackgroundAudio audio (*instance, 256, 1.0f);

    for (int i = 0; i < 200; ++i)
    {
        juce::MemoryBlock saved;
        instance->getStateInformation (saved);
        instance->setStateInformation (i % 2 == 0 ? otherState.getData() : saved.getData(),
                                       (int) (i % 2 == 0 ? otherState.getSize() : saved.getSize()));
    }
    instance->setStateInformation (otherState.getData(), (int) otherState.getSize());
    audio.waitForBlocks (1);
    EXPECT_GT (audio.stop(), 0);
    EXPECT_NEAR (parameter (*instance, "Threshold")->getValue(), parameter (*other, "Threshold")->getValue(), 1e-6);
    EXPECT_EQ (parameter (*instance, "Ratio")->getValue(), 1.0f);
}
