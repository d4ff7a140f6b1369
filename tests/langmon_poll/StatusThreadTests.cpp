// The polling thread of a port against a loopback agent: its pace, what it publishes, how it
// ends (on its own, at StopStatusThread and at ClosePort), a printer that goes silent or talks
// nonsense, the refresh request, and the work it does while nothing happens.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "langmon/job/JobEntries.h"
#include "langmon/job/JobQueue.h"
#include "langmon/job/WritePaths.h"
#include "langmon/status/StatusPort.h"
#include "langmon/PortHolds.h"
#include "platform/Sync.h"
#include "tests/langmon_poll/PollFixture.h"

namespace {

namespace state = langmon::port_state;
using Clock = std::chrono::steady_clock;

class StatusThreadTest : public kvtest::PollTest {
protected:
    void SetUp() override {
        PollTest::SetUp();
        MakePort(u"IP_127.0.0.1");
    }
    bool Alive() const { return (port_->State & state::StatusThreadAlive) != 0; }
    void Variable(DWORD intervalMs) {
        port_->Settings->variablePolling = TRUE;
        port_->Settings->pollingIntervalMs = intervalMs;
    }
    void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

TEST_F(StatusThreadTest, PollsAtTheConfiguredInterval) {
    struct Case {
        bool variable;
        DWORD intervalMs;   // variable polling's interval, else the idle one
    };
    constexpr int kWindowMs = 400;
    for (const Case c : {Case{true, 20}, Case{true, 60}, Case{false, 40}, Case{false, 100}}) {
        SCOPED_TRACE(c.intervalMs);
        port_->Settings->variablePolling = c.variable ? TRUE : FALSE;
        port_->Settings->pollingIntervalMs = c.intervalMs;
        port_->Waits.StatusIdleMs = c.intervalMs;
        ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
        ASSERT_TRUE(WaitFor([&] { return DeviceReads() >= 1; }, 5000));
        const size_t first = DeviceReads();
        const auto start = Clock::now();
        Sleep(kWindowMs);
        const size_t reads = DeviceReads() - first;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        // Never faster than the interval; not far slower either (a pass takes a few ms).
        EXPECT_LE(reads, static_cast<size_t>(elapsed) / c.intervalMs + 1);
        EXPECT_GE(reads, static_cast<size_t>(kWindowMs) / c.intervalMs / 6);  // loaded machines run late
        langmon::StopStatusThread(*port_);
    }
}

TEST_F(StatusThreadTest, IntervalFollowsJobsAndSettings) {
    struct Case {
        bool inJob;
        bool queued;
        bool variable;
        DWORD spentMs;
        DWORD expected;
    };
    // Queued 30, idle 40, variable 25 (the fixture's and this test's values).
    const Case cases[] = {
        {false, false, false, 0, 40}, {false, true, false, 0, 30},  {false, false, true, 0, 25},
        {false, true, true, 0, 25},   {true, true, false, 10, 20},  {true, true, false, 45, 0},
        {true, true, true, 5, 20},    {true, true, true, 25, 0},    {false, false, false, 100, 40},
    };
    langmon::JobQueueEntry entry{};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inJob << c.queued << c.variable << " " << c.spentMs);
        port_->State = c.inJob ? (port_->State | state::InJob) : (port_->State & ~state::InJob);
        port_->QueueHead = c.queued ? &entry : nullptr;
        port_->Settings->variablePolling = c.variable ? TRUE : FALSE;
        port_->Settings->pollingIntervalMs = 25;
        EXPECT_EQ(langmon::StatusIntervalMs(*port_, c.spentMs), c.expected);
    }
    port_->QueueHead = nullptr;
    port_->State &= ~state::InJob;
}

TEST_F(StatusThreadTest, PublishesOnlyWhatChanged) {
    Variable(10);
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= 2; }, 5000));
    pushes_.Clear();
    const DWORD passes = port_->StatusPasses;
    ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= passes + 4; }, 5000));
    EXPECT_EQ(pushes_.Count("PrinterStatus"), 0u) << "an unchanged printer is not pushed again";

    agent_.Clear();  // switched off
    ASSERT_TRUE(WaitFor([&] { return pushes_.Count("PrinterStatus") >= 1; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return StatusM() == langmon::kStatusPoweredOff; }, 5000));

    pushes_.Clear();
    agent_.LoadPrinter();
    agent_.SetInteger(kvtest::kTrayLevelOid, 0);
    ASSERT_TRUE(WaitFor([&] { return pushes_.Count("PrinterStatus") >= 1; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return StatusM() != langmon::kStatusPoweredOff; }, 5000));
    EXPECT_TRUE(Alive());
}

