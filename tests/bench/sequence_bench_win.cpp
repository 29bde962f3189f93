// Sequence figure under Wine: a sequence of 10,000 send/expect pairs run on a
// network Port against the bench's TCP echo peer, every expect waiting for the echo
// of its own send; the steps per second over the whole run (sequence_steps_per_s),
// and how many expects failed (any is a fault). Prints nothing without the peer.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ports/network/network_engine_win.h"
#include "ports/network/network_port_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"
#include "transfer/file_send_win.h"
#include "transfer/sequence_run_win.h"

void bench_sequence(const std::string& folder)
{
    if (tcp_peer_port() == 0 || !tcp_peer_command("mode", "echo") || net_startup() != 1) return;
    const std::string path = folder + "\\bench.seq", result = folder + "\\bench.result";
    if (!write_file(path, "timeout 5000\nrepeat 10000\n send ping\\r\n expect ping\nend\n")) return;
    display_settings_defaults(&display_settings);
    TestFrame frame;
    file_send_load_settings();
    NetworkTarget target = {"127.0.0.1", tcp_peer_port(), NET_MODE_CLIENT};
    Port* port = frame.made ? create_port(PORT_NETWORK, &target) : nullptr;
    if (port) {
        auto wait_pumping = [](auto done, DWORD timeout_ms) {
            return wait_until(
                [&] {
                    pump_messages();
                    return done();
                },
                timeout_ms);
        };
        wait_pumping([&] { return port->connection_state == 1; }, 5000);
        LARGE_INTEGER f, start, end;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&start);
        if (sequence_start(port, path.c_str(), result.c_str(), nullptr, true)) {
            // As the program's message loop does: every message handled as it comes (the
            // receive path may wait for this thread), not at a polling interval.
            DWORD began = GetTickCount();
            while (sequence_end_of(port) == SEQUENCE_RUNNING && GetTickCount() - began < 600000) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                pump_messages();
            }
            QueryPerformanceCounter(&end);
            double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(f.QuadPart);
            const std::string lines = read_file(result);
            std::printf("sequence_steps_per_s: %.0f steps/s\n", 20000.0 / seconds);
            std::size_t failed = lines.find("\tfailed ");
            std::printf("sequence_failed_expects: %ld\n",
                        failed == std::string::npos ? -1L : std::strtol(lines.c_str() + failed + 8, nullptr, 10));
        }
        close_port(port);
    }
    file_send_release();
    net_cleanup();
    DeleteFileA(path.c_str());
    DeleteFileA(result.c_str());
}
