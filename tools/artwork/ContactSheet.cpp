// The contact sheet (docs/artwork-contact-sheet.png): a mock-up of the whole panel as the
// editor lays it out, then each image with a selection of its frames.

#include "Artwork.h"
#include "ArtworkStyle.h"

#include <cmath>

namespace vexa::artwork
{
namespace
{
const juce::Colour sheetColour { 0xFF1C1D22 };
const juce::Colour headingColour { 0xFFB4B8C4 };

juce::Image findImage (const std::vector<NamedImage>& images, const juce::String& fileName)
{
    for (const auto& named : images)
        if (named.fileName == fileName)
            return named.image;
    jassertfalse;
    return {};
}

juce::Image frameOf (const juce::Image& strip, int frame)
{
    const int size = strip.getWidth();
    return strip.getClippedImage ({ 0, frame * size, size, size });
}

void drawHeading (juce::Graphics& g, const juce::String& text, float x, float y)
{
    g.setColour (headingColour);
    g.setFont (artworkFont (13.0f));
    g.drawText (text, juce::Rectangle<float> (x, y, 900.0f, 16.0f), juce::Justification::centredLeft, false);
}

void drawCaptioned (juce::Graphics& g, const juce::Image& image, float x, float y, const juce::String& caption)
{
    g.setOpacity (1.0f);  // images are drawn with the current colour's opacity
    g.drawImageAt (image, (int) x, (int) y);
    g.setColour (headingColour.withAlpha (0.7f));
    g.setFont (artworkFont (11.0f));
    g.drawText (caption, juce::Rectangle<float> (x, y + (float) image.getHeight() + 1.0f, (float) image.getWidth(), 13.0f),
                juce::Justification::centred, false);
}

/** The editor's window as it paints itself, with the controls at typical settings. */
void drawPanelMockup (juce::Graphics& g, const std::vector<NamedImage>& images)
{
    const juce::Colour inkColour { 0xFFC0C0C0 };
    g.setColour (palette::panel);
    g.fillRect (0, 0, 300, 610);
    g.drawImage (findImage (images, "Panel_Background.png"), 5, 5, 290, 600, 0, 0, 448, 832);
    g.setColour (inkColour);
    g.drawRoundedRectangle (2.5f, 2.5f, 295.0f, 605.0f, 5.0f, 1.5f);
    g.setFont (juce::Font (juce::FontOptions ("Helvetica Neue", 12.0f, juce::Font::italic)));
    g.drawText ("Vexa Compressor", juce::Rectangle<float> (10.0f, 8.0f, 280.0f, 18.0f), juce::Justification::centred, true);

    g.drawImageAt (findImage (images, "Vintage_VUMeter.png"), 86, 30);
    const float needleDb = -5.0f;
    const float angle = degrees (juce::jlimit (-90.0f, 90.0f, 150.0f * std::pow (10.0f, needleDb / 20.0f) - 105.0f));
    const auto tip = polar ({ 150.0f, 94.0f }, 42.0f, angle);
    g.setColour (juce::Colour (0x73000000));
    g.drawLine (151.0f, 95.0f, tip.x + 1.0f, tip.y + 1.0f, 1.0f);
    g.setColour (juce::Colour (0xFF1A1A14));
    g.drawLine (150.0f, 94.0f, tip.x, tip.y, 1.0f);
    g.setColour (juce::Colour (0xFF888880));
    g.fillEllipse (145.0f, 89.0f, 10.0f, 10.0f);
    g.setColour (juce::Colour (0xFFCCCCBC));
    g.fillEllipse (147.5f, 91.5f, 5.0f, 5.0f);
    g.setColour (juce::Colour (0xFF222230));
    g.drawRect (juce::Rectangle<float> (86.0f, 30.0f, 128.0f, 128.0f), 2.0f);

    for (const float y : { 174.0f, 258.0f, 368.0f, 478.0f })
    {
        g.setColour (inkColour);
        g.fillRect (juce::Rectangle<float> (14.0f, y, 272.0f, 1.0f));
    }

    g.setFont (juce::Font (juce::FontOptions (10.0f)));
    g.drawText ("Meter Mode", juce::Rectangle<float> (100.0f, 182.0f, 100.0f, 14.0f), juce::Justification::centred, true);
    g.drawText ("IN", juce::Rectangle<float> (100.0f, 228.0f, 30.0f, 14.0f), juce::Justification::centred, true);
    g.drawText ("GR", juce::Rectangle<float> (135.0f, 228.0f, 30.0f, 14.0f), juce::Justification::centred, true);
    g.drawText ("OUT", juce::Rectangle<float> (170.0f, 228.0f, 30.0f, 14.0f), juce::Justification::centred, true);
    g.drawText ("Version 1.1.0", juce::Rectangle<float> (10.0f, 590.0f, 280.0f, 14.0f), juce::Justification::centred, true);

    const auto drawFrame = [&] (const char* file, int frame, juce::Rectangle<int> bounds)
    {
        const auto strip = findImage (images, file);
        const int size = strip.getWidth();
        g.drawImage (strip, bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(), 0, frame * size, size, size);
    };

    drawFrame ("Switch_Toggle_SCHP.png", 0, { 7, 180, 76, 76 });
    drawFrame ("Switch_Toggle_Link.png", 1, { 217, 180, 76, 76 });
    drawFrame ("Switch_Slide_Meter.png", 1, { 112, 180, 76, 70 });
    drawFrame ("Knob_Threshold.png", 95, { 30, 266, 100, 100 });   // -10 dB
    drawFrame ("Knob_Makeup.png", 21, { 170, 266, 100, 100 });     // 2 dB
    drawFrame ("Knob_Attack.png", 2, { 30, 376, 100, 100 });       // 1 ms
    drawFrame ("Knob_Release.png", 4, { 170, 376, 100, 100 });     // AUTO
    drawFrame ("Knob_Ratio.png", 1, { 30, 486, 100, 100 });        // 4:1
    drawFrame ("Knob_Drive.png", 38, { 170, 486, 100, 100 });      // 30 %
}
} // namespace

juce::Image drawContactSheet (const std::vector<NamedImage>& images)
{
    juce::Image sheet (juce::Image::RGB, 1460, 1090, true);
    juce::Graphics g (sheet);
    g.fillAll (sheetColour);
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);

