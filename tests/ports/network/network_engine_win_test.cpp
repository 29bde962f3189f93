// The network engine against real peers on 127.0.0.1: the bench's echo peer (steered to
// close or reset its clients), clients and listeners of the test's own, and a port on
// which nothing listens. The states each situation reports and their timing, bytes
// both ways, one peer at a time for a server, a write that waits for its connection
// or is cut off by its end, and the stop: bounded in every state, never by forcing a
// thread, and followed by no callback.
#include <winsock.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ports/network/network_engine_win.h"
#include "tests/support/fixture_win.h"

namespace {

// What the engine reported, in order; the callbacks run on the engine's threads.
struct Recorder {
    NetworkEngine* engine = nullptr;
    CRITICAL_SECTION lock;
    std::vector<int> states;
    std::vector<DWORD> state_times;
    std::string received;
    std::vector<std::int32_t> sent;
    volatile LONG calls = 0;
    // Asks for the same bytes again from inside every report that wrote some.
    const std::string* keep_sending = nullptr;

    Recorder() { InitializeCriticalSection(&lock); }
    ~Recorder() { DeleteCriticalSection(&lock); }
    template <typename F>
    auto with_lock(F f)
    {
        EnterCriticalSection(&lock);
        auto result = f();
        LeaveCriticalSection(&lock);
        return result;
    }
    std::vector<int> seen()
    {
        return with_lock([&] { return states; });
    }
    size_t count(int state)
    {
        return with_lock([&] { return static_cast<size_t>(std::count(states.begin(), states.end(), state)); });
    }
};

void record_receive(void* owner, const unsigned char* data, std::int32_t length)
{
    auto* r = static_cast<Recorder*>(owner);
    InterlockedIncrement(&r->calls);
    r->with_lock([&] { return &r->received.append(reinterpret_cast<const char*>(data), length); });
}

void record_sent(void* owner, const unsigned char* data, std::int32_t, std::int32_t written)
{
    auto* r = static_cast<Recorder*>(owner);
    InterlockedIncrement(&r->calls);
    r->with_lock([&] {
        r->sent.push_back(written);
        return 0;
    });
    if (r->keep_sending && written > 0) net_write(r->engine, data, static_cast<std::int32_t>(r->keep_sending->size()));
}

void record_status(void* owner, PortStatus)
{
    auto* r = static_cast<Recorder*>(owner);
    InterlockedIncrement(&r->calls);
    int state = net_state(r->engine);
    r->with_lock([&] {
        r->states.push_back(state);
        r->state_times.push_back(GetTickCount());
        return 0;
    });
}

sockaddr_in loopback(int port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A blocking socket of the test's own: a client connected to port, or (listen_backlog
// >= 0) a listener on a port the system chooses.
struct TestSocket {
    SOCKET s = INVALID_SOCKET;
    explicit TestSocket(int port, int listen_backlog = -1)
    {
        s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(port);
        if (listen_backlog >= 0) {
            bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
            listen(s, listen_backlog);
        } else {
            connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    ~TestSocket() { close(); }
    void close()
    {
        if (s != INVALID_SOCKET) closesocket(s);
        s = INVALID_SOCKET;
    }
    int port() const
    {
        sockaddr_in address = {};
        int length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }
    bool send_text(const std::string& text) { return send(s, text.data(), static_cast<int>(text.size()), 0) > 0; }
    // Reads until count bytes arrived or a second passed.
    std::string receive(size_t count)
    {
        std::string got;
        DWORD start = GetTickCount();
        while (got.size() < count && GetTickCount() - start < 1000) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(s, &readable);
            timeval wait = {0, 50000};
            if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
            char buffer[4096];
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            got.append(buffer, n);
        }
        return got;
    }
};

// A port on which nothing listens: every connection to it is refused at once.
int refusing_port()
{
    TestSocket taken(0, 0);
    return taken.port();
}

struct NetworkEngineTest : ::testing::Test {
    static void SetUpTestSuite() { ASSERT_EQ(net_startup(), 1); }
    static void TearDownTestSuite() { net_cleanup(); }

    NetworkEngine* engine = new NetworkEngine();
    Recorder recorder;
    bool opened = false;

    void TearDown() override
    {
        if (opened) net_stop(engine);
        delete engine;
    }
    int open(const char* host, int port, int mode, NetworkSettings settings = {1, 1, 0})
    {
        recorder.engine = engine;
        NetworkOpenParams params = {{host, port, mode},
                                    settings,
                                    {ENGINE_RECEIVE_BUFFER_SIZE, record_receive, record_sent, record_status, &recorder}};
        int result = net_open(engine, &params);
        opened = result == 0;
        return result;
    }
    bool wait_for(int state, size_t times = 1, DWORD timeout_ms = 5000)
    {
        return wait_until([&] { return recorder.count(state) >= times; }, timeout_ms);
    }
    bool wait_received(const std::string& text)
    {
        return wait_until([&] { return recorder.with_lock([&] { return recorder.received; }) == text; }, 5000);
    }
    // Stops the engine; the milliseconds it took. Fails the test when a thread had to
    // be ended by force (its exit code is then 1, not 0) or a callback came after.
    DWORD stop()
    {
        HANDLE threads[2] = {};
        HANDLE own[2] = {engine->connection_thread, engine->core.thread};
        for (int i = 0; i < 2; ++i)
            if (own[i])
                DuplicateHandle(GetCurrentProcess(), own[i], GetCurrentProcess(), &threads[i], SYNCHRONIZE |
                                THREAD_QUERY_INFORMATION, FALSE, 0);
        DWORD start = GetTickCount();
        net_stop(engine);
        DWORD took = GetTickCount() - start;
        opened = false;
        LONG calls = recorder.calls;
        for (HANDLE thread : threads) {
            if (!thread) continue;
            // A thread that took its own handle may still be returning.
            EXPECT_EQ(WaitForSingleObject(thread, 1000), WAIT_OBJECT_0);
            DWORD code = STILL_ACTIVE;
            EXPECT_TRUE(GetExitCodeThread(thread, &code));
            EXPECT_EQ(code, 0u) << "a thread was ended by force";
            CloseHandle(thread);
        }
        Sleep(150);
        EXPECT_EQ(recorder.calls, calls) << "called back after the stop";
        return took;
    }
};

// Bytes both ways and both ends named; then the peer closes: state 3; with reconnect,
// 4 about 0.9 s before the wait of 1 s ends, then a new connection from a new local
// port. Without reconnect the engine ends there.
TEST_F(NetworkEngineTest, ClientTalksAndReconnectsOnlyWhenAsked)
{
    ASSERT_NE(tcp_peer_port(), 0) << "run under the test bench";
    ASSERT_EQ(open("127.0.0.1", tcp_peer_port(), NET_MODE_CLIENT, {1, 1, 0}), 0);
    ASSERT_TRUE(wait_for(NET_CONNECTED));
    char text[32];
    EXPECT_STREQ(net_address_text(engine, text, sizeof text, 1), "127.0.0.1");
    EXPECT_STREQ(net_address_text(engine, text, 4, 0), "127");  // cut, and terminated
    EXPECT_EQ(net_port(engine, 0), tcp_peer_port());
    int first_port = net_port(engine, 1);
    EXPECT_NE(first_port, 0);
    static const unsigned char hello[] = "hello \x82\xa0";
    ASSERT_EQ(net_write(engine, hello, 8), 1);
    EXPECT_TRUE(wait_received("hello \x82\xa0"));
    EXPECT_EQ(recorder.with_lock([&] { return recorder.sent; }), std::vector<std::int32_t>{8});
    ASSERT_TRUE(tcp_peer_command("close"));
    ASSERT_TRUE(wait_for(NET_CONNECTED, 2));
    std::vector<int> expected = {NET_CONNECTED, NET_DISCONNECTED, NET_RETRY_PENDING, NET_CONNECTED};
    ASSERT_EQ(recorder.seen(), expected);
    std::vector<DWORD> t = recorder.with_lock([&] { return recorder.state_times; });
    EXPECT_LT(t[2] - t[1], 400u);
    EXPECT_GE(t[3] - t[2], 800u);
    EXPECT_NE(net_port(engine, 1), first_port);

    net_stop(engine);
    recorder.states.clear();
    ASSERT_EQ(open("127.0.0.1", tcp_peer_port(), NET_MODE_CLIENT, {0, 1, 0}), 0);
    ASSERT_TRUE(wait_for(NET_CONNECTED));
    ASSERT_TRUE(tcp_peer_command("close"));
    ASSERT_TRUE(wait_until([&] { return engine->connection_thread == nullptr; }, 3000));
    EXPECT_EQ(recorder.seen(), (std::vector<int>{NET_CONNECTED, NET_DISCONNECTED}));
    static const unsigned char byte[] = "x";
    EXPECT_EQ(net_write(engine, byte, 1), 0);
}

// A reset is a failed receive: state 5 and no reconnect even with reconnect on; the
// write cut off under way is reported with nothing written instead of left waiting.
TEST_F(NetworkEngineTest, PeerResetEndsTheEngineAndReportsTheWriteUnderWay)
{
    TestSocket listener(0, 1);
    ASSERT_EQ(open("127.0.0.1", listener.port(), NET_MODE_CLIENT, {1, 1, 0}), 0);
    SOCKET peer = accept(listener.s, nullptr, nullptr);
    ASSERT_NE(peer, INVALID_SOCKET);
    ASSERT_TRUE(wait_for(NET_CONNECTED));
    // The peer reads nothing, so the writes fill every buffer and the last one waits.
    const std::string block(1 << 20, 'z');
    recorder.keep_sending = &block;
    ASSERT_EQ(net_write(engine, reinterpret_cast<const unsigned char*>(block.data()), 1 << 20), 1);
    size_t settled = 0;
    ASSERT_TRUE(wait_until(
        [&] {
            size_t now = recorder.with_lock([&] { return recorder.sent.size(); });
            bool still = now == settled && now > 0;
            settled = now;
            Sleep(100);
            return still;
        },
        10000));
    linger hard = {1, 0};
    setsockopt(peer, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&hard), sizeof hard);
    closesocket(peer);
    ASSERT_TRUE(wait_for(NET_RECEIVE_FAILED));
    EXPECT_TRUE(wait_until([&] { return recorder.with_lock([&] { return recorder.sent.back(); }) == 0; }, 1000));
    Sleep(1200);
    EXPECT_EQ(recorder.seen(), (std::vector<int>{NET_CONNECTED, NET_RECEIVE_FAILED}));
    EXPECT_EQ(net_write(engine, reinterpret_cast<const unsigned char*>(block.data()), 1), 0);
}

// Retry count N: N + 1 refused attempts, each reported 8, with a wait between them
// (reported 4 0.9 s before it ends); then the connection thread ends.
TEST_F(NetworkEngineTest, RefusedAttemptsAreRetriedAsCounted)
{
    int port = refusing_port();
    ASSERT_EQ(open("127.0.0.1", port, NET_MODE_CLIENT, {1, 1, 0}), 0);
    ASSERT_TRUE(wait_until([&] { return engine->connection_thread == nullptr; }, 3000));
    EXPECT_EQ(recorder.seen(), std::vector<int>{NET_CONNECT_FAILED});
    net_stop(engine);

    recorder.states.clear();
    recorder.state_times.clear();
    ASSERT_EQ(open("127.0.0.1", port, NET_MODE_CLIENT, {1, 1, 2}), 0);
    ASSERT_TRUE(wait_until([&] { return engine->connection_thread == nullptr; }, 6000));
    std::vector<int> expected = {NET_CONNECT_FAILED, NET_RETRY_PENDING, NET_CONNECT_FAILED, NET_RETRY_PENDING,
                                 NET_CONNECT_FAILED};
    ASSERT_EQ(recorder.seen(), expected);
    std::vector<DWORD> t = recorder.state_times;
    EXPECT_GE(t[2] - t[0], 950u);
    EXPECT_GE(t[4] - t[2], 950u);
    EXPECT_GE(t[2] - t[1], 800u);
}

TEST_F(NetworkEngineTest, OpenRefusesWhatCannotBeReached)
{
    // A label longer than 63 characters fails in the resolver itself, asking no server.
    const std::string unresolvable = std::string(70, 'a') + ".invalid";
    struct Case {
        const char* host;
        int port;
        int mode;
    } cases[] = {{"127.0.0.1", 65536, 0}, {"127.0.0.1", -1, 0}, {"127.0.0.1", 80, 2},
                 {unresolvable.c_str(), 80, 0}, {nullptr, 80, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(open(c.host, c.port, c.mode), -1) << c.port;
        EXPECT_EQ(engine->core.rx_buffer, nullptr);
        EXPECT_EQ(engine->connection_thread, nullptr);
    }
    EXPECT_EQ(recorder.calls, 0);
    net_stop(nullptr);
}

// Port 0: the system chooses the port, which the local address shows. A write made
// before any peer is there waits for the first. Two clients: the second is served
// only after the first has left (3, then 1, then 2).
TEST_F(NetworkEngineTest, ServerServesOnePeerAtATime)
{
    ASSERT_EQ(open("127.0.0.1", 0, NET_MODE_SERVER), 0);
    ASSERT_TRUE(wait_for(NET_LISTENING));
    int port = net_port(engine, 1);
    ASSERT_NE(port, 0);
    static const unsigned char answer[] = "served";
    ASSERT_EQ(net_write(engine, answer, 6), 1);
    EXPECT_EQ(net_write(engine, answer, 6), 0);  // one waits already
    TestSocket first(port);
    ASSERT_TRUE(wait_for(NET_CONNECTED));
    EXPECT_EQ(net_port(engine, 0), first.port());
    EXPECT_EQ(first.receive(6), "served");
    TestSocket second(port);
    ASSERT_TRUE(second.send_text("second"));
    ASSERT_TRUE(first.send_text("first "));
    EXPECT_TRUE(wait_received("first "));
    Sleep(300);
    EXPECT_EQ(recorder.with_lock([&] { return recorder.received; }), "first ");
    first.close();
    EXPECT_TRUE(wait_received("first second"));
    EXPECT_EQ(recorder.seen(), (std::vector<int>{NET_LISTENING, NET_CONNECTED, NET_DISCONNECTED, NET_LISTENING,
                                                 NET_CONNECTED}));
    EXPECT_EQ(net_port(engine, 0), second.port());
    ASSERT_EQ(net_write(engine, answer, 6), 1);
    EXPECT_EQ(second.receive(6), "served");
}

TEST_F(NetworkEngineTest, ABusyPortFailsTheBindAndTheEngineStaysIdle)
{
    TestSocket taken(0, 1);
    ASSERT_EQ(open("127.0.0.1", taken.port(), NET_MODE_SERVER), 0);
    ASSERT_TRUE(wait_for(NET_BIND_FAILED));
    Sleep(300);
    EXPECT_EQ(recorder.seen(), std::vector<int>{NET_BIND_FAILED});
}

// net_stop within 1.2 s in each state, without forcing a thread and with no callback
// after it: connecting (a listener whose queue is full lets the attempt hang),
// connected and idle, connected with data flooding both ways, listening, and in the
// wait between attempts, however long.
TEST_F(NetworkEngineTest, StopIsBoundedInEveryState)
{
    const std::string block(4096, 'f');
    TestSocket full(0, 0);
    TestSocket filler(full.port());
    struct Case {
        const char* state;
        int port;
        int mode;
        NetworkSettings settings;
        int wait_state;  // reached first (-1: the attempt hangs in state 0)
        bool flood;
    } cases[] = {
        {"connecting", full.port(), NET_MODE_CLIENT, {1, 1, 10}, -1, false},
        {"connected idle", tcp_peer_port(), NET_MODE_CLIENT, {1, 1, 0}, NET_CONNECTED, false},
        {"connected flooding", tcp_peer_port(), NET_MODE_CLIENT, {1, 1, 0}, NET_CONNECTED, true},
        {"listening", 0, NET_MODE_SERVER, {1, 1, 0}, NET_LISTENING, false},
        // As long a wait and as many retries as a settings file can hold, which are kept.
        {"retry wait", refusing_port(), NET_MODE_CLIENT, {1, INT_MAX, INT_MAX}, NET_CONNECT_FAILED, false},
    };
    for (const Case& c : cases) {
        recorder.states.clear();
        recorder.keep_sending = c.flood ? &block : nullptr;
        ASSERT_EQ(open("127.0.0.1", c.port, c.mode, c.settings), 0) << c.state;
        if (c.wait_state >= 0) {
            ASSERT_TRUE(wait_for(c.wait_state)) << c.state;
        }
        if (c.flood) {
            net_write(engine, reinterpret_cast<const unsigned char*>(block.data()), 4096);
            ASSERT_TRUE(wait_until([&] { return recorder.with_lock([&] { return recorder.received.size(); }) > (1u << 20); },
                                   10000));
        }
        Sleep(300);
        if (c.wait_state < 0) {
            EXPECT_TRUE(recorder.seen().empty()) << "the attempt did not hang";
        }
        EXPECT_LE(stop(), 1200u) << c.state;
    }
}

}  // namespace
