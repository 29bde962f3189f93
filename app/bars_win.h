// The toolbar and the status bar: creation at start-up, the show/hide toggles and
// their "system" keys, the layout of the MDI client between them, and the toolbar's
// tooltip texts. UI thread only (the text and button services other threads use are
// in status_bar_win.h).
#pragma once
#include <windows.h>

int create_toolbar(HWND frame);
int create_status_bar(HWND frame);
void toggle_toolbar(HWND frame);
void toggle_status_bar(HWND frame);
void resize_bars(int width, int height);
void layout_mdi_client(HWND frame, int width, int height);
// WM_NOTIFY of the frame: answers TTN_NEEDTEXTA for the toolbar's commands.
void toolbar_tooltip_text(NMHDR* notification);
// The tooltip of a command, or none.
const char* toolbar_tooltip_of(int command);
