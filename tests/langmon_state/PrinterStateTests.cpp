// Reading the printer over SNMP from a loopback agent and the status variables that follow:
// each alert's bits and error detail, a printer that does not answer or stops answering,
// values of the wrong kind, and only changed variables pushed.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "langmon/MonitorProcess.h"
#include "langmon/MonitorRegistry.h"
#include "langmon/PortList.h"
#include "langmon/PortSettings.h"
#include "langmon/printer/PrinterState.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/status/StatusPort.h"
#include "platform/StandInMonitor.h"
#include "platform/Sync.h"
#include "tools/sample/PrinterOids.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SnmpAgent.h"

namespace {

using kvtest::kHrDeviceOid;
using kvtest::kHrPrinterOid;
using kvtest::kTrayLevelOid;

constexpr char kAddress[] = "127.0.0.1";

// Pushes the recording manager received.
std::vector<std::string> pushed;
DWORD RecordUpdate(DWORD, LPCSTR name, LPCVOID, DWORD) {
    pushed.emplace_back(name);
    return 0;
}

class PrinterStateTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::monitor::Reset();
        pushed.clear();
        ASSERT_TRUE(langmon::StartMonitorProcess(nullptr));
        monitor_.Signature = langmon::kMonitorSignature;
        monitor_.Waits = langmon::LoadWaits(nullptr);
        EnterCriticalSection(&langmon::Process().Lock);
        port_ = langmon::CreatePortContext(u"IP_10.0.0.5", u"KV Printer", monitor_);
        LeaveCriticalSection(&langmon::Process().Lock);
        ASSERT_NE(port_, nullptr);
        port_->PortKind = langmon::port_kind::StandardTcpPort;
        port_->Settings->oidIntervalMs = 0;
        port_->Settings->maxPowerOffTries = 1;
        agent_.LoadPrinter();
        agent_.SetInteger(kTrayLevelOid, 0);
    }
    void TearDown() override {
        port_->FirstBinding = nullptr;  // the test's own binding, not the heap's
        EnterCriticalSection(&langmon::Process().Lock);
        langmon::DeletePortContext(port_);
        LeaveCriticalSection(&langmon::Process().Lock);
        langmon::EndMonitorProcess();
        StandInTest::TearDown();
    }

    /// One read with a wait of `waitMs` for each answer: short where the printer is meant to be silent.
    langmon::MibReadResult Read(uint32_t waitMs = kvtest::kAnswerWaitMs) {
        snmp::SnmpClient client(agent_.Settings(waitMs));
        return langmon::ReadPrinterState(*port_, client, kAddress);
    }
    void Down() {
        agent_.SetInteger(kHrPrinterOid, 1);  // other
        agent_.SetInteger(kHrDeviceOid, 5);   // down
    }
    PrinterStatusValue Status() {
        PrinterStatusValue s{};
        EXPECT_TRUE(port_->Variables->ReadStatus(&s));
        return s;
    }
    void SetStatus(const PrinterStatusValue& s) {
        port_->Variables->Store(port_->Variables->row(kRowPrinterStatus), &s, sizeof s);
    }
    DWORD Dword(StatusRow row, size_t offset = 0) {
        const StatusVariable& v = port_->Variables->row(row);
        DWORD value = 0xDEADBEEF;
        if (v.value != nullptr && v.cbValue >= offset + 4) std::memcpy(&value, v.value + offset, 4);
        return value;
    }
    /// A bound printer of this model whose manager records every push.
    void Bind() {
        binding_ = SrmBinding{};
        binding_.manager = 1;
        binding_.entries.UpdatePrinterStatusA = RecordUpdate;
        binding_.modelMask = kKvTd520ModelMask;
        port_->FirstBinding = &binding_;
    }

    kvtest::SnmpAgent agent_;
    langmon::MonitorHandle monitor_{};
    langmon::PortContext* port_ = nullptr;
    SrmBinding binding_{};
};

// --- Every alert of the full table, reported by a printer that is down ---

struct AlertCase {
    const char* text;
    PrinterStatusValue bits;     // the status bits it owns
    StatusRow errRow;   // kStatusRowCount: no error detail of its own
    size_t errOffset;
    DWORD errValue;
};
constexpr StatusRow kNoErr = kStatusRowCount;
constexpr DWORD kTray1Word256 = 0x01000001;  // ErrNoPaper {tray 1, tray word 256}

