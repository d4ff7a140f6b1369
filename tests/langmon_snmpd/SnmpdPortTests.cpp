// The monitor's port against Debian's snmpd: the device check (supported, another printer,
// powered off when the agent stops, back when it starts again), the printer read as from the
// agent fixture, and a queued job followed by its JCID to "completed" and cancelled.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "langmon/printer/DeviceCheck.h"
#include "langmon/job/JobQueue.h"
#include "langmon/printer/JobTracking.h"
#include "langmon/MonitorProcess.h"
#include "langmon/MonitorRegistry.h"
#include "langmon/PortList.h"
#include "langmon/PortHolds.h"
#include "langmon/PortSettings.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/StatusVariables.h"
#include "platform/StandInMonitor.h"
#include "tests/langmon_snmpd/SnmpdFixture.h"

namespace {

using langmon::DeviceAnswer;
namespace state = langmon::port_state;
namespace job_flag = langmon::job_flag;

constexpr char16_t kPrinter[] = u"KV Printer";
constexpr char16_t kPort[] = u"IP_127.0.0.1";
using kvtest::kAnswerWaitMs;
using kvtest::kSilenceWaitMs;  // while snmpd is stopped

DWORD RecordNothing(DWORD, LPCSTR, LPCVOID, DWORD) { return 0; }

// A network port of the standard TCP/IP kind whose printer is snmpd at 127.0.0.1, with one
// bound printer whose manager takes every push.
class SnmpdPortTest : public kvtest::SnmpdTest {
protected:
    void SetUp() override {
        SnmpdTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        standin::monitor::Reset();
        standin::PrinterSetup printer;
        printer.name = kPrinter;
        printer.port = kPort;
        printer.driverName = u"ZEV KV-TD520 (VX)";
        standin::AddPrinter(printer);

        ASSERT_TRUE(langmon::StartMonitorProcess(nullptr));
        monitorStarted_ = true;
        monitor_.Signature = langmon::kMonitorSignature;
        monitor_.Waits = langmon::LoadWaits(nullptr);
        monitor_.Waits.PortMutexMs = 200;
        monitor_.Waits.RetryPauseMs = 1;  // the pause before a JCID lookup
        EnterCriticalSection(&langmon::Process().Lock);
        port_ = langmon::CreatePortContext(kPort, kPrinter, monitor_);
        LeaveCriticalSection(&langmon::Process().Lock);
        ASSERT_NE(port_, nullptr);
        port_->PortKind = langmon::port_kind::StandardTcpPort;
        port_->Settings->oidIntervalMs = 0;
        port_->Settings->maxPowerOffTries = 0;  // one silent sysDescr means "off"
        port_->SnmpPort = snmpd_.Port();
        port_->SnmpWaitMs = kAnswerWaitMs;

        // A binding as the manager link makes it: a monitor-heap block that the port frees.
        binding_ = static_cast<SrmBinding*>(langmon::HeapAllocZero(sizeof(SrmBinding)));
        ASSERT_NE(binding_, nullptr);
        std::memcpy(binding_->printerName, kPrinter, sizeof kPrinter);
        binding_->manager = 1;
        binding_->entries.UpdatePrinterStatusA = RecordNothing;
        binding_->modelMask = kKvTd520ModelMask;
        port_->FirstBinding = binding_;
        port_->CurrentBinding = binding_;
    }

    void TearDown() override {
        if (port_ != nullptr) {
            langmon::StopStatusThread(*port_);
            EnterCriticalSection(&langmon::Process().Lock);
            langmon::DeletePortContext(port_);
            LeaveCriticalSection(&langmon::Process().Lock);
        }
        if (monitorStarted_) langmon::EndMonitorProcess();
        SnmpdTest::TearDown();
    }

    DWORD StatusM() {
        PrinterStatusValue status{};
        if (!port_->Variables->ReadStatus(&status)) return 0xDEADBEEF;
        return status.M;
    }

