// Icons and cursors: the built-in IDI_* / IDC_* pictures and icons read from RT_GROUP_ICON /
// RT_ICON resources (the platform's DIB layout with its AND mask), kept as 32-bit pixels for
// the drawing side.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <span>

#include "platform/Kernel.h"
#include "platform/StandInDraw.h"
#include "platform/WinGdi.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/window/ImageResources.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui {
namespace {

struct IconRecord {
    IconPixels pixels;
    bool shared = false;
    bool cursor = false;
    bool hotspotSet = false;  // else the centre
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
};

struct IconTable {
    std::mutex lock;
    std::map<HICON, std::unique_ptr<IconRecord>> icons;
    std::map<ULONG_PTR, HICON> builtins;  // (kind << 16 | id) -> icon
    ULONG_PTR next = 0x30000;
};
IconTable& Icons() {
    static IconTable table;
    return table;
}

HICON Add(std::unique_ptr<IconRecord> record) {
    std::lock_guard<std::mutex> guard(Icons().lock);
    auto h = reinterpret_cast<HICON>(Icons().next);
    Icons().next += 4;
    Icons().icons.emplace(h, std::move(record));
    return h;
}

// A plain picture for a built-in: a filled disc in a colour per id, transparent corners.
std::unique_ptr<IconRecord> BuiltinPicture(WORD id, LONG size, bool cursor) {
    auto r = std::make_unique<IconRecord>();
    r->shared = true;
    r->cursor = cursor;
    r->pixels.width = r->pixels.height = size;
    r->pixels.bgra.assign(static_cast<size_t>(size) * size * 4, 0);
    const BYTE shade = static_cast<BYTE>(0x40 + (id % 8) * 0x18);
    for (LONG y = 0; y < size; ++y) {
        for (LONG x = 0; x < size; ++x) {
            const LONG dx = 2 * x + 1 - size, dy = 2 * y + 1 - size;
            if (dx * dx + dy * dy > size * size) continue;
            BYTE* p = &r->pixels.bgra[(static_cast<size_t>(y) * size + x) * 4];
            p[0] = shade;
            p[1] = static_cast<BYTE>(255 - shade);
            p[2] = static_cast<BYTE>(cursor ? 0 : 0xC0);
            p[3] = 0xFF;
        }
    }
    return r;
}

HICON Builtin(WORD id, bool cursor) {
    const ULONG_PTR key = (cursor ? 0x10000u : 0u) | id;
    {
        std::lock_guard<std::mutex> guard(Icons().lock);
        if (auto it = Icons().builtins.find(key); it != Icons().builtins.end()) return it->second;
    }
    HICON h = Add(BuiltinPicture(id, 32, cursor));
    std::lock_guard<std::mutex> guard(Icons().lock);
    Icons().builtins[key] = h;
    return h;
}

template <typename T>
bool ReadAt(std::span<const BYTE> bytes, size_t offset, T* out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
    std::memcpy(out, bytes.data() + offset, sizeof(T));
    return true;
}

// An RT_ICON image: BITMAPINFOHEADER with twice the height, palette, colour rows, AND-mask
// rows, both bottom-up with rows padded to 4 bytes. Nothing for a truncated or unsupported one.
std::unique_ptr<IconRecord> DecodeIconImage(std::span<const BYTE> bytes) {
    DWORD headerSize = 0;
    LONG width = 0, doubleHeight = 0;
    WORD bitCount = 0;
    DWORD compression = 0, colorsUsed = 0;
    if (!ReadAt(bytes, 0, &headerSize) || headerSize < 40 || !ReadAt(bytes, 4, &width) ||
        !ReadAt(bytes, 8, &doubleHeight) || !ReadAt(bytes, 14, &bitCount) || !ReadAt(bytes, 16, &compression) ||
        !ReadAt(bytes, 32, &colorsUsed)) {
        return nullptr;
    }
    const LONG height = doubleHeight / 2;
    if (compression != 0 || width <= 0 || height <= 0 || width > 256 || height > 256) return nullptr;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return nullptr;
    const size_t paletteCount = bitCount <= 8 ? (colorsUsed != 0 ? colorsUsed : (1u << bitCount)) : 0;
    const size_t paletteAt = headerSize;
    const size_t colorStride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    const size_t maskStride = (static_cast<size_t>(width) + 31) / 32 * 4;
    const size_t colorAt = paletteAt + paletteCount * 4;
    const size_t maskAt = colorAt + colorStride * static_cast<size_t>(height);
    if (paletteCount > 256 || maskAt + maskStride * static_cast<size_t>(height) > bytes.size()) return nullptr;
    auto r = std::make_unique<IconRecord>();
    r->pixels.width = width;
    r->pixels.height = height;
    r->pixels.bgra.assign(static_cast<size_t>(width) * height * 4, 0);
    for (LONG y = 0; y < height; ++y) {
        const BYTE* row = bytes.data() + colorAt + colorStride * static_cast<size_t>(height - 1 - y);
        const BYTE* mask = bytes.data() + maskAt + maskStride * static_cast<size_t>(height - 1 - y);
        for (LONG x = 0; x < width; ++x) {
            BYTE* out = &r->pixels.bgra[(static_cast<size_t>(y) * width + x) * 4];
            if (bitCount >= 24) {
                std::memcpy(out, row + static_cast<size_t>(x) * (bitCount / 8), 3);
            } else {
                const size_t bit = static_cast<size_t>(x) * bitCount;
                const unsigned index = (row[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                if (index < paletteCount) std::memcpy(out, bytes.data() + paletteAt + index * 4, 3);
            }
            const bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
            out[3] = transparent ? 0 : 0xFF;
        }
    }
    return r;
}

// The group's entry nearest the wanted size (largest when size is 0), then its image.
HICON LoadGroupIcon(HINSTANCE instance, LPCWSTR name, LONG wanted) {
    HRSRC group = FindResourceW(instance, name, RT_GROUP_ICON);
    if (group == nullptr) return nullptr;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, group)));
    const std::span<const BYTE> dir(data, SizeofResource(instance, group));
    WORD reserved = 1, type = 0, count = 0;
    if (!ReadAt(dir, 0, &reserved) || !ReadAt(dir, 2, &type) || !ReadAt(dir, 4, &count) || reserved != 0 ||
        type != 1 || count == 0 || dir.size() < 6 + 14u * count) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    WORD bestId = 0;
    LONG bestScore = INT32_MAX;
    for (WORD i = 0; i < count; ++i) {
        const size_t at = 6 + 14u * i;
        const LONG size = dir[at] == 0 ? 256 : dir[at];
        WORD id = 0;
        ReadAt(dir, at + 12, &id);
        const LONG score = wanted == 0 ? 256 - size : std::abs(size - wanted);
        if (score < bestScore) {
            bestScore = score;
            bestId = id;
        }
    }
    HRSRC image = FindResourceW(instance, MAKEINTRESOURCEW(bestId), RT_ICON);
    if (image == nullptr) return nullptr;
    const auto* bits = static_cast<const BYTE*>(LockResource(LoadResource(instance, image)));
    auto record = DecodeIconImage({bits, SizeofResource(instance, image)});
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return Add(std::move(record));
}

}  // namespace

