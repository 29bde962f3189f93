// Saving what a console shows; see save_shown_win.h.
//
// The selection is taken as byte numbers when the command starts: received data
// clears the selection while the dialog is open, and the text may move or lose its
// front meanwhile. What is left of the range when the file is written is saved.
#include "transfer/save_shown_win.h"

#include <cstdint>

#include "base/app_record_win.h"
#include "console/console_selection.h"
#include "console/console_stamped.h"
#include "console/console_win.h"
#include "resources/transfer_ids.h"
#include "terminal/port_win.h"
#include "transfer/transfer_win.h"

static const char SAVE_CAPTION[] = "表示内容をﾌｧｲﾙに保存";

struct SaveRequest {
    bool has_selection;
    std::uint64_t from, to;  // byte numbers of the selection, [from, to)
    char name[MAX_PATH - 1];
    bool selection_only;
    bool time_stamps;
};

static INT_PTR CALLBACK save_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        const SaveRequest* request = reinterpret_cast<const SaveRequest*>(lparam);
        CheckDlgButton(dialog, IDC_SAVE_SELECTION, request->has_selection ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(dialog, IDC_SAVE_SELECTION), request->has_selection ? TRUE : FALSE);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    SaveRequest* request = reinterpret_cast<SaveRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wparam)) {
    case IDC_SAVE_BROWSE:
        transfer_browse_save(dialog, IDC_SAVE_FILE, SAVE_CAPTION);
        return TRUE;
    case IDOK:
        GetDlgItemTextA(dialog, IDC_SAVE_FILE, request->name, sizeof request->name);
        if (request->name[0] == '\0') return TRUE;  // nothing named: the dialog stays
        request->selection_only = IsDlgButtonChecked(dialog, IDC_SAVE_SELECTION) == BST_CHECKED;
        request->time_stamps = IsDlgButtonChecked(dialog, IDC_SAVE_TIME_STAMPS) == BST_CHECKED;
        EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

struct FileWriter {
    HANDLE file;
};

static bool write_file(void* context, const unsigned char* bytes, std::size_t length)
{
    HANDLE file = static_cast<FileWriter*>(context)->file;
    while (length > 0) {
        const DWORD piece = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, bytes, piece, &written, nullptr) || written != piece) return false;
        bytes += piece;
        length -= piece;
    }
    return true;
}

// The bytes under the console's lock: [from, to) of the text as it is now.
static bool write_shown(Port* port, const SaveRequest& request, HANDLE file)
{
    Console* console = &port->console;
    FileWriter writer{file};
    console_lock(console);
    const std::uint64_t first = console_first_byte_number(console);
    const std::uint32_t used = console_text_length(console);
    std::uint64_t from = 0, to = used;
    if (request.selection_only) {
        from = request.from < first ? 0 : request.from - first;
        to = request.to < first ? 0 : request.to - first;
        if (to > used) to = used;
        if (from > to) from = to;
    }
    bool ok;
    if (request.time_stamps)
        ok = console_write_stamped(console, static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to),
                                   write_file, &writer);
    else
        ok = to <= from || write_file(&writer, console_text_at(console, static_cast<std::uint32_t>(from)), to - from);
    console_unlock(console);
    return ok;
}

void save_shown_command(HWND frame, Port* port)
{
    if (!port) return;
    SaveRequest request = {};
    Console* console = &port->console;
    console_lock(console);
    const SelectionRange range = console_selection_range(console);
    request.has_selection = console->selection.selection_state == 3 && range.lo >= 0;
    if (request.has_selection) {
        const std::uint64_t first = console_first_byte_number(console);
        request.from = first + static_cast<std::uint32_t>(range.lo);
        request.to = first + static_cast<std::uint32_t>(range.hi) + 1;
    }
    console_unlock(console);
    if (DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_SAVE_SHOWN), frame, save_dialog_proc,
                        reinterpret_cast<LPARAM>(&request)) != 1)
        return;
    HANDLE file = transfer_create_file(frame, request.name, SAVE_CAPTION);
    if (!file) return;
    const bool ok = write_shown(port, request, file);
    if (!CloseHandle(file) || !ok) transfer_tell_unwritten(frame, request.name, SAVE_CAPTION, nullptr);
}
