#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace vexa_test;

// Pins the exact output of long renders. Any change to the engine's arithmetic, its order or its
// precision changes these sums; an optimisation must leave them as they are.

namespace
{
juce::AudioBuffer<float> programme (double sampleRate, int seconds)
{
    std::mt19937 rng (7);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    const int n = (int) sampleRate * seconds;
    double pink[2] = { 0.0, 0.0 };
    return makeBuffer (n, [&] (int c, int i) {
        pink[c] = 0.97 * pink[c] + 0.03 * noise (rng) * 4.0;
        const int beat = i % (int) (sampleRate / 2.0);
        const double hit = beat < 2000 ? std::exp (-beat / 300.0) * noise (rng) : 0.0;
        const double swell = 0.5 + 0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * 0.25 * i / sampleRate);
        return (float) (0.3 * swell * pink[c] + 0.8 * hit + sine (0.25, 55.0 * (c + 1), sampleRate, i));
    });
}
} // namespace

TEST (GoldenRender, LongRendersAreBitIdentical)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<const char*, float>> settings;
        double sampleRate;
        int blockSize;
        uint64_t expected;
    };
    const Case cases[] = {
        { "defaults", {}, 48000.0, 512, 0xafafc9e72b46eaa5ull },
        { "hard and fast, unlinked, filtered", { { "threshold", -30.0f }, { "ratio", 2.0f }, { "attack", 0.0f }, { "release", 0.0f },
                                                 { "makeup", 6.0f }, { "scHPF", 1.0f }, { "stereoLink", 0.0f } }, 48000.0, 512, 0xc4b222303d7211c9ull },
        { "auto timing, full drive", { { "threshold", -20.0f }, { "ratio", 0.0f }, { "attack", 6.0f }, { "drive", 100.0f } }, 44100.0, 64, 0x29f71b4a596e3b85ull },
        { "slow, half drive, makeup", { { "threshold", -25.0f }, { "attack", 5.0f }, { "release", 3.0f }, { "drive", 50.0f },
                                        { "scHPF", 1.0f }, { "makeup", 12.0f } }, 96000.0, 1024, 0xd98629deff157eabull },
    };

    for (const auto& c : cases)
    {
        VexaProcessor p;
        p.prepareToPlay (c.sampleRate, c.blockSize);
        for (auto [id, value] : c.settings)
            setParameter (p, id, value);
        auto buffer = programme (c.sampleRate, 10);
        processInBlocks (p, buffer, c.blockSize);
        EXPECT_EQ (checksum (buffer), c.expected) << c.name << ": 0x" << std::hex << checksum (buffer);
    }
}
