// Host torture: the BUILT bundle loaded through JUCE's VST3 hosting and driven the way hard
// hosts drive it. Two modes:
//
//   vexa_torture_host --headless [--quick]   the processing matrix, prepare/release orders,
//                                           state saved and restored from a second thread
//   vexa_torture_host --editor [--quick]     the editor opened and closed while audio runs
//                                           (needs a display; CTest runs it under Xvfb)
//
// The main thread is the message thread; audio runs on a thread of its own, as in a host.

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>

#include <X11/Xlib.h>

#include "TortureCommon.h"

#include <array>
#include <functional>
#include <map>
#include <thread>

using namespace torture;

namespace
{
constexpr const char* kModuleName = "Vexa Compressor.so";
constexpr int kNumParameters = 10; // nine of the plug-in's, then the wrapper's bypass

FailureLog failures;

juce::File bundle()
{
    if (const char* path = std::getenv ("VEXA_VST3_BUNDLE"))
        return juce::File (path);
    return juce::File (VEXA_VST3_BUNDLE);
}

/** Pumps the message loop until the flag is set (by a worker thread). */
void pumpUntil (const std::atomic<bool>& done)
{
    while (! done.load())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
}

void pumpFor (int milliseconds)
{
    if (milliseconds > 0)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Runs the work on a thread of its own while the message thread keeps dispatching. */
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

//==============================================================================
class Host
{
public:
    Host()
    {
        juce::VST3PluginFormat format;
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, bundle().getFullPathName());
        if (! found.isEmpty())
            description = *found.getFirst();
        ok = ! found.isEmpty();
    }

    bool ok = false;

    std::unique_ptr<juce::AudioPluginInstance> load (double sampleRate, int blockSize)
    {
        juce::VST3PluginFormat format;
        juce::String error;
        auto instance = format.createInstanceFromDescription (description, sampleRate, blockSize, error);
        if (instance == nullptr)
        {
            failures.fail ("could not load %s: %s", bundle().getFullPathName().toRawUTF8(), error.toRawUTF8());
            return nullptr;
        }

        instance->setPlayConfigDetails (2, 2, sampleRate, blockSize);
        instance->prepareToPlay (sampleRate, blockSize);

        if (! moduleWatched)
            moduleWatched = allocations::watchModule (kModuleName);

        failures.check (instance->getParameters().size() == kNumParameters
                            && instance->getBypassParameter() == instance->getParameters()[kNumParameters - 1],
                        "the host should see nine parameters and then the bypass");
        return instance;
    }

    bool moduleWatched = false;

private:
    juce::PluginDescription description;
};

std::array<juce::AudioProcessorParameter*, kNumParameters> parametersOf (juce::AudioPluginInstance& instance)
{
    std::array<juce::AudioProcessorParameter*, kNumParameters> result {};
    for (int i = 0; i < kNumParameters; ++i)
        result[(size_t) i] = instance.getParameters()[i];
    return result;
}

//==============================================================================
/** The transport of a host that is playing, as hosts are while they play automation back.
    (While it is stopped, JUCE's wrapper also applies the values the host's controller side
    passes on later from the message thread, so a fast-changing bypass could be stale for a
    moment and the per-block bypass state that the checks rely on would be uncertain.) */
struct PlayingTransport final : juce::AudioPlayHead
{
    std::atomic<int64_t> position { 0 };

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setIsPlaying (true);
        info.setTimeInSamples (position.load());
        info.setBpm (120.0);
        return info;
    }
};

/** One stream of blocks through the hosted instance, made on the calling (audio) thread. */
struct Stream
{
    double sampleRate = 48000.0;
    int blockSize = 512;      // 0: random sizes up to maxBlock
    int maxBlock = 512;
    long totalSamples = 0;    // stop after this many samples and minBlocks blocks, or when stop is set
    long minBlocks = 0;
    uint32_t seed = 1;
    bool automateBypass = true;
    const std::atomic<bool>* stop = nullptr;
    const std::atomic<bool>* automate = nullptr; // automation runs while unset or true
    std::atomic<long>* blocksDone = nullptr;

    BlockTiming timing;
    SampleFaults faults;
    allocations::Tally inProcess, inAutomation;
    long automationPoints = 0;
    long blocksThatAllocated = 0;

