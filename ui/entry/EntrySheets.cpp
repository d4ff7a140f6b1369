// The property sheets of the driver as compstui runs them, and the document settings with
// and without a dialog.
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/UserDialogs.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateSettings.h"
#include "ui/entry/Capabilities.h"
#include "ui/resolver/Constraints.h"
#include "ui/data/OverlayForm.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"
#include "ui/status/StatusQuery.h"
#include "ui/entry/UiEntry.h"

namespace {

constexpr LONG kSettingsBlockSize = kDriverDevModeSize;

// Whether this user may write the printer's data: the value is written for that purpose.
bool ProbeWriteAccess(HANDLE printer) {
    DWORD one = 1;
    return SetPrinterDataW(printer, const_cast<LPWSTR>(u"DAT_Permission"), REG_DWORD, reinterpret_cast<LPBYTE>(&one),
                           sizeof(one)) == ERROR_SUCCESS;
}

// The context a sheet callback works on: a new one at INIT, else the one compstui hands back.
UiContext* ContextFor(const PROPSHEETUI_INFO* info, HANDLE printer, const DEVMODEW* pdmIn) {
    if (info->Reason == PROPSHEETUI_REASON_INIT) return CreateUiContext(printer, pdmIn);
    return SheetContext(info->UserData);
}

LONG FillInfoHeader(LPARAM lParam, LPWSTR title) {
    auto* header = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
    if (header == nullptr) return -1;
    header->Flags = PSUIHDRF_PROPTITLE;
    header->pTitle = title;
    header->hInst = UiLibraryInstance();
    header->IconID = kSheetIconId;
    return 1;
}

// INIT's end: the pages, or the context released when they cannot all be added.
LONG FinishInit(PROPSHEETUI_INFO* info, UiContext* context) {
    context->comPropSheet = info->hComPropSheet;
    context->comPropSheetFn = info->pfnComPropSheet;
    if (BuildPropertyPages(context) != 1) {
        ReleaseUiContext(context);
        return -1;
    }
    info->Result = 0;
    info->UserData = reinterpret_cast<ULONG_PTR>(context);
    return 1;
}

LONG Destroy(PROPSHEETUI_INFO* info, UiContext* context) {
    ReleaseUiContext(context);
    info->UserData = 0;
    return 1;
}

DOCUMENTPROPERTYHEADER MakeDocumentHeader(HANDLE printer, LPWSTR deviceName, DEVMODEW* pdmOut, DEVMODEW* pdmIn,
                                          DWORD fMode) {
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof(DOCUMENTPROPERTYHEADER);
    header.hPrinter = printer;
    header.pszPrinterName = deviceName;
    header.pdmIn = pdmIn;
    header.pdmOut = pdmOut;
    header.cbOut = 0;
    header.fMode = fMode;
    return header;
}

// The sheet's answer, unless the settings it accepted could not be handed back (the
// SET_RESULT that failed to copy them out leaves cbOut at 0).
LONG SheetAnswer(LONG result, const DOCUMENTPROPERTYHEADER& header, bool copiesOut) {
    if (result > 0 && copiesOut && header.cbOut == 0) return -1;
    return result;
}

bool CopiesOut(DWORD fMode) { return (fMode & (DM_UPDATE | DM_COPY)) != 0; }

}  // namespace

LONG CallCommonPropertySheetUI(HWND owner, PFNPROPSHEETUI function, LPARAM lParam, LPDWORD pResult) {
    HMODULE library = LoadLibraryA("compstui.dll");
    if (library == nullptr) return -1;
    auto common = reinterpret_cast<PFNCOMMONPROPERTYSHEETUIW>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "CommonPropertySheetUIW")));
    LONG answer = -1;
    if (common != nullptr) answer = common(owner, function, lParam, pResult);
    FreeLibrary(library);
    return answer;
}

BOOL ShowPrinterProperties(HWND owner, HANDLE printer) {
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof(DEVICEPROPERTYHEADER);
    header.Flags = ProbeWriteAccess(printer) ? 0 : DPS_NOPERMISSION;
    header.hPrinter = printer;
    header.pszPrinterName = nullptr;
    DWORD result = 0;
    return CallCommonPropertySheetUI(owner, DevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result) > 0;
}

LONG DevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
    if (info == nullptr) return -1;
    auto* header = reinterpret_cast<DEVICEPROPERTYHEADER*>(info->lParamInit);
    if (header == nullptr) return -1;
    UiContext* context = ContextFor(info, header->hPrinter, nullptr);
    if (context == nullptr) return -1;
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        if ((header->Flags & DPS_NOPERMISSION) == 0) context->flags |= kUiMayChange | kUiMayWriteData;
        context->flags |= kUiDeviceSheet;
        return FinishInit(info, context);
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        // PrinterProperties passes no name: the sheet is titled with the printer's own.
        return FillInfoHeader(lParam, header->pszPrinterName != nullptr ? header->pszPrinterName : context->printerName);
    case PROPSHEETUI_REASON_DESTROY:
        return Destroy(info, context);
    case PROPSHEETUI_REASON_SET_RESULT: {
        const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
        if (result == nullptr) return -1;
        if (result->Result == CPSUI_OK) ApplySheetResult(context, nullptr);
        info->Result = static_cast<ULONG_PTR>(result->Result);
        return 1;
    }
    default:
        return 1;
    }
}

