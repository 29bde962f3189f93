// The modeless find window "検索" (commands 810 to 812): it finds in the console of
// the active terminal window, whichever that is when a find runs. UI thread only; the
// frame owns the window (created on first use, hidden when closed, destroyed with
// the frame).
#pragma once
#include <windows.h>

// Command 810: shows the find window (made on first use) with its text selected.
void find_window_open(HWND frame);
// Commands 811 and 812: the next or previous match of what the window holds; with
// nothing to find yet, the window opens instead.
void find_window_step(HWND frame, bool backward);
// For the message loop, before the accelerators: the find window's keys (F3 and
// Shift+F3 find, Ctrl+F selects the text) and its dialog navigation. True when the
// message was handled.
bool find_window_pretranslate(MSG* msg);
