// The communication-settings sheet "通信条件の設定" (command 106). Each kind makes its
// page from its own tables and commits them on the page's apply; the sheet only
// collects the pages through the door to the kinds and, once closed, lets the kinds
// tell their open ports. With no page to show, no sheet is shown (the notice still
// goes out: an earlier change may be waiting). UI thread only.
#include "app/comm_settings_win.h"

#include <commctrl.h>
#include <prsht.h>

#include "terminal/port_kind_registry_win.h"

void comm_settings_sheet(HWND frame)
{
    HPROPSHEETPAGE pages[4];
    UINT count = port_kinds_settings_pages(frame, pages, 4);
    if (count > 0) {
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_NOAPPLYNOW | PSH_HASHELP;
        header.hwndParent = frame;
        header.hInstance = GetModuleHandleA(nullptr);
        header.pszCaption = "通信条件の設定";
        header.nPages = count;
        header.phpage = pages;
        PropertySheetA(&header);  // the result is not used
    }
    port_kinds_settings_notify(frame);
}
