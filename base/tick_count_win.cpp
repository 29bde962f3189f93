// GetTickCount64 for the C++ runtime's threads on Windows XP. The threads library
// (winpthreads, linked statically) imports GetTickCount64, which Windows has only
// since Vista: XP would refuse to load the program over that one missing entry point.
// This file defines the import slot the library is linked against and fills it with
// a function that calls the system's GetTickCount64 where there is one and otherwise
// widens GetTickCount. It is part of tavex.exe itself, not of a library, so that the
// linker has the slot before it searches the system's import libraries. Any thread.
#include <windows.h>

#include "base/tick_count.h"

typedef ULONGLONG(WINAPI* TickCount64)();

// The last widened count; compare-and-swap keeps it whole (8 bytes) on 32-bit x86 too.
static std::uint64_t last_tick;

static ULONGLONG WINAPI widened_tick_count() noexcept
{
    std::uint64_t seen = __atomic_load_n(&last_tick, __ATOMIC_ACQUIRE);
    for (;;) {
        std::uint64_t next = tick_count_widen(seen, GetTickCount());
        if (__atomic_compare_exchange_n(&last_tick, &seen, next, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
            return next;
    }
}

// The function is looked up on the first call; racing first calls find the same one.
// No function-local static: its guard would take the threads library's lock, whose
// waits call back here.
static TickCount64 resolved;

static ULONGLONG WINAPI tick_count_64() noexcept
{
    TickCount64 tick_count = __atomic_load_n(&resolved, __ATOMIC_ACQUIRE);
    if (!tick_count) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        FARPROC proc = kernel ? GetProcAddress(kernel, "GetTickCount64") : nullptr;
        tick_count = proc ? reinterpret_cast<TickCount64>(reinterpret_cast<void*>(proc)) : widened_tick_count;
        __atomic_store_n(&resolved, tick_count, __ATOMIC_RELEASE);
    }
    return tick_count();
}

// The import slot by its linker name, which differs between the two builds (32-bit
// x86 decorates a __stdcall name with its argument bytes).
#if defined(_WIN64)
extern "C" TickCount64 tick_count_slot __asm__("__imp_GetTickCount64");
#else
extern "C" TickCount64 tick_count_slot __asm__("__imp__GetTickCount64@0");
#endif
TickCount64 tick_count_slot = tick_count_64;
