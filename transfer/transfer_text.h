// The texts of the file transfer: the file send's progress (status-bar part 2) and
// the summary line it shows after each file, and the receive log's status
// (status-bar part 3). Portable and pure; called on the send thread, the engine
// threads and the UI thread, each with its own buffer. Counts are 64-bit: a file or
// a log of 2 GiB and more shows its true size.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t TRANSFER_TEXT_SIZE = 128;
// A summary line holds a whole path (at most 259 bytes) and its figures.
constexpr std::size_t SUMMARY_TEXT_SIZE = 400;

// done × 100 / size in whole percent; 0 for a size of 0.
int file_send_percent(std::int64_t done, std::int64_t size);

// "送信中 %d / %d byte (%d%%)" into out (TRANSFER_TEXT_SIZE bytes).
void file_send_progress_text(char* out, std::int64_t done, std::int64_t size);

// "\n\"%s\" %d byte, %6.3fs (%d byte/s)\n" into out (SUMMARY_TEXT_SIZE bytes): the
// path, the bytes written, the time in seconds and the rate. An elapsed time of 0 ms
// counts as 1. Returns the text's length.
int file_send_summary_text(char* out, const char* path, std::int64_t done, std::uint32_t elapsed_ms);

// "受信中 %d byte (%02d:%02d:%02d)" into out (TRANSFER_TEXT_SIZE bytes): the bytes
// logged and the hours (not wrapped at 24), minutes and seconds of elapsed_ms.
void receive_log_status_text(char* out, std::int64_t bytes, std::uint32_t elapsed_ms);
