// The terminal settings sheet's working copy and the colour and function-key pages'
// models; see terminal_sheet.h. UI thread only, while the sheet is open.
#include "terminal/terminal_sheet.h"

#include <cstring>

#include "base/double_byte.h"

void terminal_sheet_open(TerminalSheet* sheet, const DisplaySettings* live)
{
    std::memset(sheet, 0, sizeof *sheet);
    sheet->copy = *live;
}

void colour_page_open(TerminalSheet* sheet)
{
    std::memcpy(sheet->page_colours, sheet->copy.colours, sizeof sheet->page_colours);
    std::memcpy(sheet->page_custom, sheet->copy.custom_colours, sizeof sheet->page_custom);
}

void colour_page_choose(TerminalSheet* sheet, int button, ColorRef colour)
{
    if (button >= 0 && button < COLOUR_COUNT) sheet->page_colours[button] = colour;
}

void colour_page_apply(TerminalSheet* sheet)
{
    std::memcpy(sheet->copy.colours, sheet->page_colours, sizeof sheet->copy.colours);
    std::memcpy(sheet->copy.custom_colours, sheet->page_custom, sizeof sheet->copy.custom_colours);
}

ConsoleRect colour_button_swatch(ConsoleRect item)
{
    return ConsoleRect{item.left + 3, item.top + 3, item.right - 4, item.bottom - 4};
}

void function_key_field_text(const char* field, char* out)
{
    std::memset(out, 0, FUNCTION_KEY_TEXT);
    if (!field) return;
    int length = static_cast<int>(strnlen(field, FUNCTION_KEY_TEXT));
    int kept = whole_character_prefix(field, length, FUNCTION_KEY_FIELD_MAX);
    std::memcpy(out, field, static_cast<std::size_t>(kept));
}

void function_key_page_apply(TerminalSheet* sheet, const char* const fields[FUNCTION_KEY_COUNT])
{
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) function_key_field_text(fields[i], sheet->copy.function_keys[i]);
}

void highlight_page_open(TerminalSheet* sheet)
{
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) sheet->highlight_colours[i] = sheet->copy.highlight[i].colour;
}

void highlight_page_choose(TerminalSheet* sheet, int row, ColorRef colour)
{
    if (row >= 0 && row < HIGHLIGHT_RULE_MAX) sheet->highlight_colours[row] = colour;
}

void highlight_page_apply(TerminalSheet* sheet, const HighlightField fields[HIGHLIGHT_RULE_MAX])
{
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        HighlightRow& row = sheet->copy.highlight[i];
        std::memset(row.keyword, 0, sizeof row.keyword);
        const char* field = fields[i].keyword ? fields[i].keyword : "";
        const int length = static_cast<int>(strnlen(field, sizeof row.keyword));
        std::memcpy(row.keyword, field,
                    static_cast<std::size_t>(whole_character_prefix(field, length, HIGHLIGHT_KEYWORD_TEXT - 1)));
        row.flags &= ~(HIGHLIGHT_MATCH_CASE | HIGHLIGHT_HEX);
        if (fields[i].match_case) row.flags |= HIGHLIGHT_MATCH_CASE;
        if (fields[i].hex) row.flags |= HIGHLIGHT_HEX;
        row.colour = sheet->highlight_colours[i];
    }
}
