#pragma once
// A device state built by hand for the flow and drawing-state tests: the sample printer, its
// model description, default settings with the extras switched off (no end mark, banner,
// frame, stamp, file mode or driver copies), A4 in and 15x11inch out, and a spooler job
// open on the printer so that flushed bytes can be read back.
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

namespace flowtest {

struct DeviceOptions {
    std::u16string printerName = kvtest::kSamplePrinterName;
    SHORT dpi = 600;
    WORD pagesPerSheet = 1;
    bool startSpoolJob = true;
};

/// One hand-built PDEV on its own allocation chain and printer handle.
class TestDevice {
public:
    TestDevice(const DeviceOptions& options, HMODULE strings);
    ~TestDevice();
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    PDEV* pdev() const { return device_.pdev(); }
    SURFOBJ* surface() { return &surface_; }
    DHPDEV dhpdev() const { return reinterpret_cast<DHPDEV>(pdev()); }
    /// Bytes still in the output buffer.
    std::vector<BYTE> Buffered() const;
    void ClearBuffer();
    /// Flushes, ends the spooler document and returns everything the job received.
    std::vector<BYTE> Spooled();
    /// Bytes the spooler job has received so far (without flushing).
    std::vector<BYTE> SpooledSoFar() const;

private:
    std::u16string name_;
    kvtest::SamplePdevOwner device_;
    SURFOBJ surface_{};
    DWORD jobId_ = 0;
    bool docOpen_ = false;
};

class FlowTest : public kvtest::SamplePdevTest {
protected:
    /// Installs one more sample printer (another name and port) for a second device.
    void InstallPrinter(const std::u16string& name, const std::u16string& port);
    std::unique_ptr<TestDevice> MakeDevice(const DeviceOptions& options = {});
    /// A one-page device out of page-control mode with an empty buffer, no spool job.
    std::unique_ptr<TestDevice> ReadyDevice(SHORT dpi = 600);

};

/// What a drawing hook does before its own commands, and one clip rectangle as the drawing.
void DrawSomething(PDEV* pdev);
using kvtest::CountOf;
std::vector<BYTE> Bytes(std::string_view text);

inline constexpr std::string_view kPageSetup = "\x1c" "f1LP";  // paper-format command
inline constexpr std::string_view kCrFf = "\r\x0c";            // eject
inline constexpr std::string_view kJobStart = "@PJL JOB NAME=";

}  // namespace flowtest
