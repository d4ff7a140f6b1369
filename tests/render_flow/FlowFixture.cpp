#include "tests/render_flow/FlowFixture.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "tests/support/SamplePdev.h"

namespace flowtest {

TestDevice::TestDevice(const DeviceOptions& options, HMODULE strings) : name_(options.printerName) {
    if (!device_.Make(strings, options.dpi, name_).empty()) return;

    PDEV& p = *pdev();
    DriverDevMode& s = p.Settings;
    kvtest::PlainJobSettings(s, options.pagesPerSheet);
    s.Public.dmDuplex = 1;
    s.LayoutScale = 100;

    p.Geometry.ScalePercent = 100;
    p.Geometry.InputPaper = kvtest::A4Paper();
    p.Geometry.OutputPaper = kvtest::MakePaper(u"15x11inch", 381000, 279400, RECTL{12700, 0, 368300, 275100}, 134);
    p.StateFlags = kStatePageControl;
    p.FlowFlags = kFlowHeaderPending;
    p.DownloadFontId = 0xF000;
    ResetPageSettings(&p);
    ResetPrinterState(&p);
    ResetGraphicsState(&p);
    p.SheetBlank = 0;  // as a newly enabled device

    surface_.dhpdev = reinterpret_cast<DHPDEV>(pdev());
    surface_.iType = STYPE_DEVICE;

    if (options.startSpoolJob) {
        std::u16string document = u"flow test";
        DOC_INFO_1W info{document.data(), nullptr, nullptr};
        jobId_ = StartDocPrinterW(device_.printer(), 1, reinterpret_cast<LPBYTE>(&info));
        docOpen_ = jobId_ != 0;
    }
}

TestDevice::~TestDevice() {
    if (pdev() != nullptr) {
        CloseCaptureFile(pdev());
        if (pdev()->JobFile != nullptr && pdev()->JobFile != INVALID_HANDLE_VALUE) CloseHandle(pdev()->JobFile);
    }
    if (docOpen_) EndDocPrinter(device_.printer());
}

std::vector<BYTE> TestDevice::Buffered() const {
    return std::vector<BYTE>(pdev()->Output.Data, pdev()->Output.Data + pdev()->Output.Count);
}

void TestDevice::ClearBuffer() {
    pdev()->Output.Count = 0;
    pdev()->Output.WritePos = pdev()->Output.Data;
}

std::vector<BYTE> TestDevice::Spooled() {
    (void)FlushOutput(pdev());
    if (docOpen_) {
        EndDocPrinter(device_.printer());
        docOpen_ = false;
    }
    return standin::JobBytes(name_, jobId_);
}

std::vector<BYTE> TestDevice::SpooledSoFar() const { return standin::JobBytes(name_, jobId_); }

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

std::vector<BYTE> Bytes(std::string_view text) { return std::vector<BYTE>(text.begin(), text.end()); }

}  // namespace flowtest
