// The job header parse: the rendering library's header, cut headers, hostile bytes.
#include <cstring>
#include <random>
#include <string>

#include "langmon/job/JobHeader.h"
#include "tests/langmon_core/PortFixture.h"

namespace kvtest {
namespace {

using langmon::PortContext;

const std::string kUel = "\x1B%-12345X";
const std::string kName = "KVHOST-0305-090703-00001";                       // 24 characters
const std::string kJcid = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678";  // 45 characters
// The job line exactly as the renderer writes it.
const std::string kJobLine = "@PJL JOB NAME=\"" + kName + "\" @JCID=\"" + kJcid + "\" DNAME=\"doc\" UNAME=\"u\"\r\n";

class JobHeaderTest : public PortContextTest {
protected:
    PortContext* Parse(DWORD kind, const std::string& data) {
        PortContext* port = ports_.empty() ? MakePort(u"HDR", kind) : ports_.front();
        port->PortKind = kind;
        langmon::ResetJobHeader(*port);
        port->Jcid[0] = 0;
        langmon::ParseJobHeader(*port, std::as_bytes(std::span(data.data(), data.size())));
        return port;
    }
};

TEST_F(JobHeaderTest, Table) {
    using namespace langmon::port_kind;
    struct Case {
        const char* what;
        DWORD kind;
        std::string data;
        LONG type;
        std::string jcid;
    } cases[] = {
        {"renderer's header, TCP/IP", StandardTcpPort, kUel + kJobLine + "@PJL ENTER LANGUAGE=VRTL\r\n", 2, kJcid},
        {"renderer's header, DPU", DpuTcpPort, kUel + kJobLine, 2, kJcid},
        {"name as JCID elsewhere", LocalPort, kUel + kJobLine, 2, kName},
        {"19 bytes", StandardTcpPort, (kUel + kJobLine).substr(0, 19), -1, ""},
        {"PostScript", StandardTcpPort, "%!PS-Adobe-3.0\nsome more text", 1, ""},
        {"plain data", StandardTcpPort, std::string(40, 'x'), -1, ""},
        {"JOB without NAME clears", StandardTcpPort, kUel + kJobLine + "@PJL JOB\r\n@PJL ENTER LANGUAGE=X\r\n", -1, ""},
        {"after ENTER ignored", StandardTcpPort, kUel + "@PJL ENTER LANGUAGE=X\r\n" + kJobLine, -1, ""},
        {"no line feed", StandardTcpPort, kUel + "@PJL COMMENT no end of line at all", -1, ""},
        {"JCID without name", StandardTcpPort, kUel + "@PJL JOB@JCID=\"" + kJcid + "\"\r\n", 2, kJcid},
    };
    for (const Case& c : cases) {
        PortContext* port = Parse(c.kind, c.data);
        EXPECT_EQ(port->JobType, c.type) << c.what;
        EXPECT_EQ(std::string(port->Jcid), c.jcid) << c.what;
    }
}

TEST_F(JobHeaderTest, ParsedJobIsNotParsedAgain) {
    PortContext* port = Parse(langmon::port_kind::StandardTcpPort, kUel + kJobLine);
    ASSERT_EQ(port->JobType, 2);
    const std::string other = kUel + "@PJL JOB\r\n" + std::string(30, 'y');
    langmon::ParseJobHeader(*port, std::as_bytes(std::span(other.data(), other.size())));
    EXPECT_EQ(std::string(port->Jcid), kJcid);
}

// A header cut at every length is read within its bytes: a copy that ends exactly at the cut
// lets the sanitizers see any read past it.
TEST_F(JobHeaderTest, CutAnywhere) {
    const std::string full = kUel + kJobLine + "@PJL ENTER LANGUAGE=VRTL\r\n";
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        std::vector<char> exact(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        for (DWORD kind : {langmon::port_kind::StandardTcpPort, langmon::port_kind::LocalPort}) {
            PortContext* port = ports_.empty() ? MakePort(u"HDR", kind) : ports_.front();
            port->PortKind = kind;
            langmon::ResetJobHeader(*port);
            port->Jcid[0] = 0;
            langmon::ParseJobHeader(*port, std::as_bytes(std::span(exact.data(), exact.size())));
            // The JCID is whole or absent; the type 2 needs its closing quote.
            const size_t length = std::strlen(port->Jcid);
            EXPECT_TRUE(length == 0 || length == 45 || length == 24) << cut;
            // The closing quote after the JCID, or after the name on the other ports.
            const size_t quoteAt = kind == langmon::port_kind::StandardTcpPort ? 9 + 93 : 9 + 39;
            if (port->JobType == 2) {
                EXPECT_GT(cut, quoteAt) << cut;
            }
        }
    }
}

TEST_F(JobHeaderTest, HostileBytesWithFixedSeed) {
    std::mt19937 random(520);
    const std::string seeds[] = {kUel + kJobLine, kUel + "@PJL JOB NAME=\"", kUel + "@PJL ENTER"};
    for (int round = 0; round < 3000; ++round) {
        std::string data = seeds[round % 3];
        const size_t length = random() % 200;
        if (length < data.size()) data.resize(length);
        while (data.size() < length) data += static_cast<char>(random() % 256);
        for (int flips = random() % 6; flips > 0 && !data.empty(); --flips) {
            data[random() % data.size()] = static_cast<char>(random() % 256);
        }
        std::vector<char> exact(data.begin(), data.end());
        PortContext* port = ports_.empty() ? MakePort(u"HDR", langmon::port_kind::DpuTcpPort) : ports_.front();
        port->PortKind = round % 2 == 0 ? langmon::port_kind::DpuTcpPort : langmon::port_kind::ComPort;
        langmon::ResetJobHeader(*port);
        langmon::ParseJobHeader(*port, std::as_bytes(std::span(exact.data(), exact.size())));
        ASSERT_NE(port->JobType, 0);
        ASSERT_LT(std::strlen(port->Jcid), sizeof port->Jcid);
    }
}

TEST(JcidTest, IndexAndIdentifiers) {
    char index[256];
    ASSERT_TRUE(langmon::EncodeJcidIndex("AB", index, sizeof index));
    EXPECT_STREQ(index, "2.65.66");
    ASSERT_TRUE(langmon::EncodeJcidIndex(kJcid.c_str(), index, sizeof index));
    EXPECT_EQ(std::strlen(index), 2u + 45u * 3u);
    EXPECT_FALSE(langmon::EncodeJcidIndex("ab", index, sizeof index));
    EXPECT_FALSE(langmon::EncodeJcidIndex("ABC", index, 8));

    const char check[] = "123456789";
    EXPECT_EQ(langmon::Crc16Arc(std::as_bytes(std::span(check, 9))), 0xBB3D);
}

class JobUidTest : public StandInTest {};

TEST_F(JobUidTest, ComputerNameCrcAndTicks) {
    standin::SetComputerName(u"KVHOST");
    standin::SetTickCount(0x1234ABCD);
    char uid[25];
    langmon::MakeJobUID(uid);
    const char name[] = "KVHOST";
    char crc[5];
    std::snprintf(crc, sizeof crc, "%04X", langmon::Crc16Arc(std::as_bytes(std::span(name, 6))));
    EXPECT_EQ(std::string(uid), std::string("03") + "4B56484F53" + crc + "1234ABCD");

    GUID guid{0x01020304, 0x0506, 0x0708, {0x0A, 0x1B, 0, 0xFF, 1, 2, 3, 4}};
    standin::SetNextGuid(guid);
    char jcid[33];
    ASSERT_TRUE(langmon::MakeGuidJCID(jcid));
    EXPECT_STREQ(jcid, "0102030405060708A1B0FF1234");
}

}  // namespace
}  // namespace kvtest
