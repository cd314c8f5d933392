#include <gtest/gtest.h>

#include <BinaryData.h>

#include "FilmstripLookAndFeel.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The embedded images (their files, their lookup by name, what their frames show) and the
// look-and-feels that draw a control as one frame of a filmstrip.

namespace
{
struct Resource
{
    const char* name;
    const char* fileName;
    const char* data;
    int size;
    int width;
    int height;
    int frames;
    bool hasAlpha;
};

/** The eleven resources in list order, with the pixel layout the editor relies on. */
const std::vector<Resource>& resources()
{
    static const std::vector<Resource> table {
        { "Panel_Background_png", "Panel_Background.png", BinaryData::Panel_Background_png, BinaryData::Panel_Background_pngSize, 448, 832, 1, false },
        { "Vintage_VUMeter_png", "Vintage_VUMeter.png", BinaryData::Vintage_VUMeter_png, BinaryData::Vintage_VUMeter_pngSize, 128, 128, 1, true },
        { "Switch_Slide_Meter_png", "Switch_Slide_Meter.png", BinaryData::Switch_Slide_Meter_png, BinaryData::Switch_Slide_Meter_pngSize, 80, 240, 3, true },
        { "Switch_Toggle_Link_png", "Switch_Toggle_Link.png", BinaryData::Switch_Toggle_Link_png, BinaryData::Switch_Toggle_Link_pngSize, 80, 160, 2, true },
        { "Switch_Toggle_SCHP_png", "Switch_Toggle_SCHP.png", BinaryData::Switch_Toggle_SCHP_png, BinaryData::Switch_Toggle_SCHP_pngSize, 80, 160, 2, true },
        { "Knob_Threshold_png", "Knob_Threshold.png", BinaryData::Knob_Threshold_png, BinaryData::Knob_Threshold_pngSize, 120, 15360, 128, true },
        { "Knob_Makeup_png", "Knob_Makeup.png", BinaryData::Knob_Makeup_png, BinaryData::Knob_Makeup_pngSize, 120, 15360, 128, true },
        { "Knob_Attack_png", "Knob_Attack.png", BinaryData::Knob_Attack_png, BinaryData::Knob_Attack_pngSize, 120, 840, 7, true },
        { "Knob_Release_png", "Knob_Release.png", BinaryData::Knob_Release_png, BinaryData::Knob_Release_pngSize, 120, 600, 5, true },
        { "Knob_Ratio_png", "Knob_Ratio.png", BinaryData::Knob_Ratio_png, BinaryData::Knob_Ratio_pngSize, 120, 360, 3, true },
        { "Knob_Drive_png", "Knob_Drive.png", BinaryData::Knob_Drive_png, BinaryData::Knob_Drive_pngSize, 120, 15360, 128, true },
    };
    return table;
}

const Resource& resourceNamed (const std::string& name)
{
    for (const auto& r : resources())
        if (name == r.name)
            return r;
    throw std::invalid_argument (name);
}

juce::Image decode (const Resource& r)
{
    return juce::ImageCache::getFromMemory (r.data, r.size);
}

/** Frame `frame` of a strip of square frames. */
juce::Image frameOf (const juce::Image& strip, int frame)
{
    const int size = strip.getWidth();
    return strip.getClippedImage ({ 0, frame * size, size, size });
}

/** The lookup's name hash: h = 31 h + byte, the byte taken as signed, modulo 2^32. */
uint32_t resourceNameHash (const std::string& name)
{
    uint32_t hash = 0;
    for (const char c : name)
        hash = 31u * hash + (uint32_t) (int32_t) (signed char) c;
    return hash;
}

/** Another name with the same hash: byte i grows by `delta` and byte i + 1 shrinks by 31 delta. */
std::string collidingName (std::string name, size_t i, int delta)
{
    name[i] = (char) (signed char) ((signed char) name[i] + delta);
    name[i + 1] = (char) (signed char) ((signed char) name[i + 1] - 31 * delta);
    return name;
}
} // namespace

