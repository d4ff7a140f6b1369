// The pages' list fillers on a page of the language library, and the N-up sheet size with its
// warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Spooler.h"
#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "settings/Forms.h"
#include "tests/kvui_preview/PreviewFixture.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PageListFillers.h"

namespace kvuipreview {
namespace {

INT_PTR PlainPageProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return TRUE;
}

struct Item {
    std::u16string text;
    LPARAM data;
};

class ListFillers : public PreviewTest {
protected:
    std::vector<Item> Items(HWND dialog, int combo) {
        std::vector<Item> items;
        const auto count = static_cast<int>(SendDlgItemMessageW(dialog, combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            WCHAR text[64] = {};
            SendDlgItemMessageW(dialog, combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            items.push_back({text, SendDlgItemMessageW(dialog, combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)});
        }
        return items;
    }
    int Selected(HWND dialog, int combo) {
        return static_cast<int>(SendDlgItemMessageW(dialog, combo, CB_GETCURSEL, 0, 0));
    }
    std::u16string String(int id) {
        WCHAR text[129] = {};
        LoadStringW(language_, static_cast<UINT>(id), text, 129);
        return text;
    }
    std::u16string Text(HWND dialog, int id) {
        WCHAR text[129] = {};
        GetDlgItemTextW(dialog, id, text, 129);
        return text;
    }
};

TEST_F(ListFillers, StampListsHoldTheirEntriesAndSelectTheValue) {
    HWND dialog = OpenDialog(kDocumentPage1Template, PlainPageProc);
    ASSERT_NE(dialog, nullptr);
    struct Case {
        DWORD text;
        DWORD position;
        int textIndex;
        int positionIndex;
    };
    // Position 3 has no entry, and neither has a text above 8: the first entry is selected.
    const Case cases[] = {{4, 7, 4, 4}, {8, 2, 8, 2}, {12, 3, 0, 0}, {0, 0, 0, 0}};
    for (const Case& c : cases) {
        Working().PageStampSelector = c.text;
        Working().PageStampPosition = c.position;
        FillChoiceValue1List(&page_, dialog);
        FillChoiceValue2List(&page_, dialog);
        const std::vector<Item> texts = Items(dialog, kStampTextCombo);
        ASSERT_EQ(texts.size(), 9u);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(texts[i].data, i);
            EXPECT_EQ(texts[i].text, String(kStampTextBase + i));
        }
        const std::vector<Item> positions = Items(dialog, kStampPositionCombo);
        const LPARAM values[] = {0, 1, 2, 6, 7, 8};
        const int strings[] = {kStampTopLeftText,    kStampTopCentreText,    kStampTopRightText,
                               kStampBottomLeftText, kStampBottomCentreText, kStampBottomRightText};
        ASSERT_EQ(positions.size(), 6u);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(positions[i].data, values[i]);
            EXPECT_EQ(positions[i].text, String(strings[i]));
        }
        EXPECT_EQ(Selected(dialog, kStampTextCombo), c.textIndex);
        EXPECT_EQ(Selected(dialog, kStampPositionCombo), c.positionIndex);
    }
    DestroyWindow(GetParent(dialog));
}

TEST_F(ListFillers, ValueNamesFallBackToTheirDefaults) {
    EXPECT_EQ(ChoiceValue1StringId(0), kStampConfidentialText);
    EXPECT_EQ(ChoiceValue1StringId(8), kStampOwnText);
    EXPECT_EQ(ChoiceValue1StringId(9), kStampConfidentialText);
    const int positions[] = {kStampTopLeftText,     kStampTopCentreText,   kStampTopRightText,   kStampMiddleLeftText,
                             kStampCentreText,      kStampMiddleRightText, kStampBottomLeftText, kStampBottomCentreText,
                             kStampBottomRightText, kStampTopRightText};
    for (DWORD v = 0; v < 10; ++v) EXPECT_EQ(ChoiceValue2StringId(v), positions[v]) << v;
    EXPECT_EQ(ChoiceValue2StringId(0xFFFFFFFFu), kStampTopRightText);
    EXPECT_EQ(NupCountStringId(1), kNupCountOneText);
    EXPECT_EQ(NupCountStringId(2), kNupCountTwoText);
    EXPECT_EQ(NupCountStringId(3), kNupCountThreeText);
    EXPECT_EQ(NupCountStringId(0), kNupCountOneText);
    EXPECT_EQ(NupCountStringId(200), kNupCountOneText);
}

TEST_F(ListFillers, NupCountsListOnlyWhatFitsThePaper) {
    HWND dialog = OpenDialog(kDocumentPage2Template, PlainPageProc);
    ASSERT_NE(dialog, nullptr);
    // A3 never takes N-up: one entry each, and a stored 3 selects it.
    SetPaper(Working(), u"A3", 2970, 4200);
    Working().NupDown = 3;
    Working().NupAcross = 3;
    FillNupDownList(&page_, dialog);
    FillNupAcrossList(&page_, dialog);
    ASSERT_EQ(Items(dialog, kNupDownCombo).size(), 1u);
    ASSERT_EQ(Items(dialog, kNupAcrossCombo).size(), 1u);
    EXPECT_EQ(Items(dialog, kNupDownCombo)[0].data, 1);
    EXPECT_EQ(Selected(dialog, kNupAcrossCombo), 0);

    // A4 lists each count some layout allows.
    SetPaper(Working(), u"A4", 2100, 2970);
    Working().NupDown = 1;
    Working().NupAcross = 2;
    FillNupDownList(&page_, dialog);
    FillNupAcrossList(&page_, dialog);
    for (const bool down : {true, false}) {
        std::vector<LPARAM> expected = {1};
        for (BYTE v = 2; v <= 3; ++v) {
            for (BYTE other = 1; other <= 3; ++other) {
                if (IsNupLayoutAllowed(u"A4", 2100, 2970, down ? v : other, down ? other : v) != 0) {
                    expected.push_back(v);
                    break;
                }
            }
        }
        const std::vector<Item> items = Items(dialog, down ? kNupDownCombo : kNupAcrossCombo);
        ASSERT_EQ(items.size(), expected.size());
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].data, expected[i]);
            EXPECT_EQ(items[i].text, String(NupCountStringId(static_cast<DWORD>(expected[i]))));
        }
    }
    EXPECT_EQ(Selected(dialog, kNupDownCombo), 0);
    DestroyWindow(GetParent(dialog));
}

