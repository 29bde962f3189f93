// What a terminal window shows beside the received bytes: the arrival-time gutter
// (command 813, per window), and the port's byte counters in status-bar part 4
// (reset by command 814). UI thread only; the state lives in each Port.
#pragma once

struct Port;

// Command 813: the active window's time stamps on or off.
void toggle_time_stamps(Port* port);

// Command 814: the active port's counters start again from zero.
void reset_counters(Port* port);
// Once a second for every terminal window: takes the receive rate and, for the
// active port, shows the counters.
void counters_tick(Port* port);
// Shows the port's counters now (its window was activated).
void show_counters(Port* port);
