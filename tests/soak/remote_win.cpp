// Driving tavex.exe from another process; see remote_win.h. Cross-process reads of a
// control's text go through a buffer allocated in the program (VirtualAllocEx), which
// Wine supports for the status bar's ANSI messages.
#include "tests/soak/remote_win.h"

#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>

#include "resources/commands.h"
#include "tests/support/fixture_win.h"

namespace {

const char NET_CAPTION[] = "\x90\xda\x91\xb1 - \xc8\xaf\xc4\xdc\xb0\xb8";             // 接続 - ﾈｯﾄﾜｰｸ
const char USB_CAPTION[] = "\x90\xda\x91\xb1 - USB\xce\xdf\xb0\xc4";                   // 接続 - USBﾎﾟｰﾄ
const char SEND_CAPTION[] = "\xcc\xa7\xb2\xd9\x91\x97\x90\x4d";                        // ﾌｧｲﾙ送信
const char LOAD_CAPTION[] =                                                                // 送信ﾌｧｲﾙﾘｽﾄの読込み
    "\x91\x97\x90\x4d\xcc\xa7\xb2\xd9\xd8\xbd\xc4\x82\xcc\x93\xc7\x8d\x9e\x82\xdd";
const char LOG_CAPTION[] =  // 受信ﾃﾞｰﾀをﾌｧｲﾙに保存
    "\x8e\xf3\x90\x4d\xc3\xde\xb0\xc0\x82\xf0\xcc\xa7\xb2\xd9\x82\xc9\x95\xdb\x91\xb6";
const char CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";  // 接続中

void set_text(HWND control, const std::string& text)
{
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Selects the port line of a dialog's port list whose text contains tag. The lines
// are read wide: Wine hands another process's list texts over as UTF-16.
bool select_port(HWND list, const char* tag)
{
    std::wstring wide(tag, tag + std::strlen(tag));
    LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t line[256] = {};
        if (SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= 255) continue;
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
        if (std::wstring(line).find(wide) == std::wstring::npos) continue;
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        return true;
    }
    return false;
}

}  // namespace

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

HWND Remote::wait_dialog(const std::string& caption, int item, DWORD timeout_ms, bool shown) const
{
    HWND found = nullptr;
    wait_until(
        [&] {
            for (HWND w = FindWindowA("#32770", caption.c_str()); w;
                 w = FindWindowExA(nullptr, w, "#32770", caption.c_str())) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == info_.dwProcessId && (!shown || IsWindowVisible(w)) && GetDlgItem(w, item))
                    return (found = w) != nullptr;
            }
            return false;
        },
        timeout_ms);
    return found;
}

