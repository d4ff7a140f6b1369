// The sample dialog driven as a user would: typing, checking, choosing, pressing OK, and what
// its picture shows afterwards.
#include <algorithm>
#include <fstream>

#include "tests/platform_controls/ControlsFixture.h"

namespace uicontrols {
namespace {

struct DialogRecord {
    std::vector<Heard> heard;
    std::vector<UINT> order;  // WM_MEASUREITEM, WM_INITDIALOG, WM_DRAWITEM as they came
    std::vector<UINT> drawActions;
    std::u16string name;
    UINT duplex = 0;
    UINT landscape = 0;
    int paper = -1;
    int tray = -1;
    int copies = 0;
};
DialogRecord* g_record = nullptr;

INT_PTR SampleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogRecord& r = *g_record;
    switch (message) {
    case WM_MEASUREITEM:
        r.order.push_back(message);
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 20;
        return TRUE;
    case WM_INITDIALOG:
        r.order.push_back(message);
        for (const char16_t* paper : {u"A4", u"Letter", u"B5"}) {
            SendDlgItemMessageW(dialog, 105, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(paper));
        }
        SendDlgItemMessageW(dialog, 105, CB_SETCURSEL, 0, 0);
        for (const char16_t* tray : {u"Tray 1", u"Tray 2", u"Manual"}) {
            SendDlgItemMessageW(dialog, 106, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tray));
        }
        SendDlgItemMessageW(dialog, 107, UDM_SETRANGE32, 1, 99);
        SendDlgItemMessageW(dialog, 107, UDM_SETPOS32, 0, 1);
        CheckRadioButton(dialog, 103, 104, 103);
        return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        r.order.push_back(message);
        r.drawActions.push_back(item->itemAction);
        // The owner paints the selected tray in the highlight colour.
        HBRUSH brush = GetSysColorBrush((item->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        FillRect(item->hDC, &item->rcItem, brush);
        return TRUE;
    }
    case WM_COMMAND:
        r.heard.push_back({message, LOWORD(wParam), HIWORD(wParam)});
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            WCHAR name[64]{};
            GetDlgItemTextW(dialog, 101, name, 64);
            r.name = name;
            r.duplex = IsDlgButtonChecked(dialog, 102);
            r.landscape = IsDlgButtonChecked(dialog, 104);
            r.paper = static_cast<int>(SendDlgItemMessageW(dialog, 105, CB_GETCURSEL, 0, 0));
            r.tray = static_cast<int>(SendDlgItemMessageW(dialog, 106, LB_GETCURSEL, 0, 0));
            r.copies = static_cast<int>(GetDlgItemInt(dialog, 108, nullptr, FALSE));
            EndDialog(dialog, LOWORD(wParam));
        }
        return TRUE;
    case WM_VSCROLL: r.heard.push_back({message, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam)}); return TRUE;
    default: return FALSE;
    }
}

bool Has(const std::vector<Heard>& heard, int id, UINT code) {
    for (const Heard& h : heard) {
        if (h.id == id && h.code == code) return true;
    }
    return false;
}

// Darkest pixel of a rectangle of the picture: where a check mark or text stands.
int Darkest(const standin::ui::Pixels& p, RECT r) {
    int darkest = 255 * 3;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = p.At(x, y);
            darkest = std::min(darkest, GetRValue(c) + GetGValue(c) + GetBValue(c));
        }
    }
    return darkest;
}

// Where a control sits in the picture of the whole dialog window.
RECT InPicture(HWND dialog, HWND control) {
    RECT window{}, rect{};
    GetWindowRect(dialog, &window);
    GetWindowRect(control, &rect);
    OffsetRect(&rect, -window.left, -window.top);
    return rect;
}

class SampleDialog : public ControlsTest {};

