// The job queue's exits called as the status side and the job flow call them, with the port
// held: DeleteJob, the cancel on the printer, the release of the queue when polling is
// suspended, and the queue's picture in the trace log.
#include <gtest/gtest.h>

#include <regex>

#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/PortHolds.h"
#include "platform/StandInMonitor.h"
#include "tests/langmon_queue/QueueFixture.h"

namespace kvtest {
namespace {

constexpr DWORD kDelete = JOB_CONTROL_DELETE;
constexpr DWORD kJobStatusCancelled = 0x4;

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(QueueTest, DeleteJobDropsTheQueueAndDeletesTheSendingJobWhenAsked) {
    struct Case {
        const char* what;
        bool write;            // the sending job wrote data
        bool deleteSending;
        int result;
        std::vector<DWORD> sendingCommands;   // right after DeleteJob
        bool jobStatusCancelled;
        std::vector<DWORD> queueAfter;        // relative: 1 = the sending job
        std::vector<DWORD> commandsAfterEnd;
    };
    const std::vector<Case> cases = {
        {"data written, sending job deleted", true, true, 1, {kDelete, kEject}, true, {}, {kDelete, kEject}},
        {"data written, sending job kept", true, false, 0, {kEject}, false, {}, {kEject}},
        // Nothing sent yet: the job stays and its EndDocPort owes its one eject.
        {"nothing written", false, true, 0, {}, false, {1}, {kEject}},
    };
    DWORD base = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DWORD earlier = base + 6;
        const DWORD sending = base + 7;
        base += 10;
        for (DWORD job : {earlier, sending}) standin::monitor::AddJob(kQueuePrinter, job);
        ManagerReader manager;
        ASSERT_NE(Open(), nullptr);
        ASSERT_TRUE(WaitSupported());
        ASSERT_TRUE(RunJob(earlier, PjlJob(JcidFor(earlier))));  // queued for the job tracking
        ASSERT_TRUE(Start(sending));
        if (c.write) {
            ASSERT_TRUE(Write(PjlJob(JcidFor(sending))));
        }
        const size_t queuePushes = manager.Updates(u"PrinterQueue");
        {
            langmon::PortHold hold(*port_);
            ASSERT_TRUE(hold.Take());
            EXPECT_EQ(langmon::DeleteJob(*port_, c.deleteSending), c.result);
        }
        EXPECT_EQ(Commands(earlier), std::vector<DWORD>{kEject});
        EXPECT_EQ(Commands(sending), c.sendingCommands);
        EXPECT_EQ((manager.Dword("JobStatus") & kJobStatusCancelled) != 0, c.jobStatusCancelled);
        EXPECT_EQ(manager.Dword("PrinterQueue"), 0u);
        EXPECT_GT(manager.Updates(u"PrinterQueue"), queuePushes);
        std::vector<DWORD> expectedQueue;
        for (DWORD relative : c.queueAfter) expectedQueue.push_back(relative == 1 ? sending : earlier);
        EXPECT_EQ(QueuedJobs(), expectedQueue);
        EXPECT_EQ(port_->PendingEndCount, c.queueAfter.empty() ? 0u : 1u);

        ASSERT_TRUE(End());
        EXPECT_EQ(Commands(earlier), std::vector<DWORD>{kEject});
        EXPECT_EQ(Commands(sending), c.commandsAfterEnd);
        EXPECT_EQ(QueueLength(), 0u);
        Close();
    }
}

TEST_F(QueueTest, JobCancelSucceedsOnlyWhenThePrinterTookItOrIsOff) {
    struct Case {
        const char* what;
        bool poweredOff;
        bool cancelObject;  // the printer has the job's cancel object
        bool result;
        size_t sets;
        std::vector<const char*> lines;
    };
    const std::vector<Case> cases = {
        {"printer off", true, true, true, 0, {"KJLMON:JobCancel [EXIT @PWOFF or OPP]", "KJLMON:JobCancel -- SUCCESS --"}},
        {"printer refuses", false, false, false, 3, {"KJLMON:JobCancel [SNMP send again]", "KJLMON:JobCancel --  FALSE  --"}},
        {"printer takes it", false, true, true, 1, {"KJLMON:JobCancel -- SUCCESS --"}},
    };
    DWORD job = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ++job;
        const std::string prid = "1." + std::to_string(job);
        agent_.AddJob(JcidFor(job), prid, 7, 0, 0);
        const std::string cancelOid = std::string(kCancelColumn) + prid;
        if (c.cancelObject) {
            agent_.SetInteger(cancelOid, 0);
        } else {
            agent_.Remove(cancelOid);
        }
        standin::monitor::AddJob(kQueuePrinter, job);
        ManagerReader manager;
        ASSERT_NE(Open(), nullptr);
        ASSERT_TRUE(WaitSupported());
        ASSERT_TRUE(Start(job));
        ASSERT_TRUE(Write(PjlJob(JcidFor(job))));
        const size_t setsBefore = Sets().size();
        const std::string traceBefore = Trace();
        {
            langmon::PortHold hold(*port_);
            ASSERT_TRUE(hold.Take());
            if (c.poweredOff) port_->State |= langmon::port_state::PoweredOff;
            EXPECT_EQ(langmon::JobCancel(*port_, true), c.result);
            EXPECT_EQ(port_->State & langmon::port_state::CancelDone, langmon::port_state::CancelDone);
            port_->State &= ~langmon::port_state::PoweredOff;
        }
        const std::vector<ReceivedRequest> sets = Sets();
        ASSERT_EQ(sets.size() - setsBefore, c.sets);
        for (size_t i = setsBefore; i < sets.size(); ++i) {
            EXPECT_EQ(sets[i].name, cancelOid);
            EXPECT_EQ(sets[i].number, 1414);
        }
        EXPECT_NE(manager.Dword("JobStatus") & kJobStatusCancelled, 0u);
        const std::string added = Trace().substr(traceBefore.size());
        for (const char* line : c.lines) EXPECT_NE(added.find(line), std::string::npos) << line;
        if (!c.result) {
            EXPECT_EQ(Occurrences(added, "KJLMON:JobCancel [SNMP send again]"), 3u);
        }
        ASSERT_TRUE(End());
        Close();
    }
}

