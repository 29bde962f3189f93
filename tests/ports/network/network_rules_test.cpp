// The network kind's portable rules: the dotted-address test, the host history as
// loaded, used and dropped, and the number rule of the port field and the settings
// page's fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ports/network/net_address.h"
#include "ports/network/network_history.h"
#include "ports/network/network_page.h"

namespace {

TEST(DottedAddress, DecidesBetweenAddressAndName)
{
    struct Case {
        const char* text;
        bool dotted;
        unsigned char address[4];
    };
    const Case cases[] = {
        {"1.2.3.4", true, {1, 2, 3, 4}},
        {"1 . 2 . 3 . 4", true, {1, 2, 3, 4}},
        {"\t127.0.0.1\t", true, {127, 0, 0, 1}},
        {"1.2.3.4x", true, {1, 2, 3, 4}},  // whatever follows the fourth number is ignored
        {"255.255.255.255", true, {255, 255, 255, 255}},
        {"0001.02.3.004", true, {1, 2, 3, 4}},
        {"1.2.3", false, {}},
        {"256.1.1.1", false, {}},
        {"1.2.3.256", false, {}},
        {"99999999999999999999.1.1.1", false, {}},  // no overflow into a small number
        {"1..2.3", false, {}},
        {"-1.2.3.4", false, {}},
        {"host.example", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        unsigned char address[4] = {9, 9, 9, 9};
        EXPECT_EQ(is_dotted_address(c.text), c.dotted) << c.text;
        EXPECT_EQ(net_parse_dotted(c.text, address), c.dotted) << c.text;
        // A text that is no address leaves the output untouched.
        const unsigned char untouched[4] = {9, 9, 9, 9};
        EXPECT_EQ(0, std::memcmp(address, c.dotted ? c.address : untouched, 4)) << c.text;
    }
    EXPECT_FALSE(is_dotted_address(nullptr));
}

std::vector<std::string> hosts(const NetworkHistory& h)
{
    return std::vector<std::string>(h.hosts, h.hosts + h.count);
}

NetworkHistory loaded(const std::vector<std::string>& stored, int list_entry)
{
    NetworkHistory h;
    net_history_clear(&h);
    int keys = net_history_keys(list_entry);
    for (int k = 0; k < keys && k < static_cast<int>(stored.size()); ++k) net_history_add_stored(&h, stored[k].c_str());
    return h;
}

std::vector<std::string> numbered(int n, const char* prefix = "h")
{
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back(prefix + std::to_string(i));
    return v;
}

TEST(HostHistory, LoadTakesAtMostTenAndSkipsEmptyEntries)
{
    NetworkHistory empty;
    net_history_clear(&empty);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.last_port, 10000);
    EXPECT_EQ(empty.last_protocol, 0);
    EXPECT_EQ(hosts(loaded(numbered(15), 15)), numbered(10));
    EXPECT_EQ(net_history_keys(-3), 0);
    EXPECT_EQ(hosts(loaded({"a", "", "b", "", "c"}, 5)), (std::vector<std::string>{"a", "b", "c"}));
    // A stored entry longer than an entry holds is cut, never overrun.
    EXPECT_EQ(std::string(loaded({std::string(400, 'x')}, 1).hosts[0]).size(), 256u);
}

TEST(HostHistory, UseMovesToTheFrontAndDropsTheTenth)
{
    struct Case {
        std::vector<std::string> before;
        const char* host;
        std::vector<std::string> after;
    };
    const std::vector<std::string> ten = numbered(10);
    std::vector<std::string> ten_after = {"new"};
    ten_after.insert(ten_after.end(), ten.begin(), ten.begin() + 9);
    const Case cases[] = {
        {{}, "first", {"first"}},
        {{"a", "b", "c", "d"}, "c", {"c", "a", "b", "d"}},  // count unchanged
        {{"a", "b", "c"}, "a", {"a", "b", "c"}},
        {ten, "new", ten_after},
        {ten, "h10", {"h10", "h1", "h2", "h3", "h4", "h5", "h6", "h7", "h8", "h9"}},
        {{"Host", "b"}, "host", {"host", "Host", "b"}},  // letter case counts
        {{"a", "b"}, "", {"a", "b"}},                    // an empty host is not remembered
    };
    for (const Case& c : cases) {
        NetworkHistory h = loaded(c.before, static_cast<int>(c.before.size()));
        net_history_use(&h, c.host);
        EXPECT_EQ(hosts(h), c.after) << c.host;
    }
}

TEST(NumberField, ReadsSignAndLeadingDigitsOfAtMost14Characters)
{
    struct Case {
        const char* text;
        std::int32_t value;
        bool fits;  // in 32 bits
    };
    const Case cases[] = {
        {"10000", 10000, true},   {"-1", -1, true},         {"65536", 65536, true},
        {"80abc", 80, true},      {"abc", 0, true},         {"", 0, true},
        {"-", 0, true},           {" 80", 0, true},         {"0008", 8, true},
        {"2147483647", 2147483647, true},                  {"-2147483648", -2147483647 - 1, true},
        {"2147483648", 2147483647, false},
        {"12345678901234567", 2147483647, false},  // fourteen characters read, then held to 32 bits
        {"4294967376", 2147483647, false},         // never wraps round to port 80
        {"-99999999999999", -2147483647 - 1, false},
        {"1234567890123x5", 2147483647, false},
    };
    for (const Case& c : cases) {
        bool fits = !c.fits;
        EXPECT_EQ(net_read_number(c.text, &fits), c.value) << c.text;
        EXPECT_EQ(fits, c.fits) << c.text;
    }
    EXPECT_EQ(net_read_number(nullptr, nullptr), 0);
}

TEST(NetworkPageModel, FieldsKeepInRangeNumbersElseTheValueTheyOpenedWith)
{
    NetworkPage page;
    const NetworkSettings opened = {1, 7, 4};
    network_page_open(&page, &opened);
    struct Case {
        int control;
        const char* text;
        std::int32_t kept;
    };
    const Case cases[] = {
        {IDC_NET_WAIT_TIME, "500", 7},   {IDC_NET_WAIT_TIME, "300", 300}, {IDC_NET_WAIT_TIME, "1", 1},
        {IDC_NET_WAIT_TIME, "0", 7},     {IDC_NET_WAIT_TIME, "x", 7},     {IDC_NET_WAIT_TIME, "12s", 12},
        {IDC_NET_WAIT_TIME, "", 7},      {IDC_NET_RETRY_COUNT, "0", 0},   {IDC_NET_RETRY_COUNT, "100", 100},
        {IDC_NET_RETRY_COUNT, "101", 4}, {IDC_NET_RETRY_COUNT, "-1", 4},
        // A cleared field, or one without digits, is the number 0.
        {IDC_NET_RETRY_COUNT, "", 0},    {IDC_NET_RETRY_COUNT, "x", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(network_page_field(&page, c.control, c.text), c.kept) << c.text;
    NetworkSettings applied = network_page_apply(&page, false, "600", "9");
    EXPECT_EQ(applied.reconnect, 0);
    EXPECT_EQ(applied.wait_time, 7);
    EXPECT_EQ(applied.retry_count, 9);
    EXPECT_EQ(network_page_apply(&page, true, "30", "x").reconnect, 1);
}

}  // namespace