    void run (juce::AudioPluginInstance& instance)
    {
        const auto parameters = parametersOf (instance);
        juce::AudioBuffer<float> buffer (2, maxBlock), input (2, maxBlock);
        juce::MidiBuffer midi;
        midi.ensureSize (256);
        std::mt19937 rng (seed);
        Signal signal (sampleRate, seed * 7919u + 1u);
        faults.checkBypassPassesInput = true;
        PlayingTransport transport;
        instance.setPlayHead (&transport);

        long clock = 0, nextAutomation = 0, block = 0;
        bool bypassed = false;

        while ((totalSamples <= 0 || clock < totalSamples || block < minBlocks) && (stop == nullptr || ! stop->load()))
        {
            const int n = blockSize > 0 ? blockSize : randomBlockSize (rng, maxBlock);
            signal.fill (input.getWritePointer (0), input.getWritePointer (1), n);
            for (int c = 0; c < 2; ++c)
                std::memcpy (buffer.getWritePointer (c), input.getReadPointer (c), sizeof (float) * (size_t) n);

            // Every parameter and the bypass at every 32-sample boundary; a host delivers one
            // value per parameter and block, so longer blocks get new values every block.
            if (clock >= nextAutomation && (automate == nullptr || automate->load()))
            {
                allocations::arm();
                for (int p = 0; p < kNumParameters - 1; ++p)
                    parameters[(size_t) p]->setValue (randomNormalised (rng));
                const float bypass = automateBypass ? randomBypass (rng) : 0.0f;
                parameters[kNumParameters - 1]->setValue (bypass);
                inAutomation += allocations::disarm();
                bypassed = bypass >= 0.5f;
                ++automationPoints;
                nextAutomation = (clock / kAutomationInterval + 1) * kAutomationInterval;
            }

            juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, n);
            double seconds = 0.0, cpuSeconds = 0.0;
            allocations::arm();
            BlockTimer::time ([&] { instance.processBlock (view, midi); }, seconds, cpuSeconds);
            const auto allocated = allocations::disarm();
            inProcess += allocated;
            blocksThatAllocated += allocated.total > 0 ? 1 : 0;
            timing.add (n, sampleRate, seconds, cpuSeconds);

            faults.check (input.getArrayOfReadPointers(), buffer.getArrayOfReadPointers(), n, bypassed, block);
            clock += n;
            transport.position = clock;
            ++block;
            if (blocksDone != nullptr)
                blocksDone->store (block);
        }
        instance.setPlayHead (nullptr);
    }
};

//==============================================================================
struct Totals
{
    long cases = 0;
    long blocks = 0;
    long samples = 0;
    allocations::Tally inProcess, inAutomation;
    long automationPoints = 0;
    long blocksThatAllocated = 0;

    void add (const Stream& s)
    {
        blocksThatAllocated += s.blocksThatAllocated;
        blocks += s.timing.blocks;
        samples += s.timing.samples;
        inProcess += s.inProcess;
        inAutomation += s.inAutomation;
        automationPoints += s.automationPoints;
    }
};

Totals totals;
std::vector<CaseRecord> caseRecords;
LeakWatch instanceLeaks; // one sample per instance loaded, run and unloaded

//==============================================================================
// Part 1: every sample rate and block size, noise and silence, everything automated.
void runMatrix (Host& host, const Options& options)
{
    instanceLeaks.warmUp = 3;
    uint32_t seed = 100;
    for (double rate : kSampleRates)
    {
        for (int blockSize : kBlockSizes)
        {
            const int maxBlock = blockSize > 0 ? blockSize : kRandomBlockMaximum;
            auto instance = host.load (rate, maxBlock);
            if (instance == nullptr)
                return;

            Stream stream;
            stream.sampleRate = rate;
            stream.blockSize = blockSize;
            stream.maxBlock = maxBlock;
            stream.totalSamples = (long) (options.secondsPerCase() * rate);
            stream.minBlocks = options.blocksPerCase();
            stream.seed = ++seed;

            runOffMessageThread ([&] { stream.run (*instance); });
            instance->releaseResources();
            instance.reset();

            const auto name = "matrix " + std::to_string ((int) rate) + " Hz, blocks " + blockLabel (blockSize);
            stream.faults.report (failures, name);
            ++totals.cases;
            totals.add (stream);
            caseRecords.push_back ({ rate, blockSize, stream.timing });
            instanceLeaks.sample();
        }
    }
    instanceLeaks.check (failures, "loading, running and unloading an instance", 8);
}

