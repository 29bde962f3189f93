// The counters' text; see port_counters.h. The core writes its Shift-JIS text as
// escapes (the native build compiles literals as UTF-8).
#include "terminal/port_counters.h"

#include <cstdio>

void format_thousands(std::uint64_t n, char* out)
{
    char digits[21];
    const int count = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(n));
    int o = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) out[o++] = ',';
        out[o++] = digits[i];
    }
    out[o] = '\0';
}

void port_counter_text(std::uint64_t received, std::uint64_t sent, std::uint64_t rate, bool rate_valid, char* out)
{
    char r[27], s[27], per[27];
    format_thousands(received, r);
    format_thousands(sent, s);
    // "受信 %s / 送信 %s byte"
    int n = std::snprintf(out, PORT_COUNTER_TEXT, "\x8e\xf3\x90\x4d %s / \x91\x97\x90\x4d %s byte", r, s);
    if (rate_valid && n > 0 && static_cast<std::size_t>(n) < PORT_COUNTER_TEXT) {
        format_thousands(rate, per);
        std::snprintf(out + n, PORT_COUNTER_TEXT - static_cast<std::size_t>(n), " (%s byte/s)", per);
    }
}
