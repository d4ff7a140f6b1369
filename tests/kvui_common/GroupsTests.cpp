// Document page 1's category panels and layout controls, filled from the working settings.
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/StandInDraw.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
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
    HWND dialog = OpenPage(kDocumentPage1Template);
    ASSERT_NE(dialog, nullptr);
    struct Case {
        int index;
        std::vector<int> shown;
        std::vector<std::pair<int, UINT>> labels;
        UINT hint;
    };
    Working().PageStampSwitch = 1;
    const Case cases[] = {
        {0,
         {kPagesPerSheetGroup, kPagesPerSheetList, kPageOrderList, kBorderNoneRadio, kBorderDottedRadio},
         {{kPagesPerSheetLabel, kPagesPerSheetLabelText},
          {kPageOrderLabel, kPageOrderLabelText},
          {kShiftMarginsCheck, kShiftMarginsCheckText},
          {kBorderThickRadio, kBorderThickRadioText},
          {kBorderDottedRadio, kBorderDottedRadioText}},
         0},
        {1,
         {kSeparateCopiesIcon, kSeparateCopiesCheck, kSplitPagesEdit, kSplitJobsUpDown},
         {{kSeparateCopiesCheck, kSeparateCopiesCheckText},
          {kSplitPagesLabel, kSplitPagesLabelText},
          {kSplitJobCheck, kSplitJobCheckText},
          {kSplitJobsLabel, kSplitJobsLabelText}},
         kSplitHint},
        {2,
         {kDestinationIcon, kDestinationCombo, kKeepJobFilesCheck},
         {{kDestinationLabel, kDestinationLabelText},
          {kJobFileFolderButton, kJobFileFolderButtonText},
          {kKeepJobFilesCheck, kKeepJobFilesCheckText}},
         kDestinationHint},
        {3,
         {kStampIcon, kStampCheck, kJobTextEdit, kJobTextLabel},
         {{kStampCheck, kStampCheckText},
          {kStampPositionLabel, kStampPositionLabelText},
          {kStampTextLabel, kStampTextLabelText},
          {kJobTextLabel, kJobTextLabelText}},
         kStampHint},
        {4,
         {kPrinterStatusGroup, kPrinterStatusIcon, kPrinterStatusCheck},
         {{kPrinterStatusCheck, kPrinterStatusCheckText}},
         0},
    };
    const std::vector<int> groups[] = {{kPagesPerSheetGroup, kBorderDottedRadio},
                                       {kSeparateCopiesIcon, kSplitJobsUpDown},
                                       {kDestinationIcon, kKeepJobFilesCheck},
                                       {kStampIcon, kJobTextLabel},
                                       {kPrinterStatusGroup, kPrinterStatusCheck}};
    for (const Case& c : cases) {
        FillDocumentPage1Group(&page_, dialog, c.index);
        EXPECT_EQ(Working().CategoryIndex, c.index);
        for (int id : c.shown) EXPECT_TRUE(Shown(dialog, id)) << c.index << " " << id;
        for (const auto& [id, text] : c.labels) EXPECT_EQ(ItemText(dialog, id), LanguageString(language_, text)) << id;
        for (int other = 0; other < 5; ++other) {
            if (other == c.index) continue;
            for (int id : groups[other]) EXPECT_FALSE(Shown(dialog, id)) << c.index << " hides " << id;
        }
        for (int id : {kDuplexGroup, kBindingReversedRadio, kBindingShiftEdit, kPrintModeGroup, kSecondPositionText,
                       kOutputOptionIcon, kPrintAndHoldCheck}) {
            EXPECT_FALSE(Shown(dialog, id)) << id;
        }
        if (c.hint != 0) {
            EXPECT_EQ(ItemText(dialog, kHintText), LanguageString(language_, c.hint)) << c.index;
        }
        ASSERT_EQ(Send(dialog, kPreviewControl, LB_GETCOUNT), 1);
        EXPECT_EQ(Send(dialog, kPreviewControl, LB_GETITEMDATA), Working().Public.dmPaperSize);
    }
    // The linked options give way to the first three panels only.
    ShowWindow(GetDlgItem(dialog, kFastA4Check), SW_SHOW);
    FillDocumentPage1Group(&page_, dialog, 4);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, kFastA4Check)));
    FillDocumentPage1Group(&page_, dialog, 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kFastA4Check)));
}

