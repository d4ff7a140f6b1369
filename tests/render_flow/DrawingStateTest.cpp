// The drawing-state cache and its commands: page-control switches, vector scale, position
// forms and mapping, logical operations, gray levels and device limits.
#include <gtest/gtest.h>

#include <algorithm>

#include "render/draw/DrawingState.h"
#include "tests/render_flow/FlowFixture.h"
#include "tests/support/ByteCompare.h"

namespace flowtest {
namespace {

class DrawingStateTest : public FlowTest {};

TEST_F(DrawingStateTest, PositionCommandTakesTheShortestForm) {
    struct Case {
        POINTL point;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        {{5, 300}, {0xB6, 0x05, 0x01, 0x2C}},                          // x fits a byte
        {{300, 5}, {0xB7, 0x05, 0x01, 0x2C}},                          // y fits a byte
        {{300, 300}, {0xB8, 0x00, 0x01, 0x2C, 0x00, 0x00, 0x01, 0x2C}},  // neither: long form
        {{-1, -1}, {0xB6, 0xFF, 0xFF, 0xFF}},                          // signed operands
        {{127, 32767}, {0xB6, 0x7F, 0x7F, 0xFF}},                      // both at their limits
        {{128, -128}, {0xB7, 0x80, 0x00, 0x80}},                       // x one past the byte
        {{-129, 200}, {0xB8, 0x00, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0xC8}},
        {{40000, 70000}, {0xB8, 0x00, 0x9C, 0x40, 0x00, 0x01, 0x11, 0x70}},  // x: its low half
    };
    for (const Case& c : cases) {
        auto device = ReadyDevice();
        WritePosition(device->pdev(), c.point);
        EXPECT_EQ(kvtest::CompareBytes(c.expected, device->Buffered()), "") << "point " << c.point.x << "," << c.point.y;
        EXPECT_EQ(device->pdev()->Draw.Position.x, c.point.x);
        EXPECT_EQ(device->pdev()->Draw.PositionKnown, 1u);
    }
}

TEST_F(DrawingStateTest, PositionIsSentOnlyWhenItChangesOrIsForgotten) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    WritePosition(p, {5, 300});
    WritePosition(p, {5, 300});
    EXPECT_EQ(device->Buffered().size(), 4u);
    ResetGraphicsState(p);
    WritePosition(p, {5, 300});
    EXPECT_EQ(device->Buffered().size(), 8u);
}

TEST_F(DrawingStateTest, DoublingAndPageOriginAt300Dpi) {
    auto device = ReadyDevice(300);
    PDEV* p = device->pdev();
    EnterVectorScale(p);
    device->ClearBuffer();
    p->Geometry.OddOrigin = {100, 50};
    WritePosition(p, {10, 10});
    // (10, 10) doubled to 600-dpi units, plus the origin: (120, 70).
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0xB6, 0x78, 0x00, 0x46}, device->Buffered()), "");
}

TEST_F(DrawingStateTest, WholeSheetDrawingIsNotDoubledButRasterPositionsAre) {
    auto device = ReadyDevice(300);
    PDEV* p = device->pdev();
    p->StateFlags |= kStateDoubling;
    p->MappingMode = kMappingWholeSheet;
    EXPECT_EQ(MapPagePoint(p, {10, 20}, false).x, 10);
    EXPECT_EQ(MapPagePoint(p, {10, 20}, true).x, 20);
}

TEST_F(DrawingStateTest, NupPointsAreScaledIntoTheirSlot) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    p->Settings.PagesPerSheet = 2;
    p->SentOrientation = 1;  // the page is not turned
    p->Geometry.ScalePercent = 50;
    p->Geometry.CentringOffset = {10, 20};
    p->Geometry.NupSlots[1] = {1000, 0, 2000, 1500};
    p->WantedPage.SlotIndex = 1;
    const POINTL mapped = MapPagePoint(p, {100, 200}, false);
    EXPECT_EQ(mapped.x, 50 + 1010);
    EXPECT_EQ(mapped.y, 100 + 20);
    // An index outside the table falls back to the first slot rather than reading past it.
    p->WantedPage.SlotIndex = 40;
    EXPECT_EQ(MapPagePoint(p, {100, 200}, false).x, 50 + 10);
}

TEST_F(DrawingStateTest, ReducedStretchLeavesRasterPositionsUnscaled) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    p->Geometry.ScalePercent = 50;
    p->ReducedStretch = 1;
    EXPECT_EQ(MapPagePoint(p, {100, 100}, true).x, 100);
    EXPECT_EQ(MapPagePoint(p, {100, 100}, false).x, 50);
}

