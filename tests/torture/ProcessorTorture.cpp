// Processor torture: VexaProcessor called directly, without the VST3 wrapper, which relies on
// the host keeping to the prepared block size. Here the host does not: blocks of twice the
// prepared size, processing after a release without a new prepare, prepares and releases in
// every order, state saved and restored from a second thread. Allocations inside processBlock
// are counted on the audio thread and must be zero.
//
//   vexa_torture_processor [--quick]   (or VEXA_TORTURE_QUICK=1)

#include "PluginProcessor.h"

#include "TortureCommon.h"

#include <array>
#include <functional>
#include <memory>
#include <thread>

namespace juce::detail
{
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

using namespace torture;

namespace
{
constexpr int kNumParameters = 9;
constexpr const char* kParameterIds[kNumParameters] = { "threshold", "ratio", "attack", "release", "makeup",
                                                        "scHPF", "stereoLink", "drive", "meterMode" };

FailureLog failures;
double partSeconds[3] = {};

/** Runs the message loop (the parameter tree's timer) until the flag is set. */
void pumpUntil (const std::atomic<bool>& done)
{
    while (! done.load())
        if (! juce::detail::dispatchNextMessageOnSystemQueue (true))
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
}

void runOffMessageThread (const std::function<void()>& work)
{
    std::atomic<bool> done { false };
    std::thread thread ([&] {
        work();
        done = true;
    });
    pumpUntil (done);
    thread.join();
}

std::array<juce::RangedAudioParameter*, kNumParameters> parametersOf (VexaProcessor& p)
{
    std::array<juce::RangedAudioParameter*, kNumParameters> result {};
    for (int i = 0; i < kNumParameters; ++i)
        result[(size_t) i] = p.apvts.getParameter (kParameterIds[i]);
    return result;
}

void setAll (VexaProcessor& p, const float* normalised)
{
    const auto parameters = parametersOf (p);
    for (int i = 0; i < kNumParameters; ++i)
        parameters[(size_t) i]->setValueNotifyingHost (normalised[i]);
}

std::array<float, kNumParameters> plainValues (VexaProcessor& p)
{
    std::array<float, kNumParameters> values {};
    for (int i = 0; i < kNumParameters; ++i)
        values[(size_t) i] = p.apvts.getRawParameterValue (kParameterIds[i])->load();
    return values;
}

struct Totals
{
    long cases = 0, blocks = 0, samples = 0, oversizedBlocks = 0, guardedBlocks = 0;
    allocations::Tally inProcess, inAutomation;
} totals;

std::vector<CaseRecord> caseRecords;

//==============================================================================
// Part 1: every sample rate and block size. Processor A gets blocks of up to twice the prepared
// size in one call; its twin B gets the same audio and automation in blocks no longer than
// prepared. Both must produce the same samples: a call longer than prepared must neither
// overrun nor sound different.
void runMatrix (const Options& options)
{
    uint32_t seed = 500;
    for (double rate : kSampleRates)
    {
        for (int blockSize : kBlockSizes)
        {
            const int prepared = blockSize > 0 ? blockSize : kRandomBlockMaximum;
            const int longest = 2 * prepared;
            const long total = (long) (options.secondsPerCase() * rate);
            const long minBlocks = options.blocksPerCase();
            ++seed;

            // A and everything it allocates sits in front of guard pages: an overrun faults.
            allocations::guard (true);
            auto a = std::make_unique<VexaProcessor>();
            a->prepareToPlay (rate, prepared);
            allocations::guard (false);
            totals.guardedBlocks = std::max (totals.guardedBlocks, (long) allocations::guardedBlocks());
            auto b = std::make_unique<VexaProcessor>();
            b->prepareToPlay (rate, prepared);

            BlockTiming timing;
            SampleFaults faults;
            allocations::Tally inProcess, inAutomation;
            long oversized = 0;

            runOffMessageThread ([&] {
                const auto parametersA = parametersOf (*a);
                const auto parametersB = parametersOf (*b);
                juce::AudioBuffer<float> input (2, longest), bufferA (2, longest), bufferB (2, longest);
                juce::MidiBuffer midi;
                std::mt19937 rng (seed);
                Signal signal (rate, seed * 31u, true);
                long clock = 0, nextAutomation = 0, block = 0;

                while (clock < total || block < minBlocks)
                {
                    const int n = blockSize > 0 ? (block % 3 == 1 ? prepared : longest) : randomBlockSize (rng, longest);
                    oversized += n > prepared ? 1 : 0;
                    signal.fill (input.getWritePointer (0), input.getWritePointer (1), n);
                    for (int c = 0; c < 2; ++c)
                    {
                        std::memcpy (bufferA.getWritePointer (c), input.getReadPointer (c), sizeof (float) * (size_t) n);
                        std::memcpy (bufferB.getWritePointer (c), input.getReadPointer (c), sizeof (float) * (size_t) n);
                    }

                    if (clock >= nextAutomation)
                    {
                        for (int p = 0; p < kNumParameters; ++p)
                        {
                            const float value = randomNormalised (rng);
                            allocations::arm();
                            parametersA[(size_t) p]->setValueNotifyingHost (value);
                            inAutomation += allocations::disarm();
                            parametersB[(size_t) p]->setValueNotifyingHost (value);
                        }
                        nextAutomation = (clock / kAutomationInterval + 1) * kAutomationInterval;
                    }

                    juce::AudioBuffer<float> viewA (bufferA.getArrayOfWritePointers(), 2, n);
                    double seconds = 0.0, cpuSeconds = 0.0;
                    allocations::arm();
                    BlockTimer::time ([&] { a->processBlock (viewA, midi); }, seconds, cpuSeconds);
                    inProcess += allocations::disarm();
                    timing.add (n, rate, seconds, cpuSeconds);

                    int done = 0;
                    do
                    {
                        const int piece = std::min (prepared, n - done);
                        juce::AudioBuffer<float> viewB (bufferB.getArrayOfWritePointers(), 2, done, piece);
                        allocations::arm();
                        b->processBlock (viewB, midi);
                        inProcess += allocations::disarm();
                        done += piece;
                    } while (done < n);

                    faults.check (input.getArrayOfReadPointers(), bufferA.getArrayOfReadPointers(), n, false, block);
                    faults.compare (bufferA.getArrayOfReadPointers(), bufferB.getArrayOfReadPointers(), n, block);
                    clock += n;
                    ++block;
                }
            });

            const auto name = "processor " + std::to_string ((int) rate) + " Hz, prepared for " + blockLabel (blockSize)
                              + (blockSize > 0 ? " (called with it and twice it)" : " (random sizes up to twice the maximum)");
            faults.report (failures, name);
            failures.check (inProcess.total == 0, "%s: processBlock allocated %ld times on the audio thread", name.c_str(), inProcess.total);

            ++totals.cases;
            totals.blocks += timing.blocks;
            totals.samples += timing.samples;
            totals.oversizedBlocks += oversized;
            totals.inProcess += inProcess;
            totals.inAutomation += inAutomation;
            caseRecords.push_back ({ rate, blockSize, timing });
        }
    }
}

//==============================================================================
// Part 2: every sequence of prepares, releases and processing (including processing before any
// prepare, after a release, and in blocks twice the prepared size). After a prepare or release
// the processor must sound exactly like a fresh one prepared the same way.
struct LifecycleConfig
{
    double rate;
    int blockSize;
};

constexpr int kChunk = 600;

const float kSettings[][kNumParameters] = {
    { 0.2f, 1.0f, 0.5f, 0.25f, 0.6f, 1.0f, 0.0f, 0.7f, 0.0f },
    { 0.5f, 0.0f, 1.0f, 1.0f, 0.3f, 0.0f, 1.0f, 0.0f, 1.0f }, // attack and release AUTO, no drive
    { 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.5f },
};

struct LifecycleTotals
{
    long sequences = 0, operations = 0, compared = 0, afterRelease = 0, beforePrepare = 0;
    LeakWatch leaks; // one sample per sequence (two or more processors made and destroyed)
} lifecycle;

void runLifecycle (const Options& options)
{
    const std::pair<LifecycleConfig, LifecycleConfig> pairs[] = {
        { { 44100.0, 1 }, { 192000.0, 1024 } },
        { { 48000.0, 512 }, { 96000.0, 250 } },
        { { 96000.0, 64 }, { 44100.0, 32 } },
        { { 192000.0, 32 }, { 48000.0, 1024 } },
    };

    enum Op { prepare1, prepare2, release, process, processTwice, numOps };
    const int length = options.quick ? 3 : 4;
    int sequenceCount = 1;
    for (int i = 0; i < length; ++i)
        sequenceCount *= numOps;

    juce::AudioBuffer<float> input (2, kChunk);
    {
        std::mt19937 rng (5);
        std::uniform_real_distribution<float> noise (-0.9f, 0.9f);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kChunk; ++i)
                input.setSample (c, i, noise (rng) * (i < kChunk / 2 ? 1.0f : 0.05f));
    }

