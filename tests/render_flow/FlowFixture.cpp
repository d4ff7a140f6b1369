#include "tests/render_flow/FlowFixture.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "render/JobFlow.h"
#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"

namespace flowtest {

namespace {

PaperRecord Paper(const std::u16string& name, LONG width, LONG height, RECTL printable, DWORD code) {
    PaperRecord paper{};
    std::copy(name.begin(), name.end(), paper.Name);
    paper.Width = width;
    paper.Height = height;
    paper.Printable = printable;
    paper.Code = code;
    return paper;
}

}  // namespace

TestDevice::TestDevice(const DeviceOptions& options, HMODULE strings) : name_(options.printerName) {
    std::u16string name = name_;
    if (!OpenPrinterW(name.data(), &printer_, nullptr)) return;
    model_ = AcquireModelDescription(printer_);
    if (model_ == nullptr) return;
    pdev_ = static_cast<PDEV*>(PoolAlloc(&chain_, sizeof(PDEV)));
    if (pdev_ == nullptr) return;

    PDEV& p = *pdev_;
    p.Signature = p.SignatureEnd = kPdevSignature;
    p.ChainHead = &chain_;
    p.Printer = printer_;
    p.Module = strings;
    p.Model = model_;
    DriverDevMode& s = p.Settings;
    BuildDefaultDevMode(&s, printer_, nullptr, model_);
    s.Public.dmPrintQuality = options.dpi;
    s.Public.dmCopies = 1;
    s.Public.dmOrientation = 1;
    s.Public.dmDuplex = 1;
    s.PagesPerSheet = options.pagesPerSheet;
    s.LayoutScale = 100;
    s.FeatureFlags &= ~(kFeatureEjectBlankSheets | (1u << 2) | kFeatureGraphicsOnly);
    s.PageOptionBits = 0;
    s.CoverFlags = 0;
    s.PageFrame = 0;
    s.PageStampSwitch = 0;
    s.RelaydockFlags = 0;
    s.OverlayFlags = 0;
    s.LogControl = 0;
    s.NupDown = s.NupAcross = 1;
    s.NupOrder = 0;

    p.Output.Capacity = kOutputBufferSize;
    p.Output.WritePos = p.Output.Data;
    p.Geometry.ScalePercent = 100;
    p.Geometry.InputPaper = Paper(u"A4", 210000, 297000, RECTL{4230, 4230, 205770, 292770}, 101);
    p.Geometry.OutputPaper = Paper(u"15x11inch", 381000, 279400, RECTL{12700, 0, 368300, 275100}, 134);
    p.StateFlags = kStatePageControl;
    p.FlowFlags = kFlowHeaderPending;
    p.UnitFactor = (options.dpi == 200 || options.dpi == 300) ? 2 : 1;
    p.DownloadFontId = 0xF000;
    ResetPageSettings(&p);
    ResetPrinterState(&p);
    ResetGraphicsState(&p);
    p.SheetBlank = 0;  // as a newly enabled device

    surface_.dhpdev = reinterpret_cast<DHPDEV>(pdev_);
    surface_.iType = STYPE_DEVICE;

    if (options.startSpoolJob) {
        std::u16string document = u"flow test";
        DOC_INFO_1W info{document.data(), nullptr, nullptr};
        jobId_ = StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&info));
        docOpen_ = jobId_ != 0;
    }
}

TestDevice::~TestDevice() {
    if (pdev_ != nullptr) {
        CloseCaptureFile(pdev_);
        if (pdev_->JobFile != nullptr && pdev_->JobFile != INVALID_HANDLE_VALUE) CloseHandle(pdev_->JobFile);
    }
    if (docOpen_) EndDocPrinter(printer_);
    ReleaseModelDescription(model_);
    PoolFreeAll(&chain_);
    if (printer_ != nullptr) ClosePrinter(printer_);
}

std::vector<BYTE> TestDevice::Buffered() const {
    return std::vector<BYTE>(pdev_->Output.Data, pdev_->Output.Data + pdev_->Output.Count);
}

void TestDevice::ClearBuffer() {
    pdev_->Output.Count = 0;
    pdev_->Output.WritePos = pdev_->Output.Data;
}

std::vector<BYTE> TestDevice::Spooled() {
    (void)FlushOutput(pdev_);
    if (docOpen_) {
        EndDocPrinter(printer_);
        docOpen_ = false;
    }
    return standin::JobBytes(name_, jobId_);
}

std::vector<BYTE> TestDevice::SpooledSoFar() const { return standin::JobBytes(name_, jobId_); }

void FlowTest::SetUp() {
    StandInTest::SetUp();
    InitSettingsLock();
    kvtest::InstallSamplePrinter();
    strings_ = LoadLibraryW(u"kvgeometrystrings");
}

void FlowTest::TearDown() {
    if (strings_ != nullptr) FreeLibrary(strings_);
    FreeSettingsLock();
    StandInTest::TearDown();
}

void FlowTest::InstallPrinter(const std::u16string& name, const std::u16string& port) {
    kvtest::SamplePrinterOptions options;
    options.name = name;
    options.port = port;
    kvtest::InstallSamplePrinter(options);
}

std::unique_ptr<TestDevice> FlowTest::MakeDevice(const DeviceOptions& options) {
    auto device = std::make_unique<TestDevice>(options, strings_);
    EXPECT_NE(device->pdev(), nullptr) << "the test device could not be built";
    return device;
}

std::unique_ptr<TestDevice> FlowTest::ReadyDevice(SHORT dpi) {
    DeviceOptions options;
    options.dpi = dpi;
    options.startSpoolJob = false;
    auto device = MakeDevice(options);
    device->pdev()->StateFlags &= ~kStatePageControl;
    return device;
}

void DrawSomething(PDEV* pdev) {
    FlushPendingSetup(pdev);
    LeavePageControlMode(pdev);
    SetClipRectangle(pdev, RECTL{10, 10, 50, 50});
}

size_t CountOf(const std::vector<BYTE>& haystack, std::string_view needle) {
    size_t count = 0;
    auto it = haystack.begin();
    while ((it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end()) {
        ++count;
        ++it;
    }
    return count;
}

std::vector<BYTE> Bytes(std::string_view text) { return std::vector<BYTE>(text.begin(), text.end()); }

}  // namespace flowtest
