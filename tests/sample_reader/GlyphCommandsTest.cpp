// Glyph downloads, glyph images and their strip bitmaps, and the device-font text commands:
// fonts, sizes, style, direction and characters with the code width of the last select.
#include <gtest/gtest.h>

#include "tests/sample_reader/ReaderBytes.h"

namespace {

using namespace readertest;
using kvtest::CommandKind;

// A 1 x 1 glyph: width 16 in the header, one strip, one flag word, one row, two pad bytes.
const Bytes kDotStrips = Cat({D(0), W(16), W(1), D(3), D(0x00000001), B({0x80, 0x00}), B({0x00, 0x00})});
// 40 identical rows of 8 dots: two flag words (row 0 only), one stored row and its padding.
const Bytes kBarStrips = Cat({D(0), W(16), W(40), D(3), D(0x00000001), D(0x00000000), B({0xFF, 0x00}), B({0x00, 0x00})});

Bytes Download(int opcode, int font, int width, int height, const Bytes& strips) {
    return Cat({B({opcode, 0x00}), W(font), B({0x00, 0x01, 0x00, 0x00}), W(width), W(height), B({0, 0, 0, 0, 0, 0}),
                W(static_cast<int>(strips.size())), strips});
}

TEST(StripBitmaps, DotAndRepeatedRowsDecode) {
    const auto listing = Read(Cat({
        Cat({B({0xF2, 0x00, 0x00, 0x10}), W(16), W(1), D(20)}), kDotStrips,  // glyph image 16 x 1
        Cat({B({0xF4, 0x00, 0x00, 0x10}), W(16), W(40), W(32), W(80), D(24)}), kBarStrips,  // scaled 16 x 40 on 32 x 80
    }));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto c = Commands(listing);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].kind, CommandKind::GlyphImage);
    EXPECT_EQ(c[0].image, B({0x80, 0x00}));
    EXPECT_EQ(c[1].raster.pageHeight, 80);
    ASSERT_EQ(c[1].image.size(), 80u);
    for (size_t r = 0; r < 40; ++r) EXPECT_EQ(c[1].image[2 * r], 0xFF) << r;
}

TEST(StripBitmaps, NewRowsAndSeveralStrips) {
    // 20 dots wide (two strips), 3 rows: strip 0 rows A, A, B; strip 1 rows C, D, D.
    const Bytes strips = Cat({D(0), W(32), W(3), D(4), D(6),
                              D(0b101), B({0xAA, 0xAA, 0xBB, 0xBB}),        // strip 0: rows 0 and 2 new
                              D(0b011), B({0xC0, 0x00, 0xD0, 0x00})});      // strip 1: rows 0 and 1 new
    const auto listing = Read(Cat({Download(0xC0, 0xF000, 20, 3, strips)}));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto& c = listing.commands[1];
    EXPECT_EQ(c.kind, CommandKind::GlyphDownload);
    // Rows trimmed to the glyph's 20 dots (3 bytes, the last one's low four bits cleared).
    EXPECT_EQ(c.image, B({0xAA, 0xAA, 0xC0, 0xAA, 0xAA, 0xD0, 0xBB, 0xBB, 0xD0}));
}

TEST(StripBitmaps, MalformedStripsEndTheListing) {
    struct Case {
        const char* name;
        Bytes strips;
    };
    const Case cases[] = {
        {"cut in the header", B({0, 0, 0, 0, 0, 16})},
        {"first word not zero", Cat({D(1), W(16), W(1), D(3), D(1), B({0x80, 0, 0, 0})})},
        {"width not a multiple of 16", Cat({D(0), W(15), W(1), D(3), D(1), B({0x80, 0, 0, 0})})},
        {"offset outside the data", Cat({D(0), W(16), W(1), D(9), D(1), B({0x80, 0, 0, 0})})},
        {"first row not flagged", Cat({D(0), W(16), W(1), D(3), D(0), B({0x80, 0, 0, 0})})},
        {"flag past the last row", Cat({D(0), W(16), W(1), D(3), D(3), B({0x80, 0, 0, 0})})},
        {"rows cut short", Cat({D(0), W(16), W(2), D(3), D(3), B({0x80, 0})})},
        {"padding not zero", Cat({D(0), W(16), W(1), D(3), D(1), B({0x80, 0, 0, 1})})},
        {"a byte left over", Cat({D(0), W(16), W(1), D(3), D(1), B({0x80, 0, 0, 0, 0})})},
    };
    for (const Case& k : cases) {
        const Bytes image = Cat({B({0xF2, 0, 0, 0x10}), W(16), W(1), D(static_cast<long long>(k.strips.size())), k.strips});
        const auto listing = Read(image);
        ASSERT_FALSE(listing.Ok()) << k.name << "\n" << listing.Describe();
        EXPECT_EQ(listing.Error()->offset, kVrtlSize) << k.name;
    }
}

