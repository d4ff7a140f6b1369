// The SNMP client against the test printer's agent on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "langmon/snmp/SnmpClient.h"
#include "platform/StandInWinsock.h"
#include "tests/langmon_snmp/SnmpBytes.h"
#include "tools/sample/SnmpAgent.h"

namespace {

using kvtest::AgentAction;
using kvtest::AnswerTwist;
using snmp::SnmpError;

constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1.0";
constexpr const char* kPrinterStatus = "1.3.6.1.2.1.25.3.5.1.1.1";
constexpr const char* kAlertColumn = "1.3.6.1.2.1.43.18.1.1.8.1";
constexpr const char* kLoopback = "127.0.0.1";

// Scripted behaviours of the agent for one request.
AgentAction Twist(AnswerTwist twist) {
    AgentAction action;
    action.twist = twist;
    return action;
}
AgentAction Decoys(std::vector<AnswerTwist> decoys) {
    AgentAction action;
    action.decoys = std::move(decoys);
    return action;
}
AgentAction Delayed(uint32_t ms) {
    AgentAction action;
    action.delayMs = ms;
    return action;
}
AgentAction WithErrorStatus(int32_t status) {
    AgentAction action;
    action.errorStatus = status;
    return action;
}
AgentAction SameName() {
    AgentAction action;
    action.sameName = true;
    return action;
}
AgentAction NullValue() {
    AgentAction action;
    action.nullValue = true;
    return action;
}
const AgentAction kPlain{};

class SnmpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        agent_.LoadPrinter();
        settings_ = agent_.Settings();
        socketsBefore_ = standin::OpenSocketCount();
    }
    void TearDown() override {
        // Every call closes the socket it opened, whatever became of the request.
        EXPECT_EQ(standin::OpenSocketCount(), socketsBefore_);
        standin::ClearHosts();
    }

    snmp::SnmpClient Call(const snmp::SnmpCall& call) {
        snmp::SnmpClient client(settings_);
        (void)client.Request(call);
        return client;
    }

    kvtest::SnmpAgent agent_;
    snmp::SnmpSettings settings_;
    unsigned socketsBefore_ = 0;
};

TEST_F(SnmpClientTest, TheMonitorsCalls) {
    char value[snmp::kSnmpTextBytes] = "sentinel";
    ASSERT_TRUE(snmp::SnmpGetString(settings_, kLoopback, kSysDescr, value));
    EXPECT_STREQ(value, "ZEV KV-TD520");

    int32_t number = -99;
    ASSERT_TRUE(snmp::SnmpGetInteger(settings_, kLoopback, kPrinterStatus, &number));
    EXPECT_EQ(number, 3);

    agent_.SetAlerts({"Low Toner", "Printer Offline"});
    char name[snmp::kSnmpTextBytes];
    std::strcpy(name, kAlertColumn);
    ASSERT_TRUE(snmp::SnmpGetNextString(settings_, kLoopback, name, value));
    EXPECT_STREQ(name, "1.3.6.1.2.1.43.18.1.1.8.1.1");
    EXPECT_STREQ(value, "Low Toner");
    ASSERT_TRUE(snmp::SnmpGetNextString(settings_, kLoopback, name, value));
    EXPECT_STREQ(value, "Printer Offline");

    std::strcpy(name, "1.3.6.1.2.1.43.8.2.1.10.1");
    ASSERT_TRUE(snmp::SnmpGetNextInteger(settings_, kLoopback, name, &number));
    EXPECT_STREQ(name, "1.3.6.1.2.1.43.8.2.1.10.1.1");
    EXPECT_EQ(number, -3);

    // The job cancel: the agent keeps the value and answers with it.
    agent_.AddJob("JOB1", "1.7", 7, 0, 2);
    agent_.SetInteger("1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7", 0);
    number = 1414;
    ASSERT_TRUE(snmp::SnmpSetInteger(settings_, kLoopback, "1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7", &number));
    EXPECT_EQ(number, 1414);
    ASSERT_TRUE(snmp::SnmpGetInteger(settings_, kLoopback, "1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7", &number));
    EXPECT_EQ(number, 1414);

    // What went on the wire for the first call, byte for byte.
    const std::vector<kvtest::ReceivedRequest> requests = agent_.Requests();
    ASSERT_FALSE(requests.empty());
    const std::vector<uint8_t>& sent = requests.front().bytes;
    EXPECT_TRUE(snmptest::SameBytes(std::as_bytes(std::span(sent)),
                                    snmptest::Bytes({0x30, 0x27, 0x02, 0x01, 0x00,                    // message, version
                                                     0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',        // community
                                                     0xA0, 0x1A, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00,  // GetRequest, id 1
                                                     0x02, 0x01, 0x00, 0x30, 0x0F, 0x30, 0x0D,        // list, binding
                                                     0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,
                                                     0x04, 0x01, 0x00})));                            // placeholder
    EXPECT_EQ(requests[2].pdu, snmp::BerTag::GetNextRequest);
    EXPECT_EQ(requests[4].valueType, snmp::BerTag::Integer);  // GetNext of an integer carries INTEGER 0
}

