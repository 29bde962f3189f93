// The display page's model: the number fields' rule, what the radio groups show for
// values the settings file may hold, what OK stores when a group or a list has no
// choice, and the font and size lists' choices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terminal/display_page.h"

namespace {

TEST(DisplayPageNumber, AValueOutsideTheRangeKeepsThePreviousOne)
{
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"300", 80}, {"120", 120}, {"40", 40}, {"256", 256}, {"39", 80}, {"257", 80},
        {"120abc", 120}, {"-120", 80}, {"", 80}, {"abc", 80}, {" 120", 80},
        {"99999999999999999999", 80}, {"-99999999999999999999", 80},
    };
    for (const Case& c : cases)
        EXPECT_EQ(display_page_number(c.text, 80, COLUMN_MIN, COLUMN_MAX), c.expected) << c.text;
    // The first 31 bytes count: digits beyond them are not read.
    EXPECT_EQ(display_page_number((std::string(28, '0') + "1234").c_str(), 80, COLUMN_MIN, COLUMN_MAX), 123);
}

TEST(DisplayPageNumber, LeavingAFieldRewritesItWithTheValueItHolds)
{
    DisplaySettings copy;
    display_settings_defaults(&copy);
    DisplayPage page;
    DisplayPageView view;
    display_page_open(&page, &copy, &view);
    EXPECT_EQ(display_page_leave_number(&page, IDC_COLUMN, "300"), 80);
    EXPECT_EQ(display_page_leave_number(&page, IDC_COLUMN, "120"), 120);
    EXPECT_EQ(display_page_leave_number(&page, IDC_COLUMN, "300"), 120);
    EXPECT_EQ(display_page_leave_number(&page, IDC_BUFFER_SIZE, "63"), 64);
    EXPECT_EQ(display_page_leave_number(&page, IDC_BUFFER_SIZE, "1024"), 1024);
    EXPECT_EQ(copy.column, 80);  // the working copy waits for OK
}

TEST(DisplayPageRadios, GroupsShowStoredValuesAndOkStoresTheChoices)
{
    DisplaySettings copy;
    display_settings_defaults(&copy);
    copy.send_crlf = 5;  // edited by hand: no button
    copy.tabs = 3;       // shown as 4
    copy.input_mode = 1;
    DisplayPage page;
    DisplayPageView view;
    display_page_open(&page, &copy, &view);
    EXPECT_EQ(view.radio[GROUP_SEND_CRLF], -1);
    EXPECT_EQ(view.radio[GROUP_RECEIVE_CRLF], 2);
    EXPECT_EQ(view.radio[GROUP_TABS], 1);
    EXPECT_EQ(view.radio[GROUP_INPUT_MODE], 1);
    EXPECT_TRUE(view.line_mode_cr_enabled);
    EXPECT_FALSE(display_page_line_mode_cr_enabled(0));  // CHAR grays 1119
    EXPECT_TRUE(display_page_line_mode_cr_enabled(1));
    EXPECT_EQ(display_page_group_of(IDC_INPUT_LINE), GROUP_INPUT_MODE);
    EXPECT_EQ(display_page_group_of(IDC_LINE_MODE_CR), -1);

    // OK with no send button chosen, no tabs button, no font and no size selected.
    DisplayPageControls c = {};
    c.checked[3] = 1;  // hex mode
    c.radio[GROUP_SEND_CRLF] = -1;
    c.radio[GROUP_RECEIVE_CRLF] = 0;
    c.radio[GROUP_TABS] = -1;
    c.radio[GROUP_INPUT_MODE] = 0;
    c.column_text = "300";
    c.buffer_size_text = "128";
    display_page_apply(&page, &c);
    EXPECT_EQ(copy.send_crlf, 5);
    EXPECT_EQ(copy.receive_crlf, 0);
    EXPECT_EQ(copy.tabs, 4);
    EXPECT_EQ(copy.input_mode, 0);
    EXPECT_EQ(copy.hex_mode, 1);
    EXPECT_EQ(copy.echo_back, 0);
    EXPECT_EQ(copy.line_mode_cr, 0);
    EXPECT_EQ(copy.column, 80);
    EXPECT_EQ(copy.buffer_size, 128);
    EXPECT_STREQ(copy.text_font_name, "FixedSys");
    EXPECT_EQ(copy.text_font_size, 0);
    c.radio[GROUP_TABS] = 2;
    c.font_name = "IPAGothic";
    c.size_selected = true;
    c.size = 20;
    display_page_apply(&page, &c);
    EXPECT_EQ(copy.tabs, 8);
    EXPECT_STREQ(copy.text_font_name, "IPAGothic");
    EXPECT_EQ(copy.text_font_size, 20);
}

TEST(DisplayPageFonts, ListsOnlyFixedPitchHorizontalFamiliesAndChoosesTheCurrentOne)
{
    EXPECT_TRUE(display_font_listed("Courier", 0x30));
    EXPECT_FALSE(display_font_listed("Arial", 0x21));        // the bit set: variable pitch
    EXPECT_FALSE(display_font_listed("@MS Gothic", 0x30));   // vertical writing
    const char* names[] = {"Courier", "FixedSys", "Terminal"};
    EXPECT_EQ(display_font_choose(names, 3, "FixedSys"), 1);
    EXPECT_EQ(display_font_choose(names, 3, "fixedsys"), 1);
    EXPECT_EQ(display_font_choose(names, 3, "Not Installed"), 2);  // the last entry
    EXPECT_EQ(display_font_choose(names, 3, "Courie"), 2);
    EXPECT_EQ(display_font_choose(names, 0, "Courier"), -1);
    // ア and ビ: their trail bytes differ as "A" and "a" do, and the names are not equal.
    const char* japanese[] = {"\x83\x41", "\x83\x61", "IPA"};
    EXPECT_EQ(display_font_choose(japanese, 3, "\x83\x61"), 1);
}

TEST(DisplayPageFonts, SizeListsChooseTheFirstSizeAtLeastTheWantedOne)
{
    FontSizeList scalable;
    font_sizes_scalable(&scalable);
    EXPECT_EQ(std::vector<std::int32_t>(scalable.values, scalable.values + scalable.count),
              (std::vector<std::int32_t>{8, 10, 12, 14, 16, 18, 20, 22, 24, 28}));
    struct Case {
        std::int32_t wanted;
        std::int32_t chosen;
    };
    for (const Case& c : {Case{18, 18}, Case{19, 20}, Case{30, 28}, Case{0, 8}, Case{-5, 8}})
        EXPECT_EQ(scalable.values[font_sizes_choose(&scalable, c.wanted)], c.chosen) << c.wanted;

    // A raster face: its heights as enumerated, each once, in order.
    FontSizeList raster = {};
    for (std::int32_t height : {16, 12, 16, 24, 12}) font_sizes_add_raster(&raster, height);
    EXPECT_EQ(std::vector<std::int32_t>(raster.values, raster.values + raster.count),
              (std::vector<std::int32_t>{12, 16, 24}));
    EXPECT_EQ(raster.values[font_sizes_choose(&raster, 18)], 24);
    FontSizeList empty = {};
    EXPECT_EQ(font_sizes_choose(&empty, 18), -1);
}

}  // namespace