TEST_F(StatusThreadTest, SurvivesASilentOrBabblingPrinter) {
    struct Case {
        const char* what;
        kvtest::AnswerTwist twist;
    };
    const Case cases[] = {
        {"silent", kvtest::AnswerTwist::Drop},
        {"garbage", kvtest::AnswerTwist::Garbage},
        {"cut datagrams", kvtest::AnswerTwist::Corrupt},
        {"wrong request ids", kvtest::AnswerTwist::WrongId},
    };
    Variable(5);
    port_->SnmpWaitMs = 200;  // every spoilt pass waits this out twice
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WaitFor([&] { return StatusM() != langmon::kStatusPoweredOff && port_->StatusPasses >= 1; }, 5000));
        // Every answer spoilt (a pass already under way may take the first few): the printer
        // looks off, and is back at the first pass after it answers again.
        agent_.Script(std::vector<kvtest::AgentAction>(64, kvtest::AgentAction{0, {}, c.twist}));
        EXPECT_TRUE(WaitFor([&] { return StatusM() == langmon::kStatusPoweredOff; }, kvtest::kAnswerWaitMs));
        agent_.Script({});
        EXPECT_TRUE(WaitFor([&] { return StatusM() != langmon::kStatusPoweredOff; }, kvtest::kAnswerWaitMs))
            << "back once it answers";
        EXPECT_TRUE(Alive());
    }
}

TEST_F(StatusThreadTest, StopJoinsTheThreadAndNothingIsAskedAfter) {
    Variable(5);
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= 2; }, 5000));
    langmon::StopStatusThread(*port_);
    EXPECT_FALSE(Alive());
    EXPECT_EQ(port_->StatusThread.Handle(), nullptr);
    const size_t asked = agent_.RequestCount();
    Sleep(50);
    EXPECT_EQ(agent_.RequestCount(), asked);
}

TEST_F(StatusThreadTest, StopWhileTheReadWaitsForASilentPrinter) {
    Variable(5);
    port_->SnmpWaitMs = 100;
    agent_.Script(std::vector<kvtest::AgentAction>(50, kvtest::AgentAction{0, {}, kvtest::AnswerTwist::Drop}));
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    ASSERT_TRUE(WaitFor([&] { return agent_.RequestCount() >= 1; }, 5000));
    const auto start = Clock::now();
    langmon::StopStatusThread(*port_);
    // At most the read in flight: two tries of two 100 ms waits and the 250 ms retry pause.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_FALSE(Alive());
}

TEST_F(StatusThreadTest, ClosePortEndsThePollingBeforeTheContextGoes) {
    Variable(5);
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= 2; }, 5000));
    port_->ClosePortTimeoutMs = 20;
    ASSERT_TRUE(PJLMonClosePort(port_));
    port_ = nullptr;  // freed with its binding
    const size_t asked = agent_.RequestCount();
    Sleep(50);
    EXPECT_EQ(agent_.RequestCount(), asked);
}

TEST_F(StatusThreadTest, ClosePortDuringAPassOfASilentPrinter) {
    Variable(1);
    port_->SnmpWaitMs = 30;
    agent_.Script(std::vector<kvtest::AgentAction>(50, kvtest::AgentAction{0, {}, kvtest::AnswerTwist::Drop}));
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    ASSERT_TRUE(WaitFor([&] { return agent_.RequestCount() >= 1; }, 5000));
    port_->ClosePortTimeoutMs = 20;
    ASSERT_TRUE(PJLMonClosePort(port_));
    port_ = nullptr;
}

TEST_F(StatusThreadTest, EndsWhenNobodyAsksAnyMore) {
    Variable(5);
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    EXPECT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshNotDone) << "on already";
    ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= 1; }, 5000));
    EXPECT_EQ(langmon::StopPollingRequest(*port_), langmon::kRefreshDone);
    EXPECT_EQ(langmon::StopPollingRequest(*port_), langmon::kRefreshNotDone) << "off already";
    EXPECT_TRUE(WaitFor([&] { return !Alive(); }, 5000));
    // A later request starts a new thread on the same port.
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    const DWORD passes = port_->StatusPasses;
    EXPECT_TRUE(WaitFor([&] { return port_->StatusPasses > passes; }, 5000));
    EXPECT_TRUE(Alive());
}

