// EngTextOut with the engine's own font and with the caller's glyph bits.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::Show;
using enginetest::TestBitmap;

class EngineTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, bmp_.so());
        bmp_.Clear(true);
    }
    // Glyphs of a string placed one cell apart from the baseline origin.
    void Layout(const std::u16string& text, POINTL origin, LONG advance) {
        text_ = text;
        positions_.clear();
        for (size_t i = 0; i < text.size(); ++i)
            positions_.push_back(GLYPHPOS{0, nullptr, POINTL{origin.x + static_cast<LONG>(i) * advance, origin.y}});
        str_ = STROBJ{static_cast<ULONG>(text.size()), 0, 0, RECTL{}, positions_.data(), text_.data()};
    }
    BOOL Draw(LONG height, CLIPOBJ* clip = nullptr, RECTL* opaque = nullptr, RECTL* extra = nullptr,
              ULONG foreground = enginetest::kBlack) {
        size_.heightDots = height;
        FONTOBJ font{};
        font.pvProducer = &size_;
        BRUSHOBJ fore = enginetest::SolidBrush(foreground);
        BRUSHOBJ back = enginetest::SolidBrush(enginetest::kBlack);
        return EngTextOut(bmp_.so(), &str_, &font, clip, extra, opaque, &fore, &back, nullptr, R2_COPYPEN);
    }

    TestBitmap bmp_{48, 40};
    std::u16string text_;
    std::vector<GLYPHPOS> positions_;
    STROBJ str_{};
    standin::engine::FontSize size_;
};

TEST_F(EngineTextTest, GlyphsStayInsideTheirCells) {
    // Height 20: cells 12 wide, 16 above the baseline and 4 below.
    Layout(u"Hi", POINTL{10, 30}, 12);
    ASSERT_TRUE(Draw(20));
    const RECTL cells{10, 14, 34, 34};
    EXPECT_GT(bmp_.CountBlack(cells), 40) << Show(bmp_.Picture());
    EXPECT_EQ(bmp_.CountBlack(), bmp_.CountBlack(cells)) << Show(bmp_.Picture());
    // The H's left stem is two pixels wide at this size and leaves the top row of the cell free.
    EXPECT_FALSE(bmp_.White(10, 20));
    EXPECT_FALSE(bmp_.White(11, 20));
    EXPECT_TRUE(bmp_.White(12, 20));
    EXPECT_TRUE(bmp_.White(10, 14));
}

TEST_F(EngineTextTest, DescendersGoBelowTheBaselineAndUnknownCharactersAreBoxes) {
    Layout(u"xy\u3042", POINTL{0, 8}, 6);
    ASSERT_TRUE(Draw(10));  // the design size: one pixel per design pixel
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{0, 8, 6, 10}));  // x sits on the baseline
    EXPECT_GT(bmp_.CountBlack(RECTL{6, 8, 12, 10}), 0) << Show(bmp_.Picture());
    // The hollow box: its edges over the capital rows, nothing inside.
    EXPECT_EQ(5 + 5 + 5 + 5, bmp_.CountBlack(RECTL{12, 1, 17, 8})) << Show(bmp_.Picture());
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{13, 2, 16, 7}));
}

TEST_F(EngineTextTest, OpaqueRectangleFirstThenGlyphsThenExtras) {
    Layout(u"I", POINTL{2, 10}, 6);
    RECTL opaque{0, 0, 10, 12};
    RECTL extras[] = {{0, 20, 30, 22}, {0, 0, 0, 0}, {0, 30, 30, 32}};
    ASSERT_TRUE(Draw(10, nullptr, &opaque, extras, enginetest::kWhite));
    // White glyph on the black box: the I's stem (design column 2) is white.
    EXPECT_TRUE(bmp_.White(4, 5)) << Show(bmp_.Picture());
    EXPECT_FALSE(bmp_.White(2, 5));
    EXPECT_FALSE(bmp_.White(9, 11));
    // Extras end at the all-zero rectangle; they use the foreground brush.
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{0, 20, 30, 22}));
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{0, 30, 30, 32}));
    bmp_.Clear(true);
    ASSERT_TRUE(Draw(10, nullptr, nullptr, extras, enginetest::kBlack));
    EXPECT_EQ(60, bmp_.CountBlack(RECTL{0, 20, 30, 22}));
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{0, 30, 30, 32}));
}

