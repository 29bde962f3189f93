// The soak run's concurrency scenarios: four ports of four kinds flooding at once
// for a minute (file sends on two, receive logs on the others) while the frame is
// timed answering messages; and a hundred open/close cycles per kind with the
// process's handles and private bytes compared before and after. Driver thread,
// with the peers on threads of their own.
#include "tests/soak/soak_win.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const unsigned long long PIECE = 8u << 20;  // a file sent again and again
const int REPEATS = 64;

bool write_repeated_list(const std::string& list, const std::string& file)
{
    std::string entries;
    for (int i = 0; i < REPEATS; ++i) entries += file + "\r\n";
    return write_file(list, entries);
}

// What a log or a drain got, checked: the pattern's start up to checked_size (all of
// a log), and some of it.
void expect_stream(Verdict& v, const char* name, unsigned long long size, long long difference,
                   unsigned long long checked_size)
{
    figure((std::string("soak_concurrent_") + name).c_str(), size / 1048576.0, "MB");
    v.check(difference < 0 || static_cast<unsigned long long>(difference) >= checked_size,
            std::string(name) + ": the bytes first differ at offset " + std::to_string(difference));
    v.check(size > 0, std::string(name) + ": nothing arrived");
}

}  // namespace

// COM: the driver floods it, logged. NET: the bench peer's source stream, logged.
// LPT: a file send the driver reads. USB: a file send that the device echoes, logged.
void concurrency(Verdict& v)
{
    ScratchDir scratch;
    HostController controller;
    Remote program;
    const std::string com_log = scratch.file("com.log"), net_log = scratch.file("net.log"),
                      usb_log = scratch.file("usb.log");
    const Pattern com_pattern = {7, 0}, lpt_pattern = {13, PIECE}, usb_pattern = {17, PIECE};
    const std::string lpt_file = scratch.file("lpt.bin"), usb_file = scratch.file("usb.bin");
    if (!write_pattern_file(lpt_file, lpt_pattern, PIECE) || !write_pattern_file(usb_file, usb_pattern, PIECE) ||
        !write_repeated_list(scratch.file("lpt.TFL"), lpt_file) ||
        !write_repeated_list(scratch.file("usb.TFL"), usb_file))
        return v.fail("cannot write the files to send");
    if (!program.start(scratch.path(), soak_ini())) return v.fail("the program did not start");

    StreamLink com(com_peer()), lpt(windows_path(fixture_env("TAVEX_TEST_LPT_PEER")));
    Flood flood(com, com_pattern);
    Drain drain(lpt, lpt_pattern);
    if (!program.open_port(PortKind::com) || !program.start_log(com_log, "COM5")) return v.fail("COM: no log");
    if (!program.open_port(PortKind::lpt)) return v.fail("LPT did not open");
    if (!program.open_port(PortKind::usb) || !program.start_log(usb_log, "USB1")) return v.fail("USB: no log");
    if (!drain.start()) return v.fail("no LPT peer");
    if (!program.send_list(scratch.file("lpt.TFL"), REPEATS, "LPT2")) return v.fail("LPT: the file send did not start");
    if (!program.send_list(scratch.file("usb.TFL"), REPEATS, "USB1")) return v.fail("USB: the file send did not start");
    tcp_peer_command("mode", "source");
    bool net = program.open_port(PortKind::net_client, tcp_peer_port()) && program.start_log(net_log, "NET1");
    tcp_peer_command("mode", "echo");
    if (!net) return v.fail("NET: no log");
    if (!flood.start()) return v.fail("no flood");

    std::vector<double> times;
    for (double until = soak_now_ms() + 60000; soak_now_ms() < until; Sleep(50)) times.push_back(program.response_ms());
    flood.stop();
    v.check(wait_growing([&] { return file_size(com_log); }, flood.sent(), 10000), "COM: the log fell behind");

    // Closing a port that sends aborts the send, and an abort drops what arrives for
    // its quiet half second: a log ends where the closing began, so it is whole.
    double worst_close = 0;
    for (HWND window : program.terminals()) worst_close = std::max(worst_close, close_window_ms(window, 5000));
    drain.stop();
    figure("soak_concurrent_worst_close", worst_close, "ms");
    v.check(worst_close >= 0 && program.terminals().empty(), "a window did not close");

    std::sort(times.begin(), times.end());
    double median = times[times.size() / 2], worst = times.back();
    figure("soak_concurrent_response_median", median, "ms");
    figure("soak_concurrent_response_worst", worst, "ms");
    v.check(times.front() >= 0, "a message was not answered");
    v.check(median < 100 && worst < 250, "the frame answered too slowly");

    unsigned long long size = 0;
    long long difference = first_difference(com_log, com_pattern, &size);
    expect_stream(v, "com_logged", size, difference, size);
    v.check(size == flood.sent(), "COM: " + std::to_string(flood.sent()) + " bytes sent, " + std::to_string(size) +
                                      " logged");
    difference = first_difference(net_log, Pattern{0, 0}, &size);
    expect_stream(v, "net_logged", size, difference, size);
    difference = first_difference(usb_log, usb_pattern, &size);
    expect_stream(v, "usb_logged", size, difference, size);
    expect_stream(v, "lpt_received", drain.received(), drain.first_difference(), drain.received());
    v.check(program.close(10000) == 0, "the program did not end with 0");
}

// Handles may come and go with Wine's own caches, and the heap keeps some of what it
// was given; a leak of one handle or one buffer per cycle shows far above these.
const DWORD CYCLE_HANDLE_MARGIN = 10;
const SIZE_T CYCLE_BYTES_MARGIN = 2u << 20;

void open_close_cycles(Verdict& v)
{
    ScratchDir scratch;
    HostController controller;
    Remote program;
    if (!program.start(scratch.path(), soak_ini())) return v.fail("the program did not start");
    const int server_port = free_tcp_port();
    const PortKind kinds[] = {PortKind::com, PortKind::lpt, PortKind::usb, PortKind::net_client, PortKind::net_server};
    auto cycle = [&](PortKind kind) {
        bool opened = program.open_port(kind, kind == PortKind::net_server ? server_port : tcp_peer_port());
        std::vector<HWND> windows = program.terminals();
        bool closed = !windows.empty() && close_window_ms(windows.front(), 5000) >= 0;
        v.check(opened && closed, std::string(port_tag(kind)) + " did not open and close");
        return opened && closed;
    };
    for (PortKind kind : kinds) cycle(kind);  // what the first use of each kind sets up for good
    Sleep(500);
    DWORD handles = program.handle_count();
    SIZE_T bytes = program.private_bytes();
    double start = soak_now_ms();
    for (int i = 0; i < 100 && v.why.empty(); ++i)
        for (PortKind kind : kinds) cycle(kind);
    figure("soak_cycles_time", (soak_now_ms() - start) / 1000, "s");
    Sleep(500);
    DWORD handles_after = program.handle_count();
    const char* measure = "";
    SIZE_T bytes_after = program.private_bytes(&measure);
    std::printf("note: memory measured as %s\n", measure);
    figure("soak_cycles_handles_before", handles, "handles");
    figure("soak_cycles_handles_after", handles_after, "handles");
    figure("soak_cycles_private_before", bytes / 1024.0, "KB");
    figure("soak_cycles_private_after", bytes_after / 1024.0, "KB");
    v.check(handles_after <= handles + CYCLE_HANDLE_MARGIN, "handles grew");
    v.check(bytes_after <= bytes + CYCLE_BYTES_MARGIN, "private bytes grew");
    v.check(program.close(10000) == 0, "the program did not end with 0");
}