    SampleFaults faults;
    juce::MidiBuffer midi;

    for (int s = 0; s < sequenceCount; ++s)
    {
        const auto& pair = pairs[s % 4];
        const float* settings = kSettings[s % 3];

        int ops[8];
        for (int i = 0, code = s; i < length; ++i, code /= numOps)
            ops[i] = code % numOps;

        allocations::guard (true);
        auto subject = std::make_unique<VexaProcessor>();
        allocations::guard (false);
        setAll (*subject, settings);

        // The reference is rebuilt at every prepare and release: fresh, prepared like the
        // subject's last prepare, then given the same processing calls.
        const LifecycleConfig* lastPrepare = nullptr;
        std::unique_ptr<VexaProcessor> reference;
        auto rebuildReference = [&] {
            reference = std::make_unique<VexaProcessor>();
            setAll (*reference, settings);
            if (lastPrepare != nullptr)
                reference->prepareToPlay (lastPrepare->rate, lastPrepare->blockSize);
        };
        rebuildReference();

        bool released = false;
        for (int i = 0; i < length; ++i)
        {
            ++lifecycle.operations;
            switch (ops[i])
            {
                case prepare1:
                case prepare2:
                    lastPrepare = ops[i] == prepare1 ? &pair.first : &pair.second;
                    allocations::guard (true);
                    subject->prepareToPlay (lastPrepare->rate, lastPrepare->blockSize);
                    allocations::guard (false);
                    rebuildReference();
                    released = false;
                    break;

                case release:
                    subject->releaseResources();
                    rebuildReference();
                    released = true;
                    break;

                default:
                {
                    const int prepared = lastPrepare != nullptr ? lastPrepare->blockSize : 256;
                    const int blockSize = ops[i] == processTwice ? 2 * prepared : prepared;
                    juce::AudioBuffer<float> mine (input), theirs (input);

                    allocations::arm();
                    for (int start = 0; start < kChunk; start += blockSize)
                    {
                        const int n = std::min (blockSize, kChunk - start);
                        juce::AudioBuffer<float> view (mine.getArrayOfWritePointers(), 2, start, n);
                        subject->processBlock (view, midi);
                    }
                    const auto counted = allocations::disarm();
                    totals.inProcess += counted;
                    failures.check (counted.total == 0, "prepare/release sequence %d: processBlock allocated %ld times", s, counted.total);

                    for (int start = 0; start < kChunk; start += blockSize)
                    {
                        const int n = std::min (blockSize, kChunk - start);
                        juce::AudioBuffer<float> view (theirs.getArrayOfWritePointers(), 2, start, n);
                        reference->processBlock (view, midi);
                    }

                    faults.restart();
                    faults.check (input.getArrayOfReadPointers(), mine.getArrayOfReadPointers(), kChunk, false, s);
                    faults.compare (mine.getArrayOfReadPointers(), theirs.getArrayOfReadPointers(), kChunk, s);
                    ++lifecycle.compared;
                    lifecycle.afterRelease += released ? 1 : 0;
                    lifecycle.beforePrepare += lastPrepare == nullptr ? 1 : 0;
                    break;
                }
            }
        }
        ++lifecycle.sequences;
        subject.reset();
        reference.reset();
        lifecycle.leaks.sample();
    }
    lifecycle.leaks.check (failures, "constructing, preparing and destroying processors", 8);

