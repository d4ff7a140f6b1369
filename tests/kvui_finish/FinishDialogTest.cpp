// The finishing-position dialog driven as a user does: picking positions in the two picture
// rows, answering the conflict prompts and questions, Defaults, OK and Cancel, in both
// languages, with its picture.
#include "platform/Controls.h"
#include "platform/StandInControls.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_finish/FinishFixture.h"
#include "ui/dialogs/Finishing.h"

namespace kvuifinish {
namespace {

class FinishDialog : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        // A4 portrait from the manual slot: the first row offers 0, 1, 4, 5, 6, 2, 3 and the
        // second 0, 2, 3.
        DriverDevMode& w = Working();
        w.Public.dmOrientation = DMORIENT_PORTRAIT;
        w.Public.dmPaperSize = 9;
        w.OutputPaperSize = 0;
        w.Public.dmDefaultSource = 4;
        w.Public.dmDuplex = DMDUP_SIMPLEX;
        w.PagesPerSheet = 1;
        w.FinishPosition1 = 0;
        w.FinishPosition2 = 0;
        w.CoverFlags = 0;
    }

    /// Opens the dialog, lets `inside` act on it, then presses `button`; the dialog's result.
    INT_PTR Run(const std::function<void(HWND)>& inside, int button,
                const std::function<void(HWND, int)>& prompt = nullptr) {
        return Drive([&] { return ShowFinishPositionDialog(&page_, nullptr); },
                     [&](HWND dialog, int depth) {
                         if (depth > 1) {
                             ASSERT_TRUE(prompt) << "an unexpected prompt";
                             prompt(dialog, depth);
                             return;
                         }
                         inside(dialog);
                         Click(dialog, button);
                     });
    }
    static LRESULT Selected(HWND dialog, int list) { return SendDlgItemMessageW(dialog, list, LB_GETCURSEL, 0, 0); }
};

TEST_F(FinishDialog, AChosenPositionReachesTheWorkingBlockOnOk) {
    for (bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "ja" : "en");
        UseLanguage(japanese);
        Working().FinishPosition1 = 0;
        Working().CoverFlags = 0;
        const INT_PTR result = Run(
            [&](HWND dialog) {
                EXPECT_EQ(SendDlgItemMessageW(dialog, kFinishingFirstList, LB_GETCOUNT, 0, 0), 7);
                EXPECT_EQ(SendDlgItemMessageW(dialog, kFinishingSecondList, LB_GETCOUNT, 0, 0), 3);
                EXPECT_EQ(Selected(dialog, kFinishingFirstList), 0);
                EXPECT_FALSE(TextOf(dialog, kFinishingPaperText).empty());
                ClickListItem(dialog, kFinishingFirstList, 1);
                EXPECT_EQ(context_->scratchBlock.FinishPosition1, 1);
                // The working block waits for OK.
                EXPECT_EQ(Working().FinishPosition1, 0);
                std::u16string label = String(kPortraitStapleTopLeftText);
                // A label without "|" is one line.
                if (const size_t bar = label.find(u'|'); bar != std::u16string::npos) label.erase(bar, 1);
                EXPECT_EQ(TextOf(dialog, kFinishingFirstText), label);
                EXPECT_TRUE(SavePicture(dialog, japanese ? "finishing-ja" : "finishing-en"));
            },
            IDOK);
        EXPECT_EQ(result, TRUE);
        EXPECT_EQ(Working().FinishPosition1, 1);
        EXPECT_NE(Working().CoverFlags & kOutputFirstChosen, 0u);
        EXPECT_TRUE(standin::ui::MessageBoxes().empty());
    }
}

