// The port's send queue as an engine drives it (in flight, pending, partial and zero
// writes, direct writes and their hooks, abort), the receive path (chunking, line-end
// conversion, the receive hook, quiet), the connection text, the port menus and the
// close order against an engine call under way.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/status_bar_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

struct PortTest : TestEnginePorts {
    void SetUp() override
    {
        TestEnginePorts::SetUp();
        open();
    }
    std::int32_t send(const std::string& bytes, PortCompletionHook hook = nullptr)
    {
        return port_send(port, reinterpret_cast<const unsigned char*>(bytes.data()),
                         static_cast<std::int32_t>(bytes.size()), hook);
    }
};

// What the completion hooks saw; each test resets it.
struct HookLog {
    volatile LONG calls;
    volatile LONG last_count;
};
HookLog hook_log;

void record_hook(Port*, std::int32_t count)
{
    InterlockedExchange(&hook_log.last_count, count);
    InterlockedIncrement(&hook_log.calls);
}

bool wait_for_hook(LONG calls)
{
    return wait_until([calls] { return hook_log.calls >= calls; }, 5000);
}

// The queue's arithmetic is proven natively (send_queue_test.cpp); here it drives a
// real engine thread: bytes typed during a write go out together after it, at most
// two buffers are taken, and partial and zero writes go on from where they stopped.
TEST_F(PortTest, BufferedSendsFeedTheEngineOneWriteAtATime)
{
    test_engine_hold(port, true);
    EXPECT_EQ(send("a"), 1);
    EXPECT_EQ(send("bc"), 2);
    std::string big(10000, 'x');
    EXPECT_EQ(send(big), 4094);  // the pending buffer fills up
    EXPECT_EQ(send("y"), 0);
    test_engine_hold(port, false);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "abc" + std::string(4094, 'x'));
    EXPECT_EQ(test_engine_requests(port), (std::vector<std::int32_t>{1, 4096}));

    std::string text;
    for (int i = 0; i < 100; ++i) text += static_cast<char>('0' + i % 10);
    test_engine_script(port, {10, 0, 30});
    EXPECT_EQ(send(text), 100);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port).substr(4097), text);
    EXPECT_EQ(test_engine_requests(port), (std::vector<std::int32_t>{1, 4096, 100, 90, 90, 60}));
    EXPECT_EQ(test_engine_of(port)->refused, 0);  // never more than one write asked for
}

// A direct send: the whole buffer in one write and its hook told what was written;
// refused (and its hook never called) while a typed write is in flight; bytes typed
// during it follow it.
TEST_F(PortTest, DirectSendsWriteTheWholeBufferAndCallTheirHook)
{
    hook_log = HookLog{};
    std::string big(100000, 'p');
    EXPECT_EQ(send(big, record_hook), 100000);
    ASSERT_TRUE(wait_for_hook(1));
    EXPECT_EQ(hook_log.last_count, 100000);
    test_engine_script(port, {0});  // one that wrote nothing leaves the decision to its hook
    EXPECT_EQ(send(big, record_hook), 100000);
    ASSERT_TRUE(wait_for_hook(2));
    EXPECT_EQ(hook_log.last_count, 0);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_requests(port), (std::vector<std::int32_t>{100000, 100000}));

    test_engine_hold(port, true);
    EXPECT_EQ(send("typed"), 5);
    EXPECT_EQ(send("pasted", record_hook), 0);
    test_engine_hold(port, false);
    ASSERT_TRUE(test_engine_settle(port));
    Sleep(50);
    EXPECT_EQ(hook_log.calls, 2);

    test_engine_hold(port, true);
    std::string paste(5000, 'v');
    EXPECT_EQ(send(paste, record_hook), 5000);
    EXPECT_EQ(send("k"), 1);
    test_engine_hold(port, false);
    ASSERT_TRUE(wait_for_hook(3));
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_TRUE(test_engine_written(port).size() > 5006 &&
                test_engine_written(port).substr(test_engine_written(port).size() - 5006) == "typed" + paste + "k");
    // A buffered write after it is not taken for a direct one.
    EXPECT_EQ(send("m"), 1);
    ASSERT_TRUE(test_engine_settle(port));
    Sleep(20);
    EXPECT_EQ(hook_log.calls, 3);
}

