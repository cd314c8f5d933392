#include <gtest/gtest.h>

#include "TestSupport.h"

// The compressor's sample loop against a literal model of its arithmetic (10 * log10 levels,
// exp gains, the soft knee, manual and automatic envelopes, linking, the side-chain filter), over
// long signals: every output sample must be within two float ulps of the model's, and with the
// standard library's log10 in both they are identical. Guards faster routines and reorganised
// loops: any change of order or precision in the engine shows up here as a differing sample.

using namespace vexa_test;

namespace
{
using Access = VexaProcessorTestAccess;

struct ModelSettings
{
    double threshold = -20.0, ratio = 4.0, attackMs = 1.0, releaseS = 0.1, makeupDb = 0.0;
    bool automatic = false, linked = true, highPass = false;
};

/** The designed per-sample arithmetic, written out once more, plainly. */
struct Model
{
    ModelSettings s;
    double fs;
    double ms[2] = { 0, 0 }, hpIn[2] = { 0, 0 }, hpOut[2] = { 0, 0 };
    double env[2] = { 0, 0 }, fast[2] = { 0, 0 }, slow[2] = { 0, 0 }, weight[2] = { 0, 0 };

    static double k (double t, double rate) { return std::exp (-1.0 / (t * rate)); }

    double gainComputer (double level) const
    {
        const double slope = 1.0 - 1.0 / s.ratio;
        const double low = s.threshold - 3.0, high = s.threshold + 3.0;
        if (low >= level)
            return 0.0;
        if (level >= high)
            return -slope * (level - s.threshold);
        const double over = level - low;
        return -slope * (over * over) / 12.0;
    }

    double envelope (int c, double target)
    {
        if (! s.automatic)
        {
            const double kk = env[c] > target ? k (s.attackMs * 0.001, fs) : k (s.releaseS, fs);
            env[c] = kk * env[c] + (1.0 - kk) * target;
            return env[c];
        }
        const double ka = k (0.01, fs), kf = k (0.1, fs), ks = k (1.2, fs);
        const double a = env[c] > target ? ka * env[c] + (1.0 - ka) * target : target;
        fast[c] = a >= fast[c] ? kf * fast[c] + (1.0 - kf) * a : a;
        slow[c] = a >= slow[c] ? ks * slow[c] + (1.0 - ks) * a : a;
        weight[c] = 0.9995 * weight[c];
        if (slow[c] < fast[c] - 0.5)
            weight[c] += 0.0005;
        env[c] = weight[c] * slow[c] + (1.0 - weight[c]) * fast[c];
        return env[c];
    }

    void process (float* left, float* right, int n)
    {
        const double kr = k (0.01, fs), hp = 1.0 / (1.0 + std::tan (0.5 * 2.0 * juce::MathConstants<double>::pi * 60.0 / fs));
        const double makeup = std::exp (s.makeupDb * (std::log (10.0) / 20.0));
        float* io[2] = { left, right };
        for (int i = 0; i < n; ++i)
        {
            double x[2], level[2], e[2];
            for (int c = 0; c < 2; ++c)
            {
                x[c] = std::isfinite (io[c][i]) ? (double) io[c][i] : 0.0;
                double sc = x[c];
                if (s.highPass)
                {
                    sc = hp * (hpOut[c] + x[c] - hpIn[c]);
                    hpIn[c] = x[c];
                    hpOut[c] = sc;
                }
                ms[c] = kr * ms[c] + (1.0 - kr) * (sc * sc);
                level[c] = 10.0 * std::log10 (std::max (ms[c], 1e-30));
            }
            if (s.linked)
                e[0] = e[1] = envelope (0, gainComputer (std::max (level[0], level[1])));
            else
                for (int c = 0; c < 2; ++c)
                    e[c] = envelope (c, gainComputer (level[c]));
            for (int c = 0; c < 2; ++c)
            {
                const double y = x[c] * std::exp (e[c] * (std::log (10.0) / 20.0)) * makeup;
                ms[c] = kr * ms[c] + (1.0 - kr) * (y * y);
                io[c][i] = (float) y;
            }
        }
    }
};

int64_t ulpDistance (float a, float b)
{
    int32_t ia, ib;
    std::memcpy (&ia, &a, 4);
    std::memcpy (&ib, &b, 4);
    const int64_t ka = ia < 0 ? -(int64_t) (ia & 0x7fffffff) : ia;
    const int64_t kb = ib < 0 ? -(int64_t) (ib & 0x7fffffff) : ib;
    return std::llabs (ka - kb);
}

int64_t doubleUlpDistance (double a, double b)
{
    int64_t ia, ib;
    std::memcpy (&ia, &a, 8);
    std::memcpy (&ib, &b, 8);
    const int64_t ka = ia < 0 ? -(ia & 0x7fffffffffffffffLL) : ia;
    const int64_t kb = ib < 0 ? -(ib & 0x7fffffffffffffffLL) : ib;
    return ka > kb ? ka - kb : kb - ka;
}

juce::AudioBuffer<float> drums (double sampleRate, int seconds, uint32_t seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    double pink[2] = { 0.0, 0.0 };
    return makeBuffer ((int) sampleRate * seconds, [&] (int c, int i) {
        pink[c] = 0.97 * pink[c] + 0.03 * noise (rng) * 4.0;
        const int beat = i % (int) (sampleRate / 2.0);
        const double hit = beat < 3000 ? std::exp (-beat / 500.0) * (noise (rng) + std::sin (beat * 0.008)) : 0.0;
        return (float) (0.2 * pink[c] + 0.7 * hit * (c == 0 ? 1.0 : 0.8));
    });
}
} // namespace

