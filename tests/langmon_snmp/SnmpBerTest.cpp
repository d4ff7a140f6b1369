// The BER encoder and the bounded decoder of SNMP version 1 messages.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "langmon/snmp/SnmpBer.h"
#include "tests/langmon_snmp/SnmpBytes.h"

namespace {

using snmp::BerError;
using snmp::BerTag;
using snmptest::Bytes;
using snmptest::Join;
using snmptest::SameBytes;

const std::vector<std::byte> kCommunity = Bytes({0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l'});

snmp::Oid MakeOid(const char* text) {
    snmp::Oid oid;
    EXPECT_TRUE(snmp::ParseOid(text, oid)) << text;
    return oid;
}

std::vector<std::byte> Encode(const snmp::MessageOut& message) {
    std::vector<std::byte> out(2048);
    BerError error = BerError::None;
    const size_t size = snmp::EncodeMessage(message, out, &error);
    EXPECT_NE(size, 0u) << "encoder error " << static_cast<int>(error);
    out.resize(size);
    return out;
}

std::vector<std::byte> EncodeOne(BerTag pdu, const char* name, snmp::SnmpValue value, int32_t requestId = 1) {
    const snmp::Oid oid = MakeOid(name);
    snmp::BindingOut binding{&oid, value};
    snmp::MessageOut message;
    message.community = "vantel";
    message.pdu = pdu;
    message.requestId = requestId;
    message.bindings = {&binding, 1};
    return Encode(message);
}

snmp::SnmpValue Value(BerTag type, int64_t number = 0) {
    snmp::SnmpValue value;
    value.type = type;
    value.number = number;
    return value;
}

// A whole answer around one binding's bytes (OID and value items), lengths worked out here
// so that tables can vary the binding alone. Only short forms: keep bindings under 100 bytes.
std::vector<std::byte> Response(const std::vector<std::byte>& bindingItems, int requestId = 1, int errorStatus = 0) {
    std::vector<std::byte> binding = Join({Bytes({0x30, static_cast<int>(bindingItems.size())}), bindingItems});
    std::vector<std::byte> list = Join({Bytes({0x30, static_cast<int>(binding.size())}), binding});
    std::vector<std::byte> pdu = Join({Bytes({0x02, 0x01, requestId, 0x02, 0x01, errorStatus, 0x02, 0x01, 0x00}), list});
    pdu = Join({Bytes({0xA2, static_cast<int>(pdu.size())}), pdu});
    std::vector<std::byte> body = Join({Bytes({0x02, 0x01, 0x00}), kCommunity, pdu});
    return Join({Bytes({0x30, static_cast<int>(body.size())}), body});
}

const std::vector<std::byte> kSysDescrName = Bytes({0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00});

// The answer of a printer to a GetRequest for sysDescr.
const std::vector<std::byte> kSysDescrAnswer = Bytes({
    0x30, 0x32,                                                  // message, 50 bytes
    0x02, 0x01, 0x00,                                            // version 1 (0)
    0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',                    // community
    0xA2, 0x25,                                                  // GetResponse, 37 bytes
    0x02, 0x01, 0x01,                                            // request id 1
    0x02, 0x01, 0x00,                                            // error status 0
    0x02, 0x01, 0x00,                                            // error index 0
    0x30, 0x1A,                                                  // binding list
    0x30, 0x18,                                                  // binding
    0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,  // 1.3.6.1.2.1.1.1.0
    0x04, 0x0C, 'Z', 'E', 'V', ' ', 'K', 'V', '-', 'T', 'D', '5', '2', '0',
});

TEST(SnmpBerEncode, GoldenRequests) {
    const std::vector<std::byte> getSysDescr = Bytes({
        0x30, 0x27,                                                  // message, 39 bytes
        0x02, 0x01, 0x00,                                            // version 1 (0)
        0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',                    // community
        0xA0, 0x1A,                                                  // GetRequest, 26 bytes
        0x02, 0x01, 0x01,                                            // request id 1
        0x02, 0x01, 0x00,                                            // error status
        0x02, 0x01, 0x00,                                            // error index
        0x30, 0x0F, 0x30, 0x0D,                                      // list, binding
        0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,  // 1.3.6.1.2.1.1.1.0
        0x04, 0x01, 0x00,                                            // placeholder: one zero byte
    });
    snmp::SnmpValue placeholder = Value(BerTag::OctetString);
    const std::byte zero[1] = {};
    placeholder.bytes = zero;
    EXPECT_TRUE(SameBytes(EncodeOne(BerTag::GetRequest, "1.3.6.1.2.1.1.1.0", placeholder), getSysDescr));

    // The job cancel: SetRequest of INTEGER 1414 under the printer job index 1.7.
    const std::vector<std::byte> setCancel = Bytes({
        0x30, 0x30,                                      // message, 48 bytes
        0x02, 0x01, 0x00,                                // version
        0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',        // community
        0xA3, 0x23,                                      // SetRequest, 35 bytes
        0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00,
        0x30, 0x18, 0x30, 0x16,                          // list, binding
        0x06, 0x10, 0x2B, 0x06, 0x01, 0x04, 0x01,        // 1.3.6.1.4.1
        0x81, 0x7D,                                      // 253 in two base-128 bytes
        0x08, 0x4C, 0x03, 0x02, 0x01, 0x01, 0x01, 0x01, 0x07,
        0x02, 0x02, 0x05, 0x86,                          // INTEGER 1414
    });
    EXPECT_TRUE(SameBytes(EncodeOne(BerTag::SetRequest, "1.3.6.1.4.1.253.8.76.3.2.1.1.1.1.7",
                                    Value(BerTag::Integer, 1414)),
                          setCancel));

    // GetNext with an INTEGER placeholder and a request id that needs two bytes.
    const std::vector<std::byte> getNext = EncodeOne(BerTag::GetNextRequest, "1.3.6.1.2.1.43.8.2.1.10.1",
                                                     Value(BerTag::Integer), 0x1234);
    EXPECT_TRUE(SameBytes(std::span(getNext).subspan(13, 5), Bytes({0xA1, 0x1E, 0x02, 0x02, 0x12})));
    EXPECT_TRUE(SameBytes(std::span(getNext).last(3), Bytes({0x02, 0x01, 0x00})));
}

TEST(SnmpBerEncode, IntegersTakeTheShortestForm) {
    struct Case {
        BerTag type;
        int64_t number;
        std::vector<std::byte> content;
    };
    const Case cases[] = {
        {BerTag::Integer, 0, Bytes({0x00})},
        {BerTag::Integer, 127, Bytes({0x7F})},
        {BerTag::Integer, 128, Bytes({0x00, 0x80})},
        {BerTag::Integer, -1, Bytes({0xFF})},
        {BerTag::Integer, -128, Bytes({0x80})},
        {BerTag::Integer, -129, Bytes({0xFF, 0x7F})},
        {BerTag::Integer, 0x7FFFFFFF, Bytes({0x7F, 0xFF, 0xFF, 0xFF})},
        {BerTag::Integer, INT32_MIN, Bytes({0x80, 0x00, 0x00, 0x00})},
        {BerTag::Counter, 0xFFFFFFFF, Bytes({0x00, 0xFF, 0xFF, 0xFF, 0xFF})},
        {BerTag::TimeTicks, 0x80000000, Bytes({0x00, 0x80, 0x00, 0x00, 0x00})},
    };
    for (const Case& c : cases) {
        const std::vector<std::byte> message = EncodeOne(BerTag::SetRequest, "1.3.6", Value(c.type, c.number));
        const std::vector<std::byte> expected =
            Join({Bytes({static_cast<int>(c.type), static_cast<int>(c.content.size())}), c.content});
        EXPECT_TRUE(SameBytes(std::span(message).last(expected.size()), expected)) << c.number;
    }
}

TEST(SnmpBerEncode, LengthForms) {
    struct Case {
        size_t cb;
        std::vector<std::byte> header;
    };
    const Case cases[] = {
        {127, Bytes({0x04, 0x7F})},
        {128, Bytes({0x04, 0x81, 0x80})},
        {255, Bytes({0x04, 0x81, 0xFF})},
        {256, Bytes({0x04, 0x82, 0x01, 0x00})},
        {1024, Bytes({0x04, 0x82, 0x04, 0x00})},
    };
    for (const Case& c : cases) {
        const std::string text(c.cb, 'x');
        snmp::SnmpValue value = Value(BerTag::OctetString);
        value.bytes = std::as_bytes(std::span(text.data(), text.size()));
        const std::vector<std::byte> message = EncodeOne(BerTag::SetRequest, "1.3.6", value);
        const auto at = std::span(message).last(c.cb + c.header.size());
        EXPECT_TRUE(SameBytes(at.first(c.header.size()), c.header)) << c.cb;

        // The whole message reads back through the same lengths.
        snmp::SnmpMessage decoded;
        EXPECT_TRUE(snmp::DecodeMessage(message, decoded, nullptr, true)) << c.cb;
    }
}

TEST(SnmpBerEncode, RefusesWhatCannotBeSent) {
    std::vector<std::byte> small(20);
    const snmp::Oid oid = MakeOid("1.3.6.1.2.1.1.1.0");
    snmp::BindingOut binding{&oid, Value(BerTag::Null)};
    snmp::MessageOut message;
    message.community = "vantel";
    message.bindings = {&binding, 1};
    BerError error = BerError::None;
    EXPECT_EQ(snmp::EncodeMessage(message, small, &error), 0u);
    EXPECT_EQ(error, BerError::OutputTooSmall);

    std::vector<std::byte> out(2048);
    const std::string longCommunity(33, 'c');
    message.community = longCommunity;
    EXPECT_EQ(snmp::EncodeMessage(message, out, &error), 0u);
    EXPECT_EQ(error, BerError::BadArgument);

    message.community = "vantel";
    binding.value = Value(BerTag::Integer, int64_t{1} << 31);  // not an INTEGER of 32 bits
    EXPECT_EQ(snmp::EncodeMessage(message, out, &error), 0u);
    binding.value = Value(BerTag::Counter, -1);
    EXPECT_EQ(snmp::EncodeMessage(message, out, &error), 0u);
    binding.value = Value(BerTag::IpAddress);  // needs 4 bytes
    EXPECT_EQ(snmp::EncodeMessage(message, out, &error), 0u);
}

TEST(SnmpOid, ParseTable) {
    struct Case {
        std::string text;
        bool ok;
        size_t arcs;
    };
    std::string arcs69 = "1.3";
    for (int i = 2; i < 69; ++i) {
        arcs69 += ".1";
    }
    const Case cases[] = {
        {"1.3.6.1.2.1.1.1.0", true, 9},
        {".1.3.6", true, 3},             // a leading dot is skipped
        {"1,3 6\t1", true, 4},           // every separator the monitor's names use
        {"1..3", true, 2},               // empty pieces are skipped
        {"2.999.3", true, 3},            // arc 2 takes any second arc
        {"1.3.4294967295", true, 3},
        {"1.3.4294967296", false, 0},    // above 32 bits
        {"1.3.00000000001", false, 0},   // more than ten digits
        {"1.3.x", false, 0},
        {"1.3.-1", false, 0},
        {"3.1", false, 0},               // first arc 0..2
        {"1.40", false, 0},              // second arc below 40 under 0 and 1
        {"1", false, 0},
        {"", false, 0},
        {arcs69, true, 69},              // the longest name an answer may carry
        {arcs69 + ".1", false, 0},
    };
    for (const Case& c : cases) {
        snmp::Oid oid;
        EXPECT_EQ(snmp::ParseOid(c.text, oid), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(oid.count, c.arcs) << c.text;
        }
    }
}

TEST(SnmpOid, FormatCompareAndPrefix) {
    const snmp::Oid oid = MakeOid("1.3.6.1.4.1.253.8.59.6.1.1.3.1.7");
    char text[64];
    ASSERT_TRUE(snmp::FormatOid(oid, text));
    EXPECT_STREQ(text, "1.3.6.1.4.1.253.8.59.6.1.1.3.1.7");
    char small[10] = "unchanged";
    EXPECT_FALSE(snmp::FormatOid(oid, small));
    EXPECT_STREQ(small, "");
    char exact[33];  // 32 characters and the NUL
    EXPECT_TRUE(snmp::FormatOid(oid, exact));
    EXPECT_FALSE(snmp::FormatOid(oid, std::span(exact, 32)));

    EXPECT_LT(snmp::CompareOid(MakeOid("1.3.6"), MakeOid("1.3.6.0")), 0);
    EXPECT_LT(snmp::CompareOid(MakeOid("1.3.6.9"), MakeOid("1.3.6.10")), 0);
    EXPECT_EQ(snmp::CompareOid(MakeOid("1.3.6"), MakeOid(".1.3.6")), 0);
    EXPECT_GT(snmp::CompareOid(MakeOid("1.3.7"), MakeOid("1.3.6.1")), 0);
    EXPECT_TRUE(snmp::OidStartsWith(oid, MakeOid("1.3.6.1.4.1.253")));
    EXPECT_FALSE(snmp::OidStartsWith(MakeOid("1.3.6"), oid));
    EXPECT_FALSE(snmp::OidStartsWith(MakeOid("1.3.7.1"), MakeOid("1.3.6")));
}

TEST(SnmpBerDecode, GoldenAnswer) {
    snmp::SnmpMessage message;
    snmp::DecodeResult result;
    ASSERT_TRUE(snmp::DecodeMessage(kSysDescrAnswer, message, &result));
    EXPECT_EQ(message.version, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(message.community.data()), message.community.size()), "vantel");
    EXPECT_EQ(message.pdu, BerTag::GetResponse);
    EXPECT_EQ(message.requestId, 1);
    EXPECT_EQ(message.errorStatus, 0);
    ASSERT_EQ(message.bindingCount, 1u);
    snmp::BindingReader reader(message);
    snmp::VarBind binding;
    ASSERT_TRUE(reader.Next(binding));
    EXPECT_EQ(snmp::CompareOid(binding.name, MakeOid("1.3.6.1.2.1.1.1.0")), 0);
    EXPECT_EQ(binding.value.type, BerTag::OctetString);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(binding.value.bytes.data()), binding.value.bytes.size()),
              "ZEV KV-TD520");
    EXPECT_FALSE(reader.Next(binding));

