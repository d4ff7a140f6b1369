#pragma once
// The halftone pattern sizes the engine knows by name, and the model's choice of pattern size
// and gamma per resolution, which the renderer's defaults and the user interface's installed
// values both start from.
#include "platform/WinTypes.h"
#include "settings/ModelDescription.h"

inline constexpr DWORD kHalftonePatternSizeCount = 19;

/// 0 to 18 for a pattern-size name ("HT_PATSIZE_2x2" to "HT_PATSIZE_USER", exact case), else
/// -1 (also for NULL).
int HalftonePatternSizeOfName(LPCWSTR name);
/// The record's pattern size and gamma for this system (the record's second pair from system
/// version 5.1 on); false when the name is not a known pattern size. The gamma is the model's
/// value as it stands.
bool ModelHalftoneOfRecord(const ModelDescription* model, const ModelResolution& record, int* patternSize,
                           DWORD* gamma);
/// The same for the first record of the resolution; false without one.
bool ModelHalftoneChoice(const ModelDescription* model, DWORD dpi, int* patternSize, DWORD* gamma);
