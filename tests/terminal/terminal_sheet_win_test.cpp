// The terminal settings sheet as a user meets it, driven by timers inside its modal
// loop: command 107 opens it; each page's change, confirmed with OK, reaches
// tavex.ini, "default.tfk" and the open terminal window; Cancel, or OK with nothing
// changed, writes nothing. Also start-up's reading of a hand-edited tavex.ini and
// "default.tfk", a function-key file of a megabyte and one named after a device, a
// refresh while an engine floods the window, and a port closed while the sheet is
// open.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/commands_win.h"
#include "base/settings.h"
#include "resources/commands.h"
#include "resources/terminal_ids.h"
#include "terminal/display_settings_win.h"
#include "terminal/function_keys_win.h"
#include "terminal/terminal_sheet_win.h"
#include "tests/support/dialog_driver_win.h"
#include "tests/support/fixture_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

const char SHEET_CAPTION[] = "\x92\x5b\x96\x96\x82\xcc\x90\xdd\x92\xe8";  // 端末の設定
const char SAVE_CAPTION[] = "\xcc\xa7\xdd\xb8\xbc\xae\xdd\xa5\xb7\xb0\x90\xdd\x92\xe8\x82\xcc\x95\xdb\x91\xb6";
const char LOAD_CAPTION[] = "\xcc\xa7\xdd\xb8\xbc\xae\xdd\xa5\xb7\xb0\x90\xdd\x92\xe8\x82\xcc\x93\xc7\x8d\x9e\x82\xdd";
const char SECOND_BANK_EMPTY[] = "12,\n13,\n14,\n15,\n16,\n17,\n18,\n19,\n20,\n21,\n22,\n23,\n";
const std::string EMPTY_KEYS =
    std::string("0,\n1,\n2,\n3,\n4,\n5,\n6,\n7,\n8,\n9,\n10,\n11,\n") + SECOND_BANK_EMPTY;

// What the driven dialogs saw, for the test to check once the sheet has closed.
struct Seen {
    std::string texts[8];
    int numbers[4];
    std::string folder;
} seen;

HWND current_page(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND show_page(HWND sheet, int index)
{
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return current_page(sheet);
}

void click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Types text into a field and leaves it.
std::string leave_field(HWND page, int id, const char* text)
{
    SetDlgItemTextA(page, id, text);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    return window_text(GetDlgItem(page, id));
}

std::string list_selection(HWND page, int id, LRESULT* data = nullptr)
{
    HWND list = GetDlgItem(page, id);
    LRESULT line = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) return "(none)";
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
    if (data) *data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    return text;
}