    // Requests are refused unless an agent asks for them.
    const std::vector<std::byte> request = EncodeOne(BerTag::GetRequest, "1.3.6.1.2.1.1.1.0", Value(BerTag::Null));
    EXPECT_FALSE(snmp::DecodeMessage(request, message, &result));
    EXPECT_EQ(result.error, BerError::UnknownPdu);
    EXPECT_EQ(result.offset, 13u);
    EXPECT_TRUE(snmp::DecodeMessage(request, message, &result, true));
}

TEST(SnmpBerDecode, ValuesOfEveryType) {
    struct Case {
        const char* what;
        std::vector<std::byte> value;
        BerTag type;
        int64_t number;
        size_t cbBytes;
    };
    const Case cases[] = {
        {"INTEGER 1 byte", Bytes({0x02, 0x01, 0x05}), BerTag::Integer, 5, 0},
        {"INTEGER negative", Bytes({0x02, 0x01, 0xFD}), BerTag::Integer, -3, 0},
        {"INTEGER 4 bytes", Bytes({0x02, 0x04, 0x80, 0x00, 0x00, 0x00}), BerTag::Integer, INT32_MIN, 0},
        {"Counter unsigned", Bytes({0x41, 0x01, 0xFF}), BerTag::Counter, 255, 0},
        {"Counter 2^32-1", Bytes({0x41, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}), BerTag::Counter, 0xFFFFFFFF, 0},
        {"Gauge", Bytes({0x42, 0x02, 0x01, 0x00}), BerTag::Gauge, 256, 0},
        {"TimeTicks", Bytes({0x43, 0x03, 0x01, 0x02, 0x03}), BerTag::TimeTicks, 0x010203, 0},
        {"OCTET STRING empty", Bytes({0x04, 0x00}), BerTag::OctetString, 0, 0},
        {"OCTET STRING", Bytes({0x04, 0x03, 'a', 0x00, 'b'}), BerTag::OctetString, 0, 3},
        {"IpAddress", Bytes({0x40, 0x04, 127, 0, 0, 1}), BerTag::IpAddress, 0, 4},
        {"Opaque", Bytes({0x44, 0x02, 0x9F, 0x78}), BerTag::Opaque, 0, 2},
        {"NULL", Bytes({0x05, 0x00}), BerTag::Null, 0, 0},
        {"noSuchObject", Bytes({0x80, 0x00}), BerTag::NoSuchObject, 0, 0},
        {"endOfMibView", Bytes({0x82, 0x00}), BerTag::EndOfMibView, 0, 0},
    };
    for (const Case& c : cases) {
        // The message views the datagram, so the datagram must outlive it.
        const std::vector<std::byte> datagram = Response(Join({kSysDescrName, c.value}));
        snmp::SnmpMessage message;
        ASSERT_TRUE(snmp::DecodeMessage(datagram, message)) << c.what;
        snmp::BindingReader reader(message);
        snmp::VarBind binding;
        ASSERT_TRUE(reader.Next(binding)) << c.what;
        EXPECT_EQ(binding.value.type, c.type) << c.what;
        EXPECT_EQ(binding.value.number, c.number) << c.what;
        EXPECT_EQ(binding.value.bytes.size(), c.cbBytes) << c.what;
    }

    // An OBJECT IDENTIFIER value, with a first arc of 2 and a 32-bit arc.
    const std::vector<std::byte> datagram =
        Response(Join({kSysDescrName, Bytes({0x06, 0x08, 0x88, 0x37, 0x03, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F})}));
    snmp::SnmpMessage message;
    ASSERT_TRUE(snmp::DecodeMessage(datagram, message));
    snmp::BindingReader reader(message);
    snmp::VarBind binding;
    ASSERT_TRUE(reader.Next(binding));
    char text[64];
    ASSERT_TRUE(snmp::FormatOid(binding.value.oid, text));
    EXPECT_STREQ(text, "2.999.3.4294967295");
}

