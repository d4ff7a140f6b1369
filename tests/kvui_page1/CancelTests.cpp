// Cancel takes nothing: a change on any page of the sheet and then Cancel hands no result
// back, and a sub-dialog that a user changes and cancels leaves the settings and the stored
// presets as they were.
#include <cstring>
#include <functional>
#include <vector>

#include "platform/Spooler.h"
#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_page1/Page1Fixture.h"
#include "ui/dialogs/JobFileDialog.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuipage1 {
namespace {

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

struct CancelCase {
    const char* what;
    int tab;                                   // the page the change is made on
    std::function<void(HWND page)> change;     // a change the page takes, or the opening of a sub-dialog
    std::function<void(HWND dialog)> dialog;   // the sub-dialog: a change, then Cancel (none: no sub-dialog)
};

TEST_F(Page1Test, CancelOnEveryPageAndInEveryDialogTakesNothing) {
    const CancelCase cases[] = {
        {"page one", 0, [](HWND page) { Working(page).PagesPerSheet = 4; }, {}},
        {"page two", 1, [](HWND page) { Working(page).Public.dmCopies = 7; }, {}},
        {"page three", 2, [](HWND page) { Working(page).FeatureFlags ^= 1u << 10; }, {}},
        {"preset dialog", 0, [](HWND page) { Click(page, kPagePresetSaveButton); },
         [](HWND dialog) {
             standin::ui::TypeText(GetDlgItem(dialog, kPresetDialogNameEdit), u"Never kept");
             standin::ui::ClickAt(GetDlgItem(dialog, IDCANCEL), 3, 3);
         }},
        {"job file dialog", 0, [](HWND page) { Click(page, kJobFileFolderButton); },
         [](HWND dialog) {
             standin::ui::ClickAt(GetDlgItem(dialog, kJobFolderCheck), 3, 3);
             standin::ui::TypeText(GetDlgItem(dialog, kJobFolderEdit), u"C:\\elsewhere");
             standin::ui::ClickAt(GetDlgItem(dialog, IDCANCEL), 3, 3);
         }},
    };
    // The page stores its preset list whenever it closes; a first sheet stores it as it starts.
    RunSheet(nullptr, [](HWND sheet, HWND) { SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    for (const CancelCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<BYTE> presets = StoredPresetTable(printer_);
        if (c.dialog) OnNextDialog(c.dialog);
        bool dialogKeptTheBlock = true;
        const SheetOutcome outcome = RunSheet(nullptr, [&](HWND sheet, HWND) {
            if (c.tab != 0) standin::ui::ClickSheetTab(sheet, c.tab);
            HWND page = CurrentPage(sheet);
            const DriverDevMode before = Working(page);
            c.change(page);
            if (c.dialog) dialogKeptTheBlock = std::memcmp(&before, &Working(page), sizeof before) == 0;
            SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_TRUE(dialogKeptTheBlock);
        EXPECT_TRUE(outcome.results.empty());
        EXPECT_TRUE(outcome.resultBlocks.empty());
        EXPECT_EQ(StoredPresetTable(printer_), presets);
    }
}

}  // namespace
}  // namespace kvuipage1
