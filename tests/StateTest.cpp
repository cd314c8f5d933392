#include <gtest/gtest.h>

#include "StateChunk.h"
#include "TestSupport.h"

#include <chrono>

using namespace vexa_test;

// The state chunk: its bytes, what restores, what is refused, and a fuzz of mutated chunks.

namespace
{
const char* const ids[] = { "threshold", "ratio", "attack", "release", "makeup", "scHPF", "stereoLink", "drive", "meterMode" };

std::vector<float> valuesOf (VexaProcessor& p)
{
    std::vector<float> values;
    for (auto* id : ids)
        values.push_back (parameterValue (p, id));
    return values;
}

juce::MemoryBlock chunkOf (VexaProcessor& p)
{
    juce::MemoryBlock block;
    p.getStateInformation (block);
    return block;
}

/** A chunk around the given text, with the length field set to the text's size unless overridden. */
juce::MemoryBlock makeChunk (const juce::String& text, std::optional<int32_t> lengthField = {}, uint32_t magic = 0x21324356)
{
    juce::MemoryOutputStream out;
    out.writeInt ((int) magic);
    out.writeInt (lengthField.value_or ((int32_t) text.getNumBytesAsUTF8()));
    out << text;
    out.writeByte (0);
    return out.getMemoryBlock();
}

juce::String document (const juce::String& root, const juce::String& children)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <" + root + ">" + children + "</" + root + ">";
}

juce::String param (const char* id, const char* value)
{
    return juce::String ("<PARAM id=\"") + id + "\" value=\"" + value + "\"/>";
}

void restore (VexaProcessor& p, const juce::MemoryBlock& chunk)
{
    p.setStateInformation (chunk.getData(), (int) chunk.getSize());
}
} // namespace

TEST (StateChunk, FreshInstanceWritesTheDocumentedBytes)
{
    VexaProcessor p;
    const auto chunk = chunkOf (p);
    const auto* bytes = static_cast<const uint8_t*> (chunk.getData());
    const auto size = chunk.getSize();

    ASSERT_GT (size, 9u);
    EXPECT_EQ (bytes[0], 0x56);
    EXPECT_EQ (bytes[1], 0x43);
    EXPECT_EQ (bytes[2], 0x32);
    EXPECT_EQ (bytes[3], 0x21);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), (uint32_t) (size - 9));
    EXPECT_EQ (bytes[size - 1], 0);

    const juce::String text (juce::CharPointer_UTF8 ((const char*) bytes + 8), size - 9);
    const juce::String expected = document ("Parameters",
        param ("attack", "2.0") + param ("drive", "0.0") + param ("makeup", "0.0") + param ("meterMode", "1.0")
        + param ("ratio", "1.0") + param ("release", "4.0") + param ("scHPF", "0.0") + param ("stereoLink", "1.0")
        + param ("threshold", "-10.0"));
    EXPECT_EQ (text, expected);
    EXPECT_FALSE (text.containsChar ('\n'));
}

TEST (StateChunk, RoundTripRestoresEveryValueExactly)
{
    VexaProcessor source;
    const float values[] = { -23.4f, 2.0f, 6.0f, 0.0f, 7.7f, 1.0f, 0.0f, 33.3f, 0.0f };
    for (int i = 0; i < 9; ++i)
        setParameter (source, ids[i], values[i]);

    VexaProcessor target;
    restore (target, chunkOf (source));
    EXPECT_EQ (valuesOf (target), valuesOf (source));

    // Saving again changes nothing, and the fresh target's chunk equals the source's.
    EXPECT_EQ (chunkOf (target), chunkOf (source));
}

