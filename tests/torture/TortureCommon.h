#pragma once

#include "AllocationCounter.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <time.h>
#include <vector>

// Shared by the two torture programs (the one that hosts the built bundle and the one that
// drives the processor itself): the run options, the test signal, the per-sample output
// checks, block timing and the summary. Nothing here allocates on the audio thread.

// Samples and parameter values are compared exactly, on purpose, throughout the torture programs.
#pragma GCC diagnostic ignored "-Wfloat-equal"

namespace torture
{
//==============================================================================
/** The sample rates and block sizes every part runs; 0 stands for random sizes up to the
    prepared maximum. */
inline constexpr double kSampleRates[] = { 44100.0, 48000.0, 96000.0, 192000.0 };
inline constexpr int kBlockSizes[] = { 1, 32, 64, 250, 512, 1024, 0 };
inline constexpr int kRandomBlockMaximum = 1536;
inline constexpr int kAutomationInterval = 32;

/** Output of a channel that has been fed this many samples of silence while the plug-in was
    processing (not bypassed) must be exactly zero: the oversampler's filters have drained. */
inline constexpr int kDrainSamples = 512;

inline std::string blockLabel (int blockSize)
{
    return blockSize > 0 ? std::to_string (blockSize) : std::string ("random");
}

//==============================================================================
/** --quick (or VEXA_TORTURE_QUICK=1 in the environment) shrinks the run for sanitizer builds. */
struct Options
{
    bool quick = false;
    std::vector<std::string> arguments;

    static Options parse (int argc, char** argv)
    {
        Options options;
        if (const char* env = std::getenv ("VEXA_TORTURE_QUICK"))
            options.quick = env[0] != 0 && std::strcmp (env, "0") != 0;

        for (int i = 1; i < argc; ++i)
        {
            if (std::strcmp (argv[i], "--quick") == 0)
                options.quick = true;
            else
                options.arguments.emplace_back (argv[i]);
        }
        return options;
    }

    bool has (const char* argument) const
    {
        return std::find (arguments.begin(), arguments.end(), argument) != arguments.end();
    }

    /** Audio per matrix case: at least this many seconds and this many blocks. */
    double secondsPerCase() const { return quick ? 0.25 : 3.0; }
    long blocksPerCase() const { return quick ? 200 : 2000; }
};

//==============================================================================
/** Failures, counted by kind and printed with the first few details. Thread-safe; only the
    message threads print, the audio threads keep their findings in a SampleFaults first. */
class FailureLog
{
public:
    void fail (const char* format, ...) __attribute__ ((format (printf, 2, 3)))
    {
        std::lock_guard<std::mutex> lock (mutex);
        ++count;
        if (count <= kMaxPrinted)
        {
            std::va_list args;
            va_start (args, format);
            std::fputs ("FAIL: ", stdout);
            std::vfprintf (stdout, format, args);
            std::fputc ('\n', stdout);
            std::fflush (stdout);
            va_end (args);
        }
        else if (count == kMaxPrinted + 1)
        {
            std::puts ("FAIL: (further failures are counted, not printed)");
        }
    }

    void check (bool condition, const char* format, ...) __attribute__ ((format (printf, 3, 4)))
    {
        if (condition)
            return;
        char text[1024];
        std::va_list args;
        va_start (args, format);
        std::vsnprintf (text, sizeof text, format, args);
        va_end (args);
        fail ("%s", text);
    }

    long failures() const
    {
        std::lock_guard<std::mutex> lock (mutex);
        return count;
    }

private:
    static constexpr long kMaxPrinted = 60;
    mutable std::mutex mutex;
    long count = 0;
};

//==============================================================================
/** The test signal: noise at several levels and silence, in segments of random length. The
    tiny segment sits just above the smallest normal float, where a careless gain stage or
    filter produces subnormal numbers; every segment is followed by silence now and then so
    that "loud, then nothing" happens in every case. */
class Signal
{
public:
    enum class Kind { loud, hot, silence, quiet, tiny, leftOnly, garbage };

