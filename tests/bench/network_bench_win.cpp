// Network figures under Wine, against the bench's TCP peer on 127.0.0.1:
//   the engine receiving from the peer streaming ("source") and sending to it while
//   it drops what arrives ("sink"), each against a plain blocking socket with the same
//   4096-byte recv or send in the same run, and their ratios;
//   100 MB each way through a network Port (engine, receive path, send queue) with the
//   peer echoing, checked byte by byte against the stream sent;
//   the worst stop over the engine's states: connecting, connected idle, connected and
//   flooding, listening, and waiting between attempts.
// Runs inside the test bench; prints nothing when there is no peer.
#include <winsock.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ports/network/network_port_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const long long TOTAL = 32ll << 20;
const int PIECE = 4096;
const long long LOST_CHECK_TOTAL = 100ll << 20;

double seconds_now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double best(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

sockaddr_in peer_address()
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(tcp_peer_port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A plain blocking socket doing 4096-byte recv or send until TOTAL; MB/s, 0 on failure.
double raw_rate(bool receive)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = peer_address();
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        return 0;
    }
    static char buffer[PIECE];
    long long done = 0;
    double start = seconds_now();
    while (done < TOTAL) {
        int n = receive ? recv(s, buffer, PIECE, 0) : send(s, buffer, PIECE, 0);
        if (n <= 0) break;
        done += n;
    }
    double elapsed = seconds_now() - start;
    closesocket(s);
    return done >= TOTAL ? TOTAL / elapsed / 1e6 : 0;
}

struct EngineRun {
    NetworkEngine engine;
    volatile LONG64 received;
    volatile LONG64 sent;
    HANDLE done;
    bool flood;       // asks for the next write from inside every report
    double start;     // when the connection was made
    double end;       // when the last byte was handed over
};

unsigned char send_buffer[PIECE];

void run_receive(void* owner, const unsigned char*, std::int32_t length)
{
    EngineRun* run = static_cast<EngineRun*>(owner);
    if (InterlockedAdd64(&run->received, length) >= TOTAL && !run->end) {
        run->end = seconds_now();
        SetEvent(run->done);
    }
}

void run_sent(void* owner, const unsigned char*, std::int32_t, std::int32_t written)
{
    EngineRun* run = static_cast<EngineRun*>(owner);
    if (InterlockedAdd64(&run->sent, written) >= TOTAL && !run->flood) {
        run->end = seconds_now();
        SetEvent(run->done);
        return;
    }
    net_write(&run->engine, send_buffer, PIECE);
}

// The clock starts with the connection, as the plain socket's starts after connect.
void run_status(void* owner, PortStatus)
{
    EngineRun* run = static_cast<EngineRun*>(owner);
    if (net_state(&run->engine) == NET_CONNECTED && !run->start) run->start = seconds_now();
}

bool open_run(EngineRun* run, const char* host, int port, int mode, NetworkSettings settings)
{
    NetworkOpenParams params = {{host, port, mode},
                                settings,
                                {ENGINE_RECEIVE_BUFFER_SIZE, run_receive, run_sent, run_status, run}};
    return net_open(&run->engine, &params) == 0;
}

// The engine receiving (the peer streams) or sending 4096 bytes a write (the peer
// drops them); MB/s, 0 on failure.
double engine_rate(bool receive)
{
    EngineRun* run = new EngineRun();
    run->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    double rate = 0;
    if (open_run(run, "127.0.0.1", tcp_peer_port(), NET_MODE_CLIENT, {0, 1, 0})) {
        if (!receive) {
            // Writes wait for the connection; the first starts the chain.
            net_write(&run->engine, send_buffer, PIECE);
        }
        bool finished = WaitForSingleObject(run->done, 60000) == WAIT_OBJECT_0;
        net_stop(&run->engine);
        if (finished && run->end > run->start) rate = TOTAL / (run->end - run->start) / 1e6;
    }
    CloseHandle(run->done);
    delete run;
    return rate;
}

void report(const char* what, double engine, double raw)
{
    std::printf("network_%s_engine: %.1f MB/s\n", what, engine);
    std::printf("network_%s_raw: %.1f MB/s\n", what, raw);
    if (raw > 0) std::printf("network_%s_ratio_engine_to_raw: %.2f x\n", what, engine / raw);
}

// 100 MB each way through a network Port: sent as direct writes of at most 1 MB, each
// continued from its completion hook (as a file send goes), echoed by the peer and
// taken by a receive hook that compares every byte with the stream sent.
struct LostCheck {
    std::vector<unsigned char> stream;
    volatile LONG64 sent = 0;
    volatile LONG64 matched = 0;
    volatile LONG broken = 0;
} check;

void send_more(Port* port, std::int32_t written)
{
    LONG64 sent = InterlockedAdd64(&check.sent, written);
    if (sent >= LOST_CHECK_TOTAL) return;
    std::int32_t length = static_cast<std::int32_t>(std::min<LONG64>(1 << 20, LOST_CHECK_TOTAL - sent));
    port_send(port, check.stream.data() + sent, length, send_more);
}