void press(HWND sheet, int button)
{
    SendMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

struct TerminalSheetTest : TestEnginePorts {
    ScratchDir scratch;
    void SetUp() override
    {
        TestEnginePorts::SetUp();
        ASSERT_TRUE(settings_path_init());
        lstrcpynA(app.start_directory, scratch.path().c_str(), sizeof app.start_directory);
        // A face the bench installs, so that the lists can show what is set.
        std::strcpy(display_settings.text_font_name, "MS Gothic");
        seen = Seen{};
        seen.folder = scratch.path();
        open();
    }
    void TearDown() override
    {
        TestEnginePorts::TearDown();
        app.start_directory[0] = '\0';
    }
    void open_sheet(void (*routine)(HWND sheet))
    {
        drive_dialog(SHEET_CAPTION, routine);
        SendMessageA(app.frame_window, WM_COMMAND, CMD_TERMINAL_SETTINGS, 0);
        pump_messages();
    }
    std::string ini() { return read_file(scratch.file("tavex.ini")); }
};

TEST_F(TerminalSheetTest, TheDisplayPageReachesTheFileDefaultTfkAndTheOpenWindow)
{
    open_sheet([](HWND sheet) {
        HWND page = current_page(sheet);
        seen.texts[0] = leave_field(page, IDC_COLUMN, "300");
        seen.texts[1] = leave_field(page, IDC_COLUMN, "120");
        seen.texts[2] = leave_field(page, IDC_BUFFER_SIZE, "2000");
        click(page, IDC_INPUT_LINE);
        seen.numbers[0] = IsWindowEnabled(GetDlgItem(page, IDC_LINE_MODE_CR));
        click(page, IDC_INPUT_CHAR);
        seen.numbers[1] = IsWindowEnabled(GetDlgItem(page, IDC_LINE_MODE_CR));
        click(page, IDC_INPUT_LINE);
        click(page, IDC_HEX_MODE);
        click(page, IDC_SEND_CRLF);
        click(page, IDC_TABS_8);
        seen.texts[3] = list_selection(page, IDC_FONT_LIST);
        LRESULT size = 0;
        list_selection(page, IDC_SIZE_LIST, &size);
        seen.numbers[2] = static_cast<int>(size);
        press(sheet, PSBTN_OK);
    });
    EXPECT_EQ(seen.texts[0], "80");
    EXPECT_EQ(seen.texts[1], "120");
    EXPECT_EQ(seen.texts[2], "64");
    EXPECT_TRUE(seen.numbers[0]);
    EXPECT_FALSE(seen.numbers[1]);
    EXPECT_EQ(seen.texts[3], "MS Gothic");
    EXPECT_EQ(seen.numbers[2], 18);

    EXPECT_EQ(settings_read_int("console", "column", -1), 120);
    EXPECT_EQ(settings_read_int("console", "hex mode", -1), 1);
    EXPECT_EQ(settings_read_int("console", "input mode", -1), 1);
    EXPECT_EQ(settings_read_int("console", "send crlf", -1), 2);
    EXPECT_EQ(settings_read_int("console", "tabs", -1), 8);
    EXPECT_EQ(settings_read_int("console color", "console back 4", -1), 0xFFFF00);
    EXPECT_EQ(settings_read_int("console color", "custom 15", -1), 0xFFFFFF);
    EXPECT_EQ(read_file(scratch.file("default.tfk")), EMPTY_KEYS);
    const Console* console = &port->console;
    EXPECT_EQ(console->buffer.column, 120);
    EXPECT_EQ(console->view.hex_mode, 1);
    EXPECT_EQ(console->input.line_mode, 1);
    EXPECT_EQ(console->view.tab_width, 8);
    // LINE input at once: Enter sends the line with CR LF.
    for (char c : std::string("ok\r")) SendMessageA(window_of(port), WM_CHAR, static_cast<unsigned char>(c), 1);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "ok\r\n");
}

TEST_F(TerminalSheetTest, CancelAndAnOkWithoutChangeWriteNothing)
{
    std::strcpy(display_settings.text_font_name, "No Such Font");
    open_sheet([](HWND sheet) {
        HWND page = current_page(sheet);
        HWND fonts = GetDlgItem(page, IDC_FONT_LIST);
        seen.numbers[0] = static_cast<int>(SendMessageA(fonts, LB_GETCURSEL, 0, 0));
        seen.numbers[1] = static_cast<int>(SendMessageA(fonts, LB_GETCOUNT, 0, 0));
        leave_field(page, IDC_COLUMN, "120");
        press(sheet, PSBTN_CANCEL);
    });
    EXPECT_GT(seen.numbers[1], 0);
    EXPECT_EQ(seen.numbers[0], seen.numbers[1] - 1);  // not installed: the last entry
    std::strcpy(display_settings.text_font_name, "MS Gothic");
    // Every page shown, nothing changed.
    open_sheet([](HWND sheet) {
        show_page(sheet, 1);
        show_page(sheet, 2);
        press(sheet, PSBTN_OK);
    });
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
    EXPECT_FALSE(file_exists(scratch.file("default.tfk")));
    EXPECT_EQ(port->console.buffer.column, 80);
}

