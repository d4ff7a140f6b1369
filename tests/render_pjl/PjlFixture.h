#pragma once
// A device built by hand for the job frame and page setup tests: the sample printer with its
// model description and default settings, the rendering library's string table, A4 papers,
// and a spooler job started on the printer so that the stream reaches WritePrinter.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/Pdev.h"
#include "settings/MemoryPool.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/SamplePdev.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvpjl {

using Golden = kvtest::GoldenStream;

std::vector<BYTE> Bytes(std::string_view text);
std::string Text(const std::vector<BYTE>& bytes);
/// The first line of a stream after its opening UEL, without CR LF.
std::string FirstPjlLine(const std::vector<BYTE>& stream);
using kvtest::CountOf;

inline constexpr char kUel[] = "\x1b%-12345X";
inline constexpr char kEscC1[] = "\x1b" "c1";

class PjlTest : public kvtest::SamplePdevTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Flushes the device and returns the job's bytes so far.
    std::vector<BYTE> Spooled();
    /// What the device holds in its buffer (nothing sent), and the buffer emptied.
    std::vector<BYTE> TakeBuffered();
    /// File mode with the job folder C:\jobs and the base name REPORT.
    void UseFileMode();
    /// Closes the job file and returns its bytes.
    std::vector<BYTE> JobFileBytes();
    void SetWide(WCHAR* field, size_t cchField, const std::u16string& text);
    template <size_t N>
    void SetWide(WCHAR (&field)[N], const std::u16string& text) {
        SetWide(field, N, text);
    }

    PDEV& Pdev() { return *pdev_; }
    DriverDevMode& Settings() { return pdev_->Settings; }

    std::unique_ptr<kvtest::ScopedPrinter> printer_;
    const ModelDescription* model_ = nullptr;
    PoolBlock* chain_ = nullptr;
    std::unique_ptr<PDEV> pdev_;
    DWORD jobId_ = 0;
};

/// An A4 paper record (code 101, 4230 µm margins).
using kvtest::A4Paper;

}  // namespace kvpjl
