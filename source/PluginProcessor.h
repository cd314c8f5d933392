#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include <array>
#include <atomic>

#include "EngineRecords.h"

/** The plug-in's audio processor: a stereo RMS bus compressor followed by a 2x oversampled drive stage. */
class VexaProcessor : public juce::AudioProcessor
{
public:
    VexaProcessor();
    ~VexaProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    /** Builds the nine parameters in host order. */
    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    juce::AudioProcessorValueTreeState apvts;

private:
    friend struct VexaProcessorTestAccess;

    // Engine state, in the order the signal path uses it.
    double sampleRate = 44100.0;
    EngineSettings settings;
    std::array<RmsDetector, 2> rmsDetectors;
    std::array<SidechainHighPass, 2> sidechainFilters;
    std::array<GainEnvelope, 2> envelopes;
    double blockGainReductionDb = 0.0;
    double makeupGain = 1.0;
    double ratioSlope = 0.75;
    double kneeLowDb = -13.0;
    double kneeHighDb = -7.0;
    double driveGain = 1.0;
    double driveNormaliser = 1.0;
    double driveAsymmetry = 0.0;
    double driveOutputScale = 1.0;
    juce::dsp::Oversampling<float> oversampler;

public:
    // Meter values in dB, written once per block by the audio thread, polled by the editor.
    std::atomic<float> gainReductionMeter { 0.0f };
    std::atomic<float> inputMeter { -100.0f };
    std::atomic<float> outputMeter { -100.0f };

private:
    void resetEngineState();
    void readParameters() noexcept;
    void updateDerivedValues() noexcept;
    void updateEnvelopeTiming() noexcept;
    double runSampleLoop (float* left, float* right, int numSamples) noexcept;
    void runDriveStage (juce::AudioBuffer<float>& buffer, int startSample, int numSamples) noexcept;

    /** The atomic plain values of the eight parameters the engine reads, looked up once. */
    struct ParameterValues
    {
        std::atomic<float>* threshold = nullptr;
        std::atomic<float>* ratio = nullptr;
        std::atomic<float>* attack = nullptr;
        std::atomic<float>* release = nullptr;
        std::atomic<float>* makeup = nullptr;
        std::atomic<float>* scHPF = nullptr;
        std::atomic<float>* stereoLink = nullptr;
        std::atomic<float>* drive = nullptr;
    };
    ParameterValues parameterValues;

    /** The block size the oversampler was prepared for; longer host blocks are processed in slices. */
    int preparedBlockSize = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VexaProcessor)
};
