// Dialogs from binary templates: controls, ids and rectangles, WM_INITDIALOG, modal loops,
// the keyboard interface, and refusal of malformed templates.
#include <cstring>

#include "platform/src/DialogTemplate.h"
#include "tests/platform_window/WindowFixture.h"

namespace uitest {
namespace {

// Builds an extended template in the platform's layout.
class TemplateWriter {
public:
    void Word(WORD w) { Bytes(&w, 2); }
    void Dword(DWORD d) { Bytes(&d, 4); }
    void Text(const std::u16string& s) {
        for (char16_t c : s) Word(c);
        Word(0);
    }
    void Align() {
        while (bytes.size() % 4 != 0) bytes.push_back(0);
    }
    void Bytes(const void* p, size_t n) {
        const auto* b = static_cast<const BYTE*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
    std::vector<BYTE> bytes;
};

struct ItemRow {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::u16string cls;
    std::u16string title;
};

std::vector<BYTE> DialogEx(DWORD style, const std::vector<ItemRow>& items, WORD pointSize = 9) {
    TemplateWriter w;
    const DLGTEMPLATEEX head{1, 0xFFFF, 0, 0, style | DS_SETFONT, static_cast<WORD>(items.size()), 10, 20, 200, 100};
    w.Bytes(&head, sizeof(head));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(u"Settings");
    w.Word(pointSize);
    w.Word(400);
    w.Bytes("\0\x01", 2);
    w.Text(u"MS Shell Dlg");
    for (const ItemRow& i : items) {
        w.Align();
        const DLGITEMTEMPLATEEX item{0, 0, i.style | WS_VISIBLE, i.x, i.y, i.cx, i.cy, i.id};
        w.Bytes(&item, sizeof(item));
        w.Text(i.cls);
        w.Text(i.title);
        w.Word(0);
    }
    return w.bytes;
}

// A stand-in "Button" of this test module: keeps its check state, answers as a push
// button or not by its style.
LRESULT CALLBACK FakeButton(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_SETCHECK: SetWindowLongPtrW(hwnd, 0, static_cast<LONG_PTR>(wParam)); return 0;
    case BM_GETCHECK: return GetWindowLongPtrW(hwnd, 0);
    case WM_GETDLGCODE: {
        const DWORD type = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
        return type == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : type == BS_PUSHBUTTON ? DLGC_UNDEFPUSHBUTTON : 0;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

struct DialogRun {
    std::vector<std::pair<UINT, WPARAM>> commands;
    LPARAM initParam = 0;
    bool endInInit = false;
    int nestedDepth = 0;
};
DialogRun* g_run = nullptr;
std::vector<BYTE> g_template;

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        g_run->initParam = lParam;
        if (g_run->endInInit) EndDialog(dialog, 77);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        g_run->commands.emplace_back(message, wParam);
        if (LOWORD(wParam) == 100 && g_run->nestedDepth == 0) {
            // A nested modal dialog that ends itself in WM_INITDIALOG.
            ++g_run->nestedDepth;
            g_run->endInInit = true;
            const INT_PTR inner = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                                          reinterpret_cast<LPCDLGTEMPLATEW>(g_template.data()), dialog,
                                                          TestDialogProc, 5);
            g_run->endInInit = false;
            EXPECT_EQ(inner, 77);
            EXPECT_TRUE(IsWindowEnabled(dialog)) << "the owner is enabled again after the nested loop";
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

class Dialogs : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = FakeButton;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = instance_;
        wc.lpszClassName = u"Button";
        ASSERT_NE(RegisterClassExW(&wc), 0);
        g_template = DialogEx(WS_POPUP | WS_CAPTION | DS_MODALFRAME,
                              {{WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 70, 50, 14, IDOK, u"Button", u"OK"},
                               {WS_TABSTOP, 70, 70, 50, 14, IDCANCEL, u"Button", u"Cancel"},
                               {WS_TABSTOP | BS_AUTOCHECKBOX, 10, 10, 80, 10, 100, u"Button", u"Nested"}});
        run_ = DialogRun{};
        g_run = &run_;
    }
    void TearDown() override {
        standin::ui::OnModalDialog(nullptr);
        g_run = nullptr;
        UiTest::TearDown();
    }
    DialogRun run_;
};

TEST_F(Dialogs, ModelessDialogHasItsControlsIdsRectanglesAndParam) {
    static_assert(DWLP_USER == (sizeof(void*) == 4 ? 8 : 16));
    HWND dialog = CreateDialogIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(g_template.data()), nullptr,
                                             TestDialogProc, 0x1234);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(run_.initParam, 0x1234);
    EXPECT_EQ(GetWindowLongPtrW(dialog, DWLP_USER), 0x1234);
    HWND ok = GetDlgItem(dialog, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(GetDlgCtrlID(ok), IDOK);
    EXPECT_EQ(GetWindow(dialog, GW_CHILD), ok) << "controls keep the template's order";
    RECT r{};
    GetWindowRect(ok, &r);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    // 10 x 70 dialog units at 6/4 and 12/8 pixels per unit (the 9-point font's); 50 x 14 units.
    EXPECT_EQ(r.left - origin.x, 15);
    EXPECT_EQ(r.top - origin.y, 105);
    EXPECT_EQ(r.right - r.left, 75);
    EXPECT_EQ(r.bottom - r.top, 21);
    EXPECT_EQ(GetFocus(), ok) << "WM_INITDIALOG returned TRUE: focus on the first tab stop";
    EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
    CheckDlgButton(dialog, 100, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 100), BST_CHECKED);
    SetDlgItemInt(dialog, 100, static_cast<UINT>(-12), TRUE);
    BOOL translated = FALSE;
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog, 100, &translated, TRUE)), -12);
    EXPECT_TRUE(translated);
    EXPECT_TRUE(DestroyWindow(dialog));
}

