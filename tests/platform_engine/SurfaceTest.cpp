// Engine surfaces and palettes: layout of the bits, device surfaces and their association,
// erasing with clipping, and handles the engine never made or already freed.
#include <cstring>
#include <vector>

#include "platform/Kernel.h"
#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::TestBitmap;

struct LayoutCase {
    const char* name;
    ULONG format;
    LONG cx, cy;
    LONG rowBytes;  // asked for; 0 lets the engine choose
    FLONG fl;
    LONG expectedDelta;  // 0: creation fails
};

const LayoutCase kLayouts[] = {
    {"1bpp aligned", BMF_1BPP, 33, 4, 0, BMF_TOPDOWN, 8},
    {"1bpp tight step kept", BMF_1BPP, 33, 4, 5, BMF_TOPDOWN, 5},
    {"1bpp step too short", BMF_1BPP, 33, 4, 4, BMF_TOPDOWN, 0},
    {"1bpp bottom-up", BMF_1BPP, 33, 4, 0, 0, -8},
    {"8bpp aligned", BMF_8BPP, 5, 3, 0, BMF_TOPDOWN, 8},
    {"24bpp aligned", BMF_24BPP, 3, 2, 0, BMF_TOPDOWN, 12},
    {"24bpp bottom-up", BMF_24BPP, 3, 2, 0, 0, -12},
    {"32bpp", BMF_32BPP, 3, 2, 0, BMF_TOPDOWN, 12},
    {"wider step kept", BMF_8BPP, 3, 2, 16, BMF_TOPDOWN, 16},
    {"zero width", BMF_1BPP, 0, 4, 0, BMF_TOPDOWN, 0},
    {"negative height", BMF_1BPP, 8, -1, 0, BMF_TOPDOWN, 0},
    {"negative step", BMF_1BPP, 8, 1, -4, BMF_TOPDOWN, 0},
    {"unknown format", 9, 8, 1, 0, BMF_TOPDOWN, 0},
    {"over the size limit", BMF_32BPP, 100000, 100000, 0, BMF_TOPDOWN, 0},
};

TEST(EngineSurfaceTest, BitmapLayoutFollowsFormatStepAndDirection) {
    for (const LayoutCase& c : kLayouts) {
        SCOPED_TRACE(c.name);
        TestBitmap bmp(c.cx, c.cy, c.format, c.fl, c.rowBytes);
        if (c.expectedDelta == 0) {
            EXPECT_EQ(nullptr, bmp.handle());
            continue;
        }
        ASSERT_NE(nullptr, bmp.so());
        const SURFOBJ& so = *bmp.so();
        EXPECT_EQ(bmp.handle(), so.hsurf);
        EXPECT_EQ(STYPE_BITMAP, so.iType);
        EXPECT_EQ(c.format, so.iBitmapFormat);
        EXPECT_EQ(c.cx, so.sizlBitmap.cx);
        EXPECT_EQ(c.cy, so.sizlBitmap.cy);
        EXPECT_EQ(c.expectedDelta, so.lDelta);
        const LONG step = std::abs(c.expectedDelta);
        EXPECT_EQ(static_cast<ULONG>(step * c.cy), so.cjBits);
        ASSERT_NE(nullptr, so.pvBits);
        // Top-down: the first row is at the start; bottom-up: the first row is the last in memory.
        const BYTE* expectedScan0 = static_cast<BYTE*>(so.pvBits) + (c.expectedDelta > 0 ? 0 : step * (c.cy - 1));
        EXPECT_EQ(expectedScan0, so.pvScan0);
    }
}

TEST(EngineSurfaceTest, FreshBitsAreZeroOrVisiblyNot) {
    TestBitmap zeroed(16, 2, BMF_1BPP, BMF_TOPDOWN);
    TestBitmap garbage(16, 2, BMF_1BPP, BMF_TOPDOWN | BMF_NOZEROINIT | BMF_USERMEM);
    ASSERT_NE(nullptr, zeroed.so());
    ASSERT_NE(nullptr, garbage.so());
    const auto* z = static_cast<const BYTE*>(zeroed.so()->pvBits);
    const auto* g = static_cast<const BYTE*>(garbage.so()->pvBits);
    for (ULONG i = 0; i < zeroed.so()->cjBits; ++i) EXPECT_EQ(0x00, z[i]) << "byte " << i;
    // Neither all black nor all white, so that a page that was never cleared shows.
    for (ULONG i = 0; i < garbage.so()->cjBits; ++i) EXPECT_EQ(0xCD, g[i]) << "byte " << i;
}

