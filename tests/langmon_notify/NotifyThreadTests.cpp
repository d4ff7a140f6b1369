// The notification thread of a bound printer: what each of its events does to the binding
// (printer deleted, manager restarted or ending, the printer moved to another port or
// renamed, a watcher's change of the extended status), and that a removal the thread starts
// itself neither joins itself nor waits for the polling thread under the port's lock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "langmon/status/BoundPrinters.h"
#include "langmon/status/NotifyThread.h"
#include "langmon/status/StatusPort.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/PortHolds.h"
#include "platform/StandInMonitor.h"
#include "platform/Sync.h"
#include "tests/langmon_notify/NotifyFixture.h"

namespace {

namespace state = langmon::port_state;
using kvtest::kNotifyPort;
using kvtest::kNotifyPrinter;

const std::u16string kDeleted = std::u16string(langmon::kDeletePrinterEventPrefix) + kNotifyPrinter;

class NotifyThreadTest : public kvtest::NotifyTest {
protected:
    void SetUp() override {
        NotifyTest::SetUp();
        AddPrinter({kNotifyPrinter});
    }
    // The spooler's port status after the last SetPortW, or 0xDEADBEEF before any.
    DWORD LastPortStatus() {
        const auto statuses = standin::monitor::PortStatuses(kNotifyPort);
        return statuses.empty() ? 0xDEADBEEF : statuses.back().status;
    }
};

TEST_F(NotifyThreadTest, DeletedPrinterEndsItsThreadAndBinding) {
    struct Case {
        const char* what;
        bool polling;          // the polling thread runs and must be stopped first
        bool leftTheSpooler;   // the printer is gone from the spooler too
    };
    const Case cases[] = {
        {"idle port", false, true},
        {"while polling", true, false},
        {"while polling, printer gone", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AddPrinter({kNotifyPrinter});
        MakePort();
        BindAndWait();
        if (c.polling) {
            Variable(2);
            ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
            const DWORD passes = port_->StatusPasses;
            ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= passes + 3; }));
        }
        if (c.leftTheSpooler) standin::RemovePrinter(kNotifyPrinter);
        Signal(kDeleted);
        EXPECT_TRUE(WaitFor([&] { return BindingCount() == 0 && manager_.Registrations(kNotifyPrinter) == 0; }));
        // The polling thread ended for the removal; nothing binds the printer again.
        EXPECT_TRUE(WaitFor([&] { return !PollingAlive(); }));
        EXPECT_EQ(LastPortStatus(), 0u) << "the spooler shows no status for the printer any more";
        Pause(20);
        EXPECT_EQ(BindingCount(), 0u);
        ClosePort();
    }
}

TEST_F(NotifyThreadTest, ManagerRestartDropsTheBindingAndTheNextScanReplays) {
    MakePort();
    BindAndWait();
    manager_.ClearRecords();
    Signal(langmon::kManagerStartedEvent);
    ASSERT_TRUE(WaitFor([&] { return BindingCount() == 0 && manager_.Registrations(kNotifyPrinter) == 0; }));
    EXPECT_EQ(manager_.Updates(kNotifyPrinter), 0u);

    langmon::SyncBoundPrinters(*port_);
    ASSERT_EQ(BoundNames(), std::vector<std::u16string>{kNotifyPrinter});
    EXPECT_TRUE(WaitFor([&] { return manager_.Registrations(kNotifyPrinter) == 1; }));
    // Every replayed row that has a value went to the new binding (the port's model is not
    // known yet, so the model-only rows stay back).
    std::vector<std::string> expected;
    {
        langmon::PortLockHold lock(*port_);
        for (const StatusVariable& row : *port_->Variables) {
            if ((row.attributes & kAttrReplay) == 0 || row.value == nullptr || row.publishType == kPublishModelOnly) {
                continue;
            }
            expected.emplace_back(row.name);
        }
    }
    EXPECT_GE(expected.size(), 10u);
    for (const std::string& name : expected) {
        SCOPED_TRACE(name);
        EXPECT_GE(manager_.Updates(kNotifyPrinter, kvtest::U16(name)), 1u);
    }
    EXPECT_EQ(manager_.ReadDword(kNotifyPrinter, "ErrPaperJam"), 0xFFFFFFFFu);
}

