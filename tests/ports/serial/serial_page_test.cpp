// The settings page's model: the working copy, what the lists show for a row, the
// edits of the controls, and OK copying only rows that differ into the live table.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ports/serial/serial_page.h"

namespace {

struct SerialPageModel : ::testing::Test {
    SerialPortEntry live[SERIAL_PORT_COUNT] = {};
    SerialPage page;
    void SetUp() override
    {
        live[3] = {1, 1, {19200, 7, 2, 1, 3, 0, 0, 1, 1}}; // changed earlier, not yet applied
        live[5] = {1, 0, {110, 8, 4, 2, 0, 1, 0, 1, 1}}; // a speed no line of the list carries
        live[7] = {0, 0, SERIAL_DEFAULT_SETTINGS};
        serial_page_open(&page, live);
    }
    std::vector<int> view()
    {
        SerialPageView v;
        serial_page_view(&page, &v);
        return {v.lines[0], v.lines[1], v.lines[2], v.lines[3], v.lines[4], v.parity_check};
    }
    bool same_as_live(int row) { return serial_settings_equal(page.rows[row].settings, live[row].settings); }
};

TEST_F(SerialPageModel, OpenCopiesWithoutChangedAndNothingIsEditedBeforeInit)
{
    EXPECT_EQ(page.selection, -1);
    EXPECT_EQ(page.rows[3].changed, 0);
    EXPECT_TRUE(same_as_live(3));
    EXPECT_EQ(view(), std::vector<int>(6, 0));
    serial_page_toggle_parity_check(&page);
    serial_page_restore_defaults(&page);
    serial_page_set_field(&page, IDC_SERIAL_BAUD, 300);
    for (int i = 0; i < SERIAL_PORT_COUNT; ++i)
        EXPECT_TRUE(same_as_live(i)) << i;
}

TEST_F(SerialPageModel, InitSelectsFirstAvailableRowOrRowZero)
{
    serial_page_init_selection(&page);
    EXPECT_EQ(page.selection, 3);
    for (int bad : {-1, SERIAL_PORT_COUNT})
        serial_page_select_row(&page, bad);
    EXPECT_EQ(page.selection, 3);
    SerialPortEntry none[SERIAL_PORT_COUNT] = {};
    serial_page_open(&page, none);
    serial_page_init_selection(&page);
    EXPECT_EQ(page.selection, 0);
}

TEST_F(SerialPageModel, ViewShowsTheMatchingLinesAndATypedSpeedAsItsNumber)
{
    serial_page_select_row(&page, 3);
    EXPECT_EQ(view(), (std::vector<int>{6, 2, 2, 1, 3, 0}));
    serial_page_select_row(&page, 5);
    EXPECT_EQ(view(), (std::vector<int>{-1, 3, 4, 2, 0, 1}));
    SerialPageView v;
    serial_page_view(&page, &v);
    EXPECT_EQ(v.baudrate, 110);
    serial_page_set_field(&page, IDC_SERIAL_BAUD, 76800);
    EXPECT_EQ(view()[0], 9);
    serial_page_set_field(&page, IDC_SERIAL_BAUD, 115200);
    EXPECT_EQ(view()[0], 10);
}

TEST(SerialPageLists, JapaneseTextsAreShiftJis)
{
    const SerialPageList& parity = serial_page_lists[2];
    const SerialPageList& flow = serial_page_lists[4];
    ASSERT_EQ(parity.count, 5);
    const char* expected[] = {"\x82\xc8\x82\xb5", "\x8a\xef\x90\x94", "\x8b\xf4\x90\x94", "\xcf\xb0\xb8",
                              "\xbd\xcd\xdf\xb0\xbd"}; // なし 奇数 偶数 ﾏｰｸ ｽﾍﾟｰｽ
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::string(parity.texts[i]), expected[i]) << i;
    EXPECT_EQ(std::string(flow.texts[0]), expected[0]);
}