TEST_F(ListFillers, ArrangementRadiosAndPicture) {
    HWND dialog = OpenDialog(kDocumentPage2Template, PlainPageProc);
    ASSERT_NE(dialog, nullptr);
    struct Case {
        BYTE down;
        BYTE across;
        BYTE order;
        int first;
        int second;
        int icon;
        int checked;
    };
    const Case cases[] = {
        {1, 1, 0, kAcrossText, kDownText, kOneByOneIconId, kNupOrderFirstRadio},
        {1, 3, 1, kAcrossText, kDownText, kTwoAcrossIconId, kNupOrderSecondRadio},
        {2, 1, 0, kAcrossText, kDownText, kTwoDownIconId, kNupOrderFirstRadio},
        {2, 2, 0, kAcrossThenDownText, kDownThenAcrossText, kSixAcrossThenDownIconId, kNupOrderFirstRadio},
        {3, 2, 1, kAcrossThenDownText, kDownThenAcrossText, kSixAcrossFromRightIconId, kNupOrderSecondRadio},
        {2, 3, 7, kAcrossThenDownText, kDownThenAcrossText, kSixAcrossThenDownIconId, kNupOrderFirstRadio},
    };
    for (const Case& c : cases) {
        Working().NupDown = c.down;
        Working().NupAcross = c.across;
        Working().NupOrder = c.order;
        ShowNupArrangement(&page_, dialog);
        EXPECT_EQ(Text(dialog, kNupOrderFirstRadio), String(c.first) + u"(&H)");
        EXPECT_EQ(Text(dialog, kNupOrderSecondRadio), String(c.second) + u"(&I)");
        const auto icon = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, kNupOrderPicture, STM_GETICON, 0, 0));
        EXPECT_EQ(icon, PageIcon(&page_, c.icon)) << int(c.down) << int(c.across);
        EXPECT_EQ(IsDlgButtonChecked(dialog, c.checked), static_cast<UINT>(BST_CHECKED));
    }
    DestroyWindow(GetParent(dialog));
}