TEST_F(FinishDialog, ThePicturesOfARowStandSideBySide) {
    Run(
        [&](HWND dialog) {
            for (int id : {kFinishingFirstList, kFinishingSecondList}) {
                SCOPED_TRACE(id);
                HWND list = GetDlgItem(dialog, id);
                RECT client{};
                GetClientRect(list, &client);
                const LONG width = client.right / 6;
                const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
                ASSERT_GT(count, 1);
                for (int i = 0; i < count; ++i) {
                    RECT item{};
                    ASSERT_EQ(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)), 1);
                    EXPECT_EQ(item.left, i * width) << i;
                    EXPECT_EQ(item.right, (i + 1) * width) << i;
                    EXPECT_EQ(item.top, 0) << i;
                    EXPECT_EQ(item.bottom, client.bottom) << i;
                }
            }
            // The seventh picture of the first row lies past the list's right edge; the
            // list scrolls to it when it is chosen.
            SendDlgItemMessageW(dialog, kFinishingFirstList, LB_SETCURSEL, 6, 0);
            RECT last{};
            SendDlgItemMessageW(dialog, kFinishingFirstList, LB_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&last));
            RECT client{};
            GetClientRect(GetDlgItem(dialog, kFinishingFirstList), &client);
            EXPECT_LE(last.right, client.right);
            EXPECT_TRUE(SavePicture(dialog, "finishing-scrolled"));
        },
        IDCANCEL);
}

TEST_F(FinishDialog, DuplexOffFromThePromptKeepsTheChoice) {
    Working().Public.dmDuplex = DMDUP_VERTICAL;
    std::u16string caption;
    const INT_PTR result = Run([&](HWND dialog) { ClickListItem(dialog, kFinishingFirstList, 5); },  // position 2
                               IDOK,
                               [&](HWND prompt, int) {
                                   EXPECT_NE(GetDlgItem(prompt, kPromptIcon), nullptr);
                                   WCHAR text[300] = {};
                                   GetWindowTextW(prompt, text, 300);
                                   caption = text;
                                   Click(prompt, kConflictAlternative);
                               });
    EXPECT_EQ(result, TRUE);
    EXPECT_EQ(caption, context_->printerName);
    EXPECT_EQ(Working().Public.dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(Working().SavedDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(Working().FinishPosition1, 2);
    EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{String(kDuplexOffForFinishingMessage)});
}

TEST_F(FinishDialog, GivingUpAtThePromptKeepsTheCurrentEntry) {
    Working().Public.dmDuplex = DMDUP_VERTICAL;
    for (int answer : {IDCANCEL, static_cast<int>(kConflictGiveUp)}) {
        SCOPED_TRACE(answer);
        const INT_PTR result = Run(
            [&](HWND dialog) {
                ClickListItem(dialog, kFinishingFirstList, 5);
                EXPECT_EQ(Selected(dialog, kFinishingFirstList), 0);
                EXPECT_EQ(context_->scratchBlock.FinishPosition1, 0);
            },
            IDOK, [&](HWND prompt, int) {
                // Esc sends IDCANCEL; the prompt's own Cancel button is kPromptCancelButton.
                if (answer == IDCANCEL) {
                    SendMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
                } else {
                    Click(prompt, answer);
                }
            });
        EXPECT_EQ(result, TRUE);
        EXPECT_EQ(Working().FinishPosition1, 0);
        EXPECT_EQ(Working().Public.dmDuplex, DMDUP_VERTICAL);
    }
}

TEST_F(FinishDialog, APositionThatClashesWithTheOtherAsksFirst) {
    Working().FinishPosition2 = 3;
    Working().CoverFlags = kOutputSecondChosen;
    // Cancel: both positions stay and the first row goes back to its entry.
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDCANCEL; });
    Run(
        [&](HWND dialog) {
            EXPECT_EQ(Selected(dialog, kFinishingSecondList), 2);
            ClickListItem(dialog, kFinishingFirstList, 1);
            EXPECT_EQ(Selected(dialog, kFinishingFirstList), 0);
        },
        IDOK);
    EXPECT_EQ(Working().FinishPosition1, 0);
    EXPECT_EQ(Working().FinishPosition2, 3);
    EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{String(kClearSecondPositionMessage)});
    EXPECT_EQ(standin::ui::MessageBoxes()[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));

    // OK: the second position goes.
    standin::ui::ResetShell();
    Run(
        [&](HWND dialog) {
            ClickListItem(dialog, kFinishingFirstList, 1);
            EXPECT_EQ(Selected(dialog, kFinishingSecondList), 0);
        },
        IDOK);
    EXPECT_EQ(Working().FinishPosition1, 1);
    EXPECT_EQ(Working().FinishPosition2, 0);
    EXPECT_EQ(Working().CoverFlags & (kOutputFirstChosen | kOutputSecondChosen), kOutputFirstChosen);
    EXPECT_EQ(MessageTexts(), (std::vector<std::u16string>{String(kClearSecondPositionMessage),
                                                           String(kSecondPositionDroppedMessage)}));
}

