// Page decorations of vector-mode jobs through the loaded rendering library: the frame of
// each option and the page stamp, read back from the stream. Banner pages cannot be asked
// for through the settings on this printer (validation clears the banner bits), so their
// commands are tested against the decoration code itself (render_decor).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render_vector_jobs/VectorJobFixture.h"

namespace vectorjobs {
namespace {

using kvtest::CommandKind;
using kvtest::StreamCommand;

constexpr DWORD kStampPageNumber = 7;

class DecorJobTest : public VectorJobTest {
protected:
    std::vector<BYTE> Decorated(WORD frame, bool stamp, DWORD position = 8) {
        std::vector<BYTE> settings = VectorBlock(400);
        Block(settings).PageFrame = frame;
        Block(settings).PageStampSwitch = stamp ? 1 : 0;
        Block(settings).PageStampSelector = kStampPageNumber;
        Block(settings).PageStampPosition = position;
        return settings;
    }
    static std::vector<gdihost::DrawOp> SmallDrawing() {
        gdihost::DrawOp rect;
        rect.kind = gdihost::DrawOp::Kind::FillRect;
        rect.rect = RECTL{1000, 1000, 1100, 1100};
        return {rect};
    }
};

/// The page's whole-page clip extents (the device rectangle the frame is drawn round).
SIZEL PageExtent(const PrintedJob& job, size_t page) {
    for (const StreamCommand* c : job.OnPage(page, CommandKind::ClipRect)) return SIZEL{c->values[1], c->values[0]};
    return SIZEL{};
}

struct FrameCase {
    WORD option;
    std::vector<LONG> style;  // AC's three bytes
    LONG width;
};

TEST_F(DecorJobTest, FramesOfTheThreeRectangleOptionsAreOutlinesInTheirLineStyle) {
    const FrameCase cases[] = {{1, {0, 0, 0}, 1}, {2, {1, 6, 0}, 1}, {3, {2, 2, 0}, 2}};
    for (const FrameCase& c : cases) {
        SCOPED_TRACE("frame option " + std::to_string(c.option));
        const PrintedJob job = Print(Decorated(c.option, false), {SmallDrawing(), SmallDrawing()});
        ASSERT_TRUE(job.printed) << job.failure;
        ASSERT_TRUE(job.listing.Ok()) << Listing(job);
        for (size_t p = 0; p < 2; ++p) {
            const SIZEL extent = PageExtent(job, p);
            ASSERT_GT(extent.cx, 0) << Listing(job);
            // The outline: the last rectangle of the page, inset by one dot.
            const auto rects = job.OnPage(p, CommandKind::Rectangle);
            ASSERT_FALSE(rects.empty()) << Listing(job);
            const StreamCommand& frame = *rects.back();
            EXPECT_EQ(frame.opcode, 0xDE) << frame.Describe();
            EXPECT_EQ(frame.values[2], 1);
            EXPECT_EQ(frame.values[3], 1);
            EXPECT_EQ(frame.values[1], extent.cx - 2);
            EXPECT_EQ(frame.values[0], extent.cy - 2);
            const StreamCommand* style = nullptr;
            const StreamCommand* width = nullptr;
            for (const StreamCommand* cmd : job.Page(p)) {
                if (cmd == &frame) break;
                if (cmd->kind == CommandKind::LineStyle) style = cmd;
                if (cmd->kind == CommandKind::LineWidth) width = cmd;
            }
            if (p == 0) {
                ASSERT_NE(style, nullptr) << Listing(job);
                EXPECT_EQ((std::vector<LONG>{style->values[0], style->values[1], style->values[2]}), c.style);
                ASSERT_NE(width, nullptr);
                EXPECT_EQ(width->values[0], c.width);
            }
            // The sheet has the frame's four sides.
            ASSERT_EQ(job.sheets.pages.size(), 2u);
            const kvtest::PageImage& sheet = job.sheets.pages[p];
            EXPECT_GT(BlackIn(sheet, RECTL{0, 0, extent.cx, 3}), static_cast<size_t>(extent.cx / 3));
            EXPECT_GT(BlackIn(sheet, RECTL{0, 0, 3, extent.cy}), static_cast<size_t>(extent.cy / 3));
            EXPECT_GT(BlackIn(sheet, RECTL{0, extent.cy - 4, extent.cx, extent.cy}), static_cast<size_t>(extent.cx / 3));
            EXPECT_GT(BlackIn(sheet, RECTL{extent.cx - 4, 0, extent.cx, extent.cy}), static_cast<size_t>(extent.cy / 3));
        }
    }
}

TEST_F(DecorJobTest, CornerMarksAreFourLinesOfFortyDotsAt400Dpi) {
    const PrintedJob job = PrintPage(Decorated(4, false), SmallDrawing());
    ASSERT_TRUE(job.printed) << job.failure;
    ASSERT_TRUE(job.listing.Ok()) << Listing(job);
    const SIZEL extent = PageExtent(job, 0);
    const LONG l = 1, t = 1, r = extent.cx - 1, b = extent.cy - 1;  // the frame rectangle
    constexpr LONG kMark = 40;
    const auto marks = job.OnPage(0, CommandKind::Polyline);
    ASSERT_EQ(marks.size(), 4u) << Listing(job);
    const std::vector<std::vector<POINTL>> expected{
        {{l, t + kMark}, {l, t}, {l + kMark, t}},
        {{r - kMark - 1, t}, {r - 1, t}, {r - 1, t + kMark}},
        {{r - 1, b - kMark - 1}, {r - 1, b - 1}, {r - kMark - 1, b - 1}},
        {{l + kMark, b - 1}, {l, b - 1}, {l, b - kMark - 1}},
    };
    const auto page = job.Page(0);
    for (size_t i = 0; i < marks.size(); ++i) {
        ASSERT_EQ(marks[i]->figures.size(), 1u);
        // Each mark starts with a move to its first point.
        std::vector<POINTL> got;
        for (size_t k = 1; k < page.size(); ++k) {
            if (page[k] == marks[i] && page[k - 1]->kind == CommandKind::Position)
                got.push_back(POINTL{page[k - 1]->values[0], page[k - 1]->values[1]});
        }
        got.insert(got.end(), marks[i]->figures[0].points.begin(), marks[i]->figures[0].points.end());
        ASSERT_EQ(got.size(), 3u) << marks[i]->Describe();
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(got[k].x, expected[i][k].x) << "mark " << i << " point " << k;
            EXPECT_EQ(got[k].y, expected[i][k].y) << "mark " << i << " point " << k;
        }
    }
    EXPECT_EQ(job.OnPage(0, CommandKind::Rectangle).size(), 1u) << "only the drawing's own rectangle";
}

std::string StampText(const StreamCommand& c) {
    std::string text;
    for (const kvtest::TextChar& ch : c.chars) text += static_cast<char>(ch.code);
    return text;
}

TEST_F(DecorJobTest, ThePageNumberStampIsPrintedOnEveryPageAtItsPlace) {
    struct Case {
        const char* name;
        WORD frame;
        DWORD position;
        size_t times;  // with a frame the stamp is written by the frame and by the page end
    };
    const Case cases[] = {
        {"bottom right, no frame", 0, 8, 1},
        {"top left, no frame", 0, 0, 1},
        {"bottom right under a frame", 1, 8, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintedJob job = Print(Decorated(c.frame, true, c.position), {SmallDrawing(), SmallDrawing(), SmallDrawing()});
        ASSERT_TRUE(job.printed) << job.failure;
        ASSERT_TRUE(job.listing.Ok()) << Listing(job);
        for (size_t p = 0; p < 3; ++p) {
            SCOPED_TRACE("page " + std::to_string(p + 1));
            const std::string number = "-" + std::to_string(p + 1) + "-";
            const auto texts = job.OnPage(p, CommandKind::Characters);
            ASSERT_EQ(texts.size(), c.times) << Listing(job);
            const SIZEL extent = PageExtent(job, p);
            for (const StreamCommand* t : texts) EXPECT_EQ(StampText(*t), number);
            // Gothic, 58 dots at 400 dpi, placed from the area's corner: half a size a byte.
            const StreamCommand* font = nullptr;
            const StreamCommand* size = nullptr;
            const StreamCommand* at = nullptr;
            for (const StreamCommand* cmd : job.Page(p)) {
                if (cmd == texts[0]) break;
                if (cmd->kind == CommandKind::FontSelect) font = cmd;
                if (cmd->kind == CommandKind::CharSize && cmd->opcode == 0xC3) size = cmd;
                if (cmd->kind == CommandKind::Position) at = cmd;
            }
            if (p == 0) {
                ASSERT_NE(font, nullptr) << Listing(job);
                EXPECT_EQ(font->values[0], 0x2510);
                ASSERT_NE(size, nullptr);
                EXPECT_EQ(size->values[0], 58);
            }
            ASSERT_NE(at, nullptr);
            const LONG n = static_cast<LONG>(number.size());
            if (c.position == 0) {
                EXPECT_EQ(at->values[0], 2);
                EXPECT_EQ(at->values[1], 2);
            } else {
                EXPECT_EQ(at->values[0], extent.cx - 29 * n - 2);
                EXPECT_EQ(at->values[1], extent.cy - 58 - 2);
            }
        }
    }
}

TEST_F(DecorJobTest, BannerBitsInTheSettingsAreClearedSoNoBannerPageIsPrinted) {
    std::vector<BYTE> settings = VectorBlock(400);
    Block(settings).CoverFlags = 0x2 | 0x4;
    const PrintedJob job = PrintPage(settings, SmallDrawing());
    ASSERT_TRUE(job.printed) << job.failure;
    ASSERT_TRUE(job.listing.Ok()) << Listing(job);
    EXPECT_EQ(job.listing.Count(CommandKind::BannerLine), 0u);
    EXPECT_EQ(job.listing.Count(CommandKind::FormFeed), 0u);
    EXPECT_EQ(job.listing.Count(CommandKind::Eject), 1u);
}

}  // namespace
}  // namespace vectorjobs
