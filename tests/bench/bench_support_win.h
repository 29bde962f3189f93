// What the Win32 benchmark groups share (defined in serial_bench_win.cpp): a clock,
// the median of runs, the far end of the bench's pty driven from a thread of its
// own, and a plain overlapped reader or writer of the port as a baseline. Bench
// thread only.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

double bench_seconds();
double bench_median(std::vector<double> values);

// The far end of the pty: writes total bytes to it, or reads total bytes from it.
struct BenchPeer {
    std::string path;
    bool writing;  // else reading
    size_t total;
    HANDLE thread;
    double ended;  // bench_seconds() when the whole total had passed; 0 before, or when it never did
};
HANDLE bench_start_peer(BenchPeer* peer);

// A plain overlapped loop of reads or writes of piece bytes on COM number until
// total bytes have passed, with the peer at the other end; MB/s, 0 on failure.
double serial_raw_rate(int number, const std::string& peer_path, bool receive, DWORD piece, size_t total);
