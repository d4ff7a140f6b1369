#pragma once
// The printer's status as the status resource manager holds it, for the installed options.
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/PrinterData.h"

/// Message the manager posts to a window when a refresh it asked for is done.
inline constexpr UINT kStatusRefreshDone = 1124;
inline constexpr UINT kStatusRefreshFailed = 1125;
inline constexpr UINT kStatusManagerMissing = 1126;

/// Reads the status (window NULL: refresh synchronously); 0, or the result of the pending
/// request it finished.
LONG QueryPrinterStatus(PrinterStatusSnapshot* status, HANDLE printer, HWND window);
void WritePrinterBinConfig(PrinterStatusSnapshot* status, HANDLE printer);
void BuildBinConfig(const DriverDevMode* block, PrinterStatusSnapshot* status);
void UpdateStatusFlag(DriverDevMode* block, const PrinterStatusSnapshot* status, HANDLE printer);
void ShowPaperPresence(HWND dialog, const PrinterStatusSnapshot* status);
