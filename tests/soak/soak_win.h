// What the soak run's scenarios share: the verdict each fills, figures printed as
// "name: value unit", a flooding peer, and the program started with its COM port
// open. Each scenario runs on the driver's thread; everything it starts it ends.
#pragma once
#include <windows.h>

#include <string>

#include "tests/soak/remote_win.h"
#include "tests/support/fixture_win.h"

extern const char SOAK_CONNECTED[];      // 接続中
extern const char SOAK_NOT_CONNECTED[];  // 通信不可

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

void figure(const char* name, double value, const char* unit);

// A peer that floods a stream end from a thread of its own until stopped.
class Flood {
public:
    explicit Flood(const std::string& windows_name) : end_(windows_name) {}
    ~Flood() { stop(); }
    Flood(const Flood&) = delete;
    Flood& operator=(const Flood&) = delete;
    bool start();
    void stop();
    unsigned long long sent() const { return sent_; }

private:
    static DWORD WINAPI run(void* parameter) noexcept;
    StreamEnd end_;
    HANDLE thread_ = nullptr;
    volatile LONG on_ = 0;
    volatile unsigned long long sent_ = 0;
};

// The Windows name of COM5's far end.
std::string com_peer();

// The program in a fresh folder with COM5 open (101 opens the only COM port).
bool start_with_com(Remote& program, ScratchDir& scratch, const std::string& ini = "");

// How long a terminal window takes to go after its close box; -1 when it does not
// within the timeout.
double close_window_ms(HWND window, DWORD timeout_ms);

// The scenarios, by file.
void serial_far_end_closes_mid_flood(Verdict& v);
void serial_port_closed_under_flood(Verdict& v);
void frame_closed_under_flood(Verdict& v);
void second_start_while_flooding(Verdict& v);
void response_under_flood(Verdict& v);
void sixteen_ports(Verdict& v);
void four_flooding_closed_together(Verdict& v);