TEST (StateChunk, RefusalsAndAcceptancesOfRestore)
{
    const auto full = document ("Parameters", param ("threshold", "-20") + param ("ratio", "2"));

    struct Case
    {
        const char* name;
        juce::MemoryBlock chunk;
        std::vector<std::pair<const char*, float>> expected; // empty: nothing may change
    };

    const auto truncated = [] (juce::MemoryBlock block, size_t size) { block.setSize (size); return block; };

    const Case cases[] = {
        { "valid", makeChunk (full), { { "threshold", -20.0f }, { "ratio", 2.0f } } },
        { "eight bytes only", truncated (makeChunk (full), 8), {} },
        { "empty", juce::MemoryBlock(), {} },
        { "magic bytes reversed", makeChunk (full, {}, 0x56433221), {} },
        { "length zero", makeChunk (full, 0), {} },
        { "length negative", makeChunk (full, -5), {} },
        { "not XML", makeChunk ("this is not xml at all"), {} },
        { "no element", makeChunk ("<?xml version=\"1.0\"?>"), {} },
        { "other root", makeChunk (document ("Settings", param ("threshold", "-20"))), {} },
        { "root in lower case", makeChunk (document ("parameters", param ("threshold", "-20"))), { { "threshold", -20.0f } } },
        { "length beyond the chunk", makeChunk (full, 1 << 30), { { "threshold", -20.0f }, { "ratio", 2.0f } } },
        { "length cuts the text", makeChunk (full, 20), {} },
        { "out of range clamped", makeChunk (document ("Parameters", param ("threshold", "5") + param ("ratio", "7") + param ("drive", "-9"))),
          { { "threshold", 0.0f }, { "ratio", 2.0f }, { "drive", 0.0f } } },
        { "switch snapped", makeChunk (document ("Parameters", param ("scHPF", "0.8"))), { { "scHPF", 1.0f } } },
        { "unknown ids ignored", makeChunk (document ("Parameters", param ("volume", "3") + param ("makeup", "4"))), { { "makeup", 4.0f } } },
        { "missing value sets default", makeChunk (document ("Parameters", "<PARAM id=\"stereoLink\"/>")), { { "stereoLink", 1.0f } } },
        { "not a number keeps the value", makeChunk (document ("Parameters", param ("drive", "nan") + param ("makeup", "2"))), { { "drive", 50.0f }, { "makeup", 2.0f } } },
        { "too deep", makeChunk (document ("Parameters", juce::String ("<a>").repeatedString ("<a>", 200) + "</a>")), {} },
    };

    for (const auto& c : cases)
    {
        VexaProcessor p;
        setParameter (p, "stereoLink", 0.0f);
        setParameter (p, "drive", 50.0f);
        auto before = valuesOf (p);
        restore (p, c.chunk);
        auto after = valuesOf (p);

        if (c.expected.empty())
        {
            EXPECT_EQ (after, before) << c.name;
            continue;
        }
        for (auto [id, value] : c.expected)
            EXPECT_NEAR (parameterValue (p, id), value, 1e-4) << c.name << ": " << id;

        // Parameters the document does not mention keep their values.
        for (int i = 0; i < 9; ++i)
        {
            const bool mentioned = std::any_of (c.expected.begin(), c.expected.end(), [&] (auto& e) { return juce::String (e.first) == ids[i]; });
            if (! mentioned)
                EXPECT_EQ (after[(size_t) i], before[(size_t) i]) << c.name << ": " << ids[i];
        }
    }
}

TEST (StateChunk, AcceptedDocumentKeepsItsExtrasAndTagForTheNextSave)
{
    VexaProcessor p;
    restore (p, makeChunk (document ("parameters", param ("volume", "3") + param ("makeup", "4"))));
    const auto chunk = chunkOf (p);
    const juce::String text (juce::CharPointer_UTF8 ((const char*) chunk.getData() + 8), chunk.getSize() - 9);
    EXPECT_TRUE (text.contains ("<parameters>"));
    EXPECT_TRUE (text.contains ("id=\"volume\""));
    EXPECT_TRUE (text.contains ("id=\"threshold\""));

    VexaProcessor q;
    restore (q, chunk);
    EXPECT_EQ (valuesOf (q), valuesOf (p));
}

TEST (StateChunk, ElementDepthIsCountedWithoutParsing)
{
    EXPECT_EQ (StateChunk::elementDepth (document ("Parameters", param ("a", "1"))), 2);
    EXPECT_EQ (StateChunk::elementDepth ("<a><b><c/></b><d></d></a>"), 3);
    EXPECT_EQ (StateChunk::elementDepth ("<!-- c --><?pi?><a/>"), 1);
    EXPECT_EQ (StateChunk::elementDepth (""), 0);
}

