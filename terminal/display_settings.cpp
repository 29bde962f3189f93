// Display settings defaults and the console settings built from them. See
// display_settings.h for who runs what.
#include "terminal/display_settings.h"

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
}

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
    out->font_height = s->text_font_size;
    std::memcpy(out->font_face, s->text_font_name, sizeof out->font_face);
    out->font_face[sizeof out->font_face - 1] = '\0';
}
