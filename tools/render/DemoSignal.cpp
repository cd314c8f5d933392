#include "DemoSignal.h"

#include <cmath>

namespace vexa::render
{
namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kBeatSeconds = 0.5; // 120 beats per minute
constexpr double kEighthSeconds = kBeatSeconds / 2.0;

// Bass notes, one per eighth, in Hz: A1 A1 C2 E2 G1 G1 D2 E2.
constexpr double kBassLine[] = { 55.0, 55.0, 65.41, 82.41, 49.0, 49.0, 73.42, 82.41 };

struct Mixer
{
    juce::AudioBuffer<float>& out;
    void add (int frame, double value, double pan) // pan: -1 left .. +1 right
    {
        if (frame < 0 || frame >= out.getNumSamples())
            return;
        out.addSample (0, frame, (float) (value * std::sqrt (0.5 * (1.0 - pan))));
        out.addSample (1, frame, (float) (value * std::sqrt (0.5 * (1.0 + pan))));
    }
};

void addKick (Mixer& mix, int start, double rate)
{
    double phase = 0.0;
    for (int i = 0; i < (int) (0.4 * rate); ++i)
    {
        const double t = i / rate;
        const double frequency = 45.0 + 110.0 * std::exp (-t / 0.03); // pitch drops from 155 Hz
        phase += kTwoPi * frequency / rate;
        mix.add (start + i, 0.9 * std::sin (phase) * std::exp (-t / 0.12), 0.0);
    }
}

void addSnare (Mixer& mix, int start, double rate, juce::Random& random)
{
    for (int i = 0; i < (int) (0.3 * rate); ++i)
    {
        const double t = i / rate;
        const double noise = random.nextDouble() * 2.0 - 1.0;
        const double body = std::sin (kTwoPi * 185.0 * t) * std::exp (-t / 0.04);
        mix.add (start + i, 0.5 * (0.6 * noise * std::exp (-t / 0.07) + 0.5 * body), 0.15);
    }
}

void addHat (Mixer& mix, int start, double rate, juce::Random& random, double pan)
{
    double previous = 0.0;
    for (int i = 0; i < (int) (0.08 * rate); ++i)
    {
        const double t = i / rate;
        const double noise = random.nextDouble() * 2.0 - 1.0;
        const double bright = noise - previous; // first difference: a crude high-pass
        previous = noise;
        mix.add (start + i, 0.12 * bright * std::exp (-t / 0.015), pan);
    }
}

void addBassNote (Mixer& mix, int start, int length, double frequency, double rate)
{
    for (int i = 0; i < length; ++i)
    {
        const double t = i / rate;
        const double phase = kTwoPi * frequency * t;
        const double tone = std::sin (phase) + 0.35 * std::sin (2.0 * phase) + 0.15 * std::sin (3.0 * phase);
        const double attack = juce::jmin (1.0, t / 0.005);
        const double release = juce::jmin (1.0, (length - i) / (0.01 * rate));
        mix.add (start + i, 0.16 * tone * attack * release * (0.55 + 0.45 * std::exp (-t / 0.08)), 0.0);
    }
}
} // namespace

juce::AudioBuffer<float> makeDemoSignal (double sampleRate, double seconds)
{
    juce::AudioBuffer<float> out (2, juce::jmax (0, juce::roundToInt (seconds * sampleRate)));
    out.clear();
    Mixer mix { out };
    juce::Random random (20240611);

    const auto frameAt = [&] (double time) { return juce::roundToInt (time * sampleRate); };
    const int eighths = (int) (seconds / kEighthSeconds);

    for (int e = 0; e < eighths; ++e)
    {
        const double time = e * kEighthSeconds;
        const int beatInBar = (e / 2) % 4;
        const bool onBeat = e % 2 == 0;

        addBassNote (mix, frameAt (time), frameAt (kEighthSeconds * 0.9), kBassLine[e % 8], sampleRate);
        addHat (mix, frameAt (time), sampleRate, random, e % 2 == 0 ? -0.4 : 0.4);
        if (onBeat)
            addKick (mix, frameAt (time), sampleRate);
        if (onBeat && (beatInBar == 1 || beatInBar == 3))
            addSnare (mix, frameAt (time), sampleRate, random);
    }

    const float peak = out.getMagnitude (0, out.getNumSamples());
    if (peak > 0.0f)
        out.applyGain (juce::Decibels::decibelsToGain (-1.0f) / peak);
    return out;
}
} // namespace vexa::render
