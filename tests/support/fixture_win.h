// Test-side access to what the test bench sets up beside Wine: scratch folders and
// the far ends of the test ports. Win32 tests only; every helper runs on the calling
// test's thread and owns the handles it opens.
#pragma once
#include <windows.h>

#include <string>

// A fixture value the bench exported, or "" when it was not set up.
std::string fixture_env(const char* name);

// The Windows path of a host path ("/tmp/x" -> "Z:\tmp\x"); Wine maps Z: to "/".
std::string windows_path(const std::string& host_path);

// A fresh, empty folder for one test, made the current directory while it lives;
// the previous directory is restored and the folder deleted with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const char* name) const { return path_ + "\\" + name; }

private:
    std::string path_;
    std::string previous_;
};

// Polls done every 5 ms until it holds; false when timeout_ms passed first.
template <typename Done>
bool wait_until(Done done, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(5);
    }
    return true;
}

bool file_exists(const std::string& path);
std::string read_file(const std::string& path);
bool write_file(const std::string& path, const std::string& bytes);
void delete_tree(const std::string& path);

// The clipboard's CF_TEXT: put there (true when placed), or read ("" when none).
bool put_clipboard(HWND owner, const std::string& text);
std::string clipboard_text(HWND owner = nullptr);

// A bench port taken away, as a device is unplugged (its pty pair goes, and with it
// the far end and the names), and given back: "COM" (COM5), "LPT" (LPT2) or "USB"
// (both pipes). Each waits until the bench has done it; false on time-out.
bool cut_bench_port(const char* kind, bool cut);
// A bench port's transfers failing as a parallel port's driver fails them (the pty
// shim does it): "write" makes every write fail (a printer switched off), "read"
// every read (a driver without a reverse channel, ERROR_NOT_SUPPORTED), "" neither.
// Takes effect within 20 ms; the test waits that long. False without the bench.
bool fail_bench_transfers(const char* kind, const char* which);
bool cut_com_port();
bool restore_com_port();

// The bench's TCP echo peer on 127.0.0.1: its port (0 when the bench did not start
// it), and a command to it through its control folder ("close", "reset", "say" with
// the bytes to send, or "mode" with "echo", "source" or "sink" for new clients). A
// command is written whole and waited for until the peer has carried it out; false
// on time-out.
int tcp_peer_port();
// A free TCP port on 127.0.0.1 for the program to serve on.
int free_tcp_port();
bool tcp_peer_command(const char* name, const std::string& bytes = "", DWORD timeout_ms = 5000);
// Cuts a file on drive Z: to size bytes through the bench, as another program may
// while this one holds it open for reading only (Wine's share modes refuse that to
// this process). False when the bench has no such helper or did not do it in time.
bool shrink_file(const std::string& windows_path, size_t size);
// Deletes a file on drive Z: through the bench while the program reads it: its bytes
// and its name go, as when a file is deleted from a share by another machine (Wine
// would refuse this process the delete while the program holds the file open).
bool delete_file_on_host(const std::string& windows_path);

// One end of a byte stream opened as a file (a pty's far end, a FIFO), with reads
// and writes that give up after a time-out instead of hanging the test.
class StreamEnd {
public:
    explicit StreamEnd(const std::string& windows_name);
    ~StreamEnd();
    StreamEnd(const StreamEnd&) = delete;
    StreamEnd& operator=(const StreamEnd&) = delete;

    bool is_open() const { return handle_ != INVALID_HANDLE_VALUE; }
    DWORD open_error() const { return open_error_; }
    bool write(const std::string& bytes, DWORD timeout_ms = 5000);
    // Reads exactly count bytes; returns what arrived before the time-out.
    std::string read(size_t count, DWORD timeout_ms = 5000);

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    // One for each direction, so that one thread may read while another writes.
    HANDLE read_event_ = nullptr;
    HANDLE write_event_ = nullptr;
    DWORD open_error_ = 0;
};