void choose_colour(HWND chooser)
{
    // The chooser's red, green and blue fields, then "add to custom colours", OK.
    const int fields[3] = {706, 707, 708};
    const int values[3] = {0x12, 0x34, 0x56};
    for (int i = 0; i < 3; ++i) {
        SetDlgItemInt(chooser, fields[i], static_cast<UINT>(values[i]), FALSE);
        SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(fields[i], EN_UPDATE),
                     reinterpret_cast<LPARAM>(GetDlgItem(chooser, fields[i])));
    }
    SendMessageA(chooser, WM_COMMAND, 712, 0);
    SendMessageA(chooser, WM_COMMAND, IDOK, 0);
    PostMessageA(GetWindow(chooser, GW_OWNER), PSM_PRESSBUTTON, PSBTN_OK, 0);
}

TEST_F(TerminalSheetTest, TheColourPageChangesAColourAndACustomColour)
{
    open_sheet([](HWND sheet) {
        HWND page = show_page(sheet, 1);
        drive_owned_dialog(sheet, choose_colour);
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_COLOUR_FIRST, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_COLOUR_FIRST)));
    });
    ASSERT_TRUE(dialog_was_driven());
    EXPECT_EQ(settings_read_int("console color", "console text 1", -1), 0x563412);
    EXPECT_EQ(settings_read_int("console color", "custom 0", -1), 0x563412);
    EXPECT_EQ(settings_read_int("console color", "console back 1", -1), 0xFFFFFF);
    EXPECT_EQ(port->console.view.colours[COLOUR_TEXT], 0x563412u);
}

// The highlight page: two keywords, one as hexadecimal with case, then OK. Only
// the rows in use reach the file; the open window draws them; emptied again, the
// section goes.
TEST_F(TerminalSheetTest, TheHighlightPageStoresItsRowsAndTheWindowDrawsThem)
{
    open_sheet([](HWND sheet) {
        HWND page = show_page(sheet, 3);
        SetDlgItemTextA(page, IDC_HIGHLIGHT_KEYWORD, "error");
        SetDlgItemTextA(page, IDC_HIGHLIGHT_KEYWORD + 5, "0D 0A");
        CheckDlgButton(page, IDC_HIGHLIGHT_HEX + 5, BST_CHECKED);
        CheckDlgButton(page, IDC_HIGHLIGHT_CASE + 5, BST_CHECKED);
        press(sheet, PSBTN_OK);
    });
    ASSERT_TRUE(dialog_was_driven());
    char text[32] = {};
    settings_read_text("console highlight", "keyword 1", text, sizeof text, "");
    EXPECT_STREQ(text, "error");
    settings_read_text("console highlight", "keyword 6", text, sizeof text, "");
    EXPECT_STREQ(text, "0D 0A");
    EXPECT_EQ(settings_read_int("console highlight", "flags 6", -1), HIGHLIGHT_HEX | HIGHLIGHT_MATCH_CASE);
    EXPECT_EQ(settings_read_int("console highlight", "colour 6", -1), static_cast<int>(HIGHLIGHT_DEFAULT_COLOUR));
    EXPECT_EQ(settings_read_int("console highlight", "flags 2", -1), -1);
    ASSERT_NE(port->console.view.highlights, nullptr);
    EXPECT_EQ(port->console.view.highlights->count, 2);
    UpdateWindow(window_of(port));

    open_sheet([](HWND sheet) {
        HWND page = show_page(sheet, 3);
        SetDlgItemTextA(page, IDC_HIGHLIGHT_KEYWORD, "");
        SetDlgItemTextA(page, IDC_HIGHLIGHT_KEYWORD + 5, "");
        press(sheet, PSBTN_OK);
    });
    EXPECT_EQ(ini().find("console highlight"), std::string::npos);
    EXPECT_EQ(port->console.view.highlights, nullptr);
}

// The function-key page, step by step: F5 set and saved to a file that exists (No
// keeps it, Yes overwrites it), another file loaded into the fields, a missing one
// reported, then OK.
HWND function_key_page;

