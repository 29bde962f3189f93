// Win32 benchmarks under Wine, printed one figure a line as "name: value unit":
//   start-up: launch to the frame being shown, tavex.exe against a minimal window
//             program measured in the same run (median of several starts each);
//   settings: the cost of one settings read and write, which always reach the file;
//   serial:   engine throughput through the bench's pty against a plain reader and
//             writer (serial_bench_win.cpp);
//   terminal: painting and absorbing received data (terminal_bench_win.cpp);
//   network:  engine throughput against plain sockets, 100 MB each way through a
//             network Port checked for loss, and the worst stop (network_bench_win.cpp).
//   usb, parallel: engine throughput through the bench's stand-ins against a plain
//             reader and writer (parallel_usb_bench_win.cpp);
//   lost:     100 MB through a USB and a parallel Port, checked at both ends
//             (port_lost_bytes_bench_win.cpp).
//   transfer: the file send and the receive log against plain I/O
//             (transfer_bench_win.cpp).
//   sequence: 10,000 send/expect pairs against the TCP echo peer
//             (sequence_bench_win.cpp).
// Runs on its own thread in the test bench; the programs it starts are its own and are
// closed (or ended) before it returns.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/settings.h"
#include "ports/port_kinds_win.h"

namespace {

double now_ms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string beside_me(const char* name)
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds from CreateProcess to a visible top-level window of the class; -1 on failure.
double time_to_window(const std::string& program, const char* window_class, const std::string& folder)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + program + "\"";
    double start = now_ms();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    double shown = -1;
    HWND window = nullptr;
    while (now_ms() - start < 20000) {
        window = FindWindowA(window_class, nullptr);
        if (window && IsWindowVisible(window)) {
            shown = now_ms() - start;
            break;
        }
        Sleep(1);
    }
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

void bench_startup(const std::string& folder)
{
    const int runs = 7;
    std::vector<double> tavex, minimal;
    // One start of each first, unmeasured: the first Wine process to load a DLL
    // pays for reading it from disk.
    time_to_window(beside_me("tavex.exe"), "TAVEX FRAME", folder);
    time_to_window(beside_me("minimal_window.exe"), "TAVEX BENCH MINIMAL", folder);
    for (int i = 0; i < runs; ++i) {
        double t = time_to_window(beside_me("tavex.exe"), "TAVEX FRAME", folder);
        double m = time_to_window(beside_me("minimal_window.exe"), "TAVEX BENCH MINIMAL", folder);
        if (t >= 0) tavex.push_back(t);
        if (m >= 0) minimal.push_back(m);
    }
    double t = median(tavex), m = median(minimal);
    std::printf("startup_tavex_frame_shown: %.1f ms\n", t);
    std::printf("startup_minimal_window_shown: %.1f ms\n", m);
    if (m > 0) std::printf("startup_ratio_tavex_to_minimal: %.2f x\n", t / m);
}

void bench_settings(const std::string& folder)
{
    SetCurrentDirectoryA(folder.c_str());
    settings_path_init();
    // A file the size a used program has: a few sections of a few dozen keys.
    for (int section = 1; section <= 16; ++section) {
        char name[16];
        std::snprintf(name, sizeof name, "com%d", section);
        for (int key = 0; key < 8; ++key) {
            char k[16];
            std::snprintf(k, sizeof k, "key %d", key);
            settings_write_int(name, k, key * 1000 + section);
        }
    }
    const int reads = 2000, writes = 500;
    double start = now_ms();
    long sum = 0;
    for (int i = 0; i < reads; ++i) sum += settings_read_int("com9", "key 5", 0);
    double read_us = (now_ms() - start) * 1000.0 / reads;
    start = now_ms();
    for (int i = 0; i < writes; ++i) settings_write_int("com9", "key 5", i);
    double write_us = (now_ms() - start) * 1000.0 / writes;
    std::printf("settings_read_int: %.1f us\n", read_us);
    std::printf("settings_write_int: %.1f us\n", write_us);
    if (sum != 5009L * reads) std::printf("settings_read_int: wrong values read\n");
    DeleteFileA(settings_path());
}

}  // namespace

void bench_serial();
void bench_terminal();
void bench_network();

// With names (startup, settings, serial, terminal, network) only those groups run.
void bench_usb();
void bench_parallel();
void bench_lost_bytes();
// With names (startup, settings, serial, terminal, usb, parallel, lost) only those
// groups run.
void bench_transfer(const std::string& folder);
void bench_sequence(const std::string& folder);

// With names (startup, settings, serial, terminal, transfer) only those groups run.
int main(int argc, char** argv)
{
    auto wanted = [&](const char* group) {
        if (argc < 2) return true;
        for (int i = 1; i < argc; ++i)
            if (std::string(argv[i]) == group) return true;
        return false;
    };
    // The kinds, as the program registers them at start-up.
    port_kinds_register();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "tavex-bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    if (wanted("startup")) bench_startup(folder);
    if (wanted("settings")) bench_settings(folder);
    if (wanted("serial")) bench_serial();
    if (wanted("terminal")) bench_terminal();
    if (wanted("network")) bench_network();
    if (wanted("usb")) bench_usb();
    if (wanted("parallel")) bench_parallel();
    if (wanted("lost")) {
        SetCurrentDirectoryA(folder.c_str());
        settings_path_init();
        bench_lost_bytes();
    }
    if (wanted("transfer")) bench_transfer(folder);
    if (wanted("sequence")) bench_sequence(folder);
    RemoveDirectoryA(folder.c_str());
    return 0;
}
