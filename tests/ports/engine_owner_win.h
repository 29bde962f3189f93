// The owner an engine under test reports to: what arrived, each write's report and
// the status calls, kept under a lock because the engine thread writes them while the
// test's thread reads. Win32 tests only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "terminal/engine_callbacks.h"
#include "tests/support/fixture_win.h"

struct EngineOwner {
    CRITICAL_SECTION lock;
    std::string received;
    std::vector<std::int32_t> sent;  // written, for each on_sent in turn
    volatile LONG status_calls = 0;
    std::list<std::string> kept;     // what was given to write: alive until the engine stops

    EngineOwner() { InitializeCriticalSection(&lock); }
    ~EngineOwner() { DeleteCriticalSection(&lock); }
    EngineOwner(const EngineOwner&) = delete;
    EngineOwner& operator=(const EngineOwner&) = delete;

    EngineCallbacks callbacks()
    {
        return EngineCallbacks{ENGINE_RECEIVE_BUFFER_SIZE, on_receive, on_sent, on_status, this};
    }
    std::string received_copy()
    {
        EnterCriticalSection(&lock);
        std::string copy = received;
        LeaveCriticalSection(&lock);
        return copy;
    }
    std::vector<std::int32_t> sent_copy()
    {
        EnterCriticalSection(&lock);
        std::vector<std::int32_t> copy = sent;
        LeaveCriticalSection(&lock);
        return copy;
    }
    // Waits until the received bytes are `bytes`; false on time-out.
    bool receives(const std::string& bytes, DWORD timeout_ms)
    {
        return wait_until([&] { return received_copy() == bytes; }, timeout_ms);
    }
    size_t reports() { return sent_copy().size(); }
    // The bytes of a write request, kept alive as the engine needs them until it reports.
    const unsigned char* keep(const std::string& bytes)
    {
        kept.push_back(bytes);
        return reinterpret_cast<const unsigned char*>(kept.back().data());
    }

    static void on_receive(void* owner, const unsigned char* data, std::int32_t length)
    {
        EngineOwner* o = static_cast<EngineOwner*>(owner);
        EnterCriticalSection(&o->lock);
        o->received.append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
        LeaveCriticalSection(&o->lock);
    }
    static void on_sent(void* owner, const unsigned char*, std::int32_t, std::int32_t written)
    {
        EngineOwner* o = static_cast<EngineOwner*>(owner);
        EnterCriticalSection(&o->lock);
        o->sent.push_back(written);
        LeaveCriticalSection(&o->lock);
    }
    static void on_status(void* owner, PortStatus) { InterlockedIncrement(&static_cast<EngineOwner*>(owner)->status_calls); }
};

// Writes 4096-byte pieces through write(piece) until one has been outstanding (no
// report) for 200 ms, as when the far end takes nothing more. True when one is.
template <typename Write>
bool write_until_one_waits(EngineOwner& owner, Write write)
{
    static const std::string piece(4096, 'f');
    for (int i = 0; i < 512; ++i) {
        size_t before = owner.reports();
        if (!write(reinterpret_cast<const unsigned char*>(piece.data()), static_cast<std::int32_t>(piece.size())))
            return false;
        if (!wait_until([&] { return owner.reports() > before; }, 200)) return true;
    }
    return false;
}
