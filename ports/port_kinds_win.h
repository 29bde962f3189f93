// The one entry through which the frame brings the kinds of port in: each kind
// registers itself into the kinds' registry (terminal/port_kind_registry_win.h),
// through which everything else reaches it; nothing outside ports/ includes a kind's
// own headers. UI thread, once at start-up, before the toolbar is made.
#pragma once

// Registers every kind the program offers (serial, parallel, network, USB).
void port_kinds_register();

struct Port;
// Opens a port named outside its connect dialog (the command line), with the kind's
// stored settings: a COM or LPT port by number, a network client or server by host
// (empty for a server on every address), TCP port and mode (0 client, 1 server).
// Null when it could not be opened, and for a kind not opened this way (USB).
Port* port_kinds_open(int kind, int number, const char* host, int tcp_port, int network_mode);
