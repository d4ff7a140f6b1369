// Document page two driven as a user drives it: it shows the working block, each choice
// reaches the block handed back on OK with its copy among the user's choices, validation's
// forced values stay forced and shown, typed numbers are taken only inside their range, and
// leaving the page with a bad number is refused.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_page2/Page2Fixture.h"
#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/DocumentPage2.h"

namespace kvuipage2 {
namespace {

constexpr DWORD kPrintOwnerName = 1u << 21;

const std::u16string kPostcard = u"\u306F\u304C\u304D";

void ChoosePaper(HWND page, const std::u16string& name) {
    const auto index = SendDlgItemMessageW(page, kPaperList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(name.c_str()));
    ASSERT_GE(index, 0);
    standin::ui::ChooseComboItem(GetDlgItem(page, kPaperList), static_cast<int>(index));
}

void WithScaling(UiContext& context) {
    context.workingBlock.FeatureFlags |= 0x2;
    context.workingBlock.SavedFeatureFlags |= 0x2;
}

// The finisher (DEV_FIN1) and the large-capacity unit (DEV_LCS) installed.
void WithFinisher(UiContext& context) {
    context.workingBlock.DeviceSlots[13].State |= 0x8;
    context.workingBlock.DeviceSlots[15].State |= 0x8;
}

TEST_F(Page2Test, OpensShowingTheWorkingBlockInBothLanguages) {
    for (bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "ja" : "en");
        const SheetOutcome outcome = RunSheet(
            [&](HWND page, UiContext& context) {
                const DriverDevMode& block = context.workingBlock;
                EXPECT_EQ(TextOf(page, kPaperList), std::u16string(block.Public.dmFormName));
                EXPECT_EQ(SelectedData(page, kSourceList), static_cast<WORD>(block.Public.dmDefaultSource));
                EXPECT_EQ(SendDlgItemMessageW(page, kMediaList, CB_GETCOUNT, 0, 0), kMediaKindCount);
                EXPECT_EQ(SelectedData(page, kMediaList), block.SourceMediaValue);
                EXPECT_EQ(TextOf(page, kMediaList), String(kMediaKindTextBase + block.SourceMediaValue, japanese));
                EXPECT_EQ(SendDlgItemMessageW(page, kPrintModeList, CB_GETCURSEL, 0, 0), block.PrintMode);
                EXPECT_EQ(SendDlgItemMessageW(page, kOutputTrayList, CB_GETCOUNT, 0, 0), 3);
                EXPECT_EQ(TextOf(page, kCopiesEdit), u"1");
                EXPECT_EQ(TextOf(page, kScaleEdit), std::u16string(u"100"));
                EXPECT_TRUE(Checked(page, kPortraitRadio));
                EXPECT_EQ(Checked(page, kScalingCheck), (block.FeatureFlags & 0x2) != 0);
                EXPECT_EQ(SelectedData(page, kNupDownCombo), 1);
                EXPECT_EQ(SelectedData(page, kNupAcrossCombo), 1);
                EXPECT_TRUE(SavePicture(page, japanese ? "page2-ja" : "page2-en"));
            },
            true, {}, japanese);
        EXPECT_TRUE(outcome.opened);
        EXPECT_TRUE(MessageTexts().empty());
    }
}

TEST_F(Page2Test, ChoicesReachTheResultWithTheirCopies) {
    const int manual = SlotValue(String(kManualSourceName));
    ASSERT_GE(manual, 0);
    const SheetOutcome outcome = RunSheet([&](HWND page, UiContext&) {
        const int a4 = static_cast<int>(SendDlgItemMessageW(page, kPaperList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                            reinterpret_cast<LPARAM>(u"A4")));
        ASSERT_GE(a4, 0);
        Choose(page, kPaperList, a4);
        ChooseData(page, kSourceList, manual);
        Retype(page, kCopiesEdit, u"3");
        Click(page, kSeparatorCheck);
        ChooseData(page, kNupAcrossCombo, 2);
    });
    ASSERT_FALSE(outcome.results.empty());
    const DriverDevMode& result = outcome.results.back();
    EXPECT_EQ(std::u16string(result.Public.dmFormName), u"A4");
    EXPECT_EQ(std::u16string(result.SavedFormName), u"A4");
    EXPECT_EQ(result.Public.dmDefaultSource, manual);
    EXPECT_EQ(result.SavedDefaultSource, manual);
    EXPECT_EQ(result.Public.dmCopies, 3);
    EXPECT_EQ(result.PageDecorationOption, 1u);
    EXPECT_EQ(result.NupAcross, 2);
    EXPECT_EQ(result.OptionFlags & (1u << 27), 0u);
}

TEST_F(Page2Test, MediaKindIsKeptForTheCurrentSource) {
    struct Case {
        UINT sourceString;  // the source's name in the language library
        int position;       // its place among the per-source media kinds
    };
    for (const Case& c : {Case{kAutoSourceName, 0}, Case{kFeeder2SourceName, 2}, Case{kManualSourceName, 6}}) {
        const int source = SlotValue(String(c.sourceString));
        if (source < 0) continue;  // the model has no such source
        SCOPED_TRACE(c.sourceString);
        const SheetOutcome outcome = RunSheet([&](HWND page, UiContext& context) {
            ChooseData(page, kSourceList, source);
            ChooseData(page, kMediaList, 2);
            EXPECT_EQ(context.workingBlock.SourceValues[c.position], 2);
            for (int i = 0; i < kSourceValueCount; ++i) {
                if (i != c.position) {
                    EXPECT_NE(context.workingBlock.SourceValues[i], 2) << i;
                }
            }
            EXPECT_EQ(SelectedData(page, kMediaList), context.workingBlock.SourceMediaValue);
        });
        ASSERT_FALSE(outcome.results.empty());
        EXPECT_EQ(outcome.results.back().SourceValues[c.position], 2);
        EXPECT_EQ(outcome.results.back().SavedSourceMediaValue, 2);
    }
}

TEST_F(Page2Test, TypedNumbersAreTakenOnlyInsideTheirRange) {
    struct Typed {
        int edit;
        const char16_t* text;
        int expected;  // the field after the text typed one key at a time ("40" of "401" is taken)
    };
    const Typed cases[] = {
        {kCopiesEdit, u"12", 12}, {kCopiesEdit, u"0", 12}, {kCopiesEdit, u"", 12}, {kCopiesEdit, u"999", 999},
        {kScaleEdit, u"250", 250}, {kScaleEdit, u"5", 250}, {kScaleEdit, u"", 250}, {kScaleEdit, u"401", 40}, {kScaleEdit, u"10", 10},
    };
    RunSheet(
        [&](HWND page, UiContext& context) {
            for (const Typed& t : cases) {
                SCOPED_TRACE(std::string(t.text, t.text + std::char_traits<char16_t>::length(t.text)));
                Retype(page, t.edit, t.text);
                const DriverDevMode& block = context.workingBlock;
                EXPECT_EQ(t.edit == kCopiesEdit ? block.Public.dmCopies : block.LayoutScale, t.expected);
                if (t.edit == kScaleEdit) {
                    EXPECT_EQ(block.SavedLayoutScale, t.expected);
                }
            }
            // The edits hold three characters: 1000 copies reach the page only from elsewhere.
            Retype(page, kCopiesEdit, u"1000");
            EXPECT_EQ(TextOf(page, kCopiesEdit), u"100");
            SetDlgItemTextW(page, kCopiesEdit, u"1000");
            EXPECT_EQ(TextOf(page, kCopiesEdit), u"1");
            EXPECT_EQ(context.workingBlock.Public.dmCopies, 1);
        },
        false, [](UiContext& context) { WithScaling(context); });
}

TEST_F(Page2Test, LeavingWithABadNumberIsRefused) {
    struct Case {
        const char* name;
        int edit;
        const char16_t* text;
        UINT warning;
    };
    for (const Case& c :
         {Case{"copies", kCopiesEdit, u"0", kCopiesRangeMessage}, Case{"scale", kScaleEdit, u"---", kScaleRangeMessage},
          Case{"scale", kScaleEdit, u"5", kScaleRangeMessage}}) {
        SCOPED_TRACE(c.name);
        standin::ui::ResetShell(); standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        HWND focused = nullptr;
        const SheetOutcome outcome = RunSheet(
            [&](HWND page, UiContext&) {
                SetDlgItemTextW(page, c.edit, c.text);
                SendMessageW(GetParent(page), PSM_PRESSBUTTON, PSBTN_OK, 0);
                focused = GetFocus() == GetDlgItem(page, c.edit) ? GetFocus() : nullptr;
            },
            false, [](UiContext& context) { WithScaling(context); });
        EXPECT_TRUE(outcome.results.empty());  // the sheet stayed until Cancel
        EXPECT_NE(focused, nullptr);
        const std::vector<std::u16string> texts = MessageTexts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], String(c.warning));
    }
}

