#pragma once

#include <cmath>
#include <cstdint>

// The small records of the dynamics engine. The processor drives them sample by sample;
// each record only holds its state and does the arithmetic of one stage.

/** A one-pole smoothing coefficient k and its complement 1 - k; new = k * old + (1 - k) * input. */
struct CoefficientPair
{
    double k = 0.0;
    double oneMinusK = 1.0;

    /** The pair for a time constant of timeSeconds at sampleRate: k = exp(-1 / (t * fs)). */
    static CoefficientPair forTime (double timeSeconds, double sampleRate) noexcept
    {
        const double k = std::exp (-1.0 / (timeSeconds * sampleRate));
        return { k, 1.0 - k };
    }

    /** One smoothing step from old towards input. */
    double smooth (double old, double input) const noexcept { return k * old + oneMinusK * input; }
};

/** The parameter values of the current block, converted once at its start. */
struct EngineSettings
{
    double thresholdDb = -10.0;
    int32_t ratioIndex = 1;
    int32_t attackIndex = 2;
    int32_t releaseIndex = 4;
    double makeupDb = 0.0;
    bool sidechainHighPassOn = false;
    bool stereoLinkOn = true;
    double driveAmount = 0.0;
};

/** Static gain curve with a 6 dB soft knee: the target gain change in dB (never positive) for a level in dB. */
inline double gainChangeDb (double levelDb, double thresholdDb, double kneeLowDb, double kneeHighDb, double ratioSlope) noexcept
{
    if (kneeLowDb >= levelDb)
        return 0.0;
    if (levelDb >= kneeHighDb)
        return -ratioSlope * (levelDb - thresholdDb);
    const double overKnee = levelDb - kneeLowDb;
    return -ratioSlope * (overKnee * overKnee) / 12.0;
}

/** The drive waveshaper: a normalised tanh with a small squared term for even harmonics. */
inline float shapeDrive (float v, double gain, double normaliser, double asymmetry, double outputScale) noexcept
{
    const double s = std::tanh (gain * static_cast<double> (v)) * normaliser;
    return static_cast<float> ((s + asymmetry * (s * s)) * outputScale);
}

/** Mean-square level detector of one channel (10 ms once prepared). */
struct RmsDetector
{
    CoefficientPair coef { 0.0, 1.0 };
    double meanSquare = 0.0;

    /** Advances the mean square with one sample. */
    void update (double sample) noexcept { meanSquare = coef.smooth (meanSquare, sample * sample); }

    /** The current level in dB, floored at -300 dB: 10 * log10 (meanSquare), computed as the
        natural logarithm times 10 / ln 10 (correctly rounded), which is cheaper than the C library's
        log10 and within 2 ulps of 10 * log10 over the detector's whole range (tested). */
    double levelDb() const noexcept
    {
        constexpr double tenOverLn10 = 4.342944819032518;
        return std::log (meanSquare > 1e-30 ? meanSquare : 1e-30) * tenOverLn10;
    }
};

/** First-order high-pass in the detector's side-chain of one channel. */
struct SidechainHighPass
{
    double coef = 1.0;
    double previousInput = 0.0;
    double previousOutput = 0.0;

    /** Filters one sample and remembers it. */
    double process (double x) noexcept
    {
        const double h = coef * (previousOutput + x - previousInput);
        previousInput = x;
        previousOutput = h;
        return h;
    }
};

/** Gain envelope of one channel: smooths the target gain change in dB, manual or automatic. */
struct GainEnvelope
{
    double sampleRate = 44100.0;
    CoefficientPair manualAttack { 0.99, 0.01 };
    CoefficientPair manualRelease { 0.9999, 0.0001 };
    CoefficientPair autoAttack { 0.0, 1.0 };
    CoefficientPair autoFastRelease { 0.0, 1.0 };
    CoefficientPair autoSlowRelease { 0.0, 1.0 };
    double envelopeDb = 0.0;
    double fastReleaseDb = 0.0;
    double slowReleaseDb = 0.0;
    double slowWeight = 0.0;
    int32_t autoMode = 0;

    /** Sets every coefficient for the sample rate and clears the state and the mode. */
    void prepare (double newSampleRate) noexcept
    {
        sampleRate = newSampleRate;
        manualAttack = CoefficientPair::forTime (0.0001, sampleRate);
        manualRelease = CoefficientPair::forTime (0.1, sampleRate);
        autoAttack = CoefficientPair::forTime (0.01, sampleRate);
        autoFastRelease = CoefficientPair::forTime (0.1, sampleRate);
        autoSlowRelease = CoefficientPair::forTime (1.2, sampleRate);
        clearState();
        autoMode = 0;
    }

    /** Clears the four state values; coefficients and mode stay. */
    void clearState() noexcept
    {
        envelopeDb = 0.0;
        fastReleaseDb = 0.0;
        slowReleaseDb = 0.0;
        slowWeight = 0.0;
    }

    /** Advances the envelope towards the target gain change and returns the new envelope in dB. */
    double advance (double targetDb) noexcept
    {
        return autoMode != 0 ? advanceAutomatic (targetDb) : advanceManual (targetDb);
    }

    /** Manual timing: attack while more reduction is wanted, release otherwise. */
    double advanceManual (double targetDb) noexcept
    {
        // The coefficients' values are selected, not their address: no load on the feedback path.
        const bool attack = envelopeDb > targetDb;
        const double k = attack ? manualAttack.k : manualRelease.k;
        const double oneMinusK = attack ? manualAttack.oneMinusK : manualRelease.oneMinusK;
        envelopeDb = k * envelopeDb + oneMinusK * targetDb;
        return envelopeDb;
    }

    /** Automatic timing: a 10 ms attack stage, fast and slow release followers and their blend. */
    double advanceAutomatic (double targetDb) noexcept
    {
        const double attacked = envelopeDb > targetDb
                                  ? autoAttack.k * envelopeDb + autoAttack.oneMinusK * targetDb
                                  : targetDb;

        if (attacked >= fastReleaseDb)
            fastReleaseDb = autoFastRelease.k * fastReleaseDb + autoFastRelease.oneMinusK * attacked;
        else
            fastReleaseDb = attacked;

        if (attacked >= slowReleaseDb)
            slowReleaseDb = autoSlowRelease.k * slowReleaseDb + autoSlowRelease.oneMinusK * attacked;
        else
            slowReleaseDb = attacked;

        slowWeight = 0.9995 * slowWeight;
        if (slowReleaseDb < fastReleaseDb - 0.5)
            slowWeight += 0.0005;

        envelopeDb = slowWeight * slowReleaseDb + (1.0 - slowWeight) * fastReleaseDb;
        return envelopeDb;
    }
};
