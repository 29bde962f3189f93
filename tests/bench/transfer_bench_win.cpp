// The file transfer under Wine, each figure against a baseline measured in the same
// run, on the same port with the same data:
//   file_send_serial      a 16 MB file sent by the file send through the bench's COM
//                         port, against a plain overlapped writer of the same pty
//                         with the same piece size (the default buffer size);
//   file_send_network     the same through a network port to the bench's TCP echo
//                         peer, against a plain send loop; skipped, with a note,
//                         while the program has no network kind;
//   receive_with_log      16 MB received on the COM port while a receive log writes
//                         it, against the same without a log.
// Runs on the bench's thread, which is the UI thread of a frame of its own: it
// handles messages while it waits, since the send thread and the engines set the
// status bar through messages sent to it.
#include <windows.h>
#include <winsock.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ports/network/network_settings.h"
#include "app/startup_win.h"
#include "tests/bench/bench_support_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"
#include "transfer/file_send_win.h"
#include "transfer/transfer_port_win.h"
#include "transfer/receive_log_win.h"

namespace {

const size_t TOTAL = 16u << 20;
const int ROUNDS = 3;

// Handles messages until done holds or timeout_ms passes; false on time-out.
template <typename Done>
bool serve_until(Done done, DWORD timeout_ms = 60000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
        pump_messages();
    }
    return true;
}

bool thread_ended(HANDLE thread)
{
    return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

bool send_file(Port* port, const std::string& path)
{
    auto* list = static_cast<char(*)[260]>(std::calloc(1, 260));
    std::strncpy(list[0], path.c_str(), 259);
    transfer_port(port)->send_list = list;
    transfer_port(port)->send_list_count = 1;
    return file_send_start(port);
}

std::string make_file(const std::string& folder)
{
    std::string path = folder + "\\send.bin";
    std::string bytes(TOTAL, '\0');
    for (size_t i = 0; i < TOTAL; ++i) bytes[i] = static_cast<char>(i * 13 + i / 4093);
    return write_file(path, bytes) ? path : std::string();
}

void report(const char* name, double measured, double baseline, const char* baseline_name)
{
    std::printf("%s: %.1f MB/s\n", name, measured);
    std::printf("%s: %.1f MB/s\n", baseline_name, baseline);
    if (baseline > 0) std::printf("%s_ratio: %.2f x\n", name, measured / baseline);
}

// MB/s of the file send through COM number to a peer that reads it all.
double file_send_serial_rate(int number, const std::string& peer_path, const std::string& file)
{
    Port* port = create_port(PORT_SERIAL, &number);
    if (!port) return 0;
    pump_messages();
    BenchPeer peer{peer_path, false, TOTAL, nullptr, 0};
    double start = bench_seconds();
    bench_start_peer(&peer);
    send_file(port, file);
    // The end is when the peer has read the last byte, by its own clock: the UI
    // thread may be painting the summary line just then, and it sees the peer's
    // end only once it is done.
    serve_until([&] { return thread_ended(peer.thread); });
    double elapsed = peer.ended - start;
    serve_until([&] { return transfer_port(port)->send_state == 0; });
    CloseHandle(peer.thread);
    close_port(port);
    return peer.ended > 0 ? TOTAL / elapsed / 1e6 : 0;
}

volatile LONG64 counted;

bool count_received(Port*, void*, const unsigned char*, std::int32_t length)
{
    InterlockedAdd64(&counted, length);
    return true;
}

// MB/s received on COM number from a peer that sends TOTAL bytes, with a receive log
// into log_path, or without one (log_path empty: a hook that only counts).
double receive_rate(int number, const std::string& peer_path, const std::string& log_path)
{
    Port* port = create_port(PORT_SERIAL, &number);
    if (!port) return 0;
    pump_messages();
    InterlockedExchange64(&counted, 0);
    if (log_path.empty()) {
        receive_tap_attach(&port->taps, TAP_TEST, count_received, nullptr);
    } else {
        DeleteFileA(log_path.c_str());
        include_console_text = 0;
        std::strncpy(transfer_port(port)->log_file_name, log_path.c_str(), sizeof transfer_port(port)->log_file_name - 1);
        start_receive_log(port, app.frame_window);
    }
    auto received = [&] { return log_path.empty() ? counted : transfer_port(port)->log_bytes; };
    BenchPeer peer{peer_path, true, TOTAL, nullptr, 0};
    double start = bench_seconds();
    bench_start_peer(&peer);
    bool done = serve_until([&] { return received() >= static_cast<LONG64>(TOTAL); });
    double elapsed = bench_seconds() - start;
    WaitForSingleObject(peer.thread, 20000);
    CloseHandle(peer.thread);
    close_port(port);
    if (!log_path.empty()) DeleteFileA(log_path.c_str());
    return done ? TOTAL / elapsed / 1e6 : 0;
}

void bench_serial_transfer(const std::string& file, const std::string& folder)
{
    int number = std::atoi(fixture_env("TAVEX_TEST_COM").c_str());
    std::string peer = fixture_env("TAVEX_TEST_COM_PEER");
    if (number <= 0 || peer.empty()) return;
    peer = windows_path(peer);
    std::vector<double> sent, raw, with_log, without_log;
    // Interleaved, so that both of a pair see the same machine; the medians.
    for (int round = 0; round < ROUNDS; ++round) {
        raw.push_back(serial_raw_rate(number, peer, false, static_cast<DWORD>(send_buffer_size), TOTAL));
        sent.push_back(file_send_serial_rate(number, peer, file));
        without_log.push_back(receive_rate(number, peer, ""));
        with_log.push_back(receive_rate(number, peer, folder + "\\received.log"));
    }
    report("file_send_serial", bench_median(sent), bench_median(raw), "file_send_serial_raw");
    report("receive_with_log", bench_median(with_log), bench_median(without_log), "receive_without_log");
}

struct Drain {
    SOCKET socket;
    HANDLE thread;
};

DWORD WINAPI drain_socket(void* parameter) noexcept
{
    Drain* drain = static_cast<Drain*>(parameter);
    static char buffer[65536];
    while (recv(drain->socket, buffer, sizeof buffer, 0) > 0) {
    }
    return 0;
}

// MB/s of a plain send loop of piece bytes to the echo peer, whose echo a second
// thread takes and drops.
double raw_network_rate(int tcp_port, int piece)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(tcp_port));
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        return 0;
    }
    Drain drain{s, nullptr};
    drain.thread = CreateThread(nullptr, 0, drain_socket, &drain, 0, nullptr);
    std::vector<char> buffer(static_cast<size_t>(piece), 'n');
    double start = bench_seconds();
    size_t done = 0;
    while (done < TOTAL) {
        int n = send(s, buffer.data(), piece, 0);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    double elapsed = bench_seconds() - start;
    shutdown(s, 1);
    WaitForSingleObject(drain.thread, 20000);
    CloseHandle(drain.thread);
    closesocket(s);
    return done >= TOTAL ? TOTAL / elapsed / 1e6 : 0;
}

