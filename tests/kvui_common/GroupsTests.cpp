// Document page 1's category panels and layout controls, filled from the working settings.
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/StandInDraw.h"
#include "platform/User.h"
#include "tests/kvui_common/CommonFixture.h"
#include "ui/pages/PageIcons.h"

namespace kvuicommon {
namespace {

using PageGroups = CommonTest;

bool Shown(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return IsWindowVisible(control) && IsWindowEnabled(control);
}

TEST_F(PageGroups, EachCategoryShowsItsOwnSetWithItsLabelsAndHidesTheOthers) {
    HWND dialog = OpenPage(1100);
    ASSERT_NE(dialog, nullptr);
    struct Case {
        int index;
        std::vector<int> shown;
        std::vector<std::pair<int, UINT>> labels;
        UINT hint;
    };
    Working().PageStampSwitch = 1;
    const Case cases[] = {
        {0, {1111, 1114, 1117, 1122, 1125}, {{1113, 4500}, {1116, 4501}, {1119, 4502}, {1124, 4503}, {1125, 4504}}, 0},
        {1, {4151, 4152, 4161, 4166}, {{4152, 4579}, {4160, 4596}, {4163, 4597}, {4164, 4598}}, 674},
        {2, {4154, 4156, 4159}, {{4155, 4590}, {4158, 4591}, {4159, 4592}}, 675},
        {3, {1171, 1172, 1177, 1178}, {{1172, 4571}, {1174, 4572}, {1176, 4573}, {1178, 4574}}, 660},
        {4, {1139, 1140, 1141}, {{1141, 4560}}, 0},
    };
    const std::vector<int> groups[] = {{1111, 1125}, {4151, 4166}, {4154, 4159}, {1171, 1178}, {1139, 1141}};
    for (const Case& c : cases) {
        FillDocumentPage1Group(&page_, dialog, c.index);
        EXPECT_EQ(Working().CategoryIndex, c.index);
        for (int id : c.shown) EXPECT_TRUE(Shown(dialog, id)) << c.index << " " << id;
        for (const auto& [id, text] : c.labels) EXPECT_EQ(ItemText(dialog, id), LanguageString(language_, text)) << id;
        for (int other = 0; other < 5; ++other) {
            if (other == c.index) continue;
            for (int id : groups[other]) EXPECT_FALSE(Shown(dialog, id)) << c.index << " hides " << id;
        }
        for (int id : {1127, 1138, 4401, 1157, 1170, 1146, 1148}) EXPECT_FALSE(Shown(dialog, id)) << id;
        if (c.hint != 0) {
            EXPECT_EQ(ItemText(dialog, 1000), LanguageString(language_, c.hint)) << c.index;
        }
        ASSERT_EQ(Send(dialog, 1008, LB_GETCOUNT), 1);
        EXPECT_EQ(Send(dialog, 1008, LB_GETITEMDATA), Working().Public.dmPaperSize);
    }
    // The linked options give way to the first three panels only.
    ShowWindow(GetDlgItem(dialog, 1144), SW_SHOW);
    FillDocumentPage1Group(&page_, dialog, 4);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, 1144)));
    FillDocumentPage1Group(&page_, dialog, 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1144)));
}

TEST_F(PageGroups, CategoryPositionsOutsideTheTableAreBroughtIntoIt) {
    HWND dialog = OpenPage(1100);
    // The position comes from a settings block an application may have written.
    for (int index : {5, 6, 0xFFFF, -1, 0x7FFFFFFF}) {
        Working().CategoryIndex = 0;
        FillDocumentPage1Group(&page_, dialog, index);
        const int expected = index < 0 ? 0 : 4;
        EXPECT_EQ(Working().CategoryIndex, expected) << index;
        EXPECT_EQ(Shown(dialog, 1141), expected == 4) << index;
        EXPECT_EQ(Shown(dialog, 1114), expected == 0) << index;
    }
    PageCategory categories[kPageCategoryMax] = {};
    EXPECT_EQ(BuildPageCategories(&Working(), categories), 5);
    EXPECT_EQ(categories[4].iconId, 652);
    EXPECT_EQ(ClampCategoryIndex(3, 0), 0);
}

