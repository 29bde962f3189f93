// The send-bytes window; see send_bytes_window_win.h.
//
// A send is the port's paced send (terminal/paced_send_win.h), which runs on a thread
// of its own, hands the port one piece at a time and waits for it to be written: the
// window never waits, and the send queue never holds more than the piece in flight.
// A 50 ms timer shows the count while the send runs and notices its end: all sent,
// stopped by "中止" or the window's close, or ended by the port's close (which stops
// the send itself). With "send to all" on, every connected port gets a send of its
// own (window_send): the count is the active port's, "中止" stops them all. The
// window remembers its ports only to read and stop them: it asks port_is_open before
// every look, so a port closed meanwhile is never touched.
#include "app/send_bytes_window_win.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/app_record_win.h"
#include "base/command_state_win.h"
#include "resources/send_bytes_ids.h"
#include "terminal/paced_send_win.h"
#include "terminal/port_win.h"
#include "terminal/send_bytes.h"
#include "terminal/terminal_window_win.h"

constexpr UINT_PTR COUNT_TIMER = 1;
constexpr UINT COUNT_TIMER_MS = 50;

static HWND send_dialog; // null until first opened
static std::vector<SendBytesEntry> history;

// The sends under way: their ports, the one the count is read from first (none when
// nothing runs), and how often each goes.
static std::vector<Port*> sending_ports;
static std::int32_t sending_repeat;

static void show_note(const char* note)
{
    SetDlgItemTextA(send_dialog, IDC_SEND_BYTES_NOTE, note);
}

static void show_count(const char* how, std::int32_t done)
{
    char note[96];
    std::snprintf(note, sizeof note, "%s (%ld/%ld回)", how, static_cast<long>(done),
                  static_cast<long>(sending_repeat));
    show_note(note);
}

static void set_running(bool running)
{
    EnableWindow(GetDlgItem(send_dialog, IDC_SEND_BYTES_STOP), running);
    EnableWindow(GetDlgItem(send_dialog, IDC_SEND_BYTES_SEND), !running);
    if (running)
        SetTimer(send_dialog, COUNT_TIMER, COUNT_TIMER_MS, nullptr);
    else
        KillTimer(send_dialog, COUNT_TIMER);
}

static std::string item_text(int id)
{
    HWND item = GetDlgItem(send_dialog, id);
    int n = item ? GetWindowTextLengthA(item) : 0;
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    n = n > 0 ? GetWindowTextA(item, &text[0], n + 1) : 0;
    text.resize(static_cast<std::size_t>(n));
    return text;
}

static void fill_history()
{
    HWND combo = GetDlgItem(send_dialog, IDC_SEND_BYTES_DATA);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const SendBytesEntry& entry : history)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
}

// The count as the timer finds it, and the end of the send once it has ended.
static void follow_send()
{
    if (sending_ports.empty()) return;
    Port* counted = sending_ports.front();
    if (!port_is_open(counted)) {
        // The close stopped the send; its count went with the port. The others stop.
        for (Port* port : sending_ports)
            if (port_is_open(port)) paced_send_stop(port);
        sending_ports.clear();
        set_running(false);
        show_note("ﾎﾟｰﾄが閉じられたため、送信を中止しました");
        return;
    }
    std::int32_t done = paced_send_repeats_done(counted);
    bool running = false;
    for (Port* port : sending_ports) running = running || (port_is_open(port) && paced_send_running(port));
    if (running) {
        show_count("送信中", done);
        return;
    }
    sending_ports.clear();
    set_running(false);
    show_count(done == sending_repeat ? "送信しました" : "送信を中止しました", done);
    command_state_refresh(); // the port takes typing again
}

