#pragma once
// Fixture of the shared page routines: the sample printer with the status manager stand-in
// (the status tests' fixture), the library's resources, a sheet context of the sample printer
// with a page record, and a page window made from a template of the language library.
#include <filesystem>

#include "tests/kvui_status/StatusSheetFixture.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuicommon {

class CommonTest : public kvuitest::StatusSheetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// A page of the template (kDocumentPage1Template or kDocumentPage2Template) over the
    /// record, as the sheet would show it.
    HWND OpenPage(int templateId);
    DriverDevMode& Working() { return context_->workingBlock; }
    /// The folder the tests write their pictures into.
    static std::filesystem::path OutputFolder();

    HMODULE language_ = nullptr;
    const ModelDescription* model_ = nullptr;
    UiContext* context_ = nullptr;
    PageRecord page_{};
    HWND host_ = nullptr;
    HWND pageWindow_ = nullptr;
};

/// A dialog's text, a control's text.
std::u16string TextOf(HWND window);
std::u16string ItemText(HWND dialog, int id);
/// A language-library string of the sample printer's library.
std::u16string LanguageString(HMODULE library, UINT id);

/// A message to a control of the dialog.
inline LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

/// The text of a combo box's entry.
inline std::u16string ComboText(HWND dialog, int id, LRESULT index) {
    WCHAR text[256] = {};
    Send(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace kvuicommon
