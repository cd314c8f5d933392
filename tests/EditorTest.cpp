#include <gtest/gtest.h>

#include "PluginEditor.h"
#include "TestSupport.h"

using namespace vexa_test;

/** Reaches the editor's controls and meter state from the tests. */
struct VexaEditorTestAccess
{
    static juce::Slider& slider (VexaEditor& e, const juce::String& id)
    {
        if (id == "threshold") return e.thresholdSlider;
        if (id == "makeup") return e.makeupSlider;
        if (id == "attack") return e.attackSlider;
        if (id == "release") return e.releaseSlider;
        if (id == "ratio") return e.ratioSlider;
        if (id == "drive") return e.driveSlider;
        return e.meterModeSlider;
    }
    static juce::ToggleButton& button (VexaEditor& e, const juce::String& id) { return id == "scHPF" ? e.scHpfButton : e.stereoLinkButton; }
    static float& needleLevel (VexaEditor& e) { return e.needleLevel; }
    static void tick (VexaEditor& e) { e.timerCallback(); }
    static bool timerRunning (VexaEditor& e) { return e.isTimerRunning() && e.getTimerInterval() == 33; }
    static void dropFace (VexaEditor& e) { e.vuMeterImage = juce::Image(); }
};

using Access = VexaEditorTestAccess;

namespace
{
struct EditorFixture : ::testing::Test
{
    VexaProcessor processor;
    std::unique_ptr<VexaEditor> editor { static_cast<VexaEditor*> (processor.createEditor()) };

    juce::Image snapshot() { return editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f); }

    void setNeedle (float level, int mode)
    {
        setParameter (processor, "meterMode", (float) mode);
        Access::needleLevel (*editor) = level;
    }
};
} // namespace

TEST_F (EditorFixture, FixedSizePanelWithEveryControlInItsPlace)
{
    EXPECT_EQ (editor->getWidth(), 300);
    EXPECT_EQ (editor->getHeight(), 610);
    EXPECT_FALSE (editor->isResizable());
    EXPECT_TRUE (Access::timerRunning (*editor));

    const std::pair<const char*, juce::Rectangle<int>> sliders[] = {
        { "threshold", { 30, 266, 100, 100 } }, { "makeup", { 170, 266, 100, 100 } }, { "attack", { 30, 376, 100, 100 } },
        { "release", { 170, 376, 100, 100 } },  { "ratio", { 30, 486, 100, 100 } },   { "drive", { 170, 486, 100, 100 } },
        { "meterMode", { 100, 180, 100, 70 } },
    };
    for (auto& [id, bounds] : sliders)
    {
        auto& s = Access::slider (*editor, id);
        EXPECT_EQ (s.getBounds(), bounds) << id;
        EXPECT_TRUE (s.isVisible()) << id;
        EXPECT_EQ (s.getParentComponent(), editor.get()) << id;
        EXPECT_EQ (s.getTextBoxPosition(), juce::Slider::NoTextBox) << id;
        EXPECT_EQ (s.getSliderStyle(), juce::String (id) == "meterMode" ? juce::Slider::LinearHorizontal : juce::Slider::RotaryVerticalDrag) << id;
    }
    EXPECT_EQ (Access::button (*editor, "scHPF").getBounds(), juce::Rectangle<int> (7, 180, 76, 76));
    EXPECT_EQ (Access::button (*editor, "stereoLink").getBounds(), juce::Rectangle<int> (217, 180, 76, 76));

    // Whatever size a host forces, the controls stay where they are.
    editor->setBounds (0, 0, 500, 900);
    EXPECT_EQ (Access::slider (*editor, "drive").getBounds(), juce::Rectangle<int> (170, 486, 100, 100));
}

