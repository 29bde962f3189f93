// The program's start-up and run, in their fixed order. UI thread only.
#pragma once
#include <windows.h>

#include "app/command_line.h"

// The operating-system check: sets app.os_family and returns true when the program
// may run here.
bool startup_check_os();

// Start-up's port discovery: each kind finds its ports; the connect command of a
// kind that cannot be offered is grayed.
void startup_discover_ports();

// Start-up in its fixed order, up to the shown frame with every module's settings
// loaded. False at the first step that fails; nothing is shown then. When another
// instance runs, hand_over (a command line naming ports) goes to it; own_instance
// (a run of sequences) starts this one beside it instead.
bool app_startup(HINSTANCE instance, int show_command, const char* hand_over = nullptr, bool own_instance = false);
// What start-up registered and created, taken away: the frame if it still exists
// (after a failed start-up; the orderly end through WM_CLOSE has destroyed it
// already) and the window classes. Safe after a failure at any step.
void app_teardown(HINSTANCE instance);

// After start-up, before the message loop: the ports the command line names are
// opened, or with none named the last session's.
void startup_open_ports(const CommandLine* line);

// Runs the program on its command line (the program's name first): "/?" or a line
// that is refused shows a message and ends; else app_startup, the ports named, the
// message loop, app_teardown. Returns the exit code: 0 when start-up fails or another
// instance exists, else WM_QUIT's wParam.
int app_main(HINSTANCE instance, int show_command, const char* command_line);
