// Paths, clip paths, the ASCII path language and the line and fill attributes, decoded from
// hand-written streams with one comment per command.
#include <gtest/gtest.h>

#include "tests/sample_reader/ReaderBytes.h"

namespace {

using namespace readertest;
using kvtest::CommandKind;

TEST(VectorCommands, PathFormsDecodeToAbsoluteFigures) {
    const auto good = Read(Cat({
        Move(10, 20),
        B({0xE0, 0x00}), W(2), P(30, 20), P(30, 40),
        B({0xE8, 0x01}), W(3), P(0, 0), P(8, 0), P(0, 8),
        B({0xE9, 0x80}), W(7), W(0), W(2), P(1, 1), P(2, 2), W(0), W(2), P(5, 5), P(65535, 6), W(0), W(0),
        B({0xEA, 0x12}), W(6), W(0), W(1), W(1), W(4), P(0, 0), P(3, 0), P(3, 3), P(0, 3),
        B({0xB5, 0x02}), W(5), W(0), W(3), P(0, 0), P(4, 0), P(0, 4), W(0), W(0),
    }));
    ASSERT_TRUE(good.Ok()) << good.Describe();
    const auto c = Commands(good);
    ASSERT_EQ(c.size(), 6u);
    EXPECT_EQ(c[1].kind, CommandKind::Polyline);
    EXPECT_EQ(c[1].figures[0].points, Points({{30, 20}, {30, 40}}));
    EXPECT_EQ(c[2].kind, CommandKind::Path);
    EXPECT_EQ(c[2].values[0], 0x01);
    EXPECT_EQ(c[2].figures[0].points.size(), 3u);
    ASSERT_EQ(c[3].figures.size(), 2u);
    EXPECT_EQ(c[3].figures[1].points, Points({{5, 5}, {-1, 6}}));  // coordinates are signed 16-bit
    EXPECT_EQ(c[3].size, 4u + 4 * 3 + 4 * 4);
    EXPECT_EQ(c[4].figures[0].kind, 1);
    EXPECT_EQ(c[4].figures[0].points.size(), 4u);
    EXPECT_EQ(c[5].kind, CommandKind::ClipPath);
    EXPECT_EQ(c[5].figures[0].points, Points({{0, 0}, {4, 0}, {0, 4}}));
}

TEST(VectorCommands, PackedMultiFigureStrokeAndClipPath) {
    // EA 80: per figure (0, 1), (0, n), start, n - 1 ordinary.
    const Bytes stroke = Nibbles("01" "02" "11" "20" "01" "01" "33");
    // B5 04: per figure (0, n), start, n - 1 ordinary; then (0, 0).
    const Bytes clip = Nibbles("03" "00" "550" "055" "00");
    const auto listing = Read(Cat({
        B({0xEA, 0x80}), W(7), D(static_cast<long long>(stroke.size())), stroke,  // two open figures
        B({0xB5, 0x04}), W(5), D(static_cast<long long>(clip.size())), clip,      // one triangle
    }));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto c = Commands(listing);
    ASSERT_EQ(c[0].figures.size(), 2u);
    EXPECT_EQ(c[0].figures[0].points, Points({{1, 1}, {3, 1}}));
    EXPECT_EQ(c[0].figures[1].points, Points({{3, 3}}));
    EXPECT_EQ(c[1].figures[0].points, Points({{0, 0}, {5, 0}, {5, 5}}));
}

TEST(VectorCommands, AsciiPathLanguage) {
    const auto listing = Read(S("NP;MA10,20;PR5,0,0,-5;BR1,2,3,4,5,6;PRCP;EP;FL1;ST;EF;"));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto c = Commands(listing);
    ASSERT_EQ(c.size(), 10u);
    EXPECT_EQ(c[1].numbers, (std::vector<LONG>{10, 20}));
    EXPECT_EQ(c[2].numbers, (std::vector<LONG>{5, 0, 0, -5}));
    EXPECT_EQ(c[3].numbers.size(), 6u);
    EXPECT_EQ(c[4].text, "PR");  // a line record without points: "PR" alone
    EXPECT_EQ(c[4].size, 2u);
    EXPECT_EQ(c[5].text, "CP");
    EXPECT_EQ(c[7].numbers, (std::vector<LONG>{1}));
}

TEST(VectorCommands, AttributeCommands) {
    Bytes pattern24;
    for (int i = 0; i < 72; ++i) pattern24.push_back(static_cast<BYTE>(i));
    const auto listing = Read(Cat({
        B({0xAF, 0x00, 0x00, 0x05}),                         // line width 5
        B({0xB0, 0x02, 0x00, 0x05}),                         // miter join, round caps, miter 5
        B({0xAB, 0x10, 0x02, 0x00}), D(30), D(10),           // two dash lengths
        B({0xAC, 0x10, 0x00, 0x03}),                         // user style, state 3
        B({0xA5, 0x01, 0x10, 0x00}),                         // solid black
        B({0xA5, 0x06, 0x10, 0x4F}),                         // cross hatch, black on white
        B({0xA0, 0x20, 0x01, 0x00, 1, 2, 3, 4, 5, 6, 7, 8}),  // 8 x 8 pattern
        B({0xA4, 0x00, 0x01, 0x00}),                         // select it
        B({0xA2, 0xF0, 0x00, 0x10}),                         // pattern foreground
        B({0xA3, 0xF0, 0x00, 0x4F}),                         // pattern background
        B({0xA0, 0x03, 0x01, 0x01}), pattern24,              // 24 x 24 pattern
        B({0xA4, 0x00, 0x01, 0x01}),                         // select it
        B({0xAD, 0x00, 0x10, 0x4F}),                         // pen gray
    }));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto c = Commands(listing);
    ASSERT_EQ(c.size(), 13u);
    EXPECT_EQ(c[0].values[0], 5);
    EXPECT_EQ(c[1].values[0], 0x02);
    EXPECT_EQ(c[1].values[1], 5);
    EXPECT_EQ(c[2].numbers, (std::vector<LONG>{30, 10}));
    EXPECT_EQ(c[3].values[2], 3);
    EXPECT_EQ(c[5].values[0], 6);
    EXPECT_EQ(c[5].values[2], 0x4F);
    EXPECT_EQ(c[6].values[1], 8);
    EXPECT_EQ(c[6].image, B({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(c[7].values[0], 0x100);
    EXPECT_EQ(c[8].opcode, 0xA2);
    EXPECT_EQ(c[8].values[1], 0x10);
    EXPECT_EQ(c[10].image, pattern24);
    EXPECT_EQ(c[11].values[0], 0x101);
}

TEST(VectorCommands, MalformedCommandsEndTheListing) {
    struct Case {
        const char* name;
        Bytes commands;
    };
    const Case cases[] = {
        {"polyline cut short", Cat({B({0xE0, 0x00}), W(2), P(1, 1)})},
        {"polyline count past the end", Cat({B({0xE0, 0x00}), W(0xFFFF), P(1, 1)})},
        {"path header cut short", B({0xE8, 0x00, 0x00})},
        {"unknown stroke mode", Cat({B({0xE0, 0x02}), W(1), P(1, 1)})},
        {"unknown fill mode", Cat({B({0xE8, 0x40}), W(1), P(1, 1)})},
        {"fill without points", Cat({B({0xE8, 0x00}), W(0)})},
        {"figure count past the record count", Cat({B({0xE8, 0x80}), W(3), W(0), W(5), P(1, 1)})},
        {"record count off by one", Cat({B({0xE8, 0x80}), W(5), W(0), W(2), P(1, 1), P(2, 2), W(0), W(0)})},
        {"figure list without its end", Cat({B({0xE8, 0x80}), W(4), W(0), W(2), P(1, 1), P(2, 2)})},
        {"curve figure without its pairs", Cat({B({0xEA, 0x00}), W(3), W(0), W(2), W(0), W(1), P(0, 0)})},
        {"curve count past the records", Cat({B({0xEA, 0x00}), W(3), W(0), W(1), W(1), W(4), P(0, 0)})},
        {"unknown curve mode", Cat({B({0xEA, 0x04}), W(0)})},
        {"clip path mode", Cat({B({0xB5, 0x03}), W(0)})},
        {"dash count over 30", Cat({B({0xAB, 0x10, 31, 0x00}), Bytes(124, 0)})},
        {"dash lengths cut short", Cat({B({0xAB, 0x10, 2, 0x00}), D(1)})},
        {"line style unknown", B({0xAC, 0x05, 0x00, 0x00})},
        {"fill type 14", B({0xA5, 0x0E, 0x10, 0x00})},
        {"pattern cut short", B({0xA0, 0x20, 0x01, 0x00, 1, 2, 3})},
        {"large pattern cut short", Cat({B({0xA0, 0x03, 0x01, 0x01}), Bytes(71, 0)})},
        {"pattern select", B({0xA4, 0x00, 0x02, 0x00})},
        {"line width filler", B({0xAF, 0x01, 0x00, 0x01})},
        {"move without both numbers", S("MA10;")},
        {"Bezier of five numbers", S("BR1,2,3,4,5;")},
        {"relative points odd", S("PR1,2,3;")},
        {"vector command without ';'", S("NP")},
    };
    for (const Case& k : cases) {
        const Bytes stream = Cat({kVrtl, k.commands});
        const auto listing = kvtest::DecodeJobStream(stream);
        ASSERT_FALSE(listing.Ok()) << k.name << "\n" << listing.Describe();
        EXPECT_EQ(listing.Count(CommandKind::Error), 1u) << k.name;
        EXPECT_EQ(listing.Error()->offset, kVrtlSize) << k.name;
    }
}

TEST(BannerText, LinesRunToTheFormFeed) {
    const auto listing = Read(Cat({B({0x1C, 'f'}), S("PAI."), S("\r\n\r\n       User : kv\r\n"), B({0x0C}),
                                   B({0x1B, 'c', '1'})}));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto lines = listing.All(CommandKind::BannerLine);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2]->text, "       User : kv");
    EXPECT_EQ(listing.Count(CommandKind::FormFeed), 1u);
    EXPECT_EQ(listing.Count(CommandKind::EscReset), 1u);
    EXPECT_FALSE(Read(Cat({B({0x1C, 'f'}), S("LAI."), S("no end")})).Ok());
}

}  // namespace