TEST(SnmpBerDecode, MalformedAnswersAreRefused) {
    struct Case {
        const char* what;
        std::vector<std::byte> datagram;
        BerError error;
    };
    std::vector<std::byte> oid129 = Bytes({0x06, 0x81, 0x80, 0x2B});
    for (int i = 0; i < 127; ++i) {
        oid129.push_back(std::byte{0x01});
    }
    std::vector<std::byte> longString = Bytes({0x30, 0x82, 0x04, 0x0F});  // binding of 1039 bytes
    longString.insert(longString.end(), kSysDescrName.begin(), kSysDescrName.end());
    const std::vector<std::byte> string1025 = Join({Bytes({0x04, 0x82, 0x04, 0x01}), std::vector<std::byte>(1025)});
    longString.insert(longString.end(), string1025.begin(), string1025.end());

    std::vector<std::byte> trailing = Join({kSysDescrAnswer, Bytes({0x00})});
    std::vector<std::byte> badTag = kSysDescrAnswer;
    badTag[13] = std::byte{0xA5};
    std::vector<std::byte> lengthTooBig = kSysDescrAnswer;
    lengthTooBig[1] = std::byte{0x33};

    const Case cases[] = {
        {"empty", {}, BerError::Truncated},
        {"one byte", Bytes({0x30}), BerError::Truncated},
        {"length past the end", lengthTooBig, BerError::Truncated},
        {"bytes after the message", trailing, BerError::TrailingBytes},
        {"three-byte length form", Bytes({0x30, 0x83, 0x00, 0x00, 0x02, 0x02, 0x00}), BerError::BadLength},
        {"indefinite length", Bytes({0x30, 0x80, 0x00, 0x00}), BerError::BadLength},
        {"high tag number", Bytes({0x3F, 0x01, 0x00}), BerError::HighTagNumber},
        {"not a SEQUENCE", Bytes({0x31, 0x00}), BerError::UnexpectedTag},
        {"unknown PDU", badTag, BerError::UnknownPdu},
        {"INTEGER of 5 bytes", Response(Join({kSysDescrName, Bytes({0x02, 0x05, 0, 0, 0, 0, 1})})), BerError::BadInteger},
        {"INTEGER of no bytes", Response(Join({kSysDescrName, Bytes({0x02, 0x00})})), BerError::BadInteger},
        {"Counter of 5 bytes, first not 0", Response(Join({kSysDescrName, Bytes({0x41, 0x05, 1, 0, 0, 0, 0})})),
         BerError::BadInteger},
        {"NULL with content", Response(Join({kSysDescrName, Bytes({0x05, 0x01, 0x00})})), BerError::BadNull},
        {"IpAddress of 3 bytes", Response(Join({kSysDescrName, Bytes({0x40, 0x03, 1, 2, 3})})), BerError::BadIpAddress},
        {"unknown value type", Response(Join({kSysDescrName, Bytes({0x46, 0x00})})), BerError::UnknownValueType},
        {"arc above 32 bits", Response(Join({Bytes({0x06, 0x06, 0x2B, 0x90, 0x80, 0x80, 0x80, 0x00}), Bytes({0x05, 0x00})})),
         BerError::ArcTooLarge},
        {"arc with a redundant leading byte", Response(Join({Bytes({0x06, 0x03, 0x2B, 0x80, 0x01}), Bytes({0x05, 0x00})})),
         BerError::ArcTooLarge},
        {"unterminated arc", Response(Join({Bytes({0x06, 0x02, 0x2B, 0x81}), Bytes({0x05, 0x00})})), BerError::BadOid},
        {"empty name", Response(Join({Bytes({0x06, 0x00}), Bytes({0x05, 0x00})})), BerError::BadOid},
        {"extra item in a binding", Response(Join({kSysDescrName, Bytes({0x05, 0x00, 0x05, 0x00})})),
         BerError::LengthMismatch},
        {"value missing", Response(kSysDescrName), BerError::Truncated},
    };
    for (const Case& c : cases) {
        snmp::SnmpMessage message;
        snmp::DecodeResult result;
        EXPECT_FALSE(snmp::DecodeMessage(c.datagram, message, &result)) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
        EXPECT_LE(result.offset, c.datagram.size()) << c.what;
        EXPECT_EQ(message.bindingCount, 0u) << c.what;
    }

    // Items too long for the one-byte lengths of Response(): built by hand.
    const auto wrap = [](std::vector<std::byte> binding) {
        std::vector<std::byte> list = Join({Bytes({0x30, 0x82, static_cast<int>(binding.size() >> 8),
                                                   static_cast<int>(binding.size() & 0xFF)}),
                                            binding});
        std::vector<std::byte> pdu = Join({Bytes({0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00}), list});
        pdu = Join({Bytes({0xA2, 0x82, static_cast<int>(pdu.size() >> 8), static_cast<int>(pdu.size() & 0xFF)}), pdu});
        std::vector<std::byte> body = Join({Bytes({0x02, 0x01, 0x00}), kCommunity, pdu});
        return Join({Bytes({0x30, 0x82, static_cast<int>(body.size() >> 8), static_cast<int>(body.size() & 0xFF)}),
                     body});
    };
    std::vector<std::byte> oidBinding = Join({oid129, Bytes({0x05, 0x00})});
    oidBinding = Join({Bytes({0x30, 0x81, static_cast<int>(oidBinding.size())}), oidBinding});
    const struct {
        const char* what;
        std::vector<std::byte> datagram;
        BerError error;
    } longCases[] = {
        {"name of 129 arcs", wrap(oidBinding), BerError::OidTooLong},
        {"string of 1025 bytes", wrap(longString), BerError::StringTooLong},
    };
    for (const auto& c : longCases) {
        snmp::SnmpMessage message;
        snmp::DecodeResult result;
        EXPECT_FALSE(snmp::DecodeMessage(c.datagram, message, &result)) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
    }

    // The community and the binding count have limits of their own.
    std::vector<std::byte> community33 = Bytes({0x30, 0x28, 0x02, 0x01, 0x00, 0x04, 0x21});
    community33.resize(community33.size() + 33, std::byte{'c'});
    community33.insert(community33.end(), {std::byte{0xA2}, std::byte{0x00}});
    snmp::SnmpMessage message;
    snmp::DecodeResult result;
    EXPECT_FALSE(snmp::DecodeMessage(community33, message, &result));
    EXPECT_EQ(result.error, BerError::StringTooLong);

    // 31 bindings are taken, 32 are not.
    const std::vector<std::byte> oneBinding = Bytes({0x30, 0x05, 0x06, 0x01, 0x2B, 0x05, 0x00});
    std::vector<std::byte> bindings;
    for (int i = 0; i < 31; ++i) {
        bindings.insert(bindings.end(), oneBinding.begin(), oneBinding.end());
    }
    ASSERT_TRUE(snmp::DecodeMessage(wrap(bindings), message, &result));
    EXPECT_EQ(message.bindingCount, 31u);
    bindings.insert(bindings.end(), oneBinding.begin(), oneBinding.end());
    EXPECT_FALSE(snmp::DecodeMessage(wrap(bindings), message, &result));
    EXPECT_EQ(result.error, BerError::TooManyBindings);
}

