// HTML Help, reached through HtmlHelpA of the help control library, which is loaded
// from where its class is registered (falling back to "hhctrl.ocx") the first time
// help is asked for. The help file lies next to the program, so its path is built
// from the program's own, not from the current directory (the run folder).
#include "app/help_win.h"

#include <commctrl.h>
#include <htmlhelp.h>  // the command numbers only: HtmlHelpA is reached through the library
#include <prsht.h>

#include <string>

#include "resources/commands.h"
#include "resources/help_topics.h"

typedef HWND(WINAPI* HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

static const char HELP_CLASS_KEY[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
static const char HELP_WINDOW_TYPE[] = "Tavex01";

// The page of each context number, from the one table of topics (help_topics.h).
struct HelpTopic {
    DWORD context;
    const char* page;
};
static const HelpTopic HELP_TOPICS[] = {
#define TOPIC_COMMAND(id, page) {HELP_COMMAND_CONTEXT(id), page},
#define TOPIC_DIALOG(id, page) {HELP_DIALOG_CONTEXT(id), page},
#include "resources/help_topics.h"
#undef TOPIC_COMMAND
#undef TOPIC_DIALOG
};

static HtmlHelpProc html_help;
static DWORD_PTR help_cookie;

static std::string registered_library()
{
    char path[MAX_PATH] = {};
    LONG size = sizeof path;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, HELP_CLASS_KEY, path, &size) == ERROR_SUCCESS && path[0])
        return path;
    return "hhctrl.ocx";
}

static bool load_help()
{
    if (html_help) return true;
    HMODULE library = LoadLibraryA(registered_library().c_str());
    if (!library) library = LoadLibraryA("hhctrl.ocx");
    if (!library) return false;
    html_help = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    if (html_help) html_help(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&help_cookie));
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
    return help_file() + "::/main_index.htm > " + HELP_WINDOW_TYPE;
}

void help_show_contents(HWND frame)
{
    if (!load_help()) return;
    html_help(frame, help_topic().c_str(), HH_DISPLAY_TOC, 0);
}

const char* help_context_page(DWORD context)
{
    for (const HelpTopic& topic : HELP_TOPICS)
        if (topic.context == context) return topic.page;
    return nullptr;
}

void help_show_context(HWND frame, DWORD context)
{
    const char* page = help_context_page(context);
    if (!page) {
        help_show_contents(frame);
        return;
    }
    if (!load_help()) return;
    // The page is opened by its path, not through the help file's own context map
    // (HH_HELP_CONTEXT): the help compiler writes that map with the build machine's
    // absolute paths, which no help viewer finds, and it takes no anchors. The frame
    // owns the help window, not the dialog asking: the page stays open beside the
    // program once the dialog has closed.
    std::string topic = help_file() + "::/" + page + " > " + HELP_WINDOW_TYPE;
    html_help(frame, topic.c_str(), HH_DISPLAY_TOPIC, 0);
}

// The sheet's own controls (its tabs, OK, the "ﾍﾙﾌﾟ" button) carry no context: F1
// there is about the page on show. A property sheet is known by its tab control.
static DWORD sheet_page_context(HWND window)
{
    char name[32] = {};
    HWND tabs = GetDlgItem(window, 0x3020);
    if (!tabs || !GetClassNameA(tabs, name, sizeof name) || lstrcmpiA(name, WC_TABCONTROLA) != 0) return 0;
    HWND page = PropSheet_GetCurrentPageHwnd(window);
    return page ? GetWindowContextHelpId(page) : 0;
}

void help_on_request(HWND frame, const HELPINFO* info)
{
    if (!info) return;
    if (info->iContextType == HELPINFO_MENUITEM) {
        if (info->iCtrlId <= 0) return;
        DWORD command = static_cast<DWORD>(info->iCtrlId);
        // The MDI client numbers the terminal windows of the window menu from 505.
        if (command > CMD_FIRST_WINDOW && command < CMD_HELP_CONTENTS) command = CMD_FIRST_WINDOW;
        help_show_context(frame, HELP_COMMAND_CONTEXT(command));
        return;
    }
    // A control, then its dialog or page, then the sheet holding the page, then the
    // owner: the first that carries a context decides. The frame itself ends the walk.
    for (HWND window = static_cast<HWND>(info->hItemHandle); window && window != frame;
         window = GetParent(window)) {
        DWORD context = GetWindowContextHelpId(window);
        if (!context) context = sheet_page_context(window);
        if (context) {
            help_show_context(frame, context);
            return;
        }
    }
}

bool help_pretranslate(MSG* msg)
{
    return html_help && html_help(nullptr, nullptr, HH_PRETRANSLATEMESSAGE, reinterpret_cast<DWORD_PTR>(msg));
}

void help_close_windows(HWND)
{
    // Every help window is closed whenever the library has been used, without asking
    // it first for the window of "Tavex01" (HH_GET_WIN_HANDLE): Wine's library
    // answers that question with no window even while one is open.
    if (html_help) html_help(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

void help_uninitialize()
{
    if (html_help) html_help(nullptr, nullptr, HH_UNINITIALIZE, help_cookie);
}