// Each kind of request as it goes on the wire. A Get or GetNext carries a placeholder of the
// kind of value it expects: INTEGER 0, or an OCTET STRING of zero bytes, one per character of
// the name's first arc. A caller that takes any value (the walks) expects a text.
TEST_F(SnmpClientTest, GoldenRequestsOnTheWire) {
    using snmptest::Bytes;
    struct Case {
        const char* what;
        snmp::SnmpCall call;
        std::vector<std::byte> expected;
    };
    const Case cases[] = {
        {"a text read",
         {kLoopback, kSysDescr, snmp::PduKind::Get, snmp::ValueKind::String, 0},
         Bytes({
             0x30, 0x27,                                                  // message, 39 bytes
             0x02, 0x01, 0x00,                                            // version 1 (0)
             0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',                    // community
             0xA0, 0x1A,                                                  // GetRequest, 26 bytes
             0x02, 0x01, 0x01,                                            // request id 1
             0x02, 0x01, 0x00,                                            // error status 0
             0x02, 0x01, 0x00,                                            // error index 0
             0x30, 0x0F,                                                  // binding list
             0x30, 0x0D,                                                  // binding
             0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,  // 1.3.6.1.2.1.1.1.0
             0x04, 0x01, 0x00,                                            // placeholder: "1" is one character
         })},
        {"an integer read",
         {kLoopback, kPrinterStatus, snmp::PduKind::Get, snmp::ValueKind::Integer, 0},
         Bytes({
             0x30, 0x2A,                                      // message, 42 bytes
             0x02, 0x01, 0x00,                                // version 1 (0)
             0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',        // community
             0xA0, 0x1D,                                      // GetRequest, 29 bytes
             0x02, 0x01, 0x01,                                // request id 1
             0x02, 0x01, 0x00,                                // error status 0
             0x02, 0x01, 0x00,                                // error index 0
             0x30, 0x12,                                      // binding list
             0x30, 0x10,                                      // binding
             0x06, 0x0B, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x19,  // 1.3.6.1.2.1.25
             0x03, 0x05, 0x01, 0x01, 0x01,                    // .3.5.1.1.1
             0x02, 0x01, 0x00,                                // placeholder: INTEGER 0
         })},
        {"the next text of a column",
         {kLoopback, kAlertColumn, snmp::PduKind::GetNext, snmp::ValueKind::String, 0},
         Bytes({
             0x30, 0x2A,                                      // message, 42 bytes
             0x02, 0x01, 0x00,                                // version 1 (0)
             0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',        // community
             0xA1, 0x1D,                                      // GetNextRequest, 29 bytes
             0x02, 0x01, 0x01,                                // request id 1
             0x02, 0x01, 0x00,                                // error status 0
             0x02, 0x01, 0x00,                                // error index 0
             0x30, 0x12,                                      // binding list
             0x30, 0x10,                                      // binding
             0x06, 0x0B, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x2B,  // 1.3.6.1.2.1.43
             0x12, 0x01, 0x01, 0x08, 0x01,                    // .18.1.1.8.1
             0x04, 0x01, 0x00,                                // placeholder: one zero byte
         })},
        {"a step of a walk (any value taken)",
         {kLoopback, "1.3.6.1.4.1.253.8.59.6.1.1.3", snmp::PduKind::GetNext, snmp::ValueKind::Any, 0},
         Bytes({
             0x30, 0x2C,                                      // message, 44 bytes
             0x02, 0x01, 0x00,                                // version 1 (0)
             0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',        // community
             0xA1, 0x1F,                                      // GetNextRequest, 31 bytes
             0x02, 0x01, 0x01,                                // request id 1
             0x02, 0x01, 0x00,                                // error status 0
             0x02, 0x01, 0x00,                                // error index 0
             0x30, 0x14,                                      // binding list
             0x30, 0x12,                                      // binding
             0x06, 0x0D, 0x2B, 0x06, 0x01, 0x04, 0x01,        // 1.3.6.1.4.1
             0x81, 0x7D,                                      // .253 in two base-128 bytes
             0x08, 0x3B, 0x06, 0x01, 0x01, 0x03,              // .8.59.6.1.1.3
             0x04, 0x01, 0x00,                                // placeholder: a text, not NULL
         })},
        {"a first arc of two characters",
         {kLoopback, "01.3.6.1.2.1.1.1.0", snmp::PduKind::Get, snmp::ValueKind::String, 0},
         Bytes({
             0x30, 0x28,                                                  // message, 40 bytes
             0x02, 0x01, 0x00,                                            // version 1 (0)
             0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',                    // community
             0xA0, 0x1B,                                                  // GetRequest, 27 bytes
             0x02, 0x01, 0x01,                                            // request id 1
             0x02, 0x01, 0x00,                                            // error status 0
             0x02, 0x01, 0x00,                                            // error index 0
             0x30, 0x10,                                                  // binding list
             0x30, 0x0E,                                                  // binding
             0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,  // 1.3.6.1.2.1.1.1.0
             0x04, 0x02, 0x00, 0x00,                                      // placeholder: "01", two zero bytes
         })},
        {"the job cancel",
         {kLoopback, "1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7", snmp::PduKind::Set, snmp::ValueKind::Integer, 1414},
         Bytes({
             0x30, 0x30,                                      // message, 48 bytes
             0x02, 0x01, 0x00,                                // version 1 (0)
             0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',        // community
             0xA3, 0x23,                                      // SetRequest, 35 bytes
             0x02, 0x01, 0x01,                                // request id 1
             0x02, 0x01, 0x00,                                // error status 0
             0x02, 0x01, 0x00,                                // error index 0
             0x30, 0x18,                                      // binding list
             0x30, 0x16,                                      // binding
             0x06, 0x10, 0x2B, 0x06, 0x01, 0x04, 0x01,        // 1.3.6.1.4.1
             0x81, 0x7D,                                      // .253
             0x08, 0x4C, 0x03, 0x02, 0x01, 0x01, 0x01,        // .8.76.3.2.1.1.1
             0x01, 0x07,                                      // .1.7: the printer job index
             0x02, 0x02, 0x05, 0x86,                          // INTEGER 1414
         })},
    };
    agent_.SetInteger("1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7", 0);
    for (const Case& c : cases) {
        const size_t before = agent_.RequestCount();
        (void)Call(c.call);
        const std::vector<kvtest::ReceivedRequest> requests = agent_.Requests();
        ASSERT_EQ(requests.size(), before + 1) << c.what;
        EXPECT_TRUE(snmptest::SameBytes(std::as_bytes(std::span(requests.back().bytes)), c.expected)) << c.what;
    }
}

