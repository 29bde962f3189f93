// The list dialogs: the disconnect dialog and the connect dialogs of the kinds that
// choose a port from a list (serial, parallel). Each is a dialog whose list box is
// IDC_PORT_LIST, with OK and Cancel; the caller gives the lines. UI thread only.
#pragma once
#include <windows.h>

struct ListDialogEntry {
    char text[260];  // up to 259 bytes: a USB device's display name
    LPARAM data;  // what the dialog returns when this line is chosen
};

// Runs the dialog over the lines, in order, the first selected. OK or a double click
// in the list ends it with the selected line's data (0 when none is selected), Cancel
// with 0. With no lines nothing is shown and the result is 0.
LPARAM list_dialog_run(HWND owner, int dialog_id, const ListDialogEntry* entries, int count);

// The connect rule: with two or more lines the dialog chooses; with exactly one that
// one is taken without a dialog; with none the result is 0 (nothing happens).
LPARAM list_dialog_choose(HWND owner, int dialog_id, const ListDialogEntry* entries, int count);
