// File send through the test engine: pieces of the buffer size (read in larger
// blocks) with partial and zero writes offered again, the progress and the summary;
// pause, resume and abort with the commands and the status bar of the focused window;
// a piece refused behind typed bytes; a file that shrinks or is larger than 2 GiB;
// closing a port while its send waits behind the message box of a missing file (the
// end-to-end test goes through that box to the next file); a port that gives up.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "transfer/file_send_win.h"
#include "tests/transfer/transfer_test_support.h"

namespace {

const std::string SENDING = "\x91\x97\x90\x4d\x92\x86 ";  // 送信中
const char SEND_CAPTION[] = "\xcc\xa7\xb2\xd9\x91\x97\x90\x4d";  // ﾌｧｲﾙ送信

using FileSend = TransferPorts;

size_t count_of(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(FileSend, PiecesOfTheBufferSizeOfferedAgainAfterPartialAndZeroWrites)
{
    const std::string bytes = make_file("a.bin", 40000);
    make_file("empty.bin", 0);
    // Read in blocks of 256 KB, sent in pieces of the buffer size all the same.
    const std::string blocks = make_file("blocks.bin", 600000);
    // The second piece is written at first not at all (for a while), then in part,
    // and what is left of it once not at all again.
    std::vector<std::int32_t> results = {16384};
    results.insert(results.end(), 30, 0);
    results.insert(results.end(), {5000, 0});
    test_engine_script(port, results);
    send(port, {scratch.file("a.bin"), scratch.file("empty.bin"), scratch.file("blocks.bin")});
    // Before the second piece is written.
    EXPECT_TRUE(until([&] { return status(STATUS_FILE_SEND) == SENDING + "16384 / 40000 byte (40%)"; }))
        << status(STATUS_FILE_SEND);
    ASSERT_TRUE(idle(port));
    EXPECT_EQ(test_engine_written(port), bytes + blocks);
    std::vector<std::int32_t> requests(32, 16384);
    requests.insert(requests.end(), {11384, 11384, 7232});
    requests.insert(requests.end(), 36, 16384);
    requests.push_back(600000 - 36 * 16384);
    EXPECT_EQ(test_engine_requests(port), requests);
    // The send is over: no progress is shown.
    EXPECT_TRUE(until([&] { return status(STATUS_FILE_SEND).empty(); }));
    const std::string console = console_contents(port);
    EXPECT_NE(console.find("\"" + scratch.file("a.bin") + "\" 40000 byte, "), std::string::npos) << console;
    EXPECT_NE(console.find("\"" + scratch.file("empty.bin") + "\" 0 byte,  0.0"), std::string::npos) << console;
    EXPECT_EQ(count_of(console, " byte/s)"), 3u);
}

// With pacing, a byte at a time with its pauses, a line end's longer: the summary's
// rate is what the pauses left of it.
TEST_F(FileSend, APacedSendGoesAtItsPaceAndReportsItsRealRate)
{
    const std::string text = "AB\r\nCD\n";
    ASSERT_TRUE(write_file(scratch.file("paced.txt"), text));
    test_engine_pacing(Pacing{20, 100});
    DWORD start = GetTickCount();
    send(port, {scratch.file("paced.txt")});
    ASSERT_TRUE(idle(port));
    // No pause is waited for after the last byte.
    EXPECT_GE(GetTickCount() - start, 6u * 20 + 100);
    EXPECT_EQ(test_engine_written(port), text);
    EXPECT_EQ(test_engine_requests(port), std::vector<std::int32_t>(7, 1));
    const std::string console = console_contents(port);
    // 7 bytes in at least 0.22 s: fewer than 32 a second.
    size_t at = console.find(" 7 byte, ");
    ASSERT_NE(at, std::string::npos) << console;
    EXPECT_LT(std::atof(console.c_str() + console.find('(', at) + 1), 32.0) << console;
}

TEST_F(FileSend, PauseResumeAndAbortFollowTheFocusedWindow)
{
    make_file("big.bin", 4u << 20);
    test_engine_hold(port, true);
    send(port, {scratch.file("big.bin")});
    ASSERT_TRUE(until([&] { return test_engine_of(port)->core.write_state != 0; }));
    EXPECT_TRUE(enabled(CMD_FILE_SEND_PAUSE));
    EXPECT_FALSE(enabled(CMD_FILE_SEND_RESUME));
    EXPECT_TRUE(enabled(CMD_FILE_SEND_ABORT));
    EXPECT_TRUE(until([&] { return status(STATUS_FILE_SEND) == SENDING + "0 / 4194304 byte (0%)"; }));

    // Paused: the piece handed over is still written, and nothing after it.
    command(CMD_FILE_SEND_PAUSE);
    EXPECT_EQ(transfer_port(port)->send_state, 3);
    EXPECT_FALSE(enabled(CMD_FILE_SEND_PAUSE));
    EXPECT_TRUE(enabled(CMD_FILE_SEND_RESUME));
    test_engine_hold(port, false);
    ASSERT_TRUE(until([&] { return test_engine_written(port).size() == 16384; }));
    Sleep(150);
    pump_messages();
    EXPECT_EQ(test_engine_requests(port).size(), 1u);

    // Another window takes the focus: the bar and the commands are that port's.
    Port* first = port;
    ASSERT_NE(open_other(), nullptr);
    EXPECT_EQ(status(STATUS_FILE_SEND), "");
    EXPECT_FALSE(enabled(CMD_FILE_SEND_RESUME));
    EXPECT_FALSE(enabled(CMD_FILE_SEND_ABORT));
    activate(first);
    EXPECT_EQ(status(STATUS_FILE_SEND), SENDING + "16384 / 4194304 byte (0%)");
    EXPECT_TRUE(enabled(CMD_FILE_SEND_RESUME));

    command(CMD_FILE_SEND_RESUME);
    ASSERT_TRUE(until([&] { return test_engine_written(port).size() > 100000; }));
    LONG wakes = test_engine_of(port)->wakes;
    DWORD start = GetTickCount();
    command(CMD_FILE_SEND_ABORT);
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(transfer_port(port)->send_state, 0);
    EXPECT_LT(took, 1500u);
    EXPECT_EQ(test_engine_of(port)->wakes, wakes + 1);
    for (int id : {CMD_FILE_SEND_PAUSE, CMD_FILE_SEND_RESUME, CMD_FILE_SEND_ABORT}) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_EQ(status(STATUS_FILE_SEND), "");
    Sleep(100);
    pump_messages();
    EXPECT_LT(test_engine_written(port).size(), 4u << 20);
    EXPECT_EQ(console_contents(port).find(" byte/s)"), std::string::npos);  // no summary
}

TEST_F(FileSend, APieceRefusedBehindTypedBytesGoesOutOnceTheyAreWritten)
{
    const std::string bytes = make_file("after.bin", 20000);
    test_engine_hold(port, true);
    ASSERT_EQ(port_send(port, reinterpret_cast<const unsigned char*>("typed"), 5, nullptr), 5);
    send(port, {scratch.file("after.bin")});
    Sleep(100);  // the first piece is refused meanwhile, perhaps several times
    pump_messages();
    test_engine_hold(port, false);
    ASSERT_TRUE(idle(port));
    EXPECT_EQ(test_engine_written(port), "typed" + bytes);
    EXPECT_EQ(count_of(console_contents(port), " 20000 byte, "), 1u);
}

// A device gone for good (its engine refuses every write, the port is not connected):
// the send ends at once with the summary of what went out, and the files after it
// are not tried.
TEST_F(FileSend, APortThatGivesUpEndsTheSendWithItsSummary)
{
    const std::string first = make_file("first.bin", 8u << 20);
    make_file("second.bin", 1000);
    send(port, {scratch.file("first.bin"), scratch.file("second.bin")});
    ASSERT_TRUE(until([&] { return test_engine_written(port).size() >= 5 * 16384; }));
    // Held from here, so that the device goes before the file is out however late
    // this thread runs on a busy machine.
    test_engine_hold(port, true);
    test_engine_give_up(port);
    DWORD start = GetTickCount();
    ASSERT_TRUE(idle(port, 5000)) << "the send goes on offering its piece";
    EXPECT_LT(GetTickCount() - start, 2000u);
    const std::string written = test_engine_written(port);
    EXPECT_LT(written.size(), first.size());
    EXPECT_EQ(written, first.substr(0, written.size()));
    const std::string console = console_contents(port);
    EXPECT_NE(console.find("\"" + scratch.file("first.bin") + "\" " + std::to_string(written.size()) + " byte, "),
              std::string::npos)
        << console;
    EXPECT_EQ(count_of(console, " byte/s)"), 1u);
    EXPECT_EQ(FindWindowA("#32770", SEND_CAPTION), nullptr);
    EXPECT_TRUE(until([&] { return status(STATUS_FILE_SEND).empty(); }));
}

TEST_F(FileSend, AFileThatShrinksEndsWhereItsReadsEnd)
{
    const std::string bytes = make_file("shrinks.bin", 1u << 20);
    test_engine_hold(port, true);
    send(port, {scratch.file("shrinks.bin")});
    ASSERT_TRUE(until([&] { return test_engine_of(port)->core.write_state != 0; }));
    if (!shrink_file(scratch.file("shrinks.bin"), 20000)) {
        test_engine_hold(port, false);
        GTEST_SKIP() << "the bench cannot shrink files here (TAVEX_TEST_SHRINK)";
    }
    test_engine_hold(port, false);
    ASSERT_TRUE(idle(port));
    // What was read before the cut (up to two blocks of 256 KB, one read ahead) and
    // what is left of the file after it: no more, and then the file ends with its
    // summary.
    const std::string written = test_engine_written(port);
    EXPECT_GE(written.size(), 20000u);
    EXPECT_LE(written.size(), 2u * 262144);
    EXPECT_EQ(written, bytes.substr(0, written.size()));
    EXPECT_NE(console_contents(port).find("\" " + std::to_string(written.size()) + " byte, "), std::string::npos);
}

TEST_F(FileSend, AFileOfMoreThanTwoGibibytesIsSentWithItsWholeSize)
{
    // Sparse: set up in an instant, and read as zeros.
    const std::string path = scratch.file("huge.bin");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 1;
    ASSERT_NE(SetFilePointer(file, 10, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);  // 2^32 + 10
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    send(port, {path});
    ASSERT_TRUE(until([&] { return test_engine_written(port).size() >= 3 * 16384; }));
    EXPECT_TRUE(until([&] {
        const std::string shown = status(STATUS_FILE_SEND);
        return shown.find(SENDING) == 0 && shown.find(" / 4294967306 byte (0%)") != std::string::npos;
    })) << status(STATUS_FILE_SEND);
    file_send_abort(port);
    EXPECT_EQ(transfer_port(port)->send_state, 0);
}

TEST_F(FileSend, ClosingThePortEndsTheSendAndItsMessageBoxFirst)
{
    make_file("later.bin", 1u << 20);
    send(port, {scratch.file("gone.bin"), scratch.file("later.bin")});
    ASSERT_TRUE(until([&] { return FindWindowA("#32770", SEND_CAPTION) != nullptr; }));
    DWORD start = GetTickCount();
    close_port(port);
    EXPECT_GE(GetTickCount() - start, 500u);  // the queue's abort
    EXPECT_FALSE(port_is_open(port));
    EXPECT_TRUE(until([&] { return FindWindowA("#32770", SEND_CAPTION) == nullptr; }, 2000));
    port = nullptr;
}

}  // namespace