TEST_F(SnmpClientTest, FailuresLeaveTheOutputsAlone) {
    agent_.SetNull("1.3.6.1.2.1.1.5.0");
    struct Case {
        const char* what;
        const char* name;
        AgentAction action;
    };
    const Case cases[] = {
        {"missing object (noSuchName)", "1.3.6.1.2.1.1.4.0", kPlain},
        {"error status on a present object", kSysDescr, WithErrorStatus(5)},
        {"NULL value", "1.3.6.1.2.1.1.5.0", kPlain},
        {"NULL value scripted", kSysDescr, NullValue()},
    };
    for (const Case& c : cases) {
        agent_.Script({c.action});
        char value[snmp::kSnmpTextBytes] = "sentinel";
        EXPECT_FALSE(snmp::SnmpGetString(settings_, kLoopback, c.name, value)) << c.what;
        EXPECT_STREQ(value, "sentinel") << c.what;
        agent_.Script({c.action});
        int32_t number = 0x0DEADBEE;
        EXPECT_FALSE(snmp::SnmpGetInteger(settings_, kLoopback, c.name, &number)) << c.what;
        EXPECT_EQ(number, 0x0DEADBEE) << c.what;
    }

    // The error status is the result, reported as such.
    agent_.Script({WithErrorStatus(5)});
    snmp::SnmpClient client = Call({kLoopback, kSysDescr, snmp::PduKind::Get, snmp::ValueKind::String, 0});
    EXPECT_EQ(client.Error(), SnmpError::ErrorStatus);
    EXPECT_EQ(client.Detail(), 5);

    // A value of another kind than the one asked for.
    int32_t number = 7;
    EXPECT_FALSE(snmp::SnmpGetInteger(settings_, kLoopback, kSysDescr, &number));
    EXPECT_EQ(number, 7);
    client = Call({kLoopback, kSysDescr, snmp::PduKind::Get, snmp::ValueKind::Integer, 0});
    EXPECT_EQ(client.Error(), SnmpError::NoValue);

    // A Set of a value the agent refuses.
    number = 1414;
    EXPECT_FALSE(snmp::SnmpSetInteger(settings_, kLoopback, kSysDescr, &number));
    EXPECT_EQ(number, 1414);
}