const AlertCase kAlertCases[] = {
    {"Printer Offline", {0, 0, 0x1000}, kNoErr, 0, 0},
    {"Hop No Paper", {0, 0, 0x800000}, kRowErrNoPaper, 0, kTray1Word256},
    {"Paper Miss Set", {0, 0, 0x400000}, kNoErr, 0, 0},
    {"Auto Load Time Out Error", {0, 0x40000000, 0}, kRowErrLoadPaper, 0, 0x1},
    {"Set Up Paper Error", {0, 0x40000000, 0}, kRowErrLoadPaper, 0, 0x2},
    {"No Pushed Load Switch", {0, 0x40000000, 0}, kRowErrLoadPaper, 0, 0x4},
    {"No Select Up Down Fold", {0, 0x40000000, 0}, kRowErrLoadPaper, 0, 0x8},
    {"Fuser Cover Paper Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x1},
    {"Carriage Unit Paper Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x2},
    {"Tractor Cover Paper Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x4},
    {"Inside Cover Open Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x10000},
    {"Tractor Cover Open Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x40000},
    {"Scuff Roller Lever Release Error Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x100000},
    {"Pinch Roller Unit Cover Open Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x200000},
    {"Auto Road Guide Cover Open Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x400000},
    {"Fuser Cover Open Jam", {0, 0, 0x10000}, kRowErrPaperJam, 0, 0x800000},
    {"Inside Cover Open", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x1},
    {"Toner Shutter Open", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x2},
    {"Tractor Cover Open", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x4},
    {"Back Tension Cover Open", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x8},
    {"Scuff Roller Lever Release Error", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x10},
    {"Pinch Roller Unit Cover Open", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x20},
    {"Auto Road Guide Cover Open", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x40},
    {"Fuser Cover Open", {0, 0, 0x8000}, kRowErrCoverOpen, 0, 0x80},
    {"Auto Cleaning", {0, 0x4000000, 0}, kNoErr, 0, 0},
    {"Stacker Table Safety Check Error", {0x8, 0, 0}, kRowErrStacker, 0, 0x1},
    {"Stacker Paper Length Guide Up Error", {0x8, 0, 0}, kRowErrStacker, 0, 0x2},
    {"Stack Miss", {0x8, 0, 0}, kRowErrStacker, 0, 0x4},
    {"No Stacker Table", {0x8, 0, 0}, kRowErrStacker, 0, 0x8},
    {"Stacker Full", {0x8, 0, 0}, kRowErrStacker, 0, 0x10},
    {"Stacker Not Auto", {0x8, 0, 0}, kRowErrStacker, 0, 0x20},
    // ErrSupplies: count, then the words of groups 3 (cleaner) to 8 (toner) at 4..24.
    {"Low Toner", {0, 0, 0x82}, kRowErrSupplies, 24, 0x2},
    {"No Toner", {0, 0, 0x4000}, kRowErrSupplies, 24, 0x4},
    {"Near Full Waste Toner Bottle", {0, 0, 0x80}, kRowErrSupplies, 8, 0x2},
    {"Near Air Filter Life", {0, 0, 0x80}, kRowErrSupplies, 12, 0x2},
    {"Low Developer", {0, 0, 0x80}, kRowErrSupplies, 16, 0x2},
    {"Near KitF Life", {0, 0, 0x80}, kRowErrSupplies, 20, 0x2},
    {"Waste Toner Bottle Full", {0, 0, 0x20000000}, kRowErrSupplies, 8, 0x4},
    {"Air Filter Life", {0, 0, 0x20000000}, kRowErrSupplies, 12, 0x4},
    {"No Developer", {0, 0, 0x20000000}, kRowErrSupplies, 16, 0x4},
    {"KitF Life", {0, 0, 0x20000000}, kRowErrSupplies, 20, 0x4},
    {"No Cleaner Blade", {0, 0x4, 0}, kRowErrSupplies, 4, 0x1},
    {"No Waste Toner Bottle", {0, 0x4, 0}, kRowErrSupplies, 8, 0x1},
    {"Maintenance Request", {0, 0, 0x80000}, kNoErr, 0, 0},
    {"FormOver", {0, 0x2000, 0}, kNoErr, 0, 0},
    {"Engine Alarm", {0, 0, 0x400}, kNoErr, 0, 0},
    // The hardware error number comes from the console, tested on its own below.
    {"Serviceman Call", {0, 0x80, 0}, kNoErr, 0, 0},
    {"Confidential Call", {0, 0x80, 0}, kNoErr, 0, 0},
    {"Printer Reset", {0, 0, 0}, kNoErr, 0, 0},  // announced, but no state of its own
};

// Every bit some alert owns (L 0x80 also follows low toner).
constexpr PrinterStatusValue kAlertOwned = {0x8, 0x80 | 0x4 | 0x40000000 | 0x2000 | 0x4000000,
                                            0x400 | 0x10000 | 0x4000 | 0x20000000 | 0x8000 | 0x4000000 | 0x800000 |
                                                0x80000 | 0x400000 | 0x1000 | 0x2 | 0x80};

bool InShortTable(const char* text) {
    for (const char* s : {"Printer Offline", "Auto Cleaning", "Low Toner", "Near Full Waste Toner Bottle",
                          "Near Air Filter Life", "Low Developer", "Near KitF Life", "Printer Reset"}) {
        if (std::strcmp(s, text) == 0) return true;
    }
    return false;
}

class AlertRowTest : public PrinterStateTest, public ::testing::WithParamInterface<AlertCase> {};

TEST_P(AlertRowTest, DownPrinterReportsTheAlertsBitsAndDetail) {
    const AlertCase& c = GetParam();
    Down();
    agent_.SetAlerts({c.text});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    const PrinterStatusValue s = Status();
    EXPECT_EQ(s.H & kAlertOwned.H, c.bits.H);
    EXPECT_EQ(s.M & kAlertOwned.M, c.bits.M);
    EXPECT_EQ(s.L & kAlertOwned.L, c.bits.L);
    if (c.errRow != kNoErr) {
        EXPECT_EQ(Dword(c.errRow, c.errOffset), c.errValue);
    }
}

TEST_P(AlertRowTest, RunningPrinterHeedsOnlyTheWarnings) {
    const AlertCase& c = GetParam();
    agent_.SetAlerts({c.text});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    const PrinterStatusValue s = Status();
    const bool counts = InShortTable(c.text);
    EXPECT_EQ(s.H & kAlertOwned.H, counts ? c.bits.H : 0u);
    EXPECT_EQ(s.M & kAlertOwned.M, counts ? c.bits.M : 0u);
    EXPECT_EQ(s.L & kAlertOwned.L, counts ? c.bits.L : 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, AlertRowTest, ::testing::ValuesIn(kAlertCases));

TEST_F(PrinterStateTest, EveryAlertRowHasACase) {
    EXPECT_EQ(langmon::FullAlertTable().size(), std::size(kAlertCases));
}

TEST_F(PrinterStateTest, TextsDifferingInCaseOrLengthMatchNothing) {
    Down();
    agent_.SetAlerts({"printer offline", "Printer Offline ", "Stack", std::string("No Toner\0", 9)});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    const PrinterStatusValue s = Status();
    EXPECT_EQ(s.H & kAlertOwned.H, 0u);
    EXPECT_EQ(s.M & kAlertOwned.M, 0u);
    EXPECT_EQ(s.L & kAlertOwned.L, 0u);
}

TEST_F(PrinterStateTest, HopNoPaperWithPaperInTheTrayIsAPaperSizeMatter) {
    for (int level : {-3, 5}) {  // tray byte 100, then 254
        Down();
        agent_.SetInteger(kTrayLevelOid, level);
        agent_.SetAlerts({"Hop No Paper"});
        ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
        EXPECT_EQ(Status().L & 0x4800000, 0x4000000u) << level;
    }
}

TEST_F(PrinterStateTest, DownPrinterWithoutAlertsClearsAlertBitsAndKeepsOthers) {
    Down();
    SetStatus({0x8 | 0x100000, 0x80 | 0x10 | 0x1F00, 0x10000 | 0x20});
    agent_.SetAlerts({});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    const PrinterStatusValue s = Status();
    EXPECT_EQ(s.H, 0x100000u);
    EXPECT_EQ(s.M, 0x10u);           // 0x1F00 cleared at every parse
    EXPECT_EQ(s.L, 0x20u | 0x1);     // online now
}

// --- Printers that do not answer, or stop ---

TEST_F(PrinterStateTest, SilentPrinterLeavesTheVariables) {
    SetStatus({0, 0, 0x10000});
    agent_.Script(std::vector<kvtest::AgentAction>(8, {0, {}, kvtest::AnswerTwist::Drop}));
    EXPECT_EQ(Read(kvtest::kSilenceWaitMs), langmon::MibReadResult::NotAnswered);
    EXPECT_EQ(Status().L, 0x10000u);
    EXPECT_EQ(agent_.RequestCount(), 2u);  // MaxPWOFF 1: the first try and one more
    EXPECT_TRUE(standin::monitor::PortStatuses(u"IP_10.0.0.5").empty());
}

TEST_F(PrinterStateTest, PrinterSwitchedOffMidReadKeepsItsLastState) {
    // A jam, then the printer goes quiet after sysDescr: the jam must not be read as cleared.
    Down();
    agent_.SetAlerts({"Fuser Cover Paper Jam"});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    ASSERT_EQ(Status().L & 0x10000, 0x10000u);
    agent_.SetAlerts({});
    std::vector<kvtest::AgentAction> script(1);
    script.resize(40, {0, {}, kvtest::AnswerTwist::Drop});
    agent_.Script(script);
    EXPECT_EQ(Read(kvtest::kSilenceWaitMs), langmon::MibReadResult::NotAnswered);
    EXPECT_EQ(Status().L & 0x10000, 0x10000u);
    EXPECT_EQ(Dword(kRowErrPaperJam), 0x1u);
}

TEST_F(PrinterStateTest, OtherModelEndsTheReadUntouched) {
    agent_.SetString("1.3.6.1.2.1.1.1.0", "ZEV KV-TD52");
    SetStatus({0, 0, 0x8000});
    EXPECT_EQ(Read(), langmon::MibReadResult::Unsupported);
    EXPECT_EQ(port_->ModelMask, 0u);
    EXPECT_EQ(Status().L, 0x8000u);
    EXPECT_EQ(agent_.RequestCount(), 1u);
}

TEST_F(PrinterStateTest, SupportedModelSetsIdentity) {
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    EXPECT_EQ(port_->ModelMask, kKvTd520ModelMask);
    const StatusVariable& maker = port_->Variables->row(kRowPrinterManufacturer);
    const StatusVariable& model = port_->Variables->row(kRowPrinterModel);
    ASSERT_NE(maker.value, nullptr);
    ASSERT_NE(model.value, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(maker.value), "ZEV");
    EXPECT_STREQ(reinterpret_cast<const char*>(model.value), "KV-TD520 (VX)");
    // Both interpreters, in table order.
    const StatusVariable& emulations = port_->Variables->row(kRowEmulationInfo);
    ASSERT_EQ(emulations.cbValue, 12u);
    EXPECT_EQ(Dword(kRowEmulationInfo, 0), 2u);
    EXPECT_EQ(Dword(kRowEmulationInfo, 4), 0u);
    EXPECT_EQ(Dword(kRowEmulationInfo, 8), 1u);
}

// --- Values of the wrong kind or shape ---

TEST_F(PrinterStateTest, WrongTypesLeaveFieldsEmpty) {
    agent_.SetString(kHrPrinterOid, "4");                    // a text where a number belongs
    agent_.SetInteger("1.3.6.1.2.1.43.18.1.1.8.1.1", 7);  // an alert that is a number
    agent_.SetString("1.3.6.1.2.1.43.18.1.1.8.1.2", "No Toner");
    auto picture = std::make_unique<langmon::MibPicture>();
    snmp::SnmpClient client(agent_.Settings());
    ASSERT_EQ(langmon::ReadPrinterMib(*port_, client, kAddress, *picture), langmon::MibReadResult::Supported);
    EXPECT_EQ(picture->hrPrinterStatus, 0);
    EXPECT_EQ(picture->alertCount, 0u);  // the walk stops at the first value that is no text
}

TEST_F(PrinterStateTest, GarbledAnswersCountAsSilence) {
    agent_.Script(std::vector<kvtest::AgentAction>(8, {0, {}, kvtest::AnswerTwist::Garbage}));
    SetStatus({0, 0, 0x4000});
    EXPECT_EQ(Read(kvtest::kSilenceWaitMs), langmon::MibReadResult::NotAnswered);
    EXPECT_EQ(Status().L, 0x4000u);
}

TEST_F(PrinterStateTest, LongTextsAreCut) {
    agent_.SetString("1.3.6.1.2.1.1.1.0", "ZE" + std::string(300, 'X'));
    auto picture = std::make_unique<langmon::MibPicture>();
    snmp::SnmpClient client(agent_.Settings());
    EXPECT_EQ(langmon::ReadPrinterMib(*port_, client, kAddress, *picture), langmon::MibReadResult::Unsupported);
    EXPECT_LT(strnlen(picture->sysDescr, sizeof picture->sysDescr), sizeof picture->sysDescr);
}

TEST_F(PrinterStateTest, ManyAlertsStopAtSixtyFour) {
    Down();
    agent_.SetAlerts(std::vector<std::string>(70, "Stack Miss"));
    auto picture = std::make_unique<langmon::MibPicture>();
    snmp::SnmpClient client(agent_.Settings());
    ASSERT_EQ(langmon::ReadPrinterMib(*port_, client, kAddress, *picture), langmon::MibReadResult::Supported);
    EXPECT_EQ(picture->alertCount, langmon::kMaxAlerts);
}

// --- Console and parts life ---

TEST_F(PrinterStateTest, ServiceCallReadsTheNumberFromTheConsole) {
    Down();
    agent_.SetAlerts({"Serviceman Call"});
    agent_.SetString("1.3.6.1.2.1.43.16.5.1.2.1.1", "  0042\x83\x52\x81\x5B\x83\x8B");
    agent_.SetString("1.3.6.1.2.1.43.16.5.1.2.1.2", "second line");
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    EXPECT_EQ(Dword(kRowErrHWError), 42u);
    // The call ends: the number goes back to 0.
    agent_.SetAlerts({});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    EXPECT_EQ(Dword(kRowErrHWError), 0u);
}

TEST_F(PrinterStateTest, PartsLifeAlert) {
    agent_.SetAlerts({"PM Parts Life 0010 0020 ABCD"});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    const StatusVariable& life = port_->Variables->row(kRowErrPartsLife);
    ASSERT_EQ(life.cbValue, 6u);
    WORD words[3];
    std::memcpy(words, life.value, sizeof words);
    EXPECT_EQ(words[0], 0x10);
    EXPECT_EQ(words[1], 0x20);
    EXPECT_EQ(words[2], 0xABCD);
}

TEST_F(PrinterStateTest, TrayFromThePrinter) {
    Down();
    agent_.SetInteger(kTrayLevelOid, -3);
    agent_.SetAlerts({});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    const StatusVariable& bins = port_->Variables->row(kRowPrinterBinConfig);
    ASSERT_EQ(bins.cbValue, 16u);
    BinConfigEntry entry{};
    std::memcpy(&entry, bins.value + 4, sizeof entry);
    EXPECT_EQ(entry.Tray, 1);
    EXPECT_EQ(entry.Level, 100);
    EXPECT_EQ(entry.Length, 2);  // 2970 from the agent
    EXPECT_EQ(entry.Width, 13);  // 2100
}

// --- Only what changed is pushed ---

TEST_F(PrinterStateTest, OnlyChangedVariablesArePushed) {
    Bind();
    port_->State |= langmon::port_state::PollingWanted;
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    pushed.clear();
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    EXPECT_TRUE(pushed.empty());

    Down();
    agent_.SetAlerts({"Tractor Cover Open"});
    ASSERT_EQ(Read(), langmon::MibReadResult::Supported);
    EXPECT_EQ(pushed, (std::vector<std::string>{"ErrCoverOpen", "PrinterStatus", "IconState"}));
    // The spooler was told of the open door.
    const auto statuses = standin::monitor::PortStatuses(u"IP_10.0.0.5");
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back().status, langmon::port_status::DoorOpen);
    EXPECT_EQ(statuses.back().severity, PORT_STATUS_TYPE_ERROR);
    EXPECT_EQ(binding_.lastPortStatus, langmon::port_status::DoorOpen);
}

TEST_F(PrinterStateTest, PortStatusWaitsWhileTheMutexIsHeldElsewhere) {
    Bind();
    port_->ModelMask = kKvTd520ModelMask;
    SetStatus({0, 0, 0x10000});
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, langmon::kPortStatusMutexName);
        WaitForSingleObject(mutex, INFINITE);
        SetEvent(taken);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    WaitForSingleObject(taken, INFINITE);
    EXPECT_FALSE(langmon::PublishPortStatus(*port_));
    EXPECT_TRUE(standin::monitor::PortStatuses(u"IP_10.0.0.5").empty());
    SetEvent(release);
    holder.join();
    EXPECT_TRUE(langmon::PublishPortStatus(*port_));
    const auto statuses = standin::monitor::PortStatuses(u"IP_10.0.0.5");
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].status, langmon::port_status::PaperJam);
    CloseHandle(taken);
    CloseHandle(release);
}

TEST_F(PrinterStateTest, OtherModelsBindingGetsNoPortStatus) {
    Bind();
    binding_.modelMask = 0x1;
    port_->ModelMask = kKvTd520ModelMask;
    SetStatus({0, 0, 0x10000});
    EXPECT_TRUE(langmon::PublishPortStatus(*port_));
    const auto statuses = standin::monitor::PortStatuses(u"IP_10.0.0.5");
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].status, 0u);
    EXPECT_EQ(statuses[0].severity, 0u);
}

}  // namespace
