// The extended window's sheets through the host: the left buttons switch them, each shows
// its texts and the frame text in its value fields in both languages (with a picture of each),
// the fonts of the strips and sheets, and the status messages that refresh the fields.
#include <gtest/gtest.h>

#include <utility>

#include "psw/StatusTables.h"
#include "platform/StandInDraw.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "tests/psw_ews/EwsFixture.h"

namespace kvtest {
namespace {

struct SheetCase {
    int button;
    int sheet;
    int title;                // the sheet's title control
    UINT titleString;
    std::vector<int> values;  // the fields that show the frame text
};
const SheetCase kSheets[] = {
    {kEwsGeneralButton, 1, kGeneralTitle, kGeneralTitleText,
     {kGeneralNameValue, kGeneralPortValue, kGeneralStatusValue}},
    {kEwsTraysButton, 2, kTraysTitle, kTraysTitleText,
     {kTraysTrayValue, kTraysTypeValue, kTraysSizeValue, kTraysLevelValue}},
    {kEwsBinsButton, 3, kBinsTitle, kBinsTitleText, {kBinsBinValue, kBinsStateValue, kBinsCapacityValue}},
    {kEwsCoversButton, 4, kCoversTitle, kCoversTitleText, {kCoversCoverValue, kCoversStateValue}},
    {kEwsConsumablesButton, 5, kConsumablesTitle, kConsumablesTitleText, {kConsumablesCartridgeValue, kTonerLabel}},
};
// The left strip's sheet buttons and their texts.
const std::pair<int, UINT> kLeftButtons[] = {
    {kEwsGeneralButton, kGeneralButtonText}, {kEwsTraysButton, kTraysButtonText}, {kEwsBinsButton, kBinsButtonText},
    {kEwsCoversButton, kCoversButtonText},   {kEwsConsumablesButton, kConsumablesButtonText},
};

class Sheets : public EwsTest {
protected:
    /// Creates the set and shows the extended window on its first sheet.
    HWND Open(HWND* main = nullptr) {
        HWND ews = nullptr;
        const HWND m = Create(kEwsPrinter, &ews);
        if (main != nullptr) *main = m;
        EXPECT_EQ(host_.Show(m, kShowExtended), 0u);
        EXPECT_TRUE(WaitForSheetWith(ews, kGeneralTitle));
        return ews;
    }
    /// Clicks a left button, as the user does, and waits for its sheet.
    bool Click(HWND ews, int button, int expectControl) {
        SendDlgItemMessageW(Strip(ews, kEwsGeneralButton), button, BM_CLICK, 0, 0);
        return WaitForSheetWith(ews, expectControl);
    }
    static POINT ClientPos(HWND ews, HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        POINT p{r.left, r.top};
        ScreenToClient(ews, &p);
        return p;
    }
    static SIZE SizeOf(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return {r.right - r.left, r.bottom - r.top};
    }
};

TEST_F(Sheets, EachSheetShowsItsTextsAndTheFrameInBothLanguages) {
    for (DWORD lang : {1033u, 1041u}) {
        SetLanguage(lang);
        HWND main = nullptr;
        const HWND ews = Open(&main);
        const std::string tag = lang == 1033 ? "en" : "ja";
        WCHAR title[400] = {};
        GetWindowTextW(ews, title, 400);
        EXPECT_EQ(std::u16string(title), LibraryString(lang, kEwsTitleText) + kEwsPrinterW);
        const HWND head = Strip(ews, kEwsHeadTitle);
        const HWND left = Strip(ews, kEwsGeneralButton);
        const HWND foot = Strip(ews, kRefreshButton);
        ASSERT_TRUE(head && left && foot);
        EXPECT_EQ(Text(head, kEwsHeadTitle), LibraryString(lang, kEwsHeadText));
        for (const auto& [button, text] : kLeftButtons) EXPECT_EQ(Text(left, button), LibraryString(lang, text));
        EXPECT_EQ(Text(foot, kRefreshButton), LibraryString(lang, kRefreshButtonText));
        EXPECT_EQ(Text(foot, IDCLOSE), LibraryString(lang, kCloseButtonText));
        EXPECT_EQ(Text(foot, kEwsHelpButton), LibraryString(lang, kHelpButtonText));
        const std::u16string frame = LibraryString(lang, kFrameText);
        ASSERT_FALSE(frame.empty());
        // Walk away from sheet 1 and back to it: every sheet is built again when shown.
        const SheetCase* order[] = {&kSheets[1], &kSheets[2], &kSheets[3], &kSheets[4], &kSheets[0]};
        for (const SheetCase* c : order) {
            ASSERT_TRUE(Click(ews, c->button, c->title)) << "sheet " << c->sheet;
            const HWND sheet = Sheet(ews);
            EXPECT_EQ(Text(sheet, c->title), LibraryString(lang, c->titleString)) << "sheet " << c->sheet;
            for (int field : c->values) EXPECT_EQ(Text(sheet, field), frame) << "sheet " << c->sheet << " field " << field;
            // Head on top, the left column under it, the sheet beside that, the foot below.
            const SIZE headSize = SizeOf(head);
            const SIZE leftSize = SizeOf(left);
            EXPECT_EQ(ClientPos(ews, head).x, 0);
            EXPECT_EQ(ClientPos(ews, head).y, 0);
            EXPECT_EQ(ClientPos(ews, left).y, headSize.cy);
            EXPECT_EQ(ClientPos(ews, sheet).x, leftSize.cx) << "sheet " << c->sheet;
            EXPECT_EQ(ClientPos(ews, sheet).y, headSize.cy);
            EXPECT_EQ(ClientPos(ews, foot).y, headSize.cy + leftSize.cy);
            EXPECT_EQ(SizeOf(ews).cx, headSize.cx + 2 * GetSystemMetrics(SM_CXEDGE));
            EXPECT_TRUE(SavePicture(ews, "ews-sheet" + std::to_string(c->sheet) + "-" + tag));
        }
        host_.Destroy(main);
    }
}

TEST_F(Sheets, AButtonWithoutANewSheetKeepsTheSheet) {
    const HWND ews = Open();
    const HWND first = Sheet(ews);
    for (int button : {kEwsGeneralButton, kEwsConsoleButton}) {
        SendMessageW(ews, WM_COMMAND, button, 0);
        host_.Pump();
        EXPECT_EQ(Sheet(ews), first) << button;
        EXPECT_TRUE(IsWindow(first));
    }
}

TEST_F(Sheets, SwitchingSheetsKeepsTheFontCount) {
    const HWND ews = Open();
    ASSERT_TRUE(Click(ews, kEwsTraysButton, kTraysTitle));
    const unsigned objects = standin::ui::LiveGdiObjectCount();
    for (int round = 0; round < 3; ++round) {
        for (const SheetCase& c : kSheets) ASSERT_TRUE(Click(ews, c.button, c.title));
        ASSERT_TRUE(Click(ews, kEwsTraysButton, kTraysTitle));
        EXPECT_EQ(standin::ui::LiveGdiObjectCount(), objects) << "round " << round;
    }
}

TEST_F(Sheets, TitlesAreBoldAndLargerLabelsBold) {
    LOGFONTW gui{};
    ASSERT_GT(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui), 0);
    const HWND ews = Open();
    struct Case {
        HWND dialog;
        int control;
        LONG height;  // 0: the control keeps the dialog's font
    } const cases[] = {
        {Strip(ews, kEwsHeadTitle), kEwsHeadTitle, gui.lfHeight * 3 / 2},
        {Sheet(ews), kGeneralTitle, gui.lfHeight * 5 / 4},
        {Sheet(ews), kGeneralNameLabel, gui.lfHeight},
        {Strip(ews, kEwsGeneralButton), kEwsGeneralButton, 0},
        {Sheet(ews), kGeneralNameValue, 0},
    };
    for (const Case& c : cases) {
        const auto font = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(c.dialog, c.control, WM_GETFONT, 0, 0));
        LOGFONTW got{};
        if (c.height == 0) {
            if (font != nullptr && GetObjectW(font, sizeof got, &got) > 0) {
                EXPECT_NE(got.lfWeight, FW_BOLD) << c.control;
            }
            continue;
        }
        ASSERT_NE(font, nullptr) << c.control;
        ASSERT_GT(GetObjectW(font, sizeof got, &got), 0);
        EXPECT_EQ(got.lfWeight, FW_BOLD) << c.control;
        EXPECT_EQ(got.lfHeight, c.height) << c.control;
    }
}

