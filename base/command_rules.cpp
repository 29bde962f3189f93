// The command rules; see command_rules.h.
#include "base/command_rules.h"

bool command_rule_holds(int rule, int argument, const CommandFacts& facts)
{
    switch (rule) {
    case RULE_ALWAYS:
        return true;
    case RULE_PORT_OPEN:
        return facts.port_open;
    case RULE_ACTIVE_PORT:
        return facts.active_port;
    case RULE_SELECTION:
        return facts.active_port && facts.selection;
    case RULE_TEXT:
        return facts.active_port && facts.text;
    case RULE_SENDING:
        return facts.active_port && facts.sending;
    case RULE_PAUSED:
        return facts.active_port && facts.paused;
    case RULE_SEND_UNDER_WAY:
        return facts.active_port && (facts.sending || facts.paused);
    case RULE_LOGGING:
        return facts.active_port && facts.logging;
    case RULE_TIME_STAMPS:
        return facts.active_port && facts.time_stamps;
    case RULE_KIND_OFFERED:
        return argument >= 0 && argument < COMMAND_KIND_LIMIT && facts.kind_offered[argument];
    case RULE_KEYS_DISABLED:
        return facts.keys_disabled;
    case RULE_TOOLBAR_SHOWN:
        return facts.toolbar_shown;
    case RULE_STATUS_BAR_SHOWN:
        return facts.status_bar_shown;
    case RULE_SEQUENCE_IDLE:
        return facts.active_port && !facts.sequence_running;
    case RULE_SEQUENCE_RUNNING:
        return facts.active_port && facts.sequence_running;
    case RULE_LINE_FREE:
        return facts.active_port && argument >= 0 && argument < 3 && facts.line_free[argument];
    case RULE_LINE_ON:
        return facts.active_port && argument >= 0 && argument < 2 && facts.line_on[argument];
    case RULE_REOPEN_PORTS:
        return facts.reopen_ports;
    case RULE_SEND_TO_ALL:
        return facts.send_to_all;
    }
    return false;
}
