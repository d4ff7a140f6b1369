#pragma once
// Document page one in the document sheet of the sample printer, opened through the common
// property sheet library as an application opens it: the test prepares the context, drives
// the page inside the sheet's modal loop, and gets what OK handed back.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/StandInShell.h"
#include "tests/support/TestRoot.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuipage1 {

/// The feature flag of the result block that prints the owner's name.
constexpr DWORD kPrintOwnerName = 1u << 21;

/// The printer's stored preset table as its bytes; empty when it has none.
std::vector<BYTE> StoredPresetTable(HANDLE printer);

/// What one run of the sheet gave.
struct SheetOutcome {
    LONG answer = 0;                           // CommonPropertySheetUIW's
    std::vector<LPARAM> results;               // SET_RESULT calls
    std::vector<DriverDevMode> resultBlocks;   // the result block at each
};

class Page1Test : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Opens the document sheet with `language` (this fixture's english_ or japanese_);
    /// `prepare` changes the new context before the pages are built; `drive` runs inside the
    /// sheet's loop with the sheet and page one's window, then OK is pressed unless `drive`
    /// ended the sheet.
    SheetOutcome RunSheet(const std::function<void(UiContext*)>& prepare,
                          const std::function<void(HWND sheet, HWND page)>& drive, HMODULE language = nullptr);
    /// The next modal dialog opened inside the sheet runs this script (in order of opening).
    void OnNextDialog(std::function<void(HWND dialog)> script) { dialogScripts_.push_back(std::move(script)); }

    /// The page's record, its context and the working block while the sheet is up.
    static PageRecord* Record(HWND page) { return PageRecordOf(page); }
    static DriverDevMode& Working(HWND page) { return PageRecordOf(page)->context->workingBlock; }

    /// A click on a button, a check of a radio or check box that the page hides (as a user
    /// of the settings would set it), an item of the category list, a typed edit.
    static void Click(HWND page, int control);
    static void SetAndNotify(HWND page, int control, bool checked);
    static void ClickCategory(HWND page, int index);
    static void Type(HWND page, int control, const std::u16string& text);
    static int SelectedPreset(HWND page);

    std::u16string Text(UINT id) const;
    std::vector<std::u16string> MessageTexts() const;
    static std::filesystem::path OutputFolder();

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE english_ = nullptr;
    HMODULE japanese_ = nullptr;
    HMODULE htui_ = nullptr;
    const ModelDescription* model_ = nullptr;
    std::deque<std::function<void(HWND)>> dialogScripts_;
};

}  // namespace kvuipage1
