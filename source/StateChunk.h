#pragma once

#include <juce_core/juce_core.h>

/** Reading the processor's state chunk: magic "VC2!", 32-bit text length, XML text, zero byte. */
namespace StateChunk
{
/** Elements nested deeper than this are refused unread: our own documents nest two levels,
    and a hostile chunk must not exhaust a host thread's stack in the recursive parser. */
constexpr int maxElementDepth = 64;

/** The XML document of a chunk, or null when the chunk is not a readable one. */
std::unique_ptr<juce::XmlElement> parse (const void* data, int sizeInBytes);

/** The deepest element nesting that the text's tags would build, counted without parsing. */
int elementDepth (juce::StringRef xmlText) noexcept;
} // namespace StateChunk
