#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

namespace vexa::render
{
/** One `--set ID=VALUE` exactly as typed; resolved against the loaded plug-in later. */
struct ParameterAssignment
{
    juce::String id;
    juce::String value;
};

/** Everything the vexa-render command line asks for. */
struct RenderOptions
{
    juce::File plugin;                              // the VST3 bundle to load
    std::vector<ParameterAssignment> assignments;   // in command-line order
    std::optional<juce::File> stateToLoad;          // --state
    std::optional<juce::File> stateToSave;          // --save-state
    int blockSize = 512;
    bool compensateLatency = false;
    bool showInfo = false;
    bool showHelp = false;
    std::optional<juce::File> input;
    std::optional<juce::File> output;

    bool rendersAudio() const { return input.has_value(); }
};

constexpr int kMaxBlockSize = 65536;

/** Where the plug-in is looked for when --plugin is not given: the user's VST3 folder. */
juce::File defaultPluginBundle();

/** Reads the arguments (without the program name); relative paths are taken from `workingDirectory`.
    Throws UsageError for anything it cannot make sense of. Files are not opened here. */
RenderOptions parseRenderArguments (const juce::StringArray& arguments,
                                    const juce::File& workingDirectory = juce::File::getCurrentWorkingDirectory());

/** The text that --help prints. */
juce::String renderHelpText();
} // namespace vexa::render
