// The "Button" class: push buttons, check boxes, radio buttons and group boxes.
#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

struct ButtonState : ControlBase {
    UINT check = BST_UNCHECKED;
    bool pushed = false;
};

DWORD TypeOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK; }
bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsCheck(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsPush(DWORD type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }

void PaintButton(HWND hwnd, ButtonState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT client = paint.Client();
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    const DWORD type = style & BS_TYPEMASK;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const COLORREF textColor = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    const std::u16string text = WindowText(hwnd);
    if (type == BS_OWNERDRAW) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = (s.pushed ? ODS_SELECTED : 0) | (s.focused ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
        item.hwndItem = hwnd;
        item.hDC = hdc;
        item.rcItem = client;
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        return;
    }
    if (type == BS_GROUPBOX) {
        const int line = LineHeight(hwnd, s.font);
        FillSolid(hdc, client, GetSysColor(COLOR_BTNFACE));
        DrawEdge3d(hdc, RECT{client.left, client.top + line / 2, client.right, client.bottom}, true);
        SIZE extent{};
        GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &extent);
        if (!text.empty()) {
            const RECT label{client.left + 8, client.top, client.left + 12 + extent.cx, client.top + line};
            FillSolid(hdc, label, GetSysColor(COLOR_BTNFACE));
            DrawTextIn(hdc, text, RECT{label.left + 2, label.top, label.right, label.bottom}, DT_SINGLELINE, textColor);
        }
        return;
    }
    FillSolid(hdc, client, GetSysColor(COLOR_BTNFACE));
    if (IsPush(type) || (style & BS_PUSHLIKE)) {
        RECT face = client;
        const bool isDefault = type == BS_DEFPUSHBUTTON;
        if (isDefault) {
            DrawFrame(hdc, face, GetSysColor(COLOR_WINDOWFRAME));
            InflateRect(&face, -1, -1);
        }
        DrawEdge3d(hdc, face, s.pushed || (s.check & BST_CHECKED));
        RECT label = face;
        if (s.pushed) OffsetRect(&label, 1, 1);
        DrawTextIn(hdc, text, label, DT_SINGLELINE | DT_CENTER | DT_VCENTER, textColor);
        if (s.focused) {
            RECT focus = face;
            InflateRect(&focus, -3, -3);
            DrawFocusRect(hdc, &focus);
        }
        return;
    }
    // Check boxes and radio buttons: the box at the left (right with BS_LEFTTEXT), the text
    // beside it.
    const int boxY = (client.bottom - client.top - 13) / 2;
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int boxX = leftText ? client.right - 13 : client.left;
    DrawCheckMark(hdc, boxX, boxY, IsRadio(type), s.check, enabled);
    RECT label = leftText ? RECT{client.left, client.top, client.right - 17, client.bottom}
                          : RECT{client.left + 17, client.top, client.right, client.bottom};
    DrawTextIn(hdc, text, label, DT_SINGLELINE | DT_VCENTER | (leftText ? DT_RIGHT : 0), textColor);
    if (s.focused) {
        RECT focus = label;
        InflateRect(&focus, 1, -1);
        DrawFocusRect(hdc, &focus);
    }
}

// Checks one auto radio button and clears the others of its group (from the WS_GROUP control
// before it up to the next WS_GROUP), as a click does.
void CheckInGroup(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (parent == nullptr) return;
    HWND first = hwnd;
    while (!(GetWindowLongW(first, GWL_STYLE) & WS_GROUP)) {
        HWND prev = GetWindow(first, GW_HWNDPREV);
        if (prev == nullptr) break;
        first = prev;
    }
    for (HWND c = first; c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c != first && (GetWindowLongW(c, GWL_STYLE) & WS_GROUP)) break;
        if (c != hwnd && StateOf<ButtonState>(c) != nullptr && TypeOf(c) == BS_AUTORADIOBUTTON) {
            SendMessageW(c, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
}

// A completed click: the automatic kinds change their state first, then the parent hears.
void Clicked(HWND hwnd, ButtonState& s) {
    switch (TypeOf(hwnd)) {
    case BS_AUTOCHECKBOX: SendMessageW(hwnd, BM_SETCHECK, (s.check & BST_CHECKED) ? BST_UNCHECKED : BST_CHECKED, 0); break;
    case BS_AUTO3STATE:
        SendMessageW(hwnd, BM_SETCHECK, s.check == BST_UNCHECKED ? BST_CHECKED
                                        : s.check == BST_CHECKED ? BST_INDETERMINATE
                                                                 : BST_UNCHECKED, 0);
        break;
    case BS_AUTORADIOBUTTON: CheckInGroup(hwnd); break;
    default: break;
    }
    NotifyCommand(hwnd, BN_CLICKED);
}

LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Attach(hwnd, new ButtonState());
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    ButtonState* s = StateOf<ButtonState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    const DWORD type = TypeOf(hwnd);
    switch (message) {
    case WM_PAINT: PaintButton(hwnd, *s); return 0;
    case WM_SETTEXT:
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case BM_GETCHECK: return (IsCheck(type) || IsRadio(type)) ? s->check : BST_UNCHECKED;
    case BM_SETCHECK: {
        UINT check = static_cast<UINT>(wParam) & (BST_CHECKED | BST_INDETERMINATE);
        if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) check = BST_CHECKED;
        if (!IsCheck(type) && !IsRadio(type)) return 0;
        if (check != s->check) {
            s->check = check;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        // A checked radio button becomes a tab stop, an unchecked one of an auto group stops
        // being one, so that Tab lands on the chosen button.
        if (type == BS_AUTORADIOBUTTON) {
            const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
            SetWindowLongW(hwnd, GWL_STYLE, check ? (style | static_cast<LONG>(WS_TABSTOP))
                                                  : (style & ~static_cast<LONG>(WS_TABSTOP)));
        }
        return 0;
    }
    case BM_GETSTATE:
        return static_cast<LRESULT>(s->check | (s->pushed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0));
    case BM_SETSTATE:
        s->pushed = wParam != 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case BM_SETSTYLE: {
        const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((static_cast<DWORD>(style) & 0xFFFF0000u) |
                                                          (static_cast<DWORD>(wParam) & 0xFFFFu)));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        SendMessageW(hwnd, WM_LBUTTONDOWN, 0, 0);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (type == BS_GROUPBOX || !IsWindowEnabled(hwnd)) return 0;
        s->pushed = true;
        SetCapture(hwnd);
        if (GetFocus() != hwnd) SetFocus(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONUP: {
        if (!s->pushed) return 0;
        s->pushed = false;
        ReleaseCapture();
        InvalidateRect(hwnd, nullptr, TRUE);
        RECT client{};
        GetClientRect(hwnd, &client);
        const POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        if (PtInRect(&client, at)) Clicked(hwnd, *s);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && type != BS_GROUPBOX) {
            s->pushed = true;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && s->pushed) {
            s->pushed = false;
            InvalidateRect(hwnd, nullptr, TRUE);
            Clicked(hwnd, *s);
        }
        return 0;
    case WM_SETFOCUS:
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (GetWindowLongW(hwnd, GWL_STYLE) & BS_NOTIFY) NotifyCommand(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (GetWindowLongW(hwnd, GWL_STYLE) & BS_NOTIFY) NotifyCommand(hwnd, BN_KILLFOCUS);
        return 0;
    case WM_GETDLGCODE:
        switch (type) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
        }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

const bool kButtonListed =
    standin::ui::AddBuiltinClass({u"Button", DLGITEM_BUTTON, ButtonProc, CS_DBLCLKS, kStateBytes});

}  // namespace
}  // namespace standin::controls
