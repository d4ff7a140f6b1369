// What page three opens: the sub-dialog of each button item (also by a double click in the
// tree), the context menu with its items enabled by what the sheet may do, its commands, the
// help, and the page's pictures in both languages.
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_common/ContextMenuCases.h"
#include "tests/kvui_page3/Page3Fixture.h"
#include "ui/tree/SettingsTree.h"

namespace kvuipage3 {
namespace {

using Commands = Page3Test;

// The template of a dialog, told by a control that only it holds.
int TemplateOf(HWND dialog) {
    constexpr std::pair<int, int> kMarks[] = {{kPositionPicture, kPositionDialogTemplate},
                                              {kPositionTopEdit, kNupPositionDialogTemplate},
                                              {kOverlayFileCombo, kOverlayDialogTemplate},
                                              {kCloseButton, kSettingsListTemplate},
                                              {kStatusWaitText, kStatusWaitBoxTemplate},
                                              {kPresetDialogList, kPresetDialogTemplate}};
    for (const auto& [control, id] : kMarks) {
        if (GetDlgItem(dialog, control) != nullptr) return id;
    }
    return 0;
}

struct ButtonCase {
    int item;
    UINT label;
    BYTE nupDown;
    BYTE nupAcross;
    int dialog;  // 0: none shows
};

constexpr ButtonCase kButtonCases[] = {
    {kPrintPositionTreeItem, kPrintPositionButtonText, 1, 1, kPositionDialogTemplate},
    {kPrintPositionTreeItem, kPrintPositionButtonText, 2, 1, kNupPositionDialogTemplate},
    {kFormOverlayTreeItem, kFormOverlayButtonText, 1, 1, kOverlayDialogTemplate},
    // The sample printer reports no status: the wait box ends before it shows.
    {kReadPrinterStatusTreeItem, kReadStatusButtonText, 1, 1, 0},
};

TEST_F(Commands, ButtonItemsOpenTheirDialogsByTheButtonAndByADoubleClick) {
    for (const ButtonCase& c : kButtonCases) {
        SCOPED_TRACE(c.dialog);
        std::vector<int> opened;
        subDialog_ = [&](HWND dialog) {
            opened.push_back(TemplateOf(dialog));
            EndDialog(dialog, IDCANCEL);
        };
        RunPage(nullptr, [&](Page& page) {
            // The resolver may take the counts back after a dialog: they are set before each.
            const auto setCounts = [&] {
                page.context->workingBlock.NupDown = c.nupDown;
                page.context->workingBlock.NupAcross = c.nupAcross;
            };
            setCounts();
            ASSERT_TRUE(ClickTreeItem(page, c.item));
            EXPECT_TRUE(Visible(page.dialog, kItemButton));
            EXPECT_FALSE(Visible(page.dialog, kItemList));
            EXPECT_EQ(TextOf(page.dialog, kItemButton), String(c.label));
            ClickButton(page, kItemButton);
            setCounts();
            ASSERT_TRUE(DoubleClickTreeItem(page, c.item));
        }, false);
        const std::vector<int> expected = c.dialog == 0 ? std::vector<int>{} : std::vector<int>{c.dialog, c.dialog};
        EXPECT_EQ(opened, expected);
    }
}

TEST_F(Commands, TheContextMenuEnablesWhatTheSheetMayDo) {
    for (const kvtest::MenuCase& c : kvtest::ContextMenuCases()) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<UINT, bool>> seen;
        kvtest::RecordMenuItems(c, &seen);
        RunPage(nullptr, [&](Page& page) {
            kvtest::ApplyMenuCase(page.context, c);
            SendMessageW(page.dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page.record->tree), -1);
        }, false);
        EXPECT_EQ(seen, c.items);
    }
}

