// The command table's rows and the state of the commands in the frame menu and the
// toolbar. The table itself is the frame's (app/commands_win.cpp): it installs it
// here with the function that gathers the facts its rules read, and every module
// that changes one of those facts calls command_state_refresh(). UI thread, and
// engine and file-send threads for the refresh (the toolbar part is a sent message:
// the caller waits for the UI thread).
#pragma once
#include <windows.h>

#include "base/command_rules.h"

struct Port;  // terminal/'s record; the rows only pass it to their handlers

// One command, or a bank of `count` commands from `id` on that share one action: a
// bank's handler gets `argument` plus the command's place in the bank, and so does
// its accelerator key. Identifiers 0 to 5 are the top-level pop-ups at that
// position (enable rule only). A row with `needs_port` does nothing without an
// active terminal window.
struct CommandRow {
    int id;
    int count;
    void (*run)(HWND frame, Port* port, int argument);
    bool needs_port;
    int enable;  // CommandRule
    int check;   // CommandRule of the check mark of the menu item and button; RULE_NONE
    int argument;
    WORD accelerator_key;   // 0: none
    BYTE accelerator_flags; // FVIRTKEY, FCONTROL, ...; 0: the key is a character
    int toolbar_slot;       // 0: no button; tens: group (a separator before each), ones: order
    int toolbar_image;
    const char* tooltip;
};

// Puts the table in use and forgets what was applied to any earlier menu.
void command_state_install(const CommandRow* rows, int count, void (*gather)(CommandFacts* facts));
// Forgets what was applied, so that the next refresh applies every rule (a toolbar
// made after the menu).
void command_state_forget();
// The row that holds the command; null for none.
const CommandRow* command_row_of(int id);
const CommandRow* command_rows(int* count);
// Decides every rule from the facts now and applies what changed to the menu and the
// toolbar. Does nothing while the frame has no menu.
void command_state_refresh();
// The accelerator table made from the rows; null on failure. The caller destroys it.
HACCEL command_accelerators_create();
