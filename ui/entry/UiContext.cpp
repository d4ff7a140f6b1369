// The record of a sheet (and of the no-dialog document path): built from the printer's
// information, its usable forms and the driver's settings, and released with its pool.
#include "ui/entry/UiContext.h"

#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "settings/Forms.h"
#include "settings/MergeSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "ui/resolver/Constraints.h"
#include "ui/entry/HeldModel.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/status/StatusQuery.h"

namespace {

// A string of a spooler record into a fixed field: NULL gives an empty field, a longer one
// is cut.
void CopyField(LPWSTR out, size_t cchOut, LPCWSTR text) {
    out[0] = u'\0';
    if (text != nullptr) lstrcpynW(out, text, static_cast<int>(cchOut));
}

void ReadUserName(LPWSTR out /* kUiUserChars */) {
    // Asked with room for any name, then cut to the field's 21 characters.
    WCHAR name[257] = {};
    DWORD cch = 257;
    if (!GetUserNameW(name, &cch)) name[0] = u'\0';
    CopyField(out, kUiUserChars, name);
}

// The pool and the zeroed record in it; NULL (nothing left) when either cannot be had.
UiContext* NewContext() {
    UiPool* pool = UiPoolCreate();
    if (pool == nullptr) return nullptr;
    auto* context = static_cast<UiContext*>(UiPoolAlloc(pool, sizeof(UiContext)));
    if (context == nullptr) {
        UiPoolDestroy(pool);
        return nullptr;
    }
    context->pool = pool;
    return context;
}

// The usable forms in the order of the spooler's list; false when the arrays cannot be had.
bool FillForms(UiContext* context, const FORM_INFO_1W* forms, DWORD count) {
    context->formCount = 0;
    if (count == 0) return true;
    context->formIndex = static_cast<SHORT*>(UiPoolAlloc(context->pool, sizeof(SHORT) * count));
    context->formSize = static_cast<FormSize*>(UiPoolAlloc(context->pool, sizeof(FormSize) * count));
    context->formName = static_cast<WCHAR(*)[kUiNameChars]>(UiPoolAlloc(context->pool, sizeof(WCHAR) * kUiNameChars * count));
    if (context->formIndex == nullptr || context->formSize == nullptr || context->formName == nullptr) return false;
    for (DWORD i = 0; i < count; ++i) {
        if (!IsUsableForm(forms[i])) continue;
        const DWORD n = context->formCount++;
        context->formIndex[n] = static_cast<SHORT>(i + 1);
        context->formSize[n] = FormSize{forms[i].Size.cx / 100, forms[i].Size.cy / 100};
        CopyField(context->formName[n], kUiNameChars, forms[i].pName);
    }
    return true;
}

// The names of this computer and user in a settings block.
void StampNames(DriverDevMode* block, LPCWSTR computer, LPCWSTR user) {
    CopyComputerName(block->ComputerName, computer);
    SetUserNameField(block->UserName1, user);
    CopyUserName(block->PageStampUserName, user);
}

// What both constructors do after the record exists: the status, the working block and its
// constraints, the names, the result block and the printer data.
void FillSettings(UiContext* context, HANDLE printer, const DEVMODEW* pdmIn, bool withDefaults) {
    QueryPrinterStatus(&context->status, printer, nullptr);
    const ModelDescription* model = context->model;
    if (withDefaults) BuildDefaultDevMode(&context->defaultBlock, printer, nullptr, model);
    DriverDevMode* working = &context->workingBlock;
    GetCurrentDevMode(working, pdmIn, printer, nullptr, model);
    ReadInstalledOptions(working, printer);
    UpdateStatusFlag(working, &context->status, printer);
    PublishDsProperties(working, &context->status, printer, model);
    ApplyConstraints(working, nullptr, &context->status, printer, model, nullptr, context->languageLibrary, 0);

    WCHAR computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD cch = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(computer, &cch)) computer[0] = u'\0';
    if (withDefaults) StampNames(&context->defaultBlock, computer, context->userName);
    StampNames(working, computer, context->userName);

