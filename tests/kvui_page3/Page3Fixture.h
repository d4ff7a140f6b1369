#pragma once
// Document page three as a user meets it: the document sheet of the sample printer opened
// through the common property sheet library (with an application's settings when given), its
// third tab clicked, the test's steps run on the page, and the sheet closed with OK or Cancel.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/DevMode.h"
#include "tests/support/TestRoot.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace kvuipage3 {

/// What the sheet handed back.
struct SheetOutcome {
    LONG answer = 0;
    std::vector<LONG_PTR> results;             // CPSFUNC_SET_RESULT results, one per applied page
    std::vector<DriverDevMode> resultBlocks;   // the context's result block at each
    bool pageShown = false;                    // the steps ran on page three
};

/// The page the steps run on.
struct Page {
    HWND sheet;
    HWND dialog;
    PageRecord* record;
    UiContext* context;
};

class Page3Test : public kvtest::StandInTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Opens the sheet (settings: an application's DEVMODE, or NULL), runs the steps on page
    /// three and presses OK when `ok`, else Cancel. `prepare` may change the context before the
    /// pages are made (as settings an open sheet already holds).
    SheetOutcome RunPage(const DEVMODEW* settings, const std::function<void(Page&)>& steps, bool ok = true,
                         const std::function<void(UiContext*)>& prepare = {});
    /// The user's locale (1033 or 1041) that picks the language library of the next sheet.
    void SetLocale(DWORD locale);

    // What a user does on the page.
    /// Clicks the settings-tree item of that id (scrolled into view first); false when the
    /// tree does not show it.
    static bool ClickTreeItem(const Page& page, int itemId);
    static bool DoubleClickTreeItem(const Page& page, int itemId);
    /// Clicks the entry of kItemList whose value (high word of its data) is that string id.
    static bool ClickEntry(const Page& page, WORD value);
    static void ClickButton(const Page& page, int id);
    /// Whether the tree's selection is the item of that id.
    static bool SelectedTreeItemIs(const Page& page, int itemId);
    /// Runs the messages the page posted to itself.
    static void Pump();

    // What the page shows.
    static std::u16string TextOf(HWND dialog, int id);
    static bool Visible(HWND dialog, int id);
    static bool Enabled(HWND dialog, int id);
    /// The values (high words) of kItemList's entries, and the selected one (0 for none).
    static std::vector<DWORD> EntryData(HWND dialog);
    static WORD SelectedValue(HWND dialog);
    std::u16string String(UINT id) const;
    /// Saves the window's picture as <name>.png in the test's output folder.
    static bool SavePicture(HWND window, const std::string& name);

    /// Runs each sub-dialog the page opens (with the dialog); without it a sub-dialog fails
    /// the test and is cancelled.
    std::function<void(HWND)> subDialog_;
    /// The language library of each locale, for the texts the page should show.
    HMODULE english_ = nullptr;
    HMODULE japanese_ = nullptr;
    DWORD locale_ = 1041;

    HANDLE printer_ = nullptr;
    HMODULE resources_ = nullptr;
    HMODULE htui_ = nullptr;
    const ModelDescription* model_ = nullptr;
};

}  // namespace kvuipage3
