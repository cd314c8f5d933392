#include "ProgressBar.h"

#include <unistd.h>

namespace vexa::render
{
namespace
{
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar (std::FILE* out, juce::String text)
    : stream (out), label (std::move (text)), shown (isatty (fileno (out)) != 0)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update (double fraction)
{
    const int percent = juce::jlimit (0, 100, (int) (fraction * 100.0));
    if (! shown || percent == lastPercent)
        return;

    lastPercent = percent;
    const int filled = percent * kBarWidth / 100;
    const auto bar = juce::String::repeatedString ("#", filled) + juce::String::repeatedString ("-", kBarWidth - filled);
    std::fprintf (stream, "\r%s [%s] %3d%%", label.toRawUTF8(), bar.toRawUTF8(), percent);
    std::fflush (stream);
}

void ProgressBar::finish()
{
    if (shown && lastPercent >= 0)
    {
        // Clear the line so that what follows starts clean.
        std::fprintf (stream, "\r%s\r", juce::String::repeatedString (" ", label.length() + kBarWidth + 8).toRawUTF8());
        std::fflush (stream);
    }
    lastPercent = -1;
}
} // namespace vexa::render