TEST_F(SnmpClientTest, BadArgumentsSendNothing) {
    char value[snmp::kSnmpTextBytes] = "sentinel";
    char name[snmp::kSnmpTextBytes] = "1.3.6";
    EXPECT_FALSE(snmp::SnmpGetString(settings_, nullptr, kSysDescr, value));
    EXPECT_FALSE(snmp::SnmpGetString(settings_, kLoopback, nullptr, value));
    EXPECT_FALSE(snmp::SnmpGetString(settings_, kLoopback, kSysDescr, {}));
    EXPECT_FALSE(snmp::SnmpGetInteger(settings_, kLoopback, kSysDescr, nullptr));
    EXPECT_FALSE(snmp::SnmpSetInteger(settings_, kLoopback, kSysDescr, nullptr));
    EXPECT_FALSE(snmp::SnmpGetNextInteger(settings_, kLoopback, name, nullptr));
    EXPECT_FALSE(snmp::SnmpGetNextString(settings_, kLoopback, std::span<char>(), value));
    char unterminated[3] = {'1', '.', '3'};
    EXPECT_FALSE(snmp::SnmpGetNextString(settings_, kLoopback, unterminated, value));
    EXPECT_FALSE(snmp::SnmpGetString(settings_, kLoopback, "1.3.x", value));
    EXPECT_FALSE(snmp::SnmpGetString(settings_, kLoopback, std::string(300, '1').c_str(), value));
    EXPECT_STREQ(value, "sentinel");
    EXPECT_EQ(Call({kLoopback, "9.9", snmp::PduKind::Get, snmp::ValueKind::Any, 0}).Error(), SnmpError::BadName);
    EXPECT_EQ(agent_.RequestCount(), 0u);

    // Names are resolved by the platform only; an unknown one is not sent anywhere.
    EXPECT_EQ(Call({"no-such-printer", kSysDescr, snmp::PduKind::Get, snmp::ValueKind::Any, 0}).Error(),
              SnmpError::Unresolved);
    EXPECT_EQ(agent_.RequestCount(), 0u);
    standin::AddHost("KV-PRINTER", kLoopback);
    EXPECT_TRUE(snmp::SnmpGetString(settings_, "kv-printer", kSysDescr, value));
    EXPECT_STREQ(value, "ZEV KV-TD520");
}

