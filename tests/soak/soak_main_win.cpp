// The soak run (`make soak`): tavex.exe driven from this process under load, faults
// and bad input, with the bench's peers on the far ends of its ports. Each scenario
// of the table prints its figures as "name: value unit" and one "PASS name" or
// "FAIL name: why" line; the run ends with "N passed, N failed" and exits non-zero
// when any failed. Runs inside the test bench, on its own thread; every program it
// starts is ended before the next scenario.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/commands.h"
#include "tests/soak/remote_win.h"
#include "tests/support/fixture_win.h"

namespace {

const char CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";           // 接続中
const char NOT_CONNECTED[] = "\x92\xca\x90\x4d\x95\x73\x89\xc2";  // 通信不可

// What a scenario found: empty when it passed.
struct Verdict {
    std::string why;
    void fail(const std::string& reason)
    {
        if (why.empty()) why = reason;
    }
    void check(bool ok, const std::string& reason)
    {
        if (!ok) fail(reason);
    }
};

void figure(const char* name, double value, const char* unit)
{
    std::printf("%s: %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

// A peer that floods a stream end from a thread of its own until stopped.
class Flood {
public:
    explicit Flood(const std::string& windows_name) : end_(windows_name) {}
    ~Flood() { stop(); }
    bool start()
    {
        if (!end_.is_open()) return false;
        on_ = 1;
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
        return thread_ != nullptr;
    }
    void stop()
    {
        InterlockedExchange(&on_, 0);
        if (thread_) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
    }
    unsigned long long sent() const { return sent_; }

private:
    static DWORD WINAPI run(void* parameter) noexcept
    {
        Flood* f = static_cast<Flood*>(parameter);
        std::string block;
        for (int line = 0; block.size() < 16384; ++line) block += "flood line " + std::to_string(line) + "\r\n";
        while (f->on_) {
            if (!f->end_.write(block, 1000)) continue;  // a cut or a full device: try on
            f->sent_ += block.size();
        }
        return 0;
    }
    StreamEnd end_;
    HANDLE thread_ = nullptr;
    volatile LONG on_ = 0;
    volatile unsigned long long sent_ = 0;
};

std::string com_peer()
{
    return windows_path(fixture_env("TAVEX_TEST_COM_PEER"));
}

// The program in a fresh folder with COM5 open (101 opens the only COM port).
bool start_with_com(Remote& program, ScratchDir& scratch, const std::string& ini = "")
{
    if (!program.start(scratch.path(), ini)) return false;
    program.command(CMD_CONNECT_SERIAL);
    return wait_until([&] { return program.terminals().size() == 1 && program.status_text(1) == CONNECTED; },
                      10000);
}

// How long a terminal window takes to go after its close box; -1 when it does not
// within the timeout.
double close_window_ms(HWND window, DWORD timeout_ms)
{
    double start = soak_now_ms();
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!wait_until([&] { return !IsWindow(window); }, timeout_ms)) return -1;
    return soak_now_ms() - start;
}

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
    bool shown = wait_until([&] { return program.status_text(1) == NOT_CONNECTED; }, 3000);
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
