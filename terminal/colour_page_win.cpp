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

void draw_colour_button(const DRAWITEMSTRUCT* item, ColorRef colour)
{
    RECT frame = item->rcItem;
    DrawFrameControl(item->hDC, &frame, DFC_BUTTON,
                     DFCS_BUTTONPUSH | ((item->itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    ConsoleRect swatch = colour_button_swatch(ConsoleRect{item->rcItem.left, item->rcItem.top, item->rcItem.right,
                                                          item->rcItem.bottom});
    RECT inner = {swatch.left, swatch.top, swatch.right, swatch.bottom};
    if (HBRUSH brush = CreateSolidBrush(colour)) {
        FillRect(item->hDC, &inner, brush);
        DeleteObject(brush);
    }
    if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &inner);
}

bool choose_colour(HWND owner, ColorRef* colour, ColorRef* custom)
{
    CHOOSECOLORA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = owner;
    chooser.rgbResult = *colour;
    // The chooser keeps the custom colours the user sets in this array, OK or not;
    // they become the settings' only with the page's OK.
    chooser.lpCustColors = reinterpret_cast<COLORREF*>(custom);
    chooser.Flags = CC_RGBINIT;
    if (!ChooseColorA(&chooser)) return false;
    *colour = chooser.rgbResult;
    return true;
}

static void choose(HWND page, TerminalSheet* sheet, int id)
{
    const int button = id - IDC_COLOUR_FIRST;
    ColorRef colour = sheet->page_colours[button];
    if (!choose_colour(page, &colour, sheet->page_custom)) return;
    colour_page_choose(sheet, button, colour);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

static void init_routine(HWND, void* sheet)
{
    colour_page_open(static_cast<TerminalSheet*>(sheet));
}

static void command_routine(HWND page, void* sheet, int id, int code)
{
    if (colour_button(id) && code == BN_CLICKED) choose(page, static_cast<TerminalSheet*>(sheet), id);
}

static void apply_routine(HWND, void* sheet)
{
    colour_page_apply(static_cast<TerminalSheet*>(sheet));
}

// The buttons are owner-drawn.
static bool message_routine(HWND, void* sheet, UINT message, WPARAM, LPARAM lparam)
{
    if (message != WM_DRAWITEM) return false;
    auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (!colour_button(static_cast<int>(item->CtlID))) return false;
    draw_colour_button(item, static_cast<TerminalSheet*>(sheet)->page_colours[item->CtlID - IDC_COLOUR_FIRST]);
    return true;
}

const PageRoutines COLOUR_PAGE_ROUTINES = {init_routine, command_routine, apply_routine, message_routine};
