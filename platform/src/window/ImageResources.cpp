// LoadImageW for IMAGE_BITMAP: the RT_BITMAP resource through the drawing side's
// LoadBitmapW (the one DIB decoder), then a stretched copy when another size is asked for.
#include "platform/src/window/ImageResources.h"

#include "platform/Kernel.h"
#include "platform/WinGdi.h"

namespace standin::ui {

HANDLE LoadBitmapImage(HINSTANCE instance, LPCWSTR name, int cx, int cy, UINT flags) {
    (void)flags;  // colour, sharing and DIB-section flags change nothing in the stand-in
    HBITMAP loaded = LoadBitmapW(instance, name);
    if (loaded == nullptr) return nullptr;
    BITMAP size{};
    if (GetObjectW(loaded, sizeof size, &size) == 0) {
        DeleteObject(loaded);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const int width = cx != 0 ? cx : size.bmWidth, height = cy != 0 ? cy : size.bmHeight;
    if (width == size.bmWidth && height == size.bmHeight) return loaded;
    if (width < 0 || height < 0) {
        DeleteObject(loaded);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    HBITMAP scaled = from != nullptr && to != nullptr ? CreateBitmap(width, height, 1, 24, nullptr) : nullptr;
    if (scaled != nullptr) {
        HGDIOBJ oldFrom = SelectObject(from, loaded);
        HGDIOBJ oldTo = SelectObject(to, scaled);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    const DWORD error = GetLastError();
    if (from != nullptr) DeleteDC(from);
    if (to != nullptr) DeleteDC(to);
    DeleteObject(loaded);
    if (scaled == nullptr) SetLastError(error);
    return scaled;
}

}  // namespace standin::ui