std::int32_t compare_received(Port*, const unsigned char* data, std::int32_t length)
{
    LONG64 at = check.matched;
    for (std::int32_t i = 0; i < length && !check.broken; ++i, ++at)
        if (at >= LOST_CHECK_TOTAL || data[i] != check.stream[static_cast<size_t>(at)]) check.broken = 1;
    if (!check.broken) check.matched = at;
    return 0;  // not shown
}

void bench_lost_bytes()
{
    check.stream.resize(static_cast<size_t>(LOST_CHECK_TOTAL));
    unsigned state = 2463534242u;
    for (unsigned char& b : check.stream) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<unsigned char>(state >> 24);
    }
    display_settings_defaults(&display_settings);
    display_settings.receive_crlf = 2;  // unchanged, so that what returns is what went
    *network_settings() = NetworkSettings{0, 1, 0};
    TestFrame frame;
    NetworkTarget target = {"127.0.0.1", tcp_peer_port(), NET_MODE_CLIENT};
    Port* port = frame.made ? create_port(PORT_NETWORK, &target) : nullptr;
    if (!port) return;
    port->receive_hook = compare_received;
    // The status routine sets the caption through this thread: messages are handled
    // while waiting.
    auto wait_pumping = [](auto done, DWORD timeout_ms) {
        return wait_until(
            [&] {
                pump_messages();
                return done();
            },
            timeout_ms);
    };
    wait_pumping([&] { return port->connection_state == 1; }, 5000);
    port_send(port, check.stream.data(), 1 << 20, send_more);
    LONG64 last = -1;
    DWORD last_change = GetTickCount();
    wait_pumping(
        [&] {
            LONG64 now = check.matched;
            if (now != last) last_change = GetTickCount();
            last = now;
            return now >= LOST_CHECK_TOTAL || check.broken || GetTickCount() - last_change > 10000;
        },
        600000);
    std::printf("network_lost_bytes: %lld bytes\n", static_cast<long long>(LOST_CHECK_TOTAL - check.matched));
    close_port(port);
    check.stream = std::vector<unsigned char>();
}

// Milliseconds net_stop takes in each state (three times each); the worst.
double stop_worst()
{
    SOCKET full = socket(AF_INET, SOCK_STREAM, 0), filler = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(full, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(full, 0);  // with one client queued, further attempts hang
    getsockname(full, reinterpret_cast<sockaddr*>(&address), &length);
    connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int hanging = ntohs(address.sin_port);
    SOCKET closed = socket(AF_INET, SOCK_STREAM, 0);
    address.sin_port = 0;
    bind(closed, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(closed, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(closed);
    int refusing = ntohs(address.sin_port);
    struct Case {
        int port;
        int mode;
        NetworkSettings settings;
        bool flood;
    } cases[] = {
        {hanging, NET_MODE_CLIENT, {1, 1, 10}, false},        {tcp_peer_port(), NET_MODE_CLIENT, {1, 1, 0}, false},
        {tcp_peer_port(), NET_MODE_CLIENT, {1, 1, 0}, true},  {0, NET_MODE_SERVER, {1, 1, 0}, false},
        {refusing, NET_MODE_CLIENT, {1, 300, 10}, false},
    };
    double worst = 0;
    for (int round = 0; round < 3; ++round) {
        for (const Case& c : cases) {
            EngineRun* run = new EngineRun();
            run->flood = c.flood;
            if (open_run(run, "127.0.0.1", c.port, c.mode, c.settings)) {
                if (c.flood) net_write(&run->engine, send_buffer, PIECE);
                Sleep(500);
                double start = seconds_now();
                net_stop(&run->engine);
                worst = std::max(worst, (seconds_now() - start) * 1000);
            }
            delete run;
        }
    }
    closesocket(filler);
    closesocket(full);
    return worst;
}

}  // namespace

void bench_network()
{
    if (tcp_peer_port() == 0 || net_startup() != 1) return;
    std::vector<double> engine_in, raw_in, engine_out, raw_out;
    // Seven of each, interleaved so that both see the same machine, and the best of
    // each: the machine is shared, and a run slowed by other work says nothing of
    // either loop.
    for (int round = 0; round < 7; ++round) {
        tcp_peer_command("mode", "source");
        raw_in.push_back(raw_rate(true));
        engine_in.push_back(engine_rate(true));
        tcp_peer_command("mode", "sink");
        raw_out.push_back(raw_rate(false));
        engine_out.push_back(engine_rate(false));
    }
    tcp_peer_command("mode", "echo");
    report("receive", best(engine_in), best(raw_in));
    report("send", best(engine_out), best(raw_out));
    std::fflush(stdout);
    bench_lost_bytes();
    std::printf("network_stop_worst: %.0f ms\n", stop_worst());
    net_cleanup();
}