TEST (ReferenceModel, SampleLoopMatchesTheArithmeticWithinTwoUlpsOverLongSignals)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<const char*, float>> parameters;
        ModelSettings model;
        double sampleRate;
        bool hostile = false;
    };
    const Case cases[] = {
        { "manual, linked", { { "threshold", -20 }, { "ratio", 1 }, { "attack", 2 }, { "release", 0 } }, {}, 48000.0 },
        { "manual, unlinked, makeup", { { "threshold", -30 }, { "ratio", 2 }, { "attack", 0 }, { "release", 1 }, { "stereoLink", 0 }, { "makeup", 6 } },
          { -30, 10, 0.1, 0.3, 6, false, false, false }, 44100.0 },
        { "auto, linked, filtered", { { "threshold", -25 }, { "ratio", 0 }, { "attack", 6 }, { "scHPF", 1 } },
          { -25, 2, 1, 0.1, 0, true, true, true }, 96000.0 },
        { "auto, unlinked", { { "threshold", -15 }, { "release", 4 }, { "stereoLink", 0 } }, { -15, 4, 1, 0.1, 0, true, false, false }, 48000.0 },
        { "slow manual, hostile samples", { { "threshold", -40 }, { "attack", 5 }, { "release", 3 } }, { -40, 4, 30, 1.2, 0, false, true, false }, 48000.0, true },
    };

    for (const auto& c : cases)
    {
        VexaProcessor p;
        p.prepareToPlay (c.sampleRate, 512);
        for (auto [id, value] : c.parameters)
            setParameter (p, id, value);

        auto engine = drums (c.sampleRate, 30, 11);
        if (c.hostile)
            for (int i = 0; i < engine.getNumSamples(); i += 7919)
                engine.setSample (i % 2, i, i % 3 == 0 ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity());
        auto model = engine;

        Model m { c.model, c.sampleRate };
        for (int start = 0; start < engine.getNumSamples(); start += 512)
        {
            const int n = std::min (512, engine.getNumSamples() - start);
            Access::compressOnly (p, engine.getWritePointer (0) + start, engine.getWritePointer (1) + start, n);
            m.process (model.getWritePointer (0) + start, model.getWritePointer (1) + start, n);
        }

        int64_t worst = 0, differing = 0;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < engine.getNumSamples(); ++i)
            {
                const auto d = ulpDistance (engine.getSample (ch, i), model.getSample (ch, i));
                worst = std::max (worst, d);
                differing += d != 0;
            }
        EXPECT_LE (worst, 2) << c.name << ": " << differing << " samples differ";
        RecordProperty (std::string ("differing samples, ") + c.name, (int) differing);
    }
}

TEST (RmsDetector, LevelIsTenLog10WithinTwoUlpsOverItsWholeRange)
{
    struct Range
    {
        double fromDb, toDb;
    };
    const Range ranges[] = { { -320.0, -290.0 }, { -100.0, -20.0 }, { -20.0, 0.0 }, { -0.01, 0.01 }, { 0.0, 40.0 } };

    for (const auto& r : ranges)
    {
        int64_t worst = 0;
        for (double db = r.fromDb; db <= r.toDb; db += (r.toDb - r.fromDb) / 200000.0)
        {
            RmsDetector d;
            d.meanSquare = std::pow (10.0, db / 10.0);
            const double expected = 10.0 * std::log10 (std::max (d.meanSquare, 1e-30));
            worst = std::max (worst, doubleUlpDistance (d.levelDb(), expected));
        }
        EXPECT_LE (worst, 2) << r.fromDb << ".." << r.toDb << " dB";
    }
}
