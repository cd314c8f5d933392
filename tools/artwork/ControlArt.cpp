// The filmstrips of the controls: knobs, toggle switches and the meter-mode slide switch.

#include "Artwork.h"
#include "ArtworkStyle.h"

#include <cmath>
#include <functional>

namespace vexa::artwork
{
namespace
{
/** Makes a vertical strip of `frames` square frames, drawing each one clipped to its own square. */
juce::Image drawStrip (int frameSize, int frames, const std::function<void (juce::Graphics&, int)>& drawFrame)
{
    juce::Image strip (juce::Image::ARGB, frameSize, frameSize * frames, true);
    juce::Graphics g (strip);
    for (int frame = 0; frame < frames; ++frame)
    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (0, frame * frameSize, frameSize, frameSize);
        g.setOrigin (0, frame * frameSize);
        drawFrame (g, frame);
    }
    return strip;
}

//==============================================================================
// Knob frame layout, in frame pixels (120 x 120, shown at 100 x 100).
const juce::Point<float> knobCentre { 60.0f, 66.0f };
constexpr float knobRadius = 27.0f;
constexpr float tickInner = 31.0f;
constexpr float majorTickOuter = 36.0f;
constexpr float minorTickOuter = 34.0f;
constexpr float labelGap = 2.5f;
constexpr float continuousTravelDegrees = 270.0f;

juce::Font captionFont() { return artworkFont (14.5f, 0.07f); }
juce::Font scaleFont() { return artworkFont (12.5f); }
juce::Font unitFont() { return artworkFont (11.0f); }

void drawCaption (juce::Graphics& g, const juce::String& caption, const juce::String& unit)
{
    drawLabel (g, caption, captionFont(), { knobCentre.x, 8.5f }, palette::ink, palette::textShadow, 1.0f);
    if (unit.isNotEmpty())
        drawLabel (g, unit, unitFont(), { knobCentre.x, 110.0f }, palette::dimInk, palette::textShadow, 0.8f);
}

void drawTick (juce::Graphics& g, float angle, bool major, juce::Colour colour)
{
    g.setColour (colour);
    const float outer = major ? majorTickOuter : minorTickOuter;
    g.drawLine ({ polar (knobCentre, tickInner, angle), polar (knobCentre, outer, angle) }, major ? 1.6f : 1.1f);
}

/** A scale number just outside the ticks, pushed out by as much of its size as faces the knob. */
void drawScaleLabel (juce::Graphics& g, const juce::String& text, float angle, juce::Colour colour)
{
    const auto font = scaleFont();
    const auto size = labelSize (text, font);
    const float extent = std::abs (std::sin (angle)) * size.getWidth() * 0.5f + std::abs (std::cos (angle)) * size.getHeight() * 0.5f;
    drawLabel (g, text, font, polar (knobCentre, majorTickOuter + labelGap + extent, angle), colour, palette::textShadow, 0.8f);
}

float continuousAngle (float position)
{
    return degrees (continuousTravelDegrees * (position - 0.5f));
}

float steppedAngle (const SteppedKnob& knob, int choice)
{
    return continuousAngle ((float) choice / (float) (knob.choices.size() - 1));
}

juce::Colour choiceColour (const juce::String& choice)
{
    return choice == "AUTO" ? palette::accent : palette::scaleInk;
}
} // namespace

juce::Image drawContinuousKnob (const ContinuousKnob& knob)
{
    return drawStrip (knobFrameSize, continuousKnobFrames, [&knob] (juce::Graphics& g, int frame)
    {
        drawCaption (g, knob.caption, knob.unit);
        for (const auto& mark : knob.marks)
        {
            const float a = continuousAngle (mark.position);
            drawTick (g, a, mark.label.isNotEmpty(), palette::scaleInk);
            if (mark.label.isNotEmpty())
                drawScaleLabel (g, mark.label, a, palette::scaleInk);
        }

        const float position = (float) frame / (float) (continuousKnobFrames - 1);
        drawKnobBody (g, knobCentre, knobRadius, continuousAngle (position));
    });
}

juce::Image drawSteppedKnob (const SteppedKnob& knob)
{
    const int frames = (int) knob.choices.size();
    return drawStrip (knobFrameSize, frames, [&knob] (juce::Graphics& g, int frame)
    {
        drawCaption (g, knob.caption, knob.unit);
        for (int choice = 0; choice < (int) knob.choices.size(); ++choice)
        {
            const auto& text = knob.choices[(size_t) choice];
            const float a = steppedAngle (knob, choice);
            drawTick (g, a, true, choiceColour (text));
            drawScaleLabel (g, text, a, choiceColour (text));
        }

        drawKnobBody (g, knobCentre, knobRadius, steppedAngle (knob, frame));
    });
}

