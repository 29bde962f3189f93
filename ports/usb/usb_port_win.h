// The USB kind: the device list and the settings file, the host-controller probe, the
// USB Port with its slots (usb_port_win.cpp), the connect command
// (usb_connect_win.cpp) and the page of the communication-settings sheet
// (usb_page_win.cpp). UI thread only.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "ports/usb/usb_device_list.h"
#include "ports/usb/usb_engine_win.h"
#include "ports/usb/usb_page.h"
#include "terminal/pacing.h"
#include "terminal/port_win.h"

struct UsbPort {
    Port port;
    UsbEngine engine;
    std::int32_t usb_number;
    char name[USB_TEXT_SIZE];  // the entry's display name
    UsbDeviceEntry entry;      // the device and pipes it opened, for a reopen
};

extern UsbDeviceEntry usb_device_table[USB_DEVICE_COUNT];  // the live list
// The pacing of every USB port ("char delay", "line delay" in "usb").
extern Pacing usb_pacing;
extern UsbDeviceEntry usb_selected_entry;  // the connect dialog's choice, create_port's argument
extern std::int32_t usb_available;         // a host controller was found at start-up
extern UsbPage usb_page;                   // the working copy while the settings sheet is open
// "auto reopen" of the section "usb", 0 or 1: every USB port waits for a device that
// went away and opens it again (terminal/auto_reopen_win.h).
extern std::int32_t usb_auto_reopen;

// Start-up: loads the list, then probes the first host controller ("\\.\HCD0").
// Returns usb_available; with 0 the connect command is grayed and the sheet has no
// USB page, while the list is kept as loaded.
int usb_startup();
void usb_load_settings();
// Empties the section "usb", then writes the usable entries numbered 1, 2, ...,
// "entry" with their count, and "auto reopen".
void usb_save_settings();
// The apply_settings slot: an open USB port takes usb_auto_reopen as it is now; a
// changed entry reaches only the ports opened afterwards.
void usb_apply_settings(Port* port);

// Command 104: with at least one usable entry, dialog 9; then create_port.
void usb_connect(HWND frame);
// The USB Port for the entry (argument: a UsbDeviceEntry), or none after the warning
// box; none without a message for no entry. Every call that gets as far as making
// the record takes the next USB number, also when the open then fails.
Port* usb_port_new(HWND owner, const void* argument);
// The device the entry names (its GUID or name and both pipes), and the warning that
// it cannot be opened.
bool usb_device_name(const void* argument, char* out, std::size_t size);
void usb_refuse(HWND owner, const void* argument);
// The kind's reopen: the engine stopped and opened again on the same device and pipes.
bool usb_reopen(Port* port);

// The page of the communication-settings sheet (usb_page_win.cpp); none without a
// host controller.
HPROPSHEETPAGE usb_settings_page(HWND frame);

// Puts the usb kind into the kinds' registry (start-up, through port_kinds_register).
void usb_register_kind();
