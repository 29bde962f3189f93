// When a command is enabled or checked: the rules a row of the command table names,
// decided from a few facts about the frame gathered at the moment (command_state_win.h
// gathers them and applies the result). Portable and pure; any thread.
#pragma once

enum CommandRule {
    RULE_NONE,             // no rule: for the check column, no check mark
    RULE_ALWAYS,
    RULE_PORT_OPEN,        // some port is open
    RULE_ACTIVE_PORT,      // a terminal window is active
    RULE_SELECTION,        // ... and its console holds a finished selection
    RULE_TEXT,             // ... and its console holds text
    RULE_SENDING,          // ... and its file send is sending
    RULE_PAUSED,           // ... and its file send is paused
    RULE_SEND_UNDER_WAY,   // ... and its file send is sending or paused
    RULE_LOGGING,          // ... and its receive log is on
    RULE_TIME_STAMPS,      // ... and its window shows time stamps
    RULE_KIND_OFFERED,     // the kind named by the row's argument can be offered
    RULE_KEYS_DISABLED,    // key input is disabled for every port
    RULE_TOOLBAR_SHOWN,
    RULE_STATUS_BAR_SHOWN,
    RULE_SEQUENCE_IDLE,     // a terminal window is active and its port runs no sequence
    RULE_SEQUENCE_RUNNING,  // ... and its port runs one
    RULE_LINE_FREE,        // the active port's modem line (the argument: 0 DTR, 1 RTS, 2 Break) is the user's
    RULE_LINE_ON,          // ... and that output line (0 DTR, 1 RTS) is on
    RULE_REOPEN_PORTS,     // the last session's ports open at start
    RULE_SEND_TO_ALL,      // what a window sends goes to every connected port
};

constexpr int COMMAND_KIND_LIMIT = 8;  // kinds 0 to 7

struct CommandFacts {
    bool port_open;
    bool active_port;
    bool selection;
    bool text;
    bool sending;
    bool paused;
    bool logging;
    bool time_stamps;
    bool keys_disabled;
    bool toolbar_shown;
    bool status_bar_shown;
    bool sequence_running;
    bool kind_offered[COMMAND_KIND_LIMIT];
    bool line_free[3];     // the active port's DTR, RTS and Break may be used
    bool line_on[2];       // its DTR and RTS are on
    bool reopen_ports;
    bool send_to_all;
};

// Whether the rule holds; RULE_NONE never does, an argument outside the kinds neither.
bool command_rule_holds(int rule, int argument, const CommandFacts& facts);
