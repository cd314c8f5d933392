#include "ArtworkStyle.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vexa::artwork
{
namespace
{
juce::Typeface::Ptr loadTypeface()
{
    // DejaVu Sans Condensed Bold comes with Debian's fonts-dejavu-extra (scripts/install-deps.sh).
    const char* const candidates[] = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
        "/usr/local/share/fonts/DejaVuSansCondensed-Bold.ttf",
    };

    for (const auto* path : candidates)
    {
        juce::MemoryBlock data;
        if (juce::File (path).loadFileAsData (data))
            if (auto typeface = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize()))
                return typeface;
    }

    std::fprintf (stderr, "vexa-artwork: DejaVuSansCondensed-Bold.ttf not found (install fonts-dejavu-extra)\n");
    std::exit (1);
}

const juce::Typeface::Ptr& typeface()
{
    static const juce::Typeface::Ptr instance = loadTypeface();
    return instance;
}

juce::Path glyphOutline (const juce::String& text, const juce::Font& font)
{
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (font, text, 0.0f, 0.0f);
    juce::Path outline;
    glyphs.createPath (outline);
    return outline;
}

float capHeight (const juce::Font& font)
{
    return glyphOutline ("H", font).getBounds().getHeight();
}
} // namespace

juce::Font artworkFont (float height, float kerning)
{
    return juce::Font (juce::FontOptions().withTypeface (typeface()).withHeight (height).withKerningFactor (kerning));
}

juce::Point<float> polar (juce::Point<float> centre, float radius, float angle)
{
    return { centre.x + radius * std::sin (angle), centre.y - radius * std::cos (angle) };
}

float degrees (float deg)
{
    return juce::degreesToRadians (deg);
}

float litAmount (float angle)
{
    return 0.5f + 0.5f * std::cos (angle - lightAngle);
}

juce::Rectangle<float> labelSize (const juce::String& text, const juce::Font& font)
{
    return { glyphOutline (text, font).getBounds().getWidth(), capHeight (font) };
}

void drawLabel (juce::Graphics& g, const juce::String& text, const juce::Font& font, juce::Point<float> centre,
                juce::Colour colour, juce::Colour shadow, float shadowLength)
{
    auto outline = glyphOutline (text, font);
    const auto bounds = outline.getBounds();
    outline.applyTransform (juce::AffineTransform::translation (centre.x - bounds.getCentreX(),
                                                                centre.y + capHeight (font) * 0.5f));

    if (! shadow.isTransparent() && shadowLength > 0.0f)
    {
        g.setColour (shadow);
        g.fillPath (outline, juce::AffineTransform::translation (shadowDirection * shadowLength));
    }

    g.setColour (colour);
    g.fillPath (outline);
}

void drawSoftShadow (juce::Graphics& g, const juce::Path& shape, juce::Point<float> offset, float softness, float opacity)
{
    auto shifted = shape;
    shifted.applyTransform (juce::AffineTransform::translation (offset));

    constexpr int layers = 5;
    const auto layerColour = juce::Colours::black.withAlpha (opacity / (float) layers);
    g.setColour (layerColour);
    for (int i = layers - 1; i >= 1; --i)
        g.strokePath (shifted, juce::PathStrokeType (2.0f * softness * (float) i / (float) (layers - 1)));
    g.fillPath (shifted);
}