TEST_F(ListFillers, DestinationOffersRelaydockOnlyOnARawOnlyPrinter) {
    HWND dialog = OpenDialog(kDocumentPage1Template, PlainPageProc);
    ASSERT_NE(dialog, nullptr);
    Working().FeatureFlags &= ~0x20u;
    Working().OutputDestination = 0;
    Working().RelaydockFlags = kRelaydockFileMode;
    standin::SetPrinterAttributes(kvtest::kSamplePrinterName, 0);
    FillOutputDestinationList(&page_, dialog);
    std::vector<Item> items = Items(dialog, kDestinationCombo);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].data, kPrinterDestinationText);
    EXPECT_EQ(items[0].text, String(kPrinterDestinationText));
    EXPECT_EQ(Selected(dialog, kDestinationCombo), 0);

    standin::SetPrinterAttributes(kvtest::kSamplePrinterName, 0x1000);
    struct Case {
        DWORD features;
        WORD relaydock;
        WORD destination;
        int selected;
    };
    const Case cases[] = {{0, kRelaydockFileMode, 0, 1}, {0, 0, 0, 0}, {0, kRelaydockFileMode, 2, 0}, {0x20, kRelaydockFileMode, 0, 0}};
    for (const Case& c : cases) {
        Working().FeatureFlags = (Working().FeatureFlags & ~0x20u) | c.features;
        Working().RelaydockFlags = c.relaydock;
        Working().OutputDestination = c.destination;
        FillOutputDestinationList(&page_, dialog);
        items = Items(dialog, kDestinationCombo);
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[1].data, kRelaydockDestinationText);
        EXPECT_EQ(items[1].text, String(kRelaydockDestinationText));
        EXPECT_EQ(Selected(dialog, kDestinationCombo), c.selected);
    }
    // Before NT 5 nothing is raw-only.
    standin::SetOsVersion(4, 0, 1381, 2);
    FillOutputDestinationList(&page_, dialog);
    EXPECT_EQ(Items(dialog, kDestinationCombo).size(), 1u);
    DestroyWindow(GetParent(dialog));
}

TEST_F(ListFillers, NamedPapersGiveTheirFixedSheetTexts) {
    struct Case {
        std::u16string name;
        int down;
        int across;
        std::u16string text;  // empty: none
    };
    const Case cases[] = {
        {u"A4", 1, 2, u"17 2/3 インチ(幅) × 12 インチ(長)"},
        {u"A4", 2, 1, u""},
        {u"A3", 1, 2, u""},
        {u"A4 横", 1, 2, u""},
        {u"はがき", 2, 3, u"13 インチ(幅) × 12 インチ(長)"},
        {u"はがき 横", 3, 2, u"12 2/3 インチ(幅) × 12 インチ(長)"},
        {u"往復はがき 横", 1, 2, u"12 2/3 インチ(幅) × 8 インチ(長)"},
        {u"往復はがき 横", 2, 2, u""},
        {u"B5 (JIS)", 1, 2, u"15 1/3 インチ(幅) × 10 1/2 インチ(長)"},
    };
    for (const Case& c : cases) {
        WCHAR out[kNupSheetTextChars] = {u'x'};
        EXPECT_EQ(NupSheetSizeText(printer_, c.name.c_str(), c.down, c.across, out), c.text.empty() ? 0 : 1);
        EXPECT_EQ(std::u16string(out), c.text);
    }
}