TEST_F(SnmpClientTest, OnlyTheAnswerToThisRequestCounts) {
    struct Case {
        const char* what;
        AgentAction action;
        bool answered;
    };
    const Case cases[] = {
        {"plain answer", kPlain, true},
        {"late but within the wait", Delayed(20), true},
        {"another request id first", Decoys({AnswerTwist::WrongId}), true},
        {"a broken datagram first", Decoys({AnswerTwist::Corrupt, AnswerTwist::Garbage}), true},
        {"another port first", Decoys({AnswerTwist::OtherPort}), true},
        {"every decoy first", Decoys({AnswerTwist::OtherPort, AnswerTwist::WrongId, AnswerTwist::Garbage}), true},
        {"only another request id", Twist(AnswerTwist::WrongId), false},
        {"only a broken datagram", Twist(AnswerTwist::Corrupt), false},
        {"only from another port", Twist(AnswerTwist::OtherPort), false},
        {"no answer", Twist(AnswerTwist::Drop), false},
        {"too late", Delayed(500), false},
    };
    for (const Case& c : cases) {
        // Cases that must be answered get a wait no loaded machine misses; the others a short
        // one, which the 500 ms delay passes.
        settings_.waitMs = c.answered ? kvtest::kAnswerWaitMs : 100;
        agent_.Script({c.action});
        snmp::SnmpClient client = Call({kLoopback, kSysDescr, snmp::PduKind::Get, snmp::ValueKind::String, 0});
        EXPECT_EQ(client.Error(), c.answered ? SnmpError::None : SnmpError::Timeout) << c.what;
        if (c.answered && client.Error() == SnmpError::None) {
            EXPECT_STREQ(client.Answer().text.data(), "ZEV KV-TD520") << c.what;
            EXPECT_STREQ(client.Answer().sender, kLoopback) << c.what;
        }
    }

    // A community the agent does not know gets no answer at all.
    agent_.SetCommunity("public");
    EXPECT_EQ(Call({kLoopback, kSysDescr, snmp::PduKind::Get, snmp::ValueKind::String, 0}).Error(),
              SnmpError::Timeout);
}

TEST_F(SnmpClientTest, TimeoutsAndRetriesFollowTheSettings) {
    const auto timed = [](const snmp::SnmpSettings& settings) {
        const auto start = std::chrono::steady_clock::now();
        snmp::SnmpClient client(settings);
        const bool ok = client.Request({kLoopback, kSysDescr, snmp::PduKind::Get, snmp::ValueKind::String, 0});
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        return std::make_pair(ok ? SnmpError::None : client.Error(), ms.count());
    };

    // No answer: the waits of one try, and one request.
    agent_.Script({Twist(AnswerTwist::Drop)});
    settings_.waitMs = 60;
    auto [error, ms] = timed(settings_);
    EXPECT_EQ(error, SnmpError::Timeout);
    EXPECT_GE(ms, 2 * 60 - 5);
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(agent_.RequestCount(), 1u);

    // Retries send the same request again; the third try is answered.
    agent_.Script({Twist(AnswerTwist::Drop), Twist(AnswerTwist::Drop)});
    settings_.retries = 2;
    std::tie(error, ms) = timed(settings_);
    EXPECT_EQ(error, SnmpError::None);
    const std::vector<kvtest::ReceivedRequest> requests = agent_.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].bytes, requests[3].bytes);

    // Retries run out.
    agent_.Script({Twist(AnswerTwist::Drop), Twist(AnswerTwist::Drop), Twist(AnswerTwist::Drop)});
    std::tie(error, ms) = timed(settings_);
    EXPECT_EQ(error, SnmpError::Timeout);
    EXPECT_EQ(agent_.RequestCount(), 7u);

    // The request id comes from the settings and the answer must carry it.
    settings_.retries = 0;
    settings_.requestId = 0x5A5A;
    std::tie(error, ms) = timed(settings_);
    EXPECT_EQ(error, SnmpError::None);
    EXPECT_EQ(agent_.Requests().back().requestId, 0x5A5A);
}

