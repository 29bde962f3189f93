// Nothing lost through a whole Port: 100 MB of a checked stream sent with port_send
// (the send queue, the write slot, the engine) and taken back through the receive
// path (on_receive, the line-end conversion as is, the receive hook as a log takes
// it), each side's count and checksum compared with the stream's.
//   USB: through the bench's device, whose pipes echo into each other: all 100 MB go
//        out and come back.
//   parallel: 100 MB out to the far end of LPT2; at the same time the far end sends
//        the stream back, which the polled port takes in at a buffer an interval, and
//        all of it must arrive once the far end stops.
// A lost byte shows as the difference of the counts, or, with equal counts but a
// different checksum, as the whole amount. Runs in a frame of its own.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/os_check.h"
#include "ports/parallel/parallel_port_win.h"
#include "ports/usb/usb_port_win.h"
#include "terminal/receive_convert.h"
#include "tests/bench/stream_bench_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const std::uint64_t LOST_TOTAL = 100ull << 20;

// The engine thread's; the UI thread reads the count as it goes and the checksum
// only once the port is closed.
StreamCheck received;
volatile LONG64 received_count;

std::int32_t take_received(Port*, const unsigned char* data, std::int32_t length)
{
    received.add(data, static_cast<size_t>(length));
    InterlockedAdd64(&received_count, length);
    return 0;  // counted here instead of shown
}

void start_receiving(Port* port)
{
    received = StreamCheck{};
    received_count = 0;
    port->receive_hook = take_received;
}

// Sends the stream's first `total` bytes through the port as fast as its queue takes
// them, handling the window's messages meanwhile, and prints the rate as
// "KIND_port_send"; true when all went.
bool send_stream(const char* kind, Port* port, std::uint64_t total)
{
    unsigned char piece[4096];
    double start = seconds_now();
    for (std::uint64_t at = 0; at < total;) {
        size_t n = static_cast<size_t>(std::min<std::uint64_t>(sizeof piece, total - at));
        stream_fill(at, piece, n);
        std::int32_t taken = port_send(port, piece, static_cast<std::int32_t>(n), nullptr);
        at += static_cast<std::uint64_t>(taken);
        if (taken == 0) {
            // The queue is full until the engine's next report: let it run.
            SwitchToThread();
            pump_messages();
            if (seconds_now() - start > 300) return false;
        }
    }
    std::printf("%s_port_send: %.1f MB/s\n", kind, total / (seconds_now() - start) / 1e6);
    return true;
}

bool received_at_least(std::uint64_t count, double seconds)
{
    double start = seconds_now();
    while (static_cast<std::uint64_t>(received_count) < count && seconds_now() - start < seconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pump_messages();
    }
    return static_cast<std::uint64_t>(received_count) >= count;
}

std::uint64_t lost(const StreamCheck& expected, const StreamCheck& got)
{
    if (got.count < expected.count) return expected.count - got.count;
    if (got.count > expected.count) return got.count - expected.count;
    return got.hash == expected.hash ? 0 : expected.count;
}

void report_lost(const char* kind, std::uint64_t bytes)
{
    std::printf("%s_lost_bytes: %llu bytes\n", kind, static_cast<unsigned long long>(bytes));
    std::fflush(stdout);
}

void lost_usb()
{
    const char KIND[] = "usb";
    std::string device = fixture_env("TAVEX_TEST_USB_DEVICE");
    if (device.empty()) return;
    UsbDeviceEntry entry = {};
    usb_entry_set_text(&entry, 0, "bench");
    usb_entry_set_text(&entry, 1, device.c_str());
    usb_entry_set_text(&entry, 2, fixture_env("TAVEX_TEST_USB_TO_HOST").c_str());
    usb_entry_set_text(&entry, 3, fixture_env("TAVEX_TEST_USB_FROM_HOST").c_str());
    Port* port = create_port(PORT_USB, &entry);
    if (!port) return;
    start_receiving(port);
    bool sent = send_stream(KIND, port, LOST_TOTAL);
    received_at_least(LOST_TOTAL, 60);
    close_port(port);
    report_lost(KIND, sent ? lost(stream_check(LOST_TOTAL), received) : LOST_TOTAL);
}

void lost_parallel()
{
    const char KIND[] = "parallel";
    int number = std::atoi(fixture_env("TAVEX_TEST_LPT").c_str());
    std::string far_path = fixture_env("TAVEX_TEST_LPT_PEER");
    if (number <= 0 || far_path.empty()) return;
    far_path = windows_path(far_path);
    parallel_enumerate_ports(OS_FAMILY_NT);  // LPT2 with the defaults: 50 ms, bidirectional
    Port* port = create_port(PORT_PARALLEL, &number);
    if (!port) return;
    start_receiving(port);
    FarEnd reader{far_path, false, LOST_TOTAL};
    FarEnd writer{far_path, true, LOST_TOTAL};
    reader.start();
    writer.start();
    bool sent = send_stream(KIND, port, LOST_TOTAL);
    reader.finish(120000);
    writer.stop = 1;
    writer.finish(120000);
    received_at_least(writer.seen.count, 120);
    close_port(port);
    std::uint64_t out = sent ? lost(stream_check(LOST_TOTAL), reader.seen) : LOST_TOTAL;
    std::printf("parallel_received_while_sending: %.2f MB\n", writer.seen.count / 1e6);
    report_lost(KIND, out + lost(stream_check(writer.seen.count), received));
}

}  // namespace

void bench_lost_bytes()
{
    TestFrame frame;
    if (!frame.made) return;
    display_settings_defaults(&display_settings);
    display_settings.receive_crlf = RECEIVE_AS_IS;
    lost_usb();
    lost_parallel();
}