TEST_F(SerialPageModel, ControlsEditOnlyTheShownRow)
{
    serial_page_select_row(&page, 5);
    serial_page_toggle_parity_check(&page);
    EXPECT_EQ(page.rows[5].settings.parity_check, 0);
    serial_page_toggle_parity_check(&page);
    EXPECT_EQ(page.rows[5].settings.parity_check, 1);
    const int controls[] = {IDC_SERIAL_BAUD, IDC_SERIAL_DATA_BITS, IDC_SERIAL_PARITY,
                            IDC_SERIAL_STOP_BITS, IDC_SERIAL_FLOW};
    for (int c : controls)
        serial_page_set_field(&page, c, c);
    serial_page_set_field(&page, IDC_SERIAL_PARITY_CHECK, 0); // not a list: ignored
    const SerialSettings edited = {1002, 1003, 1004, 1005, 1006, 1, 0, 1, 1};
    EXPECT_TRUE(serial_settings_equal(page.rows[5].settings, edited));
    serial_page_select_row(&page, 3);
    serial_page_restore_defaults(&page);
    EXPECT_TRUE(serial_settings_equal(page.rows[3].settings, SERIAL_DEFAULT_SETTINGS));
    EXPECT_TRUE(serial_settings_equal(page.rows[5].settings, edited));
}

// The speed field left with text: a whole number in range is the speed; anything
// else leaves the speed that was there, and the field shows it again.
TEST_F(SerialPageModel, ATypedSpeedIsTakenWhenItIsANumberInRange)
{
    const std::pair<const char*, std::int32_t> cases[] = {
        {"250000", 250000}, {"1000000", 1000000}, {"4000000", 4000000}, {"1", 1},
        {"4000001", 1}, {"0", 1}, {"-9600", 1}, {"", 1}, {"abc", 1}, {"99999999999999999999", 1},
        {"57600", 57600}, {"31250 bps", 31250},  // as the other number fields: digits up to the first other byte
    };
    serial_page_select_row(&page, 5);
    for (auto [text, shown] : cases) {
        EXPECT_EQ(serial_page_leave_speed(&page, text), shown) << text;
        EXPECT_EQ(page.rows[5].settings.baudrate, shown) << text;
    }
    EXPECT_TRUE(same_as_live(3));
    page.selection = -1;
    EXPECT_EQ(serial_page_leave_speed(&page, "9600"), 0);
}

TEST(SerialSettingsEqual, EveryFieldCounts)
{
    std::int32_t SerialSettings::*const fields[] = {
        &SerialSettings::baudrate,  &SerialSettings::data_bits,    &SerialSettings::parity,
        &SerialSettings::stop_bits, &SerialSettings::flow_control, &SerialSettings::parity_check,
        &SerialSettings::auto_reopen, &SerialSettings::dtr, &SerialSettings::rts};
    for (auto field : fields) {
        SerialSettings s = SERIAL_DEFAULT_SETTINGS;
        s.*field += 1;
        EXPECT_FALSE(serial_settings_equal(s, SERIAL_DEFAULT_SETTINGS));
    }
    EXPECT_TRUE(serial_settings_equal(SERIAL_DEFAULT_SETTINGS, SerialSettings{9600, 8, 0, 0, 1, 1, 0, 1, 1}));
}

TEST_F(SerialPageModel, ApplyCopiesAndMarksOnlyAvailableRowsThatDiffer)
{
    EXPECT_FALSE(serial_page_apply(&page, live));
    EXPECT_EQ(live[3].changed, 1);    // an earlier change stays marked
    serial_page_select_row(&page, 7); // not available: its edits never reach the live table
    serial_page_restore_defaults(&page);
    serial_page_set_field(&page, IDC_SERIAL_BAUD, 300);
    EXPECT_FALSE(serial_page_apply(&page, live));
    EXPECT_EQ(live[7].settings.baudrate, 9600);
    serial_page_select_row(&page, 5);
    serial_page_set_field(&page, IDC_SERIAL_FLOW, 3);
    EXPECT_TRUE(serial_page_apply(&page, live));
    EXPECT_EQ(live[5].changed, 1);
    EXPECT_TRUE(same_as_live(5));
    EXPECT_EQ(live[7].changed, 0);
}

} // namespace
