#include "tests/kvui_preview/PreviewFixture.h"
#include "tests/kvui_common/SampleSetUp.h"

#include <algorithm>

#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/PageIcons.h"
#include "ui/entry/UiInstance.h"

namespace kvuipreview {

std::filesystem::path OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_preview";
    std::filesystem::create_directories(folder);
    return folder;
}

void PreviewTest::SetUp() {
    StandInTest::SetUp();
    kvtest::ResetUiTest();
    standin::ui::ClearDrawLogs();
    ASSERT_NO_FATAL_FAILURE(kvtest::InstallAndOpenSamplePrinter(&printer_));
    ASSERT_NO_FATAL_FAILURE(kvtest::LoadUiResourcesAndModel(printer_, &resources_, &model_));
    language_ = LoadLanguageDll(printer_);
    ASSERT_NE(language_, nullptr);
    liveGdiObjects_ = standin::ui::LiveGdiObjectCount();

    context_ = kvtest::NewSampleContext(printer_, model_, language_, kUiDocumentSheet, 1041);
    ASSERT_NE(context_, nullptr);
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
    kvtest::CloseUiTest(printer_, resources_, model_);
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
