// The frame's command identifiers (menu, toolbar, accelerators, the terminal window's
// pop-up menu) and the positions of the top-level pop-ups. Shared by the resource
// scripts and the code; plain #defines, so that windres and the portable code can
// read it too.
#pragma once

// "ﾌｧｲﾙ(&F)"
#define CMD_CONNECT_SERIAL 101
#define CMD_CONNECT_PARALLEL 102
#define CMD_CONNECT_NETWORK 103
#define CMD_CONNECT_USB 104
#define CMD_DISCONNECT 105
#define CMD_COMM_SETTINGS 106
#define CMD_TERMINAL_SETTINGS 107
#define CMD_EXIT 108
// "編集(&E)"
#define CMD_COPY 201
#define CMD_PASTE 202
#define CMD_SELECT_ALL 203
#define CMD_SELECT_ALL_COPY 204
#define CMD_CLEAR_ALL 205
#define CMD_KEY_DISABLE 206
// "表示(&V)"
#define CMD_TOOLBAR 301
#define CMD_STATUS_BAR 302
// "ﾂｰﾙ(&T)"
#define CMD_FILE_SEND 401
#define CMD_FILE_SEND_PAUSE 402
#define CMD_FILE_SEND_RESUME 403
#define CMD_FILE_SEND_ABORT 404
#define CMD_LOG_START 405
#define CMD_LOG_STOP 406
// "ｳｲﾝﾄﾞｳ(&W)"; the MDI client lists the terminal windows from CMD_FIRST_WINDOW on
#define CMD_TILE_VERTICAL 501
#define CMD_TILE_HORIZONTAL 502
#define CMD_CASCADE 503
#define CMD_CLOSE_ALL 504
#define CMD_FIRST_WINDOW 505
// "ﾍﾙﾌﾟ(&H)"
#define CMD_HELP_CONTENTS 601
#define CMD_ABOUT 602
// The console's reading aids, in the pop-ups named
#define CMD_FIND 810               // "編集(&E)"
#define CMD_FIND_NEXT 811          // "編集(&E)"
#define CMD_FIND_PREVIOUS 812      // "編集(&E)"
#define CMD_TIME_STAMPS 813        // "表示(&V)"
#define CMD_RESET_COUNTERS 814     // "表示(&V)"
#define CMD_SAVE_SHOWN 815         // "ﾌｧｲﾙ(&F)"
// Sequences, in "ﾂｰﾙ(&T)"
#define CMD_SEQUENCE_RUN 850
#define CMD_SEQUENCE_STOP 851
// The active serial port's modem lines, in "ﾂｰﾙ(&T)"
#define CMD_DTR 801
#define CMD_RTS 802
#define CMD_SEND_BREAK 803
// Sessions
#define CMD_REOPEN_PORTS 804       // "ﾌｧｲﾙ(&F)"
// Sending, in "ﾂｰﾙ(&T)"
#define CMD_SEND_BYTES 820
#define CMD_SEND_TO_ALL 821
// F1 to F12
#define CMD_FUNCTION_KEY_1 700
#define CMD_FUNCTION_KEY_12 711
// Shift+F1 to Shift+F12: the second bank of function keys
#define CMD_SHIFT_FUNCTION_KEY_1 830
#define CMD_SHIFT_FUNCTION_KEY_12 841

// Top-level pop-ups by position (the command table takes these as identifiers 0 to 5).
#define MENU_FILE 0
#define MENU_EDIT 1
#define MENU_VIEW 2
#define MENU_TOOLS 3
#define MENU_WINDOW 4
#define MENU_HELP 5