// Names and OBJECT IDENTIFIER values of up to 69 arcs are read; a datagram with a longer one
// is dropped whole. The first content byte holds the first two arcs. The longest name the
// monitor reads is a row of the JCID map: 13 arcs of the column, 46 of a 45-character JCID's
// index, the PRID's count and its arcs (62 for the printer's two-arc PRIDs; 69 at a count of 9).
TEST(SnmpBerDecode, ArcLimitOfNamesAndValues) {
    const auto oid = [](size_t arcs) {  // 1.3.1.1...1
        std::vector<std::byte> item = Bytes({0x06, static_cast<int>(arcs - 1), 0x2B});
        item.resize(item.size() + arcs - 2, std::byte{0x01});
        return item;
    };
    const std::vector<std::byte> null = Bytes({0x05, 0x00});
    struct Case {
        const char* what;
        std::vector<std::byte> binding;
        bool accepted;
    };
    const Case cases[] = {
        {"name of 62 arcs", Join({oid(62), null}), true},
        {"name of 69 arcs", Join({oid(69), null}), true},
        {"name of 70 arcs", Join({oid(70), null}), false},
        {"value of 69 arcs", Join({kSysDescrName, oid(69)}), true},
        {"value of 70 arcs", Join({kSysDescrName, oid(70)}), false},
    };
    for (const Case& c : cases) {
        const std::vector<std::byte> datagram = Response(c.binding);
        snmp::SnmpMessage message;
        snmp::DecodeResult result;
        EXPECT_EQ(snmp::DecodeMessage(datagram, message, &result), c.accepted) << c.what;
        EXPECT_EQ(result.error, c.accepted ? BerError::None : BerError::OidTooLong) << c.what;
        EXPECT_EQ(message.bindingCount, c.accepted ? 1u : 0u) << c.what;
    }

    // A JCID map row of a 45-character JCID with a PRID of count 9 reads back whole.
    std::string row = "1.3.6.1.4.1.253.8.59.8.1.1.2.45";
    for (const char c : std::string("JCID00000000000000000000000000000000000000001")) {
        row += "." + std::to_string(static_cast<int>(c));
    }
    row += ".9.1.2.3.4.5.6.7.8.9";
    const std::vector<std::byte> answer = EncodeOne(BerTag::GetResponse, row.c_str(), Value(BerTag::Null));
    snmp::SnmpMessage message;
    ASSERT_TRUE(snmp::DecodeMessage(answer, message));
    snmp::BindingReader reader(message);
    snmp::VarBind binding;
    ASSERT_TRUE(reader.Next(binding));
    EXPECT_EQ(binding.name.count, 69u);
    char text[256];
    ASSERT_TRUE(snmp::FormatOid(binding.name, text));
    EXPECT_EQ(text, row);
}

