// GUID text as the USB device list holds it: the usual registry form in braces,
// anywhere in the text. Portable; pure functions.
#pragma once
#include <cstdint>

// Laid out as the Win32 GUID, which the engine copies it into.
struct UsbGuid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// 1 when text holds, after whatever precedes its first '{', a GUID of the form
// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} (hexadecimal digits of either case; text
// after the '}' is ignored), stored in *guid; else 0 and *guid is left alone. Text
// without a '{' is no GUID: the device list takes it for a device name.
int parse_guid_text(const char* text, UsbGuid* guid);
