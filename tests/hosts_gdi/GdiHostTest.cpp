// The GDI host against a fake driver that logs its hooks: loading and its refusals, the hook
// order of a document, banding, failing hooks, escapes, device resets, and the engine-drawn
// reference page.
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "tests/hosts_gdi/fake/FakeDriver.h"
#include "tests/support/TestRoot.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {
namespace {

constexpr char16_t kFakeDriver[] = u"KVFAKEDRV.dll";
using Lines = std::vector<std::string>;

class GdiHostTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        SamplePrinterOptions options;
        options.copyDataFile = false;
        options.installLanguageLibraries = false;
        InstallSamplePrinter(options);
        // The test's own reference keeps the fake's state across the host's loads.
        fake_ = LoadLibraryW(kFakeDriver);
        ASSERT_NE(fake_, nullptr) << GetLastError();
        setup_ = reinterpret_cast<FakeDriverSetupProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(fake_, "FakeDriverSetup")));
        calls_ = reinterpret_cast<FakeDriverCallsProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(fake_, "FakeDriverCalls")));
        ASSERT_NE(setup_, nullptr);
        ASSERT_NE(calls_, nullptr);
        setup_(nullptr);
    }
    void TearDown() override {
        dc_.Close();
        EXPECT_TRUE(driver_.Unload());
        if (fake_ != nullptr) FreeLibrary(fake_);
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u);
        EXPECT_EQ(standin::engine::LiveSurfaceCount(), 0u);
        StandInTest::TearDown();
    }

    /// The fake's behaviour from now on; its device numbering goes on.
    void Use(const fakedriver::Behaviour& behaviour) { setup_(&behaviour); }
    static fakedriver::Behaviour Failing(const char* hook) {
        fakedriver::Behaviour b;
        std::strncpy(b.failHook, hook, sizeof(b.failHook) - 1);
        return b;
    }
    /// The hooks called since the last look.
    Lines Calls() {
        Lines lines;
        std::istringstream in(calls_());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    void LoadAndOpen(const std::vector<BYTE>& devMode = {}) {
        ASSERT_TRUE(driver_.Load(kFakeDriver)) << GetLastError();
        ASSERT_TRUE(dc_.Open(kSamplePrinterName, devMode)) << GetLastError();
        Calls();
    }
    static std::vector<BYTE> DevModeWithCopies(SHORT copies) {
        std::vector<BYTE> bytes = PublicDevMode(u"A4", 9);
        SHORT value = copies;
        std::memcpy(bytes.data() + offsetof(DEVMODEW, dmCopies), &value, sizeof(value));
        return bytes;
    }
    std::string JobText() {
        std::vector<BYTE> bytes = standin::JobBytes(kSamplePrinterName, dc_.JobId());
        return std::string(bytes.begin(), bytes.end());
    }

    HMODULE fake_ = nullptr;
    FakeDriverSetupProc setup_ = nullptr;
    FakeDriverCallsProc calls_ = nullptr;
    gdihost::DriverModule driver_;
    gdihost::PrinterDC dc_{driver_};
};

TEST_F(GdiHostTest, LoadTakesTheHookTableAndUnloadDisablesTheDriver) {
    ASSERT_TRUE(driver_.Load(kFakeDriver));
    EXPECT_EQ(Calls(), Lines{"DrvEnableDriver version=20000 size=" + std::to_string(sizeof(DRVENABLEDATA))});
    EXPECT_EQ(driver_.DriverVersion(), DDI_DRIVER_VERSION_NT5);
    EXPECT_TRUE(driver_.UserMode());
    EXPECT_EQ(driver_.HookOrder().size(), 17u);
    EXPECT_EQ(driver_.HookOrder().front(), INDEX_DrvEnablePDEV);
    EXPECT_NE(driver_.Hook(INDEX_DrvNextBand), nullptr);
    EXPECT_EQ(driver_.Hook(INDEX_DrvPaint), nullptr);
    EXPECT_EQ(driver_.Hook(INDEX_LAST + 1), nullptr);
    EXPECT_FALSE(driver_.Load(kFakeDriver));
    EXPECT_EQ(GetLastError(), ERROR_BUSY);

    // No unloading from under an open device.
    ASSERT_TRUE(dc_.Open(kSamplePrinterName, nullptr));
    EXPECT_FALSE(driver_.Unload());
    EXPECT_EQ(GetLastError(), ERROR_BUSY);
    dc_.Close();
    Calls();
    EXPECT_TRUE(driver_.Unload());
    EXPECT_EQ(Calls(), Lines{"DrvDisableDriver"});
    EXPECT_FALSE(driver_.Loaded());
}

