#include <gtest/gtest.h>

#include "TestSupport.h"

#include <dlfcn.h>
#include <new>
#include <pthread.h>

// processBlock must never allocate or take a lock. This binary replaces the global allocation
// functions and interposes the pthread locking calls, and counts what happens while armed.

namespace
{
thread_local bool armed = false;
thread_local long allocations = 0;
thread_local long locks = 0;

struct Armed
{
    Armed() { allocations = 0; locks = 0; armed = true; }
    ~Armed() { armed = false; }
};

void* allocate (std::size_t size)
{
    if (armed)
        ++allocations;
    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

template <typename Fn>
Fn next (const char* name)
{
    return reinterpret_cast<Fn> (dlsym (RTLD_NEXT, name));
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept { try { return allocate (size); } catch (...) { return nullptr; } }
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept { try { return allocate (size); } catch (...) { return nullptr; } }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }

extern "C" int pthread_mutex_lock (pthread_mutex_t* m)
{
    if (armed)
        ++locks;
    static auto real = next<int (*) (pthread_mutex_t*)> ("pthread_mutex_lock");
    return real (m);
}

extern "C" int pthread_mutex_trylock (pthread_mutex_t* m)
{
    if (armed)
        ++locks;
    static auto real = next<int (*) (pthread_mutex_t*)> ("pthread_mutex_trylock");
    return real (m);
}

using namespace vexa_test;

TEST (RealtimeSafety, CountersSeeAllocationsAndLocks)
{
    Armed guard;
    auto* p = new int (3);
    delete p;
    juce::CriticalSection section;
    { const juce::ScopedLock lock (section); }
    EXPECT_EQ (allocations, 1);
    EXPECT_GE (locks, 1);
}

TEST (RealtimeSafety, ProcessBlockNeitherAllocatesNorLocksWhileEverythingChanges)
{
    std::mt19937 rng (42);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    const char* ids[] = { "threshold", "ratio", "attack", "release", "makeup", "scHPF", "stereoLink", "drive", "meterMode" };

    for (int blockSize : { 1, 32, 250, 512, 1024 })
    {
        VexaProcessor p;
        p.prepareToPlay (48000.0, blockSize);
        juce::AudioBuffer<float> buffer (2, blockSize * 2);
        juce::MidiBuffer midi;
        long totalAllocations = 0, totalLocks = 0;

        for (int block = 0; block < 200; ++block)
        {
            for (auto* id : ids)
                p.apvts.getParameter (id)->setValueNotifyingHost (unit (rng));

            const int n = block % 7 == 0 ? blockSize * 2 : blockSize; // now and then longer than prepared
            juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, n);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < n; ++i)
                    view.setSample (c, i, (unit (rng) * 2.0f - 1.0f) * (block % 3 == 0 ? 1.0f : 0.01f));

            Armed guard;
            p.processBlock (view, midi);
            totalAllocations += allocations;
            totalLocks += locks;
        }

        EXPECT_EQ (totalAllocations, 0) << "block size " << blockSize;
        EXPECT_EQ (totalLocks, 0) << "block size " << blockSize;
    }
}
