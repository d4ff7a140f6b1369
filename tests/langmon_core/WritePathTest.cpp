// The write paths below WritePort: the hold-back window, the kept tail and the chunks.
#include <algorithm>
#include <cstring>

#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/PortHolds.h"
#include "langmon/job/WritePaths.h"
#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"
#include "tests/langmon_core/MonitorFixture.h"
#include "tests/langmon_core/PortFixture.h"

namespace kvtest {
namespace {

using langmon::PortContext;
using langmon::PortHold;

class WritePathTest : public PortContextTest {
protected:
    void SetUp() override {
        PortContextTest::SetUp();
        standin::PrinterSetup printer;
        printer.name = u"KV Printer";
        standin::AddPrinter(printer);
    }
    PortContext* Start(const std::u16string& name, DWORD jobId) {
        PortContext* port = MakePort(name, langmon::port_kind::DpuTcpPort);
        std::u16string printer = u"KV Printer";
        std::u16string doc = u"D";
        DOC_INFO_1W info{doc.data(), nullptr, nullptr};
        port->PortMonitor.pfnStartDocPort(port->PortMonitorPort, printer.data(), jobId, 1,
                                          reinterpret_cast<LPBYTE>(&info));
        port->State |= langmon::port_state::InJob;
        return port;
    }
    std::vector<BYTE> Sent(const std::u16string& name) {
        const auto docs = standin::monitor::PortDocuments(name);
        return docs.empty() ? std::vector<BYTE>{} : docs.back().bytes;
    }
    std::vector<std::string> Writes(const std::u16string& name) {
        std::vector<std::string> writes;
        for (const auto& call : standin::monitor::PortCalls(name)) {
            if (call.rfind("WritePort ", 0) == 0) writes.push_back(call);
        }
        return writes;
    }
};

// The window trails the job by 80 bytes whatever the call sizes; the job's end sends the rest.
TEST_F(WritePathTest, HoldBackSendsEverythingByTheJobsEnd) {
    const std::vector<std::vector<DWORD>> cases = {
        {50}, {80}, {81}, {50, 20, 5}, {200}, {10, 300, 1, 79, 80, 81}, {4096, 4096}, {1, 1, 1},
    };
    DWORD jobId = 1;
    for (const auto& calls : cases) {
        const std::u16string name = u"DPU" + U16(std::to_string(jobId));
        PortContext* port = Start(name, jobId);
        PortHold hold(*port);
        ASSERT_TRUE(hold.Take());
        std::vector<BYTE> job;
        DWORD total = 0;
        for (DWORD size : calls) {
            auto bytes = JobBytes(jobId, size);
            for (auto& b : bytes) b = static_cast<BYTE>(b + total);
            DWORD at = 0;
            while (at < size) {
                DWORD written = 0;
                ASSERT_TRUE(langmon::WriteHoldBack(*port, hold, bytes.data() + at, size - at, &written));
                ASSERT_LE(written, size - at);
                at += written;
            }
            job.insert(job.end(), bytes.begin(), bytes.end());
            total += size;
            // Never more than the last 80 bytes wait.
            EXPECT_EQ(Sent(name).size(), total > 80 ? total - 80 : 0u) << jobId;
        }
        ASSERT_TRUE(langmon::FlushHoldBack(*port, hold));
        EXPECT_EQ(Sent(name), job) << "case " << jobId;
        EXPECT_EQ(port->cbHoldBack, 0u);
        ++jobId;
    }
}

// Each call longer than the window hands the port two writes: the window, then the data that
// follows it up to the call's last 80 bytes.
TEST_F(WritePathTest, HoldBackWritesTheWindowThenTheData) {
    PortContext* port = Start(u"DPUW", 9);
    PortHold hold(*port);
    ASSERT_TRUE(hold.Take());
    const auto bytes = JobBytes(9, 500);
    DWORD written = 0;
    ASSERT_TRUE(langmon::WriteHoldBack(*port, hold, bytes.data(), 200, &written));
    EXPECT_EQ(written, 200u);
    ASSERT_TRUE(langmon::WriteHoldBack(*port, hold, bytes.data() + 200, 300, &written));
    EXPECT_EQ(written, 300u);
    EXPECT_EQ(Writes(u"DPUW"), (std::vector<std::string>{"WritePort 120/120", "WritePort 80/80", "WritePort 220/220"}));
    EXPECT_EQ(Sent(u"DPUW"), std::vector<BYTE>(bytes.begin(), bytes.begin() + 420));
}

TEST_F(WritePathTest, HoldBackFirstSmallCallWritesNothing) {
    PortContext* port = Start(u"DPUA", 1);
    PortHold hold(*port);
    ASSERT_TRUE(hold.Take());
    auto bytes = JobBytes(1, 50);
    DWORD written = 0;
    ASSERT_TRUE(langmon::WriteHoldBack(*port, hold, bytes.data(), 50, &written));
    EXPECT_EQ(written, 50u);
    EXPECT_TRUE(Sent(u"DPUA").empty());
}

TEST_F(WritePathTest, HoldBackWithAPortThatTakesLittle) {
    standin::monitor::PortBehaviour slow;
    slow.maxTakePerWrite = 7;
    standin::monitor::SetPortBehaviour(u"DPUB", slow);
    PortContext* port = Start(u"DPUB", 2);
    PortHold hold(*port);
    ASSERT_TRUE(hold.Take());
    const auto bytes = JobBytes(2, 500);
    DWORD at = 0;
    while (at < bytes.size()) {
        DWORD written = 0;
        ASSERT_TRUE(langmon::WriteHoldBack(*port, hold, bytes.data() + at, 500 - at, &written));
        at += written;
    }
    ASSERT_TRUE(langmon::FlushHoldBack(*port, hold));
    EXPECT_EQ(Sent(u"DPUB"), bytes);
}

TEST_F(WritePathTest, HoldBackThatCannotBeSentFailsTheEndAndIsDropped) {
    standin::monitor::PortBehaviour dead;
    dead.writeError = ERROR_WRITE_FAULT;
    dead.failWrites = 1000;
    standin::monitor::SetPortBehaviour(u"DPUC", dead);
    PortContext* port = Start(u"DPUC", 3);
    PortHold hold(*port);
    ASSERT_TRUE(hold.Take());
    auto bytes = JobBytes(3, 40);
    DWORD written = 0;
    ASSERT_TRUE(langmon::WriteHoldBack(*port, hold, bytes.data(), 40, &written));
    EXPECT_FALSE(langmon::FlushHoldBack(*port, hold));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
    // Nothing of this job is left to slip into the next one.
    EXPECT_EQ(port->cbHoldBack, 0u);
    EXPECT_EQ(port->HoldBackHasData, 0u);
}

TEST_F(WritePathTest, KeepTailAndChunks) {
    PortContext* port = Start(u"USB005", 4);
    port->PortKind = langmon::port_kind::LocalPort;
    PortHold hold(*port);
    ASSERT_TRUE(hold.Take());
    const auto bytes = JobBytes(4, 10000);
    DWORD written = 0;
    ASSERT_TRUE(langmon::WriteChunked(*port, hold, bytes.data(), 10000, &written));
    EXPECT_EQ(written, 4096u);
    ASSERT_TRUE(langmon::WriteKeepTail(*port, hold, bytes.data() + 4096, 10000 - 4096, &written));
    EXPECT_EQ(written, 10000u - 4096u);
    EXPECT_EQ(Sent(u"USB005"), bytes);
    EXPECT_EQ(port->cbHoldBack, 80u);
    EXPECT_EQ(std::memcmp(port->HoldBack, bytes.data() + 10000 - 80, 80), 0);

    // A reset connection ends the job's writes; other errors leave the spooler to try again.
    standin::monitor::PortBehaviour reset;
    reset.writeError = 10054;
    reset.failWrites = 1;
    standin::monitor::SetPortBehaviour(u"USB005", reset);
    EXPECT_FALSE(langmon::WriteKeepTail(*port, hold, bytes.data(), 100, &written));
    EXPECT_EQ(GetLastError(), 10054u);
}

// A write that the port monitor cancels (ERROR_CANCELLED) drops the job being sent, but only
// in a job, with the printer on, on Windows 5.1 or later; every failure is kept on the port.
TEST_F(WritePathTest, CancelledWriteDropsTheJob) {
    struct Case {
        const char* what;
        DWORD error;
        DWORD state;
        DWORD winMajor;
        DWORD winMinor;
        bool dropped;
    };
    const Case cases[] = {
        {"cancelled in a job", 1223, langmon::port_state::InJob, 6, 0, true},
        {"cancelled on 5.1", 1223, langmon::port_state::InJob, 5, 1, true},
        {"cancelled on 5.0", 1223, langmon::port_state::InJob, 5, 0, false},
        {"cancelled, printer off", 1223, langmon::port_state::InJob | langmon::port_state::PoweredOff, 6, 0, false},
        {"cancelled outside a job", 1223, 0, 6, 0, false},
        {"another failure", ERROR_WRITE_FAULT, langmon::port_state::InJob, 6, 0, false},
    };
    DWORD jobId = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string name = u"USB0" + U16(std::to_string(jobId));
        standin::monitor::PortBehaviour cancelling;
        cancelling.writeError = c.error;
        cancelling.failWrites = 1;
        standin::monitor::SetPortBehaviour(name, cancelling);
        standin::monitor::AddJob(u"KV Printer", jobId);
        langmon::MonitorHandle monitor = monitor_;
        monitor.WinMajor = c.winMajor;
        monitor.WinMinor = c.winMinor;
        PortContext* port = Start(name, jobId);
        port->PortKind = langmon::port_kind::LocalPort;
        port->Monitor = &monitor;
        port->JobId = jobId;
        port->State = (port->State & ~langmon::port_state::InJob) | c.state;
        port->SysFlag |= langmon::sys_flag::DataWritten;  // earlier writes of the job went out

        PortHold hold(*port);
        ASSERT_TRUE(hold.Take());
        const auto bytes = JobBytes(jobId, 300);
        DWORD taken = 0xDEADBEEF;
        EXPECT_FALSE(langmon::PMWritePort(*port, hold, bytes.data(), 300, &taken));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(taken, 0u);
        EXPECT_TRUE(hold.Held());
        EXPECT_EQ(port->LastWriteError, c.error);
        EXPECT_EQ(port->WriteFailed, 1u);

        const auto commands = standin::monitor::JobCommands(u"KV Printer", jobId);
        const bool deleted = std::find(commands.begin(), commands.end(), JOB_CONTROL_DELETE) != commands.end();
        EXPECT_EQ(deleted, c.dropped);
        EXPECT_EQ((port->State & langmon::port_state::JobDeleting) != 0, c.dropped);

        // The next write goes through and clears what the failure left.
        EXPECT_TRUE(langmon::PMWritePort(*port, hold, bytes.data(), 300, &taken));
        EXPECT_EQ(taken, 300u);
        EXPECT_EQ(port->LastWriteError, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(port->WriteFailed, 0u);
        port->Monitor = nullptr;
        ++jobId;
    }
}

}  // namespace
}  // namespace kvtest
