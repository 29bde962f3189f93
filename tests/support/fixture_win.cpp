// Scratch folders and port far ends for the Win32 tests. Runs on the test's thread.
#include "tests/support/fixture_win.h"

#include <winsock.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string fixture_env(const char* name)
{
    char value[4096];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) return std::string();
    return std::string(value, length);
}

std::string windows_path(const std::string& host_path)
{
    std::string path = "Z:" + host_path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

static std::string current_directory()
{
    char buffer[4096];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

ScratchDir::ScratchDir()
{
    static std::atomic<int> counter{0};
    std::string root = fixture_env("TAVEX_SCRATCH_ROOT");
    if (!root.empty()) {
        root = windows_path(root);
    } else {
        char temp[MAX_PATH];
        DWORD length = GetTempPathA(sizeof temp, temp);
        root = std::string(temp, length);
        if (!root.empty() && root.back() == '\\') root.pop_back();
    }
    CreateDirectoryA(root.c_str(), nullptr);
    std::string name = "scratch";
    if (const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info()) {
        name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
    }
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-%lu-%d", GetCurrentProcessId(), counter++);
    path_ = root + "\\" + name + suffix;
    delete_tree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr)) {
        ADD_FAILURE() << "cannot create scratch folder " << path_ << " error " << GetLastError();
    }
    previous_ = current_directory();
    SetCurrentDirectoryA(path_.c_str());
}

ScratchDir::~ScratchDir()
{
    SetCurrentDirectoryA(previous_.c_str());
    delete_tree(path_);
}

bool file_exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string read_file(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool write_file(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

void delete_tree(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..") delete_tree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

StreamEnd::StreamEnd(const std::string& windows_name)
{
    handle_ = CreateFileA(windows_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) open_error_ = GetLastError();
    read_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    write_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

StreamEnd::~StreamEnd()
{
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (read_event_) CloseHandle(read_event_);
    if (write_event_) CloseHandle(write_event_);
}

// Waits for one overlapped transfer; cancels it on time-out so that the OVERLAPPED
// and the buffer are no longer in use when this returns.
static DWORD finish(HANDLE handle, OVERLAPPED* ov, BOOL started, DWORD timeout_ms)
{
    DWORD done = 0;
    if (!started && GetLastError() != ERROR_IO_PENDING) return 0;
    if (WaitForSingleObject(ov->hEvent, timeout_ms) != WAIT_OBJECT_0) CancelIo(handle);
    GetOverlappedResult(handle, ov, &done, TRUE);
    return done;
}

bool StreamEnd::write(const std::string& bytes, DWORD timeout_ms)
{
    size_t sent = 0;
    while (is_open() && sent < bytes.size()) {
        OVERLAPPED ov = {};
        ov.hEvent = write_event_;
        ResetEvent(write_event_);
        DWORD n = 0;
        BOOL started = WriteFile(handle_, bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent), &n, &ov);
        n = finish(handle_, &ov, started, timeout_ms);
        if (n == 0) break;
        sent += n;
    }
    return sent == bytes.size();
}

std::string StreamEnd::read(size_t count, DWORD timeout_ms)
{
    std::string bytes;
    DWORD start = GetTickCount();
    while (is_open() && bytes.size() < count) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeout_ms) break;
        char buffer[65536];
        DWORD want = static_cast<DWORD>(std::min(count - bytes.size(), sizeof buffer));
        OVERLAPPED ov = {};
        ov.hEvent = read_event_;
        ResetEvent(read_event_);
        DWORD n = 0;
        BOOL started = ReadFile(handle_, buffer, want, &n, &ov);
        n = finish(handle_, &ov, started, timeout_ms - elapsed);
        bytes.append(buffer, n);
    }
    return bytes;
}

// The bench watches the cut file and says what it has done in the up/down files.
bool cut_bench_port(const char* kind, bool cut)
{
    std::string prefix = std::string("TAVEX_TEST_") + kind;
    std::string cut_file = fixture_env((prefix + "_CUT").c_str()), up_file = fixture_env((prefix + "_UP").c_str());
    if (cut_file.empty() || up_file.empty()) return false;
    std::string cut_path = windows_path(cut_file), up_path = windows_path(up_file);
    if (cut)
        write_file(cut_path, "");
    else
        DeleteFileA(cut_path.c_str());
    return wait_until([&] { return file_exists(up_path) != cut; }, 5000);
}

bool fail_bench_transfers(const char* kind, const char* which)
{
    // Beside the bench's cut file, under the port's name.
    std::string cut_file = fixture_env((std::string("TAVEX_TEST_") + kind + "_CUT").c_str());
    const std::string suffix = ".cut";
    if (cut_file.size() <= suffix.size()) return false;
    std::string path = windows_path(cut_file.substr(0, cut_file.size() - suffix.size()) + ".fail");
    bool done = *which ? write_file(path, which) : (DeleteFileA(path.c_str()) || !file_exists(path));
    Sleep(50);
    return done;
}

bool cut_com_port()
{
    return cut_bench_port("COM", true);
}

bool restore_com_port()
{
    return cut_bench_port("COM", false);
}

int tcp_peer_port()
{
    return std::atoi(fixture_env("TAVEX_TEST_TCP_PORT").c_str());
}

bool tcp_peer_command(const char* name, const std::string& bytes, DWORD timeout_ms)
{
    std::string folder = fixture_env("TAVEX_TEST_TCP_CONTROL");
    if (folder.empty()) return false;
    folder = windows_path(folder);
    std::string path = folder + "\\" + name;
    std::string part = folder + "\\writing";
    // Renamed into place, so the peer never reads it half written.
    if (!write_file(part, bytes) || !MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    // "mode" stays for the clients to come; the others go once they are carried out.
    return std::string(name) == "mode" || wait_until([&] { return !file_exists(path); }, timeout_ms);
}

// Written whole under another name first: the bench must never read half a request.
static bool bench_file_request(const std::string& path, const std::string& what)
{
    std::string folder = fixture_env("TAVEX_TEST_SHRINK");
    if (folder.empty() || path.compare(0, 2, "Z:") != 0) return false;
    std::string host = path.substr(2);
    for (char& c : host) {
        if (c == '\\') c = '/';
    }
    std::string request = windows_path(folder) + "\\shrink", ready = request + ".req";
    if (!write_file(request, what + " " + host + "\n")) return false;
    if (!MoveFileA(request.c_str(), ready.c_str())) return false;
    return wait_until([&] { return !file_exists(ready); }, 5000);
}

bool shrink_file(const std::string& path, size_t size)
{
    return bench_file_request(path, std::to_string(size));
}

bool delete_file_on_host(const std::string& path)
{
    return bench_file_request(path, "delete");
}

bool put_clipboard(HWND owner, const std::string& text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* bytes = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return false;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(block);
    return placed;
}

std::string clipboard_text(HWND owner)
{
    std::string text;
    if (!OpenClipboard(owner)) return text;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (const char* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
        text = bytes;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

int free_tcp_port()
{
    WSADATA wsa;
    WSAStartup(0x0101, &wsa);
    // Taken by the system, then let go.
    SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    WSACleanup();
    return ntohs(address.sin_port);
}
