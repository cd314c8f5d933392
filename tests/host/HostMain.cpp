#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <X11/Xlib.h>

// The host tests load the built bundle the way a DAW does. JUCE installs an X error handler
// only inside a full JUCE application; a console host under Xvfb must ignore X errors itself.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
    XSetIOErrorHandler ([] (Display*) { return 0; });
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