TEST(GlyphDownloads, CodesFollowThePrinterAndTheResetForgetsThem) {
    const auto listing = Read(Cat({
        Download(0xC0, 0xF000, 1, 1, kDotStrips),   // first glyph of font F000: code 0
        Download(0xC1, 0xF000, 8, 40, kBarStrips),  // code 1
        Download(0xC0, 0xF001, 1, 1, kDotStrips),   // next page's font: code 0 again
        Download(0xC1, 0xF000, 1, 1, kDotStrips),   // back to F000: code 2
        B({0xCB, 0x00, 0xF0, 0x00}),                // select the download font
        B({0xCC, 0x00, 0x00, 0x01}),                // print code 1: two code bytes after CB
    }));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto downloads = listing.All(CommandKind::GlyphDownload);
    ASSERT_EQ(downloads.size(), 4u);
    EXPECT_EQ(downloads[0]->values[1], 0);
    EXPECT_EQ(downloads[1]->values[1], 1);
    EXPECT_EQ(downloads[1]->values[3], 40);
    EXPECT_EQ(downloads[2]->values[0], 0xF001);
    EXPECT_EQ(downloads[2]->values[1], 0);
    EXPECT_EQ(downloads[3]->values[1], 2);
    EXPECT_EQ(listing.All(CommandKind::Characters)[0]->chars[0].code, 1);

    // After BC 21 00 00 a C1 has no font to add to.
    const auto reset = Read(Cat({Download(0xC0, 0xF000, 1, 1, kDotStrips), B({0xBC, 0x21, 0x00, 0x00}),
                                 Download(0xC1, 0xF000, 1, 1, kDotStrips)}));
    ASSERT_FALSE(reset.Ok());
    EXPECT_NE(reset.Error()->text.find("C1 before the C0"), std::string::npos) << reset.Error()->text;
}

TEST(TextCommands, StateCommandsAndCharactersDecode) {
    const auto listing = Read(Cat({
        B({0xC2, 0x00, 0x00, 0x02}),              // character mode 2
        B({0xBD, 0x00, 0x10, 0x00}),              // text gray 16
        B({0xCA, 0x00, 0x00, 0x20}),              // single-byte font 0x0020
        B({0xC3, 0x00, 0x00, 0x43}),              // height 67
        B({0xC4, 0x00, 0x00, 0x32}),              // width 50
        B({0xC8, 0x00, 0x00, 0x01}),              // bold
        B({0xC7, 0x00, 0x00, 0x5A}),              // 90 degrees
        B({0xCC, 0x00, 0x41}),                    // 'A': one code byte after CA
        B({0xCE, 0x00, 0x00, 0x02, 0x42, 0x43}),  // run "BC"
        B({0xCD, 0x02, 0x44, 0x01, 0xFF, 0x45, 0x00, 0x00}),  // "DE", D displaced (+1, -1)
        B({0xCB, 0x00, 0x03, 0x10}),              // double-byte font 0x0310
        B({0xC5, 0x00, 0x00, 0x53}),              // double-byte height
        B({0xC6, 0x00, 0x00, 0x53}),              // double-byte width
        B({0xCC, 0x00, 0x88, 0x9F}),              // a two-byte code
        B({0xCD, 0x02, 0x88, 0x9F, 0x05, 0x00, 0x00, 0x41, 0x00, 0x00}),  // displaced run of two codes
        B({0xCD, 0x04, 0x2D, 0x33, 0x88, 0x9F}),  // the stamp's plain run: '-', '3', one kanji... 
    }));
    ASSERT_FALSE(listing.Ok()) << "the stamp run above claims 4 characters and holds 3";
    const auto run = Read(Cat({B({0xCB, 0x00, 0x25, 0x10}), B({0xCD, 0x04, 0x2D, 0x33, 0x88, 0x9F, 0x2D}),  // "-3" kanji "-"
                               B({0xCC, 0x00, 0x00, 0x41})}));
    ASSERT_TRUE(run.Ok()) << run.Describe();
    const auto plain = run.All(CommandKind::Characters)[0];
    EXPECT_FALSE(plain->displaced);
    ASSERT_EQ(plain->chars.size(), 4u);
    EXPECT_EQ(plain->chars[2].code, 0x889F);
    EXPECT_EQ(plain->chars[3].code, 0x2D);

    const Bytes good = Cat({B({0xC2, 0x00, 0x00, 0x02}), B({0xBD, 0x00, 0x10, 0x00}), B({0xCA, 0x00, 0x00, 0x20}),
                            B({0xC3, 0x00, 0x00, 0x43}), B({0xC4, 0x00, 0x00, 0x32}), B({0xC8, 0x00, 0x00, 0x01}),
                            B({0xC7, 0x00, 0x00, 0x5A}), B({0xCC, 0x00, 0x41}), B({0xCE, 0x00, 0x00, 0x02, 0x42, 0x43}),
                            B({0xCD, 0x02, 0x44, 0x01, 0xFF, 0x45, 0x00, 0x00}), B({0xCB, 0x00, 0x03, 0x10}),
                            B({0xCC, 0x00, 0x88, 0x9F}), B({0xCD, 0x02, 0x88, 0x9F, 0x05, 0x00, 0x00, 0x41, 0x00, 0x00})});
    const auto text = Read(good);
    ASSERT_TRUE(text.Ok()) << text.Describe();
    const auto c = Commands(text);
    ASSERT_EQ(c.size(), 13u);
    EXPECT_EQ(c[0].kind, CommandKind::CharMode);
    EXPECT_EQ(c[0].values[0], 2);
    EXPECT_EQ(c[1].kind, CommandKind::TextGray);
    EXPECT_EQ(c[2].kind, CommandKind::FontSelect);
    EXPECT_EQ(c[2].values[0], 0x20);
    EXPECT_EQ(c[3].opcode, 0xC3);
    EXPECT_EQ(c[3].values[0], 67);
    EXPECT_EQ(c[5].kind, CommandKind::CharStyle);
    EXPECT_EQ(c[6].values[0], 90);
    EXPECT_EQ(c[7].size, 3u);
    EXPECT_EQ(c[7].chars[0].code, 0x41);
    ASSERT_EQ(c[8].chars.size(), 2u);
    EXPECT_EQ(c[8].chars[1].code, 0x43);
    ASSERT_EQ(c[9].chars.size(), 2u);
    EXPECT_TRUE(c[9].displaced);
    EXPECT_EQ(c[9].chars[0].dx, 1);
    EXPECT_EQ(c[9].chars[0].dy, -1);
    EXPECT_EQ(c[11].size, 4u);
    EXPECT_EQ(c[11].chars[0].code, 0x889F);
    ASSERT_EQ(c[12].chars.size(), 2u);
    EXPECT_TRUE(c[12].displaced);
    EXPECT_EQ(c[12].chars[0].dx, 5);
    EXPECT_EQ(c[12].chars[1].code, 0x0041);
}

