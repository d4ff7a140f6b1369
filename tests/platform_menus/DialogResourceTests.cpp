// Dialogs, pictures and the manifest as the compiler wrote them into the test module, read
// back through the platform's calls.
#include "platform/StandInDraw.h"
#include "platform/WinGdi.h"
#include "platform/src/ControlClasses.h"
#include "tests/platform_menus/MenusFixture.h"

namespace menutest {
namespace {

using CompiledDialog = MenusTest;

struct ControlSeen {
    std::u16string cls;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};  // in the dialog's client coordinates
};

TEST_F(CompiledDialog, ControlsGetTheirClassesStylesAndPixelRectangles) {
    struct Expected {
        int id;
        const char16_t* cls;
        DWORD style;
        RECT rect;  // dialog units scaled by 6/4 across and 12/8 down (the 9-point font's), rounded
    };
    const Expected expected[] = {
        {IDC_LABEL, u"Static", 0x50020000, {11, 14, 71, 26}},      // SS_LEFT | WS_GROUP
        {IDC_NAME, u"Edit", 0x50810080, {75, 11, 225, 32}},        // WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL
        {IDC_COPIES, u"Edit", 0x50012000, {75, 38, 120, 59}},      // ES_NUMBER, NOT WS_BORDER
        {IDC_DUPLEX, u"Button", 0x50010003, {11, 68, 101, 83}},    // BS_AUTOCHECKBOX | WS_TABSTOP
        {IDC_PAPER, u"ComboBox", 0x50210003, {75, 90, 225, 210}},  // CBS_DROPDOWNLIST | WS_VSCROLL
        {IDC_TRAYS, u"ListBox", 0x50800001, {233, 11, 293, 71}},   // LBS_NOTIFY | WS_BORDER
        {IDC_PICTURE, u"Static", 0x50000003, {240, 90, 240, 90}},  // SS_ICON, sized by the picture
        {IDC_CUSTOM, u"Recorder", 0x50010000, {11, 120, 41, 135}}, // a class by name
        {IDOK, u"Button", 0x50010001, {135, 150, 210, 171}},       // BS_DEFPUSHBUTTON
        {IDCANCEL, u"Button", 0x50010000, {218, 150, 293, 171}},
    };
    std::map<int, ControlSeen> seen;
    RECT client{};
    std::u16string caption;
    DWORD dialogExStyle = 0;
    standin::ui::OnModalDialog([&](HWND dialog) {
        GetClientRect(dialog, &client);
        char16_t text[64] = {};
        GetWindowTextW(dialog, text, 64);
        caption = text;
        dialogExStyle = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
        for (const Expected& e : expected) {
            HWND control = GetDlgItem(dialog, e.id);
            if (control == nullptr) continue;
            ControlSeen s;
            char16_t cls[32] = {};
            GetClassNameW(control, cls, 32);
            s.cls = cls;
            s.style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
            s.exStyle = static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE));
            GetWindowRect(control, &s.rect);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&s.rect), 2);
            seen[e.id] = s;
        }
        EndDialog(dialog, 42);
    });

    EXPECT_EQ(DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, QuietProc, 0), 42);
    EXPECT_EQ(caption, u"Print settings");
    EXPECT_EQ(client.right, 300);  // 200 units across
    EXPECT_EQ(client.bottom, 180);  // 120 units down
    EXPECT_TRUE(dialogExStyle & WS_EX_CONTEXTHELP);
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.id);
        ASSERT_EQ(seen.count(e.id), 1u);
        const ControlSeen& s = seen[e.id];
        EXPECT_EQ(s.cls, e.cls);
        EXPECT_EQ(s.style & ~WS_VISIBLE, e.style & ~WS_VISIBLE);  // shown with the dialog
        EXPECT_EQ(s.rect.left, e.rect.left);
        EXPECT_EQ(s.rect.top, e.rect.top);
        EXPECT_EQ(s.rect.right, e.rect.right);
        EXPECT_EQ(s.rect.bottom, e.rect.bottom);
    }
    EXPECT_TRUE(seen[IDC_COPIES].exStyle & WS_EX_CLIENTEDGE);
    // The icon control is told its picture by ordinal; texts reach the controls as written.
    EXPECT_EQ(CreationTexts()[IDC_PICTURE], (std::u16string{u'\xFFFF', static_cast<char16_t>(IDI_PRINTER)}));
    EXPECT_EQ(CreationTexts()[IDC_DUPLEX], u"&Duplex");
}

using CompiledPictures = MenusTest;

TEST_F(CompiledPictures, BitmapLoadsAtItsSizeOrScaled) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(module_, MAKEINTRESOURCEW(IDB_STRIPES), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    const standin::ui::Pixels pixels = standin::ui::BitmapPixels(bitmap);
    ASSERT_EQ(pixels.width, 5);
    ASSERT_EQ(pixels.height, 3);
    EXPECT_EQ(pixels.At(0, 0), RGB(255, 0, 0));  // rows top-down as drawn
    EXPECT_EQ(pixels.At(4, 1), RGB(0, 255, 0));
    EXPECT_EQ(pixels.At(2, 2), RGB(0, 0, 255));
    DeleteObject(bitmap);

    auto scaled = static_cast<HBITMAP>(LoadImageW(module_, MAKEINTRESOURCEW(IDB_STRIPES), IMAGE_BITMAP, 10, 6, 0));
    ASSERT_NE(scaled, nullptr);
    const standin::ui::Pixels big = standin::ui::BitmapPixels(scaled);
    EXPECT_EQ(big.width, 10);
    EXPECT_EQ(big.height, 6);
    EXPECT_EQ(big.At(9, 5), RGB(0, 0, 255));
    DeleteObject(scaled);

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(LoadImageW(module_, MAKEINTRESOURCEW(999), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_NE(GetLastError(), 0xDEADBEEFu);
}

TEST_F(CompiledPictures, IconGroupOffersBothSizesWithTransparentEdges) {
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        auto icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(IDI_PRINTER), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        const standin::ui::IconPixels* pixels = standin::ui::IconImage(icon);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(pixels->width, size);
        EXPECT_EQ(pixels->height, size);
        const auto alphaAt = [&](int x, int y) { return pixels->bgra[(static_cast<size_t>(y) * size + x) * 4 + 3]; };
        EXPECT_EQ(alphaAt(0, 0), 0);  // '.'
        EXPECT_EQ(alphaAt(size / 2, size / 2), 0xFF);
        DestroyIcon(icon);
    }
    HRSRC manifest = FindResourceW(module_, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(module_, manifest)));
    EXPECT_EQ(std::string(text, 5), "<?xml");
}

}  // namespace
}  // namespace menutest
