// The one entry through which the frame brings the kinds of port in: each kind
// registers itself into the kinds' registry (terminal/port_kind_registry_win.h),
// through which everything else reaches it; nothing outside ports/ includes a kind's
// own headers. UI thread, once at start-up, before the toolbar is made.
#pragma once

// Registers every kind the program offers (serial, parallel, network, USB).
void port_kinds_register();
