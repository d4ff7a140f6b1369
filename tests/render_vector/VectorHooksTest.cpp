// The path and paint hooks in vector mode: their common entry, clip pieces, pens and the
// engine's fallback for fills the printer cannot take.
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "render/draw/DrawingHooks.h"
#include "tests/render_vector/VectorFixture.h"

namespace vectortest {
namespace {

using standin::engine::FixPoint;

const std::vector<BYTE> kLeavePageControl = {0x1C, 0x59};
const std::vector<BYTE> kScale600 = Text("SU1,600,0;IP0,0,608,608;");
const std::vector<BYTE> kScale400 = Text("SU1,400,0;IP0,0,405,405;");
const std::vector<BYTE> kForgetDownloads = {0xBC, 0x21, 0x00, 0x00};

class VectorHooksTest : public VectorTest {
public:
    /// A ready device whose next drawing call is the first of the job's drawing state.
    void FirstCallDevice(SHORT dpi) {
        ASSERT_NO_FATAL_FAILURE(MakeReadyDevice({dpi}));
        Pdev().StateFlags |= kStatePageControl;
        Pdev().VectorResolution = 0;
        Pdev().DownloadResetDone = 0;
    }
    BOOL Paint(CLIPOBJ* clip, ULONG colour = 0x000000, MIX mix = 0x0D0D) {
        BRUSHOBJ brush{};
        brush.iSolidColor = colour;
        POINTL origin{0, 0};
        return DrvPaint(Surface(), clip, &brush, &origin, mix);
    }
};

TEST_F(VectorHooksTest, NopMixWritesThePendingSetupAndDrawsNothing) {
    using Hook = BOOL (*)(VectorHooksTest*);
    const std::vector<std::pair<const char*, Hook>> hooks = {
        {"paint", [](VectorHooksTest* t) { return t->Paint(nullptr, 0, 0x0B0B); }},
        {"fill",
         [](VectorHooksTest* t) {
             auto path = standin::engine::MakePath({{FixPoint(1, 1), FixPoint(50, 1), FixPoint(50, 40)}}, true);
             BRUSHOBJ brush{};
             return DrvFillPath(t->Surface(), path.get(), nullptr, &brush, nullptr, 0x0B0B, FP_ALTERNATEMODE);
         }},
        {"stroke",
         [](VectorHooksTest* t) {
             auto path = standin::engine::MakePath({{FixPoint(1, 1), FixPoint(50, 1)}}, false);
             BRUSHOBJ brush{};
             LINEATTRS line{};
             return DrvStrokePath(t->Surface(), path.get(), nullptr, nullptr, &brush, nullptr, &line, 0x0B0B);
         }},
    };
    for (const auto& [name, hook] : hooks) {
        SCOPED_TRACE(name);
        ASSERT_NO_FATAL_FAILURE(MakeDevice());
        EXPECT_TRUE(hook(this));
        const std::vector<BYTE> out = Take();
        EXPECT_EQ(CountOf(out, Text("@PJL JOB NAME=")), 1u) << "the job header went out";
        EXPECT_EQ(Pdev().FlowFlags & kFlowHeaderPending, 0u);
        EXPECT_EQ(CountOf(out, kScale600), 0u) << "no drawing state was sent";
        EXPECT_EQ(CountOf(out, kLeavePageControl), 0u);
    }
}

TEST_F(VectorHooksTest, FirstDrawingSendsModeScaleAndDownloadResetOnceAndScaleAgainOnAResolutionChange) {
    ASSERT_NO_FATAL_FAILURE(FirstCallDevice(400));
    ASSERT_NE(Pdev().Model->Flags & 1, 0u) << "the sample model takes downloaded glyphs";
    EXPECT_TRUE(Paint(nullptr));
    std::vector<BYTE> out = Take();
    Golden head;
    head.Add("FS Y: leave page-control mode", kLeavePageControl)
        .Add("vector scale for 400 dpi", kScale400)
        .Add("forget downloaded glyphs, once a job", kForgetDownloads);
    ASSERT_GE(out.size(), head.Bytes().size());
    EXPECT_TRUE(head.Matches(std::vector<BYTE>(out.begin(), out.begin() + static_cast<long>(head.Bytes().size()))));

    EXPECT_TRUE(Paint(nullptr, 0xFFFFFF));
    out = Take();
    EXPECT_EQ(CountOf(out, kLeavePageControl), 0u);
    EXPECT_EQ(CountOf(out, kScale400), 0u);
    EXPECT_EQ(CountOf(out, kForgetDownloads), 0u);

    Pdev().Settings.Public.dmPrintQuality = 600;
    EXPECT_TRUE(Paint(nullptr));
    out = Take();
    ASSERT_GE(out.size(), kScale600.size());
    EXPECT_TRUE(Same(std::vector<BYTE>(out.begin(), out.begin() + static_cast<long>(kScale600.size())), kScale600));
    EXPECT_EQ(CountOf(out, kForgetDownloads), 0u);
}

TEST_F(VectorHooksTest, PaintFillsEachClipRectangleIncludingTheLast) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    standin::engine::Clip clip =
        standin::engine::MakeClip({RECTL{10, 20, 110, 70}, RECTL{200, 20, 230, 30}, RECTL{10, 300, 20, 310}});
    ASSERT_EQ(clip.get()->iDComplexity, DC_COMPLEX);
    EXPECT_TRUE(Paint(clip.get()));
    const std::vector<BYTE> out = Take();
    // Rectangle commands: DB, height, width, x, y.
    EXPECT_EQ(CountOf(out, {0xDB, 0x32, 0x00, 0x64, 0x00, 0x0A, 0x00, 0x14}), 1u) << kvtest::HexDump(out);
    EXPECT_EQ(CountOf(out, {0xDB, 0x0A, 0x00, 0x1E, 0x00, 0xC8, 0x00, 0x14}), 1u) << kvtest::HexDump(out);
    EXPECT_EQ(CountOf(out, {0xDB, 0x0A, 0x00, 0x0A, 0x00, 0x0A, 0x01, 0x2C}), 1u) << "the last rectangle";
}

TEST_F(VectorHooksTest, PaintWithoutClipFillsThePageAndATrivialClipItsBounds) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    EXPECT_TRUE(Paint(nullptr));
    const RECTL page = Pdev().ClipLimitRect;
    const LONG h = page.bottom - page.top;
    const LONG w = page.right - page.left;
    ASSERT_GE(h, 256);
    const std::vector<BYTE> pageRect = {0xDD, 0x00, static_cast<BYTE>(h >> 8), static_cast<BYTE>(h),
                                        static_cast<BYTE>(w >> 8), static_cast<BYTE>(w), 0x00, 0x00,
                                        0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(CountOf(Take(), pageRect), 1u);

    CLIPOBJ trivial{};
    trivial.iDComplexity = DC_TRIVIAL;
    trivial.rclBounds = RECTL{5, 6, 25, 16};
    EXPECT_TRUE(Paint(&trivial, 0xFFFFFF));
    EXPECT_EQ(CountOf(Take(), {0xDB, 0x0A, 0x00, 0x14, 0x00, 0x05, 0x00, 0x06}), 1u);
}

TEST_F(VectorHooksTest, StrokeWithoutSolidColourUsesAMiddleGrayPen) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    auto path = standin::engine::MakePath({{FixPoint(10, 10), FixPoint(60, 10), FixPoint(60, 40)}}, false);
    standin::engine::Brush hatch = standin::engine::MakeHatchBrush(Surface(), HS_CROSS, 0x0000FF, 0xFFFFFF);
    LINEATTRS line{};
    line.elWidth.l = 1;
    EXPECT_TRUE(DrvStrokePath(Surface(), path.get(), nullptr, nullptr, hatch.get(), nullptr, &line, 0x0D0D));
    const std::vector<BYTE> out = Take();
    EXPECT_EQ(CountOf(out, {0xAD, 0x00, 0x2F, 0x4F}), 1u) << "pen gray of 0x7F7F7F" << kvtest::HexDump(out);
    EXPECT_EQ(Pdev().Vector.Operation, 1u);
    EXPECT_NE(Pdev().StateFlags & kStateClipPath, 0u);
}