//==============================================================================
// Part 2: prepare, release and process in every order of three operations.

/** A de Bruijn sequence over k symbols of order n: every string of n symbols occurs once. */
std::vector<int> deBruijn (int k, int n)
{
    std::vector<int> a ((size_t) (k * n), 0), sequence;
    std::function<void (int, int)> db = [&] (int t, int p) {
        if (t > n)
        {
            if (n % p == 0)
                for (int j = 1; j <= p; ++j)
                    sequence.push_back (a[(size_t) j]);
        }
        else
        {
            a[(size_t) t] = a[(size_t) (t - p)];
            db (t + 1, p);
            for (int j = a[(size_t) (t - p)] + 1; j < k; ++j)
            {
                a[(size_t) t] = j;
                db (t + 1, t);
            }
        }
    };
    db (1, 1);
    for (int i = 0; i < n - 1; ++i) // wrap around so every window appears in the linear sequence
        sequence.push_back (sequence[(size_t) i]);
    return sequence;
}

/** Calls the plug-in's audio processor directly, as a host does that keeps processing after
    it has deactivated the plug-in (JUCE's own hosting refuses to). */
class RawProcessor
{
public:
    explicit RawProcessor (juce::AudioPluginInstance& instance)
    {
        struct Visitor final : juce::ExtensionsVisitor
        {
            Steinberg::Vst::IAudioProcessor* found = nullptr;

            void visitVST3Client (const VST3Client& client) override
            {
                if (auto* component = client.getIComponentPtr())
                    component->queryInterface (Steinberg::Vst::IAudioProcessor_iid, reinterpret_cast<void**> (&found));
            }
        } visitor;

        instance.getExtensions (visitor);
        processor = visitor.found;
    }

    ~RawProcessor()
    {
        if (processor != nullptr)
            processor->release();
    }

    bool ok() const { return processor != nullptr; }

    /** Processes in place through separate input and output bus buffers. */
    bool process (float* const* channels, int n)
    {
        std::vector<float> inL (channels[0], channels[0] + n), inR (channels[1], channels[1] + n);
        float* inputs[2] = { inL.data(), inR.data() };

        Steinberg::Vst::AudioBusBuffers in {}, out {};
        in.numChannels = 2;
        in.channelBuffers32 = inputs;
        out.numChannels = 2;
        out.channelBuffers32 = const_cast<float**> (channels);

        Steinberg::Vst::ProcessData data;
        data.processMode = Steinberg::Vst::kRealtime;
        data.symbolicSampleSize = Steinberg::Vst::kSample32;
        data.numSamples = n;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        return processor->process (data) == Steinberg::kResultOk;
    }

private:
    Steinberg::Vst::IAudioProcessor* processor = nullptr;
};

struct LifecycleConfig
{
    double rate;
    int blockSize;
    bool operator== (const LifecycleConfig& o) const { return rate == o.rate && blockSize == o.blockSize; }
};

constexpr int kLifecycleChunk = 600;       // samples per "process" operation
constexpr int kLifecycleReferenceDepth = 4; // "process" operations compared after a reset

/** Fixed, far-from-default settings, so every stage of the signal path does something. */
const float kLifecycleSettings[][kNumParameters] = {
    { 0.2f, 1.0f, 0.5f, 0.25f, 0.6f, 1.0f, 0.0f, 0.7f, 0.0f, 0.0f },
    { 0.5f, 0.0f, 1.0f, 1.0f, 0.3f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f }, // attack and release AUTO, no drive
};

void fillLifecycleChunk (juce::AudioBuffer<float>& chunk)
{
    std::mt19937 rng (77);
    std::uniform_real_distribution<float> noise (-0.9f, 0.9f);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < chunk.getNumSamples(); ++i)
            chunk.setSample (c, i, noise (rng) * (i < kLifecycleChunk / 2 ? 1.0f : 0.05f));
}

