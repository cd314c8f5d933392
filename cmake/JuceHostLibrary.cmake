# One static library of JUCE modules, configured for hosting plug-ins, shared by every
# test and tool that loads the built bundle, so JUCE is compiled once for all of them.
# (The plug-in's own shared-code target carries its own copy configured as a plug-in.)

add_library(vexa_juce_host STATIC)
target_link_libraries(vexa_juce_host
    PRIVATE
        juce::juce_audio_utils
        juce::juce_audio_processors
        juce::juce_audio_formats
        juce::juce_dsp
        juce::juce_gui_extra
    PUBLIC
        juce::juce_recommended_config_flags)

target_compile_definitions(vexa_juce_host
    PUBLIC
        JUCE_PLUGINHOST_VST3=1
        JUCE_PLUGINHOST_LV2=1
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_USE_FLAC=0
        JUCE_USE_OGGVORBIS=0
        JUCE_USE_MP3AUDIOFORMAT=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_STANDALONE_APPLICATION=1
        JUCE_MODAL_LOOPS_PERMITTED=1
    INTERFACE
        $<TARGET_PROPERTY:vexa_juce_host,COMPILE_DEFINITIONS>)

target_include_directories(vexa_juce_host
    INTERFACE $<TARGET_PROPERTY:vexa_juce_host,INCLUDE_DIRECTORIES>)

set_target_properties(vexa_juce_host PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)

# Debian's JUCE decodes images with the system's libpng and libjpeg.
if(TARGET juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
    target_link_libraries(vexa_juce_host PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
endif()
