// The image writers: raster image commands per clip piece, plain and compressed, inverted for
// a black entry 0, scaled and doubled sizes, pieces off the page, the printable-area trim,
// row steps wider than the rows, and fill patterns while a brush is sent.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/StandIn.h"
#include "render/BitmapHooks.h"
#include "render/BitmapWriters.h"
#include "render/draw/Clip.h"
#include "tests/render_bitmap/BitmapFixture.h"
#include "tests/support/ByteCompare.h"
#include "tools/sample/RasterDecode.h"

namespace bitmaptest {
namespace {

using kvtest::GoldenStream;

class BitmapWritersTest : public BitmapTest {
protected:
    /// Makes the palette the last direct bitmap had: entry 0 black or white.
    void EntryZero(ULONG colour) {
        Palette palette{colour, colour == kBlack ? kWhite : kBlack};
        EngineBitmap probe(8, 1);
        ASSERT_TRUE(IsDirectBitmap(Pdev(), probe.get(), palette.get()));
    }
};

std::vector<BYTE> Header(BYTE opcode, bool compressed, WORD w, WORD h, DWORD length) {
    return {opcode, 0x00, 0x00, static_cast<BYTE>(compressed ? 0x20 : 0x00), static_cast<BYTE>(w >> 8),
            static_cast<BYTE>(w), static_cast<BYTE>(h >> 8), static_cast<BYTE>(h), static_cast<BYTE>(length >> 24),
            static_cast<BYTE>(length >> 16), static_cast<BYTE>(length >> 8), static_cast<BYTE>(length)};
}

TEST_F(BitmapWritersTest, SmallImageGoesPlainAtTheDestination) {
    EntryZero(kWhite);
    EngineBitmap image(16, 3);
    image.SetRow(0, {0x80, 0x01});
    image.SetRow(1, {0xFF, 0x00});
    image.SetRow(2, {0x0F, 0xF0});
    RECTL dest{100, 200, 116, 203};
    RECTL source{0, 0, 16, 3};
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));

    GoldenStream expected;
    expected.Add("position (0, 0) and the clip reset to the whole page", PageClipReset())
        .Add("position (100, 200): the destination's left-top", Position(100, 200))
        .Add("image, plain: 16 px x 3 rows, 6 bytes", Header(0xF2, false, 16, 3, 6))
        .Add("the rows as they stand (entry 0 white)", {0x80, 0x01, 0xFF, 0x00, 0x0F, 0xF0});
    EXPECT_TRUE(expected.Matches(Written()));
    EXPECT_EQ(Pdev()->SheetBlank, 0u);
}

TEST_F(BitmapWritersTest, BlackEntryZeroIsSentComplemented) {
    EntryZero(kBlack);
    EngineBitmap image(8, 2);
    image.SetRow(0, {0xF0});
    image.SetRow(1, {0x0F});
    RECTL dest{0, 0, 8, 2};
    RECTL source{0, 0, 8, 2};
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
    GoldenStream expected;
    expected.Add("clip reset", PageClipReset())
        .Add("image, plain: 8 px x 2 rows", Header(0xF2, false, 8, 2, 2))
        .Add("rows complemented", {0x0F, 0xF0});
    EXPECT_TRUE(expected.Matches(Written()));
}

TEST_F(BitmapWritersTest, LargeAlignedImageIsCompressed) {
    EntryZero(kWhite);
    EngineBitmap image(32, 8, BMF_1BPP, /*topDown=*/false);
    std::vector<std::vector<BYTE>> rows;
    for (LONG r = 0; r < 8; ++r) {
        rows.push_back({0xFF, static_cast<BYTE>(r < 4 ? 0xF0 : 0x0F), 0x00, 0x00});
        image.SetRow(r, rows.back());
    }
    RECTL dest{8, 8, 40, 16};
    RECTL source{0, 0, 32, 8};
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));

    const std::vector<BYTE> out = Written();
    const std::vector<BYTE> lead = PageClipReset();
    const std::vector<BYTE> at = Position(8, 8);
    ASSERT_GT(out.size(), lead.size() + at.size() + 12);
    size_t i = lead.size() + at.size();
    EXPECT_EQ(std::vector<BYTE>(out.begin() + i, out.begin() + i + 8),
              std::vector<BYTE>({0xF2, 0x00, 0x00, 0x20, 0x00, 0x20, 0x00, 0x08}))
        << "compressed image of 32 px x 8 rows";
    const DWORD length = (DWORD{out[i + 8]} << 24) | (DWORD{out[i + 9]} << 16) | (DWORD{out[i + 10]} << 8) | out[i + 11];
    ASSERT_EQ(out.size(), i + 12 + length);
    const auto decoded = kvtest::DecodeRasterRows(out.data() + i + 12, length, std::vector<BYTE>(4, 0), 8, 4);
    ASSERT_TRUE(decoded.has_value());
    std::vector<BYTE> flat;
    for (const auto& row : rows) flat.insert(flat.end(), row.begin(), row.end());
    EXPECT_EQ(*decoded, flat) << "a bottom-up bitmap still goes top row first";
}

