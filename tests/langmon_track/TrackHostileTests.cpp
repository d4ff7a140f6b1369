// Printers that answer badly: a JCID map or job table that does not advance, goes back, never
// ends or ends early, indexes that do not hold together, values and names longer than the
// monitor's buffers, silence. Every pass ends, after a bounded number of requests, and
// publishes nothing it could not read.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "langmon/printer/JobTracking.h"
#include "langmon/log/TraceLog.h"
#include "tests/langmon_track/TrackFixture.h"

namespace {

using kvtest::PrintingPush;
using kvtest::TestJcid;
using Clock = std::chrono::steady_clock;

class HostileAgentTest : public kvtest::TrackTest {
protected:
    std::string Map(int n) const { return std::string(kvtest::kJcidMapColumnOid) + "." + kvtest::JcidIndex(TestJcid(n)); }
};

TEST_F(HostileAgentTest, EveryLookupOfTheJcidMapEnds) {
    struct Case {
        const char* name;
        std::function<void()> setup;
        bool found;
        const char* prid;
        size_t requests;
    };
    const Case cases[] = {
        {"a map that does not advance",
         [this] {
             agent_.SetString(Map(1) + ".1.7", "x");
             agent_.Script({kvtest::SameNameAnswer()});
         },
         false, "", 1},
        {"a map that goes back",
         [this] {
             agent_.SetString(Map(1) + ".1.7", "x");
             agent_.Script({kvtest::AgentAction{}, kvtest::NamedAnswer(Map(1) + ".1.5")});
         },
         true, "1.7", 2},
        {"a map without end", [this] { agent_.SetEndlessColumn(Map(1), TestJcid(1)); }, false, "",
         langmon::kJcidMapWalkSteps},
        {"a count larger than the arcs", [this] { agent_.SetString(Map(1) + ".5.1.2", "x"); }, false, "", 2},
        {"a count of 0", [this] { agent_.SetString(Map(1) + ".0", "x"); }, false, "", 2},
        {"the largest arcs", [this] { agent_.SetString(Map(1) + ".2.4294967295.0", "x"); }, true, "2.4294967295.0",
         2},
        {"a malformed row before a good one",
         [this] {
             agent_.SetString(Map(1) + ".3.1", "x");
             agent_.SetString(Map(1) + ".4.1.2.3.4", "x");
         },
         true, "4.1.2.3.4", 3},
        {"a row whose name is longer than the buffers",
         [this] {
             std::string name = Map(1) + ".9";  // 69 arcs, 267 characters
             for (int i = 0; i < 9; ++i) name += ".4000000000";
             agent_.SetString(name, "x");
         },
         false, "", 1},
        {"a printer that does not answer",
         [this] {
             port_->SnmpWaitMs = kvtest::kSilenceWaitMs;
             agent_.Script({kvtest::DropAnswer()});
         },
         false, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        port_->SnmpWaitMs = kvtest::kAnswerWaitMs;
        langmon::JobQueueEntry* entry = Queue(1, TestJcid(1));
        c.setup();
        const size_t before = agent_.RequestCount();
        const auto start = Clock::now();
        EXPECT_EQ(langmon::GetAndCheckJCID(*port_, *entry), c.found);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
        EXPECT_STREQ(entry->PrinterJobIndex, c.prid);
        EXPECT_EQ(agent_.RequestCount() - before, c.requests);
    }
}

TEST_F(HostileAgentTest, AJcidIndexTooLongToAskForIsNotAsked) {
    langmon::JobQueueEntry* entry = Queue(1, TestJcid(1));
    std::string index = "250";
    while (index.size() < 250) index += ".65";
    std::snprintf(entry->JcidIndex, sizeof entry->JcidIndex, "%s", index.c_str());
    EXPECT_FALSE(langmon::GetAndCheckJCID(*port_, *entry));
    langmon::CheckJCID_SNMP(*port_);
    EXPECT_FALSE(langmon::DEP_CancelJob_SNMP(*port_));
    EXPECT_EQ(agent_.RequestCount(), 0u);
}

TEST_F(HostileAgentTest, EveryPassOverTheJobTableEnds) {
    struct Case {
        const char* name;
        std::function<void()> setup;
        std::function<void()> pass;
        size_t requests;                    // the pass's requests, exactly
        std::vector<PrintingPush> pushed;   // what it published
    };
    const auto fd = [this] { langmon::CheckJCID_SNMP_FD(*port_); };
    const auto follow = [this] { langmon::CheckJCID_SNMP(*port_); };
    const auto printing = [this] { EXPECT_FALSE(langmon::DEP_CheckPrintingStatus_SNMP(*port_)); };
    const Case cases[] = {
        {"a job table without end, walked", [this] { agent_.SetEndlessColumn(kvtest::kJobJcidColumnOid, "NOT OURS JCID"); },
         fd, langmon::kJobTableWalkSteps, {}},
        {"a job table without end, asked whether it prints",
         [this] { agent_.SetEndlessColumn(kvtest::kJobJcidColumnOid, ""); }, printing, langmon::kJobTableWalkSteps, {}},
        {"a job table that does not advance",
         [this] {
             agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 1);
             agent_.Script({kvtest::SameNameAnswer()});
         },
         fd, 1, {}},
        {"a job table row without its state",
         [this] {
             agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 1);
             agent_.Remove(std::string(kvtest::kJobStateColumnOid) + ".1.1.1");
         },
         fd, 2, {}},
        {"a job without its page counter",
         [this] {
             agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 1);
             agent_.Remove("1.3.6.1.4.1.253.8.59.16.1.1.5.1.1.1");
         },
         follow, 5, {}},
        {"a JCID longer than the buffers before ours",
         [this] {
             agent_.SetString(std::string(kvtest::kJobJcidColumnOid) + ".1.0", std::string(1000, 'J'));
             agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 1);
         },
         fd, 5, {{1, 0}, {1, 1}}},
        {"a JCID with a NUL in it",
         [this] {
             agent_.SetString(std::string(kvtest::kJobJcidColumnOid) + ".1.0", TestJcid(1) + std::string(1, '\0') + "X");
             agent_.SetInteger(std::string(kvtest::kJobStateColumnOid) + ".1.0", kvtest::kCompleted);
             agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 1);
         },
         fd, 5, {{1, 0}, {1, 1}}},
        {"a printer that does not answer",
         [this] {
             port_->SnmpWaitMs = kvtest::kSilenceWaitMs;
             agent_.AddJob(TestJcid(1), "1.1", kvtest::kProcessing, 0, 1);
             agent_.Script(std::vector<kvtest::AgentAction>(8, kvtest::DropAnswer()));
         },
         follow, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        port_->SnmpWaitMs = kvtest::kAnswerWaitMs;
        Queue(1, TestJcid(1));
        c.setup();
        const size_t before = agent_.RequestCount();
        const auto start = Clock::now();
        c.pass();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(agent_.RequestCount() - before, c.requests);
        EXPECT_EQ(PrintingPushes(), c.pushed);
        EXPECT_EQ(QueuedJobs(), std::vector<DWORD>{1});
    }
}

