#pragma once
// The printer-data values of the driver: installed options, compatible margins, default
// tables, halftone, presets, the driver's forms and the directory-service properties.
#include "platform/DevMode.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"

#define PD_ADD_FORMS u"DAT_AddForms"
#define PD_PERMISSION u"DAT_Permission"
#define PD_PRESET_LANGUAGE u"TBL_PresetLanguage"
#define PD_PRESET_TABLE u"TBL_PresetTable"

/// DAT_AddForms once the driver's forms are registered.
inline constexpr DWORD kDriverFormsAdded = 3;
/// The installed bit of a DEV_ flag word.
inline constexpr WORD kDeviceInstalled = 0x8;
/// The resources of the library that hold the default "TBL_TTSubstTable" and
/// "TBL_OutPaperTable".
inline constexpr WORD kDefaultTTSubstTableId = 1000;
inline constexpr WORD kDefaultOutPaperTableId = 1001;

/// Reads every value that maps to a settings field into the block. Only a REG_DWORD of 4
/// bytes is taken; a switch value changes nothing but its own bit; a DEV_ value gives the
/// pair's flags (high word) and value (low word); a group value its low byte.
void ReadInstalledOptions(DriverDevMode* block, HANDLE printer);
/// Writes the block's values that differ (the two group bytes always), the halftone values
/// of the model's resolutions that are missing, the preset language and table, and the
/// default tables that are missing. Values already stored are replaced when the block's
/// differ, even from a block of pure defaults.
void InitPrinterDataDefaults(const DriverDevMode* block, HANDLE printer, const ModelDescription* model);
/// The driver's own forms (the model's portrait list), added to the spooler once
/// (DAT_AddForms), and deleted again at an upgrade so that the next add registers the
/// current ones.
void AddDriverForms(HANDLE printer, const ModelDescription* model);
void UpgradeDriverForms(HANDLE printer, const ModelDescription* model);
/// The six "DsDriver" properties. When the status says the printer reported its trays, the
/// block's installed-option pairs are first set from the reported trays (so the block
/// changes).
void PublishDsProperties(DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer,
                         const ModelDescription* model);

/// The device halftone information the driver installs: its chromaticities and dyes, with
/// that pattern size and one gamma for the three colours.
[[nodiscard]] DEVHTINFO DefaultDevHalftoneInfo(DWORD patternSize, LONG gamma);
/// The printer-data name of a resolution's halftone value, NULL for a resolution that has
/// none (only 200, 240, 300, 400, 600 and 1200 dpi do).
[[nodiscard]] LPCWSTR InstalledHalftoneValueName(DWORD dpi);
