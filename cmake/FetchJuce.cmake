# Brings JUCE 8.0.6 into the build.
#
# On Debian-family machines the JUCE tree comes from Debian 13's source package,
# fetched with apt by scripts/fetch-juce.sh into a cache outside the build tree
# (VEXA_CACHE_DIR, default ~/.cache/vexa), so a clean build never downloads twice.
# Elsewhere, upstream JUCE 8.0.6 is fetched with FetchContent.
# A JUCE tree of one's own can be given with -DVEXA_JUCE_DIR=/path.

set(VEXA_CACHE_DIR "$ENV{HOME}/.cache/vexa" CACHE PATH "Cache for downloaded dependencies")

if(NOT VEXA_JUCE_DIR)
    find_program(VEXA_APT_GET apt-get)
    find_program(VEXA_DPKG_SOURCE dpkg-source)
    if(VEXA_APT_GET AND VEXA_DPKG_SOURCE)
        execute_process(
            COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/fetch-juce.sh" "${VEXA_CACHE_DIR}"
            OUTPUT_VARIABLE _vexa_juce_dir
            OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE _vexa_fetch_result)
        if(NOT _vexa_fetch_result EQUAL 0)
            message(FATAL_ERROR "Could not fetch JUCE with apt (scripts/fetch-juce.sh failed)")
        endif()
        set(VEXA_JUCE_DIR "${_vexa_juce_dir}" CACHE PATH "JUCE source tree" FORCE)
    endif()
endif()

if(VEXA_JUCE_DIR)
    message(STATUS "Using JUCE from ${VEXA_JUCE_DIR}")
    add_subdirectory("${VEXA_JUCE_DIR}" "${CMAKE_BINARY_DIR}/juce" EXCLUDE_FROM_ALL)
else()
    include(FetchContent)
    FetchContent_Declare(juce
        GIT_REPOSITORY https://github.com/juce-framework/JUCE.git
        GIT_TAG 8.0.6
        GIT_SHALLOW TRUE)
    FetchContent_MakeAvailable(juce)
endif()
