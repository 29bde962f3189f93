// The soak run's shared pieces; see soak_win.h. Driver thread, except the threads of
// the floods and drains, which each own their loop and counters (the link is shared:
// one thread writes it, another reads it).
#include <winsock.h>

#include "tests/soak/soak_win.h"

#include <cstdio>
#include <cstring>

#include "resources/commands.h"

const char SOAK_CONNECTED[] = "\x90\xda\x91\xb1\x92\x86";
const char SOAK_NOT_CONNECTED[] = "\x92\xca\x90\x4d\x95\x73\x89\xc2";

void figure(const char* name, double value, const char* unit)
{
    std::printf("%s: %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

void Pattern::fill(char* out, unsigned long long offset, size_t count) const
{
    for (size_t i = 0; i < count; ++i) {
        unsigned long long at = offset + i;
        if (period) at %= period;
        out[i] = seed == 0 ? static_cast<char>(at & 0xFF)
                           : static_cast<char>((static_cast<unsigned>(at >> 2) ^ seed) >> (8 * (at & 3)));
    }
}

long long first_difference(const std::string& path, const Pattern& pattern, unsigned long long* size)
{
    *size = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    static char got[1 << 20], want[1 << 20];
    long long difference = -1;
    DWORD n = 0;
    while (difference < 0 && ReadFile(file, got, sizeof got, &n, nullptr) && n > 0) {
        pattern.fill(want, *size, n);
        for (DWORD i = 0; i < n; ++i) {
            if (got[i] == want[i]) continue;
            difference = static_cast<long long>(*size + i);
            break;
        }
        *size += n;
    }
    LARGE_INTEGER whole;
    if (GetFileSizeEx(file, &whole)) *size = static_cast<unsigned long long>(whole.QuadPart);
    CloseHandle(file);
    return difference;
}

bool write_pattern_file(const std::string& path, const Pattern& pattern, unsigned long long size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    static char block[1 << 20];
    bool ok = true;
    for (unsigned long long at = 0; ok && at < size;) {
        DWORD n = static_cast<DWORD>(size - at < sizeof block ? size - at : sizeof block), written = 0;
        pattern.fill(block, at, n);
        ok = WriteFile(file, block, n, &written, nullptr) && written == n;
        at += n;
    }
    CloseHandle(file);
    return ok;
}

unsigned long long file_size(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool StreamLink::write(const char* bytes, size_t count, DWORD timeout_ms)
{
    return end_.write(std::string(bytes, count), timeout_ms);
}

size_t StreamLink::read(char* bytes, size_t count, DWORD timeout_ms)
{
    std::string got = end_.read(count, timeout_ms);
    std::memcpy(bytes, got.data(), got.size());
    return got.size();
}

SocketLink::SocketLink(int port, DWORD timeout_ms) : socket_(INVALID_SOCKET)
{
    WSADATA wsa;
    WSAStartup(0x0101, &wsa);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    wait_until(
        [&] {
            SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
            if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                socket_ = s;
                return true;
            }
            closesocket(s);
            Sleep(50);
            return false;
        },
        timeout_ms);
}

SocketLink::~SocketLink()
{
    if (is_open()) closesocket(socket_);
    WSACleanup();
}

// Blocking sends: the program reads on, or the connection breaks.
bool SocketLink::write(const char* bytes, size_t count, DWORD)
{
    while (count > 0) {
        int n = send(socket_, bytes, static_cast<int>(count), 0);
        if (n <= 0) return false;
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

size_t SocketLink::read(char* bytes, size_t count, DWORD timeout_ms)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval wait = {static_cast<long>(timeout_ms / 1000), static_cast<long>(timeout_ms % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) != 1) return 0;
    int n = recv(socket_, bytes, static_cast<int>(count), 0);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

Flood::Flood(const std::string& windows_name) : own_(windows_name), link_(&own_), text_(true) {}

Flood::Flood(Link& link, const Pattern& pattern, unsigned long long limit)
    : own_(""), link_(&link), text_(false), pattern_(pattern), limit_(limit)
{
}

bool PeerThread::start()
{
    if (!link_open()) return false;
    on_ = 1;
    start_ms_ = last_ms_ = soak_now_ms();
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    return thread_ != nullptr;
}

void PeerThread::stop()
{
    InterlockedExchange(&on_, 0);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
}

bool PeerThread::finished() const
{
    return !thread_ || WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
}

DWORD WINAPI PeerThread::run(void* parameter) noexcept
{
    static_cast<PeerThread*>(parameter)->body();
    return 0;
}

void Flood::body()
{
    std::string block;
    for (int line = 0; text_ && block.size() < 16384; ++line) block += "flood line " + std::to_string(line) + "\r\n";
    if (!text_) block.resize(65536);
    while (on_ && (limit_ == 0 || sent_ < limit_)) {
        size_t n = block.size();
        if (!text_) {
            if (limit_ && limit_ - sent_ < n) n = static_cast<size_t>(limit_ - sent_);
            pattern_.fill(&block[0], sent_, n);
        }
        // A cut or a full device: text is tried on; a pattern must not skip bytes, so
        // the same block is offered again.
        if (!link_->write(block.data(), n, 1000)) {
            if (!text_) Sleep(10);
            continue;
        }
        sent_ += n;
        last_ms_ = soak_now_ms();
    }
}

void Drain::body()
{
    static thread_local char got[65536], want[65536];
    while (on_ && (limit_ == 0 || received_ < limit_)) {
        size_t want_count = sizeof got;
        if (limit_ && limit_ - received_ < want_count) want_count = static_cast<size_t>(limit_ - received_);
        size_t n = link_.read(got, want_count, 200);
        if (n == 0) continue;
        if (difference_ < 0) {
            pattern_.fill(want, received_, n);
            for (size_t i = 0; i < n; ++i) {
                if (got[i] == want[i]) continue;
                difference_ = static_cast<long long>(received_ + i);
                break;
            }
        }
        received_ += n;
        last_ms_ = soak_now_ms();
    }
}

std::string com_peer()
{
    return windows_path(fixture_env("TAVEX_TEST_COM_PEER"));
}

std::string soak_ini()
{
    return "[console]\r\nreceive crlf=2\r\n[network config]\r\nre-connect=1\r\nwait time=1\r\n"
           "[usb]\r\ndevice name 1=Echo\r\nguid 1=" +
           fixture_env("TAVEX_TEST_USB_DEVICE") + "\r\ninput pipe 1=" + fixture_env("TAVEX_TEST_USB_TO_HOST") +
           "\r\noutput pipe 1=" + fixture_env("TAVEX_TEST_USB_FROM_HOST") + "\r\nentry=1\r\n";
}

HostController::HostController()
{
    write_file(windows_path(fixture_env("TAVEX_TEST_HCD0")), "");
}

HostController::~HostController()
{
    DeleteFileA(windows_path(fixture_env("TAVEX_TEST_HCD0")).c_str());
}

const char* port_tag(PortKind kind)
{
    switch (kind) {
    case PortKind::com:
        return "COM5";
    case PortKind::lpt:
        return "LPT2";
    case PortKind::usb:
        return "USB1";
    default:
        return "NET1";
    }
}

bool start_with_com(Remote& program, ScratchDir& scratch, const std::string& ini)
{
    if (!program.start(scratch.path(), ini)) return false;
    program.command(CMD_CONNECT_SERIAL);
    return wait_until([&] { return program.terminals().size() == 1 && program.status_text(1) == SOAK_CONNECTED; },
                      10000);
}

double close_window_ms(HWND window, DWORD timeout_ms)
{
    double start = soak_now_ms();
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!wait_until([&] { return !IsWindow(window); }, timeout_ms)) return -1;
    return soak_now_ms() - start;
}
