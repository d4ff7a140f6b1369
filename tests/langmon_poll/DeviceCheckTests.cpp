// The device check of a network port against a loopback agent: a supported printer, another
// printer, one that is off and one that comes back; where the port's address comes from.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "langmon/printer/DeviceCheck.h"
#include "langmon/status/StatusPort.h"
#include "langmon/PortHolds.h"
#include "langmon/PortList.h"
#include "platform/Registry.h"
#include "tests/langmon_poll/PollFixture.h"

namespace {

using langmon::DeviceAnswer;
namespace state = langmon::port_state;

class DeviceCheckTest : public kvtest::PollTest {
protected:
    void SetUp() override {
        PollTest::SetUp();
        MakePort(u"IP_127.0.0.1");
    }
};

struct CheckCase {
    const char* what;
    std::function<void(kvtest::SnmpAgent&)> printer;
    DeviceAnswer answer;
    bool passes;        // CheckDeviceId
    DWORD setBits;      // of the port state after the check
    DWORD clearBits;
    DWORD statusM;      // 0: not checked
};

TEST_F(DeviceCheckTest, TellsSupportedUnsupportedAndPoweredOff) {
    const CheckCase cases[] = {
        {"the supported model", [](kvtest::SnmpAgent&) {}, DeviceAnswer::Supported, true, state::DeviceSupported,
         state::PoweredOff, 0},
        {"another printer", [](kvtest::SnmpAgent& a) { a.SetString(kvtest::kSysDescrOid, "Other Laser 9000"); },
         DeviceAnswer::Unsupported, true, 0, state::DeviceSupported | state::PoweredOff, langmon::kStatusUnsupportedPrinter},
        {"nothing answers", [](kvtest::SnmpAgent& a) { a.Clear(); }, DeviceAnswer::PoweredOff, false, state::PoweredOff,
         state::DeviceSupported, langmon::kStatusPoweredOff},
        {"an empty sysDescr", [](kvtest::SnmpAgent& a) { a.SetString(kvtest::kSysDescrOid, ""); },
         DeviceAnswer::PoweredOff, false, state::PoweredOff, state::DeviceSupported, langmon::kStatusPoweredOff},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        agent_.Clear();
        agent_.LoadPrinter();
        agent_.SetInteger(kvtest::kTrayLevelOid, 0);
        c.printer(agent_);
        port_->State &= ~(state::PoweredOff | state::DeviceSupported);
        EXPECT_EQ(langmon::CheckDeviceSnmp(*port_), c.answer);
        EXPECT_EQ(port_->State & c.setBits, c.setBits);
        EXPECT_EQ(port_->State & c.clearBits, 0u);
        if (c.statusM != 0) {
            EXPECT_EQ(StatusM(), c.statusM);
        }

        port_->State &= ~(state::PoweredOff | state::DeviceSupported);
        EXPECT_EQ(langmon::CheckDeviceId(*port_), c.passes);
    }
}

TEST_F(DeviceCheckTest, SupportedPrinterGivesThePortItsModel) {
    port_->ModelMask = 0;
    ASSERT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::Supported);
    EXPECT_EQ(port_->ModelMask, kKvTd520ModelMask);
    EXPECT_NE(StatusM(), langmon::kStatusPoweredOff);
    EXPECT_NE(StatusM(), langmon::kStatusUnsupportedPrinter);
    EXPECT_NE(port_->LastDeviceCheckTick, static_cast<DWORD>(-1));
}

TEST_F(DeviceCheckTest, AnotherPrinterKeepsOnlyTheKeptLowBit) {
    struct Case {
        DWORD oldL;
        DWORD newL;
    };
    const Case cases[] = {{0x0, 0x0}, {0x8, 0x8}, {0x9, 0x8}, {0x1001, 0x0}};
    agent_.SetString(kvtest::kSysDescrOid, "Other Laser 9000");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.oldL);
        const PrinterStatusValue before{0x4, 0x1, c.oldL};
        port_->Variables->Store(port_->Variables->row(kRowPrinterStatus), &before, sizeof before);
        ASSERT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::Unsupported);
        PrinterStatusValue after{};
        ASSERT_TRUE(port_->Variables->ReadStatus(&after));
        EXPECT_EQ(after.H, 0u);
        EXPECT_EQ(after.M, langmon::kStatusUnsupportedPrinter);
        EXPECT_EQ(after.L, c.newL);
    }
}

