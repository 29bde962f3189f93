// The soak run's scenarios with ports of every kind the bench offers at once: sixteen
// open, then "すべて閉じる" and the program's end, each timed; and "すべて閉じる" with
// four ports flooding. Driver thread.
#include "tests/soak/soak_win.h"

#include "resources/commands.h"

namespace {

// Sixteen ports: COM5, LPT2, the USB device, and network ports to fill up, half of
// them clients of the TCP peer, the rest servers listening on free loopback ports.
constexpr int CLIENTS = 6;
constexpr int SERVERS = 7;

// The host folder of the bench's USB device (its pipes and HCD0).
std::string usb_folder()
{
    std::string hcd = fixture_env("TAVEX_TEST_HCD0");
    return hcd.substr(0, hcd.find_last_of('/'));
}

void open_sixteen(Remote& program, Verdict& v)
{
    v.check(program.open_port(PortKind::com), "COM5 did not open");
    v.check(program.open_port(PortKind::lpt), "LPT2 did not open");
    v.check(program.open_port(PortKind::usb), "the USB device did not open");
    for (int i = 0; i < CLIENTS; ++i)
        v.check(program.open_port(PortKind::net_client, tcp_peer_port()), "a network client did not open");
    for (int i = 0; i < SERVERS; ++i)
        v.check(program.open_port(PortKind::net_server, free_tcp_port()), "a network server did not open");
    size_t open = program.terminals().size();
    v.check(open == 16, std::to_string(open) + " ports open, not sixteen");
    // Every network port, connected or listening, is named by its local address
    // (found when the engine reported a state before its window was made).
    auto named = [&] {
        int count = 0;
        for (HWND window : program.terminals()) count += program.text(window).rfind("127.0.0.1(", 0) == 0;
        return count == CLIENTS + SERVERS;
    };
    v.check(wait_until(named, 5000), "a network port's caption does not name its address");
}

void sixteen_ports_close_all_and_end(Verdict& v)
{
    HostController controller;
    ScratchDir scratch;
    Remote program;
    if (!program.start(scratch.path(), soak_ini())) return v.fail("the program did not start");
    open_sixteen(program, v);
    double start = soak_now_ms();
    program.command(CMD_CLOSE_ALL);
    bool closed = wait_until([&] { return program.terminals().empty(); }, 10000);
    double close_all_ms = soak_now_ms() - start;
    figure("soak_close_all_16_ports", close_all_ms, "ms");
    v.check(closed && close_all_ms < 2000, "closing all sixteen took 2 s or more");
    v.check(program.response_ms() >= 0, "the frame does not answer after closing all");
    open_sixteen(program, v);
    start = soak_now_ms();
    DWORD code = program.close(10000);
    double end_ms = soak_now_ms() - start;
    figure("soak_end_with_16_ports", end_ms, "ms");
    v.check(code == 0, "the program did not end with 0");
    v.check(end_ms < 2000, "the end with sixteen ports took 2 s or more");
}

void close_all_with_four_flooding(Verdict& v)
{
    HostController controller;
    ScratchDir scratch;
    Remote program;
    if (!program.start(scratch.path(), soak_ini())) return v.fail("the program did not start");
    v.check(program.open_port(PortKind::com), "COM5 did not open");
    v.check(program.open_port(PortKind::usb), "the USB device did not open");
    // New clients of the peer get its flood.
    v.check(tcp_peer_command("mode", "source"), "the TCP peer did not take the mode");
    v.check(program.open_port(PortKind::net_client, tcp_peer_port()), "the first client did not open");
    v.check(program.open_port(PortKind::net_client, tcp_peer_port()), "the second client did not open");
    v.check(tcp_peer_command("mode", "echo"), "the TCP peer did not take the mode back");
    Flood com(com_peer());
    // What is written to the device's output pipe comes out of its input pipe.
    Flood usb(windows_path(usb_folder() + "/" + fixture_env("TAVEX_TEST_USB_FROM_HOST")));
    v.check(com.start() && usb.start(), "no flood");
    Sleep(1500);
    double start = soak_now_ms();
    program.command(CMD_CLOSE_ALL);
    bool closed = wait_until([&] { return program.terminals().empty(); }, 10000);
    double close_ms = soak_now_ms() - start;
    figure("soak_close_all_4_flooding", close_ms, "ms");
    v.check(closed && close_ms <= 1200, "closing the four flooding ports took more than 1.2 s");
    com.stop();
    usb.stop();
    v.check(program.response_ms() >= 0, "the frame does not answer after closing all");
    v.check(program.close(10000) == 0, "the program did not end with 0");
}

}  // namespace

void sixteen_ports(Verdict& v)
{
    sixteen_ports_close_all_and_end(v);
}

void four_flooding_closed_together(Verdict& v)
{
    close_all_with_four_flooding(v);
}
