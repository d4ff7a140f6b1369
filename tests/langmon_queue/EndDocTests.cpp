// EndDocPort on a followed network port as the spooler calls it: jobs that stay queued for the
// job tracking, jobs the monitor ends itself with exactly the ejects they are owed, a job the
// spooler deletes mid-transfer, and the start of a job that stops a borrowed status thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "langmon/job/JobHeader.h"
#include "langmon/PortSettings.h"
#include "langmon/status/StatusPort.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/PortHolds.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "tests/langmon_queue/QueueFixture.h"

namespace kvtest {
namespace {

using langmon::job_flag::EndDocSeen;
using langmon::job_flag::LastPageEjectedSent;

constexpr DWORD kPrintingMark = 0x8;  // PrinterStatus L while jobs are on the port

std::vector<DWORD> Ejects(size_t n) { return std::vector<DWORD>(n, kEject); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class EndDocTest : public QueueTest {
protected:
    DWORD StatusL() {
        PrinterStatusValue status{};
        langmon::PortLockHold lock(*port_);
        return port_->Variables->ReadStatus(&status) ? status.L : 0xDEADBEEF;
    }
    DWORD StatusM() {
        PrinterStatusValue status{};
        langmon::PortLockHold lock(*port_);
        return port_->Variables->ReadStatus(&status) ? status.M : 0xDEADBEEF;
    }
    // The printer's record of a finished job, as the job tracking publishes it.
    void PublishEnded(DWORD jobId) {
        {
            langmon::PortLockHold lock(*port_);
            PrintingJobInfoValue value{};
            value.JobID = jobId;
            value.Page = 3;
            StatusVariable& row = port_->Variables->row(kRowPrintingJobInfo);
            ASSERT_TRUE(port_->Variables->Store(row, &value, sizeof value));
            row.jobFlags = kJobRecordEnded | kJobRecordClears;
        }
        langmon::PublishPort(*port_);
    }
    void EnableHistory() {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Relaydock\\Env\\PrnChk", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
        const DWORD on = 1;
        RegSetValueExW(key, u"PrnOrdChk", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
        RegCloseKey(key);
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
        const std::u16string dir = u"C:\\Relay\\";
        RegSetValueExW(key, u"BaseDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                       static_cast<DWORD>((dir.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);
    }
    std::string History() {
        const std::vector<BYTE> bytes = ReadFile(kQueueHistory);
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(EndDocTest, FollowedJobsStayQueuedUntilThePrinterIsDoneWithThem) {
    for (DWORD job : {7u, 8u}) standin::monitor::AddJob(kQueuePrinter, job);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(RunJob(7, PjlJob(JcidFor(7))));
    ASSERT_TRUE(RunJob(8, PjlJob(JcidFor(8))));

    // The spooler has not heard yet: the printer may still be printing them.
    EXPECT_TRUE(Commands(7).empty());
    EXPECT_TRUE(Commands(8).empty());
    EXPECT_EQ(QueuedJobs(), (std::vector<DWORD>{7, 8}));
    {
        langmon::PortLockHold lock(*port_);
        for (const langmon::JobQueueEntry* e = port_->QueueHead; e != nullptr; e = e->Next) {
            EXPECT_NE(e->Flags & EndDocSeen, 0u) << e->JobId;
            EXPECT_EQ(e->Flags2 & LastPageEjectedSent, 0u) << e->JobId;
            EXPECT_STREQ(e->JcidAtEnd, JcidFor(e->JobId).c_str());
        }
    }
    EXPECT_NE(StatusL() & kPrintingMark, 0u);
    EXPECT_TRUE(Contains(Trace(), "KJLMON:PJLMonEndDocPort -START- JobId = 8"));

    // The printer's "job 8 ended" drops job 8 and the job in front of it, each with one eject.
    PublishEnded(8);
    EXPECT_EQ(Commands(7), Ejects(1));
    EXPECT_EQ(Commands(8), Ejects(1));
    EXPECT_EQ(QueueLength(), 0u);
    EXPECT_EQ(StatusL() & kPrintingMark, 0u);
    EXPECT_TRUE(Contains(Trace(), "KJLMON:SetJob[LAST_PAGE_EJECTED @OUTQ(7)]"));
}

TEST_F(EndDocTest, JobKeepsItsOwnCopyOfTheDocumentInfoUntilItEnds) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(Start(7));  // the caller's record and strings are gone when the call returns
    ASSERT_NE(port_->DocInfoCopy, nullptr);
    const auto* copy = reinterpret_cast<const DOC_INFO_1W*>(port_->DocInfoCopy);
    ASSERT_NE(copy->pDocName, nullptr);
    EXPECT_EQ(std::u16string(copy->pDocName), u"Job 7");
    EXPECT_EQ(copy->pOutputFile, nullptr);
    EXPECT_EQ(port_->DocInfoLevel, 1u);
    ASSERT_TRUE(Write(PjlJob(JcidFor(7))));
    ASSERT_TRUE(End());
    EXPECT_EQ(port_->DocInfoCopy, nullptr);
}

TEST_F(EndDocTest, JobTrackingEndsAPrintedJob) {
    standin::monitor::AddJob(kQueuePrinter, 7);
    agent_.AddJob(JcidFor(7), "1.5", 17, 0x10, 2);  // completed on the printer
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(RunJob(7, PjlJob(JcidFor(7))));
    ASSERT_TRUE(WaitFor([this] { return QueueLength() == 0; }));
    EXPECT_EQ(Commands(7), Ejects(1));
}

TEST_F(EndDocTest, JobsThatCannotBeFollowedGetExactlyOneEject) {
    struct Case {
        const char* what;
        DWORD job;
        const char* sysDescr;  // NULL: the supported printer
        bool pjl;              // the job carries its JCID
        std::vector<const char*> lines;
    };
    const std::vector<Case> cases = {
        {"printer of another model", 7, "OTHER PRINTER", true,
         {"KJLMON:PJLMonEndDocPort [LAST_PAGE_EJECTED 位置変更]", "KJLMON:SetJob[LAST_PAGE_EJECTED @4(7)]",
          "KJLMON:PJLMonEndDocPort[送信完タイミングで終了]"}},
        {"job without a JCID", 8, nullptr, false, {"KJLMON:SetJob[LAST_PAGE_EJECTED @DEL(8)]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standin::monitor::AddJob(kQueuePrinter, c.job);
        LoadAgentPrinter();
        if (c.sysDescr != nullptr) agent_.SetString(kSysDescrOid, c.sysDescr);
        ASSERT_NE(Open(), nullptr);
        if (c.sysDescr != nullptr) {
            ASSERT_TRUE(WaitFor([this] { return StatusM() == 0x200; }));
        } else {
            ASSERT_TRUE(WaitSupported());
        }
        ASSERT_TRUE(RunJob(c.job, c.pjl ? PjlJob(JcidFor(c.job)) : std::vector<BYTE>(300, 0x41)));
        EXPECT_EQ(Commands(c.job), Ejects(1));
        EXPECT_EQ(QueueLength(), 0u);
        EXPECT_EQ(StatusL() & kPrintingMark, 0u);
        const std::string trace = Trace();
        for (const char* line : c.lines) EXPECT_TRUE(Contains(trace, line)) << line;
        Close();
        // Nothing later adds an eject: the port's close finds no queued job.
        EXPECT_EQ(Commands(c.job), Ejects(1));
    }
}

TEST_F(EndDocTest, JobThatSentNothingEmptiesTheQueueWithOneEjectEach) {
    for (DWORD job : {6u, 7u}) standin::monitor::AddJob(kQueuePrinter, job);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(RunJob(6, PjlJob(JcidFor(6))));
    ASSERT_EQ(QueuedJobs(), std::vector<DWORD>{6});
    ASSERT_TRUE(Start(7));
    ASSERT_TRUE(End());
    EXPECT_EQ(Commands(6), Ejects(1));
    EXPECT_EQ(Commands(7), Ejects(1));
    EXPECT_EQ(QueueLength(), 0u);
    EXPECT_EQ(StatusL() & kPrintingMark, 0u);
    const std::string trace = Trace();
    EXPECT_TRUE(Contains(trace, "KJLMON:SetJob[LAST_PAGE_EJECTED @2(6)]"));
    EXPECT_TRUE(Contains(trace, "KJLMON:SetJob[LAST_PAGE_EJECTED @4(7)]"));
}

TEST_F(EndDocTest, JobDeletedDuringTheTransferIsCancelledOnThePrinter) {
    EnableHistory();
    standin::monitor::AddJob(kQueuePrinter, 7, 0, u"Relaydock-7");
    agent_.AddJob(JcidFor(7), "1.5", 7, 0, 1);  // processing
    agent_.SetInteger(std::string(kCancelColumn) + "1.5", 0);
    ManagerReader manager;
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(Start(7));
    ASSERT_TRUE(Write(PjlJob(JcidFor(7))));
    standin::monitor::SetJobStatus(kQueuePrinter, 7, JOB_STATUS_DELETING);
    ASSERT_TRUE(End());

    const std::vector<ReceivedRequest> sets = Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].name, std::string(kCancelColumn) + "1.5");
    EXPECT_EQ(sets[0].number, 1414);
    // The spooler hears from EndDocPort, once; nothing stays queued for the deleted job.
    EXPECT_EQ(Commands(7), Ejects(1));
    EXPECT_EQ(QueueLength(), 0u);
    EXPECT_EQ(manager.Dword("JobStatus"), 0u);
    EXPECT_EQ(manager.Dword("PrinterQueue"), 0u);
    const std::string trace = Trace();
    EXPECT_TRUE(Contains(trace, "KJLMON:PJLMonENDDocPort JOB DELETE @VXJOB-BF"));
    EXPECT_TRUE(Contains(trace, "KJLMON:JobCancel -- SUCCESS --"));
    Close();
    EXPECT_EQ(History(), "Relaydock-7\tStart\r\nRelaydock-7\tCancel\r\n__TERMINATER__\r\n");
}

TEST_F(EndDocTest, PrinterSwitchedOffMidJobDeletesTheJobAndEjectsItOnce) {
    standin::monitor::AddJob(kQueuePrinter, 7);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(Start(7));
    ASSERT_TRUE(Write(PjlJob(JcidFor(7))));
    // The printer stops answering; one unanswered read is enough to call it off, so that the
    // status passes stay short and leave the port to EndDocPort.
    {
        langmon::PortHold hold(*port_);
        ASSERT_TRUE(hold.Take());
        port_->Settings->maxPowerOffTries = 0;
    }
    agent_.Remove(kSysDescrOid);
    ASSERT_TRUE(WaitFor([] {
        const std::vector<DWORD> commands = Commands(7);
        return std::find(commands.begin(), commands.end(), DWORD{JOB_CONTROL_DELETE}) != commands.end();
    }));
    ASSERT_TRUE(End());
    EXPECT_EQ(Commands(7), (std::vector<DWORD>{kEject, JOB_CONTROL_DELETE}));
    EXPECT_EQ(QueueLength(), 0u);
    const std::string trace = Trace();
    EXPECT_TRUE(Contains(trace, "KJLMON:Call DeleteJob @2"));
    EXPECT_TRUE(Contains(trace, "KJLMON:JobCancel [EXIT @PWOFF or OPP]"));
    EXPECT_TRUE(Sets().empty());
}

TEST_F(EndDocTest, PendingOutputWithoutStatusThreadGoesOutBeforeTheEndOrIsDropped) {
    struct Case {
        const char* what;
        bool portTakes;
    };
    const std::string held = "HELD BYTES";
    DWORD job = 6;
    for (const Case& c : {Case{"the port takes it", true}, Case{"the port takes nothing", false}}) {
        SCOPED_TRACE(c.what);
        ++job;
        standin::monitor::AddJob(kQueuePrinter, job);
        standin::monitor::SetPortBehaviour(kQueuePort, {});
        ASSERT_NE(Open(), nullptr);
        ASSERT_TRUE(WaitSupported());
        // No status thread may run on this port any more.
        SetEvent(port_->StopEvent);
        langmon::StopStatusThread(*port_);
        ASSERT_TRUE(Start(job));
        ASSERT_TRUE(Write(PjlJob(JcidFor(job))));
        {
            langmon::PortLockHold lock(*port_);
            port_->Pending = static_cast<BYTE*>(langmon::HeapAllocZero(held.size()));
            ASSERT_NE(port_->Pending, nullptr);
            std::memcpy(port_->Pending, held.data(), held.size());
            port_->cbPending = static_cast<DWORD>(held.size());
        }
        if (!c.portTakes) {
            standin::monitor::PortBehaviour refuse;
            refuse.writeError = 1460;
            refuse.failWrites = 100000;
            standin::monitor::SetPortBehaviour(kQueuePort, refuse);
        }
        ASSERT_TRUE(End());
        EXPECT_EQ(port_->cbPending, 0u);
        EXPECT_EQ(port_->Pending, nullptr);
        const auto documents = standin::monitor::PortDocuments(kQueuePort);
        ASSERT_FALSE(documents.empty());
        const std::vector<BYTE>& bytes = documents.back().bytes;
        const bool endsWithHeld =
            bytes.size() >= held.size() && std::equal(held.begin(), held.end(), bytes.end() - held.size());
        EXPECT_EQ(endsWithHeld, c.portTakes);
        // Without a thread nothing follows the job: EndDocPort ejects it and empties the queue.
        EXPECT_EQ(Commands(job), Ejects(1));
        EXPECT_EQ(QueueLength(), 0u);
        standin::monitor::SetPortBehaviour(kQueuePort, {});
        Close();
    }
}

TEST_F(EndDocTest, NamelessOwnDocumentIsMatchedByAnEndThatDoesNothingElse) {
    standin::monitor::AddJob(kQueuePrinter, 7);
    ASSERT_NE(Open(), nullptr);
    std::u16string printer = kQueuePrinter;
    DOC_INFO_2W info{nullptr, nullptr, nullptr, 0, 7};
    ASSERT_TRUE(table_->pfnStartDocPort(handle_, printer.data(), 7, 2, reinterpret_cast<LPBYTE>(&info)));
    ASSERT_TRUE(End());
    for (const std::string& call : standin::monitor::PortCalls(kQueuePort)) {
        EXPECT_NE(call.rfind("StartDocPort", 0), 0u) << call;
        EXPECT_NE(call.rfind("EndDocPort", 0), 0u) << call;
    }
    EXPECT_TRUE(Commands(7).empty());
    EXPECT_EQ(QueueLength(), 0u);
    EXPECT_EQ(port_->State & (langmon::port_state::InJob | langmon::port_state::OwnDocument), 0u);
}

TEST_F(EndDocTest, SecondStartWithoutEndIsRefusedWith170) {
    for (DWORD job : {7u, 8u}) standin::monitor::AddJob(kQueuePrinter, job);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(Start(7));
    ASSERT_TRUE(Write(PjlJob(JcidFor(7))));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(Start(8));
    EXPECT_EQ(GetLastError(), 170u);
    ASSERT_TRUE(End());
    EXPECT_EQ(QueuedJobs(), std::vector<DWORD>{7});
    EXPECT_TRUE(Commands(8).empty());
}

TEST_F(EndDocTest, PortWithoutBindingWritesInOnePieceAndEjectsAtOnce) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"System\\CurrentControlSet\\control\\Print\\Printers\\KV Printer", 0, nullptr,
                    0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const std::u16string other = u"Other Driver";
    RegSetValueExW(key, u"Printer Driver", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                   static_cast<DWORD>((other.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
    standin::monitor::AddJob(kQueuePrinter, 7);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(Start(7));
    DWORD written = 0;
    std::vector<BYTE> bytes(10000, 0x41);
    ASSERT_TRUE(table_->pfnWritePort(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
    EXPECT_EQ(written, 10000u);
    ASSERT_TRUE(End());
    std::vector<std::string> writes;
    for (const std::string& call : standin::monitor::PortCalls(kQueuePort)) {
        if (call.rfind("WritePort", 0) == 0) writes.push_back(call);
    }
    EXPECT_EQ(writes, std::vector<std::string>{"WritePort 10000/10000"});
    EXPECT_EQ(Commands(7), Ejects(1));
    EXPECT_EQ(QueueLength(), 0u);
    EXPECT_TRUE(Contains(Trace(), "KJLMON:SetJob[LAST_PAGE_EJECTED @NOBIDI(7)]"));
}

TEST_F(EndDocTest, StartOfAJobStopsTheStatusThreadTheNotificationStarted) {
    struct Case {
        const char* what;
        DWORD startedByNotification;
        bool replaced;
    };
    for (const Case& c : {Case{"started by the notification thread", 1, true}, Case{"the port's own", 0, false}}) {
        SCOPED_TRACE(c.what);
        const DWORD job = c.startedByNotification != 0 ? 7 : 8;
        standin::monitor::AddJob(kQueuePrinter, job);
        ASSERT_NE(Open(), nullptr);
        ASSERT_TRUE(WaitSupported());
        const HANDLE before = port_->StatusThread.Handle();
        ASSERT_NE(before, nullptr);
        port_->NotifyStartedStatusThread = c.startedByNotification;
        ASSERT_TRUE(Start(job));
        EXPECT_EQ(port_->NotifyStartedStatusThread, 0u);
        // The job polls with a thread of its own either way.
        EXPECT_NE(port_->State & langmon::port_state::StatusThreadAlive, 0u);
        EXPECT_EQ(port_->StatusThread.Handle() != before, c.replaced);
        ASSERT_TRUE(Write(PjlJob(JcidFor(job))));
        ASSERT_TRUE(End());
        Close();
    }
}

}  // namespace
}  // namespace kvtest
