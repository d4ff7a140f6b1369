// The line attribute commands: width (AF), caps and joins (B0), dash styles (AB, AC).
#include "render/draw/LineAttributes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/OutputStream.h"
#include "render/draw/PathOutput.h"

namespace {

constexpr BYTE kStyleSolid = 0x00;
constexpr BYTE kStyleAlternate = 0x01;
constexpr BYTE kStyleUser = 0x10;
constexpr int64_t kUnknownWidth = 0xFFFF;

/// The integer part of v held to [lo, hi]; NaN gives lo. Float-to-integer conversion of a
/// value outside the target type is undefined, so the range is checked in floating point.
int64_t ClampedInteger(double v, int64_t lo, int64_t hi) {
    if (std::isnan(v) || v <= static_cast<double>(lo)) return lo;
    if (v >= static_cast<double>(hi)) return hi;
    return static_cast<int64_t>(v);
}

WORD ClampToWord(int64_t v) { return static_cast<WORD>(std::clamp<int64_t>(v, 0, 0xFFFF)); }

/// Widest line the printer takes at the job's resolution (0: no limit).
LONG MaxWidthFor(SHORT dpi) {
    switch (dpi) {
    case 600:
    case 300:
        return 1200;
    case 1200:
        return 2400;
    case 400:
    case 200:
        return 800;
    case 240:
        return 480;
    default:
        return 0;
    }
}

/// Cap-and-join byte: join in the low nibble, end cap in the high one.
BYTE CapJoinByte(const LINEATTRS& a) {
    const BYTE join = a.iJoin == JOIN_ROUND ? 0 : a.iJoin == JOIN_BEVEL ? 1 : 2;
    const BYTE cap = a.iEndCap == ENDCAP_ROUND ? 0x00 : a.iEndCap == ENDCAP_SQUARE ? 0x10 : 0x20;
    return static_cast<BYTE>(join | cap);
}

void SetCapsAndJoins(PDEV* pdev, LINEATTRS* a) {
    const BYTE capJoin = CapJoinByte(*a);
    WORD miter = 0;
    if (a->iJoin == JOIN_MITER) {
        // NaN fails the comparison and is raised as well.
        if (!(a->eMiterLimit >= 1.0f)) a->eMiterLimit = 1.0f;
        const int64_t scaled = ClampedInteger(static_cast<double>(a->eMiterLimit) * 256.0, 0, 0xFFFF);
        miter = static_cast<WORD>(std::max<int64_t>(scaled >> 9, 1));
    }
    DrawingStateCache& c = pdev->Draw;
    if (c.CapJoin == capJoin && c.Miter == miter) return;
    const BYTE cmd[] = {0xB0, capJoin, static_cast<BYTE>(miter >> 8), static_cast<BYTE>(miter)};
    (void)WriteOutput(pdev, cmd, sizeof cmd);
    c.CapJoin = capJoin;
    c.Miter = miter;
}

/// How the stroke's transform scales widths and dashes.
struct LineScale {
    bool identity = true;
    double magnitude = 1.0;  // length of the transformed unit x vector
};

/// The transform into the device's line transform. A rotation or a mirror keeps a line's
/// width, so widths and dashes scale by the length of the first row, never by eM11 alone.
LineScale ReadTransform(PDEV* pdev, XFORMOBJ* transform) {
    LineScale scale;
    if (transform == nullptr) return scale;
    XFORML xf{};
    const ULONG kind = XFORMOBJ_iGetXform(transform, &xf);
    if (kind == GX_IDENTITY || kind == 0xFFFFFFFFu) return scale;
    FLOATL* t = pdev->LineTransform;
    t[0] = xf.eM11;
    t[1] = xf.eM12;
    t[2] = xf.eM21;
    t[3] = xf.eM22;
    t[4] = xf.eDx;
    t[5] = xf.eDy;
    scale.identity = false;
    const double m = std::hypot(static_cast<double>(xf.eM11), static_cast<double>(xf.eM12));
    scale.magnitude = std::isfinite(m) ? m : (std::isnan(m) ? 0.0 : 1e9);
    return scale;
}

WORD StrokeWidth(const PDEV* pdev, const LINEATTRS& a, const LineScale& scale) {
    if ((a.fl & LA_GEOMETRIC) == 0) return ClampToWord(a.elWidth.l);
    int64_t w = ClampedInteger(a.elWidth.e, 0, 0xFFFF);
    if (!scale.identity) {
        const int64_t factor = ClampedInteger(scale.magnitude * 100.0, 0, 1000000);
        w = std::max<int64_t>((w * factor + 50) / 100, 2);
    }
    const SHORT dpi = pdev->Settings.Public.dmPrintQuality;
    if (dpi == 200 || dpi == 300) w *= 2;
    return ClampToWord(w);
}

/// The dash lengths in the printer's units; a length of 0 becomes 1.
ULONG DashLengths(const PDEV* pdev, const LINEATTRS& a, const LineScale& scale, DWORD* dashes) {
    const ULONG n = std::min(a.cstyle, kMaxDashes);
    const bool geometric = (a.fl & LA_GEOMETRIC) != 0;
    const bool unscaled = (pdev->Settings.FeatureFlags & kFeatureUnscaledDashes) != 0;
    const int64_t patternScale = geometric ? 0 : GetResolutionValue(pdev);
    for (ULONG i = 0; i < n; ++i) {
        int64_t d;
        if (!geometric) {
            d = std::max<int64_t>(a.pstyle[i].l, 0) * patternScale;
        } else {
            const double factor = unscaled ? 1.0 : scale.magnitude;
            d = ClampedInteger(factor * static_cast<double>(a.pstyle[i].e), 0, 0xFFFFFFFF);
        }
        dashes[i] = d == 0 ? 1 : static_cast<DWORD>(std::min<int64_t>(d, 0xFFFFFFFF));
    }
    return n;
}

void SelectStyle(PDEV* pdev, BYTE style, BYTE p, BYTE q) {
    const BYTE cmd[] = {0xAC, style, p, q};
    (void)WriteOutput(pdev, cmd, sizeof cmd);
    pdev->Draw.LineStyle = style;
}

void SetUserStyle(PDEV* pdev, const LINEATTRS& a, const LineScale& scale) {
    DWORD dashes[kMaxDashes];
    const ULONG n = DashLengths(pdev, a, scale, dashes);
    DrawingStateCache& c = pdev->Draw;
    const bool defined = c.DashCount == n && std::equal(dashes, dashes + n, c.DashLengths);
    if (defined && c.LineStyle == kStyleUser) return;
    if (!defined) {
        const BYTE head[] = {0xAB, kStyleUser, static_cast<BYTE>(n), 0x00};
        (void)WriteOutput(pdev, head, sizeof head);
        uint64_t sum = 0;
        for (ULONG i = 0; i < n; ++i) {
            PutDwordBE(pdev, dashes[i]);
            c.DashLengths[i] = dashes[i];
            sum += dashes[i];
        }
        c.DashCount = static_cast<BYTE>(n);
        c.DashSum = static_cast<DWORD>(std::min<uint64_t>(sum, 0xFFFFFFFF));
    }
    // Where in the pattern the stroke starts.
    const BYTE phase = static_cast<BYTE>(ClampedInteger(static_cast<double>(a.elStyleState.e) + 0.5, 0, 0xFF));
    SelectStyle(pdev, kStyleUser, 0x00, phase);
}

}  // namespace

