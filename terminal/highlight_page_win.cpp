// The highlight page "強調表示" (dialog 42) of the terminal settings sheet: sixteen
// rows of keyword, match case, hexadecimal and an owner-drawn colour button that
// opens the colour chooser with the colour page's custom colours. A thin dialog
// procedure over the sheet's TerminalSheet (terminal_sheet.cpp). UI thread only,
// while the sheet is open.
#include <windows.h>
#include <commctrl.h>

#include "terminal/page_controls_win.h"
#include "terminal/terminal_sheet_win.h"

static bool colour_button(int id)
{
    return id >= IDC_HIGHLIGHT_COLOUR && id < IDC_HIGHLIGHT_COLOUR + HIGHLIGHT_RULE_MAX;
}

static void choose(HWND page, TerminalSheet* sheet, int id)
{
    const int row = id - IDC_HIGHLIGHT_COLOUR;
    ColorRef colour = sheet->highlight_colours[row];
    // The colour page's custom colours: whichever page is shown first fills them.
    if (!sheet->page_custom[0] && !sheet->page_custom[1]) colour_page_open(sheet);
    if (!choose_colour(page, &colour, sheet->page_custom)) return;
    highlight_page_choose(sheet, row, colour);
    InvalidateRect(GetDlgItem(page, id), nullptr, FALSE);
}

static void init_routine(HWND page, void* context)
{
    TerminalSheet* sheet = static_cast<TerminalSheet*>(context);
    highlight_page_open(sheet);
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        const HighlightRow& row = sheet->copy.highlight[i];
        SendDlgItemMessageA(page, IDC_HIGHLIGHT_KEYWORD + i, EM_LIMITTEXT, HIGHLIGHT_KEYWORD_TEXT - 1, 0);
        SetDlgItemTextA(page, IDC_HIGHLIGHT_KEYWORD + i, row.keyword);
        CheckDlgButton(page, IDC_HIGHLIGHT_CASE + i, (row.flags & HIGHLIGHT_MATCH_CASE) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page, IDC_HIGHLIGHT_HEX + i, (row.flags & HIGHLIGHT_HEX) ? BST_CHECKED : BST_UNCHECKED);
    }
}

static void command_routine(HWND page, void* sheet, int id, int code)
{
    if (colour_button(id) && code == BN_CLICKED) choose(page, static_cast<TerminalSheet*>(sheet), id);
}

static void apply_routine(HWND page, void* sheet)
{
    char keywords[HIGHLIGHT_RULE_MAX][HIGHLIGHT_KEYWORD_TEXT];
    HighlightField fields[HIGHLIGHT_RULE_MAX];
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        GetDlgItemTextA(page, IDC_HIGHLIGHT_KEYWORD + i, keywords[i], HIGHLIGHT_KEYWORD_TEXT);
        fields[i] = HighlightField{keywords[i], IsDlgButtonChecked(page, IDC_HIGHLIGHT_CASE + i) == BST_CHECKED,
                                   IsDlgButtonChecked(page, IDC_HIGHLIGHT_HEX + i) == BST_CHECKED};
    }
    highlight_page_apply(static_cast<TerminalSheet*>(sheet), fields);
}

static bool message_routine(HWND, void* sheet, UINT message, WPARAM, LPARAM lparam)
{
    if (message != WM_DRAWITEM) return false;
    auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (!colour_button(static_cast<int>(item->CtlID))) return false;
    draw_colour_button(item, static_cast<TerminalSheet*>(sheet)->highlight_colours[item->CtlID - IDC_HIGHLIGHT_COLOUR]);
    return true;
}

const PageRoutines HIGHLIGHT_PAGE_ROUTINES = {init_routine, command_routine, apply_routine, message_routine};
