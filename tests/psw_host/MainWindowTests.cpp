// The main window through the host: its place kept between runs, a host that subclasses it,
// the display and palette changes, and the language and fonts it is made with.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "psw/PswRecord.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "platform/UserResources.h"
#include "platform/WinGdi.h"
#include "tests/psw_host/HostFixture.h"

namespace kvtest {
namespace {


using MainWindow = PswHostTest;

bool ReadUserDword(const char16_t* name, DWORD* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kHostUserKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD cb = sizeof *value;
    const bool ok = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &cb) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok && type == REG_DWORD;
}

TEST_F(MainWindow, OpensWhereTheUserLeftIt) {
    // The default screen: a work area of 1024 x 728 at 0,0.
    struct Case {
        const char* what;
        bool stored;
        LONG x, y;
    } const cases[] = {
        {"a stored place", true, 100, 150},
        {"no stored place: centred", false, 0, 0},
        {"a place off every screen: brought back", true, -5000, -5000},
    };
    for (const Case& c : cases) {
        if (c.stored) {
            SetUserDword(u"PSWPosX", static_cast<DWORD>(c.x));
            SetUserDword(u"PSWPosY", static_cast<DWORD>(c.y));
        }
        const HWND main = Create();
        ASSERT_EQ(host_.Show(main, 1), 0u) << c.what;
        host_.Pump();
        RECT r{};
        GetWindowRect(main, &r);
        const LONG width = r.right - r.left;
        const LONG height = r.bottom - r.top;
        if (!c.stored) {
            EXPECT_EQ(r.left, 512 - (width >> 1)) << c.what;
            EXPECT_EQ(r.top, 364 - (height >> 1)) << c.what;
        } else if (c.x >= 0) {
            EXPECT_EQ(r.left, c.x) << c.what;
            EXPECT_EQ(r.top, c.y) << c.what;
        } else {
            EXPECT_GE(r.left, 0) << c.what;
            EXPECT_GE(r.top, 0) << c.what;
            EXPECT_LE(r.right, 1024) << c.what;
            EXPECT_LE(r.bottom, 728) << c.what;
        }
        host_.Destroy(main);
        // The next run finds the place it was shown at.
        DWORD x = 0;
        DWORD y = 0;
        ASSERT_TRUE(ReadUserDword(u"PSWPosX", &x) && ReadUserDword(u"PSWPosY", &y)) << c.what;
        EXPECT_EQ(static_cast<LONG>(x), r.left) << c.what;
        EXPECT_EQ(static_cast<LONG>(y), r.top) << c.what;
        RegDeleteKeyW(HKEY_CURRENT_USER, kHostUserKey);
    }
}

// A host's own procedure in front of the library's, as a host that watches the window's
// messages installs it.
WNDPROC g_libraryProc = nullptr;

LRESULT HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(g_libraryProc, window, message, wParam, lParam);
}

void Subclass(HWND main) {
    g_libraryProc = ModuleExport<WNDPROC>(GetModuleHandleW(u"QW774ZZZ.DLL"), "MainWndProc");
    ASSERT_NE(g_libraryProc, nullptr);
    SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostProc));
}

TEST_F(MainWindow, ASubclassingHostKeepsItsWindowSetToTheEnd) {
    // The set ends through the export, or by the host destroying the window itself; either
    // way everything goes with it and the library can be unloaded.
    for (const bool byExport : {true, false}) {
        host_.Parent();
        const unsigned windows = standin::ui::LiveWindowCount();
        const HWND main = Create();
        Subclass(main);
        EXPECT_EQ(host_.Show(main, 1), 0u) << byExport;
        EXPECT_TRUE(IsWindowVisible(main)) << byExport;
        PublishStatus(0, 0, kLowOnline | kLowPaperOut);
        EXPECT_TRUE(WaitForStatusText(main, LibraryString(1033, kStatusTextPaperJam))) << byExport;
        EXPECT_EQ(host_.Close(main), 0u) << byExport;
        EXPECT_FALSE(IsWindowVisible(main)) << byExport;
        if (byExport) {
            EXPECT_EQ(host_.Destroy(main), 0u);
        } else {
            EXPECT_TRUE(DestroyWindow(main));
        }
        EXPECT_FALSE(IsWindow(main)) << byExport;
        EXPECT_EQ(standin::ui::LiveWindowCount(), windows) << byExport;
        host_.Unload();
        ASSERT_TRUE(host_.Load());
        PublishStatus(0, 0, kLowOnline);
    }
}

bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return true;
}

TEST_F(MainWindow, ADisplayChangeReloadsTheIcons) {
    const HWND main = Create();
    const auto* record = reinterpret_cast<const PSWDATA*>(GetWindowLongPtrW(main, GWLP_USERDATA));
    ASSERT_NE(record, nullptr);
    HICON before[6];
    std::copy(std::begin(record->statusIcons), std::end(record->statusIcons), before);
    // Something else took the window's icons meanwhile.
    const auto other = reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION));
    SendMessageW(main, WM_SETICON, ICON_SMALL, other);
    SendMessageW(main, WM_SETICON, ICON_BIG, other);
    SendMessageW(main, WM_DISPLAYCHANGE, 8, 0);
    for (const WPARAM which : {ICON_SMALL, ICON_BIG}) {
        const LRESULT icon = SendMessageW(main, WM_GETICON, which, 0);
        EXPECT_NE(icon, other) << "the window's own icon is back";
        EXPECT_TRUE(IconAlive(reinterpret_cast<HICON>(icon)));
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(IconAlive(record->statusIcons[i])) << i;
        const bool kept = std::count(std::begin(record->statusIcons), std::end(record->statusIcons), before[i]) != 0;
        EXPECT_TRUE(kept || !IconAlive(before[i])) << "the old icon " << i << " is destroyed";
    }
}

TEST_F(MainWindow, APaletteDisplayRedrawsThePictureWhenItGetsThePaletteBack) {
    standin::ui::SetDisplayCaps({8, 96, 1024, 768});
    const HWND main = Create();
    ASSERT_EQ(host_.Show(main, 1), 0u);
    host_.Pump();
    const HWND picture = GetDlgItem(BaseDialog(main), kBasePicture);
    ASSERT_NE(picture, nullptr);
    ValidateRect(picture, nullptr);
    SendMessageW(main, WM_QUERYNEWPALETTE, 0, 0);
    RECT dirty{};
    EXPECT_TRUE(GetUpdateRect(picture, &dirty, FALSE));
    standin::ui::SetDisplayCaps({});
}

TEST_F(MainWindow, ALanguageLibraryMissingAtTheFirstChoiceIsTriedAgainWhenTheWindowIsMade) {
    // The first load of the user's language (English) fails once; the choice made again
    // when the main window is created finds it, and the window's dialog comes in it.
    standin::ClearFaults();
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND, 0, 1);
    const HWND main = Create();
    standin::ClearFaults();
    EXPECT_EQ(ControlText(main, kBaseCaptionLabel), LibraryString(1033, kBaseCaptionText));
}

TEST_F(MainWindow, TheCaptionOfTheBaseDialogIsBold) {
    const HWND main = Create();
    const HWND caption = GetDlgItem(BaseDialog(main), kBaseCaptionLabel);
    ASSERT_NE(caption, nullptr);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(caption, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    ASSERT_NE(GetObjectW(font, sizeof face, &face), 0);
    EXPECT_EQ(face.lfWeight, FW_BOLD);
    host_.Destroy(main);
}

}  // namespace
}  // namespace kvtest
