#pragma once
// Printer-data values kept with the printer by the user interface, and the status snapshot
// that the user interface hands to validation.
#include <cstddef>

#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

#define PD_OUT_PAPER_TABLE u"TBL_OutPaperTable"
#define PD_OUT_PAPER_DEFAULT u"TBL_OutPaperDefault"
#define PD_TT_SUBST_DEFAULT u"TBL_TTSubstDefault"
#define PD_TT_SUBST_TABLE u"TBL_TTSubstTable"
#define PD_COMPATIBLE_MARGIN u"DAT_CompatibleMargin"
#define PD_COMPATIBLE_MARGIN_BACK u"DAT_CompatibleMarginBack"
#define PD_MEMORY u"DEV_Memory"
#define PD_GROUP_A u"DAT_GROUPA"
#define PD_GROUP_B u"DAT_GROUPB"

/// DAT_CurDevHTInfo<dpi>: the value for a resolution (any other than 200, 240, 300, 400 and
/// 1200 reads the 600 value). Exactly 132 bytes when usable.
LPCWSTR HalftoneInfoValueName(int dpi);
inline constexpr DWORD kHalftoneInfoSize = 132;

/// The twenty installed-device values in the order of DriverDevMode::DeviceSlots, with the
/// model list and the language-library string that names each device.
struct DeviceSlotInfo {
    LPCWSTR PrinterDataName;
    bool InputList;   // *InputDevice (else *OptionDevice)
    UINT StringId;
};
extern const DeviceSlotInfo kDeviceSlotTable[kDeviceSlotCount];

/// One entry of the status variable "PrinterBinConfig".
struct BinConfigEntry {
    SHORT BinId;
    SHORT Value;
    WORD FormIndex;
    BYTE PaperLevel;
    BYTE ExtraByte;   // byte 7: 15 from the user interface, 0 from the monitor (which passes it on
                      // in ErrNoPaper2); nothing in this library reads it
    LONG LastWord;
};
static_assert(sizeof(BinConfigEntry) == 12);

inline constexpr int kBinConfigEntries = 9;

/// The last printer status the user interface read from the status resource manager. The
/// leading fields up to compulsivePolling have fixed offsets; the manager fields after them
/// are the user interface's own and differ by build.
struct PrinterStatusSnapshot {
    DWORD printerStatus[3];                      // 0
    DWORD printerExtStatus;                      // 12
    DWORD binConfigCount;                        // 16
    BinConfigEntry binConfig[kBinConfigEntries]; // 20
    DWORD spoolerStatus;                         // 128
    DWORD runningPss;                            // 132
    WCHAR port[258];                             // 136
    DWORD compulsivePolling;                     // 652
    HMODULE managerModule;
    HANDLE manager;
    DWORD pendingRequest;
    void* entryPoints[6];
};
static_assert(offsetof(PrinterStatusSnapshot, printerExtStatus) == 12);
static_assert(offsetof(PrinterStatusSnapshot, binConfigCount) == 16);
static_assert(offsetof(PrinterStatusSnapshot, binConfig) == 20);
static_assert(offsetof(PrinterStatusSnapshot, spoolerStatus) == 128);
static_assert(offsetof(PrinterStatusSnapshot, runningPss) == 132);
static_assert(offsetof(PrinterStatusSnapshot, port) == 136);
static_assert(offsetof(PrinterStatusSnapshot, compulsivePolling) == 652);

inline constexpr DWORD kExtStatusKnown = 0x4;
inline constexpr DWORD kExtStatusCapability = 0x8;
