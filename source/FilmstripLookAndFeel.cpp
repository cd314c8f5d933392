#include "FilmstripLookAndFeel.h"

#include <cmath>

namespace
{
int frameHeightOf (const juce::Image& image, int frameCount)
{
    return image.isValid() ? image.getHeight() / frameCount : 0;
}

/** Limits a raw frame index to the frames the strip has. */
int clampFrame (int rawIndex, int frameCount) noexcept
{
    if (rawIndex < 0)
        return 0;
    return rawIndex < frameCount ? rawIndex : frameCount - 1;
}

/** Draws frame `index` of the strip scaled to fill the destination; an invalid strip draws nothing. */
void drawFrame (juce::Graphics& g, const juce::Image& filmstrip, int frameHeight, int index,
                int x, int y, int width, int height)
{
    g.drawImage (filmstrip, x, y, width, height,
                 0, index * frameHeight, filmstrip.getWidth(), frameHeight, false);
}
} // namespace

//==============================================================================
FilmstripLookAndFeel::FilmstripLookAndFeel (juce::Image image, int frameCount)
    : filmstrip (std::move (image)), numFrames (frameCount), frameHeight (frameHeightOf (filmstrip, frameCount))
{
}

FilmstripLookAndFeel::~FilmstripLookAndFeel() = default;

void FilmstripLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                             float sliderPosProportional, float, float, juce::Slider&)
{
    if (! filmstrip.isValid())
        return;

    const int raw = static_cast<int> (static_cast<float> (numFrames - 1) * sliderPosProportional);
    drawFrame (g, filmstrip, frameHeight, clampFrame (raw, numFrames), x, y, width, height);
}

//==============================================================================
FilmstripLinearLAF::FilmstripLinearLAF (juce::Image image, int frameCount)
    : filmstrip (std::move (image)), numFrames (frameCount), frameHeight (frameHeightOf (filmstrip, frameCount))
{
}

FilmstripLinearLAF::~FilmstripLinearLAF() = default;

void FilmstripLinearLAF::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                           float, float, float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    if (! filmstrip.isValid())
        return;

    // Round half to even (the default floating-point rounding mode), as the switch positions are whole numbers.
    const double value = slider.getValue();
    const int raw = std::isfinite (value) ? static_cast<int> (std::nearbyint (juce::jlimit (-1.0e6, 1.0e6, value))) : 0;
    drawFrame (g, filmstrip, frameHeight, clampFrame (raw, numFrames), x, y, width, height);
}

//==============================================================================
FilmstripToggleLAF::FilmstripToggleLAF (juce::Image image, int frameCount)
    : filmstrip (std::move (image)), numFrames (frameCount), frameHeight (frameHeightOf (filmstrip, frameCount))
{
}

FilmstripToggleLAF::~FilmstripToggleLAF() = default;

void FilmstripToggleLAF::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool, bool)
{
    if (! filmstrip.isValid())
        return;

    const int state = button.getToggleState() ? 1 : 0;
    const int index = state < numFrames ? state : numFrames - 1;
    drawFrame (g, filmstrip, frameHeight, index, 0, 0, button.getWidth(), button.getHeight());
}
