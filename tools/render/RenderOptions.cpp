#include "RenderOptions.h"

#include "RenderError.h"

namespace vexa::render
{
namespace
{
const char* const kOptionsWithValue[] = { "--plugin", "--set", "--state", "--save-state", "--block" };

bool takesValue (const juce::String& option)
{
    for (auto* name : kOptionsWithValue)
        if (option == name)
            return true;
    return false;
}

int parseBlockSize (const juce::String& text)
{
    const auto trimmed = text.trim();
    if (trimmed.isEmpty() || ! trimmed.containsOnly ("0123456789") || trimmed.length() > 7)
        throw UsageError ("--block needs a whole number of samples, not '" + text + "'");

    const int value = trimmed.getIntValue();
    if (value < 1 || value > kMaxBlockSize)
        throw UsageError ("--block must be between 1 and " + juce::String (kMaxBlockSize) + " samples, not " + trimmed);
    return value;
}

ParameterAssignment parseAssignment (const juce::String& text)
{
    const int equals = text.indexOfChar ('=');
    ParameterAssignment assignment { text.substring (0, juce::jmax (0, equals)).trim(), text.substring (equals + 1).trim() };
    if (equals < 0 || assignment.id.isEmpty() || assignment.value.isEmpty())
        throw UsageError ("--set needs ID=VALUE (for example --set threshold=-20), not '" + text + "'");
    return assignment;
}

void setOnce (std::optional<juce::File>& slot, const juce::File& file, const juce::String& option)
{
    if (slot.has_value())
        throw UsageError (option + " is given twice");
    slot = file;
}
} // namespace

juce::File defaultPluginBundle()
{
    return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".vst3/Vexa Compressor.vst3");
}

RenderOptions parseRenderArguments (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    RenderOptions options;
    options.plugin = defaultPluginBundle();
    bool pluginGiven = false, blockGiven = false;
    juce::StringArray positional;

    for (int i = 0; i < arguments.size(); ++i)
    {
        auto option = arguments[i];
        std::optional<juce::String> inlineValue;

        if (option.startsWith ("--") && option.containsChar ('='))
        {
            inlineValue = option.fromFirstOccurrenceOf ("=", false, false);
            option = option.upToFirstOccurrenceOf ("=", false, false);
        }

        if (! option.startsWith ("-") || option == "-")
        {
            positional.add (option);
            continue;
        }

        juce::String value;
        if (takesValue (option))
        {
            if (inlineValue.has_value())
                value = *inlineValue;
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                throw UsageError (option + " needs a value");

            if (option != "--set" && value.isEmpty())
                throw UsageError (option + " needs a value");
        }
        else if (inlineValue.has_value())
        {
            throw UsageError (option + " takes no value");
        }

        const auto file = [&] { return workingDirectory.getChildFile (value); };

        if (option == "--plugin")
        {
            if (std::exchange (pluginGiven, true))
                throw UsageError ("--plugin is given twice");
            options.plugin = file();
        }
        else if (option == "--set")                options.assignments.push_back (parseAssignment (value));
        else if (option == "--state")              setOnce (options.stateToLoad, file(), option);
        else if (option == "--save-state")         setOnce (options.stateToSave, file(), option);
        else if (option == "--block")
        {
            if (std::exchange (blockGiven, true))
                throw UsageError ("--block is given twice");
            options.blockSize = parseBlockSize (value);
        }
        else if (option == "--compensate-latency") options.compensateLatency = true;
        else if (option == "--info")               options.showInfo = true;
        else if (option == "--help" || option == "-h") options.showHelp = true;
        else
            throw UsageError ("unknown option " + option);
    }

    if (options.showHelp)
        return options;

    if (positional.size() == 2)
    {
        options.input = workingDirectory.getChildFile (positional[0]);
        options.output = workingDirectory.getChildFile (positional[1]);
        if (*options.input == *options.output)
            throw UsageError ("the output file would overwrite the input file");
    }
    else if (positional.size() == 1)
    {
        throw UsageError ("an OUTPUT file is needed after the INPUT file");
    }
    else if (positional.size() > 2)
    {
        throw UsageError ("too many files: " + positional.joinIntoString (" "));
    }
    else if (! options.showInfo && ! options.stateToSave.has_value())
    {
        throw UsageError ("nothing to do: give INPUT and OUTPUT files, --info or --save-state");
    }

    return options;
}

juce::String renderHelpText()
{
    return R"(usage: vexa-render [options] INPUT OUTPUT
       vexa-render [options] --info
       vexa-render [options] --save-state FILE

Renders an audio file through the built Vexa Compressor VST3 plug-in, hosted the way a DAW
hosts it, and writes the result as a stereo 32-bit float WAV file at the input's sample rate.
INPUT may be any file this build reads (WAV, AIFF); a mono input is duplicated to both
channels, files with more than two channels are refused.

options:
  --plugin PATH          the VST3 bundle (default: ~/.vst3/Vexa Compressor.vst3)
  --set ID=VALUE         set a parameter before rendering; repeatable, applied in order.
                         VALUE is the value as the plug-in shows it or a number:
                           threshold=-20   makeup=3dB   drive=50%
                           ratio=4:1   attack=AUTO   release=0.3s   scHPF=on   bypass=off
                         Choices and switches also take their index (ratio=2 is 10:1).
                         --info lists every ID with its range and choices.
  --state FILE           load plug-in settings saved by --save-state before the --set
                         options apply
  --save-state FILE      write the settings after --state and --set to FILE; this is the
                         hosted instance's state (the plug-in's own settings together with
                         the VST3 wrapper's bypass switch) and may be given without files
  --block N              samples per processing block, 1 to 65536 (default 512)
  --compensate-latency   drop the plug-in's reported latency from the start of the output,
                         so that output and input line up and have the same length; without
                         it the output is the input's length plus the latency
  --info                 print the plug-in's name, latency and parameters
  -h, --help             print this text

Output: a progress bar on stderr when stderr is a terminal, then a summary on stdout:
  peak in / peak out     highest sample of the input and of the output, in dBFS
  gain reduction         how far the output level lies below the input level, measured
                         over 10 ms windows of the latency-aligned signals, with the
                         make-up gain taken out; "deepest" is the largest of these
                         reductions and "average" their mean, over the windows whose
                         input RMS is above -60 dBFS. The drive stage's own level change
                         (a few dB at high drive) is counted in as well.

On any error nothing is written: no OUTPUT file and no state file. Exit codes: 0 done,
1 the render failed (input, plug-in, parameter or output), 2 wrong command line.
)";
}
} // namespace vexa::render
