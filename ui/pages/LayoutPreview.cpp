// The layout preview: bitmap layers chosen by the working block's paper, duplex and N-up
// settings, each loaded, drawn with SRCAND and deleted in turn, then the paper names and the
// scale.
#include "ui/pages/LayoutPreview.h"

#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/Rop2.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"
#include "ui/entry/UiEntry.h"
#include "ui/entry/UiInstance.h"
#include "ui/entry/UiOwners.h"

namespace {

constexpr int kLayerX = 0;
constexpr int kLayerY = 2;
constexpr POINT kOrderUpright{42, 36};
constexpr POINT kOrderTurned{34, 42};
constexpr int kNameChars = 65;
constexpr int kLastFrame = 3;

// Sheet pictures by duplex kind 1..3: {bit 2 clear upright, turned, bit 2 set upright, turned}.
constexpr int kSheetIds[3][4] = {
    {kSheetUprightBitmapId, kSheetTurnedBitmapId, kBoldSheetUprightBitmapId, kBoldSheetTurnedBitmapId},
    {kLongEdgeSheetUprightBitmapId, kLongEdgeSheetTurnedBitmapId, kBoldLongEdgeSheetUprightBitmapId,
     kBoldLongEdgeSheetTurnedBitmapId},
    {kShortEdgeSheetUprightBitmapId, kShortEdgeSheetTurnedBitmapId, kBoldShortEdgeSheetUprightBitmapId,
     kBoldShortEdgeSheetTurnedBitmapId},
};

struct GridRow {
    int pages;
    int upright;
    int turned;
};
constexpr GridRow kGridIds[] = {
    {2, kGridOf2UprightBitmapId, kGridOf2TurnedBitmapId},
    {4, kGridOf4UprightBitmapId, kGridOf4TurnedBitmapId},
    {6, kGridOf6UprightBitmapId, kGridOf6TurnedBitmapId},
    {8, kGridOf8UprightBitmapId, kGridOf8TurnedBitmapId},
    {9, kGridOf9UprightBitmapId, kGridOf9TurnedBitmapId},
    {16, kGridOf16UprightBitmapId, kGridOf16TurnedBitmapId},
};

// Order pictures of 9 and 16 pages by layout frame: across then down, down then across, the
// same from the right.
constexpr int kOrderIds[2][2][4] = {
    // ExtraOption1 clear: upright, turned
    {{kOrderAcrossUprightBitmapId, kOrderDownUprightBitmapId, kOrderAcrossFromRightUprightBitmapId,
      kOrderDownFromRightUprightBitmapId},
     {kOrderAcrossTurnedBitmapId, kOrderDownTurnedBitmapId, kOrderAcrossFromRightTurnedBitmapId,
      kOrderDownFromRightTurnedBitmapId}},
    // ExtraOption1 set
    {{kGreyOrderAcrossUprightBitmapId, kGreyOrderDownUprightBitmapId, kGreyOrderAcrossFromRightUprightBitmapId,
      kGreyOrderDownFromRightUprightBitmapId},
     {kGreyOrderAcrossTurnedBitmapId, kGreyOrderDownTurnedBitmapId, kGreyOrderAcrossFromRightTurnedBitmapId,
      kGreyOrderDownFromRightTurnedBitmapId}},
};

// Where the page numbers go: a grid of cells from (x, y) in steps of (dx, dy).
struct NumberGrid {
    int columns;
    int rows;
    int x;
    int y;
    int dx;
    int dy;
};
struct NumberRow {
    int pages;
    NumberGrid upright;
    NumberGrid turned;
    int ids[2][kMaxPreviewNumbers];  // first and second set; 9 and 16 pages: first and last only
};
// The cells follow the sheet of the preview pictures: upright a 48 x 64 sheet from (28, 19),
// turned a 64 x 48 sheet from (20, 27); a number sits at the middle of its cell.
constexpr NumberRow kNumbers[] = {
    {2,
     {1, 2, 50, 32, 0, 32},
     {2, 1, 34, 48, 32, 0},
     {{kTwoUpNumber1BitmapId, kTwoUpNumber2BitmapId}, {kTwoUpInverseNumber1BitmapId, kTwoUpInverseNumber2BitmapId}}},
    {4,
     {2, 2, 38, 32, 24, 32},
     {2, 2, 34, 36, 32, 24},
     {{kFourUpNumber1BitmapId, kFourUpNumber2BitmapId, kFourUpNumber3BitmapId, kFourUpNumber4BitmapId},
      {kFourUpInverseNumber1BitmapId, kFourUpInverseNumber2BitmapId, kFourUpInverseNumber3BitmapId,
       kFourUpInverseNumber4BitmapId}}},
    {6,
     {2, 3, 38, 27, 24, 21},
     {3, 2, 29, 36, 21, 24},
     {{kEightUpNumber1BitmapId, kEightUpNumber2BitmapId, kEightUpNumber3BitmapId, kEightUpNumber4BitmapId,
       kEightUpNumber5BitmapId, kEightUpNumber6BitmapId},
      {kEightUpInverseNumber1BitmapId, kEightUpInverseNumber2BitmapId, kEightUpInverseNumber3BitmapId,
       kEightUpInverseNumber4BitmapId, kEightUpInverseNumber5BitmapId, kEightUpInverseNumber6BitmapId}}},
    {8,
     {2, 4, 38, 24, 24, 16},
     {4, 2, 26, 36, 16, 24},
     {{kEightUpNumber1BitmapId, kEightUpNumber2BitmapId, kEightUpNumber3BitmapId, kEightUpNumber4BitmapId,
       kEightUpNumber5BitmapId, kEightUpNumber6BitmapId, kEightUpNumber7BitmapId, kEightUpNumber8BitmapId},
      // The second set's 8 is not the spare one.
      {kEightUpInverseNumber1BitmapId, kEightUpInverseNumber2BitmapId, kEightUpInverseNumber3BitmapId,
       kEightUpInverseNumber4BitmapId, kEightUpInverseNumber5BitmapId, kEightUpInverseNumber6BitmapId,
       kEightUpInverseNumber7BitmapId, kEightUpInverseNumber8BitmapId}}},
    {9,
     {3, 3, 34, 27, 16, 21},
     {3, 3, 29, 32, 21, 16},
     {{kSixteenUpNumber1BitmapId, kSixteenUpNumber9BitmapId},
      {kSixteenUpInverseNumber1BitmapId, kSixteenUpInverseNumber9BitmapId}}},
    {16,
     {4, 4, 32, 24, 12, 16},
     {4, 4, 26, 30, 16, 12},
     {{kSixteenUpNumber1BitmapId, kSixteenUpNumber16BitmapId},
      {kSixteenUpInverseNumber1BitmapId, kSixteenUpInverseNumber16BitmapId}}},
};

const NumberRow* NumberRowOf(int pages) {
    for (const NumberRow& row : kNumbers) {
        if (row.pages == pages) return &row;
    }
    return nullptr;
}

// The cell of the k-th page for a layout frame: 0 across then down from the left, 1 down
// then across from the left, 2 and 3 the same from the right.
POINT CellOf(const NumberGrid& grid, int frame, int k) {
    int column = 0;
    int row = 0;
    if ((frame & 1) == 0) {
        column = k % grid.columns;
        row = k / grid.columns;
    } else {
        row = k % grid.rows;
        column = k / grid.rows;
    }
    if (frame >= 2) column = grid.columns - 1 - column;
    return POINT{grid.x + column * grid.dx, grid.y + row * grid.dy};
}

int ClampedFrame(const DriverDevMode& settings) { return std::min<int>(settings.NupSlotOrder, kLastFrame); }

bool IsWidePaper(const DriverDevMode& settings) {
    if (settings.OutputPaperName[0] != u'\0') return settings.OutputPaperWidth >= settings.OutputPaperLength;
    return settings.Public.dmPaperWidth >= settings.Public.dmPaperLength;
}

// Loads one bitmap of this library, draws it with SRCAND at (x, y) and deletes it.
void DrawLayer(HDC target, HDC memory, int id, int x, int y) {
    GdiObject bitmap(LoadBitmapW(UiLibraryInstance(), MAKEINTRESOURCEW(id)));
    if (!bitmap.Valid()) return;
    BITMAP format{};
    if (GetObjectW(bitmap.Get(), sizeof format, &format) == 0) return;
    ScopedSelection selected(memory, bitmap.Get());
    BitBlt(target, x, y, format.bmWidth, format.bmHeight, memory, 0, 0, SRCAND);
}

// A name field copied up to its own length, whether terminated or not.
template <size_t N>
void CopyName(const WCHAR (&field)[N], LPWSTR out, size_t cchOut) {
    size_t n = 0;
    while (n < N && n + 1 < cchOut && field[n] != u'\0') {
        out[n] = field[n];
        ++n;
    }
    out[n] = u'\0';
}

int Length(LPCWSTR text) {
    int n = 0;
    while (text[n] != u'\0') ++n;
    return n;
}

// The output paper's name: the context's form of OutputPaperSize when set and listed, else
// the document paper; the N-up sheet's name for N-up.
void OutputPaperText(const UiContext& context, const DriverDevMode& settings, LPWSTR out) {
    CopyName(settings.Public.dmFormName, out, kNameChars);
    if (settings.OutputPaperSize != 0 && context.formIndex != nullptr && context.formName != nullptr) {
        for (DWORD i = 0; i < context.formCount; ++i) {
            if (context.formIndex[i] != static_cast<SHORT>(settings.OutputPaperSize)) continue;
            CopyName(context.formName[i], out, kNameChars);
            break;
        }
    }
    if ((settings.NupDown != 1 || settings.NupAcross != 1) && context.languageLibrary != nullptr) {
        WCHAR sheet[kNameChars] = {};
        if (LoadStringW(context.languageLibrary, kNupSheetText, sheet, kNameChars) > 0) {
            std::copy(std::begin(sheet), std::end(sheet), out);
        }
    }
}

// A text whose bottom sits one pixel above the icon control's bottom, right of it.
void TextBesideIcon(HDC dc, HWND dialog, int icon, LPCWSTR text) {
    RECT rect{};
    if (!GetControlRectInDialog(dialog, icon, &rect)) return;
    TextOutW(dc, rect.right, rect.bottom - 1, text, Length(text));
}

void DrawPaperNames(PageRecord* page, HWND dialog, const DriverDevMode& settings) {
    if (dialog == nullptr) return;
    const HICON documentIcon = PageIcon(page, kDocumentPaperIconId);
    const HICON outputIcon = PageIcon(page, kOutputPaperIconId);
    if (documentIcon != nullptr) {
        SendDlgItemMessageW(dialog, kDocumentPaperIcon, STM_SETICON, reinterpret_cast<WPARAM>(documentIcon), 0);
    }
    if (outputIcon != nullptr) {
        SendDlgItemMessageW(dialog, kOutputPaperIcon, STM_SETICON, reinterpret_cast<WPARAM>(outputIcon), 0);
    }
    WindowDc dc(dialog);
    if (dc.Get() == nullptr) return;
    SavedDcState modes(dc.Get());
    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), RGB(0, 0, 0));
    SetTextAlign(dc.Get(), TA_LEFT | TA_BOTTOM);
    WCHAR name[kNameChars] = {};
    CopyName(settings.Public.dmFormName, name, kNameChars);
    TextBesideIcon(dc.Get(), dialog, kDocumentPaperIcon, name);
    OutputPaperText(*page->context, settings, name);
    TextBesideIcon(dc.Get(), dialog, kOutputPaperIcon, name);
}

