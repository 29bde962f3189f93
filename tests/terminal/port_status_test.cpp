// A port's status and what is derived from it: the connection state, whether the
// port takes input, and the status bar's connection text, for every state and reason.
#include "terminal/port_status.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Written as text, not bytes: the texts under test are literals of a portable header,
// Shift-JIS in the Win32 build and UTF-8 in the native one, as these are.
const std::string CONNECTED_TEXT = "接続中";
const std::string NOT_CONNECTED_TEXT = "通信不可";
const std::string WAITING_TEXT = "再接続待ち";

TEST(PortStatus, OnlyAConnectedPortShowsConnectedAndOnlyAFailingDeviceTakesInputBeside)
{
    const struct {
        PortState state;
        PortReason reason;
        std::int32_t connection_state;
        bool takes_input;
        const std::string& text;
    } cases[] = {
        {PORT_CONNECTING, PORT_REASON_NONE, PORT_NOT_CONNECTED, false, NOT_CONNECTED_TEXT},
        {PORT_CONNECTED, PORT_REASON_NONE, PORT_CONNECTED, true, CONNECTED_TEXT},
        {PORT_WAITING_TO_RETRY, PORT_REASON_REFUSED, PORT_NOT_CONNECTED, false, NOT_CONNECTED_TEXT},
        {PORT_LOST, PORT_REASON_DEVICE_GONE, PORT_NOT_CONNECTED, false, NOT_CONNECTED_TEXT},
        {PORT_LOST, PORT_REASON_PEER_CLOSED, PORT_NOT_CONNECTED, false, NOT_CONNECTED_TEXT},
        {PORT_LOST, PORT_REASON_RESET, PORT_NOT_CONNECTED, false, NOT_CONNECTED_TEXT},
        // A printer switched off: not connected, yet the next write may succeed.
        {PORT_LOST, PORT_REASON_TRANSFER_FAILING, PORT_FAILING, true, NOT_CONNECTED_TEXT},
        {PORT_CLOSED, PORT_REASON_NONE, PORT_NOT_CONNECTED, false, NOT_CONNECTED_TEXT},
        // A reason that means something only when lost changes nothing elsewhere.
        {PORT_CLOSED, PORT_REASON_TRANSFER_FAILING, PORT_NOT_CONNECTED, false, NOT_CONNECTED_TEXT},
        // A device waited for takes nothing, so that it never gets stale input.
        {PORT_WAITING_FOR_DEVICE, PORT_REASON_DEVICE_GONE, PORT_NOT_CONNECTED, false, WAITING_TEXT},
    };
    for (const auto& k : cases) {
        PortStatus status = {k.state, k.reason};
        SCOPED_TRACE(testing::Message() << "state " << k.state << " reason " << k.reason);
        EXPECT_EQ(port_connection_state(status), k.connection_state);
        EXPECT_EQ(connection_takes_input(status), k.takes_input);
        EXPECT_EQ(port_status_text(status), k.text);
    }
}

}  // namespace
