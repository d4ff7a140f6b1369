// The printers bound to one port: the scan that binds the spooler's printers of the port and
// drops those that left, many bindings each with handles of its own, and a port closed while
// its polling thread, job watch and notification threads run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "langmon/status/BoundPrinters.h"
#include "langmon/job/JobEntries.h"
#include "langmon/status/NotifyThread.h"
#include "langmon/status/StatusPort.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/PortHolds.h"
#include "platform/StandInMonitor.h"
#include "platform/Sync.h"
#include "tests/langmon_notify/NotifyFixture.h"

namespace {

using kvtest::kNotifyPort;
using Clock = std::chrono::steady_clock;

class BoundPrintersTest : public kvtest::NotifyTest {
protected:
    SrmBinding* Binding(const std::u16string& printer) {
        langmon::PortLockHold lock(*port_);
        return langmon::FindBinding(*port_, printer.c_str());
    }
    bool AllRegistered(const std::vector<std::u16string>& printers, DWORD count) {
        for (const auto& printer : printers) {
            if (manager_.Registrations(printer) != count) return false;
        }
        return true;
    }
};

TEST_F(BoundPrintersTest, ScanBindsThisPortsPrintersOfThisMonitorAndDropsThoseThatLeft) {
    AddPrinter({u"KV Bidi"});
    AddPrinter({u"KV Plain", kNotifyPort, false});
    AddPrinter({u"KV Elsewhere", u"IP_10.0.0.9"});
    AddPrinter({u"KV Other Monitor", kNotifyPort, true, u"Some Monitor"});
    AddPrinter({u"KV Other Driver", kNotifyPort, true, kvtest::kNotifyMonitor, u"Other Driver"});
    // The port's printer is gone from the spooler: this monitor is known by its own name.
    MakePort(u"KV Gone");
    langmon::SyncBoundPrinters(*port_);
    EXPECT_EQ(BoundNames(), (std::vector<std::u16string>{u"KV Bidi", u"KV Plain"}));
    EXPECT_EQ(std::u16string(langmon::PortPrinterName(*port_).get()), u"KV Bidi")
        << "the port takes its first bound printer's name";
    ASSERT_TRUE(WaitFor([&] { return AllRegistered({u"KV Bidi", u"KV Plain"}, 1); }));

    // A printer with bidirectional support got every replayed variable; the other gets none.
    EXPECT_GE(manager_.Updates(u"KV Bidi", u"ErrPaperJam"), 1u);
    EXPECT_EQ(manager_.Updates(u"KV Plain"), 0u);
    EXPECT_EQ(Binding(u"KV Bidi")->flags & kBindingNoPush, 0u);
    EXPECT_NE(Binding(u"KV Plain")->flags & kBindingNoPush, 0u);
    manager_.ClearRecords();
    langmon::SetPrinterStatusUnknown(*port_, true);
    EXPECT_EQ(manager_.Updates(u"KV Bidi", u"PrinterStatus"), 1u);
    EXPECT_EQ(manager_.Updates(u"KV Plain"), 0u);

    // Scanning again changes nothing.
    langmon::SyncBoundPrinters(*port_);
    EXPECT_EQ(BindingCount(), 2u);

    standin::RemovePrinter(u"KV Plain");
    AddPrinter({u"KV Bidi", u"IP_10.0.0.9"});  // moved to another port
    langmon::SyncBoundPrinters(*port_);
    EXPECT_EQ(BindingCount(), 0u);
    EXPECT_TRUE(WaitFor([&] { return AllRegistered({u"KV Bidi", u"KV Plain"}, 0); }));
}

TEST_F(BoundPrintersTest, ClosingPortScanOnlyDrops) {
    AddPrinter({u"KV Bidi"});
    MakePort(u"KV Bidi");
    port_->State |= langmon::port_state::Closing;
    langmon::SyncBoundPrinters(*port_);
    EXPECT_EQ(BindingCount(), 0u);
    port_->State &= ~langmon::port_state::Closing;
}

TEST_F(BoundPrintersTest, RebindConnectsABindingWhoseManagerWasMissing) {
    struct Case {
        const char* what;
        const char16_t* printer;
        const char16_t* managersPort;  // what the manager names once it has the printer
        bool connects;
    };
    const Case cases[] = {
        {"the manager knows the printer now", u"KV Later", kNotifyPort, true},
        {"the manager puts it on another port", u"KV Moved", u"IP_10.0.0.9", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The driver is registered, but the spooler does not list the printer: the manager
        // cannot open it, and the binding is linked without one.
        AddPrinter({c.printer});
        standin::RemovePrinter(c.printer);
        MakePort(c.printer);
        SrmBinding* binding = Bind(c.printer);
        ASSERT_NE(binding, nullptr);
        EXPECT_EQ(binding->manager, 0u);
        EXPECT_EQ(binding->notify.Handle(), nullptr);
        langmon::RebindStatusManager(*port_);
        EXPECT_EQ(binding->manager, 0u) << "still nothing to connect to";

        AddPrinter({c.printer});
        ASSERT_EQ(manager_.WritePort(c.printer, 1, c.managersPort), 0u);
        langmon::RebindStatusManager(*port_);
        if (c.connects) {
            EXPECT_NE(binding->manager, 0u);
            EXPECT_TRUE(WaitFor([&] { return manager_.Registrations(c.printer) == 1; }));
            EXPECT_GE(manager_.Updates(c.printer, u"ErrPaperJam"), 1u) << "the variables are replayed";
        } else {
            EXPECT_EQ(BindingCount(), 0u);
        }
        ClosePort();
        EXPECT_EQ(manager_.Registrations(c.printer), 0u);
    }
}

// A port the spooler never closed: the monitor's shutdown ends its threads.
TEST_F(BoundPrintersTest, ShutdownEndsTheThreadsOfAPortNeverClosed) {
    auto* handle = static_cast<langmon::MonitorHandle*>(langmon::HeapAllocZero(sizeof(langmon::MonitorHandle)));
    ASSERT_NE(handle, nullptr);
    *handle = monitor_;
    AddPrinter({kvtest::kNotifyPrinter});
    MakePort();
    port_->Monitor = handle;
    BindAndWait();
    Variable(2);
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= 2; }));
    ASSERT_TRUE(PJLMonShutdown(handle));
    port_->Monitor = &monitor_;
    EXPECT_FALSE(PollingAlive());
    EXPECT_EQ(manager_.Registrations(kvtest::kNotifyPrinter), 0u);
    EXPECT_EQ(Binding(kvtest::kNotifyPrinter)->notify.Handle(), nullptr);
    // Nothing starts again on it.
    EXPECT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    EXPECT_FALSE(PollingAlive());
}

