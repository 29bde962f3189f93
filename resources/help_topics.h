// Context help: the page of tavex.chm that F1 opens for each command (F1 on a menu
// item) and for each dialog and settings page (F1 anywhere in it, or its "ﾍﾙﾌﾟ"
// button). One line each: the program's map from help context numbers to pages
// (app/help_win.cpp opens the page by its path), and the table the tests check: every
// command and every dialog has its line, every page and anchor exists
// (tests/resources/help_pages_test.cpp, and the packaged help file in the install test).
//
// To add a topic: write its page in resources/help/ (UTF-8; UI texts quoted in 「」
// exactly as the program shows them), list it in tavex.hhp's [FILES], in the contents
// (tavex.hhc) and the index (tavex.hhk), link it from main_index.htm, and add a line
// here for each new command (TOPIC_COMMAND) and dialog (TOPIC_DIALOG). A new dialog
// template names its context as its help id, which is how F1 finds it:
//     IDD_X DIALOGEX 0, 0, w, h, HELP_DIALOG_CONTEXT(IDD_X)
//
// Shared by C++ and the resource compiler: plain #defines, include guards.
#ifndef TAVEX_HELP_TOPICS_H
#define TAVEX_HELP_TOPICS_H

// The help context numbers: a command's is 0x10000 + its id, a dialog's 0x20000 + its
// template id, so the two ranges never meet.
#define HELP_COMMAND_CONTEXT(id) (0x10000 + (id))
#define HELP_DIALOG_CONTEXT(id) (0x20000 + (id))

#endif

// The table itself, outside the guard: each includer defines TOPIC_COMMAND(id, page)
// and TOPIC_DIALOG(id, page) as it needs them and includes this file again.
#if defined(TOPIC_COMMAND) && defined(TOPIC_DIALOG)
#include "resources/commands.h"
#include "resources/console_ids.h"
#include "resources/network_ids.h"
#include "resources/parallel_ids.h"
#include "resources/resource.h"
#include "resources/serial_ids.h"
#include "resources/terminal_ids.h"
#include "resources/transfer_ids.h"
#include "resources/usb_ids.h"
#include "resources/send_bytes_ids.h"

