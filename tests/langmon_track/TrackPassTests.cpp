// A status pass's following of the queued jobs on the printer: from the JCID to the printer's
// job index, the job's state and pages to `PrintingJobInfo`, the end of a job to the print
// history and LAST_PAGE_EJECTED, and the printer's own reasons (cancelled, aborted).
#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "langmon/job/JobHeader.h"
#include "langmon/printer/JobTracking.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/PortHolds.h"
#include "tests/langmon_track/TrackFixture.h"

namespace {

using kvtest::PrintingPush;
using kvtest::TestJcid;
namespace job_flag = langmon::job_flag;

class JobTrackingTest : public kvtest::TrackTest {};

TEST_F(JobTrackingTest, OnePassEndsTheCompletedJobAndStopsAtTheOneProcessing) {
    Queue(11, TestJcid(11), true);
    Queue(12, TestJcid(12));
    agent_.AddJob(TestJcid(11), "1.7", kvtest::kCompleted, 0x10, 3);
    agent_.AddJob(TestJcid(12), "1.8", kvtest::kProcessing, 0, 1);

    langmon::CheckJCID_SNMP(*port_);

    EXPECT_TRUE(Ejected(11));
    EXPECT_FALSE(Ejected(12));
    EXPECT_EQ(QueuedJobs(), std::vector<DWORD>{12});
    // Started, its pages, ended (the cleared record), then the second started with its page.
    EXPECT_EQ(PrintingPushes(), (std::vector<PrintingPush>{{11, 0}, {11, 3}, {0, 0}, {12, 0}, {12, 1}}));
    EXPECT_EQ(History(), "Relaydock-11\tEnd\r\n");
    const langmon::JobQueueEntry* second = port_->QueueHead;
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->PrinterJobIndex, "1.8");
    EXPECT_EQ(second->Flags & (job_flag::PrinterStarted | job_flag::PrinterFinished), job_flag::PrinterStarted);
    EXPECT_STREQ(second->JcidAtStart, TestJcid(12).c_str());
}

TEST_F(JobTrackingTest, AJobEndsWhenTerminatingOrCompletedAfterItsEndDoc) {
    struct Case {
        int32_t state;
        bool endDocSeen;
        bool ends;
    };
    DWORD jobId = 20;
    for (const Case c : {Case{kvtest::kCompleted, false, false}, Case{kvtest::kCompleted, true, true},
                         Case{kvtest::kTerminating, false, true}, Case{kvtest::kProcessing, true, false},
                         Case{kvtest::kCreating, true, false}}) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << (c.endDocSeen ? " after" : " before") << " EndDoc");
        Reset();
        ++jobId;
        Queue(jobId, TestJcid(21), c.endDocSeen);
        agent_.AddJob(TestJcid(21), "1.4", c.state, 0, 2);
        langmon::CheckJCID_SNMP(*port_);
        EXPECT_EQ(Ejected(jobId), c.ends);
        EXPECT_EQ(QueuedJobs().empty(), c.ends);
        const std::vector<PrintingPush> expected = c.ends ? std::vector<PrintingPush>{{jobId, 0}, {jobId, 2}, {0, 0}}
                                                          : std::vector<PrintingPush>{{jobId, 0}, {jobId, 2}};
        EXPECT_EQ(PrintingPushes(), expected);
    }
}

TEST_F(JobTrackingTest, FollowsAJobFromStartedToPrintedWithItsPageCount) {
    langmon::JobQueueEntry* entry = Queue(31, TestJcid(31));
    agent_.AddJob(TestJcid(31), "1.5", kvtest::kCreating, 0, 0);
    struct Step {
        int32_t state;
        int32_t pages;
        bool endDoc;                       // EndDocPort ran before this pass
        std::vector<PrintingPush> pushed;  // by this pass
    };
    const Step steps[] = {
        {kvtest::kCreating, 0, false, {{31, 0}}},  // started: page 0, no page push
        {kvtest::kProcessing, 2, false, {{31, 2}}},
        {kvtest::kProcessing, 5, false, {{31, 5}}},
        {kvtest::kProcessing, 5, false, {}},       // no change, no push
        {kvtest::kProcessing, 4, false, {}},       // a counter that goes back adds nothing
        {kvtest::kCompleted, 7, false, {{31, 7}}},  // completed before its EndDoc: not ended
        {kvtest::kCompleted, 7, true, {{0, 0}}},   // ended: the cleared record
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "state " << step.state << " pages " << step.pages);
        agent_.SetInteger(std::string(kvtest::kJobStateColumnOid) + ".1.1.5", step.state);
        agent_.SetInteger("1.3.6.1.4.1.253.8.59.16.1.1.5.1.1.5", step.pages);
        if (step.endDoc) entry->Flags |= job_flag::EndDocSeen;
        ClearPushes();
        langmon::CheckJCID_SNMP(*port_);
        EXPECT_EQ(PrintingPushes(), step.pushed);
    }
    EXPECT_TRUE(Ejected(31));
    EXPECT_TRUE(QueuedJobs().empty());
    EXPECT_EQ(History(), "Relaydock-31\tEnd\r\n");
}

