// The disconnect dialog (command 105, dialog 10 "切断"): the open ports by long name,
// in the order of the MDI client's windows; the chosen one is closed. UI thread only.
#pragma once
#include <windows.h>

struct Port;

// The chosen port, or none (cancelled, or no port open: then nothing is shown).
Port* disconnect_dialog(HWND owner);

// Command 105: the dialog, then close_port for the chosen port.
void disconnect_command(HWND owner);