TEST_F(DeviceCheckTest, SecondSilentReadChangesNothing) {
    agent_.Clear();
    ASSERT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::PoweredOff);
    EXPECT_GE(pushes_.Count("PrinterStatus"), 1u);
    const size_t pushed = pushes_.Total();
    const PrinterStatusValue off{0, langmon::kStatusPoweredOff, 0};

    ASSERT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::PoweredOff);
    EXPECT_EQ(pushes_.Total(), pushed);
    PrinterStatusValue now{};
    ASSERT_TRUE(port_->Variables->ReadStatus(&now));
    EXPECT_EQ(std::memcmp(&now, &off, sizeof off), 0);
}

TEST_F(DeviceCheckTest, PrinterBackOnClearsPowerOffAndPushesAgain) {
    agent_.Clear();
    ASSERT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::PoweredOff);
    pushes_.Clear();
    agent_.LoadPrinter();
    agent_.SetInteger(kvtest::kTrayLevelOid, 0);
    ASSERT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::Supported);
    EXPECT_EQ(port_->State & state::PoweredOff, 0u);
    EXPECT_NE(StatusM(), langmon::kStatusPoweredOff);
    EXPECT_GE(pushes_.Count("PrinterStatus"), 1u);
}

TEST_F(DeviceCheckTest, PowerOffDropsPendingOutputOutsideTheSendingWord) {
    struct Case {
        DWORD inJobWord;
        bool kept;
    };
    for (const Case c : {Case{0, false}, Case{1, false}, Case{2, true}}) {
        SCOPED_TRACE(c.inJobWord);
        port_->State &= ~state::PoweredOff;
        port_->InJobWord = c.inJobWord;
        port_->Pending = static_cast<BYTE*>(langmon::HeapAllocZero(16));
        port_->cbPending = 16;
        agent_.Clear();
        ASSERT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::PoweredOff);
        EXPECT_EQ(port_->cbPending != 0, c.kept);
        langmon::HeapFreeBlock(port_->Pending);
        port_->Pending = nullptr;
        port_->cbPending = 0;
    }
}

TEST_F(DeviceCheckTest, ReadsTheQueueAsItsLockHolderLeftIt) {
    // The interpreters are read only when no job is queued. A job that comes and goes while
    // the read runs must be seen as the queue's lock holder leaves the queue.
    constexpr char kInterpreterColumn[] = "1.3.6.1.2.1.43.15.1.1.5";
    const auto asked = [&](const std::string& column) {
        for (const kvtest::ReceivedRequest& r : agent_.Requests()) {
            if (r.name.rfind(column, 0) == 0) return true;
        }
        return false;
    };
    agent_.SetInteger(kvtest::kTrayLevelOid, 0);
    // hrDeviceStatus is answered late (within the port's wait): time to take the lock while
    // the read waits for it.
    kvtest::AgentAction late;
    late.delayMs = 150;
    agent_.Script({kvtest::AgentAction{}, late});
    langmon::JobQueueEntry entry{};
    std::atomic<bool> done{false};
    DeviceAnswer answer = DeviceAnswer::NoAddress;
    {
        std::optional<langmon::PortLockHold> held;
        std::thread check([&] {
            answer = langmon::CheckDeviceSnmp(*port_);
            done = true;
        });
        // The model check takes the lock before hrDeviceStatus is asked; from there on the
        // read needs it only for the queue.
        const bool modelChecked = WaitFor([&] { return asked(kvtest::kHrDeviceOid); }, 10000);
        EXPECT_TRUE(modelChecked);
        if (modelChecked) {
            held.emplace(*port_);
            port_->QueueHead = &entry;
            EXPECT_TRUE(WaitFor([&] { return asked(kvtest::kAlertColumnOid); }, 10000));
            // Time for a read that does not wait for the lock to pass the queue's test.
            (void)WaitFor([&] { return done.load() || asked(kInterpreterColumn); }, 300);
            port_->QueueHead = nullptr;
            held.reset();
        }
        check.join();
    }
    EXPECT_EQ(answer, DeviceAnswer::Supported);
    EXPECT_TRUE(asked(kInterpreterColumn)) << "the read saw a job the queue no longer held";
}