TEST_F(ListFillers, OtherPapersAreWorkedOutFromTheirForm) {
    struct Case {
        std::u16string name;
        LONG width;
        LONG length;
        int down;
        int across;
        std::u16string text;
    };
    const Case cases[] = {
        // 215.9 mm wide, two across: 2 x 450 + 60 sixtieths, 16 inches.
        {u"Sheet A", 215900, 279400, 1, 2, u"16 インチ(幅) × 11 インチ(長)"},
        // 0.4 mm over the half inch counts as the half inch; 0.5 mm does not.
        {u"Sheet B", 216300, 279400, 1, 2, u"16 インチ(幅) × 11 インチ(長)"},
        {u"Sheet C", 216400, 279400, 1, 2, u"16 1/6 インチ(幅) × 11 インチ(長)"},
        {u"Sheet D", 148000, 210000, 2, 1, u"5 5/6 インチ(幅) × 17 インチ(長)"},
        {u"Sheet E", 100000, 148000, 3, 3, u"10 インチ(幅) × 17 1/2 インチ(長)"},
    };
    for (const Case& c : cases) {
        FORM_INFO_1W form{};
        form.pName = const_cast<LPWSTR>(c.name.c_str());
        form.Size = SIZEL{c.width, c.length};
        form.ImageableArea = RECTL{0, 0, c.width, c.length};
        ASSERT_TRUE(AddFormW(printer_, 1, reinterpret_cast<LPBYTE>(&form)));
        WCHAR out[kNupSheetTextChars] = {};
        EXPECT_EQ(NupSheetSizeText(printer_, c.name.c_str(), c.down, c.across, out), 1);
        EXPECT_EQ(std::u16string(out), c.text) << std::string(c.name.begin(), c.name.end());
    }
    WCHAR out[kNupSheetTextChars] = {u'x'};
    EXPECT_EQ(NupSheetSizeText(printer_, u"No such form", 1, 2, out), 0);
    EXPECT_EQ(out[0], u'\0');
    EXPECT_EQ(NupSheetSizeText(nullptr, u"Sheet A", 1, 2, out), 0);
}

TEST_F(ListFillers, SheetWarningFormatsMessage804) {
    HWND dialog = OpenDialog(kDocumentPage2Template, PlainPageProc);
    ASSERT_NE(dialog, nullptr);
    SetPaper(Working(), u"A4", 2100, 2970);
    Working().NupDown = 1;
    Working().NupAcross = 1;
    WarnNupSheetSize(&page_, dialog);
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());

    Working().NupAcross = 2;
    WarnNupSheetSize(&page_, dialog);
    const std::vector<standin::ui::MessageBoxCall> boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    std::u16string expected = String(kSheetSizeMessage);
    const size_t at = expected.find(u"%s");
    ASSERT_NE(at, std::u16string::npos);
    expected.replace(at, 2, u"17 2/3 インチ(幅) × 12 インチ(長)");
    EXPECT_EQ(boxes[0].text, expected);
    EXPECT_EQ(boxes[0].caption, std::u16string(kvtest::kSamplePrinterName));
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(boxes[0].owner, dialog);
    ASSERT_EQ(standin::ui::Beeps().size(), 1u);
    EXPECT_EQ(standin::ui::Beeps()[0], static_cast<UINT>(MB_ICONWARNING));

    // A paper without a sheet text warns of nothing.
    SetPaper(Working(), u"A3", 2970, 4200);
    WarnNupSheetSize(&page_, dialog);
    EXPECT_EQ(standin::ui::MessageBoxes().size(), 1u);
    DestroyWindow(GetParent(dialog));
}

TEST_F(ListFillers, PictureOfTheFilledLists) {
    HWND dialog = OpenDialog(kDocumentPage1Template, PlainPageProc);
    ASSERT_NE(dialog, nullptr);
    Working().PageStampSelector = 2;
    Working().PageStampPosition = 7;
    FillChoiceValue1List(&page_, dialog);
    FillChoiceValue2List(&page_, dialog);
    FillOutputDestinationList(&page_, dialog);
    for (int id : {kStampIcon, kStampCheck, kStampPositionCombo, kStampPositionLabel, kStampTextCombo, kStampTextLabel,
                   kDestinationLabel, kDestinationCombo}) {
        ShowWindow(GetDlgItem(dialog, id), SW_SHOW);
    }
    EXPECT_TRUE(standin::ui::SavePicture(GetParent(dialog), (OutputFolder() / "page-lists.png").string()));
    DestroyWindow(GetParent(dialog));
}

}  // namespace
}  // namespace kvuipreview
