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
    display_settings_make_usable(&s);
    char path[MAX_PATH];
    if (start_directory_file(DEFAULT_TFK, path, sizeof path)) load_function_keys(path, &s.function_keys);
    display_settings = s;
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
    char path[MAX_PATH];
    if (start_directory_file(DEFAULT_TFK, path, sizeof path)) save_function_keys(path, nullptr, &s.function_keys, 1);
}