TEST_F(Page2Test, ForcedValuesStayForcedAndShown) {
    const SheetOutcome outcome = RunSheet([&](HWND page, UiContext& context) {
        Click(page, kLandscapeRadio);
        EXPECT_EQ(context.workingBlock.Public.dmOrientation, DMORIENT_PORTRAIT);
        EXPECT_TRUE(Checked(page, kPortraitRadio));
        EXPECT_FALSE(Checked(page, kLandscapeRadio));
        ChooseData(page, kOutputTrayList, kStackerText);
        EXPECT_EQ(context.workingBlock.CoverFlags & kOutputTrayBits, 0u);
        EXPECT_EQ(SendDlgItemMessageW(page, kOutputTrayList, CB_GETCURSEL, 0, 0), -1);
    }, true, WithFinisher);
    ASSERT_FALSE(outcome.results.empty());
    EXPECT_EQ(outcome.results.back().Public.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(outcome.results.back().CoverFlags & kOutputTrayBits, 0u);
}

TEST_F(Page2Test, WarningsFollowTheirChoices) {
    const int manual = SlotValue(String(kManualSourceName));
    ASSERT_GE(manual, 0);
    struct Case {
        const char* name;
        std::function<void(HWND, DriverDevMode&)> act;
        UINT warning;
    };
    const Case cases[] = {
        {"thick media with duplex", [](HWND page, DriverDevMode& b) { b.Public.dmDuplex = DMDUP_VERTICAL; ChooseData(page, kMediaList, 2); },
         kMediaNotDuplexMessage},
        {"manual feed with duplex",
         [&](HWND page, DriverDevMode& b) {
             b.Public.dmDuplex = DMDUP_VERTICAL;
             ChooseData(page, kSourceList, manual);
         },
         kManualFeedDuplexMessage},
        {"media with duplex for print mode",
         [](HWND page, DriverDevMode& b) {
             ChoosePaper(page, u"A4 \u6A2A");  // a paper the print modes take
             ChooseData(page, kMediaList, 1);
             b.Public.dmDuplex = DMDUP_VERTICAL;
             Choose(page, kPrintModeList, b.PrintMode == 0 ? 1 : 0);
         },
         kMediaNotDuplexMessage},
        {"stacker while sorting",
         [](HWND page, DriverDevMode& b) {
             b.CoverFlags |= 1u << 10;
             ChooseData(page, kOutputTrayList, kStackerText);
         },
         kStackerSortMessage},
        {"postcard media",
         [](HWND page, DriverDevMode& b) {
             const int postcard = static_cast<int>(SendDlgItemMessageW(
                 page, kPaperList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kPostcard.c_str())));
             ASSERT_GE(postcard, 0);
             Choose(page, kPaperList, postcard);
             // Pages per sheet print on the postcard itself, without an output paper.
             ChooseData(page, kNupDownCombo, 2);
             ChooseData(page, kMediaList, b.SourceMediaValue == 0 ? 2 : 0);
         },
         kPostcardMediaMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ui::ResetShell(); standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        RunSheet([&](HWND page, UiContext& context) { c.act(page, context.workingBlock); }, false, WithFinisher);
        const std::vector<std::u16string> texts = MessageTexts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), String(c.warning)), texts.end());
        for (const standin::ui::MessageBoxCall& call : standin::ui::MessageBoxes()) {
            EXPECT_EQ(call.caption, std::u16string(kvtest::kSamplePrinterName));
            EXPECT_NE(call.type & MB_ICONWARNING, 0u);
        }
    }
}

