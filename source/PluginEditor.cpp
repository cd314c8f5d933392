#include "PluginEditor.h"

#include <BinaryData.h>

namespace
{
const juce::Colour panelColour { 0xFF3B3D47 };
const juce::Colour inkColour { 0xFFC0C0C0 };

const juce::Rectangle<int> faceBounds { 86, 30, 128, 128 };
const juce::Rectangle<int> meterRepaintArea { 82, 26, 136, 136 };
const juce::Rectangle<float> titleBox { 10.0f, 8.0f, 280.0f, 18.0f };
const juce::Rectangle<float> versionBox { 10.0f, 590.0f, 280.0f, 14.0f };

constexpr float pivotX = 150.0f;
constexpr float pivotY = 94.0f;
constexpr float needleLength = 42.0f;

juce::Image loadImage (const char* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

} // namespace

VexaEditor::VexaEditor (VexaProcessor& owner)
    : juce::AudioProcessorEditor (owner), processorRef (owner)
{
    setSize (300, 610);

    vuMeterImage = loadImage (BinaryData::Vintage_VUMeter_png, BinaryData::Vintage_VUMeter_pngSize);

    meterModeSlider.setSliderStyle (juce::Slider::LinearHorizontal);
    meterModeSlider.setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);

    addAndMakeVisible (meterModeSlider);
    addAndMakeVisible (scHpfButton);
    addAndMakeVisible (stereoLinkButton);

    struct Knob
    {
        juce::Slider& slider;
        std::unique_ptr<FilmstripLookAndFeel>& laf;
        const char* data;
        int size;
        int frames;
        const char* suffix;
    };

    // The choice knobs' texts already read "1ms", "AUTO" or "4:1": they get no suffix.
    const Knob knobs[] = {
        { thresholdSlider, thresholdLaf, BinaryData::Knob_Threshold_png, BinaryData::Knob_Threshold_pngSize, 128, " dB" },
        { makeupSlider, makeupLaf, BinaryData::Knob_Makeup_png, BinaryData::Knob_Makeup_pngSize, 128, " dB" },
        { attackSlider, attackLaf, BinaryData::Knob_Attack_png, BinaryData::Knob_Attack_pngSize, 7, "" },
        { releaseSlider, releaseLaf, BinaryData::Knob_Release_png, BinaryData::Knob_Release_pngSize, 5, "" },
        { ratioSlider, ratioLaf, BinaryData::Knob_Ratio_png, BinaryData::Knob_Ratio_pngSize, 3, "" },
        { driveSlider, driveLaf, BinaryData::Knob_Drive_png, BinaryData::Knob_Drive_pngSize, 128, " %" },
    };

    for (const auto& knob : knobs)
    {
        knob.laf = std::make_unique<FilmstripLookAndFeel> (loadImage (knob.data, knob.size), knob.frames);
        knob.slider.setLookAndFeel (knob.laf.get());
        knob.slider.setTextValueSuffix (knob.suffix);
        knob.slider.setNumDecimalPlacesToDisplay (1);
        knob.slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 18);
        knob.slider.setColour (juce::Slider::textBoxTextColourId, juce::Colour (0xFFC0C4D0));
        knob.slider.setColour (juce::Slider::textBoxBackgroundColourId, juce::Colours::transparentBlack);
        knob.slider.setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0x00000000));
        knob.slider.setColour (juce::Slider::textBoxHighlightColourId, juce::Colour (0xFF565870));
    }

    scHpfLaf = std::make_unique<FilmstripToggleLAF> (
        loadImage (BinaryData::Switch_Toggle_SCHP_png, BinaryData::Switch_Toggle_SCHP_pngSize), 2);
    scHpfButton.setLookAndFeel (scHpfLaf.get());
    stereoLinkLaf = std::make_unique<FilmstripToggleLAF> (
        loadImage (BinaryData::Switch_Toggle_Link_png, BinaryData::Switch_Toggle_Link_pngSize), 2);
    stereoLinkButton.setLookAndFeel (stereoLinkLaf.get());
    meterModeLaf = std::make_unique<FilmstripLinearLAF> (
        loadImage (BinaryData::Switch_Slide_Meter_png, BinaryData::Switch_Slide_Meter_pngSize), 3);
    meterModeSlider.setLookAndFeel (meterModeLaf.get());

    for (const auto& knob : knobs)
        knob.slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);

    for (const auto& knob : knobs)
        addAndMakeVisible (knob.slider);

    backgroundImage = loadImage (BinaryData::Panel_Background_png, BinaryData::Panel_Background_pngSize);

    auto& state = processorRef.apvts;
    meterModeAttachment = std::make_unique<SliderAttachment> (state, "meterMode", meterModeSlider);
    thresholdAttachment = std::make_unique<SliderAttachment> (state, "threshold", thresholdSlider);
    makeupAttachment = std::make_unique<SliderAttachment> (state, "makeup", makeupSlider);
    attackAttachment = std::make_unique<SliderAttachment> (state, "attack", attackSlider);
    releaseAttachment = std::make_unique<SliderAttachment> (state, "release", releaseSlider);
    ratioAttachment = std::make_unique<SliderAttachment> (state, "ratio", ratioSlider);
    driveAttachment = std::make_unique<SliderAttachment> (state, "drive", driveSlider);
    scHpfAttachment = std::make_unique<ButtonAttachment> (state, "scHPF", scHpfButton);
    stereoLinkAttachment = std::make_unique<ButtonAttachment> (state, "stereoLink", stereoLinkButton);

    startTimer (33);
}

