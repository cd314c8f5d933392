#pragma once

#include "Chart.h"

namespace vexa::plots
{
/** A titled picture of one or more charts in a grid, with caption lines under them. */
struct Figure
{
    juce::String fileName;            // e.g. "plot-compression-curve.png"
    juce::String title;
    juce::StringArray caption;
    std::vector<Chart> charts;
    int columns = 1;
    int chartWidth = 760, chartHeight = 460;

    juce::Image render() const;
};

/** Writes the image as PNG through a temporary file. Returns false on failure. */
bool writePng (const juce::Image& image, const juce::File& file);

/** Distinct line colours, for up to eight series. */
juce::Colour seriesColour (int index);
} // namespace vexa::plots
