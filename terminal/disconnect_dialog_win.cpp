// The disconnect dialog; see disconnect_dialog_win.h. The lines' item data are the
// ports' windows: a port may be closed while the dialog runs (its window's close box,
// a close posted to the frame) and another opened in its place, so the chosen one is
// taken again from its window once the dialog has ended.
#include "terminal/disconnect_dialog_win.h"

#include <cstring>
#include <vector>

#include "resources/resource.h"
#include "terminal/list_dialog_win.h"
#include "terminal/port_win.h"

// The lines being collected while for_each_port runs; UI thread only.
static std::vector<ListDialogEntry>* collecting;

static void add_port_line(Port* port)
{
    ListDialogEntry entry = {};
    const char* name = port->long_name ? port->long_name(port) : "";
    std::strncpy(entry.text, name, sizeof entry.text - 1);
    entry.data = reinterpret_cast<LPARAM>(port_window(port));
    collecting->push_back(entry);
}

Port* disconnect_dialog(HWND owner)
{
    std::vector<ListDialogEntry> lines;
    collecting = &lines;
    for_each_port(add_port_line);
    collecting = nullptr;
    LPARAM chosen = list_dialog_run(owner, IDD_DISCONNECT, lines.data(), static_cast<int>(lines.size()));
    return port_from_window(reinterpret_cast<HWND>(chosen));
}

void disconnect_command(HWND owner)
{
    if (Port* port = disconnect_dialog(owner)) close_port(port);
}