    faults.report (failures, "prepare/release sequences (block = sequence number, its operations are its base-5 digits, lowest first: 0 prepare A, 1 prepare B, 2 release, 3 process, 4 process twice the size)");
    ++totals.cases;
}

//==============================================================================
// Part 3: state saved and restored from a second thread while the audio thread processes
// (with automation from the audio thread, as a host plays it back) and the message thread
// runs the parameter tree's timer.
StateTotals stateTotals;

void runState (const Options& options)
{
    const double rate = 96000.0;
    const int maxBlock = 768;

    std::vector<juce::MemoryBlock> states;
    std::vector<std::array<float, kNumParameters>> values;
    {
        std::mt19937 rng (8080);
        for (int k = 0; k < 8; ++k)
        {
            VexaProcessor scratch;
            float settings[kNumParameters];
            for (auto& v : settings)
                v = randomNormalised (rng);
            setAll (scratch, settings);
            juce::MemoryBlock state;
            scratch.getStateInformation (state);
            states.push_back (state);
            values.push_back (plainValues (scratch));
        }
    }

    VexaProcessor processor;
    processor.prepareToPlay (rate, maxBlock);

    std::atomic<bool> stop { false }, automate { true }, stateDone { false };
    std::atomic<long> blocksDone { 0 };
    SampleFaults faults;
    BlockTiming timing;
    allocations::Tally inProcess;

    std::thread audio ([&] {
        const auto parameters = parametersOf (processor);
        juce::AudioBuffer<float> input (2, maxBlock), buffer (2, maxBlock);
        juce::MidiBuffer midi;
        std::mt19937 rng (123);
        Signal signal (rate, 321);
        long clock = 0, nextAutomation = 0, block = 0;

        while (! stop.load())
        {
            const int n = randomBlockSize (rng, maxBlock);
            signal.fill (input.getWritePointer (0), input.getWritePointer (1), n);
            for (int c = 0; c < 2; ++c)
                std::memcpy (buffer.getWritePointer (c), input.getReadPointer (c), sizeof (float) * (size_t) n);

            if (clock >= nextAutomation && automate.load())
            {
                for (auto* p : parameters)
                    p->setValueNotifyingHost (randomNormalised (rng));
                nextAutomation = (clock / kAutomationInterval + 1) * kAutomationInterval;
            }

            juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, n);
            double seconds = 0.0, cpuSeconds = 0.0;
            allocations::arm();
            BlockTimer::time ([&] { processor.processBlock (view, midi); }, seconds, cpuSeconds);
            inProcess += allocations::disarm();
            timing.add (n, rate, seconds, cpuSeconds);

            faults.check (input.getArrayOfReadPointers(), buffer.getArrayOfReadPointers(), n, false, block);
            clock += n;
            blocksDone.store (++block);
        }
    });

