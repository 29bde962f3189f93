// HTML Help, reached through HtmlHelpA of the help control library, which is loaded
// from where its class is registered (falling back to "hhctrl.ocx") the first time
// help is asked for. The help file lies next to the program, so its path is built
// from the program's own, not from the current directory (the run folder).
#include "app/help_win.h"

#include <cstdio>
#include <string>


typedef HWND(WINAPI* HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

static const UINT HELP_DISPLAY_TOC = 0x0001;
static const UINT HELP_CLOSE_ALL = 0x0012;
static const UINT HELP_GET_WIN_HANDLE = 0x0020;
static const UINT HELP_INITIALIZE = 0x001C;
static const UINT HELP_UNINITIALIZE = 0x001D;
static const UINT HELP_PRETRANSLATEMESSAGE = 0x00FD;
static const char HELP_CLASS_KEY[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

static HtmlHelpProc html_help;
static DWORD_PTR help_cookie;

static std::string registered_library()
{
    char path[MAX_PATH] = {};
    LONG size = sizeof path;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, HELP_CLASS_KEY, path, &size) == ERROR_SUCCESS && path[0]) return path;
    return "hhctrl.ocx";
}

static bool load_help()
{
    if (html_help) return true;
    HMODULE library = LoadLibraryA(registered_library().c_str());
    if (!library) library = LoadLibraryA("hhctrl.ocx");
    if (!library) return false;
    html_help = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    if (html_help) html_help(nullptr, nullptr, HELP_INITIALIZE, reinterpret_cast<DWORD_PTR>(&help_cookie));
    return html_help != nullptr;
}

static std::string help_file()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + "tavex.chm";
}

std::string help_topic()
{
    return help_file() + "::/main_index.htm > Tavex01";
}

void help_show_contents(HWND frame)
{
    if (!load_help()) return;
    html_help(frame, help_topic().c_str(), HELP_DISPLAY_TOC, 0);
}

bool help_pretranslate(MSG* msg)
{
    return html_help && html_help(nullptr, nullptr, HELP_PRETRANSLATEMESSAGE, reinterpret_cast<DWORD_PTR>(msg));
}

void help_close_windows(HWND frame)
{
    if (!html_help) return;
    // Wine's library answers no window to HH_GET_WIN_HANDLE even while one is open,
    // so the help windows are closed whenever the library has been used.
    html_help(frame, help_file().c_str(), HELP_GET_WIN_HANDLE, reinterpret_cast<DWORD_PTR>("Tavex01"));
    html_help(nullptr, nullptr, HELP_CLOSE_ALL, 0);
}

void help_uninitialize()
{
    if (html_help) html_help(nullptr, nullptr, HELP_UNINITIALIZE, help_cookie);
}