void post_click(HWND page, int id)
{
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void file_dialog_ok(HWND dialog, const char* name)
{
    std::string path = seen.folder + "\\" + name;
    SetDlgItemTextA(dialog, 0x47c, path.c_str());  // the file name field
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void failed_load(HWND box)
{
    seen.texts[4] = message_box_text(box);
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    PostMessageA(GetParent(function_key_page), PSM_PRESSBUTTON, PSBTN_OK, 0);
}

void load_missing(HWND files)
{
    seen.texts[2] = window_text(GetDlgItem(function_key_page, IDC_FUNCTION_KEY_FIRST));
    seen.texts[3] = window_text(GetDlgItem(function_key_page, IDC_FUNCTION_KEY_FIRST + 4));
    drive_dialog(LOAD_CAPTION, failed_load);
    file_dialog_ok(files, "missing.tfk");
}

void load_other(HWND files)
{
    drive_dialog(LOAD_CAPTION, load_missing);
    post_click(function_key_page, IDC_FUNCTION_KEY_LOAD);  // handled once this load is done
    file_dialog_ok(files, "other.tfk");
}

void overwrite_yes(HWND question)
{
    SendMessageA(question, WM_COMMAND, IDYES, 0);
    drive_dialog(LOAD_CAPTION, load_other);
    post_click(function_key_page, IDC_FUNCTION_KEY_LOAD);
}

void save_again(HWND files)
{
    drive_dialog(SAVE_CAPTION, overwrite_yes);
    file_dialog_ok(files, "keys.tfk");
}

void overwrite_no(HWND question)
{
    seen.texts[0] = message_box_text(question);
    seen.texts[1] = read_file(seen.folder + "\\keys.tfk");
    SendMessageA(question, WM_COMMAND, IDNO, 0);
    drive_dialog(SAVE_CAPTION, save_again);
    post_click(function_key_page, IDC_FUNCTION_KEY_SAVE);
}

void save_keys(HWND files)
{
    drive_dialog(SAVE_CAPTION, overwrite_no);
    file_dialog_ok(files, "keys.tfk");
}

TEST_F(TerminalSheetTest, TheFunctionKeyPageSavesLoadsAndSetsTheKeys)
{
    ASSERT_TRUE(write_file(scratch.file("keys.tfk"), "old"));
    ASSERT_TRUE(write_file(scratch.file("other.tfk"), "0,hello\r\n"));
    open_sheet([](HWND sheet) {
        function_key_page = show_page(sheet, 2);
        SetDlgItemTextA(function_key_page, IDC_FUNCTION_KEY_FIRST + 4, "AT\\r");
        // Shift+F1 on the second bank; back on the first, F5 is still there.
        SendMessageA(function_key_page, WM_COMMAND, MAKEWPARAM(IDC_FUNCTION_KEY_BANK_2, BN_CLICKED), 0);
        seen.texts[5] = window_text(GetDlgItem(function_key_page, IDC_FUNCTION_KEY_FIRST + 4));
        SetDlgItemTextA(function_key_page, IDC_FUNCTION_KEY_FIRST, "S1");
        SendMessageA(function_key_page, WM_COMMAND, MAKEWPARAM(IDC_FUNCTION_KEY_BANK_1, BN_CLICKED), 0);
        seen.texts[6] = window_text(GetDlgItem(function_key_page, IDC_FUNCTION_KEY_FIRST + 4));
        drive_dialog(SAVE_CAPTION, save_keys);
        post_click(function_key_page, IDC_FUNCTION_KEY_SAVE);
    });
    EXPECT_EQ(seen.texts[0], "\"" + scratch.file("keys.tfk") +
                                 "\"\x82\xcd\x8a\xf9\x82\xc9\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb7\x81\x42"
                                 "\x8f\xe3\x8f\x91\x82\xab\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48");  // は既に存在します。上書きしますか？
    EXPECT_EQ(seen.texts[1], "old");  // still, while the question is open
    EXPECT_EQ(seen.texts[5], "");
    EXPECT_EQ(seen.texts[6], "AT\\r");
    // Both banks saved, the first bank's lines first.
    EXPECT_EQ(read_file(scratch.file("keys.tfk")),
              "0,\n1,\n2,\n3,\n4,AT\\r\n5,\n6,\n7,\n8,\n9,\n10,\n11,\n12,S1\n13,\n14,\n15,\n16,\n17,\n18,\n19,\n20,\n21,\n"
              "22,\n23,\n");
    // The load replaced all the fields: the twelve-line file left the second bank empty.
    EXPECT_EQ(seen.texts[2], "hello");
    EXPECT_EQ(seen.texts[3], "");
    EXPECT_EQ(seen.texts[4], "\"" + scratch.file("missing.tfk") + "\"\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1");
    EXPECT_EQ(read_file(scratch.file("default.tfk")),
              std::string("0,hello\n1,\n2,\n3,\n4,\n5,\n6,\n7,\n8,\n9,\n10,\n11,\n") + SECOND_BANK_EMPTY);
    SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window_of(port)), 0);
    SendMessageA(app.frame_window, WM_COMMAND, CMD_FUNCTION_KEY_1, 0);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "hello");
}