    Signal (double sampleRate, uint32_t seed, bool withGarbage = false)
        : rate (sampleRate), rng (seed), garbage (withGarbage)
    {
        startSegment();
    }

    /** Writes the next n samples of both channels. */
    void fill (float* left, float* right, int n) noexcept
    {
        for (int i = 0; i < n; ++i)
        {
            if (remaining == 0)
                startSegment();
            --remaining;
            left[i] = sample (0);
            right[i] = sample (1);
        }
    }

private:
    float uniform() noexcept { return std::uniform_real_distribution<float> (-1.0f, 1.0f) (rng); }

    float sample (int channel) noexcept
    {
        switch (kind)
        {
            case Kind::loud:     return uniform();
            case Kind::hot:      return 4.0f * uniform(); // +12 dBFS
            case Kind::quiet:    return 1.0e-3f * uniform();
            case Kind::leftOnly: return channel == 0 ? uniform() : 0.0f;
            case Kind::tiny:
            {
                // Normal numbers between FLT_MIN and 1000 FLT_MIN, either sign.
                const float u = uniform();
                return std::copysign (FLT_MIN * (1.0f + 999.0f * std::abs (u)), u);
            }
            case Kind::garbage:
            {
                const float u = uniform();
                if (u > 0.9f) return std::numeric_limits<float>::quiet_NaN();
                if (u > 0.8f) return std::numeric_limits<float>::infinity();
                if (u < -0.9f) return -std::numeric_limits<float>::infinity();
                return uniform();
            }
            case Kind::silence:
            default:             return 0.0f;
        }
    }

    void startSegment() noexcept
    {
        // Silence after every other segment; otherwise a random kind.
        static constexpr Kind sounds[] = { Kind::loud, Kind::loud, Kind::hot, Kind::quiet, Kind::tiny, Kind::leftOnly, Kind::garbage };
        const int soundCount = garbage ? 7 : 6;

        if (kind != Kind::silence)
            kind = Kind::silence;
        else
            kind = sounds[std::uniform_int_distribution<int> (0, soundCount - 1) (rng)];

        const double seconds = std::uniform_real_distribution<double> (0.005, 0.06) (rng);
        remaining = std::max<long> (1, (long) (seconds * rate));
        if (kind == Kind::silence)
            remaining = std::max<long> (remaining, 2 * kDrainSamples);
    }

    double rate;
    std::mt19937 rng;
    bool garbage;
    Kind kind = Kind::loud;
    long remaining = 0;
};

//==============================================================================
/** Per-sample checks of one stream of output blocks, made on the audio thread without
    allocating; findings are kept (counts and the first of each kind) and reported later. */
class SampleFaults
{
public:
    enum Kind { nonFinite, subnormal, notSilent, overBound, bypassAltered, mismatch, numKinds };

    struct Finding
    {
        long count = 0;
        long block = -1;
        int channel = 0, sample = 0;
        float value = 0.0f, expected = 0.0f;
    };

    /** When true, a bypassed block must come out exactly as it went in (the wrapper's bypass). */
    bool checkBypassPassesInput = false;

    /** input: the block as it went in; output: as it came out. */
    void check (const float* const* input, const float* const* output, int n, bool bypassed, long block) noexcept
    {
        for (int c = 0; c < 2; ++c)
        {
            for (int i = 0; i < n; ++i)
            {
                const float x = input[c][i];
                const float y = output[c][i];

                if (std::isfinite (x))
                    inputPeak = std::max (inputPeak, std::abs (x));

                if (x == 0.0f)
                    silentRun[c] += bypassed ? 0 : 1;
                else
                    silentRun[c] = 0;

                if (! std::isfinite (y))
                    note (nonFinite, block, c, i, y, 0.0f);
                else if (y != 0.0f && std::abs (y) < FLT_MIN)
                    note (subnormal, block, c, i, y, 0.0f);
                else if (std::abs (y) > kGainBound * inputPeak)
                    note (overBound, block, c, i, y, kGainBound * inputPeak);

                if (bypassed && checkBypassPassesInput)
                {
                    if (! sameBits (x, y))
                        note (bypassAltered, block, c, i, y, x);
                }
                else if (! bypassed && silentRun[c] > kDrainSamples && y != 0.0f)
                {
                    note (notSilent, block, c, i, y, 0.0f);
                }
            }
        }
    }

