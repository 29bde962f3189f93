// The program's start-up and run, in their fixed order. UI thread only.
#pragma once
#include <windows.h>

// The operating-system check: sets app.os_family and returns true when the program
// may run here.
bool startup_check_os();

// Start-up's port discovery: each kind finds its ports; the connect command of a
// kind that cannot be offered is grayed.
void startup_discover_ports();

// Start-up in its fixed order, up to the shown frame with every module's settings
// loaded. False at the first step that fails; nothing is shown then.
bool app_startup(HINSTANCE instance, int show_command);
// What start-up registered and created, taken away: the frame if it still exists
// (after a failed start-up; the orderly end through WM_CLOSE has destroyed it
// already) and the window classes. Safe after a failure at any step.
void app_teardown(HINSTANCE instance);

// Runs the program: app_startup, the message loop, app_teardown. Returns the exit
// code: 0 when start-up fails or another instance exists, else WM_QUIT's wParam.
int app_main(HINSTANCE instance, int show_command);
