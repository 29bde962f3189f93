// What the port benchmarks share: the clock, the medians, a far end driven from a
// thread of its own (reading or writing a given number of bytes through a StreamEnd),
// and a byte stream with a checksum, generated the same way at both ends. Win32
// benchmarks only; each far end's thread owns its StreamEnd.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/fixture_win.h"

inline double seconds_now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

inline double median_of(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Byte `at` of the checked stream: no short period, so a lost or repeated piece
// changes the checksum.
inline unsigned char stream_byte(std::uint64_t at)
{
    return static_cast<unsigned char>((at * 131) ^ (at >> 12) ^ (at >> 20));
}

inline void stream_fill(std::uint64_t at, unsigned char* out, size_t count)
{
    for (size_t i = 0; i < count; ++i) out[i] = stream_byte(at + i);
}

// A running count and FNV-1a checksum of the bytes seen.
struct StreamCheck {
    std::uint64_t count = 0;
    std::uint64_t hash = 14695981039346656037ull;
    void add(const unsigned char* data, size_t length)
    {
        for (size_t i = 0; i < length; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
        count += length;
    }
};

// The checksum of the first `count` bytes of the stream.
inline StreamCheck stream_check(std::uint64_t count)
{
    StreamCheck check;
    unsigned char block[65536];
    for (std::uint64_t at = 0; at < count;) {
        size_t n = static_cast<size_t>(std::min<std::uint64_t>(sizeof block, count - at));
        stream_fill(at, block, n);
        check.add(block, n);
        at += n;
    }
    return check;
}

// A far end on its own thread: writes the stream's first `total` bytes, or reads
// `total` bytes into its check (stopping early on a time-out or when stop is set).
struct FarEnd {
    std::string path;
    bool writing;
    std::uint64_t total;
    StreamCheck seen;          // what it wrote, or read
    volatile LONG stop = 0;
    HANDLE thread = nullptr;

    FarEnd(const std::string& far_path, bool writes, std::uint64_t bytes) : path(far_path), writing(writes), total(bytes)
    {
    }
    ~FarEnd() { finish(); }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    static DWORD WINAPI run(void* parameter) noexcept
    {
        FarEnd* end_of = static_cast<FarEnd*>(parameter);
        StreamEnd end(end_of->path);
        unsigned char block[65536];
        while (end_of->seen.count < end_of->total && !end_of->stop) {
            size_t n = static_cast<size_t>(std::min<std::uint64_t>(sizeof block, end_of->total - end_of->seen.count));
            if (end_of->writing) {
                stream_fill(end_of->seen.count, block, n);
                if (!end.write(std::string(reinterpret_cast<char*>(block), n), 60000)) break;
            } else {
                std::string got = end.read(n, 10000);
                if (got.empty()) break;
                n = got.size();
                std::copy(got.begin(), got.end(), block);
            }
            end_of->seen.add(block, n);
        }
        return 0;
    }
    bool start()
    {
        thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
        return thread != nullptr;
    }
    void finish(DWORD timeout_ms = 60000)
    {
        if (!thread) return;
        WaitForSingleObject(thread, timeout_ms);
        CloseHandle(thread);
        thread = nullptr;
    }
};
