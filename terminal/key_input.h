// The terminal window's rules for turning keys into bytes, decided apart from the
// window: which keys are refused, Enter by "send crlf", a double-byte character's two
// WM_CHARs taken together, and the line a LINE-mode Enter sends. Portable and pure;
// the window's thread runs it and owns the state passed in.
#pragma once
#include <cstdint>

#include "console/console.h"
#include "terminal/port_status.h"

// What refuses typing, function keys and paste on a port.
struct KeyGate {
    int key_disable;       // "key disable" (typing and function keys only)
    int connection_state;  // PortConnectionState
    int quiet;             // abort_send under way
    int file_send;         // a file send runs
    int pasting;           // a paste runs
};
bool key_input_refused(const KeyGate* gate);

// Enter's bytes by "send crlf": 0 CR, 1 LF, 2 CR LF; any other value (only by editing
// the settings file) is taken as CR. Returns the count.
int key_enter_bytes(int send_crlf, unsigned char out[2]);

// One character as typed: one byte, the two of a double-byte character, or Enter
// (then bytes are Enter's bytes).
struct TypedCharacter {
    unsigned char bytes[2];
    int count;
    bool enter;
};
// Takes one WM_CHAR code. A lead byte waits in *held_lead (0: none waits) for its
// trail byte, so that the character is handled whole; a lead byte followed by no
// trail byte is handled alone before the code that follows it. Returns how many
// characters (0 to 2) are to be handled now, in order, in out.
int key_take_character(unsigned char* held_lead, unsigned char code, int send_crlf, TypedCharacter out[2]);

// LINE mode, Enter: the line with its escapes expanded (at most CONSOLE_INPUT_MAX
// bytes) followed, with "line mode cr", by Enter's bytes. The line end is added
// after the expansion rather than inserted into the line first: the bytes are the
// same (a line end holds no escape), but a full line still gets it. out holds
// KEY_LINE_BUFFER bytes; returns the length (0: nothing to send).
constexpr int KEY_LINE_BUFFER = CONSOLE_INPUT_MAX + 4 + 2;
int key_line_to_send(const char* line, int line_length, int line_mode_cr, int send_crlf, unsigned char* out);

// A function key's string with its escapes expanded (at most 128 bytes); out holds
// KEY_FUNCTION_BUFFER bytes. Returns the length.
constexpr int KEY_FUNCTION_LIMIT = 128;
constexpr int KEY_FUNCTION_BUFFER = KEY_FUNCTION_LIMIT + 4;
int key_function_bytes(const char* text, unsigned char* out);
