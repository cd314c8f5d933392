#include "AllocationCounter.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <cstring>
#include <csignal>
#include <link.h>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

// The sanitizers replace malloc themselves; under them only operator new is counted.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(__SANITIZE_MEMORY__)
 #define TORTURE_SANITIZED 1
#elif defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
  #define TORTURE_SANITIZED 1
 #endif
#endif
#ifndef TORTURE_SANITIZED
 #define TORTURE_SANITIZED 0
#endif

#if ! TORTURE_SANITIZED
// glibc's own entry points: the replacements below and operator new use them directly, so an
// allocation is counted once and nothing needs dlsym (which itself allocates).
extern "C" void* __libc_malloc (size_t);
extern "C" void* __libc_calloc (size_t, size_t);
extern "C" void* __libc_realloc (void*, size_t);
extern "C" void* __libc_memalign (size_t, size_t);
extern "C" void __libc_free (void*);
#endif

namespace
{
#if TORTURE_SANITIZED
inline void* rawMalloc (std::size_t size) { return std::malloc (size); }
inline void* rawAligned (std::size_t alignment, std::size_t size) { return std::aligned_alloc (alignment, size); }
inline void rawFree (void* p) { std::free (p); }
#else
inline void* rawMalloc (std::size_t size) { return __libc_malloc (size); }
inline void* rawAligned (std::size_t alignment, std::size_t size) { return __libc_memalign (alignment, size); }
inline void rawFree (void* p) { __libc_free (p); }
#endif

struct Range
{
    std::atomic<std::uintptr_t> begin { 0 }, end { 0 };

    bool contains (std::uintptr_t address) const noexcept
    {
        return address >= begin.load (std::memory_order_relaxed) && address < end.load (std::memory_order_relaxed);
    }
};

Range watchedModule, program, loader;
std::atomic<long> live { 0 };

thread_local bool armed = false;
thread_local torture::allocations::Tally tally;

// The first few counted allocations keep their call stacks, for the report.
using torture::allocations::kMaxStacks;
using torture::allocations::kStackDepth;
void* stacks[kMaxStacks][kStackDepth];
int stackDepths[kMaxStacks];
std::atomic<int> stacksTaken { 0 };

void captureStack() noexcept
{
    const int slot = stacksTaken.fetch_add (1);
    if (slot >= kMaxStacks)
        return;
    armed = false; // backtrace() must not count (or capture) itself
    stackDepths[slot] = backtrace (stacks[slot], kStackDepth);
    armed = true;
}

inline void note (void* caller) noexcept
{
    if (! armed)
        return;

    if (stacksTaken.load (std::memory_order_relaxed) < kMaxStacks)
        captureStack();

    const auto address = reinterpret_cast<std::uintptr_t> (caller);
    ++tally.total;

    if (watchedModule.contains (address))
        ++tally.inModule;
    else if (program.contains (address))
        ++tally.inProgram;
    else if (loader.contains (address))
        ++tally.inLoader;
    else
        ++tally.elsewhere;
}

struct Search
{
    const char* fragment;
    bool wantProgram;
    std::uintptr_t begin = 0, end = 0;
};

int visitObject (dl_phdr_info* info, size_t, void* data)
{
    auto& search = *static_cast<Search*> (data);
    const char* name = info->dlpi_name != nullptr ? info->dlpi_name : "";
    const bool match = search.wantProgram ? name[0] == 0 : std::strstr (name, search.fragment) != nullptr;

    if (! match)
        return 0;

    std::uintptr_t lo = UINTPTR_MAX, hi = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i)
    {
        const auto& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD)
            continue;
        const auto start = info->dlpi_addr + header.p_vaddr;
        lo = start < lo ? start : lo;
        hi = start + header.p_memsz > hi ? start + header.p_memsz : hi;
    }

    search.begin = lo;
    search.end = hi;
    return 1; // the first match wins: for the program, that is the main executable
}

bool findObject (Search& search) noexcept
{
    return dl_iterate_phdr (visitObject, &search) != 0 && search.end > search.begin;
}


//==============================================================================
// Guarded blocks: [data pages ... | block at the very end][inaccessible page]
struct GuardSlot
{
    std::atomic<int> state { 0 }; // 0 free, 1 being changed, 2 in use
    std::atomic<void*> user { nullptr };
    char* base = nullptr;
    std::size_t length = 0, size = 0;
};

