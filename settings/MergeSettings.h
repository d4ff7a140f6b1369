#pragma once
// Merging a caller's DEVMODE into a settings block, and DEVMODE layout conversion.
#include <cstddef>

#include "platform/DevMode.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

inline constexpr size_t kUnknownDevModeSize = static_cast<size_t>(-1);

/// Copies the public part up to the smaller dmSize and the private part up to the smaller
/// dmDriverExtra; the destination keeps its own dmSize, dmDriverExtra and dmDriverVersion.
/// The destination's dmSpecVersion follows its own dmSize. The bytes copied, or -1: an absent
/// block; either block with a dmSize other than 188, 212 or 220 (whatever its version says);
/// a source whose dmSize + dmDriverExtra exceed cbSource. Reads no
/// source byte beyond its claim; writes no destination byte beyond its own dmSize +
/// dmDriverExtra (source and destination may be the same block).
[[nodiscard]] int ConvertDevModeLayout(const DEVMODEW* source, DEVMODEW* destination,
                                       size_t cbSource = kUnknownDevModeSize);

/// Merges the acceptable fields of source (any DEVMODE, or NULL) into block; a source that
/// cannot be converted, or no memory for the scratch copy, changes nothing. The private part
/// is taken whole, only when the source itself carries 1,988 private bytes with the model's
/// PrivateID; its strings come out terminated. Blanked forms never match a paper lookup.
/// cbSource: the bytes the caller really holds at source, when known.
void MergeDevMode(DriverDevMode* block, const DEVMODEW* source, HANDLE printer, const ModelDescription* model,
                  size_t cbSource = kUnknownDevModeSize);

/// Defaults, then the printer's own DEVMODE (PRINTER_INFO_2, bounded by the spooler's
/// record), then source.
void GetCurrentDevMode(DriverDevMode* block, const DEVMODEW* source, HANDLE printer, HANDLE secondPrinter,
                       const ModelDescription* model, size_t cbSource = kUnknownDevModeSize);

/// Forces every string field of the private part, and dmDeviceName and dmFormName, to end
/// inside its field (the last unit becomes NUL).
void TerminatePrivateStrings(DriverDevMode* block);