LONG DocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
    if (info == nullptr) {
        auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
        return header == nullptr ? -1 : DocumentPropertiesNoUI(header);
    }
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info->lParamInit);
    if (header == nullptr) return -1;
    UiContext* context = ContextFor(info, header->hPrinter, header->pdmIn);
    if (context == nullptr) return -1;
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        if ((header->fMode & DM_NOPERMISSION) == 0) context->flags |= kUiMayChange;
        if (ProbeWriteAccess(header->hPrinter)) context->flags |= kUiMayWriteData;
        context->flags |= (header->fMode & DM_ADVANCED) != 0 ? kUiAdvancedSheet : kUiDocumentSheet;
        return FinishInit(info, context);
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        return FillInfoHeader(lParam, header->pszPrinterName);
    case PROPSHEETUI_REASON_DESTROY:
        return Destroy(info, context);
    case PROPSHEETUI_REASON_SET_RESULT: {
        const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
        if (result == nullptr) return -1;
        header->cbOut = kSettingsBlockSize;
        info->Result = static_cast<ULONG_PTR>(result->Result);
        if (result->Result == CPSUI_OK && CopiesOut(header->fMode) && !ApplySheetResult(context, header)) {
            // The caller's DEVMODE was not filled: the sheet's OK must not be taken for one.
            header->cbOut = 0;
            info->Result = CPSUI_CANCEL;
            return -1;
        }
        return 1;
    }
    default:
        return 1;
    }
}

LONG ShowDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* pdmOut, DEVMODEW* pdmIn,
                            DWORD fMode) {
    if (fMode == 0 || pdmOut == nullptr) return kSettingsBlockSize;
    DOCUMENTPROPERTYHEADER header = MakeDocumentHeader(printer, deviceName, pdmOut, pdmIn, fMode);
    LONG result = 0;
    if ((fMode & DM_PROMPT) != 0) {
        DWORD sheetResult = 0;
        result = CallCommonPropertySheetUI(owner, DocumentPropertySheets, reinterpret_cast<LPARAM>(&header),
                                           &sheetResult);
        result = SheetAnswer(result, header, CopiesOut(fMode));
    } else {
        result = DocumentPropertiesNoUI(&header);
    }
    if (result > 0) return IDOK;
    if (result == 0) return IDCANCEL;
    return -1;
}

LONG ShowAdvancedDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* pdmOut,
                                    DEVMODEW* pdmIn) {
    if (pdmOut == nullptr) return kSettingsBlockSize;
    DOCUMENTPROPERTYHEADER header =
        MakeDocumentHeader(printer, deviceName, pdmOut, pdmIn, DM_COPY | DM_PROMPT | DM_ADVANCED);
    DWORD sheetResult = 0;
    const LONG result =
        CallCommonPropertySheetUI(owner, DocumentPropertySheets, reinterpret_cast<LPARAM>(&header), &sheetResult);
    return SheetAnswer(result, header, true) > 0 ? 1 : 0;
}

LONG DocumentPropertiesNoUI(DOCUMENTPROPERTYHEADER* header) {
    header->cbOut = kSettingsBlockSize;
    if (header->fMode == 0 || header->pdmOut == nullptr) return kSettingsBlockSize;
    UiContext* context = CreateDocumentContext(header->hPrinter, header->pdmIn);
    if (context == nullptr) return -1;
    LONG answer = 1;
    if (CopiesOut(header->fMode) && !CopyOutDevMode(&context->resultBlock, header->pdmIn, header->pdmOut)) answer = -1;
    ReleaseUiContext(context);
    return answer;
}

BOOL ApplySheetResult(UiContext* context, DOCUMENTPROPERTYHEADER* document) {
    DriverDevMode* result = &context->resultBlock;
    DriverDevMode* working = &context->workingBlock;
    PrinterStatusSnapshot* status = &context->status;
    HANDLE printer = context->printer;
    const ModelDescription* model = context->model;

    RegisterOverlayForm(result, printer, model);
    ValidateDevMode(result, status, printer, nullptr, model);
    if ((context->flags & kUiMayWriteData) != 0) {
        PublishDsProperties(result, status, printer, model);
        InitPrinterDataDefaults(result, printer, model);
    }
    BuildBinConfig(result, status);
    WritePrinterBinConfig(status, printer);
    BOOL copied = TRUE;
    if (document != nullptr) copied = CopyOutDevMode(result, document->pdmIn, document->pdmOut);

    QueryPrinterStatus(status, printer, nullptr);
    UpdateStatusFlag(working, status, printer);
    PublishDsProperties(working, status, printer, model);
    ApplyConstraints(working, nullptr, status, printer, model, nullptr, context->languageLibrary, context->flags);
    return copied;
}