VexaEditor::~VexaEditor()
{
    thresholdSlider.setLookAndFeel (nullptr);
    makeupSlider.setLookAndFeel (nullptr);
    attackSlider.setLookAndFeel (nullptr);
    releaseSlider.setLookAndFeel (nullptr);
    ratioSlider.setLookAndFeel (nullptr);
    driveSlider.setLookAndFeel (nullptr);
    scHpfButton.setLookAndFeel (nullptr);
    stereoLinkButton.setLookAndFeel (nullptr);
    meterModeSlider.setLookAndFeel (nullptr);
}

void VexaEditor::resized()
{
    scHpfButton.setBounds (7, 180, 76, 76);
    stereoLinkButton.setBounds (217, 180, 76, 76);
    meterModeSlider.setBounds (100, 180, 100, 70);
    thresholdSlider.setBounds (30, 266, 100, 100);
    makeupSlider.setBounds (170, 266, 100, 100);
    attackSlider.setBounds (30, 376, 100, 100);
    releaseSlider.setBounds (170, 376, 100, 100);
    ratioSlider.setBounds (30, 486, 100, 100);
    driveSlider.setBounds (170, 486, 100, 100);
}

//==============================================================================
int VexaEditor::meterMode() const
{
    return juce::roundToInt (meterModeSlider.getValue());
}

void VexaEditor::timerCallback()
{
    const int mode = meterMode();

    const float target = mode == 1   ? processorRef.gainReductionMeter.load()
                         : mode == 0 ? processorRef.inputMeter.load()
                                     : processorRef.outputMeter.load();

    float k;
    if (mode == 1)
        k = needleLevel > target ? grFallCoeff : snapCoeff;
    else
        k = target > needleLevel ? levelRiseCoeff : snapCoeff;

    needleLevel = k * needleLevel + (1.0f - k) * target;

    repaint (meterRepaintArea.getIntersection (getLocalBounds()));
}

//==============================================================================
void VexaEditor::paint (juce::Graphics& g)
{
    g.fillAll (panelColour);

    if (backgroundImage.isValid())
        g.drawImage (backgroundImage, 5, 5, 290, 600, 0, 0, backgroundImage.getWidth(), backgroundImage.getHeight());

    g.setColour (inkColour);
    auto border = getLocalBounds().toFloat().reduced (2.5f);
    g.drawRoundedRectangle (border.withSize (juce::jmax (0.0f, border.getWidth()), juce::jmax (0.0f, border.getHeight())),
                            5.0f, 1.5f);

    g.setColour (inkColour);
    g.setFont (juce::Font (juce::FontOptions ("Helvetica Neue", 12.0f, juce::Font::italic)));
    g.drawText (JucePlugin_Name, titleBox, juce::Justification::centred, true);

    paintMeter (g);

    for (const float y : { 174.0f, 258.0f, 368.0f, 478.0f })
    {
        g.setColour (inkColour);
        g.fillRect (juce::Rectangle<float> (14.0f, y, 272.0f, 1.0f));
    }

    g.setFont (juce::Font (juce::FontOptions (10.0f)));
    g.setColour (inkColour);
    g.drawText ("Meter Mode", juce::Rectangle<float> (100.0f, 182.0f, 100.0f, 14.0f), juce::Justification::centred, true);
    g.drawText ("IN", juce::Rectangle<float> (100.0f, 228.0f, 30.0f, 14.0f), juce::Justification::centred, true);
    g.drawText ("GR", juce::Rectangle<float> (135.0f, 228.0f, 30.0f, 14.0f), juce::Justification::centred, true);
    g.drawText ("OUT", juce::Rectangle<float> (170.0f, 228.0f, 30.0f, 14.0f), juce::Justification::centred, true);

    g.setFont (juce::Font (juce::FontOptions (10.0f)));
    g.setColour (inkColour);
    g.drawText (juce::String ("Version ") + JucePlugin_VersionString, versionBox, juce::Justification::centred, true);
}

void VexaEditor::paintMeter (juce::Graphics& g)
{
    if (vuMeterImage.isValid())
    {
        g.drawImage (vuMeterImage, faceBounds.toFloat());
    }
    else
    {
        g.setColour (juce::Colour (0xFF2A2820));
        g.fillRect (faceBounds);
        g.setColour (juce::Colours::dimgrey);
        g.drawRect (faceBounds.toFloat(), 1.0f);
        g.setColour (juce::Colours::grey);
        g.setFont (g.getCurrentFont().withHeight (11.0f));
        g.drawText ("VU", juce::Rectangle<int> (86, 86, 128, 16), juce::Justification::centred, true);
    }

    const int mode = meterMode();
    const float upperLimit = mode == 1 ? 0.0f : 3.0f;
    const float level = juce::jlimit (-20.0f, upperLimit, needleLevel);
    const float amplitude = std::pow (10.0f, level / 20.0f);
    const float degrees = juce::jlimit (-90.0f, 90.0f, 150.0f * amplitude - 105.0f);
    const float angle = degrees * juce::MathConstants<float>::pi / 180.0f;
    const float tipX = pivotX + needleLength * std::sin (angle);
    const float tipY = pivotY - needleLength * std::cos (angle);

    g.setColour (juce::Colour (0x73000000));
    g.drawLine (pivotX + 1.0f, pivotY + 1.0f, tipX + 1.0f, tipY + 1.0f, 1.0f);

    g.setColour (juce::Colour (0xFF1A1A14));
    g.drawLine (pivotX, pivotY, tipX, tipY, 1.0f);

    g.setColour (juce::Colour (0xFF888880));
    g.fillEllipse (145.0f, 89.0f, 10.0f, 10.0f);
    g.setColour (juce::Colour (0xFFCCCCBC));
    g.fillEllipse (147.5f, 91.5f, 5.0f, 5.0f);

    g.setColour (juce::Colour (0xFF222230));
    g.drawRect (faceBounds.toFloat(), 2.0f);
}
