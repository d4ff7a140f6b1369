// The page picture of the print-position dialog: the output paper, its printable area and the
// image in picture pixels, and their painting through a cached background.
#include <algorithm>
#include <string_view>

#include "platform/User.h"
#include "settings/ModelDescription.h"
#include "ui/dialogs/PositionDialog.h"
#include "ui/entry/UiContext.h"
#include "ui/entry/UiOwners.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kImageFill = RGB(192, 255, 255);
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr int kHandleHalf = 5;
// Margins of a document paper the model does not list, 0.1 mm (left, top, right, bottom).
constexpr LONG kUnlistedMargins[4] = {127, 0, 127, 42};

std::u16string_view BoundedName(const WCHAR* name, size_t capacity) {
    return {name, std::char_traits<char16_t>::length(name) < capacity ? std::char_traits<char16_t>::length(name)
                                                                       : capacity};
}

// The context's form whose 1-based position is paperIndex; -1 when none.
int FindForm(const UiContext* context, int paperIndex) {
    if (context->formIndex == nullptr || context->formSize == nullptr) return -1;
    for (DWORD i = 0; i < context->formCount; ++i) {
        if (context->formIndex[i] == paperIndex) return static_cast<int>(i);
    }
    return -1;
}

LONG CeilHundredth(DWORD microns) { return static_cast<LONG>((static_cast<uint64_t>(microns) + 99) / 100); }

// The margins of the named form of a model list; false when the list has no such form.
bool MarginsFromList(const ModelDescription* model, DWORD offset, DWORD count, std::u16string_view name, LONG width,
                     LONG length, LONG margins[4]) {
    if (model == nullptr || name.empty()) return false;
    const ModelForm* forms = ModelList<ModelForm>(model, offset, count);
    for (DWORD i = 0; forms != nullptr && i < count; ++i) {
        if (name != ModelString(model, forms[i].NameOffset)) continue;
        margins[kLeft] = CeilHundredth(forms[i].PrintableLeft);
        margins[kTop] = CeilHundredth(forms[i].PrintableTop);
        margins[kRight] = width - CeilHundredth(forms[i].PrintableRight);
        margins[kBottom] = length - CeilHundredth(forms[i].PrintableBottom);
        return true;
    }
    return false;
}

void LookUpSizes(PositionDialogState* state) {
    const UiContext* context = state->context;
    const DriverDevMode* block = &context->scratchBlock;
    const int doc = FindForm(context, block->Public.dmPaperSize);
    state->docWidth = doc >= 0 ? context->formSize[doc].width : block->Public.dmPaperWidth;
    state->docLength = doc >= 0 ? context->formSize[doc].length : block->Public.dmPaperLength;
    const int outIndex = block->OutputPaperSize != 0 ? block->OutputPaperSize : block->Public.dmPaperSize;
    const int out = FindForm(context, outIndex);
    std::u16string_view name;
    if (out >= 0) {
        state->outWidth = context->formSize[out].width;
        state->outLength = context->formSize[out].length;
        name = BoundedName(context->formName[out], kUiNameChars);
    } else if (block->OutputPaperSize != 0) {
        state->outWidth = block->OutputPaperWidth;
        state->outLength = block->OutputPaperLength;
        name = BoundedName(block->OutputPaperName, std::size(block->OutputPaperName));
    } else {
        state->outWidth = state->docWidth;
        state->outLength = state->docLength;
        name = BoundedName(block->Public.dmFormName, std::size(block->Public.dmFormName));
    }
    const size_t kept = std::min(name.size(), std::size(state->outName) - 1);
    name.copy(state->outName, kept);
    state->outName[kept] = 0;
}

