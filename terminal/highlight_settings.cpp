// The highlight rows; see highlight_settings.h. Portable.
#include "terminal/highlight_settings.h"

#include <cstdio>
#include <cstring>

#include "terminal/find_pattern.h"

const char HIGHLIGHT_SECTION[] = "console highlight";

void highlight_key(const char* name, int index, char* out)
{
    std::snprintf(out, 32, "%s %d", name, index + 1);
}

void highlight_rows_defaults(HighlightRow* rows)
{
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        std::memset(&rows[i], 0, sizeof rows[i]);
        rows[i].colour = HIGHLIGHT_DEFAULT_COLOUR;
    }
}

void highlight_row_take(HighlightRow* row, const char* stored_keyword, std::int64_t colour, std::int32_t flags)
{
    std::memset(row->keyword, 0, sizeof row->keyword);
    if (stored_keyword && std::strlen(stored_keyword) < sizeof row->keyword)
        std::memcpy(row->keyword, stored_keyword, std::strlen(stored_keyword));
    row->colour = colour < 0 || colour > 0x00FFFFFF ? HIGHLIGHT_DEFAULT_COLOUR : static_cast<ColorRef>(colour);
    row->flags = flags;
}

const ConsoleHighlights* highlight_rows_compile(const HighlightRow* rows, ConsoleHighlights* rules)
{
    rules->count = 0;
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        const HighlightRow& row = rows[i];
        const std::size_t length = strnlen(row.keyword, sizeof row.keyword);
        if (length == 0) continue;
        BytePattern& pattern = rules->patterns[rules->count];
        if (find_pattern_compile(&pattern, row.keyword, length, (row.flags & HIGHLIGHT_HEX) != 0,
                                 (row.flags & HIGHLIGHT_MATCH_CASE) != 0) != FIND_PATTERN_OK)
            continue;
        rules->colours[rules->count++] = row.colour;
    }
    return rules->count > 0 ? rules : nullptr;
}
