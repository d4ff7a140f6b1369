// The owner text of page three: its three entries and the field they show, typing into it,
// the check that keeps the printer's name field printable (warning 721, the user kept on the
// item and the page), the user-name check (warning 724), and settings whose texts fill their
// fields without a terminator.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/DriverDevMode.h"
#include "tests/kvui_page3/Page3Fixture.h"
#include "ui/tree/SettingsTree.h"

namespace kvuipage3 {
namespace {

constexpr DWORD kUserNameBit = 1u << 21;
constexpr DWORD kOwnerTextBit = 1u << 22;

using OwnerText = Page3Test;

std::u16string Field(const WCHAR* field, size_t cch) {
    std::u16string text;
    for (size_t i = 0; i < cch && field[i] != u'\0'; ++i) text += field[i];
    return text;
}
template <size_t N>
std::u16string Field(const WCHAR (&field)[N]) {
    return Field(field, N);
}

std::vector<std::u16string> Texts() {
    std::vector<std::u16string> texts;
    for (const auto& call : standin::ui::MessageBoxes()) texts.push_back(call.text);
    return texts;
}

TEST_F(OwnerText, EachEntryShowsItsFieldAndTypedTextReachesTheResult) {
    const SheetOutcome outcome = RunPage(nullptr, [&](Page& page) {
        DriverDevMode& block = page.context->workingBlock;
        block.FeatureFlags &= ~(kUserNameBit | kOwnerTextBit);
        ASSERT_TRUE(ClickTreeItem(page, kOwnerTextTreeItem));
        EXPECT_EQ(SelectedValue(page.dialog), kOwnerNoneText);
        EXPECT_TRUE(Visible(page.dialog, kItemText));
        EXPECT_FALSE(Enabled(page.dialog, kItemText));
        EXPECT_EQ(TextOf(page.dialog, kItemText), u"");

        ASSERT_TRUE(ClickEntry(page, kOwnerUserNameText));
        EXPECT_EQ(block.FeatureFlags & (kUserNameBit | kOwnerTextBit), kUserNameBit);
        EXPECT_EQ(TextOf(page.dialog, kItemText), Field(block.UserName1));
        EXPECT_FALSE(Enabled(page.dialog, kItemText));

        ASSERT_TRUE(ClickEntry(page, kOwnerOwnText));
        EXPECT_EQ(block.FeatureFlags & (kUserNameBit | kOwnerTextBit), kOwnerTextBit);
        EXPECT_TRUE(Enabled(page.dialog, kItemText));
        EXPECT_TRUE(Enabled(page.dialog, kItemTextLabel));
        HWND edit = GetDlgItem(page.dialog, kItemText);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        // The field takes 16 characters; the rest of what is typed is refused.
        standin::ui::TypeText(edit, u"ABCDEFGHIJKLMNOPQRST");
        EXPECT_EQ(TextOf(page.dialog, kItemText), u"ABCDEFGHIJKLMNOP");
        EXPECT_EQ(Field(block.UserName2), u"ABCDEFGHIJKLMNOP");
    });
    ASSERT_FALSE(outcome.resultBlocks.empty());
    const DriverDevMode& result = outcome.resultBlocks.back();
    EXPECT_EQ(Field(result.UserName2), u"ABCDEFGHIJKLMNOP");
    EXPECT_EQ(result.FeatureFlags & (kUserNameBit | kOwnerTextBit), kOwnerTextBit);
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());
}

struct CheckCase {
    const char16_t* text;
    bool refused;
};

// Under the Japanese ANSI code page: a quote, a tilde and a double-byte character are refused.
constexpr CheckCase kCheckCases[] = {
    {u"ABCDEFGHIJKLMNOP", false},
    {u"Tom's ~ text", true},
    {u"say \"hi\"", true},
    {u"\u65E5\u672C", true},
    {u"\uFF71\uFF72", false},  // half-width katakana are single bytes
};

TEST_F(OwnerText, AnUnprintableTextKeepsTheUserOnTheItemAndThePage) {
    for (const CheckCase& c : kCheckCases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        standin::ui::ResetShell();
        bool stayed = false;
        bool focused = false;
        bool keptPage = false;
        int listsOpened = 0;
        subDialog_ = [&](HWND dialog) {
            ++listsOpened;
            EndDialog(dialog, 1);
        };
        RunPage(nullptr, [&](Page& page) {
            page.context->workingBlock.FeatureFlags = (page.context->workingBlock.FeatureFlags & ~kUserNameBit) |
                                                      kOwnerTextBit;
            ASSERT_TRUE(ClickTreeItem(page, kOwnerTextTreeItem));
            HWND edit = GetDlgItem(page.dialog, kItemText);
            SetWindowTextW(edit, c.text);
            ASSERT_TRUE(ClickTreeItem(page, kTonerSaveTreeItem));
            stayed = SelectedTreeItemIs(page, kOwnerTextTreeItem);
            focused = GetFocus() == edit;
            // Another tab is refused as well.
            standin::ui::ClickSheetTab(page.sheet, 0);
            keptPage = reinterpret_cast<HWND>(SendMessageW(page.sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) == page.dialog;
            standin::ui::ClickSheetTab(page.sheet, 2);
            // A settings list or preset is not opened over a refused text.
            SendMessageW(page.dialog, WM_COMMAND, kSettingsListButton, 0);
        }, false);
        EXPECT_EQ(stayed, c.refused);
        EXPECT_EQ(focused, c.refused);
        EXPECT_EQ(keptPage, c.refused);
        EXPECT_EQ(listsOpened, c.refused ? 0 : 1);
        const std::vector<std::u16string> texts = Texts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), String(kOwnerTextCharactersMessage)), c.refused ? 3 : 0);
    }
}

