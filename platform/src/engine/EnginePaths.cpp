// The engine's path drawing: scan-line polygon fill (alternate and winding), one-pixel
// cosmetic lines, and geometric wide lines built from filled polygons.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine::detail {
namespace {

struct Crossing {
    double x;
    int direction;
};

struct Edge {
    double x0, y0, x1, y1;
    int direction;  // +1 downwards, -1 upwards
};

// Fills x0..x1-1 of row y within every region rectangle that holds the row.
void FillClippedSpan(const Bitmap& bmp, const std::vector<RECTL>& region, LONG y, LONG x0, LONG x1, BYTE rop3,
                     const Fill& pattern) {
    for (const RECTL& r : region) {
        if (y < r.top || y >= r.bottom) continue;
        FillSpan(bmp, y, std::max(x0, r.left), std::min(x1, r.right), rop3, pattern);
    }
}

}  // namespace

void FillPolygons(const Bitmap& bmp, const std::vector<std::vector<PointF>>& polygons, bool winding,
                  const std::vector<RECTL>& region, BYTE rop3, const Fill& pattern) {
    // Pixel centres sit on integer coordinates: a pixel is filled when its centre is inside,
    // with the top and left edges counting as inside, so a rectangle from (0, 0) to (10, 5)
    // covers exactly 10 x 5 pixels.
    std::vector<Edge> edges;
    double top = 0, bottom = 0;
    bool any = false;
    for (const auto& polygon : polygons) {
        for (size_t i = 0; i < polygon.size(); ++i) {
            const PointF& a = polygon[i];
            const PointF& b = polygon[(i + 1) % polygon.size()];
            if (a.y == b.y) continue;
            edges.push_back(a.y < b.y ? Edge{a.x, a.y, b.x, b.y, 1} : Edge{b.x, b.y, a.x, a.y, -1});
            top = any ? std::min(top, std::min(a.y, b.y)) : std::min(a.y, b.y);
            bottom = any ? std::max(bottom, std::max(a.y, b.y)) : std::max(a.y, b.y);
            any = true;
        }
    }
    if (!any || region.empty()) return;
    LONG regionTop = region.front().top, regionBottom = region.front().bottom;
    for (const RECTL& r : region) {
        regionTop = std::min(regionTop, r.top);
        regionBottom = std::max(regionBottom, r.bottom);
    }
    const double first = std::max<double>(std::ceil(top), regionTop);
    const double last = std::min<double>(std::ceil(bottom) - 1, regionBottom - 1);
    std::vector<Crossing> crossings;
    for (double yd = first; yd <= last; yd += 1) {
        const LONG y = static_cast<LONG>(yd);
        crossings.clear();
        for (const Edge& e : edges) {
            if (yd < e.y0 || yd >= e.y1) continue;
            crossings.push_back({e.x0 + (yd - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.direction});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int count = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            count += winding ? crossings[i].direction : 1;
            const bool inside = winding ? count != 0 : (count & 1) != 0;
            if (!inside) continue;
            // Centres x with crossing[i] <= x < crossing[i + 1].
            const double from = std::ceil(crossings[i].x), to = std::ceil(crossings[i + 1].x);
            const double left = std::max<double>(from, 0), right = std::min<double>(to, bmp.cx);
            if (left < right)
                FillClippedSpan(bmp, region, y, static_cast<LONG>(left), static_cast<LONG>(right), rop3, pattern);
        }
    }
}

}  // namespace standin::engine::detail

namespace {

using namespace standin::engine::detail;

constexpr double kPi = 3.14159265358979323846;

PointF ToPixels(const POINTFIX& p) { return PointF{p.x / 16.0, p.y / 16.0}; }

// Rounds a 28.4 value to the nearest pixel (halves upwards).
LONG RoundFix(FIX v) { return static_cast<LONG>(std::floor((static_cast<double>(v) + 8) / 16.0)); }

// What every path service checks first.
struct PathJob {
    Bitmap bmp;
    std::vector<Figure> figures;
    std::vector<RECTL> region;
};

bool StartPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, PathJob* job) {
    if (!DrawableView(pso, &job->bmp) || !EnginePathFigures(ppo, &job->figures)) return false;
    return ClipRegion(pco, RECTL{0, 0, job->bmp.cx, job->bmp.cy}, &job->region);
}