void LookUpMargins(PositionDialogState* state) {
    const DriverDevMode* block = &state->context->scratchBlock;
    const ModelDescription* model = state->context->model;
    const bool landscape = block->Public.dmOrientation == DMORIENT_LANDSCAPE;
    const bool compatible = (block->OptionFlags & kOptionCompatibleMargin) != 0;
    const LONG width = landscape ? block->Public.dmPaperLength : block->Public.dmPaperWidth;
    const LONG length = landscape ? block->Public.dmPaperWidth : block->Public.dmPaperLength;
    const std::u16string_view form = BoundedName(block->Public.dmFormName, std::size(block->Public.dmFormName));
    bool found = false;
    if (model != nullptr) {
        const DWORD offset = landscape ? (compatible ? model->FormLandCompatibleOffset : model->FormLandOffset)
                                       : (compatible ? model->FormPortCompatibleOffset : model->FormPortOffset);
        const DWORD count = landscape ? (compatible ? model->FormLandCompatibleCount : model->FormLandCount)
                                      : (compatible ? model->FormPortCompatibleCount : model->FormPortCount);
        found = MarginsFromList(model, offset, count, form, width, length, state->docMargins);
    }
    if (!found) std::copy(std::begin(kUnlistedMargins), std::end(kUnlistedMargins), state->docMargins);
    const std::u16string_view output = BoundedName(block->OutputPaperName, std::size(block->OutputPaperName));
    if (model == nullptr || !MarginsFromList(model, model->FormPortOffset, model->FormPortCount, output,
                                             block->OutputPaperWidth, block->OutputPaperLength, state->outMargins)) {
        std::copy(std::begin(state->docMargins), std::end(state->docMargins), state->outMargins);
    }
}

void EmptyRectangles(PositionDialogState* state) {
    state->paper = RECT{};
    state->printable = RECT{};
    state->image = RECT{};
}

}  // namespace

bool IsPortraitOutput(const DriverDevMode* block) {
    if (block->OutputPaperName[0] != 0) return block->OutputPaperWidth < block->OutputPaperLength;
    return block->Public.dmPaperWidth < block->Public.dmPaperLength;
}

void ComputePictureGeometry(PositionDialogState* state, HWND dialog, bool lookUp) {
    if (lookUp) {
        LookUpSizes(state);
        LookUpMargins(state);
    }
    if (dialog == nullptr) return;
    RECT client{};
    HWND picture = GetDlgItem(dialog, kPositionPicture);
    if (picture == nullptr || !GetClientRect(picture, &client)) client = RECT{};
    state->paperPixels = static_cast<SHORT>(std::clamp<LONG>(client.bottom * 90 / 100, 0, 0x7FFF));
    state->centre = POINT{client.right / 2, client.bottom / 2};
    const LONG longer = std::max(state->outWidth, state->outLength);
    // No picture (kNupPositionDialogTemplate), a picture without height or a paper without size: nothing
    // to place.
    if (state->paperPixels <= 0 || longer <= 0) {
        EmptyRectangles(state);
        SetCornerHandles(state);
        return;
    }
    const double pixelsPerTenthMm = static_cast<double>(state->paperPixels) / longer;
    const double halfWidth = state->outWidth / 2.0;
    const double halfLength = state->outLength / 2.0;
    const auto x = [&](double v) { return state->centre.x + RoundAway((v - halfWidth) * pixelsPerTenthMm); };
    const auto y = [&](double v) { return state->centre.y + RoundAway((v - halfLength) * pixelsPerTenthMm); };
    const DriverDevMode* block = PositionBlock(state);
    const LONG* m = state->outMargins;
    state->paper = RECT{x(0), y(0), x(state->outWidth), y(state->outLength)};
    state->printable = RECT{x(m[kLeft]), y(m[kTop]), x(state->outWidth - m[kRight]), y(state->outLength - m[kBottom])};
    const double left = block->LeftMargin;
    const double top = block->TopMargin;
    state->image = RECT{x(left), y(top), x(left + ScaledWidth(state)), y(top + ScaledLength(state))};
    SetCornerHandles(state);
}

