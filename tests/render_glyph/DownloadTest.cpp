// Glyph download on a downloading model: one download per distinct glyph, prints from the
// printer's copy, a download font per page, the budget and the device limits.
#include "render/DriverEntry.h"
#include "render/DocumentHooks.h"
#include "render/PjlHeader.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/GlyphDownload.h"
#include "render/draw/GlyphWork.h"
#include "tests/render_glyph/GlyphFixture.h"
#include "tools/sample/JobReader.h"

namespace glyphtest {
namespace {

const Picture kGlyphA = {"#.#",
                         ".#."};
const Picture kGlyphB = {"##",
                         "##"};

/// Strip data of kGlyphA: one strip, both rows stored.
const std::vector<BYTE> kStripA = {0, 0, 0, 0, 0x00, 0x10, 0x00, 0x02, 0, 0, 0, 3,
                                   0, 0, 0, 0x03, 0xA0, 0x00, 0x40, 0x00};
/// Strip data of kGlyphB: the second row repeats the first.
const std::vector<BYTE> kStripB = {0, 0, 0, 0, 0x00, 0x10, 0x00, 0x02, 0, 0, 0, 3,
                                   0, 0, 0, 0x01, 0xC0, 0x00, 0x00, 0x00};

std::vector<BYTE> Download(BYTE opcode, WORD font, WORD width, WORD height, const std::vector<BYTE>& strip) {
    return Concat({{opcode, 0x00},
                   Word(font),
                   {0x00, 0x01, 0x00, 0x00},
                   Word(width),
                   Word(height),
                   {0, 0, 0, 0, 0, 0},
                   Word(static_cast<DWORD>(strip.size())),
                   strip});
}

class DownloadTest : public GlyphTest {
protected:
    BOOL Draw(GlyphRecord& glyph, FONTOBJ* font) {
        return DownloadGlyph(pdev_, font, nullptr, glyph.pos()->hg, glyph.pos(), nullptr);
    }
    void EndPage() {
        ASSERT_TRUE(DrvSendPage(&surface_));
        ASSERT_TRUE(DrvStartPage(&surface_));
    }
};

TEST_F(DownloadTest, OneDownloadPerGlyphAndAFontPerPage) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    GlyphRecord a(kGlyphA, POINTL{0, -2}, POINTL{10, 200}, 0x41);
    GlyphRecord aAgain(kGlyphA, POINTL{0, -2}, POINTL{20, 200}, 0x41);
    GlyphRecord b(kGlyphB, POINTL{0, -2}, POINTL{30, 200}, 0x42);
    ASSERT_TRUE(Draw(a, font.get()));
    ASSERT_TRUE(Draw(aAgain, font.get()));
    ASSERT_TRUE(Draw(b, font.get()));
    Golden page1;
    page1.Add("logical operation for glyphs", {0xA6, 0x00, 0xC0, 0xAA})
        .Add("text gray: black", {0xBD, 0x00, 0x10, 0x00})
        .Add("download A: first of font F000, 3 x 2", Download(0xC0, 0xF000, 3, 2, kStripA))
        .Add("select download font F000", {0xCB, 0x00, 0xF0, 0x00})
        .Add("move to (10, 198)", {0xB6, 0x0A, 0x00, 0xC6})
        .Add("print code 0", {0xCC, 0x00, 0x00, 0x00})
        .Add("move to (20, 198)", {0xB6, 0x14, 0x00, 0xC6})
        .Add("print A again: code 0", {0xCC, 0x00, 0x00, 0x00})
        .Add("download B: a later one of F000, 2 x 2", Download(0xC1, 0xF000, 2, 2, kStripB))
        .Add("move to (30, 198)", {0xB6, 0x1E, 0x00, 0xC6})
        .Add("print code 1", {0xCC, 0x00, 0x00, 0x01});
    EXPECT_TRUE(page1.Matches(Take()));
    EXPECT_EQ(Pdev().DownloadBudget, 8192u - 380u - (20 + 52) - (20 + 52));
    EXPECT_EQ(Pdev().SheetBlank, 0u);

    ASSERT_NO_FATAL_FAILURE(EndPage());
    (void)Take();
    EXPECT_EQ(Pdev().DownloadFontId, 0xF001);
    EXPECT_EQ(Pdev().NextDownloadCode, 0);
    EXPECT_EQ(Pdev().DownloadBudget, 8192u - 380u - 2 * (20 + 52) - 380u);

