// What the control window procedures share: records, notifications, painting.
#include "platform/src/window/ControlSupport.h"

#include <algorithm>

namespace standin::controls {

void Attach(HWND hwnd, ControlBase* state) { SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(state)); }

void Detach(HWND hwnd) {
    auto* base = reinterpret_cast<ControlBase*>(GetWindowLongPtrW(hwnd, 0));
    SetWindowLongPtrW(hwnd, 0, 0);
    delete base;
}

bool CommonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    auto* base = reinterpret_cast<ControlBase*>(GetWindowLongPtrW(hwnd, 0));
    if (base == nullptr) return false;
    switch (message) {
    case WM_SETFONT:
        base->font = reinterpret_cast<HFONT>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        *result = 0;
        return true;
    case WM_GETFONT: *result = reinterpret_cast<LRESULT>(base->font); return true;
    case WM_NCDESTROY:
        Detach(hwnd);
        *result = 0;
        return true;
    default: return false;
    }
}

void NotifyCommand(HWND hwnd, WORD code) {
    HWND parent = GetParent(hwnd);
    if (parent == nullptr) return;
    SendMessageW(parent, WM_COMMAND, MAKELONG(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

LRESULT NotifyParent(HWND hwnd, UINT code, NMHDR* header) {
    header->hwndFrom = hwnd;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    header->code = code;
    HWND parent = GetParent(hwnd);
    if (parent == nullptr) return 0;
    return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

void NotifyFocusChange(HWND hwnd, ControlBase& state, bool gained) {
    state.focused = gained;
    InvalidateRect(hwnd, nullptr, TRUE);
    NMHDR note{};
    NotifyParent(hwnd, gained ? NM_SETFOCUS : NM_KILLFOCUS, &note);
}

std::u16string WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

int CopyText(const std::u16string& text, LPWSTR buffer, int cch) {
    if (buffer == nullptr || cch <= 0) return 0;
    const int n = std::min(static_cast<int>(text.size()), cch - 1);
    std::copy_n(text.begin(), n, buffer);
    buffer[n] = 0;
    return n;
}

namespace {
char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
}  // namespace

bool SameTextNoCase(const std::u16string& a, LPCWSTR b) {
    if (b == nullptr) return false;
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == 0 || Fold(a[i]) != Fold(b[i])) return false;
    }
    return b[i] == 0;
}

bool StartsWithNoCase(const std::u16string& text, LPCWSTR prefix) {
    if (prefix == nullptr) return false;
    for (size_t i = 0; prefix[i] != 0; ++i) {
        if (i >= text.size() || Fold(text[i]) != Fold(prefix[i])) return false;
    }
    return true;
}

PaintScope::PaintScope(HWND hwnd, HFONT font) : hwnd_(hwnd) {
    BeginPaint(hwnd, &paint_);
    GetClientRect(hwnd, &client_);
    if (paint_.hdc != nullptr) {
        if (font != nullptr) oldFont_ = SelectObject(paint_.hdc, font);
        SetBkMode(paint_.hdc, TRANSPARENT);
    }
}

PaintScope::~PaintScope() {
    if (paint_.hdc != nullptr && oldFont_ != nullptr) SelectObject(paint_.hdc, oldFont_);
    EndPaint(hwnd_, &paint_);
}

int LineHeight(HWND hwnd, HFONT font) {
    HDC hdc = GetDC(hwnd);
    if (hdc == nullptr) return 16;
    HGDIOBJ old = font != nullptr ? SelectObject(hdc, font) : nullptr;
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    if (old != nullptr) SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    return tm.tmHeight > 0 ? tm.tmHeight : 16;
}

void FillSolid(HDC hdc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(hdc, &rect, brush);
    DeleteObject(brush);
}

void DrawFrame(HDC hdc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(hdc, &rect, brush);
    DeleteObject(brush);
}

void DrawEdge3d(HDC hdc, const RECT& rect, bool sunken) {
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF darker = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF topLeft = sunken ? dark : light;
    const COLORREF bottomRight = sunken ? light : darker;
    FillSolid(hdc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, topLeft);
    FillSolid(hdc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, topLeft);
    FillSolid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
    FillSolid(hdc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
    // The inner line: shadow inside a raised edge, the dark line inside a sunken one.
    const RECT inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    if (inner.right <= inner.left || inner.bottom <= inner.top) return;
    const COLORREF innerBottom = sunken ? GetSysColor(COLOR_3DLIGHT) : dark;
    const COLORREF innerTop = sunken ? darker : GetSysColor(COLOR_3DLIGHT);
    FillSolid(hdc, RECT{inner.left, inner.top, inner.right, inner.top + 1}, innerTop);
    FillSolid(hdc, RECT{inner.left, inner.top, inner.left + 1, inner.bottom}, innerTop);
    FillSolid(hdc, RECT{inner.left, inner.bottom - 1, inner.right, inner.bottom}, innerBottom);
    FillSolid(hdc, RECT{inner.right - 1, inner.top, inner.right, inner.bottom}, innerBottom);
}

void DrawCheckMark(HDC hdc, int x, int y, bool radio, UINT check, bool enabled) {
    const RECT box{x, y, x + 13, y + 13};
    FillSolid(hdc, box, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    DrawFrame(hdc, box, GetSysColor(COLOR_BTNSHADOW));
    if (!(check & (BST_CHECKED | BST_INDETERMINATE))) return;
    const COLORREF mark = (check & BST_INDETERMINATE) || !enabled ? GetSysColor(COLOR_GRAYTEXT)
                                                                    : GetSysColor(COLOR_WINDOWTEXT);
    if (radio) {
        FillSolid(hdc, RECT{x + 4, y + 4, x + 9, y + 9}, mark);
        return;
    }
    // A tick: down from the left, then up to the right, three pixels thick.
    for (int i = 0; i < 7; ++i) {
        const int px = x + 3 + i;
        const int py = i < 3 ? y + 5 + i : y + 7 - (i - 2);
        FillSolid(hdc, RECT{px, py, px + 1, py + 3}, mark);
    }
}

void DrawTextIn(HDC hdc, const std::u16string& text, RECT rect, UINT format, COLORREF color) {
    const COLORREF old = SetTextColor(hdc, color);
    DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SetTextColor(hdc, old);
}

}  // namespace standin::controls

namespace standin::controls {

int ItemList::Insert(int index, LPARAM value) {
    ListItem item;
    if (hasStrings) {
        const auto* text = reinterpret_cast<LPCWSTR>(value);
        item.text = text != nullptr ? text : u"";
    } else {
        item.data = static_cast<ULONG_PTR>(value);
    }
    if (index < 0) index = static_cast<int>(items.size());
    if (static_cast<size_t>(index) > items.size()) return -1;
    items.insert(items.begin() + index, std::move(item));
    return index;
}

int ItemList::Add(LPARAM value) {
    if (!sorted || !hasStrings) return Insert(-1, value);
    const auto* text = reinterpret_cast<LPCWSTR>(value);
    const std::u16string key = text != nullptr ? text : u"";
    auto fold = [](std::u16string s) {
        for (char16_t& c : s) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
        return s;
    };
    const std::u16string folded = fold(key);
    int at = 0;
    while (at < static_cast<int>(items.size()) && fold(items[static_cast<size_t>(at)].text) <= folded) ++at;
    return Insert(at, value);
}

int ItemList::Find(int after, LPCWSTR text, bool exact) const {
    const int count = static_cast<int>(items.size());
    if (count == 0) return -1;
    const int start = (after < -1 || after >= count) ? -1 : after;
    for (int n = 1; n <= count; ++n) {
        const int i = (start + n) % count;
        const ListItem& item = items[static_cast<size_t>(i)];
        if (!hasStrings) {
            if (item.data == reinterpret_cast<ULONG_PTR>(text)) return i;
            continue;
        }
        if (exact ? SameTextNoCase(item.text, text) : StartsWithNoCase(item.text, text)) return i;
    }
    return -1;
}

}  // namespace standin::controls