TEST_F(SampleDialog, UserFillsItInAndPressesOk) {
    DialogRecord record;
    g_record = &record;
    standin::ui::Pixels before, after;
    RECT checkBox{}, listBox{};
    const std::string png = root_.Path() + "/sample.png";
    standin::ui::OnModalDialog([&](HWND dialog) {
        HWND check = GetDlgItem(dialog, 102);
        before = standin::ui::PaintWindow(dialog);
        checkBox = InPicture(dialog, check);
        listBox = InPicture(dialog, GetDlgItem(dialog, 106));
        standin::ui::TypeText(GetDlgItem(dialog, 101), u"Tanaka");
        standin::ui::ClickAt(check, 3, 3);
        standin::ui::ClickAt(GetDlgItem(dialog, 104), 3, 3);
        standin::ui::ChooseComboItem(GetDlgItem(dialog, 105), 2);
        standin::ui::ClickAt(GetDlgItem(dialog, 106), 5, 25);  // the second row of 20 pixels
        standin::ui::ClickAt(GetDlgItem(dialog, 107), 2, 2);    // the up arrow
        standin::ui::ClickAt(GetDlgItem(dialog, 107), 2, 2);
        after = standin::ui::PaintWindow(dialog);
        EXPECT_TRUE(standin::ui::SavePicture(dialog, png));
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    const INT_PTR result = DialogBoxParamW(samples_, MAKEINTRESOURCEW(100), nullptr, SampleProc, 0);
    standin::ui::OnModalDialog(nullptr);
    g_record = nullptr;

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(record.name, u"Tanaka");
    EXPECT_EQ(record.duplex, BST_CHECKED);
    EXPECT_EQ(record.landscape, BST_CHECKED);
    EXPECT_EQ(record.paper, 2);
    EXPECT_EQ(record.tray, 1);
    EXPECT_EQ(record.copies, 3);

    // What the dialog heard: one change per typed letter, clicks, the choices.
    int changes = 0;
    for (const Heard& h : record.heard) changes += h.id == 101 && h.code == EN_CHANGE;
    EXPECT_EQ(changes, 6);
    EXPECT_TRUE(Has(record.heard, 101, EN_SETFOCUS));
    EXPECT_TRUE(Has(record.heard, 102, BN_CLICKED));
    EXPECT_TRUE(Has(record.heard, 104, BN_CLICKED));
    EXPECT_TRUE(Has(record.heard, 105, CBN_SELCHANGE));
    EXPECT_TRUE(Has(record.heard, 106, LBN_SELCHANGE));
    EXPECT_TRUE(Has(record.heard, 107, SB_THUMBPOSITION));
    EXPECT_EQ(record.order.front(), WM_MEASUREITEM) << "the owner measures before WM_INITDIALOG";
    EXPECT_NE(std::find(record.drawActions.begin(), record.drawActions.end(), ODA_SELECT), record.drawActions.end());

    // The picture: the check box was empty and shows its mark now; the owner-drawn list
    // shows the second row in the highlight colour.
    ASSERT_GT(after.width, 0);
    const RECT box{checkBox.left + 3, checkBox.top + 4, checkBox.left + 10, checkBox.top + 12};
    EXPECT_GT(Darkest(before, box), 600);
    EXPECT_LT(Darkest(after, box), 100);
    EXPECT_EQ(after.At(listBox.left + 10, listBox.top + 30), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(after.At(listBox.left + 10, listBox.top + 10), GetSysColor(COLOR_WINDOW));
    std::ifstream file(png, std::ios::binary);
    char signature[4]{};
    file.read(signature, 4);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST_F(SampleDialog, CancelKeepsNothingAndEscapeCancels) {
    DialogRecord record;
    g_record = &record;
    standin::ui::OnModalDialog([](HWND dialog) {
        standin::ui::TypeText(GetDlgItem(dialog, 101), u"x");
        MSG msg{GetDlgItem(dialog, 101), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        IsDialogMessageW(dialog, &msg);
    });
    EXPECT_EQ(DialogBoxParamW(samples_, MAKEINTRESOURCEW(100), nullptr, SampleProc, 0), IDCANCEL);
    standin::ui::OnModalDialog(nullptr);
    g_record = nullptr;
    EXPECT_EQ(record.duplex, BST_UNCHECKED);
    EXPECT_EQ(record.landscape, BST_UNCHECKED);
}

class Controls : public ControlsTest {};

TEST_F(Controls, EditLimitCutsTypingButNotSetText) {
    HWND parent = MakeParent();
    HWND edit = MakeControl(parent, u"Edit", 0, 5, {0, 0, 100, 20});
    SendMessageW(edit, EM_LIMITTEXT, 4, 0);
    struct Case {
        const char16_t* typed;
        const char16_t* expected;
        bool maxText;
    } cases[] = {
        {u"abc", u"abc", false},
        {u"abcd", u"abcd", false},
        {u"abcdef", u"abcd", true},
        {u"ab\b\bxyzw", u"xyzw", false},
    };
    for (const Case& c : cases) {
        SetWindowTextW(edit, u"");
        Log().clear();
        standin::ui::TypeText(edit, c.typed);
        WCHAR text[32]{};
        GetWindowTextW(edit, text, 32);
        EXPECT_EQ(std::u16string(text), c.expected) << kvtest::U8(c.typed);
        const std::vector<UINT> codes = CodesFor(5);
        EXPECT_EQ(std::find(codes.begin(), codes.end(), static_cast<UINT>(EN_MAXTEXT)) != codes.end(), c.maxText)
            << kvtest::U8(c.typed);
    }
    // Setting the text is not typing: the limit does not apply.
    SetWindowTextW(edit, u"longer text");
    EXPECT_EQ(GetWindowTextLengthW(edit), 11);
    // A selection is replaced by what is typed (within a wider limit).
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    SendMessageW(edit, EM_SETSEL, 0, 6);
    standin::ui::TypeText(edit, u"L");
    WCHAR text[32]{};
    GetWindowTextW(edit, text, 32);
    EXPECT_EQ(std::u16string(text), u"L text");
}

TEST_F(Controls, ComboAndListMessagesAnswerAsThePlatformDoes) {
    HWND parent = MakeParent();
    HWND combo = MakeControl(parent, u"ComboBox", CBS_DROPDOWNLIST, 7, {0, 0, 120, 200});
    HWND list = MakeControl(parent, u"ListBox", LBS_NOTIFY, 8, {0, 40, 120, 100});
    for (HWND h : {combo, list}) {
        const bool isCombo = h == combo;
        const UINT add = isCombo ? CB_ADDSTRING : LB_ADDSTRING;
        SendMessageW(h, add, 0, reinterpret_cast<LPARAM>(u"Alpha"));
        SendMessageW(h, add, 0, reinterpret_cast<LPARAM>(u"Beta"));
        SendMessageW(h, isCombo ? CB_INSERTSTRING : LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>(u"Alphabet"));
        SendMessageW(h, isCombo ? CB_SETITEMDATA : LB_SETITEMDATA, 2, 0x1234);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(u"ALPHABET")), 1);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(u"Alp")), -1);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_GETITEMDATA : LB_GETITEMDATA, 2, 0), 0x1234);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, 1, 0), 8);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, 3, 0), -1);
        WCHAR text[16]{};
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_GETLBTEXT : LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text)), 4);
        EXPECT_EQ(std::u16string(text), u"Beta");
        // Setting the selection by message tells the parent nothing.
        Log().clear();
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_SETCURSEL : LB_SETCURSEL, 2, 0), 2);
        EXPECT_TRUE(Log().empty());
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_DELETESTRING : LB_DELETESTRING, 0, 0), 2);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0), 1) << "the selection moves up";
        SendMessageW(h, isCombo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
        EXPECT_EQ(SendMessageW(h, isCombo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0), -1);
    }
    // Rows of the list: where LB_GETITEMRECT puts them follows the top index.
    for (int i = 0; i < 10; ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"row"));
    RECT row{};
    SendMessageW(list, LB_SETTOPINDEX, 3, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 3);
    ASSERT_EQ(SendMessageW(list, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&row)), 1);
    const LRESULT height = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(row.top, height);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMRECT, 10, reinterpret_cast<LPARAM>(&row)), LB_ERR);
    // A destroyed control answers nothing and fails as any window does.
    DestroyWindow(list);
    SetLastError(0);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(Controls, ButtonsCheckThemselvesOnlyWhenAutomatic) {
    HWND parent = MakeParent();
    struct Case {
        DWORD style;
        UINT afterClick;
    } cases[] = {
        {BS_CHECKBOX, BST_UNCHECKED},     {BS_AUTOCHECKBOX, BST_CHECKED}, {BS_RADIOBUTTON, BST_UNCHECKED},
        {BS_AUTORADIOBUTTON, BST_CHECKED}, {BS_PUSHBUTTON, BST_UNCHECKED},
    };
    int id = 20;
    for (const Case& c : cases) {
        HWND button = MakeControl(parent, u"Button", c.style | WS_GROUP, id, {0, 0, 80, 20}, u"B");
        Log().clear();
        SendMessageW(button, BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageW(button, BM_GETCHECK, 0, 0), static_cast<LRESULT>(c.afterClick)) << c.style;
        EXPECT_EQ(CodesFor(id), std::vector<UINT>{BN_CLICKED}) << c.style;
        ++id;
    }
    // A disabled button ignores the click.
    HWND disabled = MakeControl(parent, u"Button", BS_AUTOCHECKBOX | WS_DISABLED, 40, {0, 0, 80, 20}, u"D");
    Log().clear();
    SendMessageW(disabled, BM_CLICK, 0, 0);
    EXPECT_TRUE(Log().empty());
    // BM_SETSTYLE changes the kind the dialog manager sees.
    HWND push = MakeControl(parent, u"Button", BS_PUSHBUTTON, 41, {0, 0, 80, 20}, u"P");
    SendMessageW(push, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), static_cast<LRESULT>(DLGC_BUTTON | DLGC_DEFPUSHBUTTON));
}

