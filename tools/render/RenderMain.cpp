// vexa-render: renders an audio file through the built Vexa Compressor VST3 bundle, hosted
// through JUCE the way a DAW hosts it. `vexa-render --help` explains the options.

#include "AudioFiles.h"
#include "HostedPlugin.h"
#include "ParameterTable.h"
#include "ProgressBar.h"
#include "RenderError.h"
#include "RenderOptions.h"
#include "RenderReport.h"
#include "Renderer.h"

#include <juce_events/juce_events.h>

#include <csignal>
#include <cstdio>
#include <optional>

namespace
{
using namespace vexa::render;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt (int) { interrupted = 1; }

constexpr double kSampleRateWithoutInput = 48000.0;

void print (std::FILE* stream, const juce::String& text)
{
    std::fputs (text.toRawUTF8(), stream);
    std::fflush (stream);
}

int run (const RenderOptions& options)
{
    // Every input check comes before the plug-in loads, and every check before the output opens.
    std::optional<InputAudio> input;
    if (options.input.has_value())
        input.emplace (*options.input);

    HostedPlugin plugin (options.plugin, input ? input->sampleRate() : kSampleRateWithoutInput, options.blockSize);
    const ParameterTable parameters (plugin.instance());

    if (options.stateToLoad.has_value())
        plugin.loadState (*options.stateToLoad);
    parameters.apply (options.assignments);

    if (options.showInfo)
        print (stdout, describePlugin (plugin, parameters));

    std::optional<juce::MemoryBlock> stateToSave;
    if (options.stateToSave.has_value())
        stateToSave = plugin.state();

    if (input.has_value())
    {
        OutputAudio output (*options.output, input->sampleRate());
        ProgressBar progress (stderr, "vexa-render");
        const auto result = renderFile (plugin, *input, output, options.compensateLatency,
                                        parameters.currentNumber ("makeup", 0.0), [&] (double fraction) {
                                            progress.update (fraction);
                                            return interrupted == 0;
                                        });
        progress.finish();

        if (stateToSave.has_value())
            writeFileAtomically (*options.stateToSave, *stateToSave, "state file");
        output.commit();

        print (stdout, summarise ({ *options.input, *options.output, input->sampleRate(), input->fileChannels(), options.blockSize },
                                  result));
    }
    else if (stateToSave.has_value())
    {
        writeFileAtomically (*options.stateToSave, *stateToSave, "state file");
    }

    if (stateToSave.has_value())
        print (stdout, "saved the plug-in state to " + options.stateToSave->getFullPathName() + "\n");
    return exitOk;
}
} // namespace

int main (int argc, char** argv)
{
    std::signal (SIGINT, onInterrupt);
    std::signal (SIGTERM, onInterrupt);

    juce::ScopedJuceInitialiser_GUI juceForHosting;

    try
    {
        juce::StringArray arguments;
        for (int i = 1; i < argc; ++i)
            arguments.add (juce::String::fromUTF8 (argv[i]));

        const auto options = parseRenderArguments (arguments);
        if (options.showHelp)
        {
            print (stdout, renderHelpText());
            return exitOk;
        }
        return run (options);
    }
    catch (const RenderError& error)
    {
        print (stderr, juce::String ("vexa-render: ") + error.what() + "\n");
        if (error.exitCode == exitUsage)
            print (stderr, "(vexa-render --help lists the options)\n");
        return error.exitCode;
    }
}
