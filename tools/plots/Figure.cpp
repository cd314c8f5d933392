#include "Figure.h"

namespace vexa::plots
{
namespace
{
constexpr int kPadding = 16, kTitleHeight = 38, kCaptionLineHeight = 18;
}

juce::Colour seriesColour (int index)
{
    static const juce::uint32 colours[] = { 0xff1f6fb4, 0xffe8740c, 0xff2b9a3e, 0xffd0312d,
                                            0xff8256b8, 0xff8c564b, 0xffd04fa8, 0xff17a2b8 };
    return juce::Colour (colours[(size_t) index % std::size (colours)]);
}

juce::Image Figure::render() const
{
    const int rows = ((int) charts.size() + columns - 1) / columns;
    const int width = columns * chartWidth + 2 * kPadding;
    const int height = kPadding + kTitleHeight + rows * chartHeight + caption.size() * kCaptionLineHeight + 2 * kPadding;

    juce::Image image (juce::Image::RGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);

    g.setColour (juce::Colour (0xff14181c));
    g.setFont (plotFont (20.0f, true));
    g.drawText (title, kPadding, kPadding, width - 2 * kPadding, kTitleHeight - 8, juce::Justification::centredLeft);

    for (size_t i = 0; i < charts.size(); ++i)
    {
        const int column = (int) i % columns, row = (int) i / columns;
        charts[i].draw (g, juce::Rectangle<int> (kPadding + column * chartWidth, kPadding + kTitleHeight + row * chartHeight,
                                                 chartWidth, chartHeight).toFloat());
    }

    g.setColour (juce::Colour (0xff4a525a));
    g.setFont (plotFont (13.0f));
    int y = kPadding + kTitleHeight + rows * chartHeight + kPadding / 2;
    for (const auto& line : caption)
    {
        g.drawText (line, kPadding, y, width - 2 * kPadding, kCaptionLineHeight, juce::Justification::centredLeft);
        y += kCaptionLineHeight;
    }
    return image;
}

bool writePng (const juce::Image& image, const juce::File& file)
{
    juce::TemporaryFile temporary (file);
    {
        juce::FileOutputStream out (temporary.getFile());
        juce::PNGImageFormat png;
        if (out.failedToOpen() || ! png.writeImageToStream (image, out))
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}
} // namespace vexa::plots
