// The clip rectangle command: short and long forms, clamping to the page, scaled extents
// and the cache that keeps a repeated clip off the wire.
#include <gtest/gtest.h>

#include "render/Geometry.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "tests/render_flow/FlowFixture.h"
#include "tests/support/ByteCompare.h"

namespace flowtest {
namespace {

class ClipTest : public FlowTest {};

TEST_F(ClipTest, ShortAndLongForms) {
    struct Case {
        const char* name;
        RECTL rect;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        {"100 high, 50 wide",
         {10, 20, 60, 120},
         {0xB6, 0x0A, 0x00, 0x14,     // position (10, 20)
          0xB1, 0x64, 0x00, 0x32}},   // B1 height 100 (byte), width 50
        {"300 high, 50 wide",
         {10, 20, 60, 320},
         {0xB6, 0x0A, 0x00, 0x14,                           // position (10, 20)
          0xB2, 0x00, 0x01, 0x2C, 0x00, 0x32, 0x00, 0x00}},  // B2 00 height 300, width 50, 00 00
        {"255 high stays short",
         {0, 0, 1, 255},
         {0xB6, 0x00, 0x00, 0x00,    // position (0, 0)
          0xB1, 0xFF, 0x00, 0x01}},  // B1 height 255, width 1
    };
    for (const Case& c : cases) {
        auto device = ReadyDevice();
        SetClipRectangle(device->pdev(), c.rect);
        EXPECT_EQ(kvtest::CompareBytes(c.expected, device->Buffered()), "") << c.name;
    }
}

TEST_F(ClipTest, RectangleOffThePageClipsToTheWholePage) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    const PaperRecord& paper = p->Geometry.InputPaper;
    const LONG w = MicronsToDots(paper.Printable.right - paper.Printable.left, 600) + 1;
    const LONG h = MicronsToDots(paper.Printable.bottom - paper.Printable.top, 600) + 1;
    const RECTL offPage[] = {{-50, 10, -1, 20}, {10, -50, 20, -1}, {w + 1, 10, w + 50, 20}, {10, h + 1, 20, h + 50}};
    for (const RECTL& rect : offPage) {
        p->Draw.ClipRect = {};
        SetClipRectangle(p, rect);
        EXPECT_EQ(p->Draw.ClipRect.left, 0);
        EXPECT_EQ(p->Draw.ClipRect.top, 0);
        EXPECT_EQ(p->Draw.ClipRect.right, w);
        EXPECT_EQ(p->Draw.ClipRect.bottom, h);
    }
    // Partly off: clamped to the page edges.
    SetClipRectangle(p, {-10, -10, 30, 40});
    EXPECT_EQ(p->Draw.ClipRect.right, 30);
    EXPECT_EQ(p->Draw.ClipRect.bottom, 40);
    SetClipRectangle(p, {100, 100, w + 500, h + 500});
    EXPECT_EQ(p->Draw.ClipRect.right, w);
    EXPECT_EQ(p->Draw.ClipRect.bottom, h);
}

TEST_F(ClipTest, ScaledExtentsAreSentOneLarger) {
    struct Case {
        SHORT dpi;
        WORD scale;
        BYTE sentHeight;
        BYTE sentWidth;
    };
    const Case cases[] = {
        {600, 50, 51, 51},    // 100 x 100 at 50 %
        {300, 50, 102, 102},  // doubled, two larger
        {300, 100, 200, 200},  // doubled at full size: exact
    };
    for (const Case& c : cases) {
        auto device = ReadyDevice(c.dpi);
        PDEV* p = device->pdev();
        if (c.dpi == 300) p->StateFlags |= kStateDoubling;
        p->Geometry.ScalePercent = c.scale;
        SetClipRectangle(p, {0, 0, 100, 100});
        const std::vector<BYTE> bytes = device->Buffered();
        ASSERT_EQ(bytes.size(), 8u) << c.dpi << " dpi at " << c.scale << " %";
        EXPECT_EQ(bytes[4], 0xB1);
        EXPECT_EQ(bytes[5], c.sentHeight) << c.dpi << " dpi at " << c.scale << " %";
        EXPECT_EQ(bytes[7], c.sentWidth) << c.dpi << " dpi at " << c.scale << " %";
    }
}

TEST_F(ClipTest, SameClipIsSentOnceUntilPageControlMode) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    SetClipRectangle(p, {10, 20, 60, 120});
    SetClipRectangle(p, {10, 20, 60, 120});
    EXPECT_EQ(device->Buffered().size(), 8u);
    device->ClearBuffer();

    EnterPageControlMode(p);
    LeavePageControlMode(p);
    device->ClearBuffer();
    SetClipRectangle(p, {10, 20, 60, 120});
    // The position is still known, so only the clip goes again.
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0xB1, 0x64, 0x00, 0x32}, device->Buffered()), "");
}

TEST_F(ClipTest, MarksTheSheetAndDropsTheStoredClipPath) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    p->SheetBlank = 1;
    p->Draw.ClipPathStored = 1;
    p->Draw.ClipPathPoints = 12;
    SetClipRectangle(p, {10, 20, 60, 120});
    EXPECT_EQ(p->SheetBlank, 0u);
    EXPECT_EQ(p->Draw.ClipPathStored, 0u);
    EXPECT_EQ(p->Draw.ClipPathPoints, 0);
}

TEST_F(ClipTest, GraphicsOnlyPageKeepsTheDeviceScale) {
    // The band writer passes edges already scaled; the clip must not scale them again, and
    // the device's scale must hold for the rest of the page.
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    p->Settings.FeatureFlags |= kFeatureGraphicsOnly;
    p->Geometry.ScalePercent = 150;
    SetClipRectangle(p, {0, 30, 90, 60});
    EXPECT_EQ(p->Geometry.ScalePercent, 150);
    EXPECT_EQ(p->Draw.ClipRect.right - p->Draw.ClipRect.left, 90);
    EXPECT_EQ(p->Draw.ClipRect.top, 30);
}

TEST_F(ClipTest, FrameDrawingUsesTheRectangleAsGiven) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    p->FrameBeingDrawn = 1;
    p->Draw.ClipPathStored = 1;
    SetClipRectangle(p, {-20, -20, 30, 30});
    EXPECT_EQ(p->Draw.ClipRect.left, -20) << "not clamped to the page";
    EXPECT_EQ(p->Draw.ClipPathStored, 1u) << "the stored path belongs to the page, not the frame";
}

}  // namespace
}  // namespace flowtest
