// The USB device list's rules; see usb_device_list.h. Portable.
#include "ports/usb/usb_device_list.h"

#include <cstdio>
#include <cstring>

#include "base/double_byte.h"

char* usb_entry_text(UsbDeviceEntry* entry, int index)
{
    switch (index) {
    case 0:
        return entry->name;
    case 1:
        return entry->guid;
    case 2:
        return entry->input_pipe;
    default:
        return entry->output_pipe;
    }
}

const char* usb_entry_text(const UsbDeviceEntry* entry, int index)
{
    return usb_entry_text(const_cast<UsbDeviceEntry*>(entry), index);
}

// How many bytes of text fit in `room` bytes without splitting a double-byte
// character.
static std::size_t whole_characters(const char* text, std::size_t room)
{
    std::size_t at = 0;
    while (text[at]) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        std::size_t step = text[at + 1] && is_double_byte(c, static_cast<unsigned char>(text[at + 1])) ? 2 : 1;
        if (at + step > room) break;
        at += step;
    }
    return at;
}

void usb_entry_set_text(UsbDeviceEntry* entry, int index, const char* text)
{
    char* out = usb_entry_text(entry, index);
    std::size_t length = text ? whole_characters(text, USB_TEXT_SIZE - 1) : 0;
    if (length) std::memcpy(out, text, length);
    out[length] = '\0';
}

bool usb_entry_used(const UsbDeviceEntry* entry)
{
    return entry && entry->name[0] != '\0';
}

bool usb_entry_usable(const UsbDeviceEntry* entry)
{
    return usb_entry_used(entry) && entry->guid[0] != '\0';
}

void usb_entry_key(int index, int number, char* key, std::size_t size)
{
    static const char* const formats[USB_ENTRY_TEXTS] = {"device name %d", "guid %d", "input pipe %d",
                                                         "output pipe %d"};
    std::snprintf(key, size, formats[index < 0 || index >= USB_ENTRY_TEXTS ? 0 : index], number);
}

void usb_list_load(UsbDeviceEntry* table, UsbKeyReader read, void* context)
{
    if (!table || !read) return;
    for (int number = 1; number <= USB_DEVICE_COUNT; ++number) {
        UsbDeviceEntry& entry = table[number - 1];
        for (int i = 0; i < USB_ENTRY_TEXTS; ++i) {
            char key[32];
            usb_entry_key(i, number, key, sizeof key);
            char* text = usb_entry_text(&entry, i);
            text[0] = '\0';
            read(context, key, text, USB_TEXT_SIZE);
            text[USB_TEXT_SIZE - 1] = '\0';
        }
    }
}

int usb_list_saved_slots(const UsbDeviceEntry* table, int* slots)
{
    int count = 0;
    for (int slot = 0; table && slots && slot < USB_DEVICE_COUNT; ++slot)
        if (usb_entry_usable(&table[slot])) slots[count++] = slot;
    return count;
}

void usb_format_long_name(const char* name, std::int32_t number, char* out, std::size_t size)
{
    if (!out || size == 0) return;
    char suffix[24];
    int suffix_length = std::snprintf(suffix, sizeof suffix, "(USB%d)", static_cast<int>(number));
    std::size_t room = size - 1 > static_cast<std::size_t>(suffix_length) ? size - 1 - suffix_length : 0;
    std::size_t length = name ? whole_characters(name, room) : 0;
    if (length) std::memcpy(out, name, length);
    std::snprintf(out + length, size - length, "%s", suffix);
}