TEST_F(SnmpClientTest, AnswersToTheBroadcastAddressAreGathered) {
    // Loopback stands in for the broadcast address, so that nothing leaves the host.
    settings_.broadcastAddress = kLoopback;
    settings_.waitMs = 80;
    agent_.Script({Decoys({AnswerTwist::OtherPort, AnswerTwist::WrongId})});
    snmp::SnmpClient client = Call({"", kSysDescr, snmp::PduKind::Get, snmp::ValueKind::String, 0});
    ASSERT_EQ(client.Error(), SnmpError::None);
    ASSERT_EQ(client.Answers().size(), 2u);  // both ports; the other request id is not an answer
    for (const snmp::SnmpAnswer& answer : client.Answers()) {
        EXPECT_STREQ(answer.sender, kLoopback);
        EXPECT_STREQ(answer.text.data(), "ZEV KV-TD520");
    }

    // Nobody answers well: a time-out.
    agent_.Script({WithErrorStatus(2)});
    EXPECT_EQ(Call({nullptr, kSysDescr, snmp::PduKind::Get, snmp::ValueKind::String, 0}).Error(),
              SnmpError::Timeout);
}

TEST_F(SnmpClientTest, LongValuesAndNamesAreBounded) {
    const std::string longText(300, 'x');
    agent_.SetString("1.3.6.1.2.1.1.6.0", longText);
    snmp::SnmpClient client = Call({kLoopback, "1.3.6.1.2.1.1.6.0", snmp::PduKind::Get, snmp::ValueKind::String, 0});
    ASSERT_EQ(client.Error(), SnmpError::None);
    EXPECT_EQ(client.Answer().cbText, snmp::kSnmpTextBytes);
    EXPECT_TRUE(client.Answer().textCut);
    EXPECT_EQ(client.Answer().text[snmp::kSnmpTextBytes], '\0');

    char value[snmp::kSnmpTextBytes];
    ASSERT_TRUE(snmp::SnmpGetString(settings_, kLoopback, "1.3.6.1.2.1.1.6.0", value));
    EXPECT_EQ(std::string(value), longText.substr(0, snmp::kSnmpTextBytes - 1));
    char small[4];
    ASSERT_TRUE(snmp::SnmpGetString(settings_, kLoopback, kSysDescr, small));
    EXPECT_STREQ(small, "ZEV");

    // A GetNext whose answer's name does not fit the caller's buffer fails and keeps the name.
    agent_.SetString("1.3.6.1.2.1.1.7.0.1234567890", "v");
    char name[20] = "1.3.6.1.2.1.1.7";
    EXPECT_FALSE(snmp::SnmpGetNextString(settings_, kLoopback, name, value));
    EXPECT_STREQ(name, "1.3.6.1.2.1.1.7");

    // An object name too long for the callers' 256-byte buffers cannot be walked on from.
    std::string deep = "1.3.6.1.2.1.1.8";
    while (deep.size() < 300) {
        deep += ".4000000000";
    }
    agent_.SetString(deep, "deep");
    EXPECT_EQ(Call({kLoopback, "1.3.6.1.2.1.1.8", snmp::PduKind::GetNext, snmp::ValueKind::String, 0}).Error(),
              SnmpError::WrongName);
}