TEST_F(JobTrackingTest, AbortBySystemSavesTheStartedJcidForTheResend) {
    langmon::JobQueueEntry* entry = Queue(41, TestJcid(41));
    Queue(42, TestJcid(42));
    agent_.AddJob(TestJcid(41), "1.3", kvtest::kProcessing, 0, 1);
    agent_.AddJob(TestJcid(42), "1.9", kvtest::kCreating, 0, 0);
    langmon::CheckJCID_SNMP(*port_);
    ASSERT_STREQ(entry->JcidAtStart, TestJcid(41).c_str());

    // The printer aborts the started job: the JCID it started with is kept, not the entry's now.
    std::snprintf(entry->Jcid, sizeof entry->Jcid, "%s", TestJcid(99).c_str());
    agent_.SetInteger("1.3.6.1.4.1.253.8.59.6.1.1.10.1.1.3", kvtest::kAbortBySystem);
    ClearPushes();
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_STREQ(port_->PowerOffJcid, TestJcid(41).c_str());
    EXPECT_NE(entry->Flags & job_flag::PrinterAborted, 0u);
    EXPECT_NE(port_->State & langmon::port_state::PrinterAbort, 0u);
    EXPECT_TRUE(PrintingPushes().empty()) << "the pass stops at the aborted job";
    EXPECT_EQ(port_->QueueHead->Next->PrinterJobIndex[0], '\0');

    // The next pass passes over the aborted entry and follows the one behind it.
    port_->State &= ~langmon::port_state::PrinterAbort;
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_EQ(PrintingPushes(), (std::vector<PrintingPush>{{42, 0}}));
    EXPECT_EQ(port_->State & langmon::port_state::PrinterAbort, 0u);

    // Without a start the entry's own JCID is kept. The status pass marks the saved JCID, and
    // the same job sent again is known by its header.
    Reset();
    Queue(43, TestJcid(43));
    agent_.AddJob(TestJcid(43), "1.2", kvtest::kProcessing, kvtest::kAbortBySystem, 0);
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_STREQ(port_->PowerOffJcid, TestJcid(43).c_str());
    port_->SysFlag |= langmon::sys_flag::PowerOffJcidSavedAlt;
    const std::string header = "\x1b%-12345X@PJL JOB NAME=\"" + std::string(24, 'N') + "\" @JCID=\"" + TestJcid(43) +
                               "\"\r\n@PJL ENTER LANGUAGE=VRTL\r\n";
    langmon::ParseJobHeader(*port_, std::as_bytes(std::span(header.data(), header.size())));
    EXPECT_NE(port_->SysFlag & langmon::sys_flag::ResentJob, 0u);
}

TEST_F(JobTrackingTest, CancelledByTheUserRaisesJobSuspendedUnlessTheCancelWasOurs) {
    for (const bool ownCancel : {false, true}) {
        SCOPED_TRACE(ownCancel ? "our own cancel" : "the user's cancel");
        Reset();
        port_->State = (port_->State & ~langmon::port_state::CancelDone) |
                       (ownCancel ? langmon::port_state::CancelDone : 0);
        Queue(51, TestJcid(51));
        Queue(52, TestJcid(52));
        agent_.AddJob(TestJcid(51), "1.1", kvtest::kCompleted, kvtest::kCanceledByUser, 0);
        agent_.AddJob(TestJcid(52), "1.2", kvtest::kProcessing, 0, 1);
        langmon::CheckJCID_SNMP(*port_);
        EXPECT_EQ(Pushes("ErrPrintSequence"), ownCancel ? 0u : 1u);
        if (!ownCancel) {
            EXPECT_EQ(LastDword("ErrPrintSequence") & langmon::kJobSuspended, langmon::kJobSuspended);
        }
        // The pass goes on with the job behind it.
        EXPECT_EQ(PrintingPushes(), (std::vector<PrintingPush>{{52, 0}, {52, 1}}));
        EXPECT_EQ(QueuedJobs(), (std::vector<DWORD>{51, 52}));
    }
}

