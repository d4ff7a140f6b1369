// The property sheet: a modal dialog with a row of tabs, the current page and the OK,
// Cancel, Apply and Help buttons.
#include <algorithm>
#include <memory>
#include <set>

#include "platform/Kernel.h"
#include "platform/StandInControls.h"
#include "platform/src/window/ControlSupport.h"
#include "platform/src/window/PropSheetState.h"
#include "platform/src/window/WindowState.h"

namespace standin::sheets {
namespace {

// Layout in dialog units.
constexpr short kMargin = 7;
constexpr short kTabHeight = 14;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 4;

struct Page {
    HPROPSHEETPAGE psp = nullptr;
    HWND hwnd = nullptr;
    std::u16string title;
    bool changed = false;
};

struct Sheet {
    std::vector<Page> pages;
    int current = -1;
    bool applied = false;
    bool hasApply = true;
    RECT pageArea{};  // pixels, the sheet's client coordinates
    HWND hwnd = nullptr;
    UINT startPage = 0;
};

Sheet* SheetOf(HWND hwnd);

LRESULT Notify(Sheet& s, HWND page, UINT code, LPARAM lParam) {
    PSHNOTIFY note{};
    note.hdr.hwndFrom = s.hwnd;
    note.hdr.idFrom = 0;
    note.hdr.code = code;
    note.lParam = lParam;
    return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
}

std::u16string PageTitle(const Page& page, const ui::core::DialogTemplate& t) {
    const PROPSHEETPAGEW& p = page.psp->page;
    if ((p.dwFlags & PSP_USETITLE) && p.pszTitle != nullptr) {
        if (!IS_INTRESOURCE(p.pszTitle)) return p.pszTitle;
        WCHAR buffer[128]{};
        LoadStringW(p.hInstance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(p.pszTitle)), buffer, 128);
        return buffer;
    }
    return t.title;
}

// Makes the page's dialog as a child of the sheet, placed in the page area, hidden.
bool CreatePage(Sheet& s, Page& page) {
    PROPSHEETPAGEW& p = page.psp->page;
    if ((p.dwFlags & PSP_USECALLBACK) && p.pfnCallback != nullptr && p.pfnCallback(nullptr, PSPCB_CREATE, &p) == 0) {
        return false;
    }
    std::optional<ui::core::DialogTemplate> t = PageTemplate(page.psp);
    if (!t) return false;
    t->style = (t->style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_VISIBLE |
                             WS_DISABLED)) |
               WS_CHILD | DS_CONTROL;
    t->x = t->y = 0;
    const std::vector<BYTE> bytes = WriteTemplate(*t);
    page.hwnd = CreateDialogIndirectParamW(p.hInstance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), s.hwnd,
                                           p.pfnDlgProc, reinterpret_cast<LPARAM>(&p));
    if (page.hwnd == nullptr) return false;
    SetWindowPos(page.hwnd, nullptr, s.pageArea.left, s.pageArea.top, s.pageArea.right - s.pageArea.left,
                 s.pageArea.bottom - s.pageArea.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool Select(Sheet& s, int index) {
    if (index < 0 || index >= static_cast<int>(s.pages.size())) return false;
    if (index == s.current) return true;
    const int old = s.current;
    if (old >= 0 && s.pages[static_cast<size_t>(old)].hwnd != nullptr &&
        Notify(s, s.pages[static_cast<size_t>(old)].hwnd, PSN_KILLACTIVE, 0) != 0) {
        return false;  // the page keeps the focus until its values are right
    }
    Page& next = s.pages[static_cast<size_t>(index)];
    if (next.hwnd == nullptr && !CreatePage(s, next)) return false;
    if (Notify(s, next.hwnd, PSN_SETACTIVE, 0) != 0) {
        if (old >= 0) Notify(s, s.pages[static_cast<size_t>(old)].hwnd, PSN_SETACTIVE, 0);
        return false;
    }
    if (old >= 0) ShowWindow(s.pages[static_cast<size_t>(old)].hwnd, SW_HIDE);
    ShowWindow(next.hwnd, SW_SHOW);
    s.current = index;
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return true;
}

void SetApplyEnabled(Sheet& s) {
    const bool any = std::any_of(s.pages.begin(), s.pages.end(), [](const Page& p) { return p.changed; });
    if (HWND apply = GetDlgItem(s.hwnd, ID_APPLY_NOW)) EnableWindow(apply, any ? TRUE : FALSE);
}

// KILLACTIVE to the current page, then APPLY to every page made; a page answering
// PSNRET_INVALID is shown.
bool Apply(Sheet& s, bool closing) {
    if (s.current >= 0 && Notify(s, s.pages[static_cast<size_t>(s.current)].hwnd, PSN_KILLACTIVE, 0) != 0) return false;
    for (size_t i = 0; i < s.pages.size(); ++i) {
        if (s.pages[i].hwnd == nullptr) continue;
        const LRESULT answer = Notify(s, s.pages[i].hwnd, PSN_APPLY, closing ? TRUE : FALSE);
        if (answer == PSNRET_INVALID) Select(s, static_cast<int>(i));
        if (answer != PSNRET_NOERROR) return false;
    }
    for (Page& p : s.pages) p.changed = false;
    s.applied = true;
    SetApplyEnabled(s);
    return true;
}

void Cancel(Sheet& s) {
    if (s.current >= 0 && Notify(s, s.pages[static_cast<size_t>(s.current)].hwnd, PSN_QUERYCANCEL, 0) != 0) return;
    for (Page& p : s.pages) {
        if (p.hwnd != nullptr) Notify(s, p.hwnd, PSN_RESET, 0);
    }
    EndDialog(s.hwnd, s.applied ? 1 : 0);
}

bool Press(Sheet& s, int button) {
    switch (button) {
    case PSBTN_OK:
        if (Apply(s, true)) EndDialog(s.hwnd, 1);
        return true;
    case PSBTN_APPLYNOW: {
        HWND apply = GetDlgItem(s.hwnd, ID_APPLY_NOW);
        if (apply == nullptr || !IsWindowEnabled(apply)) return false;
        Apply(s, false);
        return true;
    }
    case PSBTN_CANCEL: Cancel(s); return true;
    case PSBTN_HELP:
        if (s.current < 0) return false;
        Notify(s, s.pages[static_cast<size_t>(s.current)].hwnd, PSN_HELP, 0);
        return true;
    default: return false;
    }
}

std::vector<RECT> TabRects(HWND hwnd, const Sheet& s) {
    std::vector<RECT> rects;
    RECT unit{kMargin, kMargin, 0, kMargin + kTabHeight};
    MapDialogRect(hwnd, &unit);
    HDC hdc = GetDC(hwnd);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = (hdc != nullptr && font != nullptr) ? SelectObject(hdc, font) : nullptr;
    LONG x = unit.left;
    for (const Page& p : s.pages) {
        SIZE extent{};
        if (hdc != nullptr) GetTextExtentPoint32W(hdc, p.title.c_str(), static_cast<int>(p.title.size()), &extent);
        rects.push_back(RECT{x, unit.top, x + extent.cx + 12, unit.bottom});
        x += extent.cx + 12;
    }
    if (old != nullptr) SelectObject(hdc, old);
    if (hdc != nullptr) ReleaseDC(hwnd, hdc);
    return rects;
}

void PaintTabs(HWND hwnd, const Sheet& s) {
    PAINTSTRUCT paint{};
    HDC hdc = BeginPaint(hwnd, &paint);
    if (hdc == nullptr) return;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = font != nullptr ? SelectObject(hdc, font) : nullptr;
    SetBkMode(hdc, TRANSPARENT);
    RECT frame = s.pageArea;
    InflateRect(&frame, 2, 2);
    controls::DrawEdge3d(hdc, frame, false);
    const std::vector<RECT> tabs = TabRects(hwnd, s);
    for (size_t i = 0; i < tabs.size(); ++i) {
        RECT tab = tabs[i];
        const bool chosen = static_cast<int>(i) == s.current;
        if (!chosen) tab.top += 2;
        tab.bottom = frame.top + (chosen ? 2 : 0);
        controls::FillSolid(hdc, tab, GetSysColor(COLOR_BTNFACE));
        controls::DrawEdge3d(hdc, RECT{tab.left, tab.top, tab.right, tab.bottom + 2}, false);
        if (chosen) controls::FillSolid(hdc, RECT{tab.left + 2, frame.top, tab.right - 2, frame.top + 2}, GetSysColor(COLOR_BTNFACE));
        controls::DrawTextIn(hdc, s.pages[i].title, tab, DT_SINGLELINE | DT_CENTER | DT_VCENTER,
                             GetSysColor(COLOR_BTNTEXT));
    }
    if (old != nullptr) SelectObject(hdc, old);
    EndPaint(hwnd, &paint);
}

INT_PTR Answer(HWND hwnd, LRESULT value) {
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* s = reinterpret_cast<Sheet*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        s->hwnd = hwnd;
        // The page area sits below the tabs, as the template's placeholder measured it.
        RECT area{kMargin + 2, kMargin + kTabHeight + 2, 0, 0};
        MapDialogRect(hwnd, &area);
        RECT client{};
        GetClientRect(hwnd, &client);
        RECT buttons{0, 0, 0, kMargin + kButtonHeight + kMargin};
        MapDialogRect(hwnd, &buttons);
        s->pageArea = RECT{area.left, area.top, client.right - area.left, client.bottom - buttons.bottom - 2};
        if (!Select(*s, static_cast<int>(std::min<size_t>(s->startPage, s->pages.size() - 1)))) {
            for (int i = 0; i < static_cast<int>(s->pages.size()) && s->current < 0; ++i) Select(*s, i);
        }
        SetApplyEnabled(*s);
        return TRUE;
    }
    Sheet* s = SheetOf(hwnd);
    if (s == nullptr) return FALSE;
    switch (message) {
    case WM_PAINT: PaintTabs(hwnd, *s); return TRUE;
    case WM_LBUTTONDOWN: {
        const POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        const std::vector<RECT> tabs = TabRects(hwnd, *s);
        for (size_t i = 0; i < tabs.size(); ++i) {
            if (PtInRect(&tabs[i], at)) Select(*s, static_cast<int>(i));
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: Press(*s, PSBTN_OK); return TRUE;
        case IDCANCEL: Press(*s, PSBTN_CANCEL); return TRUE;
        case ID_APPLY_NOW: Press(*s, PSBTN_APPLYNOW); return TRUE;
        case IDHELP: Press(*s, PSBTN_HELP); return TRUE;
        default: return FALSE;
        }
    case PSM_CHANGED:
    case PSM_UNCHANGED:
        for (Page& p : s->pages) {
            if (p.hwnd == reinterpret_cast<HWND>(wParam)) p.changed = message == PSM_CHANGED;
        }
        SetApplyEnabled(*s);
        return Answer(hwnd, 0);
    case PSM_GETCURRENTPAGEHWND:
        return Answer(hwnd, s->current < 0 ? 0 : reinterpret_cast<LRESULT>(s->pages[static_cast<size_t>(s->current)].hwnd));
    case PSM_SETCURSEL: {
        int index = static_cast<int>(wParam);
        for (size_t i = 0; lParam != 0 && i < s->pages.size(); ++i) {
            if (s->pages[i].psp == reinterpret_cast<HPROPSHEETPAGE>(lParam)) index = static_cast<int>(i);
        }
        return Answer(hwnd, Select(*s, index) ? TRUE : FALSE);
    }
    case PSM_SETCURSELID:
        for (size_t i = 0; i < s->pages.size(); ++i) {
            const PROPSHEETPAGEW& p = s->pages[i].psp->page;
            if (!(p.dwFlags & PSP_DLGINDIRECT) && IS_INTRESOURCE(p.pszTemplate) &&
                reinterpret_cast<ULONG_PTR>(p.pszTemplate) == static_cast<ULONG_PTR>(lParam)) {
                return Answer(hwnd, Select(*s, static_cast<int>(i)) ? TRUE : FALSE);
            }
        }
        return Answer(hwnd, FALSE);
    case PSM_PRESSBUTTON: return Answer(hwnd, Press(*s, static_cast<int>(wParam)) ? TRUE : FALSE);
    case PSM_APPLY: return Answer(hwnd, Apply(*s, false) ? TRUE : FALSE);
    case PSM_CANCELTOCLOSE:
        SetDlgItemTextW(hwnd, IDCANCEL, u"Close");
        return Answer(hwnd, 0);
    case PSM_SETTITLEW:
        if (lParam != 0 && !IS_INTRESOURCE(reinterpret_cast<LPCWSTR>(lParam))) {
            std::u16string title(reinterpret_cast<LPCWSTR>(lParam));
            if (wParam & PSH_PROPTITLE) title = u"Properties for " + title;
            SetWindowTextW(hwnd, title.c_str());
        }
        return Answer(hwnd, 0);
    default: return FALSE;
    }
}

Sheet* SheetOf(HWND hwnd) {
    if (!IsWindow(hwnd) || GetWindowLongPtrW(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&SheetProc)) {
        return nullptr;
    }
    return reinterpret_cast<Sheet*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

// The font of the sheet's own template.
ui::core::DialogTemplate SheetFontTemplate() {
    ui::core::DialogTemplate t;
    t.style = DS_SETFONT;
    t.pointSize = 8;
    t.face = u"MS Shell Dlg";
    return t;
}

// The sheet's own template: the button row under a page area as large as the largest page.
std::vector<BYTE> SheetTemplate(const Sheet& s, short pageCx, short pageCy, const std::u16string& caption,
                                bool help) {
    ui::core::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_VISIBLE;
    t.exStyle = WS_EX_CONTROLPARENT;
    t.cx = static_cast<short>(pageCx + 2 * kMargin + 4);
    t.cy = static_cast<short>(kMargin + kTabHeight + pageCy + 4 + kMargin + kButtonHeight + kMargin);
    t.title = caption;
    const ui::core::DialogTemplate font = SheetFontTemplate();
    t.pointSize = font.pointSize;
    t.face = font.face;
    struct Button {
        int id;
        const char16_t* text;
        DWORD style;
    };
    std::vector<Button> buttons{{IDOK, u"OK", BS_DEFPUSHBUTTON}, {IDCANCEL, u"Cancel", BS_PUSHBUTTON}};
    if (s.hasApply) buttons.push_back({ID_APPLY_NOW, u"&Apply", BS_PUSHBUTTON | WS_DISABLED});
    if (help) buttons.push_back({IDHELP, u"Help", BS_PUSHBUTTON});
    short x = static_cast<short>(t.cx - kMargin - static_cast<short>(buttons.size()) * (kButtonWidth + kButtonGap) + kButtonGap);
    for (const Button& b : buttons) {
        ui::core::DialogItem item;
        item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | b.style;
        item.x = x;
        item.y = static_cast<short>(t.cy - kMargin - kButtonHeight);
        item.cx = kButtonWidth;
        item.cy = kButtonHeight;
        item.id = static_cast<DWORD>(b.id);
        item.cls.isOrdinal = true;
        item.cls.ordinal = DLGITEM_BUTTON;
        item.title.name = b.text;
        t.items.push_back(item);
        x = static_cast<short>(x + kButtonWidth + kButtonGap);
    }
    return WriteTemplate(t);
}

}  // namespace
}  // namespace standin::sheets

