// The file send dialog; see file_send_dialog_win.h. The dialog procedure moves
// values between the controls and the browser state; the rules of the browser are
// portable (file_browser.h), those of the list files too (send_list.h).
// A path that would be longer than a list entry's 259 bytes is refused with a
// message, never cut: a cut path would name another file or none.
// The ports are held by their windows (port_from_window): one may be closed while
// the dialog or one of its file dialogs is open, and another opened in its place.
// Memory that cannot be had ends the command under way, never the program: no
// exception leaves the dialog procedure.
#include "transfer/file_send_dialog_win.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/app_record_win.h"
#include "base/settings.h"
#include "resources/transfer_ids.h"
#include "terminal/disk_file_win.h"
#include "terminal/page_controls_win.h"
#include "terminal/port_win.h"
#include "transfer/file_browser.h"
#include "transfer/send_list.h"
#include "transfer/transfer_win.h"

static char send_folder[SEND_PATH_SIZE];
static char send_filter[sizeof FileTypeEntry::filter] = "*.*";
static std::vector<FileTypeEntry> file_types;
static std::vector<std::string> last_send_list;

// The list of the last OK, for file_send_dialog to hand to the port once the dialog
// has ended and the port is found open again.
static char (*accepted_list)[SEND_PATH_SIZE];
static std::int32_t accepted_count;

static char ALL_FILES_FILTER[] = "*.*";
static const char SEND_CAPTION[] = "ﾌｧｲﾙ送信";
static const char SAVE_TITLE[] = "送信ﾌｧｲﾙﾘｽﾄの保存";
static const char LOAD_TITLE[] = "送信ﾌｧｲﾙﾘｽﾄの読込み";
// The list files' filter: its text, then its pattern, each NUL-terminated.
static const char LIST_FILTER[] = "送信ﾌｧｲﾙﾘｽﾄ(*.TFL)\0*.TFL\0";

void file_send_dialog_load()
{
    file_types.clear();
    int count = file_types_count(settings_read_int("file config", "file type size", 0));
    if (count > 0) {
        try {
            file_types.resize(static_cast<std::size_t>(count));
        } catch (const std::exception&) {
            count = 0;  // no table: no types are offered
        }
    }
    for (int n = 1; n <= count; ++n) {
        char key[32];
        std::snprintf(key, sizeof key, "file type title %d", n);
        settings_read_text("file config", key, file_types[n - 1].title, sizeof file_types[n - 1].title, "");
        std::snprintf(key, sizeof key, "file type filter %d", n);
        settings_read_text("file config", key, file_types[n - 1].filter, sizeof file_types[n - 1].filter, "");
    }
    file_types.resize(static_cast<std::size_t>(file_types_pack(file_types.data(), count)));
    char directory[MAX_PATH] = "";
    DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory || !send_folder_from_directory(send_folder, directory))
        std::strcpy(send_folder, "C:");
    std::strcpy(send_filter, ALL_FILES_FILTER);
}

void file_send_dialog_release()
{
    std::vector<FileTypeEntry>().swap(file_types);
    std::vector<std::string>().swap(last_send_list);
}