// A device that fails every write at once (an unplugged adapter): the write is
// offered again, but at a pace that leaves the processor idle.
TEST_F(PortTest, AWriteThatAlwaysFailsIsRetriedAtAPace)
{
    test_engine_script(port, std::vector<std::int32_t>(1000, 0));
    EXPECT_EQ(send("x"), 1);
    Sleep(500);
    size_t attempts = test_engine_requests(port).size();
    EXPECT_GT(attempts, 5u);
    EXPECT_LT(attempts, 100u);
    EXPECT_EQ(test_engine_written(port), "");
}

// An engine that stopped by itself (its device gone) refuses writes: the port takes
// none into its queue, so nothing waits for a report that cannot come.
TEST_F(PortTest, AnEngineThatStoppedForGoodIsSentNothing)
{
    hook_log = HookLog{};
    TestEngine* engine = test_engine_of(port);
    InterlockedExchange(&engine->core.stop_requested, 1);
    SetEvent(engine->core.wake);
    EXPECT_EQ(send("typed"), 0);
    EXPECT_EQ(send("piece", record_hook), 0);
    EXPECT_EQ(send("again", record_hook), 0);  // nothing left in flight from before
    Sleep(50);
    EXPECT_EQ(hook_log.calls, 0);
    EXPECT_EQ(test_engine_written(port), "");
}

TEST_F(PortTest, AbortWakesTheEngineAndEmptiesTheQueue)
{
    test_engine_hold(port, true);
    send("in flight");
    send("pending");
    DWORD start = GetTickCount();
    abort_send(port);
    EXPECT_GE(GetTickCount() - start, 450u);
    EXPECT_EQ(test_engine_of(port)->wakes, 1);
    EXPECT_EQ(port->quiet, 0);
    // The engine's late report of the aborted write starts nothing.
    test_engine_hold(port, false);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "in flight");
    EXPECT_EQ(send("next"), 4);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "in flightnext");
}

// Chunk lengths seen by the receive hook, and whether it lets them be shown.
std::vector<std::int32_t> chunks;
std::string chunk_bytes;
std::int32_t hook_result = 1;

std::int32_t record_chunk(Port*, const unsigned char* data, std::int32_t length)
{
    chunks.push_back(length);
    chunk_bytes.append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    return hook_result;
}

struct ReceiveTest : PortTest {
    void SetUp() override
    {
        PortTest::SetUp();
        chunks.clear();
        chunk_bytes.clear();
        hook_result = 1;
        port->receive_hook = record_chunk;
    }
    void receive(const std::string& bytes)
    {
        test_engine_receive(port, bytes);
        ASSERT_TRUE(test_engine_settle(port));
    }
};

// The conversion and its chunks are proven natively (receive_convert_test.cpp); here
// the receive path takes "receive crlf" afresh and reaches the console.
TEST_F(ReceiveTest, LineFeedsBecomeCrLfInThatMode)
{
    display_settings.receive_crlf = 1;
    receive("a\nb\r");
    EXPECT_EQ(chunk_bytes, "a\r\nb\r");
    EXPECT_EQ(console_contents(port), "a\r\nb\r");
    display_settings.receive_crlf = 2;
    receive("\n");
    EXPECT_EQ(console_contents(port), "a\r\nb\r\n");
}

TEST_F(ReceiveTest, AHookReturningZeroSuppressesTheChunk)
{
    hook_result = 0;
    receive("hidden");
    EXPECT_EQ(chunk_bytes, "hidden");
    EXPECT_EQ(console_contents(port), "");
    hook_result = 1;
    receive("shown");
    EXPECT_EQ(console_contents(port), "shown");
}

TEST_F(ReceiveTest, NothingIsReceivedWhileQuiet)
{
    port->quiet = 1;
    receive("dropped");
    port->quiet = 0;
    EXPECT_TRUE(chunks.empty());
    EXPECT_EQ(console_contents(port), "");
}

TEST_F(PortTest, TypedTextIsShownOnlyWithEcho)
{
    const unsigned char typed[] = {'t'};
    display_settings.echo_back = 0;
    console_show(port, typed, 1, SHOW_TYPED);
    EXPECT_EQ(console_contents(port), "");
    console_show(port, typed, 1, SHOW_RECEIVED);
    console_show(port, typed, 1, SHOW_FILE_SEND);
    EXPECT_EQ(console_contents(port), "tt");
    display_settings.echo_back = 1;
    console_show(port, typed, 1, SHOW_TYPED);
    EXPECT_EQ(console_contents(port), "ttt");
}

