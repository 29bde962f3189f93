// The file send dialog (dialog 19, "ﾌｧｲﾙ送信"): the port to send through, and the
// send list built with a small file browser, saved to and loaded from .TFL files.
// Its browser folder, file type and last list carry over from one opening to the
// next for the whole run (not stored in the settings file). UI thread only; the
// program-wide state below is this module's.
#pragma once
#include <windows.h>

struct Port;

// Start-up: the file types of "file config", the folder (the current directory) and
// the filter "*.*". Program end: releases the types and the last list.
void file_send_dialog_load();
void file_send_dialog_release();

// Runs the dialog owned by the frame. Returns the chosen port with its own copy of
// the list in send_list and send_list_count (for the send thread), or null.
Port* file_send_dialog(HWND frame);
