// The output-paper substitution dialog driven as a user does: the papers of the form list,
// the output papers among them, the warning for a paper left without one, what OK stores
// (only papers with an output paper of their own), the pairs the lists cannot show (the
// installation's table) kept through OK and brought back by Defaults, damaged stored tables,
// and the read-only layout that never stores.
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"
#include "tests/kvui_subst/SubstFixture.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/dialogs/SubstDialogs.h"

namespace kvuisubst {
namespace {

// The installation's table (the library's RCDATA 1001).
const Pairs kBuiltIn = {
    {u"A3->B4", u"B4 (JIS)"}, {u"A3->A4", u"A4"},         {u"B4->A4", u"A4"},         {u"B4->B5", u"B5 (JIS)"},
    {u"A4->B5", u"B5 (JIS)"}, {u"A4->A3", u"A3"},         {u"A4->B4", u"B4 (JIS)"},   {u"B4->A3", u"A3"},
    {u"B5->A4", u"A4"},       {u"B5->B4", u"B4 (JIS)"},   {u"A4x2->A4", u"A4"},       {u"B5x2->B5", u"B5 (JIS)"},
    {u"LP->B4", u"B4 (JIS)"}, {u"LP->A4", u"A4"},
};

class OutPaperSubstTest : public SubstTest {
protected:
    void SetUp() override {
        SubstTest::SetUp();
        // Papers of the list: a standard paper of output size, three output papers (the last
        // at both upper bounds), a paper too small, one too long, and one of the built-in
        // table's papers.
        SetForms({{u"A4", 2100, 2970},
                  {u"15x11", 3810, 2794},
                  {u"10x11", 2540, 2794},
                  {u"Wide", 4572, 3556},
                  {u"Postcard", 1000, 1480},
                  {u"Long", 2970, 3557},
                  {u"LP->A4", 1650, 1778}});
        const ModelForm* form = ModelDefaultForm(model_);
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(std::u16string(ModelString(model_, form->NameOffset)), u"A4") << "the tests expect no fallback";
    }
    static HWND List(HWND dialog) { return GetDlgItem(dialog, kOutPaperSubstList); }
    static HWND Combo(HWND dialog) { return GetDlgItem(dialog, kOutPaperSubstCombo); }
    static std::vector<Row> Initial() {
        return {{u"A4", u"", -1},         {u"15x11", u"なし", 0},    {u"10x11", u"なし", 0}, {u"Wide", u"なし", 0},
                {u"Postcard", u"", -1}, {u"Long", u"", -1},       {u"LP->A4", u"", -1}};
    }
};

TEST_F(OutPaperSubstTest, OffersTheOutputPapersAndStoresOnlyPapersGivenOne) {
    Store(PD_OUT_PAPER_TABLE, std::vector<BYTE>(4, 0));
    const INT_PTR result = Open(kOutPaperSubstDeviceTemplate, [&](HWND dialog) {
        EXPECT_EQ(Choices(Combo(dialog)), (std::vector<std::u16string>{u"なし", u"15x11", u"10x11", u"Wide"}));
        EXPECT_EQ(SendMessageW(Combo(dialog), CB_GETITEMDATA, 0, 0), 0);
        EXPECT_EQ(SendMessageW(Combo(dialog), CB_GETITEMDATA, 3, 0), 4) << "the form's position in the list";
        EXPECT_EQ(Rows(List(dialog)), Initial());
        EXPECT_TRUE(Enabled(dialog, kOutPaperSubstCombo));
        ClickItem(List(dialog), 4);
        EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 1));
        EXPECT_EQ(Rows(List(dialog))[4], (Row{u"Postcard", u"15x11", 1}));
        SavePictureOf(dialog, "output-paper-substitution");
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    // The papers still without an output paper (-1) and the output papers (0) are not stored.
    EXPECT_EQ(Stored(PD_OUT_PAPER_TABLE), TableBytes({{u"Postcard", u"15x11"}}));
}

TEST_F(OutPaperSubstTest, OnlyAnOutputPaperCanGoWithoutOne) {
    Store(PD_OUT_PAPER_TABLE, TableBytes({{u"Postcard", u"Wide"}}));
    const INT_PTR result = Open(kOutPaperSubstDocumentTemplate, [&](HWND dialog) {
        ClickItem(List(dialog), 4);
        EXPECT_FALSE(standin::ui::ChooseComboItem(Combo(dialog), 0)) << "the list goes back";
        const auto boxes = standin::ui::MessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        if (!boxes.empty()) {
            EXPECT_EQ(boxes[0].text, u"この用紙は出力用紙を指定しないと印刷できません。");
            EXPECT_EQ(boxes[0].caption, kvtest::kSamplePrinterName);
            EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
        }
        EXPECT_EQ(standin::ui::Beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
        // The paper keeps its output paper, and the list shows it again.
        EXPECT_EQ(Rows(List(dialog))[4], (Row{u"Postcard", u"Wide", 3}));
        EXPECT_EQ(SendMessageW(Combo(dialog), CB_GETCURSEL, 0, 0), 3);
        EXPECT_EQ(SendMessageW(Combo(dialog), CB_GETTOPINDEX, 0, 0), 3);
        // A paper that is an output paper itself may.
        ClickItem(List(dialog), 3);
        EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 2));
        EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 0));
        EXPECT_EQ(Rows(List(dialog))[3], (Row{u"Wide", u"なし", 0}));
        EXPECT_EQ(standin::ui::MessageBoxes().size(), 1u);
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Stored(PD_OUT_PAPER_TABLE), TableBytes({{u"Postcard", u"Wide"}}));
}