TOPIC_COMMAND(CMD_CONNECT_SERIAL, "serial.htm#connect")
TOPIC_COMMAND(CMD_CONNECT_PARALLEL, "parallel.htm#connect")
TOPIC_COMMAND(CMD_CONNECT_NETWORK, "network.htm#connect")
TOPIC_COMMAND(CMD_CONNECT_USB, "usb.htm#connect")
TOPIC_COMMAND(CMD_DISCONNECT, "disconnect.htm")
TOPIC_COMMAND(CMD_COMM_SETTINGS, "comm_settings.htm")
TOPIC_COMMAND(CMD_TERMINAL_SETTINGS, "terminal_settings.htm")
TOPIC_COMMAND(CMD_EXIT, "menu.htm#file")
TOPIC_COMMAND(CMD_COPY, "terminal_window.htm#copy")
TOPIC_COMMAND(CMD_PASTE, "terminal_window.htm#paste")
TOPIC_COMMAND(CMD_SELECT_ALL, "terminal_window.htm#copy")
TOPIC_COMMAND(CMD_SELECT_ALL_COPY, "terminal_window.htm#copy")
TOPIC_COMMAND(CMD_CLEAR_ALL, "terminal_window.htm#clear")
TOPIC_COMMAND(CMD_KEY_DISABLE, "keyboard.htm#key_disable")
TOPIC_COMMAND(CMD_TOOLBAR, "toolbar.htm")
TOPIC_COMMAND(CMD_STATUS_BAR, "toolbar.htm#status_bar")
TOPIC_COMMAND(CMD_FILE_SEND, "file_send.htm")
TOPIC_COMMAND(CMD_FILE_SEND_PAUSE, "file_send.htm#sending")
TOPIC_COMMAND(CMD_FILE_SEND_RESUME, "file_send.htm#sending")
TOPIC_COMMAND(CMD_FILE_SEND_ABORT, "file_send.htm#sending")
TOPIC_COMMAND(CMD_LOG_START, "receive_log.htm")
TOPIC_COMMAND(CMD_LOG_STOP, "receive_log.htm#stop")
TOPIC_COMMAND(CMD_TILE_VERTICAL, "menu.htm#window")
TOPIC_COMMAND(CMD_TILE_HORIZONTAL, "menu.htm#window")
TOPIC_COMMAND(CMD_CASCADE, "menu.htm#window")
TOPIC_COMMAND(CMD_CLOSE_ALL, "menu.htm#window")
TOPIC_COMMAND(CMD_FIRST_WINDOW, "menu.htm#window")
TOPIC_COMMAND(CMD_HELP_CONTENTS, "main_index.htm")
TOPIC_COMMAND(CMD_ABOUT, "about.htm")
TOPIC_COMMAND(CMD_FIND, "reading.htm#find")
TOPIC_COMMAND(CMD_FIND_NEXT, "reading.htm#find")
TOPIC_COMMAND(CMD_FIND_PREVIOUS, "reading.htm#find")
TOPIC_COMMAND(CMD_TIME_STAMPS, "reading.htm#time_stamps")
TOPIC_COMMAND(CMD_RESET_COUNTERS, "reading.htm#counters")
TOPIC_COMMAND(CMD_SAVE_SHOWN, "reading.htm#save")
TOPIC_COMMAND(CMD_REOPEN_PORTS, "ports.htm#last_session")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 0, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 1, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 2, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 3, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 4, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 5, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 6, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 7, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 8, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 9, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_1 + 10, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_FUNCTION_KEY_12, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SEQUENCE_RUN, "sequences.htm")
TOPIC_COMMAND(CMD_SEQUENCE_STOP, "sequences.htm#stop")
TOPIC_COMMAND(CMD_DTR, "serial.htm#lines")
TOPIC_COMMAND(CMD_RTS, "serial.htm#lines")
TOPIC_COMMAND(CMD_SEND_BREAK, "serial.htm#lines")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 0, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 1, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 2, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 3, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 4, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 5, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 6, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 7, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 8, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 9, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_1 + 10, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SHIFT_FUNCTION_KEY_12, "keyboard.htm#function_keys")
TOPIC_COMMAND(CMD_SEND_BYTES, "sending.htm#send_bytes")
TOPIC_COMMAND(CMD_SEND_TO_ALL, "sending.htm#send_to_all")

TOPIC_DIALOG(IDD_SERIAL_CONNECT, "serial.htm#connect")
TOPIC_DIALOG(IDD_PARALLEL_CONNECT, "parallel.htm#connect")
TOPIC_DIALOG(IDD_NETWORK_CONNECT, "network.htm#connect")
TOPIC_DIALOG(IDD_USB_CONNECT, "usb.htm#connect")
TOPIC_DIALOG(IDD_DISCONNECT, "disconnect.htm")
TOPIC_DIALOG(IDD_SERIAL_PAGE, "serial.htm#settings")
TOPIC_DIALOG(IDD_PARALLEL_PAGE, "parallel.htm#settings")
TOPIC_DIALOG(IDD_NETWORK_PAGE, "network.htm#settings")
TOPIC_DIALOG(IDD_USB_PAGE, "usb.htm#settings")
TOPIC_DIALOG(IDD_DISPLAY_PAGE, "terminal_settings.htm#display")
TOPIC_DIALOG(IDD_COLOUR_PAGE, "terminal_settings.htm#colour")
TOPIC_DIALOG(IDD_FUNCTION_KEY_PAGE, "terminal_settings.htm#function_keys")
TOPIC_DIALOG(IDD_HIGHLIGHT_PAGE, "reading.htm#highlight")
TOPIC_DIALOG(IDD_FILE_SEND, "file_send.htm")
TOPIC_DIALOG(IDD_RECEIVE_LOG, "receive_log.htm")
TOPIC_DIALOG(IDD_ABOUT, "about.htm")
TOPIC_DIALOG(IDD_FIND, "reading.htm#find")
TOPIC_DIALOG(IDD_SAVE_SHOWN, "reading.htm#save")
TOPIC_DIALOG(IDD_SEND_BYTES, "sending.htm#send_bytes")
#endif
