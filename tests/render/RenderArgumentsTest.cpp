#include <gtest/gtest.h>

#include "RenderError.h"
#include "RenderOptions.h"

// How vexa-render reads its command line (no plug-in, no files involved).

using namespace vexa::render;

namespace
{
const juce::File workingDirectory ("/work/somewhere");

RenderOptions parse (const juce::StringArray& arguments)
{
    return parseRenderArguments (arguments, workingDirectory);
}
} // namespace

TEST (RenderArguments, ReadsEveryOptionAndResolvesPathsFromTheWorkingDirectory)
{
    const auto options = parse ({ "--plugin", "bundles/Other.vst3", "--set", "threshold=-20", "--set", " ratio = 10:1 ",
                                  "--state", "a.state", "--save-state", "/tmp/b.state", "--block", "256",
                                  "--compensate-latency", "--info", "in.wav", "out/out.wav" });

    EXPECT_EQ (options.plugin, juce::File ("/work/somewhere/bundles/Other.vst3"));
    ASSERT_EQ (options.assignments.size(), 2u);
    EXPECT_EQ (options.assignments[0].id, "threshold");
    EXPECT_EQ (options.assignments[0].value, "-20");
    EXPECT_EQ (options.assignments[1].id, "ratio");
    EXPECT_EQ (options.assignments[1].value, "10:1");
    EXPECT_EQ (options.stateToLoad, juce::File ("/work/somewhere/a.state"));
    EXPECT_EQ (options.stateToSave, juce::File ("/tmp/b.state"));
    EXPECT_EQ (options.blockSize, 256);
    EXPECT_TRUE (options.compensateLatency);
    EXPECT_TRUE (options.showInfo);
    EXPECT_EQ (options.input, juce::File ("/work/somewhere/in.wav"));
    EXPECT_EQ (options.output, juce::File ("/work/somewhere/out/out.wav"));
}

TEST (RenderArguments, DefaultsAndTheInlineForm)
{
    const auto plain = parse ({ "in.wav", "out.wav" });
    EXPECT_EQ (plain.plugin, defaultPluginBundle());
    EXPECT_TRUE (defaultPluginBundle().getFullPathName().endsWith ("/.vst3/Vexa Compressor.vst3"));
    EXPECT_EQ (plain.blockSize, 512);
    EXPECT_FALSE (plain.compensateLatency);
    EXPECT_FALSE (plain.showInfo);
    EXPECT_TRUE (plain.assignments.empty());
    EXPECT_FALSE (plain.stateToLoad.has_value());
    EXPECT_FALSE (plain.stateToSave.has_value());

    const auto inlined = parse ({ "--block=64", "--set=attack=AUTO", "--plugin=x.vst3", "in.wav", "out.wav" });
    EXPECT_EQ (inlined.blockSize, 64);
    ASSERT_EQ (inlined.assignments.size(), 1u);
    EXPECT_EQ (inlined.assignments[0].id, "attack");
    EXPECT_EQ (inlined.assignments[0].value, "AUTO");
    EXPECT_EQ (inlined.plugin, juce::File ("/work/somewhere/x.vst3"));
}

TEST (RenderArguments, InfoSaveStateAndHelpNeedNoFiles)
{
    EXPECT_TRUE (parse ({ "--info" }).showInfo);
    EXPECT_FALSE (parse ({ "--info" }).rendersAudio());
    EXPECT_TRUE (parse ({ "--set", "ratio=2:1", "--save-state", "s" }).stateToSave.has_value());
    EXPECT_TRUE (parse ({ "--help" }).showHelp);
    EXPECT_TRUE (parse ({ "in.wav", "out.wav" }).rendersAudio());
}

TEST (RenderArguments, RefusesMistakesWithAUsageError)
{
    struct Case
    {
        juce::StringArray arguments;
        const char* message;
    };
    const Case cases[] = {
        { {}, "nothing to do" },
        { { "--set", "ratio=4:1" }, "nothing to do" },
        { { "in.wav" }, "an OUTPUT file is needed" },
        { { "a.wav", "b.wav", "c.wav" }, "too many files" },
        { { "--loud", "in.wav", "out.wav" }, "unknown option --loud" },
        { { "-x", "in.wav", "out.wav" }, "unknown option -x" },
        { { "in.wav", "out.wav", "--set" }, "--set needs a value" },
        { { "in.wav", "out.wav", "--plugin" }, "--plugin needs a value" },
        { { "--plugin=", "in.wav", "out.wav" }, "--plugin needs a value" },
        { { "--set", "threshold", "in.wav", "out.wav" }, "--set needs ID=VALUE" },
        { { "--set", "=-20", "in.wav", "out.wav" }, "--set needs ID=VALUE" },
        { { "--set", "threshold=", "in.wav", "out.wav" }, "--set needs ID=VALUE" },
        { { "--block", "0", "in.wav", "out.wav" }, "between 1 and 65536" },
        { { "--block", "65537", "in.wav", "out.wav" }, "between 1 and 65536" },
        { { "--block", "-5", "in.wav", "out.wav" }, "whole number" },
        { { "--block", "12x", "in.wav", "out.wav" }, "whole number" },
        { { "--block", "1e3", "in.wav", "out.wav" }, "whole number" },
        { { "--block", "64", "--block", "128", "in.wav", "out.wav" }, "--block is given twice" },
        { { "--plugin", "a", "--plugin", "b", "in.wav", "out.wav" }, "--plugin is given twice" },
        { { "--state", "a", "--state", "b", "in.wav", "out.wav" }, "--state is given twice" },
        { { "--save-state", "a", "--save-state", "b" }, "--save-state is given twice" },
        { { "--compensate-latency=yes", "in.wav", "out.wav" }, "takes no value" },
        { { "same.wav", "./same.wav" }, "would overwrite the input" },
    };

    for (const auto& c : cases)
    {
        const auto line = c.arguments.joinIntoString (" ");
        try
        {
            parse (c.arguments);
            ADD_FAILURE() << "accepted: " << line;
        }
        catch (const UsageError& error)
        {
            EXPECT_EQ (error.exitCode, exitUsage) << line;
            EXPECT_TRUE (juce::String (error.what()).contains (c.message)) << line << "\n  said: " << error.what();
        }
    }
}
