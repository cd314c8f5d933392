#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// Hosting the bundle in process needs JUCE's message manager for the whole run.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