TEST_F(HostileAgentTest, TheTraceBoundsWhatThePrinterSaid) {
    WriteFile(u"C:\\Windows\\ZEVLMLOG.INI", "[ZEVKV-TD520]\r\nMODE=1\r\nMAGIC=65535\r\n");
    LoadTraceSettings(*port_->Trace);
    ASSERT_TRUE(port_->Trace->on);
    Queue(1, TestJcid(1), true);
    agent_.AddJob(TestJcid(1), "1.1", kvtest::kCompleted, 0x50, 2);
    agent_.SetString(std::string(kvtest::kJobJcidColumnOid) + ".1.0", std::string(1000, 'J'));
    langmon::CheckJCID_SNMP_FD(*port_);

    const std::vector<BYTE> bytes = ReadFile(u"C:\\ZEVKV-TD520LOG\\ZEVLM-KV Printer.TRG");
    const std::string trace(bytes.begin(), bytes.end());
    for (const char* line : {"JCID[JCID", "PRID[1.1.1]\r\n", "Page  [002]\r\n", "Status:Completed\r\n",
                             "Reason:SuccessfulCompletion\r\n", "Reason:CompletedWithError\r\n", "szStartedUID[JCID"}) {
        EXPECT_NE(trace.find(line), std::string::npos) << line;
    }
}

}  // namespace
