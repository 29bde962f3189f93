// The working copy of the terminal settings sheet "端末の設定" and the models of its
// colour page and function-key page (the display page has display_page.h). Portable;
// the UI thread runs it while the sheet is open. The sheet (terminal_sheet_win.cpp)
// allocates the TerminalSheet when it opens and frees it when it closes; the pages'
// dialog procedures only move values between it and their controls.
#pragma once
#include <cstdint>

#include "console/console.h"
#include "terminal/display_page.h"
#include "terminal/display_settings.h"

struct TerminalSheet {
    DisplaySettings copy;  // what OK makes the settings, once anything differs
    DisplayPage display;   // the display page's model
    // The colour page's area: what its buttons show and the colour chooser's custom
    // colours, taken into the copy only by the page's OK.
    ColorRef page_colours[COLOUR_COUNT];
    ColorRef page_custom[CUSTOM_COLOUR_COUNT];
    // The highlight page's colours, taken into the copy only by its OK.
    ColorRef highlight_colours[HIGHLIGHT_RULE_MAX];
    // The function-key page's fields of both banks as last read from the page or
    // loaded from a file (the twelve shown are read again before they are used), and
    // the bank the fields show: 0 F1 to F12, 1 Shift+F1 to Shift+F12.
    char key_fields[FUNCTION_KEY_COUNT][FUNCTION_KEY_TEXT];
    std::int32_t key_bank;
};

void terminal_sheet_open(TerminalSheet* sheet, const DisplaySettings* live);

// Colour page: the area from the copy; a colour chosen for button k (1140 + k); OK.
void colour_page_open(TerminalSheet* sheet);
void colour_page_choose(TerminalSheet* sheet, int button, ColorRef colour);
void colour_page_apply(TerminalSheet* sheet);
// The part of an owner-drawn colour button that shows its colour: 3 pixels in from
// the left and top, 4 from the right and bottom.
ConsoleRect colour_button_swatch(ConsoleRect item);

// Highlight page: the colours from the copy; a colour chosen for row k; OK with each
// row's field (cut to 256 bytes of whole characters) and check boxes. Flag bits the
// page does not show are kept.
void highlight_page_open(TerminalSheet* sheet);
void highlight_page_choose(TerminalSheet* sheet, int row, ColorRef colour);
struct HighlightField {
    const char* keyword;
    bool match_case;
    bool hex;
};
void highlight_page_apply(TerminalSheet* sheet, const HighlightField fields[HIGHLIGHT_RULE_MAX]);

// The function-key page's fields as OK takes them: each as read from its field (at
// most 127 bytes, cut before a character that would be split).
constexpr int FUNCTION_KEY_FIELD_MAX = 127;
void function_key_page_apply(TerminalSheet* sheet, const char* const fields[FUNCTION_KEY_COUNT]);
// A field's text cut as OK takes it, into out (FUNCTION_KEY_TEXT bytes).
void function_key_field_text(const char* field, char* out);
