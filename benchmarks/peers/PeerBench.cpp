// CPU cost of our built VST3 bundle against the stereo compressors Linux users already run,
// hosted side by side in one process through JUCE's VST3 and LV2 hosting.
//
// The same workload for every contender: 48 kHz stereo in blocks of 512, 60 s of seeded pink
// noise under drum-like bursts (benchmarks/common/Workload.h); settings as equal as the controls
// allow: threshold -20 dB, ratio 4:1, attack about 1 ms, release about 100 ms, RMS detection and
// stereo linking where offered. Repetitions are interleaved (each round runs every contender once,
// in a rotated order) and the median CPU time of the calling thread per second of audio is reported.
//
//   vexa_peer_bench [--repetitions N] [--seconds S] [--bundle "path/to/Vexa Compressor.vst3"]

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_events/juce_events.h>

#include "../common/Workload.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace
{
constexpr double kSampleRate = 48000.0;
constexpr int kBlockSize = 512;

double cpuSeconds (clockid_t clock)
{
    timespec t {};
    clock_gettime (clock, &t);
    return (double) t.tv_sec + 1.0e-9 * (double) t.tv_nsec;
}

/** A parameter setting: the parameter's ID (LV2: "sym:<port symbol>") or, for the VST3, its
    name; and the value as the plug-in's own text (units of the control, or a choice's label). */
struct Setting
{
    const char* parameter;
    const char* text;
};

struct ContenderSpec
{
    std::string label;
    std::string format;     // "VST3" or "LV2"
    std::string identifier; // bundle path or plug-in URI
    std::vector<Setting> settings;
    std::string notes;
};

struct Contender
{
    ContenderSpec spec;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    std::string error;
    juce::AudioBuffer<float> buffer;
    std::vector<double> threadSeconds, processSeconds;
    std::string appliedSettings;
    double inputSquares = 0.0, outputSquares = 0.0;
};

juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& instance, const juce::String& key)
{
    for (auto* p : instance.getParameters())
    {
        if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (p))
            if (hosted->getParameterID() == key)
                return p;
        if (p->getName (256) == key)
            return p;
    }
    return nullptr;
}

std::unique_ptr<juce::AudioPluginInstance> load (juce::AudioPluginFormatManager& formats, const ContenderSpec& spec, std::string& error)
{
    juce::PluginDescription description;

    if (spec.format == "VST3")
    {
        juce::OwnedArray<juce::PluginDescription> found;
        for (auto* format : formats.getFormats())
            if (format->getName() == "VST3")
                format->findAllTypesForFile (found, spec.identifier);
        if (found.isEmpty())
        {
            error = "no VST3 plug-in in " + spec.identifier;
            return nullptr;
        }
        description = *found.getFirst();
    }
    else
    {
        // Described directly: scanning by URI asserts in debug builds and is not needed.
        description.pluginFormatName = spec.format;
        description.fileOrIdentifier = spec.identifier;
        description.name = spec.label;
    }

    juce::String message;
    auto instance = formats.createPluginInstance (description, kSampleRate, kBlockSize, message);
    if (instance == nullptr)
        error = message.isEmpty() ? "could not be instantiated" : message.toStdString();
    return instance;
}

bool prepare (Contender& c)
{
    auto& p = *c.instance;

    // Keep each plug-in's default bus layout (x42's channels are unlabelled; ZamCompX2 has one
    // 3-channel input bus with its side-chain last) and route by channel index.
    const int ins = p.getTotalNumInputChannels();
    const int outs = p.getTotalNumOutputChannels();
    if (ins < 2 || outs < 2)
    {
        c.error = "not a stereo plug-in (" + std::to_string (ins) + " in, " + std::to_string (outs) + " out)";
        return false;
    }
    p.setPlayConfigDetails (ins, outs, kSampleRate, kBlockSize);
    p.prepareToPlay (kSampleRate, kBlockSize);
    c.buffer.setSize (std::max (ins, outs), kBlockSize);
    c.buffer.clear();

    // After prepareToPlay: JUCE's LV2 host re-instantiates the plug-in there.
    for (const auto& s : c.spec.settings)
    {
        auto* parameter = findParameter (p, s.parameter);
        if (parameter == nullptr)
        {
            c.error = std::string ("no parameter ") + s.parameter;
            return false;
        }
        parameter->setValueNotifyingHost (parameter->getValueForText (s.text));
    }

    // One block delivers the parameter changes, then read them back as the plug-in shows them.
    juce::MidiBuffer midi;
    p.processBlock (c.buffer, midi);

    std::string applied;
    for (const auto& s : c.spec.settings)
    {
        const juce::String key (s.parameter);
        const auto shown = key.startsWith ("sym:") ? key.substring (4) : key;
        applied += (applied.empty() ? "" : ", ") + shown.toStdString() + "="
                   + findParameter (p, key)->getCurrentValueAsText().toStdString();
    }
    c.appliedSettings = applied;
    return true;
}

