// The sheet painter: shapes, fills, clips, strokes and text drawn on small sheets.
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "platform/StandIn.h"
#include "platform/StandInDraw.h"
#include "platform/WinGdi.h"
#include "tests/sample_reader/ReaderBytes.h"

namespace {

using namespace readertest;
using Rows = std::vector<std::string>;

kvtest::PageImage PaintOne(const Bytes& commands, SIZEL size) {
    const auto listing = Read(commands);
    EXPECT_TRUE(listing.Ok()) << listing.Describe();
    const auto job = kvtest::RenderPages(listing, size);
    EXPECT_EQ(job.error, "");
    EXPECT_EQ(job.pages.size(), 1u);
    return job.pages.empty() ? kvtest::PageImage() : job.pages[0];
}

const Bytes kSolidBlack = B({0xA5, 0x01, 0x10, 0x00});

TEST(Painting, RectanglesFillAndOutline) {
    const auto page = PaintOne(Cat({kSolidBlack,
                                    B({0xDB, 0x02}), W(3), W(1), W(1),   // filled 3 x 2 at (1, 1)
                                    B({0xA5, 0x01, 0x4F, 0x00}),         // white fill
                                    B({0xDC, 0x03}), W(4), W(5), W(0)}),  // white box outlined black at (5, 0)
                               SIZEL{10, 4});
    EXPECT_EQ(Picture(page), (Rows{".....####.", ".###.#..#.", ".###.####.", ".........."}));
}

TEST(Painting, PolylineStrokesFromThePosition) {
    const auto page = PaintOne(Cat({Move(0, 0), B({0xE0, 0x00}), W(2), P(3, 0), P(3, 2)}), SIZEL{5, 3});
    EXPECT_EQ(Picture(page), (Rows{"####.", "...#.", "...#."}));
}

TEST(Painting, EvenOddAndWindingFills) {
    // Two overlapping squares turning the same way.
    const Bytes figures = Cat({W(11), W(0), W(4), P(0, 0), P(4, 0), P(4, 4), P(0, 4), W(0), W(4), P(2, 0), P(6, 0), P(6, 4), P(2, 4), W(0), W(0)});
    const auto alternate = PaintOne(Cat({kSolidBlack, B({0xE8, 0x80}), figures}), SIZEL{6, 1});
    const auto winding = PaintOne(Cat({kSolidBlack, B({0xE8, 0x81}), figures}), SIZEL{6, 1});
    EXPECT_EQ(Picture(alternate), (Rows{"##..##"}));
    EXPECT_EQ(Picture(winding), (Rows{"######"}));
}

TEST(Painting, ClipRectangleAndClipPath) {
    const Bytes fillAll = Cat({B({0xDD, 0x00}), W(8), W(8), W(0), W(0), W(0)});
    const auto rect = PaintOne(Cat({kSolidBlack, Move(2, 1), B({0xB1, 0x02}), W(3), fillAll}), SIZEL{8, 4});
    EXPECT_EQ(Picture(rect), (Rows{"........", "..###...", "..###...", "........"}));
    // A triangle clip (0,0) (4,0) (0,4): pixel centres inside it.
    const auto path = PaintOne(Cat({kSolidBlack, B({0xB5, 0x02}), W(5), W(0), W(3), P(0, 0), P(4, 0), P(0, 4), W(0), W(0), fillAll}),
                               SIZEL{5, 5});
    EXPECT_EQ(Picture(path), (Rows{"###..", "##...", "#....", ".....", "....."}));
    // Page-control mode forgets the rectangle but not the path.
    const auto forgot = PaintOne(Cat({kSolidBlack, Move(0, 0), B({0xB1, 0x01}), W(1), B({0x1C, 'Z'}), fillAll}), SIZEL{2, 2});
    EXPECT_EQ(forgot.BlackCount(), 4u);
}

TEST(Painting, HatchesPatternsAndGrays) {
    const Bytes box = Cat({B({0xDD, 0x00}), W(16), W(16), W(0), W(0), W(0)});
    const auto hatch = PaintOne(Cat({B({0xA5, 0x02, 0x10, 0x4F}), box}), SIZEL{16, 16});  // horizontal hatch
    EXPECT_EQ(Picture(hatch)[0], std::string(16, '#'));
    EXPECT_EQ(Picture(hatch)[1], std::string(16, '.'));
    EXPECT_EQ(hatch.BlackCount(), 32u);
    const auto checker = PaintOne(Cat({B({0xA0, 0x00, 0x01, 0x00, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}),
                                       B({0xA4, 0x00, 0x01, 0x00}), B({0xA2, 0xF0, 0x00, 0x10}), B({0xA3, 0xF0, 0x00, 0x4F}), box}),
                                  SIZEL{16, 16});
    EXPECT_EQ(Picture(checker)[0], "#.#.#.#.#.#.#.#.");
    EXPECT_EQ(Picture(checker)[9], ".#.#.#.#.#.#.#.#");
    const auto gray = PaintOne(Cat({B({0xA5, 0x01, 0x30, 0x00}), box}), SIZEL{16, 16});  // about half
    EXPECT_GT(gray.BlackCount(), 96u);
    EXPECT_LT(gray.BlackCount(), 160u);
}

TEST(Painting, LogicalOperationCombinesWithThePage) {
    const Bytes box = Cat({B({0xDB, 0x01}), W(4), W(0), W(0)});
    const Bytes half = Cat({B({0xDB, 0x01}), W(2), W(0), W(0)});
    // Pattern XOR destination (0x5A in the printer's sense): the second box inverts the first.
    const auto page = PaintOne(Cat({kSolidBlack, box, B({0xA6, 0x00, 0x5A, 0x5A}), half}), SIZEL{4, 1});
    EXPECT_EQ(Picture(page), (Rows{"..##"}));
}

TEST(Painting, WideAndDashedLines) {
    const auto wide = PaintOne(Cat({B({0xAF, 0x00, 0x00, 0x03}), B({0xB0, 0x10, 0x00, 0x00}), Move(2, 2), B({0xE0, 0x00}), W(1), P(6, 2)}),
                               SIZEL{10, 5});
    EXPECT_EQ(Picture(wide), (Rows{"..........", ".#######..", ".#######..", ".#######..", ".........."}));
    const auto dashed = PaintOne(Cat({B({0xAC, 0x01, 0x06, 0x00}), Move(0, 0), B({0xE0, 0x00}), W(1), P(7, 0)}), SIZEL{8, 1});
    EXPECT_EQ(Picture(dashed), (Rows{"#.#.#.#."}));
}

TEST(Painting, AsciiPathWithBezier) {
    // A closed square by relative lines, filled winding; then a Bezier stroke.
    const auto square = PaintOne(S("NP;MA1,1;PR3,0,0,3,-3,0;CP;EP;FL;"), SIZEL{5, 5});
    EXPECT_EQ(Picture(square), (Rows{".....", ".###.", ".###.", ".###.", "....."}));
    const auto curve = PaintOne(S("NP;MA0,0;BR0,4,8,0,0,-4;EP;ST;"), SIZEL{9, 5});
    EXPECT_TRUE(curve.Black(0, 0));
    EXPECT_TRUE(curve.Black(8, 0));
    EXPECT_TRUE(curve.Black(4, 3));  // the curve's middle lies three quarters of the way down
    EXPECT_FALSE(curve.Black(4, 0));
}

TEST(Painting, CharactersGlyphsAndImages) {
    const Bytes dot = Cat({D(0), W(16), W(1), D(3), D(1), B({0x80, 0x00}), B({0x00, 0x00})});
    const auto listing = Read(Cat({
        B({0xCA, 0x00, 0x00, 0x20}), B({0xC3, 0x00, 0x00, 0x10}), B({0xC4, 0x00, 0x00, 0x08}),  // 8 x 16 cells
        Move(0, 0), B({0xCC, 0x00, 0x41}),                                    // 'A' at (0, 0)
        Move(8, 0), B({0xCD, 0x02, 0x20, 0x00, 0x00, 0x42, 0x00, 0x00}),      // space, then 'B' at (16, 0)
        B({0xC0, 0x00, 0xF0, 0x00, 0x00, 0x01, 0x00, 0x00}), W(1), W(1), B({0, 0, 0, 0, 0, 0}), W(20), dot,  // glyph code 0
        B({0xCB, 0x00, 0xF0, 0x00}), Move(30, 20), B({0xCC, 0x00, 0x00, 0x00}),  // print it at (30, 20)
        Move(40, 20), B({0xF2, 0x00, 0x00, 0x10}), W(16), W(1), D(20), dot,      // glyph image at (40, 20)
    }));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto job = kvtest::RenderPages(listing, SIZEL{48, 24});
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_EQ(job.error, "");
    const auto& page = job.pages[0];
    auto inkIn = [&](LONG left, LONG right) {
        size_t n = 0;
        for (LONG y = 0; y < 16; ++y) {
            for (LONG x = left; x < right; ++x) n += page.Black(x, y) ? 1 : 0;
        }
        return n;
    };
    EXPECT_GT(inkIn(0, 8), 0u) << "the A";
    EXPECT_EQ(inkIn(8, 16), 0u) << "the space";
    EXPECT_GT(inkIn(16, 24), 0u) << "the B after the space's advance";
    EXPECT_TRUE(page.Black(30, 20));
    EXPECT_TRUE(page.Black(40, 20));
    EXPECT_EQ(page.BlackCount(), inkIn(0, 48) + 2);
}

/// The engine's built-in glyph of a character at `height` dots.
standin::engine::GlyphImage EngineGlyph(char16_t character, LONG height) {
    standin::engine::FontSpec spec;
    spec.type = FO_TYPE_TRUETYPE;
    spec.heightDots = height;
    return standin::engine::FontGlyph(spec, character);
}

bool GlyphInk(const standin::engine::GlyphImage& glyph, LONG u, LONG v) {
    const size_t rowBytes = static_cast<size_t>((glyph.size.cx + 7) / 8);
    return (glyph.bits[static_cast<size_t>(v) * rowBytes + static_cast<size_t>(u / 8)] & (0x80 >> (u % 8))) != 0;
}

TEST(Painting, DeviceFontCharactersShowTheEngineGlyphs) {
    // Cells 20 dots high; the engine's glyph at that height is 12 dots wide. Each code is
    // painted at (0, 0); `stretch` is how many page columns one glyph column covers.
    struct Case {
        const char* what;
        Bytes select;  // font select and the sizes
        Bytes code;
        char16_t character;
        LONG stretch;
    };
    const Bytes single = Cat({B({0xCA, 0x00, 0x00, 0x20}), B({0xC3, 0x00, 0x00, 20}), B({0xC4, 0x00, 0x00, 12})});
    const Bytes twoByte = Cat({B({0xCB, 0x00, 0x00, 0x21}), B({0xC5, 0x00, 0x00, 20}), B({0xC6, 0x00, 0x00, 24})});
    const Case cases[] = {
        {"one-byte letter", single, B({0x41}), u'A', 1},
        {"one-byte code of a two-byte font: half the cell", twoByte, B({0x00, 0x7A}), u'z', 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto page = PaintOne(Cat({c.select, Move(0, 0), B({0xCC, 0x00}), c.code}), SIZEL{24, 20});
        const auto glyph = EngineGlyph(c.character, 20);
        ASSERT_EQ(glyph.size.cx, 12);
        ASSERT_EQ(glyph.size.cy, 20);
        size_t ink = 0;
        for (LONG v = 0; v < 20; ++v) {
            for (LONG x = 0; x < 12 * c.stretch; ++x) {
                ASSERT_EQ(page.Black(x, v), GlyphInk(glyph, x / c.stretch, v)) << "at (" << x << ", " << v << ")";
                ink += GlyphInk(glyph, x / c.stretch, v) ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 0u);
        EXPECT_EQ(page.BlackCount(), ink);
    }
}

/// The window stand-in's drawing of a character `height` pixels high: TextOutW, black on white,
/// into a memory picture of the character's extent.
standin::ui::Pixels WindowDrawing(char16_t character, LONG height) {
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTW spec{};
    spec.lfHeight = -height;
    HFONT font = CreateFontIndirectW(&spec);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, &character, 1, &size);
    HBITMAP picture = CreateBitmap(size.cx, size.cy, 1, 24, nullptr);
    HGDIOBJ oldPicture = SelectObject(dc, picture);
    PatBlt(dc, 0, 0, size.cx, size.cy, WHITENESS);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, &character, 1);
    SelectObject(dc, oldPicture);
    SelectObject(dc, oldFont);
    standin::ui::Pixels pixels = standin::ui::BitmapPixels(picture);
    DeleteObject(picture);
    DeleteObject(font);
    DeleteDC(dc);
    return pixels;
}

TEST(Painting, JapaneseDeviceFontCharactersShowTheWindowsGlyphs) {
    // The engine's font has ASCII only; Japanese codes are drawn with the glyphs the status and
    // settings windows show, at the cell's height and stretched over its width, never as boxes.
    struct Case {
        const char* what;
        Bytes select;
        Bytes code;
        char16_t character;
        SIZEL cell;
    };
    const Bytes single = Cat({B({0xCA, 0x00, 0x00, 0x20}), B({0xC3, 0x00, 0x00, 32}), B({0xC4, 0x00, 0x00, 16})});
    const Bytes twoByte = Cat({B({0xCB, 0x00, 0x00, 0x21}), B({0xC5, 0x00, 0x00, 32}), B({0xC6, 0x00, 0x00, 32})});
    const Case cases[] = {
        {"one-byte katakana", single, B({0xB1}), u'\uFF71', SIZEL{16, 32}},
        {"Shift-JIS hiragana", twoByte, B({0x82, 0xA0}), u'\u3042', SIZEL{32, 32}},
        {"Shift-JIS kanji", twoByte, B({0x88, 0xF3}), u'\u5370', SIZEL{32, 32}},
        {"Shift-JIS full-width letter", twoByte, B({0x82, 0x60}), u'\uFF21', SIZEL{32, 32}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto page = PaintOne(Cat({c.select, Move(0, 0), B({0xCC, 0x00}), c.code}), c.cell);
        const standin::ui::Pixels drawn = WindowDrawing(c.character, c.cell.cy);
        ASSERT_GT(drawn.width, 0);
        size_t ink = 0;
        for (LONG v = 0; v < c.cell.cy; ++v) {
            for (LONG u = 0; u < c.cell.cx; ++u) {
                const COLORREF at = drawn.At(static_cast<int>(u * drawn.width / c.cell.cx),
                                             static_cast<int>(v * drawn.height / c.cell.cy));
                const bool inked = GetGValue(at) < 128;
                ASSERT_EQ(page.Black(u, v), inked) << "at (" << u << ", " << v << ")";
                ink += inked ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 0u);
        if (standin::ui::GlyphsAvailable()) {
            // What a code without a glyph shows: the hollow box an eighth of the cell inside it.
            const LONG mx = c.cell.cx / 8;
            const LONG my = c.cell.cy / 8;
            bool box = true;
            for (LONG v = 0; v < c.cell.cy && box; ++v) {
                for (LONG u = 0; u < c.cell.cx && box; ++u) {
                    const bool inside = u >= mx && u < c.cell.cx - mx && v >= my && v < c.cell.cy - my;
                    const bool edge = u == mx || u == c.cell.cx - mx - 1 || v == my || v == c.cell.cy - my - 1;
                    box = page.Black(u, v) == (inside && edge);
                }
            }
            EXPECT_FALSE(box) << "drawn as a box";
        }
    }
}

TEST(Painting, CharactersTurnWithTheDirection) {
    // A quarter turn: the baseline runs up the page, cell point (u, v) at (x + v, y - u).
    const auto page = PaintOne(Cat({B({0xCA, 0x00, 0x00, 0x20}), B({0xC3, 0x00, 0x00, 20}), B({0xC4, 0x00, 0x00, 12}),
                                    B({0xC7, 0x00, 0x00, 90}), Move(0, 12), B({0xCC, 0x00, 0x4C})}),  // 'L'
                               SIZEL{20, 12});
    const auto glyph = EngineGlyph(u'L', 20);
    for (LONG v = 0; v < 20; ++v) {
        for (LONG u = 0; u < 12; ++u) ASSERT_EQ(page.Black(v, 11 - u), GlyphInk(glyph, u, v)) << "cell (" << u << ", " << v << ")";
    }
}

TEST(Painting, CodesWithoutACharacterAreHollowBoxes) {
    // A lone lead byte and a pair outside Shift-JIS: a box an eighth of the cell inside it.
    const Bytes twoByte = Cat({B({0xCB, 0x00, 0x00, 0x21}), B({0xC5, 0x00, 0x00, 16}), B({0xC6, 0x00, 0x00, 16})});
    const Bytes single = Cat({B({0xCA, 0x00, 0x00, 0x20}), B({0xC3, 0x00, 0x00, 16}), B({0xC4, 0x00, 0x00, 16})});
    const Rows box{"................", "................", "..############..", "..#..........#..", "..#..........#..",
                   "..#..........#..", "..#..........#..", "..#..........#..", "..#..........#..", "..#..........#..",
                   "..#..........#..", "..#..........#..", "..#..........#..", "..############..", "................",
                   "................"};
    EXPECT_EQ(Picture(PaintOne(Cat({single, Move(0, 0), B({0xCC, 0x00, 0x81})}), SIZEL{16, 16})), box);
    EXPECT_EQ(Picture(PaintOne(Cat({twoByte, Move(0, 0), B({0xCC, 0x00, 0xFF, 0xFF})}), SIZEL{16, 16})), box);
}

TEST(Painting, BannerPageIsItsOwnSheet) {
    const auto listing = Read(Cat({B({0x1C, 'f'}), S("PAI."), S("\r\n       User : kv\r\n"), B({0x0C}), kSolidBlack,
                                   B({0xDB, 0x01}), W(1), W(0), W(0), B({0x0D, 0x0C})}));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto job = kvtest::RenderPages(listing, SIZEL{660, 660});
    ASSERT_EQ(job.pages.size(), 2u);
    EXPECT_TRUE(job.pages[0].ejected);
    EXPECT_GT(job.pages[0].BlackCount(), 0u);
    EXPECT_EQ(job.pages[1].BlackCount(), 1u);
}

TEST(Painting, MissingDownloadIsReported) {
    const auto listing = Read(Cat({B({0xC0, 0x00, 0xF0, 0x00, 0x00, 0x01, 0x00, 0x00}), W(1), W(1), B({0, 0, 0, 0, 0, 0}), W(20),
                                   Cat({D(0), W(16), W(1), D(3), D(1), B({0x80, 0x00}), B({0x00, 0x00})}),
                                   B({0xCB, 0x00, 0xF0, 0x00}), Move(0, 0), B({0xCC, 0x00, 0x00, 0x07})}));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto job = kvtest::RenderPages(listing, SIZEL{4, 4});
    EXPECT_NE(job.error.find("not downloaded"), std::string::npos) << job.error;
}

}  // namespace

namespace {

TEST(Painting, RandomCommandBytesStayInBounds) {
    // Command bytes of the drawing families followed by noise: every listing entry lies
    // inside the stream and painting the listing touches only the page.
    using namespace readertest;
    const int opcodes[] = {0xE0, 0xE8, 0xE9, 0xEA, 0xB5, 0xAF, 0xB0, 0xAB, 0xAC, 0xA5, 0xA0, 0xA2, 0xA3, 0xA4,
                           0xC0, 0xC1, 0xC2, 0xC3, 0xC7, 0xC8, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xBD, 0xDB, 0xDD};
    std::mt19937 random(1309);
    for (int round = 0; round < 3000; ++round) {
        Bytes commands;
        for (int k = 0; k < 4; ++k) {
            commands.push_back(static_cast<BYTE>(opcodes[random() % std::size(opcodes)]));
            const size_t tail = random() % 24;
            for (size_t i = 0; i < tail; ++i) commands.push_back(static_cast<BYTE>(random() % 4 == 0 ? 0 : random()));
        }
        const Bytes stream = Cat({kVrtl, Move(3, 3), commands});
        const auto listing = kvtest::DecodeJobStream(stream);
        for (const auto& c : listing.commands) ASSERT_LE(c.offset + c.size, stream.size());
        const auto job = kvtest::RenderPages(listing, SIZEL{32, 32});
        for (const auto& page : job.pages) ASSERT_EQ(page.bits.size(), 4u * 32u);
    }
}

}  // namespace
