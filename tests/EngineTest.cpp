#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace vexa_test;
using Access = VexaProcessorTestAccess;

// The processor's signal path: block flow, detector and gain computer in place, timing
// selection, linking, drive at 2x, meters, and behaviour with hostile input.

namespace
{
constexpr double fs = 48000.0;

juce::AudioBuffer<float> noiseBursts (int numSamples, uint32_t seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    return makeBuffer (numSamples, [&] (int c, int i) {
        const float burst = ((i / 4800) % 3 == 0) ? 0.9f : 0.08f;
        return burst * noise (rng) * (c == 0 ? 1.0f : 0.7f) + sine (0.2, 110.0 + 30.0 * c, fs, i);
    });
}

std::unique_ptr<VexaProcessor> prepared (int blockSize = 512, double sampleRate = fs)
{
    auto p = std::make_unique<VexaProcessor>();
    p->prepareToPlay (sampleRate, blockSize);
    return p;
}
} // namespace

TEST (BlockFlow, LatencyIsTheOversamplersRoundedAndNeverChangesWithParameters)
{
    for (double rate : { 44100.0, 48000.0, 96000.0, 192000.0 })
        for (int block : { 1, 64, 1024 })
        {
            auto p = prepared (block, rate);
            EXPECT_EQ (p->getLatencySamples(), 49) << rate << " " << block;
        }

    auto p = prepared();
    juce::MidiBuffer midi;
    for (auto [id, value] : { std::pair { "drive", 100.0f }, { "ratio", 2.0f }, { "attack", 6.0f }, { "threshold", -40.0f } })
    {
        setParameter (*p, id, value);
        auto buffer = noiseBursts (512, 1);
        p->processBlock (buffer, midi);
        EXPECT_EQ (p->getLatencySamples(), 49) << id;
    }
}

TEST (BlockFlow, EmptyBlockPublishesSilenceAndLeavesTheSignalStateAlone)
{
    auto p = prepared();
    auto loud = noiseBursts (2048, 2);
    processInBlocks (*p, loud, 512);

    const auto detectors = Access::rmsDetectors (*p);
    const auto envelopes = Access::envelopes (*p);
    setParameter (*p, "makeup", 6.0f);

    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;
    p->processBlock (empty, midi);

    EXPECT_EQ (p->inputMeter.load(), -100.0f);
    EXPECT_EQ (p->outputMeter.load(), -100.0f);
    EXPECT_EQ (p->gainReductionMeter.load(), 0.0f);
    EXPECT_EQ (Access::rmsDetectors (*p)[0].meanSquare, detectors[0].meanSquare);
    EXPECT_EQ (Access::envelopes (*p)[0].envelopeDb, envelopes[0].envelopeDb);
    EXPECT_NEAR (Access::makeupGain (*p), std::pow (10.0, 6.0 / 20.0), 1e-6); // derived values still refresh
}

TEST (BlockFlow, PrepareAndReleaseStartFromClearedStateWithTheSameResult)
{
    const auto input = noiseBursts (8192, 3);

    auto fresh = prepared();
    auto expected = input;
    processInBlocks (*fresh, expected, 512);

    auto reused = prepared();
    auto warmUp = noiseBursts (8192, 4);
    processInBlocks (*reused, warmUp, 512);
    reused->releaseResources();
    auto afterRelease = input;
    processInBlocks (*reused, afterRelease, 512);
    EXPECT_EQ (checksum (afterRelease), checksum (expected));

    processInBlocks (*reused, warmUp, 512);
    reused->prepareToPlay (fs, 512);
    auto afterPrepare = input;
    processInBlocks (*reused, afterPrepare, 512);
    EXPECT_EQ (checksum (afterPrepare), checksum (expected));
}

TEST (BlockFlow, BeforePrepareTheBlockIsCompressedButNotResampled)
{
    VexaProcessor p;
    setParameter (p, "threshold", 0.0f);
    auto buffer = makeBuffer (64, [] (int, int i) { return i == 0 ? 0.25f : 0.0f; });
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);
    EXPECT_GT (std::abs (buffer.getSample (0, 0)), 0.2f); // no oversampler delay
    EXPECT_EQ (buffer.getSample (0, 10), 0.0f);
}

