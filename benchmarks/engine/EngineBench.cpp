// Cost of the engine in nanoseconds of CPU time per stereo frame at 48 kHz, against the cost of
// what it cannot avoid: the 2x oversampler (as JUCE implements it, and its arithmetic alone), the
// four transcendental calls per frame (two log10 for the levels, two exp for the gains) and, with
// the drive on, the four tanh per frame of the waveshaper. The tables at the end compare the whole
// with the sum of its parts. Medians of repetitions; the command line may override the defaults.

#include <benchmark/benchmark.h>

#include <cstring> // before TestSupport.h, which uses std::memcpy

#include "../../tests/TestSupport.h"
#include "../common/Workload.h"
#include "OversamplerArithmetic.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include <unistd.h>

namespace
{
constexpr double kSampleRate = 48000.0;

const vexa_bench::StereoSignal& workload()
{
    static const auto signal = vexa_bench::makeWorkload (kSampleRate, 10.0);
    return signal;
}

/** Copies the next block of the workload into a buffer, wrapping at its end. */
struct BlockFeeder
{
    juce::AudioBuffer<float> buffer;
    int position = 0;

    explicit BlockFeeder (int blockSize) : buffer (2, blockSize) {}

    void next()
    {
        const auto& s = workload();
        const int n = buffer.getNumSamples();
        if (position + n > s.numFrames())
            position = 0;
        std::memcpy (buffer.getWritePointer (0), s.left.data() + position, sizeof (float) * (size_t) n);
        std::memcpy (buffer.getWritePointer (1), s.right.data() + position, sizeof (float) * (size_t) n);
        position += n;
    }
};

using vexa_test::setParameter;

/** Threshold -20 dB, 4:1; manual timing is attack 1 ms / release 0.1 s, AUTO is both on AUTO. */
void configure (VexaProcessor& p, double drive, bool autoTiming, bool link)
{
    setParameter (p, "threshold", -20.0f);
    setParameter (p, "ratio", 1.0f);
    setParameter (p, "attack", autoTiming ? 6.0f : 2.0f);
    setParameter (p, "release", autoTiming ? 4.0f : 0.0f);
    setParameter (p, "stereoLink", link ? 1.0f : 0.0f);
    setParameter (p, "drive", (float) drive);
}

void setFrameCounter (benchmark::State& state, int framesPerIteration)
{
    // Inverted rate over CPU time: seconds of CPU per stereo frame (shown with an SI prefix).
    state.counters["cpu_s_per_frame"] = benchmark::Counter ((double) state.iterations() * framesPerIteration,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

//==============================================================================
// The whole engine: processBlock as a host calls it.
void BM_ProcessBlock (benchmark::State& state)
{
    const int block = (int) state.range (0);
    VexaProcessor p;
    p.prepareToPlay (kSampleRate, block);
    configure (p, (double) state.range (1), state.range (2) != 0, state.range (3) != 0);

    BlockFeeder feeder (block);
    juce::MidiBuffer midi;

    // Settle the envelopes before measuring.
    for (int i = 0; i < (int) kSampleRate / block; ++i)
    {
        feeder.next();
        p.processBlock (feeder.buffer, midi);
    }

    for (auto _ : state)
    {
        feeder.next();
        p.processBlock (feeder.buffer, midi);
        benchmark::DoNotOptimize (feeder.buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }
    setFrameCounter (state, block);
}

// The compressor's sample loop alone (detector, gain computer, envelope, gain stage), without the
// oversampler and the meters: the engine's own per-sample code around its log10 and exp.
void BM_SampleLoop (benchmark::State& state)
{
    const int block = (int) state.range (0);
    VexaProcessor p;
    p.prepareToPlay (kSampleRate, block);
    configure (p, 0.0, state.range (1) != 0, state.range (2) != 0);

    BlockFeeder feeder (block);
    for (auto _ : state)
    {
        feeder.next();
        auto deepest = VexaProcessorTestAccess::compressOnly (p, feeder.buffer.getWritePointer (0),
                                                              feeder.buffer.getWritePointer (1), block);
        benchmark::DoNotOptimize (deepest);
        benchmark::ClobberMemory();
    }
    setFrameCounter (state, block);
}

// Block-copy overhead of the harness (included in every other figure).
void BM_Feed (benchmark::State& state)
{
    const int block = (int) state.range (0);
    BlockFeeder feeder (block);
    for (auto _ : state)
    {
        feeder.next();
        benchmark::DoNotOptimize (feeder.buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }
    setFrameCounter (state, block);
}

//==============================================================================
// Mandated part 1: the oversampler as the engine builds it, up and down, with nothing between.
void BM_Oversampler (benchmark::State& state)
{
    const int block = (int) state.range (0);
    juce::dsp::Oversampling<float> oversampler (2, 1, juce::dsp::Oversampling<float>::filterHalfBandFIREquiripple, true, false);
    oversampler.initProcessing ((size_t) block);
    oversampler.reset();

    BlockFeeder feeder (block);
    for (auto _ : state)
    {
        feeder.next();
        juce::dsp::AudioBlock<float> audio (feeder.buffer.getArrayOfWritePointers(), 2, 0, (size_t) block);
        auto up = oversampler.processSamplesUp (audio);
        benchmark::DoNotOptimize (up.getChannelPointer (0));
        oversampler.processSamplesDown (audio);
        benchmark::ClobberMemory();
    }
    setFrameCounter (state, block);
}

// The same oversampler's arithmetic without its implementation: bit-identical outputs (checked
// in main before anything is measured), no per-sample state shifting, four outputs per SIMD op.
void BM_OversamplerArithmetic (benchmark::State& state)
{
    const int block = (int) state.range (0);
    vexa_bench::OversamplerArithmetic oversampler (2);
    oversampler.prepare (block);

    BlockFeeder feeder (block);
    for (auto _ : state)
    {
        feeder.next();
        oversampler.processUp (feeder.buffer.getArrayOfReadPointers(), block);
        benchmark::DoNotOptimize (oversampler.getUpsampled (0));
        oversampler.processDown (feeder.buffer.getArrayOfWritePointers(), block);
        benchmark::ClobberMemory();
    }
    setFrameCounter (state, block);
}

/** Runs JUCE's oversampler and OversamplerArithmetic side by side over the workload in random
    block sizes, with the drive waveshaper between up and down; counts differing output bits. */
long oversamplerArithmeticDifferences()
{
    juce::ScopedNoDenormals noDenormals;
    juce::dsp::Oversampling<float> reference (2, 1, juce::dsp::Oversampling<float>::filterHalfBandFIREquiripple, true, false);
    vexa_bench::OversamplerArithmetic arithmetic (2);
    reference.initProcessing (512);
    reference.reset();
    arithmetic.prepare (512);

    const auto& s = workload();
    std::mt19937 rng (3);
    juce::AudioBuffer<float> a (2, 512), b (2, 512);
    const double gain = 2.5, normaliser = 1.0 / std::tanh (gain), asymmetry = 0.02, outputScale = 1.0 / 1.52;
    long differences = 0;

    for (int position = 0; position < s.numFrames();)
    {
        const int n = std::min (1 + (int) (rng() % 512), s.numFrames() - position);
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c)
            {
                const float v = 2.0f * (c == 0 ? s.left : s.right)[(size_t) (position + i)];
                a.setSample (c, i, v);
                b.setSample (c, i, v);
            }

        juce::dsp::AudioBlock<float> block (a.getArrayOfWritePointers(), 2, (size_t) n);
        auto up = reference.processSamplesUp (block);
        arithmetic.processUp (b.getArrayOfReadPointers(), n);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 2 * n; ++i)
            {
                float& r = up.getChannelPointer ((size_t) c)[i];
                float& f = arithmetic.getUpsampled (c)[i];
                differences += std::memcmp (&r, &f, sizeof (float)) != 0;
                r = shapeDrive (r, gain, normaliser, asymmetry, outputScale);
                f = shapeDrive (f, gain, normaliser, asymmetry, outputScale);
            }

        reference.processSamplesDown (block);
        arithmetic.processDown (b.getArrayOfWritePointers(), n);

        for (int c = 0; c < 2; ++c)
            differences += std::memcmp (a.getReadPointer (c), b.getReadPointer (c), sizeof (float) * (size_t) n) != 0 ? 1 : 0;
        position += n;
    }
    return differences;
}

// Mandated part 2: the drive waveshaper over an up-sampled block (4 tanh per stereo frame),
// through the engine's own shaping function, at drive 100 %.
void BM_DriveShaper (benchmark::State& state)
{
    const int block = (int) state.range (0);
    const double d = 1.0;
    const double gain = 1.0 + 1.5 * d;
    const double normaliser = 1.0 / std::tanh (gain);
    const double asymmetry = 0.02 * d;
    const double outputScale = 1.0 / (1.5 + asymmetry);

    juce::AudioBuffer<float> up (2, 2 * block);
    int position = 0;
    const auto& s = workload();

    for (auto _ : state)
    {
        if (position + 2 * block > s.numFrames())
            position = 0;
        std::memcpy (up.getWritePointer (0), s.left.data() + position, sizeof (float) * (size_t) (2 * block));
        std::memcpy (up.getWritePointer (1), s.right.data() + position, sizeof (float) * (size_t) (2 * block));
        position += 2 * block;

        for (int c = 0; c < 2; ++c)
        {
            float* v = up.getWritePointer (c);
            for (int i = 0; i < 2 * block; ++i)
                v[i] = shapeDrive (v[i], gain, normaliser, asymmetry, outputScale);
        }
        benchmark::DoNotOptimize (up.getReadPointer (0));
        benchmark::ClobberMemory();
    }
    setFrameCounter (state, block);
}

/** The arguments the engine's log10 and exp calls really see: mean squares and envelopes
    recorded from a run of the engine on the workload (manual timing, link off). */
struct RecordedArguments
{
    std::vector<double> meanSquare[2], exponent[2];

    static const RecordedArguments& get()
    {
        static const RecordedArguments recorded = []
        {
            RecordedArguments r;
            VexaProcessor p;
            p.prepareToPlay (kSampleRate, 1);
            configure (p, 0.0, false, false);
            const auto& s = workload();
            const int n = (int) kSampleRate; // one second is plenty for a throughput figure
            const double dbToExponent = std::log (10.0) / 20.0;
            float l, r0;
            for (int i = 0; i < n; ++i)
            {
                l = s.left[(size_t) i];
                r0 = s.right[(size_t) i];
                // After the sample, the detectors hold the next sample's pre-update mean square;
                // record the value log10 sees on this sample: the one after its first update.
                const auto before = VexaProcessorTestAccess::rmsDetectors (p);
                VexaProcessorTestAccess::compressOnly (p, &l, &r0, 1);
                const auto& env = VexaProcessorTestAccess::envelopes (p);
                for (int c = 0; c < 2; ++c)
                {
                    const double x = c == 0 ? (double) s.left[(size_t) i] : (double) s.right[(size_t) i];
                    r.meanSquare[c].push_back (before[(size_t) c].coef.smooth (before[(size_t) c].meanSquare, x * x));
                    r.exponent[c].push_back (env[(size_t) c].envelopeDb * dbToExponent);
                }
            }
            return r;
        }();
        return recorded;
    }
};

// Mandated part 3a: two 10*log10(max(ms, 1e-30)) and two exp per frame, all independent
// (throughput: as fast as the processor can overlap them).
void BM_LogExpThroughput (benchmark::State& state)
{
    const auto& a = RecordedArguments::get();
    const size_t n = a.meanSquare[0].size();
    double sum = 0.0;

    for (auto _ : state)
    {
        for (size_t i = 0; i < n; ++i)
        {
            const double m0 = a.meanSquare[0][i], m1 = a.meanSquare[1][i];
            sum += 10.0 * std::log10 (m0 > 1e-30 ? m0 : 1e-30);
            sum += 10.0 * std::log10 (m1 > 1e-30 ? m1 : 1e-30);
            sum += std::exp (a.exponent[0][i]);
            sum += std::exp (a.exponent[1][i]);
        }
        benchmark::DoNotOptimize (sum);
    }
    setFrameCounter (state, (int) n);
}

// Mandated part 3b: the same calls chained as the engine's feedback detector chains them: per
// channel, a frame's log10 needs the previous frame's exp, and its exp needs its log10
// (each argument carries a zero times the previous result, so the values stay the recorded ones).
void BM_LogExpChained (benchmark::State& state)
{
    const auto& a = RecordedArguments::get();
    const size_t n = a.meanSquare[0].size();
    double gain0 = 1.0, gain1 = 1.0;
    volatile double zeroSource = 0.0;
    const double zero = zeroSource;

    for (auto _ : state)
    {
        for (size_t i = 0; i < n; ++i)
        {
            const double m0 = a.meanSquare[0][i] + zero * gain0;
            const double m1 = a.meanSquare[1][i] + zero * gain1;
            const double level0 = 10.0 * std::log10 (m0 > 1e-30 ? m0 : 1e-30);
            const double level1 = 10.0 * std::log10 (m1 > 1e-30 ? m1 : 1e-30);
            gain0 = std::exp (a.exponent[0][i] + zero * level0);
            gain1 = std::exp (a.exponent[1][i] + zero * level1);
        }
        benchmark::DoNotOptimize (gain0);
        benchmark::DoNotOptimize (gain1);
    }
    setFrameCounter (state, (int) n);
}

// The individual routines, to see which dominates.
void BM_Log10Only (benchmark::State& state)
{
    const auto& a = RecordedArguments::get();
    const size_t n = a.meanSquare[0].size();
    double sum = 0.0;
    for (auto _ : state)
    {
        for (size_t i = 0; i < n; ++i)
            sum += std::log10 (a.meanSquare[0][i]) + std::log10 (a.meanSquare[1][i]);
        benchmark::DoNotOptimize (sum);
    }
    setFrameCounter (state, (int) n);
}

void BM_ExpOnly (benchmark::State& state)
{
    const auto& a = RecordedArguments::get();
    const size_t n = a.exponent[0].size();
    double sum = 0.0;
    for (auto _ : state)
    {
        for (size_t i = 0; i < n; ++i)
            sum += std::exp (a.exponent[0][i]) + std::exp (a.exponent[1][i]);
        benchmark::DoNotOptimize (sum);
    }
    setFrameCounter (state, (int) n);
}

//==============================================================================
void processBlockArguments (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "block", "drive", "auto", "link" });
    for (int block : { 64, 512 })
        for (int drive : { 0, 100 })
            for (int autoTiming : { 0, 1 })
                for (int link : { 1, 0 })
                    b->Args ({ block, drive, autoTiming, link });
}

void sampleLoopArguments (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "block", "auto", "link" });
    for (int block : { 64, 512 })
        for (int autoTiming : { 0, 1 })
            for (int link : { 1, 0 })
                b->Args ({ block, autoTiming, link });
}

