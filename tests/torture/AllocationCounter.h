#pragma once

#include <cstdint>

// Counts heap allocations made by the calling thread while it is armed. The program that links
// AllocationCounter.cpp replaces the global operator new and delete and, unless it is built with
// a sanitizer that owns malloc, the C allocation functions too; a plug-in module loaded into the
// program allocates through the same functions, so its allocations are seen as well.
//
// Each allocation is attributed by its caller's address: to the watched module (the loaded
// plug-in), to the program itself, to the dynamic linker, or to some other library.

namespace torture::allocations
{
struct Tally
{
    long total = 0;
    long inModule = 0;   // called from code inside the watched module
    long inProgram = 0;  // called from code inside the main executable
    long inLoader = 0;   // called from the dynamic linker: a thread's first use of a module's thread_local
    long elsewhere = 0;  // called from another shared library (libstdc++, libc, ...)

    Tally& operator+= (const Tally& other) noexcept
    {
        total += other.total;
        inModule += other.inModule;
        inProgram += other.inProgram;
        inLoader += other.inLoader;
        elsewhere += other.elsewhere;
        return *this;
    }
};

/** Starts counting the calling thread's allocations from zero. */
void arm() noexcept;

/** Stops counting and returns what the calling thread allocated since arm(). */
Tally disarm() noexcept;

/** True when malloc, calloc and realloc are counted as well as operator new. */
bool countsMalloc() noexcept;

/** Locates the program and the dynamic linker for the attribution, and the loaded object whose
    path contains the fragment (none when it is nullptr). Call before arming other threads. */
bool watchModule (const char* pathFragment) noexcept;

/** Heap blocks currently live through operator new (all threads); a leak makes it grow. */
long liveBlocks() noexcept;

/** While on for the calling thread, each heap block it allocates is placed at the very end of
    pages of its own, followed by an inaccessible page, so that a write past its end faults at
    once (and the fault is reported as an overrun). Off under sanitizers, which find overruns
    themselves: then guarding() is false and this does nothing. */
void guard (bool on) noexcept;
bool guarding() noexcept;
bool canGuard() noexcept;

/** Guarded blocks currently live (each takes a slot of a fixed table; when it is full, new
    blocks are ordinary ones). */
int guardedBlocks() noexcept;

/** Makes a fault in a guard page print what it was before the program dies. */
void reportOverrunsOnFault() noexcept;

constexpr int kMaxStacks = 4, kStackDepth = 24;

/** Prints the call stacks of the first kMaxStacks allocations counted on any armed thread
    (symbols where the objects export them, else module and offset). */
void printCapturedStacks() noexcept;

/** Sanity check of the replacement itself: counts one allocation made on purpose. */
bool selfTest() noexcept;
} // namespace torture::allocations
