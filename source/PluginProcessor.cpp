#include "PluginProcessor.h"
#include "PluginEditor.h"
#include "StateChunk.h"

#include <cmath>
#include <cstring>

namespace Tarsk
{
namespace
{
    /** Compression ratios n:1, indexed by the ratio choice. */
    constexpr double kRatios[] = { 2.0, 4.0, 10.0 };
    /** Attack times in milliseconds, indexed by the attack choice; index 6 is AUTO. */
    constexpr double kAttackTimes[] = { 0.1, 0.3, 1.0, 3.0, 10.0, 30.0 };
    /** Release times in seconds, indexed by the release choice; index 4 is AUTO. */
    constexpr double kReleaseTimes[] = { 0.1, 0.3, 0.6, 1.2 };

    constexpr int kAutoAttackIndex = 6;
    constexpr int kAutoReleaseIndex = 4;
} // namespace
} // namespace Tarsk

namespace
{
/** ln(10) / 20: turns a gain in dB into the exponent of its linear factor. */
const double kDbToExponent = std::log (10.0) / 20.0;

/** Sample peak of the first numSamples of both channels in dB; -100 at or below 1e-10.
    Non-finite samples carry no level and are left out. For floats of either sign the order of
    |x| is the order of the bit patterns without the sign bit, so the peak is found on integers,
    which the compiler vectorises; patterns from 0x7f800000 up (infinities, NaNs) count as 0. */
float peakLevelDb (const float* left, const float* right, int numSamples) noexcept
{
    int32_t peakBits = 0;

    for (int i = 0; i < numSamples; ++i)
    {
        int32_t a, b;
        std::memcpy (&a, left + i, sizeof a);
        std::memcpy (&b, right + i, sizeof b);
        a &= 0x7fffffff;
        b &= 0x7fffffff;
        a = a < 0x7f800000 ? a : 0;
        b = b < 0x7f800000 ? b : 0;
        peakBits = a > peakBits ? a : peakBits;
        peakBits = b > peakBits ? b : peakBits;
    }

    float peak;
    std::memcpy (&peak, &peakBits, sizeof peak);
    return peak > 1e-10f ? 20.0f * std::log10 (peak) : -100.0f;
}

/** A non-finite sample would poison every state it reaches; it enters the engine as silence. */
inline double finiteOrZero (float x) noexcept
{
    return std::isfinite (x) ? static_cast<double> (x) : 0.0;
}
} // namespace

//==============================================================================
VexaProcessor::VexaProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      apvts (*this, nullptr, "Parameters", createParameterLayout()),
      oversampler (2, 1, juce::dsp::Oversampling<float>::filterHalfBandFIREquiripple, true, false)
{
    parameterValues.threshold = apvts.getRawParameterValue ("threshold");
    parameterValues.ratio = apvts.getRawParameterValue ("ratio");
    parameterValues.attack = apvts.getRawParameterValue ("attack");
    parameterValues.release = apvts.getRawParameterValue ("release");
    parameterValues.makeup = apvts.getRawParameterValue ("makeup");
    parameterValues.scHPF = apvts.getRawParameterValue ("scHPF");
    parameterValues.stereoLink = apvts.getRawParameterValue ("stereoLink");
    parameterValues.drive = apvts.getRawParameterValue ("drive");
}

VexaProcessor::~VexaProcessor() = default;

