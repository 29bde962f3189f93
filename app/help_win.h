// HTML Help: the table of contents of tavex.chm (command 601), context help (F1 in a
// dialog, a settings page or on a menu item, and the "ﾍﾙﾌﾟ" button of the property
// sheets), the help library's share of the message loop, and closing its windows at
// the end. The library is loaded on first use. UI thread only.
#pragma once
#include <windows.h>

#include <string>

// What command 601 opens: the contents of tavex.chm next to the program, in the
// window type "Tavex01".
std::string help_topic();
void help_show_contents(HWND frame);
// The page (with its anchor) of a context number (resources/help_topics.h); none when
// the number has no page.
const char* help_context_page(DWORD context);
// Opens the page of a context number; the contents when the number has no page.
void help_show_context(HWND frame, DWORD context);
// The frame's WM_HELP. F1 in a dialog or a settings page reaches the frame (each
// window hands WM_HELP to its parent or owner): the page of the nearest window that
// carries a help context, which every dialog template names. F1 on a menu item opens
// its command's page. F1 in the frame and its terminal windows opens nothing: there
// it is function key 1.
void help_on_request(HWND frame, const HELPINFO* info);
// True when the help library took the message (only once it is loaded).
bool help_pretranslate(MSG* msg);
// The orderly end: closes the help windows, if any.
void help_close_windows(HWND frame);
// WM_DESTROY of the frame: hands the library its cookie back.
void help_uninitialize();