TEST_F(PageGroups, PanelValuesComeFromTheWorkingSettings) {
    HWND dialog = OpenPage(1100);
    Working().PageOptionBits = 0x4;
    Working().SplitCounts = 0x35;
    FillDocumentPage1Group(&page_, dialog, 1);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 4152), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 4163), BST_CHECKED);
    EXPECT_EQ(LOWORD(Send(dialog, 4162, UDM_GETPOS)), 5);
    EXPECT_EQ(LOWORD(Send(dialog, 4166, UDM_GETPOS)), 3);
    const LRESULT range = Send(dialog, 4162, UDM_GETRANGE);
    EXPECT_EQ(HIWORD(range), 2);
    EXPECT_EQ(LOWORD(range), 6);
    // One character at most.
    SetDlgItemTextW(dialog, 4161, u"");
    SendMessageW(GetDlgItem(dialog, 4161), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"42"));
    EXPECT_EQ(ItemText(dialog, 4161).size(), 1u);

    // The own stamp text shows only with the own-text choice; an unterminated field is cut.
    for (WCHAR& c : Working().PageStampText) c = u'x';
    Working().PageStampSelector = 8;
    FillDocumentPage1Group(&page_, dialog, 3);
    EXPECT_EQ(ItemText(dialog, 1177), std::u16string(65, u'x'));
    Working().PageStampSelector = 2;
    FillDocumentPage1Group(&page_, dialog, 3);
    EXPECT_EQ(ItemText(dialog, 1177), u"");
    EXPECT_EQ(Working().PageStampText[0], u'x');

    EXPECT_GT(Send(dialog, 1173, CB_GETCOUNT), 0);
    EXPECT_GT(Send(dialog, 1175, CB_GETCOUNT), 0);

    Working().RelaydockFlags = 0x2;
    FillDocumentPage1Group(&page_, dialog, 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 4159), BST_CHECKED);
    EXPECT_GT(Send(dialog, 4156, CB_GETCOUNT), 0);

    Working().FeatureFlags |= 0x4;
    context_->status.printerExtStatus = 0x4;
    FillDocumentPage1Group(&page_, dialog, 4);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1141), BST_CHECKED);
    EXPECT_EQ(ItemText(dialog, 1000), LanguageString(language_, 624));
    context_->status.printerExtStatus = 0;
    FillDocumentPage1Group(&page_, dialog, 4);
    EXPECT_EQ(ItemText(dialog, 1000), u"");
}

TEST_F(PageGroups, TheLayoutPanelListsChoicesAndHintsWhatFixesThem) {
    HWND dialog = OpenPage(1100);
    Working().PagesPerSheet = 4;
    Working().PageFrame = 2;
    Working().FeatureFlags = 0x200;
    Working().NupDown = 1;
    Working().NupAcross = 1;
    Working().OverlayFlags = 0;
    FillDocumentPage1Group(&page_, dialog, 0);
    ASSERT_EQ(Send(dialog, 1114, CB_GETCOUNT), 7);
    EXPECT_EQ(Send(dialog, 1114, CB_GETITEMDATA, 6), 566);
    EXPECT_EQ(Send(dialog, 1114, CB_GETITEMDATA, static_cast<WPARAM>(Send(dialog, 1114, CB_GETCURSEL))), 554);
    EXPECT_EQ(ComboText(dialog, 1114, 2), LanguageString(language_, 554));
    ASSERT_EQ(Send(dialog, 1117, CB_GETCOUNT), 5);
    EXPECT_EQ(Send(dialog, 1117, CB_GETCURSEL), 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1119), BST_CHECKED);
    EXPECT_EQ(ItemText(dialog, 1000), u"");
    EXPECT_EQ(SendDlgItemMessageW(dialog, 1112, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(PageIcon(&page_, 724)));

    Working().PagesPerSheet = 3;  // no such entry
    Working().PageFrame = 9;
    Working().NupAcross = 2;
    FillDocumentPage1Group(&page_, dialog, 0);
    EXPECT_EQ(Send(dialog, 1114, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(Send(dialog, 1117, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(ItemText(dialog, 1000), LanguageString(language_, 600));
    const std::filesystem::path png = OutputFolder() / "page1-layout.png";
    EXPECT_TRUE(standin::ui::SavePicture(dialog, png.string()));
}

TEST_F(PageGroups, TheBorderRadiosFollowTheFrameAndTurnTheirLabelsWithThePages) {
    HWND dialog = OpenPage(1100);
    Working().Public.dmPaperWidth = 2100;
    Working().Public.dmPaperLength = 2970;
    Working().OutputPaperSize = 0;
    struct Case {
        WORD mode;
        WORD frame;
        short orientation;
        int checked;
        UINT first;
        UINT second;
    };
    const Case cases[] = {
        {1, 0, DMORIENT_PORTRAIT, 1122, 518, 519},
        {4, 3, DMORIENT_PORTRAIT, 1125, 518, 519},
        {2, 1, DMORIENT_PORTRAIT, 1123, 514, 515},
        {2, 1, DMORIENT_LANDSCAPE, 1123, 516, 517},
        {2, 200, DMORIENT_LANDSCAPE, 1125, 516, 517},  // an out-of-range frame: the last radio
    };
    for (const Case& c : cases) {
        Working().PagesPerSheet = c.mode;
        Working().NupSlotOrder = c.frame;
        Working().Public.dmOrientation = c.orientation;
        ShowBorderRadios(&page_, dialog);
        for (int id = 1122; id <= 1125; ++id) {
            EXPECT_EQ(IsDlgButtonChecked(dialog, id), id == c.checked ? BST_CHECKED : BST_UNCHECKED) << id;
        }
        EXPECT_EQ(ItemText(dialog, 1122), LanguageString(language_, c.first) + u"(&H)");
        EXPECT_EQ(ItemText(dialog, 1123), LanguageString(language_, c.second));
        EXPECT_NE(SendDlgItemMessageW(dialog, 1121, STM_GETICON, 0, 0), 0);
    }
}

}  // namespace
}  // namespace kvuicommon
