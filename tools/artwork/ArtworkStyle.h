#pragma once

#include <juce_graphics/juce_graphics.h>

// Shared look of all the artwork: palette, typeface, the light direction and the small
// drawing pieces (labels, screws, knob bodies) that several images use.
//
// Angles are in radians with 0 pointing straight up and positive angles turning clockwise,
// the convention of juce::Path::addCentredArc. The light falls from the upper left, so
// highlights sit on upper-left edges and shadows fall towards the lower right.

namespace vexa::artwork
{
namespace palette
{
    const juce::Colour panel { 0xFF3B3D47 };     // the editor's own fill colour
    const juce::Colour ink { 0xFFE2E2DA };       // captions
    const juce::Colour scaleInk { 0xFFBFC2CC };  // scale ticks and numbers
    const juce::Colour dimInk { 0xFF8E929E };    // units
    const juce::Colour accent { 0xFFE8A13A };    // "AUTO" and other special positions
    const juce::Colour recess { 0xFF17181D };
    const juce::Colour textShadow { 0x99000000 };
} // namespace palette

/** Direction the light comes from, as an angle (upper left). */
constexpr float lightAngle = -juce::MathConstants<float>::pi * 0.25f;

/** Offset of cast shadows, one unit in the direction away from the light. */
const juce::Point<float> shadowDirection { 0.6f, 0.8f };

/** The one typeface of all texts (DejaVu Sans Condensed Bold, read from the system's font files). */
juce::Font artworkFont (float height, float kerning = 0.0f);

/** Point at `radius` from `centre` in direction `angle`. */
juce::Point<float> polar (juce::Point<float> centre, float radius, float angle);

/** Degrees in the artwork's angle convention to radians. */
float degrees (float deg);

/** How much a surface facing `angle` catches the light: 0 facing away, 1 facing it. */
float litAmount (float angle);

/** Draws `text` with its outline centred horizontally on centre.x and its capitals centred
    vertically on centre.y, with an optional shadow behind it. */
void drawLabel (juce::Graphics& g, const juce::String& text, const juce::Font& font, juce::Point<float> centre,
                juce::Colour colour, juce::Colour shadow = {}, float shadowLength = 0.0f);

/** Width and cap height of `text` as drawLabel draws it. */
juce::Rectangle<float> labelSize (const juce::String& text, const juce::Font& font);

/** A round-headed cross-slot screw. */
void drawScrew (juce::Graphics& g, juce::Point<float> centre, float radius, float slotAngle);

/** A soft shadow under a filled path, built from a few widening translucent strokes. */
void drawSoftShadow (juce::Graphics& g, const juce::Path& shape, juce::Point<float> offset, float softness, float opacity);

/** A window cut into the panel: shade inside along its top and left, a lit lip at its bottom and right. */
void drawRecess (juce::Graphics& g, juce::Rectangle<float> area, float corner, juce::Colour fill);

/** A knurled black knob with a machined cap and a cream pointer line at `angle`. */
void drawKnobBody (juce::Graphics& g, juce::Point<float> centre, float radius, float angle);

/** A metal-ringed indicator lamp, dark or lit. */
void drawLamp (juce::Graphics& g, juce::Point<float> centre, float radius, bool lit);

} // namespace vexa::artwork
