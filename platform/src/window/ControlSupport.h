#pragma once
// What the control window procedures share: the per-window state record kept in the
// window's extra bytes, notifications to the parent, and painting helpers.
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Kernel.h"

namespace standin::controls {

/// Every control's record starts with this; the record's address is the first
/// pointer-sized slot of the window's extra bytes.
struct ControlBase {
    virtual ~ControlBase() = default;
    HFONT font = nullptr;
    bool focused = false;
};
constexpr int kStateBytes = static_cast<int>(sizeof(void*));

/// The record of a live control of that kind; NULL before WM_NCCREATE, after WM_NCDESTROY or
/// for a window of another class.
template <class T>
T* StateOf(HWND hwnd) {
    auto* base = reinterpret_cast<ControlBase*>(GetWindowLongPtrW(hwnd, 0));
    return dynamic_cast<T*>(base);
}
/// Called from WM_NCCREATE: takes ownership of the record.
void Attach(HWND hwnd, ControlBase* state);
/// Called from WM_NCDESTROY: frees the record.
void Detach(HWND hwnd);
/// Handles the messages every control treats alike (WM_SETFONT, WM_GETFONT, focus bits,
/// the record's life); true when it did, with *result set.
bool CommonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

/// WM_COMMAND with the control's id and the code to its parent.
void NotifyCommand(HWND hwnd, WORD code);
/// WM_NOTIFY to the parent; fills hwndFrom, idFrom and code. Returns the parent's answer
/// (DWLP_MSGRESULT for a dialog).
LRESULT NotifyParent(HWND hwnd, UINT code, NMHDR* header);
/// WM_SETFOCUS or WM_KILLFOCUS of a control that notifies through WM_NOTIFY (list view, tree
/// view): its focus bit, a repaint, and NM_SETFOCUS or NM_KILLFOCUS to the parent.
void NotifyFocusChange(HWND hwnd, ControlBase& state, bool gained);

std::u16string WindowText(HWND hwnd);
/// Copies text cut to cch - 1 units and terminated; returns the units copied.
int CopyText(const std::u16string& text, LPWSTR buffer, int cch);
bool SameTextNoCase(const std::u16string& a, LPCWSTR b);
bool StartsWithNoCase(const std::u16string& text, LPCWSTR prefix);

/// A BeginPaint / EndPaint pair with the control's font selected and a transparent text
/// background.
class PaintScope {
public:
    PaintScope(HWND hwnd, HFONT font);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return paint_.hdc; }
    RECT Client() const { return client_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HGDIOBJ oldFont_ = nullptr;
    RECT client_{};
};

/// Line height of the font (the stand-in's fixed text metric).
int LineHeight(HWND hwnd, HFONT font);
void FillSolid(HDC hdc, const RECT& rect, COLORREF color);
/// A raised (push button) or sunken (edit, list) edge, two pixels wide.
void DrawEdge3d(HDC hdc, const RECT& rect, bool sunken);
void DrawFrame(HDC hdc, const RECT& rect, COLORREF color);
/// A 13 x 13 check box or radio circle at (x, y), marked when checked.
void DrawCheckMark(HDC hdc, int x, int y, bool radio, UINT check, bool enabled);
void DrawTextIn(HDC hdc, const std::u16string& text, RECT rect, UINT format, COLORREF color);

}  // namespace standin::controls

namespace standin::controls {

/// The strings (or, without strings, the values) and data of a list box or combo box.
struct ListItem {
    std::u16string text;
    ULONG_PTR data = 0;
    bool selected = false;  // multiple-selection list boxes only
};
struct ItemList {
    std::vector<ListItem> items;
    bool sorted = false;
    bool hasStrings = true;

    /// Index of the new item, or -1 when index is past the end (-1 appends).
    int Insert(int index, LPARAM value);
    int Add(LPARAM value);
    bool Valid(WPARAM index) const { return index < items.size(); }
    /// First item after `after` (-1: from the start, wrapping round) whose text equals or
    /// starts with text, case-insensitively; -1 when none.
    int Find(int after, LPCWSTR text, bool exact) const;
};

}  // namespace standin::controls
