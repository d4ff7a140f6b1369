#pragma once
// The set-up the user-interface tests share: the sample printer installed and opened, the
// library's own resources loaded as its instance, the model, and a context of the sample
// printer on a pool of its own whose blocks hold the printer's defaults. Each step asserts;
// the fixture that calls it releases what it got.
#include <gtest/gtest.h>

#include <string>

#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/entry/UiContext.h"
#include "ui/entry/UiInstance.h"

namespace kvtest {

/// The stand-in's windows and shell start afresh and the settings lock is taken.
inline void ResetUiTest() {
    standin::ui::ResetUi();
    standin::ui::ResetShell();
    InitSettingsLock();
}

/// Opens the installed sample printer with full access.
inline void OpenSamplePrinter(HANDLE* printer) {
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kSamplePrinterName), printer, &access));
}

/// Installs the sample printer with its language libraries and opens it.
inline void InstallAndOpenSamplePrinter(HANDLE* printer) {
    ASSERT_TRUE(InstallSamplePrinter().languageLibrariesInstalled);
    OpenSamplePrinter(printer);
}

/// Loads the library's own resources and makes them the library's instance, then takes the
/// printer's model.
inline void LoadUiResourcesAndModel(HANDLE printer, HMODULE* resources, const ModelDescription** model) {
    *resources = LoadLibraryW(u"KVUIRES");
    ASSERT_NE(*resources, nullptr);
    SetUiLibraryInstance(*resources);
    *model = AcquireModelDescription(printer);
    ASSERT_NE(*model, nullptr);
}

#ifdef KV_LANG_PREFIX
/// Loads the driver's English and Japanese language libraries by name.
inline void LoadLanguageLibraries(HMODULE* english, HMODULE* japanese) {
    *english = LoadLibraryW(u"" KV_LANG_PREFIX "SE");
    *japanese = LoadLibraryW(u"" KV_LANG_PREFIX "SJ");
    ASSERT_NE(*english, nullptr);
    ASSERT_NE(*japanese, nullptr);
}

/// The settings pages' set-up: the stand-in's user side afresh, the sample printer installed
/// and opened, the UI resources and model, both language libraries and the colour-adjustment
/// library the pages call.
inline void SetUpPageTest(HANDLE* printer, HMODULE* resources, const ModelDescription** model, HMODULE* english,
                          HMODULE* japanese, HMODULE* htui) {
    ResetUiTest();
    ASSERT_NO_FATAL_FAILURE(InstallAndOpenSamplePrinter(printer));
    ASSERT_NO_FATAL_FAILURE(LoadUiResourcesAndModel(*printer, resources, model));
    ASSERT_NO_FATAL_FAILURE(LoadLanguageLibraries(english, japanese));
    *htui = LoadLibraryW(u"htui");
    ASSERT_NE(*htui, nullptr);
}
#endif

/// Gives back what the steps above took: the model, the resources, the printer and the
/// settings lock (each only when had).
inline void CloseUiTest(HANDLE printer, HMODULE resources, const ModelDescription* model) {
    if (model != nullptr) ReleaseModelDescription(model);
    if (resources != nullptr) FreeLibrary(resources);
    if (printer != nullptr) ClosePrinter(printer);
    FreeSettingsLock();
}

/// A context of the sample printer for a sheet (kUiDocumentSheet or kUiDeviceSheet) that may
/// change and write the printer's data, on a pool of its own (UiPoolDestroy of its pool frees
/// it); its default and working blocks hold the printer's defaults. Null when the pool fails.
inline UiContext* NewSampleContext(HANDLE printer, const ModelDescription* model, HMODULE language,
                                   DWORD sheetFlags, DWORD locale) {
    UiPool* pool = UiPoolCreate();
    if (pool == nullptr) return nullptr;
    auto* context = static_cast<UiContext*>(UiPoolAlloc(pool, sizeof(UiContext)));
    if (context == nullptr) {
        UiPoolDestroy(pool);
        return nullptr;
    }
    context->magic = kUiContextMagic;
    context->flags = sheetFlags | kUiMayChange | kUiMayWriteData;
    context->pool = pool;
    context->printer = printer;
    context->languageLibrary = language;
    context->locale = locale;
    std::char_traits<char16_t>::copy(context->printerName, kSamplePrinterName,
                                     std::char_traits<char16_t>::length(kSamplePrinterName) + 1);
    context->model = model;
    BuildDefaultDevMode(&context->defaultBlock, printer, nullptr, model);
    context->workingBlock = context->defaultBlock;
    return context;
}

}  // namespace kvtest