    const double stressSeconds = options.quick ? 0.5 : 3.0;
    std::thread state ([&] {
        std::mt19937 rng (17);
        stressState (processor, states, stressSeconds, rng, stateTotals);

        automate = false;
        waitForMoreBlocks (blocksDone, 2);

        for (int round = 0; round < 3; ++round)
        {
            for (size_t k = 0; k < states.size(); ++k)
            {
                processor.setStateInformation (states[k].getData(), (int) states[k].getSize());
                ++stateTotals.restores;
                const auto now = plainValues (processor);
                for (int p = 0; p < kNumParameters; ++p)
                    failures.check (now[(size_t) p] == values[k][(size_t) p],
                                    "state %zu restored while audio runs: %s = %.9g, expected %.9g", k, kParameterIds[p],
                                    (double) now[(size_t) p], (double) values[k][(size_t) p]);

                juce::MemoryBlock saved;
                processor.getStateInformation (saved);
                ++stateTotals.saves;
                failures.check (saved == states[k], "state %zu restored while audio runs: saving it again gives other bytes", k);
                ++stateTotals.exactChecks;
            }
        }
        stateDone = true;
    });

    pumpUntil (stateDone);
    state.join();
    stop = true;
    audio.join();

    faults.report (failures, "processor with state from a second thread");
    failures.check (inProcess.total == 0, "state from a second thread: processBlock allocated %ld times", inProcess.total);
    ++totals.cases;
    totals.blocks += timing.blocks;
    totals.samples += timing.samples;
    totals.inProcess += inProcess;
}

