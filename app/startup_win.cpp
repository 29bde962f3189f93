// Start-up in its fixed order, the run and the end. UI thread only. Any start-up
// step that fails ends the program at once with exit code 0 and shows nothing.
#include "app/startup_win.h"

#include <commctrl.h>

#include "app/bars_win.h"
#include "app/command_line_win.h"
#include "app/frame_win.h"
#include "app/last_session_win.h"
#include "app/unattended_win.h"
#include "base/command_state_win.h"
#include "base/data_folder_win.h"
#include "base/os_check.h"
#include "base/settings.h"
#include "ports/port_kinds_win.h"
#include "resources/commands.h"
#include "terminal/display_settings.h"
#include "terminal/display_settings_win.h"
#include "terminal/port_kind_registry_win.h"
#include "terminal/port_win.h"
#include "terminal/terminal_window_win.h"
#include "transfer/file_send_win.h"

bool startup_check_os()
{
    // The plain structure: 148 bytes, as on every system the program may meet.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
    bool known = GetVersionExA(&version) != 0;
    int family = os_family_decide(known, version.dwPlatformId, version.dwMajorVersion,
                                  version.dwMinorVersion);
    if (family == OS_FAMILY_REFUSED) return false;
    app.os_family = family;
    return true;
}

void startup_discover_ports()
{
    // A kind is grayed only when it cannot be offered at all: the serial kind always
    // can (with no COM port its command is offered and does nothing).
    port_kinds_discover(app.os_family);
}

// A run started with /run: an instance of its own, ending with its own exit code.
static bool unattended;

// Steps that create what the run needs. Returns false at the first failure.
bool app_startup(HINSTANCE instance, int show_command, const char* hand_over, bool own_instance)
{
    app.instance = instance;
    if (!startup_check_os()) return false;
    if (!own_instance && frame_raise_other_instance(hand_over)) return false;
    // A start folder that cannot keep the settings (an installed copy's own folder)
    // gives way to the user's data folder before anything is read from it.
    data_folder_choose();
    // The settings path cannot fail the start-up: too long a directory means a run on
    // defaults with nothing written.
    settings_path_init();
    port_kinds_register();
    InitCommonControls();
    if (!frame_register_class(instance)) return false;
    if (!terminal_window_register(instance)) return false;
    HWND frame = frame_create(instance);
    if (!frame) return false;
    create_toolbar(frame);
    create_status_bar(frame);
    DWORD length = GetCurrentDirectoryA(sizeof app.start_directory, app.start_directory);
    if (length == 0 || length >= sizeof app.start_directory) app.start_directory[0] = '\0';
    if (!frame_create_mdi_client(frame)) return false;
    load_display_settings();
    command_state_refresh();
    file_send_load_settings();
    last_session_load();
    ShowWindow(frame, show_command);
    ShowWindow(app.mdi_client, show_command);
    UpdateWindow(frame);
    // The kinds' discovery (the port names, the socket library, the USB device list
    // and host-controller probe, each loading its DLL at its first call) comes after
    // the frame is shown: it is most of what start-up would otherwise make the user
    // wait for. It still ends before the message loop runs, so no command and no
    // other program's message reaches the frame before the connect commands of the
    // kinds that cannot be offered are grayed.
    startup_discover_ports();
    if (unattended) unattended_start(frame);
    return true;
}

void app_teardown(HINSTANCE instance)
{
    if (app.frame_window) DestroyWindow(app.frame_window);
    terminal_window_unregister(instance);
    frame_unregister_class(instance);
}

void startup_open_ports(const CommandLine* line)
{
    if (line->port_count > 0) {
        command_line_open_ports(line, nullptr);
    } else {
        last_session_reopen();
    }
}

int app_main(HINSTANCE instance, int show_command, const char* command_line)
{
    // The record is large (64 ports with their paths): not on the stack.
    static CommandLine line;
    command_line_parse(command_line, &line);
    // An unattended run tells a refused command line by its exit code and its result,
    // never in a box nobody reads; it opens its own ports and leaves the last session
    // as it is.
    unattended = unattended_wanted(command_line);
    if (!unattended) {
        if (line.help) {
            command_line_show_syntax();
            return 0;
        }
        if (line.error != COMMAND_LINE_OK) {
            command_line_show_refusal(&line);
            return 0;
        }
    }
    const bool own_instance = unattended || command_line_runs_sequences(&line);
    if (own_instance) last_session_keep_as_is();
    int exit_code = 0;
    if (app_startup(instance, show_command, line.port_count > 0 ? command_line : nullptr, own_instance)) {
        if (!unattended) startup_open_ports(&line);
        exit_code = frame_message_loop();
    }
    app_teardown(instance);
    if (unattended) exit_code = unattended_exit_code();
    return exit_code;
}
