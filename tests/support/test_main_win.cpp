// The entry of every Win32 test program: the kinds of port registered, as the
// program's start-up registers them, then the tests. A test that puts its test
// engine in a kind's entry takes the registered one aside and gives it back.
#include <gtest/gtest.h>

#include "ports/port_kinds_win.h"

int main(int argc, char** argv)
{
    port_kinds_register();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