/** Processes the whole workload once; returns {thread CPU s, process CPU s}. */
std::pair<double, double> run (Contender& c, const vexa_bench::StereoSignal& signal, bool measureLevels)
{
    juce::MidiBuffer midi;
    auto& buffer = c.buffer;
    auto& p = *c.instance;
    const int numBlocks = signal.numFrames() / kBlockSize;
    const int numChannels = buffer.getNumChannels();
    double in = 0.0, out = 0.0;

    const double thread0 = cpuSeconds (CLOCK_THREAD_CPUTIME_ID);
    const double process0 = cpuSeconds (CLOCK_PROCESS_CPUTIME_ID);

    for (int b = 0; b < numBlocks; ++b)
    {
        const size_t offset = (size_t) b * kBlockSize;
        std::memcpy (buffer.getWritePointer (0), signal.left.data() + offset, sizeof (float) * kBlockSize);
        std::memcpy (buffer.getWritePointer (1), signal.right.data() + offset, sizeof (float) * kBlockSize);
        for (int ch = 2; ch < numChannels; ++ch)
            buffer.clear (ch, 0, kBlockSize); // a silent side-chain

        if (measureLevels)
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < kBlockSize; ++i)
                    in += (double) buffer.getSample (ch, i) * buffer.getSample (ch, i);

        p.processBlock (buffer, midi);

        if (measureLevels)
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < kBlockSize; ++i)
                    out += (double) buffer.getSample (ch, i) * buffer.getSample (ch, i);
    }

    const double thread1 = cpuSeconds (CLOCK_THREAD_CPUTIME_ID);
    const double process1 = cpuSeconds (CLOCK_PROCESS_CPUTIME_ID);

    if (measureLevels)
    {
        c.inputSquares = in;
        c.outputSquares = out;
    }
    return { thread1 - thread0, process1 - process0 };
}

