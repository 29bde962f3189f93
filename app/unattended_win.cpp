// The unattended run; see unattended_win.h. Each /run is one port's sequence; the
// sequences end on their own threads, and each end reaches this module on the UI
// thread through sequence_ended_hook, which ends the program with /exit once none
// of them runs any more.
#include "app/unattended_win.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "app/command_line_win.h"
#include "base/settings.h"
#include "terminal/port_win.h"
#include "transfer/sequence_result.h"
#include "transfer/sequence_run_win.h"

namespace {

CommandLine command_line;
bool refused;              // the command line itself was refused
int worst = SEQUENCE_PASSED;
int running;               // sequences started and not yet ended
HWND frame_window;
HHOOK box_hook;

bool is_option(const char* arg, const char* name)
{
    return (arg[0] == '/' || arg[0] == '-') && lstrcmpiA(arg + 1, name) == 0;
}

void note(int end)
{
    if (end > worst) worst = end;
}

void end_if_done()
{
    if (running == 0 && command_line.exit_at_end && frame_window) PostMessageA(frame_window, WM_CLOSE, 0, 0);
}

void ended(Port*, int end)
{
    note(end);
    if (running > 0) --running;
    end_if_done();
}

// Every dialog box that opens on this thread is answered with its default button:
// a port that cannot be opened, a log that cannot be written.
LRESULT CALLBACK answer_boxes(int code, WPARAM wparam, LPARAM lparam) noexcept
{
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wparam);
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::strcmp(name, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(box_hook, code, wparam, lparam);
}

// A port that could not be opened: its result says so.
void not_opened(const CommandLinePort& request)
{
    std::string path = request.result_path[0] ? request.result_path : sequence_result_path(request.run_file);
    sequence_write_error(path.c_str(), "port not opened");
}

}  // namespace

bool unattended_wanted(const char* text)
{
    const char* at = command_line_skip_program(text);
    char arg[COMMAND_LINE_TEXT_SIZE];
    bool wanted = false;
    while (command_line_next(&at, arg, sizeof arg) >= 0)
        wanted = wanted || is_option(arg, "run") || is_option(arg, "exit");
    if (!wanted) return false;
    refused = !command_line_parse(text, &command_line);
    if (refused) command_line.exit_at_end = 1;  // nothing will run: it ends at once, with 2
    settings_hold_writes();
    return true;
}

void unattended_start(HWND frame)
{
    frame_window = frame;
    box_hook = SetWindowsHookExA(WH_CBT, answer_boxes, nullptr, GetCurrentThreadId());
    sequence_ended_hook = ended;
    if (refused) note(SEQUENCE_NOT_RUN);
    // The ports open as any command line's do (its line settings included); then each
    // that names a file runs it.
    static Port* opened[COMMAND_LINE_MAX_PORTS];
    if (!refused) command_line_open_ports(&command_line, opened);
    for (int i = 0; !refused && i < command_line.port_count; ++i) {
        const CommandLinePort& request = command_line.ports[i];
        Port* port = opened[i];
        if (!request.run_file[0]) continue;
        if (!port) {
            not_opened(request);
            note(SEQUENCE_NOT_RUN);
        } else if (sequence_start(port, request.run_file, request.result_path, frame, true)) {
            ++running;
        } else {
            note(SEQUENCE_NOT_RUN);
        }
    }
    end_if_done();
}

int unattended_exit_code()
{
    if (box_hook) UnhookWindowsHookEx(box_hook);
    box_hook = nullptr;
    return worst;
}