TEST_F(StatusThreadTest, JobRequestKeepsPollingUntilTheQueueIsDone) {
    Variable(5);
    {
        langmon::PortHold hold(*port_);
        ASSERT_TRUE(hold.Take());
        ASSERT_NE(langmon::InJobQueue(*port_, 7), nullptr);
    }
    langmon::KeepPollingForJob(*port_);
    ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= 3; }, 5000));
    EXPECT_TRUE(Alive());
    {
        langmon::PortHold hold(*port_);
        ASSERT_TRUE(hold.Take());
        langmon::FreeJobQueue(*port_);
    }
    EXPECT_TRUE(WaitFor([&] { return !Alive(); }, 5000));
    langmon::PortLockHold lock(*port_);
    EXPECT_EQ(port_->KeepPolling, 0u);
}

TEST_F(StatusThreadTest, WithoutABoundPrinterTheThreadDoesNotRead) {
    Variable(5);
    SrmBinding* binding = port_->FirstBinding;
    port_->FirstBinding = nullptr;
    port_->CurrentBinding = nullptr;
    ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
    EXPECT_TRUE(WaitFor([&] { return !Alive(); }, 5000));
    EXPECT_EQ(agent_.RequestCount(), 0u);
    langmon::PortLockHold lock(*port_);  // the thread's last steps may still run
    port_->FirstBinding = binding;
}

TEST_F(StatusThreadTest, OnlyPortKindsWithAStatusThreadGetOne) {
    struct Case {
        DWORD kind;
        bool thread;
    };
    const Case cases[] = {
        {langmon::port_kind::StandardTcpPort, true}, {langmon::port_kind::DpuTcpPort, true},
        {langmon::port_kind::LocalPort, true},       {langmon::port_kind::ComPort, true},
        {langmon::port_kind::SharePort, false},      {langmon::port_kind::OtherPort, false},
    };
    Variable(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        port_->PortKind = c.kind;
        port_->PollingOn = 1;
        EXPECT_EQ(langmon::StartStatusThread(*port_), c.thread);
        langmon::StopStatusThread(*port_);
        EXPECT_FALSE(Alive());
    }
}

TEST_F(StatusThreadTest, RefreshReadsWhatTheManagerAsksFor) {
    struct Case {
        const char* what;
        std::string list;
        bool threadRunning;
        bool queued;
        LONG result;
        bool reads;
    };
    const Case cases[] = {
        {"status named", "PrinterStatus;IconState", false, false, langmon::kRefreshDone, true},
        {"no request", "", false, false, langmon::kRefreshNotDone, false},
        {"unknown names only", "NoSuchVariable", false, false, langmon::kRefreshNotDone, false},
        {"status while the thread polls", "PrinterStatus", true, false, langmon::kRefreshNotDone, false},
        {"status with a job queued", "PrinterStatus", false, true, langmon::kRefreshNotDone, false},
    };
    Variable(1000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        refreshList_ = c.list;
        port_->LastDeviceCheckTick = static_cast<DWORD>(-1);
        if (c.threadRunning) {
            ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
            ASSERT_TRUE(WaitFor([&] { return DeviceReads() >= 1; }, 5000));
        }
        langmon::JobQueueEntry entry{};
        if (c.queued) port_->QueueHead = &entry;
        const size_t before = DeviceReads();
        EXPECT_EQ(langmon::RefreshStatus(*port_, u"KV Printer"), c.result);
        // A polling thread reads on its own meanwhile: only the refresh's answer tells there.
        if (!c.threadRunning) {
            EXPECT_EQ(DeviceReads() > before, c.reads);
        }
        langmon::StopStatusThread(*port_);
        port_->QueueHead = nullptr;
    }
    refreshList_ = "PrinterStatus";
    EXPECT_EQ(langmon::RefreshStatus(*port_, u"Other Printer"), langmon::kRefreshNotDone);
    EXPECT_EQ(langmon::RefreshStatus(*port_, nullptr), langmon::kRefreshNotDone);
}

