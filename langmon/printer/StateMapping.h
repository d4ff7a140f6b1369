#pragma once
// How the printer's reported state becomes the monitor's status words: the alert texts and
// the bits each stands for, the bits each alert owns in PrinterStatus, the icon level and the
// spooler's port status of a PrinterStatus value, and the small decoders of values read from
// the printer (tray sizes, parts-life and hardware-error texts). Pure functions over tables;
// nothing here touches a port.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "langmon/status/StatusVariables.h"
#include "platform/WinTypes.h"

namespace langmon {

/// Detail words of one parse, indexed by alert group (0 carries no detail of its own).
inline constexpr size_t kDetailWordCount = 11;

/// Alert bits: one per family of alerts. Each owns bits of PrinterStatus (kAlertBitTable).
namespace alert_bit {
inline constexpr DWORD ServiceCall = 0x1;
inline constexpr DWORD EngineAlarm = 0x2;
inline constexpr DWORD PaperJam = 0x4;
inline constexpr DWORD NoToner = 0x8;
inline constexpr DWORD SupplyEnd = 0x10;
inline constexpr DWORD Stacker = 0x20;
inline constexpr DWORD SupplyMissing = 0x40;
inline constexpr DWORD CoverOpen = 0x80;
inline constexpr DWORD LoadPaper = 0x100;
inline constexpr DWORD TrayNoPaper = 0x200;   // "Hop No Paper" while the tray reports paper
inline constexpr DWORD HopNoPaper = 0x400;
inline constexpr DWORD PaperMissSet = 0x800;
inline constexpr DWORD Maintenance = 0x1000;
inline constexpr DWORD FormOver = 0x2000;
inline constexpr DWORD Offline = 0x4000;
inline constexpr DWORD AutoCleaning = 0x8000;
inline constexpr DWORD LowToner = 0x10000;
inline constexpr DWORD SupplyNear = 0x20000;
inline constexpr DWORD PrinterReset = 0x80000000;  // reported, owns no status bit
}  // namespace alert_bit

/// Detail-word groups.
namespace alert_group {
inline constexpr BYTE General = 0;
inline constexpr BYTE Jam = 1;
inline constexpr BYTE Cover = 2;
inline constexpr BYTE Cleaner = 3;
inline constexpr BYTE WasteToner = 4;
inline constexpr BYTE AirFilter = 5;
inline constexpr BYTE Developer = 6;
inline constexpr BYTE KitF = 7;
inline constexpr BYTE Toner = 8;
inline constexpr BYTE Stacker = 9;
inline constexpr BYTE LoadPaper = 10;
}  // namespace alert_group

/// One alert text the printer may report. Texts match only with the same length and the
/// same bytes (case counts).
struct AlertRow {
    std::string_view text;
    BYTE group;
    DWORD alertBit;
    DWORD detailBit;
};

/// Every alert, used while the printer is down (hrPrinterStatus other, hrDeviceStatus down).
std::span<const AlertRow> FullAlertTable();
/// The alerts that count while the printer is not down: warnings it can print through.
std::span<const AlertRow> ShortAlertTable();

/// The PrinterStatus bits one alert bit owns: set while an alert of it is reported, cleared
/// otherwise.
struct AlertBitRow {
    DWORD alertBit;
    PrinterStatusValue bits;
};
std::span<const AlertBitRow> AlertBitTable();

/// PrinterStatus bits this mapping sets or clears.
namespace status_bit {
inline constexpr DWORD kLOnline = 0x1;
inline constexpr DWORD kLLowToner = 0x2;
inline constexpr DWORD kLPrinting = 0x8;
inline constexpr DWORD kLWarmingUp = 0x10;
inline constexpr DWORD kLIdleWait = 0x40;
inline constexpr DWORD kLNearEnd = 0x80;
inline constexpr DWORD kLOffline = 0x1000;
inline constexpr DWORD kMAlertOwned = 0x1F00;   // cleared at every parse
inline constexpr DWORD kMHardwareError = 0x80;
inline constexpr DWORD kMPoweredOff = 0x100;
inline constexpr DWORD kMOtherModel = 0x200;
inline constexpr DWORD kMPortStates = 0xF00;
}  // namespace status_bit

/// hrPrinterStatus and hrDeviceStatus values the mapping tests.
inline constexpr LONG kHrPrinterOther = 1;
inline constexpr LONG kHrPrinterIdle = 3;
inline constexpr LONG kHrPrinterPrinting = 4;
inline constexpr LONG kHrPrinterWarmup = 5;
inline constexpr LONG kHrDeviceDown = 5;

/// What the alerts of one parse give.
struct AlertMapResult {
    DWORD alertBits = 0;
    DWORD detail[kDetailWordCount] = {};
};

/// Maps the alert texts through the full table (`printerDown`) or the short one. A "Hop No
/// Paper" counts as TrayNoPaper when the first tray reports paper (level 100 or 254).
AlertMapResult MapAlerts(std::span<const std::string_view> texts, bool printerDown, BYTE firstTrayLevel);

/// The alert-owned bits of `current` replaced by those of `alertBits`; M 0x1F00 cleared;
/// every other bit kept.
PrinterStatusValue ApplyAlertBits(const PrinterStatusValue& current, DWORD alertBits);

/// What the L activity bits are made of.
struct ActivityInput {
    LONG hrPrinterStatus = 0;
    bool jobActive = false;            // a job queued or in progress on the port
    bool printerReportsPrinting = false;  // the job tracking sees the printer print
};
/// Printing, warming up and online bits from the activity; the idle-wait bit cleared; the
/// near-end bit also set with low toner.
PrinterStatusValue ApplyActivity(const PrinterStatusValue& status, const ActivityInput& input);

/// A row of the first-match tables over PrinterStatus: masks meet when any word shares a bit.
struct StatusMaskRow {
    PrinterStatusValue mask;
    DWORD value;
};
[[nodiscard]] bool StatusMeets(const PrinterStatusValue& status, const PrinterStatusValue& mask);

std::span<const StatusMaskRow> IconTable();
/// Icon level of the first row that meets the status; 0 without one.
[[nodiscard]] DWORD IconStateOf(const PrinterStatusValue& status);

/// Spooler port status codes (PORT_INFO_3 dwStatus).
namespace port_status {
inline constexpr DWORD None = 0;
inline constexpr DWORD Offline = 1;
inline constexpr DWORD PaperJam = 2;
inline constexpr DWORD PaperOut = 3;
inline constexpr DWORD NoToner = 6;
inline constexpr DWORD DoorOpen = 7;
inline constexpr DWORD UserIntervention = 8;
inline constexpr DWORD OutOfMemory = 9;
}  // namespace port_status

struct PortStatusCode {
    DWORD status;
    DWORD severity;  // PORT_STATUS_TYPE_ERROR with a status, 0 without
};
std::span<const StatusMaskRow> PortStatusTable();
/// Status and severity of the first row that meets the status; none without one.
[[nodiscard]] PortStatusCode PortStatusOf(const PrinterStatusValue& status);

/// Interpreter description texts and their picture bits.
struct InterpreterRow {
    std::string_view text;
    DWORD bit;
    DWORD emulationId;
};
std::span<const InterpreterRow> InterpreterTable();
/// Bit of an interpreter text (same length, same bytes), 0 for any other.
[[nodiscard]] DWORD InterpreterBitOf(std::string_view text);

/// Tray entry words from prtInput values. Values the printer gives as "other" or "unknown"
/// (negative) or beyond the word give 0 rather than a wrapped size.
[[nodiscard]] BYTE TrayLevelByte(int32_t level);
[[nodiscard]] WORD TrayLengthWord(int32_t length);
[[nodiscard]] WORD TrayWidthWord(int32_t width);

/// "PM Parts Life XXXX XXXX XXXX": three upper-case hexadecimal words at offsets 14, 19, 24.
/// False for any other text or a word that is not four such digits.
[[nodiscard]] bool ParsePartsLife(std::string_view text, ErrPartsLifeValue* value);

/// A console line that reports a service call: "コール" (Shift-JIS) at bytes 6-11 and the
/// call number in decimal from byte 2. False for any other line or a number beyond 32 bits.
[[nodiscard]] bool ParseServiceCallNumber(std::span<const char> line, DWORD* number);

}  // namespace langmon