TEST_F(EngineTextTest, ClipCutsGlyphs) {
    Layout(u"HH", POINTL{0, 20}, 12);
    CLIPOBJ clip{};
    clip.iDComplexity = DC_RECT;
    clip.rclBounds = RECTL{0, 0, 12, 40};
    ASSERT_TRUE(Draw(20, &clip));
    EXPECT_GT(bmp_.CountBlack(), 0);
    EXPECT_EQ(0, bmp_.CountBlack(RECTL{12, 0, 48, 40})) << Show(bmp_.Picture());
}

TEST_F(EngineTextTest, DesignSizeGlyphIsItsPicture) {
    // At height 10 each design pixel is one dot: H is its 5 x 7 picture over cell rows 1-7.
    Layout(u"H", POINTL{3, 8}, 6);
    ASSERT_TRUE(Draw(10));
    const char* picture[] = {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
    for (LONG row = 0; row < 7; ++row)
        for (LONG col = 0; col < 5; ++col)
            EXPECT_EQ(picture[row][col] == '.', bmp_.White(3 + col, 1 + row)) << col << "," << row << "\n"
                                                                                << Show(bmp_.Picture());
    EXPECT_EQ(17, bmp_.CountBlack()) << Show(bmp_.Picture());
}

TEST_F(EngineTextTest, SameGlyphsWhateverTheClipShapeAndOnEveryDrawing) {
    // Each height drawn three times: clipped by one rectangle, by two rectangles that cover
    // the same area (each dot drawn alone), and once more by one (the glyphs then come
    // from what the first drawing kept). All three pictures agree; the clip's edges cut the
    // first and last glyph.
    const RECTL area{2, 0, 45, 40};
    standin::engine::Clip one = standin::engine::MakeClip({area});
    standin::engine::Clip two = standin::engine::MakeClip({{2, 0, 20, 40}, {20, 0, 45, 40}});
    ASSERT_EQ(DC_COMPLEX, two.get()->iDComplexity);
    for (LONG height : {7L, 10L, 13L, 20L, 27L, 33L}) {
        Layout(u"Wg@q", POINTL{0, height * 4 / 5 + 2}, height * 3 / 5);
        bmp_.Clear(true);
        ASSERT_TRUE(Draw(height, one.get()));
        const std::vector<std::string> first = bmp_.Picture();
        bmp_.Clear(true);
        ASSERT_TRUE(Draw(height, two.get()));
        EXPECT_EQ(first, bmp_.Picture()) << "height " << height << "\n" << Show(first) << Show(bmp_.Picture());
        bmp_.Clear(true);
        ASSERT_TRUE(Draw(height, one.get()));
        EXPECT_EQ(first, bmp_.Picture()) << "height " << height;
        EXPECT_GT(bmp_.CountBlack(), 0);
        EXPECT_EQ(0, bmp_.CountBlack(RECTL{0, 0, 2, 40})) << "height " << height;
    }
}

TEST_F(EngineTextTest, CallersGlyphBitsAreDrawnAtTheirOrigin) {
    // A 3 x 2 glyph "#.#" / ".#." whose top-left is one left of and two above the point.
    alignas(GLYPHBITS) BYTE storage[sizeof(GLYPHBITS) + 4] = {};
    auto* bits = reinterpret_cast<GLYPHBITS*>(storage);
    bits->ptlOrigin = POINTL{-1, -2};
    bits->sizlBitmap = SIZEL{3, 2};
    const BYTE rows[] = {0xA0, 0x40};
    std::memcpy(storage + offsetof(GLYPHBITS, aj), rows, sizeof rows);
    GLYPHDEF def{bits};
    GLYPHPOS pos{7, &def, POINTL{5, 5}};
    str_ = STROBJ{1, 0, 0, RECTL{}, &pos, nullptr};
    ASSERT_TRUE(Draw(20));
    EXPECT_EQ(3, bmp_.CountBlack()) << Show(bmp_.Picture());
    EXPECT_FALSE(bmp_.White(4, 3));
    EXPECT_FALSE(bmp_.White(6, 3));
    EXPECT_FALSE(bmp_.White(5, 4));
}

TEST_F(EngineTextTest, RefusesStringsWithoutPositions) {
    Layout(u"A", POINTL{0, 10}, 6);
    str_.pgp = nullptr;
    EXPECT_FALSE(Draw(10));
    ULONG count = 9;
    GLYPHPOS* batch = positions_.data();
    STROBJ_vEnumStart(&str_);
    EXPECT_FALSE(STROBJ_bEnum(&str_, &count, &batch));
    EXPECT_EQ(0u, count);
    str_.pgp = positions_.data();
    EXPECT_FALSE(STROBJ_bEnum(&str_, &count, &batch));  // one batch, which is the last
    EXPECT_EQ(1u, count);
    EXPECT_EQ(positions_.data(), batch);
}

}  // namespace
