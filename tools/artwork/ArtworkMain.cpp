// vexa-artwork: draws every PNG image of the plug-in's editor.
//
// Regenerate the committed images (and docs/artwork-contact-sheet.png) from the repo root with
//
//     make artwork
//
// or by hand:
//
//     cmake --build build --target vexa-artwork -j1
//     build/tools/artwork/vexa-artwork resources docs/artwork-contact-sheet.png
//
// Usage: vexa-artwork OUTDIR [CONTACT_SHEET.png]. Needs no display; the one typeface comes
// from Debian's fonts-dejavu-extra. The output is the same on every run (fixed random seeds).

#include "Artwork.h"

#include <juce_events/juce_events.h>

#include <cstdio>

namespace
{
using namespace vexa::artwork;

std::vector<ScaleMark> evenMarks (float from, float to, float labelStep, float tickStep)
{
    std::vector<ScaleMark> marks;
    const int ticks = juce::roundToInt ((to - from) / tickStep);
    const int ticksPerLabel = juce::roundToInt (labelStep / tickStep);
    for (int i = 0; i <= ticks; ++i)
    {
        const float value = from + (float) i * tickStep;
        marks.push_back ({ (float) i / (float) ticks, i % ticksPerLabel == 0 ? juce::String (juce::roundToInt (value)) : juce::String() });
    }
    return marks;
}

std::vector<NamedImage> drawAll()
{
    // Continuous knobs: the scales cover the parameters' full linear ranges.
    const ContinuousKnob threshold { "THRESHOLD", "dB", evenMarks (-40.0f, 0.0f, 10.0f, 5.0f) };
    const ContinuousKnob makeup { "MAKEUP", "dB", evenMarks (0.0f, 12.0f, 3.0f, 1.0f) };
    const ContinuousKnob drive { "DRIVE", "%", evenMarks (0.0f, 100.0f, 20.0f, 10.0f) };

    // Stepped knobs: one frame per choice, in the parameters' choice order.
    const SteppedKnob attack { "ATTACK", "ms", { "0.1", "0.3", "1", "3", "10", "30", "AUTO" } };
    const SteppedKnob release { "RELEASE", "s", { "0.1", "0.3", "0.6", "1.2", "AUTO" } };
    const SteppedKnob ratio { "RATIO", "", { "2:1", "4:1", "10:1" } };

    return {
        { "Panel_Background.png", drawPanelBackground() },
        { "Vintage_VUMeter.png", drawVuMeterFace() },
        { "Switch_Slide_Meter.png", drawMeterModeSwitch() },
        { "Switch_Toggle_Link.png", drawToggleSwitch ("LINK") },
        { "Switch_Toggle_SCHP.png", drawToggleSwitch ("SC HPF") },
        { "Knob_Threshold.png", drawContinuousKnob (threshold) },
        { "Knob_Makeup.png", drawContinuousKnob (makeup) },
        { "Knob_Attack.png", drawSteppedKnob (attack) },
        { "Knob_Release.png", drawSteppedKnob (release) },
        { "Knob_Ratio.png", drawSteppedKnob (ratio) },
        { "Knob_Drive.png", drawContinuousKnob (drive) },
    };
}

bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    if (! out.openedOk() || ! png.writeImageToStream (image, out))
    {
        std::fprintf (stderr, "vexa-artwork: cannot write %s\n", file.getFullPathName().toRawUTF8());
        return false;
    }
    std::printf ("%s (%d x %d, %s)\n", file.getFullPathName().toRawUTF8(), image.getWidth(), image.getHeight(),
                 image.hasAlphaChannel() ? "RGBA" : "RGB");
    return true;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf (stderr, "usage: vexa-artwork OUTDIR [CONTACT_SHEET.png]\n");
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto outDir = cwd.getChildFile (argv[1]);
    if (! outDir.createDirectory())
    {
        std::fprintf (stderr, "vexa-artwork: cannot create %s\n", outDir.getFullPathName().toRawUTF8());
        return 1;
    }

    const auto images = drawAll();
    bool ok = true;
    for (const auto& named : images)
        ok = writePng (named.image, outDir.getChildFile (named.fileName)) && ok;

    if (argc == 3)
    {
        const auto sheetFile = cwd.getChildFile (argv[2]);
        ok = sheetFile.getParentDirectory().createDirectory() && writePng (drawContactSheet (images), sheetFile) && ok;
    }

    return ok ? 0 : 1;
}