/** Processes one chunk in blocks of the configured size, through the host or directly. */
void processChunk (juce::AudioPluginInstance& instance, RawProcessor* raw, juce::AudioBuffer<float>& chunk, int blockSize)
{
    juce::MidiBuffer midi;
    for (int start = 0; start < chunk.getNumSamples(); start += blockSize)
    {
        const int n = std::min (blockSize, chunk.getNumSamples() - start);
        juce::AudioBuffer<float> view (chunk.getArrayOfWritePointers(), 2, start, n);
        if (raw != nullptr)
            failures.check (raw->process (view.getArrayOfWritePointers(), n), "direct process call refused");
        else
            instance.processBlock (view, midi);
    }
}

void applySettings (juce::AudioPluginInstance& instance, const float* settings, int blockSize)
{
    const auto parameters = parametersOf (instance);
    for (int p = 0; p < kNumParameters; ++p)
        parameters[(size_t) p]->setValue (settings[p]);

    // The host hands new values over with the next block.
    juce::AudioBuffer<float> buffer (2, blockSize);
    buffer.clear();
    juce::MidiBuffer midi;
    instance.processBlock (buffer, midi);
}

struct LifecycleTotals
{
    long operations = 0, prepares = 0, releases = 0, processes = 0, processesAfterRelease = 0, compared = 0;
} lifecycle;

void runLifecycle (Host& host, const Options& options)
{
    const std::pair<LifecycleConfig, LifecycleConfig> pairs[] = {
        { { 44100.0, 1 }, { 192000.0, 1024 } },
        { { 48000.0, 512 }, { 96000.0, 250 } },
        { { 96000.0, 64 }, { 44100.0, 32 } },
        { { 192000.0, 32 }, { 48000.0, 1024 } },
    };
    const int pairCount = options.quick ? 2 : 4;

    enum Op { prepareA, prepareB, release, process };
    const auto sequence = deBruijn (4, 3);

    juce::AudioBuffer<float> input (2, kLifecycleChunk);
    fillLifecycleChunk (input);

    for (int pi = 0; pi < pairCount; ++pi)
    {
        const auto& pair = pairs[pi];
        const float* settings = kLifecycleSettings[pi % 2];
        const std::string where = "prepare/release orders " + std::to_string ((int) pair.first.rate) + "/"
                                  + std::to_string (pair.first.blockSize) + " and " + std::to_string ((int) pair.second.rate)
                                  + "/" + std::to_string (pair.second.blockSize);

        // What a fresh preparation gives for each configuration: the reference.
        std::map<int, std::vector<juce::AudioBuffer<float>>> reference;
        for (int which = 0; which < 2; ++which)
        {
            const auto config = which == 0 ? pair.first : pair.second;
            auto fresh = host.load (config.rate, config.blockSize);
            if (fresh == nullptr)
                return;
            applySettings (*fresh, settings, config.blockSize);
            fresh->releaseResources();
            fresh->prepareToPlay (config.rate, config.blockSize);
            for (int k = 0; k < kLifecycleReferenceDepth; ++k)
            {
                juce::AudioBuffer<float> chunk (input);
                processChunk (*fresh, nullptr, chunk, config.blockSize);
                reference[which].push_back (chunk);
            }
        }

        auto instance = host.load (pair.first.rate, pair.first.blockSize);
        if (instance == nullptr)
            return;
        applySettings (*instance, settings, pair.first.blockSize);
        RawProcessor raw (*instance);
        failures.check (raw.ok(), "%s: the component has no audio processor interface", where.c_str());
        if (! raw.ok())
            return;

        bool active = true;
        int current = 0;    // 0: pair.first, 1: pair.second
        int sinceReset = -1; // process operations since the plug-in's state was last cleared; -1: unknown
        SampleFaults faults;
        faults.checkBypassPassesInput = true;

        for (size_t step = 0; step < sequence.size(); ++step)
        {
            const int op = sequence[step];
            ++lifecycle.operations;

            if (op == prepareA || op == prepareB)
            {
                const int target = op == prepareA ? 0 : 1;
                const auto config = target == 0 ? pair.first : pair.second;
                // JUCE's hosting skips a prepare with unchanged settings while active.
                if (! (active && target == current))
                    sinceReset = 0;
                instance->prepareToPlay (config.rate, config.blockSize);
                active = true;
                current = target;
                ++lifecycle.prepares;
            }
            else if (op == release)
            {
                if (active)
                    sinceReset = 0;
                instance->releaseResources();
                active = false;
                ++lifecycle.releases;
            }
            else
            {
                const auto config = current == 0 ? pair.first : pair.second;
                juce::AudioBuffer<float> chunk (input);
                processChunk (*instance, active ? nullptr : &raw, chunk, config.blockSize);
                ++lifecycle.processes;
                lifecycle.processesAfterRelease += active ? 0 : 1;

                faults.restart();
                faults.check (input.getArrayOfReadPointers(), chunk.getArrayOfReadPointers(), kLifecycleChunk, false, (long) step);
                if (sinceReset >= 0 && sinceReset < kLifecycleReferenceDepth)
                {
                    faults.compare (chunk.getArrayOfReadPointers(), reference[current][(size_t) sinceReset].getArrayOfReadPointers(),
                                    kLifecycleChunk, (long) step);
                    ++lifecycle.compared;
                }
                if (sinceReset >= 0)
                    ++sinceReset;
            }
        }

        if (! active)
            instance->prepareToPlay (pair.first.rate, pair.first.blockSize);
        instance->releaseResources();
        faults.report (failures, where + " (block = operation number)");
        ++totals.cases;
    }
}

