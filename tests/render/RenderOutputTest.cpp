#include <gtest/gtest.h>

#include "RenderTestSupport.h"

#include <cmath>

// What vexa-render writes: the same samples as the plug-in processing the signal in this
// process, lined up with the input when asked to, and a summary that describes them.

using namespace render_test;

namespace
{
constexpr double kRate = 44100.0;

struct RenderOutput : testing::Test
{
    ScratchFolder scratch;
    juce::String path (const char* name) const { return scratch[name].getFullPathName(); }

    RunResult render (juce::StringArray arguments, const char* input, const char* output)
    {
        arguments.insert (0, bundle().getFullPathName());
        arguments.insert (0, "--plugin");
        arguments.addArray ({ path (input), path (output) });
        return runRender (arguments);
    }
};

float maxDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int offsetInB, int frames)
{
    float worst = 0.0f;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < frames; ++i)
            worst = juce::jmax (worst, std::abs (a.getSample (c, i) - b.getSample (c, i + offsetInB)));
    return worst;
}

/** The lag (output later than input) at which the two left channels correlate best. */
int bestLag (const juce::AudioBuffer<float>& input, const juce::AudioBuffer<float>& output, int maxLag)
{
    int best = 0;
    double bestSum = -1.0e30;
    for (int lag = -maxLag; lag <= maxLag; ++lag)
    {
        double sum = 0.0;
        for (int i = maxLag; i < input.getNumSamples() - maxLag; ++i)
            sum += (double) input.getSample (0, i) * output.getSample (0, i + lag);
        if (sum > bestSum)
            std::tie (bestSum, best) = std::make_pair (sum, lag);
    }
    return best;
}

double summaryNumber (const juce::String& summary, const juce::String& label)
{
    return summary.fromFirstOccurrenceOf (label, false, false).trimStart().getDoubleValue();
}

/** The value column of a parameter's line in the --info table. */
juce::String infoValue (const juce::String& info, const juce::String& id)
{
    for (const auto& line : juce::StringArray::fromLines (info))
        if (line.startsWith ("    " + id + " "))
            return line.substring (30, 42).trim();
    return {};
}

double peakDbfs (const juce::AudioBuffer<float>& audio)
{
    return 20.0 * std::log10 ((double) audio.getMagnitude (0, audio.getNumSamples()));
}
} // namespace

TEST_F (RenderOutput, MatchesTheSameSignalProcessedInProcess)
{
    const auto input = burstySignal (30000, kRate);
    writeWav (scratch["in.wav"], input, kRate);

    const auto run = render ({ "--set", "threshold=-24", "--set", "ratio=10:1", "--set", "attack=0.3ms", "--set", "release=0.3s",
                               "--set", "makeup=3", "--set", "drive=30", "--set", "stereoLink=off", "--set", "scHPF=on",
                               "--block", "300" },
                             "in.wav", "out.wav");
    ASSERT_EQ (run.exitCode, 0) << run.err;

    auto reference = loadInProcess (kRate, 300);
    ASSERT_NE (reference, nullptr);
    const std::pair<const char*, float> normalised[] = {
        { "Threshold", 16.0f / 40.0f }, { "Ratio", 1.0f }, { "Attack", 1.0f / 6.0f }, { "Release", 0.25f },
        { "Makeup", 0.25f },            { "Drive", 0.3f }, { "Stereo Link", 0.0f },   { "SC HPF", 1.0f },
    };
    for (const auto& [name, value] : normalised)
        ASSERT_TRUE (setByName (*reference, name, value)) << name;

    const int latency = reference->getLatencySamples();
    const auto expected = processInProcess (*reference, input, 300, latency);

    const auto written = readWav (scratch["out.wav"]);
    EXPECT_EQ (written.sampleRate, kRate);
    ASSERT_EQ (written.audio.getNumChannels(), 2);
    ASSERT_EQ (written.audio.getNumSamples(), input.getNumSamples() + latency);
    EXPECT_EQ (maxDifference (written.audio, expected, 0, expected.getNumSamples()), 0.0f);

    // The settings did something: the loud part is compressed, the drive shapes the quiet part.
    EXPECT_GT (maxDifference (written.audio, input, 0, input.getNumSamples()), 0.1f);
}