TEST_F(BitmapWritersTest, DoubledCoordinatesSendTheScaledForm) {
    MakeVectorDevice(300);
    EntryZero(kWhite);
    EngineBitmap image(100, 50);
    RECTL dest{0, 0, 100, 50};
    RECTL source{0, 0, 100, 50};
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
    const std::vector<BYTE> scaled = {0xF4, 0x00, 0x00, 0x20, 0x00, 0x64, 0x00, 0x32, 0x00, 0xC8, 0x00, 0x64};
    const std::vector<BYTE> out = Written();
    auto it = std::search(out.begin(), out.end(), scaled.begin(), scaled.end());
    EXPECT_NE(it, out.end()) << "F4: W 100, H 50, SW 200, SH 100\n" << kvtest::HexDump(out);
}

TEST_F(BitmapWritersTest, ScaledSizes) {
    struct Case {
        const char* name;
        WORD scale;
        DWORD reduced;
        RECTL source;
        std::vector<BYTE> sizes;  // opcode byte, W, H, SW, SH as written
    };
    const Case cases[] = {
        {"150 %: sizes times 1.5", 150, 0, {0, 0, 16, 3}, {0xF4, 0x00, 0x10, 0x00, 0x03, 0x00, 0x18, 0x00, 0x04}},
        {"75 %: the source's corners scaled", 75, 0, {3, 3, 19, 6}, {0xF4, 0x00, 0x10, 0x00, 0x03, 0x00, 0x0C, 0x00, 0x02}},
        {"75 % in the engine's shrink: as it stands", 75, 1, {0, 0, 16, 3}, {0xF2, 0x00, 0x10, 0x00, 0x03}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeVectorDevice();
        EntryZero(kWhite);
        Pdev()->Geometry.ScalePercent = c.scale;
        Pdev()->ReducedStretch = c.reduced;
        EngineBitmap image(32, 8);
        RECTL dest{40, 40, 56, 43};
        RECTL source = c.source;
        ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
        const std::vector<BYTE> out = Written();
        std::vector<BYTE> opcode = {c.sizes[0], 0x00, 0x00, 0x00};
        auto it = std::search(out.begin(), out.end(), opcode.begin(), opcode.end());
        ASSERT_NE(it, out.end()) << kvtest::HexDump(out);
        std::vector<BYTE> got(it + 3, it + 3 + static_cast<ptrdiff_t>(c.sizes.size()));
        got[0] = *it;
        EXPECT_EQ(got, c.sizes) << kvtest::HexDump(out);
        Pdev()->ReducedStretch = 0;
    }
}

TEST_F(BitmapWritersTest, PieceRightOfThePageIsNotSent) {
    EntryZero(kWhite);
    EngineBitmap image(16, 3);
    const LONG right = Pdev()->PageRect.right;
    RECTL dest{right + 1, 10, right + 17, 13};
    RECTL source{0, 0, 16, 3};
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
    const std::vector<BYTE> out = Written();
    EXPECT_EQ(std::find(out.begin(), out.end(), BYTE{0xF2}), out.end()) << kvtest::HexDump(out);
}

TEST_F(BitmapWritersTest, PrintableAreaTrimPullsInTheRightSide) {
    EntryZero(kWhite);
    EngineBitmap image(64, 2);
    // 20 dots of the 64 lie past the printable width.
    const LONG width = Pdev()->PageRect.right - 1;
    RECTL dest{width - 44, 100, width + 20, 102};
    RECTL source{0, 0, 64, 2};
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
    const std::vector<BYTE> out = Written();
    const std::vector<BYTE> header = Header(0xF2, false, 44, 2, 16);
    EXPECT_NE(std::search(out.begin(), out.end(), header.begin(), header.end()), out.end())
        << "44 px of 64 kept, rows still 8 bytes\n" << kvtest::HexDump(out);
}

TEST_F(BitmapWritersTest, ComplexClipSendsEachRectangleAsItsOwnPiece) {
    EntryZero(kWhite);
    EngineBitmap image(16, 4);
    for (LONG r = 0; r < 4; ++r) image.SetRow(r, {static_cast<BYTE>(0x11 * (r + 1)), 0xA5});
    auto clip = standin::engine::MakeClip({{100, 100, 108, 102}, {108, 102, 116, 104}});
    RECTL dest{100, 100, 116, 104};
    RECTL source{0, 0, 16, 4};
    Pdev()->StateFlags &= ~kStateClipPath;  // the printer holds no clip path: rectangles
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), clip.get(), &dest, &source));

    GoldenStream expected;
    expected.Add("clip reset", PageClipReset())
        .Add("position (100, 100): first rectangle", Position(100, 100))
        .Add("image, plain: 8 px x 2 rows", Header(0xF2, false, 8, 2, 2))
        .Add("rows 0 and 1, left byte", {0x11, 0x22})
        .Add("position (108, 102): second rectangle", Position(108, 102))
        .Add("image, plain: 8 px x 2 rows", Header(0xF2, false, 8, 2, 2))
        .Add("rows 2 and 3, right byte", {0xA5, 0xA5});
    EXPECT_TRUE(expected.Matches(Written()));
}

