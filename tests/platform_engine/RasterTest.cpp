// Block transfers on engine bitmaps: brushes, sources, raster operations, clip objects and
// stretching, checked pixel by pixel.
#include <vector>

#include "platform/Kernel.h"
#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::Show;
using enginetest::TestBitmap;

class EngineBltTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, target_.so());
        target_.Clear(true);
    }
    BOOL FillRect(RECTL rect, ULONG color, CLIPOBJ* clip = nullptr, ROP4 rop = PATCOPY_ROP4) {
        BRUSHOBJ brush = enginetest::SolidBrush(color);
        return EngBitBlt(target_.so(), nullptr, nullptr, clip, nullptr, &rect, nullptr, nullptr, &brush, nullptr, rop);
    }

    TestBitmap target_{16, 6};
};

TEST_F(EngineBltTest, SolidBrushHonoursEachKindOfClip) {
    CLIPOBJ trivial{};
    trivial.iDComplexity = DC_TRIVIAL;
    CLIPOBJ single{};
    single.iDComplexity = DC_RECT;
    single.rclBounds = RECTL{4, 0, 20, 3};
    standin::engine::Clip complex = standin::engine::MakeClip({{0, 0, 3, 6}, {10, 4, 16, 6}});
    ASSERT_EQ(DC_COMPLEX, complex.get()->iDComplexity);

    struct Case {
        const char* name;
        CLIPOBJ* clip;
        std::vector<std::string> expected;
    } const cases[] = {
        {"no clip object", nullptr,
         {"................", "..##########....", "..##########....", "..##########....", "..##########....",
          "..##########...."}},
        {"trivial", &trivial,
         {"................", "..##########....", "..##########....", "..##########....", "..##########....",
          "..##########...."}},
        {"one rectangle", &single,
         {"................", "....########....", "....########....", "................", "................",
          "................"}},
        {"two rectangles", complex.get(),
         {"................", "..#.............", "..#.............", "..#.............", "..#.......##....",
          "..#.......##...."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        target_.Clear(true);
        ASSERT_TRUE(FillRect(RECTL{2, 1, 12, 7}, enginetest::kBlack, c.clip));
        EXPECT_EQ(c.expected, target_.Picture()) << Show(target_.Picture());
    }
}

TEST_F(EngineBltTest, BrushColourDecidesBlackOrWhiteOnOneBit) {
    struct Case {
        ULONG color;
        bool black;
    } const cases[] = {
        {0, true},            // palette index 0
        {1, false},           // palette index 1
        {0xFFFFFF, false},    // white
        {0x808080, false},    // luminance 128: the upper half
        {0x7F7F7F, true},     // luminance 127
        {0x0000FF, true},     // pure red is dark
        {0x00FFFF, false},    // yellow is light
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.color);
        target_.Clear(c.black);  // the other colour, so that the fill shows
        ASSERT_TRUE(FillRect(RECTL{0, 0, 4, 1}, c.color));
        EXPECT_EQ(c.black ? 4 : 0, target_.CountBlack(RECTL{0, 0, 4, 1}));
    }
}

TEST_F(EngineBltTest, BlacknessAndWhitenessNeedNoBrush) {
    RECTL r{0, 0, 16, 2};
    ASSERT_TRUE(EngBitBlt(target_.so(), nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, nullptr, nullptr,
                          BLACKNESS_ROP4));
    EXPECT_EQ(32, target_.CountBlack());
    RECTL part{3, 0, 16, 2};
    ASSERT_TRUE(EngBitBlt(target_.so(), nullptr, nullptr, nullptr, nullptr, &part, nullptr, nullptr, nullptr,
                          nullptr, WHITENESS_ROP4));
    EXPECT_EQ(6, target_.CountBlack());
}

TEST_F(EngineBltTest, RefusesWhatItCannotDraw) {
    BRUSHOBJ pattern{0xFFFFFFFF, nullptr, 0};
    RECTL r{0, 0, 4, 4};
    POINTL origin{0, 0};
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(EngBitBlt(target_.so(), nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, &pattern, nullptr,
                           PATCOPY_ROP4));
    EXPECT_NE(0xDEADBEEFu, GetLastError());
    // A source operation without a source, a masked operation without a mask.
    EXPECT_FALSE(EngBitBlt(target_.so(), nullptr, nullptr, nullptr, nullptr, &r, &origin, nullptr, nullptr, nullptr,
                           SRCCOPY_ROP4));
    EXPECT_FALSE(EngBitBlt(target_.so(), target_.so(), nullptr, nullptr, nullptr, &r, &origin, nullptr, nullptr,
                           nullptr, 0xAACC));
    // A complex clip object the engine did not make has no rectangles to read.
    CLIPOBJ forged{};
    forged.iDComplexity = DC_COMPLEX;
    forged.rclBounds = r;
    EXPECT_FALSE(FillRect(r, enginetest::kBlack, &forged));
    EXPECT_EQ(0, target_.CountBlack());
}

TEST_F(EngineBltTest, SourceCopyFromOneBitTakesTheSourceOffset) {
    TestBitmap source(8, 4);
    ASSERT_NE(nullptr, source.so());
    source.Clear(true);
    source.Draw({"........", ".##.....", ".#.#....", "...##..."});
    RECTL to{10, 2, 16, 6};
    POINTL from{1, 1};
    ASSERT_TRUE(EngCopyBits(target_.so(), source.so(), nullptr, nullptr, &to, &from));
    // Rows below the source's last row are not reached: left as they were.
    const std::vector<std::string> expected = {"................", "................", "..........##....",
                                               "..........#.#...", "............##..", "................"};
    EXPECT_EQ(expected, target_.Picture()) << Show(target_.Picture());
}

TEST_F(EngineBltTest, SourceCopyWithinOneBitmapReadsTheOldPixels) {
    target_.Draw({"##.#............"});
    RECTL to{1, 0, 5, 1};
    POINTL from{0, 0};
    ASSERT_TRUE(EngBitBlt(target_.so(), target_.so(), nullptr, nullptr, nullptr, &to, &from, nullptr, nullptr, nullptr,
                          SRCCOPY_ROP4));
    EXPECT_EQ("###.#...........", target_.Picture()[0]);
}

TEST_F(EngineBltTest, SourceCopyFromColourThresholdsTheLuminance) {
    TestBitmap source(4, 1, BMF_24BPP, BMF_TOPDOWN);
    ASSERT_NE(nullptr, source.so());
    // Blue, green, red bytes: black, white, pure green (light), dark blue.
    const BYTE pixels[] = {0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0, 0x80, 0, 0};
    std::copy(std::begin(pixels), std::end(pixels), source.Row(0));
    RECTL to{0, 0, 4, 1};
    POINTL from{0, 0};
    ASSERT_TRUE(EngCopyBits(target_.so(), source.so(), nullptr, nullptr, &to, &from));
    EXPECT_EQ("#..#............", target_.Picture()[0]);
}

TEST_F(EngineBltTest, MaskChoosesForegroundOrBackground) {
    TestBitmap mask(4, 1);
    ASSERT_NE(nullptr, mask.so());
    mask.Clear(false);
    mask.Draw({".#.#"});  // '.' is a set bit: the foreground
    RECTL to{0, 0, 4, 1};
    POINTL maskOrigin{0, 0};
    // Foreground BLACKNESS, background leaves the destination alone.
    ASSERT_TRUE(EngBitBlt(target_.so(), nullptr, mask.so(), nullptr, nullptr, &to, nullptr, &maskOrigin, nullptr,
                          nullptr, 0xAA00));
    EXPECT_EQ("#.#.............", target_.Picture()[0]);
}

TEST(EngineColourBltTest, BrushOnTwentyFourBitsWritesBlueGreenRed) {
    TestBitmap rgb(3, 1, BMF_24BPP, BMF_TOPDOWN);
    ASSERT_NE(nullptr, rgb.so());
    BRUSHOBJ orange = enginetest::SolidBrush(0x0080FF);
    RECTL r{1, 0, 2, 1};
    ASSERT_TRUE(EngBitBlt(rgb.so(), nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, &orange, nullptr,
                          PATCOPY_ROP4));
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0x00, 0x80, 0xFF, 0, 0, 0}), std::vector<BYTE>(rgb.Row(0), rgb.Row(0) + 9));
}

