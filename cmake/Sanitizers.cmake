# -DVEXA_SANITIZE=address builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# -DVEXA_SANITIZE=thread with ThreadSanitizer. The flags reach JUCE's modules too, so the bundle
# that the host tests load is instrumented like the tests themselves.

set(VEXA_SANITIZE "" CACHE STRING "Sanitizer build: address or thread (empty for none)")
set(VEXA_VST3_MANIFEST TRUE)

if(VEXA_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(VEXA_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT VEXA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "VEXA_SANITIZE must be address, thread or empty")
endif()

if(VEXA_SANITIZE)
    # Light optimisation and line tables only: fast enough to build JUCE twice more, readable traces.
    set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O1 -g1" CACHE STRING "" FORCE)
    set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -g1" CACHE STRING "" FORCE)

    # An instrumented module can only be loaded by an instrumented process; the manifest step and
    # Steinberg's validator are not, so they run in the plain build only.
    set(VEXA_VST3_MANIFEST FALSE)
endif()

# JUCE's drawing, windowing and file-format code is left uninstrumented in sanitizer builds: it is
# most of the compile time and none of the audio path, the state handling or the threading between
# host, audio thread and editor. Call from the directory that creates the targets.
function(vexa_leave_gui_modules_uninstrumented)
    if(NOT VEXA_SANITIZE OR NOT JUCE_MODULES_DIR)
        return()
    endif()
    set(sources
        juce_graphics/juce_graphics.cpp
        juce_graphics/juce_graphics_Harfbuzz.cpp
        juce_graphics/juce_graphics_Sheenbidi.c
        juce_gui_basics/juce_gui_basics.cpp
        juce_gui_extra/juce_gui_extra.cpp
        juce_audio_formats/juce_audio_formats.cpp
        juce_audio_devices/juce_audio_devices.cpp
        juce_audio_utils/juce_audio_utils.cpp)
    list(TRANSFORM sources PREPEND "${JUCE_MODULES_DIR}/")
    set_source_files_properties(${sources} PROPERTIES COMPILE_OPTIONS "-fno-sanitize=all")
endfunction()