TEST_F(NotifyThreadTest, TerminateManagerRemovesAndKeepsThePrinterUnboundUntilWoken) {
    struct Case {
        const char* what;
        bool beforeBinding;
    };
    for (const Case c : {Case{"while bound", false}, Case{"before binding", true}}) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(manager_.WriteDword(kNotifyPrinter, u"TerminateManager", 0), 0u);
        MakePort();
        if (c.beforeBinding) {
            ASSERT_EQ(manager_.WriteDword(kNotifyPrinter, u"TerminateManager", 1), 0u);
            EXPECT_EQ(Bind(), nullptr);
        } else {
            BindAndWait();
            ASSERT_EQ(manager_.WriteDword(kNotifyPrinter, u"TerminateManager", 1), 0u);
            EXPECT_TRUE(WaitFor([&] { return BindingCount() == 0; }));
        }
        EXPECT_NE(port_->State & state::SrmTerminate, 0u);
        EXPECT_TRUE(WaitFor([&] { return manager_.Registrations(kNotifyPrinter) == 0; }));
        langmon::SyncBoundPrinters(*port_);
        EXPECT_EQ(BindingCount(), 0u) << "no binding while the manager ends";

        // The manager is back and a watcher asks for the status: bound again.
        ASSERT_EQ(manager_.WriteDword(kNotifyPrinter, u"TerminateManager", 0), 0u);
        Variable(1000);
        ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
        EXPECT_EQ(port_->State & state::SrmTerminate, 0u);
        EXPECT_TRUE(WaitFor([&] { return BindingCount() == 1 && manager_.Registrations(kNotifyPrinter) == 1; }));
        ClosePort();
    }
}

