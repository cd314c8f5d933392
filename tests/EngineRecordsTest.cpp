#include <gtest/gtest.h>

#include "EngineRecords.h"

#include <cmath>
#include <complex>

// The engine's records on their own: coefficients, gain curve, envelopes, filter, drive curve.

namespace
{
constexpr double fs = 48000.0;
const double pi = std::acos (-1.0);

double dB (double gain) { return 20.0 * std::log10 (gain); }
} // namespace

TEST (CoefficientPair, HoldsExpOfMinusOneOverTimeTimesRateAndItsComplement)
{
    for (double t : { 0.0001, 0.01, 1.2 })
    {
        const auto pair = CoefficientPair::forTime (t, fs);
        EXPECT_EQ (pair.k, std::exp (-1.0 / (t * fs)));
        EXPECT_EQ (pair.oneMinusK, 1.0 - pair.k);
    }
}

TEST (GainComputer, SoftKneeCurve)
{
    struct Case
    {
        double threshold, ratio, level, expected;
    };
    const Case cases[] = {
        { -10.0, 4.0, -2.0, -6.0 },          // above the knee: -0.75 * 8
        { -10.0, 4.0, -10.0, -0.5625 },      // inside: -0.75 * 3^2 / 12
        { -10.0, 4.0, -13.0, 0.0 },          // lower knee edge
        { -10.0, 4.0, -7.0, -2.25 },         // upper knee edge: -3 * slope
        { -10.0, 4.0, -300.0, 0.0 },         // silence
        { -20.0, 2.0, 0.0, -10.0 },
        { -20.0, 10.0, 0.0, -18.0 },
        { 0.0, 4.0, -9.0309, 0.0 },
        { -40.0, 10.0, -40.0, -0.9 * 9.0 / 12.0 },
    };

    for (const auto& c : cases)
    {
        const double slope = 1.0 - 1.0 / c.ratio;
        EXPECT_NEAR (gainChangeDb (c.level, c.threshold, c.threshold - 3.0, c.threshold + 3.0, slope), c.expected, 1e-12)
            << "threshold " << c.threshold << " ratio " << c.ratio << " level " << c.level;
    }

    // Continuous across both knee edges and never positive.
    for (double level = -60.0; level < 10.0; level += 0.01)
        EXPECT_LE (gainChangeDb (level, -20.0, -23.0, -17.0, 0.75), 0.0);
    EXPECT_NEAR (gainChangeDb (-17.0 - 1e-9, -20.0, -23.0, -17.0, 0.75), gainChangeDb (-17.0, -20.0, -23.0, -17.0, 0.75), 1e-8);
}

TEST (RmsDetector, SilenceReadsMinus300AndASteadySquareItsPower)
{
    RmsDetector d;
    d.coef = CoefficientPair::forTime (0.01, fs);
    EXPECT_EQ (d.levelDb(), -300.0);

    for (int i = 0; i < 48000; ++i)
        d.update (0.5);
    EXPECT_NEAR (d.levelDb(), 10.0 * std::log10 (0.25), 1e-9);
}

TEST (SidechainHighPass, ResponseMatchesItsTransferFunction)
{
    const double c = 1.0 / (1.0 + std::tan (0.5 * 2.0 * pi * 60.0 / fs));

    for (double f : { 20.0, 30.0, 60.0, 1000.0 })
    {
        SidechainHighPass hp;
        hp.coef = c;
        double peak = 0.0;
        for (int i = 0; i < 4 * 48000; ++i)
        {
            const double y = hp.process (std::sin (2.0 * pi * f * i / fs));
            if (i > 3 * 48000)
                peak = std::max (peak, std::abs (y));
        }

        // H(z) = c (1 - z^-1) / (1 - c z^-1)
        const auto z1 = std::polar (1.0, -2.0 * pi * f / fs);
        const double expected = std::abs (c * (1.0 - z1) / (1.0 - c * z1));
        EXPECT_NEAR (dB (peak), dB (expected), 0.01) << f << " Hz";
    }

    // About -1 dB at 60 Hz and -3 dB near 30 Hz.
    const auto at = [c] (double f) { const auto z1 = std::polar (1.0, -2.0 * pi * f / fs); return dB (std::abs (c * (1.0 - z1) / (1.0 - c * z1))); };
    EXPECT_NEAR (at (60.0), -1.0, 0.1);
    EXPECT_NEAR (at (30.0), -3.0, 0.3);
}