TEST (BlockFlow, WithDriveOffTheSignalStillPassesTheOversamplerAndItsDelay)
{
    auto p = prepared();
    setParameter (*p, "threshold", 0.0f);
    auto buffer = makeBuffer (512, [] (int, int i) { return i == 0 ? 0.25f : 0.0f; });
    juce::MidiBuffer midi;
    p->processBlock (buffer, midi);

    int peakIndex = 0;
    for (int i = 0; i < 512; ++i)
        if (std::abs (buffer.getSample (0, i)) > std::abs (buffer.getSample (0, peakIndex)))
            peakIndex = i;
    EXPECT_NEAR (peakIndex, p->getLatencySamples(), 1);
    EXPECT_LT (std::abs (buffer.getSample (0, 0)), 1e-6f * std::abs (buffer.getSample (0, peakIndex)));
}

TEST (Detector, SteadySineReadsItsRmsLevelWithoutReduction)
{
    auto p = prepared();
    setParameter (*p, "threshold", 0.0f);
    auto buffer = makeBuffer (48000, [] (int, int i) { return sine (0.5, 1000.0, fs, i); });
    const auto original = buffer;

    Access::compressOnly (*p, buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples());

    EXPECT_EQ (checksum (buffer), checksum (original)); // below the knee nothing changes
    EXPECT_NEAR (Access::rmsDetectors (*p)[0].levelDb(), 10.0 * std::log10 (0.25 / 2.0), 0.2);
}

TEST (Detector, MakeupRaisesTheMeasuredLevelAndSoTheReduction)
{
    double deepest[2];
    for (int k = 0; k < 2; ++k)
    {
        auto p = prepared();
        setParameter (*p, "threshold", -20.0f);
        setParameter (*p, "makeup", k == 0 ? 0.0f : 12.0f);
        auto buffer = makeBuffer (24000, [] (int, int i) { return sine (0.5, 1000.0, fs, i); });
        Access::compressOnly (*p, buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples());
        deepest[k] = Access::envelopes (*p)[0].envelopeDb;
    }
    EXPECT_LT (deepest[1], deepest[0] - 1.0);
}

TEST (Timing, ChoicesSelectTheirTableRowsAndAutoSwitchesBothEnvelopes)
{
    const double attackMs[] = { 0.1, 0.3, 1.0, 3.0, 10.0, 30.0 };
    const double releaseS[] = { 0.1, 0.3, 0.6, 1.2 };

    for (int a = 0; a <= 6; ++a)
        for (int r = 0; r <= 4; ++r)
        {
            auto p = prepared();
            setParameter (*p, "attack", (float) a);
            setParameter (*p, "release", (float) r);
            float silence[1] = { 0.0f }, silence2[1] = { 0.0f };
            Access::compressOnly (*p, silence, silence2, 1);

            for (const auto& env : Access::envelopes (*p))
            {
                EXPECT_EQ (env.autoMode, (a == 6 || r == 4) ? 1 : 0) << a << " " << r;
                if (a < 6)
                    EXPECT_EQ (env.manualAttack.k, std::exp (-1.0 / (attackMs[a] * 0.001 * fs)));
                if (r < 4)
                    EXPECT_EQ (env.manualRelease.k, std::exp (-1.0 / (releaseS[r] * fs)));
            }
        }
}

TEST (Timing, AutoOnEitherControlSoundsExactlyLikeAutoOnBoth)
{
    const std::pair<float, float> settings[] = { { 6.0f, 4.0f }, { 6.0f, 1.0f }, { 2.0f, 4.0f } };
    std::vector<uint64_t> sums;

    for (auto [attack, release] : settings)
    {
        auto p = prepared();
        setParameter (*p, "attack", attack);
        setParameter (*p, "release", release);
        setParameter (*p, "threshold", -30.0f);
        auto buffer = noiseBursts (48000, 5);
        processInBlocks (*p, buffer, 512);
        sums.push_back (checksum (buffer));
    }
    EXPECT_EQ (sums[1], sums[0]);
    EXPECT_EQ (sums[2], sums[0]);
}

TEST (StereoLink, LinkedChannelsGetExactlyTheSameGainUnlinkedDoNot)
{
    for (bool linked : { true, false })
    {
        auto p = prepared();
        setParameter (*p, "stereoLink", linked ? 1.0f : 0.0f);
        setParameter (*p, "threshold", -30.0f);
        auto buffer = makeBuffer (24000, [] (int c, int i) { return (c == 0 ? 1.0f : 0.125f) * sine (0.8, 220.0, fs, i); });
        Access::compressOnly (*p, buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples());

        bool same = true;
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            same = same && buffer.getSample (1, i) == 0.125f * buffer.getSample (0, i);
        EXPECT_EQ (same, linked);

        if (linked)
            EXPECT_EQ (Access::envelopes (*p)[1].envelopeDb, 0.0); // channel 1's envelope rests while linked
        else
            EXPECT_GT (Access::envelopes (*p)[1].envelopeDb, Access::envelopes (*p)[0].envelopeDb);
    }
}