TEST_F(Page2Test, AnApplicationsBadBlockOpensWithinItsFields) {
    const SheetOutcome outcome = RunSheet(
        [&](HWND page, UiContext& context) {
            const DriverDevMode& block = context.workingBlock;
            EXPECT_EQ(SelectedData(page, kNupDownCombo), block.NupDown);
            EXPECT_EQ(SelectedData(page, kMediaList), block.SourceMediaValue);
            EXPECT_GE(SendDlgItemMessageW(page, kPaperList, CB_GETCURSEL, 0, 0), 0);
            EXPECT_GE(SendDlgItemMessageW(page, kOutputPaperList, CB_GETCURSEL, 0, 0), 0);
            const int a4 = static_cast<int>(SendDlgItemMessageW(page, kPaperList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                                reinterpret_cast<LPARAM>(u"A4")));
            ASSERT_GE(a4, 0);
            Choose(page, kPaperList, a4);
            Choose(page, kOutputPaperList, 0);
        },
        true,
        [](UiContext& context) {
            DriverDevMode& b = context.workingBlock;
            std::fill(std::begin(b.Public.dmFormName), std::end(b.Public.dmFormName), u'W');
            std::fill(std::begin(b.OutputPaperName), std::end(b.OutputPaperName), u'W');
            b.NupDown = 200;
            b.NupAcross = 0;
            b.SourceMediaValue = b.SavedSourceMediaValue = 9;
            b.PrintMode = b.SavedPrintMode = 77;
            b.LayoutScale = 0;
        });
    ASSERT_FALSE(outcome.results.empty());
    EXPECT_EQ(std::u16string(outcome.results.back().Public.dmFormName), u"A4");
}

