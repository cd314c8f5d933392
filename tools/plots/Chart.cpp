#include "Chart.h"

#include <cmath>

namespace vexa::plots
{
namespace
{
const juce::Colour kInk (0xff202428);
const juce::Colour kGrid (0xffdde1e6);
const juce::Colour kFrame (0xff8a9199);

constexpr float kLeftMargin = 66.0f, kBottomMargin = 50.0f, kTopMargin = 30.0f, kRightMargin = 18.0f;

juce::Typeface::Ptr loadTypeface (const char* fileName)
{
    juce::MemoryBlock data;
    if (juce::File ("/usr/share/fonts/truetype/dejavu").getChildFile (fileName).loadFileAsData (data))
        return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
    return nullptr;
}
} // namespace

juce::Font plotFont (float height, bool bold)
{
    static const auto regular = loadTypeface ("DejaVuSans.ttf");
    static const auto heavy = loadTypeface ("DejaVuSans-Bold.ttf");
    const auto& typeface = bold ? heavy : regular;
    if (typeface != nullptr)
        return juce::Font (juce::FontOptions().withTypeface (typeface).withHeight (height));
    return juce::Font (juce::FontOptions (height, bold ? juce::Font::bold : juce::Font::plain));
}

double Axis::proportion (double value) const
{
    if (logarithmic)
        return (std::log10 (value) - std::log10 (from)) / (std::log10 (to) - std::log10 (from));
    return (value - from) / (to - from);
}

std::vector<double> evenTicks (double from, double to, double step)
{
    std::vector<double> ticks;
    const int count = (int) std::floor ((to - from) / step + 1.0e-9);
    for (int i = 0; i <= count; ++i)
        ticks.push_back (from + i * step);
    return ticks;
}

Chart::Chart (juce::String chartTitle, Axis x, Axis y)
    : title (std::move (chartTitle)), xAxis (std::move (x)), yAxis (std::move (y))
{
}

Chart& Chart::add (Series s)
{
    series.push_back (std::move (s));
    return *this;
}

Chart& Chart::note (const juce::String& line)
{
    notes.add (line);
    return *this;
}

Chart& Chart::legendAt (Corner corner)
{
    legendCorner = corner;
    return *this;
}

juce::Point<float> Chart::toScreen (juce::Point<double> value, juce::Rectangle<float> plot) const
{
    return { plot.getX() + (float) xAxis.proportion (value.x) * plot.getWidth(),
             plot.getBottom() - (float) yAxis.proportion (value.y) * plot.getHeight() };
}

void Chart::draw (juce::Graphics& g, juce::Rectangle<float> area) const
{
    g.setColour (kInk);
    g.setFont (plotFont (15.0f, true));
    g.drawText (title, area.withHeight (kTopMargin - 6.0f).withTrimmedLeft (kLeftMargin), juce::Justification::centredLeft);

    const auto plot = area.withTrimmedLeft (kLeftMargin).withTrimmedBottom (kBottomMargin)
                          .withTrimmedTop (kTopMargin).withTrimmedRight (kRightMargin);
    drawAxes (g, plot);
    drawSeries (g, plot);
    drawLegend (g, plot);
}

void Chart::drawAxes (juce::Graphics& g, juce::Rectangle<float> plot) const
{
    g.setFont (plotFont (12.0f));

    for (const double x : xAxis.ticks)
    {
        const float sx = toScreen ({ x, yAxis.from }, plot).x;
        g.setColour (kGrid);
        g.drawVerticalLine (juce::roundToInt (sx), plot.getY(), plot.getBottom());
        g.setColour (kInk);
        g.drawText (xAxis.format (x), juce::Rectangle<float> (sx - 40.0f, plot.getBottom() + 4.0f, 80.0f, 16.0f),
                    juce::Justification::centredTop);
    }

    for (const double y : yAxis.ticks)
    {
        const float sy = toScreen ({ xAxis.from, y }, plot).y;
        g.setColour (kGrid);
        g.drawHorizontalLine (juce::roundToInt (sy), plot.getX(), plot.getRight());
        g.setColour (kInk);
        g.drawText (yAxis.format (y), juce::Rectangle<float> (plot.getX() - 62.0f, sy - 8.0f, 56.0f, 16.0f),
                    juce::Justification::centredRight);
    }

    g.setColour (kFrame);
    g.drawRect (plot, 1.0f);

    g.setColour (kInk);
    g.setFont (plotFont (13.0f));
    g.drawText (xAxis.label, juce::Rectangle<float> (plot.getX(), plot.getBottom() + 24.0f, plot.getWidth(), 20.0f),
                juce::Justification::centred);

    // The y label, turned a quarter to the left beside the tick labels.
    juce::Graphics::ScopedSaveState state (g);
    const juce::Point<float> centre (plot.getX() - 54.0f, plot.getCentreY());
    g.addTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi, centre.x, centre.y));
    g.drawText (yAxis.label, juce::Rectangle<float> (plot.getHeight(), 20.0f).withCentre (centre), juce::Justification::centred);
}