juce::AudioProcessorValueTreeState::ParameterLayout VexaProcessor::createParameterLayout()
{
    using namespace juce;

    auto floatParameter = [] (const char* id, const char* name, float start, float end, float defaultValue, const char* label)
    {
        return std::make_unique<AudioParameterFloat> (ParameterID { id, 0 }, name,
                                                      NormalisableRange<float> (start, end, 0.1f),
                                                      defaultValue,
                                                      AudioParameterFloatAttributes().withLabel (label));
    };

    std::vector<std::unique_ptr<RangedAudioParameter>> parameters;
    parameters.push_back (floatParameter ("threshold", "Threshold", -40.0f, 0.0f, -10.0f, "dBFS"));
    parameters.push_back (std::make_unique<AudioParameterChoice> (ParameterID { "ratio", 0 }, "Ratio",
                                                                  StringArray { "2:1", "4:1", "10:1" }, 1));
    parameters.push_back (std::make_unique<AudioParameterChoice> (ParameterID { "attack", 0 }, "Attack",
                                                                  StringArray { "0.1ms", "0.3ms", "1ms", "3ms", "10ms", "30ms", "AUTO" }, 2));
    parameters.push_back (std::make_unique<AudioParameterChoice> (ParameterID { "release", 0 }, "Release",
                                                                  StringArray { "0.1s", "0.3s", "0.6s", "1.2s", "AUTO" }, 4));
    parameters.push_back (floatParameter ("makeup", "Makeup", 0.0f, 12.0f, 0.0f, "dB"));
    parameters.push_back (std::make_unique<AudioParameterBool> (ParameterID { "scHPF", 0 }, "SC HPF", false));
    parameters.push_back (std::make_unique<AudioParameterBool> (ParameterID { "stereoLink", 0 }, "Stereo Link", true));
    parameters.push_back (floatParameter ("drive", "Drive", 0.0f, 100.0f, 0.0f, "%"));
    parameters.push_back (std::make_unique<AudioParameterChoice> (ParameterID { "meterMode", 0 }, "Meter Mode",
                                                                  StringArray { "Input", "GR", "Output" }, 1));

    return { parameters.begin(), parameters.end() };
}

//==============================================================================
const juce::String VexaProcessor::getName() const { return "Vexa Compressor"; }

double VexaProcessor::getTailLengthSeconds() const { return 0.0; }
bool VexaProcessor::acceptsMidi() const { return false; }
bool VexaProcessor::producesMidi() const { return false; }

juce::AudioProcessorEditor* VexaProcessor::createEditor() { return new VexaEditor (*this); }
bool VexaProcessor::hasEditor() const { return true; }

int VexaProcessor::getNumPrograms() { return 1; }
int VexaProcessor::getCurrentProgram() { return 0; }
void VexaProcessor::setCurrentProgram (int) {}
const juce::String VexaProcessor::getProgramName (int) { return {}; }
void VexaProcessor::changeProgramName (int, const juce::String&) {}

bool VexaProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    if (layouts.getMainOutputChannelSet() != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == juce::AudioChannelSet::stereo();
}

//==============================================================================
void VexaProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const auto state = apvts.copyState();

    if (auto xml = state.createXml())
        copyXmlToBinary (*xml, destData);
}

void VexaProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto xml = StateChunk::parse (data, sizeInBytes);

    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (apvts.state.getType().toString()))
        return;

    auto newState = juce::ValueTree::fromXml (*xml);

    // A parameter the document does not mention, or gives a value that is not a number, keeps its
    // current value: the framework would reset the first to its default and take NaN for the second.
    for (auto* parameter : getParameters())
    {
        const auto& id = static_cast<juce::RangedAudioParameter*> (parameter)->getParameterID();
        const float current = apvts.getRawParameterValue (id)->load();
        bool mentioned = false;

        for (auto child : newState)
        {
            if (child.getProperty ("id").toString() != id)
                continue;

            mentioned = true;
            if (child.hasProperty ("value") && std::isnan (static_cast<float> (child.getProperty ("value"))))
                child.setProperty ("value", current, nullptr);
        }

        if (! mentioned)
            newState.appendChild (juce::ValueTree ("PARAM", { { "id", id }, { "value", current } }), nullptr);
    }

    apvts.replaceState (newState);
}

