#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

// The workload every benchmark feeds to a compressor: seeded pink noise under drum-like
// bursts (a kick on every beat, a noise snare on beats 2 and 4, accents that vary from beat
// to beat) at 120 beats per minute, peaking just below full scale. The bed sits about 8 dB
// below a -20 dB threshold and the hits go well above it, so a compressor keeps attacking and
// releasing the whole time.
// Generated with our own arithmetic from a fixed seed: the same samples on every machine.

namespace vexa_bench
{
struct StereoSignal
{
    std::vector<float> left, right;
    double sampleRate = 48000.0;

    int numFrames() const noexcept { return static_cast<int> (left.size()); }
};

/** A uniform value in [-1, 1) from 24 bits of a Mersenne twister (whose output the
    standard fixes, unlike its distributions). */
inline float uniformBipolar (std::mt19937& rng) noexcept
{
    return static_cast<float> (rng() >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

/** Pink noise by a sum of three first-order sections fed by white noise, one per channel. */
struct PinkNoise
{
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;

    double next (double white) noexcept
    {
        b0 = 0.99765 * b0 + white * 0.0990460;
        b1 = 0.96300 * b1 + white * 0.2965164;
        b2 = 0.57000 * b2 + white * 1.0526913;
        return (b0 + b1 + b2 + white * 0.1848) * 0.11;
    }
};

inline StereoSignal makeWorkload (double sampleRate, double seconds, uint32_t seed = 20240611u)
{
    std::mt19937 rng (seed);
    const int numFrames = static_cast<int> (std::lround (sampleRate * seconds));
    const int beatLength = static_cast<int> (sampleRate * 0.5);
    const double twoPi = 6.283185307179586;

    StereoSignal s;
    s.sampleRate = sampleRate;
    s.left.resize (static_cast<size_t> (numFrames));
    s.right.resize (static_cast<size_t> (numFrames));

    PinkNoise pink[2];
    double kickPhase = 0.0;
    double accent = 1.0;

    for (int i = 0; i < numFrames; ++i)
    {
        const int beat = i / beatLength;
        const int inBeat = i % beatLength;

        if (inBeat == 0)
        {
            accent = 0.6 + 0.4 * (0.5 + 0.5 * static_cast<double> (uniformBipolar (rng)));
            kickPhase = 0.0;
        }

        const double t = inBeat / sampleRate;

        // Kick: a sine falling from 110 Hz to 45 Hz that decays in about 150 ms.
        const double kickFrequency = 45.0 + 65.0 * std::exp (-t / 0.03);
        kickPhase += twoPi * kickFrequency / sampleRate;
        const double kick = 0.9 * accent * std::exp (-t / 0.15) * std::sin (kickPhase);

        // Snare on the back beats: a noise burst that decays in about 60 ms, a little wider in stereo.
        const bool backBeat = (beat % 2) == 1;
        const double snareEnvelope = backBeat ? 0.6 * accent * std::exp (-t / 0.06) : 0.0;

        for (int c = 0; c < 2; ++c)
        {
            const double bed = 0.35 * pink[c].next (static_cast<double> (uniformBipolar (rng)));
            const double snare = snareEnvelope * static_cast<double> (uniformBipolar (rng));
            const double sample = 0.6 * (bed + kick * (c == 0 ? 1.0 : 0.9) + snare);
            (c == 0 ? s.left : s.right)[static_cast<size_t> (i)] = static_cast<float> (sample);
        }
    }

    return s;
}
} // namespace vexa_bench
