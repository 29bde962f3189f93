// Drives a modal dialog or message box that the test's own thread is about to run:
// a thread timer fires inside its modal loop, finds the window by class and caption,
// and runs the test's routine on it. Win32 tests only; UI thread.
#pragma once
#include <windows.h>

#include <string>

// The routine gets the dialog window. Call before the call that runs the dialog.
void drive_dialog(const char* caption, void (*routine)(HWND dialog));
// The same for a dialog known by its owner rather than its caption (a system dialog
// whose caption is the system's to choose).
void drive_owned_dialog(HWND owner, void (*routine)(HWND dialog));
// True once the routine has run since the last drive_dialog.
bool dialog_was_driven();

// The text of a message box: its static control.
std::string message_box_text(HWND box);
// The same, and the box closed with its safe answer: No when it asks, else OK.
std::string dismiss_message_box(HWND box);
std::string window_text(HWND window);
