#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace vexa_test;

// What a host sees of a freshly created processor: answers, buses, programs, parameters.

TEST (ProcessorShell, AnswersAsAStereoEffectWithOneUnnamedProgram)
{
    VexaProcessor p;
    EXPECT_EQ (p.getName(), "Vexa Compressor");
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_TRUE (p.hasEditor());
    EXPECT_FALSE (p.supportsDoublePrecisionProcessing());
    EXPECT_EQ (p.getBypassParameter(), nullptr);
    EXPECT_EQ (p.getNumPrograms(), 1);
    EXPECT_EQ (p.getCurrentProgram(), 0);

    for (int index : { -1, 0, 1, 99 })
    {
        p.setCurrentProgram (index);
        p.changeProgramName (index, "renamed");
        EXPECT_EQ (p.getProgramName (index), "") << index;
        EXPECT_EQ (p.getCurrentProgram(), 0);
    }

    ASSERT_EQ (p.getBusCount (true), 1);
    ASSERT_EQ (p.getBusCount (false), 1);
    EXPECT_EQ (p.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (p.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (p.getBus (true, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
    EXPECT_EQ (p.getBus (false, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
}

TEST (ProcessorShell, MetersStartAtNoReductionAndSilence)
{
    VexaProcessor p;
    EXPECT_EQ (p.gainReductionMeter.load(), 0.0f);
    EXPECT_EQ (p.inputMeter.load(), -100.0f);
    EXPECT_EQ (p.outputMeter.load(), -100.0f);
}

TEST (ProcessorShell, AcceptsOnlyStereoInAndStereoOut)
{
    using Set = juce::AudioChannelSet;
    struct Case
    {
        const char* name;
        std::vector<Set> inputs, outputs;
        bool accepted;
    };
    const Case cases[] = {
        { "stereo to stereo", { Set::stereo() }, { Set::stereo() }, true },
        { "mono to mono", { Set::mono() }, { Set::mono() }, false },
        { "mono to stereo", { Set::mono() }, { Set::stereo() }, false },
        { "stereo to mono", { Set::stereo() }, { Set::mono() }, false },
        { "5.1 to 5.1", { Set::create5point1() }, { Set::create5point1() }, false },
        { "input disabled", { Set::disabled() }, { Set::stereo() }, false },
        { "output disabled", { Set::stereo() }, { Set::disabled() }, false },
        { "no output bus", { Set::stereo() }, {}, false },
        { "no input bus", {}, { Set::stereo() }, false },
    };

    VexaProcessor p;
    for (const auto& c : cases)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.addArray (c.inputs.data(), (int) c.inputs.size());
        layout.outputBuses.addArray (c.outputs.data(), (int) c.outputs.size());
        EXPECT_EQ (p.checkBusesLayoutSupported (layout), c.accepted) << c.name;
    }

    // A refused proposal leaves stereo in force.
    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add (Set::mono());
    mono.outputBuses.add (Set::mono());
    EXPECT_FALSE (p.setBusesLayout (mono));
    EXPECT_EQ (p.getTotalNumInputChannels(), 2);
    EXPECT_EQ (p.getTotalNumOutputChannels(), 2);
}

TEST (ParameterSet, NineParametersInHostOrderWithTheirRangesDefaultsAndTexts)
{
    struct Expected
    {
        const char* id;
        const char* name;
        float normalisedDefault;
        const char* defaultText;
        const char* label;
        float start, end;
        int numSteps;
    };
    const int continuous = juce::AudioProcessor::getDefaultNumParameterSteps(); // floats report the framework default
    const Expected expected[] = {
        { "threshold", "Threshold", 0.75f, "-10.0", "dBFS", -40.0f, 0.0f, continuous },
        { "ratio", "Ratio", 0.5f, "4:1", "", 0.0f, 2.0f, 3 },
        { "attack", "Attack", 1.0f / 3.0f, "1ms", "", 0.0f, 6.0f, 7 },
        { "release", "Release", 1.0f, "AUTO", "", 0.0f, 4.0f, 5 },
        { "makeup", "Makeup", 0.0f, "0.0", "dB", 0.0f, 12.0f, continuous },
        { "scHPF", "SC HPF", 0.0f, "Off", "", 0.0f, 1.0f, 2 },
        { "stereoLink", "Stereo Link", 1.0f, "On", "", 0.0f, 1.0f, 2 },
        { "drive", "Drive", 0.0f, "0.0", "%", 0.0f, 100.0f, continuous },
        { "meterMode", "Meter Mode", 0.5f, "GR", "", 0.0f, 2.0f, 3 },
    };

    VexaProcessor p;
    const auto& parameters = p.getParameters();
    ASSERT_EQ (parameters.size(), 9);

    for (int i = 0; i < 9; ++i)
    {
        const auto& e = expected[i];
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[i]);
        ASSERT_NE (parameter, nullptr);
        SCOPED_TRACE (e.id);
        EXPECT_EQ (parameter->getParameterID(), e.id);
        EXPECT_EQ (parameter->getVersionHint(), 0);
        EXPECT_EQ (parameter->getName (100), e.name);
        EXPECT_NEAR (parameter->getValue(), e.normalisedDefault, 1e-6);
        EXPECT_NEAR (parameter->getDefaultValue(), e.normalisedDefault, 1e-6);
        EXPECT_EQ (parameter->getText (parameter->getValue(), 100), e.defaultText);
        EXPECT_EQ (parameter->getLabel(), e.label);
        EXPECT_EQ (parameter->getNormalisableRange().start, e.start);
        EXPECT_EQ (parameter->getNormalisableRange().end, e.end);
        EXPECT_EQ (parameter->getNumSteps(), e.numSteps);
        EXPECT_TRUE (parameter->isAutomatable());
        EXPECT_FALSE (parameter->isMetaParameter());
        EXPECT_FALSE (parameter->isOrientationInverted());
        EXPECT_EQ (parameter->getCategory(), juce::AudioProcessorParameter::genericParameter);
    }
}

TEST (ParameterSet, ChoiceTextsAreTheHostVisibleValueTexts)
{
    VexaProcessor p;
    const std::pair<const char*, juce::StringArray> choices[] = {
        { "ratio", { "2:1", "4:1", "10:1" } },
        { "attack", { "0.1ms", "0.3ms", "1ms", "3ms", "10ms", "30ms", "AUTO" } },
        { "release", { "0.1s", "0.3s", "0.6s", "1.2s", "AUTO" } },
        { "meterMode", { "Input", "GR", "Output" } },
    };

    for (const auto& [id, texts] : choices)
    {
        auto* choice = dynamic_cast<juce::AudioParameterChoice*> (p.apvts.getParameter (id));
        ASSERT_NE (choice, nullptr) << id;
        EXPECT_EQ (choice->choices, texts) << id;

        for (int k = 0; k < texts.size(); ++k)
        {
            setParameter (p, id, (float) k);
            EXPECT_EQ (parameterValue (p, id), (float) k) << id;
            EXPECT_EQ (choice->getCurrentValueAsText(), texts[k]) << id;
        }
    }
}

TEST (ParameterSet, HostValuesAreConfinedAndSnappedToTheRanges)
{
    struct Case
    {
        const char* id;
        float normalised;
        float expectedPlain;
    };
    const Case cases[] = {
        { "threshold", 1.5f, 0.0f },    { "threshold", -0.5f, -40.0f }, { "threshold", 0.5f, -20.0f },
        { "threshold", 0.50012f, -20.0f }, { "makeup", 2.0f, 12.0f },   { "makeup", -1.0f, 0.0f },
        { "drive", 7.0f, 100.0f },      { "drive", -3.0f, 0.0f },       { "drive", 0.12345f, 12.3f },
        { "ratio", 0.74f, 1.0f },       { "ratio", 0.76f, 2.0f },       { "attack", 0.99f, 6.0f },
        { "release", 0.1f, 0.0f },      { "scHPF", 0.6f, 1.0f },        { "stereoLink", 0.4f, 0.0f },
    };

    for (const auto& c : cases)
    {
        VexaProcessor p;
        p.apvts.getParameter (c.id)->setValueNotifyingHost (c.normalised);
        EXPECT_NEAR (parameterValue (p, c.id), c.expectedPlain, 1e-4) << c.id << " <- " << c.normalised;
    }
}

TEST (ParameterSet, FloatTextsShowOneDecimalPlace)
{
    VexaProcessor p;
    setParameter (p, "threshold", -23.4f);
    setParameter (p, "drive", 55.5f);
    EXPECT_EQ (p.apvts.getParameter ("threshold")->getCurrentValueAsText(), "-23.4");
    EXPECT_EQ (p.apvts.getParameter ("drive")->getCurrentValueAsText(), "55.5");
    EXPECT_EQ (p.apvts.getParameter ("makeup")->getCurrentValueAsText(), "0.0");
}