//==============================================================================
// Part 3: state saved and restored from a second thread while the audio thread processes.

/** The plug-in's own chunk inside the host's state, as (parameter ID, value text) pairs in order. */
std::vector<std::pair<juce::String, juce::String>> processorValues (const juce::MemoryBlock& hostState)
{
    std::vector<std::pair<juce::String, juce::String>> values;
    auto head = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize());
    if (head == nullptr)
        return values;
    auto* component = head->getChildByName ("IComponent");
    juce::MemoryBlock chunk;
    if (component == nullptr || ! chunk.fromBase64Encoding (component->getAllSubText()) || chunk.getSize() < 9)
        return values;

    const auto* bytes = static_cast<const uint8_t*> (chunk.getData());
    const uint32_t magic = (uint32_t) bytes[0] | (uint32_t) bytes[1] << 8 | (uint32_t) bytes[2] << 16 | (uint32_t) bytes[3] << 24;
    const uint32_t length = (uint32_t) bytes[4] | (uint32_t) bytes[5] << 8 | (uint32_t) bytes[6] << 16 | (uint32_t) bytes[7] << 24;
    if (magic != 0x21324356u || length + 8 > chunk.getSize())
        return values;

    if (auto xml = juce::parseXML (juce::String::fromUTF8 (reinterpret_cast<const char*> (bytes + 8), (int) length)))
        for (auto* param : xml->getChildWithTagNameIterator ("PARAM"))
            values.emplace_back (param->getStringAttribute ("id"), param->getStringAttribute ("value"));
    return values;
}

StateTotals stateTotals;

