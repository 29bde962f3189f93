// parse_guid_text; see usb_guid.h. Portable.
#include "ports/usb/usb_guid.h"

#include <cstring>

static int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at *at, most significant first, and moves past
// them; false at the first character that is no digit (the text's end included).
static bool read_hex(const char** at, int digits, std::uint32_t* value)
{
    std::uint32_t v = 0;
    for (int i = 0; i < digits; ++i) {
        int d = hex_value((*at)[i]);
        if (d < 0) return false;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    *at += digits;
    *value = v;
    return true;
}

static bool expect(const char** at, char c)
{
    if (**at != c) return false;
    ++*at;
    return true;
}

int parse_guid_text(const char* text, UsbGuid* guid)
{
    if (!text || !guid) return 0;
    const char* at = std::strchr(text, '{');
    if (!at) return 0;
    ++at;
    UsbGuid g = {};
    std::uint32_t v1, v2, v3, v;
    if (!read_hex(&at, 8, &v1) || !expect(&at, '-') || !read_hex(&at, 4, &v2) || !expect(&at, '-') ||
        !read_hex(&at, 4, &v3) || !expect(&at, '-'))
        return 0;
    g.data1 = v1;
    g.data2 = static_cast<std::uint16_t>(v2);
    g.data3 = static_cast<std::uint16_t>(v3);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !expect(&at, '-')) return 0;
        if (!read_hex(&at, 2, &v)) return 0;
        g.data4[i] = static_cast<std::uint8_t>(v);
    }
    if (!expect(&at, '}')) return 0;
    *guid = g;
    return 1;
}
