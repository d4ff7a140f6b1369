// Control requests (ControlID not 0) through the monitor to the port monitor: what reaches
// the port monitor, the parallel port's IEEE 1284 mode, the USB device id behind its length
// prefix, and the resend of a USB printer's last bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "langmon/PortContext.h"
#include "langmon/status/StatusVariables.h"
#include "platform/Kernel.h"
#include "tests/langmon_portdata/PortDataFixture.h"

namespace kvtest {
namespace {

namespace monitor = standin::monitor;
namespace state = langmon::port_state;

constexpr DWORD kSetInformation = 0x160008;
constexpr DWORD kQueryDeviceId = 0x16000C;
constexpr DWORD kGetMode = 0x160014;
constexpr DWORD kNegotiate = 0x160018;
constexpr DWORD kDeviceCaps = 0x160024;
constexpr DWORD kUsbDeviceId = 0x220414;

class ControlRequestTest : public LoadedPortTest {};

std::vector<DWORD> Controls(const std::u16string& port) {
    std::vector<DWORD> ids;
    for (const auto& call : monitor::ControlCalls(port)) ids.push_back(call.control);
    return ids;
}

TEST_F(ControlRequestTest, RequestsPassToThePortMonitorInADocumentOfTheMonitor) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    monitor::PortBehaviour answers;
    answers.controlAnswers[kDeviceCaps] = {0x00, 0x01};
    answers.controlAnswers[0x123] = {1, 2, 3, 4, 5, 6, 7, 8};
    answers.controlClaims[0x123] = 4096;  // overstated by the port monitor
    monitor::SetPortBehaviour(u"LPT1:", answers);

    std::vector<BYTE> out(8, 0xEE);
    DWORD returned = kSentinel;
    EXPECT_TRUE(Control(port, kDeviceCaps, {}, out, &returned));
    EXPECT_EQ(returned, 2u);
    EXPECT_EQ(out[1], 0x01);
    // The port monitor answers only inside a document: the monitor opened its own, and it
    // stays open for the next request.
    EXPECT_NE(Context(port).State & state::PortDocOpen, 0u);
    const std::vector<std::string> calls = monitor::PortCalls(u"LPT1:");
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[1], "StartDocPort -1");
    EXPECT_EQ(calls[2], "Control 1441828");