TEST(SnmpBerDecode, Trap) {
    const std::vector<std::byte> trap = Bytes({
        0x30, 0x2B,                                      // message
        0x02, 0x01, 0x00,                                // version
        0x04, 0x06, 'v', 'a', 'n', 't', 'e', 'l',        // community
        0xA4, 0x1E,                                      // Trap
        0x06, 0x05, 0x2B, 0x06, 0x01, 0x04, 0x01,        // enterprise 1.3.6.1.4.1
        0x40, 0x04, 192, 168, 0, 9,                      // agent address
        0x02, 0x01, 0x06,                                // generic trap: enterprise specific
        0x02, 0x01, 0x03,                                // specific trap
        0x43, 0x02, 0x10, 0x00,                          // time stamp
        0x30, 0x05, 0x30, 0x03, 0x06, 0x01, 0x2B,        // one binding without a value: refused
    });
    snmp::SnmpMessage message;
    snmp::DecodeResult result;
    EXPECT_FALSE(snmp::DecodeMessage(trap, message, &result));
    EXPECT_EQ(result.error, BerError::Truncated);

    std::vector<std::byte> good = trap;
    good.resize(good.size() - 7);
    good.insert(good.end(), {std::byte{0x30}, std::byte{0x00}});
    good[1] = std::byte{0x26};
    good[14] = std::byte{0x19};
    ASSERT_TRUE(snmp::DecodeMessage(good, message, &result)) << static_cast<int>(result.error) << " at " << result.offset;
    EXPECT_EQ(message.pdu, BerTag::Trap);
    EXPECT_EQ(message.agentAddress, (std::array<uint8_t, 4>{192, 168, 0, 9}));
    EXPECT_EQ(message.genericTrap, 6);
    EXPECT_EQ(message.specificTrap, 3);
    EXPECT_EQ(message.timeStamp, 0x1000);
    EXPECT_EQ(message.bindingCount, 0u);
}

