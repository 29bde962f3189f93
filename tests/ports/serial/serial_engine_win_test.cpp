// The serial engine against the bench's pty pair declared as a COM port: the line
// settings read back from the device, megabytes each way with nothing lost or
// reordered, modem-line changes, purge, the stop with I/O outstanding, ports that
// cannot be opened, a driver that takes no modem-line events, writes under a receive
// flood and a device that goes away. The write slot and the stop protocol themselves
// are the engine core's (engine_core_win_test.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ports/serial/serial_engine_win.h"
#include "tests/support/fixture_win.h"

namespace {

// What the engine reported, and the data an owner feeds it piece by piece from
// on_sent, as the port's send queue does.
struct Owner {
    CRITICAL_SECTION lock;
    std::string received;
    std::vector<std::int32_t> sent_reports;
    volatile LONG status_calls = 0;
    volatile LONG calls = 0;  // every notification
    SerialEngine* engine = nullptr;
    std::string to_send;
    size_t send_at = 0;
    volatile LONG refused_in_on_sent = 0;
    DWORD receive_pause_ms = 0;  // an owner slower than the device: the queue stays full

    Owner() { InitializeCriticalSection(&lock); }
    ~Owner() { DeleteCriticalSection(&lock); }
    std::string received_copy()
    {
        EnterCriticalSection(&lock);
        std::string copy = received;
        LeaveCriticalSection(&lock);
        return copy;
    }
    std::vector<std::int32_t> reports()
    {
        EnterCriticalSection(&lock);
        std::vector<std::int32_t> copy = sent_reports;
        LeaveCriticalSection(&lock);
        return copy;
    }
};

void owner_receive(void* owner, const unsigned char* data, std::int32_t length)
{
    Owner* o = static_cast<Owner*>(owner);
    InterlockedIncrement(&o->calls);
    EnterCriticalSection(&o->lock);
    o->received.append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    LeaveCriticalSection(&o->lock);
    if (o->receive_pause_ms) Sleep(o->receive_pause_ms);
}

const size_t PIECE = 4096;

void send_next(Owner* o)
{
    if (o->send_at >= o->to_send.size()) return;
    size_t n = std::min(PIECE, o->to_send.size() - o->send_at);
    if (!serial_engine_write(o->engine, reinterpret_cast<const unsigned char*>(o->to_send.data() + o->send_at),
                             static_cast<std::int32_t>(n)))
        InterlockedIncrement(&o->refused_in_on_sent);
}

void owner_sent(void* owner, const unsigned char*, std::int32_t, std::int32_t written)
{
    Owner* o = static_cast<Owner*>(owner);
    InterlockedIncrement(&o->calls);
    EnterCriticalSection(&o->lock);
    o->sent_reports.push_back(written);
    LeaveCriticalSection(&o->lock);
    // The engine is idle again: the next piece (or the rest of a partial one) goes
    // from inside the report.
    o->send_at += static_cast<size_t>(written);
    send_next(o);
}

void owner_status(void* owner, PortStatus)
{
    Owner* o = static_cast<Owner*>(owner);
    InterlockedIncrement(&o->calls);
    InterlockedIncrement(&o->status_calls);
}

// Sequence-numbered bytes: a 32-bit counter, little-endian, over and over.
std::string numbered(size_t bytes, std::uint32_t first)
{
    std::string out(bytes, '\0');
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        std::uint32_t n = first + static_cast<std::uint32_t>(i / 4);
        out[i] = static_cast<char>(n);
        out[i + 1] = static_cast<char>(n >> 8);
        out[i + 2] = static_cast<char>(n >> 16);
        out[i + 3] = static_cast<char>(n >> 24);
    }
    return out;
}

struct SerialEngineTest : ::testing::Test {
    int number = 0;
    std::string modem_in;
    Owner owner;
    SerialEngine engine{};
    bool opened = false;