void SetCornerHandles(PositionDialogState* state) {
    const RECT& r = state->image;
    const POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.left, r.bottom}, {r.right, r.bottom}};
    for (int i = 0; i < 4; ++i) {
        state->corners[i] = RECT{corners[i].x - kHandleHalf, corners[i].y - kHandleHalf, corners[i].x + kHandleHalf,
                                 corners[i].y + kHandleHalf};
    }
}

void RememberHomeCorner(PositionDialogState* state, HWND dialog) {
    DriverDevMode* block = PositionBlock(state);
    const LONG top = block->TopMargin;
    const LONG left = block->LeftMargin;
    const bool fixed = (state->mode & kModeFixedNup) != 0;
    block->TopMargin = fixed ? kFixedNupTop : state->outMargins[kTop];
    block->LeftMargin = fixed ? kFixedNupLeft : state->outMargins[kLeft];
    ComputePictureGeometry(state, dialog, false);
    state->home = POINT{state->image.left, state->image.top};
    block->TopMargin = top;
    block->LeftMargin = left;
    ComputePictureGeometry(state, dialog, false);
}

WORD ScaleFromPicture(PositionDialogState* state) {
    DriverDevMode* block = PositionBlock(state);
    const bool portrait = IsPortraitOutput(block);
    const LONG* out = state->outMargins;
    const LONG* doc = state->docMargins;
    const double imagePixels = portrait ? state->image.bottom - state->image.top : state->image.right - state->image.left;
    const double areaPixels =
        portrait ? state->printable.bottom - state->printable.top : state->printable.right - state->printable.left;
    const double outPrintable =
        portrait ? state->outLength - out[kTop] - out[kBottom] : state->outWidth - out[kLeft] - out[kRight];
    const double docPrintable =
        portrait ? state->docLength - doc[kTop] - doc[kBottom] : state->docWidth - doc[kLeft] - doc[kRight];
    if (areaPixels <= 0 || docPrintable <= 0 || outPrintable <= 0) return block->LayoutScale;
    const double scale = 100.0 * imagePixels * outPrintable / (areaPixels * docPrintable) + 0.5;
    const auto kept = static_cast<WORD>(std::clamp<double>(scale, kScaleMin, kScaleMax));
    block->LayoutScale = kept;
    block->SavedLayoutScale = kept;
    return kept;
}

void WriteBackOffsets(PositionDialogState* state, bool top, bool left) {
    if (state->paperPixels <= 0) return;
    DriverDevMode* block = PositionBlock(state);
    const double factor = IsPortraitOutput(block) ? state->outLength : state->outWidth;
    const double pixels = state->paperPixels;
    if (top) {
        block->TopMargin =
            RoundAway((state->outLength - factor * (state->centre.y - state->image.top) * 2 / pixels) / 2);
    }
    if (left) {
        block->LeftMargin =
            RoundAway((state->outWidth - factor * (state->centre.x - state->image.left) * 2 / pixels) / 2);
    }
}

void DrawNupDivisions(PositionDialogState* state, HDC dc, COLORREF colour, int left, int top, int right, int bottom) {
    const DriverDevMode* block = PositionBlock(state);
    const bool rows = IsPortraitOutput(block) != (block->Public.dmOrientation == DMORIENT_PORTRAIT);
    int across = 1;  // columns
    int down = 1;    // rows
    switch (block->PagesPerSheet) {
    case 2: (rows ? down : across) = 2; break;
    case 4: across = down = 2; break;
    case 6:
        (rows ? down : across) = 3;
        (rows ? across : down) = 2;
        break;
    case 8:
        (rows ? down : across) = 4;
        (rows ? across : down) = 2;
        break;
    case 9: across = down = 3; break;
    case 16: across = down = 4; break;
    default: return;
    }
    GdiObject pen(CreatePen(PS_DOT, 1, colour));
    ScopedSelection selected(dc, pen.Get());
    for (int i = 1; i < across; ++i) {
        const int x = left + (right - left) * i / across;
        MoveToEx(dc, x, top, nullptr);
        LineTo(dc, x, bottom);
    }
    for (int i = 1; i < down; ++i) {
        const int y = top + (bottom - top) * i / down;
        MoveToEx(dc, left, y, nullptr);
        LineTo(dc, right, y);
    }
}

