// The spooler's printer events, the driver upgrade and the document events.
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "settings/SpoolerQueries.h"
#include "ui/entry/HeldModel.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/entry/UiEntry.h"

namespace {

using RevertToPrinterSelfProc = HANDLE (*)();
using ImpersonatePrinterClientProc = BOOL (*)(HANDLE token);

PrinterHandle OpenWithAllAccess(LPWSTR printerName) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    PrinterHandle printer;
    if (printerName == nullptr || !OpenPrinterW(printerName, printer.Out(), &defaults)) printer.Reset();
    return printer;
}

// A new printer: the printer data of the driver's defaults, and raw-only spooling.
void InitializePrinter(HANDLE printer) {
    {
        HeldModel model(printer);
        if (model.Get() != nullptr) {
            GlobalBlock block = GlobalBlock::Zeroed(sizeof(DriverDevMode));
            if (block.Valid()) {
                BuildDefaultDevMode(block.As<DriverDevMode>(), printer, nullptr, model.Get());
                InitPrinterDataDefaults(block.As<DriverDevMode>(), printer, model.Get());
            }
        }
    }
    GlobalBlock info(GetPrinterInfo(printer, 2));
    if (!info.Valid()) return;
    auto* printerInfo = info.As<PRINTER_INFO_2W>();
    printerInfo->Attributes |= PRINTER_ATTRIBUTE_RAW_ONLY;
    SetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(printerInfo), 0);
}

// The spooler's cached connection runs as the printer's client again.
BOOL RefreshCache() {
    HMODULE spooler = LoadLibraryW(u"spoolss.dll");
    if (spooler == nullptr) return FALSE;
    auto revert = reinterpret_cast<RevertToPrinterSelfProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(spooler, "RevertToPrinterSelf")));
    auto impersonate = reinterpret_cast<ImpersonatePrinterClientProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(spooler, "ImpersonatePrinterClient")));
    if (revert == nullptr || impersonate == nullptr) {
        FreeLibrary(spooler);
        return FALSE;
    }
    if (HANDLE token = revert()) impersonate(token);
    FreeLibrary(spooler);
    return TRUE;
}

}  // namespace

BOOL HandlePrinterEvent(LPWSTR printerName, int event, DWORD /*flags*/, LPARAM /*lParam*/) {
    switch (event) {
    case PRINTER_EVENT_INITIALIZE: {
        PrinterHandle printer = OpenWithAllAccess(printerName);
        if (printer.Valid()) InitializePrinter(printer.Get());
        return TRUE;
    }
    case PRINTER_EVENT_CACHE_REFRESH:
        return RefreshCache();
    default:
        return TRUE;
    }
}

BOOL UpgradePrinter(DWORD level, LPBYTE info) {
    if (level != 1 || info == nullptr) return FALSE;
    const auto* upgrade = reinterpret_cast<const DRIVER_UPGRADE_INFO_1*>(info);
    PrinterHandle printer = OpenWithAllAccess(upgrade->pPrinterName);
    if (!printer.Valid()) return FALSE;
    HeldModel model(printer.Get());
    if (model.Get() != nullptr) {
        UpgradeDriverForms(printer.Get(), model.Get());
        AddDriverForms(printer.Get(), model.Get());
    }
    return TRUE;
}

int HandleDocumentEvent(HANDLE printer, HDC dc, int escape, ULONG /*cbIn*/, PVOID in, ULONG /*cbOut*/,
                        PVOID /*out*/) {
    if (escape == DOCUMENTEVENT_STARTDOCPOST && (printer == nullptr || dc == nullptr || in == nullptr))
        return DOCUMENTEVENT_FAILURE;
    return DOCUMENTEVENT_SUCCESS;
}
