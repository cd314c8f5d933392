#include "StateChunk.h"

namespace StateChunk
{
namespace
{
constexpr juce::uint32 magicNumber = 0x21324356; // "VC2!" read little-endian
}

int elementDepth (juce::StringRef xmlText) noexcept
{
    int depth = 0, deepest = 0;
    auto p = xmlText.text;

    while (! p.isEmpty())
    {
        const auto c = p.getAndAdvance();

        if (c == '<')
        {
            const auto next = *p;

            if (next == '/')
                --depth;
            else if (next != '?' && next != '!')
                deepest = juce::jmax (deepest, ++depth);
        }
        else if (c == '/' && *p == '>')
        {
            --depth;
        }
    }

    return deepest;
}

std::unique_ptr<juce::XmlElement> parse (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8)
        return {};

    if (juce::ByteOrder::littleEndianInt (data) != magicNumber)
        return {};

    const auto textLength = static_cast<int> (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4)));

    if (textLength <= 0)
        return {};

    const auto text = juce::String::fromUTF8 (static_cast<const char*> (data) + 8,
                                              juce::jmin (sizeInBytes - 8, textLength));

    if (elementDepth (text) > maxElementDepth)
        return {};

    return juce::parseXML (text);
}
} // namespace StateChunk
