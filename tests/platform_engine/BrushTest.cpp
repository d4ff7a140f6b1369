// Brush objects: the driver's realization through its DrvRealizeBrush hook, the blocks the
// brush owns, and pattern brushes tiled from the brush origin by the engine's own fills.
#include <cstring>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::RawPixel;
using enginetest::TestBitmap;

// What the fake driver saw; the device's DHPDEV points at it.
struct RealizeLog {
    int calls = 0;
    BOOL answer = TRUE;
    BRUSHOBJ* brush = nullptr;
    SURFOBJ* target = nullptr;
    SURFOBJ* pattern = nullptr;
    SURFOBJ* mask = nullptr;
    ULONG hatch = 0;
    FLONG xlateFlags = 0;
    std::vector<ULONG> table;
    std::vector<std::string> rows;  // the pattern as '1'/'0' for 1-bit ones
    ULONG patternFormat = 0;
    SIZEL patternSize{};
    void* block = nullptr;
};

BOOL FakeRealize(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask, XLATEOBJ* pxlo,
                 ULONG iHatch) {
    auto* log = reinterpret_cast<RealizeLog*>(psoTarget->dhpdev);
    ++log->calls;
    log->brush = pbo;
    log->target = psoTarget;
    log->pattern = psoPattern;
    log->mask = psoMask;
    log->hatch = iHatch;
    log->xlateFlags = pxlo == nullptr ? 0 : pxlo->flXlate;
    log->table.clear();
    if (pxlo != nullptr && pxlo->pulXlate != nullptr) log->table.assign(pxlo->pulXlate, pxlo->pulXlate + pxlo->cEntries);
    log->patternFormat = psoPattern->iBitmapFormat;
    log->patternSize = psoPattern->sizlBitmap;
    log->rows.clear();
    if (psoPattern->iBitmapFormat == BMF_1BPP)
        for (LONG y = 0; y < psoPattern->sizlBitmap.cy; ++y) {
            std::string row;
            for (LONG x = 0; x < psoPattern->sizlBitmap.cx; ++x) row += RawPixel(psoPattern, x, y) != 0 ? '1' : '0';
            log->rows.push_back(row);
        }
    if (!log->answer) return FALSE;
    log->block = BRUSHOBJ_pvAllocRbrush(pbo, 12);
    if (log->block == nullptr) return FALSE;
    std::memcpy(log->block, "realized", 9);
    return TRUE;
}

// A device with the fake driver's hook, and a device surface of it as the brushes' target.
class EngineBrushTest : public enginetest::EngineLeakTest {
protected:
    void SetUp() override {
        enginetest::EngineLeakTest::SetUp();
        device_ = standin::engine::MakeDevice(reinterpret_cast<DHPDEV>(&log_));
        surface_ = EngCreateDeviceSurface(nullptr, SIZEL{100, 100}, BMF_1BPP);
        ASSERT_TRUE(EngAssociateSurface(surface_, device_, 0));
        target_ = EngLockSurface(surface_);
        ASSERT_TRUE(standin::engine::SetDeviceHook(device_, INDEX_DrvRealizeBrush, enginetest::AsPfn(FakeRealize)));
    }
    void TearDown() override {
        EngUnlockSurface(target_);
        EngDeleteSurface(surface_);
        standin::engine::ForgetDevice(device_);
        enginetest::EngineLeakTest::TearDown();
    }

    RealizeLog log_;
    HDEV device_ = nullptr;
    HSURF surface_ = nullptr;
    SURFOBJ* target_ = nullptr;
};

struct HatchCase {
    ULONG hatch;
    std::vector<std::string> rows;
};

