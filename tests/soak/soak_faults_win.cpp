// The soak run's fault scenarios on the network, USB and file-transfer paths: the
// TCP peer resetting or closing mid-flood, the USB device pulled out mid-read and
// mid-write, a full disk under a receive log and a file deleted while it is sent.
// Each checks that the program lives on, answers, shows a lost connection within a
// second, closes the port within 1.2 s, and that its log holds the bytes in order.
// Driver thread, with the peers on threads of their own.
#include "tests/soak/soak_win.h"

#include <cstdio>
#include <string>

#include "resources/commands.h"

namespace {

// "通信不可" within 1 s of the fault.
void expect_shown_lost(Verdict& v, const Remote& program, double fault_ms, const std::string& name)
{
    bool shown = wait_until([&] { return program.status_text(1) == SOAK_NOT_CONNECTED; }, 3000);
    double shown_ms = soak_now_ms() - fault_ms;
    figure(("soak_" + name + "_shown").c_str(), shown ? shown_ms : -1, "ms");
    v.check(shown && shown_ms <= 1000, "not shown as not connected within 1 s");
}

// The port's window closes within 1.2 s and the program ends with 0.
void expect_clean_end(Verdict& v, Remote& program, const std::string& name)
{
    v.check(program.response_ms() >= 0, "the frame does not answer");
    std::vector<HWND> windows = program.terminals();
    double closed = windows.empty() ? -1 : close_window_ms(windows.front(), 5000);
    figure(("soak_" + name + "_close").c_str(), closed, "ms");
    v.check(closed >= 0 && closed <= 1200, "the window did not close within 1.2 s");
    v.check(program.close(10000) == 0, "the program did not end with 0");
}

// The log holds the pattern's first bytes, at least min_size of them.
void expect_log(Verdict& v, const std::string& log, const Pattern& pattern, unsigned long long min_size,
                const std::string& name)
{
    unsigned long long size = 0;
    long long difference = first_difference(log, pattern, &size);
    figure(("soak_" + name + "_logged").c_str(), static_cast<double>(size), "bytes");
    v.check(difference < 0, "the log differs from what arrived at offset " + std::to_string(difference));
    v.check(size >= min_size, "the log holds " + std::to_string(size) + " bytes");
}

// The program with a network client on the bench's peer, which floods it with its
// source stream, logged.
bool start_flooded_client(Verdict& v, Remote& program, const ScratchDir& scratch, const std::string& log)
{
    if (!tcp_peer_command("mode", "source") || !program.start(scratch.path(), soak_ini()) ||
        !program.open_port(PortKind::net_client, tcp_peer_port())) {
        v.fail("no network client");
        return false;
    }
    if (!program.start_log(log, "NET1")) {
        v.fail("no log");
        return false;
    }
    return wait_until([&] { return file_size(log) > (1u << 20); }, 10000);
}

// The bytes around a break in a log: 16 before it and 32 from it, in hex.
std::string bytes_at(const std::string& bytes, size_t at)
{
    std::string text;
    char hex[4];
    for (size_t i = at < 16 ? 0 : at - 16; i < bytes.size() && i < at + 32; ++i) {
        if (!text.empty()) text += ' ';
        if (i == at) text += "| ";
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
        text += hex;
    }
    return text;
}

}  // namespace

void net_peer_resets_mid_flood(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    const std::string log = scratch.file("net.log");
    bool flooded = start_flooded_client(v, program, scratch, log);
    tcp_peer_command("mode", "echo");
    if (!flooded) return v.fail("the flood did not arrive");
    double fault = soak_now_ms();
    v.check(tcp_peer_command("reset"), "the peer did not reset");
    expect_shown_lost(v, program, fault, "net_reset");
    expect_clean_end(v, program, "net_reset");
    expect_log(v, log, Pattern{0, 0}, 1u << 20, "net_reset");
}

