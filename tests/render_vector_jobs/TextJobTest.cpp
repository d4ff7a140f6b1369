// Text pages through the loaded rendering library: the printer's resident fonts (single- and
// double-byte, turned, vertical), TrueType faces replaced by resident fonts, and TrueType
// faces whose glyphs are downloaded or sent as images, read back from the job stream.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render_vector_jobs/VectorJobFixture.h"

namespace vectorjobs {
namespace {

using kvtest::CommandKind;
using kvtest::StreamCommand;

constexpr BYTE kAnsiCharset = 0;

class TextJobTest : public VectorJobTest {};

/// Every character code of the page's character commands, in order.
std::vector<WORD> Codes(const PrintedJob& job, size_t page = 0) {
    std::vector<WORD> codes;
    for (const StreamCommand* c : job.OnPage(page, CommandKind::Characters))
        for (const kvtest::TextChar& ch : c->chars) codes.push_back(ch.code);
    return codes;
}

/// The last command of `kind` before the page's first character command.
const StreamCommand* InForceAtText(const PrintedJob& job, CommandKind kind) {
    const StreamCommand* last = nullptr;
    for (const StreamCommand* c : job.Page(0)) {
        if (c->kind == CommandKind::Characters) return last;
        if (c->kind == kind) last = c;
    }
    return nullptr;
}

std::vector<WORD> Bytes(const std::string& text) { return std::vector<WORD>(text.begin(), text.end()); }

struct DeviceTextCase {
    const char* name;
    ULONG face;
    std::u16string text;
    LONG angle;
    BYTE select;       // CA single-byte, CB double-byte
    LONG font;
    bool vertical;     // style bit 15
    bool bold;         // style bit 0
    std::vector<WORD> codes;
};

TEST_F(TextJobTest, ResidentFontsPrintTheirCharacterCodesInTheirFontTurnedWhenAsked) {
    const DeviceTextCase cases[] = {
        {"Courier", kCourier, u"Hello, world", 0, 0xCA, 0x020, false, false, Bytes("Hello, world")},
        {"Helv", kHelv, u"Quick fox", 0, 0xCA, 0x030, false, false, Bytes("Quick fox")},
        {"Helv bold", kHelvBold, u"Quick fox", 0, 0xCA, 0x030, false, true, Bytes("Quick fox")},
        {"TmsRmn", kTmsRmn, u"Times (1)", 0, 0xCA, 0x000, false, false, Bytes("Times (1)")},
        {"OCR-B", kOcrB, u"0123456789", 0, 0xCA, 0x040, false, false, Bytes("0123456789")},
        {"Minchou", kMinchou, u"明朝日本", 0, 0xCB, 0x310, false, false, {0x96BE, 0x92A9, 0x93FA, 0x967B}},
        {"Gothic", kGothic, u"いろは", 0, 0xCB, 0x2510, false, false, {0x82A2, 0x82EB, 0x82CD}},
        {"Minchou vertical", kMinchouVertical, u"明朝", 0, 0xCB, 0x310, true, false, {0x96BE, 0x92A9}},
        {"Gothic vertical", kGothicVertical, u"日本", 0, 0xCB, 0x2510, true, false, {0x93FA, 0x967B}},
        {"Courier turned", kCourier, u"Upwards", 90, 0xCA, 0x020, false, false, Bytes("Upwards")},
        {"Gothic turned", kGothic, u"日本語", 90, 0xCB, 0x2510, false, false, {0x93FA, 0x967B, 0x8CEA}},
    };
    for (const DeviceTextCase& c : cases) {
        SCOPED_TRACE(c.name);
        const POINTL origin{1000, 2000};
        const LONG height = 80;
        const PrintedJob job = PrintPage(VectorBlock(), {DeviceTextOp(c.face, origin, c.text, height, c.angle)});
        ASSERT_TRUE(job.printed) << job.failure;
        ASSERT_TRUE(job.listing.Ok()) << Listing(job);
        EXPECT_EQ(Codes(job), c.codes) << Listing(job);
        EXPECT_EQ(job.OnPage(0, CommandKind::GlyphDownload).size(), 0u);
        const StreamCommand* font = InForceAtText(job, CommandKind::FontSelect);
        ASSERT_NE(font, nullptr) << Listing(job);
        EXPECT_EQ(font->opcode, c.select);
        EXPECT_EQ(font->values[0], c.font);
        const StreamCommand* style = InForceAtText(job, CommandKind::CharStyle);
        const LONG styleWord = style != nullptr ? style->values[0] : 0;
        EXPECT_EQ((styleWord & 0x8000) != 0, c.vertical) << std::hex << styleWord;
        EXPECT_EQ((styleWord & 0x0001) != 0, c.bold) << std::hex << styleWord;
        const StreamCommand* direction = InForceAtText(job, CommandKind::CharDirection);
        EXPECT_EQ(direction != nullptr ? direction->values[0] : 0, c.angle);
        // Some size is given, of the order of the height asked for.
        const StreamCommand* size = InForceAtText(job, CommandKind::CharSize);
        ASSERT_NE(size, nullptr);
        EXPECT_GT(size->values[0], height / 4);
        EXPECT_LE(size->values[0], height);
        // The text is painted along its escapement from the origin: to the right, or up.
        ASSERT_EQ(job.sheets.pages.size(), 1u);
        const kvtest::PageImage& sheet = job.sheets.pages[0];
        const LONG run = height / 3 * static_cast<LONG>(c.text.size());
        const RECTL along = c.angle == 0 ? RECTL{origin.x, origin.y - height, origin.x + run, origin.y + height / 3}
                                         : RECTL{origin.x - height, origin.y - run, origin.x + height / 3, origin.y};
        // Nothing above the line, or right of its descenders when turned.
        const RECTL across = c.angle == 0 ? RECTL{origin.x - height, origin.y - run, origin.x + height / 3, origin.y - height}
                                          : RECTL{origin.x + height / 3, origin.y - run, origin.x + run, origin.y};
        EXPECT_GT(BlackIn(sheet, along), 50u);
        EXPECT_EQ(BlackIn(sheet, across), 0u);
    }
}

TEST_F(TextJobTest, SingleAndDoubleByteFontsAlternateOnOnePageWithTheirOwnSelects) {
    const PrintedJob job = PrintPage(VectorBlock(), {DeviceTextOp(kCourier, {300, 400}, u"AB", 60),
                                                     DeviceTextOp(kMinchou, {300, 600}, u"明", 60),
                                                     DeviceTextOp(kCourier, {300, 800}, u"C", 60)});
    ASSERT_TRUE(job.printed) << job.failure;
    ASSERT_TRUE(job.listing.Ok()) << Listing(job);
    EXPECT_EQ(Codes(job), (std::vector<WORD>{'A', 'B', 0x96BE, 'C'}));
    std::vector<std::string> selects;
    for (const StreamCommand* c : job.OnPage(0, CommandKind::FontSelect))
        selects.push_back((c->opcode == 0xCA ? "CA " : "CB ") + std::to_string(c->values[0]));
    EXPECT_EQ(selects, (std::vector<std::string>{"CA 32", "CB 784", "CA 32"}));
}

struct SubstitutionCase {
    const char* name;
    std::u16string face;
    LONG font;
    bool vertical;
};

TEST_F(TextJobTest, TrueTypeFacesOfTheSubstitutionListPrintInTheResidentFontWhenSwitchedOn) {
    const SubstitutionCase cases[] = {
        {"Mincho", u"ＭＳ 明朝", 0x310, false},
        {"Gothic", u"ＭＳ ゴシック", 0x2510, false},
        {"vertical Mincho", u"@ＭＳ 明朝", 0x310, true},
    };
    for (const SubstitutionCase& c : cases) {
        for (bool substitute : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (substitute ? ", substituted" : ", not substituted"));
            std::vector<BYTE> settings = VectorBlock();
            if (substitute) {
                Block(settings).FeatureFlags |= kFeatureSubstituteTrueType;
            } else {
                Block(settings).FeatureFlags &= ~kFeatureSubstituteTrueType;
            }
            const PrintedJob job = PrintPage(settings, {TrueTypeTextOp(c.face, SHIFTJIS_CHARSET, {400, 600}, u"明朝体", 70)});
            ASSERT_TRUE(job.printed) << job.failure;
            ASSERT_TRUE(job.listing.Ok()) << Listing(job);
            const auto downloads = job.OnPage(0, CommandKind::GlyphDownload);
            if (!substitute) {
                EXPECT_EQ(downloads.size(), 3u) << "each glyph is downloaded\n" << Listing(job);
                continue;
            }
            EXPECT_EQ(downloads.size(), 0u) << Listing(job);
            EXPECT_EQ(Codes(job), (std::vector<WORD>{0x96BE, 0x92A9, 0x91CC})) << Listing(job);
            const StreamCommand* font = InForceAtText(job, CommandKind::FontSelect);
            ASSERT_NE(font, nullptr);
            EXPECT_EQ(font->opcode, 0xCB);
            EXPECT_EQ(font->values[0], c.font);
            const StreamCommand* style = InForceAtText(job, CommandKind::CharStyle);
            EXPECT_EQ(style != nullptr && (style->values[0] & 0x8000) != 0, c.vertical);
        }
    }
}

TEST_F(TextJobTest, AFaceOutsideTheListIsDownloadedEvenWithSubstitutionOn) {
    std::vector<BYTE> settings = VectorBlock();
    Block(settings).FeatureFlags |= kFeatureSubstituteTrueType;
    const PrintedJob job = PrintPage(settings, {TrueTypeTextOp(u"Demo Sans", kAnsiCharset, {400, 600}, u"xyz", 70)});
    ASSERT_TRUE(job.printed) << job.failure;
    EXPECT_EQ(job.OnPage(0, CommandKind::GlyphDownload).size(), 3u) << Listing(job);
}

TEST_F(TextJobTest, DownloadedGlyphsAreSentOnceAndPrintedByTheirCodesAt400Dpi) {
    const std::u16string text = u"abcab ca";
    const PrintedJob job = PrintPage(VectorBlock(400), {TrueTypeTextOp(u"Demo Sans", kAnsiCharset, {400, 600}, text, 70),
                                                        TrueTypeTextOp(u"Demo Sans", kAnsiCharset, {400, 900}, u"cab", 70)});
    ASSERT_TRUE(job.printed) << job.failure;
    ASSERT_TRUE(job.listing.Ok()) << Listing(job);
    const auto downloads = job.OnPage(0, CommandKind::GlyphDownload);
    // a, b, c and the space: C0 for the first of the page's download font, C1 after.
    ASSERT_EQ(downloads.size(), 4u) << Listing(job);
    EXPECT_EQ(downloads[0]->opcode, 0xC0);
    for (size_t i = 1; i < downloads.size(); ++i) EXPECT_EQ(downloads[i]->opcode, 0xC1);
    const LONG fontId = downloads[0]->values[0];
    EXPECT_EQ(fontId & 0xF000, 0xF000) << std::hex << fontId;
    for (size_t i = 0; i < downloads.size(); ++i) {
        EXPECT_EQ(downloads[i]->values[0], fontId);
        EXPECT_EQ(downloads[i]->values[1], static_cast<LONG>(i));
    }
    // Letters carry ink, the space may not.
    for (size_t i : {0u, 1u, 2u}) {
        size_t ink = 0;
        for (BYTE b : downloads[i]->image) ink += b != 0 ? 1 : 0;
        EXPECT_GT(ink, 0u) << "glyph " << i;
    }
    // Every character is printed by the code its glyph got; a glyph met again is not sent again.
    EXPECT_EQ(Codes(job), (std::vector<WORD>{0, 1, 2, 0, 1, 3, 2, 0, 2, 0, 1}));
    for (const StreamCommand* c : job.OnPage(0, CommandKind::FontSelect)) {
        EXPECT_EQ(c->opcode, 0xCB);
        EXPECT_EQ(c->values[0], fontId);
    }
    EXPECT_EQ(job.OnPage(0, CommandKind::GlyphImage).size(), 0u);
    ExpectSheetLikeReference(job, 0, 2);
}

TEST_F(TextJobTest, TrueTypeGlyphsAreSentAsImagesAt600DpiAndWhenTooBigToDownload) {
    struct Case {
        const char* name;
        SHORT dpi;
        LONG height;
    };
    const Case cases[] = {{"600 dpi", 600, 70}, {"400 dpi, glyphs above the printer's glyph size", 400, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintedJob job = PrintPage(VectorBlock(c.dpi), {TrueTypeTextOp(u"Demo Sans", kAnsiCharset, {400, 600}, u"abca", c.height)});
        ASSERT_TRUE(job.printed) << job.failure;
        ASSERT_TRUE(job.listing.Ok()) << Listing(job);
        EXPECT_EQ(job.OnPage(0, CommandKind::GlyphDownload).size(), 0u) << Listing(job);
        EXPECT_EQ(Codes(job).size(), 0u);
        EXPECT_EQ(job.OnPage(0, CommandKind::GlyphImage).size(), 4u) << Listing(job);
        ExpectSheetLikeReference(job, 0, 2);
    }
}

TEST_F(TextJobTest, GlyphsDownloadedOnOnePagePrintByTheirCodesOnTheNext) {
    const std::vector<gdihost::DrawOp> page{TrueTypeTextOp(u"Demo Sans", kAnsiCharset, {400, 600}, u"ab", 70)};
    const PrintedJob job = Print(VectorBlock(400), {page, page});
    ASSERT_TRUE(job.printed) << job.failure;
    ASSERT_TRUE(job.listing.Ok()) << Listing(job);
    const auto downloads = job.OnPage(0, CommandKind::GlyphDownload);
    ASSERT_EQ(downloads.size(), 2u) << Listing(job);
    EXPECT_EQ(downloads[0]->opcode, 0xC0);
    EXPECT_EQ(job.OnPage(1, CommandKind::GlyphDownload).size(), 0u) << "the cache is hit\n" << Listing(job);
    for (size_t p = 0; p < 2; ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        EXPECT_EQ(Codes(job, p), (std::vector<WORD>{0, 1}));
        // The download font stays selected from one page to the next.
        EXPECT_EQ(job.OnPage(p, CommandKind::FontSelect).size(), p == 0 ? 1u : 0u) << Listing(job);
        ExpectSheetLikeReference(job, p, 2);
    }
}

}  // namespace
}  // namespace vectorjobs
