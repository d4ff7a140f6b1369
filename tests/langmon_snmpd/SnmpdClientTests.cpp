// The monitor's SNMP client against Debian's snmpd: values, walks to the end of a column,
// errors as failures, the cancel set, and the same answers as the agent fixture gives.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "langmon/snmp/SnmpClient.h"
#include "tests/langmon_snmpd/SnmpdFixture.h"

namespace {

using snmp::SnmpError;
using snmp::WalkStop;

constexpr char kLoopback[] = "127.0.0.1";
constexpr int kNoSuchName = 2;
constexpr size_t kMaxSteps = 64;

class SnmpdClientTest : public kvtest::SnmpdTest {};

// Texts of the walk from `start`, and how it stopped.
struct WalkResult {
    std::vector<std::string> texts;
    std::vector<int64_t> numbers;
    WalkStop stop = WalkStop::None;
};

WalkResult Walk(const snmp::SnmpSettings& settings, const char* start, snmp::ValueKind want) {
    WalkResult result;
    snmp::SnmpWalk walk(settings, kLoopback, start, want, kMaxSteps);
    while (walk.Next()) {
        result.texts.emplace_back(walk.Answer().text.data(), walk.Answer().cbText);
        result.numbers.push_back(walk.Answer().number);
    }
    result.stop = walk.Stop();
    return result;
}

TEST_F(SnmpdClientTest, ReadsTextsAndIntegersAsTheyAreServed) {
    // Bytes a line of the pass program's file cannot carry go as hexadecimal; the agent must
    // hand both forms over unchanged.
    const std::string cp932Call = "\x81\x40\x81\x40\x20\x20\x83\x52\x81\x5B\x83\x8B 0123";
    printer_.SetString("1.3.6.1.2.1.43.16.5.1.2.1.1", cp932Call);
    printer_.SetString("1.3.6.1.2.1.43.16.5.1.2.1.2", "");
    printer_.SetString("1.3.6.1.2.1.43.16.5.1.2.1.3", "  READY  ");
    printer_.SetInteger("1.3.6.1.2.1.43.8.2.1.9.1.1", 4000000000, snmp::BerTag::Gauge);
    Publish();
    const snmp::SnmpSettings settings = Settings();

    char text[snmp::kSnmpTextBytes] = {};
    ASSERT_TRUE(snmp::SnmpGetString(settings, kLoopback, kvtest::kSysDescrOid, text));
    EXPECT_STREQ(text, "ZEV KV-TD520");

    struct IntegerCase {
        const char* name;
        int32_t expected;
    };
    for (const IntegerCase& c : {IntegerCase{kvtest::kHrDeviceOid, 2}, IntegerCase{kvtest::kHrPrinterOid, 3},
                                 IntegerCase{kvtest::kTrayLevelOid, -3}}) {
        SCOPED_TRACE(c.name);
        int32_t value = 0x5A5A;
        ASSERT_TRUE(snmp::SnmpGetInteger(settings, kLoopback, c.name, &value));
        EXPECT_EQ(value, c.expected);
    }

    struct BytesCase {
        const char* name;
        std::string bytes;
    };
    for (const BytesCase& c : {BytesCase{kvtest::kHrErrorStateOid, std::string(1, '\0')},
                               BytesCase{"1.3.6.1.2.1.43.16.5.1.2.1.1", cp932Call},
                               BytesCase{"1.3.6.1.2.1.43.16.5.1.2.1.2", ""},
                               BytesCase{"1.3.6.1.2.1.43.16.5.1.2.1.3", "  READY  "}}) {
        SCOPED_TRACE(c.name);
        snmp::SnmpClient client(settings);
        ASSERT_TRUE(client.Request({kLoopback, c.name, snmp::PduKind::Get, snmp::ValueKind::String, 0}))
            << static_cast<int>(client.Error());
        EXPECT_EQ(std::string(client.Answer().text.data(), client.Answer().cbText), c.bytes);
        EXPECT_STREQ(client.Answer().sender, kLoopback);
    }

    // A Gauge above 2^31 is a value, but not one the monitor's integers can hold.
    snmp::SnmpClient client(settings);
    ASSERT_TRUE(client.Request({kLoopback, "1.3.6.1.2.1.43.8.2.1.9.1.1", snmp::PduKind::Get, snmp::ValueKind::Any, 0}));
    EXPECT_EQ(client.Answer().type, snmp::BerTag::Gauge);
    EXPECT_EQ(client.Answer().number, 4000000000);
    int32_t value = 0;
    EXPECT_FALSE(snmp::SnmpGetInteger(settings, kLoopback, "1.3.6.1.2.1.43.8.2.1.9.1.1", &value));
}

TEST_F(SnmpdClientTest, WalksEndAtTheEndOfTheirColumn) {
    printer_.SetAlerts({"Low Toner", "Printer Offline", "Near KitF Life"});
    printer_.AddJob("JCID0001", "1.7", kvtest::kJobProcessing, 0, 1, true);
    printer_.AddJob("JCID0002", "1.9", kvtest::kJobCompleted, kvtest::kReasonSuccessful, 4, true);
    Publish();
    const snmp::SnmpSettings settings = Settings();

    struct Case {
        const char* what;
        const char* start;
        snmp::ValueKind want;
        std::vector<std::string> texts;
        std::vector<int64_t> numbers;  // checked when not empty
        WalkStop stop;
    };
    const Case cases[] = {
        {"alerts, then the next subtree", "1.3.6.1.2.1.43.18.1.1.8.1", snmp::ValueKind::String,
         {"Low Toner", "Printer Offline", "Near KitF Life"}, {}, WalkStop::LeftSubtree},
        {"JCID column, then the state column", kvtest::kJobJcidColumnOid, snmp::ValueKind::String,
         {"JCID0001", "JCID0002"}, {}, WalkStop::LeftSubtree},
        {"state column, then the reasons column", kvtest::kJobStateColumnOid, snmp::ValueKind::Integer, {"", ""},
         {kvtest::kJobProcessing, kvtest::kJobCompleted}, WalkStop::LeftSubtree},
        {"the last column of the agent", kvtest::kCancelColumnOid, snmp::ValueKind::Integer, {"", ""}, {0, 0},
         WalkStop::EndOfMib},
        {"a column with no rows", "1.3.6.1.2.1.43.18.1.1.9", snmp::ValueKind::Any, {}, {}, WalkStop::LeftSubtree},
        {"a subtree the agent does not serve", "1.3.6.1.2.1.2.2", snmp::ValueKind::Any, {}, {}, WalkStop::LeftSubtree},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WalkResult result = Walk(settings, c.start, c.want);
        EXPECT_EQ(result.texts, c.texts);
        if (!c.numbers.empty()) {
            EXPECT_EQ(result.numbers, c.numbers);
        }
        EXPECT_EQ(result.stop, c.stop);
    }

    // The monitor's own form of a walk: GetNext by name, the name replaced by the answer's.
    char name[snmp::kSnmpTextBytes] = "1.3.6.1.4.1.253.8.59.8.1.1.2";
    char value[snmp::kSnmpTextBytes] = {};
    ASSERT_TRUE(snmp::SnmpGetNextString(settings, kLoopback, name, value));
    EXPECT_STREQ(name, "1.3.6.1.4.1.253.8.59.8.1.1.2.8.74.67.73.68.48.48.48.49.1.7");
    EXPECT_STREQ(value, "JCID0001");
}

TEST_F(SnmpdClientTest, ErrorAnswersAreFailuresNotValues) {
    const snmp::SnmpSettings settings = Settings();
    struct Case {
        const char* what;
        const char* name;
        snmp::PduKind kind;
        snmp::ValueKind want;
        SnmpError error;
        int detail;  // -1: not checked
    };
    const Case cases[] = {
        {"a missing object of a served subtree", "1.3.6.1.2.1.25.3.2.1.5.2", snmp::PduKind::Get, snmp::ValueKind::Any,
         SnmpError::ErrorStatus, kNoSuchName},
        {"an object of a subtree nobody serves", "1.3.6.1.2.1.2.1.0", snmp::PduKind::Get, snmp::ValueKind::Integer,
         SnmpError::ErrorStatus, kNoSuchName},
        {"a column name, not an instance", "1.3.6.1.2.1.25.3.2.1.5", snmp::PduKind::Get, snmp::ValueKind::Integer,
         SnmpError::ErrorStatus, kNoSuchName},
        {"past the last object", "1.3.6.1.4.1.253.9", snmp::PduKind::GetNext, snmp::ValueKind::Any,
         SnmpError::ErrorStatus, kNoSuchName},
        {"an integer asked of a text", kvtest::kSysDescrOid, snmp::PduKind::Get, snmp::ValueKind::Integer,
         SnmpError::NoValue, -1},
        {"a text asked of an integer", kvtest::kHrPrinterOid, snmp::PduKind::Get, snmp::ValueKind::String,
         SnmpError::NoValue, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        snmp::SnmpClient client(settings);
        EXPECT_FALSE(client.Request({kLoopback, c.name, c.kind, c.want, 0}));
        EXPECT_EQ(client.Error(), c.error);
        if (c.detail >= 0) {
            EXPECT_EQ(client.Detail(), c.detail);
        }
    }

    // The monitor's calls say no in the same cases, and leave a missing integer alone.
    int32_t value = 0x5A5A;
    EXPECT_FALSE(snmp::SnmpGetInteger(settings, kLoopback, "1.3.6.1.2.1.25.3.2.1.5.2", &value));
    EXPECT_EQ(value, 0x5A5A);
    char text[snmp::kSnmpTextBytes] = "untouched";
    EXPECT_FALSE(snmp::SnmpGetString(settings, kLoopback, "1.3.6.1.2.1.1.5.0", text));

    // snmpd does not answer another community at all: the request times out.
    snmp::SnmpSettings other = Settings(kvtest::kSilenceWaitMs);
    other.community = "public";
    snmp::SnmpClient stranger(other);
    EXPECT_FALSE(stranger.Request({kLoopback, kvtest::kSysDescrOid, snmp::PduKind::Get, snmp::ValueKind::Any, 0}));
    EXPECT_EQ(stranger.Error(), SnmpError::Timeout);
}

TEST_F(SnmpdClientTest, CancelSetIsTakenOnlyWhereTheAgentAllowsIt) {
    printer_.AddJob("JCID0001", "1.7", kvtest::kJobProcessing, 0, 1, true);
    printer_.AddJob("JCID0002", "1.9", kvtest::kJobProcessing, 0, 1, false);
    printer_.SetString(std::string(kvtest::kCancelColumnOid) + ".1.11", "not a number", true);
    Publish();
    const snmp::SnmpSettings settings = Settings();
    const std::string cancel = kvtest::kCancelColumnOid;

    // Version 1 has no notWritable or wrongType: the agent answers noSuchName and badValue.
    constexpr int kBadValue = 3;
    struct Case {
        const char* what;
        std::string name;
        bool taken;
        int errorStatus;
    };
    const Case cases[] = {
        {"a writable cancel object", cancel + ".1.7", true, 0},
        {"a read-only cancel object", cancel + ".1.9", false, kNoSuchName},
        {"no such job", cancel + ".1.8", false, kNoSuchName},
        {"a text object", cancel + ".1.11", false, kBadValue},
        {"outside every served subtree", "1.3.6.1.2.1.2.1.0", false, kNoSuchName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t value = kvtest::kCancelValue;
        snmp::SnmpClient client(settings);
        const bool taken = client.Request({kLoopback, c.name.c_str(), snmp::PduKind::Set, snmp::ValueKind::Integer,
                                           kvtest::kCancelValue});
        EXPECT_EQ(taken, c.taken);
        if (!c.taken) {
            EXPECT_EQ(client.Error(), SnmpError::ErrorStatus);
            EXPECT_EQ(client.Detail(), c.errorStatus);
        }
        EXPECT_EQ(snmp::SnmpSetInteger(settings, kLoopback, c.name.c_str(), &value), c.taken);
    }

    // The set reached the printer: the object now reads 1414, the read-only one still 0.
    int32_t value = 0;
    ASSERT_TRUE(snmp::SnmpGetInteger(settings, kLoopback, (cancel + ".1.7").c_str(), &value));
    EXPECT_EQ(value, kvtest::kCancelValue);
    ASSERT_TRUE(snmp::SnmpGetInteger(settings, kLoopback, (cancel + ".1.9").c_str(), &value));
    EXPECT_EQ(value, 0);
}

// One request's outcome, as far as a caller can see it.
struct Outcome {
    bool ok = false;
    SnmpError error = SnmpError::None;
    int detail = 0;
    std::string name;
    snmp::BerTag type = snmp::BerTag::Null;
    int64_t number = 0;
    std::string text;

    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* out) {
    *out << (o.ok ? "ok " : "failed ") << static_cast<int>(o.error) << "/" << o.detail << " " << o.name << " type "
         << static_cast<int>(o.type) << " = " << o.number << " [" << o.text << "]";
}

Outcome Ask(const snmp::SnmpSettings& settings, const snmp::SnmpCall& call) {
    snmp::SnmpClient client(settings);
    Outcome o;
    o.ok = client.Request(call);
    o.error = client.Error();
    o.detail = client.Detail();
    if (o.ok) {
        const snmp::SnmpAnswer& a = client.Answer();
        o.name = a.name;
        o.type = a.type;
        o.number = a.number;
        o.text.assign(a.text.data(), a.cbText);
    }
    return o;
}

// Every object, walked from the root of the names, in the agent's order.
std::vector<Outcome> WalkAll(const snmp::SnmpSettings& settings) {
    std::vector<Outcome> all;
    std::string name = "1.3";
    for (size_t i = 0; i < 200; ++i) {
        all.push_back(Ask(settings, {kLoopback, name.c_str(), snmp::PduKind::GetNext, snmp::ValueKind::Any, 0}));
        if (!all.back().ok) break;
        name = all.back().name;
    }
    return all;
}

TEST_F(SnmpdClientTest, AnswersAsTheAgentFixtureDoes) {
    printer_.SetAlerts({"Low Toner", "PM Parts Life 0001 0002 0003"});
    printer_.AddJob("JCID0001", "1.7", kvtest::kJobProcessing, 0, 2, true);
    printer_.AddJob("JCID0002", "2.3.4", kvtest::kJobCompleted, kvtest::kReasonSuccessful, 5, true);
    Publish();
    kvtest::SnmpAgent fixture;
    printer_.LoadInto(fixture);
    const snmp::SnmpSettings real = Settings();
    const snmp::SnmpSettings fake = fixture.Settings();

    // The whole view, object by object, ends the same way (noSuchName after the last).
    const std::vector<Outcome> fromSnmpd = WalkAll(real);
    const std::vector<Outcome> fromFixture = WalkAll(fake);
    EXPECT_EQ(fromSnmpd, fromFixture);
    EXPECT_EQ(fromSnmpd.size(), printer_.Objects().size() + 1);

    const std::vector<snmp::SnmpCall> calls = {
        {kLoopback, kvtest::kSysDescrOid, snmp::PduKind::Get, snmp::ValueKind::String, 0},
        {kLoopback, kvtest::kHrErrorStateOid, snmp::PduKind::Get, snmp::ValueKind::String, 0},
        {kLoopback, kvtest::kTrayLevelOid, snmp::PduKind::Get, snmp::ValueKind::Integer, 0},
        {kLoopback, "1.3.6.1.2.1.25.3.2.1.5.2", snmp::PduKind::Get, snmp::ValueKind::Integer, 0},
        {kLoopback, "1.3.6.1.2.1.43.18.1.1.8.1.2", snmp::PduKind::GetNext, snmp::ValueKind::String, 0},
        {kLoopback, "1.3.6.1.4.1.253.8.59.8.1.1.2.8", snmp::PduKind::GetNext, snmp::ValueKind::String, 0},
        {kLoopback, "1.3.6.1.4.1.253.8.76.3.2.1.1.1.2.3.4", snmp::PduKind::GetNext, snmp::ValueKind::Any, 0},
        {kLoopback, "1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7", snmp::PduKind::Set, snmp::ValueKind::Integer, 1414},
    };
    for (const snmp::SnmpCall& call : calls) {
        SCOPED_TRACE(call.name);
        EXPECT_EQ(Ask(real, call), Ask(fake, call));
    }
}

}  // namespace