TEST(EngineSurfaceTest, GivenBitsAreUsedInPlaceAndOutliveTheSurface) {
    std::vector<BYTE> bits(2 * 4, 0x5A);
    {
        TestBitmap bmp(32, 2, BMF_1BPP, 0, 4, bits.data());
        ASSERT_NE(nullptr, bmp.so());
        EXPECT_EQ(bits.data(), bmp.so()->pvBits);
        EXPECT_EQ(bits.data() + 4, bmp.so()->pvScan0);  // bottom-up
        EXPECT_EQ(0x5A, bits[0]);                       // not cleared
        RECTL all{0, 0, 32, 2};
        ASSERT_TRUE(EngEraseSurface(bmp.so(), &all, enginetest::kWhite));
    }
    EXPECT_EQ(std::vector<BYTE>(8, 0xFF), bits);
}

TEST(EngineSurfaceTest, DeviceSurfaceHasNoBitsAndTakesHooksFromItsDevice) {
    const unsigned before = standin::engine::LiveSurfaceCount();
    int driverState = 0;
    auto* dhpdev = reinterpret_cast<DHPDEV>(&driverState);
    auto* dhsurf = reinterpret_cast<DHSURF>(&driverState + 1);
    const HDEV hdev = standin::engine::MakeDevice();
    ASSERT_TRUE(standin::engine::BindDevice(hdev, dhpdev));

    HSURF hsurf = EngCreateDeviceSurface(dhsurf, SIZEL{4960, 7015}, BMF_24BPP);
    ASSERT_NE(nullptr, hsurf);
    EXPECT_EQ(before + 1, standin::engine::LiveSurfaceCount());
    const FLONG hooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_PAINT | HOOK_STROKEPATH | HOOK_FILLPATH |
                        HOOK_STROKEANDFILLPATH | HOOK_COPYBITS;
    ASSERT_TRUE(EngAssociateSurface(hsurf, hdev, hooks));
    EXPECT_FALSE(standin::engine::IsBandingSurface(hsurf));
    ASSERT_TRUE(EngMarkBandingSurface(hsurf));
    EXPECT_TRUE(standin::engine::IsBandingSurface(hsurf));
    EXPECT_EQ(hooks, standin::engine::SurfaceHooks(hsurf));
    EXPECT_EQ(hdev, standin::engine::SurfaceDevice(hsurf));

    SURFOBJ* so = EngLockSurface(hsurf);
    ASSERT_NE(nullptr, so);
    EXPECT_EQ(so, EngLockSurface(hsurf));  // every lock hands out the same record
    EXPECT_EQ(STYPE_DEVICE, so->iType);
    EXPECT_EQ(dhsurf, so->dhsurf);
    EXPECT_EQ(dhpdev, so->dhpdev);
    EXPECT_EQ(hdev, so->hdev);
    EXPECT_EQ(nullptr, so->pvBits);
    EXPECT_EQ(0u, so->cjBits);
    EXPECT_EQ(4960, so->sizlBitmap.cx);
    EXPECT_EQ(static_cast<ULONG>(BMF_24BPP), so->iBitmapFormat);
    // Nothing to draw into: the engine refuses rather than writing through a NULL row.
    RECTL all{0, 0, 10, 10};
    EXPECT_FALSE(EngEraseSurface(so, &all, enginetest::kWhite));
    EngUnlockSurface(so);
    EngUnlockSurface(so);
    EXPECT_TRUE(EngDeleteSurface(hsurf));
    EXPECT_EQ(before, standin::engine::LiveSurfaceCount());
    EXPECT_EQ(0u, standin::engine::SurfaceHooks(hsurf));
    standin::engine::ForgetDevice(hdev);
}