    context->resultBlock = *working;
    // The tray list handed to the manager is the one built from this block's options.
    BuildBinConfig(working, &context->status);
    WritePrinterBinConfig(&context->status, printer);
    InitPrinterDataDefaults(working, printer, model);
}

}  // namespace

void MakeHelpPath(LPWSTR out, LPCWSTR helpFile, DWORD locale) {
    out[0] = u'\0';
    if (helpFile == nullptr) return;
    lstrcpynW(out, helpFile, static_cast<int>(kUiPathChars));
    // Only the file name carries the letter: a "." in a folder is not its extension.
    int nameStart = 0;
    int dot = -1;
    for (int i = 0; out[i] != u'\0'; ++i) {
        if (out[i] == u'\\') {
            nameStart = i + 1;
            dot = -1;
        } else if (out[i] == u'.') {
            dot = i;
        }
    }
    if (dot - 1 < nameStart) return;
    out[dot - 1] = locale == kLocaleJapanese ? u'J' : u'E';
}

UiContext* CreateUiContext(HANDLE printer, const DEVMODEW* pdmIn) {
    HeldModel model(printer);
    if (model.Get() == nullptr) return nullptr;
    AddDriverForms(printer, model.Get());

    GlobalBlock printerInfo(GetPrinterInfo(printer, 2));
    GlobalBlock driverInfo(GetDriverInfo(printer, 3));
    DWORD formCount = 0;
    GlobalBlock forms(EnumUsableForms(printer, &formCount));
    if (!printerInfo.Valid() || !driverInfo.Valid() || !forms.Valid()) return nullptr;

    UiContext* context = NewContext();
    if (context == nullptr) return nullptr;
    context->magic = kUiContextMagic;
    context->printer = printer;
    // Every page and message of a sheet comes from the language library: a sheet cannot be
    // had without it.
    context->languageLibrary = LoadLanguageDll(printer);
    context->locale = GetUserLocale();
    if (context->languageLibrary == nullptr || !FillForms(context, forms.As<const FORM_INFO_1W>(), formCount)) {
        ReleaseUiContext(context);
        return nullptr;
    }
    const auto* driver = driverInfo.As<const DRIVER_INFO_3W>();
    CopyField(context->driverPath, kUiPathChars, driver->pDriverPath);
    MakeHelpPath(context->helpPath, driver->pHelpFile, context->locale);
    CopyField(context->printerName, kUiPathChars, printerInfo.As<const PRINTER_INFO_2W>()->pPrinterName);
    ReadUserName(context->userName);
    context->model = model.Release();
    FillSettings(context, printer, pdmIn, true);
    return context;
}

UiContext* CreateDocumentContext(HANDLE printer, const DEVMODEW* pdmIn) {
    HeldModel model(printer);
    if (model.Get() == nullptr) return nullptr;
    AddDriverForms(printer, model.Get());
    GlobalBlock printerInfo(GetPrinterInfo(printer, 2));
    if (!printerInfo.Valid()) return nullptr;

    UiContext* context = NewContext();
    if (context == nullptr) return nullptr;
    context->languageLibrary = LoadLanguageDll(printer);
    CopyField(context->printerName, kUiPathChars, printerInfo.As<const PRINTER_INFO_2W>()->pPrinterName);
    ReadUserName(context->userName);
    context->model = model.Release();
    FillSettings(context, printer, pdmIn, false);
    return context;
}

void ReleaseUiContext(UiContext* context) {
    if (context == nullptr) return;
    // A refresh still asked of the manager ends with the record that holds it: the manager
    // is closed and its library freed.
    CancelStatusRequest(&context->status);
    ReleaseModelDescription(context->model);
    context->model = nullptr;
    if (context->languageLibrary != nullptr) FreeLanguageDll(context->languageLibrary);
    context->languageLibrary = nullptr;
    context->magic = 0;
    UiPoolDestroy(context->pool);
}

UiContext* SheetContext(ULONG_PTR userData) {
    auto* context = reinterpret_cast<UiContext*>(userData);
    return context != nullptr && context->magic == kUiContextMagic ? context : nullptr;
}
