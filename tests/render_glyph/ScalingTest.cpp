// The reduction of glyph bitmaps by the scale percent: the maps of source pixels per target
// pixel, the OR of each block, and the doubling and turning of the printer's units.
#include <random>

#include "render/draw/GlyphWork.h"
#include "tests/render_glyph/GlyphFixture.h"

namespace glyphtest {
namespace {

using glyphs::Bitmap;
using glyphs::ScaleEntry;

std::vector<ScaleEntry> Map(DWORD scale, DWORD source, bool* built = nullptr) {
    const DWORD target = static_cast<DWORD>(glyphs::ScaledSize(scale, source));
    std::vector<ScaleEntry> map(std::max<DWORD>(target, 1));
    BYTE largest = 0;
    BYTE smallest = 10;
    const bool ok = glyphs::BuildScaleMap(scale, source, target, map.data(), &largest, &smallest);
    if (built != nullptr) *built = ok;
    map.resize(target);
    return map;
}

TEST(ScaleMapTest, CountsCoverTheSourceInOrder) {
    for (DWORD scale = 1; scale <= 99; ++scale) {
        for (DWORD source : {1u, 2u, 3u, 7u, 50u, 99u, 100u, 101u, 333u, 1000u}) {
            if (glyphs::ScaledSize(scale, source) == 0) continue;
            SCOPED_TRACE(testing::Message() << "scale " << scale << " source " << source);
            bool built = false;
            const std::vector<ScaleEntry> map = Map(scale, source, &built);
            ASSERT_TRUE(built);
            DWORD next = 0;
            for (const ScaleEntry& e : map) {
                ASSERT_EQ(e.First, next);
                ASSERT_GE(e.Count, 1u);
                next += e.Count;
            }
            EXPECT_EQ(next, source);
        }
    }
}

TEST(ScaleMapTest, HalfMergesPairs) {
    const std::vector<ScaleEntry> map = Map(50, 9);
    ASSERT_EQ(map.size(), 4u);
    EXPECT_EQ(map[0].Count, 2);
    EXPECT_EQ(map[2].First, 4u);
    EXPECT_EQ(map[3].Count, 3);  // the last takes the odd pixel
}

TEST(ScaleMapTest, ScalesThatDoNotReduceAreRefused) {
    ScaleEntry map[8] = {};
    BYTE largest = 0;
    BYTE smallest = 10;
    // A scale of 0 (bad settings) would divide by zero; 100 and above do not reduce.
    for (DWORD scale : {0u, 100u, 150u}) {
        EXPECT_FALSE(glyphs::BuildScaleMap(scale, 8, 4, map, &largest, &smallest)) << scale;
    }
    EXPECT_FALSE(glyphs::BuildScaleMap(50, 8, 0, map, &largest, &smallest));
    EXPECT_FALSE(glyphs::BuildScaleMap(50, 8, 9, map, &largest, &smallest));
}

/// The target pixel is ink when any pixel of its block is, computed by brute force.
std::vector<BYTE> Reference(const std::vector<BYTE>& rows, DWORD stride, const std::vector<ScaleEntry>& columns,
                            const std::vector<ScaleEntry>& rowMap) {
    const DWORD outBytes = glyphs::RowBytes(static_cast<DWORD>(columns.size()));
    std::vector<BYTE> out(outBytes * rowMap.size(), 0);
    for (size_t ty = 0; ty < rowMap.size(); ++ty)
        for (size_t tx = 0; tx < columns.size(); ++tx)
            for (DWORD y = rowMap[ty].First; y < rowMap[ty].First + rowMap[ty].Count; ++y)
                for (DWORD x = columns[tx].First; x < columns[tx].First + columns[tx].Count; ++x)
                    if (rows[y * stride + x / 8] & (0x80u >> (x % 8)))
                        out[ty * outBytes + tx / 8] |= static_cast<BYTE>(0x80u >> (tx % 8));
    return out;
}

std::vector<BYTE> Scale(const std::vector<BYTE>& rows, DWORD width, DWORD height, DWORD scale,
                        std::vector<ScaleEntry>* columns = nullptr, std::vector<ScaleEntry>* rowMap = nullptr) {
    const DWORD stride = glyphs::RowBytes(width);
    const std::vector<ScaleEntry> c = Map(scale, width);
    const std::vector<ScaleEntry> r = Map(scale, height);
    // The work line is exactly as long as the coder asks: a read past it is caught.
    std::vector<BYTE> line(glyphs::ScaleLineBytes(width));
    std::vector<BYTE> out(glyphs::RowBytes(static_cast<DWORD>(c.size())) * r.size(), 0xEE);
    glyphs::ScaleGlyphBitmap(Bitmap{rows.data(), stride, width, height}, c.data(), static_cast<DWORD>(c.size()),
                             r.data(), static_cast<DWORD>(r.size()), line.data(), out.data());
    if (columns != nullptr) *columns = c;
    if (rowMap != nullptr) *rowMap = r;
    return out;
}

TEST(ScaleGlyphTest, HalfSetsAPixelForAnyInkOfItsTwoByTwoBlock) {
    const Picture source = {"#.......",
                            "........",
                            "...#....",
                            "........",
                            "........",
                            ".....#..",
                            "........",
                            "......##"};
    const Picture expected = {"#...",
                              ".#..",
                              "..#.",
                              "...#"};
    EXPECT_EQ(Scale(PictureRows(source, 1), 8, 8, 50), PictureRows(expected, 1));
}

TEST(ScaleGlyphTest, EveryScaleMatchesTheBlockOr) {
    std::mt19937 random(77);
    for (DWORD scale : {1u, 2u, 3u, 10u, 33u, 50u, 67u, 99u}) {
        for (DWORD width : {8u, 13u, 40u, 100u, 257u}) {
            const DWORD height = 37;
            if (glyphs::ScaledSize(scale, width) == 0 || glyphs::ScaledSize(scale, height) == 0) continue;
            SCOPED_TRACE(testing::Message() << "scale " << scale << " width " << width);
            const DWORD stride = glyphs::RowBytes(width);
            std::vector<BYTE> rows(stride * height, 0);
            // Sparse ink, so that a block missed in part shows.
            for (int i = 0; i < 12; ++i) {
                const DWORD x = random() % width;
                const DWORD y = random() % height;
                rows[y * stride + x / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
            }
            std::vector<ScaleEntry> columns;
            std::vector<ScaleEntry> rowMap;
            const std::vector<BYTE> scaled = Scale(rows, width, height, scale, &columns, &rowMap);
            EXPECT_EQ(scaled, Reference(rows, stride, columns, rowMap));
        }
    }
}

TEST(ScaleGlyphTest, InkAtTheEndOfAWideBlockIsFound) {
    // At 2 % a target pixel covers 50 source pixels: more than one 32-pixel read.
    const DWORD width = 100;
    std::vector<BYTE> rows(glyphs::RowBytes(width) * 50, 0);
    rows[49 * 13 + 99 / 8] = static_cast<BYTE>(0x80u >> (99 % 8));  // pixel (99, 49): last of the last block
    rows[0 + 45 / 8] |= static_cast<BYTE>(0x80u >> (45 % 8));         // pixel (45, 0): 46th of the first
    EXPECT_EQ(Scale(rows, width, 50, 2), (std::vector<BYTE>{0xC0}));
}

TEST(ScaleGlyphTest, DoublingRepeatsEveryPixelAndRow) {
    const Picture source = {"#.#",
                            ".#."};
    const Picture doubled = {"##..##",
                             "##..##",
                             "..##..",
                             "..##.."};
    const std::vector<BYTE> rows = PictureRows(source, 1);
    std::vector<BYTE> out(2 * 4, 0xEE);
    glyphs::DoubleBitmap(Bitmap{rows.data(), 1, 3, 2}, out.data());
    EXPECT_EQ(out, PictureRows(doubled, 2));
}

TEST(ScaleGlyphTest, TurningIsAQuarterTurnCounterClockwise) {
    const Picture source = {"##.",
                            "..#"};
    // Pixel (x, y) goes to column y, row width - 1 - x.
    const Picture turned = {".#",
                            "#.",
                            "#."};
    const std::vector<BYTE> rows = PictureRows(source, 1);
    std::vector<BYTE> out(3, 0xEE);
    glyphs::TurnBitmap(Bitmap{rows.data(), 1, 3, 2}, out.data());
    EXPECT_EQ(out, PictureRows(turned, 1));
}

}  // namespace
}  // namespace glyphtest
