// tavex.exe driven from another process, as the soak run does it: started in a
// folder with a prepared tavex.ini, commands posted to its frame, its dialogs and
// message boxes found and worked through their controls, its status bar and window
// texts read, its responsiveness, handles and memory measured, and its end awaited.
// Runs on the driver's thread; the Remote owns the process handles and ends the
// program if it still runs when the Remote goes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The port kinds the bench offers, as the soak run opens them.
enum class PortKind { com, lpt, usb, net_client, net_server };

class Remote {
public:
    Remote() = default;
    ~Remote();
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;

    // Starts the program in folder (tavex.ini written first when ini is not empty)
    // and waits for its frame. False when it did not show one.
    bool start(const std::string& folder, const std::string& ini = "");
    HWND frame() const { return frame_; }
    DWORD process_id() const { return info_.dwProcessId; }
    bool running() const;

    void command(int id) const;
    // A dialog or message box of the program with this caption, within timeout_ms.
    HWND wait_window(const std::string& caption, DWORD timeout_ms) const;
    // The terminal windows (MDI children), in the MDI client's order.
    std::vector<HWND> terminals() const;
    std::string text(HWND window) const;
    // A status-bar part's text, read from the program's memory.
    std::string status_text(int part) const;

    // A dialog of the program with this caption that has control item; with shown,
    // only once it is visible.
    HWND wait_dialog(const std::string& caption, int item, DWORD timeout_ms, bool shown = true) const;

    // Opens a port of the kind and waits for its window and, except for a server still
    // waiting for its peer, for "接続中": the bench's COM5 (101) or LPT2 (102), its
    // USB device (104; tavex.ini must list it and the host controller file must
    // exist), or a network port to 127.0.0.1:tcp_port (103, client or server).
    bool open_port(PortKind kind, int tcp_port = 0);
    // Starts a receive log (405) to path for the connected port whose name contains
    // tag ("COM5", "NET1"...), without the console's text; waits for the file.
    bool start_log(const std::string& path, const char* tag);
    // Sends the files of a send list file (401, its list loaded with 1413) through the
    // port whose name contains tag.
    bool send_list(const std::string& list_file, int entries, const char* tag);

    // Milliseconds the frame takes to handle a message sent to it; -1 when it does not
    // within timeout_ms.
    double response_ms(DWORD timeout_ms = 5000) const;
    DWORD handle_count() const;
    // The process's private bytes, or what stands in for them where the system does
    // not say (*measure names it).
    SIZE_T private_bytes(const char** measure = nullptr) const;

    // Posts WM_CLOSE to the frame and waits for the program's end: its exit code, or
    // STILL_ACTIVE on time-out.
    DWORD close(DWORD timeout_ms);
    DWORD wait_exit(DWORD timeout_ms) const;

private:
    PROCESS_INFORMATION info_ = {};
    HWND frame_ = nullptr;
};

// Milliseconds on a steady clock.
double soak_now_ms();
