// The items of page three as a user picks them in the tree: each shows its own controls with
// its label, entries and current entry; a chosen entry sets its bit (and the saved copy where
// the resolver restores from it) and reaches the sheet's result at OK; lists are as high as
// their entries; a double click steps to the next entry.
#include <algorithm>

#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_page3/Page3Fixture.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/tree/SettingsTree.h"

namespace kvuipage3 {
namespace {

using Items = Page3Test;

struct ChoiceCase {
    int item;
    const char16_t* accelerator;
    WORD first;       // entry and icon of the first and second entries
    WORD firstIcon;
    WORD second;
    WORD secondIcon;
    bool dataWord;    // the bit is of the word at 400, else of the word at 396
    DWORD bit;
    WORD setting;     // the entry that sets the bit
    bool saved;       // the saved copy of the word follows
};

constexpr WORD kOn = kCheckMarkIconId;
constexpr WORD kOff = kCrossMarkIconId;
constexpr ChoiceCase kChoiceCases[] = {
    {kTonerSaveTreeItem, u"(&B)", kStandardText, kOff, kTonerSaveOnText, kOn, false, 1u << 10, kTonerSaveOnText, true},
    {kSmoothingTreeItem, u"(&P)", kStandardText, kJaggedLineIconId, kEnhancedText, kSmoothLineIconId, false, 1u << 11,
     kEnhancedText, false},
    {kTrueTypeSubstitutionTreeItem, u"(&T)", kOnText, kOn, kOffText, kOff, false, 1u << 13, kOnText, true},
    {kDownloadAsOutlineTreeItem, u"(&O)", kOutlineOnText, kOn, kOutlineOffText, kOff, false, 1u << 15, kOutlineOnText,
     true},
    {kTrueTypeAsGraphicsTreeItem, u"(&U)", kTrueTypeAsGraphicsOffText, kOff, kTrueTypeAsGraphicsOnText, kOn, false,
     1u << 14, kTrueTypeAsGraphicsOnText, true},
    {kPrintProcessingTreeItem, u"(&C)", kFastProcessingText, kFastProcessingIconId, kStandardProcessingText,
     kStandardProcessingIconId, false, 1u << 24, kFastProcessingText, false},
    {kCompatibleMarginsTreeItem, u"(&D)", kStandardText, kOff, kCompatibleMarginsOnText, kOn, true, 1u << 18,
     kCompatibleMarginsOnText, true},
    {kEdgeEnhancementTreeItem, u"(&E)", kEdgeEnhancementOnText, kOn, kEdgeEnhancementOffText, kOff, false, 1u << 27,
     kEdgeEnhancementOnText, true},
};

constexpr DWORD Data(WORD value, WORD icon) { return (static_cast<DWORD>(value) << 16) | icon; }

DWORD Word(const DriverDevMode& block, bool dataWord) { return dataWord ? block.OptionFlags : block.FeatureFlags; }
DWORD SavedWord(const DriverDevMode& block, bool dataWord) {
    return dataWord ? block.SavedOptionFlags : block.SavedFeatureFlags;
}

TEST_F(Items, EachChoiceShowsItsEntriesAndItsChoiceReachesTheResult) {
    for (const ChoiceCase& c : kChoiceCases) {
        SCOPED_TRACE(c.item);
        for (const bool set : {true, false}) {
            const WORD chosen = set ? c.setting : (c.setting == c.first ? c.second : c.first);
            const WORD other = chosen == c.first ? c.second : c.first;
            DWORD savedBefore = 0;
            const SheetOutcome outcome = RunPage(nullptr, [&](Page& page) {
                // Start from the other entry so that the click is a change.
                DriverDevMode& block = page.context->workingBlock;
                DWORD& word = c.dataWord ? block.OptionFlags : block.FeatureFlags;
                word = set ? (word & ~c.bit) : (word | c.bit);
                ASSERT_TRUE(ClickTreeItem(page, c.item));
                EXPECT_EQ(TextOf(page.dialog, kItemLabel), String(static_cast<UINT>(c.item)) + c.accelerator);
                EXPECT_TRUE(Visible(page.dialog, kItemList));
                EXPECT_FALSE(Visible(page.dialog, kItemButton));
                EXPECT_FALSE(Visible(page.dialog, kItemModelName));
                EXPECT_EQ(EntryData(page.dialog), (std::vector<DWORD>{Data(c.first, c.firstIcon), Data(c.second, c.secondIcon)}));
                EXPECT_EQ(SelectedValue(page.dialog), other);
                savedBefore = SavedWord(block, c.dataWord);
                ASSERT_TRUE(ClickEntry(page, chosen));
                EXPECT_EQ(SelectedValue(page.dialog), chosen);
            });
            ASSERT_TRUE(outcome.pageShown);
            ASSERT_FALSE(outcome.resultBlocks.empty());
            const DriverDevMode& result = outcome.resultBlocks.back();
            EXPECT_EQ((Word(result, c.dataWord) & c.bit) != 0, set);
            if (c.saved) {
                EXPECT_EQ((SavedWord(result, c.dataWord) & c.bit) != 0, set);
            } else {
                EXPECT_EQ(SavedWord(result, c.dataWord) & c.bit, savedBefore & c.bit);
            }
        }
    }
}

TEST_F(Items, ResolutionsListTheModelsAndSetThePrintQuality) {
    RunPage(nullptr, [&](Page& page) {
        ASSERT_TRUE(ClickTreeItem(page, kResolutionTreeItem));
        const auto* records = ModelList<ModelResolution>(model_, model_->ResolutionOffset, model_->ResolutionCount);
        ASSERT_NE(records, nullptr);
        std::vector<DWORD> expected;
        for (DWORD i = 0; i < model_->ResolutionCount; ++i) {
            expected.push_back(Data(static_cast<WORD>(records[i].Value1), kResolutionIconId));
        }
        EXPECT_EQ(EntryData(page.dialog), expected);
        HWND list = GetDlgItem(page.dialog, kItemList);
        WCHAR text[32] = {};
        SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::u16string(text), std::u16string(u"") + [&] {
            std::u16string n;
            for (char ch : std::to_string(records[0].Value1)) n += static_cast<char16_t>(ch);
            return n + u"dpi";
        }());
        EXPECT_EQ(SelectedValue(page.dialog), static_cast<WORD>(page.context->workingBlock.Public.dmPrintQuality));
    });
}

TEST_F(Items, AResolutionNoEntryHoldsSelectsTheFirst) {
    RunPage(nullptr, [&](Page& page) {
        page.context->workingBlock.Public.dmPrintQuality = 123;
        ASSERT_TRUE(ClickTreeItem(page, kResolutionTreeItem));
        ASSERT_FALSE(EntryData(page.dialog).empty());
        EXPECT_EQ(SelectedValue(page.dialog), HIWORD(EntryData(page.dialog)[0]));
    });
}

TEST_F(Items, TheListIsOneRowHigherThanItsEntriesUpToSevenRows) {
    RunPage(nullptr, [&](Page& page) {
        HWND list = GetDlgItem(page.dialog, kItemList);
        const auto rowHeight = static_cast<LONG>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        ASSERT_GT(rowHeight, 0);
        for (const int item : {kTonerSaveTreeItem, kOwnerTextTreeItem}) {
            ASSERT_TRUE(ClickTreeItem(page, item));
            RECT client{};
            GetClientRect(list, &client);
            EXPECT_EQ(client.bottom / rowHeight, static_cast<LONG>(EntryData(page.dialog).size()) + 1) << item;
        }
        // Seven rows at most, however many entries there are.
        for (int i = 0; i < 8; ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"x"));
        ASSERT_TRUE(ClickTreeItem(page, kSmoothingTreeItem));
        ASSERT_TRUE(ClickTreeItem(page, kTonerSaveTreeItem));
        RECT client{};
        GetClientRect(list, &client);
        EXPECT_LE(client.bottom / rowHeight, 7);
    });
}