    /// An entry for spooler job `jobId` at the queue's tail with its JCID, as StartDocPort and
    /// the header parse leave it.
    langmon::JobQueueEntry* Queue(DWORD jobId, const std::string& jcid) {
        standin::monitor::AddJob(kPrinter, jobId, 0, u"Relaydock-" + kvtest::U16(std::to_string(jobId)), u"user");
        langmon::JobQueueEntry* entry = langmon::InJobQueue(*port_, jobId);
        EXPECT_NE(entry, nullptr);
        if (entry == nullptr) return nullptr;
        std::snprintf(entry->Jcid, sizeof entry->Jcid, "%s", jcid.c_str());
        std::snprintf(entry->JcidIndex, sizeof entry->JcidIndex, "%s", kvtest::JcidIndex(jcid).c_str());
        entry->Binding = binding_;
        return entry;
    }

    std::vector<DWORD> QueuedJobs() {
        langmon::PortLockHold lock(*port_);
        std::vector<DWORD> jobs;
        for (const langmon::JobQueueEntry* e = port_->QueueHead; e != nullptr; e = e->Next) jobs.push_back(e->JobId);
        return jobs;
    }

    static bool Ejected(DWORD jobId) {
        for (const DWORD command : standin::monitor::JobCommands(kPrinter, jobId)) {
            if (command == JOB_CONTROL_LAST_PAGE_EJECTED) return true;
        }
        return false;
    }

    int32_t ReadInteger(const std::string& name) {
        int32_t value = -1;
        EXPECT_TRUE(snmp::SnmpGetInteger(Settings(), "127.0.0.1", name.c_str(), &value)) << name;
        return value;
    }