TEST(EngineSurfaceTest, BadHandlesFailCleanly) {
    const unsigned before = standin::engine::LiveSurfaceCount();
    TestBitmap bmp(8, 8);
    ASSERT_NE(nullptr, bmp.so());
    const HDEV hdev = standin::engine::MakeDevice();
    auto* bogus = reinterpret_cast<HSURF>(static_cast<ULONG_PTR>(0x7777));
    auto* bogusDevice = reinterpret_cast<HDEV>(static_cast<ULONG_PTR>(0x7777));

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(nullptr, EngLockSurface(bogus));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, EngLockSurface(nullptr));
    EXPECT_FALSE(EngDeleteSurface(bogus));
    EXPECT_FALSE(EngDeleteSurface(nullptr));
    EXPECT_FALSE(EngAssociateSurface(bogus, hdev, 0));
    EXPECT_FALSE(EngAssociateSurface(bmp.handle(), bogusDevice, 0));
    EXPECT_FALSE(EngMarkBandingSurface(bogus));
    EXPECT_FALSE(standin::engine::BindDevice(bogusDevice, nullptr));
    EXPECT_FALSE(EngDeletePalette(reinterpret_cast<HPALETTE>(bmp.handle())));  // a surface is not a palette
    EngUnlockSurface(nullptr);

    // A copy of a real SURFOBJ is not the engine's record: refused, not drawn through.
    SURFOBJ copy = *bmp.so();
    RECTL all{0, 0, 8, 8};
    EXPECT_FALSE(EngEraseSurface(&copy, &all, enginetest::kWhite));
    EXPECT_FALSE(EngEraseSurface(nullptr, &all, enginetest::kWhite));
    EXPECT_FALSE(EngEraseSurface(bmp.so(), nullptr, enginetest::kWhite));

    // A deleted surface: its handle and its SURFOBJ are refused, a late unlock is harmless.
    HSURF gone = EngCreateBitmap(SIZEL{8, 8}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
    SURFOBJ* goneSo = EngLockSurface(gone);
    ASSERT_NE(nullptr, goneSo);
    EXPECT_TRUE(EngDeleteSurface(gone));
    EXPECT_FALSE(EngDeleteSurface(gone));
    EXPECT_EQ(nullptr, EngLockSurface(gone));
    EngUnlockSurface(goneSo);
    EXPECT_EQ(before + 1, standin::engine::LiveSurfaceCount());
    standin::engine::ForgetDevice(hdev);
    EXPECT_FALSE(EngAssociateSurface(bmp.handle(), hdev, 0));
}

TEST(EngineEraseTest, ClipsTheRectangleToTheSurface) {
    // 40 pixels in a 64-bit row: the page width rounded up to 32 plus one reaches past both.
    TestBitmap bmp(40, 3);
    ASSERT_NE(nullptr, bmp.so());
    ASSERT_EQ(8, bmp.so()->lDelta);
    RECTL wider{0, 0, 65, 3};
    ASSERT_TRUE(EngEraseSurface(bmp.so(), &wider, enginetest::kWhite));
    for (LONG y = 0; y < 3; ++y) {
        for (LONG x = 0; x < 40; ++x) ASSERT_TRUE(bmp.White(x, y)) << x << "," << y;
        // The row's padding beyond the surface's width is not the surface's: left alone.
        EXPECT_EQ(0x00, bmp.Row(y)[5]);
        EXPECT_EQ(0x00, bmp.Row(y)[7]);
    }

    struct Case {
        const char* name;
        RECTL rect;
        ULONG color;
        int expectedBlack;
    };
    const Case cases[] = {
        {"wholly outside", {50, 0, 60, 3}, enginetest::kBlack, 0},
        {"above", {0, -5, 40, 0}, enginetest::kBlack, 0},
        {"partly left and above", {-4, -4, 3, 2}, enginetest::kBlack, 6},
        {"index 0 is black", {10, 1, 14, 2}, 0, 4},
        {"index 1 is white", {0, 0, 40, 3}, 1, 0},
        {"dark gray is black", {38, 0, 45, 3}, 0x7F7F7F, 6},
        {"empty", {20, 2, 20, 3}, enginetest::kBlack, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bmp.Clear(true);
        RECTL r = c.rect;
        EXPECT_TRUE(EngEraseSurface(bmp.so(), &r, c.color));
        EXPECT_EQ(c.expectedBlack, bmp.CountBlack()) << enginetest::Show(bmp.Picture());
    }
}

TEST(EngineEraseTest, ColourBitmapsTakeTheRgbValue) {
    TestBitmap rgb(4, 2, BMF_24BPP, BMF_TOPDOWN);
    TestBitmap gray(4, 2, BMF_8BPP, BMF_TOPDOWN);
    ASSERT_NE(nullptr, rgb.so());
    ASSERT_NE(nullptr, gray.so());
    RECTL r{1, 1, 3, 2};
    ASSERT_TRUE(EngEraseSurface(rgb.so(), &r, 0x0000FF));  // red
    ASSERT_TRUE(EngEraseSurface(gray.so(), &r, 0xFFFFFF));
    const BYTE* row = rgb.Row(1);
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0}), std::vector<BYTE>(row, row + 12));
    EXPECT_EQ(0, rgb.Row(0)[3]);
    EXPECT_EQ((std::vector<BYTE>{0, 0xFF, 0xFF, 0}), std::vector<BYTE>(gray.Row(1), gray.Row(1) + 4));
}