void ReleasePictureBackground(PositionDialogState* state) {
    PictureBackground& b = state->background;
    if (b.dc != nullptr) {
        if (b.oldBitmap != nullptr) SelectObject(b.dc, b.oldBitmap);
        DeleteDC(b.dc);
    }
    if (b.bitmap != nullptr) DeleteObject(b.bitmap);
    if (b.solidPen != nullptr) DeleteObject(b.solidPen);
    if (b.dotPen != nullptr) DeleteObject(b.dotPen);
    b = PictureBackground{};
}

namespace {

// White, the paper's outline and its printable area: what every frame is ANDed with.
bool BuildBackground(PositionDialogState* state, HDC windowDc, LONG width, LONG height) {
    ReleasePictureBackground(state);
    PictureBackground& b = state->background;
    b.dc = CreateCompatibleDC(windowDc);
    b.bitmap = CreateCompatibleBitmap(windowDc, width, height);
    b.solidPen = CreatePen(PS_SOLID, 1, kBlack);
    b.dotPen = CreatePen(PS_DOT, 1, kBlack);
    if (b.dc == nullptr || b.bitmap == nullptr || b.solidPen == nullptr || b.dotPen == nullptr) {
        ReleasePictureBackground(state);
        return false;
    }
    b.oldBitmap = SelectObject(b.dc, b.bitmap);
    b.width = width;
    b.height = height;
    const RECT all{0, 0, width, height};
    FillRect(b.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ScopedSelection brush(b.dc, GetStockObject(NULL_BRUSH));
    {
        ScopedSelection pen(b.dc, b.solidPen);
        Rectangle(b.dc, state->paper.left, state->paper.top, state->paper.right, state->paper.bottom);
    }
    ScopedSelection pen(b.dc, b.dotPen);
    Rectangle(b.dc, state->printable.left, state->printable.top, state->printable.right, state->printable.bottom);
    return true;
}

}  // namespace

void PaintPagePicture(PositionDialogState* state, HDC dc) {
    RECT client{};
    if (state->picture == nullptr || !GetClientRect(state->picture, &client)) return;
    const LONG width = client.right;
    const LONG height = client.bottom;
    if (width <= 0 || height <= 0) return;
    const PictureBackground& b = state->background;
    if ((b.dc == nullptr || b.width != width || b.height != height) && !BuildBackground(state, dc, width, height)) return;
    MemoryDc frame(CreateCompatibleDC(dc));
    GdiObject bitmap(CreateCompatibleBitmap(dc, width, height));
    GdiObject pen(CreatePen(PS_SOLID, 1, kTeal));
    GdiObject brush(CreateSolidBrush(kImageFill));
    if (!frame.Valid() || !bitmap.Valid() || !pen.Valid() || !brush.Valid()) return;
    ScopedSelection frameBitmap(frame.Get(), bitmap.Get());
    FillRect(frame.Get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    {
        ScopedSelection framePen(frame.Get(), pen.Get());
        ScopedSelection frameBrush(frame.Get(), brush.Get());
        const RECT& r = state->image;
        Rectangle(frame.Get(), r.left, r.top, r.right, r.bottom);
    }
    if (state->mode & kModeFixedNup) {
        const RECT& r = state->image;
        DrawNupDivisions(state, frame.Get(), kTeal, r.left, r.top, r.right, r.bottom);
    }
    BitBlt(frame.Get(), 0, 0, width, height, state->background.dc, 0, 0, SRCAND);
    BitBlt(dc, 0, 0, width, height, frame.Get(), 0, 0, SRCCOPY);
}