    langmon::MonitorHandle monitor_{};
    langmon::PortContext* port_ = nullptr;
    SrmBinding* binding_ = nullptr;
    bool monitorStarted_ = false;
};

// A JCID of the header's 45 characters, ending in `n`.
std::string Jcid(int n) {
    char text[64];
    std::snprintf(text, sizeof text, "JCID%041d", n);
    return text;
}

TEST_F(SnmpdPortTest, DeviceCheckFollowsThePrinterThroughOffAndOn) {
    struct Step {
        const char* what;
        std::function<void()> change;
        DeviceAnswer answer;
        DWORD setBits;    // of the port state after the check
        DWORD clearBits;
        DWORD statusM;    // 0: neither of the two below
    };
    const Step steps[] = {
        {"the supported model", [] {}, DeviceAnswer::Supported, state::DeviceSupported, state::PoweredOff, 0},
        {"another printer",
         [this] {
             printer_.SetString(kvtest::kSysDescrOid, "Other Laser 9000");
             Publish();
         },
         DeviceAnswer::Unsupported, 0, state::DeviceSupported | state::PoweredOff, langmon::kStatusUnsupportedPrinter},
        {"the supported model again",
         [this] {
             printer_.SetString(kvtest::kSysDescrOid, "ZEV KV-TD520");
             Publish();
         },
         DeviceAnswer::Supported, state::DeviceSupported, state::PoweredOff, 0},
        {"snmpd stopped",
         [this] {
             StopAgent();
             port_->SnmpWaitMs = kSilenceWaitMs;
         },
         DeviceAnswer::PoweredOff, state::PoweredOff, state::DeviceSupported, langmon::kStatusPoweredOff},
        {"still stopped", [] {}, DeviceAnswer::PoweredOff, state::PoweredOff, state::DeviceSupported,
         langmon::kStatusPoweredOff},
        {"snmpd started again",
         [this] {
             ASSERT_TRUE(RestartAgent()) << snmpd_.Why();
             port_->SnmpWaitMs = kAnswerWaitMs;
         },
         DeviceAnswer::Supported, state::DeviceSupported, state::PoweredOff, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(langmon::CheckDeviceSnmp(*port_), step.answer);
        EXPECT_EQ(port_->State & step.setBits, step.setBits);
        EXPECT_EQ(port_->State & step.clearBits, 0u);
        if (step.statusM != 0) {
            EXPECT_EQ(StatusM(), step.statusM);
        } else {
            EXPECT_NE(StatusM(), langmon::kStatusPoweredOff);
            EXPECT_NE(StatusM(), langmon::kStatusUnsupportedPrinter);
            EXPECT_EQ(port_->ModelMask, kKvTd520ModelMask);
        }
    }
}

// The fields of two pictures that differ, by name.
std::vector<std::string> Differences(const langmon::MibPicture& a, const langmon::MibPicture& b) {
    std::vector<std::string> differ;
    const auto check = [&differ](bool same, const char* field) {
        if (!same) differ.emplace_back(field);
    };
    check(a.readMask == b.readMask, "readMask");
    check(std::strcmp(a.sysDescr, b.sysDescr) == 0, "sysDescr");
    check(a.interpreters == b.interpreters, "interpreters");
    check(a.hrDeviceStatus == b.hrDeviceStatus, "hrDeviceStatus");
    check(a.hrPrinterStatus == b.hrPrinterStatus, "hrPrinterStatus");
    check(std::memcmp(a.errorState, b.errorState, sizeof a.errorState) == 0, "errorState");
    check(a.alertCount == b.alertCount, "alertCount");
    for (DWORD i = 0; i < a.alertCount && i < b.alertCount; ++i) {
        check(a.alerts[i].view() == b.alerts[i].view(), "alert text");
    }
    check(a.trayLevel == b.trayLevel && a.trayWidth == b.trayWidth && a.trayLength == b.trayLength, "tray");
    check(a.failures == b.failures, "failures");
    return differ;
}

TEST_F(SnmpdPortTest, ReadsThePrinterAsItReadsTheAgentFixture) {
    kvtest::SnmpAgent fixture;
    struct Case {
        const char* what;
        std::function<void(kvtest::PrinterObjects&)> printer;
        langmon::MibReadResult result;
        DWORD alerts;
        DWORD read;  // bits of the read mask the read must have set
    };
    namespace mib = langmon::mib_read;
    constexpr DWORD kWhole = mib::SysDescr | mib::SupportedModel | mib::Interpreters | mib::InputTray;
    const Case cases[] = {
        {"idle", [](kvtest::PrinterObjects&) {}, langmon::MibReadResult::Supported, 0, kWhole},
        {"alerts",
         [](kvtest::PrinterObjects& p) {
             p.SetAlerts({"Low Toner", "Fuser Cover Paper Jam", "PM Parts Life 0001 0002 0003"});
         },
         langmon::MibReadResult::Supported, 3, kWhole | mib::Alerts},
        {"down without paper",
         [](kvtest::PrinterObjects& p) {
             p.SetInteger(kvtest::kHrDeviceOid, 5);
             p.SetInteger(kvtest::kHrPrinterOid, 1);
             p.SetString(kvtest::kHrErrorStateOid, std::string("\x40\x00", 2));
             p.SetInteger(kvtest::kTrayLevelOid, 0);
             p.SetAlerts({"Hop No Paper", "Printer Offline"});
         },
         langmon::MibReadResult::Supported, 2, kWhole | mib::Alerts},
        {"another printer",
         [](kvtest::PrinterObjects& p) { p.SetString(kvtest::kSysDescrOid, "Other Laser 9000"); },
         langmon::MibReadResult::Unsupported, 0, mib::SysDescr},
    };
    // Pictures are large: on the heap, as the monitor keeps them.
    const auto fromSnmpd = std::make_unique<langmon::MibPicture>();
    const auto fromFixture = std::make_unique<langmon::MibPicture>();
    const char* address = "127.0.0.1";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        printer_ = kvtest::PrinterObjects{};
        printer_.LoadPrinter();
        c.printer(printer_);
        Publish();
        printer_.LoadInto(fixture);

        port_->SnmpPort = snmpd_.Port();
        snmp::SnmpClient realClient(langmon::PortSnmpSettings(*port_));
        const langmon::MibReadResult real = langmon::ReadPrinterMib(*port_, realClient, address, *fromSnmpd);
        port_->SnmpPort = fixture.Port();
        snmp::SnmpClient fakeClient(langmon::PortSnmpSettings(*port_));
        const langmon::MibReadResult fake = langmon::ReadPrinterMib(*port_, fakeClient, address, *fromFixture);

        EXPECT_EQ(real, c.result);
        EXPECT_EQ(fake, c.result);
        EXPECT_EQ(fromSnmpd->alertCount, c.alerts);
        EXPECT_EQ(fromSnmpd->readMask & c.read, c.read);
        EXPECT_EQ(Differences(*fromSnmpd, *fromFixture), std::vector<std::string>{});
    }
}

TEST_F(SnmpdPortTest, FollowsAQueuedJobByItsJcidToCompleted) {
    const std::string jcid = Jcid(41);
    langmon::JobQueueEntry* entry = Queue(41, jcid);
    ASSERT_NE(entry, nullptr);
    printer_.AddJob(Jcid(40), "1.6", kvtest::kJobCompleted, kvtest::kReasonSuccessful, 2, true);
    printer_.AddJob(jcid, "1.7", kvtest::kJobProcessing, 0, 1, true);
    Publish();

    ASSERT_TRUE(langmon::GetAndCheckJCID(*port_, *entry));
    EXPECT_STREQ(entry->PrinterJobIndex, "1.7");
    EXPECT_TRUE(langmon::DEP_CheckPrintingStatus_SNMP(*port_));

    // Printing: started on the printer, still queued.
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_EQ(entry->Flags & (job_flag::PrinterStarted | job_flag::PrinterFinished), job_flag::PrinterStarted);
    EXPECT_STREQ(entry->JcidAtStart, jcid.c_str());
    EXPECT_EQ(QueuedJobs(), std::vector<DWORD>{41});

    // Completed before its EndDocPort ran: not ended yet.
    printer_.AddJob(jcid, "1.7", kvtest::kJobCompleted, kvtest::kReasonSuccessful, 3, true);
    Publish();
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_EQ(QueuedJobs(), std::vector<DWORD>{41});
    EXPECT_FALSE(Ejected(41));

    // After its EndDocPort the completed job ends: the spooler hears the last page ejected.
    entry->Flags |= job_flag::EndDocSeen;
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_TRUE(QueuedJobs().empty());
    EXPECT_TRUE(Ejected(41));
    EXPECT_FALSE(langmon::DEP_CheckPrintingStatus_SNMP(*port_));
}

TEST_F(SnmpdPortTest, CancelsTheTailJobWhereThePrinterTakesIt) {
    struct Case {
        const char* what;
        bool listed;       // the printer's JCID map knows the job
        bool cancellable;  // its cancel object takes a set
        bool cancelled;
    };
    const Case cases[] = {
        {"a job the printer can cancel", true, true, true},
        {"a job whose cancel object is read-only", true, false, false},
        {"a job the printer does not know", false, true, false},
    };
    DWORD jobId = 50;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        langmon::FreeJobQueue(*port_);
        ++jobId;
        const std::string jcid = Jcid(static_cast<int>(jobId));
        const std::string prid = "1." + std::to_string(jobId);
        printer_ = kvtest::PrinterObjects{};
        printer_.LoadPrinter();
        printer_.AddJob(jcid, prid, kvtest::kJobProcessing, 0, 1, c.cancellable);
        if (!c.listed) printer_.RemoveUnder(kvtest::kJcidMapColumnOid);
        Publish();
        ASSERT_NE(Queue(jobId, jcid), nullptr);

        EXPECT_EQ(langmon::DEP_CancelJob_SNMP(*port_), c.cancelled);
        EXPECT_EQ(ReadInteger(std::string(kvtest::kCancelColumnOid) + "." + prid), c.cancelled ? kvtest::kCancelValue : 0);
    }
}

}  // namespace
