// Page one's commands as a user gives them: the context menu with what the sheet may do, the
// restore of the defaults from the menu and the button, the print modes with their warnings,
// and the stamp's own text typed into its edit.
#include <algorithm>
#include <iterator>
#include <string>

#include "platform/Controls.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_common/ContextMenuCases.h"
#include "tests/kvui_page1/Page1Fixture.h"
#include "ui/dialogs/Finishing.h"

namespace kvuipage1 {
namespace {

constexpr DWORD kOwnStampText = 8;

std::u16string TextOf(HWND page, int control) {
    WCHAR text[256] = {};
    GetDlgItemTextW(page, control, text, 256);
    return text;
}

TEST_F(Page1Test, TheContextMenuEnablesWhatTheSheetMayDo) {
    for (const kvtest::MenuCase& c : kvtest::ContextMenuCases()) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<UINT, bool>> seen;
        kvtest::RecordMenuItems(c, &seen);
        RunSheet(nullptr, [&](HWND, HWND page) {
            kvtest::ApplyMenuCase(Record(page)->context, c);
            SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(page, kCategoryList)), -1);
        });
        EXPECT_EQ(seen, c.items);
    }
}

// The defaults come back only when the user confirms, from the menu as from the button; an
// owner name they bring that the printer cannot take is refused with its warning.
TEST_F(Page1Test, RestoringTheDefaultsAsksAndChecksTheOwnerName) {
    struct Case {
        const char* name;
        int answer;
        bool fromMenu;
        const char16_t* ownerName;
        std::vector<UINT> messages;
    };
    const Case cases[] = {
        {"menu, confirmed", IDOK, true, u"Yamada", {kRestoreDefaultsMessage}},
        {"button, confirmed", IDOK, false, u"Yamada", {kRestoreDefaultsMessage}},
        {"cancelled", IDCANCEL, true, u"Yamada", {kRestoreDefaultsMessage}},
        {"confirmed, refused name", IDOK, false, u"Ya\"mada", {kRestoreDefaultsMessage, kUserNameCharactersMessage}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ui::ResetShell();
        standin::ui::OnMessageBox([&](const standin::ui::MessageBoxCall&) { return c.answer; });
        standin::ui::OnTrackPopupMenu([](HMENU, HWND) -> UINT { return kRestoreDefaultsItem; });
        SHORT copies = 0;
        int category = -1;
        std::u16string hint;
        const SheetOutcome outcome = RunSheet(
            [&](UiContext* context) {
                DriverDevMode& defaults = context->defaultBlock;
                defaults.FeatureFlags |= kPrintOwnerName;
                std::fill(std::begin(defaults.UserName1), std::end(defaults.UserName1), u'\0');
                std::char_traits<char16_t>::copy(defaults.UserName1, c.ownerName,
                                                 std::char_traits<char16_t>::length(c.ownerName));
                context->workingBlock.CategoryIndex = 2;
                context->workingBlock.Public.dmCopies = 4;
            },
            [&](HWND, HWND page) {
                if (c.fromMenu) {
                    SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), MAKELONG(20, 20));
                } else {
                    Click(page, kPageDefaultsButton);
                }
                copies = Working(page).Public.dmCopies;
                category = static_cast<int>(SendDlgItemMessageW(page, kCategoryList, LB_GETCURSEL, 0, 0));
                hint = TextOf(page, kHintText);
            });
        const bool restored = c.answer == IDOK;
        EXPECT_EQ(copies, restored ? 1 : 4);
        EXPECT_EQ(category, restored ? 0 : 2);
        if (restored) { EXPECT_EQ(hint, Text(kDefaultsRestoredHint)); }
        std::vector<std::u16string> expected;
        for (UINT id : c.messages) expected.push_back(Text(id));
        EXPECT_EQ(MessageTexts(), expected);
        ASSERT_FALSE(outcome.resultBlocks.empty());
        const bool printed = (outcome.resultBlocks.back().FeatureFlags & kPrintOwnerName) != 0;
        if (restored) {
            EXPECT_EQ(printed, c.messages.size() == 1);
        }
    }
}

// Each print mode names its mode in the settings. Validation clears the output bits on this
// printer and forces simplex, so the bit a radio sets does not stay, the radios show that, and
// neither the sorting warning (it needs a duplex) nor a finishing warning (it needs the
// finisher's bit) is shown.
TEST_F(Page1Test, PrintModesNameTheirModeAndShowWhatValidationLeaves) {
    struct Case {
        int radio;
        WORD mode;
    };
    for (const Case& c : {Case{kPrintModeStandardRadio, 3}, Case{kPrintModeSortRadio, 4}, Case{kPrintModeStapleRadio, 5}}) {
        SCOPED_TRACE(c.radio);
        standin::ui::ResetShell();
        standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        std::vector<int> checked;
        const SheetOutcome outcome = RunSheet(
            [](UiContext* context) {
                DriverDevMode& block = context->workingBlock;
                block.DeviceSlots[8].State |= 0x8;  // duplex unit, finisher, large-capacity unit
                block.DeviceSlots[13].State |= 0x8;
                block.DeviceSlots[15].State |= 0x8;
            },
            [&](HWND, HWND page) {
                DriverDevMode& block = Working(page);
                block.Public.dmDuplex = DMDUP_VERTICAL;
                block.CoverFlags |= kOutputFirstChosen | kOutputSecondChosen;
                block.FinishPosition1 = 1;
                block.FinishPosition2 = 2;
                SetAndNotify(page, c.radio, true);
                for (int radio : {kPrintModeStandardRadio, kPrintModeSortRadio, kPrintModeStapleRadio}) {
                    if (IsDlgButtonChecked(page, radio) == BST_CHECKED) checked.push_back(radio);
                }
            });
        ASSERT_FALSE(outcome.resultBlocks.empty());
        const DriverDevMode& result = outcome.resultBlocks.back();
        EXPECT_EQ(result.PrintMode, c.mode);
        EXPECT_EQ(result.CoverFlags, 0u);
        EXPECT_EQ(result.Public.dmDuplex, DMDUP_SIMPLEX);
        EXPECT_TRUE(checked.empty());
        EXPECT_TRUE(MessageTexts().empty());
    }
}

// The stamp's own text goes into the settings as typed, cut at the edit's 64 characters, with
// its hint and without the resolver: a value the resolver would force back stays as it is.
TEST_F(Page1Test, TypingTheStampTextTakesItWithoutTheResolver) {
    const std::u16string longText(70, u'x');
    std::u16string stored;
    std::u16string hint;
    SHORT orientation = 0;
    RunSheet(
        [](UiContext* context) {
            context->workingBlock.CategoryIndex = 3;
            context->workingBlock.PageStampSelector = kOwnStampText;
        },
        [&](HWND, HWND page) {
            ASSERT_TRUE(IsWindowVisible(GetDlgItem(page, kJobTextEdit)));
            Working(page).Public.dmOrientation = DMORIENT_LANDSCAPE;  // the resolver forces portrait
            Type(page, kJobTextEdit, longText);
            stored = Working(page).PageStampText;
            hint = TextOf(page, kHintText);
            orientation = Working(page).Public.dmOrientation;
        });
    EXPECT_EQ(stored, std::u16string(64, u'x'));
    EXPECT_EQ(hint, Text(kStampHint));
    EXPECT_EQ(orientation, DMORIENT_LANDSCAPE);
}

}  // namespace
}  // namespace kvuipage1