void SetLineWidth(PDEV* pdev, WORD width) {
    int64_t w = std::max<WORD>(width, 1);
    const LONG limit = MaxWidthFor(pdev->Settings.Public.dmPrintQuality);
    if (limit != 0) w = std::min<int64_t>(w, limit);
    const WORD s = pdev->Geometry.ScalePercent;
    if (s != 100) w = std::max<int64_t>(w * s / 100, 1);
    // 0xFFFF marks the width unknown in the cache: a real width stays below it.
    const WORD sent = static_cast<WORD>(std::min<int64_t>(w, kUnknownWidth - 1));
    if (pdev->Draw.LineWidth == sent) return;
    const BYTE cmd[] = {0xAF, 0x00, static_cast<BYTE>(sent >> 8), static_cast<BYTE>(sent)};
    (void)WriteOutput(pdev, cmd, sizeof cmd);
    pdev->Draw.LineWidth = sent;
}

BOOL SetLineAttributes(PDEV* pdev, LINEATTRS* attributes, XFORMOBJ* transform) {
    if (attributes == nullptr) return TRUE;
    LINEATTRS& a = *attributes;
    SetCapsAndJoins(pdev, &a);
    const LineScale scale = ReadTransform(pdev, transform);
    SetLineWidth(pdev, StrokeWidth(pdev, a, scale));

    // An alternate line ignores any style array it comes with.
    if (a.fl & LA_ALTERNATE) {
        if (pdev->Draw.LineStyle != kStyleAlternate) SelectStyle(pdev, kStyleAlternate, 0x06, 0x00);
        return TRUE;
    }
    if (a.pstyle == nullptr || a.cstyle == 0) {
        if (pdev->Draw.LineStyle != kStyleSolid) SelectStyle(pdev, kStyleSolid, 0x00, 0x00);
        return TRUE;
    }
    SetUserStyle(pdev, a, scale);
    return TRUE;
}
