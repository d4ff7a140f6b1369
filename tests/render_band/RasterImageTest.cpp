// The raster image writers: raw fall-back, scaled images, the right-edge cut, the turned
// chunk of an N-up page.
#include <cstring>
#include <vector>

#include "render/BandOutput.h"
#include "render/draw/DrawingState.h"
#include "tests/render_band/BandFixture.h"

namespace kvband {
namespace {

class RasterImageTest : public BandTest {};

TEST_F(RasterImageTest, ChunkThatDoesNotCompressGoesOutRaw) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 16}));
    // Eight different bytes: a literal of 8 plus its code and the row end is 10 bytes.
    const BYTE row[8] = {0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8, 0xF7};
    std::memcpy(Band().Row(9), row, sizeof row);
    ASSERT_TRUE(NextBand(nullptr));

    const std::vector<BYTE> stream = Spooled();
    const std::vector<Command> images = ImagesOf(ParseStream(stream));
    ASSERT_EQ(images.size(), 1u);
    Golden expected;
    expected.Add("image, raw: 64 px x 1 row, 8 bytes", {0xF2, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08})
        .Add("the row inverted", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08});
    EXPECT_TRUE(expected.Matches(std::vector<BYTE>(stream.begin() + static_cast<ptrdiff_t>(images[0].offset),
                                                   stream.begin() + static_cast<ptrdiff_t>(images[0].offset) + 20)));
}

TEST_F(RasterImageTest, EnlargedAndHalfScalePagesUseTheScaledImage) {
    struct Case {
        const char* name;
        SHORT dpi;
        WORD scale;
        BYTE opcode;
        DWORD width;       // source pixels sent
        DWORD pageWidth;   // F4 only
        DWORD pageHeight;
        LONG y;            // printer row of the image
    };
    // Black rows 5-8 (4 rows) of a page 64 dots wide.
    const Case cases[] = {
        {"600 dpi at 100 %", 600, 100, 0xF2, 64, 0, 0, 5},
        {"300 dpi: twice the source size", 300, 100, 0xF4, 64, 128, 8, 10},
        {"200 dpi: twice the source size", 200, 100, 0xF4, 64, 128, 8, 10},
        // 150 %: 96 dots would pass the 65-dot page, so 65 x 100 / 150 = 43 pixels are kept.
        {"600 dpi at 150 %", 600, 150, 0xF4, 43, 64, 6, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeDevice({c.dpi, 64, 16}));
        Pdev().Geometry.ScalePercent = c.scale;
        Band().BlackRows(5, 4);
        ASSERT_TRUE(NextBand(nullptr));
        const std::vector<Command> images = ImagesOf(ParseStream(Spooled()));
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].opcode, c.opcode);
        EXPECT_EQ(images[0].width, c.width);
        EXPECT_EQ(images[0].rows, 4u);
        EXPECT_EQ(images[0].pageWidth, c.pageWidth);
        EXPECT_EQ(images[0].pageHeight, c.pageHeight);
        EXPECT_EQ(images[0].at.y, c.y);
        EXPECT_EQ(images[0].pixels, std::vector<BYTE>(4 * ((c.width + 7) / 8), 0xFF));
        MarkSpooled();
    }
}

TEST_F(RasterImageTest, ChunkIsCutAtThePageRightEdge) {
    struct Case {
        const char* name;
        LONG originX;   // where the page's left edge lands
        DWORD width;    // pixels sent; 0: nothing sent
    };
    // The page is 64 dots wide, its right edge (exclusive clip) at 65.
    const Case cases[] = {
        {"whole chunk fits", 0, 64},
        {"cut inside the last byte: no copy", 3, 62},
        {"cut to seven bytes", 10, 55},
        {"starts at the edge: nothing left", 65, 0},
        {"wholly off the page", 66, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 16}));
        Pdev().Geometry.OddOrigin = POINTL{c.originX, 0};
        // A distinct byte in every column, so that a wrong copy shows.
        for (LONG y = 2; y < 4; ++y)
            for (LONG i = 0; i < 8; ++i) Band().Row(y)[i] = static_cast<BYTE>(~(0x10 * y + i));
        ASSERT_TRUE(NextBand(nullptr));
        const std::vector<Command> images = ImagesOf(ParseStream(Spooled()));
        if (c.width == 0) {
            EXPECT_TRUE(images.empty());
            MarkSpooled();
            continue;
        }
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].width, c.width);
        EXPECT_EQ(images[0].at.x, c.originX);
        const size_t stride = (c.width + 7) / 8;
        std::vector<BYTE> expected;
        for (BYTE y = 2; y < 4; ++y)
            for (BYTE i = 0; i < stride; ++i) expected.push_back(static_cast<BYTE>(0x10 * y + i));
        EXPECT_EQ(images[0].pixels, expected);
        MarkSpooled();
    }
}

TEST_F(RasterImageTest, TurnedChunkPutsTheFirstColumnAtTheBottom) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({600, 64, 64}));
    UseNup(2, 50, {RECTL{4, 6, 40, 30}});
    Pdev().Settings.Public.dmOrientation = 2;  // the page lies across the sheet

    // 16 x 3 source (a set bit white); black: (0, 0), (1, 0), (15, 1), (4, 2).
    BYTE source[3][2];
    std::memset(source, 0xFF, sizeof source);
    source[0][0] &= 0x3F;
    source[1][1] &= 0xFE;
    source[2][0] &= 0xF7;
    const std::vector<BYTE> before(&source[0][0], &source[0][0] + sizeof source);
    WriteRotatedRasterImage(&Pdev(), 16, 3, 0, 12, 2, &source[0][0]);
    EXPECT_EQ(std::vector<BYTE>(&source[0][0], &source[0][0] + sizeof source), before) << "the source is not changed";

    const std::vector<Command> images = ImagesOf(ParseStream(Spooled()));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 3u) << "as wide as the source is high";
    ASSERT_EQ(images[0].rows, 16u) << "as high as the source is wide";
    // Row 15 - c holds source column c; column r is source row r (three pixels a row).
    std::vector<BYTE> expected(16, 0x00);
    expected[15] = 0x80;  // (0, 0)
    expected[14] = 0x80;  // (1, 0)
    expected[0] = 0x40;   // (15, 1)
    expected[11] = 0x20;  // (4, 2)
    std::vector<BYTE> sent = images[0].pixels;
    for (BYTE& b : sent) b &= 0xE0;  // the pixels past the width are not part of the image
    EXPECT_EQ(sent, expected);
    // Placed at the slot's left, the source row 12 across, its bottom on the clip's bottom.
    const RECTL& clip = Pdev().Draw.ClipRect;
    EXPECT_EQ(images[0].at.x, 4 + 12);
    EXPECT_EQ(images[0].at.y, 6 + (clip.bottom - clip.top) - 16);
}

}  // namespace
}  // namespace kvband
