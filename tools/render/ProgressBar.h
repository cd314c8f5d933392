#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>

namespace vexa::render
{
/** A one-line progress bar, redrawn in place on a terminal; does nothing when the stream
    is not a terminal (a pipe, a file, a test). */
class ProgressBar
{
public:
    explicit ProgressBar (std::FILE* stream, juce::String label);
    ~ProgressBar();

    bool isShown() const noexcept { return shown; }
    void update (double fraction);
    void finish();

private:
    std::FILE* stream;
    juce::String label;
    bool shown;
    int lastPercent = -1;
};
} // namespace vexa::render
