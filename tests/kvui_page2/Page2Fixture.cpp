#include "tests/kvui_page2/Page2Fixture.h"
#include "tests/kvui_common/CompstuiSheet.h"
#include "tests/kvui_common/SampleSetUp.h"

#include <filesystem>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiInstance.h"

namespace kvuipage2 {
namespace {

constexpr int kPage2Tab = 1;

}  // namespace

void Page2Test::SetUp() {
    StandInTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(kvtest::SetUpPageTest(&printer_, &resources_, &model_, &english_, &japanese_, &htui_));
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
    liveGdiObjects_ = standin::ui::LiveGdiObjectCount();
}

void Page2Test::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    standin::ui::ResetUi();
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
    ReleasePageActivationContext();
    SetUiLibraryInstance(nullptr);
    if (htui_ != nullptr) FreeLibrary(htui_);
    if (english_ != nullptr) FreeLibrary(english_);
    if (japanese_ != nullptr) FreeLibrary(japanese_);
    kvtest::CloseUiTest(printer_, resources_, model_);
    StandInTest::TearDown();
}

SheetOutcome Page2Test::RunSheet(const std::function<void(HWND, UiContext&)>& steps, bool pressOk,
                                 const std::function<void(UiContext&)>& prepare, bool japanese) {
    SheetOutcome outcome;
    kvtest::CompstuiSheet run;
    run.makeContext = [&]() -> UiContext* {
        // The context as the entry points make it, in the language the test asks for.
        UiContext* context = CreateUiContext(printer_, nullptr);
        if (context == nullptr) return nullptr;
        FreeLibrary(context->languageLibrary);
        context->languageLibrary = LoadLibraryW(japanese ? u"" KV_LANG_PREFIX "SJ" : u"" KV_LANG_PREFIX "SE");
        context->flags |= kUiDocumentSheet | kUiMayChange | kUiMayWriteData;
        const char16_t help[] = u"C:\\drv\\KV416SE.CHM";
        std::char_traits<char16_t>::copy(context->helpPath, help, std::size(help));
        if (prepare) prepare(*context);
        return context;
    };
    standin::ui::OnModalDialog([&](HWND sheet) {
        // Only the sheet itself: the page's own modal dialogs are the steps' business.
        if (run.context == nullptr || outcome.opened) return;
        ASSERT_TRUE(standin::ui::ClickSheetTab(sheet, kPage2Tab));
        auto page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(page, nullptr);
        ASSERT_NE(PageRecordOf(page), nullptr);
        ASSERT_EQ(PageRecordOf(page)->templateId, kDocumentPage2Template);
        outcome.opened = true;
        Pump();
        steps(page, *run.context);
        // Posted, so that each press reaches only a sheet that still runs: an ended sheet is
        // gone before its messages would be read.
        PostMessageW(sheet, PSM_PRESSBUTTON, pressOk ? PSBTN_OK : PSBTN_CANCEL, 0);
        // A page that refuses to be left keeps the sheet: the steps saw to that, so end it.
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    outcome.answer = run.Run();
    outcome.results = run.resultBlocks;
    standin::ui::OnModalDialog(nullptr);
    return outcome;
}

void Page2Test::Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void Page2Test::Choose(HWND page, int combo, int index) {
    ASSERT_LT(index, SendDlgItemMessageW(page, combo, CB_GETCOUNT, 0, 0)) << combo;
    // The page may show another entry afterwards: what validation left.
    standin::ui::ChooseComboItem(GetDlgItem(page, combo), index);
    Pump();
}

int Page2Test::FindData(HWND page, int combo, LPARAM data) {
    const auto count = SendDlgItemMessageW(page, combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendDlgItemMessageW(page, combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) return static_cast<int>(i);
    }
    return -1;
}

void Page2Test::ChooseData(HWND page, int combo, LPARAM data) {
    const int index = FindData(page, combo, data);
    ASSERT_GE(index, 0) << combo << " has no entry " << data;
    Choose(page, combo, index);
}

void Page2Test::Click(HWND page, int control) {
    HWND button = GetDlgItem(page, control);
    ASSERT_NE(button, nullptr) << control;
    RECT rect{};
    GetClientRect(button, &rect);
    standin::ui::ClickAt(button, rect.right / 2, rect.bottom / 2);
    Pump();
}

void Page2Test::Retype(HWND page, int edit, const std::u16string& text) {
    HWND control = GetDlgItem(page, edit);
    ASSERT_NE(control, nullptr) << edit;
    SendMessageW(control, EM_SETSEL, 0, -1);
    standin::ui::TypeText(control, u"\b" + text);
    Pump();
}

std::u16string Page2Test::TextOf(HWND page, int control) {
    WCHAR text[256] = {};
    GetDlgItemTextW(page, control, text, 256);
    return text;
}

LPARAM Page2Test::SelectedData(HWND page, int combo) {
    const auto selected = SendDlgItemMessageW(page, combo, CB_GETCURSEL, 0, 0);
    return selected < 0 ? -1 : SendDlgItemMessageW(page, combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
}

bool Page2Test::Checked(HWND page, int control) { return IsDlgButtonChecked(page, control) == BST_CHECKED; }

std::vector<std::u16string> Page2Test::MessageTexts() {
    std::vector<std::u16string> texts;
    for (const standin::ui::MessageBoxCall& call : standin::ui::MessageBoxes()) texts.push_back(call.text);
    return texts;
}

std::u16string Page2Test::String(UINT id, bool japanese) const {
    WCHAR text[256] = {};
    LoadStringW(japanese ? japanese_ : english_, id, text, 256);
    return text;
}

int Page2Test::SlotValue(const std::u16string& name) const {
    const auto* slots = ModelList<ModelNamedValue>(model_, model_->InputSlotOffset, model_->InputSlotCount);
    for (DWORD i = 0; slots != nullptr && i < model_->InputSlotCount; ++i) {
        if (name == ModelString(model_, slots[i].NameOffset)) return LOWORD(slots[i].Value);
    }
    return -1;
}

bool Page2Test::SavePicture(HWND page, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_page2";
    std::filesystem::create_directories(folder);
    return standin::ui::SavePicture(GetParent(page), (folder / (name + ".png")).string());
}

}  // namespace kvuipage2
