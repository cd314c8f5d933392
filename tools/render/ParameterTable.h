#pragma once

#include "RenderOptions.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

namespace vexa::render
{
/** The hosted plug-in's parameters under the IDs a user types.

    A hosted VST3 parameter is known to JUCE only by its numeric VST3 ID. The plug-in's
    wrapper derives that number from the parameter's string ID (String::hashCode with the
    top bit cleared), so the table finds `threshold` by hashing it. The plug-in's own IDs
    are matched ignoring case and are shown by name; the wrapper's bypass switch is "bypass";
    any other parameter is shown and found by its number. */
class ParameterTable
{
public:
    explicit ParameterTable (juce::AudioPluginInstance& instance);

    struct Entry
    {
        juce::String id;
        juce::AudioProcessorParameter* parameter;
    };

    const std::vector<Entry>& entries() const noexcept { return table; }

    /** nullptr if no parameter has this ID. */
    juce::AudioProcessorParameter* find (const juce::String& id) const;

    /** The normalised value that `text` stands for: a value text of the parameter (any case),
        a number in the parameter's unit, optionally followed by its label, or for a choice
        or switch its index. Throws RenderError for an unknown ID or value or a value out of range. */
    float normalisedValue (const juce::String& id, const juce::String& text) const;

    /** Resolves every assignment first, then sets them in order, so that a bad one sets nothing. */
    void apply (const std::vector<ParameterAssignment>& assignments) const;

    /** The current value of a parameter in its unit, or `fallback` if there is no such numeric parameter. */
    double currentNumber (const juce::String& id, double fallback) const;

    /** "-20.0 dBFS", "4:1". */
    static juce::String valueText (juce::AudioProcessorParameter& parameter, float normalised);

    /** "-40.0 .. 0.0 dBFS" or "2:1 | 4:1 | 10:1". */
    static juce::String rangeText (juce::AudioProcessorParameter& parameter);

private:
    std::vector<Entry> table;
};

/** The VST3 parameter number that JUCE's wrapper gives a parameter with this string ID. */
juce::uint32 vst3ParameterNumber (const juce::String& stringId);
} // namespace vexa::render
