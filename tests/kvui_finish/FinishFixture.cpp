#include "tests/kvui_finish/FinishFixture.h"
#include "tests/kvui_common/SampleSetUp.h"

#include <iterator>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/PageIcons.h"
#include "ui/tree/SettingsTree.h"
#include "ui/entry/UiInstance.h"

namespace kvuifinish {

void DialogTest::SetUp() {
    StandInTest::SetUp();
    kvtest::ResetUiTest();
    ASSERT_NO_FATAL_FAILURE(kvtest::InstallAndOpenSamplePrinter(&printer_));
    ASSERT_NO_FATAL_FAILURE(kvtest::LoadUiResourcesAndModel(printer_, &resources_, &model_));
    ASSERT_NO_FATAL_FAILURE(kvtest::LoadLanguageLibraries(&english_, &japanese_));

    context_ = kvtest::NewSampleContext(printer_, model_, english_, kUiDocumentSheet, 1033);
    ASSERT_NE(context_, nullptr);
    pool_ = context_->pool;
    const char16_t help[] = u"C:\\drv\\KV416SE.CHM";
    std::char_traits<char16_t>::copy(context_->helpPath, help, std::size(help));
    context_->resultBlock = context_->defaultBlock;
    page_.context = context_;
    page_.templateId = kDocumentPage1Template;
    page_.hoverItem = kNoHoverItem;
    // The settings tree of the tree dialogs draws from the page's images.
    page_.images = CreatePageImages(resources_);
    ASSERT_NE(page_.images, nullptr);
    liveGdiObjects_ = standin::ui::LiveGdiObjectCount();
}

void DialogTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    standin::ui::ResetUi();
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
    DestroyPageImages(page_.images);
    page_.images = nullptr;
    if (pool_ != nullptr) UiPoolDestroy(pool_);
    SetUiLibraryInstance(nullptr);
    if (english_ != nullptr) FreeLibrary(english_);
    if (japanese_ != nullptr) FreeLibrary(japanese_);
    kvtest::CloseUiTest(printer_, resources_, model_);
    StandInTest::TearDown();
}

void DialogTest::UseLanguage(bool japanese) { context_->languageLibrary = japanese ? japanese_ : english_; }

INT_PTR DialogTest::Drive(const std::function<INT_PTR()>& open, const std::function<void(HWND dialog, int depth)>& script) {
    int depth = 0;
    standin::ui::OnModalDialog([&](HWND dialog) {
        ++depth;
        script(dialog, depth);
        --depth;
    });
    const INT_PTR result = open();
    standin::ui::OnModalDialog(nullptr);
    return result;
}

void DialogTest::Click(HWND dialog, int control) {
    HWND button = GetDlgItem(dialog, control);
    ASSERT_NE(button, nullptr) << control;
    RECT rect{};
    GetClientRect(button, &rect);
    standin::ui::ClickAt(button, rect.right / 2, rect.bottom / 2);
}

void DialogTest::ClickListItem(HWND dialog, int control, int index) {
    HWND list = GetDlgItem(dialog, control);
    ASSERT_NE(list, nullptr) << control;
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT rect{};
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)), LB_ERR);
    standin::ui::ClickAt(list, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

std::u16string DialogTest::TextOf(HWND dialog, int control) {
    WCHAR text[256] = {};
    GetDlgItemTextW(dialog, control, text, 256);
    return text;
}

bool DialogTest::SavePicture(HWND dialog, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_finish";
    std::filesystem::create_directories(folder);
    return standin::ui::SavePicture(dialog, (folder / (name + ".png")).string());
}

std::vector<std::u16string> DialogTest::MessageTexts() const {
    std::vector<std::u16string> texts;
    for (const standin::ui::MessageBoxCall& call : standin::ui::MessageBoxes()) texts.push_back(call.text);
    return texts;
}

std::u16string DialogTest::String(UINT id) const {
    WCHAR text[256] = {};
    LoadStringW(context_->languageLibrary, id, text, 256);
    return text;
}

}  // namespace kvuifinish
