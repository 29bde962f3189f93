// Loading and saving the program-wide DisplaySettings through the settings file and
// "default.tfk". UI thread only: at start-up, before any port exists, and after a
// change (the sheet, command 206), when the record is already up to date.
#include "terminal/display_settings_win.h"

#include "base/settings.h"
#include "terminal/display_settings.h"
#include "terminal/function_keys_win.h"

static const char CONSOLE_SECTION[] = "console";
static const char COLOUR_SECTION[] = "console color";
static const char FONT_NAME_KEY[] = "text font name";
static const char TIME_STAMP_KEY[] = "time stamp";  // in both sections
static const char DEFAULT_TFK[] = "default.tfk";

void load_display_settings()
{
    DisplaySettings s;
    display_settings_defaults(&s);
    for (const DisplaySettingsKey& k : display_int_keys)
        s.*k.field = settings_read_int(CONSOLE_SECTION, k.key, s.*k.field);
    // Read with room to spare: a name longer than the field is recognised as such
    // rather than cut into a name no font has.
    char name[256];
    settings_read_text(CONSOLE_SECTION, FONT_NAME_KEY, name, sizeof name, s.text_font_name);
    display_settings_take_font_name(&s, name);
    char key[32];
    for (int i = 0; i < COLOUR_COUNT; ++i) {
        display_colour_key(i, key);
        s.colours[i] = static_cast<ColorRef>(settings_read_int(COLOUR_SECTION, key, static_cast<int>(s.colours[i])));
    }
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) {
        display_custom_colour_key(i, key);
        s.custom_colours[i] =
            static_cast<ColorRef>(settings_read_int(COLOUR_SECTION, key, static_cast<int>(s.custom_colours[i])));
    }
    s.time_stamp = settings_read_int(CONSOLE_SECTION, TIME_STAMP_KEY, s.time_stamp);
    s.stamp_colour = static_cast<ColorRef>(settings_read_int(COLOUR_SECTION, TIME_STAMP_KEY, static_cast<int>(s.stamp_colour)));
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        char keyword[1024], colour_key[32], flags_key[32];
        highlight_key("keyword", i, key);
        highlight_key("colour", i, colour_key);
        highlight_key("flags", i, flags_key);
        settings_read_text(HIGHLIGHT_SECTION, key, keyword, sizeof keyword, "");
        highlight_row_take(&s.highlight[i], keyword,
                           settings_read_int(HIGHLIGHT_SECTION, colour_key, static_cast<int>(HIGHLIGHT_DEFAULT_COLOUR)),
                           settings_read_int(HIGHLIGHT_SECTION, flags_key, 0));
    }
    display_settings_make_usable(&s);
    char path[MAX_PATH];
    if (start_directory_file(DEFAULT_TFK, path, sizeof path)) load_function_keys(path, &s.function_keys);
    display_settings = s;
}

// Only the rows in use are written: with none, the file has no such section, as
// before there were keywords. The section goes first, so a row emptied leaves no
// keys behind (removed, not emptied: an empty list would leave its name).
static void save_highlight_rows(const HighlightRow* rows)
{
    settings_remove_section(HIGHLIGHT_SECTION);
    char key[32];
    for (int i = 0; i < HIGHLIGHT_RULE_MAX; ++i) {
        if (rows[i].keyword[0] == '\0') continue;
        highlight_key("keyword", i, key);
        settings_write_text(HIGHLIGHT_SECTION, key, rows[i].keyword);
        highlight_key("colour", i, key);
        settings_write_int(HIGHLIGHT_SECTION, key, static_cast<int>(rows[i].colour));
        highlight_key("flags", i, key);
        settings_write_int(HIGHLIGHT_SECTION, key, rows[i].flags);
    }
}

void save_display_settings()
{
    const DisplaySettings& s = display_settings;
    for (const DisplaySettingsKey& k : display_int_keys) settings_write_int(CONSOLE_SECTION, k.key, s.*k.field);
    settings_write_text(CONSOLE_SECTION, FONT_NAME_KEY, s.text_font_name);
    char key[32];
    for (int i = 0; i < COLOUR_COUNT; ++i) {
        display_colour_key(i, key);
        settings_write_int(COLOUR_SECTION, key, static_cast<int>(s.colours[i]));
    }
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) {
        display_custom_colour_key(i, key);
        settings_write_int(COLOUR_SECTION, key, static_cast<int>(s.custom_colours[i]));
    }
    save_highlight_rows(s.highlight);
    char path[MAX_PATH];
    if (!settings_writes_held() && start_directory_file(DEFAULT_TFK, path, sizeof path)) save_function_keys(path, nullptr, &s.function_keys, 1);
}
