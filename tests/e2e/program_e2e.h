// Starting tavex.exe from an end-to-end test and finding its frame. Win32 tests
// only; the test's thread owns the process handles.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/fixture_win.h"

inline std::string program_path()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + "tavex.exe";
}

struct Started {
    PROCESS_INFORMATION info = {};
    bool ok = false;
    ~Started()
    {
        if (!ok) return;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    DWORD wait_exit(DWORD timeout_ms)
    {
        if (WaitForSingleObject(info.hProcess, timeout_ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
};

// Starts program (by default the tavex.exe built beside the test) in folder, with
// the arguments given after its name.
inline void start(Started& process, const std::string& folder, WORD show = SW_SHOWNORMAL,
                  const std::string& program = program_path(), const std::string& arguments = "")
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    std::string command = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    process.ok = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &si, &process.info) != 0;
    ASSERT_TRUE(process.ok) << program << " error " << GetLastError();
}

// The program's (first) terminal window, if one is open.
inline HWND terminal_window(HWND frame)
{
    HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
    return client ? FindWindowExA(client, nullptr, "TAVEX CHILD", nullptr) : nullptr;
}

inline HWND wait_for_frame(DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        if (HWND frame = FindWindowA("TAVEX FRAME", nullptr)) return frame;
        Sleep(25);
    }
    return nullptr;
}

// Starts the program in the folder and opens COM5 (the bench's only COM port: no
// dialog); its terminal window, or null. frame_out gets the frame.
inline HWND open_com5(Started& program, const std::string& folder, HWND* frame_out)
{
    start(program, folder);
    HWND frame = wait_for_frame(20000);
    *frame_out = frame;
    if (!frame) return nullptr;
    PostMessageA(frame, WM_COMMAND, 101, 0);
    wait_until([&] { return terminal_window(frame) != nullptr; }, 10000);
    return terminal_window(frame);
}

// Types text into a terminal window of the program: each byte posted as WM_CHAR.
inline void post_text(HWND terminal, const std::string& text)
{
    for (char c : text) PostMessageA(terminal, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// A visible top-level dialog of the caption; with_item: one that has that control
// (the file send dialog and the send's message box share their caption). Null when
// none came within timeout_ms.
inline HWND wait_for_dialog(const char* caption, int with_item, DWORD timeout_ms = 10000)
{
    HWND found = nullptr;
    wait_until(
        [&] {
            for (HWND w = FindWindowA("#32770", caption); w; w = FindWindowExA(nullptr, w, "#32770", caption))
                if (IsWindowVisible(w) && GetDlgItem(w, with_item)) return (found = w) != nullptr;
            return false;
        },
        timeout_ms);
    return found;
}

// Command 401, a list file loaded into the file send dialog through its open-file
// dialog, and OK once the list holds entries lines.
inline void send_list_file(HWND frame, const std::string& list_file, int entries)
{
    const char send_caption[] = "\xcc\xa7\xb2\xd9\x91\x97\x90\x4d";  // ﾌｧｲﾙ送信
    const char load_title[] =
        "\x91\x97\x90\x4d\xcc\xa7\xb2\xd9\xd8\xbd\xc4\x82\xcc\x93\xc7\x8d\x9e\x82\xdd";  // 送信ﾌｧｲﾙﾘｽﾄの読込み
    PostMessageA(frame, WM_COMMAND, 401, 0);
    HWND dialog = wait_for_dialog(send_caption, 1411);
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1413, BN_CLICKED), 0);
    HWND open = wait_for_dialog(load_title, IDOK);
    ASSERT_NE(open, nullptr);
    // The name field: edt1 in the dialog of old, cmb13 in the Explorer-style one.
    HWND name = GetDlgItem(open, 0x480) ? GetDlgItem(open, 0x480) : GetDlgItem(open, 0x47c);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(list_file.c_str()));
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    HWND list = GetDlgItem(dialog, 1411);
    ASSERT_TRUE(wait_until([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == entries; }, 5000));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1414, BN_CLICKED), 0);
}

// A test of the program on the bench's COM port (COM5, its only one): a scratch
// folder to start it in, no frame open yet, and the pty's far end as the peer.
struct ComPortProgram : ::testing::Test {
    ScratchDir scratch;
    std::unique_ptr<StreamEnd> peer;
    void SetUp() override
    {
        ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
        std::string peer_path = fixture_env("TAVEX_TEST_COM_PEER");
        ASSERT_FALSE(peer_path.empty()) << "run under the test bench";
        peer.reset(new StreamEnd(windows_path(peer_path)));
        ASSERT_TRUE(peer->is_open());
    }
};

// A status-bar part of another process's frame, as Shift-JIS. The text is fetched wide
// into memory of that process (a pointer of ours means nothing there), so that Wine's
// own conversion of ANSI text between processes plays no part.
inline std::string status_text(HWND frame, int part)
{
    HWND bar = FindWindowExA(frame, nullptr, STATUSCLASSNAMEA, nullptr);
    DWORD pid = 0;
    if (!bar || !GetWindowThreadProcessId(bar, &pid)) return "";
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return "";
    wchar_t text[256] = {};
    void* remote = VirtualAllocEx(process, nullptr, sizeof text, MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, text, sizeof text - sizeof(wchar_t), nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    char narrow[512] = {};
    WideCharToMultiByte(932, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}
