// Starting tavex.exe from an end-to-end test and finding its frame. Win32 tests
// only; the test's thread owns the process handles.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

// Starts program (by default the tavex.exe built beside the test) in folder.
inline void start(Started& process, const std::string& folder, WORD show = SW_SHOWNORMAL,
                  const std::string& program = program_path())
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    std::string command = "\"" + program + "\"";
    process.ok = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &si, &process.info) != 0;
    ASSERT_TRUE(process.ok) << program << " error " << GetLastError();
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


// The program's first terminal window, or null.
inline HWND terminal_window(HWND frame)
{
    HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
    return client ? FindWindowExA(client, nullptr, "TAVEX CHILD", nullptr) : nullptr;
}