void drawScrew (juce::Graphics& g, juce::Point<float> centre, float radius, float slotAngle)
{
    const auto head = juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre);

    juce::Path outline;
    outline.addEllipse (head);
    drawSoftShadow (g, outline, shadowDirection * (radius * 0.35f), radius * 0.3f, 0.6f);

    // Countersink: a dark ring the head sits in.
    g.setColour (juce::Colour (0xFF1B1C21));
    g.fillEllipse (head.expanded (radius * 0.18f));

    juce::ColourGradient metal (juce::Colour (0xFFD4D6DC), centre + juce::Point<float> (-0.45f, -0.55f) * radius,
                                juce::Colour (0xFF4C4E56), centre + juce::Point<float> (0.6f, 0.7f) * radius, true);
    metal.addColour (0.55, juce::Colour (0xFF8E9099));
    g.setGradientFill (metal);
    g.fillEllipse (head);

    // Cross slot: dark recess whose lower-right wall catches the light.
    const float half = radius * 0.68f;
    const float width = radius * 0.3f;
    for (const float a : { slotAngle, slotAngle + juce::MathConstants<float>::halfPi })
    {
        const auto from = polar (centre, half, a + juce::MathConstants<float>::pi);
        const auto to = polar (centre, half, a);
        g.setColour (juce::Colours::white.withAlpha (0.35f));
        g.drawLine ({ from + shadowDirection * (width * 0.35f), to + shadowDirection * (width * 0.35f) }, width);
        g.setColour (juce::Colour (0xFF202126));
        g.drawLine ({ from, to }, width);
    }

    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawEllipse (head, radius * 0.08f);
}

void drawRecess (juce::Graphics& g, juce::Rectangle<float> area, float corner, juce::Colour fill)
{
    g.setColour (juce::Colours::white.withAlpha (0.12f));
    g.drawRoundedRectangle (area.translated (0.6f, 0.8f).expanded (0.6f), corner, 1.2f);
    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.drawRoundedRectangle (area.translated (-0.4f, -0.5f).expanded (0.6f), corner, 1.2f);

    g.setColour (fill);
    g.fillRoundedRectangle (area, corner);

    g.saveState();
    juce::Path window;
    window.addRoundedRectangle (area, corner);
    g.reduceClipRegion (window);
    for (int i = 1; i <= 4; ++i)
    {
        g.setColour (juce::Colours::black.withAlpha (0.16f));
        g.drawRoundedRectangle (area.translated ((float) i * 0.7f, (float) i * 0.9f).expanded ((float) i * 0.6f),
                                corner, (float) i * 1.2f);
    }
    g.restoreState();
}

void drawKnobBody (juce::Graphics& g, juce::Point<float> centre, float radius, float angle)
{
    const float pi = juce::MathConstants<float>::pi;
    const auto circle = [centre] (float r) { return juce::Rectangle<float> (r * 2.0f, r * 2.0f).withCentre (centre); };
    const auto towardsLight = [] (float r) { return polar ({}, r, lightAngle); };

    juce::Path skirtOutline;
    skirtOutline.addEllipse (circle (radius));
    juce::DropShadow (juce::Colours::black.withAlpha (0.7f), (int) (radius * 0.3f),
                      { (int) std::lround (radius * 0.08f), (int) std::lround (radius * 0.12f) })
        .drawForPath (g, skirtOutline);

    // Skirt: dark plastic with knurled grip ridges that turn with the knob.
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xFF3C3E46), centre + towardsLight (radius),
                                             juce::Colour (0xFF121317), centre - towardsLight (radius), false));
    g.fillPath (skirtOutline);

    constexpr int ridges = 36;
    for (int i = 0; i < ridges; ++i)
    {
        const float a = angle + (float) i * 2.0f * pi / (float) ridges;
        const float lit = litAmount (a);
        g.setColour (juce::Colours::white.withAlpha (0.04f + 0.26f * lit * lit));
        g.drawLine ({ polar (centre, radius * 0.8f, a), polar (centre, radius * 0.97f, a) }, radius * 0.05f);
        const float gap = a + pi / (float) ridges;
        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.drawLine ({ polar (centre, radius * 0.8f, gap), polar (centre, radius * 0.97f, gap) }, radius * 0.045f);
    }

    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.45f), centre + towardsLight (radius),
                                             juce::Colours::black.withAlpha (0.6f), centre - towardsLight (radius), false));
    g.drawEllipse (circle (radius - 0.5f), 1.0f);

    // Cap: a raised, finely turned metal disc.
    const float capRadius = radius * 0.74f;
    juce::Path capOutline;
    capOutline.addEllipse (circle (capRadius));
    drawSoftShadow (g, capOutline, towardsLight (-radius * 0.06f), radius * 0.06f, 0.5f);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xFF5C5E67), centre + towardsLight (capRadius),
                                             juce::Colour (0xFF202127), centre - towardsLight (capRadius), false));
    g.fillPath (capOutline);

    for (int ring = 1; ring < 9; ++ring)
    {
        const float r = capRadius * (float) ring / 9.0f;
        g.setColour (juce::Colours::white.withAlpha (ring % 2 == 0 ? 0.035f : 0.02f));
        g.drawEllipse (circle (r), 0.6f);
    }

    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.24f), centre + towardsLight (capRadius * 0.45f),
                                             juce::Colours::white.withAlpha (0.0f), centre + towardsLight (capRadius * 0.45f)
                                                                                        + juce::Point<float> (capRadius, 0.0f),
                                             true));
    g.fillPath (capOutline);

    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.5f), centre + towardsLight (capRadius),
                                             juce::Colours::black.withAlpha (0.7f), centre - towardsLight (capRadius), false));
    g.drawEllipse (circle (capRadius - 0.4f), 0.9f);

    // Pointer line, engraved across cap and skirt and filled with cream paint.
    const juce::Line<float> pointer { polar (centre, radius * 0.22f, angle), polar (centre, radius * 0.95f, angle) };
    const float pointerWidth = juce::jmax (1.6f, radius * 0.085f);
    const juce::PathStrokeType pointerStroke (pointerWidth, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
    juce::Path pointerPath;
    pointerPath.addLineSegment (pointer, 0.0f);
    juce::Path pointerShape;
    pointerStroke.createStrokedPath (pointerShape, pointerPath);
    g.setColour (juce::Colours::black.withAlpha (0.65f));
    g.fillPath (pointerShape, juce::AffineTransform::translation (shadowDirection * (pointerWidth * 0.45f)));
    g.setColour (juce::Colour (0xFFF3EFE2));
    g.fillPath (pointerShape);
}

