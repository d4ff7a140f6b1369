// Engine palettes: the table behind HPALETTE and what a test can read back from it.
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"

namespace standin::engine {
namespace {

// An indexed palette larger than this is refused (a 16-bit index is the most any format uses).
constexpr ULONG kMaxIndexedColors = 65536;

struct Palettes {
    std::mutex lock;
    ULONG_PTR nextHandle = 0x20002;  // never a multiple of 4, so never a surface handle
    std::unordered_map<ULONG_PTR, PaletteContents> table;
};

Palettes& Global() {
    static Palettes* palettes = new Palettes();  // never destroyed: drivers may free late
    return *palettes;
}

}  // namespace

unsigned LivePaletteCount() {
    Palettes& p = Global();
    std::lock_guard<std::mutex> hold(p.lock);
    return static_cast<unsigned>(p.table.size());
}

bool GetPaletteContents(HPALETTE hpal, PaletteContents* contents) {
    Palettes& p = Global();
    std::lock_guard<std::mutex> hold(p.lock);
    auto it = p.table.find(reinterpret_cast<ULONG_PTR>(hpal));
    if (it == p.table.end() || contents == nullptr) return false;
    *contents = it->second;
    return true;
}

}  // namespace standin::engine

HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen, FLONG flBlue) {
    standin::engine::PaletteContents contents;
    contents.mode = iMode;
    switch (iMode) {
        case PAL_INDEXED:
            if (cColors == 0 || cColors > standin::engine::kMaxIndexedColors || pulColors == nullptr) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            break;
        case PAL_BITFIELDS:
            if (flRed == 0 || flGreen == 0 || flBlue == 0) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            contents.red = flRed;
            contents.green = flGreen;
            contents.blue = flBlue;
            break;
        case PAL_RGB:
        case PAL_BGR: break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
    try {
        if (iMode == PAL_INDEXED) contents.colors.assign(pulColors, pulColors + cColors);
        auto& p = standin::engine::Global();
        std::lock_guard<std::mutex> hold(p.lock);
        const ULONG_PTR key = p.nextHandle;
        p.nextHandle += 4;
        p.table[key] = std::move(contents);
        return reinterpret_cast<HPALETTE>(key);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL EngDeletePalette(HPALETTE hpal) {
    auto& p = standin::engine::Global();
    std::lock_guard<std::mutex> hold(p.lock);
    if (p.table.erase(reinterpret_cast<ULONG_PTR>(hpal)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
