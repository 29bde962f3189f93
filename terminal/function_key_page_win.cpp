// The function-key page "ﾌｧﾝｸｼｮﾝｷｰ" (dialog 18) of the terminal settings sheet: the
// fields of F1 to F12 (or of Shift+F1 to Shift+F12), "ｸﾘｱ(&C)", and "保存(&S)" /
// "読込み(&L)" with their file dialogs. A thin dialog procedure: the fields become the
// working copy's strings only on the sheet's OK (function_key_page_apply); a saved
// file holds the fields as shown, and a loaded one only fills the fields. UI thread
// only, while the sheet is open.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "terminal/function_keys_win.h"
#include "terminal/page_controls_win.h"
#include "terminal/terminal_sheet_win.h"

// The filter of both file dialogs: one pair, then the closing NUL of the list.
static const char FILTER[] = "ﾌｧﾝｸｼｮﾝｷｰ設定ﾌｧｲﾙ(*.tfk)\0*.TFK\0";
constexpr DWORD FILE_NAME_BUFFER = 259;

// The page keeps both banks in the sheet (key_fields); the twelve fields show one of
// them, chosen with "F1～F12" / "Shift+F1～F12". Each field is read with room for more
// than a key holds; function_key_field_text cuts it as OK takes it.
static char* shown_field(TerminalSheet* sheet, int i)
{
    return sheet->key_fields[sheet->key_bank * FUNCTION_KEY_BANK + i];
}

// The fields shown into the sheet's copy of their bank.
static void read_fields(HWND page, TerminalSheet* sheet)
{
    for (int i = 0; i < FUNCTION_KEY_BANK; ++i)
        GetDlgItemTextA(page, IDC_FUNCTION_KEY_FIRST + i, shown_field(sheet, i), FUNCTION_KEY_TEXT);
}

static void show_bank(HWND page, TerminalSheet* sheet)
{
    for (int i = 0; i < FUNCTION_KEY_BANK; ++i)
        SetDlgItemTextA(page, IDC_FUNCTION_KEY_FIRST + i, shown_field(sheet, i));
    CheckRadioButton(page, IDC_FUNCTION_KEY_BANK_1, IDC_FUNCTION_KEY_BANK_2,
                     IDC_FUNCTION_KEY_BANK_1 + sheet->key_bank);
}

// The file dialog of "保存(&S)" or "読込み(&L)"; false when the user cancelled it.
static bool ask_file_name(HWND page, const char* title, bool save, char* name)
{
    name[0] = '\0';
    OPENFILENAMEA dialog = {};
    // The size every system the program runs on knows (Windows 98 included).
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = page;
    dialog.lpstrFilter = FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = FILE_NAME_BUFFER;
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    return (save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog)) != 0;
}

static void save_fields(HWND page, TerminalSheet* sheet)
{
    char name[FILE_NAME_BUFFER];
    if (!ask_file_name(page, FUNCTION_KEY_SAVE_CAPTION, true, name)) return;
    read_fields(page, sheet);
    FunctionKeyStrings strings;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) function_key_field_text(sheet->key_fields[i], strings[i]);
    save_function_keys(name, page, &strings, 0);
}

static void load_fields(HWND page, TerminalSheet* sheet)
{
    char name[FILE_NAME_BUFFER];
    if (!ask_file_name(page, FUNCTION_KEY_LOAD_CAPTION, false, name)) return;
    FunctionKeyStrings strings;
    if (load_function_keys(name, &strings)) {
        std::memcpy(sheet->key_fields, strings, sizeof sheet->key_fields);
        show_bank(page, sheet);
    } else {
        function_key_file_failed(page, name, FUNCTION_KEY_LOAD_CAPTION);
    }
}

static void init_routine(HWND page, void* data)
{
    auto* sheet = static_cast<TerminalSheet*>(data);
    for (int i = 0; i < FUNCTION_KEY_BANK; ++i)
        SendDlgItemMessageA(page, IDC_FUNCTION_KEY_FIRST + i, EM_LIMITTEXT, FUNCTION_KEY_FIELD_MAX, 0);
    std::memcpy(sheet->key_fields, sheet->copy.function_keys, sizeof sheet->key_fields);
    sheet->key_bank = 0;
    show_bank(page, sheet);
}

static void command_routine(HWND page, void* data, int id, int code)
{
    auto* sheet = static_cast<TerminalSheet*>(data);
    if (code != BN_CLICKED) return;
    if (id == IDC_FUNCTION_KEY_CLEAR) {
        // The bank shown only: what is cleared is what the user sees.
        for (int i = 0; i < FUNCTION_KEY_BANK; ++i) SetDlgItemTextA(page, IDC_FUNCTION_KEY_FIRST + i, "");
    } else if (id == IDC_FUNCTION_KEY_SAVE) {
        save_fields(page, sheet);
    } else if (id == IDC_FUNCTION_KEY_LOAD) {
        load_fields(page, sheet);
    } else if (id == IDC_FUNCTION_KEY_BANK_1 || id == IDC_FUNCTION_KEY_BANK_2) {
        read_fields(page, sheet);
        sheet->key_bank = id - IDC_FUNCTION_KEY_BANK_1;
        show_bank(page, sheet);
    }
}

static void apply_routine(HWND page, void* data)
{
    auto* sheet = static_cast<TerminalSheet*>(data);
    read_fields(page, sheet);
    const char* fields[FUNCTION_KEY_COUNT];
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) fields[i] = sheet->key_fields[i];
    function_key_page_apply(sheet, fields);
}

const PageRoutines FUNCTION_KEY_PAGE_ROUTINES = {init_routine, command_routine, apply_routine, nullptr};
