#include <gtest/gtest.h>

#include "HostedPlugin.h"
#include "ParameterTable.h"
#include "RenderError.h"
#include "RenderTestSupport.h"

// How `--set ID=VALUE` finds the built plug-in's parameters and reads their values.

using namespace vexa::render;

namespace
{
struct RenderParameters : testing::Test
{
    HostedPlugin plugin { render_test::bundle(), 48000.0, 512 };
    ParameterTable table { plugin.instance() };
};
} // namespace

TEST_F (RenderParameters, FindsEachParameterByItsStringIdInAnyCase)
{
    const std::pair<const char*, const char*> idsAndNames[] = {
        { "threshold", "Threshold" }, { "ratio", "Ratio" },       { "attack", "Attack" },
        { "release", "Release" },     { "makeup", "Makeup" },     { "scHPF", "SC HPF" },
        { "stereoLink", "Stereo Link" }, { "drive", "Drive" },    { "meterMode", "Meter Mode" },
        { "bypass", "Bypass" },       { "STEREOLINK", "Stereo Link" }, { "schpf", "SC HPF" },
    };
    for (const auto& [id, name] : idsAndNames)
    {
        auto* parameter = table.find (id);
        ASSERT_NE (parameter, nullptr) << id;
        EXPECT_EQ (parameter->getName (100), name) << id;
    }

    // The hosted parameter's own ID is the VST3 number derived from the string ID.
    auto* threshold = table.find ("threshold");
    const auto number = juce::String (vst3ParameterNumber ("threshold"));
    EXPECT_EQ (dynamic_cast<juce::HostedAudioProcessorParameter*> (threshold)->getParameterID(), number);
    EXPECT_EQ (table.find (number), threshold);
    EXPECT_EQ (table.find ("Threshold "), threshold);
    EXPECT_EQ (table.find ("thresh"), nullptr);
    EXPECT_EQ (table.find ("Drive%"), nullptr);
}

TEST_F (RenderParameters, ReadsValueTextsNumbersAndIndices)
{
    struct Case
    {
        const char* id;
        const char* text;
        float normalised;
    };
    const Case cases[] = {
        { "threshold", "-20", 0.5f },     { "threshold", "-20.0 dBFS", 0.5f }, { "threshold", "-20dB", 0.5f },
        { "threshold", "-40", 0.0f },     { "threshold", "0", 1.0f },          { "threshold", "-10.5", 0.7375f },
        { "makeup", "3", 0.25f },         { "makeup", "12 dB", 1.0f },         { "drive", "50%", 0.5f },
        { "drive", "100", 1.0f },         { "drive", "0.0", 0.0f },
        { "ratio", "2:1", 0.0f },         { "ratio", "4:1", 0.5f },            { "ratio", "10:1", 1.0f },
        { "ratio", "2", 1.0f },           { "ratio", "0", 0.0f },
        { "attack", "0.1ms", 0.0f },      { "attack", "3ms", 0.5f },           { "attack", "AUTO", 1.0f },
        { "attack", "auto", 1.0f },       { "attack", "6", 1.0f },
        { "release", "0.6s", 0.5f },      { "release", "AUTO", 1.0f },         { "release", "0", 0.0f },
        { "scHPF", "on", 1.0f },          { "scHPF", "Off", 0.0f },            { "scHPF", "1", 1.0f },
        { "stereoLink", "0", 0.0f },      { "meterMode", "Output", 1.0f },     { "meterMode", "gr", 0.5f },
        { "bypass", "On", 1.0f },
    };
    for (const auto& c : cases)
        EXPECT_NEAR (table.normalisedValue (c.id, c.text), c.normalised, 1.0e-6) << c.id << "=" << c.text;
}

TEST_F (RenderParameters, RefusesUnknownIdsUnknownValuesAndValuesOutOfRange)
{
    struct Case
    {
        const char* id;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        { "loudness", "3", "unknown parameter 'loudness'; the plug-in has threshold, ratio," },
        { "threshold", "-40.1", "out of range -40.0 .. 0.0 dBFS" },
        { "threshold", "0.5", "out of range" },
        { "makeup", "-1", "out of range 0.0 .. 12.0 dB" },
        { "drive", "100.5", "out of range 0.0 .. 100.0 %" },
        { "threshold", "loud", "'loud' is not a number in dBFS" },
        { "threshold", "-20 Hz", "not a number" },
        { "threshold", "nan", "not a number" },
        { "drive", "inf", "not a number" },
        { "ratio", "3:1", "unknown value '3:1'; choose 2:1 | 4:1 | 10:1 or an index 0..2" },
        { "ratio", "3", "index 3 is out of range 0..2" },
        { "ratio", "-1", "index -1 is out of range" },
        { "ratio", "1.5", "unknown value" },
        { "attack", "2ms", "unknown value '2ms'" },
        { "release", "5", "out of range 0..4" },
        { "scHPF", "yes", "unknown value 'yes'; choose Off | On" },
        { "bypass", "2", "out of range 0..1" },
    };
    for (const auto& c : cases)
    {
        try
        {
            table.normalisedValue (c.id, c.text);
            ADD_FAILURE() << "accepted " << c.id << "=" << c.text;
        }
        catch (const RenderError& error)
        {
            EXPECT_EQ (error.exitCode, exitFailure);
            EXPECT_TRUE (juce::String (error.what()).contains (c.message)) << c.id << "=" << c.text << "\n  said: " << error.what();
        }
    }
}

TEST_F (RenderParameters, ABadAssignmentSetsNothingAndGoodOnesApplyInOrder)
{
    auto* ratio = table.find ("ratio");
    EXPECT_THROW (table.apply ({ { "ratio", "10:1" }, { "threshold", "7" } }), RenderError);
    EXPECT_EQ (ratio->getValue(), 0.5f);

    table.apply ({ { "ratio", "10:1" }, { "makeup", "6" }, { "ratio", "2:1" } });
    EXPECT_EQ (ratio->getValue(), 0.0f);
    EXPECT_EQ (ParameterTable::valueText (*ratio, ratio->getValue()), "2:1");
    EXPECT_DOUBLE_EQ (table.currentNumber ("makeup", -1.0), 6.0);
    EXPECT_DOUBLE_EQ (table.currentNumber ("ratio", -1.0), -1.0);
    EXPECT_DOUBLE_EQ (table.currentNumber ("nothing", -1.0), -1.0);
}