//==============================================================================
void VexaProcessor::prepareToPlay (double newSampleRate, int maximumExpectedSamplesPerBlock)
{
    sampleRate = newSampleRate;

    for (auto& detector : rmsDetectors)
    {
        detector.coef = CoefficientPair::forTime (0.01, sampleRate);
        detector.meanSquare = 0.0;
    }

    const double highPassCoef = 1.0 / (1.0 + std::tan (0.5 * juce::MathConstants<double>::twoPi * 60.0 / sampleRate));

    for (auto& filter : sidechainFilters)
    {
        filter.coef = highPassCoef;
        filter.previousInput = 0.0;
        filter.previousOutput = 0.0;
    }

    for (auto& envelope : envelopes)
        envelope.prepare (sampleRate);

    preparedBlockSize = juce::jmax (1, maximumExpectedSamplesPerBlock);
    oversampler.initProcessing (static_cast<size_t> (preparedBlockSize));

    resetEngineState();

    setLatencySamples (juce::roundToInt (oversampler.getLatencyInSamples()));
}

void VexaProcessor::releaseResources()
{
    resetEngineState();
}

void VexaProcessor::resetEngineState()
{
    for (auto& detector : rmsDetectors)
        detector.meanSquare = 0.0;

    for (auto& filter : sidechainFilters)
    {
        filter.previousInput = 0.0;
        filter.previousOutput = 0.0;
    }

    for (auto& envelope : envelopes)
        envelope.clearState();

    oversampler.reset();
    blockGainReductionDb = 0.0;
}

//==============================================================================
void VexaProcessor::readParameters() noexcept
{
    settings.thresholdDb = static_cast<double> (parameterValues.threshold->load());
    settings.ratioIndex = static_cast<int32_t> (parameterValues.ratio->load());
    settings.attackIndex = static_cast<int32_t> (parameterValues.attack->load());
    settings.releaseIndex = static_cast<int32_t> (parameterValues.release->load());
    settings.makeupDb = static_cast<double> (parameterValues.makeup->load());
    settings.sidechainHighPassOn = parameterValues.scHPF->load() > 0.5f;
    settings.stereoLinkOn = parameterValues.stereoLink->load() > 0.5f;
    settings.driveAmount = static_cast<double> (parameterValues.drive->load()) / 100.0;
}

void VexaProcessor::updateDerivedValues() noexcept
{
    makeupGain = std::exp (settings.makeupDb * kDbToExponent);
    ratioSlope = 1.0 - 1.0 / Tarsk::kRatios[juce::jlimit (0, 2, settings.ratioIndex)];
    kneeLowDb = settings.thresholdDb - 3.0;
    kneeHighDb = settings.thresholdDb + 3.0;

    if (settings.driveAmount > 0.0)
    {
        driveGain = 1.0 + 1.5 * settings.driveAmount;
        driveNormaliser = 1.0 / std::tanh (driveGain);
        driveAsymmetry = 0.02 * settings.driveAmount;
        driveOutputScale = 1.0 / (1.5 + driveAsymmetry);
    }
}

void VexaProcessor::updateEnvelopeTiming() noexcept
{
    const int attackIndex = settings.attackIndex;
    const int releaseIndex = settings.releaseIndex;
    const int32_t autoMode = (attackIndex == Tarsk::kAutoAttackIndex || releaseIndex == Tarsk::kAutoReleaseIndex) ? 1 : 0;

    for (auto& envelope : envelopes)
    {
        envelope.autoMode = autoMode;

        if (attackIndex >= 0 && attackIndex < Tarsk::kAutoAttackIndex)
            envelope.manualAttack = CoefficientPair::forTime (Tarsk::kAttackTimes[attackIndex] * 0.001, envelope.sampleRate);

        if (releaseIndex >= 0 && releaseIndex < Tarsk::kAutoReleaseIndex)
            envelope.manualRelease = CoefficientPair::forTime (Tarsk::kReleaseTimes[releaseIndex], envelope.sampleRate);
    }
}