TEST (SidechainFilter, FiltersOnlyWhenOnAndResumesFromItsStoredState)
{
    auto p = prepared();
    SidechainHighPass reference;
    reference.coef = Access::sidechainFilters (*p)[0].coef;
    EXPECT_EQ (reference.coef, 1.0 / (1.0 + std::tan (0.5 * 2.0 * juce::MathConstants<double>::pi * 60.0 / fs)));

    for (int block = 0; block < 3; ++block)
    {
        const bool on = block != 1;
        setParameter (*p, "scHPF", on ? 1.0f : 0.0f);
        auto buffer = noiseBursts (1000, 10 + (uint32_t) block);
        const auto input = buffer;
        Access::compressOnly (*p, buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples());

        if (on)
            for (int i = 0; i < input.getNumSamples(); ++i)
                reference.process ((double) input.getSample (0, i));

        EXPECT_EQ (Access::sidechainFilters (*p)[0].previousInput, reference.previousInput) << block;
        EXPECT_EQ (Access::sidechainFilters (*p)[0].previousOutput, reference.previousOutput) << block;
    }
}

TEST (Drive, ConstantsFollowTheAmountAndHoldWhenOff)
{
    auto p = prepared();
    juce::MidiBuffer midi;
    for (float drive : { 50.0f, 0.0f })
    {
        setParameter (*p, "drive", drive);
        juce::AudioBuffer<float> buffer (2, 16);
        buffer.clear();
        p->processBlock (buffer, midi);
    }
    EXPECT_NEAR (Access::driveGain (*p), 1.75, 1e-6);
    EXPECT_NEAR (Access::driveNormaliser (*p), 1.0 / std::tanh (1.75), 1e-6);
    EXPECT_NEAR (Access::driveAsymmetry (*p), 0.01, 1e-8);
    EXPECT_NEAR (Access::driveOutputScale (*p), 1.0 / 1.51, 1e-8);
}

TEST (Drive, SmallSignalsAreScaledByTheShapersSlopeAtTwiceTheRate)
{
    const auto render = [] (float drive) {
        auto p = prepared();
        setParameter (*p, "threshold", 0.0f);
        setParameter (*p, "drive", drive);
        auto buffer = makeBuffer (24000, [] (int, int i) { return sine (0.01, 1000.0, fs, i); });
        processInBlocks (*p, buffer, 512);
        return peakOf (buffer, 12000, 12000);
    };

    const double clean = render (0.0f);
    for (float drive : { 0.1f, 50.0f, 100.0f })
    {
        const double d = drive / 100.0, g = 1.0 + 1.5 * d;
        const double expectedDb = 20.0 * std::log10 (g / std::tanh (g) / (1.5 + 0.02 * d));
        EXPECT_NEAR (20.0 * std::log10 (render (drive) / clean), expectedDb, 0.02) << drive;
    }
}

TEST (Drive, SquaredTermLeavesAPositiveOffset)
{
    auto p = prepared();
    setParameter (*p, "threshold", 0.0f);
    setParameter (*p, "drive", 100.0f);
    auto buffer = makeBuffer (48000, [] (int, int i) { return sine (0.5, 1000.0, fs, i); });
    processInBlocks (*p, buffer, 512);
    double mean = 0.0;
    for (int i = 24000; i < 48000; ++i)
        mean += buffer.getSample (0, i);
    EXPECT_GT (mean / 24000.0, 0.001);
}

TEST (Meters, PeakLevelsOfInputAndOutput)
{
    struct Case
    {
        float peak, expectedDb;
    };
    const Case cases[] = {
        { 1.0f, 0.0f }, { 0.5f, 20.0f * std::log10 (0.5f) }, { 2.0f, 20.0f * std::log10 (2.0f) },
        { 1.0e-6f, -120.0f }, { 1.0e-10f, -100.0f }, { 0.0f, -100.0f },
    };

    for (const auto& c : cases)
    {
        auto p = prepared();
        auto buffer = makeBuffer (256, [&] (int ch, int i) { return (ch == 1 && i == 100) ? -c.peak : 0.0f; });
        juce::MidiBuffer midi;
        p->processBlock (buffer, midi);
        EXPECT_FLOAT_EQ (p->inputMeter.load(), c.expectedDb) << c.peak;

        const double outPeak = peakOf (buffer, 0, 256);
        EXPECT_FLOAT_EQ (p->outputMeter.load(), outPeak > 1e-10 ? 20.0f * std::log10 ((float) outPeak) : -100.0f);
    }
}

