// The command table's state in the menu and toolbar; see command_state_win.h. The
// menu belongs to the frame; the calls here only change item states, which user32
// allows from any thread. What was applied last is kept per row so that a refresh,
// which the receive path may call, touches only what changed: each row's state is
// swapped in one interlocked step, so two threads refreshing at once each apply a
// change at most once, and the later facts win.
#include "base/command_state_win.h"

#include <windows.h>
#include <commctrl.h>

#include "base/app_record_win.h"
#include "resources/commands.h"

constexpr int ROW_LIMIT = 64;
constexpr LONG APPLIED = 1, ENABLED = 2, CHECKED = 4;

static const CommandRow* table = nullptr;
static int table_size = 0;
static void (*gather_facts)(CommandFacts* facts) = nullptr;
static volatile LONG applied[ROW_LIMIT];

void command_state_install(const CommandRow* rows, int count, void (*gather)(CommandFacts* facts))
{
    table = rows;
    table_size = count < ROW_LIMIT ? count : ROW_LIMIT;
    gather_facts = gather;
    command_state_forget();
}

void command_state_forget()
{
    for (volatile LONG& state : applied) InterlockedExchange(&state, 0);
}

const CommandRow* command_row_of(int id)
{
    for (int i = 0; i < table_size; ++i)
        if (id >= table[i].id && id < table[i].id + table[i].count) return &table[i];
    return nullptr;
}

const CommandRow* command_rows(int* count)
{
    if (count) *count = table_size;
    return table;
}

static void enable_popup(HWND frame, HMENU menu, int position, bool enable)
{
    // A maximized terminal window puts its system menu first in the menu bar, and
    // every pop-up moves one place right.
    BOOL maximized = FALSE;
    if (app.mdi_client) SendMessageA(app.mdi_client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized));
    UINT place = static_cast<UINT>(position) + (maximized ? 1 : 0);
    EnableMenuItem(menu, place, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(frame);
}

static void apply(HWND frame, HMENU menu, const CommandRow& row, LONG state, LONG before)
{
    bool enable = (state & ENABLED) != 0, check = (state & CHECKED) != 0;
    if (row.id >= MENU_FILE && row.id <= MENU_HELP) {
        enable_popup(frame, menu, row.id, enable);
        return;
    }
    for (int id = row.id; id < row.id + row.count; ++id) {
        UINT item = static_cast<UINT>(id);
        if (!(before & APPLIED) || ((before ^ state) & ENABLED)) {
            EnableMenuItem(menu, item, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
            if (row.toolbar_slot && app.toolbar)
                SendMessageA(app.toolbar, TB_ENABLEBUTTON, item, MAKELPARAM(enable ? TRUE : FALSE, 0));
        }
        if (row.check != RULE_NONE && (!(before & APPLIED) || ((before ^ state) & CHECKED))) {
            CheckMenuItem(menu, item, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
            if (row.toolbar_slot && app.toolbar)
                SendMessageA(app.toolbar, TB_CHECKBUTTON, item, MAKELPARAM(check ? TRUE : FALSE, 0));
        }
    }
}

void command_state_refresh()
{
    HWND frame = app.frame_window;
    HMENU menu = frame ? GetMenu(frame) : nullptr;
    if (!menu || !table || !gather_facts) return;
    CommandFacts facts = {};
    gather_facts(&facts);
    for (int i = 0; i < table_size; ++i) {
        const CommandRow& row = table[i];
        // Items are enabled and unchecked as the menu is loaded.
        if (row.enable == RULE_ALWAYS && row.check == RULE_NONE) continue;
        LONG state = APPLIED | (command_rule_holds(row.enable, row.argument, facts) ? ENABLED : 0) |
                     (command_rule_holds(row.check, row.argument, facts) ? CHECKED : 0);
        LONG before = InterlockedExchange(&applied[i], state);
        if (before != state) apply(frame, menu, row, state, before);
    }
}

HACCEL command_accelerators_create()
{
    ACCEL keys[ROW_LIMIT * 2];
    int count = 0;
    for (int i = 0; i < table_size; ++i) {
        const CommandRow& row = table[i];
        if (!row.accelerator_key) continue;
        for (int place = 0; place < row.count && count < ROW_LIMIT * 2; ++place) {
            keys[count].fVirt = row.accelerator_flags;
            keys[count].key = static_cast<WORD>(row.accelerator_key + place);
            keys[count].cmd = static_cast<WORD>(row.id + place);
            ++count;
        }
    }
    return count ? CreateAcceleratorTableA(keys, count) : nullptr;
}
