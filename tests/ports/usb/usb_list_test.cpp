// The USB device list's portable rules: GUID text, the list as the settings file holds
// it (loaded slot by number, saved renumbered without gaps), a pipe's path and its
// length limit, and the caption of a USB port.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "ports/usb/usb_device_list.h"
#include "ports/usb/usb_guid.h"
#include "ports/usb/usb_path.h"

namespace {

TEST(UsbGuidText, RecognisesTheRegistryFormAnywhereInTheText)
{
    struct Case {
        const char* text;
        int recognised;
    } cases[] = {
        {"{6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F523}", 1},
        {"device {6e3c2a91-54b7-4f0d-8a2e-9c1b7d40f523} and more", 1},  // text around it is ignored
        {"{{6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F523}", 0},  // the first brace starts it
        {"{6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F52G}", 0},   // a wrong digit
        {"{6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F523", 0},    // no closing brace
        {"{6E3C2A91-54B7-4F0D-8A2E9C1B7D40F523}", 0},    // a dash missing
        {"{6E3C2A9-154B7-4F0D-8A2E-9C1B7D40F523}", 0},   // a dash misplaced
        {"6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F523", 0},     // no brace: a device name
        {"{6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F5}", 0},     // too short
        {"", 0},
    };
    for (const Case& c : cases) {
        UsbGuid guid = {};
        EXPECT_EQ(parse_guid_text(c.text, &guid), c.recognised) << c.text;
    }
    UsbGuid guid = {};
    ASSERT_EQ(parse_guid_text("x{6E3C2A91-54B7-4F0D-8a2e-9C1B7D40F523}trailing", &guid), 1);
    EXPECT_EQ(guid.data1, 0x6E3C2A91u);
    EXPECT_EQ(guid.data2, 0x54B7u);
    EXPECT_EQ(guid.data3, 0x4F0Du);
    const std::uint8_t last[8] = {0x8A, 0x2E, 0x9C, 0x1B, 0x7D, 0x40, 0xF5, 0x23};
    EXPECT_EQ(std::memcmp(guid.data4, last, 8), 0);
    EXPECT_EQ(parse_guid_text(nullptr, &guid), 0);
}

// A settings file as the list reads it.
struct Keys {
    std::map<std::string, std::string> values;
    static void read(void* context, const char* key, char* buffer, int size)
    {
        auto& values = static_cast<Keys*>(context)->values;
        auto found = values.find(key);
        std::snprintf(buffer, static_cast<size_t>(size), "%s", found == values.end() ? "" : found->second.c_str());
    }
};

TEST(UsbDeviceList, LoadsBySlotAndSavesTheUsableEntriesWithoutGaps)
{
    Keys file;
    file.values = {{"device name 1", "Scope"},   {"guid 1", "{6E3C2A91-54B7-4F0D-8A2E-9C1B7D40F523}"},
                   {"input pipe 1", "PIPE00"},   {"output pipe 1", "PIPE01"},
                   {"device name 2", "Logger"},  {"guid 2", "logger0"},
                   {"device name 5", "Counter"}, {"guid 5", "counter0"},
                   {"device name 7", "No GUID"}, {"entry", "1"}};
    UsbDeviceEntry table[USB_DEVICE_COUNT];
    std::memset(table, 'x', sizeof table);  // whatever was there before goes
    usb_list_load(table, Keys::read, &file);
    EXPECT_STREQ(table[0].name, "Scope");
    EXPECT_STREQ(table[0].output_pipe, "PIPE01");
    EXPECT_STREQ(table[1].guid, "logger0");
    EXPECT_STREQ(table[1].input_pipe, "");
    EXPECT_STREQ(table[4].name, "Counter");
    EXPECT_FALSE(usb_entry_used(&table[2]));
    // A name without a GUID text is listed (used) but cannot be opened, and a save
    // drops it: the saved entries are the slots 0, 1 and 4, numbered 1, 2 and 3.
    EXPECT_TRUE(usb_entry_used(&table[6]));
    EXPECT_FALSE(usb_entry_usable(&table[6]));
    int slots[USB_DEVICE_COUNT];
    ASSERT_EQ(usb_list_saved_slots(table, slots), 3);
    EXPECT_EQ(slots[0], 0);
    EXPECT_EQ(slots[1], 1);
    EXPECT_EQ(slots[2], 4);
    char key[32];
    usb_entry_key(3, 3, key, sizeof key);
    EXPECT_STREQ(key, "output pipe 3");
}

TEST(UsbDeviceList, TextsAndCaptionsAreCutAtWholeCharacters)
{
    // 258 bytes of text, then a double-byte character: it does not fit the 259 bytes.
    std::string text(258, 'a');
    text += "\x83\x41";
    UsbDeviceEntry entry = {};
    usb_entry_set_text(&entry, 0, text.c_str());
    EXPECT_EQ(std::string(entry.name), std::string(258, 'a'));
    // The caption always ends with the USB number, however long the name.
    char caption[128];
    usb_format_long_name("Scope", 2, caption, sizeof caption);
    EXPECT_STREQ(caption, "Scope(USB2)");
    std::string wide;
    for (int i = 0; i < 100; ++i) wide += "\x83\x41";  // 200 bytes of katakana
    usb_format_long_name(wide.c_str(), 12, caption, sizeof caption);
    std::string shown = caption;
    EXPECT_EQ(shown.size() % 2, 1u);  // 2-byte characters, then "(USB12)"
    EXPECT_EQ(shown.substr(shown.size() - 7), "(USB12)");
    EXPECT_LE(shown.size(), sizeof caption - 1);
}

TEST(UsbPipePath, ADeviceNameOrPathWithThePipeWithin259Bytes)
{
    char path[USB_PATH_SIZE];
    ASSERT_TRUE(usb_pipe_path("tavexusb", true, "PIPE00", path));
    EXPECT_STREQ(path, "\\\\.\\tavexusb\\PIPE00");
    ASSERT_TRUE(usb_pipe_path("\\\\?\\usb#vid_1234", false, "", path));
    EXPECT_STREQ(path, "\\\\?\\usb#vid_1234");  // no pipe name: the device itself
    // 250 + "\" + 8 = 259 bytes fit; one more does not, and leaves nothing behind.
    std::string base(250, 'd');
    EXPECT_TRUE(usb_pipe_path(base.c_str(), false, "PIPE0000", path));
    EXPECT_EQ(std::strlen(path), 259u);
    EXPECT_FALSE(usb_pipe_path(base.c_str(), false, "PIPE00000", path));
    EXPECT_STREQ(path, "");
}

}  // namespace
