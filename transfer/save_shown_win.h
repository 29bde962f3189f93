// Command 815, "表示内容をﾌｧｲﾙに保存": the active console's bytes exactly as held (or
// the selection only), optionally with each line's time as the log writes it, into
// a file the user names. UI thread only; the console is read under its lock.
#pragma once
#include <windows.h>

struct Port;

void save_shown_command(HWND frame, Port* port);
