// The soak run (`make soak`): tavex.exe driven from this process under load, faults
// and bad input, with the bench's peers on the far ends of its ports. Each scenario
// of the table prints its figures as "name: value unit" and one "PASS name" or
// "FAIL name: why" line; the run ends with "N passed, N failed" and exits non-zero
// when any failed. Runs inside the test bench, on its own thread; every program it
// starts is ended before the next scenario.
#include <cstdio>
#include <string>

#include "tests/soak/soak_win.h"

namespace {

struct Scenario {
    const char* name;
    void (*run)(Verdict& v);
};

const Scenario scenarios[] = {
    {"serial_far_end_closes_mid_flood", serial_far_end_closes_mid_flood},
    {"serial_port_closed_under_flood", serial_port_closed_under_flood},
    {"frame_closed_under_flood", frame_closed_under_flood},
    {"second_start_while_flooding", second_start_while_flooding},
    {"response_under_flood", response_under_flood},
    {"volume_com", [](Verdict& v) { volume(v, PortKind::com); }},
    {"volume_lpt", [](Verdict& v) { volume(v, PortKind::lpt); }},
    {"volume_usb", [](Verdict& v) { volume(v, PortKind::usb); }},
    {"volume_net_client", [](Verdict& v) { volume(v, PortKind::net_client); }},
    {"volume_net_server", [](Verdict& v) { volume(v, PortKind::net_server); }},
    {"concurrency", concurrency},
    {"open_close_cycles", open_close_cycles},
    {"net_peer_resets_mid_flood", net_peer_resets_mid_flood},
    {"net_peer_closes_and_comes_back", net_peer_closes_and_comes_back},
    {"usb_vanishes_mid_read", usb_vanishes_mid_read},
    {"usb_vanishes_mid_write", usb_vanishes_mid_write},
    {"disk_fills_while_logging", disk_fills_while_logging},
    {"file_deleted_while_sent", file_deleted_while_sent},
    {"sixteen_ports", sixteen_ports},
    {"four_flooding_closed_together", four_flooding_closed_together},
};

}  // namespace

// With names, only those scenarios run.
int main(int argc, char** argv)
{
    int passed = 0, failed = 0;
    for (const Scenario& scenario : scenarios) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i) wanted = wanted || std::string(argv[i]) == scenario.name;
        if (!wanted) continue;
        Verdict verdict;
        scenario.run(verdict);
        if (verdict.why.empty()) {
            std::printf("PASS %s\n", scenario.name);
            ++passed;
        } else {
            std::printf("FAIL %s: %s\n", scenario.name, verdict.why.c_str());
            ++failed;
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