TEST_F(QueueTest, ReleaseQueuedJobsEjectsEachJobOnceAndEmptiesTheQueue) {
    for (DWORD job : {7u, 8u}) standin::monitor::AddJob(kQueuePrinter, job);
    ManagerReader manager;
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(RunJob(7, PjlJob(JcidFor(7))));
    ASSERT_TRUE(RunJob(8, PjlJob(JcidFor(8))));
    ASSERT_EQ(QueuedJobs(), (std::vector<DWORD>{7, 8}));
    const size_t queuePushes = manager.Updates(u"PrinterQueue");
    {
        langmon::PortHold hold(*port_);
        ASSERT_TRUE(hold.Take());
        port_->QueueHead->Flags2 |= langmon::job_flag::LastPageEjectedSent;  // job 7 had its eject
        langmon::ReleaseQueuedJobs(*port_);
    }
    EXPECT_TRUE(Commands(7).empty());
    EXPECT_EQ(Commands(8), std::vector<DWORD>{kEject});
    EXPECT_EQ(QueueLength(), 0u);
    EXPECT_EQ(manager.Dword("PrinterQueue"), 0u);
    EXPECT_GT(manager.Updates(u"PrinterQueue"), queuePushes);
    const std::string trace = Trace();
    EXPECT_NE(trace.find("REFRESH:SetJob[LAST_PAGE_EJECTED(8)]"), std::string::npos);
    EXPECT_EQ(trace.find("REFRESH:SetJob[LAST_PAGE_EJECTED(7)]"), std::string::npos);
}

TEST_F(QueueTest, EachQueuedJobIsListedInTheTrace) {
    for (DWORD job : {7u, 8u}) standin::monitor::AddJob(kQueuePrinter, job);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSupported());
    ASSERT_TRUE(RunJob(7, PjlJob(JcidFor(7))));
    ASSERT_TRUE(Start(8));
    // Job 7 carries the JCID of its header, saved again at its EndDocPort; job 8 the one the
    // monitor made at its start.
    const std::string jcid7 = JcidFor(7);
    const std::regex two("\t\t\t送信ジョブリスト\\(JOBQUEUE\\)\r\n"
                         "\t\t\tJobId = 7, UID = \"" + jcid7 + "\", EOJUID=\"" + jcid7 + "\", Addr=0x[0-9a-f]{8}\r\n"
                         "\t\t\tJobId = 8, UID = \"[0-9A-F]{20,32}\", EOJUID=\"\", Addr=0x[0-9a-f]{8}\r\n"
                         "\t\t\tJob数 = 2\r\n");
    EXPECT_TRUE(std::regex_search(Trace(), two)) << Trace();
    ASSERT_TRUE(Write(PjlJob(JcidFor(8))));
    ASSERT_TRUE(End());
    {
        langmon::PortHold hold(*port_);
        ASSERT_TRUE(hold.Take());
        langmon::DeleteJob(*port_, false);
        langmon::DumpJobQueue(*port_);
    }
    const std::string trace = Trace();
    EXPECT_NE(trace.find("\t\t\t送信ジョブリスト(JOBQUEUE)にジョブなし\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kvtest
