// The settings tree in its own dialogs: the settings list and the preset confirmation show
// the working block's tree, lend it to the opener's record while they are up, and end with
// their buttons' results, in both languages, with their pictures.
#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "tests/kvui_finish/FinishFixture.h"
#include "ui/tree/SettingsTree.h"
#include "ui/dialogs/TreeDialogs.h"

namespace kvuifinish {
namespace {

class TreeDialogs : public DialogTest {
protected:
    struct Seen {
        HWND tree = nullptr;
        HWND openerTree = nullptr;
        size_t rows = 0;
        std::u16string title;
        HTREEITEM selected = nullptr;
        HTREEITEM root = nullptr;
    };
    INT_PTR Run(bool preset, int button, Seen& seen, const std::string& picture = {}) {
        return Drive([&] { return preset ? ShowPresetTreeDialog(&page_, nullptr) : ShowSettingsTreeDialog(&page_, nullptr); },
                     [&](HWND dialog, int) {
                         seen.tree = GetDlgItem(dialog, kTreePlaceholder);
                         seen.openerTree = page_.tree;
                         seen.rows = static_cast<size_t>(SendMessageW(seen.tree, TVM_GETCOUNT, 0, 0));
                         seen.root = reinterpret_cast<HTREEITEM>(SendMessageW(seen.tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
                         seen.selected = reinterpret_cast<HTREEITEM>(SendMessageW(seen.tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
                         WCHAR title[128] = {};
                         GetWindowTextW(dialog, title, 128);
                         seen.title = title;
                         if (!picture.empty()) {
                             EXPECT_TRUE(SavePicture(dialog, picture));
                         }
                         Click(dialog, button);
                     });
    }
};

TEST_F(TreeDialogs, SettingsListShowsTheTreeAndClosesWithOne) {
    for (bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "ja" : "en");
        UseLanguage(japanese);
        Seen seen;
        EXPECT_EQ(Run(false, kCloseButton, seen, japanese ? "settings-list-ja" : "settings-list-en"), 1);
        ASSERT_NE(seen.tree, nullptr);
        EXPECT_EQ(seen.openerTree, seen.tree);
        EXPECT_GT(seen.rows, 0u);
        EXPECT_LE(seen.rows, BasicTreeLayout().size());
        EXPECT_EQ(seen.selected, seen.root);
        EXPECT_EQ(page_.tree, nullptr);
        EXPECT_EQ(page_.treeState, nullptr);
    }
    // The template has no Cancel button; Esc closes it too.
    const INT_PTR result = Drive([&] { return ShowSettingsTreeDialog(&page_, nullptr); },
                                 [](HWND dialog, int) { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(result, 1);
}

TEST_F(TreeDialogs, TheOpenersOwnTreeComesBack) {
    HWND own = CreateWindowExW(0, WC_STATICW, u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    page_.tree = own;
    Seen seen;
    EXPECT_EQ(Run(false, kCloseButton, seen), 1);
    EXPECT_NE(seen.openerTree, own);
    EXPECT_EQ(page_.tree, own);
    DestroyWindow(own);
}

TEST_F(TreeDialogs, PresetConfirmationAsksWithThePrinterName) {
    const std::u16string printerName = ModelString(model_, model_->PrinterName);
    for (bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "ja" : "en");
        UseLanguage(japanese);
        Seen seen;
        EXPECT_EQ(Run(true, IDOK, seen, japanese ? "preset-confirm-ja" : "preset-confirm-en"), 1);
        EXPECT_EQ(seen.title, printerName);
        EXPECT_GT(seen.rows, 0u);
        EXPECT_EQ(page_.tree, nullptr);
        Seen cancelled;
        EXPECT_EQ(Run(true, IDCANCEL, cancelled), 0);
        EXPECT_EQ(page_.tree, nullptr);
    }
}

}  // namespace
}  // namespace kvuifinish