BENCHMARK (BM_ProcessBlock)->Apply (processBlockArguments);
BENCHMARK (BM_SampleLoop)->Apply (sampleLoopArguments);
BENCHMARK (BM_Oversampler)->ArgName ("block")->Arg (64)->Arg (512);
BENCHMARK (BM_OversamplerArithmetic)->ArgName ("block")->Arg (64)->Arg (512);
BENCHMARK (BM_DriveShaper)->ArgName ("block")->Arg (64)->Arg (512);
BENCHMARK (BM_LogExpThroughput);
BENCHMARK (BM_LogExpChained);
BENCHMARK (BM_Log10Only);
BENCHMARK (BM_ExpOnly);
BENCHMARK (BM_Feed)->ArgName ("block")->Arg (64)->Arg (512);

//==============================================================================
/** Prints Google Benchmark's console output, then the medians as Markdown tables. */
class TableReporter : public benchmark::ConsoleReporter
{
public:
    TableReporter() : ConsoleReporter (isatty (fileno (stdout)) ? OO_Defaults : OO_None) {}

    void ReportRuns (const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns (runs);
        for (const auto& run : runs)
        {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (! (median || single))
                continue;
            auto it = run.counters.find ("cpu_s_per_frame");
            if (it == run.counters.end())
                continue;
            const auto& name = run.run_name;
            nsPerFrame[name.function_name + (name.args.empty() ? "" : "/" + name.args)] = it->second.value * 1.0e9;
            repetitions = std::max (repetitions, (int) run.repetitions);
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        printTables();
    }

private:
    std::map<std::string, double> nsPerFrame;
    int repetitions = 1;

    double get (const std::string& name) const
    {
        auto it = nsPerFrame.find (name);
        return it == nsPerFrame.end() ? -1.0 : it->second;
    }

    static std::string cell (double v)
    {
        if (v < 0.0)
            return "n/a";
        char text[32];
        std::snprintf (text, sizeof text, "%.1f", v);
        return text;
    }

    /** The sum of measured parts, or -1 when one of them was not run. */
    static double sum (std::initializer_list<double> parts)
    {
        double total = 0.0;
        for (double v : parts)
        {
            if (v < 0.0)
                return -1.0;
            total += v;
        }
        return total;
    }

    static std::string ratioCell (double whole, double parts)
    {
        if (whole < 0.0 || parts <= 0.0)
            return "n/a";
        char text[32];
        std::snprintf (text, sizeof text, "%.2f", whole / parts);
        return text;
    }

    static std::string processName (int block, int drive, int autoTiming, int link)
    {
        return "BM_ProcessBlock/block:" + std::to_string (block) + "/drive:" + std::to_string (drive)
               + "/auto:" + std::to_string (autoTiming) + "/link:" + std::to_string (link);
    }

    void printTables() const
    {
        std::printf ("\n#### processBlock, ns of CPU per stereo frame at 48 kHz (median of %d repetitions)\n\n", repetitions);
        std::printf ("| block | drive | manual, link on | manual, link off | AUTO, link on | AUTO, link off |\n");
        std::printf ("|---:|---:|---:|---:|---:|---:|\n");
        for (int block : { 64, 512 })
            for (int drive : { 0, 100 })
                std::printf ("| %d | %d | %s | %s | %s | %s |\n", block, drive,
                             cell (get (processName (block, drive, 0, 1))).c_str(),
                             cell (get (processName (block, drive, 0, 0))).c_str(),
                             cell (get (processName (block, drive, 1, 1))).c_str(),
                             cell (get (processName (block, drive, 1, 0))).c_str());

        const double logExpChained = get ("BM_LogExpChained");
        const double logExpFree = get ("BM_LogExpThroughput");

        std::printf ("\n#### Mandated parts, ns per stereo frame\n\n");
        std::printf ("| part | block 64 | block 512 |\n|---|---:|---:|\n");
        std::printf ("| oversampler, up + down (JUCE half-band equiripple FIR) | %s | %s |\n",
                     cell (get ("BM_Oversampler/block:64")).c_str(), cell (get ("BM_Oversampler/block:512")).c_str());
        std::printf ("| its arithmetic alone: same float operations, bit-identical, without shifting the state each sample | %s | %s |\n",
                     cell (get ("BM_OversamplerArithmetic/block:64")).c_str(), cell (get ("BM_OversamplerArithmetic/block:512")).c_str());
        std::printf ("| drive waveshaper at 100 %% (4 tanh per frame) | %s | %s |\n",
                     cell (get ("BM_DriveShaper/block:64")).c_str(), cell (get ("BM_DriveShaper/block:512")).c_str());
        std::printf ("| 2 log10 + 2 exp per frame, chained as the detector's feedback chains them | %s | %s |\n",
                     cell (logExpChained).c_str(), cell (logExpChained).c_str());
        std::printf ("| 2 log10 + 2 exp per frame, independent (throughput) | %s | %s |\n",
                     cell (logExpFree).c_str(), cell (logExpFree).c_str());
        std::printf ("| of which 2 log10 alone / 2 exp alone (throughput) | %s / %s | |\n",
                     cell (get ("BM_Log10Only")).c_str(), cell (get ("BM_ExpOnly")).c_str());
        std::printf ("| harness: copying the input block (in every figure) | %s | %s |\n",
                     cell (get ("BM_Feed/block:64")).c_str(), cell (get ("BM_Feed/block:512")).c_str());

        std::printf ("\n#### Compressor sample loop alone (no oversampler, no meters), ns per stereo frame\n\n");
        std::printf ("| block | manual, link on | manual, link off | AUTO, link on | AUTO, link off |\n|---:|---:|---:|---:|---:|\n");
        for (int block : { 64, 512 })
        {
            auto name = [block] (int a, int l)
            { return "BM_SampleLoop/block:" + std::to_string (block) + "/auto:" + std::to_string (a) + "/link:" + std::to_string (l); };
            std::printf ("| %d | %s | %s | %s | %s |\n", block, cell (get (name (0, 1))).c_str(), cell (get (name (0, 0))).c_str(),
                         cell (get (name (1, 1))).c_str(), cell (get (name (1, 0))).c_str());
        }

        std::printf ("\n#### Engine / sum of mandated parts (oversampler + chained log10/exp [+ waveshaper at drive 100])\n\n");
        std::printf ("| block | drive | sum of parts | manual, link on | manual, link off | AUTO, link on | AUTO, link off |\n");
        std::printf ("|---:|---:|---:|---:|---:|---:|---:|\n");
        for (int block : { 64, 512 })
            for (int drive : { 0, 100 })
            {
                const std::string b = std::to_string (block);
                const double parts = sum ({ get ("BM_Oversampler/block:" + b), logExpChained,
                                            drive > 0 ? get ("BM_DriveShaper/block:" + b) : 0.0 });
                auto ratio = [&] (int a, int l) { return ratioCell (get (processName (block, drive, a, l)), parts); };
                std::printf ("| %d | %d | %s | %s | %s | %s | %s |\n", block, drive, cell (parts).c_str(),
                             ratio (0, 1).c_str(), ratio (0, 0).c_str(), ratio (1, 1).c_str(), ratio (1, 0).c_str());
            }
        std::printf ("\n#### Engine / sum of the mandated arithmetic (oversampler's arithmetic alone + chained log10/exp [+ waveshaper])\n\n");
        std::printf ("| block | drive | sum | manual, link on | manual, link off | AUTO, link on | AUTO, link off |\n");
        std::printf ("|---:|---:|---:|---:|---:|---:|---:|\n");
        for (int block : { 64, 512 })
            for (int drive : { 0, 100 })
            {
                const std::string b = std::to_string (block);
                const double parts = sum ({ get ("BM_OversamplerArithmetic/block:" + b), logExpChained,
                                            drive > 0 ? get ("BM_DriveShaper/block:" + b) : 0.0 });
                auto ratio = [&] (int a, int l) { return ratioCell (get (processName (block, drive, a, l)), parts); };
                std::printf ("| %d | %d | %s | %s | %s | %s | %s |\n", block, drive, cell (parts).c_str(),
                             ratio (0, 1).c_str(), ratio (0, 0).c_str(), ratio (1, 1).c_str(), ratio (1, 0).c_str());
            }
        std::printf ("\nMachine: %s, %d logical CPUs; load average %s at the end.\n\n",
                     juce::SystemStats::getCpuModel().toRawUTF8(), juce::SystemStats::getNumCpus(),
                     juce::File ("/proc/loadavg").loadFileAsString().upToFirstOccurrenceOf (" ", false, false).toRawUTF8());
    }
};
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    // Defaults that the command line may override (a later flag wins).
    std::vector<char*> args { argv[0] };
    // Repetitions run in random interleaved order, so a slow stretch of a shared machine spreads
    // over every benchmark instead of landing on a few.
    std::string defaults[] = { "--benchmark_repetitions=7", "--benchmark_min_time=0.3",
                               "--benchmark_enable_random_interleaving=true", "--benchmark_report_aggregates_only=true" };
    for (auto& d : defaults)
        args.push_back (d.data());
    for (int i = 1; i < argc; ++i)
        args.push_back (argv[i]);
    argc = (int) args.size();
    argv = args.data();

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    // The arithmetic-only oversampler prices JUCE's only if it computes the same bits.
    if (const long differences = oversamplerArithmeticDifferences(); differences != 0)
    {
        std::fprintf (stderr, "OversamplerArithmetic differs from juce::dsp::Oversampling in %ld places\n", differences);
        return 1;
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    benchmark::Shutdown();
    return 0;
}
