// Micrometres to dots: the rounding rule at every resolution, and the N-up layout table.
#include <gtest/gtest.h>

#include <climits>

#include "render/Geometry.h"

namespace {

struct DotsCase {
    LONG microns;
    SHORT dpi;
    LONG dots;
};

TEST(MicronsToDots, RoundsEveryStepUp) {
    const DotsCase cases[] = {
        {25400, 240, 240},   {25400, 200, 200},  {25400, 300, 300},   {25400, 400, 400},
        {25400, 600, 600},   {25400, 1200, 1200}, {25401, 240, 241},  {0, 600, 0},
        {1, 240, 1},         {1, 300, 1},          // d = 1, e = 3, 3 / 2
        {1, 200, 1},                               // d = 1, e = 2, 2 / 2
        {1, 600, 3},                               // d = 1, 600 / 240 leaves a remainder
        {-100, 600, 3},                            // d = 0 plus the remainder step
        {-25400, 240, -240}, {-25401, 240, -239},  // the remainder step adds 1 below zero too
        {4230, 240, 40},     {4230, 600, 100},    {5000, 200, 40},    {5000, 300, 60},
        // No overflow at the ends of the 32-bit range.
        {INT_MAX, 1200, 101455925}, {INT_MIN, 1200, -101455915}, {INT_MAX, 240, 20291185},
    };
    for (const DotsCase& c : cases) {
        EXPECT_EQ(MicronsToDots(c.microns, c.dpi), c.dots) << c.microns << " um at " << c.dpi << " dpi";
    }
}

TEST(MicronsToDots, HalfResolutionsAreHalfTheDoubleOnes) {
    // The page language counts 200 and 300 dpi pages in 400 and 600 dpi units.
    for (LONG um = -30000; um <= 30000; um += 7) {
        ASSERT_EQ(MicronsToDots(um, 200), MicronsToDots(um, 400) / 2) << um;
        ASSERT_EQ(MicronsToDots(um, 300), MicronsToDots(um, 600) / 2) << um;
    }
}

TEST(MicronsToDots, ExtremeResolutionSaturates) {
    EXPECT_EQ(MicronsToDots(INT_MAX, SHRT_MAX), INT_MAX);
    EXPECT_EQ(MicronsToDots(INT_MIN, SHRT_MAX), INT_MIN);
}

TEST(NupLayoutCounts, TableAndEverythingElseOneByOne) {
    struct Row {
        WORD pages;
        int a;
        int b;
    };
    const Row rows[] = {
        {1, 1, 1}, {2, 1, 2}, {4, 2, 2}, {6, 2, 3}, {8, 2, 4}, {9, 3, 3}, {16, 4, 4},
        // Not a layout: one face.
        {0, 1, 1}, {3, 1, 1}, {5, 1, 1}, {7, 1, 1}, {10, 1, 1}, {15, 1, 1}, {17, 1, 1}, {255, 1, 1}, {65535, 1, 1},
    };
    for (const Row& r : rows) {
        int a = -1;
        int b = -1;
        NupLayoutCounts(r.pages, &a, &b);
        EXPECT_EQ(a, r.a) << r.pages;
        EXPECT_EQ(b, r.b) << r.pages;
    }
}

}  // namespace