TEST_F(Sheets, StatusMessagesRewriteTheFieldsOfTheSheetShown) {
    // The main window takes the manager's messages and passes them on.
    HWND main = nullptr;
    const HWND ews = Open(&main);
    const std::u16string frame = LibraryString(1033, kFrameText);
    struct Case {
        int button;
        int title;
        UINT message;
        int field;
    } const cases[] = {
        {kEwsGeneralButton, kGeneralTitle, WM_PSW_PORT, kGeneralPortValue},
        {kEwsGeneralButton, kGeneralTitle, WM_PSW_ERRSUPPLIES, kGeneralStatusValue},
        {kEwsTraysButton, kTraysTitle, WM_PSW_ERRNOPAPER2, kTraysSizeValue},
        {kEwsTraysButton, kTraysTitle, WM_PSW_ERRPAPERJAM, kTraysTypeValue},
        {kEwsTraysButton, kTraysTitle, WM_PSW_PRINTERBINCONFIG, kTraysLevelValue},
        {kEwsCoversButton, kCoversTitle, WM_PSW_ERRCOVEROPEN, kCoversStateValue},
        {kEwsConsumablesButton, kConsumablesTitle, WM_PSW_TONERREMAIN, kTonerLabel},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Click(ews, c.button, c.title));
        const HWND sheet = Sheet(ews);
        SetDlgItemTextW(sheet, c.field, u"stale");
        PostMessageW(main, c.message, 0, 0);
        EXPECT_TRUE(host_.PumpUntil([&] { return Text(sheet, c.field) == frame; }, 5000))
            << "message 0x" << std::hex << c.message;
    }
}

}  // namespace
}  // namespace kvtest