TEST_F (EditorFixture, KnobTextsCarryTheirUnitOnce)
{
    const std::pair<const char*, const char*> expected[] = {
        { "threshold", "-10.0 dB" }, { "makeup", "0.0 dB" }, { "drive", "0.0 %" },
        { "attack", "1ms" }, { "release", "AUTO" }, { "ratio", "4:1" },
    };
    for (auto& [id, text] : expected)
    {
        auto& s = Access::slider (*editor, id);
        EXPECT_EQ (s.getTextFromValue (s.getValue()), text) << id;
    }
}

TEST_F (EditorFixture, ControlsAndParametersFollowEachOtherBothWays)
{
    struct Case
    {
        const char* id;
        float plain;
    };
    const Case cases[] = { { "threshold", -27.5f }, { "makeup", 4.2f }, { "attack", 6.0f }, { "release", 0.0f },
                           { "ratio", 2.0f }, { "drive", 77.7f }, { "meterMode", 0.0f } };

    for (const auto& c : cases)
    {
        auto& s = Access::slider (*editor, c.id);
        setParameter (processor, c.id, c.plain); // the host automates
        EXPECT_NEAR (s.getValue(), c.plain, 1e-4) << c.id;

        s.setValue (s.getMaximum(), juce::sendNotificationSync); // the user turns the control
        EXPECT_NEAR (parameterValue (processor, c.id), s.getMaximum(), 1e-4) << c.id;

        auto* parameter = processor.apvts.getParameter (c.id);
        EXPECT_TRUE (s.isDoubleClickReturnEnabled()) << c.id;
        EXPECT_NEAR (s.getDoubleClickReturnValue(), parameter->convertFrom0to1 (parameter->getDefaultValue()), 1e-4) << c.id;
    }

    for (const char* id : { "scHPF", "stereoLink" })
    {
        auto& b = Access::button (*editor, id);
        setParameter (processor, id, 1.0f);
        EXPECT_TRUE (b.getToggleState()) << id;
        b.setToggleState (false, juce::sendNotificationSync);
        EXPECT_EQ (parameterValue (processor, id), 0.0f) << id;
        b.triggerClick();
        pumpMessages (20);
        EXPECT_EQ (parameterValue (processor, id), 1.0f) << id;
    }
}

TEST_F (EditorFixture, NeedleBallisticsPerMode)
{
    // Input at -6 dBFS on a new editor: at the stop after 6 ticks, off it on the 7th, within 1 dB after 16.
    setParameter (processor, "meterMode", 0.0f);
    processor.inputMeter = -6.0f;
    const std::pair<int, float> rising[] = { { 6, -21.5f }, { 7, -17.5f } };
    int ticks = 0;
    for (auto [tick, level] : rising)
    {
        while (ticks < tick)
            Access::tick (*editor), ++ticks;
        EXPECT_NEAR (Access::needleLevel (*editor), level, 0.1) << tick;
    }
    EXPECT_LT (Access::needleLevel (*editor) , -20.0f + 2.6f);
    while (ticks < 16)
        Access::tick (*editor), ++ticks;
    EXPECT_NEAR (Access::needleLevel (*editor), -6.0f, 1.0f);

    // A falling level is followed at once.
    processor.inputMeter = -30.0f;
    Access::tick (*editor);
    EXPECT_NEAR (Access::needleLevel (*editor), -30.0f, 0.01f);

    // GR mode follows at once both ways.
    setParameter (processor, "meterMode", 1.0f);
    for (float gr : { -2.0f, -12.0f, 0.0f })
    {
        processor.gainReductionMeter = gr;
        Access::tick (*editor);
        EXPECT_NEAR (Access::needleLevel (*editor), gr, 0.03f) << gr;
    }

    // Output mode: any value other than input or GR reads the output meter.
    setParameter (processor, "meterMode", 2.0f);
    processor.outputMeter = 6.0f;
    for (int i = 0; i < 40; ++i)
        Access::tick (*editor);
    EXPECT_NEAR (Access::needleLevel (*editor), 6.0f, 0.01f);
}