double median (std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort (v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::string readFirstLine (const char* path, const char* prefix)
{
    std::ifstream file (path);
    std::string line;
    while (std::getline (file, line))
        if (line.rfind (prefix, 0) == 0)
            return line.substr (line.find (':') + 2);
    return {};
}

std::string loadAverage()
{
    std::ifstream file ("/proc/loadavg");
    std::string a, b, c;
    file >> a >> b >> c;
    return a + " " + b + " " + c;
}

std::vector<ContenderSpec> contenders (const std::string& bundle)
{
    const std::vector<Setting> ours = { { "Threshold", "-20" }, { "Ratio", "4:1" }, { "Attack", "1ms" }, { "Release", "0.1s" },
                                        { "Makeup", "0" }, { "SC HPF", "Off" }, { "Stereo Link", "On" } };
    auto withDrive = [&] (const char* drive)
    {
        auto s = ours;
        s.push_back ({ "Drive", drive });
        return s;
    };

    return {
        { "Vexa Compressor, drive 0", "VST3", bundle, withDrive ("0"), "RMS (10 ms), link on, 2x oversampled" },
        { "Vexa Compressor, drive 100", "VST3", bundle, withDrive ("100"), "as above, waveshaper on" },
        // LSP: thresholds are linear gain (0.1 = -20 dB); RMS side-chain, source "Max" of the channels.
        { "LSP Compressor Stereo", "LV2", "http://lsp-plug.in/plugins/lv2/compressor_stereo",
          { { "sym:cm", "Down" }, { "sym:sct", "Feed-forward" }, { "sym:scm", "RMS" }, { "sym:scs", "Max" },
            { "sym:al", "0.1" }, { "sym:cr", "4" }, { "sym:at", "1" }, { "sym:rt", "100" },
            { "sym:kn", "0.501187" }, { "sym:mk", "1" } },
          "RMS, source max(L,R), knee -6 dB" },
        // Calf: threshold linear gain; knee as a gain ratio (2 = 6 dB); link by the maximum.
        { "Calf Compressor", "LV2", "http://calf.sourceforge.net/plugins/Compressor",
          { { "sym:threshold", "0.1" }, { "sym:ratio", "4" }, { "sym:attack", "1" }, { "sym:release", "100" },
            { "sym:knee", "2" }, { "sym:makeup", "1" }, { "sym:detection", "RMS" }, { "sym:stereo_link", "Maximum" } },
          "RMS, link maximum, knee 6 dB" },
        // x42: threshold in dB, times in seconds, ratio 0..1 (0.75 = 4:1); its detector is RMS-like and fixed.
        { "x42 darc (stereo)", "LV2", "http://gareus.org/oss/lv2/darc#stereo",
          { { "sym:threshold", "-20" }, { "sym:Ratio", "0.75" }, { "sym:attack", "0.001" }, { "sym:release", "0.1" },
            { "sym:inputgain", "0" }, { "sym:hold", "0" } },
          "fixed detector, no knee control" },
        // Zam: threshold and knee in dB, times in ms; no RMS switch; stereo detection left at its default.
        { "ZamCompX2", "LV2", "urn:zamaudio:ZamCompX2",
          { { "sym:thr", "-20" }, { "sym:rat", "4" }, { "sym:att", "1" }, { "sym:rel", "100" }, { "sym:kn", "6" },
            { "sym:mak", "0" }, { "sym:slew", "1" }, { "sym:sidechain", "0" } },
          "peak detector (no RMS option), knee 6 dB, silent side-chain input" },
    };
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    int repetitions = 15;
    double seconds = 60.0;
    std::string bundle = VEXA_VST3_BUNDLE;
    if (auto* path = std::getenv ("VEXA_VST3_BUNDLE"))
        bundle = path;

    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        if (a == "--repetitions" && i + 1 < argc)
            repetitions = std::max (1, std::atoi (argv[++i]));
        else if (a == "--seconds" && i + 1 < argc)
            seconds = std::max (1.0, std::atof (argv[++i]));
        else if (a == "--bundle" && i + 1 < argc)
            bundle = argv[++i];
        else
        {
            std::fprintf (stderr, "usage: %s [--repetitions N] [--seconds S] [--bundle path]\n", argv[0]);
            return 2;
        }
    }

    juce::AudioPluginFormatManager formats;
    formats.addFormat (new juce::VST3PluginFormat());
    formats.addFormat (new juce::LV2PluginFormat());

    const auto signal = vexa_bench::makeWorkload (kSampleRate, seconds);
    const std::string loadBefore = loadAverage();

    std::vector<Contender> all;
    for (auto& spec : contenders (bundle))
    {
        Contender c;
        c.spec = spec;
        c.instance = load (formats, spec, c.error);
        if (c.instance != nullptr && ! prepare (c))
            c.instance.reset();
        if (c.instance == nullptr)
            std::fprintf (stderr, "%s: %s\n", spec.label.c_str(), c.error.c_str());
        else
            std::fprintf (stderr, "%s: %s\n", spec.label.c_str(), c.appliedSettings.c_str());
        all.push_back (std::move (c));
    }

    std::vector<Contender*> running;
    for (auto& c : all)
        if (c.instance != nullptr)
            running.push_back (&c);

    // A first pass of each settles the plug-ins and the caches, and measures the levels.
    for (auto* c : running)
        run (*c, signal, true);

    // Interleaved rounds, each in a rotated order so no contender always follows the same one.
    for (int r = 0; r < repetitions; ++r)
    {
        for (size_t k = 0; k < running.size(); ++k)
        {
            auto* c = running[(k + (size_t) r) % running.size()];
            const auto [thread, process] = run (*c, signal, false);
            c->threadSeconds.push_back (thread);
            c->processSeconds.push_back (process);
        }
        std::fprintf (stderr, "round %d/%d done\r", r + 1, repetitions);
    }
    std::fprintf (stderr, "\n");

    const std::string loadAfter = loadAverage();
    const double audioSeconds = (double) (signal.numFrames() / kBlockSize * kBlockSize) / kSampleRate;
    const double framesPerRun = audioSeconds * kSampleRate;

    auto msPerSecond = [&] (const Contender& c) { return 1000.0 * median (c.threadSeconds) / audioSeconds; };
    const double oursDrive0 = all.size() > 0 && all[0].instance ? msPerSecond (all[0]) : 0.0;
    const double oursDrive100 = all.size() > 1 && all[1].instance ? msPerSecond (all[1]) : 0.0;

    double inputSquares = 0.0;
    for (int i = 0; i < signal.numFrames(); ++i)
        inputSquares += (double) signal.left[(size_t) i] * signal.left[(size_t) i] + (double) signal.right[(size_t) i] * signal.right[(size_t) i];
    const double inputRmsDb = 10.0 * std::log10 (inputSquares / (2.0 * signal.numFrames()));

    std::printf ("\n#### CPU cost side by side: 48 kHz stereo, block %d, %.0f s of pink noise with drum bursts (%.1f dBFS RMS)\n\n",
                 kBlockSize, audioSeconds, inputRmsDb);
    std::printf ("| plug-in | format | CPU ms per s of audio (median) | ns per stereo frame | spread (min..max ms/s) | peer / ours drive 0 | peer / ours drive 100 | output / input RMS | notes |\n");
    std::printf ("|---|---|---:|---:|---:|---:|---:|---:|---|\n");

    for (const auto& c : all)
    {
        if (c.instance == nullptr)
        {
            std::printf ("| %s | %s | n/a | | | | | | %s |\n", c.spec.label.c_str(), c.spec.format.c_str(), c.error.c_str());
            continue;
        }
        const double ms = msPerSecond (c);
        const double ns = 1.0e9 * median (c.threadSeconds) / framesPerRun;
        const auto [lo, hi] = std::minmax_element (c.threadSeconds.begin(), c.threadSeconds.end());
        const double levelDb = 10.0 * std::log10 (std::max (c.outputSquares, 1e-30) / std::max (c.inputSquares, 1e-30));
        std::string notes = c.spec.notes;
        const double offThread = median (c.processSeconds) - median (c.threadSeconds);
        if (offThread > 0.05 * median (c.threadSeconds))
            notes += "; other threads used " + std::to_string ((int) std::lround (1000.0 * offThread / audioSeconds)) + " ms/s";
        std::printf ("| %s | %s | %.2f | %.1f | %.2f..%.2f | %.2f | %.2f | %+.1f dB | %s |\n",
                     c.spec.label.c_str(), c.spec.format.c_str(), ms, ns,
                     1000.0 * *lo / audioSeconds, 1000.0 * *hi / audioSeconds,
                     oursDrive0 > 0.0 ? ms / oursDrive0 : 0.0, oursDrive100 > 0.0 ? ms / oursDrive100 : 0.0,
                     levelDb, notes.c_str());
    }

    std::printf ("\nSettings as the plug-ins report them:\n\n");
    for (const auto& c : all)
        if (c.instance != nullptr)
            std::printf ("- %s: %s\n", c.spec.label.c_str(), c.appliedSettings.c_str());

    std::printf ("\nMachine: %s, %d logical CPUs; load average %s before, %s after; %d interleaved rounds.\n",
                 readFirstLine ("/proc/cpuinfo", "model name").c_str(), juce::SystemStats::getNumCpus(),
                 loadBefore.c_str(), loadAfter.c_str(), repetitions);
    return 0;
}