//==============================================================================
void VexaProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    float* const left = buffer.getWritePointer (0);
    float* const right = buffer.getWritePointer (1);
    const int numSamples = buffer.getNumSamples();

    inputMeter.store (peakLevelDb (left, right, numSamples));

    readParameters();
    updateDerivedValues();
    updateEnvelopeTiming();

    // A host that breaks its promise and passes more samples than prepared gets the block
    // processed in slices the oversampler can hold; a host that keeps it sees one slice.
    const int sliceLength = preparedBlockSize > 0 ? preparedBlockSize : juce::jmax (1, numSamples);
    double deepestGainChangeDb = 0.0;

    for (int start = 0; start < numSamples; start += sliceLength)
    {
        const int length = juce::jmin (sliceLength, numSamples - start);
        deepestGainChangeDb = juce::jmin (deepestGainChangeDb, runSampleLoop (left + start, right + start, length));
        runDriveStage (buffer, start, length);
    }

    blockGainReductionDb = deepestGainChangeDb;

    outputMeter.store (peakLevelDb (left, right, numSamples));
    gainReductionMeter.store (static_cast<float> (blockGainReductionDb));
}

double VexaProcessor::runSampleLoop (float* left, float* right, int numSamples) noexcept
{
    const double thresholdDb = settings.thresholdDb;
    const double slope = ratioSlope;
    const double kneeLow = kneeLowDb;
    const double kneeHigh = kneeHighDb;
    const double makeup = makeupGain;
    const bool highPassOn = settings.sidechainHighPassOn;
    const bool linked = settings.stereoLinkOn;

    auto gainComputer = [=] (double levelDb) noexcept
    {
        return gainChangeDb (levelDb, thresholdDb, kneeLow, kneeHigh, slope);
    };

    RmsDetector& detector0 = rmsDetectors[0];
    RmsDetector& detector1 = rmsDetectors[1];
    GainEnvelope& envelope0 = envelopes[0];
    GainEnvelope& envelope1 = envelopes[1];

    double deepest = 0.0;

    for (int i = 0; i < numSamples; ++i)
    {
        const double x0 = finiteOrZero (left[i]);
        const double x1 = finiteOrZero (right[i]);

        const double s0 = highPassOn ? sidechainFilters[0].process (x0) : x0;
        const double s1 = highPassOn ? sidechainFilters[1].process (x1) : x1;

        detector0.update (s0);
        detector1.update (s1);
        const double level0 = detector0.levelDb();
        const double level1 = detector1.levelDb();

        double env0, env1, gain0, gain1;

        if (linked)
        {
            // One envelope and so one gain for both channels.
            env0 = envelope0.advance (gainComputer (juce::jmax (level0, level1)));
            env1 = env0;
            gain0 = gain1 = std::exp (env0 * kDbToExponent);
        }
        else
        {
            env0 = envelope0.advance (gainComputer (level0));
            env1 = envelope1.advance (gainComputer (level1));
            gain0 = std::exp (env0 * kDbToExponent);
            gain1 = std::exp (env1 * kDbToExponent);
        }

        const double y0 = x0 * gain0 * makeup;
        const double y1 = x1 * gain1 * makeup;

        detector0.update (y0);
        detector1.update (y1);

        left[i] = static_cast<float> (y0);
        right[i] = static_cast<float> (y1);

        deepest = juce::jmin (deepest, (env0 + env1) / 2.0);
    }

    return deepest;
}

void VexaProcessor::runDriveStage (juce::AudioBuffer<float>& buffer, int startSample, int numSamples) noexcept
{
    juce::dsp::AudioBlock<float> block (buffer.getArrayOfWritePointers(), 2,
                                        static_cast<size_t> (startSample), static_cast<size_t> (numSamples));

    auto upsampled = oversampler.processSamplesUp (block);
    const size_t upsampledLength = upsampled.getNumSamples();

    if (upsampledLength > 0 && settings.driveAmount > 0.0)
    {
        const double gain = driveGain;
        const double normaliser = driveNormaliser;
        const double asymmetry = driveAsymmetry;
        const double outputScale = driveOutputScale;

        for (size_t channel = 0; channel < 2; ++channel)
        {
            float* samples = upsampled.getChannelPointer (channel);

            for (size_t i = 0; i < upsampledLength; ++i)
                samples[i] = shapeDrive (samples[i], gain, normaliser, asymmetry, outputScale);
        }
    }

    oversampler.processSamplesDown (block);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new VexaProcessor();
}