    /** Two renderings that must agree bit for bit. */
    void compare (const float* const* actual, const float* const* expected, int n, long block) noexcept
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < n; ++i)
                if (! sameBits (actual[c][i], expected[c][i]))
                    note (mismatch, block, c, i, actual[c][i], expected[c][i]);
    }

    /** A new stream: forget the history (peaks, silent runs), keep the findings. */
    void restart() noexcept
    {
        inputPeak = 0.0f;
        silentRun[0] = silentRun[1] = 0;
    }

    long total() const noexcept
    {
        long sum = 0;
        for (const auto& f : findings)
            sum += f.count;
        return sum;
    }

    /** Reports every kind found to the log, naming the stream. */
    void report (FailureLog& log, const std::string& where) const
    {
        static const char* const what[numKinds] = {
            "non-finite output", "subnormal output", "output not silent after drained silence",
            "output above 16x the loudest input so far", "bypassed block altered the input",
            "output differs from the reference rendering"
        };

        for (int k = 0; k < numKinds; ++k)
        {
            const auto& f = findings[k];
            if (f.count > 0)
                log.fail ("%s: %s, %ld samples; first in block %ld, channel %d, sample %d: %.9g (expected %.9g)",
                          where.c_str(), what[k], f.count, f.block, f.channel, f.sample,
                          (double) f.value, (double) f.expected);
        }
    }

private:
    static constexpr float kGainBound = 16.0f;

    static bool sameBits (float a, float b) noexcept
    {
        uint32_t x, y;
        std::memcpy (&x, &a, 4);
        std::memcpy (&y, &b, 4);
        return x == y || (a == 0.0f && b == 0.0f); // the sign of zero does not matter
    }

    void note (Kind kind, long block, int channel, int sample, float value, float expected) noexcept
    {
        auto& f = findings[kind];
        if (f.count++ == 0)
        {
            f.block = block;
            f.channel = channel;
            f.sample = sample;
            f.value = value;
            f.expected = expected;
        }
    }

    Finding findings[numKinds];
    float inputPeak = 0.0f;
    long silentRun[2] = { 0, 0 };
};

//==============================================================================
/** Time of each block against its real-time budget (block length / sample rate), both as wall
    time and as the CPU time of the audio thread. On a shared machine the worst wall time is
    usually a moment the thread was not scheduled; the CPU time leaves that out, and a histogram
    gives the 99.9th percentile of the wall time as well. */
struct BlockTiming
{
    long blocks = 0;
    long samples = 0;
    double worstFraction = 0.0;     // wall time
    double worstMicros = 0.0;
    double worstBudgetMicros = 0.0;
    double worstCpuFraction = 0.0;  // CPU time of the thread
    double busySeconds = 0.0;
    long overBudget = 0;

    // Fractions of the budget from 1e-4 to 1e4, 25 bins per decade.
    static constexpr int kBinsPerDecade = 25, kBins = 8 * kBinsPerDecade + 2;
    long histogram[kBins] = {};
    long timedBlocks = 0;

    void add (int numSamples, double sampleRate, double seconds, double cpuSeconds) noexcept
    {
        ++blocks;
        samples += numSamples;
        busySeconds += seconds;
        if (numSamples == 0)
            return;

        const double budget = numSamples / sampleRate;
        const double fraction = seconds / budget;
        if (fraction > 1.0)
            ++overBudget;
        if (fraction > worstFraction)
        {
            worstFraction = fraction;
            worstMicros = seconds * 1e6;
            worstBudgetMicros = budget * 1e6;
        }
        worstCpuFraction = std::max (worstCpuFraction, cpuSeconds / budget);

        const double position = (std::log10 (std::max (fraction, 1e-12)) + 4.0) * kBinsPerDecade;
        const int bin = position < 0.0 ? 0 : std::min (kBins - 1, 1 + (int) position);
        ++histogram[bin];
        ++timedBlocks;
    }

