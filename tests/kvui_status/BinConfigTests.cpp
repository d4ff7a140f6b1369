// The tray list built from the installed options, its way to the manager and back, the
// printer-reported flag and the paper text of the first tray.
#include <cstring>

#include "platform/User.h"
#include "tests/kvui_status/StatusFixture.h"
#include "ui/status/StatusQuery.h"

namespace kvuitest {
namespace {

using BinConfig = StatusTest;

int SlotOf(const char16_t* printerDataName) {
    for (int i = 0; i < kDeviceSlotCount; ++i) {
        if (std::u16string(kDeviceSlotTable[i].PrinterDataName) == printerDataName) return i;
    }
    ADD_FAILURE() << "no slot";
    return 0;
}

void Install(DriverDevMode* block, const char16_t* name, WORD code) {
    DeviceSlot& slot = block->DeviceSlots[SlotOf(name)];
    slot.State = 0x8;
    slot.Code = code;
}

// The nine sources with a tray, in the list's order.
struct Source {
    const char16_t* name;
    SHORT binId;
};
constexpr Source kSources[] = {{u"DEV_Feeder1", 1}, {u"DEV_Feeder2", 2},   {u"DEV_Feeder3", 3},
                               {u"DEV_Feeder4", 4}, {u"DEV_Feeder5", 5},   {u"DEV_MSF", 1001},
                               {u"DEV_MP", 4001},   {u"DEV_Manual", 2001}, {u"DEV_ENV", 3001}};

TEST_F(BinConfig, EachInstalledSourceGivesOneTrayInTheListsOrder) {
    auto block = std::make_unique<DriverDevMode>();
    std::memset(block.get(), 0, sizeof(*block));
    // Options without a tray and sources not installed (state without bit 3) give none.
    Install(block.get(), u"DEV_Duplex", 1);
    Install(block.get(), u"DEV_LCH", 1);
    block->DeviceSlots[SlotOf(u"DEV_Feeder2")] = DeviceSlot{0x7, 2};
    Install(block.get(), u"DEV_ENV", 31);
    Install(block.get(), u"DEV_Feeder1", 11);
    Install(block.get(), u"DEV_MP", 41);
    PrinterStatusSnapshot status{};
    std::memset(status.binConfig, 0xEE, sizeof(status.binConfig));
    BuildBinConfig(block.get(), &status);
    ASSERT_EQ(status.binConfigCount, 3u);
    const SHORT bins[3] = {1, 4001, 3001};
    const SHORT values[3] = {11, 41, 31};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const BinConfigEntry& entry = status.binConfig[i];
        EXPECT_EQ(entry.BinId, bins[i]);
        EXPECT_EQ(entry.Value, values[i]);
        EXPECT_EQ(entry.FormIndex, 0xFFFF);
        EXPECT_EQ(entry.PaperLevel, 255);
        EXPECT_EQ(entry.ExtraByte, 15);
        EXPECT_EQ(entry.LastWord, -1);
    }
    EXPECT_EQ(status.binConfig[3].BinId, 0);