TEST_F(Dialogs, DialogUnitsFollowTheTemplateFont) {
    // The font's average letter width and height are the base units: a quarter of the width
    // and an eighth of the height per unit. A button at (10, 70), 50 x 14 units.
    struct Case {
        WORD points;
        LONG left, top, width, height;
    };
    const Case cases[] = {
        {8, 13, 96, 63, 19},    // 11 pixels high, letters 5 wide
        {9, 15, 105, 75, 21},   // 12 high, 6 wide
        {12, 20, 140, 100, 28}, // 16 high, 8 wide
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.points);
        const std::vector<BYTE> bytes =
            DialogEx(WS_POPUP | WS_CAPTION, {{BS_PUSHBUTTON, 10, 70, 50, 14, IDOK, u"Button", u"OK"}}, c.points);
        HWND dialog = CreateDialogIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr,
                                                 TestDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        RECT r{};
        GetWindowRect(GetDlgItem(dialog, IDOK), &r);
        POINT origin{0, 0};
        ClientToScreen(dialog, &origin);
        EXPECT_EQ(r.left - origin.x, c.left);
        EXPECT_EQ(r.top - origin.y, c.top);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        RECT units{10, 70, 60, 84};
        ASSERT_TRUE(MapDialogRect(dialog, &units));
        EXPECT_EQ(units.left, c.left);
        EXPECT_EQ(units.top, c.top);
        EXPECT_TRUE(DestroyWindow(dialog));
    }
    // The system font's units stay what GetDialogBaseUnits reports.
    EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(6, 13));
}

