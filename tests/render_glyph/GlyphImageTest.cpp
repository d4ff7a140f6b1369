// Glyphs as image blocks: strip-coded and scaled by the printer, turned on turned N-up
// pages, and raw or row-compressed rows when the reduction leaves nothing or scales up.
#include "render/draw/DrawingState.h"
#include "render/draw/GlyphDownload.h"
#include "tests/render_glyph/GlyphFixture.h"
#include "tools/sample/RasterDecode.h"

namespace glyphtest {
namespace {

class GlyphImageTest : public GlyphTest {};

TEST_F(GlyphImageTest, AboveFullScaleThePrinterScalesTheStrips) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({400, 150}));
    standin::engine::Font font = TrueTypeFont();
    GlyphRecord glyph({"########", "#......#", "#......#", "########"}, POINTL{0, 0}, POINTL{10, 50});
    ASSERT_TRUE(WriteGlyphBitmaps(pdev_, glyph.pos(), nullptr, font.get()));
    const std::vector<BYTE> strips = {0, 0, 0, 0, 0x00, 0x10, 0x00, 0x04, 0, 0, 0, 3,
                                      0, 0, 0, 0x0B, 0xFF, 0x00, 0x81, 0x00, 0xFF, 0x00, 0x00, 0x00};
    Golden expected;
    expected.Add("move to (15, 75): the page point at 150 %", {0xB6, 0x0F, 0x00, 0x4B})
        .Add("scaled glyph image: 16 x 4 shown as 24 x 6",
             Concat({{0xF4, 0x00, 0x00, 0x10}, Word(16), Word(4), Word(24), Word(6), Dword(24)}))
        .Add("strip data: rows 0, 1 and 3 stored", strips);
    EXPECT_TRUE(expected.Matches(Take()));
    EXPECT_EQ(Pdev().SheetBlank, 0u);
}

TEST_F(GlyphImageTest, ATurnedPageTurnsTheGlyph) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({400, 100, 2}));
    Pdev().SentOrientation = 2;  // the sheet lies the other way: the page is turned on it
    Pdev().Geometry.NupSlots[0] = RECTL{0, 0, 2000, 3000};
    ASSERT_TRUE(PageTurned(pdev_));
    standin::engine::Font font = TrueTypeFont();
    const Picture source = {"##.",
                            "..#"};
    GlyphRecord glyph(source, POINTL{0, -2}, POINTL{100, 100});
    ASSERT_TRUE(WriteGlyphBitmaps(pdev_, glyph.pos(), nullptr, font.get()));
    const POINTL expected = MapPagePoint(pdev_, POINTL{100 + 3, 98}, false);
    EXPECT_EQ(Pdev().Draw.Position.x, expected.x);
    EXPECT_EQ(Pdev().Draw.Position.y, expected.y);

    const std::vector<BYTE> stream = Take();
    const std::vector<BYTE> opcode = {0xF4, 0x00, 0x00, 0x10};
    const auto at = std::search(stream.begin(), stream.end(), opcode.begin(), opcode.end());
    ASSERT_NE(at, stream.end()) << kvtest::HexDump(stream);
    const size_t header = static_cast<size_t>(at - stream.begin());
    ASSERT_GE(stream.size(), header + 16);
    EXPECT_EQ(std::vector<BYTE>(stream.begin() + header + 4, stream.begin() + header + 12),
              Concat({Word(16), Word(3), Word(16), Word(3)}))
        << "2 x 3 after the turn: one strip of 3 rows";
    const auto decoded = DecodeStrips(stream.data() + header + 16, stream.size() - header - 16);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->rows, PictureRows({".#", "#.", "#."}, 2));
}

