#include "AudioFiles.h"

#include "RenderError.h"

namespace vexa::render
{
namespace
{
juce::String path (const juce::File& file) { return file.getFullPathName(); }
} // namespace

juce::String readableFormatNames()
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    juce::StringArray names;
    for (auto* format : formats)
        names.add (format->getFormatName().upToFirstOccurrenceOf (" ", false, false));
    return names.joinIntoString (", ");
}

InputAudio::InputAudio (const juce::File& inputFile) : file (inputFile)
{
    if (file.isDirectory())
        throw RenderError ("input " + path (file) + " is a folder, not an audio file");
    if (! file.existsAsFile())
        throw RenderError ("input file not found: " + path (file));

    if (juce::FileInputStream probe (file); probe.failedToOpen())
        throw RenderError ("cannot read input " + path (file) + ": " + probe.getStatus().getErrorMessage());

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    reader.reset (formats.createReaderFor (file));
    if (reader == nullptr)
        throw RenderError ("cannot read input " + path (file) + ": not an audio file of a readable format ("
                           + readableFormatNames() + ")");

    if (reader->numChannels < 1 || reader->numChannels > 2)
        throw RenderError ("input " + path (file) + " has " + juce::String (reader->numChannels)
                           + " channels; only mono and stereo files can be rendered");
    if (! (reader->sampleRate >= 1000.0 && reader->sampleRate <= 1536000.0))
        throw RenderError ("input " + path (file) + " has an unusable sample rate of " + juce::String (reader->sampleRate) + " Hz");
    if (reader->lengthInSamples < 0)
        throw RenderError ("input " + path (file) + " has no readable length");
}

void InputAudio::read (juce::AudioBuffer<float>& buffer, int startInBuffer, int numFrames, juce::int64 position)
{
    jassert (buffer.getNumChannels() == 2);
    // JUCE's reader fills both channels from a mono file and zeros frames past the end.
    if (! reader->read (&buffer, startInBuffer, numFrames, position, true, true))
        throw RenderError ("cannot read input " + path (file) + " at frame " + juce::String (position));
}

OutputAudio::OutputAudio (const juce::File& targetFile, double sampleRate)
    : target (targetFile), temporary (targetFile)
{
    if (target.isDirectory())
        throw RenderError ("output " + path (target) + " is a folder");
    if (! target.getParentDirectory().isDirectory())
        throw RenderError ("cannot write " + path (target) + ": its folder does not exist");

    auto stream = std::make_unique<juce::FileOutputStream> (temporary.getFile());
    if (stream->failedToOpen())
        throw RenderError ("cannot write " + path (target) + ": " + stream->getStatus().getErrorMessage());

    juce::WavAudioFormat wav;
    writer.reset (wav.createWriterFor (stream.get(), sampleRate, 2, 32, {}, 0));
    if (writer == nullptr)
        throw RenderError ("cannot write a WAV file at " + juce::String (sampleRate) + " Hz to " + path (target));
    stream.release(); // the writer owns it now
}

OutputAudio::~OutputAudio()
{
    writer.reset(); // closes the temporary file before TemporaryFile deletes it
}

void OutputAudio::write (const juce::AudioBuffer<float>& buffer, int startInBuffer, int numFrames)
{
    if (numFrames > 0 && ! writer->writeFromAudioSampleBuffer (buffer, startInBuffer, numFrames))
        throw RenderError ("cannot write " + path (target) + " (disk full?)");
}

void OutputAudio::commit()
{
    writer.reset(); // finishes the WAV header
    if (! temporary.overwriteTargetFileWithTemporary())
        throw RenderError ("cannot move the rendered file into place at " + path (target));
}
} // namespace vexa::render