    GlyphRecord c(kGlyphB, POINTL{0, 0}, POINTL{40, 100}, 0x43);
    GlyphRecord aPage2(kGlyphA, POINTL{0, -2}, POINTL{50, 100}, 0x41);
    ASSERT_TRUE(Draw(c, font.get()));
    ASSERT_TRUE(Draw(aPage2, font.get()));
    Golden page2;
    page2.Add("download C: first of font F001", Download(0xC0, 0xF001, 2, 2, kStripB))
        .Add("select download font F001", {0xCB, 0x00, 0xF0, 0x01})
        .Add("move to (40, 100)", {0xB6, 0x28, 0x00, 0x64})
        .Add("print code 0 of F001", {0xCC, 0x00, 0x00, 0x00})
        .Add("A is still held: select its font F000", {0xCB, 0x00, 0xF0, 0x00})
        .Add("move to (50, 98)", {0xB6, 0x32, 0x00, 0x62})
        .Add("print A by its old code", {0xCC, 0x00, 0x00, 0x00});
    EXPECT_TRUE(page2.Matches(Take()));
}

TEST_F(DownloadTest, AGlyphOverTheBudgetGoesAsAnImageAndTheNextPageStartsAnEmptyTable) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    Pdev().DownloadBudget = 20 + 52 - 1;
    const size_t blocks = ChainBlocks();
    GlyphRecord a(kGlyphA, POINTL{0, -2}, POINTL{10, 200}, 0x41);
    EXPECT_FALSE(Draw(a, font.get()));
    EXPECT_EQ(Pdev().DownloadFull, 1u);
    EXPECT_EQ(Pdev().DownloadBudget, 20u + 52 - 1);
    EXPECT_EQ(ChainBlocks(), blocks) << "the refused glyph's record and work blocks are freed";
    EXPECT_TRUE(Take().empty());

    ASSERT_TRUE(WriteScaledGlyphBitmaps(pdev_, a.pos(), nullptr, font.get()));
    Golden image;
    image.Add("move to (10, 198)", {0xB6, 0x0A, 0x00, 0xC6})
        .Add("glyph image, strip coded: 16 x 2, 20 bytes", Concat({{0xF2, 0x00, 0x00, 0x10}, Word(16), Word(2), Dword(20)}))
        .Add("strip data", kStripA);
    EXPECT_TRUE(image.Matches(Take()));

    ASSERT_NO_FATAL_FAILURE(EndPage());
    FlushPendingSetup(pdev_);
    const std::vector<BYTE> setup = Take();
    ASSERT_GE(setup.size(), 4u);
    EXPECT_EQ(std::vector<BYTE>(setup.end() - 4, setup.end()), (std::vector<BYTE>{0xBC, 0x21, 0x00, 0x00}))
        << "the page setup ends with the table reset";
    EXPECT_EQ(Pdev().DownloadFull, 0u);
    EXPECT_EQ(Pdev().DownloadBudget, 8192u - 380u);

    ASSERT_TRUE(Draw(a, font.get()));
    Golden fresh;
    fresh.Add("logical operation (the page setup forgot it)", {0xA6, 0x00, 0xC0, 0xAA})
        .Add("text gray", {0xBD, 0x00, 0x10, 0x00})
        .Add("download opens font F000 again", Download(0xC0, 0xF000, 3, 2, kStripA))
        .Add("select font F000", {0xCB, 0x00, 0xF0, 0x00})
        .Add("print code 0 (the printer is still at (10, 198))", {0xCC, 0x00, 0x00, 0x00});
    EXPECT_TRUE(fresh.Matches(Take()));
}

TEST_F(DownloadTest, AFullTableIsEmptiedOnlyAfterAGlyphFoundItFull) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    GlyphRecord a(kGlyphA, POINTL{0, -2}, POINTL{10, 200}, 0x41);
    ASSERT_TRUE(Draw(a, font.get()));
    ASSERT_NO_FATAL_FAILURE(EndPage());
    FlushPendingSetup(pdev_);
    const std::vector<BYTE> setup = Take();
    const std::vector<BYTE> reset = {0xBC, 0x21, 0x00, 0x00};
    EXPECT_TRUE(std::search(setup.begin(), setup.end(), reset.begin(), reset.end()) == setup.end());
    ASSERT_TRUE(Draw(a, font.get()));
    Golden held;
    held.Add("the glyph of the last page is printed from the printer's copy", {0xCC, 0x00, 0x00, 0x00});
    EXPECT_TRUE(held.Matches(Take()));
}

