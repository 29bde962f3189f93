// The program-wide record of the frame: the program's instance, the frame window, its
// MDI client and bars, the system family and the start-up directory. Set once at
// start-up by the frame (app/) and read by every module; the handles are the UI
// thread's, and other threads only read them to send the windows messages.
#pragma once
#include <windows.h>

struct App {
    HINSTANCE instance;
    HWND frame_window;
    HWND mdi_client;
    HWND toolbar;      // null while hidden or not yet created
    HWND status_bar;   // null while hidden or not yet created
    int os_family;                // OsFamily
    char start_directory[MAX_PATH];
};

extern App app;