TEST_F(Items, DoubleClickStepsToTheNextEntryAndFromTheLastToTheFirst) {
    const SheetOutcome outcome = RunPage(nullptr, [&](Page& page) {
        page.context->workingBlock.FeatureFlags &= ~(1u << 10);
        ASSERT_TRUE(ClickTreeItem(page, kTonerSaveTreeItem));
        EXPECT_EQ(SelectedValue(page.dialog), kStandardText);
        ASSERT_TRUE(DoubleClickTreeItem(page, kTonerSaveTreeItem));
        EXPECT_EQ(SelectedValue(page.dialog), kTonerSaveOnText);
        EXPECT_NE(page.context->workingBlock.FeatureFlags & (1u << 10), 0u);
        ASSERT_TRUE(DoubleClickTreeItem(page, kTonerSaveTreeItem));
        EXPECT_EQ(SelectedValue(page.dialog), kStandardText);
        ASSERT_TRUE(DoubleClickTreeItem(page, kTonerSaveTreeItem));
    });
    ASSERT_FALSE(outcome.resultBlocks.empty());
    EXPECT_NE(outcome.resultBlocks.back().FeatureFlags & (1u << 10), 0u);
}

TEST_F(Items, HeadingsShowNoControlsAndTheSubstitutionButtonFollowsItsBit) {
    RunPage(nullptr, [&](Page& page) {
        ASSERT_TRUE(ClickTreeItem(page, kFontsTreeItem));
        for (int id : {kItemLabel, kItemList, kItemText, kItemButton, kItemSecondButton, kItemModelName}) {
            EXPECT_FALSE(Visible(page.dialog, id)) << id;
        }
        page.context->workingBlock.FeatureFlags &= ~(1u << 13);
        ASSERT_TRUE(ClickTreeItem(page, kTrueTypeSubstitutionTreeItem));
        EXPECT_TRUE(Visible(page.dialog, kItemSecondButton));
        EXPECT_FALSE(Enabled(page.dialog, kItemSecondButton));
        EXPECT_EQ(TextOf(page.dialog, kItemSecondButton), String(kSubstitutionTableButtonText));
        ASSERT_TRUE(ClickEntry(page, kOnText));
        EXPECT_TRUE(Enabled(page.dialog, kItemSecondButton));
        ASSERT_TRUE(ClickEntry(page, kOffText));
        EXPECT_FALSE(Enabled(page.dialog, kItemSecondButton));
    });
}

