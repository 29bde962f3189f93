// The engine core, once for every kind: the single-slot write request and its report
// (the next write asked for from inside it), the wait that serves every signalled
// event in a pass, and the stop protocol, for a thread that ends as asked and for one
// that does not.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ports/engine_core_win.h"
#include "tests/support/fixture_win.h"

namespace {

// A minimal engine on the core: its thread writes what is requested, "writing" all
// of it, and its owner asks for each next piece from inside on_sent.
struct Owner {
    EngineCore* core = nullptr;
    std::string to_send;
    size_t sent = 0;
    std::vector<std::int32_t> reports;  // engine thread only, read after it settles
    volatile LONG report_count = 0;
    volatile LONG refused = 0;
    volatile LONG calls = 0;
};

void owner_sent(void* owner, const unsigned char* data, std::int32_t requested, std::int32_t written)
{
    Owner* o = static_cast<Owner*>(owner);
    InterlockedIncrement(&o->calls);
    EXPECT_EQ(reinterpret_cast<const char*>(data), o->to_send.data() + o->sent);
    EXPECT_LE(written, requested);
    o->reports.push_back(written);
    o->sent += static_cast<size_t>(written);
    if (o->sent < o->to_send.size()) {
        size_t piece = std::min<size_t>(3, o->to_send.size() - o->sent);
        if (!engine_core_request_write(o->core, reinterpret_cast<const unsigned char*>(o->to_send.data() + o->sent),
                                       static_cast<std::int32_t>(piece)))
            InterlockedIncrement(&o->refused);
    }
    InterlockedIncrement(&o->report_count);
}

struct Engine {
    EngineCore core;
    volatile LONG hold = 0;           // writes are not started while set
    volatile LONG ignore_stop = 0;    // the body never leaves (a hung thread)
    volatile LONG write_requests = 0; // times write_request woke the thread
};

void serve(void* context, DWORD index)
{
    Engine* e = static_cast<Engine*>(context);
    if (index != 0 || e->hold) return;
    InterlockedIncrement(&e->write_requests);
    const unsigned char* data;
    std::int32_t length;
    while (engine_core_take_write(&e->core, &data, &length))
        if (!engine_core_write_ended(&e->core, length)) break;
}

DWORD WINAPI body(void* parameter) noexcept
{
    Engine* e = static_cast<Engine*>(parameter);
    const HANDLE set[2] = {e->core.write_request, e->core.wake};
    while (!e->core.stop_requested || e->ignore_stop) engine_wait_and_serve(&e->core, set, 2, 20, serve, e);
    engine_thread_leave(&e->core.thread);
    return 0;
}

struct EngineCoreTest : ::testing::Test {
    Owner owner;
    Engine engine{};
    bool opened = false;
    void SetUp() override
    {
        EngineCallbacks callbacks = {4096, nullptr, owner_sent, nullptr, &owner};
        ASSERT_EQ(engine_core_open(&engine.core, &callbacks), 0);
        ASSERT_TRUE(engine_core_start(&engine.core, body, &engine));
        owner.core = &engine.core;
        opened = true;
    }
    void TearDown() override
    {
        if (opened) engine_core_stop(&engine.core);
    }
    int request(const std::string& bytes)
    {
        return engine_core_request_write(&engine.core, reinterpret_cast<const unsigned char*>(bytes.data()),
                                         static_cast<std::int32_t>(bytes.size()));
    }
};

TEST_F(EngineCoreTest, OneWriteAtATimeAndTheNextAskedForFromItsReport)
{
    owner.to_send = "0123456789";
    InterlockedExchange(&engine.hold, 1);
    const unsigned char* first = reinterpret_cast<const unsigned char*>(owner.to_send.data());
    EXPECT_EQ(engine_core_request_write(&engine.core, first, 3), 1);
    EXPECT_EQ(engine_core_request_write(&engine.core, first, 3), 0);  // the one slot is taken
    EXPECT_EQ(engine_core_request_write(&engine.core, nullptr, 3), 0);
    EXPECT_EQ(engine_core_request_write(&engine.core, first, 0), 0);
    InterlockedExchange(&engine.hold, 0);
    SetEvent(engine.core.write_request);
    ASSERT_TRUE(wait_until([&] { return owner.sent == owner.to_send.size(); }, 5000));
    EXPECT_EQ(owner.reports, (std::vector<std::int32_t>{3, 3, 3, 1}));
    EXPECT_EQ(owner.refused, 0);
    // Each next piece started at once, without waking the thread again.
    EXPECT_EQ(engine.write_requests, 1);
    // While stopping nothing is accepted any more.
    InterlockedExchange(&engine.core.stop_requested, 1);
    EXPECT_EQ(engine_core_request_write(&engine.core, first, 1), 0);
}

std::vector<DWORD> served;

void record(void*, DWORD index)
{
    served.push_back(index);
}

// The order of the set gives priority, not exclusion: an event signalled on every
// pass does not keep the others from their turn.
TEST_F(EngineCoreTest, EveryEventSignalledIsServedInOnePass)
{
    HANDLE set[3];
    for (HANDLE& event : set) event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetEvent(set[0]);
    SetEvent(set[2]);
    served.clear();
    EXPECT_TRUE(engine_wait_and_serve(&engine.core, set, 3, 0, record, nullptr));
    EXPECT_EQ(served, (std::vector<DWORD>{0, 2}));
    ResetEvent(set[0]);
    served.clear();
    EXPECT_TRUE(engine_wait_and_serve(&engine.core, set, 3, 0, record, nullptr));
    EXPECT_EQ(served, (std::vector<DWORD>{2}));
    ResetEvent(set[2]);
    EXPECT_FALSE(engine_wait_and_serve(&engine.core, set, 3, 0, record, nullptr));
    for (HANDLE event : set) CloseHandle(event);
}

TEST_F(EngineCoreTest, StopReturnsAfterItsPauseAndNothingReportsAfterIt)
{
    DWORD start = GetTickCount();
    engine_core_stop(&engine.core);
    opened = false;
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 90u);
    EXPECT_LT(took, 500u);
    EXPECT_EQ(engine.core.thread, nullptr);
    LONG calls = owner.calls;
    owner.to_send = "late";
    EXPECT_EQ(request(owner.to_send), 0);
    Sleep(100);
    EXPECT_EQ(owner.calls, calls);
}

TEST_F(EngineCoreTest, AThreadThatDoesNotEndIsTerminatedAfterTheLastPoll)
{
    InterlockedExchange(&engine.ignore_stop, 1);
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), engine.core.thread, GetCurrentProcess(), &thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    DWORD start = GetTickCount();
    engine_core_stop(&engine.core);
    opened = false;
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 1000u);
    EXPECT_LT(took, 2000u);
    DWORD code = 0;
    EXPECT_EQ(WaitForSingleObject(thread, 1000), WAIT_OBJECT_0);
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(thread);
}

}  // namespace