static void run_send()
{
    if (!sending_ports.empty()) return;
    const std::string text = item_text(IDC_SEND_BYTES_DATA);
    const std::string repeat = item_text(IDC_SEND_BYTES_REPEAT);
    const std::string interval = item_text(IDC_SEND_BYTES_INTERVAL);
    const bool hex = IsDlgButtonChecked(send_dialog, IDC_SEND_BYTES_HEX) == BST_CHECKED;
    SendBytesRequest request;
    int result =
        send_bytes_read(SendBytesFields{text.c_str(), hex, repeat.c_str(), interval.c_str()}, &request);
    if (result != SEND_BYTES_OK) {
        show_note(send_bytes_message(result));
        return;
    }
    Port* port = find_active_port();
    if (!port) {
        show_note("送信先のﾎﾟｰﾄがありません");
        return;
    }
    if (window_send_refused(port, false)) {
        show_note("ﾎﾟｰﾄが接続されていないか、ほかのﾃﾞｰﾀを送信中です");
        return;
    }
    WindowSend send{request.bytes.data(), static_cast<std::int32_t>(request.bytes.size()), SEND_REPEATED,
                    request.repeat, request.interval_ms};
    std::vector<Port*> taken;
    window_send(port, send, &taken);
    if (taken.empty() || taken.front() != port) {
        for (Port* other : taken) paced_send_stop(other);
        show_note("ほかのﾃﾞｰﾀを送信中です");
        return;
    }
    sending_ports = taken;
    sending_repeat = request.repeat;
    send_bytes_remember(&history, SendBytesEntry{text, hex});
    fill_history();
    SetDlgItemTextA(send_dialog, IDC_SEND_BYTES_DATA, text.c_str());
    show_count("送信中", 0);
    set_running(true);
    command_state_refresh(); // typing waits while the send runs
}

static void stop_send()
{
    for (Port* port : sending_ports)
        if (port_is_open(port)) paced_send_stop(port);
    // Each thread ends within its pause slice; the timer shows the end.
    follow_send();
}

// An entry chosen in the drop-down brings back how it was read.
static void entry_chosen()
{
    LRESULT at = SendDlgItemMessageA(send_dialog, IDC_SEND_BYTES_DATA, CB_GETCURSEL, 0, 0);
    if (at < 0 || static_cast<std::size_t>(at) >= history.size()) return;
    const bool hex = history[static_cast<std::size_t>(at)].hex;
    CheckRadioButton(send_dialog, IDC_SEND_BYTES_HEX, IDC_SEND_BYTES_TEXT,
                     hex ? IDC_SEND_BYTES_HEX : IDC_SEND_BYTES_TEXT);
}

static INT_PTR CALLBACK send_bytes_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
        send_dialog = dialog;
        CheckRadioButton(dialog, IDC_SEND_BYTES_HEX, IDC_SEND_BYTES_TEXT, IDC_SEND_BYTES_HEX);
        // One character over the longest data, so that a longer paste is refused as
        // too long instead of being sent cut short. (A field of a megabyte also
        // brings the window down under Wine.)
        SendDlgItemMessageA(dialog, IDC_SEND_BYTES_DATA, CB_LIMITTEXT, SEND_BYTES_TEXT_MAX + 1, 0);
        SetDlgItemTextA(dialog, IDC_SEND_BYTES_REPEAT, "1");
        SetDlgItemTextA(dialog, IDC_SEND_BYTES_INTERVAL, "0");
        fill_history();
        return TRUE;
    case WM_TIMER:
        if (wparam == COUNT_TIMER) follow_send();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: // Enter in a field
        case IDC_SEND_BYTES_SEND:
            run_send();
            return TRUE;
        case IDC_SEND_BYTES_STOP:
            stop_send();
            return TRUE;
        case IDC_SEND_BYTES_DATA:
            if (HIWORD(wparam) == CBN_SELCHANGE) entry_chosen();
            return TRUE;
        case IDCANCEL:
            // A repeat nobody can see is not left running.
            stop_send();
            ShowWindow(dialog, SW_HIDE);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        KillTimer(dialog, COUNT_TIMER);
        sending_ports.clear();
        if (send_dialog == dialog) send_dialog = nullptr;
        return FALSE;
    }
    return FALSE;
}

void send_bytes_window_open(HWND frame)
{
    if (!send_dialog &&
        !CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_SEND_BYTES), frame, send_bytes_proc, 0))
        return;
    ShowWindow(send_dialog, SW_SHOW);
    SetActiveWindow(send_dialog);
    HWND combo = GetDlgItem(send_dialog, IDC_SEND_BYTES_DATA);
    SetFocus(combo);
    SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

bool send_bytes_window_pretranslate(MSG* msg)
{
    if (!send_dialog || !IsWindowVisible(send_dialog)) return false;
    if (msg->hwnd != send_dialog && !IsChild(send_dialog, msg->hwnd)) return false;
    return IsDialogMessageA(send_dialog, msg) != FALSE;
}
