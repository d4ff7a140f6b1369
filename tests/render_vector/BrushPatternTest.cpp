// The printer's 8 x 8 pattern from a realized 1-bit brush, read from blocks built here exactly
// as large as their fields say (so that a read past the brush is caught by the sanitizers).
#include <string>
#include <vector>

#include "render/draw/BrushPattern.h"
#include "tests/render_vector/VectorFixture.h"

namespace vectortest {
namespace {

void PutField(std::vector<BYTE>& block, size_t offset, DWORD v) {
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<BYTE>(v >> (8 * i));
}

/// A realized brush block: rows of the bitmap in memory order, each given as its bytes
/// (padded here to the 4-byte row step), and colours as 0x00BBGGRR.
std::vector<BYTE> RealizedBlock(DWORD width, DWORD height, bool topDown, const std::vector<std::vector<BYTE>>& rows,
                                const std::vector<ULONG>& colours, DWORD format = BMF_1BPP) {
    const size_t stride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    const size_t bitsSize = stride * height;
    std::vector<BYTE> block(bitsSize + 4 * colours.size() + 32, 0);
    PutField(block, 0, width);
    PutField(block, 4, height);
    PutField(block, 8, format);
    PutField(block, 12, topDown ? 1u : 0u);
    PutField(block, 16, static_cast<DWORD>(colours.size()));
    PutField(block, 20, static_cast<DWORD>(bitsSize + 32));
    PutField(block, 24, 7);
    for (size_t r = 0; r < rows.size() && r < height; ++r) {
        for (size_t b = 0; b < rows[r].size() && b < stride; ++b) block[28 + r * stride + b] = rows[r][b];
    }
    for (size_t i = 0; i < colours.size(); ++i) PutField(block, bitsSize + 32 + 4 * i, colours[i]);
    return block;
}

std::vector<BYTE> Define(BYTE code, const std::vector<BYTE>& rows) {
    std::vector<BYTE> cmd = {0xA0, code, 0x01, 0x00};
    cmd.insert(cmd.end(), rows.begin(), rows.end());
    return cmd;
}
const std::vector<BYTE> kSelect = {0xA4, 0x00, 0x01, 0x00};

std::vector<std::vector<BYTE>> EightRows(std::initializer_list<BYTE> bytes) {
    std::vector<std::vector<BYTE>> rows;
    for (BYTE b : bytes) rows.push_back({b});
    return rows;
}

class BrushPatternTest : public VectorTest {};

TEST_F(BrushPatternTest, SamePatternTwiceIsDefinedAndSelectedOnce) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    Pdev().Settings.FeatureFlags |= kFeatureDevicePatternSet;
    const std::vector<BYTE> block =
        RealizedBlock(8, 8, true, EightRows({0x00, 0xFF, 0x0F, 0xF0, 0x33, 0xCC, 0x55, 0xAA}), {0, 0xFFFFFF});
    DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
    Golden expected;
    expected.Add("define the pattern, 600-dpi code, rows inverted",
                 Define(0x20, {0xFF, 0x00, 0xF0, 0x0F, 0xCC, 0x33, 0xAA, 0x55}))
        .Add("select it", kSelect);
    EXPECT_TRUE(expected.Matches(Take()));
    EXPECT_EQ(Pdev().Draw.SelectedFill, kFillPattern8x8);
    EXPECT_EQ(Pdev().MappingMode & kMappingPatternHeld, kMappingPatternHeld);

    DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
    EXPECT_TRUE(Take().empty());

    // Another fill in between: the printer still holds the pattern, which is only selected.
    Pdev().Draw.SelectedFill = 1;
    DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
    EXPECT_TRUE(Same(Take(), kSelect));

