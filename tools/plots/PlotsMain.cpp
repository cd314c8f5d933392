// vexa-plots: measures the built Vexa Compressor through JUCE's VST3 hosting and draws how it
// behaves as PNG files (see Plots.h):
//
//     vexa-plots [--plugin BUNDLE] OUTDIR
//
// BUNDLE defaults to ~/.vst3/Vexa Compressor.vst3; `make plots` draws them into docs/.
// Needs no display. The pictures are the same on every run.

#include "Plots.h"
#include "RenderError.h"

#include <juce_events/juce_events.h>

#include <cstdio>

namespace
{
using namespace vexa;

constexpr double kSampleRate = 48000.0;

int usage()
{
    std::fputs ("usage: vexa-plots [--plugin BUNDLE] OUTDIR\n", stderr);
    return render::exitUsage;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceForHostingAndDrawing;

    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    auto bundle = render::defaultPluginBundle();
    if (arguments[0] == "--plugin" && arguments.size() >= 2)
    {
        bundle = cwd.getChildFile (arguments[1]);
        arguments.removeRange (0, 2);
    }
    if (arguments.size() != 1 || arguments[0].startsWith ("-"))
        return usage();

    const auto outDir = cwd.getChildFile (arguments[0]);
    if (! outDir.isDirectory())
    {
        std::fprintf (stderr, "vexa-plots: %s is not a folder\n", outDir.getFullPathName().toRawUTF8());
        return render::exitFailure;
    }

    try
    {
        const plots::Bench bench (bundle, kSampleRate);
        using Draw = plots::Figure (*) (const plots::Bench&);
        for (Draw draw : { &plots::compressionCurveFigure, &plots::attackReleaseFigure, &plots::driveCurveFigure,
                           &plots::driveSpectrumFigure })
        {
            const auto figure = draw (bench);
            const auto file = outDir.getChildFile (figure.fileName);
            const auto image = figure.render();
            if (! plots::writePng (image, file))
            {
                std::fprintf (stderr, "vexa-plots: cannot write %s\n", file.getFullPathName().toRawUTF8());
                return render::exitFailure;
            }
            std::printf ("%s (%d x %d)\n", file.getFullPathName().toRawUTF8(), image.getWidth(), image.getHeight());
        }
        return render::exitOk;
    }
    catch (const render::RenderError& error)
    {
        std::fprintf (stderr, "vexa-plots: %s\n", error.what());
        return error.exitCode;
    }
}
