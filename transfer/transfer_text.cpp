// The file transfer's texts; see transfer_text.h. The Japanese words are written as
// Shift-JIS bytes, so that the native build holds the same bytes as the program.
#include "transfer/transfer_text.h"

#include <cinttypes>
#include <cstdio>

static const char SENDING[] = "\x91\x97\x90\x4d\x92\x86";    // 送信中
static const char RECEIVING[] = "\x8e\xf3\x90\x4d\x92\x86";  // 受信中

int file_send_percent(std::int64_t done, std::int64_t size)
{
    if (size <= 0) return 0;
    return static_cast<int>(done * 100 / size);
}

void file_send_progress_text(char* out, std::int64_t done, std::int64_t size)
{
    std::snprintf(out, TRANSFER_TEXT_SIZE, "%s %" PRId64 " / %" PRId64 " byte (%d%%)", SENDING, done, size,
                  file_send_percent(done, size));
}

int file_send_summary_text(char* out, const char* path, std::int64_t done, std::uint32_t elapsed_ms)
{
    if (elapsed_ms == 0) elapsed_ms = 1;
    double seconds = elapsed_ms / 1000.0;
    auto rate = static_cast<std::int64_t>(static_cast<double>(done) * 1000.0 / elapsed_ms);
    int length = std::snprintf(out, SUMMARY_TEXT_SIZE, "\n\"%s\" %" PRId64 " byte, %6.3fs (%" PRId64 " byte/s)\n",
                               path ? path : "", done, seconds, rate);
    if (length < 0) return 0;
    return length < static_cast<int>(SUMMARY_TEXT_SIZE) ? length : static_cast<int>(SUMMARY_TEXT_SIZE) - 1;
}

void receive_log_status_text(char* out, std::int64_t bytes, std::uint32_t elapsed_ms)
{
    std::uint32_t seconds = elapsed_ms / 1000;
    std::snprintf(out, TRANSFER_TEXT_SIZE, "%s %" PRId64 " byte (%02u:%02u:%02u)", RECEIVING, bytes,
                  static_cast<unsigned>(seconds / 3600), static_cast<unsigned>(seconds % 3600 / 60),
                  static_cast<unsigned>(seconds % 60));
}
