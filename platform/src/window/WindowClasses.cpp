// Window classes: the module-registered ones, the controls family's built-in ones and the
// dialog class.
#include <algorithm>

#include "platform/Kernel.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui {
namespace {

// Filled during static initialisation by other files: a function-local static is made on
// first use whatever the order of initialisation.
std::vector<BuiltinClass>& BuiltinRows() {
    static std::vector<BuiltinClass> rows;
    return rows;
}

}  // namespace

bool AddBuiltinClass(const BuiltinClass& row) {
    BuiltinRows().push_back(row);
    return true;
}

namespace core {
namespace {

struct ClassTable {
    std::vector<std::shared_ptr<Class>> classes;
    ATOM nextAtom = 0xC000;
    bool builtinsAdded = false;
};
ClassTable& Table() {
    static ClassTable table;
    return table;
}

char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
bool SameName(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return Fold(x) == Fold(y);
           });
}

std::shared_ptr<Class> AddLocked(const WNDCLASSEXW& wc, bool global, ATOM atom) {
    auto c = std::make_shared<Class>();
    c->name = wc.lpszClassName;
    c->atom = atom != 0 ? atom : Table().nextAtom++;
    c->instance = wc.hInstance;
    c->global = global;
    c->proc = wc.lpfnWndProc;
    c->style = wc.style;
    c->cbClsExtra = wc.cbClsExtra;
    c->cbWndExtra = wc.cbWndExtra;
    c->icon = wc.hIcon;
    c->iconSmall = wc.hIconSm;
    c->cursor = wc.hCursor;
    c->background = wc.hbrBackground;
    if (wc.lpszMenuName != nullptr && !IS_INTRESOURCE(wc.lpszMenuName)) c->menuName = wc.lpszMenuName;
    Table().classes.push_back(c);
    return c;
}

void AddBuiltinsLocked() {
    if (Table().builtinsAdded) return;
    Table().builtinsAdded = true;
    for (const BuiltinClass& row : BuiltinRows()) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = row.style | CS_GLOBALCLASS;
        wc.lpfnWndProc = row.proc;
        wc.cbWndExtra = row.cbWndExtra;
        wc.lpszClassName = row.name;
        AddLocked(wc, true, row.atom);
    }
    WNDCLASSEXW dialog{};
    dialog.cbSize = sizeof(dialog);
    dialog.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_SAVEBITS;
    dialog.lpfnWndProc = DefDlgProcW;
    dialog.cbWndExtra = DLGWINDOWEXTRA;
    dialog.lpszClassName = u"#32770";
    AddLocked(dialog, true, 0x8002);
}

// Local classes of the instance first, then the global ones, as the platform searches.
std::shared_ptr<Class> FindLocked(LPCWSTR name, HINSTANCE instance, bool localOnly) {
    AddBuiltinsLocked();
    const bool byAtom = IS_INTRESOURCE(name);
    const ATOM atom = byAtom ? static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)) : 0;
    auto matches = [&](const Class& c) { return byAtom ? c.atom == atom : SameName(c.name, name); };
    for (const auto& c : Table().classes) {
        if (!c->global && c->instance == instance && matches(*c)) return c;
    }
    if (localOnly) return nullptr;
    for (const auto& c : Table().classes) {
        if (c->global && matches(*c)) return c;
    }
    return nullptr;
}

ATOM Register(const WNDCLASSEXW& wc) {
    if (wc.lpfnWndProc == nullptr || wc.lpszClassName == nullptr || wc.cbWndExtra < 0 || wc.cbClsExtra < 0 ||
        (IS_INTRESOURCE(wc.lpszClassName)) || wc.lpszClassName[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard guard(Lock());
    const bool global = (wc.style & CS_GLOBALCLASS) != 0;
    AddBuiltinsLocked();
    for (const auto& c : Table().classes) {
        const bool clash = global ? (c->global && !c->name.empty() && SameName(c->name, wc.lpszClassName) &&
                                     c->instance != nullptr)
                                  : (!c->global && c->instance == wc.hInstance && SameName(c->name, wc.lpszClassName));
        if (clash) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    return AddLocked(wc, global, 0)->atom;
}

}  // namespace

std::shared_ptr<Class> FindClass(LPCWSTR name, HINSTANCE instance) { return FindLocked(name, instance, false); }

void ResetClasses() {
    Guard guard(Lock());
    Table().classes.clear();
    Table().builtinsAdded = false;
    Table().nextAtom = 0xC000;
}

}  // namespace core
}  // namespace standin::ui

using namespace standin::ui::core;

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register(*wc);
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (wc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style,          wc->lpfnWndProc,   wc->cbClsExtra,
                         wc->cbWndExtra,      wc->hInstance,      wc->hIcon,         wc->hCursor,
                         wc->hbrBackground,   wc->lpszMenuName,   wc->lpszClassName, nullptr};
    return Register(ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
    if (className == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(Lock());
    std::shared_ptr<Class> c = FindLocked(className, instance, true);
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows != 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    auto& list = Table().classes;
    list.erase(std::remove(list.begin(), list.end(), c), list.end());
    return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* wc) {
    if (className == nullptr || wc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(Lock());
    std::shared_ptr<Class> c = FindLocked(className, instance, false);
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->cbClsExtra = c->cbClsExtra;
    wc->cbWndExtra = c->cbWndExtra;
    wc->hInstance = c->instance;
    wc->hIcon = c->icon;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszMenuName = nullptr;
    wc->lpszClassName = className;  // the caller's own string, as the platform hands back
    wc->hIconSm = c->iconSmall;
    return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int cchMax) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr || buffer == nullptr || cchMax <= 0) return 0;
    const std::u16string& name = w->cls->name;
    const int n = std::min<int>(static_cast<int>(name.size()), cchMax - 1);
    std::copy_n(name.begin(), n, buffer);
    buffer[n] = 0;
    return n;
}
