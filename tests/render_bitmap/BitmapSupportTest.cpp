// The routines the bitmap hooks share: the row shift, the direct-image test with its palette
// codes, the halftoning stretch's busy guard, and realized brushes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "render/BitmapHooks.h"
#include "render/draw/DrawingHooks.h"
#include "tests/render_bitmap/BitmapFixture.h"

namespace bitmaptest {
namespace {

TEST(ShiftRowBitsTest, ShiftsAcrossBytesWithoutReadingPastTheRow) {
    struct Case {
        const char* name;
        std::vector<BYTE> row;
        DWORD firstBit;
        DWORD outBytes;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        {"aligned copy", {0x12, 0x34, 0x56}, 8, 2, {0x34, 0x56}},
        {"shift by 4", {0x12, 0x34, 0x56}, 4, 2, {0x23, 0x45}},
        {"last byte takes the next one inside the row", {0x81, 0xFF, 0x80}, 1, 2, {0x03, 0xFF}},
        {"last byte alone at the row's end", {0x81, 0xFF}, 1, 2, {0x03, 0xFE}},
        {"wanted past the row: zeros", {0xFF}, 0, 3, {0xFF, 0x00, 0x00}},
        {"first bit past the row", {0xFF, 0xFF}, 17, 2, {0x00, 0x00}},
    };
    for (const Case& c : cases) {
        // The row sits alone in its own block, so a read past it is caught by the sanitizer.
        std::vector<BYTE> row(c.row);
        std::vector<BYTE> out(c.outBytes, 0xCD);
        ShiftRowBits(out.data(), row.data(), c.firstBit, c.outBytes, static_cast<DWORD>(row.size()));
        EXPECT_EQ(out, c.expected) << c.name;
    }
}

class IsDirectBitmapTest : public BitmapTest {};

TEST_F(IsDirectBitmapTest, OnlyBlackAndWhiteOneBitSourcesAreDirect) {
    struct Case {
        const char* name;
        ULONG format;
        std::vector<ULONG> entries;
        bool direct;
        BYTE codeZero;  // stored code of entry 0 when direct
    };
    const Case cases[] = {
        {"white, black", BMF_1BPP, {kWhite, kBlack}, true, 7},
        {"black, white", BMF_1BPP, {kBlack, kWhite}, true, 0},
        {"black, black", BMF_1BPP, {kBlack, kBlack}, false, 0},
        {"white, white", BMF_1BPP, {kWhite, kWhite}, false, 0},
        {"a gray entry", BMF_1BPP, {kWhite, 0x808080}, false, 0},
        {"a pure red entry", BMF_1BPP, {0x0000FF, kBlack}, false, 0},
        {"one entry only", BMF_1BPP, {kBlack}, false, 0},
        {"no entries", BMF_1BPP, {}, false, 0},
        {"three entries", BMF_1BPP, {kBlack, kWhite, kWhite}, false, 0},
        {"an 8-bit source", BMF_8BPP, {kBlack, kWhite}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        work_.PaletteCodes[0] = 0x55;
        EngineBitmap source(8, 8, c.format);
        XLATEOBJ xlate{};
        std::vector<ULONG> table = c.entries;
        xlate.flXlate = XO_TABLE;
        xlate.cEntries = static_cast<ULONG>(table.size());
        xlate.pulXlate = table.empty() ? nullptr : table.data();
        EXPECT_EQ(IsDirectBitmap(Pdev(), source.get(), &xlate), c.direct ? TRUE : FALSE);
        EXPECT_EQ(work_.PaletteCodes[0], c.direct ? c.codeZero : 0x55) << "codes are kept only when accepted";
    }

    EngineBitmap source(8, 8);
    Palette palette{kWhite, kBlack};
    EXPECT_FALSE(IsDirectBitmap(Pdev(), source.get(), nullptr)) << "no translation";
    XLATEOBJ trivial{};
    trivial.flXlate = XO_TRIVIAL;
    EXPECT_FALSE(IsDirectBitmap(Pdev(), source.get(), &trivial)) << "no table";
    SURFOBJ device = *source.get();
    device.iType = STYPE_DEVICE;
    EXPECT_FALSE(IsDirectBitmap(Pdev(), &device, palette.get())) << "a device surface";
    Pdev()->RasterWork = nullptr;
    EXPECT_FALSE(IsDirectBitmap(Pdev(), source.get(), palette.get())) << "no work record";
}

TEST_F(IsDirectBitmapTest, HalftoneStretchIsRefusedWhileBusyUnlessReentryIsAllowed) {
    EngineBitmap source(8, 8);
    EngineBitmap dest(8, 8);
    RECTL rect{0, 0, 8, 8};
    work_.Flags = 0x1;
    EXPECT_FALSE(EngineHalftoneStretch(Pdev(), dest.get(), source.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                       &rect, &rect, nullptr));
    EXPECT_EQ(work_.Flags, 0x1);

    work_.Flags = 0x3;
    Palette palette{kWhite, kBlack};
    EXPECT_TRUE(EngineHalftoneStretch(Pdev(), dest.get(), source.get(), nullptr, nullptr, palette.get(), nullptr,
                                      nullptr, &rect, &rect, nullptr));
    EXPECT_EQ(work_.Flags, 0x3) << "the outer stretch is still busy";

    work_.Flags = 0;
    EXPECT_TRUE(EngineHalftoneStretch(Pdev(), dest.get(), source.get(), nullptr, nullptr, palette.get(), nullptr,
                                      nullptr, &rect, &rect, nullptr));
    EXPECT_EQ(work_.Flags, 0);
    Pdev()->RasterWork = nullptr;
    EXPECT_FALSE(EngineHalftoneStretch(Pdev(), dest.get(), source.get(), nullptr, nullptr, palette.get(), nullptr,
                                       nullptr, &rect, &rect, nullptr));
}

// --- Realized brushes ----------------------------------------------------------------------

class RealizeBrushTest : public BitmapTest {
protected:
    static ULONG Field(const BYTE* block, size_t offset) {
        ULONG v;
        std::memcpy(&v, block + offset, sizeof v);
        return v;
    }
    standin::engine::Brush brush_ = standin::engine::MakeSolidBrush(0);
};

TEST_F(RealizeBrushTest, HatchKeepsItsIndexAndTable) {
    Palette palette{kBlack, kWhite};
    ASSERT_TRUE(DrvRealizeBrush(brush_.get(), Target(), nullptr, nullptr, palette.get(), 3));
    const auto* block = static_cast<const BYTE*>(brush_.get()->pvRbrush);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Field(block, 0), 0u);
    EXPECT_EQ(Field(block, 16), 2u) << "entries";
    EXPECT_EQ(Field(block, 20), 32u) << "the table right after the header";
    EXPECT_EQ(Field(block, 24), 3u) << "hatch index";
    EXPECT_EQ(Field(block, 32), kBlack);
    EXPECT_EQ(Field(block, 36), kWhite);
}

TEST_F(RealizeBrushTest, PatternBitsAreCopiedAtTheMinimalStepWithoutOverRead) {
    // 5 x 3 at 1 bit, rows 8 bytes apart, bottom-up: the block holds 3 rows of 4 bytes in
    // memory order (bottom row first).
    EngineBitmap pattern(5, 3, BMF_1BPP, /*topDown=*/false, /*rowStep=*/8);
    for (LONG r = 0; r < 3; ++r) {
        std::vector<BYTE> row(8);
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<BYTE>(0x10 * r + i);
        pattern.SetRow(r, row);
    }
    Palette palette{kWhite, kBlack};
    ASSERT_TRUE(DrvRealizeBrush(brush_.get(), Target(), pattern.get(), nullptr, palette.get(), 6));
    const auto* block = static_cast<const BYTE*>(brush_.get()->pvRbrush);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Field(block, 0), 5u);
    EXPECT_EQ(Field(block, 4), 3u);
    EXPECT_EQ(Field(block, 8), BMF_1BPP);
    EXPECT_EQ(Field(block, 12), 0u) << "bottom-up: no top-down flag";
    EXPECT_EQ(Field(block, 16), 2u);
    EXPECT_EQ(Field(block, 20), 12u + 32u);
    EXPECT_EQ(Field(block, 24), 6u);
    const std::vector<BYTE> bits(block + 28, block + 40);
    EXPECT_EQ(bits, std::vector<BYTE>({0x20, 0x21, 0x22, 0x23, 0x10, 0x11, 0x12, 0x13, 0x00, 0x01, 0x02, 0x03}));
    EXPECT_EQ(Field(block, 44), kWhite);
    EXPECT_EQ(Field(block, 48), kBlack);
}

TEST_F(RealizeBrushTest, RefusalsAndDithering) {
    Palette palette{kWhite, kBlack};
    EXPECT_FALSE(DrvRealizeBrush(brush_.get(), Target(), nullptr, nullptr, palette.get(), 6)) << "no pattern";
    SURFOBJ other{};
    SetLastError(0);
    EXPECT_FALSE(DrvRealizeBrush(brush_.get(), &other, nullptr, nullptr, palette.get(), 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    for (ULONG rgb : {0x000000u, 0x808080u, 0xFFFFFFu}) {
        EXPECT_EQ(DrvDitherColor(device_->dhpdev(), 0, rgb, nullptr), 2u) << "every colour is halftoned";
    }
}

}  // namespace
}  // namespace bitmaptest