void runState (Host& host, const Options& options)
{
    const double rate = 96000.0;
    const int maxBlock = 768;
    const int stateCount = 8;

    // Reference states: random settings (bypass off), saved, restored into a second instance and
    // saved again there, so the values are the ones a restore produces.
    std::vector<juce::MemoryBlock> states;
    std::vector<std::array<float, kNumParameters>> hostValues;
    std::vector<std::vector<std::pair<juce::String, juce::String>>> chunkValues;
    {
        std::mt19937 rng (4242);
        auto scratch = host.load (rate, maxBlock);
        auto second = host.load (rate, maxBlock);
        if (scratch == nullptr || second == nullptr)
            return;
        for (int k = 0; k < stateCount; ++k)
        {
            float settings[kNumParameters];
            for (int p = 0; p < kNumParameters - 1; ++p)
                settings[p] = randomNormalised (rng);
            settings[kNumParameters - 1] = 0.0f;
            applySettings (*scratch, settings, maxBlock);

            juce::MemoryBlock first, again;
            scratch->getStateInformation (first);
            second->setStateInformation (first.getData(), (int) first.getSize());
            second->getStateInformation (again);

            std::array<float, kNumParameters> values {};
            for (int p = 0; p < kNumParameters; ++p)
                values[(size_t) p] = second->getParameters()[p]->getValue();

            failures.check (processorValues (first).size() == 9 && processorValues (first) == processorValues (again),
                            "state %d: saving, restoring and saving again changed the plug-in's values", k);
            states.push_back (again);
            hostValues.push_back (values);
            chunkValues.push_back (processorValues (again));
        }
    }

    auto instance = host.load (rate, maxBlock);
    if (instance == nullptr)
        return;

    std::atomic<bool> stop { false }, automate { true }, stateDone { false };
    std::atomic<long> blocksDone { 0 };

    Stream stream;
    stream.sampleRate = rate;
    stream.blockSize = 0;
    stream.maxBlock = maxBlock;
    stream.seed = 999;
    stream.automateBypass = false; // a restored state would switch it behind the stream's back
    stream.stop = &stop;
    stream.automate = &automate;
    stream.blocksDone = &blocksDone;

    std::thread audio ([&] { stream.run (*instance); });

    const double stressSeconds = options.quick ? 0.5 : 4.0;
    std::thread state ([&] {
        std::mt19937 rng (31);

        // Phase 1: save and restore as fast as the host allows while everything is automated.
        stressState (*instance, states, stressSeconds, rng, stateTotals);

        // Phase 2: automation stops (once the audio thread has handed its last values over),
        // audio keeps running; every restore must leave exactly the restored values.
        automate = false;
        waitForMoreBlocks (blocksDone, 2);

        for (int round = 0; round < 3; ++round)
        {
            for (size_t k = 0; k < states.size(); ++k)
            {
                instance->setStateInformation (states[k].getData(), (int) states[k].getSize());
                ++stateTotals.restores;

                // Let the audio thread run a few blocks on the restored values.
                waitForMoreBlocks (blocksDone, 3);

                for (int p = 0; p < kNumParameters; ++p)
                {
                    // A switch keeps the normalised value it was last automated to (JUCE's
                    // AudioParameterBool stores it unsnapped) when a restore leaves its state
                    // as it was; for switches the host's view must agree on the state.
                    const float value = instance->getParameters()[p]->getValue();
                    const float expected = hostValues[k][(size_t) p];
                    const bool isSwitch = p == 5 || p == 6 || p == kNumParameters - 1;
                    const bool same = isSwitch ? (value >= 0.5f) == (expected >= 0.5f) : value == expected;
                    failures.check (same, "state %zu restored while audio runs: host sees parameter %d = %.9g, expected %.9g",
                                    k, p, (double) value, (double) expected);
                }

                juce::MemoryBlock saved;
                instance->getStateInformation (saved);
                ++stateTotals.saves;
                failures.check (processorValues (saved) == chunkValues[k],
                                "state %zu restored while audio runs: the plug-in saves other values than it was given", k);
                ++stateTotals.exactChecks;
            }
        }
        stateDone = true;
    });

    pumpUntil (stateDone);
    state.join();
    stop = true;
    audio.join();
    instance->releaseResources();

    stream.faults.report (failures, "state from a second thread");
    ++totals.cases;
    totals.add (stream);
}

//==============================================================================
// The editor, opened and closed in a loop while audio runs.
struct EditorTotals
{
    long rounds = 0;
    LeakWatch leaks; // one sample per editor opened and closed
} editorTotals;

void runEditor (Host& host, const Options& options)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
    {
        failures.fail ("no display: run this part under Xvfb");
        return;
    }

    const double rate = 48000.0;
    const int maxBlock = 512;
    auto instance = host.load (rate, maxBlock);
    if (instance == nullptr)
        return;

    std::atomic<bool> stop { false };
    Stream stream;
    stream.sampleRate = rate;
    stream.blockSize = 0;
    stream.maxBlock = maxBlock;
    stream.seed = 4711;
    stream.stop = &stop;

    std::thread audio ([&] { stream.run (*instance); });

    // How long each window stays open: closed at once, after a few ticks of the meter, longer.
    const int openMilliseconds[] = { 0, 5, 40, 120, 1, 250 };
    const int rounds = options.quick ? 8 : 36;
    editorTotals.leaks.warmUp = 4;

    for (int round = 0; round < rounds; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (instance->createEditorIfNeeded());
        if (editor == nullptr)
        {
            failures.fail ("editor round %d: the plug-in gave no editor", round);
            break;
        }
        editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        editor->setVisible (true);
        pumpFor (openMilliseconds[round % 6]);

        failures.check (editor->getWidth() == 300 && editor->getHeight() == 610,
                        "editor round %d: window is %d x %d", round, editor->getWidth(), editor->getHeight());

        editor->setVisible (false);
        editor.reset();
        pumpFor (round % 3 == 0 ? 0 : 10);
        ++editorTotals.rounds;
        editorTotals.leaks.sample();
    }
    pumpFor (50);
    editorTotals.leaks.sample();
    editorTotals.leaks.check (failures, "opening and closing the editor", 16);

    stop = true;
    audio.join();
    instance->releaseResources();

    stream.faults.report (failures, "audio while the editor opens and closes");
    ++totals.cases;
    totals.add (stream);
}