    // Column 1: the panel as the editor shows it, 1:1.
    drawHeading (g, "Panel mock-up (editor pixels, 1x)", 16.0f, 12.0f);
    {
        juce::Graphics::ScopedSaveState state (g);
        g.setOrigin (16, 34);
        g.reduceClipRegion (0, 0, 300, 610);
        drawPanelMockup (g, images);
    }

    // Column 2: the two single pictures.
    drawHeading (g, "Panel_Background.png (half size)", 340.0f, 12.0f);
    g.drawImage (findImage (images, "Panel_Background.png"), 340, 34, 224, 416, 0, 0, 448, 832);
    drawHeading (g, "Vintage_VUMeter.png (1x, 2x)", 340.0f, 466.0f);
    const auto face = findImage (images, "Vintage_VUMeter.png");
    g.drawImageAt (face, 340, 488);
    g.drawImage (face, 340, 628, 256, 256, 0, 0, 128, 128);

    // Column 3: frames of every strip at 1x.
    struct Row
    {
        const char* file;
        std::vector<int> frames;
        std::vector<const char*> captions;
    };
    const Row rows[] = {
        { "Knob_Threshold.png", { 0, 32, 64, 95, 127 }, { "frame 0", "32", "64", "95", "127" } },
        { "Knob_Makeup.png", { 0, 32, 64, 95, 127 }, { "frame 0", "32", "64", "95", "127" } },
        { "Knob_Drive.png", { 0, 32, 64, 95, 127 }, { "frame 0", "32", "64", "95", "127" } },
        { "Knob_Attack.png", { 0, 1, 2, 3, 4, 5, 6 }, { "0.1ms", "0.3ms", "1ms", "3ms", "10ms", "30ms", "AUTO" } },
        { "Knob_Release.png", { 0, 1, 2, 3, 4 }, { "0.1s", "0.3s", "0.6s", "1.2s", "AUTO" } },
        { "Knob_Ratio.png", { 0, 1, 2 }, { "2:1", "4:1", "10:1" } },
    };

    float y = 12.0f;
    for (const auto& row : rows)
    {
        drawHeading (g, row.file, 600.0f, y);
        const auto strip = findImage (images, row.file);
        for (size_t i = 0; i < row.frames.size(); ++i)
            drawCaptioned (g, frameOf (strip, row.frames[i]), 600.0f + 122.0f * (float) i, y + 20.0f, row.captions[i]);
        y += 158.0f;
    }

    drawHeading (g, "Switch_Toggle_SCHP.png, Switch_Toggle_Link.png (off, on)    Switch_Slide_Meter.png (IN, GR, OUT)", 600.0f, y);
    const char* const toggleFiles[] = { "Switch_Toggle_SCHP.png", "Switch_Toggle_Link.png" };
    float x = 600.0f;
    for (const auto* file : toggleFiles)
        for (int frame = 0; frame < 2; ++frame, x += 84.0f)
            drawCaptioned (g, frameOf (findImage (images, file), frame), x, y + 20.0f, frame == 0 ? "off" : "on");

    x += 20.0f;
    const char* const positions[] = { "IN", "GR", "OUT" };
    for (int frame = 0; frame < 3; ++frame, x += 84.0f)
        drawCaptioned (g, frameOf (findImage (images, "Switch_Slide_Meter.png"), frame), x, y + 20.0f, positions[frame]);

    return sheet;
}

} // namespace vexa::artwork
