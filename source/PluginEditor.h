#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "FilmstripLookAndFeel.h"
#include "PluginProcessor.h"

/** The plug-in's fixed 300 x 610 panel: six knobs, three switches and a VU meter. */
class VexaEditor : public juce::AudioProcessorEditor, private juce::Timer
{
public:
    explicit VexaEditor (VexaProcessor& owner);
    ~VexaEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    friend struct VexaEditorTestAccess;

    void timerCallback() override;
    int meterMode() const;
    void paintMeter (juce::Graphics& g);

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;

    VexaProcessor& processorRef;
    juce::Image vuMeterImage;

    float needleLevel = -100.0f;
    float grFallCoeff = 0.0024787523f;   // e^-6
    float levelRiseCoeff = 0.74081826f;  // e^-0.3
    float snapCoeff = 6.1442124e-06f;    // e^-12

    juce::Slider meterModeSlider;
    juce::ToggleButton scHpfButton;
    juce::ToggleButton stereoLinkButton;
    juce::Slider thresholdSlider;
    juce::Slider makeupSlider;
    juce::Slider attackSlider;
    juce::Slider releaseSlider;
    juce::Slider ratioSlider;
    juce::Slider driveSlider;

    std::unique_ptr<SliderAttachment> thresholdAttachment, makeupAttachment, attackAttachment,
        releaseAttachment, ratioAttachment, driveAttachment, meterModeAttachment;
    std::unique_ptr<ButtonAttachment> scHpfAttachment, stereoLinkAttachment;

    std::unique_ptr<FilmstripLookAndFeel> thresholdLaf, makeupLaf, attackLaf, releaseLaf, ratioLaf, driveLaf;
    std::unique_ptr<FilmstripToggleLAF> scHpfLaf, stereoLinkLaf;
    std::unique_ptr<FilmstripLinearLAF> meterModeLaf;

    juce::Image backgroundImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VexaEditor)
};
