// The "Static" class: text, icons, frames and owner-drawn statics.
#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

struct StaticState : ControlBase {
    HICON icon = nullptr;
};

void PaintStatic(HWND hwnd, StaticState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT client = paint.Client();
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    const DWORD kind = style & SS_TYPEMASK;
    if (kind == SS_OWNERDRAW) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_STATIC;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED;
        item.hwndItem = hwnd;
        item.hDC = hdc;
        item.rcItem = client;
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        return;
    }
    // Frames and rectangles paint their whole area; other kinds sit on the dialog's face.
    switch (kind) {
    case SS_BLACKRECT: FillSolid(hdc, client, GetSysColor(COLOR_WINDOWFRAME)); return;
    case SS_GRAYRECT: FillSolid(hdc, client, GetSysColor(COLOR_BTNSHADOW)); return;
    case SS_WHITERECT: FillSolid(hdc, client, GetSysColor(COLOR_WINDOW)); return;
    case SS_BLACKFRAME: DrawFrame(hdc, client, GetSysColor(COLOR_WINDOWFRAME)); return;
    case SS_GRAYFRAME: DrawFrame(hdc, client, GetSysColor(COLOR_BTNSHADOW)); return;
    case SS_WHITEFRAME: DrawFrame(hdc, client, GetSysColor(COLOR_WINDOW)); return;
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT:
    case SS_ETCHEDFRAME: DrawEdge3d(hdc, client, true); return;
    default: break;
    }
    FillSolid(hdc, client, GetSysColor(COLOR_BTNFACE));
    if (kind == SS_ICON) {
        if (s.icon != nullptr) {
            const bool centre = (style & SS_CENTERIMAGE) != 0;
            DrawIconEx(hdc, centre ? (client.right - 32) / 2 : 0, centre ? (client.bottom - 32) / 2 : 0, s.icon, 0, 0,
                       0, nullptr, DI_NORMAL);
        }
        return;
    }
    UINT format = DT_WORDBREAK;
    if (kind == SS_CENTER) format |= DT_CENTER;
    if (kind == SS_RIGHT) format |= DT_RIGHT;
    if (kind == SS_SIMPLE || kind == SS_LEFTNOWORDWRAP) format = DT_SINGLELINE;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (style & SS_ENDELLIPSIS) format |= DT_END_ELLIPSIS;
    DrawTextIn(hdc, WindowText(hwnd), client, format,
               GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
}

// An icon static names its icon in the title: "\xFFFF<id>" from a template, or "#id".
HICON IconFromTitle(const CREATESTRUCTW* cs) {
    if (cs == nullptr || cs->lpszName == nullptr) return nullptr;
    if (IS_INTRESOURCE(cs->lpszName)) return LoadIconW(cs->hInstance, cs->lpszName);
    if (cs->lpszName[0] == 0xFFFF) return LoadIconW(cs->hInstance, MAKEINTRESOURCEW(cs->lpszName[1]));
    if (cs->lpszName[0] != 0) return LoadIconW(cs->hInstance, cs->lpszName);
    return nullptr;
}

LRESULT StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* state = new StaticState();
        Attach(hwnd, state);
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs != nullptr && (static_cast<DWORD>(cs->style) & SS_TYPEMASK) == SS_ICON) {
            state->icon = IconFromTitle(cs);
            return TRUE;  // the title was an icon name, not text
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    StaticState* s = StateOf<StaticState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: PaintStatic(hwnd, *s); return 0;
    case WM_SETTEXT:
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    case STM_SETICON:
    case STM_SETIMAGE: {
        if (message == STM_SETIMAGE && wParam != IMAGE_ICON) return 0;
        HICON old = s->icon;
        s->icon = reinterpret_cast<HICON>(message == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON: return reinterpret_cast<LRESULT>(s->icon);
    case STM_GETIMAGE: return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(s->icon) : 0;
    case WM_LBUTTONDOWN:
        if (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY) NotifyCommand(hwnd, STN_CLICKED);
        return 0;
    case WM_NCHITTEST:
        // Statics let the mouse through unless they ask for clicks.
        return (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY) ? 1 : -1;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

const bool kStaticListed = standin::ui::AddBuiltinClass({u"Static", DLGITEM_STATIC, StaticProc, 0, kStateBytes});

}  // namespace
}  // namespace standin::controls
