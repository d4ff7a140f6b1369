// The TrueType substitution dialog driven as a user does: the fixed-pitch TrueType faces the
// system offers, the device fonts, the stored and built-in tables, what OK stores (only faces
// with a substitution, names cut the same way when counted and written), damaged stored
// tables, and the read-only layout that never stores.
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/StandInControls.h"
#include "platform/StandInShell.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/PrinterData.h"
#include "tests/kvui_subst/SubstFixture.h"
#include "ui/dialogs/SubstDialogs.h"

namespace kvuisubst {
namespace {

const std::u16string kMincho = u"ＭＳ 明朝";
const std::u16string kGothic = u"ＭＳ ゴシック";

class TrueTypeSubstTest : public SubstTest {
protected:
    void SetUp() override {
        SubstTest::SetUp();
        ScriptFonts({});
    }
    static void ScriptFonts(std::vector<standin::ui::ScriptedFont> extra) {
        std::vector<standin::ui::ScriptedFont> fonts = {
            {kMincho, 128, kMincho, TRUETYPE_FONTTYPE, FIXED_PITCH},
            {kGothic, 128, kGothic, TRUETYPE_FONTTYPE, FIXED_PITCH},
            {u"Arial", ANSI_CHARSET, u"Arial", TRUETYPE_FONTTYPE, VARIABLE_PITCH},
            {u"Terminal", ANSI_CHARSET, u"Terminal", RASTER_FONTTYPE, FIXED_PITCH},
            {u"Mono A", ANSI_CHARSET, u"Shared Mono", TRUETYPE_FONTTYPE, FIXED_PITCH},
            {u"Mono A", ANSI_CHARSET, u"Mono A Bold", TRUETYPE_FONTTYPE, FIXED_PITCH},
            {u"Mono B", ANSI_CHARSET, u"Shared Mono", TRUETYPE_FONTTYPE, FIXED_PITCH},
        };
        fonts.insert(fonts.end(), extra.begin(), extra.end());
        standin::ui::ScriptFonts(fonts);
    }
    static HWND List(HWND dialog) { return GetDlgItem(dialog, kTTSubstList); }
    static HWND Combo(HWND dialog) { return GetDlgItem(dialog, kTTSubstCombo); }
};

TEST_F(TrueTypeSubstTest, OffersFixedPitchTrueTypeFacesOnceAndStoresOnlyChosenOnes) {
    Store(PD_TT_SUBST_TABLE, std::vector<BYTE>(4, 0));
    const INT_PTR result = Open(kTTSubstDeviceTemplate, [&](HWND dialog) {
        EXPECT_EQ(Choices(Combo(dialog)), (std::vector<std::u16string>{u"置き換えない", u"明朝", u"@明朝", u"ｺﾞｼｯｸ",
                                                                        u"@ｺﾞｼｯｸ", u"Courier", u"LinePrinter"}));
        EXPECT_EQ(SendMessageW(Combo(dialog), CB_GETITEMDATA, 2, 0), kVerticalMinchoFontName);
        EXPECT_EQ(Rows(List(dialog)), (std::vector<Row>{{kMincho, u"置き換えない", 0},
                                                        {kGothic, u"置き換えない", 0},
                                                        {u"Shared Mono", u"置き換えない", 0},
                                                        {u"Mono A Bold", u"置き換えない", 0}}));
        EXPECT_FALSE(Visible(dialog, kCloseButton));
        EXPECT_FALSE(Enabled(dialog, kCloseButton));
        ClickButton(dialog, kDefaultsButton);
        EXPECT_EQ(Rows(List(dialog))[0], (Row{kMincho, u"明朝", 1}));
        EXPECT_EQ(Rows(List(dialog))[1], (Row{kGothic, u"ｺﾞｼｯｸ", 3}));
        ClickItem(List(dialog), 2);
        EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(dialog, kTTSubstNameText)), 11);
        EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 5));
        EXPECT_EQ(Rows(List(dialog))[2], (Row{u"Shared Mono", u"Courier", 5}));
        // Nothing is stored before OK.
        EXPECT_EQ(Stored(PD_TT_SUBST_TABLE), std::vector<BYTE>(4, 0));
        SavePictureOf(dialog, "truetype-substitution");
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Stored(PD_TT_SUBST_TABLE), TableBytes({{kMincho, u"明朝"}, {kGothic, u"ｺﾞｼｯｸ"}, {u"Shared Mono", u"Courier"}}));
}