void drawLamp (juce::Graphics& g, juce::Point<float> centre, float radius, bool lit)
{
    const auto circle = [centre] (float r) { return juce::Rectangle<float> (r * 2.0f, r * 2.0f).withCentre (centre); };
    const auto towardsLight = [] (float r) { return polar ({}, r, lightAngle); };

    if (lit)
    {
        juce::ColourGradient glow (juce::Colour (0xFFFF5A36).withAlpha (0.55f), centre,
                                   juce::Colour (0xFFFF5A36).withAlpha (0.0f), centre + juce::Point<float> (radius * 3.2f, 0.0f), true);
        g.setGradientFill (glow);
        g.fillEllipse (circle (radius * 3.2f));
    }

    // Bezel ring.
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xFFC9CBD2), centre + towardsLight (radius * 1.45f),
                                             juce::Colour (0xFF34363D), centre - towardsLight (radius * 1.45f), false));
    g.fillEllipse (circle (radius * 1.45f));
    g.setColour (juce::Colour (0xFF111216));
    g.fillEllipse (circle (radius * 1.08f));

    // Lens.
    const auto hot = lit ? juce::Colour (0xFFFFD6B0) : juce::Colour (0xFF7A2A22);
    const auto body = lit ? juce::Colour (0xFFFF4A2A) : juce::Colour (0xFF4A1712);
    const auto rim = lit ? juce::Colour (0xFFB01E0E) : juce::Colour (0xFF2A0C09);
    juce::ColourGradient lens (hot, centre + towardsLight (radius * 0.25f), rim, centre + juce::Point<float> (radius, 0.0f), true);
    lens.addColour (0.45, body);
    g.setGradientFill (lens);
    g.fillEllipse (circle (radius));

    // Specular reflection of the light on the dome.
    const auto spot = centre + towardsLight (radius * 0.45f);
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (lit ? 0.8f : 0.45f), spot,
                                             juce::Colours::white.withAlpha (0.0f), spot + juce::Point<float> (radius * 0.45f, 0.0f), true));
    g.fillEllipse (juce::Rectangle<float> (radius * 0.9f, radius * 0.9f).withCentre (spot));
}

} // namespace vexa::artwork
