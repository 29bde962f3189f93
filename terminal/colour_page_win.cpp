// The colour page "ｶﾗｰ" (dialog 17) of the terminal settings sheet: eight owner-drawn
// buttons showing the page's colours, each opening the colour chooser with the page's
// sixteen custom colours. A thin dialog procedure over the page area of the sheet's
// TerminalSheet (terminal_sheet.cpp). UI thread only, while the sheet is open.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "terminal/page_controls_win.h"
#include "terminal/terminal_sheet_win.h"

static_assert(sizeof(COLORREF) == sizeof(ColorRef), "the custom colours are handed over as they are");

static bool colour_button(int id)
{
    return id >= IDC_COLOUR_FIRST && id <= IDC_COLOUR_LAST;
}

static void draw_button(const DRAWITEMSTRUCT* item, const TerminalSheet* sheet)
{
    RECT frame = item->rcItem;
    DrawFrameControl(item->hDC, &frame, DFC_BUTTON,
                     DFCS_BUTTONPUSH | ((item->itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    ConsoleRect swatch = colour_button_swatch(ConsoleRect{item->rcItem.left, item->rcItem.top, item->rcItem.right,
                                                          item->rcItem.bottom});
    RECT inner = {swatch.left, swatch.top, swatch.right, swatch.bottom};
    if (HBRUSH brush = CreateSolidBrush(sheet->page_colours[item->CtlID - IDC_COLOUR_FIRST])) {
        FillRect(item->hDC, &inner, brush);
        DeleteObject(brush);
    }
    if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &inner);
}

static void choose(HWND page, TerminalSheet* sheet, int id)
{
    const int button = id - IDC_COLOUR_FIRST;
    CHOOSECOLORA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = page;
    chooser.rgbResult = sheet->page_colours[button];
    // The chooser keeps the custom colours the user sets in this array, OK or not;
    // they become the settings' only with the page's OK.
    chooser.lpCustColors = reinterpret_cast<COLORREF*>(sheet->page_custom);
    chooser.Flags = CC_RGBINIT;
    if (!ChooseColorA(&chooser)) return;
    colour_page_choose(sheet, button, chooser.rgbResult);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

INT_PTR CALLBACK colour_page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
        colour_page_open(page_sheet_init(page, lparam));
        return TRUE;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        TerminalSheet* sheet = page_sheet(page);
        if (!sheet || !colour_button(static_cast<int>(item->CtlID))) return FALSE;
        draw_button(item, sheet);
        return TRUE;
    }
    case WM_COMMAND:
        if (colour_button(LOWORD(wparam)) && HIWORD(wparam) == BN_CLICKED)
            if (TerminalSheet* sheet = page_sheet(page)) choose(page, sheet, LOWORD(wparam));
        return TRUE;
    case WM_NOTIFY:
        if (page_apply_requested(lparam)) {
            if (TerminalSheet* sheet = page_sheet(page)) colour_page_apply(sheet);
            page_apply_accepted(page);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
