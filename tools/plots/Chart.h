#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <vector>

namespace vexa::plots
{
struct Axis
{
    juce::String label;               // name and unit, e.g. "input level (dBFS RMS)"
    double from = 0.0, to = 1.0;
    std::vector<double> ticks;        // labelled grid lines
    bool logarithmic = false;
    std::function<juce::String (double)> format = [] (double v) { return juce::String (v, 0); };

    /** 0 at `from`, 1 at `to`. */
    double proportion (double value) const;
};

/** Ticks from `from` to `to` in steps of `step`. */
std::vector<double> evenTicks (double from, double to, double step);

struct Series
{
    juce::String name;                // shown in the legend; empty for none
    juce::Colour colour;
    std::vector<juce::Point<double>> points;
    float thickness = 2.0f;
    bool dashed = false;
};

enum class Corner
{
    topLeft,
    topRight,
    bottomLeft,
    bottomRight
};

/** One plot: axes with labelled grid lines, lines, a legend and notes, drawn with JUCE's graphics. */
class Chart
{
public:
    Chart (juce::String title, Axis x, Axis y);

    Chart& add (Series series);
    Chart& note (const juce::String& line);       // a line of text under the legend
    Chart& legendAt (Corner corner);

    void draw (juce::Graphics& g, juce::Rectangle<float> area) const;

private:
    juce::Point<float> toScreen (juce::Point<double> value, juce::Rectangle<float> plot) const;
    void drawAxes (juce::Graphics& g, juce::Rectangle<float> plot) const;
    void drawSeries (juce::Graphics& g, juce::Rectangle<float> plot) const;
    void drawLegend (juce::Graphics& g, juce::Rectangle<float> plot) const;

    juce::String title;
    Axis xAxis, yAxis;
    std::vector<Series> series;
    juce::StringArray notes;
    Corner legendCorner = Corner::topLeft;
};

/** The plots' typeface (DejaVu Sans where installed, else JUCE's default sans-serif). */
juce::Font plotFont (float height, bool bold = false);
} // namespace vexa::plots
