// What the manager may hand over (odd sizes, a tray list longer than its bytes or than nine),
// records never zeroed, and a request left pending when its record goes.
#include <cstring>

#include "tests/kvui_status/StatusFixture.h"
#include "ui/status/StatusQuery.h"

namespace kvuitest {
namespace {

using StatusFaults = StatusTest;

std::vector<BinConfigEntry> Trays(size_t n) {
    std::vector<BinConfigEntry> trays;
    for (size_t i = 0; i < n; ++i) trays.push_back(Tray(static_cast<SHORT>(i + 1), 1, static_cast<WORD>(i + 2), 100));
    return trays;
}

TEST_F(StatusFaults, TheTrayListIsReadWholeAndCutToWhatItHolds) {
    struct Case {
        const char* name;
        std::vector<BYTE> value;
        DWORD count;
    };
    std::vector<BYTE> strayBytes = TrayBytes(2, Trays(3));
    strayBytes.resize(strayBytes.size() + 5, 0x77);
    std::vector<BYTE> cutEntry = TrayBytes(5, Trays(3));
    cutEntry.resize(cutEntry.size() - 5);
    const Case cases[] = {
        {"three of three", TrayBytes(3, Trays(3)), 3},
        {"twelve claimed, three held", TrayBytes(12, Trays(3)), 3},
        {"twelve of twelve", TrayBytes(12, Trays(12)), 9},
        {"nine of nine", TrayBytes(9, Trays(9)), 9},
        {"two claimed, stray bytes after three", strayBytes, 2},
        {"five claimed, the third cut", cutEntry, 2},
        {"a count of 0xFFFFFFFF", TrayBytes(0xFFFFFFFFu, Trays(4)), 4},
        {"no count", {1, 0}, 0},
        {"an empty list", TrayBytes(0, {}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRaw(u"PrinterBinConfig", c.value);
        PrinterStatusSnapshot status{};
        std::memset(status.binConfig, 0xEE, sizeof(status.binConfig));
        EXPECT_EQ(QueryPrinterStatus(&status, Printer(), nullptr), 0);
        ASSERT_EQ(status.binConfigCount, c.count);
        const std::vector<BinConfigEntry> sent = Trays(c.count);
        for (DWORD i = 0; i < c.count; ++i) {
            EXPECT_EQ(std::memcmp(&status.binConfig[i], &sent[i], sizeof(BinConfigEntry)), 0) << "entry " << i;
        }
        // Nothing left of an earlier list past the count.
        for (DWORD i = c.count; i < kBinConfigEntries; ++i) EXPECT_EQ(status.binConfig[i].BinId, 0) << "entry " << i;
    }
}

TEST_F(StatusFaults, ValuesOfOddSizesFillTheirFieldsAndNoMore) {
    SetRaw(u"PrinterStatus", {1, 0, 0, 0, 2});                    // 5 of 12 bytes
    SetRaw(u"PrinterExtStatus", {0x14, 0, 0, 0, 0x99, 0x99, 0x99}); // 7 of 4: no refresh (0x10)
    SetRaw(u"RunningPSS", {});                                     // nothing at all
    std::vector<BYTE> port(600, 0);
    port[4] = 'P';                                                 // a port name past 516 bytes' worth
    SetRaw(u"Port", port);
    PrinterStatusSnapshot status{};
    status.printerStatus[1] = 0xAAAA;
    status.runningPss = 0x1234;
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), nullptr), 0);
    EXPECT_EQ(status.printerStatus[0], 1u);
    EXPECT_EQ(status.printerStatus[1], 2u);  // the short value's tail is zero
    EXPECT_EQ(status.printerStatus[2], 0u);
    EXPECT_EQ(status.printerExtStatus, 0x14u);
    EXPECT_EQ(status.runningPss, 0u);
    EXPECT_EQ(status.port[2], u'P');  // the port name after the u32 port kind
    EXPECT_EQ(status.compulsivePolling, 0u);  // the field after Port is not overrun
}

TEST_F(StatusFaults, ARecordNeverZeroedIsTakenAsIdle) {
    PublishDword(u"PrinterExtStatus", 0x10);
    PublishTrays(Trays(2));
    PrinterStatusSnapshot status;
    std::memset(&status, 0xA5, sizeof(status));
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), nullptr), 0);
    EXPECT_EQ(status.pendingRequest, 0u);
    EXPECT_EQ(status.managerModule, nullptr);
    EXPECT_EQ(status.printerExtStatus, 0x10u);
    EXPECT_EQ(status.binConfigCount, 2u);
    // Without the manager the garbage stays, but never a count past the list.
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
    std::memset(&status, 0xA5, sizeof(status));
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), nullptr), 0);
    EXPECT_LE(status.binConfigCount, static_cast<DWORD>(kBinConfigEntries));
    EXPECT_EQ(status.pendingRequest, 0u);
}

TEST_F(StatusFaults, CancellingEndsAPendingRequestWithoutItsMessage) {
    setSettingsWait_(100);  // the held monitor makes the first, direct refresh give up
    PublishDword(u"PrinterExtStatus", 0x4);
    monitor_.Hold();
    StartMonitor();
    PrinterStatusSnapshot status{};
    EXPECT_EQ(QueryPrinterStatus(&status, Printer(), window_), 0);
    const DWORD request = status.pendingRequest;
    const DWORD manager = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(status.manager));
    ASSERT_NE(request, 0u);
    ASSERT_TRUE(monitor_.WaitEntered());

    CancelStatusRequest(&status);
    EXPECT_EQ(status.pendingRequest, 0u);
    EXPECT_EQ(status.managerModule, nullptr);
    EXPECT_EQ(status.manager, nullptr);
    EXPECT_EQ(openRequests_(), 0u);
    DWORD result = 0;
    EXPECT_EQ(collect_(manager, request, &result), SRMRES_INVALID_HANDLE);  // the connection is closed
    monitor_.Release();
    ASSERT_TRUE(monitor_.WaitFinished());
    setRefresher_(nullptr, nullptr);  // the listener has stored whatever it was going to
    EXPECT_FALSE(TakePosted(kStatusRefreshDone, 100));
    EXPECT_EQ(openRequests_(), 0u);

    // An idle record, and one that was never zeroed, are left alone.
    const PrinterStatusSnapshot idle = status;
    CancelStatusRequest(&status);
    EXPECT_EQ(std::memcmp(&status, &idle, sizeof(status)), 0);
    PrinterStatusSnapshot garbage;
    std::memset(&garbage, 0xA5, sizeof(garbage));
    CancelStatusRequest(&garbage);
    CancelStatusRequest(nullptr);
}

TEST(BinFormPosition, TheIndexIsOneBasedAndInsideTheList) {
    struct Case {
        WORD index;
        DWORD forms;
        int position;
    };
    const Case cases[] = {{0, 5, -1}, {1, 5, 0}, {5, 5, 4}, {6, 5, -1}, {1, 0, -1}, {0xFFFF, 5, -1}, {0xFFFF, 0x10000, 0xFFFE}};
    for (const Case& c : cases) {
        BinConfigEntry entry{};
        entry.FormIndex = c.index;
        EXPECT_EQ(BinFormPosition(entry, c.forms), c.position) << c.index << " of " << c.forms;
    }
}

}  // namespace
}  // namespace kvuitest