TEST_F(OwnerText, AnUnprintableUserNameIsWarnedAndNoOwnerTextChosen) {
    const SheetOutcome outcome = RunPage(nullptr, [&](Page& page) {
        DriverDevMode& block = page.context->workingBlock;
        block.FeatureFlags &= ~(kUserNameBit | kOwnerTextBit);
        std::fill(std::begin(block.UserName1), std::end(block.UserName1), u'\0');
        std::char_traits<char16_t>::copy(block.UserName1, u"a~b", 3);
        ASSERT_TRUE(ClickTreeItem(page, kOwnerTextTreeItem));
        ASSERT_TRUE(ClickEntry(page, kOwnerUserNameText));
        EXPECT_EQ(SelectedValue(page.dialog), kOwnerNoneText);
        EXPECT_EQ(block.FeatureFlags & (kUserNameBit | kOwnerTextBit), 0u);
    });
    EXPECT_EQ(Texts(), std::vector<std::u16string>{String(kUserNameCharactersMessage)});
    ASSERT_FALSE(outcome.resultBlocks.empty());
    EXPECT_EQ(outcome.resultBlocks.back().FeatureFlags & kUserNameBit, 0u);
}

// A program that sets the field past its limit: the block takes 16 characters, and the bytes
// after the field (the installed memory and devices) stay as they were.
TEST_F(OwnerText, TheFieldIsReadIntoTheBlockNoFurtherThanItsSize) {
    RunPage(nullptr, [&](Page& page) {
        DriverDevMode& block = page.context->workingBlock;
        block.FeatureFlags = (block.FeatureFlags & ~kUserNameBit) | kOwnerTextBit;
        ASSERT_TRUE(ClickTreeItem(page, kOwnerTextTreeItem));
        BYTE after[64];
        std::memcpy(after, reinterpret_cast<const BYTE*>(&block) + offsetof(DriverDevMode, InstalledMemory), sizeof after);
        SetWindowTextW(GetDlgItem(page.dialog, kItemText), u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        EXPECT_EQ(Field(block.UserName2), u"0123456789ABCDEF");
        EXPECT_EQ(std::memcmp(after, reinterpret_cast<const BYTE*>(&block) + offsetof(DriverDevMode, InstalledMemory),
                              sizeof after),
                  0);
    }, false);
}

// Texts that fill their fields to the last unit, as an application's settings or a stored
// preset may leave them: the field shows the text and nothing after it.
TEST_F(OwnerText, UnterminatedTextsShowNoBytesAfterTheirFields) {
    std::vector<std::u16string> shown;
    DriverDevMode settings{};
    RunPage(nullptr, [&](Page& page) {
        DriverDevMode& block = page.context->workingBlock;
        std::fill(std::begin(block.UserName1), std::end(block.UserName1), u'N');
        std::fill(std::begin(block.UserName2), std::end(block.UserName2), u'T');
        block.InstalledMemory = 0x00410041;  // "AA" if read as text
        block.FeatureFlags = (block.FeatureFlags & ~kOwnerTextBit) | kUserNameBit;
        ASSERT_TRUE(ClickTreeItem(page, kOwnerTextTreeItem));
        shown.push_back(TextOf(page.dialog, kItemText));
        ASSERT_TRUE(ClickTreeItem(page, kTonerSaveTreeItem));
        block.FeatureFlags = (block.FeatureFlags & ~kUserNameBit) | kOwnerTextBit;
        ASSERT_TRUE(ClickTreeItem(page, kOwnerTextTreeItem));
        shown.push_back(TextOf(page.dialog, kItemText));
        EXPECT_EQ(block.InstalledMemory, 0x00410041u);
        settings = block;
    }, false);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::u16string(std::size(settings.UserName1), u'N'));
    EXPECT_LE(shown[1].size(), std::size(settings.UserName2));
    EXPECT_EQ(shown[1].find(u'A'), std::u16string::npos);
    EXPECT_EQ(Field(settings.UserName2), std::u16string(16, u'T'));
}

// An application's settings whose owner text has no terminator open the page and come back
// with a text of at most 16 characters.
TEST_F(OwnerText, AnApplicationsUnterminatedOwnerTextComesBackCut) {
    DriverDevMode app{};
    {
        // The printer's own settings as the application got them.
        RunPage(nullptr, [&](Page& page) { app = page.context->workingBlock; }, false);
    }
    std::fill(std::begin(app.UserName2), std::end(app.UserName2), u'W');
    app.FeatureFlags = (app.FeatureFlags & ~kUserNameBit) | kOwnerTextBit;
    const SheetOutcome outcome = RunPage(&app.Public, [&](Page& page) {
        ASSERT_TRUE(ClickTreeItem(page, kOwnerTextTreeItem));
        EXPECT_EQ(SelectedValue(page.dialog), kOwnerOwnText);
        EXPECT_LE(TextOf(page.dialog, kItemText).size(), 17u);
    });
    ASSERT_FALSE(outcome.resultBlocks.empty());
    EXPECT_EQ(Field(outcome.resultBlocks.back().UserName2), std::u16string(16, u'W'));
}

}  // namespace
}  // namespace kvuipage3