void net_peer_closes_and_comes_back(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    const std::string log = scratch.file("net.log");
    bool flooded = start_flooded_client(v, program, scratch, log);
    if (!flooded) {
        tcp_peer_command("mode", "echo");
        return v.fail("the flood did not arrive");
    }
    v.check(tcp_peer_command("close"), "the peer did not close");
    // An orderly close comes after the bytes the peer had sent, which may take a
    // while to arrive under a flood: the second counts from the last of them.
    double last_byte = soak_now_ms();
    unsigned long long logged = file_size(log);
    bool shown = wait_until(
        [&] {
            unsigned long long now = file_size(log);
            if (now != logged) last_byte = soak_now_ms();
            logged = now;
            return program.status_text(1) == SOAK_NOT_CONNECTED;
        },
        10000);
    double shown_ms = soak_now_ms() - last_byte;
    figure("soak_net_close_shown", shown ? shown_ms : -1, "ms");
    v.check(shown && shown_ms <= 1000, "not shown as not connected within 1 s of the last byte");
    double fault = soak_now_ms();
    // Reconnect after its second of waiting; the peer floods the new connection too.
    bool back = wait_until([&] { return program.status_text(1) == SOAK_CONNECTED; }, 5000);
    figure("soak_net_close_reconnected", back ? soak_now_ms() - fault : -1, "ms");  // after the wait of 1 s
    v.check(back, "no reconnection");
    unsigned long long before = file_size(log);
    v.check(wait_until([&] { return file_size(log) > before + (1u << 20); }, 5000), "no data after reconnecting");
    tcp_peer_command("mode", "echo");
    expect_clean_end(v, program, "net_close");

    // Two runs of the source stream, each from its start: the second begins where
    // the first breaks off.
    const std::string bytes = read_file(log);
    size_t second = 0;
    while (second < bytes.size() && static_cast<unsigned char>(bytes[second]) == (second & 0xFF)) ++second;
    size_t at = second;
    while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) == ((at - second) & 0xFF)) ++at;
    figure("soak_net_close_logged", static_cast<double>(bytes.size()), "bytes");
    v.check(at == bytes.size(), "the log breaks off at offset " + std::to_string(at) + " of " +
                                    std::to_string(bytes.size()) + " (the second stream from " +
                                    std::to_string(second) + "): " + bytes_at(bytes, at));
}

void usb_vanishes_mid_read(Verdict& v)
{
    ScratchDir scratch;
    HostController controller;
    Remote program;
    const std::string log = scratch.file("usb.log");
    if (!program.start(scratch.path(), soak_ini()) || !program.open_port(PortKind::usb) ||
        !program.start_log(log, "USB1"))
        return v.fail("no USB port with a log");
    // Typed bytes come back through the device; then its read waits for more.
    for (char c : std::string("hello"))
        PostMessageA(program.terminals().at(0), WM_CHAR, static_cast<unsigned char>(c), 1);
    v.check(wait_until([&] { return file_size(log) == 5; }, 5000), "the typed bytes did not come back");
    Sleep(200);
    double fault = soak_now_ms();
    v.check(cut_bench_port("USB", true), "the bench did not take the device away");
    expect_shown_lost(v, program, fault, "usb_read_gone");
    expect_clean_end(v, program, "usb_read_gone");
    v.check(cut_bench_port("USB", false), "the bench did not give the device back");
    v.check(read_file(log) == "hello", "the log does not hold what came back");
}

