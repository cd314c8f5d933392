#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Look-and-feels that draw a control as one frame of a filmstrip: an image of equal frames
// stacked vertically, frame 0 at the top. Each replaces one drawing operation of LookAndFeel_V4.

/** Rotary knob: the frame follows the slider's proportion along its travel. */
class FilmstripLookAndFeel : public juce::LookAndFeel_V4
{
public:
    FilmstripLookAndFeel (juce::Image image, int frameCount);
    ~FilmstripLookAndFeel() override;

    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;

private:
    juce::Image filmstrip;
    int numFrames;
    int frameHeight;
};

/** Linear slide switch: the frame is the slider's value rounded to the nearest position. */
class FilmstripLinearLAF : public juce::LookAndFeel_V4
{
public:
    FilmstripLinearLAF (juce::Image image, int frameCount);
    ~FilmstripLinearLAF() override;

    void drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                           float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                           juce::Slider& slider) override;

private:
    juce::Image filmstrip;
    int numFrames;
    int frameHeight;
};

/** Toggle switch: frame 0 off, frame 1 on, drawn over the whole button. */
class FilmstripToggleLAF : public juce::LookAndFeel_V4
{
public:
    FilmstripToggleLAF (juce::Image image, int frameCount);
    ~FilmstripToggleLAF() override;

    void drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                           bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

private:
    juce::Image filmstrip;
    int numFrames;
    int frameHeight;
};
