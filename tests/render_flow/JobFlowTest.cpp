// The document and page hooks driven as the engine drives them: deferred header and page
// setup, counting and ejects, the thread's priority, and the reset between jobs.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Process.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "tests/render_flow/FlowFixture.h"

namespace flowtest {
namespace {

class JobFlowTest : public FlowTest {
protected:
    /// Runs pages through the hooks; true entries are drawn on.
    static void RunPages(TestDevice& device, std::initializer_list<bool> drawn) {
        for (const bool draw : drawn) {
            ASSERT_TRUE(DrvStartPage(device.surface()));
            if (draw) DrawSomething(device.pdev());
            ASSERT_TRUE(DrvSendPage(device.surface()));
        }
    }
};

TEST_F(JobFlowTest, ThreadPriorityIsLoweredExceptOnTheFirstThreeParallelPorts) {
    struct Case {
        std::u16string port;
        int during;
    };
    const Case cases[] = {
        {u"LPT1:", THREAD_PRIORITY_BELOW_NORMAL},
        {u"LPT2:", THREAD_PRIORITY_BELOW_NORMAL},
        {u"LPT3:", THREAD_PRIORITY_BELOW_NORMAL},
        {u"LPT4:", THREAD_PRIORITY_LOWEST},
        {u"\\\\server\\queue", THREAD_PRIORITY_LOWEST},  // a network port
        {u"lpt2:", THREAD_PRIORITY_LOWEST},              // the port test is case-sensitive
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::u16string name = u"KV-TD520 " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
        InstallPrinter(name, c.port);
        DeviceOptions options;
        options.printerName = name;
        auto device = MakeDevice(options);
        const HANDLE thread = GetCurrentThread();
        ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
        ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
        EXPECT_EQ(GetThreadPriority(thread), c.during) << kvtest::U8(c.port);
        ASSERT_TRUE(DrvEndDoc(device->surface(), 0));
        EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL) << "restored: " << kvtest::U8(c.port);
    }
}

TEST_F(JobFlowTest, FailedDeviceLeavesThePriorityAlone) {
    InstallPrinter(u"KV-TD520 net", u"\\\\server\\queue");
    DeviceOptions options;
    options.printerName = u"KV-TD520 net";
    auto device = MakeDevice(options);
    const HANDLE thread = GetCurrentThread();
    ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_NORMAL));
    device->pdev()->StateFlags |= kStateOutputFailed;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(DrvStartDoc(device->surface(), nullptr, 0));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
    EXPECT_FALSE(DrvStartPage(device->surface()));
    EXPECT_FALSE(DrvSendPage(device->surface()));
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu) << "a failed output sets no last error";
    // The end of the job reports the failure; the failing write's error was not recorded here.
    EXPECT_FALSE(DrvEndDoc(device->surface(), 0));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
}

