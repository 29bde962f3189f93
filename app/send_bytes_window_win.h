// The modeless send-bytes window "ﾃﾞｰﾀ送信" (command 820): bytes written in
// hexadecimal or as text with escapes, sent to the active terminal window's port a
// number of times at an interval, through the port's paced send. UI thread only; the
// frame owns the window (made on first use, hidden when closed, destroyed with the
// frame); the window keeps the drop-down's entries for the session.
#pragma once
#include <windows.h>

// Command 820: shows the window (made on first use) with its data selected.
void send_bytes_window_open(HWND frame);
// For the message loop: the window's dialog navigation. True when handled.
bool send_bytes_window_pretranslate(MSG* msg);
