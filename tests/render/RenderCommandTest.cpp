#include <gtest/gtest.h>

#include "RenderTestSupport.h"

// The built vexa-render run as a program: every failure ends with a message on stderr, a
// non-zero exit code and no output or state file left behind; mono input is accepted.

using namespace render_test;

namespace
{
struct RenderCommand : testing::Test
{
    ScratchFolder scratch;

    void SetUp() override
    {
        writeWav (scratch["stereo.wav"], burstySignal (4800, 48000.0));
        juce::AudioBuffer<float> three (3, 4800);
        three.clear();
        writeWav (scratch["three.wav"], three);
        scratch["text.wav"].replaceWithText ("these are not audio samples\n");
        scratch["folder.wav"].createDirectory();
        scratch["empty.vst3"].createDirectory();
        scratch["garbage.state"].replaceWithText ("not a state");
        scratch["readme.txt"].replaceWithText ("a file that is no plug-in");
    }

    juce::String path (const char* name) const { return scratch[name].getFullPathName(); }
};
} // namespace

TEST_F (RenderCommand, EachFailureExplainsItselfAndWritesNothing)
{
    struct Case
    {
        juce::StringArray arguments; // file names are resolved in the scratch folder
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        { { "missing.wav", "out.wav" }, 1, "input file not found: " },
        { { "text.wav", "out.wav" }, 1, "cannot read input " },
        { { "folder.wav", "out.wav" }, 1, "is a folder, not an audio file" },
        { { "three.wav", "out.wav" }, 1, "has 3 channels; only mono and stereo files can be rendered" },
        { { "--set", "loudness=3", "stereo.wav", "out.wav" }, 1, "unknown parameter 'loudness'" },
        { { "--set", "ratio=3:1", "stereo.wav", "out.wav" }, 1, "ratio: unknown value '3:1'" },
        { { "--set", "attack=fast", "stereo.wav", "out.wav" }, 1, "attack: unknown value 'fast'" },
        { { "--set", "threshold=-50", "stereo.wav", "out.wav" }, 1, "threshold: -50 is out of range" },
        { { "--set", "drive=101", "stereo.wav", "out.wav" }, 1, "drive: 101 is out of range" },
        { { "--set", "release=9", "stereo.wav", "out.wav" }, 1, "release: index 9 is out of range" },
        { { "--set", "makeup=loud", "stereo.wav", "out.wav" }, 1, "makeup: 'loud' is not a number" },
        { { "--plugin", "missing.vst3", "stereo.wav", "out.wav" }, 1, "plug-in not found: " },
        { { "--plugin", "empty.vst3", "stereo.wav", "out.wav" }, 1, "holds no VST3 plug-in that loads here" },
        { { "--plugin", "readme.txt", "stereo.wav", "out.wav" }, 1, "holds no VST3 plug-in that loads here" },
        { { "--state", "missing.state", "stereo.wav", "out.wav" }, 1, "state file not found: " },
        { { "--state", "garbage.state", "stereo.wav", "out.wav" }, 1, "is not a state saved by vexa-render --save-state" },
        { { "stereo.wav", "no/such/folder/out.wav" }, 1, "its folder does not exist" },
        { { "stereo.wav", "folder.wav" }, 1, "is a folder" },
        { { "--set", "ratio=3:1", "--save-state", "out.state" }, 1, "ratio: unknown value" },
        { { "--save-state", "no/such/folder/out.state" }, 1, "its folder does not exist" },
        { { "--bogus", "stereo.wav", "out.wav" }, 2, "unknown option --bogus" },
        { { "stereo.wav" }, 2, "an OUTPUT file is needed" },
    };

    const auto before = scratch.fileNames();

    for (const auto& c : cases)
    {
        juce::StringArray arguments;
        bool pluginGiven = false;
        for (int i = 0; i < c.arguments.size(); ++i)
        {
            const auto& a = c.arguments[i];
            const bool isFile = ! a.startsWith ("-") && ! a.containsChar ('=');
            arguments.add (isFile ? scratch[a].getFullPathName() : a);
            pluginGiven = pluginGiven || a == "--plugin";
        }
        if (! pluginGiven)
            arguments.insert (0, "--plugin="+ bundle().getFullPathName());

        const auto line = c.arguments.joinIntoString (" ");
        const auto run = runRender (arguments);
        EXPECT_EQ (run.exitCode, c.exitCode) << line << "\n" << run.err;
        EXPECT_TRUE (run.err.startsWith ("vexa-render: ")) << line << "\n" << run.err;
        EXPECT_TRUE (run.err.contains (c.message)) << line << "\n  said: " << run.err;
        EXPECT_EQ (scratch.fileNames(), before) << line << ": left files behind";
    }

    // A failing render leaves an earlier output file as it was.
    scratch["earlier.wav"].replaceWithText ("an earlier render");
    const auto run = runRender ({ "--plugin", bundle().getFullPathName(), "--set", "ratio=3:1", path ("stereo.wav"), path ("earlier.wav") });
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_EQ (scratch["earlier.wav"].loadFileAsString(), "an earlier render");
}

TEST_F (RenderCommand, MonoInputIsPlayedOnBothChannelsAndWrittenAsStereo)
{
    const auto stereo = burstySignal (9600, 48000.0);
    juce::AudioBuffer<float> mono (1, stereo.getNumSamples());
    mono.copyFrom (0, 0, stereo, 0, 0, stereo.getNumSamples());
    juce::AudioBuffer<float> doubled (2, stereo.getNumSamples());
    doubled.copyFrom (0, 0, mono, 0, 0, mono.getNumSamples());
    doubled.copyFrom (1, 0, mono, 0, 0, mono.getNumSamples());
    writeWav (scratch["mono.wav"], mono, 48000.0, 24);
    writeWav (scratch["doubled.wav"], doubled, 48000.0, 24);

    const juce::StringArray settings { "--plugin", bundle().getFullPathName(), "--set", "threshold=-25", "--set", "stereoLink=off" };
    auto fromMono = settings;
    fromMono.addArray ({ path ("mono.wav"), path ("from-mono.wav") });
    auto fromDoubled = settings;
    fromDoubled.addArray ({ path ("doubled.wav"), path ("from-doubled.wav") });

    const auto run = runRender (fromMono);
    ASSERT_EQ (run.exitCode, 0) << run.err;
    EXPECT_TRUE (run.out.contains ("mono input played on both channels")) << run.out;
    ASSERT_EQ (runRender (fromDoubled).exitCode, 0);

    const auto a = readWav (scratch["from-mono.wav"]);
    const auto b = readWav (scratch["from-doubled.wav"]);
    ASSERT_EQ (a.audio.getNumChannels(), 2);
    ASSERT_EQ (a.audio.getNumSamples(), b.audio.getNumSamples());
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < a.audio.getNumSamples(); ++i)
            ASSERT_EQ (a.audio.getSample (c, i), b.audio.getSample (c, i)) << "channel " << c << " frame " << i;
}
