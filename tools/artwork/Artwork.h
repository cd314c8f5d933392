#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

// One function per image of resources/. Each returns the finished image at its file's pixel
// size: RGB for the panel background, ARGB (written with alpha) for everything else.

namespace vexa::artwork
{
/** Knob frames are 120 x 120; the editor shows them at 100 x 100. */
constexpr int knobFrameSize = 120;
/** Switch frames are 80 x 80. */
constexpr int switchFrameSize = 80;
/** Continuous knobs have this many frames over their travel. */
constexpr int continuousKnobFrames = 128;

struct ScaleMark
{
    float position;      // 0..1 along the knob's travel
    juce::String label;  // empty for a minor tick
};

/** A knob turning through 270 degrees, drawn at continuousKnobFrames evenly spaced positions. */
struct ContinuousKnob
{
    juce::String caption;
    juce::String unit;
    std::vector<ScaleMark> marks;
};

/** A knob with one frame per choice, the choices spread evenly over the same 270 degrees. */
struct SteppedKnob
{
    juce::String caption;
    juce::String unit;
    std::vector<juce::String> choices;
};

juce::Image drawPanelBackground();
juce::Image drawVuMeterFace();
juce::Image drawMeterModeSwitch();
juce::Image drawToggleSwitch (const juce::String& caption);
juce::Image drawContinuousKnob (const ContinuousKnob& knob);
juce::Image drawSteppedKnob (const SteppedKnob& knob);

/** The images by file name, as the contact sheet reads them. */
struct NamedImage
{
    juce::String fileName;
    juce::Image image;
};

/** One picture of the whole set: a mock-up of the panel plus the images and chosen frames. */
juce::Image drawContactSheet (const std::vector<NamedImage>& images);

} // namespace vexa::artwork
