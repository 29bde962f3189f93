// The display settings as the settings file gives them and as the sheet compares
// them: hand-edited values the program cannot use, a font name too long for its
// field, and which edits count as a change (a custom colour alone does, key disable
// does not, an OK that touched nothing does not).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "terminal/display_settings.h"
#include "terminal/terminal_sheet.h"

namespace {

struct Edited {
    std::int32_t DisplaySettings::*field;
    std::int32_t stored;
    std::int32_t used;
};

TEST(DisplaySettingsRead, HandEditedValuesAreUsedOnlyWhereTheProgramCopes)
{
    const Edited cases[] = {
        {&DisplaySettings::column, 0, 80},          {&DisplaySettings::column, -3, 80},
        {&DisplaySettings::column, 2000000000, 80}, {&DisplaySettings::column, 300, 300},
        {&DisplaySettings::column, 1, 1},           {&DisplaySettings::buffer_size, 0, 64},
        {&DisplaySettings::buffer_size, -1, 64},    {&DisplaySettings::buffer_size, 5000000, 64},
        {&DisplaySettings::buffer_size, 2048, 2048}, {&DisplaySettings::input_mode, 7, 0},
        {&DisplaySettings::input_mode, 1, 1},       {&DisplaySettings::text_font_size, 0, 0},
        {&DisplaySettings::text_font_size, 5000, 18}, {&DisplaySettings::text_font_size, -12, 18},
        {&DisplaySettings::text_font_size, 30, 30}, {&DisplaySettings::tabs, 0, 0},
        {&DisplaySettings::tabs, -4, -4},           {&DisplaySettings::send_crlf, 5, 5},
        {&DisplaySettings::receive_crlf, 9, 9},     {&DisplaySettings::echo_back, 3, 3},
    };
    for (const Edited& c : cases) {
        DisplaySettings s;
        display_settings_defaults(&s);
        s.*c.field = c.stored;
        display_settings_make_usable(&s);
        EXPECT_EQ(s.*c.field, c.used) << "stored " << c.stored;
    }
}

TEST(DisplaySettingsRead, AColourWithATopByteIsTheDefault)
{
    DisplaySettings defaults;
    display_settings_defaults(&defaults);
    // A palette index (black on the screen), a palette colour, every bit; then colours
    // as the program writes them.
    const std::pair<ColorRef, bool> cases[] = {{0x01000000, false}, {0x02FF0000, false}, {0xFFFFFFFF, false},
                                               {0x00123456, true},  {0x00FFFFFF, true},  {0x00000000, true}};
    for (auto [stored, kept] : cases) {
        DisplaySettings s = defaults;
        for (ColorRef& colour : s.colours) colour = stored;
        for (ColorRef& colour : s.custom_colours) colour = stored;
        display_settings_make_usable(&s);
        for (int i = 0; i < COLOUR_COUNT; ++i)
            EXPECT_EQ(s.colours[i], kept ? stored : defaults.colours[i]) << std::hex << stored << " " << i;
        for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i)
            EXPECT_EQ(s.custom_colours[i], kept ? stored : defaults.custom_colours[i]) << std::hex << stored;
    }
}

TEST(DisplaySettingsRead, AFontNameLongerThanItsFieldIsTheDefault)
{
    DisplaySettings s;
    display_settings_defaults(&s);
    display_settings_take_font_name(&s, std::string(31, 'M').c_str());
    EXPECT_EQ(std::string(s.text_font_name), std::string(31, 'M'));
    // 32 bytes: a cut name would be no font's name (nor half a character).
    display_settings_take_font_name(&s, ("\x82\x6c\x82\x72 " + std::string(27, 'X')).c_str());
    EXPECT_STREQ(s.text_font_name, "FixedSys");
    display_settings_take_font_name(&s, "");
    EXPECT_STREQ(s.text_font_name, "");
}

TEST(TerminalSheetChange, EachEditedFieldCountsAndKeyDisableDoesNot)
{
    DisplaySettings live;
    display_settings_defaults(&live);
    TerminalSheet sheet;
    terminal_sheet_open(&sheet, &live);
    // OK on the pages without an edit: the colour page never shown, the function-key
    // fields as they were.
    const char* fields[FUNCTION_KEY_COUNT];
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) fields[i] = live.function_keys[i];
    function_key_page_apply(&sheet, fields);
    EXPECT_FALSE(display_settings_differ(&sheet.copy, &live));
    sheet.copy.key_disable = 1;
    EXPECT_FALSE(display_settings_differ(&sheet.copy, &live));

    for (const DisplaySettingsKey& k : display_int_keys) {
        if (k.field == &DisplaySettings::key_disable) continue;
        terminal_sheet_open(&sheet, &live);
        sheet.copy.*k.field += 1;
        EXPECT_TRUE(display_settings_differ(&sheet.copy, &live)) << k.key;
    }
    // The colour page: a custom colour alone is a change.
    terminal_sheet_open(&sheet, &live);
    colour_page_open(&sheet);
    sheet.page_custom[15] = 0x123456;
    EXPECT_FALSE(display_settings_differ(&sheet.copy, &live));  // not before its OK
    colour_page_apply(&sheet);
    EXPECT_TRUE(display_settings_differ(&sheet.copy, &live));
    terminal_sheet_open(&sheet, &live);
    std::strcpy(sheet.copy.text_font_name, "Courier");
    EXPECT_TRUE(display_settings_differ(&sheet.copy, &live));
    terminal_sheet_open(&sheet, &live);
    std::strcpy(sheet.copy.function_keys[11], "x");
    EXPECT_TRUE(display_settings_differ(&sheet.copy, &live));
}

// A field holds at most 127 bytes; a character that would be split is left out.
TEST(TerminalSheetChange, FunctionKeyFieldsAreCutToWholeCharacters)
{
    char out[FUNCTION_KEY_TEXT];
    function_key_field_text((std::string(126, 'a') + "\x93\xfa").c_str(), out);
    EXPECT_EQ(std::string(out), std::string(126, 'a'));
    function_key_field_text((std::string(125, 'a') + "\x93\xfa" "b").c_str(), out);
    EXPECT_EQ(std::string(out), std::string(125, 'a') + "\x93\xfa");
}

}  // namespace
