// Engine brushes realized by the driver: hatches, 1-bit patterns and colour images as the
// printer's fills, and the rectangle SelectBrush paints for raster callers.
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "render/draw/BrushPattern.h"
#include "render/draw/Brushes.h"
#include "tests/render_vector/VectorFixture.h"

namespace vectortest {
namespace {

constexpr ULONG kBlack = 0x000000;
constexpr ULONG kWhite = 0xFFFFFF;
constexpr ULONG kRed = 0x0000FF;  // 0x00BBGGRR

/// An engine bitmap, locked, deleted with the object.
class PatternBitmap {
public:
    PatternBitmap(LONG width, LONG height, ULONG format, bool topDown) {
        handle_ = EngCreateBitmap(SIZEL{width, height}, 0, format, topDown ? BMF_TOPDOWN : 0, nullptr);
        if (handle_ != nullptr) surface_ = EngLockSurface(handle_);
    }
    ~PatternBitmap() {
        if (surface_ != nullptr) EngUnlockSurface(surface_);
        if (handle_ != nullptr) (void)EngDeleteSurface(handle_);
    }
    PatternBitmap(const PatternBitmap&) = delete;
    PatternBitmap& operator=(const PatternBitmap&) = delete;
    SURFOBJ* Surface() const { return surface_; }
    /// Row y as seen on the screen (whatever the memory order).
    BYTE* Row(LONG y) const { return static_cast<BYTE*>(surface_->pvScan0) + static_cast<ptrdiff_t>(y) * surface_->lDelta; }

private:
    HSURF handle_ = nullptr;
    SURFOBJ* surface_ = nullptr;
};

class BrushSelectTest : public VectorTest {
protected:
    void Ready(DeviceOptions options = {}, bool patternSet = false) {
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice(options));
        if (patternSet) {
            Pdev().Settings.FeatureFlags |= kFeatureDevicePatternSet;
        } else {
            Pdev().Settings.FeatureFlags &= ~kFeatureDevicePatternSet;
        }
    }
    BOOL Fill(BRUSHOBJ* brush, ULONG mixOrRop, BOOL invert = FALSE) {
        RECTL rect{100, 100, 110, 104};
        POINTL origin{0, 0};
        return SelectFillBrush(&Pdev(), mixOrRop, brush, invert, &origin, &rect, Surface());
    }
};

struct HatchCase {
    const char* name;
    ULONG hatch;
    bool turned;
    bool patternSet;
    bool raster;
    ULONG value;
    BYTE type;
    BYTE foreground;
    BYTE background;
};

TEST_F(BrushSelectTest, HatchesSendTheirTypeGraysAndLogicalPair) {
    const std::vector<HatchCase> cases = {
        {"cross, copy", HS_CROSS, false, false, false, 0x0D0D, 6, 0xF0, 0xF0},
        {"cross, second pattern set", HS_CROSS, false, true, false, 0x0D0D, 12, 0xF0, 0xF0},
        {"cross on a turned page keeps its type", HS_CROSS, true, false, false, 0x0D0D, 6, 0xF0, 0xF0},
        {"diagonal cross on a turned page, second set", HS_DIAGCROSS, true, true, false, 0x0D0D, 13, 0xF0, 0xF0},
        {"horizontal", HS_HORIZONTAL, false, false, false, 0x0D0D, 2, 0xF0, 0xF0},
        {"horizontal on a turned page is vertical", HS_HORIZONTAL, true, false, false, 0x0D0D, 3, 0xF0, 0xF0},
        {"vertical on a turned page is horizontal", HS_VERTICAL, true, false, false, 0x0D0D, 2, 0xF0, 0xF0},
        {"forward diagonal on a turned page", HS_FDIAGONAL, true, false, false, 0x0D0D, 5, 0xF0, 0xF0},
        {"backward diagonal on a turned page", HS_BDIAGONAL, true, false, false, 0x0D0D, 4, 0xF0, 0xF0},
        {"transparent background", HS_CROSS, false, false, false, 0x0B0D, 6, 0xF0, 0xAA},
        {"transparent background, R2_NOT", HS_CROSS, false, false, false, 0x0B06, 6, 0x55, 0xAA},
        {"halves differ", HS_CROSS, false, false, false, 0x0D06, 6, 0xF0, 0xF0},
        {"rop F0F0", HS_CROSS, false, false, true, 0xF0F0, 6, 0xF0, 0xF0},
        {"rop AAF0 keeps the background", HS_CROSS, false, false, true, 0xAAF0, 6, 0xF0, 0xAA},
        {"rop 5A5A", HS_CROSS, false, false, true, 0x5A5A, 6, 0xA5, 0xA5},
    };
    for (const HatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Ready({600, static_cast<WORD>(c.turned ? 2 : 1)}, c.patternSet));
        if (c.turned) Pdev().Settings.Public.dmOrientation = 2;
        if (c.raster) Pdev().StateFlags |= kStateClipComputeOnly;
        standin::engine::Brush brush = standin::engine::MakeHatchBrush(Surface(), c.hatch, kRed, kWhite);
        ASSERT_NE(brush.get(), nullptr);
        EXPECT_TRUE(Fill(brush.get(), c.value));
        Golden expected;
        expected.Add("hatch: type, red foreground (entry 1), white background (entry 0)", {0xA5, c.type, 0x22, 0x4F})
            .Add("logical pair", {0xA6, 0x00, c.foreground, c.background});
        EXPECT_TRUE(expected.Matches(Take()));
        EXPECT_TRUE(Fill(brush.get(), c.value));
        EXPECT_TRUE(Take().empty()) << "the printer holds this fill";
    }
}

