#include "tests/kvui_page1/Page1Fixture.h"

#include <cstring>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/StandInControls.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_common/CompstuiSheet.h"
#include "tests/kvui_common/SampleSetUp.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/entry/UiInstance.h"

namespace kvuipage1 {

std::vector<BYTE> StoredPresetTable(HANDLE printer) {
    DWORD type = 0;
    DWORD needed = 0;
    auto* name = const_cast<LPWSTR>(PD_PRESET_TABLE);
    if (GetPrinterDataW(printer, name, &type, nullptr, 0, &needed) != ERROR_MORE_DATA) return {};
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataW(printer, name, &type, bytes.data(), needed, &needed) != ERROR_SUCCESS) return {};
    return bytes;
}

void Page1Test::SetUp() {
    StandInTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(kvtest::SetUpPageTest(&printer_, &resources_, &model_, &english_, &japanese_, &htui_));
}

void Page1Test::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    standin::ui::OnTrackPopupMenu(nullptr);
    standin::ui::ResetUi();
    ReleasePageActivationContext();
    SetUiLibraryInstance(nullptr);
    for (HMODULE module : {htui_, english_, japanese_}) {
        if (module != nullptr) FreeLibrary(module);
    }
    kvtest::CloseUiTest(printer_, resources_, model_);
    StandInTest::TearDown();
}

SheetOutcome Page1Test::RunSheet(const std::function<void(UiContext*)>& prepare,
                                 const std::function<void(HWND, HWND)>& drive, HMODULE language) {
    kvtest::CompstuiSheet run;
    run.makeContext = [&]() -> UiContext* {
        UiContext* context = kvtest::NewSampleContext(printer_, model_, language != nullptr ? language : japanese_,
                                                      kUiDocumentSheet, 1041);
        if (context == nullptr) return nullptr;
        const char16_t help[] = u"C:\\drv\\KV416SJ.CHM";
        std::char_traits<char16_t>::copy(context->helpPath, help, std::size(help));
        context->resultBlock = context->defaultBlock;
        return context;
    };
    run.prepare = prepare;
    run.release = [](UiContext* context) { UiPoolDestroy(context->pool); };
    HWND sheetWindow = nullptr;
    standin::ui::OnModalDialog([&](HWND dialog) {
        if (sheetWindow == nullptr) {
            sheetWindow = dialog;
            auto page = reinterpret_cast<HWND>(SendMessageW(dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
            EXPECT_NE(PageRecordOf(page), nullptr);
            if (PageRecordOf(page) != nullptr && drive) drive(dialog, page);
            // Posted, so that OK is pressed only when the drive step left the sheet running: a
            // sheet ended inside it (Cancel) is gone before the message would be read.
            PostMessageW(dialog, PSM_PRESSBUTTON, PSBTN_OK, 0);
            return;
        }
        if (dialogScripts_.empty()) {
            ADD_FAILURE() << "a dialog opened that the test did not expect";
            EndDialog(dialog, 0);
            return;
        }
        auto script = std::move(dialogScripts_.front());
        dialogScripts_.pop_front();
        script(dialog);
    });
    SheetOutcome outcome;
    outcome.answer = run.Run();
    outcome.results.assign(run.results.begin(), run.results.end());
    outcome.resultBlocks = run.resultBlocks;
    standin::ui::OnModalDialog(nullptr);
    EXPECT_TRUE(dialogScripts_.empty()) << "a scripted dialog never opened";
    dialogScripts_.clear();
    return outcome;
}

void Page1Test::Click(HWND page, int control) {
    HWND button = GetDlgItem(page, control);
    ASSERT_NE(button, nullptr);
    SendMessageW(page, WM_COMMAND, static_cast<WPARAM>(control), reinterpret_cast<LPARAM>(button));
}

void Page1Test::SetAndNotify(HWND page, int control, bool checked) {
    CheckDlgButton(page, control, checked ? BST_CHECKED : BST_UNCHECKED);
    Click(page, control);
}

void Page1Test::ClickCategory(HWND page, int index) {
    HWND list = GetDlgItem(page, kCategoryList);
    RECT rect{};
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)), LB_ERR);
    RECT client{};
    GetClientRect(list, &client);
    if (rect.bottom > client.bottom) {  // scrolled into view first, as a user scrolls
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    }
    standin::ui::ClickAt(list, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void Page1Test::Type(HWND page, int control, const std::u16string& text) {
    HWND edit = GetDlgItem(page, control);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    standin::ui::TypeText(edit, text);
}

int Page1Test::SelectedPreset(HWND page) {
    return static_cast<int>(
        SendDlgItemMessageW(page, kPagePresetList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::u16string Page1Test::Text(UINT id) const {
    WCHAR text[256] = {};
    LoadStringW(japanese_, id, text, 256);
    return text;
}

std::vector<std::u16string> Page1Test::MessageTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& call : standin::ui::MessageBoxes()) texts.push_back(call.text);
    return texts;
}

std::filesystem::path Page1Test::OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_page1";
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace kvuipage1
