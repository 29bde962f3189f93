// Serial throughput through the bench's pty pair: the engine receiving and sending
// 16 MB, against a plain Win32 reader and writer on the same port in the same run,
// and their ratio. The far end is driven from a thread of its own. Runs inside the
// test bench; prints nothing when there is no bench port.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ports/serial/serial_engine_win.h"
#include "tests/bench/bench_support_win.h"
#include "tests/support/fixture_win.h"

namespace {

const size_t TOTAL = 16u << 20;
const DWORD PIECE = 4096;

HANDLE open_raw(int number)
{
    std::string name = "\\\\.\\COM" + std::to_string(number);
    HANDLE port = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) return port;
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;  // a read returns what is there
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 1000;
    SetCommTimeouts(port, &timeouts);
    return port;
}

struct EngineRun {
    SerialEngine engine;
    volatile LONG64 received;
    volatile LONG64 sent;
    HANDLE done;
};

void engine_receive(void* owner, const unsigned char*, std::int32_t length)
{
    EngineRun* run = static_cast<EngineRun*>(owner);
    if (InterlockedAdd64(&run->received, length) >= static_cast<LONG64>(TOTAL)) SetEvent(run->done);
}

unsigned char send_buffer[PIECE];

void engine_sent(void* owner, const unsigned char*, std::int32_t, std::int32_t written)
{
    EngineRun* run = static_cast<EngineRun*>(owner);
    LONG64 sent = InterlockedAdd64(&run->sent, written);
    if (sent >= static_cast<LONG64>(TOTAL)) {
        SetEvent(run->done);
        return;
    }
    serial_engine_write(&run->engine, send_buffer, static_cast<std::int32_t>(PIECE));
}

void engine_status(void*, PortStatus) {}

double engine_rate(int number, const std::string& peer_path, bool receive)
{
    EngineRun* run = new EngineRun();
    run->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SerialOpenParams params;
    params.settings = SerialSettings{115200, 8, 0, 0, 0, 0, 0, 1, 1};
    params.callbacks = EngineCallbacks{ENGINE_RECEIVE_BUFFER_SIZE, engine_receive, engine_sent, engine_status, run};
    double rate = 0;
    if (serial_engine_open(number, &run->engine, &params) == 0) {
        BenchPeer peer{peer_path, receive, TOTAL, nullptr, 0};
        double start = bench_seconds();
        bench_start_peer(&peer);
        if (!receive) serial_engine_write(&run->engine, send_buffer, static_cast<std::int32_t>(PIECE));
        bool finished = WaitForSingleObject(run->done, 60000) == WAIT_OBJECT_0;
        double elapsed = bench_seconds() - start;
        WaitForSingleObject(peer.thread, 20000);
        CloseHandle(peer.thread);
        serial_engine_stop(&run->engine);
        if (finished) rate = TOTAL / elapsed / 1e6;
    }
    CloseHandle(run->done);
    delete run;
    return rate;
}

void report(const char* what, double engine, double raw)
{
    std::printf("serial_%s_engine: %.1f MB/s\n", what, engine);
    std::printf("serial_%s_raw: %.1f MB/s\n", what, raw);
    if (raw > 0) std::printf("serial_%s_ratio_engine_to_raw: %.2f x\n", what, engine / raw);
}

}  // namespace

double bench_seconds()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double bench_median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

static DWORD WINAPI bench_peer_thread(void* parameter) noexcept
{
    BenchPeer* peer = static_cast<BenchPeer*>(parameter);
    StreamEnd end(peer->path);
    if (peer->writing) {
        std::string block(65536, 'r');
        for (size_t sent = 0; sent < peer->total; sent += block.size())
            if (!end.write(block, 10000)) break;
    } else {
        size_t got = 0;
        while (got < peer->total) {
            size_t n = end.read(std::min<size_t>(65536, peer->total - got), 10000).size();
            if (n == 0) break;
            got += n;
        }
        if (got >= peer->total) peer->ended = bench_seconds();
    }
    return 0;
}

HANDLE bench_start_peer(BenchPeer* peer)
{
    return peer->thread = CreateThread(nullptr, 0, bench_peer_thread, peer, 0, nullptr);
}

double serial_raw_rate(int number, const std::string& peer_path, bool receive, DWORD piece, size_t total)
{
    HANDLE port = open_raw(number);
    if (port == INVALID_HANDLE_VALUE) return 0;
    BenchPeer peer{peer_path, receive, total, nullptr, 0};
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<unsigned char> buffer(piece);
    double start = bench_seconds();
    bench_start_peer(&peer);
    size_t done = 0;
    while (done < total) {
        OVERLAPPED ov = {};
        ov.hEvent = event;
        DWORD n = 0;
        BOOL ok = receive ? ReadFile(port, buffer.data(), piece, &n, &ov) : WriteFile(port, buffer.data(), piece, &n, &ov);
        if (!ok && GetLastError() != ERROR_IO_PENDING) break;
        if (!GetOverlappedResult(port, &ov, &n, TRUE)) break;
        if (n == 0 && bench_seconds() - start > 60) break;
        done += n;
    }
    double elapsed = bench_seconds() - start;
    WaitForSingleObject(peer.thread, 20000);
    CloseHandle(peer.thread);
    CloseHandle(event);
    CloseHandle(port);
    return done >= total ? total / elapsed / 1e6 : 0;
}

void bench_serial()
{
    int number = std::atoi(fixture_env("TAVEX_TEST_COM").c_str());
    std::string peer = fixture_env("TAVEX_TEST_COM_PEER");
    if (number <= 0 || peer.empty()) return;
    peer = windows_path(peer);
    // Five of each, interleaved so that both see the same machine; the medians.
    std::vector<double> engine_in, raw_in, engine_out, raw_out;
    for (int round = 0; round < 5; ++round) {
        raw_in.push_back(serial_raw_rate(number, peer, true, PIECE, TOTAL));
        engine_in.push_back(engine_rate(number, peer, true));
        raw_out.push_back(serial_raw_rate(number, peer, false, PIECE, TOTAL));
        engine_out.push_back(engine_rate(number, peer, false));
    }
    report("receive", bench_median(engine_in), bench_median(raw_in));
    report("send", bench_median(engine_out), bench_median(raw_out));
}
