#pragma once

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

// Shared by the vexa-render tests: scratch folders, WAV files, running the built vexa-render,
// and an in-process instance of the built bundle to compare against.
namespace render_test
{
juce::File bundle();

/** A fresh folder under the system's temp folder, deleted with its content at the end of scope. */
struct ScratchFolder
{
    ScratchFolder();
    ~ScratchFolder();
    juce::File operator[] (const juce::String& name) const { return folder.getChildFile (name); }
    juce::StringArray fileNames() const;

    juce::File folder;
};

void writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate = 48000.0, int bits = 32);

struct WavContent
{
    juce::AudioBuffer<float> audio;
    double sampleRate = 0.0;
};
WavContent readWav (const juce::File& file);

/** A stereo test signal: two sines of different pitch and level on the two channels, with a
    loud burst in the middle so that the compressor has something to do. */
juce::AudioBuffer<float> burstySignal (int frames, double sampleRate);

/** A sine of `amplitude` on both channels. */
juce::AudioBuffer<float> sine (int frames, double sampleRate, double frequency, double amplitude);

struct RunResult
{
    int exitCode = -1;
    juce::String out, err;
};

/** Runs the built vexa-render with these arguments (no shell in between), waiting for it. */
RunResult runRender (const juce::StringArray& arguments);

/** The built bundle loaded in this process, stereo, prepared for the rate and block size. */
std::unique_ptr<juce::AudioPluginInstance> loadInProcess (double sampleRate, int blockSize);

/** Sets a parameter of an in-process instance by its display name, to a normalised value;
    false if there is no such parameter. */
bool setByName (juce::AudioPluginInstance& instance, const juce::String& name, float normalised);

/** Processes `input` followed by `extraFrames` of silence in blocks of `blockSize`. */
juce::AudioBuffer<float> processInProcess (juce::AudioPluginInstance& instance, const juce::AudioBuffer<float>& input,
                                           int blockSize, int extraFrames);
} // namespace render_test
