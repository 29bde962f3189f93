// The LINE input's history; see line_history.h. Portable and pure.
#include "terminal/line_history.h"

#include <cstring>

static int clamp_length(int length)
{
    return length < 0 ? 0 : (length > CONSOLE_INPUT_MAX ? CONSOLE_INPUT_MAX : length);
}

// The slot of the k-th newest line (k from 1 to count).
static int slot_back(const LineHistory* history, int k)
{
    return (history->next - k + 2 * LINE_HISTORY_MAX) % LINE_HISTORY_MAX;
}

void line_history_add(LineHistory* history, const char* text, int length)
{
    history->back = 0;
    history->draft_length = 0;
    length = clamp_length(length);
    if (!text || length == 0) return;
    if (history->count > 0) {
        const int newest = slot_back(history, 1);
        if (history->lengths[newest] == length &&
            std::memcmp(history->lines[newest], text, static_cast<std::size_t>(length)) == 0)
            return;
    }
    std::memcpy(history->lines[history->next], text, static_cast<std::size_t>(length));
    history->lengths[history->next] = length;
    history->next = (history->next + 1) % LINE_HISTORY_MAX;
    if (history->count < LINE_HISTORY_MAX) ++history->count;
}

bool line_history_step(LineHistory* history, int step, const char* current, int current_length,
                       const char** text, int* length)
{
    const int back = history->back - step;  // Up goes one further back
    if ((step != -1 && step != 1) || back < 0 || back > history->count) return false;
    if (history->back == 0) {
        history->draft_length = current ? clamp_length(current_length) : 0;
        if (history->draft_length > 0)
            std::memcpy(history->draft, current, static_cast<std::size_t>(history->draft_length));
    }
    history->back = back;
    if (back == 0) {
        *text = history->draft;
        *length = history->draft_length;
    } else {
        const int slot = slot_back(history, back);
        *text = history->lines[slot];
        *length = history->lengths[slot];
    }
    return true;
}