static HWND item(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

static LRESULT selected_line(HWND control, bool combo)
{
    return SendMessageA(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
}

// The text of a list box line; "" when there is none.
static std::string list_text(HWND list, LRESULT line)
{
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    if (length == LB_ERR || length < 0) return "";
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

static std::vector<std::string> send_list_entries(HWND dialog)
{
    HWND list = item(dialog, IDC_SEND_LIST);
    std::vector<std::string> entries;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) entries.push_back(list_text(list, i));
    return entries;
}

// In one batch, drawn once at the end: a list box redrawn for every line it takes
// keeps the dialog from answering for as long as thousands of lines take.
static void fill_send_list(HWND dialog, const std::vector<std::string>& entries)
{
    HWND list = item(dialog, IDC_SEND_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, entries.size(), entries.size() * SEND_PATH_SIZE);
    for (const std::string& entry : entries) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// Calls add for every entry of a folder listing; a listing that fails adds nothing.
// An empty floppy or card drive must not stop the dialog with the system's "not
// ready" box: such errors are only returned.
template <typename Add>
static void list_folder(const char* pattern, Add add)
{
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find != INVALID_HANDLE_VALUE) {
        do add(found);
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    SetErrorMode(previous);
}

static void fill_folders(HWND dialog)
{
    HWND list = item(dialog, IDC_SEND_FOLDERS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    char pattern[SEND_PATH_SIZE + 8];
    std::snprintf(pattern, sizeof pattern, "%s\\*.*", send_folder);
    list_folder(pattern, [&](const WIN32_FIND_DATAA& found) {
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        if (folder && !hidden && std::strcmp(found.cFileName, ".") != 0)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
    });
}

static void fill_files(HWND dialog)
{
    HWND list = item(dialog, IDC_SEND_FILES);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& each : filter_patterns(send_filter)) {
        char pattern[SEND_PATH_SIZE + 40];
        std::snprintf(pattern, sizeof pattern, "%s\\%s", send_folder, each.c_str());
        list_folder(pattern, [&](const WIN32_FIND_DATAA& found) {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
        });
    }
}

static void fill_drives(HWND dialog)
{
    HWND combo = item(dialog, IDC_SEND_DRIVE);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    char current = send_folder_drive(send_folder);
    LRESULT chosen = -1, first_fixed = -1;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        if (type == DRIVE_NO_ROOT_DIR) continue;
        char text[8];
        std::snprintf(text, sizeof text, "[-%c-]", letter);
        combo_add(combo, text, letter);
        LRESULT line = SendMessageA(combo, CB_GETCOUNT, 0, 0) - 1;
        if (letter == current) chosen = line;
        if (type == DRIVE_FIXED && first_fixed < 0) first_fixed = line;
    }
    if (chosen < 0) chosen = first_fixed;
    if (chosen < 0) chosen = 0;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

static void fill_browser(HWND dialog)
{
    fill_folders(dialog);
    fill_files(dialog);
    SetDlgItemTextA(dialog, IDC_SEND_FOLDER_LABEL, send_folder_label(send_folder).c_str());
}

static void fill_file_types(HWND dialog)
{
    HWND combo = item(dialog, IDC_SEND_FILE_TYPE);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    combo_add(combo, "すべてのﾌｧｲﾙ(*.*)", reinterpret_cast<LPARAM>(ALL_FILES_FILTER));
    LRESULT chosen = 0;
    for (FileTypeEntry& type : file_types) {
        combo_add(combo, type.title, reinterpret_cast<LPARAM>(type.filter));
        if (std::strcmp(type.filter, send_filter) == 0) chosen = SendMessageA(combo, CB_GETCOUNT, 0, 0) - 1;
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    const char* filter = reinterpret_cast<const char*>(SendMessageA(combo, CB_GETITEMDATA, chosen, 0));
    std::strcpy(send_filter, filter == reinterpret_cast<const char*>(CB_ERR) ? ALL_FILES_FILTER : filter);
}

static bool idle_connected(const Port* port)
{
    return connection_takes_input(port->connection_state) && port->send_state == SEND_IDLE;
}

static void open_folder(HWND dialog)
{
    HWND list = item(dialog, IDC_SEND_FOLDERS);
    LRESULT line = selected_line(list, false);
    if (line != LB_ERR && !send_folder_open(send_folder, list_text(list, line).c_str())) MessageBeep(MB_ICONEXCLAMATION);
    fill_browser(dialog);
}

// The chosen file with its folder into the send list: at the end, or before the
// selected entry (at the top when none is).
static void add_file(HWND dialog, bool insert)
{
    HWND files = item(dialog, IDC_SEND_FILES);
    LRESULT line = selected_line(files, false);
    if (line == LB_ERR) return;
    std::string name = list_text(files, line);
    char path[SEND_PATH_SIZE];
    if (!send_path_join(path, send_folder, name.c_str())) {
        char text[MAX_PATH + 96];
        std::snprintf(text, sizeof text, "\"%s\"はﾊﾟｽ名が長すぎるため追加できません", name.c_str());
        MessageBoxA(dialog, text, SEND_CAPTION, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    HWND list = item(dialog, IDC_SEND_LIST);
    if (!insert) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
        return;
    }
    LRESULT before = selected_line(list, false);
    SendMessageA(list, LB_INSERTSTRING, before == LB_ERR ? 0 : static_cast<WPARAM>(before),
                 reinterpret_cast<LPARAM>(path));
}

static void delete_entry(HWND dialog)
{
    HWND list = item(dialog, IDC_SEND_LIST);
    LRESULT line = selected_line(list, false);
    if (line == LB_ERR) return;
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(line), 0);
    // The entry now at the same place; none after deleting the last one.
    if (line < SendMessageA(list, LB_GETCOUNT, 0, 0)) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

// The name of a list file chosen in the open or save dialog; false on Cancel or an
// empty name.
static bool choose_list_file(HWND dialog, bool save, char* name)
{
    name[0] = '\0';
    OPENFILENAMEA ofn = {};
    // The structure without the Windows 2000 additions, which every system takes.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = LIST_FILTER;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name;
    ofn.nMaxFile = SEND_PATH_MAX;
    ofn.lpstrTitle = save ? SAVE_TITLE : LOAD_TITLE;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    return chosen && name[0] != '\0';
}

static void save_list(HWND dialog) noexcept
{
    std::string bytes;
    try {
        std::vector<std::string> entries = send_list_entries(dialog);
        if (entries.empty()) return;
        bytes = send_list_format(entries);
    } catch (const std::exception&) {
        MessageBeep(MB_ICONEXCLAMATION);  // no memory for the list's bytes: nothing to save
        return;
    }
    char name[SEND_PATH_SIZE];
    if (!choose_list_file(dialog, true, name)) return;
    HANDLE file = transfer_create_file(dialog, name, SAVE_TITLE);
    if (!file) return;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    // A list cut short by a full disk must not pass for saved.
    if (!ok || written != bytes.size()) transfer_tell_unwritten(dialog, name, SAVE_TITLE, nullptr);
}

// The file's bytes, SEND_LIST_FILE_MAX + 1 at most (one more than a list may have
// tells a file that is too long). False when it could not be opened or read.
static bool read_list_file(const char* name, std::string* bytes)
{
    HANDLE file = disk_file_open(name, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->resize(SEND_LIST_FILE_MAX + 1);
    std::size_t total = 0;
    DWORD got = 0;
    BOOL ok = TRUE;
    while (total < bytes->size() &&
           (ok = ReadFile(file, &(*bytes)[total], static_cast<DWORD>(bytes->size() - total), &got, nullptr)) && got > 0)
        total += got;
    CloseHandle(file);
    bytes->resize(total);
    return ok != FALSE;
}

// A file that is not a send list: the list stays as it was.
static void tell_not_a_list(HWND dialog, const char* name, SendListCheck check)
{
    char text[MAX_PATH + 128];
    if (check == SEND_LIST_TOO_LONG)
        std::snprintf(text, sizeof text, "\"%s\"はﾌｧｲﾙ数が%d個を超えるため読込めません", name,
                      static_cast<int>(SEND_LIST_MAX));
    else
        std::snprintf(text, sizeof text, "\"%s\"は送信ﾌｧｲﾙﾘｽﾄではありません", name);
    MessageBoxA(dialog, text, LOAD_TITLE, MB_OK | MB_ICONEXCLAMATION);
}

static void load_list(HWND dialog) noexcept
{
    char name[SEND_PATH_SIZE];
    if (!choose_list_file(dialog, false, name)) return;
    // A failed load leaves the list as it was.
    try {
        std::string bytes;
        if (!read_list_file(name, &bytes)) {
            transfer_tell_unopened(dialog, name, LOAD_TITLE);
            return;
        }
        std::vector<std::string> entries;
        SendListCheck check =
            send_list_read(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &entries);
        if (check != SEND_LIST_OK) {
            tell_not_a_list(dialog, name, check);
            return;
        }
        fill_send_list(dialog, entries);
    } catch (const std::exception&) {
        transfer_tell_unopened(dialog, name, LOAD_TITLE);
    }
}

// The port's own copy of the list, in 260-byte slots; null when memory is short.
static char (*port_copy(const std::vector<std::string>& entries))[SEND_PATH_SIZE]
{
    auto* copy = static_cast<char(*)[SEND_PATH_SIZE]>(std::calloc(entries.size(), SEND_PATH_SIZE));
    if (!copy) return nullptr;
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::strncpy(copy[i], entries[i].c_str(), SEND_PATH_MAX);
    return copy;
}

// OK: the list becomes the last list and, in accepted_list, the one to send; the
// dialog's result is the chosen port's window.
static HWND accept(HWND dialog)
{
    last_send_list.clear();
    HWND window = transfer_selected_port(item(dialog, IDC_SEND_PORT));
    // The port may have been closed while the dialog was open (its window's close
    // box works meanwhile), or have begun another send.
    Port* port = port_from_window(window);
    if (!port || !idle_connected(port)) return nullptr;
    std::vector<std::string> entries;
    try {
        entries = send_list_entries(dialog);
        if (entries.empty()) return nullptr;
        last_send_list = entries;
    } catch (const std::exception&) {
        last_send_list.clear();
        return nullptr;
    }
    char(*copy)[SEND_PATH_SIZE] = port_copy(entries);
    if (!copy) {
        last_send_list.clear();
        return nullptr;
    }
    accepted_list = copy;
    accepted_count = static_cast<std::int32_t>(entries.size());
    return window;
}

static void init_dialog(HWND dialog)
{
    HWND ports = item(dialog, IDC_SEND_PORT);
    if (transfer_fill_ports(ports, idle_connected) == 0) {
        EndDialog(dialog, 0);
        return;
    }
    SendMessageA(ports, CB_SETCURSEL, 0, 0);
    fill_file_types(dialog);
    fill_drives(dialog);
    fill_browser(dialog);
    fill_send_list(dialog, last_send_list);
}

static void command(HWND dialog, int id, int notification)
{
    switch (id) {
    case IDC_SEND_FILE_TYPE:
        if (notification == CBN_SELCHANGE) {
            HWND combo = item(dialog, IDC_SEND_FILE_TYPE);
            LRESULT data = SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected_line(combo, true)), 0);
            if (data != CB_ERR) std::strcpy(send_filter, reinterpret_cast<const char*>(data));
            fill_files(dialog);
        }
        break;
    case IDC_SEND_DRIVE:
        if (notification == CBN_SELCHANGE) {
            HWND combo = item(dialog, IDC_SEND_DRIVE);
            LRESULT letter = SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected_line(combo, true)), 0);
            bool same = send_folder[1] == ':' && static_cast<char>(letter) == send_folder_drive(send_folder);
            if (letter != CB_ERR && !same) {
                std::snprintf(send_folder, sizeof send_folder, "%c:", static_cast<char>(letter));
                fill_browser(dialog);
            }
        }
        break;
    case IDC_SEND_FOLDERS:
        if (notification == LBN_DBLCLK) open_folder(dialog);
        break;
    case IDC_SEND_FILES:
        if (notification == LBN_DBLCLK) add_file(dialog, false);
        break;
    case IDC_SEND_ADD:
        add_file(dialog, false);
        break;
    case IDC_SEND_INSERT:
        add_file(dialog, true);
        break;
    case IDC_SEND_DELETE:
        delete_entry(dialog);
        break;
    case IDC_SEND_CLEAR:
        SendMessageA(item(dialog, IDC_SEND_LIST), LB_RESETCONTENT, 0, 0);
        break;
    case IDC_SEND_SAVE:
        save_list(dialog);
        break;
    case IDC_SEND_LOAD:
        load_list(dialog);
        break;
    case IDC_SEND_OK:
        EndDialog(dialog, reinterpret_cast<INT_PTR>(accept(dialog)));
        break;
    case IDC_SEND_CANCEL:
    case IDCANCEL:  // Esc and the close box
        EndDialog(dialog, 0);
        break;
    case IDOK: {
        // Enter: the dialog has no default button, so the system reports it as IDOK.
        // It opens a folder or adds a file when their list has the focus.
        HWND focus = GetFocus();
        if (focus == item(dialog, IDC_SEND_FOLDERS)) open_folder(dialog);
        if (focus == item(dialog, IDC_SEND_FILES)) add_file(dialog, false);
        break;
    }
    }
}

static INT_PTR CALLBACK file_send_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) noexcept
{
    if (message != WM_INITDIALOG && message != WM_COMMAND) return FALSE;
    try {
        if (message == WM_INITDIALOG)
            init_dialog(dialog);
        else
            command(dialog, LOWORD(wparam), HIWORD(wparam));
    } catch (const std::exception&) {
        // No memory for a listing or a list: what the command had done stays, and
        // the dialog goes on.
        MessageBeep(MB_ICONEXCLAMATION);
    }
    return TRUE;
}

Port* file_send_dialog(HWND frame)
{
    accepted_list = nullptr;
    accepted_count = 0;
    INT_PTR result = DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_FILE_SEND), frame, file_send_dialog_proc, 0);
    char(*list)[SEND_PATH_SIZE] = accepted_list;
    std::int32_t count = accepted_count;
    accepted_list = nullptr;
    // Taken again: the dialog's loop has ended since OK found it open.
    Port* port = result == 0 || result == -1 ? nullptr : port_from_window(reinterpret_cast<HWND>(result));
    if (!port || !list || !idle_connected(port)) {
        std::free(list);
        return nullptr;
    }
    port->send_list = list;
    port->send_list_count = count;
    return port;
}
