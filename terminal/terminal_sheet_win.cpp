// The terminal settings sheet (command 107): the working copy made when it opens, the
// four pages, and what a confirmed change leads to. UI thread only; the working copy
// is allocated here and freed when the sheet has closed, after the pages are gone.
#include "terminal/terminal_sheet_win.h"

#include <commctrl.h>

#include <cstdlib>

#include "resources/terminal_ids.h"
#include "terminal/display_settings_win.h"
#include "terminal/terminal_window_win.h"

void terminal_settings_sheet(HWND frame)
{
    // Zero-filled, as the pages expect of the parts they have not filled yet.
    auto* sheet = static_cast<TerminalSheet*>(std::calloc(1, sizeof(TerminalSheet)));
    if (!sheet) return;
    terminal_sheet_open(sheet, &display_settings);
    constexpr int PAGES = 4;
    const PageBinding bindings[PAGES] = {{&DISPLAY_PAGE_ROUTINES, sheet},
                                         {&COLOUR_PAGE_ROUTINES, sheet},
                                         {&FUNCTION_KEY_PAGE_ROUTINES, sheet},
                                         {&HIGHLIGHT_PAGE_ROUTINES, sheet}};
    const int templates[PAGES] = {IDD_DISPLAY_PAGE, IDD_COLOUR_PAGE, IDD_FUNCTION_KEY_PAGE, IDD_HIGHLIGHT_PAGE};
    HPROPSHEETPAGE pages[PAGES];
    UINT count = 0;
    for (int i = 0; i < PAGES; ++i)
        if (HPROPSHEETPAGE page = page_create(templates[i], &bindings[i])) pages[count++] = page;
    if (count != PAGES) {
        // A sheet without one of its pages would still save what it shows: none at all.
        for (UINT i = 0; i < count; ++i) DestroyPropertySheetPage(pages[i]);
        std::free(sheet);
        return;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_NOAPPLYNOW | PSH_HASHELP;
    header.hwndParent = frame;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = "端末の設定";
    header.nPages = count;
    header.phpage = pages;
    // Pages write into the copy only on OK (and only the pages that were shown), so
    // comparing after the sheet has closed finds Cancel and an unchanged OK alike.
    PropertySheetA(&header);
    terminal_settings_confirm(&sheet->copy);
    std::free(sheet);
}

bool terminal_settings_confirm(const DisplaySettings* copy)
{
    if (!display_settings_differ(copy, &display_settings)) return false;
    DisplaySettings next = *copy;
    next.key_disable = display_settings.key_disable;  // command 206's alone
    // Engine threads read "echo back", "auto scroll" and "receive crlf" as data
    // arrives, one field at a time. The copy below rewrites those three with the
    // bytes they hold now, so no reader can see a mixture of old and new bytes; each
    // then takes its new value in one interlocked store.
    const LONG echo_back = next.echo_back, auto_scroll = next.auto_scroll, receive_crlf = next.receive_crlf;
    next.echo_back = display_settings.echo_back;
    next.auto_scroll = display_settings.auto_scroll;
    next.receive_crlf = display_settings.receive_crlf;
    display_settings = next;
    static_assert(sizeof(LONG) == sizeof(display_settings.echo_back), "the fields are LONG-sized");
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&display_settings.echo_back), echo_back);
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&display_settings.auto_scroll), auto_scroll);
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&display_settings.receive_crlf), receive_crlf);
    save_display_settings();
    refresh_all_display_settings();
    return true;
}
