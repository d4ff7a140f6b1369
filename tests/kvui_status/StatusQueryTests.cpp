// The status query's states against the manager stand-in: absent, answering at once,
// answering slowly, and answering a window by message.
#include <chrono>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "tests/kvui_status/StatusFixture.h"
#include "ui/status/StatusQuery.h"

namespace kvuitest {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A record with values of its own, to tell what a query changed.
PrinterStatusSnapshot Remembered() {
    PrinterStatusSnapshot status{};
    status.printerStatus[0] = 7;
    status.printerStatus[1] = 8;
    status.printerStatus[2] = 9;
    status.printerExtStatus = 0x4;
    status.binConfigCount = 1;
    status.binConfig[0] = Tray(1, 2, 3, 100);
    status.spoolerStatus = 0x55;
    status.runningPss = 1;
    status.compulsivePolling = 0;
    return status;
}

void ExpectIdle(const PrinterStatusSnapshot& status) {
    EXPECT_EQ(status.pendingRequest, 0u);
    EXPECT_EQ(status.managerModule, nullptr);
    EXPECT_EQ(status.manager, nullptr);
    for (void* entry : status.entryPoints) EXPECT_EQ(entry, nullptr);
}

using StatusQuery = StatusTest;

TEST_F(StatusQuery, UnreachableManagerLeavesTheRecordAndTellsOnlyAWindow) {
    enum class Way { LibraryMissing, NoPrinterInformation, PrinterUnknownToManager };
    struct Case {
        const char* name;
        Way way;
        bool window;
    };
    const Case cases[] = {
        {"library missing, window", Way::LibraryMissing, true},
        {"library missing, no window", Way::LibraryMissing, false},
        {"no printer information, window", Way::NoPrinterInformation, true},
        {"no printer information, no window", Way::NoPrinterInformation, false},
        {"printer unknown to the manager, window", Way::PrinterUnknownToManager, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE printer = Printer();
        if (c.way == Way::LibraryMissing) standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
        if (c.way == Way::NoPrinterInformation) printer = nullptr;
        if (c.way == Way::PrinterUnknownToManager) standin::RemovePrinter(kvtest::kSamplePrinterName);
        PrinterStatusSnapshot status = Remembered();
        const PrinterStatusSnapshot before = status;
        EXPECT_EQ(QueryPrinterStatus(&status, printer, c.window ? window_ : nullptr), 0);
        EXPECT_EQ(std::memcmp(&status, &before, sizeof(status)), 0);
        EXPECT_EQ(TakePosted(kStatusManagerMissing, c.window ? 5000 : 0), c.window);
        EXPECT_FALSE(TakePosted(kStatusRefreshFailed, 0));
        standin::ClearFaults();
        if (c.way == Way::PrinterUnknownToManager) kvtest::InstallSamplePrinter();
    }
}

TEST_F(StatusQuery, RefreshesFollowTheStatusThePrinterReports) {
    const std::string ext = "PrinterExtStatus";
    const std::string trays = "PrinterStatus;PrinterExtStatus;PrinterBinConfig";
    struct Case {
        const char* name;
        DWORD extStatus;         // published before the query
        DWORD polling;           // CompulsivePolling
        DWORD extAfterRefresh;   // what the monitor publishes when asked (0: nothing)
        bool window;
        bool configKept;         // printer data SRM_PrinterBinConfig
        std::vector<std::string> lists;
        DWORD mode;
        bool pending;
        DWORD extStatusRead;
    };
    const Case cases[] = {
        {"nothing reported", 0, 0, 0, false, false, {ext}, 8, false, 0},
        {"reported on the refresh", 0, 0, 0x4, false, false, {ext, trays}, 8, false, 0x4},
        {"reported, configuration kept", 0, 0, 0x4, false, true, {ext}, 10, false, 0x4},
        {"reported, no window", 0x4, 0, 0, false, false, {ext, trays}, 8, false, 0x4},
        {"reported, window", 0x4, 0, 0, true, false, {ext, trays}, 8, true, 0x4},
        {"reported, window, configuration kept", 0x4, 0, 0, true, true, {ext, trays}, 8, true, 0x4},
        {"polled by the monitor", 0x14, 0, 0, true, false, {}, 8, false, 0x14},
        {"compulsive polling", 0x4, 1, 0, true, false, {}, 8, false, 0x4},
        {"compulsive polling, configuration kept", 0x4, 1, 0, false, true, {}, 10, false, 0x4},
    };
    StartMonitor();
    kvtest::ScopedPrinter admin(kvtest::kSamplePrinterName, PRINTER_ALL_ACCESS);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        monitor_.Reset();
        if (c.extAfterRefresh != 0) monitor_.Publish(u"PrinterExtStatus", {static_cast<BYTE>(c.extAfterRefresh), 0, 0, 0});
        PublishDword(u"PrinterExtStatus", c.extStatus);
        PublishDword(u"CompulsivePolling", c.polling);
        DWORD one = 1;
        if (c.configKept) {
            ASSERT_EQ(SetPrinterDataW(admin.handle(), const_cast<LPWSTR>(u"SRM_PrinterBinConfig"), REG_DWORD,
                                      reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
        } else {
            DeletePrinterDataW(admin.handle(), const_cast<LPWSTR>(u"SRM_PrinterBinConfig"));
        }
        clearRecords_();

        PrinterStatusSnapshot status{};
        EXPECT_EQ(QueryPrinterStatus(&status, Printer(), c.window ? window_ : nullptr), 0);
        EXPECT_EQ(OpenedModes(), std::vector<DWORD>{c.mode});
        EXPECT_EQ(status.pendingRequest != 0, c.pending);
        if (c.pending) {
            MSG msg{};
            ASSERT_TRUE(TakePosted(kStatusRefreshDone, 5000, &msg));
            EXPECT_EQ(msg.wParam, status.pendingRequest);
            EXPECT_EQ(QueryPrinterStatus(&status, Printer(), window_), 0);
        }
        ExpectIdle(status);
        EXPECT_EQ(monitor_.Lists(), c.lists);
        EXPECT_EQ(status.printerExtStatus, c.extStatusRead);
        EXPECT_EQ(status.compulsivePolling, c.polling);
        EXPECT_EQ(openRequests_(), 0u);
    }
}

TEST_F(StatusQuery, AWindowsRequestIsAnsweredByMessageAndCollectedOnTheNextCall) {
    PublishDword(u"PrinterExtStatus", 0x4);
    const DWORD words[3] = {0x11, 0x1000, 0x8};
    Publish(u"PrinterStatus", words, sizeof(words));
    PublishTrays({Tray(1, 1, 9, 100), Tray(2, 1, 9, 0), Tray(1001, 2, 4, 255)});
    PublishDword(u"RunningPSS", 1);
    monitor_.answer = SRMRES_BUSY;
    StartMonitor();

    PrinterStatusSnapshot status{};
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), window_), 0);
    ASSERT_NE(status.pendingRequest, 0u);
    EXPECT_NE(status.managerModule, nullptr);
    // Pending: nothing past the first reads yet.
    EXPECT_EQ(status.binConfigCount, 0u);
    MSG msg{};
    ASSERT_TRUE(TakePosted(kStatusRefreshDone, 5000, &msg));
    EXPECT_EQ(msg.wParam, status.pendingRequest);

    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), window_), static_cast<LONG>(SRMRES_BUSY));
    ExpectIdle(status);
    EXPECT_EQ(status.printerStatus[1], 0x1000u);
    ASSERT_EQ(status.binConfigCount, 3u);
    EXPECT_EQ(status.binConfig[2].BinId, 1001);
    EXPECT_EQ(status.binConfig[2].PaperLevel, 255);
    EXPECT_EQ(status.runningPss, 1u);
    SRM_PORT port{};
    std::memcpy(&port, status.port, sizeof(port));
    EXPECT_EQ(std::u16string(port.szPortName), u"LPT1:");
    EXPECT_EQ(openRequests_(), 0u);
    EXPECT_FALSE(TakePosted(kStatusRefreshDone, 50));
}