//==============================================================================
void printSummary (const Options& options, double seconds)
{
    if (totals.inProcess.total + totals.inAutomation.total > 0)
    {
        std::printf ("\nWhere the audio thread allocated (first call stacks; addr2line -f -C -e <object> <offset> names them):\n");
        allocations::printCapturedStacks();
    }

    std::printf ("\n==== Processor torture summary%s ====\n", options.quick ? " (quick)" : "");
    std::printf ("cases run: %ld   blocks processed: %ld (%ld of them longer than prepared, up to twice)   samples: %ld   wall time: %.1f s\n",
                 totals.cases, totals.blocks, totals.oversizedBlocks, totals.samples, seconds);
    std::printf ("wall time of the parts: matrix %.1f s, prepare/release sequences %.1f s, state %.1f s\n",
                 partSeconds[0], partSeconds[1], partSeconds[2]);
    std::printf ("prepare/release sequences: %ld (every order of %s operations), %ld operations, %ld renderings compared with a fresh processor (%ld after a release without a new prepare, %ld before any prepare)\n",
                 lifecycle.sequences, options.quick ? "three" : "four", lifecycle.operations, lifecycle.compared,
                 lifecycle.afterRelease, lifecycle.beforePrepare);
    std::printf ("processors constructed and destroyed in the sequences: live heap blocks grew by %ld over the last %d sequences\n",
                 lifecycle.leaks.growth(), lifecycle.leaks.repetitions());
    std::printf ("state from a second thread: %ld saves, %ld restores, %ld restores checked exact\n",
                 stateTotals.saves, stateTotals.restores, stateTotals.exactChecks);
    if (! allocations::canGuard())
        std::printf ("overrun guard: off (sanitizer build)\n");
    else
        std::printf ("overrun guard: each processor called with long blocks had its %ld heap blocks in front of guard pages\n",
                     totals.guardedBlocks);
    printTimingTable ("worst block time / real-time budget of processBlock alone (blocks up to twice the prepared size), wall time:", caseRecords, false);
    printTimingTable ("the same as CPU time of the audio thread (without the moments it was not scheduled):", caseRecords, true);
    printTimingDetail (caseRecords);
    std::printf ("allocations on the audio thread (%s):\n", allocations::countsMalloc() ? "operator new and malloc" : "operator new only: sanitizer build");
    printTally ("inside processBlock (must be zero):", totals.inProcess, nullptr);
    printTally ("in setValueNotifyingHost (reported):", totals.inAutomation, nullptr);
    std::printf ("failures: %ld\n", failures.failures());
}
} // namespace

int main (int argc, char** argv)
{
    const auto options = Options::parse (argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;

    failures.check (allocations::selfTest(), "the allocation counter does not see allocations");
    allocations::watchModule (nullptr);
    allocations::reportOverrunsOnFault();

    const auto start = Clock::now();
    runMatrix (options);
    partSeconds[0] = secondsSince (start);
    runLifecycle (options);
    partSeconds[1] = secondsSince (start) - partSeconds[0];
    runState (options);
    partSeconds[2] = secondsSince (start) - partSeconds[0] - partSeconds[1];

    printSummary (options, secondsSince (start));
    return failures.failures() == 0 ? 0 : 1;
}