TEST_F(DownloadTest, HalfScaleDownloadsTheReducedGlyph) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({400, 50}));
    standin::engine::Font font = TrueTypeFont();
    const Picture source = {"#.......",
                            "........",
                            "...#....",
                            "........",
                            "........",
                            ".....#..",
                            "........",
                            "......##"};
    GlyphRecord glyph(source, POINTL{0, 0}, POINTL{20, 20});
    ASSERT_TRUE(Draw(glyph, font.get()));
    const std::vector<BYTE> stream = Take();
    const std::vector<BYTE> opcode = {0xC0, 0x00, 0xF0, 0x00};
    auto at = std::search(stream.begin(), stream.end(), opcode.begin(), opcode.end());
    ASSERT_NE(at, stream.end());
    const size_t offset = static_cast<size_t>(at - stream.begin());
    ASSERT_GE(stream.size(), offset + 20);
    EXPECT_EQ(std::vector<BYTE>(stream.begin() + offset + 8, stream.begin() + offset + 12),
              (std::vector<BYTE>{0x00, 0x04, 0x00, 0x04}))
        << "the command carries the reduced size";
    const size_t length = (stream[offset + 18] << 8) | stream[offset + 19];
    ASSERT_GE(stream.size(), offset + 20 + length);
    const auto decoded = DecodeStrips(stream.data() + offset + 20, length);
    ASSERT_TRUE(decoded.has_value());
    const Picture reduced = {"#...",
                             ".#..",
                             "..#.",
                             "...#"};
    EXPECT_EQ(decoded->rows, PictureRows(reduced, 2));
}

TEST_F(DownloadTest, TwoTimesModeDoublesTheGlyph) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({200, 100}));
    standin::engine::Font font = TrueTypeFont();
    GlyphRecord a(kGlyphA, POINTL{0, 0}, POINTL{10, 20}, 0x41);
    ASSERT_TRUE(Draw(a, font.get()));
    const std::vector<BYTE> stream = Take();
    ASSERT_GE(stream.size(), 28u);
    // After the logical operation and the gray: the download command.
    EXPECT_EQ(std::vector<BYTE>(stream.begin() + 8, stream.begin() + 20),
              Concat({{0xC0, 0x00, 0xF0, 0x00, 0x00, 0x01, 0x00, 0x00}, Word(6), Word(4)}));
    const size_t length = (stream[26] << 8) | stream[27];
    ASSERT_GE(stream.size(), 28 + length);
    const auto decoded = DecodeStrips(stream.data() + 28, length);
    ASSERT_TRUE(decoded.has_value());
    const Picture doubled = {"##..##",
                             "##..##",
                             "..##..",
                             "..##.."};
    EXPECT_EQ(decoded->rows, PictureRows(doubled, 2));
}

TEST_F(DownloadTest, GlyphsBeyondTheDeviceLimitsAreNotDownloaded) {
    struct Case {
        SHORT dpi;
        DWORD sizeLimit;
        DWORD areaLimit;  // compared with pixels, though the model gives it in bytes
        bool downloaded;
    };
    // kGlyphA is 3 x 2: 6 pixels; doubled 6 x 4: 24 pixels.
    const Case cases[] = {
        {400, 3, 6, true}, {400, 2, 6, false}, {400, 3, 5, false},
        {200, 6, 24, true}, {200, 5, 24, false}, {200, 6, 23, false},
    };
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    HGLYPH handle = 0x100;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, size " << c.sizeLimit << ", area " << c.areaLimit);
        // The 2x mode of 200 dpi; a glyph handle of its own keeps every case a download.
        Pdev().StateFlags = c.dpi == 200 ? (Pdev().StateFlags | kStateDoubling) : (Pdev().StateFlags & ~kStateDoubling);
        Pdev().Limits.GlyphExtentMax = c.sizeLimit;
        Pdev().Limits.GlyphBitmapMax = c.areaLimit;
        GlyphRecord a(kGlyphA, POINTL{0, 0}, POINTL{10, 20}, handle++);
        const DWORD code = Pdev().NextDownloadCode;
        EXPECT_EQ(Draw(a, font.get()) != FALSE, c.downloaded);
        EXPECT_EQ(Pdev().NextDownloadCode, c.downloaded ? code + 1 : code);
        EXPECT_EQ(Pdev().DownloadFull, 0u);
    }
}

