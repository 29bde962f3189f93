// The communication-settings sheet. Each kind makes its page from its own tables and
// commits them on the page's apply; the sheet only collects the pages and, once
// closed, lets the kinds tell their open ports. UI thread only.
#include "app/comm_settings_win.h"

#include <commctrl.h>
#include <prsht.h>

#include "ports/serial/serial_port_win.h"

void comm_settings_sheet(HWND frame)
{
    HPROPSHEETPAGE pages[4];
    UINT count = 0;
    if (HPROPSHEETPAGE page = serial_settings_page(frame)) pages[count++] = page;
    if (count > 0) {
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_NOAPPLYNOW;
        header.hwndParent = frame;
        header.hInstance = GetModuleHandleA(nullptr);
        header.pszCaption = "通信条件の設定";
        header.nPages = count;
        header.phpage = pages;
        PropertySheetA(&header);  // the result is not used
    }
    serial_settings_notify(frame);
}