// "100%" at the top right of the picture when the scale edit holds a nonzero number.
void DrawScale(HDC dc, HWND dialog, const RECT& client, const DriverDevMode& settings) {
    if (dialog == nullptr || GetDlgItem(dialog, kScaleEdit) == nullptr) return;
    BOOL translated = FALSE;
    const UINT shown = GetDlgItemInt(dialog, kScaleEdit, &translated, FALSE);
    if (!translated || shown == 0) return;
    WCHAR text[16] = {};
    FormatLanguageMessage(nullptr, text, static_cast<DWORD>(std::size(text)), nullptr, u"%d%s",
                          static_cast<int>(settings.LayoutScale), u"%");
    SetTextAlign(dc, TA_RIGHT | TA_TOP);
    TextOutW(dc, client.right - 3, client.top + 3, text, Length(text));
}

}  // namespace

int SheetBitmapId(int upright, int bit2, int duplex) {
    if (duplex < 1 || duplex > 3) return kSheetUprightBitmapId;
    return kSheetIds[duplex - 1][(bit2 != 0 ? 2 : 0) + (upright != 0 ? 0 : 1)];
}

int SinglePageBitmapId(DWORD extraOption1) { return extraOption1 == 1 ? kNumberedPageBitmapId : kPageBitmapId; }

