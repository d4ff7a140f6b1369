// The monitor's own port documents: status data written with held-back bytes kept in order,
// and the block that ends the printer's status reports.
#include <gtest/gtest.h>

#include <cstring>

#include "langmon/job/PortDocument.h"
#include "langmon/status/StatusVariables.h"
#include "platform/Kernel.h"
#include "tests/langmon_portdata/PortDataFixture.h"

namespace kvtest {
namespace {

namespace monitor = standin::monitor;
namespace kind = langmon::port_kind;
namespace state = langmon::port_state;

constexpr char16_t kPort[] = u"DPU_10.0.0.9";

class PortDocumentTest : public BarePortTest {
protected:
    langmon::PortContext* Tracked() {
        langmon::PortContext* port = MakePort(kPort, kind::DpuTcpPort);
        if (port != nullptr) port->State |= state::DeviceSupported;
        return port;
    }
    static std::vector<BYTE> HeldBack(const langmon::PortContext& port) {
        return std::vector<BYTE>(port.Pending, port.Pending + port.cbPending);
    }
    static void SetPrinterStatus(langmon::PortContext& port, DWORD m, DWORD l) {
        const PrinterStatusValue value{0, m, l};
        ASSERT_TRUE(port.Variables->Store(port.Variables->row(kRowPrinterStatus), &value, sizeof value));
    }
};

// Whatever the port does, after every call what it received followed by what is held back is
// exactly what was handed over so far: nothing lost, nothing twice, nothing out of order.
TEST_F(PortDocumentTest, HeldBackBytesKeepTheirPlaceWhateverThePortTakes) {
    struct Case {
        const char* what;
        DWORD maxTake;
        DWORD error;
        unsigned failWrites;
        DWORD failTake;
    };
    const Case cases[] = {
        {"takes everything", 0, 0, 0, 0},
        {"takes 7 bytes a write", 7, 0, 0, 0},
        {"first writes fail", 0, ERROR_GEN_FAILURE, 3, 0},
        {"failing writes still take 3 bytes", 0, ERROR_GEN_FAILURE, 6, 3},
        {"fails beyond the tries of one call", 0, ERROR_GEN_FAILURE, 60, 0},
        {"takes 5 bytes a write and fails some", 5, ERROR_GEN_FAILURE, 8, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        monitor::Reset();
        langmon::PortContext* port = Tracked();
        ASSERT_NE(port, nullptr);
        monitor::PortBehaviour behaviour;
        behaviour.maxTakePerWrite = c.maxTake;
        behaviour.writeError = c.error;
        behaviour.failWrites = c.failWrites;
        behaviour.writeFailTake = c.failTake;
        monitor::SetPortBehaviour(kPort, behaviour);

        std::vector<BYTE> fed;
        auto conserved = [&] {
            std::vector<BYTE> seen = AllDocumentBytes(kPort);
            const std::vector<BYTE> held = HeldBack(*port);
            seen.insert(seen.end(), held.begin(), held.end());
            return FirstDifference(seen, fed);
        };
        for (BYTE chunk = 0; chunk < 3; ++chunk) {
            const std::vector<BYTE> data = Numbered(40, static_cast<BYTE>(chunk * 40));
            fed.insert(fed.end(), data.begin(), data.end());
            DWORD written = kSentinel;
            langmon::WritePortData(*port, data.data(), static_cast<DWORD>(data.size()), &written, true, true);
            EXPECT_LE(written, data.size());
            ASSERT_EQ(conserved(), "equal") << "after chunk " << int(chunk);
        }
        for (int flush = 0; flush < 100 && port->cbPending != 0; ++flush) {
            langmon::WritePortData(*port, nullptr, 0, nullptr, true, true);
            ASSERT_EQ(conserved(), "equal") << "after flush " << flush;
        }
        EXPECT_EQ(port->cbPending, 0u);
        EXPECT_EQ(FirstDifference(AllDocumentBytes(kPort), fed), "equal");
        // Each call ended the document it opened.
        EXPECT_EQ(CountCalls(kPort, "StartDocPort -1"), CountCalls(kPort, "EndDocPort"));
        EXPECT_EQ(port->State & state::PortDocOpen, 0u);
    }
}

TEST_F(PortDocumentTest, WhatOneCallWritesKeepsAndReports) {
    struct Case {
        const char* what;
        DWORD maxTake;
        unsigned failWrites;
        DWORD failTake;
        bool keepRest;
        bool ok;
        DWORD written;
        DWORD heldBack;
        DWORD error;
    };
    const Case cases[] = {
        {"all taken", 0, 0, 0, false, true, 40, 0, ERROR_SUCCESS},
        {"port fails, rest not kept", 0, 1000, 0, false, false, 0, 0, ERROR_GEN_FAILURE},
        {"port fails, rest kept", 0, 1000, 0, true, false, 0, 40, ERROR_GEN_FAILURE},
        {"partial write keeps the rest", 7, 0, 0, false, false, 7, 33, 1460},
        {"a failing write that took bytes", 0, 1000, 3, false, false, 3, 37, ERROR_GEN_FAILURE},
    };
    const std::vector<BYTE> data = Numbered(40);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        monitor::Reset();
        langmon::PortContext* port = Tracked();
        ASSERT_NE(port, nullptr);
        monitor::PortBehaviour behaviour;
        behaviour.maxTakePerWrite = c.maxTake;
        behaviour.writeError = ERROR_GEN_FAILURE;
        behaviour.failWrites = c.failWrites;
        behaviour.writeFailTake = c.failTake;
        monitor::SetPortBehaviour(kPort, behaviour);
        DWORD written = kSentinel;
        SetLastError(kSentinel);
        EXPECT_EQ(langmon::WritePortData(*port, data.data(), 40, &written, c.keepRest, false), c.ok);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(HeldBack(*port), std::vector<BYTE>(data.end() - c.heldBack, data.end()));
        // Nothing given up on retries a failing port less than 50 times.
        if (c.failWrites != 0 && c.failTake == 0) {
            EXPECT_EQ(CountCalls(kPort, "WritePort"), 50u);
        }
    }
}

// While a job's data pass through the port, held-back bytes wait and new data join them.
TEST_F(PortDocumentTest, HeldBackBytesWaitWhileAJobPassesThrough) {
    langmon::PortContext* port = Tracked();
    ASSERT_NE(port, nullptr);
    monitor::PortBehaviour failing;
    failing.writeError = ERROR_GEN_FAILURE;
    failing.failWrites = 50;
    monitor::SetPortBehaviour(kPort, failing);
    const std::vector<BYTE> first = Numbered(30);
    const std::vector<BYTE> second = Numbered(20, 30);
    EXPECT_FALSE(langmon::WritePortData(*port, first.data(), 30, nullptr, true, false));
    ASSERT_EQ(port->cbPending, 30u);

    port->InJobWord = 1;
    port->State |= state::InJob;
    const size_t calls = monitor::PortCalls(kPort).size();
    SetLastError(kSentinel);
    EXPECT_FALSE(langmon::WritePortData(*port, second.data(), 20, nullptr, true, false));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    EXPECT_EQ(monitor::PortCalls(kPort).size(), calls) << "the port is not touched";

    // The job's end: the in-job state goes first, so the bytes go out before the word is cleared.
    port->State &= ~state::InJob;
    EXPECT_TRUE(langmon::WritePortData(*port, nullptr, 0, nullptr, true, false));
    std::vector<BYTE> both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(FirstDifference(AllDocumentBytes(kPort), both), "equal");
    EXPECT_EQ(port->cbPending, 0u);
}

// The monitor's own documents are only for followed ports; an open document is used as it is.
TEST_F(PortDocumentTest, StatusDocumentsOnlyOnFollowedPorts) {
    struct Case {
        const char16_t* port;
        DWORD kind;
        bool opens;
    };
    const Case cases[] = {
        {u"IP_10.0.0.5", kind::StandardTcpPort, true},
        {u"DPU_10.0.0.6", kind::DpuTcpPort, true},
        {u"LPT1:", kind::LocalPort, false},
        {u"LPT2:", kind::SharePort, false},
        {u"FILE:", kind::OtherPort, false},
    };
    const std::vector<BYTE> data = Numbered(12);
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.port));
        langmon::PortContext* port = MakePort(c.port, c.kind);
        ASSERT_NE(port, nullptr);
        DWORD written = kSentinel;
        EXPECT_EQ(langmon::WritePortData(*port, data.data(), 12, &written, true, false), c.opens);
        EXPECT_EQ(written, c.opens ? 12u : 0u);
        if (c.opens) {
            EXPECT_EQ(monitor::PortCalls(c.port),
                      (std::vector<std::string>{"OpenPort", "StartDocPort -1", "SetPortTimeOuts 10 0 100 0 0",
                                                "WritePort 12/12", "EndDocPort"}));
        } else {
            EXPECT_EQ(CountCalls(c.port, "StartDocPort"), 0u);
            EXPECT_EQ(port->cbPending, 0u) << "refused before anything was kept";
        }
    }

    // A document already open is written into and left open for its owner.
    langmon::PortContext* port = MakePort(u"DPU_10.0.0.7", kind::DpuTcpPort);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(langmon::OpenStatusDocument(*port));
    EXPECT_FALSE(langmon::OpenStatusDocument(*port)) << "one document at a time";
    EXPECT_TRUE(langmon::WritePortData(*port, data.data(), 12, nullptr, false, false));
    EXPECT_NE(port->State & state::PortDocOpen, 0u);
    langmon::CloseStatusDocument(*port);
    EXPECT_EQ(port->State & state::PortDocOpen, 0u);
    EXPECT_EQ(monitor::PortCalls(u"DPU_10.0.0.7"),
              (std::vector<std::string>{"OpenPort", "StartDocPort -1", "SetPortTimeOuts 10 0 100 0 0",
                                        "WritePort 12/12", "EndDocPort"}));

    // Only when the port tracks jobs, when the caller asks for that.
    port = MakePort(u"DPU_10.0.0.8", kind::DpuTcpPort);
    ASSERT_NE(port, nullptr);
    EXPECT_FALSE(langmon::WritePortData(*port, data.data(), 12, nullptr, true, true));
    EXPECT_EQ(monitor::PortCalls(u"DPU_10.0.0.8"), std::vector<std::string>{"OpenPort"});
}

