// The terminal window of a port: the MDI child "TAVEX CHILD" that shows its console
// and turns keys, function keys and pastes into bytes for the port. UI thread only,
// except the paste's completion hook and console_show, which also run on engine
// threads (received data) and the file-send thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

struct Port;

// The terminal window's append (origin 0 typed, 1 received, 2 file-send text).
enum ShowOrigin {
    SHOW_TYPED = 0,
    SHOW_RECEIVED = 1,
    SHOW_FILE_SEND = 2,
};
void console_show(Port* port, const unsigned char* data, std::int32_t length, int origin);

extern const char CHILD_CLASS_NAME[];

bool terminal_window_register(HINSTANCE instance);
void terminal_window_unregister(HINSTANCE instance);

// Stores the frame in the port, creates its console from the display settings and
// the window, maximized, in the frame's MDI client. Returns true when the port has
// a window.
bool create_terminal_window(Port* port, HWND frame);
// Releases the console and the window. A paste's text is close_port's to free, once
// the engine that may still write it has stopped.
void destroy_terminal_window(Port* port);

// F1 to F12 (index 0 to 11) on the active port.
void send_function_key(int index);
// Whether the port refuses what a window would send now: not connected, an abort
// under way, a file send, paste or paced send running, or (keys) key input disabled.
bool window_send_refused(Port* port, bool keys);

// What a window sends and how it goes out: typed (at once, never paced), pasted or
// from a function key (at the port's pace), or repeated (a paced send, from the
// send-bytes window).
enum WindowSendHow { SEND_TYPED, SEND_PASTED, SEND_FUNCTION_KEY, SEND_REPEATED };
struct WindowSend {
    const unsigned char* bytes;  // copied where kept
    std::int32_t length;
    int how;                     // WindowSendHow
    std::int32_t repeat;         // SEND_REPEATED only
    std::uint32_t interval_ms;
};
// Sends from the port's window: to the port, which the caller has found willing, and
// with "send to all" on to every other open, connected port that takes input now.
// A paste is taken to be shown in the port's console already. Returns how many ports
// took the bytes, which taken (when given) lists.
int window_send(Port* port, const WindowSend& send, std::vector<Port*>* taken);
// Command 821: "send to all" on or off; each included window's caption ends with a
// mark meanwhile. Off at start.
bool send_to_all_on();
void send_to_all_toggle();
// Command 202: the clipboard text to the port (LINE input mode: into the line).
void paste_clipboard(Port* port);
// Re-reads the display settings into the console of a terminal window: every value,
// then the font's metrics, the caret, the page sizes and the scroll bars.
void refresh_display_settings(HWND window);
// The same for every open terminal window, after the settings sheet changed them.
void refresh_all_display_settings();
// Command 206 changed "key disable": every open console takes the new value at once,
// so that paste and the LINE input's Delete follow it as typing does.
void refresh_key_disable();