bool InRegion(const std::vector<RECTL>& region, LONG x, LONG y) {
    for (const RECTL& r : region)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

void Plot(const PathJob& job, LONG x, LONG y, BYTE rop3, const Fill& pattern) {
    if (!InRegion(job.region, x, y)) return;
    WritePixel(job.bmp, x, y,
               ApplyRop3(rop3, pattern.At(x, y), 0, ReadPixel(job.bmp, x, y)) & FormatMask(job.bmp.format));
}

// Bresenham from a to b; the last pixel is left out, so that joined lines draw their shared
// point once.
void CosmeticLine(const PathJob& job, LONG x0, LONG y0, LONG x1, LONG y1, BYTE rop3, const Fill& pattern) {
    const long long dx = std::llabs(static_cast<long long>(x1) - x0);
    const long long dy = -std::llabs(static_cast<long long>(y1) - y0);
    const LONG sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    LONG x = x0, y = y0;
    while (x != x1 || y != y1) {
        Plot(job, x, y, rop3, pattern);
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

double SignedArea(const std::vector<PointF>& polygon) {
    double area = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const PointF& a = polygon[i];
        const PointF& b = polygon[(i + 1) % polygon.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

// Pieces of a wide line all run the same way round, so that the winding fill unites them
// instead of cancelling overlaps.
void AddPiece(std::vector<std::vector<PointF>>* pieces, std::vector<PointF> polygon) {
    if (SignedArea(polygon) < 0) std::reverse(polygon.begin(), polygon.end());
    pieces->push_back(std::move(polygon));
}

void AddDisc(std::vector<std::vector<PointF>>* pieces, PointF centre, double radius) {
    const int sides = std::clamp(static_cast<int>(radius * 4), 8, 64);
    std::vector<PointF> disc;
    for (int i = 0; i < sides; ++i) {
        const double a = 2 * kPi * i / sides;
        disc.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
    AddPiece(pieces, std::move(disc));
}

struct Direction {
    double x, y;
};

// The join at vertex v between a segment running d1 and the next running d2.
void AddJoin(std::vector<std::vector<PointF>>* pieces, PointF v, Direction d1, Direction d2, double half,
             const LINEATTRS& la) {
    if (la.iJoin == JOIN_ROUND) {
        AddDisc(pieces, v, half);
        return;
    }
    const double cross = d1.x * d2.y - d1.y * d2.x;
    if (std::fabs(cross) < 1e-12) return;  // straight on: the pieces already meet
    // The outer side of the turn is away from where the line turns.
    const double s = cross > 0 ? -1 : 1;
    const PointF c1{v.x - s * d1.y * half, v.y + s * d1.x * half};
    const PointF c2{v.x - s * d2.y * half, v.y + s * d2.x * half};
    if (la.iJoin == JOIN_MITER) {
        // Where the outer edges meet: c1 + t * d1 = c2 - u * d2.
        const double t = ((c2.x - c1.x) * d2.y - (c2.y - c1.y) * d2.x) / cross;
        const PointF m{c1.x + t * d1.x, c1.y + t * d1.y};
        const double ratio = std::hypot(m.x - v.x, m.y - v.y) / half;
        const double limit = la.eMiterLimit < 1 ? 10.0 : la.eMiterLimit;
        if (ratio <= limit) {
            AddPiece(pieces, {v, c1, m, c2});
            return;
        }
    }
    AddPiece(pieces, {v, c1, c2});
}

// The outline of a geometric line as filled pieces: a quadrilateral per segment, the joins,
// and the caps at the ends of an open figure.
std::vector<std::vector<PointF>> WideOutline(const Figure& figure, double width, const LINEATTRS& la) {
    std::vector<PointF> pts;
    for (const POINTFIX& p : figure.points) {
        const PointF q = ToPixels(p);
        if (pts.empty() || pts.back().x != q.x || pts.back().y != q.y) pts.push_back(q);
    }
    std::vector<std::vector<PointF>> pieces;
    const double half = width / 2;
    if (pts.size() < 2) {
        if (pts.size() == 1 && !figure.closed && la.iEndCap == ENDCAP_ROUND) AddDisc(&pieces, pts[0], half);
        return pieces;
    }
    const bool closed = figure.closed && pts.size() > 2;
    if (closed) pts.push_back(pts.front());
    const size_t segments = pts.size() - 1;
    std::vector<Direction> dirs;
    for (size_t i = 0; i < segments; ++i) {
        const double len = std::hypot(pts[i + 1].x - pts[i].x, pts[i + 1].y - pts[i].y);
        dirs.push_back({(pts[i + 1].x - pts[i].x) / len, (pts[i + 1].y - pts[i].y) / len});
    }
    for (size_t i = 0; i < segments; ++i) {
        PointF a = pts[i], b = pts[i + 1];
        const Direction d = dirs[i];
        if (!closed && la.iEndCap == ENDCAP_SQUARE) {
            if (i == 0) a = {a.x - d.x * half, a.y - d.y * half};
            if (i + 1 == segments) b = {b.x + d.x * half, b.y + d.y * half};
        }
        const Direction n{-d.y, d.x};
        AddPiece(&pieces, {{a.x + n.x * half, a.y + n.y * half},
                           {b.x + n.x * half, b.y + n.y * half},
                           {b.x - n.x * half, b.y - n.y * half},
                           {a.x - n.x * half, a.y - n.y * half}});
    }
    for (size_t i = 0; i + 1 < segments; ++i) AddJoin(&pieces, pts[i + 1], dirs[i], dirs[i + 1], half, la);
    if (closed) {
        AddJoin(&pieces, pts.front(), dirs.back(), dirs.front(), half, la);
    } else if (la.iEndCap == ENDCAP_ROUND) {
        AddDisc(&pieces, pts.front(), half);
        AddDisc(&pieces, pts.back(), half);
    }
    return pieces;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The dashes of a styled geometric line: the figure cut into open pieces along its length,
// the style lengths (in pixels) taken in turn, dash first, from the style state's offset.
// Each dash gets the line's caps. A style that draws nothing or has no length leaves the
// figure whole.
std::vector<Figure> Dashes(const Figure& figure, const LINEATTRS& la) {
    double period = 0;
    for (ULONG i = 0; i < la.cstyle; ++i) period += std::max(0.0, static_cast<double>(la.pstyle[i].e));
    if (!(period > 0) || !std::isfinite(period)) return {figure};
    std::vector<POINTFIX> pts = figure.points;
    if (figure.closed && pts.size() > 2) pts.push_back(pts.front());
    std::vector<Figure> dashes;
    size_t index = 0;
    double left = 0;
    double offset = std::isfinite(la.elStyleState.e) ? std::fmod(std::max(0.0, static_cast<double>(la.elStyleState.e)), period) : 0;
    // Walk to the offset.
    while (true) {
        left = std::max(0.0, static_cast<double>(la.pstyle[index].e));
        if (offset < left) {
            left -= offset;
            break;
        }
        offset -= left;
        index = (index + 1) % la.cstyle;
    }
    bool on = index % 2 == 0;
    Figure current;
    auto fix = [](double x, double y) { return POINTFIX{static_cast<FIX>(std::lround(x * 16)), static_cast<FIX>(std::lround(y * 16))}; };
    for (size_t k = 0; k + 1 < pts.size(); ++k) {
        const PointF a = ToPixels(pts[k]);
        const PointF b = ToPixels(pts[k + 1]);
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        double done = 0;
        if (on && current.points.empty()) current.points.push_back(fix(a.x, a.y));
        while (length - done > left) {
            done += left;
            const double t = done / length;
            const POINTFIX at = fix(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
            if (on) {
                current.points.push_back(at);
                dashes.push_back(std::move(current));
                current = Figure{};
            } else {
                current.points.push_back(at);
            }
            on = !on;
            index = (index + 1) % la.cstyle;
            left = std::max(0.0, static_cast<double>(la.pstyle[index].e));
        }
        left -= length - done;
        if (on) current.points.push_back(fix(b.x, b.y));
    }
    if (on && current.points.size() > 1) dashes.push_back(std::move(current));
    return dashes;
}

BOOL FillFigures(const PathJob& job, BRUSHOBJ* pbo, const POINTL* origin, MIX mix, FLONG flOptions) {
    BYTE rop3 = 0;
    Fill pattern;
    if (!Rop3FromMix(mix, &rop3)) return Fail(ERROR_INVALID_PARAMETER);
    if (Rop3UsesPattern(rop3) && !BrushFill(pbo, job.bmp.format, origin, &pattern)) return Fail(ERROR_NOT_SUPPORTED);
    std::vector<std::vector<PointF>> polygons;
    for (const Figure& f : job.figures) {
        std::vector<PointF> polygon;
        for (const POINTFIX& p : f.points) polygon.push_back(ToPixels(p));
        polygons.push_back(std::move(polygon));
    }
    FillPolygons(job.bmp, polygons, (flOptions & FP_WINDINGMODE) != 0, job.region, rop3, pattern);
    return TRUE;
}

BOOL Stroke(const PathJob& job, BRUSHOBJ* pbo, const POINTL* origin, const LINEATTRS* la, MIX mix) {
    BYTE rop3 = 0;
    Fill pattern;
    if (!Rop3FromMix(mix, &rop3)) return Fail(ERROR_INVALID_PARAMETER);
    if (Rop3UsesPattern(rop3) && !BrushFill(pbo, job.bmp.format, origin, &pattern)) return Fail(ERROR_NOT_SUPPORTED);
    const bool geometric = la != nullptr && (la->fl & LA_GEOMETRIC) != 0 && la->elWidth.e > 1.0f;
    if (geometric) {
        std::vector<std::vector<PointF>> pieces;
        const bool styled = (la->fl & LA_STYLED) != 0 && la->pstyle != nullptr && la->cstyle > 0;
        for (const Figure& f : job.figures) {
            for (const Figure& piece : styled ? Dashes(f, *la) : std::vector<Figure>{f}) {
                auto outline = WideOutline(piece, la->elWidth.e, *la);
                pieces.insert(pieces.end(), outline.begin(), outline.end());
            }
        }
        FillPolygons(job.bmp, pieces, true, job.region, rop3, pattern);
        return TRUE;
    }
    for (const Figure& f : job.figures) {
        const size_t n = f.points.size();
        for (size_t i = 0; i + 1 < n; ++i)
            CosmeticLine(job, RoundFix(f.points[i].x), RoundFix(f.points[i].y), RoundFix(f.points[i + 1].x),
                         RoundFix(f.points[i + 1].y), rop3, pattern);
        if (f.closed && n > 2)
            CosmeticLine(job, RoundFix(f.points[n - 1].x), RoundFix(f.points[n - 1].y), RoundFix(f.points[0].x),
                         RoundFix(f.points[0].y), rop3, pattern);
    }
    return TRUE;
}

}  // namespace

BOOL EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                 FLONG flOptions) {
    try {
        PathJob job;
        if (!StartPath(pso, ppo, pco, &job)) return Fail(ERROR_INVALID_PARAMETER);
        return FillFigures(job, pbo, pptlBrushOrg, mix, flOptions);
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

BOOL EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* /*pxo*/, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) {
    try {
        PathJob job;
        if (!StartPath(pso, ppo, pco, &job)) return Fail(ERROR_INVALID_PARAMETER);
        return Stroke(job, pbo, pptlBrushOrg, plineattrs, mix);
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

BOOL EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* /*pxo*/, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                          FLONG flOptions) {
    try {
        PathJob job;
        if (!StartPath(pso, ppo, pco, &job) || (pboStroke == nullptr && pboFill == nullptr))
            return Fail(ERROR_INVALID_PARAMETER);
        if (pboFill != nullptr && !FillFigures(job, pboFill, pptlBrushOrg, mixFill, flOptions)) return FALSE;
        if (pboStroke != nullptr && !Stroke(job, pboStroke, pptlBrushOrg, plineattrs, mixFill)) return FALSE;
        return TRUE;
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
