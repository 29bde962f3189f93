// The terminal window's key rules; see key_input.h. Portable and pure.
#include "terminal/key_input.h"

#include <cstring>

#include "base/double_byte.h"
#include "terminal/escapes.h"

bool key_input_refused(const KeyGate* gate)
{
    return gate->key_disable || !connection_takes_input(gate->connection_state) || gate->quiet ||
           gate->file_send || gate->pasting;
}

int key_enter_bytes(int send_crlf, unsigned char out[2])
{
    switch (send_crlf) {
    case 1:
        out[0] = '\n';
        return 1;
    case 2:
        out[0] = '\r';
        out[1] = '\n';
        return 2;
    default:
        out[0] = '\r';
        return 1;
    }
}

static TypedCharacter single(unsigned char byte)
{
    return TypedCharacter{{byte, 0}, 1, false};
}

int key_take_character(unsigned char* held_lead, unsigned char code, int send_crlf, TypedCharacter out[2])
{
    const unsigned char lead = *held_lead;
    *held_lead = 0;
    if (lead && is_trail_byte(code)) {
        out[0] = TypedCharacter{{lead, code}, 2, false};
        return 1;
    }
    int n = 0;
    if (lead) out[n++] = single(lead);
    if (is_lead_byte(code)) {
        *held_lead = code;
        return n;
    }
    if (code == '\r') {
        out[n] = TypedCharacter{{0, 0}, 0, true};
        out[n].count = key_enter_bytes(send_crlf, out[n].bytes);
        return n + 1;
    }
    out[n++] = single(code);
    return n;
}

int key_line_to_send(const char* line, int line_length, int line_mode_cr, int send_crlf, unsigned char* out)
{
    int length = line_length > 0 ? expand_escapes(out, line, CONSOLE_INPUT_MAX) : 0;
    if (line_mode_cr) length += key_enter_bytes(send_crlf, out + length);
    return length;
}

int key_function_bytes(const char* text, unsigned char* out)
{
    return expand_escapes(out, text, KEY_FUNCTION_LIMIT);
}
