#pragma once
// A small stand-in for what the spooler, the common property sheet library and applications
// do with a printer driver's user-interface library: load it by name, resolve its twelve
// exports, and call them as their callers do. The sheets run through "compstui.dll"
// (CommonPropertySheetUIW) with the library's sheet callbacks; DocumentPropertiesW-style
// calls pass a DOCUMENTPROPERTYHEADER either to compstui (with a dialog) or straight to the
// document sheet callback (without one), as the spooler's client side does.
//
// Single-threaded: one host drives one library from one thread.
#include <string>
#include <vector>

#include "platform/DriverUi.h"
#include "platform/PropSheet.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"

namespace uihost {

/// The library's exports, as their callers see them.
struct UiExports {
    BOOL (*DllInitialize)(HINSTANCE instance, DWORD reason, LPVOID reserved) = nullptr;
    BOOL (*PrinterProperties)(HWND owner, HANDLE printer) = nullptr;
    PFNPROPSHEETUI DrvDevicePropertySheets = nullptr;
    LONG (*DrvDocumentProperties)(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* pdmOut, DEVMODEW* pdmIn,
                                  DWORD fMode) = nullptr;
    LONG (*DrvAdvancedDocumentProperties)(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* pdmOut,
                                          DEVMODEW* pdmIn) = nullptr;
    PFNPROPSHEETUI DrvDocumentPropertySheets = nullptr;
    DWORD (*DrvDeviceCapabilities)(HANDLE printer, LPWSTR deviceName, WORD capability, void* output,
                                   DEVMODEW* devMode) = nullptr;
    BOOL (*DrvConvertDevMode)(LPWSTR printerName, DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded,
                              DWORD fMode) = nullptr;
    BOOL (*DevQueryPrintEx)(DEVQUERYPRINT_INFO* info) = nullptr;
    BOOL (*DrvPrinterEvent)(LPWSTR printerName, int event, DWORD flags, LPARAM lParam) = nullptr;
    BOOL (*DrvUpgradePrinter)(DWORD level, LPBYTE info) = nullptr;
    int (*DrvDocumentEvent)(HANDLE printer, HDC dc, int escape, ULONG cbIn, PVOID in, ULONG cbOut,
                            PVOID out) = nullptr;
};

/// What a DevQueryPrintEx call answered.
struct JobCheck {
    BOOL accepted = FALSE;
    std::u16string message;  // the text written to pszErrorStr
    DWORD cchNeeded = 0;
};

/// The loaded library.
class UiLibrary {
public:
    UiLibrary() = default;
    ~UiLibrary();
    UiLibrary(const UiLibrary&) = delete;
    UiLibrary& operator=(const UiLibrary&) = delete;

    /// Loads the library by name (default: this build's KV416SU / KV410SU) and resolves every
    /// export. FALSE with the last error when it is missing (the loader's error) or lacks an
    /// export (ERROR_PROC_NOT_FOUND); nothing stays loaded then.
    BOOL Load(const std::u16string& moduleName = u"" KV_UI_NAME ".dll");
    /// FreeLibrary (the library may keep itself loaded).
    void Unload();
    bool Loaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    const UiExports& Exports() const { return exports_; }

    // --- The spooler ---
    DWORD DeviceCapabilities(HANDLE printer, const std::u16string& deviceName, WORD capability, void* output,
                             const DEVMODEW* devMode) const;
    BOOL ConvertDevMode(const std::u16string& printerName, const DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded,
                        DWORD fMode) const;
    /// DevQueryPrintEx with an error buffer of cchError characters.
    JobCheck QueryPrint(HANDLE printer, const DEVMODEW* devMode, DWORD cchError = 256) const;
    BOOL PrinterEvent(const std::u16string& printerName, int event, DWORD flags = 0, LPARAM lParam = 0) const;
    BOOL UpgradePrinter(const std::u16string& printerName, DWORD level = 1) const;
    int DocumentEvent(HANDLE printer, HDC dc, int escape, ULONG cbIn, PVOID in, ULONG cbOut, PVOID out) const;
    /// The printer's own sheet (PrinterProperties).
    BOOL PrinterProperties(HWND owner, HANDLE printer) const;

    // --- Applications, through the spooler's DocumentPropertiesW ---
    /// DocumentPropertiesW as the spooler's client side makes it: fMode 0 or no output asks
    /// the size from the document sheet callback; DM_PROMPT runs the sheet through compstui
    /// (IDOK when applied, IDCANCEL when not, -1 on failure); otherwise the callback runs
    /// without a dialog (IDOK, or -1).
    LONG DocumentPropertiesW(HWND owner, HANDLE printer, const std::u16string& deviceName, DEVMODEW* pdmOut,
                             const DEVMODEW* pdmIn, DWORD fMode) const;
    /// The same through the library's DrvDocumentProperties export.
    LONG DrvDocumentProperties(HWND owner, HANDLE printer, const std::u16string& deviceName, DEVMODEW* pdmOut,
                               const DEVMODEW* pdmIn, DWORD fMode) const;
    LONG AdvancedDocumentProperties(HWND owner, HANDLE printer, const std::u16string& deviceName, DEVMODEW* pdmOut,
                                    const DEVMODEW* pdmIn) const;

    // --- compstui ---
    /// CommonPropertySheetUIW with the document or device sheet callback; its answer, -1
    /// when compstui cannot be loaded. *result gets compstui's result.
    LONG DocumentSheet(HWND owner, DOCUMENTPROPERTYHEADER* header, DWORD* result) const;
    LONG DeviceSheet(HWND owner, DEVICEPROPERTYHEADER* header, DWORD* result) const;

private:
    HMODULE module_ = nullptr;
    UiExports exports_;
};

/// A settings block buffer of the library's size, for an output DEVMODE.
std::vector<BYTE> SettingsBuffer(size_t cb = 2208);
inline DEVMODEW* AsDevMode(std::vector<BYTE>& bytes) { return reinterpret_cast<DEVMODEW*>(bytes.data()); }
inline const DEVMODEW* AsDevMode(const std::vector<BYTE>& bytes) {
    return reinterpret_cast<const DEVMODEW*>(bytes.data());
}

}  // namespace uihost