TEST(EnginePaintTest, MixAppliesOverTheClipRegion) {
    TestBitmap bmp(8, 2);
    ASSERT_NE(nullptr, bmp.so());
    bmp.Clear(true);
    bmp.Draw({"##......", "##......"});
    standin::engine::Clip clip = standin::engine::MakeClip({{1, 0, 3, 1}, {6, 1, 8, 2}});
    BRUSHOBJ black = enginetest::SolidBrush(enginetest::kBlack);
    ASSERT_TRUE(EngPaint(bmp.so(), clip.get(), &black, nullptr, R2_NOT));
    const std::vector<std::string> expected = {"#.#.....", "##....##"};
    EXPECT_EQ(expected, bmp.Picture()) << Show(bmp.Picture());
    ASSERT_TRUE(EngPaint(bmp.so(), nullptr, &black, nullptr, R2_COPYPEN));
    EXPECT_EQ(16, bmp.CountBlack());
    EXPECT_FALSE(EngPaint(bmp.so(), nullptr, &black, nullptr, 0));   // no such mix
    EXPECT_FALSE(EngPaint(bmp.so(), nullptr, &black, nullptr, 17));
}

class EngineStretchTest : public ::testing::Test {
protected:
    // An 8 x 8 checkerboard of cell x cell squares, black in the top-left one.
    static void Checkerboard(TestBitmap& bmp, LONG cell) {
        for (LONG y = 0; y < 8; ++y)
            for (LONG x = 0; x < 8; ++x) bmp.Set(x, y, ((x / cell) + (y / cell)) % 2 != 0);
    }
    BOOL Stretch(TestBitmap& to, TestBitmap& from, RECTL dest, RECTL src, ULONG mode, CLIPOBJ* clip = nullptr) {
        return EngStretchBlt(to.so(), from.so(), nullptr, clip, nullptr, nullptr, nullptr, &dest, &src, nullptr, mode);
    }
};