TEST_F(OutPaperSubstTest, PairsTheListsCannotShowSurviveOk) {
    // The installation's table after a pair the user made; A4's pair names an output paper
    // that is not offered.
    Pairs stored = {{u"Postcard", u"10x11"}, {u"A4", u"B4 (JIS)"}};
    stored.insert(stored.end(), kBuiltIn.begin(), kBuiltIn.end());
    Store(PD_OUT_PAPER_TABLE, TableBytes(stored));
    EXPECT_EQ(Open(kOutPaperSubstDeviceTemplate,
                   [&](HWND dialog) {
                       EXPECT_EQ(Rows(List(dialog))[4], (Row{u"Postcard", u"10x11", 2}));
                       EXPECT_EQ(Rows(List(dialog))[0], (Row{u"A4", u"", -1}));
                       ClickButton(dialog, IDOK);
                   }),
              1);
    EXPECT_EQ(Stored(PD_OUT_PAPER_TABLE), TableBytes(stored));

    // Once the user gives A4 an output paper here, that pair replaces the kept one.
    EXPECT_EQ(Open(kOutPaperSubstDeviceTemplate,
                   [&](HWND dialog) {
                       ClickItem(List(dialog), 0);
                       EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 3));
                       ClickButton(dialog, IDOK);
                   }),
              1);
    Pairs expected = {{u"A4", u"Wide"}, {u"Postcard", u"10x11"}};
    expected.insert(expected.end(), kBuiltIn.begin(), kBuiltIn.end());
    EXPECT_EQ(Stored(PD_OUT_PAPER_TABLE), TableBytes(expected));
}

TEST_F(OutPaperSubstTest, DefaultsBringBackTheInstallationTable) {
    Store(PD_OUT_PAPER_TABLE, TableBytes({{u"Postcard", u"10x11"}, {u"Long", u"Wide"}}));
    EXPECT_EQ(Open(kOutPaperSubstDeviceTemplate,
                   [&](HWND dialog) {
                       ClickItem(List(dialog), 1);
                       EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 2));
                       ClickButton(dialog, kDefaultsButton);
                       EXPECT_EQ(Rows(List(dialog)), Initial());
                       ClickButton(dialog, IDOK);
                   }),
              1);
    EXPECT_EQ(Stored(PD_OUT_PAPER_TABLE), TableBytes(kBuiltIn));
}

TEST_F(OutPaperSubstTest, DamagedStoredTablesAreReadWithinTheirBytes) {
    const std::vector<BYTE> good = TableBytes({{u"Postcard", u"Wide"}});
    std::vector<BYTE> odd = good;
    odd.push_back(0x41);
    const std::vector<BYTE> unterminated(good.begin(), good.end() - 2);
    const std::vector<BYTE> overlong = TableBytes({{std::u16string(90, u'z'), u"Wide"}, {u"Postcard", u"Wide"}});
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        Pairs afterOk;
    };
    const Case cases[] = {
        {"odd size", odd, {{u"Postcard", u"Wide"}}},
        {"no final terminator", unterminated, {{u"Postcard", u"Wide"}}},
        {"a paper over 63 characters", overlong, {{u"Postcard", u"Wide"}}},
        {"a lone name", TableBytes({{u"Postcard", u""}}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(PD_OUT_PAPER_TABLE, c.bytes);
        EXPECT_EQ(Open(kOutPaperSubstDeviceTemplate, [&](HWND dialog) { ClickButton(dialog, IDOK); }), 1);
        const std::vector<BYTE> written = Stored(PD_OUT_PAPER_TABLE);
        EXPECT_EQ(written, c.afterOk.empty() ? std::vector<BYTE>(4, 0) : TableBytes(c.afterOk));
    }
}

TEST_F(OutPaperSubstTest, ReadOnlyLayoutShowsATableAndNeverStores) {
    page_.flags = kPageFlagReadOnlyTables;
    context_->workingBlock.OptionFlags |= kOptionNoOutPaperTable;
    const std::vector<BYTE> stored = TableBytes({{u"Postcard", u"Wide"}});
    Store(PD_OUT_PAPER_TABLE, stored);
    for (const char* language : {"SJ", "SE"}) {
        UseLanguage(language);
        for (int templateId : {kOutPaperSubstDeviceTemplate, kOutPaperSubstDocumentTemplate}) {
            SCOPED_TRACE(std::string(language) + " " + std::to_string(templateId));
            EXPECT_EQ(Open(templateId,
                           [&](HWND dialog) {
                               for (int hidden : {IDOK, kDefaultsButton, kOutPaperSubstCombo, kOutPaperSubstNameText,
                                                  kOutPaperSubstLabel}) {
                                   EXPECT_FALSE(Visible(dialog, hidden)) << hidden;
                                   EXPECT_FALSE(Enabled(dialog, hidden)) << hidden;
                               }
                               EXPECT_TRUE(Visible(dialog, kCloseButton));
                               // The built-in table: the stored pair is not shown.
                               EXPECT_EQ(Rows(List(dialog))[4].param, -1);
                               ClickItem(List(dialog), 4);
                               EXPECT_FALSE(Enabled(dialog, kOutPaperSubstCombo));
                               SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                               SendMessageW(dialog, WM_COMMAND, kDefaultsButton, 0);
                               if (templateId == kOutPaperSubstDeviceTemplate && std::string(language) == "SE") {
                                   SavePictureOf(dialog, "output-paper-substitution-read-only");
                               }
                               ClickButton(dialog, kCloseButton);
                           }),
                      0);
            EXPECT_EQ(Stored(PD_OUT_PAPER_TABLE), stored);
        }
    }
}

}  // namespace
}  // namespace kvuisubst
