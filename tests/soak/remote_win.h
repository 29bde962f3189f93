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
    // Opens a port by its connect command and waits for its new window; false when
    // none came. The bench's COM and LPT ports open without a dialog; the network
    // dialog is filled in (protocol line 0 client, 1 server); the USB dialog is
    // confirmed with its first device.
    bool open_serial();
    bool open_parallel();
    bool open_network(const std::string& host, int port, int protocol);
    bool open_usb();
    // A dialog or message box of the program with this caption, within timeout_ms.
    HWND wait_window(const std::string& caption, DWORD timeout_ms) const;
    // The terminal windows (MDI children), in the MDI client's order.
    std::vector<HWND> terminals() const;
    std::string text(HWND window) const;
    // A status-bar part's text, read from the program's memory.
    std::string status_text(int part) const;

    // Milliseconds the frame takes to handle a message sent to it; -1 when it does not
    // within timeout_ms.
    double response_ms(DWORD timeout_ms = 5000) const;
    DWORD handle_count() const;
    SIZE_T private_bytes() const;

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