TEST_F (EditorFixture, NeedleTipLandsOnTheScale)
{
    struct Case
    {
        float level;
        int mode;
        int x, y;
    };
    // Tip positions of the needle geometry; a level above the mode's limit is shown at the limit.
    const Case cases[] = {
        { -100.0f, 0, 108, 94 }, { -10.0f, 0, 115, 72 }, { -6.0f, 0, 129, 58 }, { -3.1f, 0, 150, 52 },
        { 0.0f, 0, 180, 64 },    { 2.3f, 2, 192, 94 },   { 6.0f, 2, 192, 94 },   { 5.0f, 1, 180, 64 },
    };

    for (const auto& c : cases)
    {
        setNeedle (-100.0f, c.mode == 1 ? 1 : c.mode);
        Access::needleLevel (*editor) = c.level;
        const auto withNeedle = snapshot();

        // Compare with the needle parked elsewhere: the tip's neighbourhood must have changed.
        Access::needleLevel (*editor) = c.x < 150 ? 2.3f : -100.0f;
        const auto parked = snapshot();

        const juce::Point<float> pivot (150.0f, 94.0f), tip ((float) c.x, (float) c.y);
        const auto inside = pivot + (tip - pivot) * 0.85f;
        bool changed = false;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                changed = changed || withNeedle.getPixelAt (juce::roundToInt (inside.x) + dx, juce::roundToInt (inside.y) + dy)
                                         != parked.getPixelAt (juce::roundToInt (inside.x) + dx, juce::roundToInt (inside.y) + dy);
        EXPECT_TRUE (changed) << c.level << " dB in mode " << c.mode;

        // Nothing of the needle lies beyond its tip.
        const auto beyond = pivot + (tip - pivot) * 1.25f;
        EXPECT_EQ (withNeedle.getPixelAt (juce::roundToInt (beyond.x), juce::roundToInt (beyond.y)),
                   parked.getPixelAt (juce::roundToInt (beyond.x), juce::roundToInt (beyond.y))) << c.level;
    }
}

TEST_F (EditorFixture, MissingFaceIsReplacedByADrawnOne)
{
    Access::dropFace (*editor);
    const auto image = snapshot();
    EXPECT_EQ (image.getPixelAt (100, 40).getARGB(), 0xFF2A2820u);
    EXPECT_EQ (image.getPixelAt (200, 140).getARGB(), 0xFF2A2820u);
    EXPECT_EQ (image.getPixelAt (60, 100).getARGB(), image.getPixelAt (60, 100).getARGB()); // surroundings untouched
}

TEST_F (EditorFixture, PanelInkBorderAndSeparators)
{
    const auto image = snapshot();
    EXPECT_EQ (image.getPixelAt (150, 174).getARGB(), 0xFFC0C0C0u); // separators
    EXPECT_EQ (image.getPixelAt (20, 368).getARGB(), 0xFFC0C0C0u);
    EXPECT_EQ (image.getPixelAt (0, 300).getARGB(), 0xFF3B3D47u);   // fill outside the border
    EXPECT_EQ (image.getPixelAt (2, 300).getRed(), 0xC0);           // border at x 2.5
}

TEST (EditorLifecycle, ClosesWhileTheTimerRunsAndReopensWithTheNeedleAtRest)
{
    VexaProcessor processor;
    processor.gainReductionMeter = -5.0f;
    for (int round = 0; round < 3; ++round)
    {
        std::unique_ptr<VexaEditor> editor (static_cast<VexaEditor*> (processor.createEditor()));
        EXPECT_EQ (Access::needleLevel (*editor), -100.0f);
        // The first ticks come 33 ms apart; on a loaded machine give them up to two seconds.
        for (int waited = 0; waited < 2000 && std::abs (Access::needleLevel (*editor) + 5.0f) > 0.05f; waited += 20)
            pumpMessages (20);
        EXPECT_NEAR (Access::needleLevel (*editor), -5.0f, 0.05f); // ticks ran
        editor.reset();
        pumpMessages (50); // no tick after destruction
    }
}
