// The serial kind: which COM ports exist, their settings rows and the settings file,
// the serial Port and its slots (serial_port_win.cpp), the connect command
// (serial_connect_win.cpp) and the page of the communication-settings sheet
// (serial_page_win.cpp). UI thread only; the engine thread never touches the tables.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "ports/serial/serial_engine_win.h"
#include "ports/serial/serial_page.h"
#include "terminal/pacing.h"
#include "terminal/port_win.h"

struct SerialPort {
    Port port;
    std::int32_t com_number;
    SerialEngine engine;
    // Line settings of this port alone (named with the port on the command line):
    // used while own_line is 1, also by a reopen, never stored; a change of the
    // port's row in the settings sheet replaces them.
    SerialSettings line;
    std::int32_t own_line;
};

extern SerialPortEntry serial_port_table[SERIAL_PORT_COUNT];
// Each COM port's pacing ("char delay", "line delay" in its section), by row.
extern Pacing serial_pacing[SERIAL_PORT_COUNT];
extern SerialPage serial_page;  // the working copy while the settings sheet is open

// Whether COM number is present on an NT-family system (QueryDosDeviceA); tests
// replace it to stand for a machine with other ports.
extern bool (*serial_device_present)(int number);

// Start-up: marks the present ports (QueryDosDeviceA on the NT family, COM1 to COM4
// on the 98 family), then loads the settings. Returns 1.
int serial_enumerate_ports(int os_family);
void serial_load_settings();
void serial_save_settings();
SerialPortEntry* serial_find_port(int number);
// Whether any COM port may be offered.
bool serial_find_any_port();

// Command 101: the dialog with two or more ports, the only one without it, nothing
// with none (serial_connect_win.cpp).
void serial_connect(HWND frame);
// The serial Port for COM number, or none after the warning box. The kind's
// constructor: argument points at the number.
Port* serial_port_create(HWND frame, const void* argument);
// The device the argument names ("COM5"), and the warning that it cannot be opened.
bool serial_device_name(const void* argument, char* out, std::size_t size);
void serial_refuse(HWND frame, const void* argument);
const char* serial_long_name(Port* port);
const char* serial_short_name(Port* port);
void serial_apply_settings(Port* port);
void serial_wake_engine(Port* port);
// The kind's reopen: the engine stopped and opened again on the same COM port with
// its row's settings.
bool serial_reopen(Port* port);

// The page of the communication-settings sheet (serial_page_win.cpp); none without an
// available port.
HPROPSHEETPAGE serial_settings_page(HWND frame);
// After the sheet has closed: asks the open ports to apply changed rows.
void serial_settings_notify(HWND frame);

// Puts the serial kind into the kinds' registry (start-up, through port_kinds_register),
// with its modem lines (serial_lines_win.cpp).
void serial_register_kind();
void serial_register_lines();
