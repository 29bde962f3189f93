// The code page 932 (Shift-JIS) double-byte test shared by everything that edits,
// wraps, selects or deletes text. Portable; pure functions.
#pragma once

// Whether c can start a double-byte character (0x81-0x9F, 0xE0-0xFC).
inline bool is_lead_byte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Whether c can end one (0x40-0x7E, 0x80-0xFC).
inline bool is_trail_byte(unsigned char c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Whether the two bytes form one legal double-byte character.
inline bool is_double_byte(unsigned char lead, unsigned char trail)
{
    return is_lead_byte(lead) && is_trail_byte(trail);
}

// How many of the first `limit` bytes of text (`length` bytes) hold only whole
// characters, reading from the start: a cut there never leaves half a character.
inline int whole_character_prefix(const char* text, int length, int limit)
{
    if (limit > length) limit = length;
    int i = 0;
    while (i < limit) {
        int step = i + 1 < length && is_double_byte(static_cast<unsigned char>(text[i]),
                                                    static_cast<unsigned char>(text[i + 1]))
                       ? 2
                       : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}
