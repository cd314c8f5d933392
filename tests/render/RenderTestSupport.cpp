#include "RenderTestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <vector>

extern char** environ;

namespace render_test
{
juce::File bundle()
{
    if (auto* path = std::getenv ("VEXA_VST3_BUNDLE"))
        return juce::File (path);
    return juce::File (VEXA_VST3_BUNDLE);
}

ScratchFolder::ScratchFolder()
    : folder (juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("vexa-render-test", {}, false))
{
    folder.createDirectory();
}

ScratchFolder::~ScratchFolder()
{
    folder.deleteRecursively();
}

juce::StringArray ScratchFolder::fileNames() const
{
    juce::StringArray names;
    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles))
        names.add (entry.getFile().getFileName());
    names.sort (false);
    return names;
}

void writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bits)
{
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream> (file);
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (stream.get(), sampleRate, (unsigned int) audio.getNumChannels(), bits, {}, 0));
    jassert (writer != nullptr);
    stream.release();
    writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
}

WavContent readWav (const juce::File& file)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    WavContent content;
    if (reader == nullptr)
        return content;
    content.sampleRate = reader->sampleRate;
    content.audio.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
    reader->read (&content.audio, 0, (int) reader->lengthInSamples, 0, true, true);
    return content;
}

juce::AudioBuffer<float> burstySignal (int frames, double sampleRate)
{
    juce::AudioBuffer<float> audio (2, frames);
    for (int i = 0; i < frames; ++i)
    {
        const double t = i / sampleRate;
        const double burst = (i > frames / 3 && i < frames / 2) ? 0.9 : 0.15;
        audio.setSample (0, i, (float) (burst * std::sin (2.0 * juce::MathConstants<double>::pi * 440.0 * t)));
        audio.setSample (1, i, (float) (0.6 * burst * std::sin (2.0 * juce::MathConstants<double>::pi * 1250.0 * t)));
    }
    return audio;
}

juce::AudioBuffer<float> sine (int frames, double sampleRate, double frequency, double amplitude)
{
    juce::AudioBuffer<float> audio (2, frames);
    for (int i = 0; i < frames; ++i)
    {
        const auto v = (float) (amplitude * std::sin (2.0 * juce::MathConstants<double>::pi * frequency * i / sampleRate));
        audio.setSample (0, i, v);
        audio.setSample (1, i, v);
    }
    return audio;
}

RunResult runRender (const juce::StringArray& arguments)
{
    ScratchFolder captures;
    const auto outFile = captures["stdout"].getFullPathName().toStdString();
    const auto errFile = captures["stderr"].getFullPathName().toStdString();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen (&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<std::string> strings { VEXA_RENDER_EXE };
    for (const auto& argument : arguments)
        strings.push_back (argument.toStdString());
    std::vector<char*> argv;
    for (auto& s : strings)
        argv.push_back (s.data());
    argv.push_back (nullptr);

    RunResult result;
    pid_t pid = 0;
    if (posix_spawn (&pid, VEXA_RENDER_EXE, &actions, nullptr, argv.data(), environ) == 0)
    {
        int status = 0;
        waitpid (pid, &status, 0);
        result.exitCode = WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
    }
    posix_spawn_file_actions_destroy (&actions);

    result.out = captures["stdout"].loadFileAsString();
    result.err = captures["stderr"].loadFileAsString();
    return result;
}

std::unique_ptr<juce::AudioPluginInstance> loadInProcess (double sampleRate, int blockSize)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle().getFullPathName());
    if (found.isEmpty())
        return nullptr;

    juce::String error;
    auto instance = format.createInstanceFromDescription (*found.getFirst(), sampleRate, blockSize, error);
    if (instance != nullptr)
    {
        instance->setPlayConfigDetails (2, 2, sampleRate, blockSize);
        instance->prepareToPlay (sampleRate, blockSize);
    }
    return instance;
}

bool setByName (juce::AudioPluginInstance& instance, const juce::String& name, float normalised)
{
    for (auto* parameter : instance.getParameters())
        if (parameter->getName (100) == name)
        {
            parameter->setValueNotifyingHost (normalised);
            return true;
        }
    return false;
}

juce::AudioBuffer<float> processInProcess (juce::AudioPluginInstance& instance, const juce::AudioBuffer<float>& input,
                                           int blockSize, int extraFrames)
{
    const int total = input.getNumSamples() + extraFrames;
    juce::AudioBuffer<float> output (2, total);
    output.clear();
    for (int c = 0; c < 2; ++c)
        output.copyFrom (c, 0, input, c, 0, input.getNumSamples());

    juce::MidiBuffer midi;
    for (int start = 0; start < total; start += blockSize)
    {
        juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, juce::jmin (blockSize, total - start));
        instance.processBlock (block, midi);
    }
    return output;
}
} // namespace render_test