TEST(TextCommands, MalformedTextCommandsEndTheListing) {
    struct Case {
        const char* name;
        Bytes commands;
    };
    const Case cases[] = {
        {"character before any font select", B({0xCC, 0x00, 0x41})},
        {"run before any font select", B({0xCD, 0x01, 0x41, 0x00, 0x00})},
        {"character cut short after CB", Cat({B({0xCB, 0x00, 0x03, 0x10}), B({0xCC, 0x00, 0x88})})},
        {"run count past the end", Cat({B({0xCA, 0x00, 0x00, 0x20}), B({0xCE, 0x00, 0x00, 0x09, 0x41})})},
        {"displaced run past the end", Cat({B({0xCA, 0x00, 0x00, 0x20}), B({0xCD, 0x03, 0x41, 0x00, 0x00})})},
        {"direction of 360", B({0xC7, 0x00, 0x01, 0x68})},
        {"text gray without its zero", B({0xBD, 0x00, 0x10, 0x01})},
        {"size cut short", B({0xC3, 0x00, 0x00})},
        {"download fixed bytes", Cat({B({0xC0, 0x00}), W(0xF000), B({0x00, 0x02, 0x00, 0x00}), W(1), W(1), B({0, 0, 0, 0, 0, 0}), W(20), kDotStrips})},
        {"download length past the end", Cat({B({0xC0, 0x00}), W(0xF000), B({0x00, 0x01, 0x00, 0x00}), W(1), W(1), B({0, 0, 0, 0, 0, 0}), W(0xFFFF), kDotStrips})},
        {"download size differs from its strips", Download(0xC0, 0xF000, 17, 1, kDotStrips)},
        {"download header cut short", B({0xC0, 0x00, 0xF0})},
        {"glyph image size differs from its strips", Cat({B({0xF2, 0, 0, 0x10}), W(32), W(1), D(20), kDotStrips})},
    };
    for (const Case& k : cases) {
        const Bytes stream = Cat({kVrtl, k.commands});
        const auto listing = kvtest::DecodeJobStream(stream);
        ASSERT_FALSE(listing.Ok()) << k.name << "\n" << listing.Describe();
        EXPECT_EQ(listing.Count(CommandKind::Error), 1u) << k.name;
        EXPECT_GE(listing.Error()->offset, kVrtlSize) << k.name;
        for (const auto& c : listing.commands) EXPECT_LE(c.offset + c.size, stream.size()) << k.name;
    }
}

}  // namespace