//==============================================================================
TEST (Assets, EveryResourceIsAPngOfItsPixelLayout)
{
    for (const auto& r : resources())
    {
        SCOPED_TRACE (r.name);
        ASSERT_GT (r.size, 33);
        const auto* bytes = reinterpret_cast<const unsigned char*> (r.data);

        EXPECT_EQ (0, std::memcmp (bytes, "\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ (8, bytes[24]) << "bit depth";
        EXPECT_EQ (r.hasAlpha ? 6 : 2, bytes[25]) << "colour type (2 RGB, 6 RGBA)";
        EXPECT_EQ (0, bytes[28]) << "interlace";
        EXPECT_EQ (0, r.data[r.size]) << "the byte after the counted bytes";

        const auto image = decode (r);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (r.width, image.getWidth());
        EXPECT_EQ (r.height, image.getHeight());
        EXPECT_EQ (r.hasAlpha, image.hasAlphaChannel());
        if (r.frames > 1)
        {
            EXPECT_EQ (r.height, r.frames * r.width) << "frames are square";
        }
    }
}

TEST (Assets, ResourceListsHoldTheNamesAndFilesInOrder)
{
    ASSERT_EQ ((int) resources().size(), BinaryData::namedResourceListSize);
    for (size_t i = 0; i < resources().size(); ++i)
    {
        EXPECT_STREQ (resources()[i].name, BinaryData::namedResourceList[i]);
        EXPECT_STREQ (resources()[i].fileName, BinaryData::originalFilenames[i]);
    }
}

TEST (Assets, NamedResourceFindsEveryResource)
{
    for (const auto& r : resources())
    {
        SCOPED_TRACE (r.name);
        int size = -1;
        EXPECT_EQ (r.data, BinaryData::getNamedResource (r.name, size));
        EXPECT_EQ (r.size, size);
    }
}

TEST (Assets, NamedResourceFindsNothingForOtherNames)
{
    const char* const names[] = { "Knob_Attack.png", "knob_attack_png", "KNOB_ATTACK_PNG", "Knob_Attack_pn", "Knob_Attack_png ", "", nullptr };
    for (const auto* name : names)
    {
        SCOPED_TRACE (name == nullptr ? "nullptr" : name);
        int size = 12345;
        EXPECT_EQ (nullptr, BinaryData::getNamedResource (name, size));
        EXPECT_EQ (0, size);
    }
}

TEST (Assets, NamedResourceComparesOnlyTheHashOfTheName)
{
    ASSERT_EQ (0x0031811Bu, resourceNameHash ("Knob_Attack_png"));

    struct Case
    {
        const char* original;
        size_t index;
        int delta;
    };
    const Case cases[] = {
        { "Knob_Ratio_png", 5, 1 },    // "Knob_SBtio_png"
        { "Knob_Ratio_png", 12, 7 },   // "Knob_Ratio_pu\x8e": a byte from 0x80 up counts negative
        { "Knob_Drive_png", 3, -1 },   // "Knoa~Drive_png"
    };

    for (const auto& c : cases)
    {
        const auto name = collidingName (c.original, c.index, c.delta);
        SCOPED_TRACE (name);
        ASSERT_NE (name, c.original);
        ASSERT_EQ (resourceNameHash (c.original), resourceNameHash (name));

        int size = -1;
        EXPECT_EQ (resourceNamed (c.original).data, BinaryData::getNamedResource (name.c_str(), size));
        EXPECT_EQ (resourceNamed (c.original).size, size);
        EXPECT_EQ (nullptr, BinaryData::getNamedResourceOriginalFilename (name.c_str())) << "file names need the exact name";
    }
}

TEST (Assets, OriginalFilenameNeedsTheExactResourceName)
{
    EXPECT_STREQ ("Knob_Ratio.png", BinaryData::getNamedResourceOriginalFilename ("Knob_Ratio_png"));
    EXPECT_EQ (nullptr, BinaryData::getNamedResourceOriginalFilename ("Knob_Ratio.png"));
    EXPECT_EQ (nullptr, BinaryData::getNamedResourceOriginalFilename (""));
    for (const auto& r : resources())
        EXPECT_STREQ (r.fileName, BinaryData::getNamedResourceOriginalFilename (r.name));
}

//==============================================================================
// What the artwork's frames show.

namespace
{
/** Direction of a knob frame's cream pointer line, in degrees clockwise from straight up:
    the centroid of its pixels around the knob's pivot, which sits at (60, 66) of the frame. */
std::optional<double> pointerAngle (const juce::Image& frame)
{
    const double pivotX = 60.0, pivotY = 66.0;
    double sumX = 0.0, sumY = 0.0;
    int count = 0;
    for (int y = 0; y < frame.getHeight(); ++y)
        for (int x = 0; x < frame.getWidth(); ++x)
        {
            const double dx = x + 0.5 - pivotX, dy = y + 0.5 - pivotY;
            const double distance = std::hypot (dx, dy);
            const auto c = frame.getPixelAt (x, y);
            if (distance > 4.0 && distance < 24.0 && c.getAlpha() > 200 && c.getRed() > 215 && c.getGreen() > 210 && c.getBlue() > 190)
            {
                sumX += dx;
                sumY += dy;
                ++count;
            }
        }
    if (count < 10)
        return std::nullopt;
    return juce::radiansToDegrees (std::atan2 (sumX, -sumY));
}
} // namespace

TEST (Assets, KnobFramesTurnClockwiseThroughTheirTravel)
{
    // Frame k of n points at k / (n - 1) of a travel from -135 to +135 degrees.
    struct Case
    {
        const char* name;
        std::vector<int> frames;
    };
    const Case cases[] = {
        { "Knob_Threshold_png", { 0, 32, 63, 64, 95, 127 } },
        { "Knob_Makeup_png", { 0, 32, 63, 64, 95, 127 } },
        { "Knob_Drive_png", { 0, 32, 63, 64, 95, 127 } },
        { "Knob_Attack_png", { 0, 1, 2, 3, 4, 5, 6 } },
        { "Knob_Release_png", { 0, 1, 2, 3, 4 } },
        { "Knob_Ratio_png", { 0, 1, 2 } },
    };

    for (const auto& c : cases)
    {
        const auto& r = resourceNamed (c.name);
        const auto strip = decode (r);
        for (const int frame : c.frames)
        {
            SCOPED_TRACE (std::string (c.name) + " frame " + std::to_string (frame));
            const auto angle = pointerAngle (frameOf (strip, frame));
            ASSERT_TRUE (angle.has_value());
            EXPECT_NEAR (-135.0 + 270.0 * frame / (r.frames - 1), *angle, 1.5);
        }
    }
}

TEST (Assets, ToggleFramesLightTheLampOnlyWhenOn)
{
    const auto litPixels = [] (const juce::Image& frame)
    {
        int count = 0;
        for (int y = 0; y < frame.getHeight(); ++y)
            for (int x = 0; x < frame.getWidth(); ++x)
            {
                const auto c = frame.getPixelAt (x, y);
                count += c.getAlpha() > 200 && c.getRed() > 220 && c.getGreen() < 150 && c.getBlue() < 120 ? 1 : 0;
            }
        return count;
    };

    for (const auto* name : { "Switch_Toggle_Link_png", "Switch_Toggle_SCHP_png" })
    {
        SCOPED_TRACE (name);
        const auto strip = decode (resourceNamed (name));
        EXPECT_EQ (0, litPixels (frameOf (strip, 0)));
        EXPECT_GT (litPixels (frameOf (strip, 1)), 10);
    }
}

TEST (Assets, MeterModeFramesLeaveTheEditorsLabelsVisibleAndPutTheThumbUnderThem)
{
    // The editor stretches each 80 x 80 frame into editor x 112..188, y 180..250, over its
    // labels "Meter Mode" (y 182..196) and "IN" / "GR" / "OUT" (y 228..242, centred on x 115, 150, 185).
    const auto toFrameY = [] (double editorY) { return (editorY - 180.0) * 80.0 / 70.0; };
    const auto toEditorX = [] (double frameX) { return 112.0 + frameX * 76.0 / 80.0; };
    const double labelRows[][2] = { { 182.0, 196.0 }, { 228.0, 242.0 } };
    const double labelCentres[] = { 115.0, 150.0, 185.0 };

    const auto strip = decode (resourceNamed ("Switch_Slide_Meter_png"));
    for (int frame = 0; frame < 3; ++frame)
    {
        SCOPED_TRACE ("frame " + std::to_string (frame));
        const auto image = frameOf (strip, frame);

        for (const auto& rows : labelRows)
            for (int y = (int) std::floor (toFrameY (rows[0])); y < (int) std::ceil (toFrameY (rows[1])); ++y)
                for (int x = 0; x < 80; ++x)
                    ASSERT_EQ (0, image.getPixelAt (x, y).getAlpha()) << "at " << x << ", " << y;

        // The thumb is the bright metal of the frame.
        double sumX = 0.0;
        int count = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x)
                if (const auto c = image.getPixelAt (x, y); c.getAlpha() > 200 && c.getBrightness() > 0.6f)
                {
                    sumX += x + 0.5;
                    ++count;
                }
        ASSERT_GT (count, 20);
        EXPECT_NEAR (labelCentres[frame], toEditorX (sumX / count), 8.0);
    }
}

//==============================================================================
// The filmstrip look-and-feels, drawing a test strip whose frames are distinct solid colours.

namespace
{
juce::Colour testFrameColour (int frame)
{
    return juce::Colour ((juce::uint8) (2 * frame), (juce::uint8) (255 - 2 * frame), (juce::uint8) (frame % 2 == 0 ? 200 : 40));
}

juce::Image makeTestStrip (int frames, int frameWidth, int frameHeight)
{
    juce::Image strip (juce::Image::ARGB, frameWidth, frameHeight * frames, true);
    for (int frame = 0; frame < frames; ++frame)
        strip.clear ({ 0, frame * frameHeight, frameWidth, frameHeight }, testFrameColour (frame));
    return strip;
}

/** The frame whose colour a pixel shows, or -1 where no frame's colour covers it. (The
    renderer may leave the last column of a scaled image a hair short of full coverage.) */
int frameAt (const juce::Image& canvas, int x, int y, int frames)
{
    const auto c = canvas.getPixelAt (x, y);
    if (c.getAlpha() < 0xF0)
        return -1;
    for (int frame = 0; frame < frames; ++frame)
    {
        const auto f = testFrameColour (frame);
        if (std::abs (c.getRed() - f.getRed()) + std::abs (c.getGreen() - f.getGreen()) + std::abs (c.getBlue() - f.getBlue()) <= 6)
            return frame;
    }
    return -1;
}

bool isBlank (const juce::Image& canvas)
{
    for (int y = 0; y < canvas.getHeight(); ++y)
        for (int x = 0; x < canvas.getWidth(); ++x)
            if (canvas.getPixelAt (x, y).getARGB() != 0)
                return false;
    return true;
}

juce::Image render (juce::Component& component)
{
    juce::Image canvas (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (canvas);
    component.paintEntireComponent (g, false);
    return canvas;
}

/** A 100 x 100 knob as the editor has them, drawn by `laf`, with the given range and value. */
juce::Image renderKnob (juce::LookAndFeel& laf, double maximum, double interval, double value)
{
    juce::Slider knob (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox);
    knob.setLookAndFeel (&laf);
    knob.setBounds (0, 0, 100, 100);
    knob.setRange (0.0, maximum, interval);
    knob.setValue (value, juce::dontSendNotification);
    auto canvas = render (knob);
    knob.setLookAndFeel (nullptr);
    return canvas;
}

/** The 100 x 70 meter-mode switch as the editor has it, drawn by `laf`. The range is wider
    than the editor's 0..2 so that the slider can hold values off the switch positions. */
juce::Image renderSlideSwitch (juce::LookAndFeel& laf, double value)
{
    juce::Slider slideSwitch (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slideSwitch.setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    slideSwitch.setLookAndFeel (&laf);
    slideSwitch.setBounds (0, 0, 100, 70);
    slideSwitch.setRange (-1.0, 8.0, 0.0);
    slideSwitch.setValue (value, juce::dontSendNotification);
    auto canvas = render (slideSwitch);
    slideSwitch.setLookAndFeel (nullptr);
    return canvas;
}

juce::Image renderToggle (juce::LookAndFeel& laf, bool on)
{
    juce::ToggleButton toggle;
    toggle.setLookAndFeel (&laf);
    toggle.setBounds (0, 0, 76, 76);
    toggle.setToggleState (on, juce::dontSendNotification);
    auto canvas = render (toggle);
    toggle.setLookAndFeel (nullptr);
    return canvas;
}
} // namespace

TEST (FilmstripLookAndFeel, KnobShowsTheFrameOfItsPositionOverItsWholeBounds)
{
    struct Case
    {
        int frames;
        double maximum;
        double interval;
        double value;
        int expectedFrame;
    };
    std::vector<Case> cases {
        { 128, 1.0, 0.0, 0.0, 0 },
        { 128, 1.0, 0.0, 0.5, 63 },
        { 128, 1.0, 0.0, 0.999, 126 },
        { 128, 1.0, 0.0, 1.0, 127 },
    };
    // The stepped knobs: choice k of n lies at k / (n - 1) and shows frame k.
    for (const int frames : { 7, 5, 3 })
        for (int choice = 0; choice < frames; ++choice)
            cases.push_back ({ frames, frames - 1.0, 1.0, (double) choice, choice });

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::to_string (c.frames) + " frames, value " + std::to_string (c.value));
        FilmstripLookAndFeel laf (makeTestStrip (c.frames, 120, 120), c.frames);
        const auto canvas = renderKnob (laf, c.maximum, c.interval, c.value);
        const std::pair<int, int> corners[] = { { 0, 0 }, { 99, 0 }, { 50, 50 }, { 0, 99 }, { 99, 99 } };
        for (const auto& [x, y] : corners)
            EXPECT_EQ (c.expectedFrame, frameAt (canvas, x, y, c.frames)) << "at " << x << ", " << y;
    }
}

TEST (FilmstripLookAndFeel, SlideSwitchShowsItsRoundedValueBetweenTheThumbIndents)
{
    struct Case
    {
        double value;
        int expectedFrame;
    };
    const Case cases[] = { { 0.0, 0 }, { 1.0, 1 }, { 2.0, 2 }, { 1.5, 2 }, { 0.5, 0 }, { 2.5, 2 }, { -0.4, 0 }, { -1.0, 0 }, { 7.0, 2 } };

    FilmstripLinearLAF laf (makeTestStrip (3, 80, 80), 3);
    for (const auto& c : cases)
    {
        SCOPED_TRACE ("value " + std::to_string (c.value));
        const auto canvas = renderSlideSwitch (laf, c.value);
        const std::pair<int, int> inside[] = { { 12, 0 }, { 87, 0 }, { 50, 35 }, { 12, 69 }, { 87, 69 } };
        const std::pair<int, int> outside[] = { { 0, 35 }, { 11, 35 }, { 88, 35 }, { 99, 35 } };
        for (const auto& [x, y] : inside)
            EXPECT_EQ (c.expectedFrame, frameAt (canvas, x, y, 3)) << "at " << x << ", " << y;
        for (const auto& [x, y] : outside)
            EXPECT_EQ (0, canvas.getPixelAt (x, y).getAlpha()) << "untouched at " << x << ", " << y;
    }
}

TEST (FilmstripLookAndFeel, ToggleShowsItsStateOverTheWholeButtonWhateverTheMouseDoes)
{
    FilmstripToggleLAF laf (makeTestStrip (2, 80, 80), 2);
    const std::pair<int, int> probes[] = { { 0, 0 }, { 75, 0 }, { 38, 38 }, { 0, 75 }, { 75, 75 } };

    for (const bool on : { false, true })
    {
        const int expected = on ? 1 : 0;
        const auto painted = renderToggle (laf, on);
        for (const auto& [x, y] : probes)
            EXPECT_EQ (expected, frameAt (painted, x, y, 2)) << "on " << on << " at " << x << ", " << y;

        juce::ToggleButton toggle;
        toggle.setBounds (0, 0, 76, 76);
        toggle.setToggleState (on, juce::dontSendNotification);
        for (const bool highlighted : { false, true })
            for (const bool down : { false, true })
            {
                juce::Image canvas (juce::Image::ARGB, 76, 76, true);
                {
                    juce::Graphics g (canvas);
                    laf.drawToggleButton (g, toggle, highlighted, down);
                }
                for (const auto& [x, y] : probes)
                    EXPECT_EQ (expected, frameAt (canvas, x, y, 2))
                        << "on " << on << " highlighted " << highlighted << " down " << down << " at " << x << ", " << y;
            }
    }
}

TEST (FilmstripLookAndFeel, SingleFrameToggleShowsThatFrameInBothStates)
{
    FilmstripToggleLAF laf (makeTestStrip (1, 80, 80), 1);
    for (const bool on : { false, true })
        EXPECT_EQ (0, frameAt (renderToggle (laf, on), 38, 38, 1)) << "on " << on;
}

TEST (FilmstripLookAndFeel, InvalidImageDrawsNothing)
{
    FilmstripLookAndFeel knobLaf (juce::Image(), 128);
    FilmstripLinearLAF switchLaf (juce::Image(), 3);
    FilmstripToggleLAF toggleLaf (juce::Image(), 2);

    EXPECT_TRUE (isBlank (renderKnob (knobLaf, 1.0, 0.0, 0.5)));
    EXPECT_TRUE (isBlank (renderSlideSwitch (switchLaf, 1.0)));
    EXPECT_TRUE (isBlank (renderToggle (toggleLaf, false)));
    EXPECT_TRUE (isBlank (renderToggle (toggleLaf, true)));
}