TEST_F(VectorHooksTest, FillThePrinterCannotTakeGoesToTheEngineWithItsRealResult) {
    // Coordinates beyond 16 bits: the path writer refuses the fill.
    auto path = standin::engine::MakePath({{FixPoint(10, 10), FixPoint(70000, 10), FixPoint(70000, 40)}}, true);
    BRUSHOBJ black{};
    black.iSolidColor = 0;
    // On the device surface the engine cannot draw: the hook says so.
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    EXPECT_FALSE(DrvFillPath(Surface(), path.get(), nullptr, &black, nullptr, 0x0D0D, FP_ALTERNATEMODE));

    // On a bitmap surface of the device the engine draws it, and the hook reports that.
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    HSURF bitmap = EngCreateBitmap(SIZEL{64, 64}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
    ASSERT_NE(bitmap, nullptr);
    SURFOBJ* surface = EngLockSurface(bitmap);
    ASSERT_NE(surface, nullptr);
    surface->dhpdev = reinterpret_cast<DHPDEV>(&Pdev());
    EXPECT_TRUE(DrvFillPath(surface, path.get(), nullptr, &black, nullptr, 0x0D0D, FP_ALTERNATEMODE));
    EngUnlockSurface(surface);
    (void)EngDeleteSurface(bitmap);
}

TEST_F(VectorHooksTest, BadDeviceOrFailedOutputDrawsNothing) {
    ASSERT_NO_FATAL_FAILURE(MakeReadyDevice());
    Pdev().StateFlags |= kStateOutputFailed;
    EXPECT_FALSE(Paint(nullptr));
    EXPECT_TRUE(Take().empty());

    SURFOBJ stray{};
    SetLastError(0);
    BRUSHOBJ brush{};
    EXPECT_FALSE(DrvPaint(&stray, nullptr, &brush, nullptr, 0x0D0D));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace vectortest