TEST_F (RenderOutput, CompensatingTheLatencyLinesTheOutputUpWithTheInput)
{
    // Quiet noise stays below the threshold, so the plug-in only filters and delays it.
    juce::AudioBuffer<float> input (2, 20000);
    juce::Random random (7);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < input.getNumSamples(); ++i)
            input.setSample (c, i, 0.01f * (random.nextFloat() * 2.0f - 1.0f));
    writeWav (scratch["noise.wav"], input, kRate);

    ASSERT_EQ (render ({}, "noise.wav", "delayed.wav").exitCode, 0);
    const auto run = render ({ "--compensate-latency" }, "noise.wav", "aligned.wav");
    ASSERT_EQ (run.exitCode, 0) << run.err;

    auto reference = loadInProcess (kRate, 512);
    ASSERT_NE (reference, nullptr);
    const int latency = reference->getLatencySamples();
    ASSERT_GT (latency, 0);
    EXPECT_TRUE (run.out.contains ("latency " + juce::String (latency) + " samples, compensated")) << run.out;

    const auto delayed = readWav (scratch["delayed.wav"]).audio;
    const auto aligned = readWav (scratch["aligned.wav"]).audio;
    ASSERT_EQ (delayed.getNumSamples(), input.getNumSamples() + latency);
    ASSERT_EQ (aligned.getNumSamples(), input.getNumSamples());

    EXPECT_EQ (bestLag (input, delayed, 100), latency);
    EXPECT_EQ (bestLag (input, aligned, 100), 0);
    EXPECT_EQ (maxDifference (aligned, delayed, latency, aligned.getNumSamples()), 0.0f);
}

TEST_F (RenderOutput, SummaryReportsPeaksAndGainReduction)
{
    struct Case
    {
        const char* name;
        double amplitude;
        juce::StringArray settings;
        double lowestReduction, highestReduction; // expected range of the deepest and the average
    };
    const Case cases[] = {
        { "below the threshold", 0.05, { "--set", "threshold=-20" }, -0.1, 0.1 },
        { "below the threshold with make-up", 0.05, { "--set", "threshold=-20", "--set", "makeup=6" }, -0.1, 0.1 },
        { "far above the threshold", 1.0, { "--set", "threshold=-30", "--set", "ratio=10:1" }, 12.0, 30.0 },
    };

    for (const auto& c : cases)
    {
        const auto input = sine (44100, kRate, 1000.0, c.amplitude);
        writeWav (scratch["sine.wav"], input, kRate);
        const auto run = render (c.settings, "sine.wav", "out.wav");
        ASSERT_EQ (run.exitCode, 0) << c.name << "\n" << run.err;

        const auto output = readWav (scratch["out.wav"]).audio;
        EXPECT_NEAR (summaryNumber (run.out, "peak in"), peakDbfs (input), 0.051) << c.name << "\n" << run.out;
        EXPECT_NEAR (summaryNumber (run.out, "peak out"), peakDbfs (output), 0.051) << c.name << "\n" << run.out;

        const auto deepest = summaryNumber (run.out, "deepest");
        const auto average = summaryNumber (run.out, "average");
        EXPECT_TRUE (run.out.contains ("in 100 of 100 windows of 10 ms")) << c.name << "\n" << run.out;
        for (const double reduction : { deepest, average })
        {
            EXPECT_GE (reduction, c.lowestReduction) << c.name << "\n" << run.out;
            EXPECT_LE (reduction, c.highestReduction) << c.name << "\n" << run.out;
        }
        EXPECT_GE (deepest, average) << c.name;
    }
}

TEST_F (RenderOutput, SavedStateRestoresTheSettingsAndLaterSetsOverrideIt)
{
    const juce::StringArray settings { "--set", "ratio=10:1", "--set", "threshold=-31.5", "--set", "attack=AUTO", "--set", "drive=20" };
    auto save = settings;
    save.addArray ({ "--plugin", bundle().getFullPathName(), "--save-state", path ("vexa.state") });
    const auto saved = runRender (save);
    ASSERT_EQ (saved.exitCode, 0) << saved.err;
    ASSERT_TRUE (scratch["vexa.state"].existsAsFile());

    const auto info = runRender ({ "--plugin", bundle().getFullPathName(), "--state", path ("vexa.state"), "--set", "drive=0", "--info" });
    ASSERT_EQ (info.exitCode, 0) << info.err;
    EXPECT_EQ (infoValue (info.out, "ratio"), "10:1") << info.out;
    EXPECT_EQ (infoValue (info.out, "threshold"), "-31.5 dBFS") << info.out;
    EXPECT_EQ (infoValue (info.out, "attack"), "AUTO") << info.out;
    EXPECT_EQ (infoValue (info.out, "drive"), "0.0 %") << info.out;
    EXPECT_EQ (infoValue (info.out, "release"), "AUTO") << info.out;

    writeWav (scratch["in.wav"], burstySignal (20000, kRate), kRate);
    ASSERT_EQ (render ({ "--state", path ("vexa.state") }, "in.wav", "from-state.wav").exitCode, 0);
    ASSERT_EQ (render (settings, "in.wav", "from-settings.wav").exitCode, 0);
    ASSERT_EQ (render ({}, "in.wav", "defaults.wav").exitCode, 0);

    const auto fromState = readWav (scratch["from-state.wav"]).audio;
    const auto fromSettings = readWav (scratch["from-settings.wav"]).audio;
    const auto defaults = readWav (scratch["defaults.wav"]).audio;
    EXPECT_EQ (maxDifference (fromState, fromSettings, 0, fromState.getNumSamples()), 0.0f);
    EXPECT_GT (maxDifference (fromState, defaults, 0, fromState.getNumSamples()), 0.01f);
}
