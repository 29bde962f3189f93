// Sequences run unattended, as a CI job runs them: "tavex.exe COM5 /run FILE /exit"
// against the bench's pty, whose far end answers "OK\r\n" to every "AT\r" — a
// 100-step sequence passes with exit code 0; a far end that stays silent fails with
// 1 and the result shows the timeout and what came; the COM port and the network
// echo peer run their sequences side by side; a command line or sequence that cannot
// run ends with 2. No run writes tavex.ini.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/e2e/program_e2e.h"
#include "tests/support/fixture_win.h"

namespace {

struct UnattendedRun : ComPortProgram {
    Started first, second;

    // The program started in the scratch folder with these arguments; its exit code.
    DWORD run(const std::string& arguments) { return run(arguments, first); }
    DWORD run(const std::string& arguments, Started& program)
    {
        start(program, scratch.path(), SW_SHOWNORMAL, program_path(), arguments);
        return program.ok ? program.wait_exit(60000) : STILL_ACTIVE;
    }
    void sequence(const char* name, const std::string& text) { ASSERT_TRUE(write_file(scratch.file(name), text)); }
};

TEST_F(UnattendedRun, AModemThatAnswersPassesAHundredSteps)
{
    sequence("at.seq", "# AT\nrepeat 50\n send AT\\r\n expect \"OK\\r\\n\" 3000\nend\n");
    std::thread modem([&] {
        for (int i = 0; i < 50; ++i) {
            if (peer->read(3, 20000) != "AT\r") return;
            peer->write("OK\r\n");
        }
    });
    DWORD code = run("COM5 /run at.seq /exit");
    modem.join();
    EXPECT_EQ(code, 0u);
    const std::string result = read_file(scratch.file("at.result"));
    EXPECT_NE(result.find("summary\tpassed 50\tfailed 0\tsteps 100\tPASS\r\n"), std::string::npos) << result;
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
}

TEST_F(UnattendedRun, ASilentDeviceFailsWithTheTimeoutAndWhatCame)
{
    sequence("silent.seq", "send AT\\r\nexpect \"OK\" 500\nsend never\n");
    DWORD code = run("COM5 /run silent.seq /result out.txt /exit");
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(peer->read(3, 2000), "AT\r");
    const std::string result = read_file(scratch.file("out.txt"));
    EXPECT_NE(result.find("\tline 2\texpect \"OK\"\tFAIL\ttimeout 500 ms\treceived \"\"\r\n"), std::string::npos)
        << result;
    EXPECT_NE(result.find("summary\tpassed 0\tfailed 1\tsteps 2\tFAIL\r\n"), std::string::npos) << result;
}

TEST_F(UnattendedRun, AComPortAndANetworkPeerSideBySide)
{
    ASSERT_NE(tcp_peer_port(), 0);
    ASSERT_TRUE(tcp_peer_command("mode", "echo"));
    sequence("com.seq", "send AT\\r\nexpect OK\n");
    sequence("net.seq", "repeat 20\n sendhex 02 41 03\n expecthex 02 41 03\nend\nmark echoed\n");
    std::thread modem([&] {
        if (peer->read(3, 20000) == "AT\r") peer->write("OK\r\n");
    });
    DWORD code = run("COM5 /run com.seq 127.0.0.1:" + std::to_string(tcp_peer_port()) + " /run net.seq /exit");
    modem.join();
    EXPECT_EQ(code, 0u);
    EXPECT_NE(read_file(scratch.file("com.result")).find("\tPASS\r\n"), std::string::npos);
    const std::string net = read_file(scratch.file("net.result"));
    EXPECT_NE(net.find("\tmark echoed\tOK\r\nsummary\tpassed 20\tfailed 0\tsteps 41\tPASS\r\n"), std::string::npos)
        << net;
}

TEST_F(UnattendedRun, WhatCannotRunEndsWithTwo)
{
    sequence("bad.seq", "send AT\\r\nexpect\n");
    EXPECT_EQ(run("COM5 /run bad.seq /exit"), 2u);
    EXPECT_NE(read_file(scratch.file("bad.result")).find("bad.seq\" \x82\xcc 2 \x8d\x73\x96\xda: "), std::string::npos);
    EXPECT_EQ(peer->read(1, 300), "");  // nothing was sent

    EXPECT_EQ(run("COM99 /run bad.seq /exit", second), 2u);  // refused by the command line
    EXPECT_FALSE(file_exists(scratch.file("tavex.ini")));
}

}  // namespace