    void SetUp() override
    {
        number = std::atoi(fixture_env("TAVEX_TEST_COM").c_str());
        modem_in = fixture_env("TAVEX_TEST_COM_MODEM_IN");
        ASSERT_GT(number, 0) << "run under the test bench";
        write_file(windows_path(modem_in), "");
        owner.engine = &engine;
    }
    void TearDown() override
    {
        if (opened) serial_engine_stop(&engine);
        write_file(windows_path(modem_in), "");
        drain_peer();
    }
    int open(SerialSettings settings = SERIAL_DEFAULT_SETTINGS)
    {
        SerialOpenParams params;
        params.settings = settings;
        params.callbacks = EngineCallbacks{ENGINE_RECEIVE_BUFFER_SIZE, owner_receive, owner_sent, owner_status, &owner};
        int result = serial_engine_open(number, &engine, &params);
        opened = result == 0;
        return result;
    }
    // Whatever a test left in the pty must not reach the next one.
    void drain_peer()
    {
        StreamEnd peer(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
        while (!peer.read(65536, 100).empty()) {
        }
    }
};

TEST_F(SerialEngineTest, OpensAndConfiguresTheLineFromTheSettings)
{
    SerialSettings settings = {19200, 7, 2, 2, 3, 1, 0, 1, 1};
    ASSERT_EQ(open(settings), 0);
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(engine.device, &dcb));
    // A pty keeps its character size, parity and stop bits at 8N1 whatever it is
    // told (the mapping of those is tested natively); speed and handshake it keeps.
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    // Reconfiguring an open engine: 8N1 without handshake.
    SerialSettings plain = {115200, 8, 0, 0, 0, 0, 0, 1, 1};
    EXPECT_EQ(serial_engine_configure(&engine, &plain), 1);
    ASSERT_TRUE(GetCommState(engine.device, &dcb));
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_FALSE(dcb.fOutxCtsFlow);
    EXPECT_EQ(serial_engine_configure(nullptr, &plain), 0);
    EXPECT_EQ(serial_engine_configure(&engine, nullptr), 0);
}

struct SerialBulk : SerialEngineTest, ::testing::WithParamInterface<int> {};

