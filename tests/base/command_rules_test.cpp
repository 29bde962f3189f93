// The command rules, table-driven: each rule against the facts that should and
// should not make it hold, above all the state a port leaves behind once no terminal
// window is active.
#include "base/command_rules.h"

#include <gtest/gtest.h>

namespace {

CommandFacts none() { return CommandFacts{}; }

CommandFacts active(void (*more)(CommandFacts&))
{
    CommandFacts facts{};
    facts.port_open = facts.active_port = true;
    if (more) more(facts);
    return facts;
}

// The facts of a port whose window is no longer active: its selection, text, file
// send and log are still there, but no command of the active port may hold.
CommandFacts inactive_leftovers()
{
    CommandFacts facts{};
    facts.port_open = true;
    facts.selection = facts.text = facts.sending = facts.paused = facts.logging = facts.time_stamps = true;
    return facts;
}

struct RuleCase {
    const char* name;
    int rule;
    int argument;
    CommandFacts facts;
    bool holds;
};

TEST(CommandRules, EachRuleAgainstItsFacts)
{
    CommandFacts offered_network{};
    offered_network.kind_offered[3] = true;
    const RuleCase cases[] = {
        {"none never holds", RULE_NONE, 0, active([](CommandFacts& f) { f.selection = true; }), false},
        {"always", RULE_ALWAYS, 0, none(), true},
        {"port open", RULE_PORT_OPEN, 0, inactive_leftovers(), true},
        {"no port open", RULE_PORT_OPEN, 0, none(), false},
        {"active port", RULE_ACTIVE_PORT, 0, active(nullptr), true},
        {"selection", RULE_SELECTION, 0, active([](CommandFacts& f) { f.selection = true; }), true},
        {"no selection", RULE_SELECTION, 0, active(nullptr), false},
        {"selection left by an inactive port", RULE_SELECTION, 0, inactive_leftovers(), false},
        {"text", RULE_TEXT, 0, active([](CommandFacts& f) { f.text = true; }), true},
        {"text left by an inactive port", RULE_TEXT, 0, inactive_leftovers(), false},
        {"sending", RULE_SENDING, 0, active([](CommandFacts& f) { f.sending = true; }), true},
        {"paused is not sending", RULE_SENDING, 0, active([](CommandFacts& f) { f.paused = true; }), false},
        {"paused", RULE_PAUSED, 0, active([](CommandFacts& f) { f.paused = true; }), true},
        {"under way while sending", RULE_SEND_UNDER_WAY, 0, active([](CommandFacts& f) { f.sending = true; }), true},
        {"under way while paused", RULE_SEND_UNDER_WAY, 0, active([](CommandFacts& f) { f.paused = true; }), true},
        {"idle is not under way", RULE_SEND_UNDER_WAY, 0, active(nullptr), false},
        {"send left by an inactive port", RULE_SEND_UNDER_WAY, 0, inactive_leftovers(), false},
        {"logging", RULE_LOGGING, 0, active([](CommandFacts& f) { f.logging = true; }), true},
        {"log left by an inactive port", RULE_LOGGING, 0, inactive_leftovers(), false},
        {"time stamps", RULE_TIME_STAMPS, 0, active([](CommandFacts& f) { f.time_stamps = true; }), true},
        {"time stamps of an inactive port", RULE_TIME_STAMPS, 0, inactive_leftovers(), false},
        {"kind offered", RULE_KIND_OFFERED, 3, offered_network, true},
        {"another kind not offered", RULE_KIND_OFFERED, 4, offered_network, false},
        {"kind below the table", RULE_KIND_OFFERED, -1, offered_network, false},
        {"kind above the table", RULE_KIND_OFFERED, COMMAND_KIND_LIMIT, offered_network, false},
        {"keys disabled without a port", RULE_KEYS_DISABLED, 0,
         [] { CommandFacts f{}; f.keys_disabled = true; return f; }(), true},
        {"toolbar hidden", RULE_TOOLBAR_SHOWN, 0, active(nullptr), false},
        {"status bar shown", RULE_STATUS_BAR_SHOWN, 0, [] { CommandFacts f{}; f.status_bar_shown = true; return f; }(),
         true},
        {"no sequence runs", RULE_SEQUENCE_IDLE, 0, active(nullptr), true},
        {"a sequence runs", RULE_SEQUENCE_IDLE, 0, active([](CommandFacts& f) { f.sequence_running = true; }), false},
        {"no window, no sequence to start", RULE_SEQUENCE_IDLE, 0, inactive_leftovers(), false},
        {"stop while one runs", RULE_SEQUENCE_RUNNING, 0, active([](CommandFacts& f) { f.sequence_running = true; }),
         true},
        {"reopen ports without a port", RULE_REOPEN_PORTS, 0,
         [] { CommandFacts f{}; f.reopen_ports = true; return f; }(), true},
        {"unknown rule", 999, 0, active(nullptr), false},
        {"RTS free", RULE_LINE_FREE, 1, active([](CommandFacts& f) { f.line_free[1] = true; }), true},
        {"DTR not free when RTS is", RULE_LINE_FREE, 0, active([](CommandFacts& f) { f.line_free[1] = true; }), false},
        {"line past Break", RULE_LINE_FREE, 3, active([](CommandFacts& f) { f.line_free[2] = true; }), false},
        {"DTR on", RULE_LINE_ON, 0, active([](CommandFacts& f) { f.line_on[0] = true; }), true},
        {"Break has no check", RULE_LINE_ON, 2, active([](CommandFacts& f) { f.line_on[1] = true; }), false},
        {"a line of no active port", RULE_LINE_FREE, 2, [] { CommandFacts f{}; f.line_free[2] = true; return f; }(),
         false},
    };
    for (const RuleCase& c : cases) EXPECT_EQ(command_rule_holds(c.rule, c.argument, c.facts), c.holds) << c.name;
}

}  // namespace
