// The modem lines' text and command conditions; see port_lines.h. Portable and pure.
#include "terminal/port_lines.h"

#include <cstdio>

void port_lines_text(unsigned lines, char* out)
{
    out[0] = '\0';
    if (!(lines & PORT_LINES) || !(lines & PORT_LINES_READ)) return;
    auto on = [lines](unsigned bit) { return (lines & bit) ? 1 : 0; };
    std::snprintf(out, PORT_LINES_TEXT, "CTS:%d DSR:%d DCD:%d RI:%d", on(PORT_LINE_CTS), on(PORT_LINE_DSR),
                  on(PORT_LINE_DCD), on(PORT_LINE_RI));
}

bool port_line_command_free(unsigned lines, int command)
{
    if (!(lines & PORT_LINES)) return false;
    switch (command) {
    case PORT_LINE_TOGGLE_DTR: return (lines & PORT_LINE_DTR_FREE) != 0;
    case PORT_LINE_TOGGLE_RTS: return (lines & PORT_LINE_RTS_FREE) != 0;
    case PORT_LINE_SEND_BREAK: return true;
    }
    return false;
}

bool port_line_on(unsigned lines, int command)
{
    if (!(lines & PORT_LINES)) return false;
    if (command == PORT_LINE_TOGGLE_DTR) return (lines & PORT_LINE_DTR_ON) != 0;
    if (command == PORT_LINE_TOGGLE_RTS) return (lines & PORT_LINE_RTS_ON) != 0;
    return false;
}
