// HTML Help: the table of contents of tavex.chm (command 601), the help library's
// share of the message loop, and closing its windows at the end. The library is
// loaded on first use. UI thread only.
#pragma once
#include <windows.h>

#include <string>

// What command 601 opens: the contents of tavex.chm next to the program, in the
// window type "Tavex01".
std::string help_topic();
void help_show_contents(HWND frame);
// True when the help library took the message (only once it is loaded).
bool help_pretranslate(MSG* msg);
// The orderly end: closes the help windows, if any.
void help_close_windows(HWND frame);
// WM_DESTROY of the frame: hands the library its cookie back.
void help_uninitialize();