TEST_F(BitmapWritersTest, UnalignedPieceIsShiftedIntoItsRow) {
    EntryZero(kWhite);
    EngineBitmap image(16, 1);
    image.SetRow(0, {0b00011111, 0b11100000});
    auto clip = standin::engine::MakeClip({{3, 0, 11, 1}});
    RECTL dest{0, 0, 16, 1};
    RECTL source{0, 0, 16, 1};
    Pdev()->StateFlags &= ~kStateClipPath;
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), clip.get(), &dest, &source));
    GoldenStream expected;
    expected.Add("clip reset", PageClipReset())
        .Add("position (3, 0)", Position(3, 0))
        .Add("image, plain: 8 px x 1 row", Header(0xF2, false, 8, 1, 1))
        .Add("pixels 3 to 10", {0xFF});
    EXPECT_TRUE(expected.Matches(Written()));
}

TEST_F(BitmapWritersTest, RowStepWiderThanTheRowsIsFollowed) {
    EntryZero(kWhite);
    // 16 px rows (2 bytes) 12 bytes apart, bottom-up.
    EngineBitmap image(16, 3, BMF_1BPP, /*topDown=*/false, /*rowStep=*/12);
    ASSERT_EQ(image.get()->lDelta, -12);
    image.SetRow(0, {0x01, 0x02});
    image.SetRow(1, {0x03, 0x04});
    image.SetRow(2, {0x05, 0x06});
    RECTL dest{0, 0, 16, 3};
    RECTL source{0, 0, 16, 3};
    ASSERT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
    GoldenStream expected;
    expected.Add("clip reset", PageClipReset())
        .Add("image, plain: 16 px x 3 rows", Header(0xF2, false, 16, 3, 6))
        .Add("rows top first", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    EXPECT_TRUE(expected.Matches(Written()));
}

TEST_F(BitmapWritersTest, HugeRectanglesReadNothingOutsideTheBitmap) {
    EntryZero(kBlack);
    EngineBitmap image(8, 2);
    const RECTL rects[][2] = {
        {{0, 0, 100000, 100000}, {0, 0, 100000, 100000}},
        {{0, 0, 8, 2}, {-5, -5, 3, -3}},
        {{0, 0, 8, 2}, {6, 1, 14, 3}},
        {{-70000, -70000, 70000, 70000}, {0, 0, 140000, 140000}},
    };
    for (const auto& r : rects) {
        ClearWritten();
        RECTL dest = r[0];
        RECTL source = r[1];
        EXPECT_TRUE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
    }
}

TEST_F(BitmapWritersTest, RefusalsAndNothingToDo) {
    EngineBitmap colour(8, 8, BMF_8BPP);
    RECTL dest{0, 0, 8, 8};
    RECTL source{0, 0, 8, 8};
    EXPECT_FALSE(WriteBitmapRaster(Pdev(), colour.get(), nullptr, &dest, &source)) << "image mode takes 1 bit only";
    Pdev()->StateFlags |= kStatePatternMode;
    EXPECT_TRUE(WriteBitmapRaster(Pdev(), colour.get(), nullptr, &dest, &source)) << "a pattern is accepted";
    EXPECT_TRUE(Written().empty());
    Pdev()->StateFlags &= ~kStatePatternMode;

    EngineBitmap image(8, 8);
    Pdev()->RasterWork = nullptr;
    EXPECT_FALSE(WriteBitmapRaster(Pdev(), image.get(), nullptr, &dest, &source));
    Pdev()->RasterWork = &work_;
    Pdev()->StateFlags |= kStateOutputFailed;
    EXPECT_FALSE(WriteBitmapRasterRotated(Pdev(), image.get(), nullptr, &dest, &source));
}

// --- Pattern mode --------------------------------------------------------------------------

class PatternModeTest : public BitmapWritersTest {
protected:
    void SetUp() override {
        BitmapWritersTest::SetUp();
        Pdev()->StateFlags |= kStatePatternMode;
    }
    BOOL Send(EngineBitmap& brush) {
        RECTL dest{0, 0, 24, 24};
        RECTL source{0, 0, brush.get()->sizlBitmap.cx, brush.get()->sizlBitmap.cy};
        return WriteBitmapRaster(Pdev(), brush.get(), nullptr, &dest, &source);
    }
};

std::vector<BYTE> Repeat(const std::vector<BYTE>& rows, size_t times) {
    std::vector<BYTE> out;
    for (size_t i = 0; i < times; ++i) out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

TEST_F(PatternModeTest, LargePatternIsDefinedOnceAndSelectedEachTime) {
    EntryZero(kWhite);
    EngineBitmap brush(24, 2);
    brush.SetRow(0, {0xF0, 0x0F, 0x55});
    brush.SetRow(1, {0x01, 0x02, 0x03});
    ASSERT_TRUE(Send(brush));
    GoldenStream first;
    first.Add("define pattern 0101: 24 x 24", {0xA0, 0x03, 0x01, 0x01})
        .Add("its 72 bytes: the two rows repeated", Repeat({0xF0, 0x0F, 0x55, 0x01, 0x02, 0x03}, 12))
        .Add("select pattern 0101", {0xA4, 0x00, 0x01, 0x01})
        .Add("fill foreground: black", {0xA2, 0xF0, 0x00, 0x10})
        .Add("fill background: white", {0xA3, 0xF0, 0x00, 0x4F});
    EXPECT_TRUE(first.Matches(Written()));

    ClearWritten();
    ASSERT_TRUE(Send(brush));
    GoldenStream again;
    again.Add("select pattern 0101 only", {0xA4, 0x00, 0x01, 0x01});
    EXPECT_TRUE(again.Matches(Written()));

    ClearWritten();
    brush.SetRow(1, {0x07, 0x08, 0x09});
    ASSERT_TRUE(Send(brush));
    const std::vector<BYTE> out = Written();
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(std::vector<BYTE>(out.begin(), out.begin() + 4), std::vector<BYTE>({0xA0, 0x03, 0x01, 0x01}))
        << "a changed pattern is defined again";
}

TEST_F(PatternModeTest, NarrowBrushesRepeatTheirBytes) {
    EntryZero(kBlack);
    EngineBitmap narrow(5, 1);
    narrow.SetRow(0, {0xA8});
    ASSERT_TRUE(Send(narrow));
    std::vector<BYTE> out = Written();
    ASSERT_GE(out.size(), 76u);
    EXPECT_EQ(std::vector<BYTE>(out.begin() + 4, out.begin() + 76), std::vector<BYTE>(72, 0x57))
        << "5 px wide: the one byte three times across, complemented";

    MakeVectorDevice();
    Pdev()->StateFlags |= kStatePatternMode;
    EntryZero(kWhite);
    EngineBitmap twelve(12, 1);
    twelve.SetRow(0, {0xC3, 0x30});
    ASSERT_TRUE(Send(twelve));
    out = Written();
    ASSERT_GE(out.size(), 7u);
    EXPECT_EQ(std::vector<BYTE>(out.begin() + 4, out.begin() + 7), std::vector<BYTE>({0xC3, 0x30, 0xC3}))
        << "9 to 16 px: bytes 0, 1, 0";
}

TEST_F(PatternModeTest, SmallFormCarriesTheResolutionCode) {
    EntryZero(kWhite);
    Pdev()->Settings.OptionFlags |= 0x40000;
    Pdev()->Settings.FeatureFlags |= 0x400;
    EngineBitmap brush(8, 8);
    for (LONG r = 0; r < 8; ++r) brush.SetRow(r, {static_cast<BYTE>(1u << r)});
    ASSERT_TRUE(Send(brush));
    GoldenStream expected;
    expected.Add("define 8 x 8 pattern, code 20 (600 dpi)", {0xA0, 0x20, 0x01, 0x00})
        .Add("byte 0 of rows 0 to 7", {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80})
        .Add("select pattern 0100", {0xA4, 0x00, 0x01, 0x00})
        .Add("fill foreground: black", {0xA2, 0xF0, 0x00, 0x10})
        .Add("fill background: white", {0xA3, 0xF0, 0x00, 0x4F});
    EXPECT_TRUE(expected.Matches(Written()));
}

}  // namespace
}  // namespace bitmaptest
