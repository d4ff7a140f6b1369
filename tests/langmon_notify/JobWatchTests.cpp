// A spooler job announced while the port is idle: the printer is read, and while the spooler
// shows an error the job watch follows the waiting jobs until none waits. Also where that
// error comes from: the severity last given to the spooler.
#include <gtest/gtest.h>

#include <string>

#include "langmon/status/NotifyThread.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/status/StatusPort.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/PortHolds.h"
#include "platform/StandInMonitor.h"
#include "platform/Sync.h"
#include "tests/langmon_notify/NotifyFixture.h"
#include "tools/sample/PrinterOids.h"

namespace {

namespace state = langmon::port_state;
using kvtest::kHrDeviceOid;
using kvtest::kHrPrinterOid;
using kvtest::kSysDescrOid;
using kvtest::kNotifyPrinter;

const std::u16string kJobEvent = std::u16string(langmon::kJobEventPrefix) + kNotifyPrinter;

class JobWatchTest : public kvtest::NotifyTest {
protected:
    void SetUp() override {
        NotifyTest::SetUp();
        AddPrinter({kNotifyPrinter});
        MakePort();
        BindAndWait();
    }
    // The printer reports an open cover: the device check gives the spooler an error.
    void PrinterInError() {
        agent_.SetInteger(kHrPrinterOid, 1);  // other
        agent_.SetInteger(kHrDeviceOid, 5);   // down
        agent_.SetAlerts({"Tractor Cover Open"});
    }
    bool Watching() const { return Locked(&langmon::PortContext::JobWatchRunning) != 0; }
    size_t DeviceReads() const {
        size_t n = 0;
        for (const auto& request : agent_.Requests()) n += request.name == kSysDescrOid ? 1 : 0;
        return n;
    }
    DWORD ManagerExtStatus() { return manager_.ReadDword(kNotifyPrinter, "PrinterExtStatus"); }
};

TEST_F(JobWatchTest, PrinterInErrorWithAWaitingJobIsWatchedUntilNoJobWaits) {
    PrinterInError();
    standin::monitor::AddJob(kNotifyPrinter, 5, 0, u"Waiting", u"alice");
    Signal(kJobEvent);
    ASSERT_TRUE(WaitFor([&] { return Watching(); }));
    EXPECT_EQ(Locked(&langmon::PortContext::LastPortSeverity), PORT_STATUS_TYPE_ERROR)
        << "the read on the job's arrival showed the error";
    // While it watches, the printer is read each interval and the status shows polling.
    const size_t watched = DeviceReads();
    EXPECT_TRUE(WaitFor([&] { return DeviceReads() >= watched + 2; }));
    EXPECT_TRUE(WaitFor([&] { return (ManagerExtStatus() & kExtPolling) != 0; }));
    EXPECT_FALSE(PollingAlive()) << "the watch is no polling thread";

    // A second announcement while it runs starts nothing more.
    Signal(kJobEvent);
    Pause(20);
    EXPECT_TRUE(Watching());

    standin::monitor::SetJobStatus(kNotifyPrinter, 5, JOB_STATUS_PRINTED);
    EXPECT_TRUE(WaitFor([&] { return !Watching(); }));
    EXPECT_TRUE(WaitFor([&] { return (ManagerExtStatus() & kExtPolling) == 0; }));
    const size_t after = DeviceReads();
    Pause(60);
    EXPECT_EQ(DeviceReads(), after) << "nothing is read once the watch ended";

    // Another job, another error: a new watch.
    standin::monitor::AddJob(kNotifyPrinter, 6);
    Signal(kJobEvent);
    EXPECT_TRUE(WaitFor([&] { return Watching(); }));
}

TEST_F(JobWatchTest, NoWatchWithoutErrorOrWaitingJobOrOnABusyPort) {
    struct Case {
        const char* what;
        bool inError;
        DWORD jobStatus;
        DWORD portState;
        bool readsPrinter;
    };
    const Case cases[] = {
        {"the printer is ready", false, 0, 0, true},
        {"the job already prints", true, JOB_STATUS_PRINTING, 0, false},
        {"the job is paused", true, JOB_STATUS_PAUSED, 0, false},
        {"a job runs on the port", true, 0, state::InJob, false},
    };
    DWORD jobId = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.inError) PrinterInError();
        standin::monitor::AddJob(kNotifyPrinter, ++jobId, c.jobStatus);
        port_->State |= c.portState;
        const size_t reads = DeviceReads();
        Signal(kJobEvent);
        if (c.readsPrinter) {
            EXPECT_TRUE(WaitFor([&] { return DeviceReads() > reads; }));
        }
        Pause(40);
        EXPECT_FALSE(Watching());
        if (!c.readsPrinter) {
            EXPECT_EQ(DeviceReads(), reads);
        }
        port_->State &= ~c.portState;
        standin::monitor::SetJobStatus(kNotifyPrinter, jobId, JOB_STATUS_PRINTED);
    }
}

TEST_F(JobWatchTest, JobStartOrCloseEndsTheWatch) {
    struct Case {
        const char* what;
        bool close;
    };
    DWORD jobId = 20;
    for (const Case c : {Case{"a job starts", false}, Case{"the port closes", true}}) {
        SCOPED_TRACE(c.what);
        if (port_ == nullptr) {
            MakePort();
            BindAndWait();
        }
        PrinterInError();
        standin::monitor::AddJob(kNotifyPrinter, ++jobId, 0);
        Signal(kJobEvent);
        ASSERT_TRUE(WaitFor([&] { return Watching(); }));
        if (c.close) {
            ClosePort();  // joins it; the sanitizer tree sees any use of the freed port
            continue;
        }
        port_->State |= state::InJob;
        EXPECT_TRUE(WaitFor([&] { return !Watching(); }));
        port_->State &= ~state::InJob;
        standin::monitor::SetJobStatus(kNotifyPrinter, jobId, JOB_STATUS_PRINTED);
    }
}

TEST_F(JobWatchTest, SpoolerPortStatusKeepsItsSeverityForTheJobWatch) {
    struct Case {
        PrinterStatusValue status;
        bool ourModel;
        DWORD severity;
    };
    const Case cases[] = {
        {{0, 0, 0x10000}, true, PORT_STATUS_TYPE_ERROR},   // paper jam
        {{0, 0, 0x8000}, true, PORT_STATUS_TYPE_ERROR},    // door open
        {{0, 0, 0}, true, 0},                              // ready
        {{0, 0, 0x10000}, false, 0},                       // not this model's printer: no status
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.status.L << " " << c.ourModel);
        {
            langmon::PortLockHold lock(*port_);  // the printer's notification thread runs
            port_->ModelMask = c.ourModel ? kKvTd520ModelMask : 0;
            port_->LastPortSeverity = 0xDEADBEEF;
        }
        langmon::UpdateSpoolerPortStatus(*port_, &c.status);
        EXPECT_EQ(Locked(&langmon::PortContext::LastPortSeverity), c.severity);
        EXPECT_EQ(standin::monitor::PortStatuses(kvtest::kNotifyPort).back().severity, c.severity);
    }
}

}  // namespace