TEST_F(DeviceCheckTest, PortsNotFollowedBySnmpAlwaysPass) {
    for (DWORD kind : {langmon::port_kind::LocalPort, langmon::port_kind::SharePort, langmon::port_kind::ComPort,
                       langmon::port_kind::OtherPort}) {
        SCOPED_TRACE(kind);
        port_->PortKind = kind;
        agent_.Clear();
        EXPECT_TRUE(langmon::CheckDeviceId(*port_));
        EXPECT_EQ(agent_.RequestCount(), 0u);
    }
}

// --- Where the address comes from ---

class PrinterAddressTest : public kvtest::PollTest {};

void SetTcpPortValue(const std::u16string& port, const char16_t* name, const std::u16string& value) {
    const std::u16string key =
        u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\" + port;
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

TEST_F(PrinterAddressTest, FromTheConfigurationElseFromThePortName) {
    struct Case {
        const char16_t* port;
        const char16_t* ipAddress;  // NULL: no configuration
        const char16_t* hostName;
        bool found;
        const char* address;
    };
    const Case cases[] = {
        {u"IP_127.0.0.1", nullptr, nullptr, true, "127.0.0.1"},
        {u"ip_10.1.2.3", nullptr, nullptr, true, "10.1.2.3"},
        {u"192.168.0.9", nullptr, nullptr, true, "192.168.0.9"},
        {u"IP_127.0.0", nullptr, nullptr, false, ""},
        {u"IP_1.2.3.4.5", nullptr, nullptr, false, ""},
        {u"IP_1234.0.0.1", nullptr, nullptr, false, ""},
        {u"PrinterA", nullptr, nullptr, false, ""},
        {u"PrinterB", u"127.0.0.1", nullptr, true, "127.0.0.1"},
        {u"PrinterC", u"", u"printer.local", true, "printer.local"},
        {u"IP_10.9.9.9", u"127.0.0.1", nullptr, true, "127.0.0.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.address) + (c.found ? " found" : " none"));
        if (c.ipAddress != nullptr) SetTcpPortValue(c.port, u"IPAddress", c.ipAddress);
        if (c.hostName != nullptr) SetTcpPortValue(c.port, u"HostName", c.hostName);
        MakePort(c.port);
        EXPECT_EQ(langmon::GetPrinterAddress(*port_), c.found);
        EXPECT_STREQ(port_->Settings->snmpAddress, c.address);
        EnterCriticalSection(&langmon::Process().Lock);
        langmon::DeletePortContext(port_);
        LeaveCriticalSection(&langmon::Process().Lock);
        port_ = nullptr;
    }
}

TEST_F(PrinterAddressTest, NewerSystemsAskThePortsOwnConfiguration) {
    // The configuration handle answers for the port; a port name that is no address is no help.
    monitor_.WinMajor = 6;
    SetTcpPortValue(u"PrinterD", u"IPAddress", u"127.0.0.7");
    MakePort(u"PrinterD");
    EXPECT_TRUE(langmon::GetPrinterAddress(*port_));
    EXPECT_STREQ(port_->Settings->snmpAddress, "127.0.0.7");
}

TEST_F(PrinterAddressTest, PortWithoutAddressAsksNothing) {
    MakePort(u"PrinterA");
    EXPECT_EQ(langmon::CheckDeviceSnmp(*port_), DeviceAnswer::NoAddress);
    EXPECT_FALSE(langmon::CheckDeviceId(*port_));
    EXPECT_EQ(agent_.RequestCount(), 0u);
}

}  // namespace
