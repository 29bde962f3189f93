// The installed program and its installer, used as a person uses them. Run by
// scripts/install-test.sh after a silent install, in its own Wine prefix, one test at a
// time, naming what the installer should have made in TAVEX_INSTALLED_* (the shortcut,
// the program, the data folder, the version, the setup program and the uninstall
// entry). The shortcut is read with the shell's IShellLink, as Explorer reads it; the
// program and the installer are started as processes and watched from outside, as the
// end-to-end tests do.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

struct Shortcut {
    bool read = false;
    std::string target;
    std::string folder;
};

Shortcut read_shortcut(const std::string& path)
{
    Shortcut shortcut;
    if (FAILED(CoInitialize(nullptr))) return shortcut;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH];
            char target[MAX_PATH] = {};
            char folder[MAX_PATH] = {};
            shortcut.read = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0 &&
                            SUCCEEDED(file->Load(wide, STGM_READ)) &&
                            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
                            SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
            shortcut.target = target;
            shortcut.folder = folder;
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return shortcut;
}

// The program's version block, or "" when it has none.
std::string version_block(const std::string& program)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    std::string block(size, '\0');
    if (size == 0 || !GetFileVersionInfoA(program.c_str(), 0, size, &block[0])) return "";
    return block;
}

// The FileVersion text of the version block (language 0411, code page 932).
std::string file_version(const std::string& program)
{
    std::string block = version_block(program);
    char* text = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueA(&block[0], "\\StringFileInfo\\041103a4\\FileVersion",
                                         reinterpret_cast<void**>(&text), &length))
        return "";
    return text;
}

// The version block's numbers: "1.00" is FILEVERSION 1.0, as the About box reads them.
std::string fixed_version(const std::string& program)
{
    std::string block = version_block(program);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return "";
    char text[32];
    wsprintfA(text, "%u.%02u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS));
    return text;
}

bool same_path(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Runs a program with its arguments and waits for its exit code (STILL_ACTIVE when
// it did not end within the time).
DWORD run(const std::string& command_line, DWORD timeout_ms = 60000)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION info = {};
    std::string command = command_line;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info))
        return static_cast<DWORD>(-1);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, timeout_ms) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

std::string folder_of(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

// The uninstaller run in place ("_?=" the folder), so that it is the process that does
// the work and its exit code is the result.
std::string uninstall_in_place(const std::string& program)
{
    std::string folder = folder_of(program);
    return "\"" + folder + "\\uninstall.exe\" /S _?=" + folder;
}

bool uninstall_entry_present()
{
    REGSAM view = fixture_env("TAVEX_INSTALLED_VIEW") == "32" ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + fixture_env("TAVEX_INSTALLED_ENTRY");
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

const char* const DATA_FOLDER_CAPTION = "\x90\xdd\x92\xe8\x82\xcc\x95\xdb\x91\xb6\x90\xe6";  // 設定の保存先

struct Installed : ::testing::Test {
    std::string shortcut_path = fixture_env("TAVEX_INSTALLED_SHORTCUT");
    std::string program = fixture_env("TAVEX_INSTALLED_PROGRAM");
    std::string data = fixture_env("TAVEX_INSTALLED_DATA");
    void SetUp() override
    {
        ASSERT_FALSE(shortcut_path.empty() || program.empty() || data.empty()) << "run by scripts/install-test.sh";
        ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";
    }
    // Starts the program in its own folder, as the shortcut does, and answers the data
    // folder's message if it comes; the frame, or none.
    HWND start_installed(Started& started, bool* said = nullptr)
    {
        start(started, folder_of(program), SW_SHOWNORMAL, program);
        HWND frame = nullptr, box = nullptr;
        wait_until([&] {
            box = FindWindowA("#32770", DATA_FOLDER_CAPTION);
            frame = FindWindowA("TAVEX FRAME", nullptr);
            return box || frame;
        }, 20000);
        if (said) *said = box != nullptr;
        if (box) {
            SendMessageA(box, WM_COMMAND, IDOK, 0);
            frame = wait_for_frame(20000);
        }
        return frame;
    }
};

// The first start makes the user's data folder and says so once; the settings go
// there, not to Program Files; the second start says nothing.
TEST_F(Installed, StartsFromItsShortcutAndKeepsItsSettingsInTheDataFolder)
{
    Shortcut shortcut = read_shortcut(shortcut_path);
    ASSERT_TRUE(shortcut.read) << shortcut_path;
    EXPECT_PRED2(same_path, program, shortcut.target);
    EXPECT_PRED2(same_path, folder_of(program), shortcut.folder);
    EXPECT_EQ(fixture_env("TAVEX_INSTALLED_VERSION"), file_version(shortcut.target));
    EXPECT_EQ(fixture_env("TAVEX_INSTALLED_VERSION"), fixed_version(shortcut.target));
    std::string ini = data + "\\tavex.ini";
    ASSERT_EQ(GetFileAttributesA(data.c_str()), INVALID_FILE_ATTRIBUTES) << "the data folder is there already";

    Started first;
    bool said = false;
    HWND frame = start_installed(first, &said);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(said);
    // Command 301 hides the toolbar, which is shown by default, and saves that at once.
    PostMessageA(frame, WM_COMMAND, 301, 0);
    auto toolbar_off = [&] { return GetPrivateProfileIntA("system", "tool bar", -1, ini.c_str()) == 0; };
    EXPECT_TRUE(wait_until(toolbar_off, 10000)) << ini;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.wait_exit(20000));
    EXPECT_FALSE(file_exists(folder_of(program) + "\\tavex.ini"));

    Started second;
    frame = start_installed(second, &said);
    ASSERT_NE(nullptr, frame);
    EXPECT_FALSE(said);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, second.wait_exit(20000));
}

// Files in use cannot be replaced: neither an upgrade nor an uninstall goes ahead
// while Velkaro runs; silent, each ends with exit code 2 and changes nothing.
TEST_F(Installed, InstallingAndUninstallingWaitWhileItRuns)
{
    std::string setup = fixture_env("TAVEX_INSTALLED_SETUP");
    ASSERT_FALSE(setup.empty());
    Started running;
    HWND frame = start_installed(running);
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(2u, run("\"" + setup + "\" /S"));
    EXPECT_EQ(2u, run(uninstall_in_place(program)));
    EXPECT_TRUE(file_exists(program));
    EXPECT_TRUE(uninstall_entry_present());
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, running.wait_exit(20000));
}

// A file the uninstaller cannot remove (held by another program) keeps the uninstall
// entry, the shortcut and the uninstaller, so that the user can run it again.
TEST_F(Installed, AnUninstallThatCannotRemoveAFileKeepsItsEntry)
{
    std::string help = folder_of(program) + "\\tavex.chm";
    HANDLE held = CreateFileA(help.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held) << help;
    EXPECT_EQ(2u, run(uninstall_in_place(program)));
    EXPECT_TRUE(file_exists(help));
    EXPECT_TRUE(file_exists(folder_of(program) + "\\uninstall.exe"));
    EXPECT_TRUE(file_exists(shortcut_path));
    EXPECT_TRUE(uninstall_entry_present());
    CloseHandle(held);
}

}  // namespace
