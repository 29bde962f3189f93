// The file transfer's texts: progress and percentage, the summary line and the log
// status, byte for byte.
#include "transfer/transfer_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string SENDING = "\x91\x97\x90\x4d\x92\x86";    // 送信中
const std::string RECEIVING = "\x8e\xf3\x90\x4d\x92\x86";  // 受信中

TEST(FileSendProgress, TextAndPercentage)
{
    struct Case {
        long long done, size;
        int percent;
        const char* figures;
    };
    const Case cases[] = {
        {0, 40000, 0, "0 / 40000 byte (0%)"},
        {16384, 40000, 40, "16384 / 40000 byte (40%)"},  // before the second piece
        {32768, 40000, 81, "32768 / 40000 byte (81%)"},
        {40000, 40000, 100, "40000 / 40000 byte (100%)"},
        {50000000, 100000000, 50, "50000000 / 100000000 byte (50%)"},  // the product needs 64 bits
        {0, 0, 0, "0 / 0 byte (0%)"},
        {3221225472LL, 6442450944LL, 50, "3221225472 / 6442450944 byte (50%)"},  // 6 GiB
    };
    for (const Case& c : cases) {
        EXPECT_EQ(file_send_percent(c.done, c.size), c.percent) << c.figures;
        char text[TRANSFER_TEXT_SIZE];
        file_send_progress_text(text, c.done, c.size);
        EXPECT_EQ(text, SENDING + " " + c.figures);
    }
}

TEST(FileSendSummary, PathBytesSecondsAndRate)
{
    char text[SUMMARY_TEXT_SIZE];
    EXPECT_EQ(file_send_summary_text(text, "C:\\a.bin", 40000, 2000), 47);
    EXPECT_STREQ(text, "\n\"C:\\a.bin\" 40000 byte,  2.000s (20000 byte/s)\n");
    // An empty file at once: at least 1 ms.
    file_send_summary_text(text, "e", 0, 0);
    EXPECT_STREQ(text, "\n\"e\" 0 byte,  0.001s (0 byte/s)\n");
    // The rate is truncated.
    file_send_summary_text(text, "r", 1000, 3000);
    EXPECT_STREQ(text, "\n\"r\" 1000 byte,  3.000s (333 byte/s)\n");
    file_send_summary_text(text, "big", 3000000000LL, 100000);
    EXPECT_STREQ(text, "\n\"big\" 3000000000 byte, 100.000s (30000000 byte/s)\n");
}

TEST(ReceiveLogStatus, BytesAndElapsedTime)
{
    struct Case {
        long long bytes;
        unsigned elapsed_ms;
        const char* figures;
    };
    const Case cases[] = {
        {1000, 0, "1000 byte (00:00:00)"},
        {5, 999, "5 byte (00:00:00)"},
        {123456, (3600 + 2 * 60 + 3) * 1000 + 500, "123456 byte (01:02:03)"},
        {0, 25 * 3600 * 1000, "0 byte (25:00:00)"},  // hours are not wrapped at 24
        {5000000000LL, 59 * 1000, "5000000000 byte (00:00:59)"},
    };
    for (const Case& c : cases) {
        char text[TRANSFER_TEXT_SIZE];
        receive_log_status_text(text, c.bytes, c.elapsed_ms);
        EXPECT_EQ(text, RECEIVING + " " + c.figures);
    }
}

}  // namespace