TEST_P(SerialBulk, FourMegabytesEachWayArriveWhole)
{
    const size_t TOTAL = 4u << 20;
    SerialSettings settings = {115200, 8, 0, 0, 0, 0, 0, 1, 1};
    ASSERT_EQ(open(settings), 0);
    StreamEnd peer(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
    ASSERT_TRUE(peer.is_open());

    std::string in = numbered(TOTAL, static_cast<std::uint32_t>(GetParam()) << 24);
    for (size_t at = 0; at < TOTAL; at += 65536) ASSERT_TRUE(peer.write(in.substr(at, 65536), 10000)) << at;
    ASSERT_TRUE(wait_until([&] { return owner.received_copy().size() >= TOTAL; }, 30000))
        << owner.received_copy().size();
    EXPECT_TRUE(owner.received_copy() == in);

    owner.to_send = numbered(TOTAL, 0x40000000u + GetParam());
    send_next(&owner);
    std::string out = peer.read(TOTAL, 30000);
    ASSERT_EQ(out.size(), TOTAL);
    EXPECT_TRUE(out == owner.to_send);
    EXPECT_EQ(owner.refused_in_on_sent, 0);
    EXPECT_TRUE(wait_until([&] { return owner.send_at == TOTAL; }, 5000));
}

INSTANTIATE_TEST_SUITE_P(Rounds, SerialBulk, ::testing::Values(1, 2, 3));

TEST_F(SerialEngineTest, ModemLineChangesReachOnStatus)
{
    ASSERT_EQ(open(), 0);
    Sleep(100);
    // Waited for by the lines themselves, not by any status report: the shim may read
    // the file half written (empty: every line off), which is a change reported too.
    const DWORD both = MS_CTS_ON | MS_DSR_ON;
    LONG before = owner.status_calls;
    write_file(windows_path(modem_in), "CTS");
    EXPECT_TRUE(wait_until([&] { return (engine.last_modem_status & both) == MS_CTS_ON; }, 3000));
    EXPECT_GT(owner.status_calls, before);
    before = owner.status_calls;
    write_file(windows_path(modem_in), "CTS DSR");
    EXPECT_TRUE(wait_until([&] { return (engine.last_modem_status & both) == both; }, 3000));
    EXPECT_GT(owner.status_calls, before);
}

TEST_F(SerialEngineTest, APurgeEndsAWriteUnderWayWithNothingWritten)
{
    ASSERT_EQ(open(), 0);
    // Nobody reads the far end: a large write stays under way.
    std::string big(8u << 20, 'w');
    ASSERT_EQ(serial_engine_write(&engine, reinterpret_cast<const unsigned char*>(big.data()),
                                  static_cast<std::int32_t>(big.size())), 1);
    Sleep(200);
    EXPECT_TRUE(owner.reports().empty());
    const unsigned char other[] = {'x'};
    EXPECT_EQ(serial_engine_write(&engine, other, 1), 0);  // the one slot is taken
    EXPECT_EQ(serial_engine_purge(&engine), 1);
    ASSERT_TRUE(wait_until([&] { return !owner.reports().empty(); }, 3000));
    EXPECT_EQ(owner.reports()[0], 0);
    EXPECT_EQ(serial_engine_write(&engine, other, 1), 1);  // idle again
    EXPECT_EQ(serial_engine_purge(nullptr), 0);
}

// With the device's I/O and its event wait outstanding, the stop still returns after
// the common pause, and nothing is reported afterwards.
TEST_F(SerialEngineTest, StopIsQuickAndNothingCallsBackAfterIt)
{
    ASSERT_EQ(open(), 0);
    Sleep(50);
    DWORD start = GetTickCount();
    serial_engine_stop(&engine);
    opened = false;
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(engine.device, nullptr);
    LONG calls = owner.calls;
    StreamEnd peer(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
    peer.write("after the stop");
    write_file(windows_path(modem_in), "CTS");
    Sleep(300);
    EXPECT_EQ(owner.calls, calls);
    serial_engine_stop(nullptr);
}

TEST_F(SerialEngineTest, APortThatCannotBeOpenedLeavesNothingOpen)
{
    // Wine does not refuse a second open of a COM device, so a port that is not
    // there stands in for one held by another program.
    int present = number;
    number = 15;
    EXPECT_EQ(open(), -1);
    EXPECT_EQ(engine.device, nullptr);
    // A device that answers no line state is no serial port.
    number = std::atoi(fixture_env("TAVEX_TEST_NOT_SERIAL_COM").c_str());
    ASSERT_GT(number, 0);
    EXPECT_EQ(open(), -1);
    EXPECT_EQ(engine.device, nullptr);
    number = present;
    SerialOpenParams params{};
    EXPECT_EQ(serial_engine_open(0, &engine, &params), -1);
    EXPECT_EQ(serial_engine_open(number, &engine, &params), -1);  // receive buffer size 0
    EXPECT_EQ(serial_engine_open(99, &engine, nullptr), -1);
    EXPECT_EQ(open(), 0);  // the port itself was left free
}

TEST_F(SerialEngineTest, ADriverWithoutModemEventsStillReceives)
{
    // The shim leaves this pty's modem ioctls to the pty, which rejects them, as a
    // driver without modem lines would.
    std::string bare = modem_in.substr(0, modem_in.size() - 3) + ".bare";
    ASSERT_TRUE(write_file(windows_path(bare), ""));
    ASSERT_EQ(open(), 0);
    StreamEnd peer(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
    std::string data = numbered(100000, 77);
    ASSERT_TRUE(peer.write(data));
    EXPECT_TRUE(wait_until([&] { return owner.received_copy().size() >= data.size(); }, 10000))
        << owner.received_copy().size() << " bytes";
    EXPECT_TRUE(owner.received_copy() == data);
    peer.write("tail");
    EXPECT_TRUE(wait_until([&] { return owner.received_copy().size() >= data.size() + 4; }, 5000));
    serial_engine_stop(&engine);
    opened = false;
    DeleteFileA(windows_path(bare).c_str());
}

// Bytes written while a flood comes in go out while it goes on, and their write is
// reported ended: every signalled event is served in each pass, not only the read
// that completes every time. The owner takes its time with each delivery, as with a
// device that delivers faster than the thread drains: every read then completes at
// once.
TEST_F(SerialEngineTest, TypedBytesGoOutWhileAFloodComesIn)
{
    owner.receive_pause_ms = 2;
    ASSERT_EQ(open(), 0);
    StreamEnd peer(windows_path(fixture_env("TAVEX_TEST_COM_PEER")));
    ASSERT_TRUE(peer.is_open());
    struct Flood {
        StreamEnd* peer;
        volatile LONG on;
        HANDLE thread;
        ~Flood()
        {
            InterlockedExchange(&on, 0);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
    } flood{&peer, 1, nullptr};
    flood.thread = CreateThread(
        nullptr, 0,
        [](void* p) noexcept -> DWORD {
            Flood* f = static_cast<Flood*>(p);
            std::string block(65536, 'f');
            while (f->on) f->peer->write(block, 2000);
            return 0;
        },
        &flood, 0, nullptr);
    ASSERT_TRUE(wait_until([&] { return owner.received_copy().size() > (256u << 10); }, 10000));
    std::vector<DWORD> delays;
    const unsigned char typed[] = {'T'};
    for (int key = 0; key < 9; ++key) {
        Sleep(30);
        size_t reports = owner.reports().size();
        DWORD start = GetTickCount();
        ASSERT_EQ(serial_engine_write(&engine, typed, 1), 1) << "key " << key;
        EXPECT_EQ(peer.read(1, 5000), "T");
        EXPECT_TRUE(wait_until([&] { return owner.reports().size() > reports; }, 5000));
        delays.push_back(GetTickCount() - start);
    }
    size_t flooded = owner.received_copy().size();
    std::sort(delays.begin(), delays.end());
    EXPECT_LT(delays[delays.size() / 2], 100u) << "slowest " << delays.back() << " ms";
    Sleep(50);
    EXPECT_GT(owner.received_copy().size(), flooded);  // the flood went on meanwhile
    // What the pty still holds must not reach the next test.
    InterlockedExchange(&flood.on, 0);
    owner.receive_pause_ms = 0;
    size_t seen = 0;
    wait_until(
        [&] {
            size_t now = owner.received_copy().size();
            bool still = now == seen;
            seen = now;
            Sleep(100);
            return still;
        },
        10000);
}

// A device that goes away (the far end of the pty closes, as an adapter is pulled):
// reported once, every later write refused, no I/O retried; a new open works once
// it is back.
TEST_F(SerialEngineTest, ADeviceThatGoesAwayIsReportedAndLeftAlone)
{
    ASSERT_EQ(open(), 0);
    Sleep(100);
    LONG before = owner.status_calls;
    ASSERT_TRUE(cut_com_port());
    EXPECT_TRUE(wait_until([&] { return owner.status_calls > before; }, 1000));
    const unsigned char typed[] = {'x'};
    EXPECT_EQ(serial_engine_write(&engine, typed, 1), 0);
    LONG calls = owner.calls;
    Sleep(300);
    EXPECT_EQ(owner.calls, calls);  // nothing goes on in a loop
    serial_engine_stop(&engine);
    opened = false;
    ASSERT_TRUE(restore_com_port());
    ASSERT_EQ(open(), 0);
    EXPECT_EQ(serial_engine_write(&engine, typed, 1), 1);
}

}  // namespace
