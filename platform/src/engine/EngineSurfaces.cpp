// Engine surfaces and devices: the table behind HSURF and HDEV, locking, association with a
// device, banding marks and erasing.
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine {
namespace {

// Bytes an engine-allocated bitmap without BMF_NOZEROINIT would be zero: code that relies on
// zeroes sees this pattern instead.
constexpr BYTE kNoZeroInitFill = 0xCD;
// Larger bitmaps are refused rather than attempted: a 1200 dpi A3 page is about 36 MB.
constexpr unsigned long long kMaxBitmapBytes = 512ull << 20;

struct Surface {
    SURFOBJ so{};
    std::unique_ptr<BYTE[]> ownBits;  // NULL when the caller gave the bits or for a device surface
    FLONG hooks = 0;
    bool banding = false;
    unsigned locks = 0;
};

// A device and the driver hooks the engine calls back for it.
struct Device {
    DHPDEV dhpdev = nullptr;
    std::array<PFN, INDEX_LAST + 1> hooks{};
};

struct Tables {
    std::mutex lock;
    ULONG_PTR nextHandle = 0x10000;
    ULONG nextUniq = 1;
    std::unordered_map<ULONG_PTR, std::unique_ptr<Surface>> surfaces;
    std::unordered_map<const SURFOBJ*, Surface*> byObject;
    std::unordered_map<ULONG_PTR, Device> devices;
};

Tables& Global() {
    static Tables* tables = new Tables();  // never destroyed: a host may delete surfaces at exit
    return *tables;
}

ULONG_PTR Key(const void* handle) { return reinterpret_cast<ULONG_PTR>(handle); }

Surface* Find(Tables& t, HSURF hsurf) {
    auto it = t.surfaces.find(Key(hsurf));
    return it == t.surfaces.end() ? nullptr : it->second.get();
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

HSURF Insert(std::unique_ptr<Surface> surface) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    const ULONG_PTR key = t.nextHandle;
    t.nextHandle += 4;
    surface->so.hsurf = reinterpret_cast<HSURF>(key);
    surface->so.iUniq = t.nextUniq++;
    t.byObject[&surface->so] = surface.get();
    t.surfaces[key] = std::move(surface);
    return reinterpret_cast<HSURF>(key);
}

// The surface behind a SURFOBJ that the engine handed out, or nullptr.
Surface* FindObject(Tables& t, const SURFOBJ* pso) {
    auto it = t.byObject.find(pso);
    return it == t.byObject.end() ? nullptr : it->second;
}

}  // namespace

namespace detail {

bool DrawableView(const SURFOBJ* pso, Bitmap* view) {
    if (pso == nullptr) return false;
    {
        Tables& t = Global();
        std::lock_guard<std::mutex> hold(t.lock);
        if (FindObject(t, pso) == nullptr) return false;
    }
    if (pso->iType != STYPE_BITMAP || pso->pvScan0 == nullptr || pso->sizlBitmap.cx <= 0 ||
        pso->sizlBitmap.cy <= 0)
        return false;
    switch (pso->iBitmapFormat) {
        case BMF_1BPP:
        case BMF_8BPP:
        case BMF_24BPP:
        case BMF_32BPP: break;
        default: return false;
    }
    view->scan0 = static_cast<BYTE*>(pso->pvScan0);
    view->delta = pso->lDelta;
    view->cx = pso->sizlBitmap.cx;
    view->cy = pso->sizlBitmap.cy;
    view->format = pso->iBitmapFormat;
    return true;
}

PFN SurfaceHook(const SURFOBJ* pso, ULONG index) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    const Surface* s = FindObject(t, pso);
    if (s == nullptr || index > INDEX_LAST) return nullptr;
    auto device = t.devices.find(Key(s->so.hdev));
    return device == t.devices.end() ? nullptr : device->second.hooks[index];
}

bool IsEngineSurface(const SURFOBJ* pso) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    return FindObject(t, pso) != nullptr;
}

}  // namespace detail

HDEV MakeDevice(DHPDEV dhpdev) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    const ULONG_PTR key = t.nextHandle;
    t.nextHandle += 4;
    t.devices[key].dhpdev = dhpdev;
    return reinterpret_cast<HDEV>(key);
}

bool BindDevice(HDEV hdev, DHPDEV dhpdev) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.devices.find(Key(hdev));
    if (it == t.devices.end()) return false;
    it->second.dhpdev = dhpdev;
    return true;
}

bool SetDeviceHook(HDEV hdev, ULONG index, PFN hook) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.devices.find(Key(hdev));
    if (it == t.devices.end() || index > INDEX_LAST) return false;
    it->second.hooks[index] = hook;
    return true;
}

void ForgetDevice(HDEV hdev) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    t.devices.erase(Key(hdev));
}

FLONG SurfaceHooks(HSURF hsurf) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    const Surface* s = Find(t, hsurf);
    return s == nullptr ? 0 : s->hooks;
}

bool IsBandingSurface(HSURF hsurf) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    const Surface* s = Find(t, hsurf);
    return s != nullptr && s->banding;
}

