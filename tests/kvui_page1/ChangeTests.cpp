// What page one's controls do to the working settings as a user changes them: the category
// list with the checks of the panel it leaves, the layout, the duplex prompts, the output
// destination, and the page refusing to be left with an edit out of range.
#include <string>

#include "platform/Controls.h"
#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_page1/Page1Fixture.h"
#include "ui/dialogs/Finishing.h"

namespace kvuipage1 {
namespace {

int ComboIndexOfData(HWND page, int combo, LPARAM data) {
    const int count = static_cast<int>(SendDlgItemMessageW(page, combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (SendDlgItemMessageW(page, combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) return i;
    }
    return -1;
}

TEST_F(Page1Test, LeavingTheCountsPanelNeedsBothCountsInRange) {
    struct Case {
        std::u16string pages;
        std::u16string jobs;
        UINT warning;  // 0: the panel is left
    };
    for (const Case& c : {Case{u"7", u"2", kSplitPagesRangeMessage}, Case{u"1", u"2", kSplitPagesRangeMessage},
                          Case{u"3", u"0", kSplitJobsRangeMessage}, Case{u"3", u"6", 0}}) {
        SCOPED_TRACE(testing::Message() << "counts " << std::string(c.pages.begin(), c.pages.end()) << "/"
                                        << std::string(c.jobs.begin(), c.jobs.end()));
        standin::ui::ResetShell();
        RunSheet([](UiContext* context) { context->workingBlock.CategoryIndex = 1; },
                 [&](HWND, HWND page) {
                     Type(page, kSplitPagesEdit, c.pages);
                     Type(page, kSplitJobsEdit, c.jobs);
                     ClickCategory(page, 0);
                     const int expected = c.warning != 0 ? 1 : 0;
                     EXPECT_EQ(Working(page).CategoryIndex, expected);
                     EXPECT_EQ(SendDlgItemMessageW(page, kCategoryList, LB_GETCURSEL, 0, 0), expected);
                     if (c.warning != 0) {
                         EXPECT_EQ(GetFocus(), GetDlgItem(page, c.warning == kSplitPagesRangeMessage ? kSplitPagesEdit
                                                                                                     : kSplitJobsEdit));
                         ClickCategory(page, 1);  // the same category: nothing is checked again
                         Type(page, kSplitPagesEdit, u"2");
                         Type(page, kSplitJobsEdit, u"1");
                     }
                 });
        const auto texts = MessageTexts();
        EXPECT_EQ(texts, c.warning != 0 ? std::vector<std::u16string>{Text(c.warning)} : std::vector<std::u16string>{});
        EXPECT_EQ(standin::ui::Beeps().size(), c.warning != 0 ? 1u : 0u);
    }
}

TEST_F(Page1Test, PagesPerSheetSetsThePrintAreaOnlyWhenOnePageIsEnteredOrLeft) {
    struct Case {
        WORD from;
        WORD to;
        LONG area[4];  // the expected area; the prepared one is {11, 12, 13, 14}
    };
    for (const Case& c : {Case{2, 1, {0, 127, 0, 127}}, Case{1, 2, {50, 177, 50, 177}}, Case{2, 4, {11, 12, 13, 14}}}) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        WORD mode = 0;
        WORD shadow = 0;
        LONG area[4] = {};
        RunSheet([&](UiContext* context) { context->workingBlock.PagesPerSheet = context->workingBlock.SavedPagesPerSheet = c.from; }, [&](HWND, HWND page) {
            DriverDevMode& block = Working(page);
            ASSERT_EQ(block.PagesPerSheet, c.from);
            block.TopMargin = 11;
            block.LeftMargin = 12;
            block.TopMarginEven = 13;
            block.LeftMarginEven = 14;
            const int item = ComboIndexOfData(page, kPagesPerSheetList, kPagesPerSheetTextBase + c.to);
            ASSERT_GE(item, 0);
            standin::ui::ChooseComboItem(GetDlgItem(page, kPagesPerSheetList), item);
            mode = block.PagesPerSheet;
            shadow = block.SavedPagesPerSheet;
            area[0] = block.TopMargin;
            area[1] = block.LeftMargin;
            area[2] = block.TopMarginEven;
            area[3] = block.LeftMarginEven;
        });
        EXPECT_EQ(mode, c.to);
        EXPECT_EQ(shadow, c.to);
        EXPECT_EQ(std::vector<LONG>(area, area + 4), std::vector<LONG>(c.area, c.area + 4));
    }
}

// A long-edge duplex against a first finishing position it cannot keep: the prompt asks once
// and its answer decides whether the position is given up (with its warning). Validation then
// forces simplex on this printer, and the page shows the forced value.
TEST_F(Page1Test, DuplexAgainstAFinishingPositionFollowsThePromptsAnswer) {
    struct Case {
        INT_PTR answer;
        SHORT duplex;
        BYTE position;
        std::vector<UINT> warnings;
    };
    constexpr BYTE kConflicting = 2;  // portrait, long edge
    for (const Case& c : {Case{kConflictGoOn, 1, kConflicting, {}}, Case{kConflictGiveUp, 1, kConflicting, {}},
                          Case{kConflictAlternative, 1, 0, {kDuplexAgainstFirstMessage}}}) {
        SCOPED_TRACE(c.answer);
        standin::ui::ResetShell();
        int prompts = 0;
        OnNextDialog([&](HWND prompt) {
            ++prompts;
            EndDialog(prompt, c.answer);
        });
        SHORT duplex = 0;
        BYTE position = 0;
        bool shownSimplex = false;
        // With a duplex unit installed and the first tray, so that the resolver keeps what the page sets.
        RunSheet(
            [](UiContext* context) {
                DriverDevMode& block = context->workingBlock;
                block.DeviceSlots[8].State |= 0x8;
                block.Public.dmDefaultSource = block.SavedDefaultSource = 1;
            },
            [&](HWND, HWND page) {
            DriverDevMode& block = Working(page);
            ASSERT_EQ(block.Public.dmDuplex, DMDUP_SIMPLEX);
            block.Public.dmOrientation = DMORIENT_PORTRAIT;
            block.PagesPerSheet = 1;
            block.CoverFlags |= kOutputFirstChosen;
            block.FinishPosition1 = kConflicting;
            SetAndNotify(page, kDuplexOffRadio, false);
            SetAndNotify(page, kDuplexLongEdgeRadio, true);
            duplex = block.Public.dmDuplex;
            position = block.FinishPosition1;
            shownSimplex = IsDlgButtonChecked(page, kDuplexOffRadio) == BST_CHECKED &&
                           IsDlgButtonChecked(page, kDuplexLongEdgeRadio) != BST_CHECKED;
        });
        EXPECT_EQ(prompts, 1);
        EXPECT_EQ(duplex, c.duplex);
        EXPECT_EQ(position, c.position);
        std::vector<std::u16string> expected;
        for (UINT id : c.warnings) expected.push_back(Text(id));
        EXPECT_EQ(MessageTexts(), expected);
        EXPECT_EQ(shownSimplex, true);
    }
}

// Every destination the page knows, whichever of them the list offers: validation brings this
// printer back to the printer itself, and the list shows where the settings now send the job.
TEST_F(Page1Test, EachOutputDestinationEndsAsValidationLeavesIt) {
    struct Case {
        int item;
    };
    for (const Case& c :
         {Case{kRelaydockDestinationText}, Case{kPrinterAndHoldDestinationText}, Case{kFolderDestinationText},
          Case{kJobFileDestinationText}, Case{kJobFileAndPrinterDestinationText}}) {
        SCOPED_TRACE(c.item);
        DWORD features = 0;
        WORD relaydock = 0;
        WORD destination = 0xFFFF;
        RunSheet([](UiContext* context) { context->workingBlock.CategoryIndex = 2; },
                 [&](HWND, HWND page) {
                     DriverDevMode& block = Working(page);
                     HWND combo = GetDlgItem(page, kDestinationCombo);
                     int item = ComboIndexOfData(page, kDestinationCombo, c.item);
                     if (item < 0) {
                         item = static_cast<int>(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"x")));
                         SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), c.item);
                     }
                     // The page fills the list again from what the choice set.
                     standin::ui::ChooseComboItem(combo, item);
                     features = block.FeatureFlags;
                     relaydock = block.RelaydockFlags;
                     destination = block.OutputDestination;
                     const LPARAM shown = SendMessageW(combo, CB_GETITEMDATA, SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
                     EXPECT_EQ(shown, (relaydock & 0x1) != 0 ? kRelaydockDestinationText : kPrinterDestinationText);
                 });
        EXPECT_EQ(features & 0x20, 0u);
        EXPECT_EQ(destination, 0);
    }
}

TEST_F(Page1Test, AShiftOutOfRangeKeepsThePage) {
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
    int shownTemplate = 0;
    RunSheet(nullptr, [&](HWND sheet, HWND page) {
        SetWindowTextW(GetDlgItem(page, kBindingShiftEdit), u"25");
        standin::ui::ClickSheetTab(sheet, 1);
        auto current = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        shownTemplate = PageRecordOf(current) != nullptr ? PageRecordOf(current)->templateId : 0;
        SetWindowTextW(GetDlgItem(page, kBindingShiftEdit), u"20");
    });
    EXPECT_EQ(shownTemplate, kDocumentPage1Template);
    EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{Text(kBindingShiftRangeMessage)});
}

}  // namespace
}  // namespace kvuipage1
