#pragma once

#include <juce_core/juce_core.h>

#include <stdexcept>

namespace vexa::render
{
/** Exit codes of the command-line tools. */
enum ExitCode
{
    exitOk = 0,
    exitFailure = 1, // the render could not be done: input, plug-in, parameters, output
    exitUsage = 2    // the command line itself is wrong
};

/** A failure that ends the program with a message on stderr and a non-zero exit code. */
struct RenderError : std::runtime_error
{
    explicit RenderError (const juce::String& message, int code = exitFailure)
        : std::runtime_error (message.toStdString()), exitCode (code) {}

    int exitCode;
};

/** A mistake in the command line: the program also points at --help. */
struct UsageError : RenderError
{
    explicit UsageError (const juce::String& message) : RenderError (message, exitUsage) {}
};
} // namespace vexa::render
