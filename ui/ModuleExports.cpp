// The user-interface library's exported entry points: thin shims over the library's own code
// (ui/entry/UiEntry.h, ui/entry/Capabilities.h). Nothing may leave them by exception.
#include "platform/DriverUi.h"
#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/WinTypes.h"
#include "ui/entry/Capabilities.h"
#include "ui/entry/UiEntry.h"

// The loader calls the library's DllInitialize itself (it has no DllMain).
DLL_EXPORT BOOL DllInitialize(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) noexcept {
    return InitializeUiLibrary(instance, reason);
}

DLL_EXPORT BOOL PrinterProperties(HWND hWnd, HANDLE hPrinter) noexcept { return ShowPrinterProperties(hWnd, hPrinter); }

DLL_EXPORT LONG DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) noexcept {
    return DevicePropertySheets(pPSUIInfo, lParam);
}

DLL_EXPORT LONG DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, DEVMODEW* pDevModeOutput,
                                      DEVMODEW* pDevModeInput, DWORD fMode) noexcept {
    return ShowDocumentProperties(hWnd, hPrinter, pDeviceName, pDevModeOutput, pDevModeInput, fMode);
}

DLL_EXPORT LONG DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                              DEVMODEW* pDevModeOutput, DEVMODEW* pDevModeInput) noexcept {
    return ShowAdvancedDocumentProperties(hWnd, hPrinter, pDeviceName, pDevModeOutput, pDevModeInput);
}

DLL_EXPORT LONG DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) noexcept {
    return DocumentPropertySheets(pPSUIInfo, lParam);
}

DLL_EXPORT DWORD DrvDeviceCapabilities(HANDLE hPrinter, LPWSTR pDeviceName, WORD iDevCap, void* pOutput,
                                       DEVMODEW* pDevMode) noexcept {
    return DeviceCapabilities(hPrinter, pDeviceName, iDevCap, static_cast<LPWSTR>(pOutput), pDevMode);
}

DLL_EXPORT BOOL DrvConvertDevMode(LPWSTR pPrinterName, DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded,
                                  DWORD fMode) noexcept {
    return ConvertDevMode(pPrinterName, pdmIn, pdmOut, pcbNeeded, fMode);
}

DLL_EXPORT BOOL DevQueryPrintEx(DEVQUERYPRINT_INFO* pDQPInfo) noexcept { return QueryPrintJob(pDQPInfo); }

DLL_EXPORT BOOL DrvPrinterEvent(LPWSTR pPrinterName, int DriverEvent, DWORD Flags, LPARAM lParam) noexcept {
    return HandlePrinterEvent(pPrinterName, DriverEvent, Flags, lParam);
}

DLL_EXPORT BOOL DrvUpgradePrinter(DWORD Level, LPBYTE pDriverUpgradeInfo) noexcept {
    return UpgradePrinter(Level, pDriverUpgradeInfo);
}

DLL_EXPORT int DrvDocumentEvent(HANDLE hPrinter, HDC hdc, int iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                                PVOID pvOut) noexcept {
    return HandleDocumentEvent(hPrinter, hdc, iEsc, cbIn, pvIn, cbOut, pvOut);
}