const IconPixels* IconImage(HICON icon) {
    std::lock_guard<std::mutex> guard(Icons().lock);
    auto it = Icons().icons.find(icon);
    return it == Icons().icons.end() ? nullptr : &it->second->pixels;
}

}  // namespace standin::ui

using namespace standin::ui;

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (instance == nullptr && IS_INTRESOURCE(name)) return Builtin(LOWORD(reinterpret_cast<ULONG_PTR>(name)), false);
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    if (instance == nullptr && IS_INTRESOURCE(name)) return Builtin(LOWORD(reinterpret_cast<ULONG_PTR>(name)), true);
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    (void)cy;
    if (flags & LR_LOADFROMFILE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (type == IMAGE_CURSOR) return LoadCursorW(instance, name);
    if (type == IMAGE_BITMAP) return LoadBitmapImage(instance, name, cx, cy, flags);
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (instance == nullptr && IS_INTRESOURCE(name)) return Builtin(LOWORD(reinterpret_cast<ULONG_PTR>(name)), false);
    const LONG wanted = cx != 0 ? cx : (flags & LR_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : 0;
    HICON icon = LoadGroupIcon(instance, name, wanted);
    if (icon != nullptr && (flags & LR_SHARED)) {
        std::lock_guard<std::mutex> guard(Icons().lock);
        Icons().icons[icon]->shared = true;
    }
    return icon;
}

HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags) {
    (void)flags;
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    std::unique_ptr<IconRecord> copy;
    {
        std::lock_guard<std::mutex> guard(Icons().lock);
        auto it = Icons().icons.find(static_cast<HICON>(image));
        if (it == Icons().icons.end()) {
            SetLastError(ERROR_INVALID_ICON_HANDLE);
            return nullptr;
        }
        const IconPixels& from = it->second->pixels;
        copy = std::make_unique<IconRecord>();
        const LONG w = cx != 0 ? cx : from.width, h = cy != 0 ? cy : from.height;
        copy->pixels.width = w;
        copy->pixels.height = h;
        copy->pixels.bgra.resize(static_cast<size_t>(w) * h * 4);
        // Nearest-neighbour scaling.
        for (LONG y = 0; y < h; ++y) {
            for (LONG x = 0; x < w; ++x) {
                const size_t sx = static_cast<size_t>(x) * from.width / w, sy = static_cast<size_t>(y) * from.height / h;
                std::memcpy(&copy->pixels.bgra[(static_cast<size_t>(y) * w + x) * 4],
                            &from.bgra[(sy * from.width + sx) * 4], 4);
            }
        }
    }
    return Add(std::move(copy));
}