TEST_F(Items, TheVersionItemNamesTheModelAndTheDriver) {
    struct Case {
        bool installed;              // the driver file is where the printer's driver info names it
        const char16_t* versionLine;
    };
    // Without the file the line stays as the template has it; with it, the version resource of
    // the real rendering library.
    const Case cases[] = {{false, u""}, {true, u"Version 1.00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installed ? "installed" : "missing");
        if (c.installed) InstallModule(KV_RENDER_NAME, kvtest::kSampleDriverPath);
        RunPage(nullptr, [&](Page& page) {
            ASSERT_TRUE(ClickTreeItem(page, kGraphicsTreeItem));
            ASSERT_TRUE(ClickTreeItem(page, kPrinterTreeItem));
            EXPECT_EQ(TextOf(page.dialog, kItemModelName), std::u16string(ModelString(model_, model_->PrinterName)));
            EXPECT_EQ(TextOf(page.dialog, kItemDriverName), u"Printer Driver");
            EXPECT_EQ(TextOf(page.dialog, kItemVersion), c.versionLine);
            EXPECT_TRUE(Visible(page.dialog, kItemIcon));
            EXPECT_NE(SendDlgItemMessageW(page.dialog, kItemIcon, STM_GETICON, 0, 0), 0);
            EXPECT_FALSE(Visible(page.dialog, kItemList));
        });
    }
}

}  // namespace
}  // namespace kvuipage3
