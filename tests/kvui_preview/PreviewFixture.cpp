#include "tests/kvui_preview/PreviewFixture.h"

#include <algorithm>

#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/PageIcons.h"
#include "ui/UiInstance.h"

namespace kvuipreview {

std::filesystem::path OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_preview";
    std::filesystem::create_directories(folder);
    return folder;
}

void PreviewTest::SetUp() {
    StandInTest::SetUp();
    standin::ui::ResetUi();
    standin::ui::ResetShell();
    standin::ui::ClearDrawLogs();
    InitSettingsLock();
    ASSERT_TRUE(kvtest::InstallSamplePrinter().languageLibrariesInstalled);
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kvtest::kSamplePrinterName), &printer_, &access));
    resources_ = LoadLibraryW(u"KVUIRES");
    ASSERT_NE(resources_, nullptr);
    SetUiLibraryInstance(resources_);
    model_ = AcquireModelDescription(printer_);
    ASSERT_NE(model_, nullptr);
    language_ = LoadLanguageDll(printer_);
    ASSERT_NE(language_, nullptr);
    liveGdiObjects_ = standin::ui::LiveGdiObjectCount();

    UiPool* pool = UiPoolCreate();
    ASSERT_NE(pool, nullptr);
    context_ = static_cast<UiContext*>(UiPoolAlloc(pool, sizeof(UiContext)));
    ASSERT_NE(context_, nullptr);
    context_->magic = kUiContextMagic;
    context_->flags = kUiDocumentSheet | kUiMayChange | kUiMayWriteData;
    context_->pool = pool;
    context_->printer = printer_;
    context_->languageLibrary = language_;
    context_->locale = 1041;
    std::copy_n(kvtest::kSamplePrinterName, std::char_traits<char16_t>::length(kvtest::kSamplePrinterName),
                context_->printerName);
    context_->model = model_;
    BuildDefaultDevMode(&context_->defaultBlock, printer_, nullptr, model_);
    context_->workingBlock = context_->defaultBlock;
    page_.context = context_;
    page_.images = CreatePageImages(resources_);
    ASSERT_NE(page_.images, nullptr);
}

void PreviewTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::ResetUi();
    DestroyPageImages(page_.images);
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
    if (context_ != nullptr) UiPoolDestroy(context_->pool);
    SetUiLibraryInstance(nullptr);
    if (language_ != nullptr) FreeLanguageDll(language_);
    ReleaseModelDescription(model_);
    if (resources_ != nullptr) FreeLibrary(resources_);
    if (printer_ != nullptr) ClosePrinter(printer_);
    FreeSettingsLock();
    StandInTest::TearDown();
}

HWND PreviewTest::OpenDialog(int templateId, DLGPROC proc) {
    // The pages are child dialogs: a plain visible window holds them as the sheet would.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"PreviewSheet";
    RegisterClassExW(&wc);
    HWND sheet = CreateWindowExW(0, u"PreviewSheet", u"Sheet", WS_POPUP | WS_VISIBLE, 0, 0, 480, 560, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND dialog = CreateDialogParamW(language_, MAKEINTRESOURCEW(templateId), sheet, proc, reinterpret_cast<LPARAM>(&page_));
    if (dialog != nullptr) ShowWindow(dialog, SW_SHOW);
    return dialog;
}

void PreviewTest::SetPaper(DriverDevMode& block, const std::u16string& name, short width, short length) {
    std::fill(std::begin(block.Public.dmFormName), std::end(block.Public.dmFormName), u'\0');
    name.copy(block.Public.dmFormName, std::min<size_t>(name.size(), 31));
    block.Public.dmPaperWidth = width;
    block.Public.dmPaperLength = length;
}

}  // namespace kvuipreview
