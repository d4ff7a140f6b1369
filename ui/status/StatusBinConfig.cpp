// The tray configuration the user interface builds from the installed options and hands to
// the status manager when the printer reports none, and what the pages show of it.
#include <algorithm>
#include <cstring>

#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "platform/UserDialogs.h"
#include "settings/SpoolerQueries.h"
#include "ui/status/StatusManagerSession.h"
#include "ui/status/StatusQuery.h"

namespace {

// The sources with a tray, in the order of the list: the device slot (the position of its
// DEV_ value in DriverDevMode::DeviceSlots) and the tray's bin id.
struct TraySource {
    int slot;
    SHORT binId;
};
constexpr TraySource kTraySources[] = {
    {0, 1},      // DEV_Feeder1
    {1, 2},      // DEV_Feeder2
    {2, 3},      // DEV_Feeder3
    {3, 4},      // DEV_Feeder4
    {4, 5},      // DEV_Feeder5
    {5, 1001},   // DEV_MSF
    {18, 4001},  // DEV_MP
    {6, 2001},   // DEV_Manual
    {7, 3001},   // DEV_ENV
};
static_assert(sizeof(kTraySources) / sizeof(kTraySources[0]) == kBinConfigEntries);

constexpr WORD kSlotInstalled = 0x8;

// What the user interface writes for a tray it knows only from the installed options.
constexpr WORD kNoFormIndex = 0xFFFF;
constexpr BYTE kUnknownLevel = 255;
constexpr BYTE kUiExtraByte = 15;
constexpr LONG kNoLastWord = -1;

constexpr BYTE kLevelEmpty = 0;
constexpr BYTE kLevelPresent = 100;

bool PrinterReported(const PrinterStatusSnapshot* status) { return (status->printerExtStatus & kExtStatusKnown) != 0; }

}  // namespace

void BuildBinConfig(const DriverDevMode* block, PrinterStatusSnapshot* status) {
    if (block == nullptr || status == nullptr || PrinterReported(status)) return;
    std::memset(status->binConfig, 0, sizeof(status->binConfig));
    DWORD count = 0;
    for (const TraySource& source : kTraySources) {
        const DeviceSlot& slot = block->DeviceSlots[source.slot];
        if ((slot.State & kSlotInstalled) == 0) continue;
        BinConfigEntry& entry = status->binConfig[count++];
        entry.BinId = source.binId;
        entry.Value = static_cast<SHORT>(slot.Code);
        entry.FormIndex = kNoFormIndex;
        entry.PaperLevel = kUnknownLevel;
        entry.ExtraByte = kUiExtraByte;
        entry.LastWord = kNoLastWord;
    }
    status->binConfigCount = count;
}

void WritePrinterBinConfig(PrinterStatusSnapshot* status, HANDLE printer) {
    if (status == nullptr || PrinterReported(status)) return;
    GlobalBlock info(GetPrinterInfo(printer, 2));
    const auto* details = info.As<const PRINTER_INFO_2W>();
    if (details == nullptr) return;
    ManagerSession session;
    if (!session.Open(details->pPrinterName, kSrmModeSettings)) return;
    // The count and its entries in one piece, as the manager keeps the list.
    const DWORD count = std::min<DWORD>(status->binConfigCount, kBinConfigEntries);
    BYTE value[sizeof(DWORD) + sizeof(status->binConfig)];
    std::memcpy(value, &count, sizeof(count));
    std::memcpy(value + sizeof(count), status->binConfig, count * sizeof(BinConfigEntry));
    session.Update(u"PrinterBinConfig", value, static_cast<DWORD>(sizeof(count) + count * sizeof(BinConfigEntry)));
}

void PublishBinConfig(const DriverDevMode* block, PrinterStatusSnapshot* status, HANDLE printer) {
    if (block == nullptr || status == nullptr || PrinterReported(status)) return;
    BuildBinConfig(block, status);
    WritePrinterBinConfig(status, printer);
}

void UpdateStatusFlag(DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer) {
    if (block == nullptr || status == nullptr) return;
    GlobalBlock info(GetPrinterInfo(printer, 2));
    if (!info.Valid()) return;
    if (PrinterReported(status)) {
        block->OptionFlags |= kOptionPrinterReported;
    } else {
        block->OptionFlags &= ~kOptionPrinterReported;
    }
}

void ShowPaperPresence(HWND dialog, const PrinterStatusSnapshot* status) {
    if (status == nullptr || !PrinterReported(status) || (status->printerExtStatus & kExtStatusCapability) != 0) return;
    // No tray, no first tray to speak of.
    if (status->binConfigCount == 0) return;
    const BYTE level = status->binConfig[0].PaperLevel;
    if (level == kLevelEmpty) SetDlgItemTextW(dialog, kPaperPresenceControl, u"用紙なし");
    if (level == kLevelPresent) SetDlgItemTextW(dialog, kPaperPresenceControl, u"用紙あり");
}