// Damaged datagrams of every kind: the decoder must stay inside the bytes (the sanitizer
// builds watch that) and either refuse or give bindings that read back.
void DecodeAndWalk(std::span<const std::byte> datagram) {
    snmp::SnmpMessage message;
    snmp::DecodeResult result;
    if (!snmp::DecodeMessage(datagram, message, &result, true)) {
        EXPECT_NE(result.error, BerError::None);
        EXPECT_LE(result.offset, datagram.size());
        return;
    }
    snmp::BindingReader reader(message);
    snmp::VarBind binding;
    size_t count = 0;
    while (reader.Next(binding)) {
        ++count;
    }
    EXPECT_EQ(count, message.bindingCount);
}

TEST(SnmpBerFuzz, TruncatedAtEveryByte) {
    for (size_t size = 0; size < kSysDescrAnswer.size(); ++size) {
        snmp::SnmpMessage message;
        snmp::DecodeResult result;
        // An exact copy, so that reading one byte past the cut is caught by the sanitizer.
        const std::vector<std::byte> cut(kSysDescrAnswer.begin(), kSysDescrAnswer.begin() + static_cast<long>(size));
        EXPECT_FALSE(snmp::DecodeMessage(cut, message, &result)) << size;
        EXPECT_NE(result.error, BerError::None) << size;
    }
}

