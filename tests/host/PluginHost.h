#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <thread>

// Loads the built Vexa Compressor bundle through JUCE's VST3 hosting.
namespace plugin_host
{
inline juce::File bundle()
{
    if (auto* path = std::getenv ("VEXA_VST3_BUNDLE"))
        return juce::File (path);
    return juce::File (VEXA_VST3_BUNDLE);
}

inline juce::PluginDescription describe()
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle().getFullPathName());
    return found.isEmpty() ? juce::PluginDescription() : *found.getFirst();
}

inline std::unique_ptr<juce::AudioPluginInstance> load (double sampleRate = 48000.0, int blockSize = 512)
{
    juce::VST3PluginFormat format;
    juce::String error;
    auto instance = format.createInstanceFromDescription (describe(), sampleRate, blockSize, error);
    if (instance != nullptr)
    {
        instance->setPlayConfigDetails (2, 2, sampleRate, blockSize);
        instance->prepareToPlay (sampleRate, blockSize);
    }
    return instance;
}

inline juce::AudioProcessorParameter* parameter (juce::AudioPluginInstance& instance, const juce::String& name)
{
    for (auto* p : instance.getParameters())
        if (p->getName (100) == name)
            return p;
    return nullptr;
}

inline std::vector<float> parameterValues (juce::AudioPluginInstance& instance)
{
    std::vector<float> values;
    for (auto* p : instance.getParameters())
        values.push_back (p->getValue());
    return values;
}

/** Feeds an instance blocks of noise on its own thread, as a host's audio thread does, until destroyed. */
class BackgroundAudio
{
public:
    BackgroundAudio (juce::AudioPluginInstance& instance, int blockSize, float level, int pauseMicroseconds = 0)
        : thread ([this, &instance, blockSize, level, pauseMicroseconds] {
              juce::AudioBuffer<float> buffer (2, blockSize);
              juce::MidiBuffer midi;
              juce::Random random (blockSize);
              while (running)
              {
                  for (int c = 0; c < 2; ++c)
                      for (int i = 0; i < blockSize; ++i)
                          buffer.setSample (c, i, (random.nextFloat() * 2.0f - 1.0f) * level);
                  instance.processBlock (buffer, midi);
                  ++blocks;
                  if (pauseMicroseconds > 0)
                      std::this_thread::sleep_for (std::chrono::microseconds (pauseMicroseconds));
              }
          })
    {
    }

    ~BackgroundAudio() { stop(); }

    /** Waits (up to two seconds) until the thread has processed at least `count` blocks. */
    void waitForBlocks (long count) const
    {
        for (int waited = 0; waited < 2000 && blocks < count; ++waited)
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    /** Stops the thread and returns how many blocks it processed. */
    long stop()
    {
        running = false;
        if (thread.joinable())
            thread.join();
        return blocks;
    }

private:
    std::atomic<bool> running { true };
    std::atomic<long> blocks { 0 };
    std::thread thread;
};
} // namespace plugin_host
