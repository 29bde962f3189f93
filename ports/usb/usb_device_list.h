// The USB device list: up to sixteen named devices, each a GUID text (or a device
// name) with its input and output pipe names, as the settings file's section "usb"
// holds them; and the names a USB port shows. Portable; the UI thread owns the tables
// (usb_port_win.cpp), the settings page works on a copy (usb_page.cpp).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int USB_DEVICE_COUNT = 16;
constexpr int USB_TEXT_SIZE = 260;  // each text: up to 259 bytes and its terminator

// An entry whose display name is empty is a free slot.
struct UsbDeviceEntry {
    char name[USB_TEXT_SIZE];         // display name
    char guid[USB_TEXT_SIZE];         // a GUID in braces, or a device name
    char input_pipe[USB_TEXT_SIZE];
    char output_pipe[USB_TEXT_SIZE];
};

// The four texts in their order, for code that handles them alike.
constexpr int USB_ENTRY_TEXTS = 4;
char* usb_entry_text(UsbDeviceEntry* entry, int index);
const char* usb_entry_text(const UsbDeviceEntry* entry, int index);
// Copies text into an entry's text, cut to fit (never inside a double-byte character).
void usb_entry_set_text(UsbDeviceEntry* entry, int index, const char* text);

// A slot in use: it has a display name.
bool usb_entry_used(const UsbDeviceEntry* entry);
// An entry that can be opened and is kept by a save: a display name and a GUID text.
bool usb_entry_usable(const UsbDeviceEntry* entry);

// The settings key of text `index` of entry `number` (1 to 16): "device name %d",
// "guid %d", "input pipe %d", "output pipe %d".
void usb_entry_key(int index, int number, char* key, std::size_t size);

// Reads the stored text of a key of section "usb" into buffer (NUL-terminated, cut
// to size, "" when missing).
typedef void (*UsbKeyReader)(void* context, const char* key, char* buffer, int size);
// Slot k-1 gets the file's entry k, for k = 1 to 16, whatever "entry" says.
void usb_list_load(UsbDeviceEntry* table, UsbKeyReader read, void* context);
// The slots a save writes, in order (usable entries only), into slots; their count.
// Saved, they are numbered 1, 2, ... without gaps.
int usb_list_saved_slots(const UsbDeviceEntry* table, int* slots);

// A USB port's caption, "%s(USB%d)" with the display name and its USB number, into
// out: a name too long for out is cut at a whole character so that the number is
// always shown.
void usb_format_long_name(const char* name, std::int32_t number, char* out, std::size_t size);
