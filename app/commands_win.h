// The frame's command table, its dispatcher and the About box. UI thread only.
#pragma once
#include <windows.h>

// Puts the command table in use for the frame just made (menu, toolbar, accelerators).
void commands_install();
// WM_COMMAND of the frame: the row of the command runs, if it needs no terminal
// window or one is active; anything else goes to the default frame processing.
LRESULT dispatch_command(HWND frame, WPARAM wparam);
// Command 602.
void show_about(HWND frame);