TEST_F(GlyphImageTest, TheScaledWriterPicksItsForm) {
    struct Case {
        const char* name;
        SHORT dpi;
        WORD scale;
        Picture picture;
        BYTE form;          // 0x00 raw, 0x20 compressed, 0x10 strips (F2)
        WORD targetWidth;   // F4 forms only
        WORD targetHeight;
    };
    const Picture narrow = {"#..............#", "################"};              // 2 bytes a row
    const Picture wide(8, std::string(32, '#'));                                    // 4 bytes a row, 8 rows
    const Picture speck = {"#....", ".....", "..#..", ".....", "....#"};            // 5 x 5
    const Case cases[] = {
        {"fewer than 3 bytes a row: raw", 400, 150, narrow, 0x00, 24, 3},
        {"wide and tall enough: compressed", 400, 200, wide, 0x20, 64, 16},
        {"reduced to nothing: raw, one dot", 400, 10, speck, 0x00, 1, 1},
        {"200 dpi: the unit factor doubles the target", 200, 150, narrow, 0x00, 48, 6},
        {"a reduction goes strip coded", 400, 50, speck, 0x10, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeDevice({c.dpi, c.scale}));
        standin::engine::Font font = TrueTypeFont();
        GlyphRecord glyph(c.picture, POINTL{0, 0}, POINTL{10, 20});
        ASSERT_TRUE(WriteScaledGlyphBitmaps(pdev_, glyph.pos(), nullptr, font.get()));
        const std::vector<BYTE> stream = Take();
        ASSERT_GE(stream.size(), 16u);
        const BYTE* image = stream.data() + 4;  // after the move
        const auto width = static_cast<WORD>(c.picture[0].size());
        const auto height = static_cast<WORD>(c.picture.size());
        const std::vector<BYTE> rows = glyph.Rows();
        if (c.form == 0x10) {
            EXPECT_EQ(std::vector<BYTE>(image, image + 8), Concat({{0xF2, 0x00, 0x00, 0x10}, Word(16), Word(2)}));
            const auto decoded = DecodeStrips(image + 12, stream.size() - 16);
            ASSERT_TRUE(decoded.has_value());
            EXPECT_EQ(decoded->rows, PictureRows({"#.", ".#"}, 2)) << "5 x 5 at 50 %: 2 x 2";
        } else {
            EXPECT_EQ(std::vector<BYTE>(image, image + 12),
                      Concat({{0xF4, 0x00, 0x00, c.form}, Word(width), Word(height), Word(c.targetWidth),
                              Word(c.targetHeight)}));
            const DWORD length = (DWORD{image[12]} << 24) | (DWORD{image[13]} << 16) | (DWORD{image[14]} << 8) | image[15];
            ASSERT_EQ(stream.size(), 4 + 16 + length);
            const std::vector<BYTE> data(image + 16, image + 16 + length);
            if (c.form == 0x00) {
                EXPECT_EQ(data, rows);
            } else {
                const size_t rowBytes = (width + 7) / 8;
                const auto decoded = kvtest::DecodeRasterRows(data.data(), data.size(),
                                                              std::vector<BYTE>(rowBytes, 0), height, rowBytes);
                ASSERT_TRUE(decoded.has_value());
                EXPECT_EQ(*decoded, rows);
            }
        }
        FreeFontCache(pdev_);
        TearDownDevice();
    }
}

TEST_F(GlyphImageTest, NothingIsWrittenOutsideTheFrame) {
    ASSERT_NO_FATAL_FAILURE(MakeDevice({400, 100}));
    standin::engine::Font font = TrueTypeFont();
    const Picture picture = {"###", "###", "###", "###"};
    struct Case {
        POINTL at;
        bool drawn;
    };
    // A4's printable area ends near (3175, 4545) dots at 400 dpi.
    // An image is 16 dots wide (24 at 150 %): it may start that far left of the page.
    const Case cases[] = {{{5000, 10}, false}, {{10, 6000}, false}, {{-16, 10}, true}, {{-17, 10}, false},
                          {{10, 10}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
        GlyphRecord glyph(picture, POINTL{0, 0}, c.at);
        for (int writer = 0; writer < 2; ++writer) {
            Pdev().Geometry.ScalePercent = writer == 0 ? 100 : 150;
            const BOOL done = writer == 0 ? WriteScaledGlyphBitmaps(pdev_, glyph.pos(), nullptr, font.get())
                                          : WriteGlyphBitmaps(pdev_, glyph.pos(), nullptr, font.get());
            EXPECT_TRUE(done);
            const std::vector<BYTE> stream = Take();
            const bool image = std::find_if(stream.begin(), stream.end(), [](BYTE b) { return b == 0xF2 || b == 0xF4; }) !=
                               stream.end();
            EXPECT_EQ(image, c.drawn) << "writer " << writer << "\n" << kvtest::HexDump(stream);
        }
    }
}

}  // namespace
}  // namespace glyphtest
