// A job printed through the rendering library and then passed through the language monitor
// to the file port below it, as the spooler does: the port receives the job byte for byte
// and the monitor's reading of the job's header gives the name the job's PJL carries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "langmon/job/JobHeader.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"
#include "settings/DefaultSettings.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelCache.h"
#include "tests/support/TestRoot.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/JobReader.h"
#include "tools/sample/MonitorPass.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {
namespace {

class MonitorJobTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::monitor::Reset();
        InstallSamplePrinter();
        InitSettingsLock();
        ASSERT_TRUE(driver_.Load(u"" KV_RENDER_NAME ".dll")) << GetLastError();
    }
    void TearDown() override {
        EXPECT_TRUE(driver_.Unload());
        FreeSettingsLock();
        StandInTest::TearDown();
    }

    std::vector<BYTE> Settings(SHORT dpi) {
        std::vector<BYTE> bytes(sizeof(DriverDevMode));
        auto* block = reinterpret_cast<DriverDevMode*>(bytes.data());
        ScopedPrinter printer;
        const ModelDescription* model = printer.handle() != nullptr ? AcquireModelDescription(printer.handle()) : nullptr;
        EXPECT_NE(model, nullptr);
        if (model == nullptr) return {};
        BuildDefaultDevMode(block, printer.handle(), nullptr, model);
        ReleaseModelDescription(model);
        block->FeatureFlags |= kFeatureGraphicsOnly;
        block->Public.dmPrintQuality = dpi;
        block->Public.dmYResolution = dpi;
        block->Public.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
        return bytes;
    }

    /// Prints `pages` pages and returns the job's bytes as the spooler holds them.
    std::vector<BYTE> Print(SHORT dpi, int pages, DWORD* jobId) {
        gdihost::PrinterDC dc(driver_);
        if (!dc.Open(kSamplePrinterName, Settings(dpi)) || !dc.StartDoc(u"Monitor job")) return {};
        for (int n = 0; n < pages; ++n) {
            if (!dc.StartPage()) return {};
            dc.FillRect(RECTL{300, 300 + 200 * n, 2400, 700 + 200 * n}, true);
            dc.Line({300, 1500}, {2800, 2600 + 100 * n}, 3);
            dc.Text(400, 3000, u"Monitor job page " + U16(std::to_string(n + 1)), 60);
            if (!dc.EndPage()) return {};
        }
        if (!dc.EndDoc()) return {};
        *jobId = dc.JobId();
        std::vector<BYTE> bytes = standin::JobBytes(kSamplePrinterName, dc.JobId());
        dc.Close();
        return bytes;
    }

    gdihost::DriverModule driver_;
};

// The name between the quotes of the job's first "@PJL JOB NAME=" line.
std::string PjlJobName(const std::vector<BYTE>& job) {
    const std::string prefix = "@PJL JOB NAME=\"";
    for (const std::string& line : DecodeJobStream(job).PjlLines()) {
        if (line.rfind(prefix, 0) != 0) continue;
        const size_t end = line.find('"', prefix.size());
        return end == std::string::npos ? std::string() : line.substr(prefix.size(), end - prefix.size());
    }
    return {};
}

TEST_F(MonitorJobTest, PortReceivesTheRenderedJobWhole) {
    struct Case {
        const char* what;
        SHORT dpi;
        int pages;
        size_t piece;
    } cases[] = {
        {"one page, pieces of 4,096", 300, 1, 4096},
        {"two pages, pieces of 4,096", 600, 2, 4096},
        {"two pages, uneven pieces", 600, 2, 1000},
    };
    for (const Case& c : cases) {
        DWORD jobId = 0;
        const std::vector<BYTE> job = Print(c.dpi, c.pages, &jobId);
        ASSERT_FALSE(job.empty()) << c.what;
        ASSERT_TRUE(DecodeJobStream(job).Ok()) << c.what;

        MonitorJob run;
        run.module = U16(KV_LANGMON_MODULE);
        run.printer = kSamplePrinterName;
        run.jobId = jobId;
        run.piece = c.piece;
        standin::monitor::Reset();
        const MonitorPass pass = PassThroughMonitor(run, job);
        ASSERT_TRUE(pass.ok) << c.what << ": " << pass.failedStep << " error " << pass.error;
        EXPECT_EQ(pass.received.size(), job.size()) << c.what;
        EXPECT_TRUE(pass.received == job) << c.what << ": the port's bytes differ from the job's";
        EXPECT_GE(pass.writes, (job.size() + c.piece - 1) / c.piece) << c.what;

        // The monitor reads the name where the rendering library put it in the header.
        const std::string name = PjlJobName(job);
        ASSERT_FALSE(name.empty()) << c.what;
        auto port = std::make_unique<langmon::PortContext>();
        port->PortKind = langmon::port_kind::LocalPort;
        langmon::ResetJobHeader(*port);
        const size_t first = std::min(c.piece, job.size());
        langmon::ParseJobHeader(*port, std::span(reinterpret_cast<const std::byte*>(pass.received.data()), first));
        EXPECT_EQ(port->JobType, langmon::kJobTypePjl) << c.what;
        EXPECT_EQ(std::string(port->JobName), name) << c.what;
    }
}

}  // namespace
}  // namespace kvtest