constexpr int kGuardSlots = 4096;
GuardSlot guardSlots[kGuardSlots];
std::atomic<int> guardsInUse { 0 };
std::atomic<int> slotsTouched { 0 }; // slots at and above this index have never been used
thread_local bool guardingThisThread = false;

std::size_t pageSize() noexcept
{
    static const std::size_t size = (std::size_t) sysconf (_SC_PAGESIZE);
    return size;
}

void* guardedAllocate (std::size_t size) noexcept
{
    const std::size_t page = pageSize();
    const std::size_t usable = ((size == 0 ? 1 : size) + 15) / 16 * 16; // malloc's alignment
    const std::size_t dataPages = (usable + page - 1) / page;
    const std::size_t length = (dataPages + 1) * page;

    for (int i = 0; i < kGuardSlots; ++i)
    {
        int expected = 0;
        if (! guardSlots[i].state.compare_exchange_strong (expected, 1))
            continue;

        void* base = mmap (nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
        {
            guardSlots[i].state = 0;
            return nullptr;
        }
        char* bytes = static_cast<char*> (base);
        mprotect (bytes + dataPages * page, page, PROT_NONE);

        int touched = slotsTouched.load();
        while (touched < i + 1 && ! slotsTouched.compare_exchange_weak (touched, i + 1)) {}

        auto& slot = guardSlots[i];
        slot.base = bytes;
        slot.length = length;
        slot.size = size;
        void* user = bytes + dataPages * page - usable;
        slot.user.store (user);
        slot.state.store (2);
        guardsInUse.fetch_add (1);
        return user;
    }
    return nullptr; // no slot left: the caller falls back to an ordinary block
}

/** The slot of a guarded block, or nullptr for an ordinary one. */
GuardSlot* findGuarded (void* p) noexcept
{
    if (p == nullptr || guardsInUse.load() == 0)
        return nullptr;
    const int touched = slotsTouched.load();
    for (int i = 0; i < touched; ++i)
        if (guardSlots[i].state.load() == 2 && guardSlots[i].user.load() == p)
            return &guardSlots[i];
    return nullptr;
}

void releaseGuarded (GuardSlot& slot) noexcept
{
    int expected = 2;
    if (! slot.state.compare_exchange_strong (expected, 1))
        return;
    munmap (slot.base, slot.length);
    slot.user.store (nullptr);
    guardsInUse.fetch_sub (1);
    slot.state.store (0);
}

void onFault (int signal, siginfo_t* info, void*)
{
    const auto address = reinterpret_cast<std::uintptr_t> (info->si_addr);
    for (auto& slot : guardSlots)
    {
        if (slot.state.load() != 2)
            continue;
        const auto guardStart = reinterpret_cast<std::uintptr_t> (slot.base) + slot.length - pageSize();
        if (address >= guardStart && address < guardStart + pageSize())
        {
            static const char message[] = "\nFAIL: OVERRUN: a write or read past the end of a heap block that was "
                                          "allocated while guarded (in construction or prepareToPlay) hit its guard page\n";
            (void) ! write (2, message, sizeof message - 1);
            _exit (3);
        }
    }
    std::signal (signal, SIG_DFL);
    std::raise (signal);
}

void* allocate (std::size_t size, void* caller)
{
    note (caller);
    void* p = guardingThisThread ? guardedAllocate (size) : nullptr;
    if (p == nullptr)
        p = rawMalloc (size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    live.fetch_add (1, std::memory_order_relaxed);
    return p;
}

void* allocateAligned (std::size_t size, std::align_val_t alignment, void* caller)
{
    note (caller);
    const auto a = static_cast<std::size_t> (alignment);
    const auto rounded = ((size == 0 ? 1 : size) + a - 1) / a * a;
    void* p = rawAligned (a, rounded);
    if (p == nullptr)
        throw std::bad_alloc();
    live.fetch_add (1, std::memory_order_relaxed);
    return p;
}

void release (void* p) noexcept
{
    if (p == nullptr)
        return;
    live.fetch_sub (1, std::memory_order_relaxed);
    if (auto* slot = findGuarded (p))
        releaseGuarded (*slot);
    else
        rawFree (p);
}
} // namespace

#define CALLER __builtin_return_address (0)

void* operator new (std::size_t size) { return allocate (size, CALLER); }
void* operator new[] (std::size_t size) { return allocate (size, CALLER); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size, CALLER); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size, CALLER); } catch (...) { return nullptr; }
}
void* operator new (std::size_t size, std::align_val_t a) { return allocateAligned (size, a, CALLER); }
void* operator new[] (std::size_t size, std::align_val_t a) { return allocateAligned (size, a, CALLER); }
void* operator new (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    try { return allocateAligned (size, a, CALLER); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    try { return allocateAligned (size, a, CALLER); } catch (...) { return nullptr; }
}

void operator delete (void* p) noexcept { release (p); }
void operator delete[] (void* p) noexcept { release (p); }
void operator delete (void* p, std::size_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t) noexcept { release (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept { release (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept { release (p); }
void operator delete (void* p, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { release (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { release (p); }
void operator delete (void* p, std::align_val_t, const std::nothrow_t&) noexcept { release (p); }
void operator delete[] (void* p, std::align_val_t, const std::nothrow_t&) noexcept { release (p); }

#if ! TORTURE_SANITIZED
extern "C" void* malloc (size_t size)
{
    note (CALLER);
    if (guardingThisThread)
        if (void* p = guardedAllocate (size))
            return p;
    return __libc_malloc (size);
}

extern "C" void* calloc (size_t count, size_t size)
{
    note (CALLER);
    if (guardingThisThread && (size == 0 || count <= SIZE_MAX / size))
        if (void* p = guardedAllocate (count * size)) // fresh pages are zero
            return p;
    return __libc_calloc (count, size);
}

extern "C" void* realloc (void* p, size_t size)
{
    note (CALLER);
    if (auto* slot = findGuarded (p))
    {
        void* moved = guardingThisThread ? guardedAllocate (size) : nullptr;
        if (moved == nullptr)
            moved = __libc_malloc (size);
        if (moved != nullptr)
        {
            std::memcpy (moved, p, slot->size < size ? slot->size : size);
            releaseGuarded (*slot);
        }
        return moved;
    }
    return __libc_realloc (p, size);
}

extern "C" void free (void* p)
{
    if (auto* slot = findGuarded (p))
        releaseGuarded (*slot);
    else
        __libc_free (p);
}
#endif

namespace torture::allocations
{
void arm() noexcept
{
    tally = {};
    armed = true;
}

Tally disarm() noexcept
{
    armed = false;
    return tally;
}

bool countsMalloc() noexcept
{
    return ! TORTURE_SANITIZED;
}

bool watchModule (const char* pathFragment) noexcept
{
    // The first backtrace() loads the unwinder, which allocates: do it here, not on an audio thread.
    void* warmUp[2];
    backtrace (warmUp, 2);

    Search self { "", true };
    if (findObject (self))
    {
        program.begin = self.begin;
        program.end = self.end;
    }

    Search linker { "/ld-linux", false };
    if (findObject (linker))
    {
        loader.begin = linker.begin;
        loader.end = linker.end;
    }

    if (pathFragment == nullptr)
        return true;

    Search module { pathFragment, false };
    if (! findObject (module))
        return false;

    watchedModule.begin = module.begin;
    watchedModule.end = module.end;
    return true;
}

void printCapturedStacks() noexcept
{
    const int n = std::min (stacksTaken.load(), kMaxStacks);
    for (int i = 0; i < n; ++i)
    {
        std::printf ("  allocation stack %d:\n", i + 1);
        std::fflush (stdout);
        backtrace_symbols_fd (stacks[i], stackDepths[i], 1);
    }
}

void guard (bool on) noexcept
{
    guardingThisThread = on && ! TORTURE_SANITIZED;
}

bool guarding() noexcept
{
    return guardingThisThread;
}

bool canGuard() noexcept
{
    return ! TORTURE_SANITIZED;
}

int guardedBlocks() noexcept
{
    return guardsInUse.load();
}

void reportOverrunsOnFault() noexcept
{
    if (TORTURE_SANITIZED)
        return;
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO;
    sigaction (SIGSEGV, &action, nullptr);
    sigaction (SIGBUS, &action, nullptr);
}

long liveBlocks() noexcept
{
    return live.load (std::memory_order_relaxed);
}

// Through a volatile function pointer, so the compiler can neither elide nor fold the calls.
static void* (*volatile const cMalloc) (size_t) = std::malloc;
static void (*volatile const cFree) (void*) = std::free;

bool selfTest() noexcept
{
    arm();
    void* p = ::operator new (24);
    asm volatile ("" : : "r"(p) : "memory");
#if ! TORTURE_SANITIZED
    void* q = cMalloc (40);
    cFree (q);
#endif
    ::operator delete (p);
    const auto counted = disarm();
    stacksTaken = 0;
    return counted.total == (TORTURE_SANITIZED ? 1 : 2);
}
} // namespace torture::allocations
