// Sequences on a test-engine port: a run that answers its expects from what the
// device sends back after each send, and a timed-out expect that leaves the bytes it
// saw in the result; the status and the commands while it runs and after; a run
// without end stopped by 851 and another by the port's close, the UI answering
// throughout; a file a step names that is missing: nothing sent, and said which.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/transfer/transfer_test_support.h"
#include "transfer/sequence_run_win.h"

namespace {

const std::string RUNNING = "\xbc\xb0\xb9\xdd\xbd\x8e\xc0\x8d\x73\x92\x86 ";  // ｼｰｹﾝｽ実行中
const std::string ENDED = "\xbc\xb0\xb9\xdd\xbd\x8f\x49\x97\xb9 ";           // ｼｰｹﾝｽ終了
const std::string STOPPED = "\xbc\xb0\xb9\xdd\xbd\x92\x86\x8e\x7e ";         // ｼｰｹﾝｽ中止

struct Sequences : TransferPorts {
    std::string start(Port* on, const std::string& text)
    {
        const std::string path = scratch.file("t.seq");
        EXPECT_TRUE(write_file(path, text));
        EXPECT_TRUE(sequence_start(on, path.c_str(), "", app.frame_window, false));
        return scratch.file("t.result");
    }
    // The commands have no toolbar button: the menu alone.
    bool in_menu(int command) const
    {
        return (GetMenuState(GetMenu(app.frame_window), command, MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
    bool ended(Port* on) { return until([&] { return sequence_end_of(on) != SEQUENCE_RUNNING; }); }
};

TEST_F(Sequences, ExpectsPassOnTheAnswerAndATimeoutLeavesWhatCame)
{
    EXPECT_TRUE(in_menu(CMD_SEQUENCE_RUN));
    EXPECT_FALSE(in_menu(CMD_SEQUENCE_STOP));
    const std::string result = start(port,
                                     "# a modem\n"
                                     "onfail continue\n"
                                     "send AT\\r\n"
                                     "expect OK\n"
                                     "mark \x8a\xae\x97\xb9\n"
                                     "sendhex 41 42\n"
                                     "expect \"NO\" 300\n"
                                     "wait 10000\n");
    // The device answers only after the command has reached it.
    ASSERT_TRUE(until([&] { return test_engine_written(port) == "AT\r"; }));
    EXPECT_TRUE(sequence_running(port));
    EXPECT_FALSE(in_menu(CMD_SEQUENCE_RUN));
    EXPECT_TRUE(in_menu(CMD_SEQUENCE_STOP));
    test_engine_receive(port, "O");
    test_engine_receive(port, "K\r\n\x01");
    ASSERT_TRUE(until([&] { return test_engine_written(port) == "AT\rAB"; }));
    // The expect after it times out; the wait then runs, shown with its line.
    EXPECT_TRUE(until([&] { return status(STATUS_SEQUENCE) == RUNNING + "8\x8d\x73\x96\xda \x8d\x87\x8a\x69 1 \x95\x73\x8d\x87\x8a\x69 1"; }))
        << status(STATUS_SEQUENCE);
    command(CMD_SEQUENCE_STOP);
    ASSERT_TRUE(ended(port));
    EXPECT_EQ(sequence_end_of(port), SEQUENCE_FAILED);
    EXPECT_EQ(status(STATUS_SEQUENCE), ENDED + "\x8d\x87\x8a\x69 1 \x95\x73\x8d\x87\x8a\x69 1");
    EXPECT_TRUE(in_menu(CMD_SEQUENCE_RUN));

    const std::string lines = read_file(result);
    EXPECT_NE(lines.find("\tline 3\tsend \"AT\\r\"\tOK\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("\tline 4\texpect \"OK\"\tPASS\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("\tline 5\tmark \x8a\xae\x97\xb9\tOK\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("\tline 6\tsend \"AB\"\tOK\r\n"), std::string::npos) << lines;
    // What came since the last match, and before it, as text with \xHH for the rest.
    EXPECT_NE(lines.find("\tline 7\texpect \"NO\"\tFAIL\ttimeout 300 ms\treceived \"OK\\r\\n\\x01\"\r\n"),
              std::string::npos)
        << lines;
    EXPECT_EQ(lines.find("line 8"), std::string::npos) << lines;  // stopped in its wait
    const std::string summary = "\r\nsummary\tpassed 1\tfailed 1\tsteps 5\tFAIL\r\n";
    EXPECT_EQ(lines.substr(lines.size() - summary.size()), summary);
    EXPECT_EQ(lines.substr(0, 1), "[");
}

TEST_F(Sequences, ARunWithoutEndStopsAtOnceAndOnClose)
{
    const std::string result = start(port, "repeat 1000000000\nrepeat 1000000000\nend\nend\n");
    ASSERT_TRUE(until([&] { return status(STATUS_SEQUENCE).substr(0, RUNNING.size()) == RUNNING; }));
    // The UI thread is free: a paste of typed text goes out meanwhile.
    SendMessageA(window_of(port), WM_CHAR, 'x', 0);
    ASSERT_TRUE(until([&] { return test_engine_written(port) == "x"; }));
    DWORD before = GetTickCount();
    command(CMD_SEQUENCE_STOP);
    EXPECT_LT(GetTickCount() - before, 1000u);  // 100 ms when the machine is not loaded
    EXPECT_FALSE(sequence_running(port));
    EXPECT_EQ(sequence_end_of(port), SEQUENCE_NOT_RUN);
    EXPECT_EQ(status(STATUS_SEQUENCE), STOPPED + "\x8d\x87\x8a\x69 0 \x95\x73\x8d\x87\x8a\x69 0");
    EXPECT_EQ(read_file(result), "summary\tpassed 0\tfailed 0\tsteps 0\tSTOPPED\r\n");

    start(port, "send a\nrepeat 1000000000\nwait 50\nend\n");
    ASSERT_TRUE(until([&] { return test_engine_written(port) == "xa"; }));
    close_port(port);
    const std::string lines = read_file(result);
    EXPECT_NE(lines.find("\tline 1\tsend \"a\"\tOK\r\nsummary\tpassed 0\tfailed 0\tsteps 1\tSTOPPED\r\n"),
              std::string::npos)
        << lines;
}

TEST_F(Sequences, AFaultInTheFileSendsNothingAndSaysWhere)
{
    // A syntax error's message and exit code are the unattended story's; here, a file
    // that a step names and that is missing.
    const std::string path = scratch.file("bad.seq");
    ASSERT_TRUE(write_file(path, "send a\nsendfile missing.bin\n"));
    EXPECT_FALSE(sequence_start(port, path.c_str(), "", app.frame_window, true));
    EXPECT_NE(read_file(scratch.file("bad.result")).find("missing.bin\"\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1"),
              std::string::npos);
    pump_messages();
    EXPECT_EQ(test_engine_written(port), "");
    EXPECT_FALSE(sequence_running(port));
}

}  // namespace
