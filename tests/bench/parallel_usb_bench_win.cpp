// Parallel and USB throughput through the bench's stand-ins: each engine receiving
// or sending 16 MB, against a plain overlapped reader or writer of the same pipe or
// port in the same run (4096 bytes a transfer, as the engine), and their ratio. The
// far end is driven from a thread of its own. A parallel port receives by polling,
// at most a buffer an interval, so only its sending is compared. Prints nothing when
// there is no bench. See also port_lost_bytes_bench_win.cpp.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ports/parallel/parallel_engine_win.h"
#include "ports/usb/usb_engine_win.h"
#include "tests/bench/stream_bench_win.h"

namespace {

const std::uint64_t TOTAL = 16u << 20;
const DWORD PIECE = 4096;
// Runs of each, interleaved; the machine is shared, so the medians of several.
const int ROUNDS = 9;

HANDLE open_overlapped(const std::string& name, DWORD share)
{
    return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

// A plain loop of 4096-byte overlapped reads or writes on the device while the far
// end writes or reads; MB/s, 0 on failure.
double raw_rate(const std::string& device, DWORD share, const std::string& far_path, bool receive)
{
    HANDLE handle = open_overlapped(device, share);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    FarEnd far_end{far_path, receive, TOTAL};
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    static unsigned char buffer[PIECE];
    double start = seconds_now();
    far_end.start();
    std::uint64_t done = 0;
    while (done < TOTAL) {
        OVERLAPPED ov = {};
        ov.hEvent = event;
        DWORD n = 0;
        BOOL ok = receive ? ReadFile(handle, buffer, PIECE, &n, &ov) : WriteFile(handle, buffer, PIECE, &n, &ov);
        if (!ok && GetLastError() != ERROR_IO_PENDING) break;
        if (!GetOverlappedResult(handle, &ov, &n, TRUE)) break;
        done += n;
    }
    double elapsed = seconds_now() - start;
    far_end.finish();
    CloseHandle(event);
    CloseHandle(handle);
    return done >= TOTAL ? TOTAL / elapsed / 1e6 : 0;
}

// An engine's owner: counts what arrives and feeds the next piece from on_sent.
struct EngineRun {
    volatile LONG64 received = 0;
    volatile LONG64 sent = 0;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int (*write)(void* engine, const unsigned char* data, std::int32_t length) = nullptr;
    void* engine = nullptr;
    ~EngineRun() { CloseHandle(done); }
};

unsigned char send_buffer[PIECE];

void run_receive(void* owner, const unsigned char*, std::int32_t length)
{
    EngineRun* run = static_cast<EngineRun*>(owner);
    if (InterlockedAdd64(&run->received, length) >= static_cast<LONG64>(TOTAL)) SetEvent(run->done);
}

void run_sent(void* owner, const unsigned char*, std::int32_t, std::int32_t written)
{
    EngineRun* run = static_cast<EngineRun*>(owner);
    if (InterlockedAdd64(&run->sent, written) >= static_cast<LONG64>(TOTAL)) {
        SetEvent(run->done);
        return;
    }
    run->write(run->engine, send_buffer, static_cast<std::int32_t>(PIECE));
}

void run_status(void*, PortStatus) {}

EngineCallbacks run_callbacks(EngineRun* run)
{
    return EngineCallbacks{ENGINE_RECEIVE_BUFFER_SIZE, run_receive, run_sent, run_status, run};
}

// Times an opened engine until it has moved TOTAL bytes, with a far end at far_path
// (none when it is empty); MB/s, 0 on failure.
double engine_rate(EngineRun* run, const std::string& far_path, bool receive)
{
    FarEnd far_end{far_path, receive, TOTAL};
    double start = seconds_now();
    if (!far_path.empty()) far_end.start();
    if (!receive) run->write(run->engine, send_buffer, static_cast<std::int32_t>(PIECE));
    bool finished = WaitForSingleObject(run->done, 60000) == WAIT_OBJECT_0;
    double elapsed = seconds_now() - start;
    far_end.stop = 1;
    far_end.finish();
    return finished ? TOTAL / elapsed / 1e6 : 0;
}

template <typename Engine, int (*Write)(Engine*, const unsigned char*, std::int32_t)>
int write_to(void* engine, const unsigned char* data, std::int32_t length)
{
    return Write(static_cast<Engine*>(engine), data, length);
}

// Opens an engine of its own for one timed run (open: 0 on success), times it and
// stops it.
template <typename Engine, int (*Write)(Engine*, const unsigned char*, std::int32_t), typename Open, typename Stop>
double timed_engine(Open open, Stop stop, const std::string& far_path, bool receive)
{
    EngineRun run;
    Engine* engine = new Engine();
    double rate = 0;
    if (open(engine, run_callbacks(&run)) == 0) {
        run.write = write_to<Engine, Write>;
        run.engine = engine;
        rate = engine_rate(&run, far_path, receive);
        stop(engine);
    }
    delete engine;
    return rate;
}

double usb_engine_rate(const std::string& device, const std::string& input, const std::string& output,
                       const std::string& far_path, bool receive)
{
    auto open = [&](UsbEngine* engine, EngineCallbacks callbacks) {
        UsbOpenParams params = {device.c_str(), input.c_str(), output.c_str(), callbacks};
        return usb_open(engine, &params);
    };
    return timed_engine<UsbEngine, usb_write>(open, usb_stop, far_path, receive);
}

double parallel_engine_rate(int number, const std::string& far_path)
{
    auto open = [&](ParallelEngine* engine, EngineCallbacks callbacks) {
        ParallelOpenParams params = {{50, 0}, callbacks};
        return parallel_engine_open(number, engine, &params);
    };
    return timed_engine<ParallelEngine, parallel_engine_write>(open, parallel_engine_stop, far_path, false);
}

void report(const char* kind, const char* what, double engine, double raw)
{
    std::printf("%s_%s_engine: %.1f MB/s\n", kind, what, engine);
    std::printf("%s_%s_raw: %.1f MB/s\n", kind, what, raw);
    if (raw > 0) std::printf("%s_%s_ratio_engine_to_raw: %.2f x\n", kind, what, engine / raw);
    std::fflush(stdout);
}

}  // namespace

void bench_usb()
{
    std::string device = fixture_env("TAVEX_TEST_USB_DEVICE");
    if (device.empty()) return;
    std::string to_host = fixture_env("TAVEX_TEST_USB_TO_HOST"), from_host = fixture_env("TAVEX_TEST_USB_FROM_HOST");
    std::string in_path = "\\\\.\\" + device + "\\" + to_host, out_path = "\\\\.\\" + device + "\\" + from_host;
    // Receiving: the engine's pipes both on the pipe the far end's bytes come out of.
    // Sending: the engine as it is used, writing through the other pipe and reading
    // the echo itself, against a plain writer whose echo a far end reads.
    std::vector<double> engine_in, raw_in, engine_out, raw_out;
    for (int round = 0; round < ROUNDS; ++round) {
        raw_in.push_back(raw_rate(in_path, FILE_SHARE_READ | FILE_SHARE_WRITE, out_path, true));
        engine_in.push_back(usb_engine_rate(device, to_host, to_host, out_path, true));
        raw_out.push_back(raw_rate(out_path, FILE_SHARE_READ | FILE_SHARE_WRITE, in_path, false));
        engine_out.push_back(usb_engine_rate(device, to_host, from_host, "", false));
    }
    report("usb", "receive", median_of(engine_in), median_of(raw_in));
    report("usb", "send", median_of(engine_out), median_of(raw_out));
}

void bench_parallel()
{
    int number = std::atoi(fixture_env("TAVEX_TEST_LPT").c_str());
    std::string far_path = fixture_env("TAVEX_TEST_LPT_PEER");
    if (number <= 0 || far_path.empty()) return;
    far_path = windows_path(far_path);
    std::string port = "\\\\.\\LPT" + std::to_string(number);
    std::vector<double> engine_out, raw_out;
    for (int round = 0; round < ROUNDS; ++round) {
        raw_out.push_back(raw_rate(port, 0, far_path, false));
        engine_out.push_back(parallel_engine_rate(number, far_path));
    }
    report("parallel", "send", median_of(engine_out), median_of(raw_out));
}
