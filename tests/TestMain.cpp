#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// JUCE's message manager and other singletons stay initialised for the whole run.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
