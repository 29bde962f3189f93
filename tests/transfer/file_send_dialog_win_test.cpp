// The file send dialog driven by timers in its own modal loop, over a scratch folder
// tree: the port list, the file types from the settings file, folders in and out, a
// drive's root, the send list's edits and Enter, OK and what the next opening shows,
// and the list saved and loaded through the list file dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/dialog_driver_win.h"
#include "tests/transfer/transfer_test_support.h"
#include "transfer/file_send_dialog_win.h"

namespace {

const char SEND_CAPTION[] = "\xcc\xa7\xb2\xd9\x91\x97\x90\x4d";                                   // ﾌｧｲﾙ送信
const char SAVE_TITLE[] = "\x91\x97\x90\x4d\xcc\xa7\xb2\xd9\xd8\xbd\xc4\x82\xcc\x95\xdb\x91\xb6";  // 送信ﾌｧｲﾙﾘｽﾄの保存
const char LOAD_TITLE[] = "\x91\x97\x90\x4d\xcc\xa7\xb2\xd9\xd8\xbd\xc4\x82\xcc\x93\xc7\x8d\x9e\x82\xdd";  // ...の読込み
const char ALL_FILES[] = "\x82\xb7\x82\xd7\x82\xc4\x82\xcc\xcc\xa7\xb2\xd9(*.*)";  // すべてのﾌｧｲﾙ(*.*)
// Types a name into a file dialog and confirms it. The file name field is edt1 in the
// dialog of old, cmb13 in the Explorer-style one that Wine shows for it.
void confirm_file_dialog(HWND box, const std::string& name)
{
    int field = GetDlgItem(box, 0x480) ? 0x480 : 0x47c;
    SetDlgItemTextA(box, field, name.c_str());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

std::vector<std::string> lines(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    char name[16] = {};
    GetClassNameA(control, name, sizeof name);
    bool combo = std::string(name) == "ComboBox";
    std::vector<std::string> out;
    int count = static_cast<int>(SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[300] = {};
        SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

int selection(HWND dialog, int id)
{
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0));
}

// Selects a line by its text and tells the dialog as the control would.
void choose(HWND dialog, int id, const std::string& text, bool combo, WORD notification)
{
    HWND control = GetDlgItem(dialog, id);
    LRESULT at = SendMessageA(control, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_GE(at, 0) << text;
    SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(control));
}

void click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string label(HWND dialog)
{
    return window_text(GetDlgItem(dialog, 1404));
}

struct FileSendDialog : TransferPorts {
    void SetUp() override
    {
        // The types as a user configures them; the second has no title.
        ASSERT_TRUE(write_file(scratch.file("tavex.ini"),
                               "[file config]\r\nfile type size=3\r\nfile type title 1=Text\r\n"
                               "file type filter 1=*.txt;*.log\r\nfile type filter 2=*.bin\r\n"
                               "file type title 3=Binary\r\nfile type filter 3=*.bin\r\n"));
        for (const char* name : {"a.txt", "b.log", "c.bin", "sub\\d.txt"}) {
            if (std::string(name) == "sub\\d.txt") CreateDirectoryA(scratch.file("sub").c_str(), nullptr);
            ASSERT_TRUE(write_file(scratch.file(name), name));
        }
        CreateDirectoryA(scratch.file("hidden").c_str(), nullptr);
        SetFileAttributesA(scratch.file("hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        TransferPorts::SetUp();
    }
    Port* run(void (*routine)(HWND dialog))
    {
        drive_dialog(SEND_CAPTION, routine);
        Port* chosen = file_send_dialog(app.frame_window);
        EXPECT_TRUE(dialog_was_driven());
        return chosen;
    }
};

// What the routines saw, for the test to check after the dialog has ended.
struct Seen {
    std::string folder;
    std::vector<std::string> ports, types, files, folders, list, saved;
    std::string type_shown, list_file, crlf_file;
    std::vector<std::string> boxes;
    int selection_after_delete;
    int saves;
} seen;

TEST_F(FileSendDialog, BrowseBuildTheListAndFindItAgainNextTime)
{
    Port* idle = port;
    Port* offline = create_port(PORT_SERIAL, nullptr);
    ASSERT_NE(offline, nullptr);
    port_set_status(offline, PortStatus{PORT_LOST, PORT_REASON_DEVICE_GONE});
    seen = Seen{};
    seen.folder = scratch.path();
    Port* chosen = run([](HWND d) {
        seen.ports = lines(d, 1401);
        seen.types = lines(d, 1403);
        seen.type_shown = window_text(GetDlgItem(d, 1403));
        seen.files = lines(d, 1402);
        seen.folders = lines(d, 1405);
        choose(d, 1403, "Text", true, CBN_SELCHANGE);
        std::vector<std::string> text_files = lines(d, 1402);
        EXPECT_EQ(text_files, (std::vector<std::string>{"a.txt", "b.log"}));
        choose(d, 1405, "sub", false, LBN_DBLCLK);
        EXPECT_EQ(label(d), "..." + (seen.folder + "\\sub").substr(seen.folder.size() + 4 - 25));
        EXPECT_EQ(lines(d, 1402), std::vector<std::string>{"d.txt"});
        choose(d, 1402, "d.txt", false, LBN_SELCHANGE);
        click(d, 1407);
        // Enter in the folder list opens the folder; in the file list it adds the file.
        choose(d, 1405, "..", false, LBN_SELCHANGE);
        SetFocus(GetDlgItem(d, 1405));
        SendMessageA(d, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(lines(d, 1402), (std::vector<std::string>{"a.txt", "b.log"}));
        choose(d, 1402, "a.txt", false, LBN_SELCHANGE);
        SetFocus(GetDlgItem(d, 1402));
        SendMessageA(d, WM_COMMAND, IDOK, 0);
        // b.log before the first entry, then the last entry deleted.
        SendMessageA(GetDlgItem(d, 1411), LB_SETCURSEL, 0, 0);
        choose(d, 1402, "b.log", false, LBN_SELCHANGE);
        click(d, 1408);
        SendMessageA(GetDlgItem(d, 1411), LB_SETCURSEL, 2, 0);
        click(d, 1409);
        seen.selection_after_delete = selection(d, 1411);
        seen.list = lines(d, 1411);
        click(d, 1414);
    });
    EXPECT_EQ(seen.ports, std::vector<std::string>{idle->long_name(idle)});
    EXPECT_EQ(seen.types, (std::vector<std::string>{ALL_FILES, "Text", "Binary"}));
    EXPECT_EQ(seen.type_shown, ALL_FILES);
    EXPECT_EQ(seen.files, (std::vector<std::string>{"a.txt", "b.log", "c.bin", "tavex.ini"}));
    EXPECT_EQ(seen.folders, (std::vector<std::string>{"..", "sub"}));  // not "." nor the hidden one
    const std::vector<std::string> list = {scratch.file("b.log"), scratch.file("sub\\d.txt")};
    EXPECT_EQ(seen.list, list);
    EXPECT_EQ(seen.selection_after_delete, LB_ERR);
    ASSERT_EQ(chosen, idle);
    ASSERT_EQ(idle->send_list_count, 2);
    EXPECT_EQ(std::string(idle->send_list[0]), list[0]);
    EXPECT_EQ(std::string(idle->send_list[1]), list[1]);
    std::free(idle->send_list);
    idle->send_list = nullptr;
    idle->send_list_count = 0;

    // The next opening shows the same folder, type and list; Cancel keeps them.
    for (int opening = 0; opening < 2; ++opening) {
        seen.list.clear();
        EXPECT_EQ(run([](HWND d) {
                      seen.type_shown = window_text(GetDlgItem(d, 1403));
                      seen.files = lines(d, 1402);
                      seen.list = lines(d, 1411);
                      SendMessageA(GetDlgItem(d, 1411), LB_RESETCONTENT, 0, 0);
                      PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                  }),
                  nullptr);
        EXPECT_EQ(seen.type_shown, "Text");
        EXPECT_EQ(seen.files, (std::vector<std::string>{"a.txt", "b.log"}));
        EXPECT_EQ(seen.list, list);
    }
}

TEST_F(FileSendDialog, ADrivesRootHasNoParentAndItsFoldersOpenBelowIt)
{
    seen = Seen{};
    EXPECT_EQ(run([](HWND d) {
                  choose(d, 1406, "[-C-]", true, CBN_SELCHANGE);
                  seen.type_shown = label(d);
                  seen.folders = lines(d, 1405);
                  if (!seen.folders.empty()) {
                      choose(d, 1405, seen.folders[0], false, LBN_DBLCLK);
                      seen.folder = label(d);
                  }
                  PostMessageA(d, WM_COMMAND, MAKEWPARAM(1415, BN_CLICKED), 0);
              }),
              nullptr);
    EXPECT_EQ(seen.type_shown, "C:");
    ASSERT_FALSE(seen.folders.empty());
    EXPECT_EQ(std::find(seen.folders.begin(), seen.folders.end(), ".."), seen.folders.end());
    const std::string opened = "C:\\" + seen.folders[0];
    EXPECT_EQ(seen.folder, opened.size() <= 25 ? opened : "..." + opened.substr(opened.size() - 25));
}

TEST_F(FileSendDialog, TheListSavedAndLoadedThroughListFiles)
{
    seen = Seen{};
    seen.list_file = scratch.file("mine.TFL");
    seen.crlf_file = scratch.file("crlf.TFL");
    ASSERT_TRUE(write_file(seen.crlf_file, "\r\nC:\\one.bin\r\n\r\nC:\\two.bin"));
    run([](HWND d) {
        for (const char* name : {"a.txt", "c.bin"}) {
            choose(d, 1402, name, false, LBN_SELCHANGE);
            click(d, 1407);
        }
        seen.saved = lines(d, 1411);
        // Saved under a new name; again under the same name, overwritten after Yes.
        for (int overwrite = 0; overwrite < 2; ++overwrite) {
            drive_dialog(SAVE_TITLE, [](HWND box) {
                // The second time the name exists: the question has the same caption.
                if (seen.saves++ > 0) drive_dialog(SAVE_TITLE, [](HWND q) { PostMessageA(q, WM_COMMAND, IDYES, 0); });
                confirm_file_dialog(box, seen.list_file);
            });
            click(d, 1412);
        }
        // A list file with CR LF and blank lines replaces the list.
        drive_dialog(LOAD_TITLE, [](HWND box) { confirm_file_dialog(box, seen.crlf_file); });
        click(d, 1413);
        seen.list = lines(d, 1411);
        // Cleared, then the saved list loaded again.
        click(d, 1410);
        drive_dialog(LOAD_TITLE, [](HWND box) { confirm_file_dialog(box, seen.list_file); });
        click(d, 1413);
        seen.files = lines(d, 1411);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_EQ(seen.saved.size(), 2u);
    EXPECT_EQ(seen.saves, 2);
    EXPECT_EQ(read_file(seen.list_file), seen.saved[0] + "\n" + seen.saved[1] + "\n");
    EXPECT_EQ(seen.list, (std::vector<std::string>{"C:\\one.bin", "C:\\two.bin"}));
    EXPECT_EQ(seen.files, seen.saved);
}

// A list file named in the save (1412) or load (1413) dialog, known by its title, and
// the box that comes of it, closed.
const char* file_dialog_title;

void name_list_file(HWND dialog, int button, const char* title, const std::string& name)
{
    seen.list_file = name;
    file_dialog_title = title;
    drive_dialog(title, [](HWND box) {
        drive_dialog(file_dialog_title, [](HWND b) { seen.boxes.push_back(dismiss_message_box(b)); });
        confirm_file_dialog(box, seen.list_file);
    });
    click(dialog, button);
}

// A device's name is refused before the overwrite question; a file of more names
// than a list holds is refused and leaves the list as it was (what else is not a list
// is the reader's table; the end-to-end story loads random bytes).
TEST_F(FileSendDialog, DeviceNamesAndFilesThatAreNotListsAreRefused)
{
    std::string many;
    for (int i = 0; i <= 4096; ++i) many += "C:\\" + std::to_string(i) + ".bin\r\n";
    ASSERT_TRUE(write_file(scratch.file("many.TFL"), many));
    seen = Seen{};
    seen.folder = scratch.path();
    run([](HWND d) {
        choose(d, 1402, "a.txt", false, LBN_SELCHANGE);
        click(d, 1407);
        seen.saved = lines(d, 1411);
        name_list_file(d, 1412, SAVE_TITLE, seen.folder + "\\aux.TFL");
        name_list_file(d, 1412, SAVE_TITLE, seen.folder + "\\COM1.tfl");
        name_list_file(d, 1413, LOAD_TITLE, seen.folder + "\\many.TFL");
        seen.list = lines(d, 1411);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    const std::string cannot_open = "\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1";  // が開けません
    EXPECT_EQ(seen.boxes,
              (std::vector<std::string>{
                  "\"" + scratch.file("aux.TFL") + "\"" + cannot_open, "\"" + scratch.file("COM1.tfl") + "\"" + cannot_open,
                  // はﾌｧｲﾙ数が4096個を超えるため読込めません
                  "\"" + scratch.file("many.TFL") +
                      "\"\x82\xcd\xcc\xa7\xb2\xd9\x90\x94\x82\xaa" "4096\x8c\xc2\x82\xf0\x92\xb4\x82\xa6\x82\xe9\x82\xbd\x82\xdf"
                      "\x93\xc7\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1"}));
    EXPECT_EQ(seen.list, seen.saved);
}

// The port closed while the dialog is open (its window's close box works meanwhile),
// and another opened, perhaps at the same address: OK sends through neither.
TEST_F(FileSendDialog, APortClosedWhileTheDialogIsOpenIsNotSentThrough)
{
    static Port* closing;
    static Port* opened;
    closing = port;
    Port* chosen = run([](HWND d) {
        choose(d, 1402, "a.txt", false, LBN_SELCHANGE);
        click(d, 1407);
        SendMessageA(window_of(closing), WM_CLOSE, 0, 0);
        pump_messages();
        opened = create_port(PORT_SERIAL, nullptr);
        click(d, 1414);
    });
    port = opened;
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(chosen, nullptr) << (opened == closing ? "at the closed port's address" : "elsewhere");
    EXPECT_EQ(opened->send_list, nullptr);
    EXPECT_EQ(opened->send_list_count, 0);
}

}  // namespace
