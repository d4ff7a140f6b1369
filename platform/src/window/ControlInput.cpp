// The user's hands for tests: typing and clicking as the platform delivers them.
#include "platform/StandInControls.h"

namespace standin::ui {

void TypeText(HWND hwnd, const std::u16string& text) {
    if (!IsWindow(hwnd)) return;
    // A combo box with an edit takes the text in its edit child.
    HWND target = hwnd;
    if (HWND edit = GetDlgItem(hwnd, 1001); edit != nullptr) target = edit;
    if (GetFocus() != target) SetFocus(target);
    for (char16_t c : text) {
        if (c == u'\b') SendMessageW(target, WM_KEYDOWN, VK_BACK, 0);
        SendMessageW(target, WM_CHAR, c, 0);
        if (c == u'\b') SendMessageW(target, WM_KEYUP, VK_BACK, 0);
    }
}

void ClickAt(HWND hwnd, int x, int y) {
    const LPARAM at = MAKELONG(x, y);
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0x0001 /* MK_LBUTTON */, at);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

void DoubleClickAt(HWND hwnd, int x, int y) {
    const LPARAM at = MAKELONG(x, y);
    ClickAt(hwnd, x, y);
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, 0x0001, at);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

}  // namespace standin::ui
