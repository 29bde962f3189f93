// Property-page helpers; see page_controls_win.h.
#include "terminal/page_controls_win.h"

#include <commctrl.h>
#include <prsht.h>

#include "base/app_record_win.h"

// The binding arrives with WM_INITDIALOG, in the page record the sheet hands over, and
// is kept in the page's DWLP_USER; messages before it (WM_SETFONT) find none.
static INT_PTR CALLBACK page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    if (message == WM_INITDIALOG) {
        const PageBinding* binding =
            reinterpret_cast<const PageBinding*>(reinterpret_cast<const PROPSHEETPAGEA*>(lparam)->lParam);
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
        // The sheet's help button, in the program's own words (the system names it).
        SetDlgItemTextA(GetParent(page), IDHELP, "ﾍﾙﾌﾟ");
        binding->routines->init(page, binding->context);
        return TRUE;
    }
    const PageBinding* binding = reinterpret_cast<const PageBinding*>(GetWindowLongPtrA(page, DWLP_USER));
    if (!binding) return FALSE;
    const PageRoutines* routines = binding->routines;
    if (message == WM_COMMAND) {
        routines->command(page, binding->context, LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == static_cast<UINT>(PSN_HELP)) {
        // The help button asks as F1 does: WM_HELP for the page, which climbs through
        // the sheet to the frame, where the page's help context picks its topic.
        HELPINFO help = {sizeof help, HELPINFO_WINDOW, 0, page, GetWindowContextHelpId(page), {0, 0}};
        SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        return TRUE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == static_cast<UINT>(PSN_APPLY)) {
        routines->apply(page, binding->context);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    return routines->message && routines->message(page, binding->context, message, wparam, lparam);
}

HPROPSHEETPAGE page_create(int template_id, const PageBinding* binding)
{
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_HASHELP;
    page.hInstance = app.instance;
    page.pszTemplate = MAKEINTRESOURCEA(template_id);
    page.pfnDlgProc = page_proc;
    page.lParam = reinterpret_cast<LPARAM>(binding);
    return CreatePropertySheetPageA(&page);
}

void combo_add(HWND combo, const char* text, LPARAM data)
{
    LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : ""));
    if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

void combo_fill(HWND combo, const char* const* texts, const std::int32_t* values, int count)
{
    for (int i = 0; i < count; ++i) combo_add(combo, texts[i], values[i]);
}

void combo_select_data(HWND combo, LPARAM data)
{
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    int line = -1;
    for (int i = 0; i < count && line < 0; ++i)
        if (SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) line = i;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

std::int32_t combo_selected_data(HWND combo)
{
    LRESULT line = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (line == CB_ERR) return 0;
    LRESULT data = SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    return data == CB_ERR ? 0 : static_cast<std::int32_t>(data);
}