TEST_F(GdiHostTest, ADriverThatRefusesOrIsMalformedIsNotKept) {
    const std::string enabled = "DrvEnableDriver version=20000 size=" + std::to_string(sizeof(DRVENABLEDATA));
    fakedriver::Behaviour refuses;
    refuses.refuseEnableDriver = TRUE;
    fakedriver::Behaviour malformed;
    malformed.malformedTable = TRUE;
    struct Case {
        const char* what;
        std::u16string module;
        fakedriver::Behaviour behaviour;
        DWORD error;
        Lines calls;
    } cases[] = {
        {"enable refused", kFakeDriver, refuses, ERROR_BAD_DRIVER_LEVEL, {enabled}},
        {"malformed table", kFakeDriver, malformed, ERROR_INVALID_DATA, {enabled, "DrvDisableDriver"}},
        {"no such module", u"KVNODRV.dll", {}, ERROR_MOD_NOT_FOUND, {}},
        {"no DrvEnableDriver", u"kernel32.dll", {}, ERROR_PROC_NOT_FOUND, {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(c.behaviour);
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(driver_.Load(c.module));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_FALSE(driver_.Loaded());
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_FALSE(dc_.Open(kSamplePrinterName, nullptr));
    }
}

TEST_F(GdiHostTest, TwoPageDocumentCallsTheHooksInOrderAndWritesToTheJob) {
    LoadAndOpen(DevModeWithCopies(2));
    EXPECT_FALSE(dc_.Banding());
    EXPECT_EQ(dc_.GdiInfo().ulHorzRes, static_cast<ULONG>(fakedriver::kWidth));
    EXPECT_EQ(dc_.DevInfo().iDitherFormat, BMF_24BPP);

    ASSERT_TRUE(dc_.StartDoc(u"Report"));
    const DWORD job = dc_.JobId();
    EXPECT_EQ(job, standin::LastJobId(kSamplePrinterName));
    ASSERT_TRUE(dc_.StartPage());
    EXPECT_TRUE(dc_.FillRect(RECTL{10, 20, 2, 4}, true));  // corners in either order
    EXPECT_TRUE(dc_.FillPolygon({{0, 0}, {8, 0}, {0, 8}}));
    EXPECT_TRUE(dc_.Line({1, 2}, {30, 2}, 3));
    EXPECT_TRUE(dc_.Text(5, 6, u"Hi", 10));
    EXPECT_TRUE(dc_.EndPage());
    ASSERT_TRUE(dc_.StartPage());
    EXPECT_TRUE(dc_.FillRect(RECTL{0, 0, 4, 4}, false));
    EXPECT_TRUE(dc_.EndPage());
    EXPECT_TRUE(dc_.EndDoc());

    const Lines expected = {
        "DrvStartDoc #1 name=Report job=" + std::to_string(job),
        "DrvStartPage #1",
        "DrvBitBlt #1 rect=2,4,10,20 rop=F0F0 color=000000 clip=1",
        "DrvFillPath #1 bounds=0,0,8,8 mix=0D0D fill=1",
        "DrvStrokePath #1 bounds=1,2,30,2 width=3",
        "DrvTextOut #1 text=Hi at=5,14",
        "DrvSendPage #1",
        "DrvStartPage #1",
        "DrvBitBlt #1 rect=0,0,4,4 rop=F0F0 color=FFFFFF clip=1",
        "DrvSendPage #1",
        "DrvEndDoc #1 flags=0",
    };
    EXPECT_EQ(Calls(), expected);
    EXPECT_EQ(JobText(), "SD;PG;PG;ED;");
    EXPECT_EQ(standin::JobWriteSizes(kSamplePrinterName, job), (std::vector<DWORD>{3, 3, 3, 3}));
    const standin::JobSummary summary = standin::DescribeJob(kSamplePrinterName, job);
    EXPECT_EQ(summary.state, standin::JobState::Complete);
    EXPECT_EQ(summary.pages, 2u);

    dc_.Close();
    EXPECT_EQ(Calls(), (Lines{"DrvDisableSurface #1", "DrvDisablePDEV #1"}));
}

TEST_F(GdiHostTest, BandingPlaysThePageIntoEveryBandUntilTheDriverSaysDone) {
    fakedriver::Behaviour banding;
    banding.banding = TRUE;
    banding.bands = 3;
    Use(banding);
    LoadAndOpen();
    EXPECT_TRUE(dc_.Banding());
    ASSERT_TRUE(dc_.StartDoc(u"Bands"));
    ASSERT_TRUE(dc_.StartPage());
    // A triangle in the first band (drawn by the engine: the surface does not hook fills),
    // a square in the second (through the driver's blit), nothing in the third.
    ASSERT_TRUE(dc_.FillPolygon({{4, 4}, {40, 4}, {4, 40}}));
    ASSERT_TRUE(dc_.FillRect(RECTL{20, 60, 30, 70}, true));
    ASSERT_TRUE(dc_.EndPage());
    EXPECT_EQ(dc_.LastPageBands(), 3u);
    ASSERT_TRUE(dc_.EndDoc());

    gdihost::PageBitmap reference;
    ASSERT_TRUE(gdihost::RenderReference(SIZEL{fakedriver::kWidth, 3 * fakedriver::kHeight}, dc_.PageOps(),
                                         &reference));
    unsigned bandBlack[3] = {};
    for (LONG y = 0; y < reference.size.cy; ++y)
        for (LONG x = 0; x < reference.size.cx; ++x)
            if (reference.Black(x, y)) ++bandBlack[y / fakedriver::kHeight];
    EXPECT_GT(bandBlack[0], 0u);
    EXPECT_EQ(bandBlack[1], 100u);
    EXPECT_EQ(bandBlack[2], 0u);

    const Lines expected = {
        "DrvStartDoc #1 name=Bands job=1",
        "DrvStartPage #1",
        "DrvStartBanding #1",
        "DrvBitBlt #1 rect=20,60,30,70 rop=F0F0 color=000000 clip=1",
        "DrvNextBand #1 band=1 black=" + std::to_string(bandBlack[0]),
        "DrvBitBlt #1 rect=20,12,30,22 rop=F0F0 color=000000 clip=1",
        "DrvNextBand #1 band=2 black=100",
        "DrvBitBlt #1 rect=20,-36,30,-26 rop=F0F0 color=000000 clip=1",
        "DrvNextBand #1 band=3 black=0",
        "DrvEndDoc #1 flags=0",
    };
    EXPECT_EQ(Calls(), expected);
    EXPECT_EQ(JobText(), "SD;BD;BD;BD;ED;");
}

TEST_F(GdiHostTest, BandsThatNeverEndAreCutOff) {
    fakedriver::Behaviour endless;
    endless.banding = TRUE;
    endless.endlessBands = TRUE;
    Use(endless);
    LoadAndOpen();
    ASSERT_TRUE(dc_.StartDoc(u"Endless"));
    ASSERT_TRUE(dc_.StartPage());
    EXPECT_FALSE(dc_.EndPage());
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    EXPECT_EQ(dc_.FailedHook(), "DrvNextBand");
    EXPECT_EQ(dc_.LastPageBands(), gdihost::PrinterDC::kMaxBands);
    EXPECT_TRUE(dc_.EndDoc());
}

TEST_F(GdiHostTest, AFailingHookFailsItsCallAndTheRestStillRuns) {
    struct Case {
        const char* hook;
        const char* failingCall;
        Lines calls;
        standin::JobState jobState;
    } cases[] = {
        {"DrvStartDoc", "StartDoc", {"DrvStartDoc #1 name=Doc job=1"}, standin::JobState::Aborted},
        {"DrvStartPage", "StartPage", {"DrvStartDoc #1 name=Doc job=1", "DrvStartPage #1", "DrvEndDoc #1 flags=0"},
         standin::JobState::Complete},
        {"DrvBitBlt", "EndPage",
         {"DrvStartDoc #1 name=Doc job=1", "DrvStartPage #1",
          "DrvBitBlt #1 rect=0,0,2,2 rop=F0F0 color=000000 clip=1", "DrvSendPage #1", "DrvEndDoc #1 flags=0"},
         standin::JobState::Complete},
        {"DrvSendPage", "EndPage",
         {"DrvStartDoc #1 name=Doc job=1", "DrvStartPage #1",
          "DrvBitBlt #1 rect=0,0,2,2 rop=F0F0 color=000000 clip=1", "DrvSendPage #1", "DrvEndDoc #1 flags=0"},
         standin::JobState::Complete},
        {"DrvEndDoc", "EndDoc",
         {"DrvStartDoc #1 name=Doc job=1", "DrvStartPage #1",
          "DrvBitBlt #1 rect=0,0,2,2 rop=F0F0 color=000000 clip=1", "DrvSendPage #1", "DrvEndDoc #1 flags=0"},
         standin::JobState::Complete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hook);
        standin::ResetSpooler();
        SamplePrinterOptions options;
        options.copyDataFile = false;
        options.installLanguageLibraries = false;
        InstallSamplePrinter(options);
        setup_(nullptr);
        Use(Failing(c.hook));
        LoadAndOpen();
        const std::string failing = c.failingCall;
        BOOL ok = dc_.StartDoc(u"Doc");
        EXPECT_EQ(ok, failing != "StartDoc");
        if (ok) {
            BOOL page = dc_.StartPage();
            EXPECT_EQ(page, failing != "StartPage");
            if (page) {
                EXPECT_TRUE(dc_.FillRect(RECTL{0, 0, 2, 2}, true));
                EXPECT_EQ(dc_.EndPage(), failing != "EndPage");
            }
            EXPECT_EQ(dc_.EndDoc(), failing != "EndDoc");
        }
        EXPECT_EQ(dc_.FailedHook(), c.hook);
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_EQ(standin::DescribeJob(kSamplePrinterName, 1).state, c.jobState);
        dc_.Close();
        EXPECT_TRUE(driver_.Unload());
    }
}

TEST_F(GdiHostTest, ADeviceOrSurfaceTheDriverRefusesLeavesNothingOpen) {
    struct Case {
        const char* hook;
        Lines calls;
    } cases[] = {
        {"DrvEnablePDEV", {"DrvEnablePDEV #1 device=KV-TD520 copies=0"}},
        {"DrvEnableSurface",
         {"DrvEnablePDEV #2 device=KV-TD520 copies=0", "DrvCompletePDEV #2", "DrvEnableSurface #2",
          "DrvDisablePDEV #2"}},
    };
    ASSERT_TRUE(driver_.Load(kFakeDriver));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hook);
        Use(Failing(c.hook));
        EXPECT_FALSE(dc_.Open(kSamplePrinterName, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
        EXPECT_EQ(dc_.FailedHook(), c.hook);
        EXPECT_FALSE(dc_.IsOpen());
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u);
    }
    Use({});
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(dc_.Open(u"No such printer", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
    EXPECT_TRUE(Calls().empty());
    // A DEVMODE that claims more bytes than it has never reaches the driver.
    std::vector<BYTE> truncated = DevModeWithCopies(1);
    truncated.pop_back();
    EXPECT_FALSE(dc_.Open(kSamplePrinterName, truncated));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(GdiHostTest, EscapesReachTheDriverBothWays) {
    EXPECT_EQ(dc_.Escape(4097, nullptr, 0, nullptr, 0), 0u);  // no device yet
    LoadAndOpen();
    const char in[] = {'a', 'b', 'c'};
    char out[8] = {};
    EXPECT_EQ(dc_.Escape(4097, in, sizeof(in), out, sizeof(out)), 1003u);
    EXPECT_EQ(std::string(out), "cba");
    EXPECT_EQ(Calls(), Lines{"DrvEscape #1 esc=4097 in=3 out=8"});
}

TEST_F(GdiHostTest, ResetMovesTheJobToANewDeviceInTheEngineOrder) {
    LoadAndOpen(DevModeWithCopies(1));
    ASSERT_TRUE(dc_.StartDoc(u"Reset"));
    ASSERT_TRUE(dc_.StartPage());
    EXPECT_FALSE(dc_.ResetDevice(DevModeWithCopies(3)));  // never inside a page
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(dc_.EndPage());
    Calls();

    ASSERT_TRUE(dc_.ResetDevice(DevModeWithCopies(3)));
    const Lines reset = {
        "DrvEnablePDEV #2 device=KV-TD520 copies=3",
        "DrvCompletePDEV #2",
        "DrvResetPDEV #1 -> #2",
        "DrvDisableSurface #1",
        "DrvDisablePDEV #1",
        "DrvEnableSurface #2",
    };
    EXPECT_EQ(Calls(), reset);

    // A refused reset keeps the device the job is on.
    Use(Failing("DrvResetPDEV"));
    EXPECT_FALSE(dc_.ResetDevice(DevModeWithCopies(4)));
    EXPECT_EQ(dc_.FailedHook(), "DrvResetPDEV");
    EXPECT_EQ(Calls(), (Lines{"DrvEnablePDEV #3 device=KV-TD520 copies=4", "DrvCompletePDEV #3",
                              "DrvResetPDEV #2 -> #3", "DrvDisablePDEV #3"}));
    Use({});
    ASSERT_TRUE(dc_.StartPage());
    ASSERT_TRUE(dc_.EndPage());
    ASSERT_TRUE(dc_.EndDoc());
    EXPECT_EQ(Calls(), (Lines{"DrvStartPage #2", "DrvSendPage #2", "DrvEndDoc #2 flags=0"}));
    EXPECT_EQ(JobText(), "SD;PG;PG;ED;");
}

TEST_F(GdiHostTest, DrawingNeedsAPageAndAShape) {
    LoadAndOpen();
    EXPECT_FALSE(dc_.FillRect(RECTL{0, 0, 4, 4}, true));  // no document, no page
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(dc_.StartPage());
    ASSERT_TRUE(dc_.StartDoc(u"Shapes"));
    ASSERT_TRUE(dc_.StartPage());
    struct Case {
        const char* what;
        BOOL ok;
    } cases[] = {
        {"empty rectangle", dc_.FillRect(RECTL{3, 3, 3, 9}, true)},
        {"two-point polygon", dc_.FillPolygon({{0, 0}, {5, 5}})},
        {"zero-width line", dc_.Line({0, 0}, {5, 5}, 0)},
        {"empty text", dc_.Text(0, 0, u"", 10)},
        {"text without height", dc_.Text(0, 0, u"x", 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.ok);
    }
    EXPECT_TRUE(dc_.PageOps().empty());
    EXPECT_TRUE(dc_.EndDoc());  // ends the open page first
    EXPECT_EQ(Calls(), (Lines{"DrvStartDoc #1 name=Shapes job=1", "DrvStartPage #1", "DrvSendPage #1",
                              "DrvEndDoc #1 flags=0"}));
}

TEST_F(GdiHostTest, ClosingWithADocumentOpenAbortsIt) {
    LoadAndOpen();
    ASSERT_TRUE(dc_.StartDoc(u"Dropped"));
    const DWORD job = dc_.JobId();
    dc_.Close();
    EXPECT_EQ(Calls(), (Lines{"DrvStartDoc #1 name=Dropped job=1", "DrvEndDoc #1 flags=1", "DrvDisableSurface #1",
                              "DrvDisablePDEV #1"}));
    EXPECT_EQ(standin::DescribeJob(kSamplePrinterName, job).state, standin::JobState::Aborted);
}

TEST_F(GdiHostTest, TheReferencePageIsWhatTheEngineDraws) {
    gdihost::DrawOp black;
    black.rect = RECTL{2, 3, 10, 7};
    gdihost::DrawOp white;
    white.rect = RECTL{4, 3, 6, 7};
    white.black = false;
    gdihost::PageBitmap page;
    ASSERT_TRUE(gdihost::RenderReference(SIZEL{20, 10}, {black, white}, &page));
    EXPECT_EQ(page.stride, 3);
    EXPECT_EQ(page.BlackCount(), 24u);
    EXPECT_TRUE(page.Black(2, 3));
    EXPECT_FALSE(page.Black(4, 3));
    EXPECT_FALSE(page.Black(10, 3));
    EXPECT_FALSE(page.Black(-1, 3));

    gdihost::DrawOp text;
    text.kind = gdihost::DrawOp::Kind::Text;
    text.origin = POINTL{2, 2};
    text.text = u"H";
    text.heightDots = 20;
    ASSERT_TRUE(gdihost::RenderReference(SIZEL{40, 40}, {text}, &page));
    EXPECT_GT(page.BlackCount(), 0u);
    for (LONG y = 0; y < 40; ++y)
        for (LONG x = 0; x < 40; ++x)
            if (page.Black(x, y)) {
                EXPECT_TRUE(x >= 2 && x < 14 && y >= 2 && y < 22) << x << "," << y;
            }

    EXPECT_FALSE(gdihost::RenderReference(SIZEL{0, 10}, {}, &page));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(standin::engine::LiveSurfaceCount(), 0u);
}

}  // namespace
}  // namespace kvtest
