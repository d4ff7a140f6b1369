// Painting of the settings tree over what the tree control drew (each line's value in its own
// colour), the tree's window procedure, and the owner drawing of list items with an icon.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resources/ui/PictureIds.h"
#include "ui/entry/UiOwners.h"
#include "ui/tree/SettingsTreeState.h"

namespace {

constexpr int kTextChars = 600;  // a label of at most 254 characters and a value of at most 260
constexpr LONG kBoldWeight = 700;
constexpr int kImageHeight = 18;
constexpr int kListIconLeft = 3;
constexpr int kListTextLeft = 23;
constexpr DWORD kMarkerFlags = kTreeFlagMarkA | kTreeFlagMarkB | kTreeFlagMarkC;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kDarkRed = RGB(128, 0, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kNavy = RGB(0, 0, 128);

SIZE Extent(HDC hdc, const std::u16string& text) {
    SIZE size{};
    if (!text.empty()) GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void DrawPart(HDC hdc, int* x, int y, const RECT& clip, const std::u16string& text) {
    if (text.empty()) return;
    ExtTextOutW(hdc, *x, y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    *x += Extent(hdc, text).cx;
}

struct ItemColours {
    int background;  // system colour indices
    int text;
};

ItemColours ColoursOf(bool selected, bool focused, bool greyed) {
    if (selected && focused) return {COLOR_HIGHLIGHT, greyed ? COLOR_BTNFACE : COLOR_HIGHLIGHTTEXT};
    if (selected) return {COLOR_BTNFACE, greyed ? COLOR_BTNSHADOW : COLOR_BTNTEXT};
    return {COLOR_WINDOW, greyed ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT};
}

HFONT BoldFont(SettingsTreeState* state, HFONT treeFont) {
    if (state == nullptr || treeFont == nullptr) return treeFont;
    if (state->bold == nullptr) state->bold = CreateDerivedFont(treeFont, kBoldWeight);
    return state->bold != nullptr ? state->bold : treeFont;
}

// One line: background, label, value in its colour, closing ">" and the marker icon.
void PaintItem(HDC hdc, PageRecord* page, const TVITEMW& item, const RECT& rect, bool selected, bool focused,
               int indent) {
    const DWORD flags = TreeItemFlags(item.lParam);
    const bool greyed = (flags & kTreeFlagGreyed) != 0;
    const ItemColours colours = ColoursOf(selected, focused, greyed);
    const COLORREF background = GetSysColor(colours.background);
    const COLORREF textColour = GetSysColor(colours.text);
    const COLORREF valueColour = TreeValueColour(background, (flags & kTreeFlagChanged) != 0, greyed);
    FillRect(hdc, &rect, GetSysColorBrush(colours.background));

    const std::u16string text(item.pszText);
    const size_t labelLength = std::min<size_t>(static_cast<size_t>(TreeItemLabelLength(item.lParam)), text.size());
    const bool closing = (flags & kTreeFlagClosing) != 0 && text.size() > labelLength && text.back() == u'>';
    const std::u16string label = text.substr(0, labelLength);
    const std::u16string value = text.substr(labelLength, text.size() - labelLength - (closing ? 1 : 0));
    const std::u16string close = closing ? u">" : u"";

    const LONG width = Extent(hdc, label).cx + Extent(hdc, value).cx + Extent(hdc, close).cx;
    const LONG height = std::max({Extent(hdc, label).cy, Extent(hdc, value).cy, Extent(hdc, close).cy});
    int x = static_cast<int>(rect.left + (rect.right - rect.left - width) / 2);
    const int y = static_cast<int>(rect.top + (rect.bottom - rect.top - height) / 2);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, textColour);
    DrawPart(hdc, &x, y, rect, label);
    // A value colour equal to the background is drawn on the text colour, so it stays readable.
    if (valueColour == background) {
        SetBkMode(hdc, OPAQUE);
        SetBkColor(hdc, textColour);
    }
    SetTextColor(hdc, valueColour);
    DrawPart(hdc, &x, y, rect, value);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, textColour);
    DrawPart(hdc, &x, y, rect, close);

    if ((flags & kMarkerFlags) != 0) {
        HIMAGELIST images = PageTreeImages(page);
        const int marker = GetTreeImageIndex(page, kTreeMarkerIconId);
        if (images != nullptr && marker >= 0) {
            ImageList_Draw(images, marker, hdc, static_cast<int>(rect.left) - indent,
                           static_cast<int>(rect.top + (rect.bottom - rect.top - kImageHeight) / 2), ILD_TRANSPARENT);
        }
    }
}

HTREEITEM NextItem(HWND tree, UINT code, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

BOOL IsDarkBackground(COLORREF background) {
    const int weighted = GetGValue(background) * 67 + GetBValue(background) * 10 + GetRValue(background) * 23;
    return weighted < 12750 ? TRUE : FALSE;
}

COLORREF TreeValueColour(COLORREF background, BOOL changed, BOOL greyed) {
    const bool dark = IsDarkBackground(background) != FALSE;
    if (changed) {
        if (greyed) return dark ? kYellow : kDarkRed;
        return dark ? kMagenta : kRed;
    }
    if (greyed) return dark ? kSilver : kNavy;
    return dark ? kCyan : kBlue;
}

HFONT CreateDerivedFont(HFONT base, LONG weight) {
    HGDIOBJ source = base != nullptr ? static_cast<HGDIOBJ>(base) : GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTW font{};
    if (source == nullptr || GetObjectW(source, sizeof font, &font) != static_cast<int>(sizeof font)) return nullptr;
    font.lfWeight = weight;
    return CreateFontIndirectW(&font);
}

void PaintSettingsTree(HDC hdc, HWND tree, PageRecord* page, const RECT* update) {
    if (hdc == nullptr || tree == nullptr) return;
    SettingsTreeState* state = TreeStateOf(page, false);
    SavedDcState keep(hdc);
    const bool focused = GetFocus() == tree;
    // While something is dragged over the tree its drop target is the highlighted item.
    const bool dropping = NextItem(tree, TVGN_DROPHILITE, nullptr) != nullptr;
    const auto treeFont = reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0));
    const int indent = static_cast<int>(SendMessageW(tree, TVM_GETINDENT, 0, 0));
    SetTextAlign(hdc, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    std::vector<WCHAR> buffer(kTextChars);
    for (HTREEITEM handle = NextItem(tree, TVGN_FIRSTVISIBLE, nullptr); handle != nullptr;
         handle = NextItem(tree, TVGN_NEXTVISIBLE, handle)) {
        RECT rect{};
        static_assert(sizeof(RECT) >= sizeof(HTREEITEM));
        std::memcpy(&rect, &handle, sizeof handle);
        if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) continue;
        RECT meet{};
        if (update != nullptr && !IntersectRect(&meet, &rect, update)) continue;

        TVITEMW item{};
        item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE | TVIF_PARAM;
        item.hItem = handle;
        item.stateMask = TVIS_SELECTED | TVIS_DROPHILITED | TVIS_BOLD;
        item.pszText = buffer.data();
        item.cchTextMax = kTextChars;
        buffer[0] = u'\0';
        if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) continue;
        buffer[kTextChars - 1] = u'\0';
        item.pszText = buffer.data();

        // A tree without a font of its own measures its items with the DC's: keep that one.
        HFONT base = treeFont != nullptr ? treeFont : static_cast<HFONT>(keep.Font());
        HFONT font = (item.state & TVIS_BOLD) ? BoldFont(state, base) : base;
        if (font != nullptr) SelectObject(hdc, font);
        const bool selected = (item.state & (dropping ? TVIS_DROPHILITED : TVIS_SELECTED)) != 0;
        PaintItem(hdc, page, item, rect, selected, focused, indent);
    }
}