TEST_F(TrueTypeSubstTest, LoadsStoredPairsAndDropsWhatCannotBeShown) {
    Store(PD_TT_SUBST_TABLE, TableBytes({{u"Gone Face", u"明朝"}, {kMincho, u"@明朝"}, {kGothic, u"No Such Font"}}));
    const INT_PTR result = Open(kTTSubstDocumentTemplate, [&](HWND dialog) {
        const std::vector<Row> rows = Rows(List(dialog));
        EXPECT_EQ(rows[0], (Row{kMincho, u"@明朝", 2}));
        EXPECT_EQ(rows[1], (Row{kGothic, u"置き換えない", 0}));
        // Item 0 is selected and shown.
        EXPECT_EQ(SendMessageW(Combo(dialog), CB_GETCURSEL, 0, 0), 2);
        ClickItem(List(dialog), 0);
        EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 0));
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    // Entry 0 removes the face; the face that is not installed is gone: four zero bytes.
    EXPECT_EQ(Stored(PD_TT_SUBST_TABLE), std::vector<BYTE>(4, 0));
}

TEST_F(TrueTypeSubstTest, AFaceOfSixtyFourCharactersIsCountedAndWrittenWithTheSameCut) {
    const std::u16string longFace(64, u'W');
    ScriptFonts({{u"Wide", ANSI_CHARSET, longFace, TRUETYPE_FONTTYPE, FIXED_PITCH}});
    Store(PD_TT_SUBST_TABLE, std::vector<BYTE>(4, 0));
    EXPECT_EQ(Open(kTTSubstDeviceTemplate,
                   [&](HWND dialog) {
                       EXPECT_EQ(Rows(List(dialog)).back().name, longFace);
                       ClickItem(List(dialog), 4);
                       EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 1));
                       ClickItem(List(dialog), 0);
                       EXPECT_TRUE(standin::ui::ChooseComboItem(Combo(dialog), 3));
                       ClickButton(dialog, IDOK);
                   }),
              1);
    // The size is exactly that of the names written: no stray terminators between the pairs.
    EXPECT_EQ(Stored(PD_TT_SUBST_TABLE), TableBytes({{kMincho, u"ｺﾞｼｯｸ"}, {longFace.substr(0, 63), u"明朝"}}));
    // The cut name still finds its face.
    Open(kTTSubstDeviceTemplate, [&](HWND dialog) {
        EXPECT_EQ(Rows(List(dialog)).back(), (Row{longFace, u"明朝", 1}));
        ClickButton(dialog, IDCANCEL);
    });
}

