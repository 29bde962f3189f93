// The dotted-address test; see net_address.h. Portable. A number is read digit by
// digit and given up as soon as it passes 255, so no run of digits can overflow.
#include "ports/network/net_address.h"

static const char* skip_blanks(const char* at)
{
    while (*at == ' ' || *at == '\t') ++at;
    return at;
}

bool net_parse_dotted(const char* text, unsigned char address[4])
{
    if (!text) return false;
    unsigned char numbers[4];
    const char* at = text;
    for (int number = 0; number < 4; ++number) {
        at = skip_blanks(at);
        if (*at < '0' || *at > '9') return false;
        int value = 0;
        while (*at >= '0' && *at <= '9') {
            value = value * 10 + (*at - '0');
            if (value > 255) return false;
            ++at;
        }
        numbers[number] = static_cast<unsigned char>(value);
        at = skip_blanks(at);
        if (number < 3) {
            if (*at != '.') return false;
            ++at;
        }
    }
    for (int i = 0; i < 4; ++i) address[i] = numbers[i];
    return true;
}

bool is_dotted_address(const char* text)
{
    unsigned char ignored[4];
    return net_parse_dotted(text, ignored);
}