TEST_F(DownloadTest, StripDataBeyondSixteenBitsGoesAsAnImage) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    Pdev().Limits.GlyphExtentMax = 4096;
    Pdev().Limits.GlyphBitmapMax = 1u << 24;
    Pdev().DownloadBudget = 1u << 30;
    // A checkerboard stores every row: 64 strips x (19 flag words + 600 rows x 2 bytes).
    Picture board(600, std::string(1024, '.'));
    for (size_t y = 0; y < board.size(); ++y)
        for (size_t x = (y % 2); x < board[y].size(); x += 2) board[y][x] = '#';
    GlyphRecord big(board, POINTL{0, 0}, POINTL{10, 20});
    const size_t blocks = ChainBlocks();
    EXPECT_FALSE(Draw(big, font.get()));
    EXPECT_EQ(Pdev().DownloadFull, 0u) << "not a budget matter";
    EXPECT_EQ(Pdev().DownloadBudget, 1u << 30);
    EXPECT_EQ(Pdev().NextDownloadCode, 0);
    EXPECT_EQ(ChainBlocks(), blocks);
    EXPECT_TRUE(Take().empty());

    ASSERT_TRUE(WriteScaledGlyphBitmaps(pdev_, big.pos(), nullptr, font.get()));
    const std::vector<BYTE> stream = Take();
    ASSERT_GE(stream.size(), 16u);
    EXPECT_EQ(std::vector<BYTE>(stream.begin() + 4, stream.begin() + 12),
              Concat({{0xF2, 0x00, 0x00, 0x10}, Word(1024), Word(600)}));
    const DWORD length = (DWORD{stream[12]} << 24) | (DWORD{stream[13]} << 16) | (DWORD{stream[14]} << 8) | stream[15];
    EXPECT_GT(length, 0xFFFFu);
    ASSERT_EQ(stream.size(), 16 + length);
    const auto decoded = DecodeStrips(stream.data() + 16, length);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->rows, big.Rows());
}

TEST_F(DownloadTest, AfterAnOutputFailureGlyphsCountAsPrinted) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    Pdev().StateFlags |= kStateOutputFailed;
    GlyphRecord a(kGlyphA, POINTL{0, -2}, POINTL{10, 200}, 0x41);
    EXPECT_TRUE(Draw(a, font.get()));
    EXPECT_TRUE(Draw(a, font.get()));
    EXPECT_EQ(Pdev().NextDownloadCode, 1) << "downloaded once, then printed from the cache";
    EXPECT_EQ(Pdev().Output.Count, 0u);
}

TEST_F(DownloadTest, EmptyAndOversizedGlyphsAreRefused) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    Pdev().Limits.GlyphExtentMax = 0xFFFFFFFFu;
    Pdev().Limits.GlyphBitmapMax = 0xFFFFFFFFu;
    Pdev().DownloadBudget = 0xFFFFFFFFu;
    std::vector<GlyphRecord> glyphs;
    glyphs.push_back(GlyphRecord::Claiming(0, 0));
    glyphs.push_back(GlyphRecord::Claiming(0, 5));
    glyphs.push_back(GlyphRecord::Claiming(-3, 5));
    glyphs.push_back(GlyphRecord::Claiming(5, -3));
    // Beyond what a strip header or an image command carries: refused before any bit is read.
    glyphs.push_back(GlyphRecord::Claiming(65536, 1));
    glyphs.push_back(GlyphRecord::Claiming(1, 65536));
    glyphs.push_back(GlyphRecord::Claiming(0x7FFFFFFF, 0x7FFFFFFF));
    for (WORD scale : {100, 50, 150}) {
        Pdev().Geometry.ScalePercent = scale;
        for (GlyphRecord& g : glyphs) {
            const SIZEL size = g.bits()->sizlBitmap;
            SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy << " at " << scale);
            EXPECT_FALSE(Draw(g, font.get()));
            EXPECT_FALSE(WriteGlyphBitmaps(pdev_, g.pos(), nullptr, font.get()));
            EXPECT_FALSE(WriteScaledGlyphBitmaps(pdev_, g.pos(), nullptr, font.get()));
        }
    }
    const std::vector<BYTE> stream = Take();
    for (BYTE b : stream) EXPECT_TRUE(b != 0xC0 && b != 0xF2 && b != 0xF4) << kvtest::HexDump(stream);
}

