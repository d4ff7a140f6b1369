#pragma once
// Device capabilities and the DEVMODE hand-over between the settings block and callers.
#include "platform/DevMode.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

/// Copies the result block out into the caller's DEVMODE (in the caller's layout); nonzero on
/// success.
[[nodiscard]] BOOL CopyOutDevMode(const DriverDevMode* block, const DEVMODEW* pdmIn, DEVMODEW* pdmOut);