TEST(SnmpBerFuzz, EveryByteEveryValue) {
    for (size_t at = 0; at < kSysDescrAnswer.size(); ++at) {
        for (int v = 0; v < 256; ++v) {
            std::vector<std::byte> changed = kSysDescrAnswer;
            changed[at] = static_cast<std::byte>(v);
            DecodeAndWalk(changed);
        }
    }
}

TEST(SnmpBerFuzz, RandomBytesFromAFixedSeed) {
    std::mt19937 random(520);
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::byte> bytes;
        if (round % 2 == 0) {
            // Pure noise, often starting like a message.
            bytes.resize(random() % 300);
            for (std::byte& b : bytes) {
                b = static_cast<std::byte>(random());
            }
            if (!bytes.empty() && round % 4 == 0) {
                bytes[0] = std::byte{0x30};
            }
        } else {
            // A good answer with a few bytes changed and perhaps cut short.
            bytes = kSysDescrAnswer;
            for (unsigned n = random() % 4 + 1; n > 0; --n) {
                bytes[random() % bytes.size()] = static_cast<std::byte>(random());
            }
            bytes.resize(bytes.size() - random() % 8);
        }
        DecodeAndWalk(bytes);
    }
}

TEST(SnmpBerFuzz, EncodeDecodeRoundTrip) {
    std::mt19937 random(161);
    for (int round = 0; round < 2000; ++round) {
        snmp::Oid name;
        name.count = 2 + random() % (snmp::kMaxOidArcs - 1);
        name.arcs[0] = random() % 3;
        name.arcs[1] = name.arcs[0] == 2 ? static_cast<uint32_t>(random()) % 100000 : random() % 40;
        for (size_t i = 2; i < name.count; ++i) {
            name.arcs[i] = round % 3 == 0 ? static_cast<uint32_t>(random()) : random() % 300;
        }
        const int32_t number = static_cast<int32_t>(random());
        snmp::BindingOut binding{&name, Value(BerTag::Integer, number)};
        snmp::MessageOut out;
        out.community = "vantel";
        out.pdu = BerTag::GetResponse;
        out.requestId = static_cast<int32_t>(random());
        out.bindings = {&binding, 1};
        const std::vector<std::byte> bytes = Encode(out);
        snmp::SnmpMessage message;
        ASSERT_TRUE(snmp::DecodeMessage(bytes, message)) << round;
        snmp::BindingReader reader(message);
        snmp::VarBind back;
        ASSERT_TRUE(reader.Next(back));
        EXPECT_EQ(snmp::CompareOid(back.name, name), 0) << round;
        EXPECT_EQ(back.value.number, number);
        EXPECT_EQ(message.requestId, out.requestId);
    }
}

}  // namespace