TEST_F(EngineBrushTest, HatchIsRealizedOnceWithItsCellAndColours) {
    const HatchCase cases[] = {
        {HS_HORIZONTAL, {"00000000", "00000000", "00000000", "11111111", "00000000", "00000000", "00000000", "00000000"}},
        {HS_VERTICAL, {"00010000", "00010000", "00010000", "00010000", "00010000", "00010000", "00010000", "00010000"}},
        {HS_FDIAGONAL, {"10000000", "01000000", "00100000", "00010000", "00001000", "00000100", "00000010", "00000001"}},
        {HS_BDIAGONAL, {"00000001", "00000010", "00000100", "00001000", "00010000", "00100000", "01000000", "10000000"}},
        {HS_CROSS, {"00010000", "00010000", "00010000", "11111111", "00010000", "00010000", "00010000", "00010000"}},
        {HS_DIAGCROSS, {"10000001", "01000010", "00100100", "00011000", "00011000", "00100100", "01000010", "10000001"}},
    };
    for (const HatchCase& c : cases) {
        log_ = RealizeLog{};
        standin::engine::Brush brush = standin::engine::MakeHatchBrush(target_, c.hatch, 0x0000FF, 0xFFFFFF);
        ASSERT_NE(nullptr, brush.get());
        EXPECT_EQ(0xFFFFFFFFu, brush.get()->iSolidColor);
        void* realization = BRUSHOBJ_pvGetRbrush(brush.get());
        ASSERT_NE(nullptr, realization) << c.hatch;
        EXPECT_EQ(log_.block, realization);
        EXPECT_EQ(realization, brush.get()->pvRbrush);
        EXPECT_STREQ("realized", static_cast<const char*>(realization));
        EXPECT_EQ(brush.get(), log_.brush);
        EXPECT_EQ(target_, log_.target);
        EXPECT_EQ(nullptr, log_.mask);
        EXPECT_EQ(c.hatch, log_.hatch);
        EXPECT_EQ(static_cast<FLONG>(XO_TABLE), log_.xlateFlags);
        EXPECT_EQ((std::vector<ULONG>{0xFFFFFF, 0x0000FF}), log_.table);  // background, foreground
        EXPECT_EQ(static_cast<ULONG>(BMF_1BPP), log_.patternFormat);
        EXPECT_EQ(c.rows, log_.rows) << "hatch " << c.hatch;
        // Kept: the driver is not asked again.
        EXPECT_EQ(realization, BRUSHOBJ_pvGetRbrush(brush.get()));
        EXPECT_EQ(1, log_.calls);
    }
}

TEST_F(EngineBrushTest, PatternBrushHandsTheDriverACopyOfItsBitmap) {
    TestBitmap pattern(3, 2, BMF_24BPP);
    auto* row0 = static_cast<BYTE*>(pattern.so()->pvScan0);
    row0[0] = 0x11;  // blue of pixel (0, 0)
    row0[5] = 0x22;  // red of pixel (1, 0)
    standin::engine::Brush brush = standin::engine::MakePatternBrush(target_, pattern.so(), {});
    ASSERT_NE(nullptr, brush.get());
    row0[0] = 0x99;  // a later change does not reach the brush
    ASSERT_NE(nullptr, BRUSHOBJ_pvGetRbrush(brush.get()));
    EXPECT_EQ(6u, log_.hatch);
    EXPECT_EQ(static_cast<FLONG>(XO_TRIVIAL), log_.xlateFlags);
    EXPECT_NE(pattern.so(), log_.pattern);
    EXPECT_EQ(static_cast<ULONG>(BMF_24BPP), log_.patternFormat);
    EXPECT_EQ(3, log_.patternSize.cx);
    EXPECT_EQ(2, log_.patternSize.cy);
    EXPECT_EQ(0x11u, RawPixel(log_.pattern, 0, 0));
    EXPECT_EQ(0x220000u, RawPixel(log_.pattern, 1, 0));

    standin::engine::Brush indexed = standin::engine::MakePatternBrush(target_, pattern.so(), {0x123456, 0x654321});
    ASSERT_NE(nullptr, BRUSHOBJ_pvGetRbrush(indexed.get()));
    EXPECT_EQ((std::vector<ULONG>{0x123456, 0x654321}), log_.table);

    SURFOBJ forged{};
    EXPECT_EQ(nullptr, standin::engine::MakePatternBrush(target_, &forged, {}).get());
    EXPECT_EQ(nullptr, standin::engine::MakePatternBrush(target_, target_, {}).get());  // no bits
}

