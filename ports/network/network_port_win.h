// The network kind: its settings ("network config") and the host history ("network
// history") in the settings file, the network Port with its slots, NET number and
// status routine (network_port_win.cpp), the connect command
// (network_connect_win.cpp) and the page of the communication-settings sheet
// (network_page_win.cpp). UI thread only, except the status routine, which runs on
// the engine's connection thread.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "ports/network/network_engine_win.h"
#include "ports/network/network_history.h"
#include "ports/network/network_page.h"
#include "terminal/pacing.h"
#include "terminal/port_win.h"

struct NetworkPort {
    Port port;
    std::int32_t net_number;
    NetworkEngine engine;
    // What it was opened with, to be opened so again (the last session).
    char host[NET_HOST_TEXT_SIZE];
    std::int32_t tcp_port;
    std::int32_t mode;
};

// Start-up: loads the settings and starts the socket library; 1 when it started (the
// kind is offered), else 0. Program end: the socket library's clean-up.
int network_startup(int os_family);
void network_release();

// The program-wide settings the next port opens with, and the settings file.
NetworkSettings* network_settings();
// The pacing of every network port ("char delay", "line delay" in "network").
extern Pacing network_pacing;
void network_load_settings();
void network_save_settings();
// The host history in the settings file: read at every connect command, and the whole
// section written anew after its OK.
void network_load_history(NetworkHistory* history);
void network_save_history(const NetworkHistory* history);

// Command 103: the connect dialog, then create_port (network_connect_win.cpp).
void network_connect(HWND frame);
// The kind's constructor: argument points at a NetworkTarget. The network Port, or
// none after the warning box.
Port* network_port_new(HWND frame, const void* argument);
// The warning that host and port (as text) cannot be opened.
void network_tell_not_opened(HWND owner, const char* host, const char* port);
const char* network_long_name(Port* port);
const char* network_short_name(Port* port);
// abort_send: a write still waiting for the connection ends unsent.
void network_wake_engine(Port* port);

// The page of the communication-settings sheet (network_page_win.cpp); none while the
// socket library is not started.
HPROPSHEETPAGE network_settings_page(HWND frame);

// Puts the network kind into the kinds' registry (start-up, through port_kinds_register).
void network_register_kind();