TEST_F(TrueTypeSubstTest, DamagedStoredTablesAreReadWithinTheirBytes) {
    const std::vector<BYTE> good = TableBytes({{kMincho, u"明朝"}});
    std::vector<BYTE> odd = good;
    odd.push_back(0x41);
    const std::vector<BYTE> unterminated(good.begin(), good.end() - 2);
    std::vector<BYTE> overlong = TableBytes({{std::u16string(70, u'x'), u"Courier"}, {kMincho, u"明朝"}});
    const std::vector<BYTE> cutInFirstName = {0x41, 0x00, 0x42};
    std::vector<BYTE> overlongTarget = TableBytes({{kGothic, std::u16string(64, u'y')}, {kMincho, u"明朝"}});
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        DWORD type;
        LPARAM minchoChoice;
    };
    const Case cases[] = {
        {"whole", good, REG_BINARY, 1},
        {"odd size", odd, REG_BINARY, 1},
        {"no final terminator", unterminated, REG_BINARY, 1},
        {"a face over 63 characters", overlong, REG_BINARY, 1},
        {"a device font over 63 characters", overlongTarget, REG_BINARY, 1},
        {"cut inside the first name", cutInFirstName, REG_BINARY, 0},
        {"empty", std::vector<BYTE>(4, 0), REG_BINARY, 0},
        {"not binary", good, REG_SZ, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(PD_TT_SUBST_TABLE, c.bytes, c.type);
        EXPECT_EQ(Open(kTTSubstDeviceTemplate,
                       [&](HWND dialog) {
                           const std::vector<Row> rows = Rows(List(dialog));
                           EXPECT_EQ(rows[0].param, c.minchoChoice);
                           EXPECT_EQ(rows[1].param, 0);
                           ClickButton(dialog, IDCANCEL);
                       }),
                  0);
        DWORD type = 0;
        EXPECT_EQ(Stored(PD_TT_SUBST_TABLE, &type), c.bytes) << "Cancel stores nothing";
        EXPECT_EQ(type, c.type);
    }
}

TEST_F(TrueTypeSubstTest, ReadOnlyLayoutShowsATableAndNeverStores) {
    page_.flags = kPageFlagReadOnlyTables;
    const std::vector<BYTE> stored = TableBytes({{kMincho, u"Courier"}});
    Store(PD_TT_SUBST_TABLE, stored);
    for (bool builtIn : {false, true}) {
        SCOPED_TRACE(builtIn ? "built-in table" : "stored table");
        if (builtIn) context_->workingBlock.OptionFlags |= kOptionBuiltinTTSubst;
        const INT_PTR result = Open(kTTSubstDeviceTemplate, [&](HWND dialog) {
            for (int hidden : {IDOK, kDefaultsButton, kTTSubstCombo, kTTSubstNameText, kTTSubstLabel}) {
                EXPECT_FALSE(Visible(dialog, hidden)) << hidden;
                EXPECT_FALSE(Enabled(dialog, hidden)) << hidden;
            }
            EXPECT_FALSE(Visible(dialog, IDCANCEL));
            EXPECT_TRUE(Enabled(dialog, IDCANCEL));
            EXPECT_TRUE(Visible(dialog, kCloseButton));
            RECT list{}, combo{};
            GetWindowRect(List(dialog), &list);
            GetWindowRect(Combo(dialog), &combo);
            EXPECT_EQ(list.bottom, combo.bottom + 10);
            EXPECT_EQ(Rows(List(dialog))[0].choice, builtIn ? u"明朝" : u"Courier");
            // Neither OK (Enter) nor Defaults reach the table.
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            SendMessageW(dialog, WM_COMMAND, kDefaultsButton, 0);
            EXPECT_TRUE(IsWindow(dialog));
            if (builtIn) SavePictureOf(dialog, "truetype-substitution-read-only");
            ClickButton(dialog, kCloseButton);
        });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(Stored(PD_TT_SUBST_TABLE), stored);
    }
}

TEST_F(TrueTypeSubstTest, BothTemplatesOpenInBothLanguages) {
    for (const char* language : {"SE", "SJ"}) {
        UseLanguage(language);
        for (int templateId : {kTTSubstDeviceTemplate, kTTSubstDocumentTemplate}) {
            SCOPED_TRACE(std::string(language) + " " + std::to_string(templateId));
            EXPECT_EQ(Open(templateId,
                           [&](HWND dialog) {
                               EXPECT_EQ(Rows(List(dialog)).size(), 4u);
                               EXPECT_EQ(SendMessageW(Combo(dialog), CB_GETCOUNT, 0, 0), 7);
                               if (templateId == kTTSubstDeviceTemplate && std::string(language) == "SE") {
                                   SavePictureOf(dialog, "truetype-substitution-english");
                               }
                               ClickButton(dialog, IDCANCEL);
                           }),
                      0);
        }
    }
}

}  // namespace
}  // namespace kvuisubst
