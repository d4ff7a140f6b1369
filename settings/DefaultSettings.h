#pragma once
// The default settings block and the installed-device slots.
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

/// Fills the whole block with the driver's defaults for the printer. secondPrinter (or
/// NULL) is used only to find the language library. Cannot fail as a whole.
void BuildDefaultDevMode(DriverDevMode* block, HANDLE printer, HANDLE secondPrinter, const ModelDescription* model);

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

/// Copies the live values into the saved copy (708 to 909).
void RefreshSavedCopy(DriverDevMode* block);