TEST (GainEnvelope, ManualStepReachesOneTimeConstantAfterTSamples)
{
    for (double attackMs : { 0.1, 0.3, 1.0, 3.0, 10.0, 30.0 })
    {
        GainEnvelope env;
        env.prepare (fs);
        env.manualAttack = CoefficientPair::forTime (attackMs * 0.001, fs);
        env.manualRelease = CoefficientPair::forTime (0.1, fs);

        const int n = (int) std::lround (attackMs * 0.001 * fs);
        for (int i = 0; i < n; ++i)
            env.advance (-10.0);
        EXPECT_NEAR (env.envelopeDb, -10.0 * (1.0 - std::exp (-n / (attackMs * 0.001 * fs))), 1e-9) << attackMs;
    }

    GainEnvelope env;
    env.prepare (fs);
    env.manualAttack = CoefficientPair::forTime (0.001, fs);
    for (int i = 0; i < 48; ++i)
        env.advance (-10.0);
    EXPECT_NEAR (env.envelopeDb, -6.32, 0.005);

    // Release back towards 0 with the release time; a target equal to the envelope holds it.
    env.envelopeDb = -10.0;
    env.manualRelease = CoefficientPair::forTime (0.3, fs);
    for (int i = 0; i < 14400; ++i)
        env.advance (0.0);
    EXPECT_NEAR (env.envelopeDb, -10.0 * std::exp (-1.0), 1e-9);
    const double held = env.envelopeDb;
    env.advance (held);
    EXPECT_EQ (env.envelopeDb, held);
}

TEST (GainEnvelope, AutomaticTimingFollowsFastThenBlendsTowardsSlow)
{
    GainEnvelope env;
    env.prepare (fs);
    env.autoMode = 1;

    // Sustained target: 10 ms attack, followers fall with it at once, weight stays 0.
    env.advance (-10.0);
    EXPECT_NEAR (env.envelopeDb, -10.0 * (1.0 - std::exp (-1.0 / 480.0)), 1e-12);
    for (int i = 1; i < 48000; ++i)
        env.advance (-10.0);
    EXPECT_NEAR (env.envelopeDb, -10.0, 1e-6);
    EXPECT_EQ (env.fastReleaseDb, env.slowReleaseDb);
    EXPECT_EQ (env.slowWeight, 0.0);

    // Target back to 0: fast rises with 0.1 s, slow with 1.2 s, the weight moves towards the slow one.
    const double f0 = env.fastReleaseDb, s0 = env.slowReleaseDb;
    double expectedWeight = 0.0;
    for (int n = 1; n <= 9600; ++n)
    {
        env.advance (0.0);
        const double f = f0 * std::pow (std::exp (-1.0 / (0.1 * fs)), n);
        const double s = s0 * std::pow (std::exp (-1.0 / (1.2 * fs)), n);
        expectedWeight = 0.9995 * expectedWeight + (s < f - 0.5 ? 0.0005 : 0.0);
        ASSERT_NEAR (env.fastReleaseDb, f, 1e-9) << n;
        ASSERT_NEAR (env.slowReleaseDb, s, 1e-9) << n;
    }
    EXPECT_NEAR (env.slowWeight, expectedWeight, 1e-12);
    EXPECT_GT (env.slowWeight, 0.9);
    EXPECT_NEAR (env.envelopeDb, env.slowWeight * env.slowReleaseDb + (1.0 - env.slowWeight) * env.fastReleaseDb, 1e-12);
}

TEST (DriveShaper, SmallSignalGainsFullScaleAndBounds)
{
    struct Case
    {
        double amount, smallSignalDb;
    };
    const Case cases[] = { { 0.001, -1.15 }, { 0.01, -1.10 }, { 0.5, 1.8 }, { 1.0, 4.4 } };

    for (const auto& c : cases)
    {
        const double g = 1.0 + 1.5 * c.amount, n = 1.0 / std::tanh (g), a = 0.02 * c.amount, s = 1.0 / (1.5 + a);
        const float v = 1.0e-4f;
        EXPECT_NEAR (dB (shapeDrive (v, g, n, a, s) / v), c.smallSignalDb, 0.05) << c.amount;
        EXPECT_NEAR (dB (shapeDrive (v, g, n, a, s) / v), dB (g * n * s), 1e-3) << c.amount;
        EXPECT_EQ (shapeDrive (0.0f, g, n, a, s), 0.0f);

        for (float x = -100.0f; x <= 100.0f; x += 0.25f)
            ASSERT_LE (std::abs (shapeDrive (x, g, n, a, s)), 0.875f) << x;
    }

    const double g = 2.5, n = 1.0 / std::tanh (g), a = 0.02, s = 1.0 / 1.52;
    EXPECT_NEAR (shapeDrive (1.0f, g, n, a, s), 0.671, 0.001);
    EXPECT_NEAR (shapeDrive (-1.0f, g, n, a, s), -0.645, 0.001);
}