TEST_F(Commands, RestoringDefaultsAsksAndTakesThePrintersDefaults) {
    for (const int answer : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(answer);
        standin::ui::ResetShell();
        standin::ui::OnMessageBox([&](const standin::ui::MessageBoxCall&) { return answer; });
        bool defaultSet = false;
        const SheetOutcome outcome = RunPage(nullptr, [&](Page& page) {
            defaultSet = (page.context->defaultBlock.FeatureFlags & (1u << 10)) != 0;
            page.context->workingBlock.FeatureFlags ^= 1u << 10;
            ASSERT_TRUE(ClickTreeItem(page, kTonerSaveTreeItem));
            standin::ui::OnTrackPopupMenu([](HMENU, HWND) -> UINT { return kRestoreDefaultsItem; });
            SendMessageW(page.dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page.dialog), MAKELONG(10, 10));
            Pump();
            EXPECT_EQ(TextOf(page.dialog, kHintText), String(answer == IDOK ? kDefaultsRestoredHint : kTonerSaveHint));
            EXPECT_NE(page.context->workingBlock.OptionFlags & kOptionPageActive, 0u);
        });
        ASSERT_FALSE(outcome.resultBlocks.empty());
        EXPECT_EQ((outcome.resultBlocks.back().FeatureFlags & (1u << 10)) != 0, answer == IDOK ? defaultSet : !defaultSet);
        ASSERT_EQ(standin::ui::MessageBoxes().size(), 1u);
        EXPECT_EQ(standin::ui::MessageBoxes()[0].text, String(kRestoreDefaultsMessage));
    }
}

TEST_F(Commands, TheSettingsListShowsTheFullTreeAndThePresetDialogOpens) {
    std::vector<int> opened;
    DWORD flagsWhileOpen = 0;
    PageRecord* record = nullptr;
    subDialog_ = [&](HWND dialog) {
        opened.push_back(TemplateOf(dialog));
        if (record != nullptr) flagsWhileOpen = record->flags;
        EndDialog(dialog, 0);
    };
    RunPage(nullptr, [&](Page& page) {
        record = page.record;
        standin::ui::OnTrackPopupMenu([](HMENU, HWND) -> UINT { return kSavePresetButton; });
        SendMessageW(page.dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page.dialog), -1);
        Pump();
        page.context->workingBlock.OptionFlags |= 0x10000u;
        standin::ui::OnTrackPopupMenu([](HMENU, HWND) -> UINT { return kSettingsListButton; });
        SendMessageW(page.dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page.dialog), -1);
        Pump();
        EXPECT_EQ(page.record->flags & kPageFlagTreeLayout, 0u);
    }, false);
    EXPECT_EQ(opened, (std::vector<int>{kPresetDialogTemplate, kSettingsListTemplate}));
    EXPECT_NE(flagsWhileOpen & kPageFlagTreeLayout, 0u);
}

TEST_F(Commands, HelpFollowsTheShownItem) {
    RunPage(nullptr, [&](Page& page) {
        ASSERT_TRUE(ClickTreeItem(page, kTonerSaveTreeItem));
        HELPINFO help{};
        help.cbSize = sizeof help;
        help.iContextType = HELPINFO_WINDOW;
        help.hItemHandle = GetDlgItem(page.dialog, kItemList);
        SendMessageW(page.dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        NMHDR note{page.sheet, 0, PSN_HELP};
        SendMessageW(page.dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
        const std::vector<standin::ui::HelpCall> calls = standin::ui::HelpCalls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].command, HH_TP_HELP_WM_HELP);
        const auto* ids = reinterpret_cast<const DWORD*>(calls[0].data);
        ASSERT_NE(ids, nullptr);
        bool listFound = false;
        for (; ids[0] != 0; ids += 2) {
            if (ids[0] == kItemList) listFound = ids[1] == 300;
        }
        EXPECT_TRUE(listFound);
        EXPECT_EQ(calls[1].command, HH_HELP_CONTEXT);
        EXPECT_EQ(calls[1].data, 3u);
        EXPECT_EQ(calls[1].caller, GetDesktopWindow());
    }, false);
}

TEST_F(Commands, PicturesOfThePageInBothLanguages) {
    for (const DWORD locale : {1033u, 1041u}) {
        SetLocale(locale);
        const std::string suffix = locale == 1041 ? "ja" : "en";
        RunPage(nullptr, [&](Page& page) {
            ASSERT_TRUE(ClickTreeItem(page, kTonerSaveTreeItem));
            EXPECT_EQ(TextOf(page.dialog, kItemLabel), String(kTonerSaveTreeItem) + u"(&B)");
            standin::ui::Paint(page.sheet);
            EXPECT_TRUE(SavePicture(page.sheet, "page3-toner-" + suffix));
            ASSERT_TRUE(ClickTreeItem(page, kPrinterTreeItem));
            standin::ui::Paint(page.sheet);
            EXPECT_TRUE(SavePicture(page.sheet, "page3-version-" + suffix));
        }, false);
    }
}

}  // namespace
}  // namespace kvuipage3
