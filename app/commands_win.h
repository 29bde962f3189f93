// The frame's command dispatcher and the About box. UI thread only.
#pragma once
#include <windows.h>

// WM_COMMAND of the frame: the commands of the active terminal window first, then
// those that need none; anything else goes to the default frame processing.
LRESULT dispatch_command(HWND frame, WPARAM wparam);
// Command 602.
void show_about(HWND frame);
