// The last session: with "reopen ports" on (section "velkaro", command 804), the ports
// open at the program's end are written to "velkaro" with their windows' places and
// the active one, and opened again at the next start in that layout. UI thread only.
//
// Keys of "velkaro": "reopen ports" (0, 1), "session ports" (how many), "session
// port N" (1-based, the port as the command line names it), "session listen N" (a
// server's listening address, when not every address), "session place N"
// ("left,top,right,bottom,shown") and "session active" (N of the active window, 0
// for none).
#pragma once

#include "app/command_line.h"
#include "app/last_session.h"

// The session as the settings file holds it, read as untrusted text: an entry whose
// port does not parse keeps its text in name with named false; one without a
// usable place has placed false.
struct LastSessionEntry {
    char name[COMMAND_LINE_TEXT_SIZE];
    bool named;
    CommandLinePort port;
    bool placed;
    SessionPlace place;
};
struct LastSession {
    LastSessionEntry entries[COMMAND_LINE_MAX_PORTS];
    int count;
    int active;  // 1-based; 0 for none
};

// Start-up: reads "reopen ports".
void last_session_load();
// A run of sequences leaves the settings file as it is: no session is opened or
// written for it.
void last_session_keep_as_is();
bool last_session_reopen_on();
// Command 804: "reopen ports" flipped and written at once.
void last_session_toggle();
void last_session_read(LastSession* out);
// The orderly end, before the ports close: the session written, when on.
void last_session_save();
// Start, with no port named on the command line: the session opened, when on. The
// ports that do not open are told in one message.
void last_session_reopen();