TEST_F(JobTrackingTest, ThePridWalkKeepsTheLastRowForTheJcid) {
    langmon::JobQueueEntry* entry = Queue(61, TestJcid(61));
    const std::string map = std::string(kvtest::kJcidMapColumnOid) + "." + kvtest::JcidIndex(TestJcid(61));
    agent_.SetString(map + ".1.7", TestJcid(61));
    agent_.SetString(map + ".2.9.4", TestJcid(61));
    agent_.SetString(map + "5.1", "another JCID's row");  // an index that only shares digits
    std::strcpy(entry->PrinterJobIndex, "stale");
    EXPECT_TRUE(langmon::GetAndCheckJCID(*port_, *entry));
    EXPECT_STREQ(entry->PrinterJobIndex, "2.9.4");

    // No row for the JCID: no PRID, and the old one is gone.
    langmon::JobQueueEntry* other = Queue(62, TestJcid(62));
    std::strcpy(other->PrinterJobIndex, "1.1");
    EXPECT_FALSE(langmon::GetAndCheckJCID(*port_, *other));
    EXPECT_STREQ(other->PrinterJobIndex, "");
}

TEST_F(JobTrackingTest, IsValidJcidNeedsTheMapColumnAndTheWholeIndex) {
    struct Case {
        const char* index;
        const char* oid;
        bool valid;
    };
    const Case cases[] = {
        {"2.65.66", "1.3.6.1.4.1.253.8.59.8.1.1.2.2.65.66.1.7", true},
        {"2.65.66", "1.3.6.1.4.1.253.8.59.8.1.1.2.2.65.66", true},
        {"2.65.66", "1.3.6.1.4.1.253.8.59.8.1.1.2.2.65.667.1.7", false},  // another index
        {"2.65.66", "1.3.6.1.4.1.253.8.59.8.1.1.2.2.65", false},
        {"2.65.66", "1.3.6.1.4.1.253.8.59.8.1.1.3.2.65.66.1.7", false},   // the next column
        {"2.65.66", "1.3.6.1.4.1.253.8.59.8.1.1.22.65.66.1.7", false},
        {"", "1.3.6.1.4.1.253.8.59.8.1.1.2.2.65.66", false},
        {nullptr, "1.3.6.1.4.1.253.8.59.8.1.1.2.2.65.66", false},
        {"2.65.66", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oid != nullptr ? c.oid : "(null)");
        EXPECT_EQ(langmon::IsValidJCID(c.index, c.oid), c.valid);
    }
}

TEST_F(JobTrackingTest, FindQueuedJobByUidMatchesTheJcidOrTheEndOfJobJcid) {
    langmon::JobQueueEntry* first = Queue(71, "ABCDEFGHIJ");
    langmon::JobQueueEntry* second = Queue(72, "KLMNOPQRST");
    std::strcpy(second->JcidAtEnd, "ENDJCID0001");
    Queue(73, "KLMNOPQRST");
    Queue(74, "SHORT");
    struct Case {
        const char* uid;
        const langmon::JobQueueEntry* found;
    };
    const std::string tooLong(200, 'A');
    const Case cases[] = {
        {"ABCDEFGHIJ", first},   {"KLMNOPQRST", second},  // the first of two entries
        {"ENDJCID0001", second}, {"SHORT", nullptr},       // fewer than 10 characters
        {"ABCDEFGHI", nullptr},  {"ABCDEFGHIJK", nullptr}, {"", nullptr},
        {nullptr, nullptr},      {tooLong.c_str(), nullptr},
    };
    langmon::PortLockHold lock(*port_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uid != nullptr ? c.uid : "(null)");
        EXPECT_EQ(langmon::FindQueuedJobByUid(*port_, c.uid), c.found);
    }
}