    // A different pattern while the first is selected is defined and selected again.
    const std::vector<BYTE> other = RealizedBlock(8, 8, true, EightRows({0, 0, 0, 0, 0, 0, 0, 0}), {0, 0xFFFFFF});
    DownloadBrushPattern(&Pdev(), RealizedBrushView(other.data()));
    Golden again;
    again.Add("define the second pattern", Define(0x20, std::vector<BYTE>(8, 0xFF))).Add("select it", kSelect);
    EXPECT_TRUE(again.Matches(Take()));
}

TEST_F(BrushPatternTest, WithoutAHeldPatternTheFirstIsDefinedEvenWhenTheCacheMatches) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    const std::vector<BYTE> block = RealizedBlock(8, 8, true, EightRows({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), {});
    // The reset cache holds FF bytes, but not as a pattern the printer has.
    for (int i = 0; i < 8; ++i) Pdev().Draw.Pattern8x8[i] = 0x00;
    DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
    const std::vector<BYTE> out = Take();
    EXPECT_EQ(out.size(), 16u);
}

struct ShapeCase {
    const char* name;
    DWORD width;
    DWORD height;
    bool topDown;
    std::vector<std::vector<BYTE>> rows;  // memory order
    std::vector<BYTE> sent;               // the eight pattern bytes
};

TEST_F(BrushPatternTest, RowsComeInScreenOrderAndSmallBrushesAreTiled) {
    const std::vector<ShapeCase> cases = {
        {"8 x 8 bottom-up: memory rows reversed", 8, 8, false,
         EightRows({0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}),
         {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE}},
        {"16 x 16 top-down: the first 8 x 8 pixels", 16, 16, true,
         {{0x0F, 0xFF}, {0xF0, 0x00}, {0x0F}, {0xF0}, {0x0F}, {0xF0}, {0x0F}, {0xF0}, {0x00}, {0x00}},
         {0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F}},
        {"8 x 2 top-down: rows repeat", 8, 2, true, {{0x0F}, {0xF0}}, {0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F}},
        {"4 x 1: the 4 pixels repeat across", 4, 1, true, {{0x5F}}, std::vector<BYTE>(8, 0xAA)},
        {"3 x 1: the 3 pixels repeat across", 3, 1, true, {{0xA0}}, std::vector<BYTE>(8, 0x49)},
        {"2 x 3 bottom-up: both ways", 2, 3, false, {{0x00}, {0x40}, {0x80}},
         {0x55, 0xAA, 0xFF, 0x55, 0xAA, 0xFF, 0x55, 0xAA}},
        {"1 x 1 black", 1, 1, true, {{0x00}}, std::vector<BYTE>(8, 0xFF)},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
        Pdev().Settings.FeatureFlags &= ~kFeatureDevicePatternSet;
        const std::vector<BYTE> block = RealizedBlock(c.width, c.height, c.topDown, c.rows, {0, 0xFFFFFF});
        DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
        Golden expected;
        expected.Add("define, code 00 without feature bit 10", Define(0x00, c.sent)).Add("select", kSelect);
        EXPECT_TRUE(expected.Matches(Take()));
    }
}

TEST_F(BrushPatternTest, EmptyAndColourBrushesSendNothing) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    for (const auto& block : {RealizedBlock(0, 8, true, {}, {}), RealizedBlock(8, 0, true, {}, {}),
                              RealizedBlock(8, 8, true, {}, {}, BMF_8BPP)}) {
        DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
        EXPECT_TRUE(Take().empty());
        EXPECT_EQ(Pdev().Draw.SelectedFill, 0xFFFF);
    }
}

TEST_F(BrushPatternTest, ResolutionCodeFollowsFeatureBit10) {
    const std::vector<std::pair<SHORT, BYTE>> cases = {{1200, 0x30}, {600, 0x20}, {300, 0x20},
                                                       {400, 0x10}, {200, 0x10}, {240, 0x00}};
    for (const auto& [dpi, code] : cases) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        for (bool bit10 : {true, false}) {
            ASSERT_NO_FATAL_FAILURE(MakeReadyDevice({dpi}));
            if (bit10) {
                Pdev().Settings.FeatureFlags |= kFeatureDevicePatternSet;
            } else {
                Pdev().Settings.FeatureFlags &= ~kFeatureDevicePatternSet;
            }
            const std::vector<BYTE> block = RealizedBlock(8, 8, true, EightRows({1, 2, 3, 4, 5, 6, 7, 8}), {});
            DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
            const std::vector<BYTE> out = Take();
            ASSERT_EQ(out.size(), 16u);
            EXPECT_EQ(out[1], bit10 ? code : 0x00);
        }
    }
}

TEST_F(BrushPatternTest, PagesTurnedOnTheSheetTurnThePattern) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice({600, 2}));
    Pdev().Settings.FeatureFlags &= ~kFeatureDevicePatternSet;
    Pdev().Settings.Public.dmOrientation = 2;  // the sheet was set up upright
    // Ink (after inversion) at pixels (0, 0), (1, 0) and (0, 2).
    const std::vector<BYTE> block = RealizedBlock(8, 8, true, EightRows({0x3F, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), {});
    DownloadBrushPattern(&Pdev(), RealizedBrushView(block.data()));
    Golden expected;
    // Input (x, y) goes to output row 7 - x, column y.
    expected.Add("define the turned pattern", Define(0x00, {0, 0, 0, 0, 0, 0, 0x80, 0xA0})).Add("select", kSelect);
    EXPECT_TRUE(expected.Matches(Take()));
}

TEST_F(BrushPatternTest, ColourTablesShorterThanTwoEntriesReadAsBlackAndWhite) {
    struct ColourCase {
        std::vector<ULONG> table;
        std::vector<BYTE> entry0;
        std::vector<BYTE> entry1;
    };
    const std::vector<ColourCase> cases = {
        {{}, {0, 0, 0}, {255, 255, 255}},
        {{0x00123456}, {0, 0, 0}, {255, 255, 255}},
        {{0x00030201, 0x00060504}, {1, 2, 3}, {4, 5, 6}},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.table.size()) + " entries");
        const std::vector<BYTE> block = RealizedBlock(8, 8, true, {}, c.table);
        const RealizedBrushView view(block.data());
        BYTE rgb[3];
        view.Colour(0, rgb);
        EXPECT_EQ(std::vector<BYTE>(rgb, rgb + 3), c.entry0);
        view.Colour(1, rgb);
        EXPECT_EQ(std::vector<BYTE>(rgb, rgb + 3), c.entry1);
    }
}

}  // namespace
}  // namespace vectortest
