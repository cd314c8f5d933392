#include <gtest/gtest.h>

#include "PluginHost.h"


// Opening and closing the plug-in's window through the VST3 wrapper, as a host does, while
// audio runs on another thread. Needs a display (run under Xvfb).

using namespace plugin_host;

TEST (HostEditor, OpensAndClosesRepeatedlyWhileAudioRuns)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "no display";

    auto instance = load (48000.0, 128);
    ASSERT_NE (instance, nullptr);

    BackgroundAudio audio (*instance, 128, 0.5f, 500);

    for (int round = 0; round < 8; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (instance->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr) << round;
        editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        editor->setVisible (true);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (150);

        EXPECT_EQ (editor->getWidth(), 300);
        EXPECT_EQ (editor->getHeight(), 610);

        editor->setVisible (false);
        editor.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }

    audio.waitForBlocks (1);
    EXPECT_GT (audio.stop(), 0);
}
