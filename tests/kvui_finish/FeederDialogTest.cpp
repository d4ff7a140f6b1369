// The feeder setting dialog driven as a user does: the list by source, the setting and its
// copy, Defaults, OK with its warnings, and Cancel, in both languages, with its picture.
#include "platform/Controls.h"
#include "platform/StandInControls.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_finish/FinishFixture.h"
#include "ui/dialogs/FeederDialog.h"

namespace kvuifinish {
namespace {

// Input slot values of the sample model.
constexpr SHORT kFeeder2 = 258;
constexpr SHORT kFeeder4 = 260;
constexpr SHORT kFeeder5 = 261;

class FeederDialog : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Working().Public.dmDefaultSource = kFeeder2;
        Working().Public.dmDuplex = DMDUP_SIMPLEX;
        Working().SourceMediaValue = 0;
        Working().FeederSetting = 1;
        Working().SavedFeederSetting = 1;
    }
    INT_PTR Run(const std::function<void(HWND)>& inside, int button) {
        return Drive([&] { return ShowFeederSettingDialog(&page_, nullptr); },
                     [&](HWND dialog, int) {
                         inside(dialog);
                         Click(dialog, button);
                     });
    }
    static LRESULT Count(HWND dialog) { return SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETCOUNT, 0, 0); }
    static LRESULT SelectedData(HWND dialog) {
        const LRESULT selected = SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETCURSEL, 0, 0);
        if (selected < 0) return -1;
        return SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    }
};

TEST_F(FeederDialog, AChosenSettingAndItsCopyReachTheWorkingBlockOnOk) {
    for (bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "ja" : "en");
        UseLanguage(japanese);
        Working().FeederSetting = 1;
        const INT_PTR result = Run(
            [&](HWND dialog) {
                EXPECT_EQ(Count(dialog), 6);
                EXPECT_EQ(SelectedData(dialog), 1);
                WCHAR text[64] = {};
                SendDlgItemMessageW(dialog, kFeederSettingCombo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text));
                EXPECT_EQ(std::u16string(text), String(kFeederLabelsText));
                ASSERT_TRUE(standin::ui::ChooseComboItem(GetDlgItem(dialog, kFeederSettingCombo), 3));
                EXPECT_EQ(context_->scratchBlock.FeederSetting, 4);
                EXPECT_EQ(context_->scratchBlock.SavedFeederSetting, 4);
                EXPECT_EQ(Working().FeederSetting, 1);
                EXPECT_TRUE(SavePicture(dialog, japanese ? "feeder-ja" : "feeder-en"));
            },
            IDOK);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(Working().FeederSetting, 4);
        EXPECT_EQ(Working().SavedFeederSetting, 4);
    }
}

TEST_F(FeederDialog, FirstAndFifthFeedersHaveOneSetting) {
    Working().Public.dmDefaultSource = kFeeder5;
    Working().FeederSetting = 4;
    Run(
        [&](HWND dialog) {
            EXPECT_EQ(Count(dialog), 1);
            EXPECT_EQ(SelectedData(dialog), 1);
            EXPECT_EQ(context_->scratchBlock.FeederSetting, 1);
        },
        IDOK);
    EXPECT_EQ(Working().FeederSetting, 1);
}

TEST_F(FeederDialog, SourcesOutsideTheUsersChoiceLeaveTheCopyAlone) {
    for (SHORT source : {SHORT{256}, kFeeder4}) {
        SCOPED_TRACE(source);
        Working().Public.dmDefaultSource = source;
        Working().SavedFeederSetting = 3;
        Run(
            [&](HWND dialog) {
                ASSERT_TRUE(standin::ui::ChooseComboItem(GetDlgItem(dialog, kFeederSettingCombo), 4));
                EXPECT_EQ(context_->scratchBlock.FeederSetting, 5);
                EXPECT_EQ(context_->scratchBlock.SavedFeederSetting, 3);
                Click(dialog, kDefaultsButton);
                EXPECT_EQ(context_->scratchBlock.FeederSetting, 1);
                EXPECT_EQ(context_->scratchBlock.SavedFeederSetting, 3);
            },
            IDCANCEL);
    }
}

TEST_F(FeederDialog, CancelLeavesTheWorkingBlockAndDefaultsChooseTheFirst) {
    Working().FeederSetting = 9;  // outside 1 to 6: no entry is chosen and nothing is written
    const DriverDevMode before = Working();
    const INT_PTR result = Run(
        [&](HWND dialog) {
            EXPECT_EQ(SelectedData(dialog), -1);
            EXPECT_EQ(context_->scratchBlock.FeederSetting, 9);
            Click(dialog, kDefaultsButton);
            EXPECT_EQ(SelectedData(dialog), 1);
            EXPECT_EQ(context_->scratchBlock.FeederSetting, 1);
            EXPECT_EQ(context_->scratchBlock.SavedFeederSetting, 1);
        },
        IDCANCEL);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(memcmp(&Working(), &before, sizeof before), 0);
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());
}

TEST_F(FeederDialog, OkWarnsAboutAMediaThatDuplexCannotTake) {
    Working().Public.dmDefaultSource = 4;  // the manual slot takes every media
    Working().Public.dmDuplex = DMDUP_VERTICAL;
    // The media as the user chose it: the value, its copy and the per-source values.
    Working().SourceMediaValue = 1;
    Working().SavedSourceMediaValue = 1;
    for (WORD& value : Working().SourceValues) value = 1;
    Run([&](HWND dialog) { ASSERT_TRUE(standin::ui::ChooseComboItem(GetDlgItem(dialog, kFeederSettingCombo), 2)); }, IDOK);
    ASSERT_EQ(Working().SourceMediaValue, 1) << "the resolver kept the media";
    const std::vector<std::u16string> texts = MessageTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], String(kMediaNotDuplexMessage));
    EXPECT_EQ(standin::ui::MessageBoxes()[0].caption, context_->printerName);
    EXPECT_EQ(standin::ui::MessageBoxes()[0].type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_FALSE(standin::ui::Beeps().empty());
}

}  // namespace
}  // namespace kvuifinish
