// The status bar's texts, as other modules set them.
// Callable from any thread: each call sends a message that the UI thread carries out.
#pragma once

enum StatusPart {
    STATUS_PORT_NAME = 0,
    STATUS_CONNECTION = 1,
    STATUS_FILE_SEND = 2,
    STATUS_RECEIVE_LOG = 3,
    STATUS_COUNTERS = 4,  // the active port's byte counts (terminal/reading_win.h)
    STATUS_SEQUENCE = 5,  // the active port's sequence run (transfer/sequence_run_win.h)
};

// Does nothing without a status bar.
void set_status_text(int part, const char* text);
void clear_status_texts();