    for (const Source& source : kSources) Install(block.get(), source.name, 7);
    BuildBinConfig(block.get(), &status);
    ASSERT_EQ(status.binConfigCount, 9u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(status.binConfig[i].BinId, kSources[i].binId) << i;

    // The printer's own configuration stands.
    PrinterStatusSnapshot reported{};
    reported.printerExtStatus = 0x4;
    reported.binConfigCount = 1;
    reported.binConfig[0].BinId = 77;
    const PrinterStatusSnapshot before = reported;
    BuildBinConfig(block.get(), &reported);
    EXPECT_EQ(std::memcmp(&reported, &before, sizeof(reported)), 0);
}

TEST_F(BinConfig, WhatIsPublishedIsWhatWasBuiltAndReadsBack) {
    auto block = std::make_unique<DriverDevMode>();
    std::memset(block.get(), 0, sizeof(*block));
    for (const Source& source : kSources) Install(block.get(), source.name, 3);
    // The manager holds an older, longer list: it is replaced, not merged.
    PublishTrays({Tray(9, 9, 9, 9), Tray(8, 8, 8, 8)});
    PrinterStatusSnapshot status{};
    std::memset(status.binConfig, 0xEE, sizeof(status.binConfig));
    status.binConfigCount = 2;
    PublishBinConfig(block.get(), &status, Printer());
    const std::vector<BYTE> stored = Stored(u"PrinterBinConfig");
    ASSERT_EQ(stored.size(), 112u);
    EXPECT_EQ(std::memcmp(stored.data() + 4, status.binConfig, 108), 0);

    PrinterStatusSnapshot read{};
    EXPECT_EQ(QueryPrinterStatus(&read, Printer(), nullptr), 0);
    ASSERT_EQ(read.binConfigCount, 9u);
    EXPECT_EQ(std::memcmp(read.binConfig, status.binConfig, sizeof(read.binConfig)), 0);

    // Fewer sources, a shorter list; none, a list of none.
    std::memset(block->DeviceSlots, 0, sizeof(block->DeviceSlots));
    Install(block.get(), u"DEV_MSF", 2);
    PublishBinConfig(block.get(), &status, Printer());
    EXPECT_EQ(Stored(u"PrinterBinConfig"), TrayBytes(1, {status.binConfig[0]}));
    std::memset(block->DeviceSlots, 0, sizeof(block->DeviceSlots));
    PublishBinConfig(block.get(), &status, Printer());
    EXPECT_EQ(Stored(u"PrinterBinConfig"), TrayBytes(0, {}));
}

TEST_F(BinConfig, AReportedConfigurationIsNotWrittenOverAndFailuresAreSilent) {
    PublishTrays({Tray(1, 1, 1, 100)});
    const std::vector<BYTE> before = Stored(u"PrinterBinConfig");
    PrinterStatusSnapshot status{};
    status.printerExtStatus = 0x4;
    status.binConfigCount = 0;
    WritePrinterBinConfig(&status, Printer());
    EXPECT_EQ(Stored(u"PrinterBinConfig"), before);

    // A count past the list sends the nine entries the record has.
    status.printerExtStatus = 0;
    status.binConfigCount = 40;
    WritePrinterBinConfig(&status, Printer());
    EXPECT_EQ(Stored(u"PrinterBinConfig").size(), 112u);

    status.binConfigCount = 0;
    WritePrinterBinConfig(&status, nullptr);
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
    WritePrinterBinConfig(&status, Printer());
    EXPECT_EQ(Stored(u"PrinterBinConfig").size(), 112u);
}

TEST_F(BinConfig, ThePrinterReportedFlagFollowsTheStatus) {
    struct Case {
        DWORD extStatus;
        bool printer;
        DWORD flagsBefore;
        DWORD flagsAfter;
    };
    const Case cases[] = {
        {0x4, true, 0x3, 0x20003},
        {0xC, true, 0x0, 0x20000},
        {0x0, true, 0x20001, 0x1},
        {0x10, true, 0x20000, 0x0},
        {0x4, false, 0x3, 0x3},  // no printer information: unchanged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extStatus);
        auto block = std::make_unique<DriverDevMode>();
        std::memset(block.get(), 0, sizeof(*block));
        block->OptionFlags = c.flagsBefore;
        PrinterStatusSnapshot status{};
        status.printerExtStatus = c.extStatus;
        UpdateStatusFlag(block.get(), &status, c.printer ? Printer() : nullptr);
        EXPECT_EQ(block->OptionFlags, c.flagsAfter);
    }
}

TEST_F(BinConfig, TheFirstTraysLevelSaysWhetherThereIsPaper) {
    struct Case {
        const char* name;
        DWORD extStatus;
        DWORD count;
        BYTE level;
        std::u16string text;
    };
    const Case cases[] = {
        {"empty", 0x4, 2, 0, u"用紙なし"},
        {"present", 0x4, 1, 100, u"用紙あり"},
        {"unknown level", 0x4, 1, 255, u"keep"},
        {"half full", 0x4, 1, 50, u"keep"},
        {"capability bit", 0xC, 1, 0, u"keep"},
        {"not reported", 0x0, 1, 0, u"keep"},
        {"no tray", 0x4, 0, 0, u"keep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND dialog = CreateWindowExW(0, u"Static", u"", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        HWND text = CreateWindowExW(0, u"Static", u"keep", WS_CHILD, 0, 0, 50, 10, dialog,
                                    reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(kPaperPresenceControl)), nullptr, nullptr);
        ASSERT_NE(text, nullptr);
        PrinterStatusSnapshot status{};
        status.printerExtStatus = c.extStatus;
        status.binConfigCount = c.count;
        status.binConfig[0].PaperLevel = c.level;
        ShowPaperPresence(dialog, &status);
        WCHAR shown[32] = {};
        GetWindowTextW(text, shown, 32);
        EXPECT_EQ(std::u16string(shown), c.text);
        DestroyWindow(dialog);
    }
    // A dialog without the control, or none at all, is left alone.
    PrinterStatusSnapshot status{};
    status.printerExtStatus = 0x4;
    status.binConfigCount = 1;
    ShowPaperPresence(window_, &status);
    ShowPaperPresence(nullptr, &status);
}

}  // namespace
}  // namespace kvuitest
