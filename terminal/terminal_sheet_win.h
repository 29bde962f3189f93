// The terminal settings sheet "端末の設定" (command 107) and its four pages: "表示"
// (display_page_win.cpp), "ｶﾗｰ" (colour_page_win.cpp), "ﾌｧﾝｸｼｮﾝｷｰ"
// (function_key_page_win.cpp) and "強調表示" (highlight_page_win.cpp). UI thread only; the sheet owns its working copy for
// as long as it is open.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "terminal/page_controls_win.h"
#include "terminal/terminal_sheet.h"

// Shows the sheet; once it is closed with OK and anything differs, the settings take
// the working copy, are saved and reach every open terminal window.
void terminal_settings_sheet(HWND frame);

// What OK leads to, once the sheet is closed: true when the copy differed from the
// live settings and has been made the settings, saved and applied to every open
// terminal window; false when nothing differed (nothing is changed or written).
bool terminal_settings_confirm(const DisplaySettings* copy);

// The pages' routines (terminal/page_controls_win.h); each gets the sheet's
// TerminalSheet as its context.
extern const PageRoutines DISPLAY_PAGE_ROUTINES;
extern const PageRoutines COLOUR_PAGE_ROUTINES;
extern const PageRoutines FUNCTION_KEY_PAGE_ROUTINES;
extern const PageRoutines HIGHLIGHT_PAGE_ROUTINES;

// What the colour and highlight pages share: an owner-drawn button showing a colour,
// and the colour chooser over the sheet's custom colours (true when one was chosen).
void draw_colour_button(const DRAWITEMSTRUCT* item, ColorRef colour);
bool choose_colour(HWND owner, ColorRef* colour, ColorRef* custom);