TEST_F(PortTest, ConnectionTextFollowsTheStateOnlyWithTheFocus)
{
    InitCommonControls();
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, app.instance, nullptr);
    app.status_bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD, 0, 0, 0, 0, parent, nullptr, app.instance, nullptr);
    int widths[] = {50, 100, 150, -1};
    SendMessageA(app.status_bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(widths));
    auto part1 = [] {
        char text[64] = {};
        SendMessageA(app.status_bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    port->console.has_focus = 0;
    show_connection_status(port);
    EXPECT_EQ(part1(), "");
    port->console.has_focus = 1;
    show_connection_status(port);
    EXPECT_EQ(part1(), "\x90\xda\x91\xb1\x92\x86");  // 接続中
    port_set_status(port, PortStatus{PORT_LOST, PORT_REASON_DEVICE_GONE});
    show_connection_status(port);
    EXPECT_EQ(part1(), "\x92\xca\x90\x4d\x95\x73\x89\xc2");  // 通信不可
    DestroyWindow(parent);
    app.status_bar = nullptr;
}

// A menu bar shaped like the frame's: six pop-ups, the port commands in them.
HMENU make_menu_bar()
{
    HMENU bar = CreateMenu();
    const int items[6][2] = {{105, 0}, {206, 0}, {0, 0}, {401, 405}, {0, 0}, {0, 0}};
    for (const auto& pair : items) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 9999, "x");
        for (int id : pair)
            if (id) AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(id), "item");
        AppendMenuA(bar, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(popup), "menu");
    }
    return bar;
}

bool enabled(HMENU menu, UINT item, UINT by)
{
    // Pop-ups by position are counted as the user sees them: a maximized terminal
    // window's system menu stands first in the bar.
    if (by == MF_BYPOSITION && GetMenuItemCount(menu) > 6) item += 1;
    return (GetMenuState(menu, item, by) & (MF_GRAYED | MF_DISABLED)) == 0;
}

TEST(PortMenus, TheFirstPortEnablesThemAndTheLastGraysThem)
{
    PortKindEntry previous = test_engine_install(PORT_NETWORK);
    HMENU bar = make_menu_bar();
    TestFrame frame(bar);
    ASSERT_TRUE(frame.made);
    for (UINT id : {105u, 206u, 401u, 405u}) EnableMenuItem(bar, id, MF_BYCOMMAND | MF_GRAYED);
    int kind = PORT_NETWORK;
    Port* port = create_port(PORT_NETWORK, &kind);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->frame_window, app.frame_window);
    for (UINT position : {1u, 3u, 4u}) EXPECT_TRUE(enabled(bar, position, MF_BYPOSITION)) << position;
    EXPECT_FALSE(enabled(bar, 2, MF_BYPOSITION));
    for (UINT id : {105u, 206u, 401u, 405u}) EXPECT_TRUE(enabled(bar, id, MF_BYCOMMAND)) << id;
    EXPECT_EQ(open_port_count, 1);
    close_port(port);
    for (UINT position : {1u, 3u, 4u}) EXPECT_FALSE(enabled(bar, position, MF_BYPOSITION)) << position;
    for (UINT id : {105u, 206u, 401u, 405u}) EXPECT_FALSE(enabled(bar, id, MF_BYCOMMAND)) << id;
    test_engine_restore(PORT_NETWORK, previous);
}

TEST(PortCreate, AnUnknownKindOrAFailingConstructorYieldsNone)
{
    TestFrame frame;
    EXPECT_EQ(create_port(0, nullptr), nullptr);
    EXPECT_EQ(create_port(5, nullptr), nullptr);
    PortKindEntry previous = port_kind_entry(PORT_USB);
    PortKindEntry failing{};
    failing.create = [](HWND, const void*) -> Port* { return nullptr; };
    port_kind_register(PORT_USB, failing);
    EXPECT_EQ(create_port(PORT_USB, nullptr), nullptr);
    port_kind_register(PORT_USB, previous);
    // Without a frame to hold its window the port cannot be shown or closed by the
    // user: it is closed at once.
    PortKindEntry before = test_engine_install(PORT_SERIAL);
    HWND frame_window = app.frame_window;
    app.frame_window = nullptr;
    EXPECT_EQ(create_port(PORT_SERIAL, nullptr), nullptr);
    app.frame_window = frame_window;
    EXPECT_EQ(open_port_count, 0);
    test_engine_restore(PORT_SERIAL, before);
}

