// The program-wide display and input options shared by every terminal window, the
// console settings built from them, their keys in the settings file, the rules for
// values edited into that file by hand, and the comparison that decides whether the
// settings sheet changed anything. Portable record; the UI thread writes it (at
// start-up, when the settings sheet is confirmed, by command 206), engine threads
// read single fields ("receive crlf", "echo back", "auto scroll") as they deliver
// data.
#pragma once
#include <cstdint>

#include "console/console.h"
#include "terminal/highlight_settings.h"

// F1 to F12 (0 to 11), then Shift+F1 to Shift+F12 (12 to 23): two banks of twelve.
constexpr int FUNCTION_KEY_BANK = 12;
constexpr int FUNCTION_KEY_COUNT = 2 * FUNCTION_KEY_BANK;
constexpr int FUNCTION_KEY_TEXT = 129;  // at most 128 bytes and the NUL
constexpr int FONT_NAME_TEXT = 32;      // at most 31 bytes and the NUL
constexpr int COLOUR_COUNT = 8;
constexpr int CUSTOM_COLOUR_COUNT = 16;

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
    char text_font_name[FONT_NAME_TEXT];
    // text 1, back 1, ... text 4, back 4: normal, hexadecimal, LINE input, selected.
    ColorRef colours[COLOUR_COUNT];
    ColorRef custom_colours[CUSTOM_COLOUR_COUNT];
    char function_keys[FUNCTION_KEY_COUNT][FUNCTION_KEY_TEXT];
    // Read from the settings file only (no page edits them): "time stamp" in
    // "console", whether a new window shows arrival times, and "time stamp" in
    // "console color", their colour.
    std::int32_t time_stamp;
    ColorRef stamp_colour;
    // The page "強調表示": keywords drawn on a colour of their own.
    HighlightRow highlight[HIGHLIGHT_RULE_MAX];
};

extern DisplaySettings display_settings;

// Every field at its default.
void display_settings_defaults(DisplaySettings* settings);

// The settings a new console gets, and gets again when the display settings change.
// The highlight keywords are compiled into one program-wide set that every console
// points at (UI thread).
void display_console_settings(const DisplaySettings* settings, ConsoleSettings* out);

// The integer keys of section "console", each with its field; "text font name" is
// the one text key.
struct DisplaySettingsKey {
    const char* key;
    std::int32_t DisplaySettings::*field;
};
constexpr int DISPLAY_INT_KEY_COUNT = 14;
extern const DisplaySettingsKey display_int_keys[DISPLAY_INT_KEY_COUNT];
// Section "console color": "console text 1" ... "console back 4" for colour 0 to 7,
// "custom 0" ... "custom 15". out holds 32 bytes.
void display_colour_key(int index, char* out);
void display_custom_colour_key(int index, char* out);

// Values read from the settings file are used as they are wherever the program copes
// with them; those it cannot use are replaced by their defaults (see the .cpp).
void display_settings_make_usable(DisplaySettings* settings);
// "text font name" as stored: a name longer than the field holds is no font's name,
// and the default is taken instead of a cut one.
void display_settings_take_font_name(DisplaySettings* settings, const char* stored);

// Whether the sheet's working copy differs from the live settings in anything the
// sheet edits: every field but "key disable", the font name and the function keys as
// text, the eight colours, the sixteen custom colours and the highlight rows.
bool display_settings_differ(const DisplaySettings* a, const DisplaySettings* b);
