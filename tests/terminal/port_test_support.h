// Shared set-up of the port tests: a port of the test engine's kind with a real
// window for its console to draw in, counted as the terminal window would count it.
// Win32 tests only; UI thread.
#pragma once
#include <windows.h>

#include <string>

#include "app/frame_win.h"
#include "console/console_win.h"
#include "terminal/display_settings.h"
#include "tests/support/test_engine_win.h"

inline void attach_test_window(Port* port, HWND window)
{
    port->console.window = window;
    InterlockedIncrement(&open_port_count);
}

inline HWND make_plain_window()
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

inline std::string console_contents(Port* port)
{
    console_lock(&port->console);
    std::string text;
    const unsigned char* at = console_text_at(&port->console, 0);
    if (at) text.assign(reinterpret_cast<const char*>(at), console_text_length(&port->console));
    console_unlock(&port->console);
    return text;
}

inline void pump_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