TEST_F(SnmpClientTest, Walks) {
    agent_.SetAlerts({"Low Toner", "Printer Offline", "Auto Cleaning"});
    agent_.SetInteger("1.3.6.1.2.1.43.18.1.1.9.1.1", 0);  // the next column
    struct Case {
        const char* what;
        std::vector<AgentAction> script;
        size_t maxSteps;
        snmp::ValueKind want;
        size_t steps;
        snmp::WalkStop stop;
    };
    const Case cases[] = {
        {"the whole column", {}, 64, snmp::ValueKind::String, 3, snmp::WalkStop::LeftSubtree},
        {"bounded", {}, 2, snmp::ValueKind::String, 2, snmp::WalkStop::StepLimit},
        {"an agent that loops", {kPlain, SameName()}, 64, snmp::ValueKind::String, 1, snmp::WalkStop::NotAdvancing},
        {"an agent that stops answering", {kPlain, Twist(AnswerTwist::Drop)}, 64, snmp::ValueKind::String, 1,
         snmp::WalkStop::Failed},
        {"an error status mid-walk", {kPlain, kPlain, WithErrorStatus(5)}, 64, snmp::ValueKind::String, 2,
         snmp::WalkStop::Failed},
        {"texts where numbers are wanted", {}, 64, snmp::ValueKind::Integer, 0, snmp::WalkStop::WrongKind},
    };
    for (const Case& c : cases) {
        agent_.Script(c.script);
        // The agent that stops answering is waited out briefly; the others answer.
        const bool silent = std::any_of(c.script.begin(), c.script.end(),
                                        [](const AgentAction& a) { return a.twist == AnswerTwist::Drop; });
        settings_.waitMs = silent ? kvtest::kSilenceWaitMs : kvtest::kAnswerWaitMs;
        snmp::SnmpWalk walk(settings_, kLoopback, kAlertColumn, c.want, c.maxSteps);
        std::vector<std::string> texts;
        while (walk.Next()) {
            texts.emplace_back(walk.Answer().text.data());
        }
        EXPECT_EQ(walk.Steps(), c.steps) << c.what;
        EXPECT_EQ(texts.size(), c.steps) << c.what;
        EXPECT_EQ(walk.Stop(), c.stop) << c.what;
        EXPECT_FALSE(walk.Next()) << c.what;
        if (!texts.empty()) {
            EXPECT_EQ(texts.front(), "Low Toner") << c.what;
        }
    }

    // The end of everything the agent holds also ends a walk.
    snmp::SnmpWalk last(settings_, kLoopback, "1.3.6.1.4.1.253", snmp::ValueKind::Any, 64);
    while (last.Next()) {
    }
    EXPECT_EQ(last.Stop(), snmp::WalkStop::EndOfMib);
    EXPECT_EQ(last.Steps(), 0u);

    // A start name that cannot be sent stops the walk before anything is sent.
    const size_t before = agent_.RequestCount();
    snmp::SnmpWalk bad(settings_, kLoopback, "1.3.q", snmp::ValueKind::Any, 64);
    EXPECT_FALSE(bad.Next());
    EXPECT_EQ(bad.Stop(), snmp::WalkStop::Failed);
    EXPECT_EQ(agent_.RequestCount(), before);
}

TEST_F(SnmpClientTest, TheJobTablesAsTheTrackingReadsThem) {
    agent_.AddJob("AB12", "1.7", 7, 0, 3);
    agent_.AddJob("CD34", "1.9", 17, 0x10, 5);
    const std::string request = "1.3.6.1.4.1.253.8.59.8.1.1.2." + kvtest::JcidIndex("CD34");
    EXPECT_EQ(kvtest::JcidIndex("AB"), "2.65.66");
    char name[snmp::kSnmpTextBytes];
    std::strcpy(name, request.c_str());
    char value[snmp::kSnmpTextBytes];
    ASSERT_TRUE(snmp::SnmpGetNextString(settings_, kLoopback, name, value));
    EXPECT_EQ(std::string(name), request + ".1.9");
    EXPECT_STREQ(value, "CD34");

    int32_t state = 0;
    ASSERT_TRUE(snmp::SnmpGetInteger(settings_, kLoopback, "1.3.6.1.4.1.253.8.59.6.1.1.9.1.1.9", &state));
    EXPECT_EQ(state, 17);

    // The JCID column, row by row.
    std::vector<std::string> jcids;
    snmp::SnmpWalk walk(settings_, kLoopback, "1.3.6.1.4.1.253.8.59.6.1.1.3", snmp::ValueKind::String, 64);
    while (walk.Next()) {
        jcids.emplace_back(walk.Answer().text.data());
    }
    EXPECT_EQ(jcids, (std::vector<std::string>{"AB12", "CD34"}));
    EXPECT_EQ(walk.Stop(), snmp::WalkStop::LeftSubtree);
}

}  // namespace