TEST_F(DownloadTest, AScaleOfZeroDownloadsNothingAndTheImageTakesOneDot) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({400, 0}));
    standin::engine::Font font = TrueTypeFont();
    GlyphRecord a(kGlyphA, POINTL{0, 0}, POINTL{10, 20}, 0x41);
    EXPECT_FALSE(Draw(a, font.get()));
    EXPECT_EQ(Pdev().DownloadFull, 0u);
    (void)Take();
    ASSERT_TRUE(WriteScaledGlyphBitmaps(pdev_, a.pos(), nullptr, font.get()));
    const std::vector<BYTE> stream = Take();
    ASSERT_GE(stream.size(), 16u);
    EXPECT_EQ(std::vector<BYTE>(stream.end() - 18, stream.end()),
              Concat({{0xF4, 0x00, 0x00, 0x00}, Word(3), Word(2), Word(1), Word(1), Dword(2), {0xA0, 0x40}}));
}

TEST_F(DownloadTest, TheGlyphIndexFlagAndTheSizeTellGlyphsApart) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font small = TrueTypeFont();
    standin::engine::Font large = TrueTypeFont({0.1f, 0, 0, 0.1f, 0, 0});
    GlyphRecord a(kGlyphA, POINTL{0, 0}, POINTL{10, 20}, 0x41);
    ASSERT_TRUE(Draw(a, small.get()));
    ASSERT_TRUE(Draw(a, large.get()));
    Pdev().GlyphCache.Key.GlyphIndexText = 1;
    ASSERT_TRUE(Draw(a, small.get()));
    ASSERT_TRUE(Draw(a, small.get()));
    EXPECT_EQ(Pdev().NextDownloadCode, 3);
}

TEST_F(DownloadTest, TheTextOutputKeysGlyphsByIndexApartFromCharacters) {
    // Handle 0x41 is the letter A in one string and glyph index 0x41 in the other: each is
    // downloaded once, and each string again finds its own.
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    const auto draw = [&](FLONG accel) {
        standin::engine::StringSpec spec;
        spec.glyphs = {0x41};
        spec.positions = {POINTL{100, 100}};
        spec.text.push_back(u'A');
        spec.flAccel = SO_HORIZONTAL | accel;
        spec.withBits = true;
        standin::engine::String string = standin::engine::MakeString(spec, font.get());
        standin::engine::Brush black = standin::engine::MakeSolidBrush(0);
        POINTL origin{0, 0};
        ASSERT_TRUE(DrvTextOut(&surface_, string.get(), font.get(), nullptr, nullptr, nullptr, black.get(), nullptr,
                               &origin, 0x0D0D));
    };
    draw(0);
    EXPECT_EQ(Pdev().NextDownloadCode, 1);
    draw(SO_GLYPHINDEX_TEXTOUT);
    EXPECT_EQ(Pdev().NextDownloadCode, 2) << "the index printed the character's glyph";
    draw(0);
    draw(SO_GLYPHINDEX_TEXTOUT);
    EXPECT_EQ(Pdev().NextDownloadCode, 2);
}

TEST_F(DownloadTest, ADeviceFontHasNoKey) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::FontSpec spec;
    spec.type = FO_TYPE_DEVICE;
    spec.iFace = 1;
    standin::engine::Font device = standin::engine::MakeFont(spec);
    GlyphRecord a(kGlyphA, POINTL{0, 0}, POINTL{10, 20}, 0x41);
    EXPECT_FALSE(Draw(a, device.get()));
    EXPECT_TRUE(Take().empty());
}

TEST_F(DownloadTest, TheEngineGivesTheBitsWhenThePositionHasNone) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    POINTL at{10, 20};
    ASSERT_TRUE(DownloadGlyph(pdev_, font.get(), nullptr, u'H', nullptr, &at));
    EXPECT_EQ(Pdev().NextDownloadCode, 1);
    ASSERT_TRUE(DownloadGlyph(pdev_, font.get(), nullptr, u'H', nullptr, &at));
    EXPECT_EQ(Pdev().NextDownloadCode, 1);
    EXPECT_FALSE(DownloadGlyph(pdev_, font.get(), nullptr, u'H', nullptr, nullptr)) << "no position at all";
}

