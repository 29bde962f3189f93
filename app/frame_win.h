// The MDI frame window "TAVEX FRAME", its MDI client and the message loop.
// UI thread only. The frame fills the program-wide record (base/app_record_win.h)
// as it makes its windows; it owns the MDI client, which owns the terminal windows.
#pragma once
#include <windows.h>

#include "base/app_record_win.h"

extern const char FRAME_CLASS_NAME[];
extern const char FRAME_CAPTION[];

bool frame_register_class(HINSTANCE instance);
void frame_unregister_class(HINSTANCE instance);

// Creates the frame (hidden); null on failure.
HWND frame_create(HINSTANCE instance);

// Creates the MDI client inside the frame; its window menu is the frame menu's fifth
// pop-up when the frame has a menu. Null on failure.
HWND frame_create_mdi_client(HWND frame);

// If another instance's frame exists, shows or raises it, hands it the command line
// when one is given (command_line_win.h), and returns true.
bool frame_raise_other_instance(const char* hand_over = nullptr);

// Runs the message loop until WM_QUIT; returns its wParam.
int frame_message_loop();

LRESULT CALLBACK frame_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
