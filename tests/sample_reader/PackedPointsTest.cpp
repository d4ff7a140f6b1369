// The packed point stream of the path commands: the nibble code of each difference, the
// three record layouts, and streams that do not add up.
#include <gtest/gtest.h>

#include "tests/sample_reader/ReaderBytes.h"

namespace {

using namespace readertest;
using kvtest::CommandKind;

TEST(PackedPoints, TwoRecordsPadToWholeBytes) {
    const auto listing = Read(Cat({B({0xE0, 0x04}), W(2), D(3), B({0x00, 0x3D, 0xA0})}));  // (0,0) then (+3,-10)
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto c = Commands(listing);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].kind, CommandKind::Path);
    EXPECT_EQ(c[0].size, 11u);
    ASSERT_EQ(c[0].figures.size(), 1u);
    EXPECT_EQ(c[0].figures[0].points, Points({{0, 0}, {3, -10}}));
}

TEST(PackedPoints, EachDifferenceHasItsNibbles) {
    struct Case {
        int delta;
        const char* nibbles;
    };
    const Case cases[] = {
        {+3, "3"},        {-3, "B"},         {0, "0"},       {+4, "4"},        {-4, "C"},
        {+10, "5A"},      {-10, "DA"},       {+5, "55"},     {+15, "5F"},      {+16, "610"},
        {+200, "6C8"},    {-200, "EC8"},     {+255, "6FF"},  {+256, "70100"},  {+1000, "703E8"},
        {-1000, "F03E8"}, {+32767, "77FFF"}, {-32768, "8"},
    };
    for (const Case& k : cases) {
        // (0, 0) absolute, then (delta, 0) from it.
        const Bytes packed = Nibbles(std::string("00") + k.nibbles + "0");
        const auto listing = Read(Cat({B({0xE0, 0x04}), W(2), D(static_cast<long long>(packed.size())), packed}));
        ASSERT_TRUE(listing.Ok()) << k.nibbles << "\n" << listing.Describe();
        EXPECT_EQ(listing.commands[1].figures[0].points[1], (POINTL{k.delta, 0})) << k.nibbles;
    }
}

TEST(PackedPoints, OrdinaryPointsFollowThePreviousOneAndWrapAt16Bits) {
    // Start (100, 50) absolute, then +1000 x and -3 y, then -1000 x and +200 y.
    const Bytes packed = Nibbles("664" "632" "703E8" "B" "F03E8" "6C8");
    const auto listing = Read(Cat({B({0xE8, 0x21}), W(3), D(static_cast<long long>(packed.size())), packed}));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    EXPECT_EQ(listing.commands[1].values[0], 0x21);
    EXPECT_EQ(listing.commands[1].figures[0].points, Points({{100, 50}, {1100, 47}, {100, 247}}));
    // 32767 + 1 wraps to -32768.
    const Bytes wrap = Nibbles("77FFF0" "1" "0");
    const auto wrapped = Read(Cat({B({0xE0, 0x04}), W(2), D(static_cast<long long>(wrap.size())), wrap}));
    ASSERT_TRUE(wrapped.Ok()) << wrapped.Describe();
    EXPECT_EQ(wrapped.commands[1].figures[0].points[1], (POINTL{-32768, 0}));
}

TEST(PackedPoints, MultiFigureFillHasCountPairsAndATerminator) {
    // (0, 2) start (10, 10) +5 x; (0, 1) start (0, 0); terminator (0, 0): R = P + F + 1 = 6.
    const Bytes packed = Nibbles("02" "5A5A" "550" "01" "00" "00");
    const auto listing = Read(Cat({B({0xE9, 0xA1}), W(6), D(static_cast<long long>(packed.size())), packed}));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto& f = listing.commands[1].figures;
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].points, Points({{10, 10}, {15, 10}}));
    EXPECT_EQ(f[1].points, Points({{0, 0}}));
}

TEST(PackedPoints, CurvePathFiguresCarryTheirKind) {
    // Figure 1: (0,1) (1,4) start (1,1), three points +1 x each; figure 2: (0,1) (0,2) start (2,2), +1 y.
    const Bytes packed = Nibbles("01" "14" "11" "10" "10" "10" "01" "02" "22" "01");
    const auto listing = Read(Cat({B({0xEA, 0x92}), W(10), D(static_cast<long long>(packed.size())), packed}));
    ASSERT_TRUE(listing.Ok()) << listing.Describe();
    const auto& f = listing.commands[1].figures;
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].kind, 1);
    EXPECT_EQ(f[0].points, Points({{1, 1}, {2, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(f[1].kind, 0);
    EXPECT_EQ(f[1].points, Points({{2, 2}, {2, 3}}));
}

TEST(PackedPoints, StreamsThatDoNotAddUpAreMalformed) {
    struct Case {
        const char* name;
        Bytes command;
    };
    const Case cases[] = {
        {"one record short of its count", Cat({B({0xE0, 0x04}), W(3), D(3), B({0x00, 0x3D, 0xA0})})},
        {"a byte past its records", Cat({B({0xE0, 0x04}), W(2), D(4), B({0x00, 0x3D, 0xA0, 0x00})})},
        {"a non-zero pad nibble", Cat({B({0xE0, 0x04}), W(2), D(3), B({0x00, 0x3D, 0xA1})})},
        {"length past the stream", Cat({B({0xE0, 0x04}), W(2), D(0x7FFFFFFF), B({0x00, 0x3D, 0xA0})})},
        {"no records", Cat({B({0xE0, 0x04}), W(0), D(0)})},
        {"figure count past the records", Cat({B({0xE8, 0xA0}), W(3), D(3), Nibbles("05" "00" "00")})},
        {"no terminator", Cat({B({0xE8, 0xA0}), W(2), D(2), Nibbles("01" "00")})},
        {"curve figure without (0, 1)", Cat({B({0xEA, 0x80}), W(3), D(3), Nibbles("02" "02" "00")})},
        {"curve points not whole segments", Cat({B({0xEA, 0x82}), W(4), D(4), Nibbles("01" "12" "00" "10")})},
        {"packed clip path cut short", Cat({B({0xB5, 0x04}), W(3), D(9), B({0x01})})},
    };
    for (const Case& k : cases) {
        const Bytes stream = Cat({kVrtl, k.command});
        const auto listing = kvtest::DecodeJobStream(stream);
        ASSERT_FALSE(listing.Ok()) << k.name << "\n" << listing.Describe();
        EXPECT_EQ(listing.Count(CommandKind::Error), 1u) << k.name;
        EXPECT_EQ(listing.Error()->offset, kVrtlSize) << k.name;
    }
}

}  // namespace
