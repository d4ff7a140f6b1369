// The "Edit" class: single-line text entry with a selection, a length limit and the change
// notifications.
#include <algorithm>

#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

namespace standin::controls {
namespace {

constexpr size_t kDefaultLimit = 30000;  // what a fresh edit control accepts from typing

struct EditState : ControlBase {
    size_t limit = kDefaultLimit;
    size_t selStart = 0;
    size_t selEnd = 0;
    bool modified = false;
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

void Changed(HWND hwnd, EditState& s) {
    s.modified = true;
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyCommand(hwnd, EN_UPDATE);
    NotifyCommand(hwnd, EN_CHANGE);
}

// Replaces the selection with what fits under the limit; the caret ends after the insert.
void ReplaceSelection(HWND hwnd, EditState& s, std::u16string insert) {
    std::u16string text = WindowText(hwnd);
    const DWORD style = StyleOf(hwnd);
    if (style & ES_UPPERCASE) {
        for (char16_t& c : insert) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    }
    if (style & ES_LOWERCASE) {
        for (char16_t& c : insert) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    }
    const size_t start = std::min({s.selStart, s.selEnd, text.size()});
    const size_t end = std::min(std::max(s.selStart, s.selEnd), text.size());
    const size_t kept = text.size() - (end - start);
    const size_t room = s.limit > kept ? s.limit - kept : 0;
    bool cut = false;
    if (insert.size() > room) {
        insert.resize(room);
        cut = true;
    }
    if (insert.empty() && start == end) {
        if (cut) NotifyCommand(hwnd, EN_MAXTEXT);
        return;
    }
    text.replace(start, end - start, insert);
    DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    s.selStart = s.selEnd = start + insert.size();
    Changed(hwnd, s);
    if (cut) NotifyCommand(hwnd, EN_MAXTEXT);
}

void PaintEdit(HWND hwnd, EditState& s) {
    PaintScope paint(hwnd, s.font);
    HDC hdc = paint.Dc();
    if (hdc == nullptr) return;
    const RECT client = paint.Client();
    const DWORD style = StyleOf(hwnd);
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const bool readOnly = (style & ES_READONLY) != 0;
    FillSolid(hdc, client, GetSysColor(enabled && !readOnly ? COLOR_WINDOW : COLOR_BTNFACE));
    std::u16string text = WindowText(hwnd);
    if (style & ES_PASSWORD) text.assign(text.size(), u'*');
    RECT area{client.left + 2, client.top, client.right - 2, client.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (style & ES_CENTER) format |= DT_CENTER;
    if (style & ES_RIGHT) format |= DT_RIGHT;
    DrawTextIn(hdc, text, area, format, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    // The selection shows highlighted while the control has the focus (or ES_NOHIDESEL).
    const size_t start = std::min({s.selStart, s.selEnd, text.size()});
    const size_t end = std::min(std::max(s.selStart, s.selEnd), text.size());
    if (start < end && (s.focused || (style & ES_NOHIDESEL)) && !(format & (DT_CENTER | DT_RIGHT))) {
        SIZE before{}, selected{};
        GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(start), &before);
        GetTextExtentPoint32W(hdc, text.c_str() + start, static_cast<int>(end - start), &selected);
        RECT mark{area.left + before.cx, area.top, area.left + before.cx + selected.cx, area.bottom};
        FillSolid(hdc, mark, GetSysColor(COLOR_HIGHLIGHT));
        DrawTextIn(hdc, text.substr(start, end - start), mark, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX,
                   GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
}

void TypeChar(HWND hwnd, EditState& s, char16_t c) {
    const DWORD style = StyleOf(hwnd);
    if (style & ES_READONLY) return;
    if (c == u'\b') {
        std::u16string text = WindowText(hwnd);
        if (s.selStart == s.selEnd) {
            if (s.selStart == 0) return;
            s.selStart = std::min(s.selStart, text.size()) - 1;
        }
        ReplaceSelection(hwnd, s, u"");
        return;
    }
    if (c < u' ') return;  // Enter, Tab and Esc belong to the dialog
    if ((style & ES_NUMBER) && (c < u'0' || c > u'9')) {
        MessageBeep(0);
        return;
    }
    ReplaceSelection(hwnd, s, std::u16string(1, c));
}

void KeyDown(HWND hwnd, EditState& s, WPARAM key) {
    const size_t length = static_cast<size_t>(GetWindowTextLengthW(hwnd));
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    size_t caret = s.selEnd;
    switch (key) {
    case VK_LEFT: caret = caret > 0 ? caret - 1 : 0; break;
    case VK_RIGHT: caret = std::min(caret + 1, length); break;
    case VK_HOME: caret = 0; break;
    case VK_END: caret = length; break;
    case VK_DELETE:
        if (StyleOf(hwnd) & ES_READONLY) return;
        if (s.selStart == s.selEnd) s.selEnd = std::min(s.selEnd + 1, length);
        ReplaceSelection(hwnd, s, u"");
        return;
    default: return;
    }
    s.selEnd = caret;
    if (!shift) s.selStart = caret;
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Attach(hwnd, new EditState());
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonMessage(hwnd, message, wParam, lParam, &result)) return result;
    EditState* s = StateOf<EditState>(hwnd);
    if (s == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: PaintEdit(hwnd, *s); return 0;
    case WM_SETTEXT: {
        // Setting the text ignores the limit, as the platform's edit control does.
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        s->selStart = s->selEnd = 0;
        Changed(hwnd, *s);
        s->modified = false;
        return result;
    }
    case WM_CHAR: TypeChar(hwnd, *s, static_cast<char16_t>(wParam)); return 0;
    case WM_KEYDOWN: KeyDown(hwnd, *s, wParam); return 0;
    case EM_LIMITTEXT: s->limit = wParam == 0 ? 0x7FFFFFFE : static_cast<size_t>(wParam); return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(s->limit);
    case EM_SETSEL: {
        const size_t length = static_cast<size_t>(GetWindowTextLengthW(hwnd));
        const auto start = static_cast<LONG>(wParam);
        const auto end = static_cast<LONG>(lParam);
        if (start == -1) {
            s->selStart = s->selEnd;  // -1 removes the selection and keeps the caret
        } else {
            s->selStart = std::min(static_cast<size_t>(std::max<LONG>(start, 0)), length);
            s->selEnd = end < 0 ? length : std::min(static_cast<size_t>(end), length);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case EM_GETSEL: {
        const auto start = static_cast<DWORD>(std::min(s->selStart, s->selEnd));
        const auto end = static_cast<DWORD>(std::max(s->selStart, s->selEnd));
        if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = start;
        if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = end;
        return MAKELONG(std::min<DWORD>(start, 0xFFFF), std::min<DWORD>(end, 0xFFFF));
    }
    case EM_REPLACESEL: {
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        ReplaceSelection(hwnd, *s, text != nullptr ? std::u16string(text) : std::u16string());
        return 0;
    }
    case EM_GETMODIFY: return s->modified ? TRUE : FALSE;
    case EM_SETMODIFY: s->modified = wParam != 0; return 0;
    case EM_SETREADONLY: {
        const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, wParam ? (style | static_cast<LONG>(ES_READONLY))
                                               : (style & ~static_cast<LONG>(ES_READONLY)));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case WM_SETFOCUS:
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyCommand(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyCommand(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

const bool kEditListed = standin::ui::AddBuiltinClass({u"Edit", DLGITEM_EDIT, EditProc, CS_DBLCLKS, kStateBytes});

}  // namespace
}  // namespace standin::controls
