// The frame window in-process: its class and styles, the MDI client, the layout, the
// other-instance check and the orderly end through the real message loop.
#include "app/frame_win.h"

#include <gtest/gtest.h>

#include "app/startup_win.h"

namespace {

class FrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        app = App{};
        app.instance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(frame_register_class(app.instance));
    }
    void TearDown() override
    {
        if (app.frame_window) DestroyWindow(app.frame_window);
        // Drop the WM_QUIT a destroyed frame posts, so it cannot end a later loop.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        frame_unregister_class(app.instance);
    }
};

TEST_F(FrameTest, ClassAndWindowAreTheFramesOwn)
{
    HWND frame = frame_create(app.instance);
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(frame, app.frame_window);
    char name[64];
    GetClassNameA(frame, name, sizeof name);
    EXPECT_STREQ("TAVEX FRAME", name);
    EXPECT_EQ(11u, GetClassLongPtrA(frame, GCL_STYLE));
    EXPECT_EQ(0u, GetClassLongPtrA(frame, GCLP_HBRBACKGROUND));
    LONG_PTR style = GetWindowLongPtrA(frame, GWL_STYLE);
    EXPECT_EQ(0x02CF0000, style & 0x02CF0000) << std::hex << style;
    EXPECT_TRUE(GetWindowLongPtrA(frame, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    GetWindowTextA(frame, name, sizeof name);
    EXPECT_STREQ("Velkaro", name);
}

TEST_F(FrameTest, MdiClientFillsTheClientArea)
{
    HWND frame = frame_create(app.instance);
    ASSERT_NE(nullptr, frame);
    HWND client = frame_create_mdi_client(frame);
    ASSERT_NE(nullptr, client);
    EXPECT_EQ(client, app.mdi_client);
    EXPECT_EQ(frame, GetParent(client));
    char name[64];
    GetClassNameA(client, name, sizeof name);
    EXPECT_STRCASEEQ("MDICLIENT", name);
    EXPECT_EQ(static_cast<LONG_PTR>(0x42000000), GetWindowLongPtrA(client, GWL_STYLE) & 0x42000000);

    ShowWindow(frame, SW_SHOWNORMAL);
    ShowWindow(client, SW_SHOW);
    SetWindowPos(frame, nullptr, 10, 10, 500, 320, SWP_NOZORDER);
    RECT frame_area, client_area;
    GetClientRect(frame, &frame_area);
    GetWindowRect(client, &client_area);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&client_area), 2);
    EXPECT_EQ(0, client_area.left);
    EXPECT_EQ(0, client_area.top);
    EXPECT_EQ(frame_area.right, client_area.right);
    EXPECT_EQ(frame_area.bottom, client_area.bottom);
}

TEST_F(FrameTest, CloseDestroysTheFrameAndEndsTheLoopWithZero)
{
    HWND frame = frame_create(app.instance);
    ASSERT_NE(nullptr, frame);
    ASSERT_NE(nullptr, frame_create_mdi_client(frame));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, frame_message_loop());
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(nullptr, app.frame_window);
    EXPECT_EQ(nullptr, app.mdi_client);
}

TEST_F(FrameTest, AnotherInstanceIsRestoredWhenMinimized)
{
    EXPECT_FALSE(frame_raise_other_instance());
    HWND frame = frame_create(app.instance);
    ASSERT_NE(nullptr, frame);
    ShowWindow(frame, SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(frame));
    EXPECT_TRUE(frame_raise_other_instance());
    EXPECT_FALSE(IsIconic(frame));
    EXPECT_TRUE(IsWindowVisible(frame));
}

TEST(Startup, ThisSystemPassesTheOperatingSystemCheck)
{
    app = App{};
    app.os_family = -1;
    ASSERT_TRUE(startup_check_os());
    EXPECT_EQ(1, app.os_family);  // Wine reports an NT-family system
}

}  // namespace
