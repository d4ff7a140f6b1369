// Message boxes, the hint line and the restore of the defaults, as a page shows them.
#include <string>

#include "platform/Spooler.h"
#include "platform/StandInShell.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_common/CommonFixture.h"
#include "ui/pages/PageIcons.h"

namespace kvuicommon {
namespace {

using PageMessages = CommonTest;

TEST_F(PageMessages, MessageTextsAndCaptionsComeFromTheLibraryCutToTheirLengths) {
    int answered = 0;
    standin::ui::OnMessageBox([&](const standin::ui::MessageBoxCall&) { return ++answered == 1 ? IDOK : IDCANCEL; });
    const std::u16string longCaption(100, u'c');
    EXPECT_EQ(ShowMessage(host_, kStatusUnreadableMessage, longCaption.c_str(), kRestoreDefaultsMessage, MB_ICONWARNING,
                          language_),
              IDOK);
    EXPECT_EQ(ShowMessage(host_, kSourceNotInstalledMessage, nullptr, kRestoreDefaultsMessage, MB_OKCANCEL, language_),
              IDCANCEL);
    EXPECT_EQ(ShowMessage(host_, 1, nullptr, 2, MB_OK, language_), IDCANCEL);  // no such strings
    const auto boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, LanguageString(language_, kStatusUnreadableMessage));
    EXPECT_EQ(boxes[0].caption, longCaption.substr(0, 64));
    EXPECT_EQ(boxes[0].type, MB_ICONWARNING);
    EXPECT_EQ(boxes[0].owner, host_);
    EXPECT_EQ(boxes[1].caption, LanguageString(language_, kRestoreDefaultsMessage));
    EXPECT_EQ(boxes[2].text, u"");
    EXPECT_EQ(boxes[2].caption, u"");
}

TEST_F(PageMessages, APageWarningBeepsAndNamesThePrinter) {
    ShowPageWarning(&page_, host_, kSourceNotInstalledMessage);
    ASSERT_EQ(standin::ui::Beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
    const auto boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, std::u16string(context_->printerName));
    EXPECT_EQ(boxes[0].type, MB_ICONWARNING);
}

TEST_F(PageMessages, TheHintShowsItsTextAndTheIconOfItsKindAndHidesWithTextZero) {
    HWND dialog = OpenPage(kDocumentPage1Template);
    ASSERT_NE(dialog, nullptr);
    HWND icon = GetDlgItem(dialog, kHintIcon);
    struct Case {
        int kind;
        int iconId;
    };
    const Case cases[] = {{kHintInfo, kInfoIconId}, {kHintNote, kNoteIconId},      {kHintCaution, kCautionIconId},
                          {kHintFixed, kLockIconId}, {2, kLightBulbIconId},        {9, kLightBulbIconId}};
    for (const Case& c : cases) {
        SetPageHint(&page_, dialog, kLayoutFixedHint, c.kind);
        EXPECT_EQ(ItemText(dialog, kHintText), LanguageString(language_, kLayoutFixedHint));
        EXPECT_TRUE(IsWindowVisible(icon));
        EXPECT_TRUE(IsWindowEnabled(icon));
        EXPECT_EQ(SendMessageW(icon, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(PageIcon(&page_, c.iconId)))
            << c.kind;
        EXPECT_NE(PageIcon(&page_, c.iconId), nullptr);
    }
    for (int kind : {kHintInfo, kHintFixed}) {
        SetPageHint(&page_, dialog, kLayoutFixedHint, kind);
        SetPageHint(&page_, dialog, 0, kind);
        EXPECT_EQ(ItemText(dialog, kHintText), u"");
        EXPECT_FALSE(IsWindowVisible(icon));
        EXPECT_FALSE(IsWindowEnabled(icon));
    }
}

TEST_F(PageMessages, RestoringTheDefaultsAsksAndOnlyOkRestores) {
    HWND dialog = OpenPage(kDocumentPage1Template);
    Working().Public.dmCopies = 7;
    Working().PagesPerSheet = 4;
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDCANCEL; });
    EXPECT_EQ(RestoreDefaults(&page_, dialog), 0);
    EXPECT_EQ(Working().Public.dmCopies, 7);
    EXPECT_EQ(Working().PagesPerSheet, 4);
    auto boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, LanguageString(language_, kRestoreDefaultsMessage));
    EXPECT_EQ(boxes[0].caption, std::u16string(context_->printerName));
    EXPECT_EQ(boxes[0].type, MB_OKCANCEL | MB_ICONEXCLAMATION);

    // A feeder installed since the sheet opened comes in with the defaults.
    DWORD feeder2 = 0x00080001;
    ASSERT_EQ(SetPrinterDataW(admin_->handle(), const_cast<LPWSTR>(u"DEV_Feeder2"), REG_DWORD,
                              reinterpret_cast<BYTE*>(&feeder2), sizeof feeder2),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(context_->defaultBlock.DeviceSlots[1].State & 0x8, 0);
    standin::ui::OnMessageBox([](const standin::ui::MessageBoxCall&) { return IDOK; });
    EXPECT_EQ(RestoreDefaults(&page_, dialog), 1);
    EXPECT_EQ(Working().DeviceSlots[1].State & 0x8, 0x8);
    EXPECT_EQ(Working().Public.dmCopies, context_->defaultBlock.Public.dmCopies);
    EXPECT_EQ(Working().PagesPerSheet, context_->defaultBlock.PagesPerSheet);
    EXPECT_EQ(Working().PresetIndex, context_->defaultBlock.PresetIndex);
}

}  // namespace
}  // namespace kvuicommon