TEST_F(EngineBrushTest, NoRealizationWhenTheDriverRefusesOrCannotBeAsked) {
    log_.answer = FALSE;
    standin::engine::Brush refused = standin::engine::MakeHatchBrush(target_, HS_CROSS, 0, 0xFFFFFF);
    EXPECT_EQ(nullptr, BRUSHOBJ_pvGetRbrush(refused.get()));
    EXPECT_EQ(nullptr, refused.get()->pvRbrush);
    EXPECT_EQ(1, log_.calls);

    log_ = RealizeLog{};
    standin::engine::Brush solid = standin::engine::MakeSolidBrush(0x00FF00);
    EXPECT_EQ(0x00FF00u, solid.get()->iSolidColor);
    EXPECT_EQ(nullptr, BRUSHOBJ_pvGetRbrush(solid.get()));
    EXPECT_EQ(0, log_.calls);

    // A target of a device without the hook, and a target that was deleted since.
    TestBitmap plain(8, 8);
    standin::engine::Brush unhooked = standin::engine::MakeHatchBrush(plain.so(), HS_CROSS, 0, 0xFFFFFF);
    EXPECT_EQ(nullptr, BRUSHOBJ_pvGetRbrush(unhooked.get()));
    standin::engine::Brush orphan;
    {
        TestBitmap gone(8, 8);
        orphan = standin::engine::MakeHatchBrush(gone.so(), HS_CROSS, 0, 0xFFFFFF);
    }
    EXPECT_EQ(nullptr, BRUSHOBJ_pvGetRbrush(orphan.get()));
    EXPECT_EQ(0, log_.calls);

    EXPECT_EQ(nullptr, standin::engine::MakeHatchBrush(target_, HS_DIAGCROSS + 1, 0, 0).get());
    BRUSHOBJ forged{0xFFFFFFFFu, nullptr, 0};
    EXPECT_EQ(nullptr, BRUSHOBJ_pvGetRbrush(&forged));
    EXPECT_EQ(nullptr, BRUSHOBJ_pvAllocRbrush(&forged, 16));
    EXPECT_EQ(nullptr, BRUSHOBJ_pvAllocRbrush(solid.get(), 0));
    void* block = BRUSHOBJ_pvAllocRbrush(solid.get(), 40);  // zeroed, freed with the brush
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, static_cast<const BYTE*>(block)[39]);
}

// A 3 x 2 two-colour pattern: which pixels of it are white.
constexpr bool kPatternWhite[2][3] = {{true, false, false}, {false, false, true}};

struct TileCase {
    const char* what;
    ULONG format;
    ULONG white;  // the raw value of white in the format (black is 0)
};

class EngineTileTest : public EngineBrushTest {
protected:
    // The brush of kPatternWhite as a 1-bit bitmap with the table {black, white}.
    standin::engine::Brush TwoColourBrush() {
        TestBitmap pattern(3, 2);
        for (LONG y = 0; y < 2; ++y)
            for (LONG x = 0; x < 3; ++x) pattern.Set(x, y, kPatternWhite[y][x]);
        return standin::engine::MakePatternBrush(target_, pattern.so(), {enginetest::kBlack, enginetest::kWhite});
    }
};

TEST_F(EngineTileTest, PatternRepeatsFromTheBrushOriginOnEveryFormat) {
    const TileCase cases[] = {
        {"1 bit", BMF_1BPP, 1},
        {"8 bits", BMF_8BPP, 0xFF},
        {"24 bits", BMF_24BPP, 0xFFFFFF},
        {"32 bits", BMF_32BPP, 0xFFFFFF},
    };
    standin::engine::Brush brush = TwoColourBrush();
    ASSERT_NE(nullptr, brush.get());
    POINTL origin{4, -3};
    for (const TileCase& c : cases) {
        TestBitmap bmp(11, 7, c.format);
        RECTL all{0, 0, 11, 7};
        ASSERT_TRUE(EngBitBlt(bmp.so(), nullptr, nullptr, nullptr, nullptr, &all, nullptr, nullptr, brush.get(), &origin,
                              PATCOPY_ROP4))
            << c.what;
        for (LONG y = 0; y < 7; ++y)
            for (LONG x = 0; x < 11; ++x) {
                const LONG u = ((x - origin.x) % 3 + 3) % 3, v = ((y - origin.y) % 2 + 2) % 2;
                EXPECT_EQ(kPatternWhite[v][u] ? c.white : 0u, RawPixel(bmp.so(), x, y) & c.white)
                    << c.what << " at " << x << "," << y;
            }
    }
}