TEST_F(FinishDialog, CancelDiscardsEveryChange) {
    Working().Public.dmDuplex = DMDUP_VERTICAL;
    const DriverDevMode before = Working();
    const INT_PTR result = Run(
        [&](HWND dialog) {
            ClickListItem(dialog, kFinishingFirstList, 5);
            ClickListItem(dialog, kFinishingSecondList, 1);
            EXPECT_EQ(context_->scratchBlock.Public.dmDuplex, DMDUP_SIMPLEX);
        },
        IDCANCEL, [&](HWND prompt, int) { Click(prompt, kConflictAlternative); });
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(memcmp(&Working(), &before, sizeof before), 0);
}

TEST_F(FinishDialog, DefaultsClearBothPositions) {
    Working().FinishPosition1 = 4;
    Working().FinishPosition2 = 2;
    Working().CoverFlags = kOutputFirstChosen | kOutputSecondChosen;
    Run(
        [&](HWND dialog) {
            EXPECT_EQ(Selected(dialog, kFinishingFirstList), 2);
            EXPECT_EQ(Selected(dialog, kFinishingSecondList), 1);
            Click(dialog, kDefaultsButton);
            EXPECT_EQ(Selected(dialog, kFinishingFirstList), 0);
            EXPECT_EQ(Selected(dialog, kFinishingSecondList), 0);
        },
        IDOK);
    EXPECT_EQ(Working().FinishPosition1, 0);
    EXPECT_EQ(Working().FinishPosition2, 0);
    EXPECT_EQ(Working().CoverFlags, 0u);
}

TEST_F(FinishDialog, WarningsOfTheSingledOutSourceAndTheFirstOption) {
    Working().Public.dmDefaultSource = kFinishingSource;  // not the manual slot: 0, 1, 4, 5, 6
    Working().CoverFlags = kOutputFirstOption;
    Run(
        [&](HWND dialog) {
            EXPECT_EQ(SendDlgItemMessageW(dialog, kFinishingFirstList, LB_GETCOUNT, 0, 0), 5);
            ClickListItem(dialog, kFinishingFirstList, 1);  // position 1 on A4 portrait: 757
            ClickListItem(dialog, kFinishingSecondList, 1);  // position 2 on A4: 758
            ClickListItem(dialog, kFinishingFirstList, 0);  // none again: the first option comes back
        },
        IDOK);
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::u16string>{String(kPaperDirectionMessage), String(kOutputPositionOffMessage),
                                           String(kSecondPositionA4Message)}));
    EXPECT_EQ(standin::ui::Beeps().size(), 2u);
    EXPECT_EQ(Working().FinishPosition1, 0);
    EXPECT_EQ(Working().FinishPosition2, 2);
    EXPECT_EQ(Working().CoverFlags, kOutputFirstOption | kOutputSecondChosen);
}

TEST_F(FinishDialog, B5LandscapeOffersNoSecondPosition) {
    Working().Public.dmOrientation = DMORIENT_LANDSCAPE;
    Working().Public.dmPaperSize = 13;
    Working().FinishPosition1 = 200;  // no entry has it: nothing is selected
    Run(
        [&](HWND dialog) {
            EXPECT_EQ(SendDlgItemMessageW(dialog, kFinishingFirstList, LB_GETCOUNT, 0, 0), 4);
            EXPECT_EQ(SendDlgItemMessageW(dialog, kFinishingSecondList, LB_GETCOUNT, 0, 0), 1);
            EXPECT_EQ(Selected(dialog, kFinishingFirstList), LB_ERR);
        },
        IDCANCEL);
    EXPECT_EQ(Working().FinishPosition1, 200);
}

}  // namespace
}  // namespace kvuifinish
