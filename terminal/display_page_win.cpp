// The display page "表示" (dialog 16) of the terminal settings sheet: a thin dialog
// procedure over the portable model (display_page.cpp), which decides every value,
// plus the font enumeration that fills the font and size lists. UI thread only,
// while the sheet is open; the model lives in the sheet's TerminalSheet.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "terminal/page_controls_win.h"
#include "terminal/terminal_sheet_win.h"

// The up-down controls of the number fields: WS_CHILD | WS_VISIBLE | WS_BORDER |
// UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS and the tab-stop bit.
constexpr DWORD UPDOWN_STYLE = 0x50810086;

static int CALLBACK font_family(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD, LPARAM list) noexcept
{
    HWND box = reinterpret_cast<HWND>(list);
    // Families come once per character set: each name is listed once.
    if (display_font_listed(font->lfFaceName, metrics->tmPitchAndFamily) &&
        SendMessageA(box, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(font->lfFaceName)) ==
            LB_ERR)
        SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
}

static int CALLBACK font_size(const LOGFONTA*, const TEXTMETRICA* metrics, DWORD type, LPARAM list) noexcept
{
    auto* sizes = reinterpret_cast<FontSizeList*>(list);
    if (!(type & RASTER_FONTTYPE)) {
        font_sizes_scalable(sizes);
        return 0;  // a scalable face has every size: no need to go on
    }
    font_sizes_add_raster(sizes, metrics->tmHeight + metrics->tmExternalLeading);
    return 1;
}

