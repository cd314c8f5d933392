#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

namespace vexa::render
{
/** An input file opened for reading as stereo: mono is duplicated, more channels are refused. */
class InputAudio
{
public:
    /** Throws RenderError if the file is missing, unreadable or has more than two channels. */
    explicit InputAudio (const juce::File& file);

    double sampleRate() const noexcept { return reader->sampleRate; }
    juce::int64 lengthInFrames() const noexcept { return reader->lengthInSamples; }
    int fileChannels() const noexcept { return (int) reader->numChannels; }
    juce::String formatName() const { return reader->getFormatName(); }

    /** Reads `numFrames` frames from `position` into both channels of `buffer`, starting at
        `startInBuffer`; frames past the end of the file read as silence. Throws RenderError. */
    void read (juce::AudioBuffer<float>& buffer, int startInBuffer, int numFrames, juce::int64 position);

private:
    juce::File file;
    std::unique_ptr<juce::AudioFormatReader> reader;
};

/** A stereo 32-bit float WAV output that appears under its name only once it is complete:
    it is written to a temporary file beside the target, which commit() moves into place.
    If commit() is never reached, the temporary file is deleted and the target is untouched. */
class OutputAudio
{
public:
    /** Throws RenderError if the file cannot be created. */
    OutputAudio (const juce::File& target, double sampleRate);
    ~OutputAudio();

    void write (const juce::AudioBuffer<float>& buffer, int startInBuffer, int numFrames);
    void commit();

private:
    juce::File target;
    juce::TemporaryFile temporary;
    std::unique_ptr<juce::AudioFormatWriter> writer;
};

/** The formats this build reads, for messages: "WAV, AIFF". */
juce::String readableFormatNames();
} // namespace vexa::render
