// Display settings: defaults, the console settings built from them, the settings
// file's keys, the rules for hand-edited values and the sheet's comparison. See
// display_settings.h for who runs what.
#include "terminal/display_settings.h"

#include <cstdio>
#include <cstring>

DisplaySettings display_settings = [] {
    DisplaySettings s;
    display_settings_defaults(&s);
    return s;
}();

void display_settings_defaults(DisplaySettings* s)
{
    std::memset(s, 0, sizeof *s);
    s->echo_back = 0;
    s->v_scroll_bar = 1;
    s->h_scroll_bar = 1;
    s->hex_mode = 0;
    s->auto_scroll = 1;
    s->line_mode_cr = 1;
    s->key_disable = 0;
    s->send_crlf = 0;
    s->receive_crlf = 2;
    s->column = 80;
    s->buffer_size = 64;
    s->tabs = 4;
    s->input_mode = 0;
    s->text_font_size = 18;
    std::strcpy(s->text_font_name, "FixedSys");
    const ColorRef colours[8] = {
        0x000000, 0xFFFFFF,  // normal: black on white
        0x0000FF, 0xFFFFFF,  // hexadecimal: red on white
        0xFF00FF, 0xFFFFFF,  // LINE input: magenta on white
        0x000000, 0xFFFF00,  // selected: black on cyan
    };
    std::memcpy(s->colours, colours, sizeof colours);
    for (ColorRef& c : s->custom_colours) c = 0xFFFFFF;
    s->time_stamp = 0;
    s->stamp_colour = 0x808080;  // grey: apart from the text in every colour scheme
    highlight_rows_defaults(s->highlight);
}

static ConsoleHighlights compiled_highlights;

void display_console_settings(const DisplaySettings* s, ConsoleSettings* out)
{
    std::memset(out, 0, sizeof *out);
    out->buffer_bytes = static_cast<std::uint32_t>(s->buffer_size) * 1024u;
    out->line_table_size = CONSOLE_LINE_TABLE_SIZE;
    out->column = s->column;
    out->show_vscroll = s->v_scroll_bar;
    out->show_hscroll = s->h_scroll_bar;
    out->keys_disabled = s->key_disable;
    out->line_mode = s->input_mode;
    out->hex_mode = s->hex_mode;
    out->tab_width = s->tabs;
    // Console colour order: normal, hexadecimal, selected (pairs 1, 2, 4); then the
    // LINE input pair 3 on its own.
    out->colours[COLOUR_TEXT] = s->colours[0];
    out->colours[COLOUR_BACK] = s->colours[1];
    out->colours[COLOUR_HEX_TEXT] = s->colours[2];
    out->colours[COLOUR_HEX_BACK] = s->colours[3];
    out->colours[COLOUR_SELECTED_TEXT] = s->colours[6];
    out->colours[COLOUR_SELECTED_BACK] = s->colours[7];
    out->input_colours[0] = s->colours[4];
    out->input_colours[1] = s->colours[5];
    out->highlights = highlight_rows_compile(s->highlight, &compiled_highlights);
    out->time_stamps = s->time_stamp;
    out->stamp_colour = s->stamp_colour;
    out->font_height = s->text_font_size;
    std::memcpy(out->font_face, s->text_font_name, sizeof out->font_face);
    out->font_face[sizeof out->font_face - 1] = '\0';
}

const DisplaySettingsKey display_int_keys[DISPLAY_INT_KEY_COUNT] = {
    {"echo back", &DisplaySettings::echo_back},
    {"v scroll bar", &DisplaySettings::v_scroll_bar},
    {"h scroll bar", &DisplaySettings::h_scroll_bar},
    {"hex mode", &DisplaySettings::hex_mode},
    {"auto scroll", &DisplaySettings::auto_scroll},
    {"line mode cr", &DisplaySettings::line_mode_cr},
    {"key disable", &DisplaySettings::key_disable},
    {"send crlf", &DisplaySettings::send_crlf},
    {"receive crlf", &DisplaySettings::receive_crlf},
    {"column", &DisplaySettings::column},
    {"buffer size", &DisplaySettings::buffer_size},
    {"tabs", &DisplaySettings::tabs},
    {"input mode", &DisplaySettings::input_mode},
    {"text font size", &DisplaySettings::text_font_size},
};

void display_colour_key(int index, char* out)
{
    std::snprintf(out, 32, "console %s %d", index % 2 == 0 ? "text" : "back", index / 2 + 1);
}