// Each binding waits on its own handles: bindings made after the twelfth do not take those of
// the first ones, and each one's removal leaves the others working.
TEST_F(BoundPrintersTest, ManyBoundPrintersAreEachRemovedCleanly) {
    constexpr int kPrinters = 14;
    std::vector<std::u16string> names;
    for (int i = 1; i <= kPrinters; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "KV Printer %02d", i);
        names.push_back(kvtest::U16(name));
        AddPrinter({names.back()});
    }
    MakePort(names.front());
    langmon::SyncBoundPrinters(*port_);
    ASSERT_EQ(BoundNames(), names);
    ASSERT_TRUE(WaitFor([&] { return AllRegistered(names, 1); }));

    // The first bound go first, through the events the manager signals and the named ones.
    for (int i = 0; i < kPrinters; ++i) {
        SCOPED_TRACE(kvtest::U8(names[i]));
        if (i % 2 == 0) {
            ASSERT_EQ(manager_.WritePort(names[i], 1, u"IP_10.0.0.9"), 0u);
        } else {
            standin::RemovePrinter(names[i]);
            Signal(std::u16string(langmon::kDeletePrinterEventPrefix) + names[i]);
        }
        EXPECT_TRUE(WaitFor([&] { return !IsBound(names[i]) && manager_.Registrations(names[i]) == 0; }));
        EXPECT_EQ(BindingCount(), static_cast<size_t>(kPrinters - i - 1));
        EXPECT_TRUE(AllRegistered(std::vector<std::u16string>(names.begin() + i + 1, names.end()), 1));
    }
}

TEST_F(BoundPrintersTest, ClosePortJoinsEveryThreadOfThePort) {
    const std::vector<std::u16string> printers{u"KV A", u"KV B", u"KV C"};
    for (const auto& printer : printers) AddPrinter({printer});
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        AddPrinter({u"KV C"});
        MakePort(u"KV A");
        langmon::SyncBoundPrinters(*port_);
        ASSERT_EQ(BindingCount(), 3u);
        ASSERT_TRUE(WaitFor([&] { return AllRegistered(printers, 1); }));
        Variable(2);
        ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
        const DWORD passes = port_->StatusPasses;
        ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= passes + 2; }));
        // One printer leaves as the port closes: its removal is under way meanwhile.
        standin::RemovePrinter(u"KV C");
        Signal(std::u16string(langmon::kDeletePrinterEventPrefix) + u"KV C");
        const auto start = Clock::now();
        ClosePort();
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
        EXPECT_TRUE(AllRegistered(printers, 0)) << "every registration ended with its thread";
    }
}

}  // namespace