TEST_F(Controls, UpDownStepsWithinItsRangeAndHonoursARefusal) {
    HWND parent = MakeParent();
    HWND buddy = MakeControl(parent, u"Edit", 0, 30, {0, 0, 40, 20});
    HWND spin = MakeControl(parent, UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_AUTOBUDDY, 31, {40, 0, 52, 20});
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), buddy);
    SendMessageW(spin, UDM_SETRANGE, 0, MAKELONG(3, 1));
    EXPECT_EQ(SendMessageW(spin, UDM_GETRANGE, 0, 0), MAKELONG(3, 1));
    SendMessageW(spin, UDM_SETPOS, 0, MAKELONG(2, 0));
    Log().clear();
    standin::ui::ClickAt(spin, 5, 2);
    standin::ui::ClickAt(spin, 5, 2);  // already at the top: nothing moves
    EXPECT_EQ(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 3);
    EXPECT_EQ(GetDlgItemInt(parent, 30, nullptr, FALSE), 3u);
    EXPECT_EQ(CodesFor(31), (std::vector<UINT>{UDN_DELTAPOS, SB_THUMBPOSITION, SB_ENDSCROLL, UDN_DELTAPOS}));
    Refusals().push_back(UDN_DELTAPOS);
    standin::ui::ClickAt(spin, 5, 18);
    EXPECT_EQ(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 3) << "the parent refused the step";
    standin::ui::ClickAt(spin, 5, 18);
    EXPECT_EQ(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 2);
    SendMessageW(spin, UDM_SETRANGE32, 0, 100000);
    SendMessageW(spin, UDM_SETPOS32, 0, 70000);
    EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 70000);
}

}  // namespace
}  // namespace uicontrols