TEST_F(DrawingStateTest, EvenOriginFollowsPageOrSheetCounter) {
    struct Case {
        const char* name;
        WORD duplexWord;
        SHORT dmDuplex;
        WORD pagesPerSheet;
        LONG pageCount;
        LONG sheetCount;
        bool swap;
        bool even;
    };
    const Case cases[] = {
        {"no duplex unit", 0, 2, 1, 2, 0, false, false},
        {"simplex", 1, 1, 1, 2, 0, false, false},
        {"odd page", 1, 2, 1, 1, 0, false, false},
        {"even page", 1, 2, 1, 2, 0, false, true},
        {"even page, swapped", 1, 2, 1, 2, 0, true, false},
        {"N-up, first sheet", 1, 2, 2, 4, 0, false, false},
        {"N-up, second sheet", 1, 2, 2, 4, 1, false, true},
        {"N-up, second sheet, swapped", 1, 2, 2, 4, 1, true, false},
    };
    for (const Case& c : cases) {
        auto device = ReadyDevice();
        PDEV* p = device->pdev();
        p->Settings.DeviceSlots[8].State = c.duplexWord;
        p->Settings.Public.dmDuplex = c.dmDuplex;
        p->Settings.PagesPerSheet = c.pagesPerSheet;
        if (c.swap) p->Settings.FeatureFlags |= kFeatureSwapOrigins;
        p->WantedPage.PageCount = c.pageCount;
        p->WantedPage.SheetCount = c.sheetCount;
        p->Geometry.OddOrigin = {1, 1};
        p->Geometry.EvenOrigin = {2, 2};
        EXPECT_EQ(PageOrigin(p).x, c.even ? 2 : 1) << c.name;
    }
}

TEST_F(DrawingStateTest, PageControlModeSwitchesOnce) {
    DeviceOptions options;
    options.startSpoolJob = false;
    auto device = MakeDevice(options);
    PDEV* p = device->pdev();
    // A new state is in page-control mode: the first drawing leaves it.
    LeavePageControlMode(p);
    LeavePageControlMode(p);
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0x1C, 0x59}, device->Buffered()), "");
    device->ClearBuffer();

    p->Draw.ClipRect = {1, 2, 3, 4};
    EnterPageControlMode(p);
    EnterPageControlMode(p);
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0x1C, 0x5A}, device->Buffered()), "");
    EXPECT_EQ(p->Draw.ClipRect.right, 0) << "the printer drops its clip in page-control mode";
    device->ClearBuffer();

    // An FS R owed by the previous device state goes first, once.
    p->StateFlags |= kStateFsROwed;
    LeavePageControlMode(p);
    EnterPageControlMode(p);
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0x1C, 0x52, 0x1C, 0x59, 0x1C, 0x5A}, device->Buffered()), "");
}

TEST_F(DrawingStateTest, VectorScaleCommandPerResolution) {
    struct Case {
        SHORT dpi;
        std::string_view command;
        bool doubling;
        int unit;
    };
    const Case cases[] = {
        {240, "SU1,240,0;IP0,0,243,243;", false, 1},   {200, "SU1,400,0;IP0,0,405,405;", true, 2},
        {400, "SU1,400,0;IP0,0,405,405;", false, 1},   {1200, "SU1,1200,0;IP0,0,1215,1215;", false, 1},
        {300, "SU1,600,0;IP0,0,608,608;", true, 2},    {600, "SU1,600,0;IP0,0,608,608;", false, 1},
    };
    for (const Case& c : cases) {
        DeviceOptions options;
        options.dpi = c.dpi;
        options.startSpoolJob = false;
        auto device = MakeDevice(options);
        PDEV* p = device->pdev();
        p->UnitFactor = 0;
        EnterVectorScale(p);
        std::vector<BYTE> expected(2 + c.command.size());
        expected[0] = 0x1C;  // leaves page-control mode first
        expected[1] = 0x59;
        std::copy(c.command.begin(), c.command.end(), expected.begin() + 2);
        EXPECT_EQ(kvtest::CompareBytes(expected, device->Buffered()), "") << c.dpi << " dpi";
        EXPECT_EQ((p->StateFlags & kStateDoubling) != 0, c.doubling) << c.dpi << " dpi";
        EXPECT_EQ(p->UnitFactor, c.unit) << c.dpi << " dpi";
        EXPECT_EQ(p->VectorResolution, c.dpi);
    }
}

