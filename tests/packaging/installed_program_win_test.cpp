// The installed program started as a person starts it: from the Start-menu shortcut
// the installer made. scripts/install-test.sh runs this after a silent install, in
// its own Wine prefix, naming what the installer should have made in TAVEX_INSTALLED_*
// (the shortcut, the program, the data folder, the version). The shortcut is read
// with the shell's IShellLink, as Explorer reads it; the program is started with its
// target and working folder and watched from outside, as the end-to-end tests do.
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

// The FileVersion text of the program's version block (language 0411, code page 932).
std::string file_version(const std::string& program)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    if (size == 0) return "";
    std::string block(size, '\0');
    char* text = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(program.c_str(), 0, size, &block[0]) ||
        !VerQueryValueA(&block[0], "\\StringFileInfo\\041103a4\\FileVersion", reinterpret_cast<void**>(&text),
                        &length))
        return "";
    return text;
}

bool same_path(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

TEST(InstalledProgram, StartsFromItsShortcutAndKeepsItsSettingsInTheDataFolder)
{
    std::string shortcut_path = fixture_env("TAVEX_INSTALLED_SHORTCUT");
    std::string program = fixture_env("TAVEX_INSTALLED_PROGRAM");
    std::string data = fixture_env("TAVEX_INSTALLED_DATA");
    ASSERT_FALSE(shortcut_path.empty() || program.empty() || data.empty())
        << "run by scripts/install-test.sh";
    ASSERT_EQ(nullptr, FindWindowA("TAVEX FRAME", nullptr)) << "a frame is already open";

    Shortcut shortcut = read_shortcut(shortcut_path);
    ASSERT_TRUE(shortcut.read) << shortcut_path;
    EXPECT_PRED2(same_path, program, shortcut.target);
    EXPECT_PRED2(same_path, data, shortcut.folder);
    EXPECT_EQ(fixture_env("TAVEX_INSTALLED_VERSION"), file_version(shortcut.target));
    std::string ini = shortcut.folder + "\\tavex.ini";
    ASSERT_FALSE(file_exists(ini)) << "the data folder is not new";

    Started started;
    start(started, shortcut.folder, SW_SHOWNORMAL, shortcut.target);
    HWND frame = wait_for_frame(20000);
    ASSERT_NE(nullptr, frame);
    // Command 301 hides the toolbar, which is shown by default, and saves that at once.
    PostMessageA(frame, WM_COMMAND, 301, 0);
    auto toolbar_off = [&] { return GetPrivateProfileIntA("system", "tool bar", -1, ini.c_str()) == 0; };
    EXPECT_TRUE(wait_until(toolbar_off, 10000)) << ini;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, started.wait_exit(20000));
    EXPECT_TRUE(file_exists(ini));
}

}  // namespace
