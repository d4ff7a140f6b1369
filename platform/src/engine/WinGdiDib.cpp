// Device-independent bitmaps: CreateDIBitmap from a packed DIB and LoadBitmapW from RT_BITMAP
// resources. Every read of the header, colour table and bits stays inside what the caller
// or the resource gave.
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/src/engine/WinGdiState.h"

namespace standin::gdi {

namespace {

// Decodes BI_RGB bits of 1, 4, 8, 24 or 32 bits per pixel into the surface; cbBits bounds
// the rows read (SIZE_MAX when the caller gave no size).
bool DecodeDib(const BITMAPINFOHEADER& h, const RGBQUAD* colors, size_t colorCount, const uint8_t* bits,
               size_t cbBits, Surface& out) {
    const int bpp = h.biBitCount;
    if (h.biCompression != BI_RGB || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)) return false;
    const int width = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
    const size_t stride = ((static_cast<size_t>(width) * static_cast<size_t>(bpp) + 31) / 32) * 4;
    if (stride * static_cast<size_t>(height) > cbBits) return false;
    for (int row = 0; row < height; ++row) {
        const uint8_t* line = bits + stride * static_cast<size_t>(row);
        const int y = h.biHeight < 0 ? row : height - 1 - row;  // positive height: bottom row first
        for (int x = 0; x < width; ++x) {
            COLORREF c;
            if (bpp <= 8) {
                const size_t bit = static_cast<size_t>(x) * static_cast<size_t>(bpp);
                const unsigned index = (line[bit / 8] >> (8 - bpp - static_cast<int>(bit % 8))) & ((1u << bpp) - 1);
                if (index >= colorCount) {
                    c = RGB(0, 0, 0);
                } else {
                    c = RGB(colors[index].rgbRed, colors[index].rgbGreen, colors[index].rgbBlue);
                }
            } else {
                const uint8_t* px = line + static_cast<size_t>(x) * static_cast<size_t>(bpp / 8);
                c = RGB(px[2], px[1], px[0]);
            }
            out.Set(x, y, c);
        }
    }
    return true;
}

size_t ColorCount(const BITMAPINFOHEADER& h) {
    if (h.biClrUsed) return h.biClrUsed;
    return h.biBitCount <= 8 ? (size_t{1} << h.biBitCount) : 0;
}

HBITMAP MakeFromDib(const BITMAPINFOHEADER& h, const RGBQUAD* colors, size_t colorCount, const uint8_t* bits,
                    size_t cbBits) {
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    HBITMAP bitmap = CreateBitmap(h.biWidth, height, 1, 24, nullptr);
    if (!bitmap) return nullptr;
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    if (bits && !DecodeDib(h, colors, colorCount, bits, cbBits, *FindObject(s, bitmap)->bitmap)) {
        DeleteObject(bitmap);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return bitmap;
}

}  // namespace

}  // namespace standin::gdi

using namespace standin::gdi;

PLATFORM_API HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD flags, const void* bits,
                                    const BITMAPINFO* info, UINT usage) {
    if (!header || header->biSize < sizeof(BITMAPINFOHEADER) || header->biWidth <= 0 || header->biHeight == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (hdc && !FindDc(Gdi(), hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!(flags & CBM_INIT)) {
        const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
        return CreateBitmap(header->biWidth, height, 1, 24, nullptr);
    }
    if (!bits || !info || usage != DIB_RGB_COLORS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const auto* colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + info->bmiHeader.biSize);
    // The caller vouches for the sizes here, as the platform's callers do.
    return MakeFromDib(info->bmiHeader, colors, ColorCount(info->bmiHeader), static_cast<const uint8_t*>(bits),
                       SIZE_MAX);
}

PLATFORM_API HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    HRSRC found = FindResourceW(instance, name, RT_BITMAP);
    if (!found) return nullptr;
    const DWORD size = SizeofResource(instance, found);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
    BITMAPINFOHEADER h{};
    if (!data || size < sizeof h) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::memcpy(&h, data, sizeof h);
    const size_t colors = ColorCount(h);
    if (h.biSize < sizeof h || h.biSize > size || colors > 256 || h.biSize + colors * 4 > size) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    // Copied out so that the colour table is aligned whatever the resource's layout.
    std::vector<RGBQUAD> table(colors);
    if (colors) std::memcpy(table.data(), data + h.biSize, colors * 4);
    const size_t offset = h.biSize + colors * 4;
    return MakeFromDib(h, table.data(), colors, data + offset, size - offset);
}
