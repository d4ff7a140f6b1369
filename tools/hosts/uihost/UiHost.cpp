#include "tools/hosts/uihost/UiHost.h"

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/UserDialogs.h"
#include "tools/hosts/HostModule.h"

namespace uihost {
namespace {

using hosts::Resolve;

// The spooler hands the library writable strings.
LPWSTR Writable(const std::u16string& text) { return const_cast<LPWSTR>(text.c_str()); }

DOCUMENTPROPERTYHEADER MakeHeader(HANDLE printer, const std::u16string& deviceName, DEVMODEW* pdmOut,
                                  const DEVMODEW* pdmIn, DWORD fMode) {
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof(header);
    header.hPrinter = printer;
    header.pszPrinterName = Writable(deviceName);
    header.pdmIn = const_cast<DEVMODEW*>(pdmIn);
    header.pdmOut = pdmOut;
    header.fMode = fMode;
    return header;
}

LONG RunSheet(HWND owner, PFNPROPSHEETUI function, LPARAM lParam, DWORD* result) {
    HMODULE compstui = LoadLibraryW(u"compstui.dll");
    if (compstui == nullptr) return -1;
    PFNCOMMONPROPERTYSHEETUIW common = nullptr;
    LONG answer = -1;
    if (Resolve(compstui, "CommonPropertySheetUIW", &common)) {
        DWORD local = 0;
        answer = common(owner, function, lParam, result != nullptr ? result : &local);
    }
    FreeLibrary(compstui);
    return answer;
}

}  // namespace

std::vector<BYTE> SettingsBuffer(size_t cb) { return std::vector<BYTE>(cb, 0); }

UiLibrary::~UiLibrary() { Unload(); }

BOOL UiLibrary::Load(const std::u16string& moduleName) {
    Unload();
    UiExports e;
    HMODULE module = hosts::LoadWithExports(moduleName, [&e](HMODULE m) {
        return Resolve(m, "DllInitialize", &e.DllInitialize) &&
               Resolve(m, "PrinterProperties", &e.PrinterProperties) &&
               Resolve(m, "DrvDevicePropertySheets", &e.DrvDevicePropertySheets) &&
               Resolve(m, "DrvDocumentProperties", &e.DrvDocumentProperties) &&
               Resolve(m, "DrvAdvancedDocumentProperties", &e.DrvAdvancedDocumentProperties) &&
               Resolve(m, "DrvDocumentPropertySheets", &e.DrvDocumentPropertySheets) &&
               Resolve(m, "DrvDeviceCapabilities", &e.DrvDeviceCapabilities) &&
               Resolve(m, "DrvConvertDevMode", &e.DrvConvertDevMode) &&
               Resolve(m, "DevQueryPrintEx", &e.DevQueryPrintEx) &&
               Resolve(m, "DrvPrinterEvent", &e.DrvPrinterEvent) &&
               Resolve(m, "DrvUpgradePrinter", &e.DrvUpgradePrinter) &&
               Resolve(m, "DrvDocumentEvent", &e.DrvDocumentEvent);
    });
    if (module == nullptr) return FALSE;
    module_ = module;
    exports_ = e;
    return TRUE;
}

void UiLibrary::Unload() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
    exports_ = UiExports{};
}

DWORD UiLibrary::DeviceCapabilities(HANDLE printer, const std::u16string& deviceName, WORD capability, void* output,
                                    const DEVMODEW* devMode) const {
    return exports_.DrvDeviceCapabilities(printer, Writable(deviceName), capability, output,
                                          const_cast<DEVMODEW*>(devMode));
}

BOOL UiLibrary::ConvertDevMode(const std::u16string& printerName, const DEVMODEW* pdmIn, DEVMODEW* pdmOut,
                               LONG* pcbNeeded, DWORD fMode) const {
    return exports_.DrvConvertDevMode(Writable(printerName), const_cast<DEVMODEW*>(pdmIn), pdmOut, pcbNeeded, fMode);
}