int NupGridBitmapId(int upright, int pages) {
    for (const GridRow& row : kGridIds) {
        if (row.pages == pages) return upright != 0 ? row.upright : row.turned;
    }
    return kGridOf2UprightBitmapId;
}

int OrderArrowBitmapId(int upright, DWORD extraOption1, int layoutFrame) {
    const int frame = std::clamp(layoutFrame, 0, kLastFrame);
    return kOrderIds[extraOption1 != 0 ? 1 : 0][upright != 0 ? 0 : 1][frame];
}

int IsPreviewUpright(const DriverDevMode& settings) {
    const bool same = IsWidePaper(settings) == (settings.Public.dmOrientation == DMORIENT_LANDSCAPE);
    const int pages = settings.PagesPerSheet;
    const bool halves = pages == 2 || pages == 6 || pages == 8;
    return (halves ? !same : same) ? 1 : 0;
}

int BindingMarkBitmapId(const DriverDevMode& settings) {
    const int duplex = settings.Public.dmDuplex;
    if ((duplex != DMDUP_VERTICAL && duplex != DMDUP_HORIZONTAL) || settings.DuplexShift == 0) return 0;
    const int pages = settings.PagesPerSheet;
    const bool halves = pages == 2 || pages == 6 || pages == 8;
    const bool portrait = settings.Public.dmOrientation != DMORIENT_LANDSCAPE;
    if (portrait == halves) return duplex == DMDUP_VERTICAL ? kBindingTopTurnedBitmapId : kBindingLeftTurnedBitmapId;
    return duplex == DMDUP_VERTICAL ? kBindingLeftUprightBitmapId : kBindingTopUprightBitmapId;
}

