// The extended window through the host: where it is offered, its frame and strips, its place
// on the screen and in the registry, closing, and its life with the window set.
#include <gtest/gtest.h>

#include "psw/ExtendedWindow.h"
#include "psw/Language.h"
#include "psw/StatusTables.h"
#include "platform/Registry.h"
#include "platform/Sync.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "resources/psw/PswIds.h"
#include "tests/psw_ews/EwsFixture.h"

namespace kvtest {
namespace {

using ExtendedWindow = EwsTest;

TEST_F(ExtendedWindow, IsOfferedOnlyForLocalPortsWithAFullConnection) {
    struct Case {
        const char* printer;
        const char16_t* port;
        DWORD extStatus;
        bool shown;
    } const cases[] = {
        {"P usb", u"USB001", 7, true},      {"P lpt", u"LPT1:", 7, true},     {"P zev", u"ZEVUSB2", 7, true},
        {"P ip", u"IP_127.0.0.1", 7, false}, {"P short", u"USB001", 3, false}, {"P lower", u"usb001", 7, false},
    };
    for (const Case& c : cases) {
        std::u16string name(c.printer, c.printer + std::char_traits<char>::length(c.printer));
        AddPrinter(name, c.port, c.extStatus);
        HWND ews = nullptr;
        const HWND main = Create(c.printer, &ews);
        ASSERT_TRUE(IsWindow(ews)) << c.printer;
        EXPECT_FALSE(IsWindowVisible(ews)) << "created hidden";
        EXPECT_EQ(host_.Show(main, kShowExtended), 0u);
        host_.Pump();
        EXPECT_EQ(IsWindowVisible(ews) != FALSE, c.shown) << c.printer;
        EXPECT_FALSE(IsWindowVisible(main)) << "mode 2 shows only the extended window";
        host_.Destroy(main);
    }
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool ReadDword(const char16_t* name, DWORD* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kEwsUserKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD cb = sizeof *value;
    DWORD type = 0;
    const bool ok = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &cb) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok && type == REG_DWORD;
}

TEST_F(ExtendedWindow, AFixedWindowOfItsOwnClass) {
    HWND ews = nullptr;
    Create(kEwsPrinter, &ews);
    WCHAR className[64] = {};
    GetClassNameW(ews, className, 64);
    EXPECT_EQ(std::u16string(className), u"EWSWndClass KV-TD520");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(ews, GWL_STYLE)) & 0x00CF0000u, 0x00CA0000u);
    EXPECT_EQ(GetMenuState(GetSystemMenu(ews, FALSE), SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    const RECT r = WindowRect(ews);
    MINMAXINFO info{};
    SendMessageW(ews, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, r.right - r.left);
    EXPECT_EQ(info.ptMaxTrackSize.y, r.bottom - r.top);
    EXPECT_GT(r.right - r.left, 0);
}

TEST_F(ExtendedWindow, OpensWhereTheUserLeftItAndAlwaysOnTheScreen) {
    // Default screen: 1024 x 768 with a work area of 1024 x 728.
    struct Case {
        bool stored;
        LONG x, y;
        const char* what;
    } const cases[] = {
        {false, 0, 0, "centred"},
        {true, 100, 50, "as stored"},
        {true, 100000, -5000, "moved back"},
        {true, -2147483647 - 1, 2147483647, "extremes moved back"},
    };
    for (const Case& c : cases) {
        HKEY root = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\ZEV\\Stanvel\\KV Details", 0, KEY_ALL_ACCESS, &root) ==
            ERROR_SUCCESS) {
            RegDeleteKeyW(root, u"PSW");
            RegCloseKey(root);
        }
        if (c.stored) {
            SetUserDword(u"SWPosX", static_cast<DWORD>(c.x));
            SetUserDword(u"SWPosY", static_cast<DWORD>(c.y));
        }
        HWND ews = nullptr;
        const HWND main = Create(kEwsPrinter, &ews);
        ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
        host_.Pump();
        const RECT r = WindowRect(ews);
        const LONG cx = r.right - r.left;
        const LONG cy = r.bottom - r.top;
        if (!c.stored) {
            // Centred by halves, as the placement works it out: an odd size rounds the
            // window's half down, not the difference.
            EXPECT_EQ(r.left, 1024 / 2 - cx / 2) << c.what;
            EXPECT_EQ(r.top, 728 / 2 - cy / 2) << c.what;
        } else if (c.x == 100) {
            EXPECT_EQ(r.left, 100);
            EXPECT_EQ(r.top, 50);
        } else {
            EXPECT_GE(r.left, 0) << c.what;
            EXPECT_LE(r.right, 1024) << c.what;
            EXPECT_GE(r.top, 0) << c.what;
            EXPECT_LE(r.top, 728) << c.what;
        }
        host_.Destroy(main);
    }
}

TEST_F(ExtendedWindow, WatchingSwitchedOffClosesItWithTheMainWindow) {
    HWND ews = nullptr;
    const HWND main = Create(kEwsPrinter, &ews);
    ASSERT_EQ(host_.Show(main, kShowByUser), 0u);
    ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
    host_.Pump();
    ASSERT_TRUE(IsWindowVisible(main) && IsWindowVisible(ews));
    SetUserDword(u"WatchPrinter", 0);
    SignalSettings();
    EXPECT_TRUE(host_.PumpUntil([&] { return !IsWindowVisible(main) && !IsWindowVisible(ews); }, 5000));
    EXPECT_FALSE(IsWindowVisible(ews));
    host_.Destroy(main);
}

TEST_F(ExtendedWindow, ThePositionIsStoredAtDestroyAndAtTheEndOfTheSession) {
    HWND ews = nullptr;
    HWND main = Create(kEwsPrinter, &ews);
    ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
    host_.Pump();
    SetWindowPos(ews, nullptr, 210, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(host_.Destroy(main), 0u);
    DWORD x = 0;
    DWORD y = 0;
    ASSERT_TRUE(ReadDword(u"SWPosX", &x) && ReadDword(u"SWPosY", &y));
    EXPECT_EQ(x, 210u);
    EXPECT_EQ(y, 120u);
    // Hidden, it still answers the end of the session with its place.
    main = Create(kEwsPrinter, &ews);
    ASSERT_FALSE(IsWindowVisible(ews));
    const RECT r = WindowRect(ews);
    SetUserDword(u"SWPosX", 1);
    EXPECT_EQ(SendMessageW(ews, WM_QUERYENDSESSION, 0, 0), TRUE);
    ASSERT_TRUE(ReadDword(u"SWPosX", &x) && ReadDword(u"SWPosY", &y));
    EXPECT_EQ(static_cast<LONG>(x), r.left);
    EXPECT_EQ(static_cast<LONG>(y), r.top);
}

TEST_F(ExtendedWindow, MinimisingAndRestoringKeepsThePlace) {
    SetUserDword(u"SWPosX", 300);
    SetUserDword(u"SWPosY", 200);
    HWND ews = nullptr;
    const HWND main = Create(kEwsPrinter, &ews);
    ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
    host_.Pump();
    const RECT before = WindowRect(ews);
    ShowWindow(ews, SW_MINIMIZE);
    host_.Pump();
    ShowWindow(ews, SW_RESTORE);
    host_.Pump();
    const RECT after = WindowRect(ews);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
}

TEST_F(ExtendedWindow, ClosingOnlyHidesAndShowingAgainStartsOnTheFirstSheet) {
    HWND ews = nullptr;
    const HWND main = Create(kEwsPrinter, &ews);
    struct Case {
        const char* how;
        void (*close)(HWND ews);
    } const cases[] = {
        {"Close button", [](HWND e) { SendDlgItemMessageW(Strip(e, kRefreshButton), IDCLOSE, BM_CLICK, 0, 0); }},
        {"WM_CLOSE", [](HWND e) { PostMessageW(e, WM_CLOSE, 0, 0); }},
        {"system menu", [](HWND e) { PostMessageW(e, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
        ASSERT_TRUE(WaitForSheetWith(ews, kGeneralTitle)) << c.how;
        SendDlgItemMessageW(Strip(ews, kEwsGeneralButton), kEwsBinsButton, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitForSheetWith(ews, kBinsTitle)) << c.how;
        c.close(ews);
        EXPECT_TRUE(host_.PumpUntil([&] { return !IsWindowVisible(ews); }, 5000)) << c.how;
        EXPECT_TRUE(IsWindow(ews));
    }
}

TEST_F(ExtendedWindow, DestroyTakesItsWindowsAndLateMessagesFindNothing) {
    HWND ews = nullptr;
    const HWND main = Create(kEwsPrinter, &ews);
    ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
    ASSERT_TRUE(WaitForSheetWith(ews, kGeneralTitle));
    const HWND sheet = Sheet(ews);
    const HWND left = Strip(ews, kEwsGeneralButton);
    // Queued before the set goes, handled after.
    PostMessageW(ews, WM_COMMAND, kEwsTraysButton, 0);
    PostMessageW(ews, WM_PSW_UPDATE_INFORMATION, 0, 0);
    PostMessageW(left, WM_COMMAND, kEwsBinsButton, 0);
    EXPECT_EQ(host_.Destroy(main), 0u);
    EXPECT_FALSE(IsWindow(ews));
    EXPECT_FALSE(IsWindow(sheet));
    EXPECT_FALSE(IsWindow(left));
    host_.Pump();
    EXPECT_FALSE(host_.SawQuit());
}

TEST_F(ExtendedWindow, TheMainWindowTakesItAlongWhenItIsDestroyedDirectly) {
    // However the main window goes, the record it frees is never left to the extended window.
    HWND ews = nullptr;
    const HWND main = Create(kEwsPrinter, &ews);
    ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
    ASSERT_TRUE(WaitForSheetWith(ews, kGeneralTitle));
    PostMessageW(ews, WM_COMMAND, kEwsCoversButton, 0);
    DestroyWindow(main);
    EXPECT_FALSE(IsWindow(ews));
    EXPECT_EQ(SendMessageW(ews, WM_COMMAND, kRefreshButton, 0), 0);
    EXPECT_EQ(SendMessageW(ews, WM_PSW_ERRCOVEROPEN, 0, 0), 0);
    host_.Pump();
}

TEST_F(ExtendedWindow, ALanguageLibraryWithoutItsTemplatesAndTextsLeavesAnEmptyWindow) {
    // A library of the right name that carries none of the window's resources.
    InstallModule("QW774RES", u"C:\\lang\\QW774409.DLL");
    HWND ews = nullptr;
    const HWND main = Create(kEwsPrinter, &ews);
    ASSERT_TRUE(IsWindow(ews));
    EXPECT_EQ(GetWindow(ews, GW_CHILD), nullptr);
    WCHAR title[400] = {};
    GetWindowTextW(ews, title, 400);
    EXPECT_EQ(std::u16string(title), kEwsPrinterW);
    EXPECT_EQ(host_.Show(main, kShowExtended), 0u);
    for (UINT message : {WM_PSW_PORT, WM_PSW_PRINTERBINCONFIG, WM_PSW_TONERREMAIN, WM_PSW_ERRCOVEROPEN, WM_PSW_PRINTERDISPLAY,
                         WM_PSW_CURRENTFEEDER, WM_PSW_UPDATE_INFORMATION}) {
        PostMessageW(ews, message, 0, 0);
    }
    for (int command : {kEwsTraysButton, kEwsConsumablesButton, kEwsConsoleButton, kRefreshButton, IDCLOSE}) {
        PostMessageW(ews, WM_COMMAND, command, 0);
    }
    SendMessageW(ews, WM_SETFOCUS, 0, 0);
    SendMessageW(ews, WM_DISPLAYCHANGE, 0, 0);
    host_.Pump();
    EXPECT_EQ(GetWindow(ews, GW_CHILD), nullptr);
    EXPECT_EQ(host_.Destroy(main), 0u);
    EXPECT_FALSE(IsWindow(ews));
}

TEST_F(ExtendedWindow, FocusReturnsToTheButtonItLeftOrElseToClose) {
    HWND ews = nullptr;
    const HWND main = Create(kEwsPrinter, &ews);
    ASSERT_EQ(host_.Show(main, kShowExtended), 0u);
    ASSERT_TRUE(WaitForSheetWith(ews, kGeneralTitle));
    const HWND bins = GetDlgItem(Strip(ews, kEwsGeneralButton), kEwsBinsButton);
    const HWND close = GetDlgItem(Strip(ews, kRefreshButton), IDCLOSE);
    SetFocus(bins);
    SendMessageW(ews, WM_KILLFOCUS, 0, 0);  // the window notes where the focus was
    SetFocus(Sheet(ews));
    SendMessageW(ews, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), bins);
    // Closing forgets it: the next activation starts on Close.
    SetFocus(bins);
    SendMessageW(ews, WM_KILLFOCUS, 0, 0);
    SendMessageW(ews, WM_CLOSE, 0, 0);
    ShowWindow(ews, SW_SHOW);
    SetFocus(Sheet(ews));
    SendMessageW(ews, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), close);
}

TEST(ExtendedWindowTitle, IsCutToItsBufferInEitherOrder) {
    const std::u16string longName(259, u'N');
    const std::u16string longCaption(387, u'C');
    struct Case {
        LANGID language;
        std::u16string caption;
        std::u16string name;
        std::u16string expect;
    } const cases[] = {
        {kLangEnglish, u"Details - ", u"Printer", u"Details - Printer"},
        {kLangJapanese, u"Details - ", u"Printer", u"Details - Printer"},
        {kLangKorean, u" details", u"Printer", u"Printer details"},
        {kLangChineseTraditional, u" details", u"Printer", u"Printer details"},
        {kLangEnglish, longCaption, longName, longCaption},
        {kLangEnglish, u"Details - ", longName, u"Details - " + longName},
        {kLangKorean, longCaption, longName, longName + longCaption.substr(0, 387 - 259)},
    };
    for (const Case& c : cases) {
        struct {
            WCHAR title[kEwsTitleChars];
            WCHAR guard[8];
        } out;
        std::fill(std::begin(out.guard), std::end(out.guard), u'#');
        EwsTitle(c.language, c.caption.c_str(), c.name.c_str(), out.title, kEwsTitleChars);
        EXPECT_EQ(std::u16string(out.title), c.expect) << c.language;
        EXPECT_EQ(std::u16string(out.guard, 8), u"########") << "written past the title";
    }
}

}  // namespace
}  // namespace kvtest
