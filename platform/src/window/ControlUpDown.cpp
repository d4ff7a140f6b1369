// The up-down control ("msctls_updown32"): a position within a range, stepped by its two
// arrows, reported to the parent with UDN_DELTAPOS and WM_VSCROLL (WM_HSCROLL with UDS_HORZ)
// and shown in a buddy window with UDS_SETBUDDYINT.
#include <algorithm>
#include <string>

#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

struct UpDownState : ControlBase {
    int lower = 100;  // the platform's default range runs from 100 down to 0
    int upper = 0;
    int pos = 0;
    HWND buddy = nullptr;
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

int Clamp(const UpDownState& s, int value) {
    return std::clamp(value, std::min(s.lower, s.upper), std::max(s.lower, s.upper));
}

void ShowInBuddy(HWND hwnd, const UpDownState& s) {
    if (s.buddy == nullptr || !(StyleOf(hwnd) & UDS_SETBUDDYINT)) return;
    const std::string digits = std::to_string(s.pos);
    const std::u16string text(digits.begin(), digits.end());
    SetWindowTextW(s.buddy, text.c_str());
}

// One step of an arrow: towards the upper end for "up", as the user sees it.
void Step(HWND hwnd, UpDownState& s, bool up) {
    const int toward = s.upper >= s.lower ? 1 : -1;
    const int delta = up ? toward : -toward;
    NMUPDOWN note{};
    note.iPos = s.pos;
    note.iDelta = delta;
    if (NotifyParent(hwnd, UDN_DELTAPOS, &note.hdr) != 0) return;  // the parent refused
    int next = s.pos + note.iDelta;
    const int low = std::min(s.lower, s.upper), high = std::max(s.lower, s.upper);
    if (next < low || next > high) {
        if (!(StyleOf(hwnd) & UDS_WRAP)) next = Clamp(s, next);
        else next = next < low ? high : low;
    }
    if (next == s.pos) return;
    s.pos = next;
    ShowInBuddy(hwnd, s);
    InvalidateRect(hwnd, nullptr, TRUE);
    const UINT scroll = (StyleOf(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    HWND parent = GetParent(hwnd);
    SendMessageW(parent, scroll, MAKELONG(SB_THUMBPOSITION, s.pos), reinterpret_cast<LPARAM>(hwnd));
    SendMessageW(parent, scroll, MAKELONG(SB_ENDSCROLL, s.pos), reinterpret_cast<LPARAM>(hwnd));
}

void PaintUpDown(HWND hwnd, UpDownState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT c = paint.Client();
    const bool horizontal = (StyleOf(hwnd) & UDS_HORZ) != 0;
    const RECT first = horizontal ? RECT{c.left, c.top, c.right / 2, c.bottom} : RECT{c.left, c.top, c.right, c.bottom / 2};
    const RECT second = horizontal ? RECT{c.right / 2, c.top, c.right, c.bottom} : RECT{c.left, c.bottom / 2, c.right, c.bottom};
    const COLORREF arrow = GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    for (const RECT* r : {&first, &second}) {
        FillSolid(hdc, *r, GetSysColor(COLOR_BTNFACE));
        DrawEdge3d(hdc, *r, false);
        const int cx = (r->left + r->right) / 2, cy = (r->top + r->bottom) / 2;
        const bool pointsUp = r == &first;
        for (int i = 0; i < 3; ++i) {
            const int row = pointsUp ? cy - 1 + i : cy + 1 - i;
            if (!horizontal) FillSolid(hdc, RECT{cx - i, row, cx + i + 1, row + 1}, arrow);
            else FillSolid(hdc, RECT{pointsUp ? cx - 1 + i : cx + 1 - i, cy - i, (pointsUp ? cx - 1 + i : cx + 1 - i) + 1, cy + i + 1}, arrow);
        }
    }
}

LRESULT UpDownProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Attach(hwnd, new UpDownState());
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    UpDownState* s = StateOf<UpDownState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        // UDS_AUTOBUDDY takes the control made just before it.
        if (StyleOf(hwnd) & UDS_AUTOBUDDY) s->buddy = GetWindow(hwnd, GW_HWNDPREV);
        return 0;
    case WM_PAINT: PaintUpDown(hwnd, *s); return 0;
    case UDM_SETRANGE:
        s->upper = static_cast<SHORT>(LOWORD(lParam));
        s->lower = static_cast<SHORT>(HIWORD(lParam));
        s->pos = Clamp(*s, s->pos);
        return 0;
    case UDM_GETRANGE: return MAKELONG(s->upper, s->lower);
    case UDM_SETRANGE32:
        s->lower = static_cast<int>(wParam);
        s->upper = static_cast<int>(lParam);
        s->pos = Clamp(*s, s->pos);
        return 0;
    case UDM_GETRANGE32:
        if (wParam != 0) *reinterpret_cast<int*>(wParam) = s->lower;
        if (lParam != 0) *reinterpret_cast<int*>(lParam) = s->upper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        const int old = s->pos;
        s->pos = Clamp(*s, message == UDM_SETPOS ? static_cast<SHORT>(LOWORD(lParam)) : static_cast<int>(lParam));
        ShowInBuddy(hwnd, *s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case UDM_GETPOS: return MAKELONG(s->pos, 0);
    case UDM_GETPOS32:
        if (lParam != 0) *reinterpret_cast<BOOL*>(lParam) = FALSE;
        return s->pos;
    case UDM_SETBUDDY: {
        HWND old = s->buddy;
        s->buddy = reinterpret_cast<HWND>(wParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(s->buddy);
    case WM_LBUTTONDOWN: {
        if (!IsWindowEnabled(hwnd)) return 0;
        RECT c{};
        GetClientRect(hwnd, &c);
        const int x = static_cast<SHORT>(LOWORD(lParam)), y = static_cast<SHORT>(HIWORD(lParam));
        const bool up = (StyleOf(hwnd) & UDS_HORZ) ? x >= c.right / 2 : y < c.bottom / 2;
        Step(hwnd, *s, up);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_RIGHT) Step(hwnd, *s, true);
        if (wParam == VK_DOWN || wParam == VK_LEFT) Step(hwnd, *s, false);
        return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

const bool kUpDownListed = standin::ui::AddBuiltinClass({UPDOWN_CLASSW, 0, UpDownProc, 0, kStateBytes});

}  // namespace
}  // namespace standin::controls
