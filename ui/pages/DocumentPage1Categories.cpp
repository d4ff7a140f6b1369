// Document page one's category list: one owner-drawn item per category (icon and a two-line
// label), the hovered item's frame, and the change of category with the checks of the panel
// that is left.
#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage1Internal.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiInstance.h"
#include "ui/entry/UiOwners.h"

namespace page1 {
namespace {

constexpr int kIconSide = 32;
constexpr int kLabelChars = 32;
constexpr int kItemsShown = 4;
constexpr COLORREF kItemBackground = RGB(128, 128, 128);
// Items the hover subclass follows: every possible category position.
constexpr int kHoverItems[] = {0, 1, 2, 3, 4, 5, -1};
static_assert(std::size(kHoverItems) == kPageCategoryMax + 1);

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// A sunken (selected) or raised (hovered) frame: light and dark edges swapped.
void DrawFrame(HDC dc, const RECT& rect, bool sunken) {
    HGDIOBJ topLeft = GetStockObject(sunken ? BLACK_PEN : WHITE_PEN);
    HGDIOBJ bottomRight = GetStockObject(sunken ? WHITE_PEN : BLACK_PEN);
    const int right = rect.right - 1;
    const int bottom = rect.bottom - 1;
    {
        ScopedSelection pen(dc, topLeft);
        Line(dc, rect.left, bottom, rect.left, rect.top);
        Line(dc, rect.left, rect.top, right, rect.top);
    }
    ScopedSelection pen(dc, bottomRight);
    Line(dc, right, rect.top, right, bottom);
    Line(dc, right, bottom, rect.left - 1, bottom);
}

void RedrawItem(HWND list, int index) {
    RECT rect{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != LB_ERR) {
        InvalidateRect(list, &rect, TRUE);
    }
}

}  // namespace

void InitCategoryList(PageRecord* page, HWND dialog, State& state) {
    state.categoryCount = BuildPageCategories(&page->context->workingBlock, state.categories);
    HWND list = GetDlgItem(dialog, kCategoryList);
    if (list == nullptr) return;
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < state.categoryCount; ++i) {
        const auto item = SendMessageW(list, LB_ADDSTRING, 0, 0);
        if (item >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(item), i);
    }
    SubclassHoverListBox(page, list, kHoverItems);
}

void MeasureItem(HWND dialog, MEASUREITEMSTRUCT* measure) {
    if (measure == nullptr) return;
    if (measure->CtlID == static_cast<UINT>(kPreviewControl)) {
        GdiObject bitmap(LoadBitmapW(UiLibraryInstance(), MAKEINTRESOURCEW(kPreviewItemBitmapId)));
        BITMAP format{};
        if (bitmap.Valid() && GetObjectW(bitmap.Get(), sizeof format, &format) != 0) {
            measure->itemWidth = static_cast<UINT>(format.bmWidth);
            measure->itemHeight = static_cast<UINT>(format.bmHeight);
        }
    } else if (measure->CtlID == static_cast<UINT>(kCategoryList)) {
        RECT client{};
        GetClientRect(GetDlgItem(dialog, kCategoryList), &client);
        measure->itemWidth = static_cast<UINT>(client.right);
        measure->itemHeight = static_cast<UINT>(std::max<LONG>(1, client.bottom / kItemsShown));
    }
}

void DrawCategoryItem(PageRecord* page, const State& state, const DRAWITEMSTRUCT* item) {
    if ((item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) return;
    const int index = static_cast<int>(item->itemID);
    if (index < 0 || index >= state.categoryCount) return;
    const PageCategory& category = state.categories[index];
    HDC dc = item->hDC;
    const RECT& rect = item->rcItem;
    const int oldRop = SetROP2(dc, R2_COPYPEN);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, RGB(255, 255, 255));
    const UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
    {
        GdiObject brush(CreateSolidBrush(kItemBackground));
        FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
    }
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    if (selected) {
        DrawFrame(dc, rect, true);
    } else if (page->hoverItem == index) {
        DrawFrame(dc, rect, false);
    }
    const int offset = selected ? 1 : 0;
    const int height = rect.bottom - rect.top;
    const int middle = (rect.left + rect.right) / 2 + offset;
    // A category whose icon or label is missing is drawn without it.
    HICON icon = LoadIconW(UiLibraryInstance(), MAKEINTRESOURCEW(category.iconId));
    if (icon != nullptr) {
        DrawIconEx(dc, middle - kIconSide / 2, rect.top + height * 3 / 10 + offset - kIconSide / 2, icon, kIconSide,
                   kIconSide, 0, nullptr, DI_NORMAL);
    }
    WCHAR label[kLabelChars + 1] = {};
    const int length = LoadStringW(page->context->languageLibrary, category.labelId, label, kLabelChars + 1);
    const LPCWSTR end = label + std::clamp(length, 0, kLabelChars);
    const LPCWSTR bar = std::find(static_cast<LPCWSTR>(label), end, u'|');
    const int y = rect.top + height * 8 / 10 + offset - 2;
    TextOutW(dc, middle, y, label, static_cast<int>(bar - label));
    if (bar != end) {
        SetTextAlign(dc, TA_CENTER | TA_TOP);
        TextOutW(dc, middle, y, bar + 1, static_cast<int>(end - bar - 1));
    }
    SetTextAlign(dc, oldAlign);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SetROP2(dc, oldRop);
}

void SelectCategoryItem(HWND dialog, int index) {
    SendDlgItemMessageW(dialog, kCategoryList, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool ChangeCategory(PageRecord* page, HWND dialog, State& state) {
    DriverDevMode& block = page->context->workingBlock;
    const int chosen = static_cast<int>(SendDlgItemMessageW(dialog, kCategoryList, LB_GETCURSEL, 0, 0));
    const int current = ClampCategoryIndex(block.CategoryIndex, state.categoryCount);
    if (chosen < 0 || chosen >= state.categoryCount || chosen == current) return true;
    const UINT leaving = state.categories[current].labelId;
    bool valid = true;
    if (leaving == kCountsCategoryText) {
        valid = CheckCountsEdits(page, dialog);
    } else if (leaving == kDuplexCategoryText) {
        valid = CheckEditRange(page, dialog, kBindingShiftEdit, 0, 20, kBindingShiftRangeMessage);
    }
    if (!valid) {
        SelectCategoryItem(dialog, current);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return false;
    }
    RedrawItem(GetDlgItem(dialog, kCategoryList), current);
    block.CategoryIndex = static_cast<WORD>(chosen);
    OnSettingChanged(page, dialog, 0, FALSE);
    ShowPanel(page, dialog);
    return true;
}

void EndHover(PageRecord* page, HWND dialog) {
    if (page->hoverItem == kNoHoverItem) return;
    const int item = page->hoverItem;
    page->hoverItem = kNoHoverItem;
    RedrawItem(GetDlgItem(dialog, kCategoryList), item);
}

}  // namespace page1
