// The nibble coder of the packed point stream, against the table of forms and the decoder.
#include <gtest/gtest.h>

#include <vector>

#include "render/draw/PathOutput.h"
#include "tests/render_path/PathFixture.h"

namespace pathtest {
namespace {

class PackedCoderTest : public PathTest {};

/// The bytes of two records: a figure start at (0, 0) and an ordinary point at (dx, dy).
std::vector<BYTE> EncodeMove(PDEV* p, LONG dx, LONG dy, DWORD* bits) {
    const PathPointRecord records[] = {{0, 0, kPointFigureStart},
                                       {static_cast<SHORT>(dx), static_cast<SHORT>(dy), kPointOrdinary}};
    std::vector<BYTE> packed(5 * 2 + 8, 0);
    *bits = EncodePointRecords(p, records, 2, packed.data(), false);
    packed.resize(PackedLength(*bits));
    return packed;
}

TEST_F(PackedCoderTest, EachMagnitudeTakesItsForm) {
    auto device = Device();
    struct Case {
        LONG delta;
        std::vector<BYTE> bytes;  // 00 for the start, then the x difference and a zero y
        DWORD bits;
    };
    const Case cases[] = {
        {+3, {0x00, 0x30}, 16},                    // 3, then y 0 and the pad
        {-3, {0x00, 0xB0}, 16},                    // B
        {+4, {0x00, 0x40}, 16},                    // the largest single nibble
        {+5, {0x00, 0x55, 0x00}, 20},              // 5 5
        {+10, {0x00, 0x5A, 0x00}, 20},             // 5A
        {-10, {0x00, 0xDA, 0x00}, 20},             // DA
        {+15, {0x00, 0x5F, 0x00}, 20},
        {+16, {0x00, 0x61, 0x00}, 24},             // 6 10
        {+200, {0x00, 0x6C, 0x80}, 24},            // 6C8
        {-200, {0x00, 0xEC, 0x80}, 24},            // EC8
        {+255, {0x00, 0x6F, 0xF0}, 24},
        {+256, {0x00, 0x70, 0x10, 0x00}, 32},      // 7 0100
        {+1000, {0x00, 0x70, 0x3E, 0x80}, 32},     // 703E8
        {-1000, {0x00, 0xF0, 0x3E, 0x80}, 32},     // F03E8
        {+32767, {0x00, 0x77, 0xFF, 0xF0}, 32},
        // The most negative difference has no 15-bit magnitude: the long form carries 8000,
        // never the single nibble 8 that a decoder reads as zero.
        {-32768, {0x00, 0xF8, 0x00, 0x00}, 32},
    };
    for (const Case& c : cases) {
        DWORD bits = 0;
        const std::vector<BYTE> bytes = EncodeMove(device->pdev(), c.delta, 0, &bits);
        EXPECT_EQ(kvtest::CompareBytes(c.bytes, bytes), "") << "difference " << c.delta;
        EXPECT_EQ(bits, c.bits) << "difference " << c.delta;
        const std::vector<LONG> values = DecodeValues(bytes.data(), bytes.size(), 4);
        EXPECT_EQ(values[2], c.delta) << "decoded back";
    }
}

TEST_F(PackedCoderTest, OddNibbleCountIsPaddedWithOneZeroNibble) {
    auto device = Device();
    DWORD bits = 0;
    const std::vector<BYTE> bytes = EncodeMove(device->pdev(), 3, -10, &bits);
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0x00, 0x3D, 0xA0}, bytes), "");
    EXPECT_EQ(bits, 20u);
    EXPECT_EQ(PackedLength(bits), 3u);
}

TEST_F(PackedCoderTest, CountPairsAndTerminatorsAreAbsoluteAndLeaveThePreviousPoint) {
    auto device = Device();
    PDEV* p = device->pdev();
    const PathPointRecord records[] = {
        {0, 2, kPointCountPair},      // 0 2
        {100, 100, kPointFigureStart},  // 664 664
        {0, 7, kPointCountPair},      // 0 57: absolute, the previous point stays (100, 100)
        {101, 99, kPointOrdinary},    // +1 -1 against (100, 100)
        {0, 0, kPointTerminator},     // 0 0
    };
    std::vector<BYTE> packed(5 * 5 + 8, 0);
    const DWORD bits = EncodePointRecords(p, records, 5, packed.data(), true);
    packed.resize(PackedLength(bits));
    EXPECT_EQ(kvtest::CompareBytes(std::vector<BYTE>{0x02, 0x66, 0x46, 0x64, 0x05, 0x71, 0x90, 0x00}, packed), "");
    EXPECT_EQ(p->Draw.Position.x, 101) << "the last point becomes the position";
    EXPECT_EQ(p->Draw.Position.y, 99);
}

}  // namespace
}  // namespace pathtest
