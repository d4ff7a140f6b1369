// What the job tracking sends to the printer: its walks of the JCID map and of the job table
// carry a text placeholder (a one-byte OCTET STRING of zero), its readings INTEGER 0, and its
// cancel INTEGER 1414; never NULL.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "langmon/printer/JobTracking.h"
#include "tests/langmon_snmp/SnmpBytes.h"
#include "tests/langmon_track/TrackFixture.h"

namespace {

using kvtest::TestJcid;

class TrackRequestTest : public kvtest::TrackTest {};

TEST_F(TrackRequestTest, TheJcidMapLookupOnTheWire) {
    langmon::JobQueueEntry* entry = Queue(1, "AB");  // JCID index 2.65.66
    ASSERT_NE(entry, nullptr);
    agent_.AddJob("AB", "1.7", kvtest::kProcessing, 0, 1);
    ASSERT_TRUE(langmon::GetAndCheckJCID(*port_, *entry));
    EXPECT_STREQ(entry->PrinterJobIndex, "1.7");

    const std::vector<kvtest::ReceivedRequest> requests = agent_.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_TRUE(snmptest::SameBytes(std::as_bytes(std::span(requests.front().bytes)),
                                    snmptest::Bytes({
                                        0x30, 0x2F,                                // message, 47 bytes
                                        0x02, 0x01, 0x00,                          // version 1 (0)
                                        0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',  // community
                                        0xA1, 0x22,                                // GetNextRequest, 34 bytes
                                        0x02, 0x01, 0x01,                          // request id 1
                                        0x02, 0x01, 0x00,                          // error status 0
                                        0x02, 0x01, 0x00,                          // error index 0
                                        0x30, 0x17,                                // binding list
                                        0x30, 0x15,                                // binding
                                        0x06, 0x10, 0x2B, 0x06, 0x01, 0x04, 0x01,  // 1.3.6.1.4.1
                                        0x81, 0x7D,                                // .253
                                        0x08, 0x3B, 0x08, 0x01, 0x01, 0x02,        // .8.59.8.1.1.2: the map
                                        0x02, 0x41, 0x42,                          // .2.65.66: "AB"
                                        0x04, 0x01, 0x00,                          // placeholder: a text
                                    })));
}

TEST_F(TrackRequestTest, EveryRequestCarriesTheValueOfItsKind) {
    struct Case {
        const char* what;
        std::function<void()> pass;
    };
    const Case cases[] = {
        {"the JCID lookup", [this] { EXPECT_TRUE(langmon::GetAndCheckJCID(*port_, *port_->QueueHead)); }},
        {"the pass over the queue", [this] { langmon::CheckJCID_SNMP(*port_); }},
        {"the walk of the job table", [this] { langmon::CheckJCID_SNMP_FD(*port_); }},
        {"whether the printer prints", [this] { EXPECT_TRUE(langmon::DEP_CheckPrintingStatus_SNMP(*port_)); }},
        {"the cancel", [this] { EXPECT_TRUE(langmon::DEP_CancelJob_SNMP(*port_)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        Queue(1, TestJcid(1));
        agent_.AddJob(TestJcid(1), "1.7", kvtest::kProcessing, 0, 1);
        agent_.SetInteger(std::string(kvtest::kCancelColumnOid) + ".1.7", 0);
        const size_t before = agent_.RequestCount();
        c.pass();
        const std::vector<kvtest::ReceivedRequest> requests = agent_.Requests();
        ASSERT_GT(requests.size(), before);
        for (size_t i = before; i < requests.size(); ++i) {
            const kvtest::ReceivedRequest& r = requests[i];
            SCOPED_TRACE(r.name);
            switch (r.pdu) {
            case snmp::BerTag::GetNextRequest:
                EXPECT_EQ(r.valueType, snmp::BerTag::OctetString);
                EXPECT_EQ(r.value, std::string(1, '\0'));
                break;
            case snmp::BerTag::GetRequest:
                EXPECT_EQ(r.valueType, snmp::BerTag::Integer);
                EXPECT_EQ(r.number, 0);
                break;
            case snmp::BerTag::SetRequest:
                EXPECT_EQ(r.valueType, snmp::BerTag::Integer);
                EXPECT_EQ(r.number, 1414);
                break;
            default:
                ADD_FAILURE() << "PDU " << static_cast<int>(r.pdu);
            }
        }
    }
}

}  // namespace
