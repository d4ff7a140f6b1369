// The engine's transform objects (XFORMOBJ) and colour translation objects (XLATEOBJ): how a
// host makes them and what a driver reads from them.
#include <algorithm>
#include <cmath>
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

struct XformObject {
    XFORMOBJ xo{};  // what the driver sees; its address is the key
    XFORML matrix{};
};

struct XlateObject {
    XLATEOBJ xlo{};
    std::vector<ULONG> table;
};

struct Objects {
    std::mutex lock;
    ULONG nextUniq = 1;
    std::unordered_map<const XFORMOBJ*, std::unique_ptr<XformObject>> xforms;
    std::unordered_map<const XLATEOBJ*, std::unique_ptr<XlateObject>> xlates;
};

Objects& Global() {
    static Objects* objects = new Objects();  // never destroyed: holders may outlive statics
    return *objects;
}

void DeleteXform(const XFORMOBJ* pxo) {
    std::unique_ptr<XformObject> doomed;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.xforms.find(pxo);
    if (it == o.xforms.end()) return;
    doomed = std::move(it->second);
    o.xforms.erase(it);
}

void DeleteXlate(const XLATEOBJ* pxlo) {
    std::unique_ptr<XlateObject> doomed;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.xlates.find(pxlo);
    if (it == o.xlates.end()) return;
    doomed = std::move(it->second);
    o.xlates.erase(it);
}

bool FindMatrix(const XFORMOBJ* pxo, XFORML* matrix) {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.xforms.find(pxo);
    if (it == o.xforms.end()) return false;
    *matrix = it->second->matrix;
    return true;
}

// The class of a matrix. A diagonal matrix whose two factors have the same sign is a scale;
// one whose signs differ mirrors, and a zero factor flattens: both count as general.
ULONG ClassOf(const XFORML& m) {
    if (m.eM12 != 0.0f || m.eM21 != 0.0f) return GX_GENERAL;
    if (m.eM11 == 1.0f && m.eM22 == 1.0f) return m.eDx == 0.0f && m.eDy == 0.0f ? GX_IDENTITY : GX_OFFSET;
    const bool positive = m.eM11 > 0.0f && m.eM22 > 0.0f;
    const bool negative = m.eM11 < 0.0f && m.eM22 < 0.0f;
    return positive || negative ? GX_SCALE : GX_GENERAL;
}

// A transformed coordinate in `unit` steps per whole unit, rounded to the nearest step with
// halves away from zero; false when it is not a number or does not fit in 32 bits.
bool ToLong(double value, double unit, LONG* out) {
    const double scaled = std::round(value * unit);
    if (!std::isfinite(scaled) || scaled < -2147483648.0 || scaled > 2147483647.0) return false;
    *out = static_cast<LONG>(scaled);
    return true;
}

struct Affine {
    double m11, m12, m21, m22, dx, dy;
};

// The inverse of the matrix; false when it is singular or not finite.
bool Invert(const XFORML& m, Affine* inverse) {
    const double det = static_cast<double>(m.eM11) * m.eM22 - static_cast<double>(m.eM12) * m.eM21;
    if (det == 0.0 || !std::isfinite(det)) return false;
    const double i11 = m.eM22 / det, i12 = -m.eM12 / det, i21 = -m.eM21 / det, i22 = m.eM11 / det;
    *inverse = {i11, i12, i21, i22, -(m.eDx * i11 + m.eDy * i21), -(m.eDx * i12 + m.eDy * i22)};
    return std::isfinite(inverse->dx) && std::isfinite(inverse->dy);
}

}  // namespace

Xform::~Xform() { DeleteXform(xform_); }

Xform& Xform::operator=(Xform&& other) noexcept {
    if (this != &other) {
        DeleteXform(xform_);
        xform_ = other.xform_;
        other.xform_ = nullptr;
    }
    return *this;
}

Xform MakeXform(const XFORML& matrix) {
    auto xform = std::make_unique<XformObject>();
    xform->matrix = matrix;
    XFORMOBJ* result = &xform->xo;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    o.xforms[result] = std::move(xform);
    return Xform(result);
}

Xlate::~Xlate() { DeleteXlate(xlate_); }

Xlate& Xlate::operator=(Xlate&& other) noexcept {
    if (this != &other) {
        DeleteXlate(xlate_);
        xlate_ = other.xlate_;
        other.xlate_ = nullptr;
    }
    return *this;
}

Xlate MakeXlate(const std::vector<ULONG>& table) {
    auto xlate = std::make_unique<XlateObject>();
    xlate->table = table;
    XLATEOBJ& xlo = xlate->xlo;
    if (table.empty()) {
        xlo.flXlate = XO_TRIVIAL;
    } else {
        xlo.flXlate = XO_TABLE;
        xlo.iSrcType = PAL_INDEXED;
        xlo.iDstType = PAL_RGB;
        xlo.cEntries = static_cast<ULONG>(xlate->table.size());
        xlo.pulXlate = xlate->table.data();
    }
    XLATEOBJ* result = &xlate->xlo;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    xlo.iUniq = o.nextUniq++;
    o.xlates[result] = std::move(xlate);
    return Xlate(result);
}

namespace detail {

unsigned LiveXformObjectCount() {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    return static_cast<unsigned>(o.xforms.size() + o.xlates.size());
}

}  // namespace detail
}  // namespace standin::engine

ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform) {
    XFORML matrix{};
    if (!standin::engine::FindMatrix(pxo, &matrix)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0xFFFFFFFFu;
    }
    if (pxform != nullptr) *pxform = matrix;
    return standin::engine::ClassOf(matrix);
}

BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut) {
    using standin::engine::Affine;
    XFORML matrix{};
    if (!standin::engine::FindMatrix(pxo, &matrix) || (cPoints != 0 && (pvIn == nullptr || pvOut == nullptr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Affine a{matrix.eM11, matrix.eM12, matrix.eM21, matrix.eM22, matrix.eDx, matrix.eDy};
    // Points in (long or 28.4) and steps per unit of the result (1 or 16).
    double inUnit = 1, outUnit = 1;
    switch (iMode) {
        case XF_LTOL: break;
        case XF_LTOFX: outUnit = 16; break;
        case XF_INV_LTOL:
            if (!standin::engine::Invert(matrix, &a)) return FALSE;
            break;
        case XF_INV_FXTOL:
            if (!standin::engine::Invert(matrix, &a)) return FALSE;
            inUnit = 16;
            break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
    try {
        // The whole result first, so that a refused point leaves the output untouched and the
        // output may be the input.
        const auto* in = static_cast<const POINTL*>(pvIn);
        std::vector<POINTL> out(cPoints);
        for (ULONG i = 0; i < cPoints; ++i) {
            const double x = in[i].x / inUnit, y = in[i].y / inUnit;
            if (!standin::engine::ToLong(x * a.m11 + y * a.m21 + a.dx, outUnit, &out[i].x) ||
                !standin::engine::ToLong(x * a.m12 + y * a.m22 + a.dy, outUnit, &out[i].y)) {
                SetLastError(ERROR_INVALID_DATA);
                return FALSE;
            }
        }
        std::copy(out.begin(), out.end(), static_cast<POINTL*>(pvOut));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}