// Closing all ports stops them side by side: each with a write held in its engine
// is closed whole, the commands are grayed after the last, and the held bytes were
// still the sender's when its engine stopped.
TEST_F(PortTest, CloseAllEndsEveryPortWithItsWriteUnderWay)
{
    std::vector<Port*> ports{port};
    for (int i = 1; i < 6; ++i) ports.push_back(create_port(PORT_SERIAL, nullptr));
    for (size_t i = 0; i < ports.size(); ++i) {
        ASSERT_NE(ports[i], nullptr);
        test_engine_hold(ports[i], true);
        EXPECT_EQ(port_send(ports[i], reinterpret_cast<const unsigned char*>("held"), 4, nullptr), 4);
    }
    EXPECT_EQ(open_port_count, 6);
    close_all_ports();
    port = nullptr;
    EXPECT_EQ(open_port_count, 0);
    EXPECT_EQ(FindWindowExA(app.mdi_client, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(test_engine_taken_at_stop(), "held");
    for (Port* closed : ports) EXPECT_FALSE(port_is_open(closed));
}

// A receive hook that holds the engine inside the port until it is let go, and then
// looks at what close_port may already have released.
HANDLE let_go;
volatile LONG hook_entered;
volatile LONG saw_released;

std::int32_t blocking_hook(Port* port, const unsigned char*, std::int32_t)
{
    InterlockedExchange(&hook_entered, 1);
    WaitForSingleObject(let_go, 5000);
    if (!port->mutex_made || !console_has_buffers(&port->console)) InterlockedExchange(&saw_released, 1);
    return 1;
}

DWORD WINAPI let_go_later(void*) noexcept
{
    Sleep(800);  // past abort_send's 500 ms
    SetEvent(let_go);
    return 0;
}

TEST_F(PortTest, CloseWaitsForAnEngineCallUnderWay)
{
    let_go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    hook_entered = 0;
    saw_released = 0;
    port->receive_hook = blocking_hook;
    test_engine_receive(port, "late bytes");
    while (!hook_entered) Sleep(1);
    HANDLE helper = CreateThread(nullptr, 0, let_go_later, nullptr, 0, nullptr);
    DWORD start = GetTickCount();
    close_port(port);
    port = nullptr;
    EXPECT_GE(GetTickCount() - start, 750u);
    EXPECT_EQ(saw_released, 0);
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
    CloseHandle(let_go);
}

// Numbered chunks delivered every millisecond until the close's transfer stop, which
// takes its time here as a file send's end may: what reached the receive hook (a log)
// must be the chunks from the first on, with none missing, although the abort drops
// what arrives during its quiet half second.
Port* flooded;
volatile LONG flooding;
volatile LONG flood_count;
HANDLE flood_thread;

std::string numbered(LONG n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%06ld;", static_cast<long>(n));
    return text;
}

DWORD WINAPI flood_port(void*) noexcept
{
    for (LONG n = 0; flooding; n = InterlockedIncrement(&flood_count)) {
        test_engine_receive(flooded, numbered(n));
        Sleep(1);
    }
    return 0;
}

void stop_after_a_while(Port*)
{
    Sleep(200);
    InterlockedExchange(&flooding, 0);
    WaitForSingleObject(flood_thread, INFINITE);
}

TEST_F(ReceiveTest, WhatArrivesOnceTheCloseBeganIsNotLoggedSoTheLogHasNoHole)
{
    flooded = port;
    flooding = 1;
    flood_count = 0;
    flood_thread = CreateThread(nullptr, 0, flood_port, nullptr, 0, nullptr);
    ASSERT_NE(flood_thread, nullptr);
    while (flood_count < 50) Sleep(1);
    const PortTransferHooks saved = port_transfer_hooks;
    port_transfer_hooks.stop = stop_after_a_while;
    close_port(port);
    port = nullptr;
    port_transfer_hooks = saved;
    CloseHandle(flood_thread);
    std::string expected;
    for (LONG n = 0; expected.size() < chunk_bytes.size(); ++n) expected += numbered(n);
    EXPECT_GE(chunk_bytes.size(), 50 * numbered(0).size());
    size_t same = 0;
    while (same < chunk_bytes.size() && chunk_bytes[same] == expected[same]) ++same;
    EXPECT_EQ(same, chunk_bytes.size()) << "a hole at " << chunk_bytes.substr(same < 14 ? 0 : same - 14, 28);
}

TEST_F(PortTest, CallbacksAfterCloseBeganDoNothing)
{
    InterlockedExchange(&port->delivery_stopped, 1);
    EXPECT_FALSE(port_callback_enter(port));
    on_receive(port, reinterpret_cast<const unsigned char*>("x"), 1);
    EXPECT_EQ(console_contents(port), "");
    InterlockedExchange(&port->delivery_stopped, 0);
    EXPECT_TRUE(port_callback_enter(port));
    port_callback_leave(port);
}

}  // namespace
