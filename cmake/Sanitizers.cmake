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
