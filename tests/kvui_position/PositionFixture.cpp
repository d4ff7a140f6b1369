#include "tests/kvui_position/PositionFixture.h"
#include "tests/kvui_common/SampleSetUp.h"

#include "platform/Controls.h"
#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/Spooler.h"
#include "resources/ui/ControlIds.h"
#include "settings/ModelCache.h"
#include "tools/sample/SamplePrinter.h"

namespace kvuiposition {

void PositionTest::SetUp() {
    StandInTest::SetUp();
    kvtest::ResetUiTest();
    ASSERT_NO_FATAL_FAILURE(kvtest::InstallAndOpenSamplePrinter(&printer_));
    context_ = CreateUiContext(printer_, nullptr);
    ASSERT_NE(context_, nullptr);
    ASSERT_NE(context_->languageLibrary, nullptr);
    context_->flags |= kUiDocumentSheet | kUiMayChange;
    page_.context = context_;
    page_.templateId = kDocumentPage3Template;
    liveGdiObjects_ = standin::ui::LiveGdiObjectCount();
}

void PositionTest::TearDown() {
    standin::ui::OnModalDialog(nullptr);
    standin::ui::OnMessageBox(nullptr);
    EXPECT_EQ(page_.position, nullptr);
    EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveGdiObjects_);
    standin::ui::ResetUi();
    ReleaseUiContext(context_);
    if (printer_ != nullptr) ClosePrinter(printer_);
    FreeSettingsLock();
    StandInTest::TearDown();
}

INT_PTR PositionTest::Open(const std::function<void(HWND dialog)>& script) {
    standin::ui::OnModalDialog([script](HWND dialog) {
        standin::ui::OnModalDialog(nullptr);
        script(dialog);
    });
    return ShowPrintPositionDialog(&page_, nullptr);
}

std::u16string PositionTest::Text(HWND dialog, int id) {
    WCHAR text[80] = {};
    GetDlgItemTextW(dialog, id, text, 80);
    return text;
}

void PositionTest::Type(HWND dialog, int id, const std::u16string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    standin::ui::TypeText(edit, text);
}

void PositionTest::LeaveEdit(HWND dialog) { SetFocus(GetDlgItem(dialog, IDOK)); }

void PositionTest::Click(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    RECT r{};
    GetClientRect(control, &r);
    standin::ui::ClickAt(control, r.right / 2, r.bottom / 2);
}

std::filesystem::path PositionTest::OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "kvui_position";
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace kvuiposition
