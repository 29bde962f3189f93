// The USB settings page's model: what 追加, 変更 and 削除 do to the slots and the
// list's lines, which line is selected after each, their refusals, and OK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ports/usb/usb_page.h"

namespace {

UsbDeviceEntry entry(const char* name, const char* guid, const char* in = "", const char* out = "")
{
    UsbDeviceEntry e = {};
    usb_entry_set_text(&e, 0, name);
    usb_entry_set_text(&e, 1, guid);
    usb_entry_set_text(&e, 2, in);
    usb_entry_set_text(&e, 3, out);
    return e;
}

struct UsbPageModel : ::testing::Test {
    UsbDeviceEntry live[USB_DEVICE_COUNT] = {};
    UsbPage page;
    void SetUp() override
    {
        live[0] = entry("A", "a0");
        live[1] = entry("B", "b0");
        live[5] = entry("C", "c0");
        usb_page_open(&page, live);
    }
    std::vector<std::string> lines() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < page.line_count; ++i) names.push_back(page.slots[page.lines[i]].name);
        return names;
    }
    std::string shown() const
    {
        const UsbDeviceEntry* e = usb_page_shown(&page);
        return e ? e->name : "(none)";
    }
};

TEST_F(UsbPageModel, DeletingSelectsTheLineThatMovesUpOrTheNewLast)
{
    EXPECT_EQ(lines(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(shown(), "A");
    usb_page_select(&page, 2);  // the last of three
    ASSERT_EQ(usb_page_delete(&page), USB_PAGE_DONE);
    EXPECT_EQ(page.selected, 1);
    EXPECT_EQ(shown(), "B");
    usb_page_select(&page, 0);  // the first: the next moves up into its place
    ASSERT_EQ(usb_page_delete(&page), USB_PAGE_DONE);
    EXPECT_EQ(shown(), "B");
    ASSERT_EQ(usb_page_delete(&page), USB_PAGE_DONE);
    EXPECT_EQ(page.selected, -1);
    EXPECT_EQ(shown(), "(none)");  // the fields are emptied
    // With the list empty, 変更 and 削除 have nothing to act on and say nothing.
    EXPECT_EQ(usb_page_delete(&page), USB_PAGE_NOTHING_SELECTED);
    UsbDeviceEntry fields = entry("X", "x0");
    EXPECT_EQ(usb_page_modify(&page, &fields), USB_PAGE_NOTHING_SELECTED);
    EXPECT_EQ(usb_page_message_text(USB_PAGE_NOTHING_SELECTED), nullptr);
}

TEST_F(UsbPageModel, AddingTakesTheFirstFreeSlotAndSelectsTheNewLastLine)
{
    usb_page_select(&page, 1);
    ASSERT_EQ(usb_page_delete(&page), USB_PAGE_DONE);  // B's slot 1 is free again
    UsbDeviceEntry fields = entry("D", "d0", "in", "out");
    ASSERT_EQ(usb_page_add(&page, &fields), USB_PAGE_DONE);
    EXPECT_EQ(lines(), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(page.lines[2], 1);
    EXPECT_EQ(page.selected, 2);
    fields = entry("E", "e0");
    ASSERT_EQ(usb_page_add(&page, &fields), USB_PAGE_DONE);  // slot 2, the lowest free now
    EXPECT_EQ(page.lines[3], 2);
    // OK: the slot order, without gaps, so D comes back where B was.
    UsbDeviceEntry applied[USB_DEVICE_COUNT];
    usb_page_apply(&page, applied);
    std::vector<std::string> names;
    for (const UsbDeviceEntry& e : applied) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "D", "E", "C", "", "", "", "", "", "", "", "", "", "", "", ""}));
    EXPECT_STREQ(applied[1].output_pipe, "out");
}

TEST_F(UsbPageModel, RefusalsChangeNothing)
{
    UsbDeviceEntry no_guid = entry("D", "");
    EXPECT_EQ(usb_page_add(&page, &no_guid), USB_PAGE_NAME_AND_GUID_NEEDED);
    UsbDeviceEntry no_name = entry("", "d0");
    EXPECT_EQ(usb_page_add(&page, &no_name), USB_PAGE_NAME_AND_GUID_NEEDED);
    EXPECT_EQ(lines(), (std::vector<std::string>{"A", "B", "C"}));
    usb_page_select(&page, 1);
    EXPECT_EQ(usb_page_modify(&page, &no_name), USB_PAGE_NAME_NEEDED);
    EXPECT_EQ(usb_page_modify(&page, &no_guid), USB_PAGE_GUID_NEEDED);
    EXPECT_STREQ(page.slots[1].guid, "b0");
    UsbDeviceEntry renamed = entry("B2", "b1", "p0");
    ASSERT_EQ(usb_page_modify(&page, &renamed), USB_PAGE_DONE);
    EXPECT_EQ(lines(), (std::vector<std::string>{"A", "B2", "C"}));
    EXPECT_EQ(page.selected, 1);
    // Sixteen used slots: a seventeenth is refused before the fields are looked at.
    for (int i = 3; i < USB_DEVICE_COUNT; ++i) {
        UsbDeviceEntry more = entry("M", "m0");
        ASSERT_EQ(usb_page_add(&page, &more), USB_PAGE_DONE) << i;
    }
    EXPECT_EQ(usb_page_add(&page, &no_guid), USB_PAGE_FULL);
    EXPECT_EQ(std::string(usb_page_message_text(USB_PAGE_FULL)),
              "\x82\xb1\x82\xea\x88\xc8\x8f\xe3\x92\xc7\x89\xc1\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1");
}

}  // namespace
