// What the file send and the receive log share: attaching both to the ports (their
// stop when a port closes, their texts when its window is activated), the notices
// through which the send thread and the log hook have the UI thread show a port's
// state, the port list of their dialogs, and the 64-bit counts one thread writes
// while others read them. UI thread, except transfer_notify and the counts.
#pragma once
#include <windows.h>

#include "terminal/port_win.h"
#include "transfer/transfer_port_win.h"

// Posted to the frame: wParam the Port whose file send or receive log changed.
constexpr UINT MSG_TRANSFER_NOTICE = WM_USER + 103;

// Send thread and engine threads: has the UI thread show the port's file-send and
// log state. Never waits: at most one notice of a port waits at a time, and the UI
// thread reads the state as it is when it gets there, so none is ever stale.
void transfer_notify(Port* port);
// The frame's MSG_TRANSFER_NOTICE: for a port still open, a log whose write failed
// ends and the user is told; then its progress and log texts and commands, when its
// console has the focus.
void transfer_notice(Port* port);

// Start-up and program end: close_port then stops a port's file send and log first,
// and an activated window shows its port's file-send and log state.
void transfer_attach();
void transfer_detach();

// Fills a drop-down list, emptied first, with the long name of every open port that
// eligible accepts, in window order; each line's item data is its port's window
// (see port_from_window). Returns how many lines it holds.
int transfer_fill_ports(HWND combo, bool (*eligible)(const Port* port));
// The window of the port on the list's selected line; null when none is selected.
// Its Port is port_from_window's, taken again after every modal loop.
HWND transfer_selected_port(HWND combo);

// Whole 64-bit reads and writes, also on 32-bit Windows, where a plain access could
// see half of an update.
LONGLONG transfer_load(volatile LONGLONG* value);
void transfer_store(volatile LONGLONG* value, LONGLONG to);

// Until *value is 0, handling sent messages: the thread being waited for may be
// waiting for the UI thread in SendMessage.
void transfer_wait_zero(volatile LONG* value);

// The message boxes about a file, captioned with the action: "\"%s\"が開けません", and
// "\"%s\"に書き込めません" followed by what that meant (null: nothing more).
void transfer_tell_unopened(HWND owner, const char* name, const char* caption);
void transfer_tell_unwritten(HWND owner, const char* name, const char* caption, const char* meaning);

// The system's "save as" dialog titled title, starting from and filling in the name
// in the dialog's edit control edit_id.
void transfer_browse_save(HWND dialog, int edit_id, const char* title);
// The system's "open" (or "save as") dialog titled title with the file types of filter,
// starting from and filling in name (MAX_PATH bytes). False when nothing was chosen.
bool transfer_choose_file(HWND owner, char* name, const char* title, const char* filter, bool save);

// Creates a file for writing, new; when that fails, asks whether to overwrite it
// (No is the default) and on Yes creates it empty, telling the user when that fails
// too. The file is shared for reading. A name that is not a file on disk (a device's,
// or one that opens something else) is refused as a file that cannot be opened,
// before any question. With port_window, the file is for that port: when the port
// has been closed by the time the question is answered, nothing is touched. Null
// when there is no file to write.
HANDLE transfer_create_file(HWND owner, const char* name, const char* caption, HWND port_window = nullptr);
