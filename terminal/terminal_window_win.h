// The terminal window of a port: the MDI child that shows its console. Creating it
// makes the console from the current display settings; destroying it releases the
// console. UI thread only.
#pragma once
#include <windows.h>

struct Port;

// Stores the frame in the port, creates its console and, once the window class is
// registered, the window itself. Returns true when the port has a window.
bool create_terminal_window(Port* port, HWND frame);
// Releases the console, a paste under way and the window.
void destroy_terminal_window(Port* port);