TEST_F(BrushSelectTest, OneBitPatternIsDownloadedOnceInScreenOrder) {
    for (bool topDown : {true, false}) {
        SCOPED_TRACE(topDown ? "top-down pattern" : "bottom-up pattern");
        ASSERT_NO_FATAL_FAILURE(Ready({600}, true));
        PatternBitmap bits(8, 8, BMF_1BPP, topDown);
        ASSERT_NE(bits.Surface(), nullptr);
        const BYTE rows[8] = {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F};
        for (LONG y = 0; y < 8; ++y) *bits.Row(y) = rows[y];
        standin::engine::Brush brush = standin::engine::MakePatternBrush(Surface(), bits.Surface(), {kRed, kWhite});
        ASSERT_NE(brush.get(), nullptr);
        EXPECT_TRUE(Fill(brush.get(), 0x0D0D));
        Golden expected;
        expected.Add("define: 600-dpi code, rows inverted, top row first",
                     {0xA0, 0x20, 0x01, 0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80})
            .Add("select the pattern", {0xA4, 0x00, 0x01, 0x00})
            .Add("set bits: entry 0, red", {0xA2, 0xF0, 0x00, 0x22})
            .Add("clear bits: entry 1, white", {0xA3, 0xF0, 0x00, 0x4F});
        EXPECT_TRUE(expected.Matches(Take()));
        EXPECT_TRUE(Fill(brush.get(), 0x0D0D));
        EXPECT_TRUE(Take().empty()) << "the same pattern brush again";
    }
}

TEST_F(BrushSelectTest, SmallPatternWithoutColourTableIsTiledInBlackAndWhite) {
    ASSERT_NO_FATAL_FAILURE(Ready({600}, false));
    PatternBitmap bits(2, 2, BMF_1BPP, true);
    ASSERT_NE(bits.Surface(), nullptr);
    *bits.Row(0) = 0x40;  // white, black... as bits 0 1
    *bits.Row(1) = 0x80;  // 1 0
    standin::engine::Brush brush = standin::engine::MakePatternBrush(Surface(), bits.Surface(), {});
    ASSERT_NE(brush.get(), nullptr);
    Pdev().StateFlags |= kStateClipComputeOnly;
    EXPECT_TRUE(Fill(brush.get(), 0xCCCC));
    Golden expected;
    expected.Add("define the 2 x 2 brush repeated", {0xA0, 0x00, 0x01, 0x00, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55})
        .Add("select", {0xA4, 0x00, 0x01, 0x00})
        .Add("set bits black: no colour table", {0xA2, 0xCC, 0x00, 0x10})
        .Add("clear bits white", {0xA3, 0xCC, 0x00, 0x4F});
    EXPECT_TRUE(expected.Matches(Take()));
}

TEST_F(BrushSelectTest, ColourBrushIsHandedToTheBitmapHooksAsAnImage) {
    for (BOOL invert : {FALSE, TRUE}) {
        SCOPED_TRACE(invert ? "inverted" : "as it is");
        ASSERT_NO_FATAL_FAILURE(Ready());
        PatternBitmap bits(8, 8, BMF_24BPP, true);
        ASSERT_NE(bits.Surface(), nullptr);
        for (LONG y = 0; y < 8; ++y)
            for (LONG x = 0; x < 24; ++x) bits.Row(y)[x] = static_cast<BYTE>((x / 3 + y) % 2 ? 0xFF : 0x00);
        standin::engine::Brush brush = standin::engine::MakePatternBrush(Surface(), bits.Surface(), {});
        ASSERT_NE(brush.get(), nullptr);
        const unsigned surfaces = standin::engine::LiveSurfaceCount();
        const BOOL sent = Fill(brush.get(), 0x0D0D, invert);
        const std::vector<BYTE> out = Take();
        // The bitmap hooks report whether the large pattern went out; the fill says the same.
        EXPECT_EQ(sent != FALSE, CountOf(out, {0xA0, 0x03, 0x01, 0x01}) == 1) << kvtest::HexDump(out);
        EXPECT_EQ(Pdev().StateFlags & kStatePatternMode, 0u);
        EXPECT_EQ(standin::engine::LiveSurfaceCount(), surfaces) << "the image bitmap is gone";
    }
}

