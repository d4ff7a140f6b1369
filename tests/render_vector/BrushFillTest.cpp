// Solid fills and their logical operations, for raster callers (rop4) and for the hooks (MIX).
#include <string>
#include <vector>

#include "render/draw/Brushes.h"
#include "tests/render_vector/VectorFixture.h"

namespace vectortest {
namespace {

constexpr ULONG kNotSolid = 0xFFFFFFFFu;

struct SolidCase {
    const char* name;
    bool raster;
    ULONG value;
    ULONG colour;  // 0x00BBGGRR, or kNotSolid
    BYTE gray;
    BYTE code;
};

class BrushFillTest : public VectorTest {};

TEST_F(BrushFillTest, SolidFillsSendTheirGrayAndLogicalOperationOnce) {
    const std::vector<SolidCase> cases = {
        {"rop 0000: black whatever the brush", true, 0x0000, kNotSolid, 0x10, 0xFF},
        {"rop 00AA: black", true, 0x00AA, kNotSolid, 0x10, 0xAA},
        {"rop FFFF: white", true, 0xFFFF, kNotSolid, 0x4F, 0x00},
        {"rop 5555: white", true, 0x5555, kNotSolid, 0x4F, 0x55},
        {"rop 55AA: white, code of the low byte", true, 0x55AA, 0x000000, 0x4F, 0xAA},
        {"rop F0F0, red brush", true, 0xF0F0, 0x0000FF, 0x22, 0xF0},
        {"rop 5A5A, blue brush", true, 0x5A5A, 0xFF0000, 0x16, 0xA5},
        {"R2_COPYPEN, black brush", false, 0x0D0D, 0x000000, 0x10, 0xF0},
        {"R2_NOT", false, 0x0606, 0x808080, 0x2F, 0x55},
        {"R2_WHITE, blue brush", false, 0x1010, 0xFF0000, 0x16, 0x00},
        {"R2_BLACK, white brush", false, 0x0101, 0xFFFFFF, 0x4F, 0xFF},
        {"halves differ: the pattern as it is", false, 0x0B0D, 0x000000, 0x10, 0xF0},
        {"not a ROP2: the pattern as it is", false, 0x1111, 0x000000, 0x10, 0xF0},
    };
    for (const SolidCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
        if (c.raster) Pdev().StateFlags |= kStateClipComputeOnly;
        BRUSHOBJ brush{};
        brush.iSolidColor = c.colour;
        RECTL rect{0, 0, 10, 10};
        EXPECT_TRUE(SelectFillBrush(&Pdev(), c.value, &brush, FALSE, nullptr, &rect, Surface()));
        Golden expected;
        expected.Add("solid fill", {0xA5, 0x01, c.gray, 0x00}).Add("logical operation", {0xA6, 0x00, c.code, c.code});
        EXPECT_TRUE(expected.Matches(Take()));
        EXPECT_TRUE(SelectFillBrush(&Pdev(), c.value, &brush, FALSE, nullptr, &rect, Surface()));
        EXPECT_TRUE(Take().empty()) << "the printer holds this fill already";
    }
}

TEST_F(BrushFillTest, OnlyTheChangedHalfOfAFillIsSent) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    BRUSHOBJ black{};
    black.iSolidColor = 0x000000;
    BRUSHOBJ white{};
    white.iSolidColor = 0xFFFFFF;
    RECTL rect{0, 0, 10, 10};
    EXPECT_TRUE(SelectFillBrush(&Pdev(), 0x0D0D, &black, FALSE, nullptr, &rect, Surface()));
    (void)Take();
    EXPECT_TRUE(SelectFillBrush(&Pdev(), 0x0D0D, &white, FALSE, nullptr, &rect, Surface()));
    EXPECT_TRUE(Same(Take(), {0xA5, 0x01, 0x4F, 0x00}));
    EXPECT_TRUE(SelectFillBrush(&Pdev(), 0x0707, &white, FALSE, nullptr, &rect, Surface()));
    EXPECT_TRUE(Same(Take(), {0xA6, 0x00, 0xA5, 0xA5}));
}

TEST_F(BrushFillTest, NoBrushIsRefusedUnlessTheOperationNeedsNone) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    RECTL rect{0, 0, 10, 10};
    EXPECT_FALSE(SelectFillBrush(&Pdev(), 0x0D0D, nullptr, FALSE, nullptr, &rect, Surface()));
    EXPECT_TRUE(Take().empty());
    Pdev().StateFlags |= kStateClipComputeOnly;
    EXPECT_TRUE(SelectFillBrush(&Pdev(), 0xFFFF, nullptr, FALSE, nullptr, &rect, Surface()));
    EXPECT_FALSE(Take().empty());
}

}  // namespace
}  // namespace vectortest
