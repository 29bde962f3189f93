// The function-key page "ﾌｧﾝｸｼｮﾝｷｰ" (dialog 18) of the terminal settings sheet: the
// fields of F1 to F12, "ｸﾘｱ(&C)", and "保存(&S)" / "読込み(&L)" with their file
// dialogs. A thin dialog procedure: the fields become the working copy's strings only
// on the sheet's OK (function_key_page_apply); a saved file holds the fields as
// shown, and a loaded one only fills the fields. UI thread only, while the sheet is
// open.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "terminal/function_keys_win.h"
#include "terminal/page_controls_win.h"
#include "terminal/terminal_sheet_win.h"

// The filter of both file dialogs: one pair, then the closing NUL of the list.
static const char FILTER[] = "ﾌｧﾝｸｼｮﾝｷｰ設定ﾌｧｲﾙ(*.tfk)\0*.TFK\0";
constexpr DWORD FILE_NAME_BUFFER = 259;

// Each field read with room for more than a key holds; function_key_field_text cuts
// it as OK takes it.
struct PageFields {
    char text[FUNCTION_KEY_COUNT][FUNCTION_KEY_TEXT];
    const char* pointers[FUNCTION_KEY_COUNT];
};

static void read_fields(HWND page, PageFields* fields)
{
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) {
        GetDlgItemTextA(page, IDC_FUNCTION_KEY_FIRST + i, fields->text[i], FUNCTION_KEY_TEXT);
        fields->pointers[i] = fields->text[i];
    }
}

static void show_strings(HWND page, const FunctionKeyStrings* strings)
{
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) SetDlgItemTextA(page, IDC_FUNCTION_KEY_FIRST + i, (*strings)[i]);
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

static void save_fields(HWND page)
{
    char name[FILE_NAME_BUFFER];
    if (!ask_file_name(page, FUNCTION_KEY_SAVE_CAPTION, true, name)) return;
    PageFields fields;
    read_fields(page, &fields);
    FunctionKeyStrings strings;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) function_key_field_text(fields.text[i], strings[i]);
    save_function_keys(name, page, &strings, 0);
}

static void load_fields(HWND page)
{
    char name[FILE_NAME_BUFFER];
    if (!ask_file_name(page, FUNCTION_KEY_LOAD_CAPTION, false, name)) return;
    FunctionKeyStrings strings;
    if (load_function_keys(name, &strings))
        show_strings(page, &strings);
    else
        function_key_file_failed(page, name, FUNCTION_KEY_LOAD_CAPTION);
}

static void init_page(HWND page, TerminalSheet* sheet)
{
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i)
        SendDlgItemMessageA(page, IDC_FUNCTION_KEY_FIRST + i, EM_LIMITTEXT, FUNCTION_KEY_FIELD_MAX, 0);
    show_strings(page, &sheet->copy.function_keys);
}

static void init_routine(HWND page, void* sheet)
{
    init_page(page, static_cast<TerminalSheet*>(sheet));
}

static void command_routine(HWND page, void*, int id, int code)
{
    if (code != BN_CLICKED) return;
    if (id == IDC_FUNCTION_KEY_CLEAR)
        for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) SetDlgItemTextA(page, IDC_FUNCTION_KEY_FIRST + i, "");
    else if (id == IDC_FUNCTION_KEY_SAVE)
        save_fields(page);
    else if (id == IDC_FUNCTION_KEY_LOAD)
        load_fields(page);
}

static void apply_routine(HWND page, void* sheet)
{
    PageFields fields;
    read_fields(page, &fields);
    function_key_page_apply(static_cast<TerminalSheet*>(sheet), fields.pointers);
}

const PageRoutines FUNCTION_KEY_PAGE_ROUTINES = {init_routine, command_routine, apply_routine, nullptr};