void usb_vanishes_mid_write(Verdict& v)
{
    ScratchDir scratch;
    HostController controller;
    Remote program;
    const std::string log = scratch.file("usb.log"), file = scratch.file("big.bin"), list = scratch.file("big.TFL");
    const Pattern pattern = {19, 0};
    if (!write_pattern_file(file, pattern, 64u << 20) || !write_file(list, file + "\r\n"))
        return v.fail("cannot write the file to send");
    if (!program.start(scratch.path(), soak_ini()) || !program.open_port(PortKind::usb) ||
        !program.start_log(log, "USB1") || !program.send_list(list, 1, "USB1"))
        return v.fail("no file send on a USB port with a log");
    v.check(wait_until([&] { return file_size(log) > (1u << 20); }, 10000), "the echo did not arrive");
    double fault = soak_now_ms();
    v.check(cut_bench_port("USB", true), "the bench did not take the device away");
    expect_shown_lost(v, program, fault, "usb_write_gone");
    expect_clean_end(v, program, "usb_write_gone");
    v.check(cut_bench_port("USB", false), "the bench did not give the device back");
    expect_log(v, log, pattern, 1u << 20, "usb_write_gone");
}

// The log goes to the bench's small filesystem while the device sends more than it
// holds: the log keeps what fitted, and the port goes on receiving.
void disk_fills_while_logging(Verdict& v)
{
    const std::string disk = fixture_env("TAVEX_TEST_SMALL_DISK");
    if (disk.empty()) return v.fail("the bench has no small filesystem (it may not mount one)");
    const std::string log = windows_path(disk) + "\\soak.log";
    DeleteFileA(log.c_str());
    ScratchDir scratch;
    Remote program;
    if (!start_with_com(program, scratch, soak_ini()) || !program.start_log(log, "COM5"))
        return v.fail("no COM port with a log");
    StreamLink peer(com_peer());
    const Pattern pattern = {23, 0};
    Flood flood(peer, pattern, 1u << 20);
    v.check(flood.start(), "no flood");
    v.check(wait_until([&] { return flood.finished(); }, 30000), "the program stopped reading");
    figure("soak_disk_full_sent", static_cast<double>(flood.sent()), "bytes");
    v.check(program.status_text(1) == SOAK_CONNECTED, "the port is no longer shown connected");
    expect_clean_end(v, program, "disk_full");
    // A 256 KB filesystem with the log alone on it holds at least 192 KB of it.
    expect_log(v, log, pattern, 192u << 10, "disk_full");
    DeleteFileA(log.c_str());
}

// The file's bytes and name go while it is sent: the send ends with what it had
// read, and the port takes the next send.
void file_deleted_while_sent(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    const std::string file = scratch.file("big.bin"), list = scratch.file("big.TFL");
    const std::string next = scratch.file("next.bin"), next_list = scratch.file("next.TFL");
    const Pattern pattern = {29, 0}, next_pattern = {31, 0};
    if (!write_pattern_file(file, pattern, 64u << 20) || !write_file(list, file + "\r\n") ||
        !write_pattern_file(next, next_pattern, 1u << 20) || !write_file(next_list, next + "\r\n"))
        return v.fail("cannot write the files to send");
    if (!start_with_com(program, scratch, soak_ini())) return v.fail("COM5 did not open");
    StreamLink peer(com_peer());
    {
        Drain drain(peer, pattern);
        v.check(drain.start() && program.send_list(list, 1, "COM5"), "the file send did not start");
        v.check(wait_until([&] { return drain.received() > (1u << 20); }, 10000), "the file did not arrive");
        v.check(delete_file_on_host(file), "the bench did not delete the file");
        v.check(!wait_growing([&] { return drain.received(); }, 64u << 20, 2000), "the whole file still arrived");
        drain.stop();
        figure("soak_deleted_file_sent", static_cast<double>(drain.received()), "bytes");
        v.check(drain.first_difference() < 0, "what arrived differs from the file at offset " +
                                                  std::to_string(drain.first_difference()));
    }
    Drain drain(peer, next_pattern, 1u << 20);
    v.check(drain.start() && program.send_list(next_list, 1, "COM5"), "the port took no further send");
    v.check(wait_growing([&] { return drain.received(); }, 1u << 20, 5000) && drain.first_difference() < 0,
            "the next file did not arrive whole");
    drain.stop();
    expect_clean_end(v, program, "deleted_file");
}
