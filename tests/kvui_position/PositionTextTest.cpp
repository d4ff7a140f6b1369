// The offset and scale edits as a user types into them: what is read, stored and shown.
#include <string>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/StandInShell.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_position/PositionFixture.h"

namespace kvuiposition {
namespace {

TEST(PositionText, FormatsByDivisor) {
    struct Case {
        LONG value;
        LONG divisor;
        std::u16string text;
    } const cases[] = {
        {125, 10, u"12.5"}, {-5, 10, u"-0.5"}, {0, 10, u"0.0"},     {150, 100, u"1.50"},
        {-105, 100, u"-1.05"}, {7, 100, u"0.07"}, {400, 1, u"400"}, {-3, 1, u"-3"},
    };
    for (const Case& c : cases) {
        WCHAR text[16];
        FormatPositionText(text, c.value, c.divisor);
        EXPECT_EQ(std::u16string(text), c.text) << c.value << "/" << c.divisor;
    }
}

TEST(PositionText, HalvesRoundAwayFromZero) {
    EXPECT_EQ(RoundAway(2.5), 3);
    EXPECT_EQ(RoundAway(-2.5), -3);
    EXPECT_EQ(RoundAway(2.49), 2);
    EXPECT_EQ(InchToTenthMm(150), 381);
    EXPECT_EQ(TenthMmToInch(381), 150);
    EXPECT_EQ(TenthMmToInch(-381), -150);
}

class PositionEdits : public PositionTest {};

// Typed millimetres: what the top offset holds while typing and after leaving the edit.
TEST_F(PositionEdits, MillimetresAreReadAndCut) {
    struct Case {
        std::u16string typed;
        LONG stored;
        std::u16string shown;
    } const cases[] = {
        {u"12.345", 123, u"12.3"},
        {u"-0.5", -5, u"-0.5"},
        {u"7", 70, u"7.0"},
        {u"40000", 32767, u"3276.7"},
    };
    for (const Case& c : cases) {
        LONG whileTyping = 0;
        std::u16string cut;
        ASSERT_EQ(Open([&](HWND dialog) {
                      Type(dialog, kPositionTopEdit, c.typed);
                      whileTyping = context_->scratchBlock.TopMargin;
                      cut = Text(dialog, kPositionTopEdit);
                      LeaveEdit(dialog);
                      EXPECT_EQ(Text(dialog, kPositionTopEdit), c.shown) << std::string(c.typed.begin(), c.typed.end());
                      Click(dialog, IDOK);
                  }),
                  1);
        // A number beyond the spin's range is stored limited from the first keystroke.
        EXPECT_EQ(whileTyping, c.stored);
        EXPECT_EQ(context_->workingBlock.TopMargin, c.stored) << std::string(c.typed.begin(), c.typed.end());
        if (c.typed == u"12.345") {
            EXPECT_EQ(cut, u"12.3");
        }
    }
}

// Letters alone read nothing: the last value stays, and the edit shows it again.
TEST_F(PositionEdits, LettersKeepTheLastValue) {
    const LONG before = context_->workingBlock.TopMargin;
    ASSERT_EQ(Open([&](HWND dialog) {
                  Type(dialog, kPositionTopEdit, u"abc");
                  EXPECT_EQ(Text(dialog, kPositionTopEdit), u"");
                  EXPECT_EQ(context_->scratchBlock.TopMargin, before);
                  LeaveEdit(dialog);
                  WCHAR shown[16];
                  FormatPositionText(shown, before, 10);
                  EXPECT_EQ(Text(dialog, kPositionTopEdit), std::u16string(shown));
                  Click(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(context_->workingBlock.TopMargin, before);
}

TEST_F(PositionEdits, InchesAreStoredInTenthMillimetres) {
    ASSERT_EQ(Open([&](HWND dialog) {
                  Click(dialog, kPositionInchesRadio);
                  EXPECT_EQ(Text(dialog, kPositionTopUnit), u"inch");
                  Type(dialog, kPositionLeftEdit, u"1.5");
                  LeaveEdit(dialog);
                  EXPECT_EQ(context_->scratchBlock.LeftMargin, 381);
                  EXPECT_EQ(Text(dialog, kPositionLeftEdit), u"1.50");
                  Type(dialog, kPositionTopEdit, u"12.5");
                  EXPECT_EQ(context_->scratchBlock.TopMargin, InchToTenthMm(1250));
                  Type(dialog, kPositionTopEdit, u"200");
                  LeaveEdit(dialog);
                  EXPECT_EQ(Text(dialog, kPositionTopEdit), u"129.00");
                  EXPECT_EQ(context_->scratchBlock.TopMargin, InchToTenthMm(12900));
                  Click(dialog, IDCANCEL);
              }),
              0);
    // Cancel keeps the working block as it was.
    EXPECT_EQ(context_->workingBlock.LeftMargin, context_->defaultBlock.LeftMargin);
}

// Scales outside 10..400 are never stored, and OK refuses them with message 709.
TEST_F(PositionEdits, ScaleRangeIsCheckedAtOk) {
    context_->workingBlock.FeatureFlags |= kFeatureScaling;
    context_->workingBlock.SavedFeatureFlags |= kFeatureScaling;
    struct Case {
        std::u16string typed;
        bool accepted;
        WORD stored;
    } const cases[] = {{u"9", false, 100}, {u"401", false, 40}, {u"10", true, 10}, {u"400", true, 400}};
    WCHAR refusal[129] = {};
    LoadStringW(context_->languageLibrary, kScaleRangeMessage, refusal, 129);
    for (const Case& c : cases) {
        context_->workingBlock.LayoutScale = 100;
        standin::ui::ResetShell();
        bool stayedOpen = false;
        WORD whileOpen = 0;
        const INT_PTR result = Open([&](HWND dialog) {
            Type(dialog, kPositionScaleEdit, c.typed);
            whileOpen = context_->scratchBlock.LayoutScale;
            Click(dialog, IDOK);
            stayedOpen = !standin::ui::MessageBoxes().empty();
            if (stayedOpen) {
                EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kPositionScaleEdit));
                Click(dialog, IDCANCEL);
            }
        });
        EXPECT_EQ(whileOpen, c.stored);
        EXPECT_EQ(stayedOpen, !c.accepted) << std::string(c.typed.begin(), c.typed.end());
        EXPECT_EQ(result, c.accepted ? 1 : 0);
        const auto boxes = standin::ui::MessageBoxes();
        if (!c.accepted) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, std::u16string(refusal));
            EXPECT_EQ(boxes[0].caption, std::u16string(context_->printerName));
            EXPECT_EQ(boxes[0].type & MB_ICONWARNING, static_cast<UINT>(MB_ICONWARNING));
        } else {
            EXPECT_EQ(context_->workingBlock.LayoutScale, c.stored);
            EXPECT_EQ(context_->workingBlock.SavedLayoutScale, c.stored);
        }
    }
}

// Centre halves the spaces in whole display units, rounding halves away from zero.
TEST_F(PositionEdits, CentreRoundsHalvesAway) {
    struct Case {
        std::u16string below;
        LONG top;
    } const cases[] = {{u"5.0", 75}, {u"5.1", 76}};
    for (const Case& c : cases) {
        ASSERT_EQ(Open([&](HWND dialog) {
                      Type(dialog, kPositionTopEdit, u"10.0");
                      LeaveEdit(dialog);
                      SetDlgItemTextW(dialog, kPositionBelowText, c.below.c_str());
                      Click(dialog, kPositionCentreButton);
                      EXPECT_EQ(context_->scratchBlock.TopMargin, c.top);
                      Click(dialog, IDOK);
                  }),
                  1);
    }
}

// Default goes back to millimetres and the output paper's margins, and keeps the scale.
TEST_F(PositionEdits, DefaultsBackToMillimetres) {
    // Scaling on in the defaults too: the resolver then keeps the scale.
    for (DriverDevMode* block : {&context_->workingBlock, &context_->defaultBlock}) {
        block->FeatureFlags |= kFeatureScaling;
        block->SavedFeatureFlags |= kFeatureScaling;
    }
    context_->workingBlock.LayoutScale = 150;
    context_->workingBlock.SavedLayoutScale = 150;
    ASSERT_EQ(Open([&](HWND dialog) {
                  Click(dialog, kPositionInchesRadio);
                  Type(dialog, kPositionTopEdit, u"3.00");
                  LeaveEdit(dialog);
                  Click(dialog, kDefaultsButton);
                  EXPECT_EQ(context_->scratchBlock.FeatureFlags & kFeatureInches, 0u);
                  EXPECT_EQ(IsDlgButtonChecked(dialog, kPositionMillimetresRadio), static_cast<UINT>(BST_CHECKED));
                  EXPECT_EQ(Text(dialog, kPositionTopUnit), u"mm");
                  EXPECT_EQ(context_->scratchBlock.TopMargin, State()->outMargins[kTop]);
                  EXPECT_EQ(context_->scratchBlock.LeftMargin, State()->outMargins[kLeft]);
                  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kPositionTopEdit));
                  EXPECT_EQ(context_->scratchBlock.LayoutScale, 150);
                  EXPECT_EQ(Text(dialog, kPositionScaleEdit), u"150");
                  Click(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(context_->workingBlock.LayoutScale, 150);
}

// The N-up dialog shows the left offset 12.7 mm left of the stored one: typing, the spin and
// Centre all store a shown 5.0 mm as 17.7 mm.
TEST_F(PositionEdits, NupLeftOffsetIsShifted) {
    context_->workingBlock.NupDown = 1;
    context_->workingBlock.NupAcross = 2;
    ASSERT_EQ(Open([&](HWND dialog) {
                  EXPECT_EQ(GetDlgItem(dialog, kPositionPicture), nullptr);
                  // Validation marks the N-up margins of A4 as set; a block without the mark
                  // shows the left offset shifted.
                  context_->scratchBlock.OptionFlags &= ~kOptionNupMargins;
                  Type(dialog, kPositionLeftEdit, u"5.0");
                  LeaveEdit(dialog);
                  EXPECT_EQ(context_->scratchBlock.LeftMargin, 177);
                  // The spin steps from 4.9 to 5.0.
                  Type(dialog, kPositionLeftEdit, u"4.9");
                  LeaveEdit(dialog);
                  EXPECT_EQ(context_->scratchBlock.LeftMargin, 176);
                  SendDlgItemMessageW(dialog, kPositionLeftSpin, WM_KEYDOWN, VK_UP, 0);
                  EXPECT_EQ(Text(dialog, kPositionLeftEdit), u"5.0");
                  EXPECT_EQ(context_->scratchBlock.LeftMargin, 177);
                  // Centre with 5.0 shown on both sides.
                  SetDlgItemTextW(dialog, kPositionRightText, u"5.0");
                  Click(dialog, kPositionCentreButton);
                  EXPECT_EQ(context_->scratchBlock.LeftMargin, 177);
                  Click(dialog, IDOK);
              }),
              1);
}

}  // namespace
}  // namespace kvuiposition