LRESULT SettingsTreeWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<PageRecord*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    SettingsTreeState* state = TreeStateOf(page, false);
    if (state == nullptr || state->previous == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC previous = state->previous;
    if (message == WM_NCDESTROY) {
        // The tree goes: its procedure and items with it; the page keeps its images.
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        state->previous = nullptr;
        state->tree = nullptr;
        state->items.assign(state->items.size(), nullptr);
        if (page->tree == hwnd) page->tree = nullptr;
        return CallWindowProcW(previous, hwnd, message, wParam, lParam);
    }
    if (message != WM_PAINT) return CallWindowProcW(previous, hwnd, message, wParam, lParam);
    RECT update{};
    const BOOL any = GetUpdateRect(hwnd, &update, FALSE);
    const LRESULT result = CallWindowProcW(previous, hwnd, message, wParam, lParam);
    if (any) {
        WindowDc dc(hwnd);
        if (dc.Get() != nullptr) {
            IntersectClipRect(dc.Get(), update.left, update.top, update.right, update.bottom);
            PaintSettingsTree(dc.Get(), hwnd, page, &update);
        }
    }
    return result;
}

BOOL DrawListItem(PageRecord* page, const DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->hDC == nullptr) return FALSE;
    HDC hdc = item->hDC;
    const RECT& rect = item->rcItem;
    if ((item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) != 0 && item->itemID != static_cast<UINT>(-1)) {
        const bool combo = item->CtlType == ODT_COMBOBOX;
        const LRESULT length =
            SendMessageW(item->hwndItem, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, item->itemID, 0);
        std::u16string text;
        if (length > 0) {
            std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1, u'\0');
            SendMessageW(item->hwndItem, combo ? CB_GETLBTEXT : LB_GETTEXT, item->itemID,
                         reinterpret_cast<LPARAM>(buffer.data()));
            buffer.back() = u'\0';
            text = buffer.data();
        }
        const bool selected = (item->itemState & ODS_SELECTED) != 0;
        const bool greyed = (item->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
        int background = selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
        int foreground = selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
        if (greyed) {
            const bool selectedInList = selected && item->CtlType == ODT_LISTBOX;
            background = selectedInList ? COLOR_BTNSHADOW : COLOR_BTNFACE;
            foreground = selectedInList ? COLOR_BTNFACE : COLOR_GRAYTEXT;
        }
        SavedDcState keep(hdc);
        FillRect(hdc, &rect, GetSysColorBrush(background));
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, GetSysColor(foreground));
        SetTextAlign(hdc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        const SIZE size = Extent(hdc, text.empty() ? std::u16string(u" ") : text);
        int x = static_cast<int>(rect.left) + kListTextLeft;
        DrawPart(hdc, &x, static_cast<int>(rect.top + (rect.bottom - rect.top - size.cy) / 2), rect, text);
        const int iconId = LOWORD(item->itemData);
        HIMAGELIST images = PageTreeImages(page);
        const int index = iconId != 0 ? GetTreeImageIndex(page, iconId) : -1;
        if (images != nullptr && index >= 0) {
            ImageList_Draw(images, index, hdc, static_cast<int>(rect.left) + kListIconLeft,
                           static_cast<int>(rect.top + (rect.bottom - rect.top - kImageHeight) / 2), ILD_TRANSPARENT);
        }
    }
    if (item->itemAction & ODA_FOCUS) DrawFocusRect(hdc, &rect);
    return TRUE;
}