int PreviewNumbers(const DriverDevMode& settings, PreviewNumber (&out)[kMaxPreviewNumbers]) {
    const NumberRow* row = NumberRowOf(settings.PagesPerSheet);
    if (row == nullptr) return 0;
    const NumberGrid& grid = IsPreviewUpright(settings) != 0 ? row->upright : row->turned;
    const int* ids = row->ids[settings.PageDecorationOption != 0 ? 1 : 0];
    const int frame = ClampedFrame(settings);
    const bool ends = row->pages == 9 || row->pages == 16;
    const int count = ends ? 2 : row->pages;
    for (int i = 0; i < count; ++i) {
        const int page = ends && i == 1 ? row->pages - 1 : i;
        const POINT at = CellOf(grid, frame, page);
        out[i] = PreviewNumber{ids[i], at.x, at.y};
    }
    return count;
}

int PaintLayoutPreview(const DRAWITEMSTRUCT* drawItem, PageRecord* page, HWND dialog) {
    if (drawItem == nullptr || page == nullptr || page->context == nullptr) return 0;
    const HDC dc = drawItem->hDC;
    MemoryDc memory(CreateCompatibleDC(dc));
    if (!memory.Valid()) return 0;
    const DriverDevMode& settings = page->context->workingBlock;

    RECT client = drawItem->rcItem;
    if (dialog != nullptr) {
        if (HWND control = GetDlgItem(dialog, kPreviewControl); control != nullptr) GetClientRect(control, &client);
    }
    {
        SavedDcState modes(dc);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetROP2(dc, R2_COPYPEN);

        const int upright = IsPreviewUpright(settings);
        const int pages = settings.PagesPerSheet;
        DrawLayer(dc, memory.Get(),
                  SheetBitmapId(upright, (settings.FeatureFlags & 0x4) != 0 ? 1 : 0, settings.Public.dmDuplex), kLayerX,
                  kLayerY);
        if (pages == 1) {
            DrawLayer(dc, memory.Get(), SinglePageBitmapId(settings.PageDecorationOption), kLayerX, kLayerY);
        } else {
            DrawLayer(dc, memory.Get(), NupGridBitmapId(upright, pages), kLayerX, kLayerY);
            if (pages == 9 || pages == 16) {
                const POINT at = upright != 0 ? kOrderUpright : kOrderTurned;
                DrawLayer(dc, memory.Get(), OrderArrowBitmapId(upright, settings.PageDecorationOption, ClampedFrame(settings)),
                          at.x, at.y);
            }
        }
        PreviewNumber numbers[kMaxPreviewNumbers] = {};
        const int count = PreviewNumbers(settings, numbers);
        for (int i = 0; i < count; ++i) DrawLayer(dc, memory.Get(), numbers[i].bitmapId, numbers[i].x, numbers[i].y);
        if (const int mark = BindingMarkBitmapId(settings); mark != 0) DrawLayer(dc, memory.Get(), mark, kLayerX, kLayerY);

        SetTextColor(dc, RGB(0, 0, 0));
        if (pages == 1) DrawScale(dc, dialog, client, settings);
    }
    DrawPaperNames(page, dialog, settings);
    return 1;
}
