// Starts tavex.exe as a person would, in a scratch folder, and watches it from
// outside: the frame appears, a second start only raises it and exits with 0, and
// closing the frame ends the program with 0 without leaving a settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fixture_win.h"

namespace {

std::string program_path()
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

void start(Started& process, const std::string& folder, WORD show = SW_SHOWNORMAL)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    std::string command = "\"" + program_path() + "\"";
    process.ok = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &si, &process.info) != 0;
    ASSERT_TRUE(process.ok) << program_path() << " error " << GetLastError();
}

HWND wait_for_frame(DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        if (HWND frame = FindWindowA("TAVEX FRAME", nullptr)) return frame;
        Sleep(25);
    }
    return nullptr;
}

TEST(StartupEndToEnd, SingleInstanceAndOrderlyEnd)
{
    ScratchDir scratch;
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";

    Started first;
    start(first, scratch.path());
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(nullptr, frame);
    char caption[64] = {};
    SendMessageA(frame, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
    EXPECT_STREQ("Velkaro", caption);
    DWORD owner = 0;
    GetWindowThreadProcessId(frame, &owner);
    EXPECT_EQ(first.info.dwProcessId, owner);

    // Minimized, then started again: the second instance restores the first and ends.
    ShowWindow(frame, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(frame));
    Started second;
    start(second, scratch.path());
    EXPECT_EQ(0u, second.wait_exit(20000));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), first.wait_exit(0));
    EXPECT_FALSE(IsIconic(frame));
    EXPECT_EQ(frame, FindWindowA("TAVEX FRAME", nullptr));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.wait_exit(20000));
    EXPECT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr));
    // Nothing was confirmed, so nothing was written.
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
}

}  // namespace