// Start-up: a tavex.ini edited by hand and a "default.tfk" in the start folder. What
// the program can use is used as stored; what would break a console is replaced.
TEST_F(TerminalSheetTest, StartUpTakesAHandEditedFileAsFarAsItCan)
{
    close_port(port);
    port = nullptr;
    ASSERT_TRUE(write_file(scratch.file("tavex.ini"),
                           "[console]\r\ncolumn=0\r\nbuffer size=-5\r\ninput mode=7\r\ntabs=0\r\n"
                           "text font size=5000\r\ntext font name=" + std::string(40, 'F') +
                               "\r\nhex mode=1\r\nsend crlf=9\r\n"
                               "[console color]\r\nconsole text 1=255\r\ncustom 3=1234\r\n"));
    ASSERT_TRUE(write_file(scratch.file("default.tfk"), "4,AT\\r\r\n"));
    load_display_settings();
    EXPECT_EQ(display_settings.column, 80);
    EXPECT_EQ(display_settings.buffer_size, 64);
    EXPECT_EQ(display_settings.input_mode, 0);
    EXPECT_EQ(display_settings.tabs, 0);
    EXPECT_EQ(display_settings.text_font_size, 18);
    EXPECT_STREQ(display_settings.text_font_name, "FixedSys");
    EXPECT_EQ(display_settings.hex_mode, 1);
    EXPECT_EQ(display_settings.send_crlf, 9);
    EXPECT_EQ(display_settings.colours[0], 255u);
    EXPECT_EQ(display_settings.custom_colours[3], 1234u);
    EXPECT_STREQ(display_settings.function_keys[4], "AT\\r");
    EXPECT_STREQ(display_settings.function_keys[0], "");
    // A window made now shows what arrives, tabs and all, and F5 and Enter send.
    open();
    test_engine_receive(port, "a\tb\r\n");
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(console_contents(port), "a\tb\r\n");
    SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window_of(port)), 0);
    SendMessageA(app.frame_window, WM_COMMAND, CMD_FUNCTION_KEY_1 + 4, 0);
    SendMessageA(window_of(port), WM_CHAR, '\r', 1);
    ASSERT_TRUE(test_engine_settle(port));
    EXPECT_EQ(test_engine_written(port), "AT\r\r");  // "send crlf" 9 sends CR
    UpdateWindow(window_of(port));
    EXPECT_GT(port->console.view.row_table[0].count, 0);
}

// Settings confirmed again and again while an engine delivers: every byte received
// is in the console, in order, whatever was replaced around it.
TEST_F(TerminalSheetTest, ARefreshWhileTheEngineFloodsLosesNoByte)
{
    display_settings.buffer_size = 1024;
    open();
    std::string expected;
    for (int round = 0; round < 24; ++round) {
        std::string block;
        for (int line = 0; line < 20; ++line) block += "round " + std::to_string(round) + " line " + std::to_string(line) + " " + std::string(60, static_cast<char>('a' + round)) + "\r\n";
        test_engine_receive(port, block);
        expected += block;
        DisplaySettings next = display_settings;
        next.column = 60 + round;
        next.hex_mode = round % 2;
        next.input_mode = round % 3 == 0;
        next.text_font_size = 12 + round % 4;
        next.buffer_size = 1023 + round % 2;
        next.colours[1] = 0xFFFFFF - static_cast<ColorRef>(round);
        EXPECT_TRUE(terminal_settings_confirm(&next));
        pump_messages();
    }
    ASSERT_TRUE(test_engine_settle(port));
    pump_messages();
    EXPECT_EQ(console_contents(port), expected);
    EXPECT_EQ(port->console.buffer.capacity, 1024u * 1024u);
    EXPECT_EQ(settings_read_int("console", "column", -1), 83);
}

