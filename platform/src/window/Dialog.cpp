// Dialogs: creation from templates, the default dialog procedure, modal loops and the
// dialog-item helpers.
#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>

#include "platform/Kernel.h"
#include "platform/WinGdi.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/DialogTemplate.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui {
namespace {

struct Hooks {
    std::mutex lock;
    std::function<void(HWND)> modalScript;
    DialogFontMaker makeFont = nullptr;
    FontDeleter deleteFont = nullptr;
};
Hooks& TheHooks() {
    static Hooks hooks;
    return hooks;
}

}  // namespace

bool SetDialogFontMaker(DialogFontMaker make, FontDeleter destroy) {
    std::lock_guard<std::mutex> guard(TheHooks().lock);
    TheHooks().makeFont = make;
    TheHooks().deleteFont = destroy;
    return true;
}

void OnModalDialog(std::function<void(HWND dialog)> script) {
    std::lock_guard<std::mutex> guard(TheHooks().lock);
    TheHooks().modalScript = std::move(script);
}

namespace core {

void RunModalScript(HWND dialog) {
    std::function<void(HWND)> script;
    {
        std::lock_guard<std::mutex> guard(TheHooks().lock);
        script = TheHooks().modalScript;
    }
    if (script) script(dialog);
}

SIZE DialogBaseUnits(HWND dialog) {
    Guard guard(Lock());
    const Window* w = Find(dialog);
    if (w == nullptr || !w->isDialog) return SIZE{STANDIN_DLG_BASE_X, STANDIN_DLG_BASE_Y};
    return w->baseUnits;
}

void ReleaseDialogFont(HFONT font) {
    FontDeleter destroy = nullptr;
    {
        std::lock_guard<std::mutex> guard(TheHooks().lock);
        destroy = TheHooks().deleteFont;
    }
    if (destroy != nullptr && font != nullptr) destroy(font);
}

void ResetScripts() {
    std::lock_guard<std::mutex> guard(TheHooks().lock);
    TheHooks().modalScript = nullptr;
}

namespace {

HFONT MakeFont(const DialogTemplate& t) {
    DialogFontMaker make = nullptr;
    {
        std::lock_guard<std::mutex> guard(TheHooks().lock);
        make = TheHooks().makeFont;
    }
    if (make == nullptr || !(t.style & DS_SETFONT)) return nullptr;
    return make(DialogFont{t.face.c_str(), t.pointSize, t.weight, t.italic, t.charset});
}

// The platform's dialog base units of a font: the average width of the 52 Latin letters,
// rounded, and the font's height. The system font's without a font.
SIZE BaseUnitsOf(HFONT font) {
    SIZE units{STANDIN_DLG_BASE_X, STANDIN_DLG_BASE_Y};
    if (font == nullptr) return units;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return units;
    HGDIOBJ old = SelectObject(dc, font);
    static constexpr char16_t kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    TEXTMETRICW metrics{};
    if (GetTextExtentPoint32W(dc, kLetters, 52, &extent) && GetTextMetricsW(dc, &metrics) && extent.cx > 0 &&
        metrics.tmHeight > 0) {
        units = SIZE{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
    }
    if (old != nullptr) SelectObject(dc, old);
    DeleteDC(dc);
    return units;
}

LONG ScaleX(const SIZE& units, LONG x) { return (x * units.cx + (x >= 0 ? 2 : -2)) / 4; }
LONG ScaleY(const SIZE& units, LONG y) { return (y * units.cy + (y >= 0 ? 4 : -4)) / 8; }

const char16_t* AtomClassName(WORD atom) {
    switch (atom) {
    case DLGITEM_BUTTON: return u"Button";
    case DLGITEM_EDIT: return u"Edit";
    case DLGITEM_STATIC: return u"Static";
    case DLGITEM_LISTBOX: return u"ListBox";
    case DLGITEM_SCROLLBAR: return u"ScrollBar";
    case DLGITEM_COMBOBOX: return u"ComboBox";
    default: return nullptr;
    }
}

// The first control that takes the focus: visible, enabled, WS_TABSTOP.
HWND FirstTabStop(HWND dialog) { return GetNextDlgTabItem(dialog, nullptr, FALSE); }

}  // namespace

SIZE TemplateBaseUnits(const DialogTemplate& t) {
    HFONT font = MakeFont(t);
    const SIZE units = BaseUnitsOf(font);
    ReleaseDialogFont(font);
    return units;
}

/// Makes the dialog window, its controls, then sends WM_SETFONT and WM_INITDIALOG. Modal
/// dialogs are marked before WM_INITDIALOG so that EndDialog there is kept.
HWND CreateDialogFromTemplate(HINSTANCE instance, std::span<const BYTE> bytes, HWND parent, DLGPROC proc,
                              LPARAM param, bool modal) {
    std::optional<DialogTemplate> parsed = ParseDialogTemplate(bytes);
    if (!parsed) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const DialogTemplate& t = *parsed;
    // The template's font sets the dialog units, as the platform measures them.
    HFONT font = MakeFont(t);
    const SIZE units = BaseUnitsOf(font);
    RECT client{0, 0, ScaleX(units, t.cx), ScaleY(units, t.cy)};
    DWORD style = t.style;
    if (style & DS_MODALFRAME) style |= WS_DLGFRAME;
    DWORD exStyle = t.exStyle | ((style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    if (style & DS_CONTROL) {
        style = (style & ~(WS_CAPTION | WS_SYSMENU | WS_POPUP)) | WS_CHILD;
        exStyle |= WS_EX_CONTROLPARENT;
    }
    // The template's menu comes from the same module and becomes the dialog's menu bar; a
    // template that names a menu the module lacks makes no dialog. A child dialog has none.
    HMENU menu = nullptr;
    if ((t.menu.isOrdinal || !t.menu.name.empty()) && !(style & WS_CHILD)) {
        menu = LoadMenuW(instance, t.menu.isOrdinal ? MAKEINTRESOURCEW(t.menu.ordinal) : t.menu.name.c_str());
        if (menu == nullptr) {
            ReleaseDialogFont(font);
            return nullptr;
        }
    }
    RECT frame = client;
    AdjustWindowRectEx(&frame, style, menu != nullptr, exStyle);
    LONG x = ScaleX(units, t.x), y = ScaleY(units, t.y);
    const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (!(style & WS_CHILD)) {
        POINT origin{0, 0};
        if (parent != nullptr && !(style & DS_ABSALIGN)) ClientToScreen(parent, &origin);
        x += origin.x;
        y += origin.y;
        if (style & DS_CENTER) {
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            x = work.left + (work.right - work.left - width) / 2;
            y = work.top + (work.bottom - work.top - height) / 2;
        }
    }
    std::u16string className = u"#32770";
    if (!t.cls.isOrdinal && !t.cls.name.empty()) className = t.cls.name;
    HWND dialog = CreateWindowExW(exStyle, className.c_str(), t.title.c_str(), style & ~WS_VISIBLE, x, y, width,
                                  height, parent, menu, instance, nullptr);
    if (dialog == nullptr) {
        if (menu != nullptr) DestroyMenu(menu);
        ReleaseDialogFont(font);
        return nullptr;
    }
    {
        Guard guard(Lock());
        Window* w = Find(dialog);
        w->isDialog = true;
        w->modal = modal;
    }
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    {
        Guard guard(Lock());
        Window* w = Find(dialog);
        w->font = font;
        w->ownsFont = font != nullptr;
        w->baseUnits = units;
    }
    if (t.style & DS_SETFONT) SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    for (const DialogItem& item : t.items) {
        std::u16string itemClass;
        if (item.cls.isOrdinal) {
            const char16_t* name = AtomClassName(item.cls.ordinal);
            if (name != nullptr) itemClass = name;
        } else {
            itemClass = item.cls.name;
        }
        // An ordinal title (an icon's resource id) reaches the control as 0xFFFF, id.
        std::u16string title = item.title.name;
        if (item.title.isOrdinal) title = std::u16string{u'\xFFFF', static_cast<char16_t>(item.title.ordinal)};
        HWND control = nullptr;
        if (!itemClass.empty()) {
            control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, itemClass.c_str(), title.c_str(),
                                      item.style | WS_CHILD, ScaleX(units, item.x), ScaleY(units, item.y),
                                      ScaleX(units, item.cx), ScaleY(units, item.cy), dialog,
                                      reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(item.id)), instance,
                                      item.creationData.empty() ? nullptr
                                                                : const_cast<BYTE*>(item.creationData.data()));
        } else {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        }
        if (control == nullptr) {
            if (style & DS_NOFAILCREATE) continue;
            const DWORD error = GetLastError();
            DestroyWindow(dialog);
            SetLastError(error);
            return nullptr;
        }
        if (t.style & DS_SETFONT) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HWND first = FirstTabStop(dialog);
    if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && first != nullptr &&
        IsWindow(dialog)) {
        SetFocus(first);
    }
    if (!IsWindow(dialog)) return nullptr;
    bool ended = false;
    {
        Guard guard(Lock());
        ended = Find(dialog)->ended;
    }
    if ((t.style & WS_VISIBLE) && !ended) ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

}  // namespace core
}  // namespace standin::ui

using namespace standin::ui::core;

namespace {

std::span<const BYTE> UnsizedTemplate(LPCDLGTEMPLATEW t) {
    return {reinterpret_cast<const BYTE*>(t), kUnsizedTemplateLimit};
}

// The template of an RT_DIALOG resource, sized by the resource.
bool DialogResource(HINSTANCE instance, LPCWSTR name, std::span<const BYTE>* bytes) {
    HRSRC found = FindResourceW(instance, name, RT_DIALOG);
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* data = LockResource(loaded);
    if (data == nullptr) return false;
    *bytes = {static_cast<const BYTE*>(data), SizeofResource(instance, found)};
    return true;
}

bool DialogEnded(HWND dialog, INT_PTR* result) {
    Guard guard(Lock());
    Window* w = Find(dialog);
    if (w == nullptr) {
        *result = -1;
        return true;
    }
    *result = w->endResult;
    return w->ended;
}

INT_PTR RunModal(HINSTANCE instance, std::span<const BYTE> bytes, HWND parent, DLGPROC proc, LPARAM param) {
    HWND owner = nullptr;
    {
        Guard guard(Lock());
        owner = TopLevelOf(parent);
    }
    // The owner is disabled before the dialog exists, as the platform does it.
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    HWND dialog = CreateDialogFromTemplate(instance, bytes, owner, proc, param, true);
    if (dialog == nullptr) {
        if (disableOwner) EnableWindow(owner, TRUE);
        return -1;
    }
    INT_PTR result = 0;
    if (!DialogEnded(dialog, &result)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        RunModalScript(dialog);
        MSG msg{};
        while (!DialogEnded(dialog, &result)) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (got == -1) break;
            if (!IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        DialogEnded(dialog, &result);
    }
    if (disableOwner) EnableWindow(owner, TRUE);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    return result;
}

}  // namespace

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dlgTemplate, HWND parent, DLGPROC proc,
                                LPARAM param) {
    if (dlgTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateDialogFromTemplate(instance, UnsizedTemplate(dlgTemplate), parent, proc, param, false);
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    std::span<const BYTE> bytes;
    if (!DialogResource(instance, templateName, &bytes)) return nullptr;
    return CreateDialogFromTemplate(instance, bytes, parent, proc, param, false);
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    std::span<const BYTE> bytes;
    if (!DialogResource(instance, templateName, &bytes)) return -1;
    return RunModal(instance, bytes, parent, proc, param);
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dlgTemplate, HWND parent, DLGPROC proc,
                                LPARAM param) {
    if (dlgTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return RunModal(instance, UnsizedTemplate(dlgTemplate), parent, proc, param);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    bool modal = false;
    DWORD thread = 0;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(dialog);
        if (w == nullptr) return FALSE;
        w->ended = true;
        w->endResult = result;
        modal = w->modal;
        thread = w->thread;
    }
    if (modal) {
        // Wake the modal loop, which may be waiting for a message.
        Guard guard(Lock());
        NotifyQueue(thread);
    } else {
        ShowWindow(dialog, SW_HIDE);
    }
    return TRUE;
}

namespace {

// Messages whose dialog-procedure result is the message's own result, not DWLP_MSGRESULT.
bool ResultIsDirect(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case 0x0039:  // WM_COMPAREITEM
    case 0x002E:  // WM_VKEYTOITEM
    case 0x002F:  // WM_CHARTOITEM
    case 0x0037:  // WM_QUERYDRAGICON
        return true;
    default: return false;
    }
}

WORD DefaultButtonId(HWND dialog) {
    {
        Guard guard(Lock());
        Window* w = Find(dialog);
        if (w == nullptr) return 0;
        if (w->hasDefId) return w->defId;
        for (HWND c : w->children) {
            Window* cw = Find(c);
            if (cw != nullptr && (cw->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
                lstrcmpiW(cw->cls->name.c_str(), u"Button") == 0) {
                return static_cast<WORD>(cw->id);
            }
        }
    }
    return 0;
}

bool IsPushButton(HWND control, DWORD* style) {
    Guard guard(Lock());
    Window* w = Find(control);
    if (w == nullptr || lstrcmpiW(w->cls->name.c_str(), u"Button") != 0) return false;
    *style = w->style;
    const DWORD type = w->style & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

LRESULT DefaultDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        SendMessageW(dialog, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return 0;
    case DM_GETDEFID: {
        const WORD id = DefaultButtonId(dialog);
        return id == 0 ? 0 : MAKELONG(id, DC_HASDEFID);
    }
    case DM_SETDEFID: {
        const WORD old = DefaultButtonId(dialog);
        {
            Guard guard(Lock());
            Window* w = Find(dialog);
            if (w == nullptr) return FALSE;
            w->defId = static_cast<WORD>(wParam);
            w->hasDefId = true;
        }
        DWORD style = 0;
        HWND before = GetDlgItem(dialog, old);
        if (old != wParam && IsPushButton(before, &style)) {
            SendMessageW(before, BM_SETSTYLE, (style & ~BS_TYPEMASK) | BS_PUSHBUTTON, TRUE);
        }
        HWND after = GetDlgItem(dialog, static_cast<int>(wParam));
        if (IsPushButton(after, &style)) SendMessageW(after, BM_SETSTYLE, (style & ~BS_TYPEMASK) | BS_DEFPUSHBUTTON, TRUE);
        return TRUE;
    }
    case WM_SETFONT: {
        Guard guard(Lock());
        if (Window* w = Find(dialog)) w->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    }
    case WM_GETFONT: {
        Guard guard(Lock());
        Window* w = Find(dialog);
        return w == nullptr ? 0 : reinterpret_cast<LRESULT>(w->font);
    }
    case WM_NEXTDLGCTL: {
        HWND target = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
        if (target != nullptr) SetFocus(target);
        return 0;
    }
    case WM_ACTIVATE: {
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            Guard guard(Lock());
            if (Window* w = Find(dialog); w != nullptr && IsDescendant(dialog, focus)) w->lastFocus = focus;
            return 0;
        }
        HWND restore = nullptr;
        {
            Guard guard(Lock());
            if (Window* w = Find(dialog); w != nullptr && Find(w->lastFocus) != nullptr) restore = w->lastFocus;
        }
        HWND focus = GetFocus();
        if (focus == dialog || IsChild(dialog, focus)) return 0;
        if (restore == nullptr) restore = FirstTabStop(dialog);
        SetFocus(restore != nullptr ? restore : dialog);
        return 0;
    }
    case WM_INITDIALOG: return TRUE;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(dialog, message, wParam, lParam);
    }
}

}  // namespace

LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DLGPROC proc = nullptr;
    {
        Guard guard(Lock());
        Window* w = Find(dialog);
        if (w == nullptr) return 0;
        if (w->isDialog && w->extra.size() >= static_cast<size_t>(DWLP_USER)) {
            std::memcpy(&proc, &w->extra[DWLP_DLGPROC], sizeof(proc));
            const LRESULT zero = 0;
            std::memcpy(&w->extra[DWLP_MSGRESULT], &zero, sizeof(zero));
        }
    }
    if (proc != nullptr) {
        const INT_PTR handled = proc(dialog, message, wParam, lParam);
        if (handled) {
            if (ResultIsDirect(message)) return handled;
            return IsWindow(dialog) ? GetWindowLongPtrW(dialog, DWLP_MSGRESULT) : 0;
        }
        if (!IsWindow(dialog)) return 0;
    }
    return DefaultDialogMessage(dialog, message, wParam, lParam);
}