TEST_F(StatusQuery, ARefusedRequestTellsTheWindowAndReadsWhatThereIs) {
    PublishDword(u"PrinterExtStatus", 0x4);
    PublishTrays({Tray(1, 1, 9, 100)});
    StartMonitor();
    setRequestRefusal_(SRMRES_INVALID_PARAMETER);
    PrinterStatusSnapshot status{};
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), window_), 0);
    EXPECT_TRUE(TakePosted(kStatusRefreshFailed, 5000));
    ExpectIdle(status);
    EXPECT_EQ(status.binConfigCount, 1u);
}

TEST_F(StatusQuery, ASlowManagerKeepsACallWithoutWindowToOneBoundedWait) {
    constexpr DWORD kWaitMs = 600;
    setSettingsWait_(kWaitMs);
    PublishDword(u"PrinterExtStatus", 0x4);
    PublishTrays({Tray(1, 1, 9, 100)});
    monitor_.Hold();
    StartMonitor();

    PrinterStatusSnapshot status{};
    const auto started = steady_clock::now();
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), nullptr), 0);
    const auto waited = steady_clock::now() - started;
    EXPECT_GE(waited, milliseconds(kWaitMs));
    // The tray refresh after a refresh the manager gave up on would wait as long again.
    EXPECT_LT(waited, milliseconds(2 * kWaitMs));
    // The cached values are read all the same.
    EXPECT_EQ(status.printerExtStatus, 0x4u);
    EXPECT_EQ(status.binConfigCount, 1u);
    ExpectIdle(status);
    monitor_.Release();
    ASSERT_TRUE(monitor_.WaitFinished());
    EXPECT_EQ(monitor_.Lists(), std::vector<std::string>{"PrinterExtStatus"});
}

TEST_F(StatusQuery, ASlowManagerAnswersAWindowWhenItIsDone) {
    setSettingsWait_(200);
    PublishDword(u"PrinterExtStatus", 0x4);
    monitor_.Hold();
    StartMonitor();
    PrinterStatusSnapshot status{};
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), window_), 0);
    ASSERT_NE(status.pendingRequest, 0u);
    EXPECT_FALSE(TakePosted(kStatusRefreshDone, 20));
    monitor_.Publish(u"PrinterBinConfig", TrayBytes(1, {Tray(5, 1, 2, 0)}));
    monitor_.Release();
    ASSERT_TRUE(TakePosted(kStatusRefreshDone, 10000));
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), window_), 0);
    ExpectIdle(status);
    ASSERT_EQ(status.binConfigCount, 1u);
    EXPECT_EQ(status.binConfig[0].BinId, 5);
    const std::vector<std::string> lists = monitor_.Lists();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[1], "PrinterStatus;PrinterExtStatus;PrinterBinConfig");
}

}  // namespace
}  // namespace kvuitest
