// The soak run's shared pieces; see soak_win.h. Driver thread, except the flood's
// own thread.
#include "tests/soak/soak_win.h"

#include <cstdio>

#include "resources/commands.h"

const char SOAK_CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";
const char SOAK_NOT_CONNECTED[] = "\x92\xca\x90\x4d\x95\x73\x89\xc2";

void figure(const char* name, double value, const char* unit)
{
    std::printf("%s: %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

bool Flood::start()
{
    if (!end_.is_open()) return false;
    on_ = 1;
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    return thread_ != nullptr;
}

void Flood::stop()
{
    InterlockedExchange(&on_, 0);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
}

DWORD WINAPI Flood::run(void* parameter) noexcept
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

std::string com_peer()
{
    return windows_path(fixture_env("TAVEX_TEST_COM_PEER"));
}

bool start_with_com(Remote& program, ScratchDir& scratch, const std::string& ini)
{
    if (!program.start(scratch.path(), ini)) return false;
    program.command(CMD_CONNECT_SERIAL);
    return wait_until([&] { return program.terminals().size() == 1 && program.status_text(1) == SOAK_CONNECTED; },
                      10000);
}

double close_window_ms(HWND window, DWORD timeout_ms)
{
    double start = soak_now_ms();
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!wait_until([&] { return !IsWindow(window); }, timeout_ms)) return -1;
    return soak_now_ms() - start;
}
