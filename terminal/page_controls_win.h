// What the property pages share (the communication-settings pages of the kinds, the
// terminal-settings pages): a page made from a dialog template with a dialog
// procedure that runs the page's routines, the answers to PSN_APPLY and to the sheet's
// help button (the page's topic, as F1 gives it), and the drop-down lists whose lines
// carry a number as item data. UI thread only.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <cstdint>

// What one page does: fill its controls from its working copy, follow a command of
// one of them, commit the working copy when the sheet is closed with OK, and, when
// given, handle any other message (true when it did, as for WM_DRAWITEM). Each
// routine gets the page's context (the sheet's working copy, or none).
struct PageRoutines {
    void (*init)(HWND page, void* context);
    void (*command)(HWND page, void* context, int id, int code);
    void (*apply)(HWND page, void* context);
    bool (*message)(HWND page, void* context, UINT message, WPARAM wparam, LPARAM lparam);
};
// A page's routines with its context; it must outlive the sheet.
struct PageBinding {
    const PageRoutines* routines;
    void* context;
};

// The page from the program's dialog template; the one page procedure of the
// program runs its routines. None when it cannot be made.
HPROPSHEETPAGE page_create(int template_id, const PageBinding* binding);

// Adds a line with its item data.
void combo_add(HWND combo, const char* text, LPARAM data);
// Adds count lines, texts[i] carrying values[i].
void combo_fill(HWND combo, const char* const* texts, const std::int32_t* values, int count);
// Selects the line whose item data is data; none when no line has it.
void combo_select_data(HWND combo, LPARAM data);
// The item data of the selected line; 0 when none is selected.
std::int32_t combo_selected_data(HWND combo);