BOOL DestroyIcon(HICON icon) {
    std::lock_guard<std::mutex> guard(Icons().lock);
    auto it = Icons().icons.find(icon);
    if (it == Icons().icons.end()) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return FALSE;
    }
    if (!it->second->shared) Icons().icons.erase(it);
    return TRUE;
}

BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    IconPixels pixels;
    ICONINFO out{};
    {
        std::lock_guard<std::mutex> guard(Icons().lock);
        auto it = Icons().icons.find(icon);
        if (it == Icons().icons.end()) {
            SetLastError(ERROR_INVALID_ICON_HANDLE);
            return FALSE;
        }
        const IconRecord& record = *it->second;
        pixels = record.pixels;
        out.fIcon = record.cursor ? FALSE : TRUE;
        out.xHotspot = record.hotspotSet ? record.xHotspot : static_cast<DWORD>(pixels.width / 2);
        out.yHotspot = record.hotspotSet ? record.yHotspot : static_cast<DWORD>(pixels.height / 2);
    }
    const auto width = static_cast<size_t>(pixels.width), height = static_cast<size_t>(pixels.height);
    // CreateBitmap's rows are padded to 16 bits.
    const size_t colorStride = (width * 24 + 15) / 16 * 2, maskStride = (width + 15) / 16 * 2;
    std::vector<BYTE> color(colorStride * height, 0), mask(maskStride * height, 0);
    for (size_t y = 0; y < height; ++y) {
        for (size_t x = 0; x < width; ++x) {
            const BYTE* p = &pixels.bgra[(y * width + x) * 4];
            if (p[3] == 0) {
                mask[y * maskStride + x / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
                continue;
            }
            std::memcpy(&color[y * colorStride + x * 3], p, 3);
        }
    }
    out.hbmColor = CreateBitmap(pixels.width, pixels.height, 1, 24, color.data());
    out.hbmMask = CreateBitmap(pixels.width, pixels.height, 1, 1, mask.data());
    if (out.hbmColor == nullptr || out.hbmMask == nullptr) {
        if (out.hbmColor != nullptr) DeleteObject(out.hbmColor);
        if (out.hbmMask != nullptr) DeleteObject(out.hbmMask);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    *info = out;
    return TRUE;
}

HICON CreateIconIndirect(const ICONINFO* info) {
    if (info == nullptr || info->hbmMask == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (info->hbmColor == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    const Pixels color = BitmapPixels(info->hbmColor);
    const Pixels mask = BitmapPixels(info->hbmMask);
    if (color.width <= 0 || color.height <= 0 || mask.width <= 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto record = std::make_unique<IconRecord>();
    record->cursor = info->fIcon == FALSE;
    record->hotspotSet = true;
    record->xHotspot = info->xHotspot;
    record->yHotspot = info->yHotspot;
    record->pixels.width = color.width;
    record->pixels.height = color.height;
    record->pixels.bgra.assign(static_cast<size_t>(color.width) * color.height * 4, 0);
    for (int y = 0; y < color.height; ++y) {
        for (int x = 0; x < color.width; ++x) {
            BYTE* out = &record->pixels.bgra[(static_cast<size_t>(y) * color.width + x) * 4];
            const COLORREF c = color.At(x, y);
            out[0] = GetBValue(c);
            out[1] = GetGValue(c);
            out[2] = GetRValue(c);
            const bool transparent = x < mask.width && y < mask.height && mask.At(x, y) == RGB(255, 255, 255);
            out[3] = transparent ? 0 : 0xFF;
        }
    }
    return Add(std::move(record));
}