TEST_F(DownloadTest, FreeingTheCacheLeavesEveryOtherBlock) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    Pdev().DownloadBudget = 0xFFFFFFFFu;
    std::vector<void*> others;
    const size_t before = ChainBlocks();
    for (HGLYPH g = 1; g <= 3000; ++g) {
        GlyphRecord glyph(kGlyphA, POINTL{0, 0}, POINTL{10, 20}, g);
        ASSERT_TRUE(Draw(glyph, font.get()));
        if (g % 7 == 0) others.push_back(PdevAlloc(pdev_, 16));
        (void)Take();
    }
    EXPECT_EQ(ChainBlocks(), before + 3000 + others.size());
    FreeFontCache(pdev_);
    EXPECT_EQ(ChainBlocks(), before + others.size());
    for (GlyphCacheRecord* head : Pdev().GlyphCache.Buckets) EXPECT_EQ(head, nullptr);
    for (void* block : others) {
        bool found = false;
        for (const PoolBlock* b = device_.chainHead(); b != nullptr; b = b->Next) found = found || (b + 1) == block;
        EXPECT_TRUE(found);
        PdevFree(pdev_, block);
    }
    EXPECT_EQ(ChainBlocks(), before);
}

TEST_F(DownloadTest, TheTableResetEmptiesTheCacheAndNothingBesideIt) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    const size_t before = ChainBlocks();
    GlyphRecord a(kGlyphA, POINTL{0, 0}, POINTL{10, 20}, 0x41);
    ASSERT_TRUE(Draw(a, font.get()));
    (void)Take();
    // What follows the buckets in the device state survives the clearing of the buckets.
    GlyphCacheState& cache = Pdev().GlyphCache;
    cache.Key.FontFile = 0x1122334455667788ull;
    cache.RowCountMin = 7;
    auto* sentinel = reinterpret_cast<CLIPOBJ*>(&cache);
    Pdev().ReducedStretchClip = sentinel;
    ResetDownloadTable(pdev_);
    EXPECT_EQ(Take(), (std::vector<BYTE>{0xBC, 0x21, 0x00, 0x00}));
    EXPECT_EQ(ChainBlocks(), before);
    EXPECT_EQ(cache.Key.FontFile, 0x1122334455667788ull);
    EXPECT_EQ(cache.RowCountMin, 7);
    EXPECT_EQ(Pdev().ReducedStretchClip, sentinel);
    Pdev().ReducedStretchClip = nullptr;
    for (GlyphCacheRecord* head : cache.Buckets) EXPECT_EQ(head, nullptr);
    EXPECT_EQ(Pdev().DownloadFontId, 0xF000);
    EXPECT_EQ(Pdev().NextDownloadCode, 0);
}

}  // namespace
}  // namespace glyphtest

namespace glyphtest {
namespace {

using kvtest::CommandKind;
using kvtest::DecodeJobStream;
using kvtest::JobListing;

TEST_F(DownloadTest, TheJobReaderReadsTheDownloadsBack) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice());
    standin::engine::Font font = TrueTypeFont();
    GlyphRecord a(kGlyphA, POINTL{0, -2}, POINTL{10, 200}, 0x41);
    GlyphRecord b(kGlyphB, POINTL{0, -2}, POINTL{30, 200}, 0x42);
    ASSERT_TRUE(Draw(a, font.get()));
    ASSERT_TRUE(Draw(b, font.get()));
    ASSERT_TRUE(Draw(a, font.get()));
    const std::string enter = "@PJL ENTER LANGUAGE=VRTL\r\n";
    std::vector<BYTE> job(enter.begin(), enter.end());
    const std::vector<BYTE> stream = Take();
    job.insert(job.end(), stream.begin(), stream.end());
    const JobListing listing = DecodeJobStream(job);
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto downloads = listing.All(CommandKind::GlyphDownload);
    ASSERT_EQ(downloads.size(), 2u);
    EXPECT_EQ(downloads[0]->values[1], 0);
    EXPECT_EQ(downloads[1]->values[1], 1);
    EXPECT_EQ(downloads[0]->image, PictureRows(kGlyphA, 1));
    EXPECT_EQ(downloads[1]->image, PictureRows(kGlyphB, 1));
}

}  // namespace
}  // namespace glyphtest
