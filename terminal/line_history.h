// The lines sent from one terminal window's LINE input, for Ctrl+Up and Ctrl+Down:
// the newest 100, and the line the user was typing before going back, which comes
// back when the user goes down past the newest. Portable and pure; the window's
// thread owns the record (one per port, zeroed with it: an empty history) and
// nothing is stored between runs.
#pragma once
#include <cstdint>

#include "console/console.h"

constexpr int LINE_HISTORY_MAX = 100;

struct LineHistory {
    char lines[LINE_HISTORY_MAX][CONSOLE_INPUT_MAX];  // a ring; not NUL-terminated
    std::int32_t lengths[LINE_HISTORY_MAX];
    std::int32_t next;   // the slot the next line goes to
    std::int32_t count;  // lines held
    std::int32_t back;   // 0: the input line is the user's own; k: it shows the k-th newest
    char draft[CONSOLE_INPUT_MAX];
    std::int32_t draft_length;
};

// A line as typed (escapes unexpanded) has been sent: it becomes the newest, and the
// next recall starts from the line being typed again. An empty line, or one the same
// as the newest, is not kept: recalling goes to the last different command at once,
// as a shell does with repeated commands.
void line_history_add(LineHistory* history, const char* text, int length);

// Ctrl+Up (step -1, older) or Ctrl+Down (step 1, newer). current is the input line as
// it stands; leaving the user's own line keeps it as the draft. Returns false when
// there is nothing further that way (the input line stays as it is); otherwise *text
// and *length are what the input line shows now: a kept line, or the draft.
bool line_history_step(LineHistory* history, int step, const char* current, int current_length,
                       const char** text, int* length);