TEST_F(DrawingStateTest, RasterOperationCodes) {
    struct Case {
        ROP4 rop4;
        BYTE code;
    };
    const Case cases[] = {{0xCCCC, 0xCC}, {0xF0F0, 0xF0}, {0xB8B8, 0xE2}, {0x0000, 0xFF},
                          {0xFFFF, 0x00}, {0x5555, 0x55}, {0x6666, 0x99}, {0xE9E9, 0x68}};
    for (const Case& c : cases) {
        EXPECT_EQ(RopCode(static_cast<BYTE>(c.rop4 >> 8)), c.code) << std::hex << c.rop4;
    }
    // Only the background ROP3 (high byte) counts.
    EXPECT_EQ(RopCode(static_cast<BYTE>(0xCC00 >> 8)), 0xCC);
}

TEST_F(DrawingStateTest, RasterOperationIsSentWhenItChanges) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    SetRasterOp(p, 0xE9E9);  // 0x68: what a reset state holds
    EXPECT_TRUE(device->Buffered().empty());
    SetRasterOp(p, 0xCCCC);
    SetRasterOp(p, 0xCCCC);
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0xA6, 0x00, 0xCC, 0xCC}, device->Buffered()), "");
}

TEST_F(DrawingStateTest, TextColorToGrayWeightsTheChannels) {
    struct Case {
        BYTE r, g, b, gray;
    };
    const Case cases[] = {{0, 0, 0, 0},    {255, 255, 255, 63}, {255, 0, 0, 18},
                          {0, 255, 0, 37}, {0, 0, 255, 6},      {128, 128, 128, 31}};
    for (const Case& c : cases) {
        EXPECT_EQ(TextColorToGray(c.r, c.g, c.b), c.gray) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
}

TEST_F(DrawingStateTest, DeviceLimitsComeFromTheInstalledMemoryRow) {
    struct Case {
        DWORD memory;
        DeviceLimits limits;
    };
    const Case cases[] = {
        {65536, {65536, 2048, 255, 2048, 8192, 1024}},
        {524288, {524288, 16384, 2047, 16384, 65536, 8192}},
        {12345, {131072, 4096, 511, 4096, 16384, 2048}},  // no row: the default record
    };
    for (const Case& c : cases) {
        auto device = ReadyDevice();
        PDEV* p = device->pdev();
        p->Settings.InstalledMemory = c.memory;
        ResetPrinterState(p);
        EXPECT_EQ(p->Limits.GlyphMemory, c.limits.GlyphMemory) << c.memory;
        EXPECT_EQ(p->Limits.GlyphBitmapMax, c.limits.GlyphBitmapMax) << c.memory;
        EXPECT_EQ(p->Limits.GlyphExtentMax, c.limits.GlyphExtentMax) << c.memory;
        EXPECT_EQ(p->Limits.LinePathLimit, c.limits.LinePathLimit) << c.memory;
        EXPECT_EQ(p->Limits.CurvePathLimit, c.limits.CurvePathLimit) << c.memory;
        EXPECT_EQ(p->Limits.ClipPathLimit, c.limits.ClipPathLimit) << c.memory;
    }
}

TEST_F(DrawingStateTest, ResetForgetsSettingsButKeepsPositionAndClip) {
    auto device = ReadyDevice();
    PDEV* p = device->pdev();
    p->Draw.FontNumber = 7;
    p->Draw.PenGray = 20;
    p->Draw.Position = {11, 12};
    p->Draw.ClipRect = {1, 2, 3, 4};
    p->StateFlags = kStateDoubling;
    ResetPrinterState(p);
    EXPECT_EQ(p->Draw.FontNumber, 0xFFFF);
    EXPECT_EQ(p->Draw.PenGray, 0xFF);
    EXPECT_EQ(p->Draw.RopForeground, 0x68);
    EXPECT_EQ(p->Draw.SingleByteFont, -1);
    EXPECT_EQ(p->Draw.StyleWords[1], 0x0F00);
    EXPECT_EQ(p->Draw.Position.x, 11);
    EXPECT_EQ(p->Draw.ClipRect.right, 3);
    EXPECT_EQ(p->StateFlags, kStateClipPath);

    p->LineTransform[1] = 5.0f;
    ResetGraphicsState(p);
    EXPECT_EQ(p->FontMatrix[0], 1.0f);
    EXPECT_EQ(p->FontMatrix[1], 0.0f);
    EXPECT_EQ(p->LineTransform[3], 1.0f);
    EXPECT_EQ(p->LineTransform[1], 5.0f) << "the off-diagonal values are the line code's";
    EXPECT_EQ(p->TextCell[2], 108u);
    EXPECT_EQ(p->GlyphRunMode, 1u);
}

}  // namespace
}  // namespace flowtest
