// The disconnect dialog (command 105), and the list-dialog handling it shares with
// the serial and parallel connect dialogs. UI thread only.
#pragma once
#include <windows.h>

struct Port;

// OK or a double click in list 1001 ends the dialog with the selected entry's item
// data (0 when nothing is selected); Cancel ends it with 0. Returns TRUE when the
// message was handled.
BOOL list_dialog_command(HWND dialog, WPARAM wparam);
// Adds a line with its item data to list 1001 of such a dialog.
void list_dialog_add(HWND list, const char* text, LPARAM data);

// Lists the open ports by long name and returns the chosen one, or none (also when
// no port is open, without showing anything).
Port* disconnect_dialog(HWND owner);

// Command 105: the dialog, then close_port for the chosen port.
void disconnect_command(HWND owner);
