// The soak run's scenarios on the serial port: floods, a vanished far end, closes
// under load and a second start. Driver thread.
#include "tests/soak/soak_win.h"

#include <algorithm>
#include <vector>

void serial_far_end_closes_mid_flood(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    if (!start_with_com(program, scratch)) return v.fail("COM5 did not open");
    Flood flood(com_peer());
    v.check(flood.start(), "no flood");
    Sleep(1000);
    double cut = soak_now_ms();
    v.check(cut_com_port(), "the bench did not take COM5 away");
    bool shown = wait_until([&] { return program.status_text(1) == SOAK_NOT_CONNECTED; }, 3000);
    double shown_ms = soak_now_ms() - cut;
    figure("soak_com_gone_shown", shown_ms, "ms");
    v.check(shown && shown_ms <= 1000, "not shown as not connected within 1 s");
    flood.stop();
    double closed = close_window_ms(program.terminals().at(0), 5000);
    figure("soak_com_gone_close", closed, "ms");
    v.check(closed >= 0 && closed <= 1200, "the window did not close within 1.2 s");
    v.check(restore_com_port(), "the bench did not give COM5 back");
    v.check(program.close(10000) == 0, "the program did not end with 0");
}

void serial_port_closed_under_flood(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    if (!start_with_com(program, scratch)) return v.fail("COM5 did not open");
    Flood flood(com_peer());
    v.check(flood.start(), "no flood");
    Sleep(1500);
    double closed = close_window_ms(program.terminals().at(0), 5000);
    figure("soak_close_under_flood", closed, "ms");
    v.check(closed >= 0 && closed <= 1200, "the window did not close within 1.2 s");
    flood.stop();
    v.check(program.response_ms() >= 0, "the frame does not answer");
    v.check(program.close(10000) == 0, "the program did not end with 0");
}

void frame_closed_under_flood(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    const std::string ini = "[system]\r\ntool bar=1\r\nstatus bar=1\r\n";
    if (!start_with_com(program, scratch, ini)) return v.fail("COM5 did not open");
    Flood flood(com_peer());
    v.check(flood.start(), "no flood");
    Sleep(1500);
    double start = soak_now_ms();
    DWORD code = program.close(10000);
    figure("soak_end_under_flood", soak_now_ms() - start, "ms");
    flood.stop();
    v.check(code == 0, "the program did not end with 0");
    v.check(read_file(scratch.file("tavex.ini")) == ini, "tavex.ini changed");
}

void second_start_while_flooding(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    if (!start_with_com(program, scratch)) return v.fail("COM5 did not open");
    Flood flood(com_peer());
    v.check(flood.start(), "no flood");
    Sleep(1000);
    Remote second;
    second.start(scratch.path());  // finds the first frame and ends
    v.check(second.wait_exit(10000) == 0, "the second start did not end with 0");
    v.check(program.running() && program.response_ms() >= 0, "the first one stopped answering");
    flood.stop();
    v.check(program.close(10000) == 0, "the program did not end with 0");
}

void response_under_flood(Verdict& v)
{
    ScratchDir scratch;
    Remote program;
    if (!start_with_com(program, scratch)) return v.fail("COM5 did not open");
    Flood flood(com_peer());
    v.check(flood.start(), "no flood");
    std::vector<double> times;
    double until = soak_now_ms() + 10000;
    while (soak_now_ms() < until) {
        times.push_back(program.response_ms());
        Sleep(50);
    }
    flood.stop();
    std::sort(times.begin(), times.end());
    double median = times[times.size() / 2], worst = times.back();
    figure("soak_flood_response_median", median, "ms");
    figure("soak_flood_response_worst", worst, "ms");
    figure("soak_flood_received", static_cast<double>(flood.sent()) / (1 << 20), "MB");
    v.check(times.front() >= 0, "a message was not answered");
    v.check(median < 100 && worst < 250, "the frame answered too slowly");
    v.check(program.close(10000) == 0, "the program did not end with 0");
}

