// The cancel of a job on the printer: the tail job's cancel object set to 1414, and every way
// the printer can refuse it, each a failure that the job flow tries again.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>

#include "langmon/job/JobQueue.h"
#include "langmon/printer/JobTracking.h"
#include "tests/langmon_track/TrackFixture.h"

namespace {

using kvtest::TestJcid;

class JobCancelTest : public kvtest::TrackTest {
protected:
    std::string CancelOid(const std::string& prid) const { return std::string(kvtest::kCancelColumnOid) + "." + prid; }
    size_t Sets() const {
        size_t n = 0;
        for (const auto& request : agent_.Requests()) n += request.pdu == snmp::BerTag::SetRequest ? 1 : 0;
        return n;
    }
};

TEST_F(JobCancelTest, SetsTheTailJobsCancelObjectTo1414) {
    Queue(1, TestJcid(1));
    Queue(2, TestJcid(2));
    agent_.AddJob(TestJcid(1), "1.3", kvtest::kProcessing, 0, 1);
    agent_.AddJob(TestJcid(2), "1.4", kvtest::kCreating, 0, 0);
    agent_.SetInteger(CancelOid("1.3"), 0);
    agent_.SetInteger(CancelOid("1.4"), 0);

    EXPECT_TRUE(langmon::DEP_CancelJob_SNMP(*port_));
    const auto requests = agent_.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().pdu, snmp::BerTag::SetRequest);
    EXPECT_EQ(requests.back().name, CancelOid("1.4"));
    EXPECT_EQ(requests.back().valueType, snmp::BerTag::Integer);
    EXPECT_EQ(requests.back().number, 1414);
    EXPECT_EQ(Sets(), 1u);
    // The PRID found on the way is kept for the job's tracking.
    EXPECT_STREQ(port_->QueueTail->PrinterJobIndex, "1.4");
    int32_t value = 0;
    ASSERT_TRUE(snmp::SnmpGetInteger(agent_.Settings(), "127.0.0.1", CancelOid("1.3").c_str(), &value));
    EXPECT_EQ(value, 0);

    // Sent again with the PRID known: no lookup, one request.
    const size_t before = agent_.RequestCount();
    EXPECT_TRUE(langmon::DEP_CancelJob_SNMP(*port_));
    EXPECT_EQ(agent_.RequestCount(), before + 1);
}

TEST_F(JobCancelTest, EveryRefusalIsAFailure) {
    struct Case {
        const char* name;
        std::function<void()> setup;
        size_t sets;  // SET requests the printer saw
    };
    const Case cases[] = {
        {"an error status to the set",
         [this] {
             agent_.SetInteger(CancelOid("1.4"), 0);
             agent_.Script({kvtest::ErrorAnswer(4)});  // readOnly
         },
         1},
        {"no cancel object", [] {}, 1},
        {"a cancel object of another type",
         [this] { agent_.SetString(CancelOid("1.4"), "busy"); }, 1},
        {"a printer that does not answer",
         [this] {
             port_->SnmpWaitMs = kvtest::kSilenceWaitMs;
             agent_.Script({kvtest::DropAnswer()});
         },
         1},
        {"no PRID for the JCID",
         [this] {
             port_->QueueTail->PrinterJobIndex[0] = '\0';
             agent_.Clear();
         },
         0},
        {"no JCID index", [this] { port_->QueueTail->JcidIndex[0] = '\0'; }, 0},
        {"no queued job", [this] { langmon::FreeJobQueue(*port_); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        port_->SnmpWaitMs = kvtest::kAnswerWaitMs;
        Queue(2, TestJcid(2));
        std::strcpy(port_->QueueTail->PrinterJobIndex, "1.4");
        agent_.AddJob(TestJcid(2), "1.4", kvtest::kProcessing, 0, 0);
        const size_t setsBefore = Sets();
        c.setup();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(langmon::DEP_CancelJob_SNMP(*port_));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(Sets() - setsBefore, c.sets);
    }
}

}  // namespace