TEST_F(PageGroups, CategoryPositionsOutsideTheTableAreBroughtIntoIt) {
    HWND dialog = OpenPage(kDocumentPage1Template);
    // The position comes from a settings block an application may have written.
    for (int index : {5, 6, 0xFFFF, -1, 0x7FFFFFFF}) {
        Working().CategoryIndex = 0;
        FillDocumentPage1Group(&page_, dialog, index);
        const int expected = index < 0 ? 0 : 4;
        EXPECT_EQ(Working().CategoryIndex, expected) << index;
        EXPECT_EQ(Shown(dialog, kPrinterStatusCheck), expected == 4) << index;
        EXPECT_EQ(Shown(dialog, kPagesPerSheetList), expected == 0) << index;
    }
    PageCategory categories[kPageCategoryMax] = {};
    EXPECT_EQ(BuildPageCategories(&Working(), categories), 5);
    EXPECT_EQ(categories[4].iconId, kStatusCategoryIconId);
    EXPECT_EQ(ClampCategoryIndex(3, 0), 0);
}

TEST_F(PageGroups, PanelValuesComeFromTheWorkingSettings) {
    HWND dialog = OpenPage(kDocumentPage1Template);
    Working().PageOptionBits = 0x4;
    Working().SplitCounts = 0x35;
    FillDocumentPage1Group(&page_, dialog, 1);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kSeparateCopiesCheck), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kSplitJobCheck), BST_CHECKED);
    EXPECT_EQ(LOWORD(Send(dialog, kSplitPagesUpDown, UDM_GETPOS)), 5);
    EXPECT_EQ(LOWORD(Send(dialog, kSplitJobsUpDown, UDM_GETPOS)), 3);
    const LRESULT range = Send(dialog, kSplitPagesUpDown, UDM_GETRANGE);
    EXPECT_EQ(HIWORD(range), 2);
    EXPECT_EQ(LOWORD(range), 6);
    // One character at most.
    SetDlgItemTextW(dialog, kSplitPagesEdit, u"");
    SendMessageW(GetDlgItem(dialog, kSplitPagesEdit), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"42"));
    EXPECT_EQ(ItemText(dialog, kSplitPagesEdit).size(), 1u);

    // The own stamp text shows only with the own-text choice; an unterminated field is cut.
    for (WCHAR& c : Working().PageStampText) c = u'x';
    Working().PageStampSelector = 8;
    FillDocumentPage1Group(&page_, dialog, 3);
    EXPECT_EQ(ItemText(dialog, kJobTextEdit), std::u16string(65, u'x'));
    Working().PageStampSelector = 2;
    FillDocumentPage1Group(&page_, dialog, 3);
    EXPECT_EQ(ItemText(dialog, kJobTextEdit), u"");
    EXPECT_EQ(Working().PageStampText[0], u'x');

    EXPECT_GT(Send(dialog, kStampPositionCombo, CB_GETCOUNT), 0);
    EXPECT_GT(Send(dialog, kStampTextCombo, CB_GETCOUNT), 0);

    Working().RelaydockFlags = 0x2;
    FillDocumentPage1Group(&page_, dialog, 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kKeepJobFilesCheck), BST_CHECKED);
    EXPECT_GT(Send(dialog, kDestinationCombo, CB_GETCOUNT), 0);

    Working().FeatureFlags |= 0x4;
    context_->status.printerExtStatus = 0x4;
    FillDocumentPage1Group(&page_, dialog, 4);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kPrinterStatusCheck), BST_CHECKED);
    EXPECT_EQ(ItemText(dialog, kHintText), LanguageString(language_, kReportedOptionsHint));
    context_->status.printerExtStatus = 0;
    FillDocumentPage1Group(&page_, dialog, 4);
    EXPECT_EQ(ItemText(dialog, kHintText), u"");
}