//==============================================================================
namespace
{
/** Mutates valid chunks in the ways a damaged file or a hostile host would. */
juce::MemoryBlock mutate (const juce::MemoryBlock& valid, std::mt19937& rng)
{
    auto chunk = valid;
    auto* bytes = static_cast<uint8_t*> (chunk.getData());
    auto pick = [&] (size_t n) { return std::uniform_int_distribution<size_t> (0, n - 1) (rng); };

    switch (pick (8))
    {
        case 0: // bit flips
            for (size_t k = 0, n = 1 + pick (8); k < n; ++k)
                bytes[pick (chunk.getSize())] ^= (uint8_t) (1u << pick (8));
            break;
        case 1: // truncation
            chunk.setSize (pick (chunk.getSize() + 1));
            break;
        case 2: // length field
        {
            const int32_t lengths[] = { 0, -1, 1, 7, (int32_t) chunk.getSize(), INT32_MAX, INT32_MIN, (int32_t) pick (4096) };
            const int32_t length = lengths[pick (8)];
            std::memcpy (bytes + 4, &length, 4);
            break;
        }
        case 3: // random bytes in the text
            for (size_t k = 0, n = 1 + pick (32); k < n; ++k)
                bytes[8 + pick (chunk.getSize() - 8)] = (uint8_t) pick (256);
            break;
        case 4: // a random value text
        {
            const char* values[] = { "nan", "inf", "-inf", "1e309", "-1e309", "", "abc", "0x10", "99999999999999999999", "-0", "1.5", "2.5" };
            auto text = document ("Parameters", param (ids[pick (9)], values[pick (12)]) + param (ids[pick (9)], values[pick (12)]));
            chunk = makeChunk (text);
            break;
        }
        case 5: // deep nesting
        {
            const int depth = (int) pick (100000);
            chunk = makeChunk (document ("Parameters", juce::String ("<x>").repeatedString ("<x>", depth)));
            break;
        }
        case 6: // huge attribute or many elements
        {
            juce::String children;
            if (pick (2) == 0)
                children = "<PARAM id=\"drive\" value=\"" + juce::String::repeatedString ("9", (int) pick (200000)) + "\"/>";
            else
                children = juce::String::repeatedString (param ("makeup", "3"), (int) pick (5000));
            chunk = makeChunk (document ("Parameters", children));
            break;
        }
        default: // random bytes behind a valid header
            chunk.setSize (8 + pick (512));
            for (size_t i = 8; i < chunk.getSize(); ++i)
                static_cast<uint8_t*> (chunk.getData())[i] = (uint8_t) pick (256);
            break;
    }
    return chunk;
}

/** What a restore must leave: the old values unless the chunk is a readable document, else what it says. */
std::vector<float> expectedAfter (const juce::MemoryBlock& chunk, const std::vector<float>& before)
{
    auto xml = StateChunk::parse (chunk.getData(), (int) chunk.getSize());
    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase ("Parameters"))
        return before;

    VexaProcessor reference;
    for (int i = 0; i < 9; ++i)
        setParameter (reference, ids[i], before[(size_t) i]);
    for (auto* child : xml->getChildIterator())
        if (auto* parameter = reference.apvts.getParameter (child->getStringAttribute ("id")))
        {
            const auto index = (size_t) (std::find_if (std::begin (ids), std::end (ids), [&] (auto* id) { return child->getStringAttribute ("id") == id; }) - std::begin (ids));
            float plain = child->hasAttribute ("value") ? (float) child->getDoubleAttribute ("value")
                                                        : parameter->convertFrom0to1 (parameter->getDefaultValue());
            if (std::isnan (plain)) // not a number: the value from before the restore stands
                plain = before[index];
            parameter->setValueNotifyingHost (parameter->convertTo0to1 (plain));
        }
    return valuesOf (reference);
}

void fuzz (int count, uint32_t seed)
{
    std::mt19937 rng (seed);
    VexaProcessor source;
    setParameter (source, "threshold", -31.5f);
    setParameter (source, "drive", 12.0f);
    const auto valid = chunkOf (source);

    VexaProcessor p;
    int applied = 0;
    for (int i = 0; i < count; ++i)
    {
        const auto chunk = mutate (valid, rng);
        setParameter (p, "makeup", (float) (i % 13));
        const auto before = valuesOf (p);
        const auto expected = expectedAfter (chunk, before);
        restore (p, chunk);
        const auto after = valuesOf (p);
        applied += after != before;
        for (size_t k = 0; k < 9; ++k)
            ASSERT_NEAR (after[k], expected[k], 1e-3) << "chunk " << i << " parameter " << ids[k] << ": "
                                                      << juce::String::fromUTF8 ((const char*) chunk.getData() + 8, (int) chunk.getSize() - 8).substring (0, 400);
    }
    std::printf ("fuzzed %d chunks, %d changed parameters\n", count, applied);
}
} // namespace

TEST (StateFuzz, MutatedChunksNeverCrashAndChangeOnlyWhatAValidDocumentSays)
{
    const char* env = std::getenv ("VEXA_FUZZ_CHUNKS");
    fuzz (env != nullptr ? std::atoi (env) : 3000, 1234);
}