void Chart::drawSeries (juce::Graphics& g, juce::Rectangle<float> plot) const
{
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (plot.toNearestInt());

    for (const auto& s : series)
    {
        juce::Path path;
        bool started = false;
        for (const auto& point : s.points)
        {
            if (! std::isfinite (point.x) || ! std::isfinite (point.y) || (xAxis.logarithmic && point.x <= 0.0))
            {
                started = false;
                continue;
            }
            const auto p = toScreen (point, plot);
            if (started)
                path.lineTo (p);
            else
                path.startNewSubPath (p);
            started = true;
        }

        g.setColour (s.colour);
        const juce::PathStrokeType stroke (s.thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
        if (s.dashed)
        {
            const float dashes[] = { 7.0f, 5.0f };
            juce::Path dashed;
            stroke.createDashedStroke (dashed, path, dashes, 2);
            g.fillPath (dashed);
        }
        else
        {
            g.strokePath (path, stroke);
        }
    }
}

void Chart::drawLegend (juce::Graphics& g, juce::Rectangle<float> plot) const
{
    std::vector<const Series*> named;
    for (const auto& s : series)
        if (s.name.isNotEmpty())
            named.push_back (&s);
    if (named.empty() && notes.isEmpty())
        return;

    const auto font = plotFont (12.0f);
    constexpr float rowHeight = 17.0f, swatch = 24.0f, padding = 8.0f;

    float textWidth = 0.0f;
    for (const auto* s : named)
        textWidth = juce::jmax (textWidth, juce::GlyphArrangement::getStringWidth (font, s->name) + swatch + 6.0f);
    for (const auto& line : notes)
        textWidth = juce::jmax (textWidth, juce::GlyphArrangement::getStringWidth (font, line));

    const float width = textWidth + 2.0f * padding;
    const float height = (float) (named.size() + (size_t) notes.size()) * rowHeight + 2.0f * padding;
    const bool left = legendCorner == Corner::topLeft || legendCorner == Corner::bottomLeft;
    const bool top = legendCorner == Corner::topLeft || legendCorner == Corner::topRight;
    const juce::Rectangle<float> box (left ? plot.getX() + 10.0f : plot.getRight() - 10.0f - width,
                                      top ? plot.getY() + 10.0f : plot.getBottom() - 10.0f - height, width, height);

    g.setColour (juce::Colours::white.withAlpha (0.92f));
    g.fillRoundedRectangle (box, 4.0f);
    g.setColour (kGrid.darker (0.1f));
    g.drawRoundedRectangle (box, 4.0f, 1.0f);

    g.setFont (font);
    float y = box.getY() + padding;
    for (const auto* s : named)
    {
        const float mid = y + rowHeight * 0.5f;
        juce::Path line;
        line.startNewSubPath (box.getX() + padding, mid);
        line.lineTo (box.getX() + padding + swatch, mid);
        g.setColour (s->colour);
        if (s->dashed)
        {
            const float dashes[] = { 6.0f, 3.0f };
            juce::Path dashed;
            juce::PathStrokeType (s->thickness).createDashedStroke (dashed, line, dashes, 2);
            g.fillPath (dashed);
        }
        else
        {
            g.strokePath (line, juce::PathStrokeType (s->thickness));
        }
        g.setColour (kInk);
        g.drawText (s->name, juce::Rectangle<float> (box.getX() + padding + swatch + 6.0f, y, textWidth, rowHeight),
                    juce::Justification::centredLeft);
        y += rowHeight;
    }

    g.setColour (kInk.withAlpha (0.75f));
    for (const auto& line : notes)
    {
        g.drawText (line, juce::Rectangle<float> (box.getX() + padding, y, textWidth, rowHeight), juce::Justification::centredLeft);
        y += rowHeight;
    }
}
} // namespace vexa::plots
