// Command 106: the communication-settings property sheet, one page per port kind that
// offers one. UI thread only.
#pragma once
#include <windows.h>

void comm_settings_sheet(HWND frame);
