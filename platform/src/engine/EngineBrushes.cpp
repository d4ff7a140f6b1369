// The engine's brush objects: solid, hatch and pattern brushes, the driver's realization of
// them through its DrvRealizeBrush hook, and the brush as a fill for the engine's own drawing.
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine {
namespace {

constexpr ULONG kNotSolid = 0xFFFFFFFFu;
constexpr ULONG kPatternHatch = 6;  // the iHatch of a pattern brush: past the HS_* values
constexpr LONG kHatchSize = 8;
// Realizations larger than this are refused: a brush of a whole page at 1200 dpi is less.
constexpr ULONG kMaxRealizationBytes = 64u << 20;

// Owns an engine bitmap and its lock.
class OwnedBitmap {
public:
    OwnedBitmap() = default;
    OwnedBitmap(SIZEL size, ULONG format) : handle_(EngCreateBitmap(size, 0, format, BMF_TOPDOWN, nullptr)) {
        if (handle_ != nullptr) so_ = EngLockSurface(handle_);
    }
    ~OwnedBitmap() {
        if (so_ != nullptr) EngUnlockSurface(so_);
        if (handle_ != nullptr) EngDeleteSurface(handle_);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    SURFOBJ* get() const { return so_; }

private:
    HSURF handle_ = nullptr;
    SURFOBJ* so_ = nullptr;
};

struct BrushObject {
    BRUSHOBJ bo{};  // what the driver sees; its address is the key
    const SURFOBJ* target = nullptr;  // the surface whose device realizes the brush
    std::unique_ptr<OwnedBitmap> pattern;  // none for a solid brush
    std::vector<ULONG> colors;        // the pattern's colour table
    ULONG iHatch = kPatternHatch;
    std::vector<std::unique_ptr<std::max_align_t[]>> blocks;  // BRUSHOBJ_pvAllocRbrush
};

struct Objects {
    std::mutex lock;
    std::unordered_map<const BRUSHOBJ*, std::unique_ptr<BrushObject>> brushes;
};

Objects& Global() {
    static Objects* objects = new Objects();  // never destroyed: holders may outlive statics
    return *objects;
}

BrushObject* FindBrush(Objects& o, const BRUSHOBJ* pbo) {
    auto it = o.brushes.find(pbo);
    return it == o.brushes.end() ? nullptr : it->second.get();
}

void DeleteBrush(const BRUSHOBJ* pbo) {
    std::unique_ptr<BrushObject> doomed;  // freed after the lock: it deletes an engine bitmap
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.brushes.find(pbo);
    if (it == o.brushes.end()) return;
    doomed = std::move(it->second);
    o.brushes.erase(it);
}

Brush Insert(std::unique_ptr<BrushObject> brush) {
    BRUSHOBJ* result = &brush->bo;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    o.brushes[result] = std::move(brush);
    return Brush(result);
}

ULONG BitsPerPixel(ULONG format) {
    switch (format) {
        case BMF_1BPP: return 1;
        case BMF_4BPP: return 4;
        case BMF_8BPP: return 8;
        case BMF_16BPP: return 16;
        case BMF_24BPP: return 24;
        case BMF_32BPP: return 32;
        default: return 0;
    }
}

// Whether hatch `hatch` inks pixel (x, y) of its 8 x 8 cell: the horizontal line on row 3, the
// vertical one on column 3, the forward diagonal running down to the right, the backward one
// up to the right.
bool HatchInk(ULONG hatch, LONG x, LONG y) {
    const bool horizontal = y == 3, vertical = x == 3;
    const bool forward = x == y, backward = x + y == kHatchSize - 1;
    switch (hatch) {
        case HS_HORIZONTAL: return horizontal;
        case HS_VERTICAL: return vertical;
        case HS_FDIAGONAL: return forward;
        case HS_BDIAGONAL: return backward;
        case HS_CROSS: return horizontal || vertical;
        default: return forward || backward;  // HS_DIAGCROSS
    }
}

}  // namespace

Brush::~Brush() { DeleteBrush(brush_); }

Brush& Brush::operator=(Brush&& other) noexcept {
    if (this != &other) {
        DeleteBrush(brush_);
        brush_ = other.brush_;
        other.brush_ = nullptr;
    }
    return *this;
}

Brush MakeSolidBrush(ULONG color) {
    auto brush = std::make_unique<BrushObject>();
    brush->bo.iSolidColor = color;
    return Insert(std::move(brush));
}

Brush MakeHatchBrush(SURFOBJ* target, ULONG hatch, ULONG foreground, ULONG background) {
    if (hatch > HS_DIAGCROSS) return Brush();
    auto brush = std::make_unique<BrushObject>();
    brush->bo.iSolidColor = kNotSolid;
    brush->target = target;
    brush->iHatch = hatch;
    brush->colors = {background, foreground};
    brush->pattern = std::make_unique<OwnedBitmap>(SIZEL{kHatchSize, kHatchSize}, BMF_1BPP);
    SURFOBJ* so = brush->pattern->get();
    if (so == nullptr) return Brush();
    // Entry 1 (the foreground) where the hatch has ink, entry 0 elsewhere.
    for (LONG y = 0; y < kHatchSize; ++y) {
        BYTE row = 0;
        for (LONG x = 0; x < kHatchSize; ++x)
            if (HatchInk(hatch, x, y)) row = static_cast<BYTE>(row | (0x80u >> x));
        static_cast<BYTE*>(so->pvScan0)[y * so->lDelta] = row;
    }
    return Insert(std::move(brush));
}

Brush MakePatternBrush(SURFOBJ* target, SURFOBJ* pattern, const std::vector<ULONG>& colors) {
    if (!detail::IsEngineSurface(pattern) || pattern->iType != STYPE_BITMAP || pattern->pvScan0 == nullptr)
        return Brush();
    const ULONG bpp = BitsPerPixel(pattern->iBitmapFormat);
    if (bpp == 0) return Brush();
    auto brush = std::make_unique<BrushObject>();
    brush->bo.iSolidColor = kNotSolid;
    brush->target = target;
    brush->colors = colors;
    brush->pattern = std::make_unique<OwnedBitmap>(pattern->sizlBitmap, pattern->iBitmapFormat);
    SURFOBJ* copy = brush->pattern->get();
    if (copy == nullptr) return Brush();
    const size_t rowBytes = (static_cast<size_t>(pattern->sizlBitmap.cx) * bpp + 7) / 8;
    for (LONG y = 0; y < pattern->sizlBitmap.cy; ++y)
        std::memcpy(static_cast<BYTE*>(copy->pvScan0) + static_cast<ptrdiff_t>(y) * copy->lDelta,
                    static_cast<const BYTE*>(pattern->pvScan0) + static_cast<ptrdiff_t>(y) * pattern->lDelta,
                    rowBytes);
    return Insert(std::move(brush));
}

namespace detail {

unsigned LiveBrushObjectCount() {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    return static_cast<unsigned>(o.brushes.size());
}

bool BrushFill(const BRUSHOBJ* pbo, ULONG format, const POINTL* origin, Fill* fill) {
    if (pbo == nullptr) return false;
    *fill = Fill{};
    if (pbo->iSolidColor != kNotSolid) {
        fill->color = RawFromColor(format, pbo->iSolidColor);
        return true;
    }
    std::vector<ULONG> colors;
    Bitmap tile;
    {
        Objects& o = Global();
        std::lock_guard<std::mutex> hold(o.lock);
        const BrushObject* brush = FindBrush(o, pbo);
        if (brush == nullptr || brush->pattern == nullptr || !DrawableView(brush->pattern->get(), &tile))
            return false;
        colors = brush->colors;
    }
    // Each pattern pixel through the colour table when the table covers it, else as the
    // colour the pixel's own format gives it.
    const bool indexed = tile.format == BMF_1BPP || tile.format == BMF_8BPP;
    fill->solid = false;
    fill->cx = tile.cx;
    fill->cy = tile.cy;
    fill->origin = origin != nullptr ? *origin : POINTL{0, 0};
    fill->tile.reserve(static_cast<size_t>(tile.cx) * static_cast<size_t>(tile.cy));
    for (LONG y = 0; y < tile.cy; ++y)
        for (LONG x = 0; x < tile.cx; ++x) {
            const ULONG raw = ReadPixel(tile, x, y);
            const ULONG rgb = indexed && raw < colors.size() ? colors[raw] : RgbFromRaw(tile.format, raw);
            fill->tile.push_back(RawFromRgb(format, rgb));
        }
    return true;
}

}  // namespace detail
}  // namespace standin::engine

PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj) {
    if (cj == 0 || cj > standin::engine::kMaxRealizationBytes) return nullptr;
    try {
        auto& o = standin::engine::Global();
        std::lock_guard<std::mutex> hold(o.lock);
        auto* brush = standin::engine::FindBrush(o, pbo);
        if (brush == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        const size_t units = (cj + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
        brush->blocks.push_back(std::make_unique<std::max_align_t[]>(units));  // zero-filled
        return brush->blocks.back().get();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo) {
    using standin::engine::Global;
    const SURFOBJ* target = nullptr;
    SURFOBJ* pattern = nullptr;
    std::vector<ULONG> colors;
    ULONG hatch = 0;
    size_t blocksBefore = 0;
    try {
        {
            auto& o = Global();
            std::lock_guard<std::mutex> hold(o.lock);
            const auto* brush = standin::engine::FindBrush(o, pbo);
            if (brush == nullptr || pbo->iSolidColor != standin::engine::kNotSolid) return nullptr;
            if (pbo->pvRbrush != nullptr) return pbo->pvRbrush;  // realized already
            target = brush->target;
            pattern = brush->pattern == nullptr ? nullptr : brush->pattern->get();
            colors = brush->colors;
            hatch = brush->iHatch;
            blocksBefore = brush->blocks.size();
        }
        // The hook runs without the lock: it allocates the realization from this brush.
        using standin::engine::detail::HookAs;
        auto realize =
            HookAs<PFN_DrvRealizeBrush>(standin::engine::detail::SurfaceHook(target, INDEX_DrvRealizeBrush));
        if (realize == nullptr || pattern == nullptr) return nullptr;
        standin::engine::Xlate xlate = standin::engine::MakeXlate(colors);
        const BOOL realized = realize(pbo, const_cast<SURFOBJ*>(target), pattern, nullptr, xlate.get(), hatch);
        auto& o = Global();
        std::lock_guard<std::mutex> hold(o.lock);
        auto* brush = standin::engine::FindBrush(o, pbo);
        if (!realized || brush == nullptr || brush->blocks.size() == blocksBefore) return nullptr;
        pbo->pvRbrush = brush->blocks.back().get();
        return pbo->pvRbrush;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}
