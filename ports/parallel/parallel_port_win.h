// The parallel kind: which LPT ports exist, their settings rows and the settings
// file, the parallel Port and its slots (parallel_port_win.cpp), the connect command
// (parallel_connect_win.cpp) and the page of the communication-settings sheet
// (parallel_page_win.cpp). UI thread only; the engine thread never touches the tables.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "ports/parallel/parallel_engine_win.h"
#include "ports/parallel/parallel_page.h"
#include "terminal/pacing.h"
#include "terminal/port_win.h"

struct ParallelPort {
    Port port;
    std::int32_t lpt_number;
    ParallelEngine engine;
};

extern ParallelPortEntry parallel_port_table[PARALLEL_PORT_COUNT];
// Each LPT port's pacing ("char delay", "line delay" in its section), by row.
extern Pacing parallel_pacing[PARALLEL_PORT_COUNT];
extern ParallelPage parallel_page;  // the working copy while the settings sheet is open

// Whether LPT number is present on an NT-family system (QueryDosDeviceA); tests
// replace it to stand for a machine with other ports.
extern bool (*parallel_device_present)(int number);

// Start-up: marks the present ports (QueryDosDeviceA on the NT family, LPT1 on the 98
// family), then loads the settings. Returns 1.
int parallel_enumerate_ports(int os_family);
void parallel_load_settings();
void parallel_save_settings();
ParallelPortEntry* parallel_find_port(int number);

// Command 102: the dialog with two or more ports, the only one without it, nothing
// with none (parallel_connect_win.cpp).
void parallel_connect(HWND frame);
// The parallel Port for LPT number, or none after the warning box. The kind's
// constructor: argument points at the number.
Port* parallel_port_create(HWND frame, const void* argument);
// The device the argument names ("LPT2"), and the warning that it cannot be opened.
bool parallel_device_name(const void* argument, char* out, std::size_t size);
void parallel_refuse(HWND frame, const void* argument);
const char* parallel_long_name(Port* port);
const char* parallel_short_name(Port* port);
void parallel_apply_settings(Port* port);
// abort_send's wake-up: the engine cancels its I/O.
void parallel_wake_engine(Port* port);
// The kind's reopen: the engine stopped and opened again on the same LPT port with
// its row's settings.
bool parallel_reopen(Port* port);

// The page of the communication-settings sheet (parallel_page_win.cpp); none without
// an available port.
HPROPSHEETPAGE parallel_settings_page(HWND frame);
// After the sheet has closed: asks the open ports to apply changed rows.
void parallel_settings_notify(HWND frame);

// Puts the parallel kind into the kinds' registry (start-up, through port_kinds_register).
void parallel_register_kind();
