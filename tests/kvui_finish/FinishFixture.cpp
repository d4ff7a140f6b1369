#include "tests/kvui_finish/FinishFixture.h"

#include <iterator>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/User.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/SettingsTree.h"
#include "ui/UiInstance.h"

namespace kvuifinish {

void DialogTest::SetUp() {
    StandInTest::SetUp();
    standin::ui::ResetUi();
    standin::ui::ResetShell();
    InitSettingsLock();
    ASSERT_TRUE(kvtest::InstallSamplePrinter().languageLibrariesInstalled);
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kvtest::kSamplePrinterName), &printer_, &access));
    resources_ = LoadLibraryW(u"KVUIRES");
    ASSERT_NE(resources_, nullptr);
    SetUiLibraryInstance(resources_);
    SetTreeIconModule(resources_);
    model_ = AcquireModelDescription(printer_);
    ASSERT_NE(model_, nullptr);
    english_ = LoadLibraryW(u"" KV_LANG_PREFIX "SE");
    japanese_ = LoadLibraryW(u"" KV_LANG_PREFIX "SJ");
    ASSERT_NE(english_, nullptr);
    ASSERT_NE(japanese_, nullptr);

    pool_ = UiPoolCreate();
    ASSERT_NE(pool_, nullptr);
    context_ = static_cast<UiContext*>(UiPoolAlloc(pool_, sizeof(UiContext)));
    ASSERT_NE(context_, nullptr);
    context_->magic = kUiContextMagic;
    context_->flags = kUiDocumentSheet | kUiMayChange | kUiMayWriteData;
    context_->pool = pool_;
    context_->printer = printer_;
    context_->languageLibrary = english_;
    context_->locale = 1033;
    std::char_traits<char16_t>::copy(context_->printerName, kvtest::kSamplePrinterName,
                                     std::char_traits<char16_t>::length(kvtest::kSamplePrinterName) + 1);
    const char16_t help[] = u"C:\\drv\\KV416SE.CHM";
    std::char_traits<char16_t>::copy(context_->helpPath, help, std::size(help));
    context_->model = model_;
    BuildDefaultDevMode(&context_->defaultBlock, printer_, nullptr, model_);
    context_->workingBlock = context_->defaultBlock;
    context_->resultBlock = context_->defaultBlock;
    page_.context = context_;
    page_.templateId = 1100;
    page_.hoverItem = kNoHoverItem;
    liveGdiObjects_ = standin::ui::LiveGdiObjectCount();
}

void DialogTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    standin::ui::ResetUi();
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
    if (pool_ != nullptr) UiPoolDestroy(pool_);
    SetTreeIconModule(nullptr);
    SetUiLibraryInstance(nullptr);
    if (english_ != nullptr) FreeLibrary(english_);
    if (japanese_ != nullptr) FreeLibrary(japanese_);
    if (model_ != nullptr) ReleaseModelDescription(model_);
    if (resources_ != nullptr) FreeLibrary(resources_);
    if (printer_ != nullptr) ClosePrinter(printer_);
    FreeSettingsLock();
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