using namespace standin::sheets;

INT_PTR PropertySheetW(const PROPSHEETHEADERW* header) {
    if (header == nullptr || header->dwSize < sizeof(PROPSHEETHEADERW) - sizeof(void*) || header->nPages > 100) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (header->dwFlags & PSH_MODELESS) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return -1;
    }
    Sheet sheet;
    sheet.hasApply = !(header->dwFlags & PSH_NOAPPLYNOW);
    sheet.startPage = (header->dwFlags & PSH_USEPSTARTPAGE) ? 0 : header->nStartPage;
    for (UINT i = 0; i < header->nPages; ++i) {
        HPROPSHEETPAGE psp = nullptr;
        if (header->dwFlags & PSH_PROPSHEETPAGE) {
            const auto* bytes = reinterpret_cast<const BYTE*>(header->ppsp);
            size_t offset = 0;
            for (UINT k = 0; k < i; ++k) offset += reinterpret_cast<LPCPROPSHEETPAGEW>(bytes + offset)->dwSize;
            psp = CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(bytes + offset));
        } else if (header->phpage != nullptr && IsLivePage(header->phpage[i])) {
            psp = header->phpage[i];
        }
        if (psp != nullptr) sheet.pages.push_back(Page{psp, nullptr, u"", false});
    }
    // Each page measures its template in its own font's units; the largest, in pixels, is
    // given back in the units of the sheet's font, so that no page is cut.
    const SIZE sheetUnits = standin::ui::core::TemplateBaseUnits(SheetFontTemplate());
    LONG pageWidth = 0, pageHeight = 0;
    bool help = (header->dwFlags & PSH_HASHELP) != 0;
    for (Page& page : sheet.pages) {
        if (std::optional<standin::ui::core::DialogTemplate> t = PageTemplate(page.psp)) {
            const SIZE units = standin::ui::core::TemplateBaseUnits(*t);
            pageWidth = std::max(pageWidth, (t->cx * units.cx + 2) / 4);
            pageHeight = std::max(pageHeight, (t->cy * units.cy + 4) / 8);
            page.title = PageTitle(page, *t);
        }
        help = help || (page.psp->page.dwFlags & PSP_HASHELP);
    }
    const short pageCx = static_cast<short>((pageWidth * 4 + sheetUnits.cx - 1) / sheetUnits.cx);
    const short pageCy = static_cast<short>((pageHeight * 8 + sheetUnits.cy - 1) / sheetUnits.cy);
    INT_PTR result = -1;
    if (!sheet.pages.empty()) {
        std::u16string caption = header->pszCaption != nullptr && !IS_INTRESOURCE(header->pszCaption) ? header->pszCaption : u"";
        if (header->dwFlags & PSH_PROPTITLE) caption = u"Properties for " + caption;
        const std::vector<BYTE> bytes = SheetTemplate(sheet, pageCx > 0 ? pageCx : 212, pageCy > 0 ? pageCy : 188,
                                                      caption, help);
        result = DialogBoxIndirectParamW(header->hInstance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                         header->hwndParent, &SheetProc,
                                         reinterpret_cast<LPARAM>(&sheet));
    }
    // The sheet owns its pages from here: every one is released, shown or not.
    for (Page& page : sheet.pages) ReleasePage(page.psp);
    return result;
}

namespace standin::ui {

RECT SheetTabRect(HWND sheet, int index) {
    Sheet* s = SheetOf(sheet);
    if (s == nullptr || index < 0 || index >= static_cast<int>(s->pages.size())) return RECT{};
    return TabRects(sheet, *s)[static_cast<size_t>(index)];
}

bool ClickSheetTab(HWND sheet, int index) {
    const RECT tab = SheetTabRect(sheet, index);
    if (tab.right <= tab.left) return false;
    ClickAt(sheet, (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    return true;
}

}  // namespace standin::ui
