// The two single pictures: the panel background and the VU meter face.

#include "Artwork.h"
#include "ArtworkStyle.h"

#include <cmath>

namespace vexa::artwork
{
namespace
{
// The editor stretches the 448 x 832 background into (5, 5, 290, 600) of its 300 x 610
// window. The panel's parts are drawn in editor coordinates through this transform, so they
// come out with the right proportions once the editor has stretched the image.
constexpr int backgroundWidth = 448;
constexpr int backgroundHeight = 832;
const juce::Rectangle<float> panelArea { 5.0f, 5.0f, 290.0f, 600.0f };

juce::AffineTransform editorToBackground()
{
    return juce::AffineTransform::translation (-panelArea.getX(), -panelArea.getY())
        .scaled ((float) backgroundWidth / panelArea.getWidth(), (float) backgroundHeight / panelArea.getHeight());
}

/** Dark anodised aluminium with horizontal brushing, lit from the upper left. */
void fillBrushedMetal (juce::Image& image)
{
    const int w = image.getWidth();
    const int h = image.getHeight();
    juce::Random random (0x5eed0001);

    const auto base = palette::panel;
    float rowShade = 0.0f;
    std::vector<float> knots;

    for (int y = 0; y < h; ++y)
    {
        // Each row gets its own slight shade, plus long streaks that drift along it.
        rowShade = 0.55f * rowShade + 0.45f * (random.nextFloat() * 2.0f - 1.0f);
        constexpr int knotSpacing = 28;
        knots.clear();
        for (int k = 0; k <= w / knotSpacing + 1; ++k)
            knots.push_back (random.nextFloat() * 2.0f - 1.0f);

        for (int x = 0; x < w; ++x)
        {
            const float t = (float) x / (float) knotSpacing;
            const int k = (int) t;
            const float streak = knots[(size_t) k] + (knots[(size_t) k + 1] - knots[(size_t) k]) * (t - (float) k);
            const float grain = random.nextFloat() * 2.0f - 1.0f;
            const float light = 7.0f * (1.0f - 2.0f * (0.3f * (float) x / (float) w + 0.7f * (float) y / (float) h));
            const float offset = light + 2.6f * rowShade + 2.2f * streak + 1.3f * grain;

            const auto channel = [offset] (juce::uint8 c) { return (juce::uint8) juce::jlimit (0, 255, juce::roundToInt ((float) c + offset)); };
            image.setPixelAt (x, y, juce::Colour (channel (base.getRed()), channel (base.getGreen()), channel (base.getBlue())));
        }
    }
}

/** Raised edge of the panel: light on the top and left, shade on the bottom and right. */
void drawPanelBevel (juce::Graphics& g, juce::Rectangle<float> area, float width)
{
    const auto inner = area.reduced (width);
    const auto quad = [] (juce::Point<float> a, juce::Point<float> b, juce::Point<float> c, juce::Point<float> d)
    {
        juce::Path p;
        p.startNewSubPath (a);
        p.lineTo (b);
        p.lineTo (c);
        p.lineTo (d);
        p.closeSubPath();
        return p;
    };

    g.setColour (juce::Colours::white.withAlpha (0.13f));
    g.fillPath (quad (area.getTopLeft(), area.getTopRight(), inner.getTopRight(), inner.getTopLeft()));
    g.setColour (juce::Colours::white.withAlpha (0.08f));
    g.fillPath (quad (area.getTopLeft(), inner.getTopLeft(), inner.getBottomLeft(), area.getBottomLeft()));
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.fillPath (quad (area.getBottomLeft(), inner.getBottomLeft(), inner.getBottomRight(), area.getBottomRight()));
    g.setColour (juce::Colours::black.withAlpha (0.25f));
    g.fillPath (quad (area.getTopRight(), area.getBottomRight(), inner.getBottomRight(), inner.getTopRight()));
}

/** Engraved groove: a dark line with a lit lower edge. */
void drawGroove (juce::Graphics& g, juce::Line<float> line)
{
    g.setColour (juce::Colours::white.withAlpha (0.08f));
    const juce::Line<float> lit { line.getStart() + juce::Point<float> (0.8f, 0.8f), line.getEnd() + juce::Point<float> (0.8f, 0.8f) };
    g.drawLine (lit, 0.9f);
    g.setColour (juce::Colours::black.withAlpha (0.4f));
    g.drawLine (line, 0.9f);
}
} // namespace

juce::Image drawPanelBackground()
{
    juce::Image image (juce::Image::RGB, backgroundWidth, backgroundHeight, true);
    fillBrushedMetal (image);

    juce::Graphics g (image);
    g.addTransform (editorToBackground());

    drawPanelBevel (g, panelArea, 3.0f);

    // Window for the VU meter: the face sits at (86, 30, 128, 128), the editor frames it.
    drawRecess (g, { 82.0f, 26.0f, 136.0f, 136.0f }, 4.0f, palette::recess);

    // The meter's mounting screws either side of it, and the panel's corner screws.
    drawScrew (g, { 66.0f, 94.0f }, 4.2f, degrees (20.0f));
    drawScrew (g, { 234.0f, 94.0f }, 4.2f, degrees (-35.0f));
    drawScrew (g, { 14.0f, 14.0f }, 4.2f, degrees (10.0f));
    drawScrew (g, { 286.0f, 14.0f }, 4.2f, degrees (-25.0f));
    drawScrew (g, { 14.0f, 596.0f }, 4.2f, degrees (40.0f));
    drawScrew (g, { 286.0f, 596.0f }, 4.2f, degrees (-5.0f));

    // A groove between the two columns of knobs.
    drawGroove (g, { 150.0f, 268.0f, 150.0f, 582.0f });

    return image;
}

//==============================================================================
namespace
{
// Needle geometry of the editor, in face pixels: pivot at the centre, 42 px long, angle in
// degrees = 150 * amplitude - 105, from -90 (left stop, -20 VU) to +90 (right stop, about +2.3 VU).
const juce::Point<float> pivot { 64.0f, 64.0f };

float vuAngle (float db)
{
    return degrees (juce::jlimit (-90.0f, 90.0f, 150.0f * std::pow (10.0f, db / 20.0f) - 105.0f));
}
} // namespace

juce::Image drawVuMeterFace()
{
    constexpr int size = 128;
    juce::Image image (juce::Image::ARGB, size, size, true);
    juce::Graphics g (image);
    const auto face = image.getBounds().toFloat();

    // Backlit cream paper, brightest just above the pivot.
    juce::ColourGradient paper (juce::Colour (0xFFF6EBC8), { 64.0f, 54.0f }, juce::Colour (0xFFD2BD86), { 64.0f + 92.0f, 54.0f }, true);
    paper.addColour (0.6, juce::Colour (0xFFEBDAA8));
    g.setGradientFill (paper);
    g.fillRect (face);

    const auto ink = juce::Colour (0xFF221E16);
    const auto red = juce::Colour (0xFFC8281E);
    const float arcRadius = 40.0f;
    const float leftStop = vuAngle (-20.0f);
    const float zeroAngle = vuAngle (0.0f);
    const float rightStop = degrees (90.0f);

    // Red zone from 0 VU to the right stop, outside the main arc.
    juce::Path redZone;
    redZone.addCentredArc (pivot.x, pivot.y, arcRadius + 2.2f, arcRadius + 2.2f, 0.0f, zeroAngle, rightStop, true);
    g.setColour (red);
    g.strokePath (redZone, juce::PathStrokeType (4.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));

    juce::Path arc;
    arc.addCentredArc (pivot.x, pivot.y, arcRadius, arcRadius, 0.0f, leftStop, rightStop, true);
    g.setColour (ink);
    g.strokePath (arc, juce::PathStrokeType (1.0f));

    struct Mark
    {
        float db;
        const char* label;
    };
    const Mark marks[] = { { -20.0f, "20" }, { -10.0f, "10" }, { -7.0f, "7" }, { -5.0f, "5" }, { -3.0f, "3" },
                           { -2.0f, "2" },   { -1.0f, "1" },   { 0.0f, "0" },  { 1.0f, "1" },  { 2.0f, "2" } };
    const float minorMarks[] = { -15.0f, -6.0f, -4.0f, 0.5f, 1.5f };

    const auto numberFont = artworkFont (11.5f);
    for (const auto& mark : marks)
    {
        const float a = vuAngle (mark.db);
        g.setColour (ink);
        g.drawLine ({ polar (pivot, arcRadius - 1.5f, a), polar (pivot, arcRadius + 6.5f, a) }, 1.3f);

        const auto size2 = labelSize (mark.label, numberFont);
        const float extent = std::abs (std::sin (a)) * size2.getWidth() * 0.5f + std::abs (std::cos (a)) * size2.getHeight() * 0.5f;
        drawLabel (g, mark.label, numberFont, polar (pivot, arcRadius + 10.0f + extent, a), mark.db > 0.0f ? red : ink);
    }

    for (const float db : minorMarks)
    {
        const float a = vuAngle (db);
        g.setColour (ink);
        g.drawLine ({ polar (pivot, arcRadius - 1.0f, a), polar (pivot, arcRadius + 3.5f, a) }, 1.0f);
    }

    // Signs at the ends of the scale.
    const auto signFont = artworkFont (14.0f);
    drawLabel (g, juce::String::fromUTF8 ("\xe2\x88\x92"), signFont, { 13.0f, 77.0f }, ink);
    drawLabel (g, "+", signFont, { 115.0f, 77.0f }, red);

    drawLabel (g, "VU", artworkFont (19.0f, 0.05f), { 64.0f, 94.0f }, ink);

    // Shade under the meter's bezel along the top and left, a faint glass reflection, and a vignette.
    g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.32f), { 0.0f, 0.0f },
                                             juce::Colours::black.withAlpha (0.0f), { 0.0f, 9.0f }, false));
    g.fillRect (face.withHeight (9.0f));
    g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.22f), { 0.0f, 0.0f },
                                             juce::Colours::black.withAlpha (0.0f), { 7.0f, 0.0f }, false));
    g.fillRect (face.withWidth (7.0f));

    juce::ColourGradient vignette (juce::Colours::black.withAlpha (0.0f), { 64.0f, 60.0f },
                                   juce::Colours::black.withAlpha (0.28f), { 64.0f + 95.0f, 60.0f }, true);
    vignette.addColour (0.6, juce::Colours::black.withAlpha (0.0f));
    g.setGradientFill (vignette);
    g.fillRect (face);

    juce::Path glare;
    glare.startNewSubPath (0.0f, 0.0f);
    glare.lineTo (78.0f, 0.0f);
    glare.quadraticTo (40.0f, 22.0f, 0.0f, 52.0f);
    glare.closeSubPath();
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.16f), { 0.0f, 0.0f },
                                             juce::Colours::white.withAlpha (0.0f), { 34.0f, 30.0f }, false));
    g.fillPath (glare);

    return image;
}

} // namespace vexa::artwork
