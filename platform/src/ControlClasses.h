#pragma once
// The seam between the window core (classes, windows, dialogs) and the controls family
// (built-in control classes, device contexts, dialog fonts).
//
// Built-in classes: the controls family lists its classes ("Button", "Static", "Edit",
// "ComboBox", "ListBox", "SysTreeView32", "SysListView32", "msctls_updown32", ...) by
// calling AddBuiltinClass from a namespace-scope initialiser in its own source file, e.g.
//
//     const bool kButtonListed = standin::ui::AddBuiltinClass({u"Button", DLGITEM_BUTTON,
//                                                              ButtonProc, CS_DBLCLKS, 16});
//
// The window core registers every listed class as a global class the first time any class
// is looked up (and again after standin::ui::ResetUi). A class a module registers under the
// same name for its own instance is found first. Without a row a built-in class does not
// exist (ERROR_CANNOT_FIND_WND_CLASS), so a dialog naming it fails to be made.
#include <vector>

#include "platform/User.h"

namespace standin::ui {

struct BuiltinClass {
    const char16_t* name;  // static storage
    WORD atom;             // the dialog-template atom (DLGITEM_BUTTON ...), 0 for none
    WNDPROC proc;
    UINT style;
    int cbWndExtra;
};
/// Safe to call during static initialisation; always returns true.
bool AddBuiltinClass(const BuiltinClass& row);

/// Makes the font a dialog's DS_SETFONT asks for, or NULL for the system font; the dialog
/// sends it with WM_SETFONT to itself and its controls and deletes it with the dialog
/// (DeleteObject through the same family). The controls family installs it once (static
/// initialiser); without one every dialog uses the system font (wParam NULL).
struct DialogFont {
    const char16_t* face;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
};
using DialogFontMaker = HFONT (*)(const DialogFont& font);
using FontDeleter = void (*)(HFONT font);
bool SetDialogFontMaker(DialogFontMaker make, FontDeleter destroy);

/// For BeginPaint: the update rectangle (client coordinates) and the erase flag, then the
/// region is validated. False for an unknown window (rect empty).
bool TakeUpdateRect(HWND hwnd, RECT* rect, BOOL* erase);

/// The pixels of a shown icon for DrawIconEx and the like: width x height, 32 bits per
/// pixel as B, G, R, A (A 0 where the icon's mask is set), rows top-down. NULL for an
/// unknown icon or cursor. Valid until the icon is destroyed.
struct IconPixels {
    LONG width = 0;
    LONG height = 0;
    std::vector<BYTE> bgra;
};
const IconPixels* IconImage(HICON icon);

}  // namespace standin::ui
