// Bitmaps through the loaded rendering library: blits of each raster-operation class, 1-bit
// images sent as they stand, and gray images halftoned and stretched by the engine, which
// hands the driver the 1-bit result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render_vector_jobs/VectorJobFixture.h"

namespace vectorjobs {
namespace {

using kvtest::CommandKind;
using kvtest::StreamCommand;

class BitmapJobTest : public VectorJobTest {};

constexpr RECTL kTarget{400, 500, 464, 564};

bool Checker(LONG x, LONG y) { return ((x / 8) + (y / 8)) % 2 == 0; }

gdihost::DrawOp BlitOp(ROP4 rop4, bool withBrush) {
    gdihost::DrawOp op;
    op.kind = gdihost::DrawOp::Kind::Blit;
    op.bitmap = OneBitBitmap(SIZEL{64, 64}, Checker);
    op.rect = kTarget;
    op.sourceRect = RECTL{0, 0, 64, 64};
    op.rop4 = rop4;
    op.withBrush = withBrush;
    op.brush.color = 0;
    return op;
}

struct RopCase {
    const char* name;
    ROP4 rop4;
    bool withBrush;
    size_t rasters;     // raster images on the page
    size_t fills;       // rectangles filled
    LONG logic;         // the logical operation in force at the image, -1 when none is sent
    bool likeEngine;    // the sheet is the engine's drawing of the page
};

TEST_F(BitmapJobTest, EachRasterOperationClassReachesThePrinterAsItsCommands) {
    const RopCase cases[] = {
        {"nothing to do (D)", 0xAAAA, false, 0, 0, -1, true},
        {"pattern only (P)", 0xF0F0, true, 0, 1, -1, true},
        {"pattern only (black)", 0x0000, false, 0, 1, -1, true},
        {"source (S)", 0xCCCC, false, 1, 0, 0xCC, true},
        // The printer's set bit is black where the engine's is white: the operations are
        // turned into the printer's sense (S and D there is S or D here, S xor D is its inverse).
        {"source (S and D)", 0x8888, false, 1, 0, 0xEE, false},
        {"source (S xor D)", 0x6666, false, 1, 0, 0x99, false},
        // The brush is selected as the fill and the printer combines it with the image.
        {"pattern then source (PSDPxax)", 0xB8B8, true, 1, 0, 0xE2, false},
        // The engine draws it and hands the driver the result to copy.
        {"other (PSx)", 0x3C3C, true, 1, 0, 0xCC, false},
    };
    for (const RopCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintedJob job = PrintPage(VectorBlock(), {BlitOp(c.rop4, c.withBrush)});
        ASSERT_TRUE(job.printed) << job.failure;
        ASSERT_TRUE(job.listing.Ok()) << Listing(job);
        const auto rasters = job.OnPage(0, CommandKind::Raster);
        EXPECT_EQ(rasters.size(), c.rasters) << Listing(job);
        EXPECT_EQ(job.OnPage(0, CommandKind::Rectangle).size(), c.fills) << Listing(job);
        if (!rasters.empty()) {
            EXPECT_EQ(rasters[0]->raster.width, 64);
            EXPECT_EQ(rasters[0]->raster.rows, 64);
            // The image as it stands: the source's black squares.
            std::vector<BYTE> expected;
            for (LONG y = 0; y < 64; ++y)
                for (LONG x = 0; x < 64; x += 8) expected.push_back(Checker(x, y) ? 0xFF : 0x00);
            EXPECT_EQ(rasters[0]->image, expected);
        }
        if (c.logic >= 0) {
            const StreamCommand* logic = nullptr;
            for (const StreamCommand* cmd : job.Page(0)) {
                if (cmd->kind == CommandKind::Raster) break;
                if (cmd->kind == CommandKind::LogicalOp) logic = cmd;
            }
            ASSERT_NE(logic, nullptr) << Listing(job);
            EXPECT_EQ(logic->values[0], c.logic);
        }
        ASSERT_EQ(job.sheets.pages.size(), 1u);
        const kvtest::PageImage& sheet = job.sheets.pages[0];
        const size_t area = 64 * 64;
        if (c.rop4 == 0xAAAA) {
            EXPECT_EQ(sheet.BlackCount(), 0u);
        }
        if (c.likeEngine && c.rop4 != 0xAAAA) {
            EXPECT_EQ(kvtest::ComparePages(EngineReference(job.pageSize, job.pages[0]), sheet), "");
        }
        if (c.rop4 == 0xCCCC) {
            EXPECT_EQ(BlackIn(sheet, kTarget), area / 2);
        }
    }
}

TEST_F(BitmapJobTest, AOneBitSourceBlackOnWhiteIsSentInvertedAndPrintsTheSame) {
    gdihost::DrawOp normal = BlitOp(0xCCCC, false);
    gdihost::DrawOp inverted = normal;
    inverted.rect = RECTL{kTarget.left + 200, kTarget.top, kTarget.right + 200, kTarget.bottom};
    inverted.bitmap.palette = {0x00000000, 0x00FFFFFF};
    for (BYTE& b : inverted.bitmap.bits) b = static_cast<BYTE>(~b);
    const PrintedJob job = PrintPage(VectorBlock(), {normal, inverted});
    ASSERT_TRUE(job.printed) << job.failure;
    const auto rasters = job.OnPage(0, CommandKind::Raster);
    ASSERT_EQ(rasters.size(), 2u) << Listing(job);
    EXPECT_EQ(rasters[0]->image, rasters[1]->image);
    ASSERT_EQ(job.sheets.pages.size(), 1u);
    EXPECT_EQ(kvtest::ComparePages(EngineReference(job.pageSize, job.pages[0]), job.sheets.pages[0]), "");
}

/// A gray ramp of `size`, 8 bits per pixel, black at the left to white at the right.
gdihost::BitmapSpec GrayRamp(SIZEL size) {
    gdihost::BitmapSpec spec;
    spec.size = size;
    spec.format = BMF_8BPP;
    for (ULONG g = 0; g < 256; ++g) spec.palette.push_back(g | g << 8 | g << 16);
    const size_t row = (static_cast<size_t>(size.cx) + 3) / 4 * 4;
    spec.bits.assign(row * static_cast<size_t>(size.cy), 0);
    for (LONG y = 0; y < size.cy; ++y)
        for (LONG x = 0; x < size.cx; ++x)
            spec.bits[static_cast<size_t>(y) * row + static_cast<size_t>(x)] = static_cast<BYTE>(x * 255 / (size.cx - 1));
    return spec;
}

/// Black pixels per mille in four columns of the rectangle, left to right.
std::vector<double> Densities(const kvtest::PageImage& page, const RECTL& r) {
    std::vector<double> out;
    const LONG w = (r.right - r.left) / 4;
    for (int i = 0; i < 4; ++i) {
        const RECTL column{r.left + i * w, r.top, r.left + (i + 1) * w, r.bottom};
        out.push_back(1000.0 * static_cast<double>(BlackIn(page, column)) / static_cast<double>(w * (r.bottom - r.top)));
    }
    return out;
}

TEST_F(BitmapJobTest, GrayImagesAreHalftonedByTheEngineAndSentAsOneBitImages) {
    struct Case {
        const char* name;
        gdihost::DrawOp::Kind kind;
        RECTL target;
    };
    const Case cases[] = {
        {"blit of a gray image", gdihost::DrawOp::Kind::Blit, RECTL{300, 300, 556, 364}},
        {"stretch to twice the size", gdihost::DrawOp::Kind::Stretch, RECTL{300, 300, 812, 428}},
        {"stretch to half the size", gdihost::DrawOp::Kind::Stretch, RECTL{300, 300, 428, 332}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gdihost::DrawOp op;
        op.kind = c.kind;
        op.bitmap = GrayRamp(SIZEL{256, 64});
        op.rect = c.target;
        op.sourceRect = RECTL{0, 0, 256, 64};
        const PrintedJob job = PrintPage(VectorBlock(), {op});
        ASSERT_TRUE(job.printed) << job.failure;
        ASSERT_TRUE(job.listing.Ok()) << Listing(job);
        const auto rasters = job.OnPage(0, CommandKind::Raster);
        ASSERT_FALSE(rasters.empty()) << Listing(job);
        LONG rows = 0;
        for (const StreamCommand* r : rasters) {
            EXPECT_EQ(r->raster.width, c.target.right - c.target.left) << "1 bit a dot, at the target's size";
            rows += r->raster.rows;
        }
        EXPECT_EQ(rows, c.target.bottom - c.target.top);
        ASSERT_EQ(job.sheets.pages.size(), 1u);
        EXPECT_EQ(job.sheets.pixelsDropped, 0u);
        const kvtest::PageImage& sheet = job.sheets.pages[0];
        EXPECT_EQ(BlackIn(sheet, c.target), sheet.BlackCount()) << "nothing outside the target";
        // The ramp: dark at the left, light at the right; each quarter as black as its mean
        // gray is dark (7/8, 5/8, 3/8, 1/8).
        const std::vector<double> printed = Densities(sheet, c.target);
        for (size_t i = 0; i < printed.size(); ++i) {
            EXPECT_NEAR(printed[i], 1000.0 * (7.0 - 2.0 * static_cast<double>(i)) / 8.0, 60.0) << "column " << i;
            if (i > 0) {
                EXPECT_LT(printed[i], printed[i - 1]) << "column " << i;
            }
        }
    }
}

TEST_F(BitmapJobTest, AStretchedGrayImagePrintsAsTheEngineHalftonesIt) {
    gdihost::DrawOp op;
    op.kind = gdihost::DrawOp::Kind::Stretch;
    op.bitmap = GrayRamp(SIZEL{256, 64});
    op.rect = RECTL{300, 300, 812, 428};
    op.sourceRect = RECTL{0, 0, 256, 64};
    const PrintedJob job = PrintPage(VectorBlock(), {op});
    ASSERT_TRUE(job.printed) << job.failure;
    ASSERT_EQ(job.sheets.pages.size(), 1u);
    const std::vector<double> printed = Densities(job.sheets.pages[0], op.rect);
    const std::vector<double> engine = Densities(EngineReference(job.pageSize, job.pages[0]), op.rect);
    for (size_t i = 0; i < printed.size(); ++i) EXPECT_NEAR(printed[i], engine[i], 60.0) << "column " << i;
}

}  // namespace
}  // namespace vectorjobs
