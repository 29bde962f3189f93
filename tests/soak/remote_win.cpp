// Driving tavex.exe from another process; see remote_win.h. Cross-process reads of a
// control's text go through a buffer allocated in the program (VirtualAllocEx), which
// Wine supports for the status bar's ANSI messages.
#include "tests/soak/remote_win.h"

#include <commctrl.h>
#include <psapi.h>

#include "resources/commands.h"
#include "tests/support/fixture_win.h"

double soak_now_ms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

static std::string program_path()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + "tavex.exe";
}

Remote::~Remote()
{
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Remote::start(const std::string& folder, const std::string& ini)
{
    if (!ini.empty() && !write_file(folder + "\\tavex.ini", ini)) return false;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string command = "\"" + program_path() + "\"";
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &info_))
        return false;
    WaitForInputIdle(info_.hProcess, 20000);
    wait_until(
        [&] {
            HWND found = FindWindowA("TAVEX FRAME", nullptr);
            DWORD owner = 0;
            if (found) GetWindowThreadProcessId(found, &owner);
            if (owner == info_.dwProcessId) frame_ = found;
            return frame_ != nullptr;
        },
        20000);
    return frame_ != nullptr;
}

bool Remote::running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Remote::command(int id) const
{
    PostMessageA(frame_, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

// Waits for one more terminal window than count.
static bool one_more(const Remote& program, size_t count)
{
    return wait_until([&] { return program.terminals().size() > count; }, 10000);
}

bool Remote::open_serial()
{
    size_t count = terminals().size();
    command(CMD_CONNECT_SERIAL);
    return one_more(*this, count);
}

bool Remote::open_parallel()
{
    size_t count = terminals().size();
    command(CMD_CONNECT_PARALLEL);
    return one_more(*this, count);
}

bool Remote::open_network(const std::string& host, int port, int protocol)
{
    size_t count = terminals().size();
    command(CMD_CONNECT_NETWORK);
    HWND dialog = wait_window("\x90\xda\x91\xb1 - \xc8\xaf\xc4\xdc\xb0\xb8", 5000);  // 接続 - ﾈｯﾄﾜｰｸ
    // The host field is the edit inside combo box 1013.
    HWND host_edit = dialog ? FindWindowExA(GetDlgItem(dialog, 1013), nullptr, "Edit", nullptr) : nullptr;
    if (!host_edit) return false;
    std::string number = std::to_string(port);
    SendMessageA(host_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(host.c_str()));
    SendMessageA(GetDlgItem(dialog, 1001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(number.c_str()));
    SendMessageA(GetDlgItem(dialog, 1014), CB_SETCURSEL, static_cast<WPARAM>(protocol), 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    // Gone first, so that the next open cannot find this dialog still on its way out.
    return wait_until([&] { return !IsWindow(dialog); }, 5000) && one_more(*this, count);
}

bool Remote::open_usb()
{
    size_t count = terminals().size();
    command(CMD_CONNECT_USB);
    HWND dialog = wait_window("\x90\xda\x91\xb1 - USB\xce\xdf\xb0\xc4", 5000);  // 接続 - USBﾎﾟｰﾄ
    if (!dialog) return false;
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    // Gone first, so that the next open cannot find this dialog still on its way out.
    return wait_until([&] { return !IsWindow(dialog); }, 5000) && one_more(*this, count);
}

struct WindowSearch {
    DWORD process;
    std::string caption;
    HWND found;
};

static BOOL CALLBACK match_window(HWND window, LPARAM parameter) noexcept
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window)) return TRUE;
    char text[256] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                        nullptr);
    if (search->caption != text) return TRUE;
    search->found = window;
    return FALSE;
}

HWND Remote::wait_window(const std::string& caption, DWORD timeout_ms) const
{
    WindowSearch search = {info_.dwProcessId, caption, nullptr};
    wait_until(
        [&] {
            EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeout_ms);
    return search.found;
}

static BOOL CALLBACK collect_terminal(HWND window, LPARAM parameter) noexcept
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "TAVEX CHILD") reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

std::vector<HWND> Remote::terminals() const
{
    // EnumChildWindows takes its list at once; walking the children one by one while
    // the program activates (and so reorders) them could miss or repeat one.
    std::vector<HWND> windows;
    HWND client = FindWindowExA(frame_, nullptr, "MDIClient", nullptr);
    if (client) EnumChildWindows(client, collect_terminal, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string Remote::text(HWND window) const
{
    char text[512] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return text;
}

std::string Remote::status_text(int part) const
{
    HWND bar = FindWindowExA(frame_, nullptr, "msctls_statusbar32", nullptr);
    if (!bar) return "";
    const SIZE_T size = 512;
    void* remote = VirtualAllocEx(info_.hProcess, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return "";
    std::string text;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 2000, &result)) {
        char local[size] = {};
        SIZE_T got = 0;
        if (ReadProcessMemory(info_.hProcess, remote, local, size - 1, &got)) text = local;
    }
    VirtualFreeEx(info_.hProcess, remote, 0, MEM_RELEASE);
    return text;
}

double Remote::response_ms(DWORD timeout_ms) const
{
    double start = soak_now_ms();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result)) return -1;
    return soak_now_ms() - start;
}

DWORD Remote::handle_count() const
{
    DWORD count = 0;
    return GetProcessHandleCount(info_.hProcess, &count) ? count : 0;
}

SIZE_T Remote::private_bytes() const
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(info_.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PrivateUsage;
}

DWORD Remote::wait_exit(DWORD timeout_ms) const
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

DWORD Remote::close(DWORD timeout_ms)
{
    PostMessageA(frame_, WM_CLOSE, 0, 0);
    return wait_exit(timeout_ms);
}