TEST_F(JobTrackingTest, TheTableWalkFollowsJobsWhoseJcidTheMapDoesNotGive) {
    // The printer lists the jobs in its table but its map has no rows for them.
    Queue(81, TestJcid(81), true);
    langmon::JobQueueEntry* second = Queue(82, TestJcid(82));
    agent_.AddJob(TestJcid(81), "1.6", kvtest::kCompleted, 0x10, 2);
    agent_.AddJob(TestJcid(82), "1.7", kvtest::kProcessing, 0, 4);
    agent_.AddJob(TestJcid(83), "1.8", kvtest::kProcessing, 0, 9);  // not ours
    agent_.Remove(std::string(kvtest::kJcidMapColumnOid) + "." + kvtest::JcidIndex(TestJcid(81)) + ".1.6");
    agent_.Remove(std::string(kvtest::kJcidMapColumnOid) + "." + kvtest::JcidIndex(TestJcid(82)) + ".1.7");

    // Each pass's failed lookup counts; past two, the next pass walks the job table instead.
    for (DWORD expected = 1; expected <= 3; ++expected) {
        langmon::TrackQueuedJobs(*port_);
        EXPECT_EQ(port_->JcidPollCount, expected);
    }
    EXPECT_TRUE(PrintingPushes().empty());
    langmon::TrackQueuedJobs(*port_);
    EXPECT_EQ(port_->JcidPollCount, 0u);
    EXPECT_TRUE(Ejected(81));
    EXPECT_EQ(QueuedJobs(), std::vector<DWORD>{82});
    EXPECT_EQ(PrintingPushes(), (std::vector<PrintingPush>{{81, 0}, {81, 2}, {0, 0}, {82, 0}, {82, 4}}));
    // The walk publishes the start but leaves the entry unmarked.
    EXPECT_EQ(second->Flags & job_flag::PrinterStarted, 0u);

    // A lookup that succeeds clears the counter.
    port_->JcidPollCount = 2;
    agent_.AddJob(TestJcid(82), "1.7", kvtest::kProcessing, 0, 4);
    langmon::TrackQueuedJobs(*port_);
    EXPECT_EQ(port_->JcidPollCount, 0u);
    EXPECT_STREQ(second->PrinterJobIndex, "1.7");
}

TEST_F(JobTrackingTest, TheTableWalkKnowsAJobByItsEndOfJobJcid) {
    langmon::JobQueueEntry* entry = Queue(91, TestJcid(91), true);
    std::snprintf(entry->Jcid, sizeof entry->Jcid, "%s", "JCIDATSTARTOFJOB");
    agent_.AddJob(TestJcid(91), "1.2", kvtest::kTerminating, 0, 1);
    langmon::CheckJCID_SNMP_FD(*port_);
    EXPECT_TRUE(Ejected(91));
    EXPECT_TRUE(QueuedJobs().empty());
}

TEST_F(JobTrackingTest, ThePrinterPrintsWhileAJobIsCreatingProcessingOrPaused) {
    struct Case {
        std::vector<int32_t> states;
        bool printing;
    };
    const Case cases[] = {
        {{}, false},
        {{17, 6}, false},
        {{17, 3}, true},
        {{7}, true},
        {{12, 13}, true},
        {{14, 11, 8}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.states));
        Reset();
        for (size_t i = 0; i < c.states.size(); ++i) {
            agent_.AddJob(TestJcid(static_cast<int>(i)), "1." + std::to_string(i + 1), c.states[i], 0, 0);
        }
        EXPECT_EQ(langmon::DEP_CheckPrintingStatus_SNMP(*port_), c.printing);
    }
    // A row without a JCID is not a job; a printer switched off prints nothing and is not asked.
    Reset();
    agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 0);
    agent_.SetString(std::string(kvtest::kJobJcidColumnOid) + ".1.1.1", "");
    EXPECT_FALSE(langmon::DEP_CheckPrintingStatus_SNMP(*port_));
    agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 0);
    port_->State |= langmon::port_state::PoweredOff;
    const size_t before = agent_.RequestCount();
    EXPECT_FALSE(langmon::DEP_CheckPrintingStatus_SNMP(*port_));
    EXPECT_EQ(agent_.RequestCount(), before);
}

TEST_F(JobTrackingTest, TheStatusPassFollowsTheQueueOnlyOfTheSupportedPrinter) {
    Queue(111, TestJcid(111), true);
    agent_.AddJob(TestJcid(111), "1.1", kvtest::kCompleted, 0x10, 1);
    port_->State &= ~langmon::port_state::DeviceSupported;
    const auto pass = [this] {
        langmon::PortHold hold(*port_);
        ASSERT_TRUE(hold.Take());
        langmon::ReadStatus2(*port_);
    };
    agent_.SetString("1.3.6.1.2.1.1.1.0", "OTHER PRINTER");
    pass();
    EXPECT_TRUE(PrintingPushes().empty());
    EXPECT_EQ(QueuedJobs(), std::vector<DWORD>{111});

    agent_.LoadPrinter();
    pass();
    EXPECT_TRUE(Ejected(111));
    EXPECT_TRUE(QueuedJobs().empty());
}

TEST_F(JobTrackingTest, NothingIsAskedWithoutQueuedJobsOrAJcid) {
    langmon::CheckJCID_SNMP(*port_);
    langmon::CheckJCID_SNMP_FD(*port_);
    langmon::JobQueueEntry* entry = Queue(101, "");
    entry->JcidIndex[0] = '\0';
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_EQ(agent_.RequestCount(), 0u);
    EXPECT_EQ(port_->JcidPollCount, 0u);
    EXPECT_TRUE(PrintingPushes().empty());
}

}  // namespace
