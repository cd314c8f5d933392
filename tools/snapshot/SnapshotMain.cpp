// vexa-snapshot OUT.png: renders the editor of a real processor, after a few seconds of programme
// material have played through it, to a PNG (used for the picture in the README).

#include "PluginEditor.h"
#include "PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce::detail
{
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
void setParameter (VexaProcessor& p, const char* id, float plain)
{
    auto* parameter = p.apvts.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plain));
}

/** Drums and bass at 48 kHz, block after block, as a host would feed it. */
void playProgramme (VexaProcessor& processor, double seconds)
{
    constexpr double rate = 48000.0;
    constexpr int block = 512;
    processor.prepareToPlay (rate, block);
    juce::AudioBuffer<float> buffer (2, block);
    juce::MidiBuffer midi;
    juce::Random random (11);

    for (int start = 0; start < (int) (seconds * rate); start += block)
    {
        for (int i = 0; i < block; ++i)
        {
            const int n = start + i;
            const int beat = n % 24000;
            const double kick = beat < 6000 ? std::sin (2.0 * juce::MathConstants<double>::pi * 55.0 * beat / rate) * std::exp (-beat / 2500.0) : 0.0;
            const double hat = (n % 6000) < 800 ? (random.nextFloat() * 2.0 - 1.0) * std::exp (-(n % 6000) / 150.0) * 0.3 : 0.0;
            const double bass = 0.3 * std::sin (2.0 * juce::MathConstants<double>::pi * 82.4 * n / rate);
            for (int c = 0; c < 2; ++c)
                buffer.setSample (c, i, (float) (0.8 * kick + hat + bass));
        }
        processor.processBlock (buffer, midi);
    }
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf (stderr, "usage: vexa-snapshot OUT.png\n");
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    VexaProcessor processor;
    setParameter (processor, "threshold", -24.0f);
    setParameter (processor, "makeup", 4.0f);
    setParameter (processor, "drive", 35.0f);
    setParameter (processor, "attack", 3.0f);
    setParameter (processor, "meterMode", 1.0f);
    playProgramme (processor, 4.0);

    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());

    // Let the meter's timer bring the needle to the reading.
    const auto end = juce::Time::getMillisecondCounter() + 600;
    while (juce::Time::getMillisecondCounter() < end)
        if (! juce::detail::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (2);

    const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 2.0f);
    juce::File out (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    out.deleteFile();
    juce::FileOutputStream stream (out);
    juce::PNGImageFormat png;
    if (! stream.openedOk() || ! png.writeImageToStream (image, stream))
    {
        std::fprintf (stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    std::printf ("wrote %s (%d x %d)\n", out.getFullPathName().toRawUTF8(), image.getWidth(), image.getHeight());
    return 0;
}
