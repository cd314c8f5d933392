#include "ParameterTable.h"

#include "RenderError.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace vexa::render
{
namespace
{
// The plug-in's parameter IDs, in host order.
const char* const kPluginParameterIds[] = { "threshold", "ratio",  "attack", "release",  "makeup",
                                            "scHPF",     "stereoLink", "drive", "meterMode" };

const char* const kBypassId = "bypass";

juce::String hostedId (juce::AudioProcessorParameter& parameter)
{
    if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (&parameter))
        return hosted->getParameterID();
    return juce::String (parameter.getParameterIndex());
}

bool isChoice (juce::AudioProcessorParameter& parameter)
{
    const int steps = parameter.getNumSteps();
    return parameter.isDiscrete() && steps >= 2 && steps <= 1000;
}

juce::StringArray choiceTexts (juce::AudioProcessorParameter& parameter)
{
    juce::StringArray texts;
    const int steps = parameter.getNumSteps();
    for (int i = 0; i < steps; ++i)
        texts.add (parameter.getText ((float) i / (float) (steps - 1), 64).trim());
    return texts;
}

/** A number at the start of `text`, followed by nothing or by (the start of) `label`. */
std::optional<double> parseNumber (const juce::String& text, const juce::String& label)
{
    const auto utf8 = text.trim().toStdString();
    char* end = nullptr;
    const double value = std::strtod (utf8.c_str(), &end);
    if (end == utf8.c_str() || ! std::isfinite (value))
        return std::nullopt;

    const auto rest = juce::String (end).trim();
    if (rest.isNotEmpty() && ! (label.isNotEmpty() && label.startsWithIgnoreCase (rest)))
        return std::nullopt;
    return value;
}

std::optional<int> parseIndex (const juce::String& text)
{
    const auto trimmed = text.trim();
    const auto digits = trimmed.startsWithChar ('-') ? trimmed.substring (1) : trimmed;
    if (digits.isEmpty() || ! digits.containsOnly ("0123456789") || digits.length() > 9)
        return std::nullopt;
    return trimmed.getIntValue();
}

float choiceValue (juce::AudioProcessorParameter& parameter, const juce::String& id, const juce::String& text)
{
    const auto texts = choiceTexts (parameter);
    const float last = (float) (texts.size() - 1);

    const int matching = texts.indexOf (text.trim(), true);
    if (matching >= 0)
        return (float) matching / last;

    if (const auto index = parseIndex (text))
    {
        if (*index < 0 || *index >= texts.size())
            throw RenderError (id + ": index " + juce::String (*index) + " is out of range 0.." + juce::String (texts.size() - 1)
                               + " (" + texts.joinIntoString (" | ") + ")");
        return (float) *index / last;
    }

    throw RenderError (id + ": unknown value '" + text + "'; choose " + texts.joinIntoString (" | ")
                       + " or an index 0.." + juce::String (texts.size() - 1));
}

float continuousValue (juce::AudioProcessorParameter& parameter, const juce::String& id, const juce::String& text)
{
    const auto label = parameter.getLabel();
    const auto number = parseNumber (text, label);
    if (! number.has_value())
        throw RenderError (id + ": '" + text + "' is not a number" + (label.isNotEmpty() ? " in " + label : juce::String()));

    const auto low = parseNumber (parameter.getText (0.0f, 64), {});
    const auto high = parseNumber (parameter.getText (1.0f, 64), {});
    if (low.has_value() && high.has_value())
    {
        const double tolerance = 1.0e-6 * std::abs (*high - *low);
        if (*number < juce::jmin (*low, *high) - tolerance || *number > juce::jmax (*low, *high) + tolerance)
            throw RenderError (id + ": " + text.trim() + " is out of range " + ParameterTable::rangeText (parameter));
    }

    const float normalised = parameter.getValueForText (juce::String (*number));
    if (! (normalised >= 0.0f && normalised <= 1.0f))
        throw RenderError (id + ": the plug-in does not take " + text.trim());
    return normalised;
}
} // namespace

juce::uint32 vst3ParameterNumber (const juce::String& stringId)
{
    return (juce::uint32) stringId.hashCode() & 0x7fffffffu;
}

ParameterTable::ParameterTable (juce::AudioPluginInstance& instance)
{
    auto* bypass = instance.getBypassParameter();

    for (auto* parameter : instance.getParameters())
    {
        auto id = hostedId (*parameter);

        if (parameter == bypass)
            id = kBypassId;
        else
            for (auto* known : kPluginParameterIds)
                if (id == juce::String (vst3ParameterNumber (known)))
                    id = known;

        table.push_back ({ id, parameter });
    }
}

juce::AudioProcessorParameter* ParameterTable::find (const juce::String& id) const
{
    const auto wanted = id.trim();
    for (const auto& entry : table)
        if (entry.id.equalsIgnoreCase (wanted) || hostedId (*entry.parameter) == wanted
            || hostedId (*entry.parameter) == juce::String (vst3ParameterNumber (wanted)))
            return entry.parameter;
    return nullptr;
}

float ParameterTable::normalisedValue (const juce::String& id, const juce::String& text) const
{
    auto* parameter = find (id);
    if (parameter == nullptr)
    {
        juce::StringArray ids;
        for (const auto& entry : table)
            ids.add (entry.id);
        throw RenderError ("unknown parameter '" + id + "'; the plug-in has " + ids.joinIntoString (", "));
    }

    return isChoice (*parameter) ? choiceValue (*parameter, id, text) : continuousValue (*parameter, id, text);
}

void ParameterTable::apply (const std::vector<ParameterAssignment>& assignments) const
{
    std::vector<std::pair<juce::AudioProcessorParameter*, float>> resolved;
    for (const auto& assignment : assignments)
        resolved.emplace_back (find (assignment.id), normalisedValue (assignment.id, assignment.value));

    for (const auto& [parameter, value] : resolved)
        parameter->setValueNotifyingHost (value);
}

double ParameterTable::currentNumber (const juce::String& id, double fallback) const
{
    auto* parameter = find (id);
    if (parameter == nullptr || isChoice (*parameter))
        return fallback;
    return parseNumber (parameter->getText (parameter->getValue(), 64), {}).value_or (fallback);
}

juce::String ParameterTable::valueText (juce::AudioProcessorParameter& parameter, float normalised)
{
    const auto text = parameter.getText (normalised, 64).trim();
    const auto label = parameter.getLabel();
    return label.isEmpty() ? text : text + " " + label;
}

juce::String ParameterTable::rangeText (juce::AudioProcessorParameter& parameter)
{
    if (isChoice (parameter))
        return choiceTexts (parameter).joinIntoString (" | ");

    const auto label = parameter.getLabel();
    return parameter.getText (0.0f, 64).trim() + " .. " + parameter.getText (1.0f, 64).trim()
           + (label.isEmpty() ? juce::String() : " " + label);
}
} // namespace vexa::render
