// The last session's place texts; see last_session.h. Portable and pure.
#include "app/last_session.h"

#include <cstdio>

bool session_parse_place(const char* text, SessionPlace* out)
{
    if (!text || !out) return false;
    std::int32_t values[5];
    const char* at = text;
    for (int i = 0; i < 5; ++i) {
        bool negative = i < 4 && *at == '-';
        if (negative) ++at;
        if (*at < '0' || *at > '9') return false;
        std::int32_t value = 0;
        for (; *at >= '0' && *at <= '9'; ++at) {
            value = value * 10 + (*at - '0');
            if (value > SESSION_COORDINATE_LIMIT) return false;
        }
        values[i] = negative ? -value : value;
        if (*at != (i < 4 ? ',' : '\0')) return false;
        if (i < 4) ++at;
    }
    if (values[2] <= values[0] || values[3] <= values[1] || values[4] > SESSION_SHOWN_MAXIMIZED) return false;
    *out = SessionPlace{values[0], values[1], values[2], values[3], values[4]};
    return true;
}

bool session_format_place(const SessionPlace& place, char* out, std::size_t size)
{
    int length = std::snprintf(out, size, "%d,%d,%d,%d,%d", place.left, place.top, place.right, place.bottom,
                               place.shown);
    return length > 0 && static_cast<std::size_t>(length) < size;
}
