// The terminal window's creation and destruction as the port's lifecycle needs them.
// The console is made here from the display settings; the MDI child itself, its
// window procedure and the attachment of the console to it live with the console
// view. UI thread only. The port owns its console and paste text; the MDI client
// owns the window.
#include "terminal/terminal_window_win.h"

#include <cstdlib>

#include "terminal/display_settings.h"
#include "terminal/port_win.h"
#include "console/console_win.h"

bool create_terminal_window(Port* port, HWND frame)
{
    if (!port) return false;
    port->frame_window = frame;
    ConsoleSettings settings;
    display_console_settings(&display_settings, &settings);
    console_create(&port->console, &settings);
    return port->console.window != nullptr;
}

void destroy_terminal_window(Port* port)
{
    if (!port) return;
    HWND window = console_destroy(&port->console);
    // A paste cannot outlive its port, window or not.
    std::free(port->paste_text);
    port->paste_text = nullptr;
    port->paste_sent = 0;
    port->paste_length = 0;
    if (!window) return;
    DestroyCaret();
    // The user data goes first: the messages the window gets while it is destroyed
    // must not reach a port whose console is already released.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    HWND client = GetParent(window);
    if (client) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    InterlockedDecrement(&open_port_count);
}