    returned = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(Control(port, 0x999, {}, out, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(returned, 0u);

    // A count beyond the caller's buffer is cut to it.
    returned = kSentinel;
    EXPECT_TRUE(Control(port, 0x123, {}, out, &returned));
    EXPECT_EQ(returned, out.size());
    EXPECT_EQ(CountCalls(u"LPT1:", "StartDocPort"), 1u);
    EXPECT_TRUE(table_->pfnClosePort(port));
}

TEST_F(ControlRequestTest, BadArgumentsAreRefusedBeforeThePortMonitor) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    monitor::PortBehaviour answers;
    answers.controlAnswers[kDeviceCaps] = {0x00, 0x01};
    monitor::SetPortBehaviour(u"LPT1:", answers);
    struct Case {
        const char* what;
        bool nullIn;
        DWORD cbIn;
        bool nullOut;
        DWORD cbOut;
        bool nullReturned;
    };
    const Case cases[] = {
        {"no count", false, 0, false, 8, true},
        {"no output buffer with a size", false, 0, true, 8, false},
        {"no input buffer with a size", true, 4, false, 8, false},
    };
    BYTE in[4] = {};
    BYTE out[8] = {};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DWORD returned = kSentinel;
        SetLastError(kSentinel);
        EXPECT_FALSE(table_->pfnGetPrinterDataFromPort(port, kDeviceCaps, nullptr,
                                                       c.nullIn ? nullptr : reinterpret_cast<LPWSTR>(in), c.cbIn,
                                                       c.nullOut ? nullptr : reinterpret_cast<LPWSTR>(out), c.cbOut,
                                                       c.nullReturned ? nullptr : &returned));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(returned, kSentinel);
    }
    EXPECT_TRUE(monitor::ControlCalls(u"LPT1:").empty());
    // No output buffer and size 0 is a request like any other: the port monitor answers it.
    DWORD returned = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(table_->pfnGetPrinterDataFromPort(port, kDeviceCaps, nullptr, nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(Controls(u"LPT1:"), std::vector<DWORD>{kDeviceCaps});
    EXPECT_TRUE(table_->pfnClosePort(port));
}

TEST_F(ControlRequestTest, PortMonitorWithoutTheEntryOrWithoutADocumentFails) {
    // A port monitor whose table lacks GetPrinterDataFromPort.
    MONITOR2 shorter = *monitor::FilePortMonitorTable();
    shorter.pfnGetPrinterDataFromPort = nullptr;
    std::u16string portName = u"LPT2:";
    std::u16string printerName = u"KV Printer";
    HANDLE port = nullptr;
    ASSERT_TRUE(table_->pfnOpenPortEx(host_.Monitor(), monitor::FilePortMonitor(), portName.data(), printerName.data(),
                                      &port, &shorter));
    std::vector<BYTE> out(4);
    DWORD returned = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(Control(port, kDeviceCaps, {}, out, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(CountCalls(u"LPT2:", "StartDocPort"), 0u);
    EXPECT_TRUE(table_->pfnClosePort(port));

    // A port monitor that cannot open the document: its error, and nothing asked.
    port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    monitor::PortBehaviour refusing;
    refusing.startDocError = ERROR_ACCESS_DENIED;
    refusing.controlAnswers[kDeviceCaps] = {0x00, 0x01};
    monitor::SetPortBehaviour(u"LPT1:", refusing);
    SetLastError(kSentinel);
    EXPECT_FALSE(Control(port, kDeviceCaps, {}, out, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(monitor::ControlCalls(u"LPT1:").empty());
    EXPECT_EQ(Context(port).State & state::PortDocOpen, 0u);
    EXPECT_TRUE(table_->pfnClosePort(port));
}

// A parallel port reset (input byte 1) is preceded by the saved mode negotiated again through
// {0, 0}; the mode is read once per port.
TEST_F(ControlRequestTest, ParallelResetNegotiatesTheSavedIeee1284Mode) {
    const std::vector<BYTE> mode = {0x18, 0x00, 0x10, 0x00};  // read 0x18, write 0x10
    const std::vector<BYTE> none = {0, 0, 0, 0};
    const std::vector<BYTE> reset = {1};
    struct Call {
        DWORD control;
        std::vector<BYTE> input;
    };
    struct Case {
        const char* what;
        const char16_t* port;
        bool answerMode;
        std::vector<BYTE> input;
        std::vector<Call> first;   // what the port monitor receives for the first request
        std::vector<Call> second;  // and for the same request again
    };
    const std::vector<BYTE> defaults = {0x04, 0x00, 0x01, 0x00};  // the mode a port starts with
    const Case cases[] = {
        {"LPT reset",
         u"LPT1:",
         true,
         reset,
         {{kGetMode, {}}, {kNegotiate, none}, {kNegotiate, mode}, {kSetInformation, reset}},
         {{kNegotiate, none}, {kNegotiate, mode}, {kSetInformation, reset}}},
        {"mode unreadable: the port's defaults, read again next time",
         u"LPT1:",
         false,
         reset,
         {{kGetMode, {}}, {kNegotiate, none}, {kNegotiate, defaults}, {kSetInformation, reset}},
         {{kGetMode, {}}, {kNegotiate, none}, {kNegotiate, defaults}, {kSetInformation, reset}}},
        {"input 0 is no reset", u"LPT1:", true, {0}, {{kSetInformation, {0}}}, {{kSetInformation, {0}}}},
        {"no input", u"LPT1:", true, {}, {{kSetInformation, {}}}, {{kSetInformation, {}}}},
        {"not a parallel port", u"USB001", true, reset, {{kSetInformation, reset}}, {{kSetInformation, reset}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        monitor::Reset();
        HANDLE port = Open(c.port);
        ASSERT_NE(port, nullptr);
        monitor::PortBehaviour answers;
        if (c.answerMode) answers.controlAnswers[kGetMode] = mode;
        answers.controlAnswers[kNegotiate] = mode;
        answers.controlAnswers[kSetInformation] = {};
        monitor::SetPortBehaviour(c.port, answers);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round == 0 ? "first request" : "second request");
            const size_t before = monitor::ControlCalls(c.port).size();
            std::vector<BYTE> out;
            DWORD returned = kSentinel;
            EXPECT_TRUE(Control(port, kSetInformation, c.input, out, &returned));
            const std::vector<monitor::ControlCall> calls = monitor::ControlCalls(c.port);
            const std::vector<Call>& want = round == 0 ? c.first : c.second;
            ASSERT_EQ(calls.size() - before, want.size());
            for (size_t i = 0; i < want.size(); ++i) {
                EXPECT_EQ(calls[before + i].control, want[i].control) << "call " << i;
                EXPECT_EQ(calls[before + i].input, want[i].input) << "call " << i;
            }
        }
        // A reset marks the job's cancel as done on the port.
        EXPECT_NE(Context(port).State & state::CancelDoneLow, 0u);
        EXPECT_TRUE(table_->pfnClosePort(port));
    }
}

// A job on a parallel port settles its IEEE 1284 mode first: ECP hardware means chunked
// writes; a device that can do ECP is negotiated into it and back when it does not take it.
TEST_F(ControlRequestTest, ParallelJobStartSettlesTheEcpMode) {
    const std::vector<BYTE> ecp = {0x18, 0x00, 0x00, 0x01};     // read 0x18, write 0x100
    const std::vector<BYTE> compat = {0x18, 0x00, 0x10, 0x00};  // read 0x18, write 0x10
    struct Case {
        const char* what;
        std::vector<BYTE> mode;
        std::vector<BYTE> caps;
        std::vector<BYTE> negotiated;
        std::vector<DWORD> calls;
        std::vector<BYTE> lastInput;  // of the last negotiation, when there is one
        bool chunked;
    };
    const Case cases[] = {
        {"already ECP", ecp, {0x00, 0x01}, ecp, {kGetMode}, {}, true},
        {"negotiated into ECP", compat, {0x00, 0x01}, ecp, {kGetMode, kDeviceCaps, kNegotiate}, ecp, true},
        {"refused: back to the old mode", compat, {0x00, 0x01}, compat,
         {kGetMode, kDeviceCaps, kNegotiate, kNegotiate}, compat, false},
        {"device without ECP", compat, {0x00, 0x00}, compat, {kGetMode, kDeviceCaps}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        monitor::Reset();
        HANDLE port = Open(u"LPT1:");
        ASSERT_NE(port, nullptr);
        monitor::PortBehaviour answers;
        answers.controlAnswers[kGetMode] = c.mode;
        answers.controlAnswers[kDeviceCaps] = c.caps;
        answers.controlAnswers[kNegotiate] = c.negotiated;
        monitor::SetPortBehaviour(u"LPT1:", answers);
        ASSERT_TRUE(Start(port, 5));
        EXPECT_EQ(Controls(u"LPT1:"), c.calls);
        if (!c.lastInput.empty()) {
            EXPECT_EQ(monitor::ControlCalls(u"LPT1:").back().input, c.lastInput);
        }
        EXPECT_EQ((Context(port).MyPortMode & 0x2u) != 0, c.chunked);
        EXPECT_TRUE(table_->pfnEndDocPort(port));
        EXPECT_TRUE(table_->pfnClosePort(port));
    }
}

// "ZEVUSB" ports give their device id behind a 2-byte length: the monitor asks with a buffer
// 2 bytes larger and hands over only what follows the length, within the caller's buffer.
TEST_F(ControlRequestTest, ZevUsbDeviceIdComesFromBehindItsLengthPrefix) {
    const std::vector<BYTE> id = {'M', 'F', 'G', ':', 'Z', 'E', 'V', ';'};
    std::vector<BYTE> full(2 + id.size());
    full[1] = static_cast<BYTE>(full.size());  // the length counts itself
    std::memcpy(full.data() + 2, id.data(), id.size());
    struct Case {
        const char* what;
        const char16_t* port;
        std::vector<BYTE> answer;
        DWORD claim;        // 0: the port monitor reports what it copied
        DWORD cbOut;
        bool ok;
        DWORD returned;
        DWORD control;      // what the port monitor was asked
        DWORD cbAsked;
    };
    const Case cases[] = {
        {"whole id", u"ZEVUSB001", full, 0, 16, true, 8, kUsbDeviceId, 18},
        {"any letter case", u"zevUsb002", full, 0, 16, true, 8, kUsbDeviceId, 18},
        {"buffer just large enough", u"ZEVUSB001", full, 0, 8, true, 8, kUsbDeviceId, 10},
        {"one byte after the length", u"ZEVUSB001", {0x00, 0x03, 'M'}, 0, 16, true, 1, kUsbDeviceId, 18},
        {"only the length", u"ZEVUSB001", {0x00, 0x02}, 0, 16, false, 0, kUsbDeviceId, 18},
        {"nothing", u"ZEVUSB001", {}, 0, 16, false, 0, kUsbDeviceId, 18},
        {"id longer than the buffer", u"ZEVUSB001", full, 0, 4, false, 0, kUsbDeviceId, 6},
        {"count overstated", u"ZEVUSB001", full, 5000, 4, true, 4, kUsbDeviceId, 6},
        {"other USB ports pass the request as it is", u"USB001", full, 0, 16, true, 10, kQueryDeviceId, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        monitor::Reset();
        HANDLE port = Open(c.port);
        ASSERT_NE(port, nullptr);
        monitor::PortBehaviour answers;
        answers.controlAnswers[kUsbDeviceId] = c.answer;
        answers.controlAnswers[kQueryDeviceId] = c.answer;
        if (c.claim != 0) answers.controlClaims[kUsbDeviceId] = c.claim;
        monitor::SetPortBehaviour(c.port, answers);

        std::vector<BYTE> out(c.cbOut + 8, 0xEE);
        DWORD returned = kSentinel;
        const BOOL ok = table_->pfnGetPrinterDataFromPort(port, kQueryDeviceId, nullptr, nullptr, 0,
                                                          reinterpret_cast<LPWSTR>(out.data()), c.cbOut, &returned);
        EXPECT_EQ(ok != FALSE, c.ok);
        EXPECT_EQ(returned, c.returned);
        if (c.ok && c.control == kUsbDeviceId) {
            EXPECT_EQ(std::vector<BYTE>(out.begin(), out.begin() + c.returned),
                      std::vector<BYTE>(id.begin(), id.begin() + c.returned));
        }
        for (size_t i = c.cbOut; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << "written past the buffer at " << i;
        const std::vector<monitor::ControlCall> calls = monitor::ControlCalls(c.port);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].control, c.control);
        EXPECT_EQ(calls[0].cbOut, c.cbAsked);
        EXPECT_TRUE(table_->pfnClosePort(port));
    }
}

// While chunked data flow, the device id is answered without disturbing the port.
TEST_F(ControlRequestTest, DeviceIdIsNotAskedWhileChunkedDataFlow) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    langmon::PortContext& ctx = Context(port);
    ctx.MyPortMode |= 0x2;
    ctx.PartialWriteSeen = 1;
    std::vector<BYTE> out(8, 0xEE);
    DWORD returned = kSentinel;
    EXPECT_TRUE(Control(port, kQueryDeviceId, {}, out, &returned));
    EXPECT_EQ(returned, 1u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0xEE);
    EXPECT_TRUE(monitor::ControlCalls(u"LPT1:").empty());
    ctx.PartialWriteSeen = 0;
    EXPECT_FALSE(Control(port, kQueryDeviceId, {}, out, &returned));  // asked now; the stand-in has no answer
    EXPECT_EQ(Controls(u"LPT1:"), std::vector<DWORD>{kQueryDeviceId});
    EXPECT_TRUE(table_->pfnClosePort(port));
}

// A reset of the supported printer still reaches the port monitor and gives its answer.
TEST_F(ControlRequestTest, ResetOfTheSupportedPrinterPassesOn) {
    HANDLE port = Open(u"LPT1:");
    ASSERT_NE(port, nullptr);
    Context(port).ModelMask = kKvTd520ModelMask;
    monitor::PortBehaviour answers;
    answers.controlAnswers[7] = {0x42};
    monitor::SetPortBehaviour(u"LPT1:", answers);
    std::vector<BYTE> out(4, 0);
    DWORD returned = kSentinel;
    EXPECT_TRUE(Control(port, 7, {}, out, &returned));
    EXPECT_EQ(returned, 1u);
    EXPECT_EQ(out[0], 0x42);
    EXPECT_EQ(Controls(u"LPT1:"), std::vector<DWORD>{7});
    EXPECT_NE(Context(port).State & state::CancelDoneLow, 0u);
    EXPECT_TRUE(table_->pfnClosePort(port));
}

// A reset on a USB port whose last bytes did not go out: the 80-byte tail goes again until the
// port takes it, the write is cancelled, the printer is off, or the bound passes; then the
// request itself goes on. Never an endless wait.
TEST_F(ControlRequestTest, UsbResetResendsTheTailWithinItsBound) {
    struct Case {
        const char* what;
        DWORD writeError;
        unsigned failWrites;
        bool poweredOff;
        size_t minResends;
        size_t maxResends;
        DWORD resendAfter;  // the resend flag after the request
        size_t tailsInDocument;
    };
    const Case cases[] = {
        {"port takes it", 0, 0, false, 1, 1, 0, 1},
        {"write cancelled", 1223, 1000, false, 1, 1, 1, 0},
        {"port keeps failing: the bound ends it", ERROR_WRITE_FAULT, 100000, false, 2, 100000, 0, 0},
        {"printer off", 0, 0, true, 0, 0, 1, 0},
    };
    const std::vector<BYTE> tail = Numbered(80, 7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        monitor::Reset();
        HANDLE port = Open(u"USB001");
        ASSERT_NE(port, nullptr);
        ASSERT_TRUE(Start(port, 9));
        langmon::PortContext& ctx = Context(port);
        std::memcpy(ctx.HoldBack, tail.data(), tail.size());
        ctx.cbHoldBack = 80;
        ctx.UsbResend = 1;
        if (c.poweredOff) ctx.State |= state::PoweredOff;
        monitor::PortBehaviour behaviour;
        behaviour.writeError = c.writeError;
        behaviour.failWrites = c.failWrites;
        behaviour.controlAnswers[7] = {};
        monitor::SetPortBehaviour(u"USB001", behaviour);

        std::vector<BYTE> out;
        DWORD returned = kSentinel;
        const DWORD start = GetTickCount();
        EXPECT_TRUE(Control(port, 7, {}, out, &returned));
        EXPECT_LT(GetTickCount() - start, 3000u);
        const size_t resends = CountCalls(u"USB001", "WritePort 80/");
        EXPECT_GE(resends, c.minResends);
        EXPECT_LE(resends, c.maxResends);
        EXPECT_EQ(ctx.UsbResend, c.resendAfter);
        EXPECT_EQ(Controls(u"USB001"), std::vector<DWORD>{7});
        EXPECT_EQ(AllDocumentBytes(u"USB001").size(), c.tailsInDocument * tail.size());
        ctx.State &= ~state::PoweredOff;
        EXPECT_TRUE(table_->pfnEndDocPort(port));
        EXPECT_TRUE(table_->pfnClosePort(port));
    }
}

}  // namespace
}  // namespace kvtest