TEST(EnginePaletteTest, KeepsWhatWasAskedFor) {
    const unsigned before = standin::engine::LivePaletteCount();
    ULONG monochrome[] = {0x000000, 0xFFFFFF};
    HPALETTE indexed = EngCreatePalette(PAL_INDEXED, 2, monochrome, 0, 0, 0);
    HPALETTE rgb = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
    HPALETTE fields = EngCreatePalette(PAL_BITFIELDS, 0, nullptr, 0xF800, 0x07E0, 0x001F);
    ASSERT_NE(nullptr, indexed);
    ASSERT_NE(nullptr, rgb);
    ASSERT_NE(nullptr, fields);
    EXPECT_EQ(before + 3, standin::engine::LivePaletteCount());
    monochrome[0] = 0x123456;  // the palette took a copy

    standin::engine::PaletteContents contents;
    ASSERT_TRUE(standin::engine::GetPaletteContents(indexed, &contents));
    EXPECT_EQ(static_cast<ULONG>(PAL_INDEXED), contents.mode);
    EXPECT_EQ((std::vector<ULONG>{0x000000, 0xFFFFFF}), contents.colors);
    ASSERT_TRUE(standin::engine::GetPaletteContents(rgb, &contents));
    EXPECT_EQ(static_cast<ULONG>(PAL_RGB), contents.mode);
    EXPECT_TRUE(contents.colors.empty());
    ASSERT_TRUE(standin::engine::GetPaletteContents(fields, &contents));
    EXPECT_EQ(0xF800u, contents.red);
    EXPECT_EQ(0x001Fu, contents.blue);

    EXPECT_TRUE(EngDeletePalette(indexed));
    EXPECT_FALSE(EngDeletePalette(indexed));
    EXPECT_FALSE(standin::engine::GetPaletteContents(indexed, &contents));
    EXPECT_TRUE(EngDeletePalette(rgb));
    EXPECT_TRUE(EngDeletePalette(fields));
    EXPECT_EQ(before, standin::engine::LivePaletteCount());
}

TEST(EnginePaletteTest, RefusesIncompleteRequests) {
    ULONG one[] = {0};
    struct Case {
        const char* name;
        ULONG mode;
        ULONG count;
        ULONG* colors;
        FLONG red;
    } const cases[] = {
        {"indexed without colours", PAL_INDEXED, 0, one, 0},
        {"indexed without table", PAL_INDEXED, 2, nullptr, 0},
        {"indexed too large", PAL_INDEXED, 65537, one, 0},
        {"bitfields without masks", PAL_BITFIELDS, 0, nullptr, 0},
        {"unknown mode", 0x40, 0, nullptr, 0},
    };
    const unsigned before = standin::engine::LivePaletteCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(nullptr, EngCreatePalette(c.mode, c.count, c.colors, c.red, 0, 0));
    }
    EXPECT_EQ(before, standin::engine::LivePaletteCount());
}

}  // namespace
