// The states of a port's file send (Port::send_state), for everything that reads or
// changes it: the file send and its dialog, and the terminal window, which refuses
// input while a send runs. Portable.
#pragma once

enum SendState : long {
    SEND_IDLE = 0,      // no file send runs
    SEND_SENDING = 1,
    SEND_PAUSED = 3,
    SEND_STOPPING = 4,  // aborted or the port closing: the thread ends at its next test
};