TEST_F(NotifyThreadTest, ManagersPortDecidesWhetherTheBindingStays) {
    struct Case {
        const char* what;
        DWORD first;
        std::u16string port;
        std::u16string redirect;
        bool stays;
    };
    const Case cases[] = {
        {"another port", 1, u"IP_10.0.0.9", u"", false},
        {"a longer name that begins like this port", 1, u"IP_127.0.0.12", u"", false},
        {"redirected", 1, kNotifyPort, u"\\\\server\\queue", false},
        {"this port in other letters", 1, u"ip_127.0.0.1", u"", true},
        {"no port known", 0, u"", u"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(manager_.WritePort(kNotifyPrinter, 1, kNotifyPort), 0u);
        MakePort();
        BindAndWait();
        const size_t statuses = standin::monitor::PortStatuses(kNotifyPort).size();
        ASSERT_EQ(manager_.WritePort(kNotifyPrinter, c.first, c.port, c.redirect), 0u);
        // Each change clears the spooler's port status for the printer first.
        ASSERT_TRUE(WaitFor([&] { return standin::monitor::PortStatuses(kNotifyPort).size() > statuses; }));
        if (c.stays) {
            Pause(20);
            EXPECT_EQ(BindingCount(), 1u);
            EXPECT_EQ(manager_.Registrations(kNotifyPrinter), 1u);
        } else {
            EXPECT_TRUE(WaitFor([&] { return BindingCount() == 0 && manager_.Registrations(kNotifyPrinter) == 0; }));
        }
        ClosePort();
        // The same value already there when the printer is bound.
        MakePort();
        EXPECT_EQ(Bind() != nullptr, c.stays);
        ClosePort();
    }
}

TEST_F(NotifyThreadTest, RenamedPrinterKeepsItsBindingUnderTheNewName) {
    MakePort();
    BindAndWait();
    ASSERT_EQ(manager_.WritePrinterName(kNotifyPrinter, u"KV Renamed"), 0u);
    ASSERT_TRUE(WaitFor([&] { return IsBound(u"KV Renamed"); }));
    EXPECT_EQ(BindingCount(), 1u);
    // The delete event follows the name: the old one is gone, the new one removes.
    EXPECT_EQ(OpenEventW(EVENT_MODIFY_STATE, FALSE, kDeleted.c_str()), nullptr);
    Signal(std::u16string(langmon::kDeletePrinterEventPrefix) + u"KV Renamed");
    EXPECT_TRUE(WaitFor([&] { return BindingCount() == 0 && manager_.Registrations(kNotifyPrinter) == 0; }));
}

// A name that cannot make an object name leaves the printer without those named events, but
// its binding and the manager's notifications work.
TEST_F(NotifyThreadTest, PrinterNameThatIsNoObjectNameStillBinds) {
    const std::u16string printer = u"KV\\Printer";
    AddPrinter({printer});
    MakePort(printer);
    BindAndWait(printer);
    EXPECT_EQ(OpenEventW(EVENT_MODIFY_STATE, FALSE, (std::u16string(langmon::kDeletePrinterEventPrefix) + printer).c_str()),
              nullptr);
    ASSERT_EQ(manager_.WriteDword(printer, u"TerminateManager", 1), 0u);
    EXPECT_TRUE(WaitFor([&] { return BindingCount() == 0 && manager_.Registrations(printer) == 0; }));
}

TEST_F(NotifyThreadTest, WatchersExtendedStatusChangeWakesPollingButItsOwnDoNot) {
    MakePort();
    BindAndWait();
    Variable(5);
    ASSERT_FALSE(PollingAlive());
    // Another client changes PrinterExtStatus: the monitor is asked for "Wake Up".
    ASSERT_EQ(manager_.WriteDword(kNotifyPrinter, u"PrinterExtStatus", 0x107), 0u);
    ASSERT_TRUE(WaitFor([&] { return PollingAlive() && Locked(&langmon::PortContext::PollingOn) != 0; }));
    EXPECT_TRUE(WaitFor([&] { return (manager_.ReadDword(kNotifyPrinter, "PrinterExtStatus") & kExtPolling) != 0; }));

    // Polling stops; the monitor's own push of the cleared mark comes back as a change and
    // must not start it again.
    ASSERT_EQ(langmon::StopPollingRequest(*port_), langmon::kRefreshDone);
    ASSERT_TRUE(WaitFor([&] { return !PollingAlive(); }));
    EXPECT_TRUE(WaitFor([&] { return (manager_.ReadDword(kNotifyPrinter, "PrinterExtStatus") & kExtPolling) == 0; }));
    Pause(50);
    EXPECT_FALSE(PollingAlive());
}

// The notice of the monitor's own push may be handled late, when the port's own value has
// moved on (a change stored, not pushed yet): it is still the monitor's own and asks for
// nothing. The port's lock, held here, keeps the notification thread from handling it before
// the value has moved.
TEST_F(NotifyThreadTest, LateNoticeOfItsOwnPushDoesNotWakePolling) {
    MakePort();
    BindAndWait();
    ASSERT_FALSE(PollingAlive());
    {
        langmon::PortLockHold lock(*port_);
        DWORD ext = 0;
        port_->Variables->ReadDword(kRowPrinterExtStatus, &ext);
        ASSERT_TRUE(port_->Variables->StoreDword(kRowPrinterExtStatus, ext ^ kExtPolling));
        ASSERT_GE(langmon::PublishPort(*port_), 1);  // the manager tells the notification thread
        ASSERT_TRUE(port_->Variables->StoreDword(kRowPrinterExtStatus, ext));
        Pause(100);  // the thread takes the notice meanwhile and waits for the lock
    }
    Pause(100);
    EXPECT_EQ(Locked(&langmon::PortContext::PollingOn), 0u) << "its own push was taken for a watcher's";
    EXPECT_FALSE(PollingAlive());
}

}  // namespace
