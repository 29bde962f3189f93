// Moving to the user's data folder at start-up; see data_folder_win.h. Runs on the UI
// thread before the settings path is built and before any window exists.
#include "base/data_folder_win.h"

#include <windows.h>

#include <cstdio>

#include "base/data_folder.h"
#include "base/settings_path.h"

// An environment variable's value, or "" when it is unset or longer than a path.
static void environment(const char* name, char* out, DWORD size)
{
    DWORD length = GetEnvironmentVariableA(name, out, size);
    if (length == 0 || length >= size) out[0] = '\0';
}

// Whether a file can be made in folder: a file of our own that is gone again when
// closed. Only a refusal counts; any other failure (a name that happens to exist)
// leaves the folder to its settings as before.
static bool folder_writable(const char* folder)
{
    char name[32];
    std::snprintf(name, sizeof name, "~tavex%lu.tmp", GetCurrentProcessId());
    char path[MAX_PATH];
    if (!path_in_directory(folder, name, path, sizeof path)) return true;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    DWORD error = GetLastError();
    return error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT;
}

void data_folder_choose()
{
    char start[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof start, start);
    if (length == 0 || length >= sizeof start) return;
    // A folder given in its short form (PROGRA~1) is compared in its long one.
    char long_start[MAX_PATH];
    length = GetLongPathNameA(start, long_start, sizeof long_start);
    if (length > 0 && length < sizeof long_start) lstrcpynA(start, long_start, sizeof start);

    // The 64-bit and the 32-bit program folders; a 32-bit program on 64-bit Windows
    // sees both names, a 64-bit one all three.
    char program_files[3][MAX_PATH];
    environment("ProgramFiles", program_files[0], MAX_PATH);
    environment("ProgramFiles(x86)", program_files[1], MAX_PATH);
    environment("ProgramW6432", program_files[2], MAX_PATH);
    const char* const roots[3] = {program_files[0], program_files[1], program_files[2]};
    if (!inside_program_folders(start, roots, 3) && folder_writable(start)) return;

    char appdata[MAX_PATH];
    environment("APPDATA", appdata, sizeof appdata);
    char folder[MAX_PATH];
    if (!appdata[0] || !path_in_directory(appdata, DATA_FOLDER_NAME, folder, sizeof folder)) return;
    bool made = CreateDirectoryA(folder, nullptr) != 0;
    if (!made && GetLastError() != ERROR_ALREADY_EXISTS) return;
    if (!SetCurrentDirectoryA(folder)) return;
    if (made) {
        char text[3 * MAX_PATH];
        std::snprintf(text, sizeof text, "\"%s\"には設定を保存できません。設定は\"%s\"に保存します。", start,
                      folder);
        MessageBoxA(nullptr, text, "設定の保存先", MB_OK | MB_ICONINFORMATION);
    }
}
