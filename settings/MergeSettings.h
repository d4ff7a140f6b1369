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
/// The bytes copied, or -1 (absent block, unknown layout, or a source whose dmSize and
/// dmDriverExtra claim more than cbSource bytes).
int ConvertDevModeLayout(const DEVMODEW* source, DEVMODEW* destination, size_t cbSource = kUnknownDevModeSize);

/// Merges the acceptable fields of source (any DEVMODE, or NULL) into block.
void MergeDevMode(DriverDevMode* block, const DEVMODEW* source, HANDLE printer, const ModelDescription* model,
                  size_t cbSource = kUnknownDevModeSize);

/// Defaults, then the printer's own DEVMODE, then source.
void GetCurrentDevMode(DriverDevMode* block, const DEVMODEW* source, HANDLE printer, HANDLE secondPrinter,
                       const ModelDescription* model, size_t cbSource = kUnknownDevModeSize);

/// Forces every string field of the private part to end inside its field.
void TerminatePrivateStrings(DriverDevMode* block);
