#pragma once
// A device state built by hand around the output stream: zeroed, signatures set, settings
// filled by the test, on its own allocation chain, with a spooler job started on the
// sample printer so that WritePrinter lands in a job the test can read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "render/JobFiles.h"
#include "render/OutputStream.h"
#include "render/Pdev.h"
#include "settings/MemoryPool.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/TestRoot.h"

namespace streamtest {

inline constexpr char16_t kPrinter[] = u"KV-TD520";

using kvtest::SameBytes;

inline std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }
inline std::vector<BYTE> Concat(std::initializer_list<std::vector<BYTE>> parts) {
    std::vector<BYTE> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
/// Bytes that differ from their neighbours, so a moved or lost piece shows.
inline std::vector<BYTE> Pattern(size_t count, BYTE seed) {
    std::vector<BYTE> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<BYTE>(seed + i * 7 + i / 251);
    return bytes;
}

class StreamTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::PrinterSetup printer;
        printer.name = kPrinter;
        standin::AddPrinter(printer);
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &printer_, nullptr));
        pdev_ = static_cast<PDEV*>(PoolAlloc(&chain_, sizeof(PDEV)));
        ASSERT_NE(pdev_, nullptr);
        pdev_->Signature = kPdevSignature;
        pdev_->SignatureEnd = kPdevSignature;
        pdev_->ChainHead = &chain_;
        pdev_->Printer = printer_;
        pdev_->Settings.Public.dmCopies = 1;
        pdev_->Settings.Public.dmOrientation = 1;
        pdev_->Settings.Public.dmDuplex = 1;
        pdev_->Settings.PagesPerSheet = 1;
        pdev_->Output.Capacity = kOutputBufferSize;
        pdev_->Output.WritePos = pdev_->Output.Data;
        pdev_->Geometry.ScalePercent = 100;
        pdev_->UnitFactor = 1;
        pdev_->SentOrientation = 1;
        pdev_->WantedPage.PageCount = 1;
        pdev_->FlowFlags = kFlowHeaderPending;
        DOC_INFO_1W doc{const_cast<LPWSTR>(u"stream test"), nullptr, nullptr};
        jobId_ = StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&doc));
        ASSERT_NE(jobId_, 0u);
    }
    void TearDown() override {
        if (pdev_ != nullptr) {
            CloseCaptureFile(pdev_);
            CloseJobFile(pdev_);
        }
        PoolFreeAll(&chain_);
        if (printer_ != nullptr) {
            EndDocPrinter(printer_);
            ClosePrinter(printer_);
        }
        StandInTest::TearDown();
    }

    /// File mode writing into folder (bit 4: the settings' own folder).
    void UseFileMode(const std::u16string& folder, const std::u16string& baseName, WORD extraFlags = 0) {
        pdev_->Settings.RelaydockFlags = kRelaydockFileMode | kRelaydockOwnFolder | kRelaydockOwnFileName | extraFlags;
        std::copy(folder.begin(), folder.end(), pdev_->Settings.JobFolder);
        std::copy(baseName.begin(), baseName.end(), pdev_->Settings.JobFileName);
        PrepareJobFileNames(pdev_);
    }

    std::vector<BYTE> Spooled() const { return standin::JobBytes(kPrinter, jobId_); }
    std::vector<DWORD> WriteSizes() const { return standin::JobWriteSizes(kPrinter, jobId_); }
    /// Everything the destination received once the buffer is flushed.
    std::vector<BYTE> SpooledAfterFlush() {
        FlushOutput(pdev_);
        return Spooled();
    }
    void Write(const std::vector<BYTE>& bytes) { ASSERT_TRUE(WriteOutput(pdev_, bytes.data(), static_cast<DWORD>(bytes.size()))); }

    PoolBlock* chain_ = nullptr;
    PDEV* pdev_ = nullptr;
    HANDLE printer_ = nullptr;
    DWORD jobId_ = 0;
};

}  // namespace streamtest
