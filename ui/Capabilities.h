#pragma once
// Device capabilities and the DEVMODE hand-over between the settings block and callers.
#include "platform/DevMode.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

/// Copies the result block out into the caller's DEVMODE (in the caller's layout); nonzero on
/// success.
[[nodiscard]] BOOL CopyOutDevMode(const DriverDevMode* block, const DEVMODEW* pdmIn, DEVMODEW* pdmOut);

/// DrvDeviceCapabilities: the count or value of the capability (output may be NULL), -1 when
/// it is not answered or on failure.
DWORD DeviceCapabilities(HANDLE printer, LPCWSTR deviceName, WORD capability, LPWSTR output, const DEVMODEW* devMode);
/// DrvConvertDevMode: TRUE when converted (or the driver's defaults were built).
BOOL ConvertDevMode(LPCWSTR printerName, DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded, DWORD mode);