// Restoring the defaults from the context menu: the printer's defaults come back, and an owner
// name the printer cannot take is refused with its warning and no longer printed.
TEST_F(Page2Test, RestoringTheDefaultsChecksTheOwnerNameTheyBringBack) {
    struct Case {
        const char16_t* name;
        bool refused;
    };
    for (const Case& c : {Case{u"Yamada", false}, Case{u"Ya~mada", true}, Case{u"\u5C71\u7530", true}}) {
        SCOPED_TRACE(c.refused);
        standin::ui::ResetShell();
        standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
        std::u16string hint;
        const SheetOutcome outcome = RunSheet(
            [&](HWND page, UiContext& context) {
                Retype(page, kCopiesEdit, u"5");
                standin::ui::OnTrackPopupMenu([](HMENU, HWND) -> UINT { return kRestoreDefaultsItem; });
                SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), -1);
                Pump();
                EXPECT_EQ(TextOf(page, kCopiesEdit), u"1");
                EXPECT_EQ(context.workingBlock.Public.dmCopies, 1);
                hint = TextOf(page, kHintText);
            },
            true,
            [&](UiContext& context) {
                DriverDevMode& defaults = context.defaultBlock;
                defaults.FeatureFlags |= kPrintOwnerName;
                std::fill(std::begin(defaults.UserName1), std::end(defaults.UserName1), u'\0');
                std::char_traits<char16_t>::copy(defaults.UserName1, c.name, std::char_traits<char16_t>::length(c.name));
            });
        ASSERT_FALSE(outcome.results.empty());
        EXPECT_EQ((outcome.results.back().FeatureFlags & kPrintOwnerName) == 0, c.refused);
        const std::vector<std::u16string> expected =
            c.refused ? std::vector<std::u16string>{String(kRestoreDefaultsMessage), String(kUserNameCharactersMessage)}
                      : std::vector<std::u16string>{String(kRestoreDefaultsMessage)};
        EXPECT_EQ(MessageTexts(), expected);
        EXPECT_EQ(hint, String(kDefaultsRestoredHint));
    }
    standin::ui::OnTrackPopupMenu(nullptr);
}

}  // namespace
}  // namespace kvuipage2