// A port closed while the sheet is open, by its window's close box, and another
// opened: the confirmed change reaches the port open then, and nothing else.
Port* closing;
Port* opened;

TEST_F(TerminalSheetTest, APortClosedWhileTheSheetIsOpenIsLeftOutOfTheChange)
{
    closing = port;
    open_sheet([](HWND sheet) {
        SendMessageA(window_of(closing), WM_CLOSE, 0, 0);
        pump_messages();
        opened = create_port(PORT_SERIAL, nullptr);
        leave_field(current_page(sheet), IDC_COLUMN, "100");
        press(sheet, PSBTN_OK);
    });
    port = opened;
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(open_port_count, 1);
    EXPECT_EQ(opened->console.buffer.column, 100);
}

// Names that Windows takes for devices are refused as files that cannot be opened,
// before the question about overwriting a file that does not exist; nothing is
// written anywhere.
TEST(FunctionKeyFile, DeviceNamesAreRefusedBeforeTheOverwriteQuestion)
{
    ScratchDir scratch;
    TestFrame frame;
    ASSERT_TRUE(frame.made);
    static std::vector<std::string> boxes;
    FunctionKeyStrings keys = {};
    for (const std::string& name : {std::string("LPT1"), std::string("COM1.tfk"), std::string("aux.tfk"),
                                    scratch.file("nul.TFK"), std::string("COM5")}) {
        boxes.clear();
        drive_dialog(SAVE_CAPTION, [](HWND box) { boxes.push_back(dismiss_message_box(box)); });
        EXPECT_EQ(save_function_keys(name.c_str(), app.frame_window, &keys, 0), 0) << name;
        EXPECT_EQ(boxes, std::vector<std::string>{"\"" + name + "\"\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1"})
            << name;  // が開けません
        EXPECT_EQ(load_function_keys(name.c_str(), &keys), 0) << name;
    }
}

// A function-key file of a megabyte through the loader: twelve lines are read at
// most, each cut to 143 bytes and each key to 128, whatever follows.
TEST(FunctionKeyFile, AMegabyteFileGivesTwelveLinesAtMost)
{
    ScratchDir scratch;
    // A line of 1000 bytes (its 143-byte pieces after the first are lines without a
    // comma), then a key, then a megabyte of key lines never reached.
    std::string file = "3," + std::string(998, 'B') + "\r\n5,five\r\n";
    while (file.size() < (1u << 20)) file += "0,late\n";
    file += "11,tail";
    ASSERT_TRUE(write_file(scratch.file("big.tfk"), file));
    FunctionKeyStrings keys;
    std::memset(keys, 'z', sizeof keys);
    ASSERT_EQ(1, load_function_keys(scratch.file("big.tfk").c_str(), &keys));
    EXPECT_EQ(std::string(keys[3]), std::string(128, 'B'));
    EXPECT_STREQ(keys[5], "five");
    EXPECT_STREQ(keys[11], "");
    for (const char* key : keys) EXPECT_LE(strnlen(key, FUNCTION_KEY_TEXT), 128u);

    // One line of a megabyte without a line end.
    ASSERT_TRUE(write_file(scratch.file("line.tfk"), "7," + std::string(1u << 20, 'x')));
    ASSERT_EQ(1, load_function_keys(scratch.file("line.tfk").c_str(), &keys));
    EXPECT_EQ(std::string(keys[7]), std::string(128, 'x'));
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) {
        if (i != 7) {
            EXPECT_STREQ(keys[i], "") << i;
        }
    }
}

}  // namespace
