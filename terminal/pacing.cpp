// Pacing's schedule; see pacing.h.
#include "terminal/pacing.h"

std::int32_t pacing_usable(std::int32_t milliseconds)
{
    return milliseconds >= 0 && milliseconds <= PACING_DELAY_MAX ? milliseconds : 0;
}

std::int32_t pacing_field_value(const char* text, std::int32_t kept)
{
    if (!text) return kept;
    while (*text == ' ') ++text;
    std::int32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > PACING_DELAY_MAX) return kept;
    }
    while (*text == ' ') ++text;
    return *text == '\0' ? value : kept;
}

// Whether data[at] ends a line: an LF, or a CR with no LF after it in what is given.
static bool ends_line(const unsigned char* data, std::size_t length, std::size_t at)
{
    if (data[at] == '\n') return true;
    return data[at] == '\r' && (at + 1 == length || data[at + 1] != '\n');
}

PacedPiece pacing_next_piece(const Pacing& pacing, const unsigned char* data, std::size_t length)
{
    if (!data || length == 0) return PacedPiece{0, 0};
    const std::uint32_t line = pacing.line_delay > 0 ? static_cast<std::uint32_t>(pacing.line_delay) : 0;
    if (pacing.char_delay > 0) {
        std::uint32_t delay = static_cast<std::uint32_t>(pacing.char_delay);
        return PacedPiece{1, ends_line(data, length, 0) ? delay + line : delay};
    }
    if (line == 0) return PacedPiece{length, 0};
    for (std::size_t at = 0; at < length; ++at)
        if (ends_line(data, length, at)) return PacedPiece{at + 1, line};
    return PacedPiece{length, 0};
}