void display_custom_colour_key(int index, char* out)
{
    std::snprintf(out, 32, "custom %d", index);
}

// Usable ranges of the values the sheet bounds more tightly (column 40 to 256,
// buffer size 64 to 1024 KB). A column of 0 would make every byte a line of its own
// and a negative or huge one breaks the scroll arithmetic; up to 1024 every wrapped
// line stays well under a sixteenth of the smallest buffer, so discarding old text
// always keeps whole lines. A buffer of 0 KB or less, or one so large that the
// kilobytes overflow or eight windows could not have it, would leave a console
// without any buffer: up to 16 MB each is taken as stored. A font height of 0 is the
// system's default height; a negative one has no entry in the size list, and one of
// thousands of pixels shows no text.
constexpr std::int32_t USABLE_COLUMN_MAX = 1024;
constexpr std::int32_t USABLE_BUFFER_KB_MAX = 16384;
constexpr std::int32_t USABLE_FONT_SIZE_MAX = 256;
constexpr ColorRef COLOUR_RGB_MASK = 0x00FFFFFF;

static void keep_within(std::int32_t* value, std::int32_t low, std::int32_t high, std::int32_t fallback)
{
    if (*value < low || *value > high) *value = fallback;
}

// Kept as stored: the flags (any value but 0 is on), "send crlf" (Enter takes an
// unknown value as CR), "receive crlf" (an unknown value converts nothing), "tabs"
// (the console takes a width below 1 as 1 and never wider than a row). Replaced by
// the default: an input mode other than CHAR or LINE, which the window, the console
// and the sheet would otherwise each read differently; and a colour with anything in
// its top byte, which the program never writes: 1 there makes the rest a palette
// index, which the screen shows as black ("console back 1=16777216" would be black
// text on black), and the red, green and blue bytes of such a value mean nothing.
void display_settings_make_usable(DisplaySettings* s)
{
    DisplaySettings defaults;
    display_settings_defaults(&defaults);
    keep_within(&s->column, 1, USABLE_COLUMN_MAX, defaults.column);
    keep_within(&s->buffer_size, 1, USABLE_BUFFER_KB_MAX, defaults.buffer_size);
    keep_within(&s->input_mode, 0, 1, defaults.input_mode);
    keep_within(&s->text_font_size, 0, USABLE_FONT_SIZE_MAX, defaults.text_font_size);
    for (int i = 0; i < COLOUR_COUNT; ++i)
        if (s->colours[i] & ~COLOUR_RGB_MASK) s->colours[i] = defaults.colours[i];
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i)
        if (s->custom_colours[i] & ~COLOUR_RGB_MASK) s->custom_colours[i] = defaults.custom_colours[i];
    if (s->stamp_colour & ~COLOUR_RGB_MASK) s->stamp_colour = defaults.stamp_colour;
}

void display_settings_take_font_name(DisplaySettings* s, const char* stored)
{
    if (!stored || std::strlen(stored) >= sizeof s->text_font_name) {
        DisplaySettings defaults;
        display_settings_defaults(&defaults);
        std::memcpy(s->text_font_name, defaults.text_font_name, sizeof s->text_font_name);
        return;
    }
    std::memset(s->text_font_name, 0, sizeof s->text_font_name);
    std::memcpy(s->text_font_name, stored, std::strlen(stored));
}

static bool same_text(const char* a, const char* b, std::size_t size)
{
    return std::strncmp(a, b, size) == 0;
}

bool display_settings_differ(const DisplaySettings* a, const DisplaySettings* b)
{
    for (const DisplaySettingsKey& k : display_int_keys)
        if (k.field != &DisplaySettings::key_disable && a->*k.field != b->*k.field) return true;
    if (!same_text(a->text_font_name, b->text_font_name, sizeof a->text_font_name)) return true;
    if (std::memcmp(a->colours, b->colours, sizeof a->colours) != 0) return true;
    if (std::memcmp(a->custom_colours, b->custom_colours, sizeof a->custom_colours) != 0) return true;
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i)
        if (!same_text(a->function_keys[i], b->function_keys[i], FUNCTION_KEY_TEXT)) return true;
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        const HighlightRow &x = a->highlight[i], &y = b->highlight[i];
        if (!same_text(x.keyword, y.keyword, sizeof x.keyword) || x.colour != y.colour || x.flags != y.flags)
            return true;
    }
    return false;
}
