// The two substitution-table items: their entries follow the block's switch, a choice sets it
// and enables or disables the table button, the button opens the printer-wide table dialog,
// and OK writes the switch as printer data.
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "settings/PrinterData.h"
#include "tests/kvui_device/DeviceFixture.h"
#include "ui/dialogs/SubstDialogs.h"

namespace kvuidevice {
namespace {

struct TableCase {
    const char* name;
    int item;
    DWORD bit;
    const char16_t* value;  // the switch's printer data
    int dialogList;         // a control only the table's dialog holds
    WORD builtInIcon;
    WORD ownIcon;
};

const TableCase kTables[] = {
    {"TrueType", kTrueTypeTableTreeItem, kOptionBuiltinTTSubst, PD_TT_SUBST_DEFAULT, kTTSubstList,
     kBuiltInFontTableIconId, kPrinterFontTableIconId},
    {"OutputPaper", kOutputPaperTableTreeItem, kOptionNoOutPaperTable, PD_OUT_PAPER_DEFAULT, kOutPaperSubstList,
     kBuiltInPaperTableIconId, kPrinterPaperTableIconId},
};

class Tables : public DeviceTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(Tables, AChoiceSetsTheSwitchAndTheButtonAndOkWritesIt) {
    const TableCase& c = GetParam();
    ASSERT_TRUE(RunSheet([&] {
        SelectItem(c.item);
        EXPECT_TRUE(Shown(kItemList));
        EXPECT_TRUE(Shown(kItemSecondButton));
        EXPECT_FALSE(Shown(kItemButton));
        const std::vector<LPARAM> expected = {static_cast<LPARAM>(478u << 16 | c.builtInIcon),
                                              static_cast<LPARAM>(479u << 16 | c.ownIcon)};
        EXPECT_EQ(EntryData(), expected);
        // The sample printer starts with the built-in tables.
        ASSERT_NE(Working().OptionFlags & c.bit, 0u);
        EXPECT_EQ(CurrentEntry(), 0);
        EXPECT_FALSE(Enabled(kItemSecondButton));
        EXPECT_FALSE(ApplyEnabled());

        ChooseEntry(1);
        EXPECT_EQ(Working().OptionFlags & c.bit, 0u);
        EXPECT_EQ(CurrentEntry(), 1);
        EXPECT_TRUE(Enabled(kItemSecondButton));
        EXPECT_TRUE(ApplyEnabled());

        ChooseEntry(0);
        EXPECT_NE(Working().OptionFlags & c.bit, 0u);
        EXPECT_FALSE(Enabled(kItemSecondButton));
        ChooseEntry(1);
        Ok();
    }));
    EXPECT_EQ(StoredDword(c.value), 0u);
}

TEST_P(Tables, TheButtonOpensThePrinterWideTableAndACancelChangesNothing) {
    const TableCase& c = GetParam();
    bool opened = false;
    ASSERT_TRUE(RunSheet(
        [&] {
            SelectItem(c.item);
            ChooseEntry(1);
            Ok();  // applied: the sheet has nothing left to apply
            // A read-only opener before must not leave the printer's table read-only.
            Record()->flags |= kPageFlagReadOnlyTables;
            Press(kItemSecondButton);
            EXPECT_TRUE(opened);
            EXPECT_FALSE(ApplyEnabled());
        },
        {[&](HWND dialog) {
            opened = true;
            EXPECT_NE(GetDlgItem(dialog, c.dialogList), nullptr);
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDOK)));  // the editing layout
            EndDialog(dialog, 0);
        }}));
}

INSTANTIATE_TEST_SUITE_P(Items, Tables, ::testing::ValuesIn(kTables),
                         [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kvuidevice