TEST_F(PortDocumentTest, UstatusOffIsOnePjlBlockBetweenTwoUels) {
    const std::string uel = "\x1B%-12345X";
    std::string block = uel;             // leave whatever language the printer is in
    block += "@PJL USTATUSOFF\r\n";      // its unsolicited status reports end
    block += uel;                        // and nothing follows the closing UEL
    const std::vector<BYTE> expected(block.begin(), block.end());
    ASSERT_EQ(expected.size(), 35u);

    langmon::PortContext* port = Tracked();
    ASSERT_NE(port, nullptr);
    langmon::SendUstatusOff(*port);
    const std::vector<monitor::PortDocument> docs = monitor::PortDocuments(kPort);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(FirstDifference(docs[0].bytes, expected), "equal");
    EXPECT_TRUE(docs[0].ended);
    EXPECT_EQ(monitor::PortCalls(kPort), (std::vector<std::string>{"OpenPort", "StartDocPort -1",
                                                                   "SetPortTimeOuts 10 0 100 0 0", "WritePort 35/35",
                                                                   "EndDocPort"}));

    // Bytes still held back go first; nothing is held back afterwards.
    monitor::PortBehaviour failing;
    failing.writeError = ERROR_GEN_FAILURE;
    failing.failWrites = 50;
    monitor::SetPortBehaviour(kPort, failing);
    const std::vector<BYTE> held = Numbered(5);
    langmon::WritePortData(*port, held.data(), 5, nullptr, true, false);
    ASSERT_EQ(port->cbPending, 5u);
    langmon::SendUstatusOff(*port);
    std::vector<BYTE> both = held;
    both.insert(both.end(), expected.begin(), expected.end());
    EXPECT_EQ(FirstDifference(monitor::PortDocuments(kPort).back().bytes, both), "equal");
    EXPECT_EQ(port->cbPending, 0u);
}

TEST_F(PortDocumentTest, UstatusOffOnlyToAPrinterThatListens) {
    struct Case {
        const char* what;
        bool tracked;
        DWORD m;
        DWORD l;
        bool inJob;
    };
    const Case cases[] = {
        {"port does not track jobs", false, 0, 0, false},
        {"printer off", true, 0x100, 0, false},
        {"L 0x200", true, 0, 0x200, false},
        {"L 0x1000", true, 0, 0x1000, false},
        {"a job's data are on the port", true, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        monitor::Reset();
        langmon::PortContext* port = MakePort(kPort, kind::DpuTcpPort);
        ASSERT_NE(port, nullptr);
        if (c.tracked) port->State |= state::DeviceSupported;
        if (c.inJob) port->State |= state::InJob;
        SetPrinterStatus(*port, c.m, c.l);
        langmon::SendUstatusOff(*port);
        EXPECT_EQ(monitor::PortCalls(kPort), std::vector<std::string>{"OpenPort"});
    }
}

}  // namespace
}  // namespace kvtest