//==============================================================================
void printSummary (const Options& options, bool headless, double seconds)
{
    if (totals.inProcess.total + totals.inAutomation.total > 0)
    {
        std::printf ("\nWhere the audio thread allocated (first call stacks; addr2line -f -C -e <object> <offset> names them):\n");
        allocations::printCapturedStacks();
    }

    std::printf ("\n==== Host torture summary (%s%s) ====\n", headless ? "headless" : "editor", options.quick ? ", quick" : "");
    std::printf ("cases run: %ld   blocks processed: %ld   samples: %ld   wall time: %.1f s\n",
                 totals.cases, totals.blocks, totals.samples, seconds);

    if (headless)
    {
        std::printf ("prepare/release orders: %ld operations (%ld prepares, %ld releases, %ld processes, %ld of them after a release without a new prepare), %ld renderings compared with a fresh preparation\n",
                     lifecycle.operations, lifecycle.prepares, lifecycle.releases, lifecycle.processes,
                     lifecycle.processesAfterRelease, lifecycle.compared);
        std::printf ("state from a second thread: %ld saves, %ld restores, %ld restores checked exact\n",
                     stateTotals.saves, stateTotals.restores, stateTotals.exactChecks);
        std::printf ("instances loaded, run and unloaded: %d; live heap blocks grew by %ld over the last %d\n",
                     instanceLeaks.samples, instanceLeaks.growth(), instanceLeaks.repetitions());
        printTimingTable ("worst block time / real-time budget through the VST3 wrapper (host + wrapper + processor), wall time:", caseRecords, false);
        printTimingTable ("the same as CPU time of the audio thread (without the moments it was not scheduled):", caseRecords, true);
        printTimingDetail (caseRecords);
    }
    else
    {
        std::printf ("editor opened and closed %ld times while audio ran; live heap blocks grew by %ld over the last %d rounds\n",
                     editorTotals.rounds, editorTotals.leaks.growth(), editorTotals.leaks.repetitions() - 1);
    }

    std::printf ("allocations on the audio thread (%s):\n", allocations::countsMalloc() ? "operator new and malloc" : "operator new only: sanitizer build");
    printTally ("inside processBlock (host, wrapper, processor):", totals.inProcess, "the bundle");
    std::printf ("  %-46s %7ld\n", "blocks in which anything was allocated:", totals.blocksThatAllocated);
    printTally ("in the host's automation calls:", totals.inAutomation, "the bundle");
    std::printf ("  (the bundle's code is JUCE's wrapper and framework and the processor; the processor itself\n"
                 "   is held to zero by vexa_torture_processor, so these are reported here, not failed)\n");
    std::printf ("failures: %ld\n", failures.failures());
}
} // namespace

int main (int argc, char** argv)
{
    const auto options = Options::parse (argc, argv);
    const bool headless = options.has ("--headless");
    const bool editor = options.has ("--editor");
    if (headless == editor)
    {
        std::fprintf (stderr, "usage: %s --headless|--editor [--quick]   (VEXA_TORTURE_QUICK=1 also selects quick)\n", argv[0]);
        return 2;
    }

    // JUCE installs an X error handler only inside a full application; a console host must.
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
    XSetIOErrorHandler ([] (Display*) { return 0; });
    juce::ScopedJuceInitialiser_GUI juce;

    failures.check (allocations::selfTest(), "the allocation counter does not see allocations");

    const auto start = Clock::now();
    {
        Host host;
        if (! host.ok)
            failures.fail ("no plug-in found in %s", bundle().getFullPathName().toRawUTF8());
        else if (headless)
        {
            runMatrix (host, options);
            runLifecycle (host, options);
            runState (host, options);
        }
        else
        {
            runEditor (host, options);
        }
        failures.check (! host.ok || host.moduleWatched, "the plug-in module was not found among the loaded objects");
    }

    printSummary (options, headless, secondsSince (start));
    return failures.failures() == 0 ? 0 : 1;
}