TEST_F(BrushSelectTest, ColourBrushReachesThePrinterAsALargePattern) {
    // An 8 x 8 checkerboard of black and white in 24 and 32 bits, stored either way up: the
    // 24 x 24 image holds it three times each way, and black and white stay black and white
    // through the halftone.
    struct Case {
        ULONG format;
        LONG bytesPerPixel;
        bool topDown;
    };
    for (const Case& c : {Case{BMF_24BPP, 3, true}, Case{BMF_24BPP, 3, false}, Case{BMF_32BPP, 4, true}}) {
        SCOPED_TRACE(testing::Message() << c.bytesPerPixel * 8 << " bits, " << (c.topDown ? "top-down" : "bottom-up"));
        ASSERT_NO_FATAL_FAILURE(Ready());
        PatternBitmap bits(8, 8, c.format, c.topDown);
        ASSERT_NE(bits.Surface(), nullptr);
        for (LONG y = 0; y < 8; ++y)
            for (LONG x = 0; x < 8 * c.bytesPerPixel; ++x)
                bits.Row(y)[x] = static_cast<BYTE>((x / c.bytesPerPixel + y) % 2 ? 0xFF : 0x00);
        standin::engine::Brush brush = standin::engine::MakePatternBrush(Surface(), bits.Surface(), {});
        ASSERT_NE(brush.get(), nullptr);
        ASSERT_TRUE(Fill(brush.get(), 0x0D0D));
        const std::vector<BYTE> out = Take();
        std::vector<BYTE> pattern = {0xA0, 0x03, 0x01, 0x01};
        for (int y = 0; y < 24; ++y) pattern.insert(pattern.end(), 3, static_cast<BYTE>(y % 2 == 0 ? 0xAA : 0x55));
        pattern.insert(pattern.end(), {0xA4, 0x00, 0x01, 0x01});
        EXPECT_EQ(CountOf(out, pattern), 1u) << "the pattern, set bits black, then its select\n" << kvtest::HexDump(out);
    }
}

struct PaintCase {
    const char* name;
    DWORD flags;
    ULONG rop;
    RECTL piece;
    std::vector<BYTE> rect;  // empty: nothing painted
};

TEST_F(BrushSelectTest, RasterAndTextCallersGetTheRectanglePaintedWithinTheClipPiece) {
    const std::vector<PaintCase> cases = {
        {"raster mode", kStateClipComputeOnly, 0xF0F0, {}, {0xDB, 0x32, 0x00, 0x64, 0x00, 0x0A, 0x00, 0x14}},
        {"text rectangle", kStateTextRect, 0x0D0D, {}, {0xDB, 0x32, 0x00, 0x64, 0x00, 0x0A, 0x00, 0x14}},
        {"rop B8B8 paints nothing", kStateClipComputeOnly, 0xB8B8, {}, {}},
        {"a hook's fill paints nothing", 0, 0x0D0D, {}, {}},
        {"cut to the deferred clip piece", kStateClipComputeOnly | kStateDeferredClip, 0xF0F0, {50, 0, 80, 60},
         {0xDB, 0x28, 0x00, 0x1E, 0x00, 0x32, 0x00, 0x14}},
        {"clip piece elsewhere", kStateClipComputeOnly | kStateDeferredClip, 0xF0F0, {200, 200, 300, 300}, {}},
        {"clip path: the piece does not apply", kStateClipComputeOnly | kStateDeferredClip | kStateClipPath, 0xF0F0,
         {200, 200, 300, 300}, {0xDB, 0x32, 0x00, 0x64, 0x00, 0x0A, 0x00, 0x14}},
    };
    for (const PaintCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Ready());
        Pdev().StateFlags = (Pdev().StateFlags & ~kStateClipPath) | c.flags;
        Pdev().Vector.ClipPiece = c.piece;
        BRUSHOBJ black{};
        black.iSolidColor = kBlack;
        RECTL rect{10, 20, 110, 70};
        EXPECT_TRUE(SelectBrush(&Pdev(), Surface(), 0, &black, nullptr, c.rop, &rect, FALSE));
        const std::vector<BYTE> out = Take();
        ASSERT_GE(out.size(), 8u);
        EXPECT_TRUE(Same(std::vector<BYTE>(out.begin(), out.begin() + 4), {0xA5, 0x01, 0x10, 0x00}));
        // The logical pair follows (4 bytes), then the rectangle.
        EXPECT_TRUE(Same(std::vector<BYTE>(out.begin() + 8, out.end()), c.rect));
    }
}

TEST_F(BrushSelectTest, UnrealizableBrushIsRefused) {
    ASSERT_NO_FATAL_FAILURE(Ready());
    // An engine brush the driver has no hook for: the engine gives no realization.
    standin::engine::ForgetDevice(Pdev().EngineDevice);
    standin::engine::Brush brush = standin::engine::MakeHatchBrush(Surface(), HS_CROSS, kRed, kWhite);
    ASSERT_NE(brush.get(), nullptr);
    EXPECT_FALSE(Fill(brush.get(), 0x0D0D));
    EXPECT_TRUE(Take().empty());
}

}  // namespace
}  // namespace vectortest
