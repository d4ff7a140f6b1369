#pragma once
// Device capabilities and the DEVMODE hand-over between the settings block and callers.
#include "platform/DevMode.h"
#include "platform/Spooler.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/PrinterData.h"

/// Character slots of the capability lists.
inline constexpr size_t kCapPaperNameChars = 64;
inline constexpr size_t kCapBinNameChars = 24;
inline constexpr size_t kCapPersonalityChars = 32;
inline constexpr size_t kCapMediaNameChars = 64;
inline constexpr DWORD kCapNotAnswered = static_cast<DWORD>(-1);

/// DrvDeviceCapabilities: the count or value of the capability for the printer's settings
/// merged with devMode (or NULL); kCapNotAnswered for an index it does not answer or on
/// failure. output NULL asks for the count only; otherwise it receives the list, sized as the
/// count says (names in slots of the kCap*Chars above, terminated).
DWORD DeviceCapabilities(HANDLE printer, LPCWSTR deviceName, WORD index, LPWSTR output, const DEVMODEW* devMode);

/// DC_MEDIAREADY from a status the printer reported (PrinterExtStatus 0x4, else
/// kCapNotAnswered): the trays (at most kBinConfigEntries, at most the count reported) with a
/// form index 1..formCount, a source other than 1001 and 2001, and paper in them (level
/// neither 0 nor 253), each form once. With output, their names in kCapMediaNameChars slots.
/// forms: the spooler's list as it stands (a tray's form index is its 1-based position).
DWORD CountReadyMedia(const PrinterStatusSnapshot& status, const FORM_INFO_1W* forms, DWORD formCount,
                      LPWSTR output);

/// Copies the result block out into the caller's DEVMODE (in the caller's layout); nonzero on
/// success.
[[nodiscard]] BOOL CopyOutDevMode(const DriverDevMode* block, const DEVMODEW* pdmIn, DEVMODEW* pdmOut);

/// The DEVMODE sizes of the driver that the spooler's conversions work to.
struct DriverDevModeSizes {
    WORD driverVersion;
    WORD driverExtra;
    WORD driverVersion351;
    WORD driverExtra351;
};
inline constexpr DriverDevModeSizes kDriverDevModeSizes{kDriverVersion, kDriverExtraSize, 0x0018, kDriverExtraSize};

// Answers of ConvertDevModeForSpooler.
inline constexpr int kConvertFailed = 0;
inline constexpr int kConvertDone = 1;
inline constexpr int kConvertBuildDefaults = 2;

/// The spooler's DEVMODE conversions by fMode (CDM_*); kConvertBuildDefaults also for an
/// unknown mode, without a last error. Failures set ERROR_INVALID_PARAMETER or
/// ERROR_INSUFFICIENT_BUFFER (with *pcbNeeded the size wanted). pdmOut is used only when
/// *pcbNeeded says it holds its own dmSize + dmDriverExtra.
[[nodiscard]] int ConvertDevModeForSpooler(const DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded, DWORD fMode,
                                           const DriverDevModeSizes& sizes);

/// DrvConvertDevMode: TRUE when the conversion was done, or for CDM_DRIVER_DEFAULT when the
/// printer's default settings were built into pdmOut.
BOOL ConvertDevMode(LPCWSTR printerName, DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded, DWORD fMode);
