// What the property pages share (the communication-settings pages of the kinds, the
// terminal-settings pages): a page made from a dialog template with a dialog
// procedure that runs the page's routines, the answer to PSN_APPLY, and the drop-down
// lists whose lines carry a number as item data. UI thread only.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <cstdint>

// Whether a page's WM_NOTIFY is PSN_APPLY (the sheet's OK).
bool page_apply_requested(LPARAM notify);
// A page of a property sheet from the program's dialog template, run by proc; none
// when it cannot be made.
HPROPSHEETPAGE page_create(int template_id, DLGPROC proc);
// What one page does: fill its controls from its working copy, follow a command of
// one of them, and commit the working copy when the sheet is closed with OK.
struct PageRoutines {
    void (*init)(HWND page);
    void (*command)(HWND page, int id, int code);
    void (*apply)();
};

// The page from the program's dialog template; its dialog procedure runs the
// routines, which must outlive the sheet. None when it cannot be made.
HPROPSHEETPAGE page_create(int template_id, const PageRoutines* routines);

// The page took its controls into its working copy: PSNRET_NOERROR.
void page_apply_accepted(HWND page);
// A page's WM_NOTIFY: PSN_APPLY runs apply(page) and is answered as accepted (TRUE);
// any other notice is left to the sheet (FALSE).
INT_PTR page_notify(HWND page, LPARAM lparam, void (*apply)(HWND page));

// Adds a line with its item data.
void combo_add(HWND combo, const char* text, LPARAM data);
// Adds count lines, texts[i] carrying values[i].
void combo_fill(HWND combo, const char* const* texts, const std::int32_t* values, int count);
// Selects the line whose item data is data; none when no line has it.
void combo_select_data(HWND combo, LPARAM data);
// The item data of the selected line; 0 when none is selected.
std::int32_t combo_selected_data(HWND combo);