HDEV SurfaceDevice(HSURF hsurf) {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    const Surface* s = Find(t, hsurf);
    return s == nullptr ? nullptr : s->so.hdev;
}

unsigned LiveSurfaceCount() {
    Tables& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    return static_cast<unsigned>(t.surfaces.size());
}

}  // namespace standin::engine

using standin::engine::Global;
using standin::engine::Surface;

HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat) {
    if (sizl.cx <= 0 || sizl.cy <= 0 || standin::engine::BitsPerPixel(iFormatCompat) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto surface = std::make_unique<Surface>();
        surface->so.dhsurf = dhsurf;
        surface->so.sizlBitmap = sizl;
        surface->so.iBitmapFormat = iFormatCompat;
        surface->so.iType = STYPE_DEVICE;
        return standin::engine::Insert(std::move(surface));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
    const ULONG bpp = standin::engine::BitsPerPixel(iFormat);
    if (sizl.cx <= 0 || sizl.cy <= 0 || bpp == 0 || lWidth < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The row must hold cx pixels; a given step may be tighter than DWORD alignment.
    const unsigned long long minRow = (static_cast<unsigned long long>(sizl.cx) * bpp + 7) / 8;
    const unsigned long long alignedRow = (static_cast<unsigned long long>(sizl.cx) * bpp + 31) / 32 * 4;
    const unsigned long long row = lWidth == 0 ? alignedRow : static_cast<unsigned long long>(lWidth);
    const unsigned long long total = row * static_cast<unsigned long long>(sizl.cy);
    if (row < minRow || total > standin::engine::kMaxBitmapBytes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto surface = std::make_unique<Surface>();
        BYTE* bits = static_cast<BYTE*>(pvBits);
        if (bits == nullptr) {
            surface->ownBits.reset(new BYTE[total]);
            bits = surface->ownBits.get();
            std::memset(bits, (fl & BMF_NOZEROINIT) != 0 ? standin::engine::kNoZeroInitFill : 0, total);
        }
        SURFOBJ& so = surface->so;
        so.sizlBitmap = sizl;
        so.cjBits = static_cast<ULONG>(total);
        so.pvBits = bits;
        if ((fl & BMF_TOPDOWN) != 0) {
            so.pvScan0 = bits;
            so.lDelta = static_cast<LONG>(row);
        } else {
            so.pvScan0 = bits + (total - row);
            so.lDelta = -static_cast<LONG>(row);
        }
        so.iBitmapFormat = iFormat;
        so.iType = STYPE_BITMAP;
        so.fjBitmap = static_cast<USHORT>(fl & (BMF_TOPDOWN | BMF_NOZEROINIT | BMF_DONTCACHE | BMF_USERMEM));
        return standin::engine::Insert(std::move(surface));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
    auto& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    Surface* s = standin::engine::Find(t, hsurf);
    auto device = t.devices.find(standin::engine::Key(hdev));
    if (s == nullptr || device == t.devices.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    s->so.hdev = hdev;
    s->so.dhpdev = device->second.dhpdev;
    s->hooks = flHooks;
    return TRUE;
}

BOOL EngMarkBandingSurface(HSURF hsurf) {
    auto& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    Surface* s = standin::engine::Find(t, hsurf);
    if (s == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    s->banding = true;
    return TRUE;
}

SURFOBJ* EngLockSurface(HSURF hsurf) {
    auto& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    Surface* s = standin::engine::Find(t, hsurf);
    if (s == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++s->locks;
    return &s->so;
}

void EngUnlockSurface(SURFOBJ* pso) {
    auto& t = Global();
    std::lock_guard<std::mutex> hold(t.lock);
    // A SURFOBJ of a surface already deleted is no longer in the table: nothing to do.
    Surface* s = standin::engine::FindObject(t, pso);
    if (s != nullptr && s->locks > 0) --s->locks;
}

BOOL EngDeleteSurface(HSURF hsurf) {
    std::unique_ptr<Surface> doomed;
    {
        auto& t = Global();
        std::lock_guard<std::mutex> hold(t.lock);
        auto it = t.surfaces.find(standin::engine::Key(hsurf));
        if (it == t.surfaces.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        doomed = std::move(it->second);
        t.byObject.erase(&doomed->so);
        t.surfaces.erase(it);
    }
    return TRUE;  // the bits go with `doomed`, outside the lock
}

BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor) {
    using namespace standin::engine::detail;
    Bitmap bmp;
    if (prcl == nullptr || !DrawableView(pso, &bmp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The caller's rectangle may reach past the surface (a page width rounded up): clip it.
    const RECTL area = Intersect(*prcl, RECTL{0, 0, bmp.cx, bmp.cy});
    if (IsEmpty(area)) return TRUE;
    const ULONG raw = RawFromColor(bmp.format, iColor);
    for (LONG y = area.top; y < area.bottom; ++y) FillSpan(bmp, y, area.left, area.right, 0xF0, raw);
    return TRUE;
}
