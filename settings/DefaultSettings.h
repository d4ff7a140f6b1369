#pragma once
// The default settings block and the installed-device slots.
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

/// Fills the whole caller-owned block with the driver's defaults for the printer.
/// secondPrinter (or NULL) is used only to find the language library. Cannot fail as a
/// whole: a lookup that fails leaves its field at its documented fallback (a model without
/// a *DefaultForm record gives A4, 210 x 297 mm with zero margins; without
/// *DefaultInputSlot source 0; without *DefaultMemorySize memory 0).
void BuildDefaultDevMode(DriverDevMode* block, HANDLE printer, HANDLE secondPrinter, const ModelDescription* model);

/// The twenty device slots from the language library of languagePrinter (strings 201 to
/// 220) and the model's device lists; slots whose name has no record, or all of them when
/// the library does not load, are left as they are.
void FillDeviceSlots(DriverDevMode* block, HANDLE languagePrinter, const ModelDescription* model);

/// LogControl and LogSizeLimit from "VRTL_LOG.INI" in the Windows directory, section
/// "KV-TD520". Both words are 0 unless the file says MODE=1.
void ReadLogSwitches(DriverDevMode* block);

/// Code word of an input device from its record's low word (lowest set bit of bits 0-10),
/// 0 when none is set.
WORD InputDeviceCode(DWORD recordValue);
/// Code word of an option device (bits 0-12), 0 when none is set.
WORD OptionDeviceCode(DWORD recordValue);

/// Option pair {state, code} from the model's *InputDevice record named deviceName; a
/// bin-configuration entry (first u16 read) whose value is allowed by the mask wins. A name
/// without a record leaves the pair unchanged.
void ApplyInputDeviceOption(DeviceSlot* pair, const void* binConfigEntry, LPCWSTR deviceName,
                            const ModelDescription* model);

/// Copies the live values into the saved copy (every Saved* field).
void RefreshSavedCopy(DriverDevMode* block);
/// Copies only the live public paper, orientation, source and duplex into their saved
/// copies (SavedPaperSize to SavedDuplex).
void RefreshSavedPublicCopy(DriverDevMode* block);