JobCheck UiLibrary::QueryPrint(HANDLE printer, const DEVMODEW* devMode, DWORD cchError) const {
    std::u16string buffer(cchError, u'\0');
    DEVQUERYPRINT_INFO info{};
    info.cbSize = sizeof(info);
    info.Level = 1;
    info.hPrinter = printer;
    info.pDevMode = const_cast<DEVMODEW*>(devMode);
    info.pszErrorStr = cchError != 0 ? buffer.data() : nullptr;
    info.cchErrorStr = cchError;
    JobCheck check;
    check.accepted = exports_.DevQueryPrintEx(&info);
    check.cchNeeded = info.cchNeeded;
    if (cchError != 0) check.message = buffer.c_str();
    return check;
}

BOOL UiLibrary::PrinterEvent(const std::u16string& printerName, int event, DWORD flags, LPARAM lParam) const {
    return exports_.DrvPrinterEvent(Writable(printerName), event, flags, lParam);
}

BOOL UiLibrary::UpgradePrinter(const std::u16string& printerName, DWORD level) const {
    DRIVER_UPGRADE_INFO_1 info{Writable(printerName), const_cast<LPWSTR>(u"C:\\drv\\old")};
    return exports_.DrvUpgradePrinter(level, reinterpret_cast<LPBYTE>(&info));
}

int UiLibrary::DocumentEvent(HANDLE printer, HDC dc, int escape, ULONG cbIn, PVOID in, ULONG cbOut, PVOID out) const {
    return exports_.DrvDocumentEvent(printer, dc, escape, cbIn, in, cbOut, out);
}

BOOL UiLibrary::PrinterProperties(HWND owner, HANDLE printer) const { return exports_.PrinterProperties(owner, printer); }

LONG UiLibrary::DocumentPropertiesW(HWND owner, HANDLE printer, const std::u16string& deviceName, DEVMODEW* pdmOut,
                                    const DEVMODEW* pdmIn, DWORD fMode) const {
    DOCUMENTPROPERTYHEADER header = MakeHeader(printer, deviceName, pdmOut, pdmIn, fMode);
    if (fMode == 0 || pdmOut == nullptr) {
        header.fMode = 0;
        const LONG size = exports_.DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header));
        return size > 0 ? size : -1;
    }
    LONG result = 0;
    if ((fMode & DM_PROMPT) != 0) {
        DWORD sheetResult = 0;
        result = DocumentSheet(owner, &header, &sheetResult);
    } else {
        result = exports_.DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header));
    }
    if (result > 0) return IDOK;
    return result == 0 ? IDCANCEL : -1;
}

LONG UiLibrary::DrvDocumentProperties(HWND owner, HANDLE printer, const std::u16string& deviceName, DEVMODEW* pdmOut,
                                      const DEVMODEW* pdmIn, DWORD fMode) const {
    return exports_.DrvDocumentProperties(owner, printer, Writable(deviceName), pdmOut, const_cast<DEVMODEW*>(pdmIn),
                                          fMode);
}

LONG UiLibrary::AdvancedDocumentProperties(HWND owner, HANDLE printer, const std::u16string& deviceName,
                                           DEVMODEW* pdmOut, const DEVMODEW* pdmIn) const {
    return exports_.DrvAdvancedDocumentProperties(owner, printer, Writable(deviceName), pdmOut,
                                                  const_cast<DEVMODEW*>(pdmIn));
}

LONG UiLibrary::DocumentSheet(HWND owner, DOCUMENTPROPERTYHEADER* header, DWORD* result) const {
    return RunSheet(owner, exports_.DrvDocumentPropertySheets, reinterpret_cast<LPARAM>(header), result);
}

LONG UiLibrary::DeviceSheet(HWND owner, DEVICEPROPERTYHEADER* header, DWORD* result) const {
    return RunSheet(owner, exports_.DrvDevicePropertySheets, reinterpret_cast<LPARAM>(header), result);
}

}  // namespace uihost
