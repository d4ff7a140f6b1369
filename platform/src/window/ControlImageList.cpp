// Image lists: rows of same-sized images with transparency, drawn through memory bitmaps,
// and the drag-imaging calls kept as a record.
#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/StandInControls.h"
#include "platform/StandInDraw.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/window/ControlSupport.h"

struct IMAGELIST_ {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    int grow = 4;
    struct Image {
        std::vector<BYTE> bgr;          // cx * cy * 3
        std::vector<bool> transparent;  // cx * cy
    };
    std::vector<Image> images;
    int overlays[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
};

namespace {

struct Lists {
    std::mutex lock;
    std::set<HIMAGELIST> live;
    standin::ui::DragRecord drag;
};
Lists& TheLists() {
    static Lists* lists = new Lists();  // image lists may be destroyed by modules at exit
    return *lists;
}

bool Known(HIMAGELIST list) {
    std::lock_guard<std::mutex> guard(TheLists().lock);
    if (TheLists().live.count(list) != 0) return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

// One image from a rectangle of pixels (x0 onwards), cut or padded to the list's size.
IMAGELIST_::Image Slice(const HIMAGELIST list, const standin::ui::Pixels& image, const standin::ui::Pixels* mask,
                        int x0, COLORREF maskColor, bool useMaskColor) {
    IMAGELIST_::Image out;
    out.bgr.assign(static_cast<size_t>(list->cx) * list->cy * 3, 0);
    out.transparent.assign(static_cast<size_t>(list->cx) * list->cy, false);
    for (int y = 0; y < list->cy; ++y) {
        for (int x = 0; x < list->cx; ++x) {
            const size_t at = static_cast<size_t>(y) * list->cx + x;
            const int sx = x0 + x;
            if (sx >= image.width || y >= image.height) {
                out.transparent[at] = true;
                continue;
            }
            const COLORREF c = image.At(sx, y);
            out.bgr[at * 3] = GetBValue(c);
            out.bgr[at * 3 + 1] = GetGValue(c);
            out.bgr[at * 3 + 2] = GetRValue(c);
            if (useMaskColor) out.transparent[at] = c == maskColor;
            if (mask != nullptr && sx < mask->width && y < mask->height) {
                out.transparent[at] = mask->At(sx, y) == RGB(255, 255, 255);
            }
        }
    }
    return out;
}

int Append(HIMAGELIST list, const HBITMAP image, HBITMAP mask, COLORREF maskColor, bool useMaskColor) {
    if (!Known(list)) return -1;
    const standin::ui::Pixels pixels = standin::ui::BitmapPixels(image);
    if (pixels.width <= 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    standin::ui::Pixels maskPixels;
    if (mask != nullptr && (list->flags & ILC_MASK)) maskPixels = standin::ui::BitmapPixels(mask);
    const bool hasMask = maskPixels.width > 0;
    const int first = static_cast<int>(list->images.size());
    const int count = std::max(1, pixels.width / std::max(1, list->cx));
    for (int i = 0; i < count; ++i) {
        list->images.push_back(Slice(list, pixels, hasMask ? &maskPixels : nullptr, i * list->cx, maskColor,
                                     useMaskColor && (list->flags & ILC_MASK)));
    }
    return first;
}

void BlendHighlight(std::vector<BYTE>& bgr) {
    const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
    for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
        bgr[i] = static_cast<BYTE>((bgr[i] + GetBValue(h)) / 2);
        bgr[i + 1] = static_cast<BYTE>((bgr[i + 1] + GetGValue(h)) / 2);
        bgr[i + 2] = static_cast<BYTE>((bgr[i + 2] + GetRValue(h)) / 2);
    }
}

// Draws one image: the mask clears the opaque pixels (SRCAND), the image fills them (SRCPAINT).
bool DrawImage(HIMAGELIST list, const IMAGELIST_::Image& image, HDC hdc, int x, int y, UINT style) {
    const int cx = list->cx, cy = list->cy;
    std::vector<BYTE> colour(static_cast<size_t>(cx) * cy * 4, 0);
    const int maskStride = ((cx + 15) / 16) * 2;
    std::vector<BYTE> maskBits(static_cast<size_t>(maskStride) * cy, 0);
    std::vector<BYTE> bgr = image.bgr;
    if (style & ILD_SELECTED) BlendHighlight(bgr);
    const bool useMask = (list->flags & ILC_MASK) && !(style & ILD_IMAGE);
    for (int row = 0; row < cy; ++row) {
        for (int col = 0; col < cx; ++col) {
            const size_t at = static_cast<size_t>(row) * cx + col;
            const bool clear = useMask && image.transparent[at];
            if (clear) {
                maskBits[static_cast<size_t>(row) * maskStride + col / 8] |= static_cast<BYTE>(0x80 >> (col % 8));
                continue;
            }
            for (int k = 0; k < 3; ++k) colour[at * 4 + k] = bgr[at * 3 + k];
        }
    }
    HDC memory = CreateCompatibleDC(hdc);
    if (memory == nullptr) return false;
    HBITMAP maskBitmap = CreateBitmap(cx, cy, 1, 1, maskBits.data());
    HBITMAP colourBitmap = CreateBitmap(cx, cy, 1, 32, colour.data());
    const COLORREF oldText = SetTextColor(hdc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(hdc, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(memory, maskBitmap);
    if (style & ILD_MASK) {
        BitBlt(hdc, x, y, cx, cy, memory, 0, 0, SRCCOPY);
    } else {
        if (useMask) BitBlt(hdc, x, y, cx, cy, memory, 0, 0, SRCAND);
        SelectObject(memory, colourBitmap);
        BitBlt(hdc, x, y, cx, cy, memory, 0, 0, useMask ? SRCPAINT : SRCCOPY);
    }
    SelectObject(memory, old);
    SetTextColor(hdc, oldText);
    SetBkColor(hdc, oldBack);
    DeleteObject(colourBitmap);
    DeleteObject(maskBitmap);
    DeleteDC(memory);
    return true;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (cx <= 0 || cy <= 0 || cx > 1024 || cy > 1024 || initial < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* list = new IMAGELIST_();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->grow = std::max(grow, 1);
    list->images.reserve(static_cast<size_t>(std::min(initial, 4096)));
    std::lock_guard<std::mutex> guard(TheLists().lock);
    TheLists().live.insert(list);
    return list;
}

BOOL ImageList_Destroy(HIMAGELIST list) {
    {
        std::lock_guard<std::mutex> guard(TheLists().lock);
        if (TheLists().live.erase(list) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (TheLists().drag.list == list) TheLists().drag = {};
    }
    delete list;
    return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) { return Append(list, image, mask, 0, false); }

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF maskColor) {
    return Append(list, image, nullptr, maskColor, true);
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
    if (!Known(list)) return -1;
    const standin::ui::IconPixels* pixels = standin::ui::IconImage(icon);
    if (pixels == nullptr || pixels->width <= 0 || pixels->height <= 0) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return -1;
    }
    if (index < -1 || index >= static_cast<int>(list->images.size())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    // Scaled to the list's size by picking the nearest pixel.
    IMAGELIST_::Image image;
    image.bgr.assign(static_cast<size_t>(list->cx) * list->cy * 3, 0);
    image.transparent.assign(static_cast<size_t>(list->cx) * list->cy, false);
    for (int y = 0; y < list->cy; ++y) {
        for (int x = 0; x < list->cx; ++x) {
            const size_t at = static_cast<size_t>(y) * list->cx + x;
            const size_t from = (static_cast<size_t>(y * pixels->height / list->cy) * pixels->width +
                                 static_cast<size_t>(x * pixels->width / list->cx)) * 4;
            for (int k = 0; k < 3; ++k) image.bgr[at * 3 + k] = pixels->bgra[from + k];
            image.transparent[at] = pixels->bgra[from + 3] == 0;
        }
    }
    if (index == -1) {
        list->images.push_back(std::move(image));
        return static_cast<int>(list->images.size()) - 1;
    }
    list->images[static_cast<size_t>(index)] = std::move(image);
    return index;
}

int ImageList_GetImageCount(HIMAGELIST list) { return Known(list) ? static_cast<int>(list->images.size()) : 0; }

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
    if (!Known(list) || cx == nullptr || cy == nullptr) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

BOOL ImageList_SetOverlayImage(HIMAGELIST list, int image, int overlay) {
    if (!Known(list) || overlay < 1 || overlay > 15 || image < 0 || image >= static_cast<int>(list->images.size())) {
        return FALSE;
    }
    list->overlays[overlay] = image;
    return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style) {
    if (!Known(list) || index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
    if (!DrawImage(list, list->images[static_cast<size_t>(index)], hdc, x, y, style)) return FALSE;
    const int overlay = static_cast<int>((style & ILD_OVERLAYMASK) >> 8);
    if (overlay > 0 && list->overlays[overlay] >= 0) {
        DrawImage(list, list->images[static_cast<size_t>(list->overlays[overlay])], hdc, x, y, style & ~ILD_SELECTED);
    }
    return TRUE;
}

BOOL ImageList_BeginDrag(HIMAGELIST track, int index, int dxHotspot, int dyHotspot) {
    if (!Known(track) || index < 0 || index >= static_cast<int>(track->images.size())) return FALSE;
    std::lock_guard<std::mutex> guard(TheLists().lock);
    TheLists().drag = {track, index, POINT{dxHotspot, dyHotspot}, nullptr, POINT{}, true, false};
    return TRUE;
}

BOOL ImageList_DragEnter(HWND lock, int x, int y) {
    std::lock_guard<std::mutex> guard(TheLists().lock);
    if (!TheLists().drag.dragging) return FALSE;
    TheLists().drag.lockedTo = lock;
    TheLists().drag.at = POINT{x, y};
    TheLists().drag.shown = true;
    return TRUE;
}

BOOL ImageList_DragMove(int x, int y) {
    std::lock_guard<std::mutex> guard(TheLists().lock);
    if (!TheLists().drag.dragging) return FALSE;
    TheLists().drag.at = POINT{x, y};
    return TRUE;
}

BOOL ImageList_DragLeave(HWND lock) {
    std::lock_guard<std::mutex> guard(TheLists().lock);
    if (!TheLists().drag.dragging || TheLists().drag.lockedTo != lock) return FALSE;
    TheLists().drag.shown = false;
    TheLists().drag.lockedTo = nullptr;
    return TRUE;
}

BOOL ImageList_DragShowNolock(BOOL show) {
    std::lock_guard<std::mutex> guard(TheLists().lock);
    if (!TheLists().drag.dragging) return FALSE;
    TheLists().drag.shown = show != FALSE;
    return TRUE;
}

void ImageList_EndDrag() {
    std::lock_guard<std::mutex> guard(TheLists().lock);
    TheLists().drag = {};
}

void InitCommonControls() {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (init == nullptr || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

namespace standin::ui {

DragRecord ImageDrag() {
    std::lock_guard<std::mutex> guard(TheLists().lock);
    return TheLists().drag;
}

}  // namespace standin::ui