TEST (Meters, GainReductionIsTheDeepestAverageOfBothChannelsInTheBlock)
{
    auto p = prepared();
    setParameter (*p, "stereoLink", 0.0f);
    setParameter (*p, "threshold", -30.0f);
    juce::MidiBuffer midi;

    // Left loud and steady, right silent: the meter reads half the left channel's reduction.
    auto buffer = makeBuffer (48000, [] (int c, int i) { return c == 0 ? sine (0.9, 500.0, fs, i) : 0.0f; });
    processInBlocks (*p, buffer, 512);
    const double left = Access::envelopes (*p)[0].envelopeDb;
    EXPECT_LT (left, -6.0);
    EXPECT_EQ (Access::envelopes (*p)[1].envelopeDb, 0.0);
    EXPECT_NEAR (p->gainReductionMeter.load(), left / 2.0, 0.05);
    EXPECT_EQ (p->gainReductionMeter.load(), (float) Access::blockGainReductionDb (*p));

    // A silent block after loud material still reports what is left of the reduction, the deepest first.
    juce::AudioBuffer<float> silence (2, 512);
    silence.clear();
    p->processBlock (silence, midi);
    EXPECT_LT (p->gainReductionMeter.load(), Access::envelopes (*p)[0].envelopeDb / 2.0);
    EXPECT_LT (p->gainReductionMeter.load(), 0.0f);
}

TEST (HostileInput, NonFiniteSamplesNeitherPoisonTheStateNorReachTheOutput)
{
    const float bad[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity() };

    for (float b : bad)
    {
        auto p = prepared();
        auto reference = prepared();
        for (auto* proc : { p.get(), reference.get() })
        {
            setParameter (*proc, "threshold", -30.0f);
            setParameter (*proc, "drive", 30.0f);
            setParameter (*proc, "scHPF", 1.0f);
            setParameter (*proc, "release", 1.0f);
        }

        auto glitch = noiseBursts (2048, 20);
        glitch.setSample (0, 700, b);
        glitch.setSample (1, 1500, b);
        processInBlocks (*p, glitch, 512);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < glitch.getNumSamples(); ++i)
                ASSERT_TRUE (std::isfinite (glitch.getSample (c, i))) << b << " at " << i;

        for (int c = 0; c < 2; ++c)
        {
            EXPECT_TRUE (std::isfinite (Access::rmsDetectors (*p)[c].meanSquare));
            EXPECT_TRUE (std::isfinite (Access::sidechainFilters (*p)[c].previousOutput));
            EXPECT_TRUE (std::isfinite (Access::envelopes (*p)[c].envelopeDb));
        }
        EXPECT_TRUE (std::isfinite (p->inputMeter.load()));

        // Clean input afterwards: the compressor works again and converges to an untouched instance.
        auto clean = noiseBursts (96000, 21);
        auto cleanReference = clean;
        processInBlocks (*p, clean, 512);
        processInBlocks (*reference, cleanReference, 512);
        EXPECT_LT (p->gainReductionMeter.load(), -3.0f);
        double worst = 0.0;
        for (int i = 72000; i < 96000; ++i)
            worst = std::max (worst, (double) std::abs (clean.getSample (0, i) - cleanReference.getSample (0, i)));
        EXPECT_LT (worst, 1e-4) << b;
    }
}

TEST (HostileInput, BlocksLongerThanPreparedAreProcessedInSlicesWithTheSameResult)
{
    const auto input = noiseBursts (5000, 30);

    auto contractKeeper = prepared (64);
    auto expected = input;
    processInBlocks (*contractKeeper, expected, 64);

    auto oversized = prepared (64);
    auto actual = input;
    juce::MidiBuffer midi;
    // One call with everything: the parameters are read once either way.
    oversized->processBlock (actual, midi);
    EXPECT_EQ (checksum (actual), checksum (expected));
    EXPECT_FLOAT_EQ (oversized->inputMeter.load(), 20.0f * std::log10 ((float) peakOf (input, 0, 5000)));
}
