// The directory-service properties of the printer ("DsDriver"), and the installed options
// taken from the trays the printer reported.
#include <algorithm>
#include <iterator>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "resources/ui/StringIds.h"
#include "settings/DefaultSettings.h"
#include "ui/entry/LanguageLibrary.h"
#include "ui/data/PrinterDataValues.h"

namespace {

constexpr WCHAR kDsKey[] = u"DsDriver";
constexpr int kBinNameChars = 24;
constexpr int kLanguageChars = 32;

// Slots of DriverDevMode::DeviceSlots.
enum Slot : int {
    kFeeder1 = 0, kMsf = 5, kManual = 6, kEnv = 7, kDuplex = 8, kFut = 16, kMp = 18, kLch = 19,
};

// A reported tray: its bin id, the slot it fills and the language string naming its device.
struct ReportedBin {
    SHORT binId;
    int slot;
    UINT stringId;
};
constexpr ReportedBin kReportedBins[] = {
    {1, kFeeder1, kFeeder1SourceName},     {2, kFeeder1 + 1, kFeeder2SourceName}, {3, kFeeder1 + 2, kFeeder3SourceName},
    {4, kFeeder1 + 3, kFeeder4SourceName}, {5, kFeeder1 + 4, kFeeder5SourceName}, {1001, kMsf, kMsfSourceName},
    {2001, kManual, kManualSourceName},    {3001, kEnv, kEnvelopeSourceName},     {4001, kMp, kMultiPurposeSourceName},
};

const ReportedBin* FindBin(SHORT binId) {
    for (const ReportedBin& bin : kReportedBins)
        if (bin.binId == binId) return &bin;
    return nullptr;
}

void ApplyReportedTrays(DriverDevMode* block, const PrinterStatusSnapshot& status, HMODULE language,
                        const ModelDescription* model) {
    // Every tray the printer can report is uninstalled first; duplex and the unit FUT are no
    // trays and keep what they have.
    for (int slot = 0; slot < kDeviceSlotCount; ++slot)
        if (slot != kDuplex && slot != kFut) block->DeviceSlots[slot].State &= static_cast<WORD>(~kDeviceInstalled);
    const DWORD count = std::min<DWORD>(status.binConfigCount, kBinConfigEntries);
    for (DWORD i = 0; i < count; ++i) {
        const BinConfigEntry& entry = status.binConfig[i];
        const ReportedBin* bin = FindBin(entry.BinId);
        if (bin == nullptr) continue;
        DeviceSlot& pair = block->DeviceSlots[bin->slot];
        WCHAR deviceName[64] = {};
        if (LoadStringW(language, bin->stringId, deviceName, static_cast<int>(std::size(deviceName))) > 0)
            ApplyInputDeviceOption(&pair, &entry, deviceName, model);
        pair.State |= kDeviceInstalled;
        if (entry.BinId >= 2 && entry.BinId <= 4) pair.Code = static_cast<WORD>(entry.Value);
        if (entry.BinId == 5) block->DeviceSlots[kLch].State |= kDeviceInstalled;
    }
}

// A REG_MULTI_SZ of one string (cut to cchMax characters), doubly terminated.
void SetMultiString(HANDLE printer, LPCWSTR name, HMODULE language, UINT stringId, int cchMax) {
    WCHAR text[kLanguageChars + 2] = {};
    const int cch = std::max(0, LoadStringW(language, stringId, text, cchMax + 1));
    const DWORD cb = static_cast<DWORD>(cch + 2) * sizeof(WCHAR);
    SetPrinterDataExW(printer, kDsKey, name, REG_MULTI_SZ, reinterpret_cast<LPBYTE>(text), cb);
}

void SetByte(HANDLE printer, LPCWSTR name, BYTE value) {
    SetPrinterDataExW(printer, kDsKey, name, REG_BINARY, &value, 1);
}

}  // namespace

void PublishDsProperties(DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer,
                         const ModelDescription* model) {
    if (block == nullptr || printer == nullptr) return;
    const LanguageLibrary language(printer);
    if (language.Get() == nullptr) return;
    if (status != nullptr && model != nullptr && (status->printerExtStatus & kExtStatusKnown) != 0)
        ApplyReportedTrays(block, *status, language.Get(), model);

    WCHAR empty[2] = {};
    SetPrinterDataExW(printer, kDsKey, u"printMediaReady", REG_MULTI_SZ, reinterpret_cast<LPBYTE>(empty),
                      sizeof empty);
    SetMultiString(printer, u"printBinNames", language.Get(), kAutoSelectBinName, kBinNameChars);
    const WORD duplexFlags = block->DeviceSlots[kDuplex].State;
    SetByte(printer, u"printDuplexSupported", (duplexFlags & 0x1) != 0 && (duplexFlags & kDeviceInstalled) != 0 ? 1 : 0);
    SetMultiString(printer, u"printLanguage", language.Get(), kPrinterLanguageName, kLanguageChars);
    DWORD memory = block->InstalledMemory;
    SetPrinterDataExW(printer, kDsKey, u"printMemory", REG_DWORD, reinterpret_cast<LPBYTE>(&memory), sizeof memory);
    SetByte(printer, u"printStaplingSupported", 0);
}
