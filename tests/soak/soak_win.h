// What the soak run's scenarios share: the verdict each fills, figures printed as
// "name: value unit", a checkable byte stream, the peers' ends of the ports with a
// flooding and a draining peer, and the program started with its COM port open.
// Each scenario runs on the driver's thread; everything it starts it ends.
#pragma once
#include <windows.h>

#include <string>

#include "tests/soak/remote_win.h"
#include "tests/support/fixture_win.h"

extern const char SOAK_CONNECTED[];      // 接続中
extern const char SOAK_NOT_CONNECTED[];  // 通信不可

// What a scenario found: empty when it passed.
struct Verdict {
    std::string why;
    void fail(const std::string& reason)
    {
        if (why.empty()) why = reason;
    }
    void check(bool ok, const std::string& reason)
    {
        if (!ok) fail(reason);
    }
};

void figure(const char* name, double value, const char* unit);

// A byte stream that shows where bytes were lost, repeated or reordered: every four
// bytes hold the little-endian number of their word, xor seed. Seed 0 is the bench TCP
// peer's source stream instead (the bytes 0 to 255 in turn). With a period, the stream
// starts over every period bytes (a file sent again and again).
struct Pattern {
    unsigned seed = 1;
    unsigned long long period = 0;
    void fill(char* out, unsigned long long offset, size_t count) const;
};

// The offset where the stream in a file (or in memory) first differs from the
// pattern's, or -1 when it is the pattern's start; *size gets the file's size.
long long first_difference(const std::string& path, const Pattern& pattern, unsigned long long* size);
bool write_pattern_file(const std::string& path, const Pattern& pattern, unsigned long long size);
// A file's size as it grows; 0 when it is not there.
unsigned long long file_size(const std::string& path);

// The peer's end of a port, written from one thread and read from another: a pty's
// far end, or a TCP connection of the driver's own to a port the program serves.
class Link {
public:
    virtual ~Link() = default;
    virtual bool is_open() const = 0;
    virtual bool write(const char* bytes, size_t count, DWORD timeout_ms) = 0;
    // What arrived within the time-out, up to count bytes.
    virtual size_t read(char* bytes, size_t count, DWORD timeout_ms) = 0;
};

class StreamLink : public Link {
public:
    explicit StreamLink(const std::string& windows_name) : end_(windows_name) {}
    bool is_open() const override { return end_.is_open(); }
    bool write(const char* bytes, size_t count, DWORD timeout_ms) override;
    size_t read(char* bytes, size_t count, DWORD timeout_ms) override;

private:
    StreamEnd end_;
};

class SocketLink : public Link {
public:
    // Connects to 127.0.0.1:port, trying for up to timeout_ms.
    SocketLink(int port, DWORD timeout_ms);
    ~SocketLink() override;
    bool is_open() const override { return socket_ != ~static_cast<UINT_PTR>(0); }
    bool write(const char* bytes, size_t count, DWORD timeout_ms) override;
    size_t read(char* bytes, size_t count, DWORD timeout_ms) override;

private:
    UINT_PTR socket_;
};


// What a flood and a drain share: a thread of their own that runs until stopped, and
// the times of the first and the last byte. A subclass stops it in its destructor,
// before its own members go.
class PeerThread {
public:
    PeerThread() = default;
    PeerThread(const PeerThread&) = delete;
    PeerThread& operator=(const PeerThread&) = delete;
    virtual ~PeerThread() = default;
    // False when the link is not open or the thread cannot be made.
    bool start();
    void stop();
    bool finished() const;
    // Milliseconds from start to the last byte.
    double ms() const { return last_ms_ - start_ms_; }

protected:
    virtual bool link_open() const = 0;
    // Runs on the thread while on_ is set.
    virtual void body() = 0;
    volatile LONG on_ = 0;
    double start_ms_ = 0, last_ms_ = 0;

private:
    static DWORD WINAPI run(void* parameter) noexcept;
    HANDLE thread_ = nullptr;
};

// A peer that floods a link until stopped or until limit bytes (0: no limit) are
// written: text lines, or a pattern.
class Flood : public PeerThread {
public:
    explicit Flood(const std::string& windows_name);
    Flood(Link& link, const Pattern& pattern, unsigned long long limit = 0);
    ~Flood() override { stop(); }
    unsigned long long sent() const { return sent_; }

private:
    bool link_open() const override { return link_->is_open(); }
    void body() override;
    StreamLink own_;
    Link* link_;
    bool text_;
    Pattern pattern_;
    unsigned long long limit_ = 0;
    volatile unsigned long long sent_ = 0;
};

// A peer that reads a link until stopped or until limit bytes arrived, checking them
// against a pattern.
class Drain : public PeerThread {
public:
    Drain(Link& link, const Pattern& pattern, unsigned long long limit = 0)
        : link_(link), pattern_(pattern), limit_(limit)
    {
    }
    ~Drain() override { stop(); }
    unsigned long long received() const { return received_; }
    // Where the bytes first differed from the pattern; -1 while they did not.
    long long first_difference() const { return difference_; }

private:
    bool link_open() const override { return link_.is_open(); }
    void body() override;
    Link& link_;
    Pattern pattern_;
    unsigned long long limit_;
    volatile unsigned long long received_ = 0;
    volatile long long difference_ = -1;
};

// Waits while a count still grows: true once it reaches target, false when it stood
// still for quiet_ms first.
template <typename Count>
bool wait_growing(Count count, unsigned long long target, DWORD quiet_ms)
{
    unsigned long long last = count();
    DWORD moved = GetTickCount();
    for (unsigned long long now; (now = count()) < target; Sleep(20)) {
        if (now != last) {
            last = now;
            moved = GetTickCount();
        } else if (GetTickCount() - moved > quiet_ms) {
            return false;
        }
    }
    return true;
}

// The Windows name of COM5's far end.
std::string com_peer();

// tavex.ini for the soak run's programs: the received bytes unconverted, a network
// port reconnecting after one second, and the bench's USB device listed.
std::string soak_ini();
// The bench's USB host controller stand-in, present while this lives.
struct HostController {
    HostController();
    ~HostController();
};
// The name of a port of the kind in the program's lists ("COM5", "NET1"...).
const char* port_tag(PortKind kind);

// The program in a fresh folder with COM5 open (101 opens the only COM port).
bool start_with_com(Remote& program, ScratchDir& scratch, const std::string& ini = "");

// How long a terminal window takes to go after its close box; -1 when it does not
// within the timeout.
double close_window_ms(HWND window, DWORD timeout_ms);

// The scenarios, by file.
void serial_far_end_closes_mid_flood(Verdict& v);
void serial_port_closed_under_flood(Verdict& v);
void frame_closed_under_flood(Verdict& v);
void second_start_while_flooding(Verdict& v);
void response_under_flood(Verdict& v);
void volume(Verdict& v, PortKind kind);
void concurrency(Verdict& v);
void open_close_cycles(Verdict& v);
void net_peer_resets_mid_flood(Verdict& v);
void net_peer_closes_and_comes_back(Verdict& v);
void usb_vanishes_mid_read(Verdict& v);
void usb_vanishes_mid_write(Verdict& v);
void disk_fills_while_logging(Verdict& v);
void file_deleted_while_sent(Verdict& v);
void sixteen_ports(Verdict& v);
void four_flooding_closed_together(Verdict& v);