static std::string list_text(HWND box, int line)
{
    LRESULT length = SendMessageA(box, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    if (length == LB_ERR) return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

static void fill_fonts(HWND page, const char* current)
{
    HWND box = GetDlgItem(page, IDC_FONT_LIST);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    if (HDC dc = GetDC(page)) {
        EnumFontFamiliesA(dc, nullptr, font_family, reinterpret_cast<LPARAM>(box));
        ReleaseDC(page, dc);
    }
    int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(list_text(box, i));
    std::vector<const char*> pointers;
    for (const std::string& name : names) pointers.push_back(name.c_str());
    int line = display_font_choose(pointers.data(), count, current);
    SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

static std::string selected_font(HWND page)
{
    HWND box = GetDlgItem(page, IDC_FONT_LIST);
    LRESULT line = SendMessageA(box, LB_GETCURSEL, 0, 0);
    return line == LB_ERR ? std::string() : list_text(box, static_cast<int>(line));
}

// Fills the size list for the selected font and selects the first size at least as
// large as wanted.
static void fill_sizes(HWND page, std::int32_t wanted)
{
    HWND box = GetDlgItem(page, IDC_SIZE_LIST);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    std::string face = selected_font(page);
    if (face.empty()) return;
    FontSizeList sizes = {};
    if (HDC dc = GetDC(page)) {
        EnumFontFamiliesA(dc, face.c_str(), font_size, reinterpret_cast<LPARAM>(&sizes));
        ReleaseDC(page, dc);
    }
    for (int i = 0; i < sizes.count; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%2d", sizes.values[i]);
        LRESULT line = SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (line >= 0) SendMessageA(box, LB_SETITEMDATA, static_cast<WPARAM>(line), sizes.values[i]);
    }
    // By item data: the list sorts its texts, the model orders the values.
    int chosen = font_sizes_choose(&sizes, wanted);
    if (chosen < 0) return;
    int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (SendMessageA(box, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == sizes.values[chosen]) {
            SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
}

static bool selected_size(HWND page, std::int32_t* size)
{
    HWND box = GetDlgItem(page, IDC_SIZE_LIST);
    LRESULT line = SendMessageA(box, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) return false;
    *size = static_cast<std::int32_t>(SendMessageA(box, LB_GETITEMDATA, static_cast<WPARAM>(line), 0));
    return true;
}

static void check_radio(HWND page, int group, int radio)
{
    const DisplayPageRadios& r = display_page_radios[group];
    for (int i = 0; i < r.count; ++i)
        CheckDlgButton(page, r.first + i, i == radio ? BST_CHECKED : BST_UNCHECKED);
}

static int checked_radio(HWND page, int group)
{
    const DisplayPageRadios& r = display_page_radios[group];
    for (int i = 0; i < r.count; ++i)
        if (IsDlgButtonChecked(page, r.first + i) == BST_CHECKED) return i;
    return -1;
}

static void attach_updown(HWND page, int edit, int updown, int low, int high, int value)
{
    SetDlgItemInt(page, edit, static_cast<UINT>(value), TRUE);
    CreateUpDownControl(UPDOWN_STYLE, 0, 0, 0, 0, page, updown, GetModuleHandleA(nullptr), GetDlgItem(page, edit),
                        high, low, value);
}

static void init_page(HWND page, TerminalSheet* sheet)
{
    DisplayPageView view;
    display_page_open(&sheet->display, &sheet->copy, &view);
    for (int c = 0; c < DISPLAY_PAGE_CHECKS; ++c)
        CheckDlgButton(page, display_page_checks[c].control, view.checked[c] ? BST_CHECKED : BST_UNCHECKED);
    for (int g = 0; g < DISPLAY_PAGE_GROUPS; ++g) check_radio(page, g, view.radio[g]);
    EnableWindow(GetDlgItem(page, IDC_LINE_MODE_CR), view.line_mode_cr_enabled);
    attach_updown(page, IDC_COLUMN, IDC_COLUMN_UPDOWN, COLUMN_MIN, COLUMN_MAX, view.column);
    attach_updown(page, IDC_BUFFER_SIZE, IDC_BUFFER_SIZE_UPDOWN, BUFFER_SIZE_MIN, BUFFER_SIZE_MAX,
                  view.buffer_size);
    fill_fonts(page, sheet->copy.text_font_name);
    fill_sizes(page, sheet->copy.text_font_size);
}

static std::string field_text(HWND page, int control)
{
    char text[32] = {};
    GetDlgItemTextA(page, control, text, sizeof text);
    return text;
}

static void apply(HWND page, TerminalSheet* sheet)
{
    DisplayPageControls c = {};
    for (int i = 0; i < DISPLAY_PAGE_CHECKS; ++i)
        c.checked[i] = IsDlgButtonChecked(page, display_page_checks[i].control) == BST_CHECKED;
    for (int g = 0; g < DISPLAY_PAGE_GROUPS; ++g) c.radio[g] = checked_radio(page, g);
    std::string column = field_text(page, IDC_COLUMN), buffer = field_text(page, IDC_BUFFER_SIZE);
    std::string font = selected_font(page);
    c.column_text = column.c_str();
    c.buffer_size_text = buffer.c_str();
    c.font_name = font.empty() ? nullptr : font.c_str();
    c.size_selected = selected_size(page, &c.size);
    display_page_apply(&sheet->display, &c);
    SetDlgItemInt(page, IDC_COLUMN, static_cast<UINT>(sheet->copy.column), TRUE);
    SetDlgItemInt(page, IDC_BUFFER_SIZE, static_cast<UINT>(sheet->copy.buffer_size), TRUE);
}

static void page_command(HWND page, TerminalSheet* sheet, int id, int code)
{
    int group = display_page_group_of(id);
    if (group >= 0 && code == BN_CLICKED) {
        check_radio(page, group, id - display_page_radios[group].first);
        if (group == GROUP_INPUT_MODE)
            EnableWindow(GetDlgItem(page, IDC_LINE_MODE_CR),
                         display_page_line_mode_cr_enabled(id - display_page_radios[group].first));
    } else if ((id == IDC_COLUMN || id == IDC_BUFFER_SIZE) && code == EN_KILLFOCUS) {
        std::int32_t value = display_page_leave_number(&sheet->display, id, field_text(page, id).c_str());
        SetDlgItemInt(page, id, static_cast<UINT>(value), TRUE);
    } else if (id == IDC_FONT_LIST && code == LBN_SELCHANGE) {
        std::int32_t size = 0;
        selected_size(page, &size);
        fill_sizes(page, size);
    }
}

static void init_routine(HWND page, void* sheet)
{
    init_page(page, static_cast<TerminalSheet*>(sheet));
}

static void command_routine(HWND page, void* sheet, int id, int code)
{
    page_command(page, static_cast<TerminalSheet*>(sheet), id, code);
}

static void apply_routine(HWND page, void* sheet)
{
    apply(page, static_cast<TerminalSheet*>(sheet));
}

const PageRoutines DISPLAY_PAGE_ROUTINES = {init_routine, command_routine, apply_routine, nullptr};