TEST_F(EngineTileTest, PaintAndPathFillsTileFromTheOriginToo) {
    standin::engine::Brush brush = TwoColourBrush();
    POINTL origin{1, 1};
    TestBitmap painted(9, 6), filled(9, 6);
    painted.Clear(true);
    filled.Clear(true);
    standin::engine::Clip clip = standin::engine::MakeClip({{0, 0, 9, 6}});
    ASSERT_TRUE(EngPaint(painted.so(), clip.get(), brush.get(), &origin, R2_COPYPEN));
    standin::engine::Path square = standin::engine::MakePath(
        {{standin::engine::FixPoint(0, 0), standin::engine::FixPoint(9, 0), standin::engine::FixPoint(9, 6),
          standin::engine::FixPoint(0, 6)}},
        true);
    ASSERT_TRUE(EngFillPath(filled.so(), square.get(), nullptr, brush.get(), &origin, R2_COPYPEN, FP_WINDINGMODE));
    for (LONG y = 0; y < 6; ++y)
        for (LONG x = 0; x < 9; ++x) {
            const bool white = kPatternWhite[((y - 1) % 2 + 2) % 2][((x - 1) % 3 + 3) % 3];
            EXPECT_EQ(white, painted.White(x, y)) << x << "," << y;
            EXPECT_EQ(white, filled.White(x, y)) << x << "," << y;
        }
}

TEST_F(EngineTileTest, ColourBrushInTwentyFourBitsWithPatternInvert) {
    // An 8 x 8 colour pattern: each pixel its own colour.
    TestBitmap pattern(8, 8, BMF_24BPP);
    auto colour = [](LONG x, LONG y) { return static_cast<ULONG>(0x010000 * (x * 16) + 0x0100 * (y * 16) + 0x40); };
    for (LONG y = 0; y < 8; ++y)
        for (LONG x = 0; x < 8; ++x) {
            const ULONG raw = colour(x, y);  // 0x00RRGGBB
            BYTE* p = pattern.Row(y) + x * 3;
            p[0] = static_cast<BYTE>(raw);
            p[1] = static_cast<BYTE>(raw >> 8);
            p[2] = static_cast<BYTE>(raw >> 16);
        }
    standin::engine::Brush brush = standin::engine::MakePatternBrush(target_, pattern.so(), {});
    TestBitmap cell(24, 24, BMF_24BPP);
    RECTL all{0, 0, 24, 24};
    ULONG white = enginetest::kWhite;
    ASSERT_TRUE(EngEraseSurface(cell.so(), &all, white));
    POINTL origin{3, 5};
    ASSERT_TRUE(EngBitBlt(cell.so(), nullptr, nullptr, nullptr, nullptr, &all, nullptr, nullptr, brush.get(), &origin,
                          0x5A5A));  // pattern XOR destination
    for (LONG y = 0; y < 24; ++y)
        for (LONG x = 0; x < 24; ++x)
            ASSERT_EQ(colour(((x - 3) % 8 + 8) % 8, ((y - 5) % 8 + 8) % 8) ^ 0xFFFFFFu, RawPixel(cell.so(), x, y))
                << x << "," << y;
}

TEST_F(EngineTileTest, PatternBrushThatIsNotTheEnginesIsRefused) {
    TestBitmap bmp(8, 8);
    BRUSHOBJ forged{0xFFFFFFFFu, nullptr, 0};
    RECTL all{0, 0, 8, 8};
    SetLastError(0);
    EXPECT_FALSE(EngBitBlt(bmp.so(), nullptr, nullptr, nullptr, nullptr, &all, nullptr, nullptr, &forged, nullptr,
                           PATCOPY_ROP4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
}

}  // namespace
