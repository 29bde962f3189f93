// The soak run's volume scenarios: 100 MB each way through a port of one kind. Into
// the program the bytes are checked through a receive log against what the peer sent;
// out of it through a file send against what the peer received. Where the driver is
// not the peer (the bench's TCP echo peer, the USB device's echo) one file send makes
// the round trip and the log is checked against the file. Driver thread, with the
// peer's flood and drain on threads of their own.
#include "tests/soak/soak_win.h"

#include <memory>

namespace {

const unsigned long long VOLUME = 100ull << 20;

const char* kind_name(PortKind kind)
{
    switch (kind) {
    case PortKind::com:
        return "com";
    case PortKind::lpt:
        return "lpt";
    case PortKind::usb:
        return "usb";
    case PortKind::net_client:
        return "net_client";
    default:
        return "net_server";
    }
}

// The driver's own end of the port, when it is the peer.
std::unique_ptr<Link> peer_of(PortKind kind, int tcp_port)
{
    switch (kind) {
    case PortKind::com:
        return std::unique_ptr<Link>(new StreamLink(com_peer()));
    case PortKind::lpt:
        return std::unique_ptr<Link>(new StreamLink(windows_path(fixture_env("TAVEX_TEST_LPT_PEER"))));
    case PortKind::net_server:
        return std::unique_ptr<Link>(new SocketLink(tcp_port, 5000));
    default:
        return nullptr;
    }
}

void direction(Verdict& v, const std::string& name, double ms, unsigned long long got, long long difference)
{
    figure(("soak_volume_" + name).c_str(), ms > 0 ? VOLUME / 1048576.0 / (ms / 1000) : 0, "MB/s");
    figure(("soak_volume_" + name + "_lost").c_str(), static_cast<double>(VOLUME - (got < VOLUME ? got : VOLUME)),
           "bytes");
    v.check(difference < 0, name + ": the bytes first differ at offset " + std::to_string(difference) + " of " +
                                std::to_string(got));
    v.check(got == VOLUME, name + ": " + std::to_string(got) + " of " + std::to_string(VOLUME) + " bytes arrived");
}

}  // namespace

void volume(Verdict& v, PortKind kind)
{
    const std::string name = kind_name(kind);
    ScratchDir scratch;
    HostController controller;
    Remote program;
    if (!program.start(scratch.path(), soak_ini())) return v.fail("the program did not start");
    tcp_peer_command("mode", "echo");
    int tcp_port = kind == PortKind::net_client ? tcp_peer_port() : kind == PortKind::net_server ? free_tcp_port() : 0;
    if (!program.open_port(kind, tcp_port)) return v.fail("the port did not open");
    std::unique_ptr<Link> peer = peer_of(kind, tcp_port);
    if (peer && !peer->is_open()) return v.fail("no peer");
    if (!wait_until([&] { return program.status_text(1) == SOAK_CONNECTED; }, 5000)) return v.fail("not connected");

    const bool echo = !peer, in = kind != PortKind::lpt;
    const Pattern in_pattern = {7, 0}, out_pattern = {11, 0};
    const std::string log = scratch.file("in.log"), file = scratch.file("out.bin"), list = scratch.file("out.TFL");
    if (in && !program.start_log(log, port_tag(kind))) return v.fail("no receive log");
    if (!write_pattern_file(file, out_pattern, VOLUME) || !write_file(list, file + "\r\n"))
        return v.fail("cannot write the file to send");

    std::unique_ptr<Drain> drain(peer ? new Drain(*peer, out_pattern, VOLUME) : nullptr);
    std::unique_ptr<Flood> flood(peer && in ? new Flood(*peer, in_pattern, VOLUME) : nullptr);
    if (drain && !drain->start()) return v.fail("no drain");
    double start = soak_now_ms();
    if (!program.send_list(list, 1, port_tag(kind))) return v.fail("the file send did not start");
    if (flood && !flood->start()) return v.fail("no flood");

    // Both directions until they are through or nothing has moved for 30 s.
    double in_ms = in ? -1 : 0, out_ms = echo ? 0 : -1, moved = soak_now_ms();
    unsigned long long in_got = 0, out_got = 0;
    while ((in_ms < 0 || out_ms < 0) && soak_now_ms() - moved < 30000) {
        unsigned long long i = in ? file_size(log) : 0, o = drain ? drain->received() : 0;
        if (i != in_got || o != out_got) moved = soak_now_ms();
        in_got = i;
        out_got = o;
        if (in_ms < 0 && in_got >= VOLUME) in_ms = soak_now_ms() - start;
        if (out_ms < 0 && out_got >= VOLUME) out_ms = soak_now_ms() - start;
        Sleep(20);
    }
    if (flood) flood->stop();
    if (drain) drain->stop();
    double closed = close_window_ms(program.terminals().at(0), 5000);
    v.check(closed >= 0, "the window did not close");

    unsigned long long logged = 0;
    long long log_difference = in ? first_difference(log, echo ? out_pattern : in_pattern, &logged) : -1;
    if (echo) {
        direction(v, name + "_echo", in_ms, logged, log_difference);
    } else {
        if (in) direction(v, name + "_in", in_ms, logged, log_difference);
        direction(v, name + "_out", out_ms, drain->received(), drain->first_difference());
    }
    v.check(program.close(10000) == 0, "the program did not end with 0");
}