//==============================================================================
namespace
{
/** A chrome bat-handle toggle: a hex nut with the lever thrown up (on) or down (off). */
void drawBatLever (juce::Graphics& g, juce::Point<float> pivot, bool up)
{
    const float pi = juce::MathConstants<float>::pi;

    juce::Path nut;
    nut.addPolygon (pivot, 6, 13.5f, pi / 6.0f);
    drawSoftShadow (g, nut, shadowDirection * 2.0f, 1.5f, 0.55f);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xFFD9DBE1), pivot + polar ({}, 13.5f, lightAngle),
                                             juce::Colour (0xFF4A4C54), pivot - polar ({}, 13.5f, lightAngle), false));
    g.fillPath (nut);
    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.strokePath (nut, juce::PathStrokeType (0.8f));

    const auto bushing = juce::Rectangle<float> (16.0f, 16.0f).withCentre (pivot);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xFF50525A), bushing.getTopLeft(),
                                             juce::Colour (0xFFE4E6EA), bushing.getBottomRight(), false));
    g.fillEllipse (bushing);
    g.setColour (juce::Colour (0xFF0E0F12));
    g.fillEllipse (bushing.reduced (3.2f));

    const float direction = up ? -1.0f : 1.0f;
    const auto tip = pivot + juce::Point<float> (0.0f, direction * 17.0f);

    juce::Path shaft;
    shaft.startNewSubPath (pivot.x - 3.2f, pivot.y);
    shaft.lineTo (tip.x - 2.2f, tip.y);
    shaft.lineTo (tip.x + 2.2f, tip.y);
    shaft.lineTo (pivot.x + 3.2f, pivot.y);
    shaft.closeSubPath();
    const auto ball = juce::Rectangle<float> (10.0f, 10.0f).withCentre (tip);
    juce::Path lever (shaft);
    lever.addEllipse (ball);

    drawSoftShadow (g, lever, shadowDirection * 3.0f, 1.6f, 0.5f);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xFFF2F3F6), { pivot.x - 2.5f, 0.0f },
                                             juce::Colour (0xFF5C5E66), { pivot.x + 3.0f, 0.0f }, false));
    g.fillPath (shaft);

    juce::ColourGradient chromeBall (juce::Colour (0xFFFFFFFF), ball.getCentre() + polar ({}, 2.0f, lightAngle),
                                     juce::Colour (0xFF45474F), ball.getCentre() + juce::Point<float> (5.5f, 0.0f), true);
    chromeBall.addColour (0.4, juce::Colour (0xFFB9BBC3));
    g.setGradientFill (chromeBall);
    g.fillEllipse (ball);
    g.setColour (juce::Colours::black.withAlpha (0.4f));
    g.drawEllipse (ball, 0.6f);
}
} // namespace

juce::Image drawToggleSwitch (const juce::String& caption)
{
    return drawStrip (switchFrameSize, 2, [&caption] (juce::Graphics& g, int frame)
    {
        const bool on = frame == 1;
        drawLabel (g, caption, artworkFont (14.0f, 0.07f), { 40.0f, 8.0f }, palette::ink, palette::textShadow, 1.0f);
        drawLamp (g, { 40.0f, 22.0f }, 3.4f, on);
        drawBatLever (g, { 40.0f, 52.0f }, on);
    });
}

//==============================================================================
juce::Image drawMeterModeSwitch()
{
    // The editor stretches each 80 x 80 frame into (112, 180, 76, 70) of its window and paints
    // "Meter Mode" above and "IN", "GR", "OUT" below the switch before it: the frames draw in
    // editor coordinates and leave those labels' rows transparent.
    const juce::Rectangle<float> frameInEditor { 112.0f, 180.0f, 76.0f, 70.0f };
    const auto editorToFrame = juce::AffineTransform::translation (-frameInEditor.getX(), -frameInEditor.getY())
                                   .scaled ((float) switchFrameSize / frameInEditor.getWidth(),
                                            (float) switchFrameSize / frameInEditor.getHeight());

    const float thumbCentres[] = { 118.0f, 150.0f, 182.0f };  // under IN (115), GR (150) and OUT (185)

    return drawStrip (switchFrameSize, 3, [&] (juce::Graphics& g, int frame)
    {
        g.addTransform (editorToFrame);

        const juce::Rectangle<float> plate { 112.5f, 199.5f, 75.0f, 24.0f };
        drawRecess (g, plate, 4.0f, juce::Colour (0xFF23242B));

        const juce::Rectangle<float> slot { 115.0f, 208.5f, 70.0f, 6.0f };
        drawRecess (g, slot, 3.0f, juce::Colour (0xFF09090B));

        for (const float x : thumbCentres)
        {
            g.setColour (palette::scaleInk.withAlpha (0.55f));
            g.fillEllipse (juce::Rectangle<float> (2.0f, 2.0f).withCentre ({ x, 203.5f }));
        }

        const auto thumb = juce::Rectangle<float> (11.0f, 20.0f).withCentre ({ thumbCentres[frame], 211.5f });
        juce::Path thumbShape;
        thumbShape.addRoundedRectangle (thumb, 2.0f);
        drawSoftShadow (g, thumbShape, shadowDirection * 2.2f, 1.4f, 0.6f);

        juce::ColourGradient metal (juce::Colour (0xFFE9EAEE), thumb.getTopLeft(), juce::Colour (0xFF5E6068), thumb.getTopRight(), false);
        metal.addColour (0.35, juce::Colour (0xFFC4C6CD));
        g.setGradientFill (metal);
        g.fillPath (thumbShape);

        for (int rib = 0; rib < 5; ++rib)
        {
            const float y = thumb.getY() + 4.0f + (float) rib * 3.0f;
            g.setColour (juce::Colours::black.withAlpha (0.45f));
            g.drawLine (thumb.getX() + 2.0f, y, thumb.getRight() - 2.0f, y, 0.9f);
            g.setColour (juce::Colours::white.withAlpha (0.5f));
            g.drawLine (thumb.getX() + 2.0f, y + 0.9f, thumb.getRight() - 2.0f, y + 0.9f, 0.6f);
        }

        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.strokePath (thumbShape, juce::PathStrokeType (0.7f));
    });
}

} // namespace vexa::artwork