bool Remote::open_port(PortKind kind, int tcp_port)
{
    size_t before = terminals().size();
    switch (kind) {
    case PortKind::com:
        command(CMD_CONNECT_SERIAL);
        break;
    case PortKind::lpt:
        command(CMD_CONNECT_PARALLEL);
        break;
    case PortKind::usb: {
        command(CMD_CONNECT_USB);
        HWND dialog = wait_dialog(USB_CAPTION, IDOK, 5000);
        if (!dialog) return false;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        break;
    }
    case PortKind::net_client:
    case PortKind::net_server: {
        command(CMD_CONNECT_NETWORK);
        // The host field is the edit inside combo 1013, made when the dialog is shown.
        HWND dialog = nullptr, host = nullptr;
        wait_until(
            [&] {
                dialog = wait_dialog(NET_CAPTION, 1013, 0);
                host = dialog ? FindWindowExA(GetDlgItem(dialog, 1013), nullptr, "Edit", nullptr) : nullptr;
                return host != nullptr;
            },
            5000);
        if (!host) return false;
        set_text(host, "127.0.0.1");
        set_text(GetDlgItem(dialog, 1001), std::to_string(tcp_port));
        SendMessageA(GetDlgItem(dialog, 1014), CB_SETCURSEL, kind == PortKind::net_server ? 1 : 0, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        break;
    }
    }
    if (!wait_until([&] { return terminals().size() == before + 1; }, 10000)) return false;
    return kind == PortKind::net_server || wait_until([&] { return status_text(1) == CONNECTED; }, 10000);
}

bool Remote::start_log(const std::string& path, const char* tag)
{
    command(CMD_LOG_START);
    HWND dialog = wait_dialog(LOG_CAPTION, 1416, 5000);
    if (!dialog) return false;
    bool selected = select_port(GetDlgItem(dialog, 1401), tag);
    SendMessageA(GetDlgItem(dialog, 1416), BM_SETCHECK, BST_UNCHECKED, 0);
    set_text(GetDlgItem(dialog, 1402), path);
    PostMessageA(dialog, WM_COMMAND, selected ? IDOK : IDCANCEL, 0);
    return selected && wait_until([&] { return file_exists(path); }, 5000);
}

bool Remote::send_list(const std::string& list_file, int entries, const char* tag)
{
    command(CMD_FILE_SEND);
    HWND dialog = wait_dialog(SEND_CAPTION, 1411, 30000);
    if (!dialog) {
        std::printf("note: no file send dialog\n");
        return false;
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1413, BN_CLICKED), 0);
    // The system's file dialog is shown by its modal loop only once the queue is
    // empty, which ports under load may delay for long; it works before it shows.
    HWND open = wait_dialog(LOAD_CAPTION, IDOK, 30000, false);
    if (!open) {
        std::printf("note: no send list file dialog\n");
        return false;
    }
    if (!wait_dialog(LOAD_CAPTION, IDOK, 5000)) std::printf("note: the send list dialog did not show within 5 s\n");
    // The name field: edt1 in the dialog of old, cmb13 in the Explorer-style one.
    set_text(GetDlgItem(open, 0x480) ? GetDlgItem(open, 0x480) : GetDlgItem(open, 0x47c), list_file);
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    HWND list = GetDlgItem(dialog, 1411);
    bool loaded = wait_until([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == entries; }, 5000);
    bool selected = loaded && select_port(GetDlgItem(dialog, 1401), tag);
    if (!selected) std::printf("note: list loaded %d, port %s not offered\n", loaded, tag);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(selected ? 1414 : 1415, BN_CLICKED), 0);
    // Gone before the next command: a dialog still showing would be taken for the next.
    return wait_until([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000) && selected;
}

double Remote::response_ms(DWORD timeout_ms) const
{
    double start = soak_now_ms();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result)) return -1;
    return soak_now_ms() - start;
}

// The process's entry in the system's process list: Wine answers the per-process
// questions (handle count, private usage) for the calling process only.
static bool process_entry(DWORD process_id, SYSTEM_PROCESS_INFORMATION* entry)
{
    using Query = LONG(WINAPI*)(SYSTEM_INFORMATION_CLASS, void*, ULONG, ULONG*);
    static Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return false;
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    if (query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) < 0) return false;
    for (size_t at = 0;;) {
        auto* info = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
        if (reinterpret_cast<ULONG_PTR>(info->UniqueProcessId) == process_id) {
            *entry = *info;
            return true;
        }
        if (info->NextEntryOffset == 0) return false;
        at += info->NextEntryOffset;
    }
}

DWORD Remote::handle_count() const
{
    DWORD count = 0;
    if (GetProcessHandleCount(info_.hProcess, &count) && count > 0) return count;
    SYSTEM_PROCESS_INFORMATION entry;
    return process_entry(info_.dwProcessId, &entry) ? entry.HandleCount : 0;
}

SIZE_T Remote::private_bytes(const char** measure) const
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(info_.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    SYSTEM_PROCESS_INFORMATION entry = {};
    process_entry(info_.dwProcessId, &entry);
    // Wine takes private usage from the swap in use (none here): the working set
    // (resident pages) stands in then.
    const struct {
        SIZE_T value;
        const char* name;
    } choices[] = {{counters.PrivateUsage, "private bytes"},
                   {entry.PrivatePageCount, "private bytes"},
                   {counters.WorkingSetSize, "working set"},
                   {entry.VirtualMemoryCounters.WorkingSetSize, "working set"}};
    for (const auto& choice : choices) {
        if (choice.value == 0) continue;
        if (measure) *measure = choice.name;
        return choice.value;
    }
    if (measure) *measure = "nothing";
    return 0;
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
