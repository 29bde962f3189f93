// A port's modem lines as the kinds that have them report them (the serial kind):
// the inputs as last read, the outputs as set, and which outputs the user may
// drive. Portable; the kinds fill the bits on the UI thread from what their engines
// keep, and the status bar and the command rules read them.
#pragma once
#include <cstddef>

enum PortLineBit : unsigned {
    PORT_LINES = 0x001,           // the kind has modem lines
    PORT_LINES_READ = 0x002,      // the inputs below have been read from the device
    PORT_LINE_CTS = 0x010,        // the inputs, as the system's MS_*_ON bits
    PORT_LINE_DSR = 0x020,
    PORT_LINE_RI = 0x040,
    PORT_LINE_DCD = 0x080,
    PORT_LINE_DTR_ON = 0x100,     // the outputs as set
    PORT_LINE_RTS_ON = 0x200,
    PORT_LINE_DTR_FREE = 0x400,   // not driven by the flow control: the user may set it
    PORT_LINE_RTS_FREE = 0x800,
};

// What the user asks of a port's lines (the argument of the kind's line command and
// of the command rules).
enum PortLineCommand {
    PORT_LINE_TOGGLE_DTR = 0,
    PORT_LINE_TOGGLE_RTS = 1,
    PORT_LINE_SEND_BREAK = 2,
};

// Status-bar part 4's line text: "CTS:%d DSR:%d DCD:%d RI:%d" once the inputs have
// been read, else empty. out holds at least PORT_LINES_TEXT bytes.
constexpr std::size_t PORT_LINES_TEXT = 32;
void port_lines_text(unsigned lines, char* out);

// Whether the command can act on a port with these lines: the output it toggles is
// free, a Break needs only lines. And whether the toggled output is on.
bool port_line_command_free(unsigned lines, int command);
bool port_line_on(unsigned lines, int command);
