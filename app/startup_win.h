// The program's start-up and run, in their fixed order. UI thread only.
#pragma once
#include <windows.h>

// The operating-system check: sets app.os_family and returns true when the program
// may run here.
bool startup_check_os();

// Start-up's port discovery: each kind finds its ports; the connect command of a
// kind that cannot be offered is grayed.
void startup_discover_ports();

// Runs the program: start-up, message loop, classes unregistered. Returns the exit
// code: 0 when start-up fails or another instance exists, else WM_QUIT's wParam.
int app_main(HINSTANCE instance, int show_command);
