// vexa-demo-signal: writes the demo groove (see DemoSignal.h) as a stereo WAV file.
//   usage: vexa-demo-signal OUTPUT.wav [SECONDS [SAMPLE_RATE]]   (default 8 s at 48000 Hz)

#include "AudioFiles.h"
#include "DemoSignal.h"
#include "RenderError.h"

#include <cstdio>

int main (int argc, char** argv)
{
    using namespace vexa::render;

    if (argc < 2 || argc > 4)
    {
        std::fputs ("usage: vexa-demo-signal OUTPUT.wav [SECONDS [SAMPLE_RATE]]\n", stderr);
        return exitUsage;
    }

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[1]));
    const double seconds = argc > 2 ? juce::String (argv[2]).getDoubleValue() : 8.0;
    const double sampleRate = argc > 3 ? juce::String (argv[3]).getDoubleValue() : 48000.0;
    if (! (seconds > 0.0 && seconds <= 600.0) || ! (sampleRate >= 8000.0 && sampleRate <= 192000.0))
    {
        std::fputs ("vexa-demo-signal: SECONDS must be 0..600 and SAMPLE_RATE 8000..192000\n", stderr);
        return exitUsage;
    }

    try
    {
        const auto signal = makeDemoSignal (sampleRate, seconds);
        OutputAudio output (file, sampleRate);
        output.write (signal, 0, signal.getNumSamples());
        output.commit();
        std::printf ("wrote the demo signal (%.1f s of drums over a bass line) to %s\n", seconds,
                     file.getFullPathName().toRawUTF8());
        return exitOk;
    }
    catch (const RenderError& error)
    {
        std::fprintf (stderr, "vexa-demo-signal: %s\n", error.what());
        return error.exitCode;
    }
}
