// The unattended run: "tavex.exe PORT /run FILE [/result PATH] ... [/exit]" opens
// each named port, runs its sequence, and with /exit ends the program once every
// sequence has ended, with exit code 0 when every expect passed, 1 when a step
// failed, 2 when a sequence could not run (the command line, a port not opened, the
// file, its syntax, the result file). Such a run is an instance of its own (never
// handed to one already running, whose exit code would not be ours), writes no
// settings, and answers every message box at once: nobody is there to read it.
// UI thread only.
#pragma once
#include <windows.h>

// Start-up, before the single-instance check: true when the command line asks for
// an unattended run (a /run or /exit, even on a command line that is refused).
bool unattended_wanted(const char* command_line);
// Once the frame runs: opens the ports and starts their sequences.
void unattended_start(HWND frame);
// The program's exit code once the message loop has ended.
int unattended_exit_code();