// Waits for a file send to end and takes the time it ended: a thread of its own looks
// at the send state, so the time is not that of the UI thread, which may be painting
// the summary line just then.
struct SendWatch {
    Port* port;
    double ended;
};

DWORD WINAPI watch_send(void* parameter) noexcept
{
    SendWatch* watch = static_cast<SendWatch*>(parameter);
    double start = bench_seconds();
    while (transfer_port(watch->port)->send_state != 0) {
        if (bench_seconds() - start > 60) return 0;
        Sleep(1);
    }
    watch->ended = bench_seconds();
    return 0;
}

// MB/s of the file send through a network port to the sink peer: until the send has
// ended, every piece reported written (as the plain loop's last send returned).
double file_send_network_rate(int tcp_port, const std::string& file)
{
    NetworkTarget target = {"127.0.0.1", tcp_port, 0};
    Port* port = create_port(PORT_NETWORK, &target);
    if (!port) return 0;
    double rate = 0;
    if (serve_until([&] { return port->connection_state == 1; }, 10000)) {
        SendWatch watch{port, 0};
        double start = bench_seconds();
        HANDLE watcher = send_file(port, file) ? CreateThread(nullptr, 0, watch_send, &watch, 0, nullptr) : nullptr;
        if (watcher) {
            serve_until([&] { return thread_ended(watcher); });
            CloseHandle(watcher);
        }
        if (watch.ended > 0) rate = TOTAL / (watch.ended - start) / 1e6;
        serve_until([&] { return transfer_port(port)->send_state == 0; });
    }
    close_port(port);
    return rate;
}

void bench_network_transfer(const std::string& file)
{
    int tcp_port = std::atoi(fixture_env("TAVEX_TEST_TCP_PORT").c_str());
    if (tcp_port <= 0) return;
    // The kinds' discovery at start-up has started the socket library for the kind.
    if (!port_kind_entry(PORT_NETWORK).create) {
        std::printf("file_send_network: skipped (this build has no network kind)\n");
        return;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return;
    std::vector<double> sent, raw;
    // The peer takes and drops what it gets: an echo would measure the port's
    // receiving and display of the echo, not the file send.
    tcp_peer_command("mode", "sink");
    for (int round = 0; round < ROUNDS; ++round) {
        raw.push_back(raw_network_rate(tcp_port, send_buffer_size));
        sent.push_back(file_send_network_rate(tcp_port, file));
    }
    tcp_peer_command("mode", "echo");
    WSACleanup();
    report("file_send_network", bench_median(sent), bench_median(raw), "file_send_network_raw");
}

}  // namespace

void bench_transfer(const std::string& folder)
{
    InitCommonControls();
    TestFrame frame(nullptr, true);
    if (!frame.made || !startup_check_os()) return;
    // The kinds find their ports as at start-up: the serial kind opens only those.
    startup_discover_ports();
    file_send_load_settings();
    std::string file = make_file(folder);
    if (!file.empty()) {
        bench_serial_transfer(file, folder);
        std::fflush(stdout);
        bench_network_transfer(file);
        DeleteFileA(file.c_str());
    }
    file_send_release();
}
