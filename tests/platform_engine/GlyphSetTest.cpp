// Glyph sets computed from single-byte codes of a code page, and the engine's memory blocks.
#include <vector>

#include "platform/Kernel.h"
#include "tests/platform_engine/EngineTestSupport.h"
#include "tests/support/TestRoot.h"

namespace {

// The glyph handle of a character, or -1 when the set lacks it.
long HandleOf(const FD_GLYPHSET& set, char16_t c) {
    const WCRUN* run = set.awcrun;
    for (ULONG i = 0; i < set.cRuns; ++i, ++run)
        if (c >= run->wcLow && c < run->wcLow + run->cGlyphs) return static_cast<long>(run->phg[c - run->wcLow]);
    return -1;
}

// Runs must rise strictly and never touch (touching runs would be one run), and the handles
// must lie inside the block.
void ExpectWellFormed(const FD_GLYPHSET& set) {
    const WCRUN* run = set.awcrun;
    ULONG glyphs = 0;
    const auto* begin = reinterpret_cast<const BYTE*>(&set);
    for (ULONG i = 0; i < set.cRuns; ++i, ++run) {
        ASSERT_GT(run->cGlyphs, 0u);
        if (i > 0) {
            EXPECT_GT(run->wcLow, (run - 1)->wcLow + (run - 1)->cGlyphs) << "run " << i;
        }
        const auto* handles = reinterpret_cast<const BYTE*>(run->phg);
        EXPECT_GE(handles, begin);
        EXPECT_LE(handles + run->cGlyphs * sizeof(HGLYPH), begin + set.cjThis);
        glyphs += run->cGlyphs;
    }
    EXPECT_EQ(set.cGlyphsSupported, glyphs);
}

class EngineGlyphSetTest : public kvtest::StandInTest {};

TEST_F(EngineGlyphSetTest, ShiftJisLeavesOutLeadBytes) {
    const unsigned before = standin::engine::LiveAllocationCount();
    FD_GLYPHSET* set = EngComputeGlyphSet(932, 0, 256);
    ASSERT_NE(nullptr, set);
    EXPECT_EQ(before + 1, standin::engine::LiveAllocationCount());
    ExpectWellFormed(*set);
    // 256 codes less the 60 lead bytes; ASCII with 0x80, the platform's private-use four,
    // and the half-width katakana.
    EXPECT_EQ(196u, set->cGlyphsSupported);
    ASSERT_EQ(3u, set->cRuns);
    EXPECT_EQ(0x0000, set->awcrun[0].wcLow);
    EXPECT_EQ(129, set->awcrun[0].cGlyphs);
    EXPECT_EQ(0x41, HandleOf(*set, u'A'));
    EXPECT_EQ(0xA0, HandleOf(*set, 0xF8F0));
    EXPECT_EQ(0xFF, HandleOf(*set, 0xF8F3));
    EXPECT_EQ(0xB1, HandleOf(*set, 0xFF71));  // half-width katakana A
    EXPECT_EQ(-1, HandleOf(*set, 0x3042));
    EXPECT_EQ(static_cast<FLONG>(GS_8BIT_HANDLES), set->flAccel);
    EngFreeMem(set);
    EXPECT_EQ(before, standin::engine::LiveAllocationCount());
}

TEST_F(EngineGlyphSetTest, CodePageZeroIsTheAnsiCodePage) {
    FD_GLYPHSET* shiftJis = EngComputeGlyphSet(0, 0, 256);
    ASSERT_NE(nullptr, shiftJis);
    EXPECT_EQ(196u, shiftJis->cGlyphsSupported);
    EngFreeMem(shiftJis);

    standin::SetAnsiCodePage(1252);
    FD_GLYPHSET* western = EngComputeGlyphSet(0, 0, 256);
    ASSERT_NE(nullptr, western);
    ExpectWellFormed(*western);
    EXPECT_EQ(256u, western->cGlyphsSupported);
    EXPECT_EQ(128, western->awcrun[0].cGlyphs);
    EXPECT_EQ(0x80, HandleOf(*western, 0x20AC));  // euro sign
    EXPECT_EQ(0xE9, HandleOf(*western, 0x00E9));
    EXPECT_EQ(0x9F, HandleOf(*western, 0x0178));
    EngFreeMem(western);

    FD_GLYPHSET* printable = EngComputeGlyphSet(1252, 0x20, 0x5F);
    ASSERT_NE(nullptr, printable);
    ASSERT_EQ(1u, printable->cRuns);
    EXPECT_EQ(0x20, printable->awcrun[0].wcLow);
    EXPECT_EQ(0x5F, printable->awcrun[0].cGlyphs);
    EXPECT_EQ(printable->cjThis, sizeof(FD_GLYPHSET) + 0x5F * sizeof(HGLYPH));
    EngFreeMem(printable);
}

TEST_F(EngineGlyphSetTest, RefusesRangesBeyondOneByte) {
    struct Case {
        INT codePage, first, count;
    } const cases[] = {{0, 0, 257}, {0, 255, 2}, {0, -1, 10}, {0, 0, 0}, {437, 0, 256}, {-5, 0, 256}};
    const unsigned before = standin::engine::LiveAllocationCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codePage << " " << c.first << " " << c.count);
        EXPECT_EQ(nullptr, EngComputeGlyphSet(c.codePage, c.first, c.count));
    }
    EXPECT_EQ(before, standin::engine::LiveAllocationCount());
}

TEST(EngineMemoryTest, ZeroedOnRequestAndFreedOnlyOnce) {
    const unsigned before = standin::engine::LiveAllocationCount();
    auto* zeroed = static_cast<BYTE*>(EngAllocMem(FL_ZERO_MEMORY, 16, 0));
    auto* raw = static_cast<BYTE*>(EngAllocMem(0, 16, 0));
    ASSERT_NE(nullptr, zeroed);
    ASSERT_NE(nullptr, raw);
    EXPECT_EQ(std::vector<BYTE>(16, 0), std::vector<BYTE>(zeroed, zeroed + 16));
    EXPECT_EQ(std::vector<BYTE>(16, 0xCD), std::vector<BYTE>(raw, raw + 16));
    EXPECT_EQ(nullptr, EngAllocMem(0, 0, 0));
    EngFreeMem(zeroed);
    EngFreeMem(zeroed);        // a second free is ignored
    EngFreeMem(raw + 1);       // as is a pointer the engine never handed out
    EngFreeMem(nullptr);
    EXPECT_EQ(before + 1, standin::engine::LiveAllocationCount());
    EngFreeMem(raw);
    EXPECT_EQ(before, standin::engine::LiveAllocationCount());
}

}  // namespace
