// Placing windows inside the monitors' work areas.
#include <gtest/gtest.h>

#include "psw/Placement.h"
#include "platform/StandInUi.h"
#include "tests/support/TestRoot.h"

namespace {

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class PlacementTest : public kvtest::StandInTest {
protected:
    void TearDown() override {
        standin::ui::ResetUi();
        StandInTest::TearDown();
    }
};

TEST_F(PlacementTest, CenterRectRoundsHalvesDown) {
    const RECT work{0, 0, 1024, 728};
    const RECT window{0, 0, 301, 101};
    RECT out{};
    EXPECT_EQ(CenterRect(&out, &window, &work), kPlacementOk);
    EXPECT_TRUE(Same(out, RECT{362, 314, 663, 415}));
}

TEST_F(PlacementTest, AdjustWndRectTable) {
    const RECT work{0, 0, 1000, 700};
    constexpr DWORD kSizable = WS_THICKFRAME;
    struct Case {
        const char* what;
        RECT window;
        DWORD style;
        DWORD mode;
        RECT expected;
    } const cases[] = {
        {"inside stays", {10, 10, 110, 110}, 0, 0, {10, 10, 110, 110}},
        {"off the right moves left", {950, 10, 1050, 110}, 0, 0, {900, 10, 1000, 110}},
        {"off the top-left moves in", {-50, -20, 50, 80}, 0, 0, {0, 0, 100, 100}},
        {"larger keeps left and top", {-10, -10, 1200, 900}, 0, 0, {0, 0, 1210, 910}},
        {"larger sizable is cut", {-10, -10, 1200, 900}, kSizable, 0, {0, 0, 1000, 700}},
        {"larger sizable, no cut", {-10, -10, 1200, 900}, kSizable, kAdjustNoCut, {0, 0, 1210, 910}},
        {"resize sizable keeps corner", {5, 6, 1205, 906}, kSizable, kAdjustResize, {5, 6, 1005, 706}},
        {"resize fixed keeps all", {5, 6, 1205, 906}, 0, kAdjustResize, {5, 6, 1205, 906}},
    };
    for (const Case& c : cases) {
        RECT out{};
        EXPECT_EQ(AdjustWndRect(&out, &c.window, &work, c.style, c.mode), kPlacementOk);
        EXPECT_TRUE(Same(out, c.expected)) << c.what << ": " << out.left << "," << out.top << "," << out.right << ","
                                           << out.bottom;
    }
}

TEST_F(PlacementTest, CorrectWndRectOnOneMonitor) {
    // The default screen: 1024 x 768 with a work area of 1024 x 728.
    constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const RECT sample{0, 0, 300, 200};
    RECT hold{};
    GetHoldTitleRect(&sample, kStyle, &hold);
    struct Case {
        const char* what;
        RECT window;
        DWORD result;
        RECT expected;
    } const cases[] = {
        {"inside", {100, 100, 400, 300}, kPlacementOk, {100, 100, 400, 300}},
        // The title strip starts hold.left to the right of the window's left edge.
        {"title touches by one pixel", {1023 - hold.left, 100, 1323 - hold.left, 300}, kPlacementOk,
         {1023 - hold.left, 100, 1323 - hold.left, 300}},
        {"title off screen", {1024 - hold.left, 100, 1324 - hold.left, 300}, kPlacementMove, {724, 100, 1024, 300}},
        {"fixed and too tall", {0, 0, 300, 900}, kPlacementResize, {0, 0, 300, 900}},
    };
    for (const Case& c : cases) {
        RECT out{};
        EXPECT_EQ(GetCorrectWndRect(&out, &c.window, kStyle), c.result) << c.what;
        EXPECT_TRUE(Same(out, c.expected)) << c.what << ": " << out.left << "," << out.top;
    }
}

TEST_F(PlacementTest, AWindowOnARemovedMonitorMovesToTheNearestOne) {
    standin::ui::SetMonitors({{{0, 0, 1024, 768}, {0, 0, 1024, 728}}, {{1024, 0, 2048, 768}, {1024, 0, 2048, 768}}});
    constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;
    RECT out{};
    const RECT onSecond{1500, 100, 1800, 300};
    EXPECT_EQ(GetCorrectWndRect(&out, &onSecond, kStyle), kPlacementOk);
    // Beyond the second monitor, as after a third one was taken away.
    const RECT gone{2300, 100, 2600, 300};
    EXPECT_EQ(GetCorrectWndRect(&out, &gone, kStyle), kPlacementMove);
    EXPECT_TRUE(Same(out, RECT{1748, 100, 2048, 300}));
}

TEST_F(PlacementTest, HoldTitleRectCountsFrameIconAndButtons) {
    const int cx = GetSystemMetrics(SM_CXSIZE);
    const int fx = GetSystemMetrics(SM_CXDLGFRAME);
    const RECT window{0, 0, 300, 200};
    struct Case {
        DWORD style;
        int icons;
        int buttons;
    } const cases[] = {
        {WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 1, 3},
        {WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP, 1, 2},
        {WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 1},
        {WS_CAPTION, 1, 0},
    };
    for (const Case& c : cases) {
        RECT hold{};
        GetHoldTitleRect(&window, c.style, &hold);
        EXPECT_EQ(hold.left, cx * c.icons + fx) << c.style;
        EXPECT_EQ(hold.right, 300 - cx * c.buttons - fx) << c.style;
        EXPECT_EQ(hold.bottom - hold.top, GetSystemMetrics(SM_CYCAPTION));
    }
}

TEST_F(PlacementTest, AdjustWndToMonUsesTheMonitorsWorkArea) {
    standin::ui::SetMonitors({{{0, 0, 1024, 768}, {0, 0, 1024, 728}}, {{1024, 0, 2048, 768}, {1024, 40, 2048, 768}}});
    const RECT window{0, 0, 200, 100};
    RECT out{1, 2, 3, 4};
    AdjustWndToMon(nullptr, &out, &window, 0, 1);
    EXPECT_TRUE(Same(out, RECT{412, 314, 612, 414}));
    const RECT probe{1100, 100, 1200, 200};
    HMONITOR second = MonitorFromRect(&probe, MONITOR_DEFAULTTONULL);
    AdjustWndToMon(second, &out, &window, 0, 2);
    EXPECT_TRUE(Same(out, RECT{1024, 40, 1224, 140}));
    out = RECT{1, 2, 3, 4};
    AdjustWndToMon(second, &out, &window, 0, 3);  // unknown mode: untouched
    EXPECT_TRUE(Same(out, RECT{1, 2, 3, 4}));
}

}  // namespace