    /** The fraction of the budget that this share of the blocks stays within (upper bin edge). */
    double percentile (double share) const noexcept
    {
        const double wanted = share * (double) timedBlocks;
        long seen = 0;
        for (int bin = 0; bin < kBins; ++bin)
        {
            seen += histogram[bin];
            if ((double) seen >= wanted && seen > 0)
                return std::min (worstFraction, std::pow (10.0, (double) bin / kBinsPerDecade - 4.0));
        }
        return worstFraction;
    }

    /** Processing time over the real time of all samples. */
    double meanFraction (double sampleRate) const noexcept
    {
        return samples > 0 ? busySeconds / (samples / sampleRate) : 0.0;
    }
};

/** Times one call: wall time and the calling thread's CPU time, in seconds. */
struct BlockTimer
{
    static double threadCpuSeconds() noexcept
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + 1e-9 * (double) t.tv_nsec;
    }

    template <typename Fn>
    static void time (Fn&& fn, double& wallSeconds, double& cpuSeconds)
    {
        const double cpuStart = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        fn();
        wallSeconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
        cpuSeconds = threadCpuSeconds() - cpuStart;
    }
};

using Clock = std::chrono::steady_clock;

inline double secondsSince (Clock::time_point start)
{
    return std::chrono::duration<double> (Clock::now() - start).count();
}

//==============================================================================
/** Counts of the state part, printed in the summary. */
struct StateTotals
{
    long saves = 0, restores = 0, exactChecks = 0;
};

/** Saves and restores state as fast as it goes for `seconds` while audio runs elsewhere, restoring
    at random either the state just saved or one of `states`. Works on any processor (the hosted
    instance or the processor itself), so it is a template and this header stays free of JUCE. */
template <typename Processor, typename Chunk>
void stressState (Processor& processor, const std::vector<Chunk>& states, double seconds, std::mt19937& rng, StateTotals& totals)
{
    const auto start = Clock::now();
    while (secondsSince (start) < seconds)
    {
        Chunk saved;
        processor.getStateInformation (saved);
        ++totals.saves;
        const auto& chosen = (rng() % 2 == 0) ? saved : states[rng() % states.size()];
        processor.setStateInformation (chosen.getData(), (int) chosen.getSize());
        ++totals.restores;
    }
}

/** Waits until the audio thread has finished `count` more blocks. */
inline void waitForMoreBlocks (const std::atomic<long>& blocksDone, long count)
{
    const long target = blocksDone.load() + count;
    while (blocksDone.load() < target)
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
}

//==============================================================================
/** Random values for automation: mostly anywhere in 0..1, sometimes exactly at an end. */
inline float randomNormalised (std::mt19937& rng) noexcept
{
    const float u = std::uniform_real_distribution<float> (0.0f, 1.0f) (rng);
    if (u < 0.1f)
        return 0.0f;
    if (u < 0.2f)
        return 1.0f;
    return std::uniform_real_distribution<float> (0.0f, 1.0f) (rng);
}

/** Random bypass values: mostly off (so the processor runs), in either half of the range. */
inline float randomBypass (std::mt19937& rng) noexcept
{
    const float u = std::uniform_real_distribution<float> (0.0f, 1.0f) (rng);
    return u < 0.85f ? 0.49f * u / 0.85f : 0.5f + 0.5f * (u - 0.85f) / 0.15f;
}

/** Block sizes for the random mode: anywhere up to the maximum, with the extremes (0, 1, the
    maximum itself) more often than chance would give them. */
inline int randomBlockSize (std::mt19937& rng, int maximum) noexcept
{
    const float u = std::uniform_real_distribution<float> (0.0f, 1.0f) (rng);
    if (u < 0.04f)
        return 0;
    if (u < 0.12f)
        return 1;
    if (u < 0.22f)
        return maximum;
    return std::uniform_int_distribution<int> (1, maximum) (rng);
}

