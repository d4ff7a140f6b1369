#include "tests/render_pjl/PjlFixture.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "render/OutputStream.h"
#include "settings/ModelCache.h"

namespace kvpjl {

std::vector<BYTE> Bytes(std::string_view text) { return std::vector<BYTE>(text.begin(), text.end()); }

std::string Text(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string FirstPjlLine(const std::vector<BYTE>& stream) {
    const std::string text = Text(stream);
    const size_t start = text.find(kUel);
    if (start == std::string::npos) return {};
    const size_t from = start + std::strlen(kUel);
    const size_t end = text.find("\r\n", from);
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

void PjlTest::SetUp() {
    SamplePdevTest::SetUp();
    ASSERT_NE(strings_, nullptr) << "the string-table module was not built";
    printer_ = std::make_unique<kvtest::ScopedPrinter>();
    ASSERT_NE(printer_->handle(), nullptr);
    model_ = AcquireModelDescription(printer_->handle());
    ASSERT_NE(model_, nullptr);

    pdev_ = std::make_unique<PDEV>();
    PDEV& p = *pdev_;
    p.Signature = kPdevSignature;
    p.SignatureEnd = kPdevSignature;
    p.ChainHead = &chain_;
    p.Printer = printer_->handle();
    p.Module = strings_;
    p.Model = model_;
    BuildDefaultDevMode(&p.Settings, p.Printer, nullptr, model_);
    p.Output.Capacity = kOutputBufferSize;
    p.Output.WritePos = p.Output.Data;
    p.StateFlags = kStatePageControl;
    p.FlowFlags = kFlowHeaderPending;
    p.Geometry.ScalePercent = 100;
    p.Geometry.InputPaper = A4Paper();
    p.Geometry.OutputPaper = A4Paper();
    p.Limits.GlyphMemory = 8192;
    p.ProcessGuid = GUID{0x01020304, 0x0506, 0x0708, {9, 10, 1, 2, 3, 250, 255, 0}};
    p.JobId = 42;
    for (PageSettings* page : {&p.SentPage, &p.WantedPage}) {
        page->Orientation = 255;
        page->Duplex = 255;
        page->PagesPerSheet = 255;
        page->PageCount = 1;
        page->NupDown = page->NupAcross = page->NupOrder = 0xFF;
        page->FurtherWord = 1;
    }

    std::u16string document = u"pjl test";
    DOC_INFO_1W info{document.data(), nullptr, nullptr};
    jobId_ = StartDocPrinterW(p.Printer, 1, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(jobId_, 0u);
}

void PjlTest::TearDown() {
    if (pdev_ != nullptr) {
        CloseCaptureFile(pdev_.get());
        if (pdev_->JobFile != nullptr && pdev_->JobFile != INVALID_HANDLE_VALUE) CloseHandle(pdev_->JobFile);
    }
    if (printer_ != nullptr && printer_->handle() != nullptr && jobId_ != 0) EndDocPrinter(printer_->handle());
    ReleaseModelDescription(model_);
    PoolFreeAll(&chain_);
    printer_.reset();
    SamplePdevTest::TearDown();
}

std::vector<BYTE> PjlTest::Spooled() {
    FlushOutput(pdev_.get());
    return standin::JobBytes(kvtest::kSamplePrinterName, jobId_);
}

std::vector<BYTE> PjlTest::TakeBuffered() {
    OutputBuffer& out = pdev_->Output;
    std::vector<BYTE> bytes(out.Data, out.Data + out.Count);
    out.Count = 0;
    out.WritePos = out.Data;
    return bytes;
}

void PjlTest::UseFileMode() {
    Settings().RelaydockFlags |= kRelaydockFileMode;
    SetWide(Pdev().JobFolder, u"C:\\jobs");
    SetWide(Pdev().JobFileName, u"REPORT");
}

std::vector<BYTE> PjlTest::JobFileBytes() {
    FlushOutput(pdev_.get());
    if (pdev_->JobFile != nullptr && pdev_->JobFile != INVALID_HANDLE_VALUE) CloseHandle(pdev_->JobFile);
    pdev_->JobFile = nullptr;
    return ReadFile(u"C:\\jobs\\REPORT00000.prn");
}

void PjlTest::SetWide(WCHAR* field, size_t cchField, const std::u16string& text) {
    std::fill(field, field + cchField, u'\0');
    std::copy_n(text.begin(), std::min(text.size(), cchField), field);
}

}  // namespace kvpjl