TEST_F(JobFlowTest, BadDeviceIsRefusedWithInvalidParameter) {
    SURFOBJ none{};
    auto device = MakeDevice();
    SURFOBJ broken = *device->surface();
    device->pdev()->SignatureEnd = 0;
    for (SURFOBJ* surface : {static_cast<SURFOBJ*>(nullptr), &none, &broken}) {
        SetLastError(0);
        EXPECT_FALSE(DrvStartDoc(surface, nullptr, 0));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        SetLastError(0);
        EXPECT_FALSE(DrvSendPage(surface));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        SetLastError(0);
        EXPECT_FALSE(DrvEndDoc(surface, 0));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    device->pdev()->SignatureEnd = kPdevSignature;
    SetLastError(0);
    EXPECT_FALSE(DrvResetPDEV(device->dhpdev(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(JobFlowTest, EmptyJobWritesNothing) {
    auto device = MakeDevice();
    ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 7));
    ASSERT_TRUE(DrvStartPage(device->surface()));
    EXPECT_TRUE(device->SpooledSoFar().empty());
    EXPECT_EQ(device->pdev()->Output.Count, 0u);

    auto pageless = MakeDevice(DeviceOptions{.printerName = kvtest::kSamplePrinterName, .startSpoolJob = false});
    ASSERT_TRUE(DrvStartDoc(pageless->surface(), nullptr, 0));
    ASSERT_TRUE(DrvEndDoc(pageless->surface(), 0));
    EXPECT_EQ(pageless->pdev()->Output.Count, 0u);
    EXPECT_EQ(pageless->pdev()->FlowFlags, kFlowHeaderPending);
}

TEST_F(JobFlowTest, JobWithoutPagesReachesTheSpoolerEmpty) {
    // Start, end: no header and no trailer reach the spooler.
    auto device = MakeDevice();
    ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
    ASSERT_TRUE(DrvEndDoc(device->surface(), 0));
    EXPECT_TRUE(device->Spooled().empty());
}

TEST_F(JobFlowTest, PageSetupOnlyWhenThePageSettingsChange) {
    // The page setup enters page-control mode (FS Z) before the page's first drawing, and
    // sends the paper format only when the paper or the face layout changed.
    struct Case {
        const char* name;
        WORD pagesPerSheet;
        void (*change)(PDEV*);
        bool setup;
        size_t paperFormats;
    };
    const Case cases[] = {
        {"nothing", 1, [](PDEV*) {}, false, 0},
        {"source", 1, [](PDEV* p) { p->Settings.Public.dmDefaultSource += 1; }, true, 0},
        {"duplex", 1, [](PDEV* p) { p->Settings.Public.dmDuplex = 2; }, true, 0},
        {"face layout", 1, [](PDEV* p) { p->Settings.NupOrder = 1; }, true, 1},
        {"paper code", 1, [](PDEV* p) { p->Geometry.OutputPaper.Code = 105; }, true, 1},
        {"paper size", 1, [](PDEV* p) { p->Geometry.OutputPaper.Height += 25400; }, true, 1},
        {"orientation, one page per sheet", 1, [](PDEV* p) { p->Settings.Public.dmOrientation = 2; }, true, 0},
        {"orientation, 2-up", 2, [](PDEV* p) { p->Settings.Public.dmOrientation = 2; }, false, 0},
        {"source, 2-up", 2, [](PDEV* p) { p->Settings.Public.dmDefaultSource += 1; }, true, 0},
        {"pages per sheet", 1, [](PDEV* p) { p->Settings.PagesPerSheet = 2; }, true, 0},
    };
    for (const Case& c : cases) {
        DeviceOptions options;
        options.pagesPerSheet = c.pagesPerSheet;
        auto device = MakeDevice(options);
        PDEV* p = device->pdev();
        ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
        RunPages(*device, {true});
        c.change(p);
        ASSERT_TRUE(DrvStartPage(device->surface()));
        LeavePageControlMode(p);  // so that entering it again shows
        (void)FlushOutput(p);
        const size_t before = device->SpooledSoFar().size() + p->Output.Count;
        DrawSomething(p);
        (void)FlushOutput(p);
        const std::vector<BYTE> all = device->SpooledSoFar();
        const std::vector<BYTE> page2(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
        ASSERT_GE(page2.size(), 2u) << c.name;
        EXPECT_EQ(page2[0] == 0x1C && page2[1] == 0x5A, c.setup) << c.name;
        EXPECT_EQ(CountOf(page2, kPageSetup), c.paperFormats) << c.name;
    }
}

TEST_F(JobFlowTest, TwoUpWithThreePagesEjectsTwice) {
    DeviceOptions options;
    options.pagesPerSheet = 2;
    auto device = MakeDevice(options);
    PDEV* p = device->pdev();
    ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
    RunPages(*device, {true});
    EXPECT_EQ(p->WantedPage.SlotIndex, 1);
    RunPages(*device, {true});
    EXPECT_EQ(p->WantedPage.SlotIndex, 0);
    EXPECT_EQ(p->WantedPage.SheetCount, 1);
    RunPages(*device, {true});
    EXPECT_EQ(p->WantedPage.PageCount, 4) << "three pages counted from 1";
    ASSERT_TRUE(DrvEndDoc(device->surface(), 0));
    // One after the second page, one for the half-filled sheet in the trailer.
    EXPECT_EQ(CountOf(device->Spooled(), kCrFf), 2u);
}

TEST_F(JobFlowTest, BlankPageIsEjectedOnlyWhenAskedTo) {
    struct Case {
        bool ejectBlank;
        size_t ejects;
        LONG pageCount;
    };
    const Case cases[] = {{false, 1, 2}, {true, 2, 3}};
    for (const Case& c : cases) {
        auto device = MakeDevice();
        PDEV* p = device->pdev();
        if (c.ejectBlank) p->Settings.FeatureFlags |= kFeatureEjectBlankSheets;
        ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
        RunPages(*device, {true, false});
        EXPECT_EQ(p->WantedPage.PageCount, c.pageCount) << "eject blank " << c.ejectBlank;
        (void)FlushOutput(p);
        EXPECT_EQ(CountOf(device->SpooledSoFar(), kCrFf), c.ejects) << "eject blank " << c.ejectBlank;
        ASSERT_TRUE(DrvEndDoc(device->surface(), 0));
    }
}

TEST_F(JobFlowTest, UnitCommandFollowsTheResolution) {
    struct Case {
        SHORT dpi;
        std::string_view units;
    };
    const Case cases[] = {{300, "\x1c&600."}, {240, "\x1c&240."}, {200, "\x1c&400."}, {600, "\x1c&600."},
                          {1200, "\x1c&1200."}};
    for (const Case& c : cases) {
        DeviceOptions options;
        options.dpi = c.dpi;
        auto device = MakeDevice(options);
        ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
        RunPages(*device, {true});
        const std::vector<BYTE> stream = device->Spooled();
        std::string expected(c.units);
        expected += "\x1c" "d240.";  // FS d240. right after it
        EXPECT_EQ(CountOf(stream, expected), 1u) << c.dpi << " dpi";
    }
}

TEST_F(JobFlowTest, FirstDrawingLeavesPageControlModeAfterTheHeader) {
    auto device = MakeDevice();
    ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
    ASSERT_TRUE(DrvStartPage(device->surface()));
    DrawSomething(device->pdev());
    const std::vector<BYTE> stream = device->Spooled();
    const std::string_view setupThenDraw = "1/60,i.\x1c" "Y";
    EXPECT_EQ(CountOf(stream, setupThenDraw), 1u) << "FS Y follows the page setup";
    EXPECT_EQ(CountOf(stream, kJobStart), 1u);
}

TEST_F(JobFlowTest, DocumentNameIsKeptBoundedAndJobIdOnlyWhenGiven) {
    auto device = MakeDevice();
    PDEV* p = device->pdev();
    std::u16string longName(70, u'x');
    longName[63] = u'y';
    ASSERT_TRUE(DrvStartDoc(device->surface(), longName.data(), 12));
    EXPECT_EQ(std::u16string(p->DocumentName), std::u16string(63, u'x') + u"y");
    EXPECT_EQ(p->JobId, 12u);
    ASSERT_TRUE(DrvEndDoc(device->surface(), 0));

    ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
    EXPECT_EQ(p->DocumentName[0], 0);
    EXPECT_EQ(p->JobId, 12u);
    ASSERT_TRUE(DrvEndDoc(device->surface(), 0));
}

TEST_F(JobFlowTest, EndDocReadiesTheDeviceForTheNextJob) {
    auto device = MakeDevice();
    PDEV* p = device->pdev();
    ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
    RunPages(*device, {true, true});
    p->StateFlags |= 0x200 | 0x800 | (1u << 24) | kStateDoubling;
    p->VectorResolution = 600;
    ASSERT_TRUE(DrvEndDoc(device->surface(), 0));

    EXPECT_EQ(p->FlowFlags, kFlowHeaderPending);
    EXPECT_EQ(p->StateFlags & (0x200 | 0x800 | (1u << 24) | kStateDoubling), 0u);
    EXPECT_EQ(p->StateFlags & (kStateClipPath | kStatePageControl), kStateClipPath | kStatePageControl)
        << "page-control mode kept, clip-path mode set";
    EXPECT_EQ(p->VectorResolution, 0);
    EXPECT_EQ(p->SheetBlank, 1u);
    EXPECT_EQ(p->WantedPage.PageCount, 1);
    EXPECT_EQ(p->SentPage.PagesPerSheet, 255);
    EXPECT_GT(p->Draw.ClipRect.right, 4000) << "the whole page in dots + 1";

    // The same device prints a second job with its own header and page setup.
    ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
    RunPages(*device, {true});
    ASSERT_TRUE(DrvEndDoc(device->surface(), 0));
    const std::vector<BYTE> stream = device->Spooled();
    EXPECT_EQ(CountOf(stream, kPageSetup), 2u) << "one per job";
    EXPECT_GE(CountOf(stream, kJobStart), 2u);
}

TEST_F(JobFlowTest, StartBandingWhitensTheBand) {
    auto device = MakeDevice();
    BYTE bits[16] = {};
    SURFOBJ band{};
    band.dhpdev = device->dhpdev();
    band.iType = STYPE_BITMAP;
    band.pvBits = bits;
    band.cjBits = sizeof bits;
    POINTL origin{5, 5};
    EXPECT_TRUE(DrvStartBanding(&band, &origin));
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_EQ(bits[0], 0xFF);
    EXPECT_EQ(bits[15], 0xFF);

    // With a shadow bitmap the engine draws there: that one is whitened instead.
    BYTE shadowBits[8] = {};
    SURFOBJ shadow = band;
    shadow.pvBits = shadowBits;
    shadow.cjBits = sizeof shadowBits;
    device->pdev()->ShadowSurface = &shadow;
    std::memset(bits, 0, sizeof bits);
    EXPECT_TRUE(DrvStartBanding(&band, nullptr));
    EXPECT_EQ(shadowBits[7], 0xFF);
    EXPECT_EQ(bits[0], 0x00);
    device->pdev()->ShadowSurface = nullptr;
}

TEST_F(JobFlowTest, PagesPerSheetOutsideTheTablePrintsOnePerSheet) {
    for (const WORD pages : {WORD{0}, WORD{3}, WORD{17}, WORD{0xFFFF}}) {
        auto device = MakeDevice();
        PDEV* p = device->pdev();
        ASSERT_TRUE(DrvStartDoc(device->surface(), nullptr, 0));
        p->Settings.PagesPerSheet = pages;
        p->WantedPage.SlotIndex = 0;
        RunPages(*device, {true, true});
        EXPECT_EQ(p->WantedPage.SlotIndex, 0) << pages;
        EXPECT_EQ(p->WantedPage.SheetCount, 2) << pages;
    }
}

}  // namespace
}  // namespace flowtest

namespace flowtest {
namespace {

TEST_F(JobFlowTest, GraphicsOnlyPageStartsWhiteOverWholeScanLineWords) {
    DeviceOptions options;
    options.dpi = 240;
    auto device = MakeDevice(options);
    PDEV* p = device->pdev();
    p->Settings.FeatureFlags |= kFeatureGraphicsOnly;
    // 256 dots wide (a whole number of 32-bit words, so one more column) and 10 high.
    p->Geometry.InputPaper.Printable = RECTL{0, 0, 27093, 1058};

    const HBITMAP bitmap = EngCreateBitmap(SIZEL{320, 12}, 40, BMF_1BPP, BMF_TOPDOWN, nullptr);
    ASSERT_NE(bitmap, nullptr);
    SURFOBJ* band = EngLockSurface(bitmap);
    ASSERT_NE(band, nullptr);
    band->dhpdev = device->dhpdev();
    ASSERT_TRUE(DrvStartPage(band));
    const auto white = [band](int x, int y) {
        const BYTE* row = static_cast<const BYTE*>(band->pvScan0) + y * band->lDelta;
        return (row[x / 8] & (0x80 >> (x % 8))) != 0;
    };
    EXPECT_TRUE(white(0, 0));
    EXPECT_TRUE(white(256, 0));
    EXPECT_FALSE(white(257, 0));
    EXPECT_TRUE(white(100, 9));
    EXPECT_FALSE(white(100, 10));
    EngUnlockSurface(band);
    EngDeleteSurface(bitmap);
}

}  // namespace
}  // namespace flowtest
