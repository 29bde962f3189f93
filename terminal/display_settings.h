// The program-wide display and input options shared by every terminal window, and
// the console settings built from them. Portable record; the UI thread writes it (at
// start-up and when the settings sheet is confirmed), engine threads read single
// fields ("receive crlf", "echo back", "auto scroll") as they deliver data.
#pragma once
#include <cstdint>

#include "console/console.h"

constexpr int FUNCTION_KEY_COUNT = 12;
constexpr int FUNCTION_KEY_TEXT = 129;

struct DisplaySettings {
    std::int32_t echo_back;
    std::int32_t v_scroll_bar;
    std::int32_t h_scroll_bar;
    std::int32_t hex_mode;
    std::int32_t auto_scroll;
    std::int32_t line_mode_cr;
    std::int32_t key_disable;
    std::int32_t send_crlf;     // 0 CR, 1 LF, 2 CR+LF
    std::int32_t receive_crlf;  // 0 CR->CR+LF, 1 LF->CR+LF, 2 as is
    std::int32_t column;
    std::int32_t buffer_size;   // kilobytes
    std::int32_t tabs;
    std::int32_t input_mode;    // 0 CHAR, 1 LINE
    std::int32_t text_font_size;
    char text_font_name[32];
    // text 1, back 1, ... text 4, back 4: normal, hexadecimal, LINE input, selected.
    ColorRef colours[8];
    ColorRef custom_colours[16];
    char function_keys[FUNCTION_KEY_COUNT][FUNCTION_KEY_TEXT];
};

extern DisplaySettings display_settings;

// Every field at its default.
void display_settings_defaults(DisplaySettings* settings);

// The settings a new console gets, and gets again when the display settings change.
void display_console_settings(const DisplaySettings* settings, ConsoleSettings* out);