//==============================================================================
/** Live heap blocks (operator new) sampled after each repetition of something that must give
    back everything it takes: loading and unloading an instance, opening and closing the editor,
    constructing and destroying a processor. After a few repetitions to fill JUCE's caches the
    count must stay where it was; a leak makes it grow with every repetition. */
struct LeakWatch
{
    int warmUp = 3;
    int samples = 0;
    long baseline = 0, last = 0;

    void sample() noexcept
    {
        last = allocations::liveBlocks();
        if (++samples == warmUp)
            baseline = last;
    }

    int repetitions() const noexcept { return samples > warmUp ? samples - warmUp : 0; }
    long growth() const noexcept { return repetitions() > 0 ? last - baseline : 0; }

    void check (FailureLog& log, const char* what, long tolerance) const
    {
        log.check (growth() <= tolerance, "%s: %ld more live heap blocks after %d more repetitions: a leak",
                   what, growth(), repetitions());
    }
};

//==============================================================================
/** One line per case in the summary table. */
struct CaseRecord
{
    double sampleRate = 0.0;
    int blockSize = 0; // 0: random
    BlockTiming timing;
};

/** Prints the worst block as a fraction of its budget, one row per sample rate and one column
    per block size; cpu selects the thread's CPU time instead of wall time. */
inline void printTimingTable (const char* title, const std::vector<CaseRecord>& records, bool cpu)
{
    std::printf ("%s\n", title);
    std::printf ("  %-8s", "rate");
    for (int b : kBlockSizes)
        std::printf (" %9s", blockLabel (b).c_str());
    std::printf ("\n");

    for (double rate : kSampleRates)
    {
        std::printf ("  %-8.0f", rate);
        for (int b : kBlockSizes)
        {
            const CaseRecord* found = nullptr;
            for (const auto& r : records)
                if (r.sampleRate == rate && r.blockSize == b)
                    found = &r;
            if (found != nullptr && found->timing.blocks > 0)
                std::printf (" %9.3f", cpu ? found->timing.worstCpuFraction : found->timing.worstFraction);
            else
                std::printf (" %9s", "-");
        }
        std::printf ("\n");
    }
}

/** The detail behind the tables: the worst block (wall time) in microseconds against its budget,
    the 99.9th percentile, the blocks over budget, the worst CPU time and the mean load
    (processing time over real time). */
inline void printTimingDetail (const std::vector<CaseRecord>& records)
{
    std::printf ("  %-8s %7s %8s | %9s %10s %10s %8s %8s | %9s | %9s\n", "rate", "block", "blocks", "worst", "worst us",
                 "budget us", "p99.9", "over", "worst cpu", "mean load");
    for (const auto& r : records)
        std::printf ("  %-8.0f %7s %8ld | %9.3f %10.1f %10.1f %8.3f %8ld | %9.3f | %9.4f\n", r.sampleRate,
                     blockLabel (r.blockSize).c_str(), r.timing.blocks, r.timing.worstFraction, r.timing.worstMicros,
                     r.timing.worstBudgetMicros, r.timing.percentile (0.999), r.timing.overBudget,
                     r.timing.worstCpuFraction, r.timing.meanFraction (r.sampleRate));
}

/** One line of allocation counts; moduleName names the watched module, or nullptr when none. */
inline void printTally (const char* label, const allocations::Tally& t, const char* moduleName)
{
    if (moduleName != nullptr)
        std::printf ("  %-46s %7ld  (from %s %ld, the program %ld, the dynamic linker %ld, other libraries %ld)\n", label,
                     t.total, moduleName, t.inModule, t.inProgram, t.inLoader, t.elsewhere);
    else
        std::printf ("  %-46s %7ld  (from the program %ld, other libraries %ld)\n", label, t.total, t.inProgram,
                     t.inLoader + t.elsewhere);
}
} // namespace torture