TEST_F(StatusThreadTest, RefreshAnswersBusyWhileThePortIsHeld) {
    refreshList_ = "PrinterStatus";
    port_->Waits.PortMutexMs = 30;
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        langmon::PortHold hold(*port_);
        if (hold.Take()) SetEvent(taken);
        WaitForSingleObject(release, 2000);
    });
    ASSERT_EQ(WaitForSingleObject(taken, 2000), WAIT_OBJECT_0);
    EXPECT_EQ(langmon::RefreshStatus(*port_, u"KV Printer"), langmon::kRefreshBusy);
    SetEvent(release);
    holder.join();
    CloseHandle(taken);
    CloseHandle(release);
    EXPECT_EQ(langmon::RefreshStatus(*port_, u"KV Printer"), langmon::kRefreshDone);
}

// The same requests as the status side sends them: value names through the port's printer data.
TEST_F(StatusThreadTest, ValueNamesSwitchPollingAndRefresh) {
    struct Case {
        const char16_t* name;
        bool inJob;
        LONG answer;
        bool aliveAfter;
    };
    const Case cases[] = {
        {u"Wake Up", false, langmon::kRefreshDone, true},
        {u"Wake Up", false, langmon::kRefreshNotDone, true},
        {u"Refresh:KV Printer", true, langmon::kRefreshBusy, true},
        {u"Stop Polling", false, langmon::kRefreshDone, false},
        {u"Stop Polling", false, langmon::kRefreshNotDone, false},
        {u"Refresh:KV Printer", false, langmon::kRefreshDone, false},
        {u"Refresh:Other Printer", false, langmon::kRefreshNotDone, false},
    };
    Variable(5);
    refreshList_ = "PrinterStatus";
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << kvtest::U8(c.name) << (c.inJob ? " in a job" : ""));
        std::u16string name = c.name;
        port_->State = c.inJob ? (port_->State | state::InJob) : (port_->State & ~state::InJob);
        LONG answer = 12345;
        DWORD returned = 0;
        // The answer travels in the buffer; the call itself always fails with 87.
        ASSERT_FALSE(PJLMonGetPrinterDataFromPort(port_, 0, name.data(), nullptr, 0, reinterpret_cast<LPWSTR>(&answer),
                                                  sizeof answer, &returned));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(returned, sizeof answer);
        EXPECT_EQ(answer, c.answer);
        port_->State &= ~state::InJob;
        if (c.aliveAfter) {
            EXPECT_TRUE(Alive());
        } else {
            EXPECT_TRUE(WaitFor([&] { return !Alive(); }, 5000));
        }
    }
}

// Work while nothing happens, counted rather than timed: a pass starts at most once per
// interval, and each asks the printer only what one read of it takes. A thread that spun
// would pass or ask far more often; a slow machine only passes and asks less often.
TEST_F(StatusThreadTest, DoesNoWorkBetweenPassesWhenIdleOrWhenThePrinterIsOff) {
    struct Case {
        const char* what;
        bool printerOn;
    };
    const Case cases[] = {{"idle printer", true}, {"printer off", false}};
    constexpr DWORD kIntervalMs = 40;
    constexpr int kWindowMs = 500;
    // One read of the printer: sysDescr, the three host values, the alerts, the interpreters
    // and the tray, with room for the job tables; a printer that is off answers nothing and is
    // asked sysDescr at most once per try the port allows.
    constexpr size_t kMostRequestsPerPass = 24;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.printerOn) agent_.Clear();
        Variable(kIntervalMs);
        ASSERT_EQ(langmon::RequestPolling(*port_), langmon::kRefreshDone);
        ASSERT_TRUE(WaitFor([&] { return port_->StatusPasses >= 1; }, 5000));
        const DWORD passes = port_->StatusPasses;
        const size_t asked = agent_.RequestCount();
        const auto start = Clock::now();
        Sleep(kWindowMs);
        // However slow the machine, the window holds at least one pass.
        (void)WaitFor([&] { return port_->StatusPasses > passes + 1; }, 10000);
        const DWORD made = port_->StatusPasses - passes;
        const size_t requests = agent_.RequestCount() - asked;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        langmon::StopStatusThread(*port_);
        std::printf("[ poll idle ] %s: %lu passes, %zu requests in %lld ms\n", c.what,
                    static_cast<unsigned long>(made), requests, static_cast<long long>(elapsed));
        EXPECT_GE(made, 1u);
        EXPECT_LE(made, static_cast<DWORD>(elapsed) / kIntervalMs + 1);
        // The pass under way when the window closed may have asked part of its read.
        EXPECT_LE(requests, (made + 1) * kMostRequestsPerPass);
    }
}

}  // namespace