TEST_F(Dialogs, KeysOfIsDialogMessage) {
    HWND dialog = CreateDialogIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(g_template.data()), nullptr,
                                             TestDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND ok = GetDlgItem(dialog, IDOK), cancel = GetDlgItem(dialog, IDCANCEL), nested = GetDlgItem(dialog, 100);
    struct Case {
        int key;
        bool shift;
        HWND focusBefore;
        HWND focusAfter;
        WPARAM command;  // 0: none
    };
    const Case cases[] = {
        {VK_TAB, false, ok, cancel, 0},
        {VK_TAB, false, nested, ok, 0},          // wraps round
        {VK_TAB, true, ok, nested, 0},           // Shift+Tab goes back
        {VK_ESCAPE, false, nested, nested, MAKELONG(IDCANCEL, BN_CLICKED)},
        {VK_RETURN, false, nested, nested, MAKELONG(IDOK, BN_CLICKED)},  // the default button
        {VK_RETURN, false, cancel, cancel, MAKELONG(IDCANCEL, BN_CLICKED)},  // a focused push button
    };
    for (const Case& c : cases) {
        SetFocus(c.focusBefore);
        standin::ui::SetKeyDown(VK_SHIFT, c.shift);
        run_.commands.clear();
        MSG msg{c.focusBefore, WM_KEYDOWN, static_cast<WPARAM>(c.key), 1, 0, POINT{}};
        EXPECT_TRUE(IsDialogMessageW(dialog, &msg));
        EXPECT_EQ(GetFocus(), c.focusAfter) << "key " << c.key;
        if (c.command == 0) {
            EXPECT_TRUE(run_.commands.empty()) << "key " << c.key;
        } else {
            ASSERT_EQ(run_.commands.size(), 1u) << "key " << c.key;
            EXPECT_EQ(run_.commands[0].second, c.command) << "key " << c.key;
        }
    }
    standin::ui::SetKeyDown(VK_SHIFT, false);
    DestroyWindow(dialog);
}

TEST_F(Dialogs, NestedModalDialogsDisableTheirOwners) {
    HWND owner = MakeWindow(WS_OVERLAPPED | WS_VISIBLE, RECT{0, 0, 400, 300});
    int scriptRuns = 0;
    standin::ui::OnModalDialog([&](HWND dialog) {
        ++scriptRuns;
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_TRUE(IsWindowVisible(dialog));
        // Ask for the nested dialog, then press OK.
        PostMessageW(dialog, WM_COMMAND, MAKELONG(100, BN_CLICKED), 0);
        PostMessageW(dialog, WM_COMMAND, MAKELONG(IDOK, BN_CLICKED), 0);
    });
    const INT_PTR result =
        DialogBoxIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(g_template.data()), owner, TestDialogProc, 9);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(scriptRuns, 1) << "the nested dialog ended in WM_INITDIALOG, before its loop";
    EXPECT_EQ(run_.nestedDepth, 1);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(standin::ui::LiveWindowCount(), 1u) << "both dialogs are gone";
}

TEST_F(Dialogs, MalformedTemplatesAreRefused) {
    const std::vector<BYTE>& whole = g_template;
    ASSERT_TRUE(standin::ui::core::ParseDialogTemplate(whole).has_value());
    // Every shorter prefix is refused: the header, a string or an item is cut.
    for (size_t n = 0; n + 1 < whole.size(); ++n) {
        EXPECT_FALSE(standin::ui::core::ParseDialogTemplate(std::span<const BYTE>(whole.data(), n)).has_value())
            << "prefix of " << n << " bytes";
    }
    // A template that claims one item more than it holds.
    std::vector<BYTE> claims = whole;
    claims[offsetof(DLGTEMPLATEEX, cDlgItems)]++;
    EXPECT_FALSE(standin::ui::core::ParseDialogTemplate(claims).has_value());
    // A control of a class nobody registered makes the whole dialog fail.
    const std::vector<BYTE> unknown = DialogEx(WS_POPUP, {{0, 0, 0, 10, 10, 5, u"NoSuchClass", u""}});
    SetLastError(0);
    EXPECT_EQ(CreateDialogIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(unknown.data()), nullptr,
                                         TestDialogProc, 0),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_EQ(standin::ui::LiveWindowCount(), 0u);
}

}  // namespace
}  // namespace uitest
