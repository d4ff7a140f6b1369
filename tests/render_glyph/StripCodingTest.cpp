// The strip coding of glyph bitmaps: exact bytes of the small cases, and every shape read
// back by the test's own decoder.
#include <random>

#include "render/draw/GlyphWork.h"
#include "tests/render_glyph/GlyphFixture.h"

namespace glyphtest {
namespace {

using glyphs::Bitmap;

std::vector<BYTE> Encode(const std::vector<BYTE>& rows, DWORD width, DWORD height, DWORD stride) {
    const ULONGLONG bound = glyphs::StripCodingBound(width, height);
    EXPECT_NE(bound, 0u);
    std::vector<BYTE> out(static_cast<size_t>(bound), 0xCD);
    const DWORD length = glyphs::EncodeStrips(Bitmap{rows.data(), stride, width, height}, out.data());
    EXPECT_LE(length, bound);
    out.resize(length);
    return out;
}

TEST(StripCodingTest, OnePixel) {
    Golden expected;
    expected.Add("u32 0", {0, 0, 0, 0})
        .Add("width 16: one strip", {0x00, 0x10})
        .Add("height 1", {0x00, 0x01})
        .Add("strip 0 at 12 bytes (3 words)", {0, 0, 0, 3})
        .Add("row flags: row 0", {0x00, 0x00, 0x00, 0x01})
        .Add("row 0: pixel 0, second byte 0 (odd row bytes)", {0x80, 0x00})
        .Add("pad of an odd row count", {0x00, 0x00});
    EXPECT_TRUE(expected.Matches(Encode({0x80}, 1, 1, 1)));
}

TEST(StripCodingTest, FortyEqualRowsStoreOneRow) {
    const std::vector<BYTE> rows(40 * 2, 0xA5);
    Golden expected;
    expected.Add("u32 0", {0, 0, 0, 0})
        .Add("width 16", {0x00, 0x10})
        .Add("height 40", {0x00, 0x28})
        .Add("strip 0 at 12 bytes", {0, 0, 0, 3})
        .Add("flags of rows 0-31: row 0 only", {0x00, 0x00, 0x00, 0x01})
        .Add("flags of rows 32-39: none", {0x00, 0x00, 0x00, 0x00})
        .Add("the one stored row", {0xA5, 0xA5})
        .Add("pad", {0x00, 0x00});
    EXPECT_TRUE(expected.Matches(Encode(rows, 16, 40, 2)));
}

TEST(StripCodingTest, RowsAreComparedWithTheRowStoredLastPerStrip) {
    // 24 pixels (3 bytes: two strips); strip 0 changes at row 2, strip 1 at rows 1 and 2.
    const std::vector<BYTE> rows = {0x11, 0x22, 0xF0,  //
                                    0x11, 0x22, 0x0F,  //
                                    0x33, 0x22, 0xF0,  //
                                    0x33, 0x22, 0xF0};
    Golden expected;
    expected.Add("u32 0", {0, 0, 0, 0})
        .Add("width 32: two strips", {0x00, 0x20})
        .Add("height 4", {0x00, 0x04})
        .Add("strip 0 at 16 bytes", {0, 0, 0, 4})
        .Add("strip 1 at 24 bytes", {0, 0, 0, 6})
        .Add("strip 0 flags: rows 0 and 2", {0, 0, 0, 0x05})
        .Add("strip 0 rows 0 and 2", {0x11, 0x22, 0x33, 0x22})
        .Add("strip 1 flags: rows 0, 1 and 2", {0, 0, 0, 0x07})
        .Add("strip 1 rows 0-2 (second byte beyond the row: 0)", {0xF0, 0x00, 0x0F, 0x00, 0xF0, 0x00})
        .Add("pad", {0x00, 0x00});
    EXPECT_TRUE(expected.Matches(Encode(rows, 24, 4, 3)));
}

TEST(StripCodingTest, PixelsBeyondTheWidthAreNotSent) {
    // The padding bits of a 3-pixel row are set: the strip carries only the 3 pixels.
    const std::vector<BYTE> coded = Encode({0xFF, 0xBF}, 3, 2, 1);
    const auto decoded = DecodeStrips(coded.data(), coded.size());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->rows, (std::vector<BYTE>{0xE0, 0x00, 0xA0, 0x00}));
}

TEST(StripCodingTest, EveryShapeRoundTrips) {
    std::mt19937 random(1234);
    for (DWORD width : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 24u, 33u, 63u, 64u, 65u}) {
        for (DWORD height : {1u, 2u, 31u, 32u, 33u, 64u, 65u, 100u}) {
            for (int density : {0, 1, 2}) {
                SCOPED_TRACE(testing::Message() << width << " x " << height << " density " << density);
                const DWORD stride = glyphs::RowBytes(width) + (width % 3);  // stride wider than the row too
                std::vector<BYTE> rows(static_cast<size_t>(stride) * height, 0);
                for (DWORD y = 0; y < height; ++y) {
                    // Runs of equal rows, so that repeats are exercised.
                    const bool fresh = y == 0 || random() % 3 == 0;
                    for (DWORD i = 0; i < stride; ++i) {
                        rows[y * stride + i] = fresh ? (density == 0   ? 0
                                                        : density == 1 ? static_cast<BYTE>(random() & random())
                                                                       : static_cast<BYTE>(random()))
                                                     : rows[(y - 1) * stride + i];
                    }
                }
                const std::vector<BYTE> coded = Encode(rows, width, height, stride);
                const auto decoded = DecodeStrips(coded.data(), coded.size());
                ASSERT_TRUE(decoded.has_value()) << kvtest::HexDump(coded);
                EXPECT_EQ(decoded->width, glyphs::StripCount(width) * 16);
                EXPECT_EQ(decoded->height, height);
                const DWORD outBytes = decoded->width / 8;
                for (DWORD y = 0; y < height; ++y) {
                    for (DWORD x = 0; x < outBytes * 8; ++x) {
                        const bool ink = x < width && (rows[y * stride + x / 8] & (0x80u >> (x % 8))) != 0;
                        const bool got = (decoded->rows[y * outBytes + x / 8] & (0x80u >> (x % 8))) != 0;
                        ASSERT_EQ(got, ink) << "pixel " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(StripCodingTest, SizesTheHeaderCannotCarryAreRefused) {
    struct Case {
        DWORD width;
        DWORD height;
        bool codable;
    };
    const Case cases[] = {
        {0, 5, false},           // empty
        {5, 0, false},           // empty
        {65520, 1, true},        // 4095 strips: width 65520 fits 16 bits
        {65521, 1, false},       // 4096 strips would be 65536 wide
        {16, 65535, true},
        {16, 65536, false},
        {0xFFFFFFFFu, 1, false},  // no wrap in the strip count
    };
    for (const Case& c : cases) {
        EXPECT_EQ(glyphs::StripCodingBound(c.width, c.height) != 0, c.codable) << c.width << " x " << c.height;
    }
}

}  // namespace
}  // namespace glyphtest
