// The one door to the port kinds for the frame: start-up discovery, the connect
// commands, the pages of the communication-settings sheet and the notice after it.
// Each goes through the kinds' table (port_kinds, declared with PortKindEntry in
// terminal/port_win.h); nothing outside ports/ includes a kind's own headers.
// UI thread only.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "terminal/port_win.h"

// Start-up: each kind discovers its ports; the connect command (101 to 104) of a kind
// that cannot be offered at all is grayed.
void port_kinds_discover(int os_family);
// The connect command of a kind: its dialog, then create_port.
void port_kinds_connect(int kind, HWND frame);
// The pages of the communication-settings sheet, in kind order, each only if its
// kind makes one; returns how many were put into pages.
UINT port_kinds_settings_pages(HWND frame, HPROPSHEETPAGE* pages, UINT capacity);
// After that sheet has closed, whatever button closed it.
void port_kinds_settings_notify(HWND frame);
// Program end, once every port is closed: what the kinds started for the whole run.
void port_kinds_release();
