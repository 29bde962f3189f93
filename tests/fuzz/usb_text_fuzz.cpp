// Fuzzes the texts a USB device entry holds, as the settings file or the page hands
// them over: GUID recognition (checked against the digits it read back), a pipe's
// path (never longer than its buffer, or refused) and the texts cut to fit (never
// inside a double-byte character, the caption always ending with its number).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/double_byte.h"
#include "ports/usb/usb_device_list.h"
#include "ports/usb/usb_guid.h"
#include "ports/usb/usb_path.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

// Whether text ends on a character boundary: no lead byte left without its trail.
static bool whole(const std::string& text)
{
    size_t at = 0;
    while (at < text.size()) {
        bool pair = at + 1 < text.size() && is_double_byte(static_cast<unsigned char>(text[at]),
                                                           static_cast<unsigned char>(text[at + 1]));
        at += pair ? 2 : 1;
    }
    return at == text.size();
}

static void fuzz_guid(const std::string& text)
{
    UsbGuid guid;
    std::memset(&guid, 0xA5, sizeof guid);
    if (!parse_guid_text(text.c_str(), &guid)) return;
    size_t brace = text.find('{');
    check(brace != std::string::npos && text.size() >= brace + 38);
    char again[40];
    std::snprintf(again, sizeof again, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.data1), guid.data2, guid.data3, guid.data4[0], guid.data4[1],
                  guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
    for (size_t i = 0; i < 38; ++i)
        check(std::toupper(static_cast<unsigned char>(text[brace + i])) == static_cast<unsigned char>(again[i]));
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // The first byte picks the USB number; the rest, up to a 0x00, is the text, and
    // what follows a 0x01 in it is a pipe name.
    if (size == 0) return 0;
    const int number = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    text = text.substr(0, text.find('\0'));
    fuzz_guid(text);

    size_t split = text.find('\x01');
    std::string base = text.substr(0, split), pipe = split == std::string::npos ? "" : text.substr(split + 1);
    char path[USB_PATH_SIZE + 8];
    std::memset(path, 'z', sizeof path);
    bool fits = usb_pipe_path(base.c_str(), number & 1, pipe.c_str(), path);
    size_t length = std::strlen(path);
    check(fits ? length < USB_PATH_SIZE && length >= base.size() : length == 0);

    UsbDeviceEntry entry;
    usb_entry_set_text(&entry, number % USB_ENTRY_TEXTS, text.c_str());
    std::string stored = usb_entry_text(&entry, number % USB_ENTRY_TEXTS);
    check(stored.size() < USB_TEXT_SIZE && text.compare(0, stored.size(), stored) == 0 && whole(stored));

    char caption[128];
    usb_format_long_name(stored.c_str(), number, caption, sizeof caption);
    std::string shown = caption, suffix = "(USB" + std::to_string(number) + ")";
    check(shown.size() < sizeof caption && shown.size() >= suffix.size());
    check(shown.compare(shown.size() - suffix.size(), suffix.size(), suffix) == 0);
    check(whole(shown.substr(0, shown.size() - suffix.size())));
    return 0;
}