TEST_F(PageGroups, TheLayoutPanelListsChoicesAndHintsWhatFixesThem) {
    HWND dialog = OpenPage(kDocumentPage1Template);
    Working().PagesPerSheet = 4;
    Working().PageFrame = 2;
    Working().FeatureFlags = 0x200;
    Working().NupDown = 1;
    Working().NupAcross = 1;
    Working().OverlayFlags = 0;
    FillDocumentPage1Group(&page_, dialog, 0);
    ASSERT_EQ(Send(dialog, kPagesPerSheetList, CB_GETCOUNT), 7);
    EXPECT_EQ(Send(dialog, kPagesPerSheetList, CB_GETITEMDATA, 6), kSixteenPagesPerSheetText);
    const auto selected = static_cast<WPARAM>(Send(dialog, kPagesPerSheetList, CB_GETCURSEL));
    EXPECT_EQ(Send(dialog, kPagesPerSheetList, CB_GETITEMDATA, selected), kFourPagesPerSheetText);
    EXPECT_EQ(ComboText(dialog, kPagesPerSheetList, 2), LanguageString(language_, kFourPagesPerSheetText));
    ASSERT_EQ(Send(dialog, kPageOrderList, CB_GETCOUNT), 5);
    EXPECT_EQ(Send(dialog, kPageOrderList, CB_GETCURSEL), 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kShiftMarginsCheck), BST_CHECKED);
    EXPECT_EQ(ItemText(dialog, kHintText), u"");
    EXPECT_EQ(SendDlgItemMessageW(dialog, kPagesPerSheetIcon, STM_GETICON, 0, 0),
              reinterpret_cast<LRESULT>(PageIcon(&page_, kFourUpLandscapeIconId)));

    Working().PagesPerSheet = 3;  // no such entry
    Working().PageFrame = 9;
    Working().NupAcross = 2;
    FillDocumentPage1Group(&page_, dialog, 0);
    EXPECT_EQ(Send(dialog, kPagesPerSheetList, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(Send(dialog, kPageOrderList, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(ItemText(dialog, kHintText), LanguageString(language_, kLayoutFixedHint));
    const std::filesystem::path png = OutputFolder() / "page1-layout.png";
    EXPECT_TRUE(standin::ui::SavePicture(dialog, png.string()));
}

TEST_F(PageGroups, TheBorderRadiosFollowTheFrameAndTurnTheirLabelsWithThePages) {
    HWND dialog = OpenPage(kDocumentPage1Template);
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
        {1, 0, DMORIENT_PORTRAIT, kBorderNoneRadio, kNoBorderText, kThinLineText},
        {4, 3, DMORIENT_PORTRAIT, kBorderDottedRadio, kNoBorderText, kThinLineText},
        {2, 1, DMORIENT_PORTRAIT, kBorderThinRadio, kSingleLineText, kDoubleLineText},
        {2, 1, DMORIENT_LANDSCAPE, kBorderThinRadio, kSingleLineTurnedText, kDoubleLineTurnedText},
        {2, 200, DMORIENT_LANDSCAPE, kBorderDottedRadio, kSingleLineTurnedText,
         kDoubleLineTurnedText},  // an out-of-range frame: the last radio
    };
    for (const Case& c : cases) {
        Working().PagesPerSheet = c.mode;
        Working().NupSlotOrder = c.frame;
        Working().Public.dmOrientation = c.orientation;
        ShowBorderRadios(&page_, dialog);
        for (int id = kBorderNoneRadio; id <= kBorderDottedRadio; ++id) {
            EXPECT_EQ(IsDlgButtonChecked(dialog, id), id == c.checked ? BST_CHECKED : BST_UNCHECKED) << id;
        }
        EXPECT_EQ(ItemText(dialog, kBorderNoneRadio), LanguageString(language_, c.first) + u"(&H)");
        EXPECT_EQ(ItemText(dialog, kBorderThinRadio), LanguageString(language_, c.second));
        EXPECT_NE(SendDlgItemMessageW(dialog, kBorderIcon, STM_GETICON, 0, 0), 0);
    }
}

}  // namespace
}  // namespace kvuicommon