TEST_F(EngineStretchTest, HalvingKeepsTwoPixelSquaresAsOnePixelSquares) {
    TestBitmap source(8, 8), half(4, 4);
    ASSERT_NE(nullptr, source.so());
    ASSERT_NE(nullptr, half.so());
    Checkerboard(source, 2);
    half.Clear(true);
    ASSERT_TRUE(Stretch(half, source, {0, 0, 4, 4}, {0, 0, 8, 8}, COLORONCOLOR));
    const std::vector<std::string> expected = {"#.#.", ".#.#", "#.#.", ".#.#"};
    EXPECT_EQ(expected, half.Picture()) << Show(half.Picture());
}

TEST_F(EngineStretchTest, ModeDecidesWhatAShrinkKeeps) {
    TestBitmap source(8, 8);
    ASSERT_NE(nullptr, source.so());
    Checkerboard(source, 1);  // every pair of pixels has one black and one white
    struct Case {
        ULONG mode;
        int black;  // of 16
    } const cases[] = {{BLACKONWHITE, 16}, {WHITEONBLACK, 0}, {COLORONCOLOR, 16}, {HALFTONE, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        TestBitmap half(4, 4);
        ASSERT_NE(nullptr, half.so());
        half.Clear(true);
        ASSERT_TRUE(Stretch(half, source, {0, 0, 4, 4}, {0, 0, 8, 8}, c.mode));
        // Nearest pixels of a halved one-pixel checkerboard all fall on the same colour.
        EXPECT_EQ(c.black, half.CountBlack()) << Show(half.Picture());
    }
}

TEST_F(EngineStretchTest, EnlargesMirrorsAndClipsToTheDestination) {
    TestBitmap source(2, 1), wide(6, 2);
    ASSERT_NE(nullptr, source.so());
    ASSERT_NE(nullptr, wide.so());
    source.Draw({"#."});

    wide.Clear(true);
    ASSERT_TRUE(Stretch(wide, source, {0, 0, 4, 2}, {0, 0, 2, 1}, COLORONCOLOR));
    EXPECT_EQ((std::vector<std::string>{"##....", "##...."}), wide.Picture());

    wide.Clear(true);
    ASSERT_TRUE(Stretch(wide, source, {4, 0, 0, 2}, {0, 0, 2, 1}, COLORONCOLOR));  // right to left
    EXPECT_EQ((std::vector<std::string>{"..##..", "..##.."}), wide.Picture());

    // Reaching past the right edge: only what lies on the bitmap is drawn.
    wide.Clear(true);
    ASSERT_TRUE(Stretch(wide, source, {2, 0, 10, 1}, {0, 0, 2, 1}, COLORONCOLOR));
    EXPECT_EQ((std::vector<std::string>{"..####", "......"}), wide.Picture());

    CLIPOBJ clip{};
    clip.iDComplexity = DC_RECT;
    clip.rclBounds = RECTL{1, 0, 6, 1};
    wide.Clear(true);
    ASSERT_TRUE(Stretch(wide, source, {0, 0, 4, 2}, {0, 0, 2, 1}, COLORONCOLOR, &clip));
    EXPECT_EQ((std::vector<std::string>{".#....", "......"}), wide.Picture());

    EXPECT_FALSE(Stretch(wide, source, {0, 0, 4, 2}, {0, 0, 0, 1}, COLORONCOLOR));  // empty source
    EXPECT_FALSE(Stretch(wide, source, {0, 0, 4, 2}, {0, 0, 2, 1}, 9));             // unknown mode
}

}  // namespace
