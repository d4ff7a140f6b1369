#include "tools/sample/PaintShapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kvtest::paint {
namespace {

constexpr int kDiscSides = 16;
constexpr double kPi = 3.14159265358979323846;

struct Edge {
    double yTop;
    double yBottom;
    double xAtTop;
    double slope;  // dx per dy
    int direction;
};

double SignedArea(const Polygon& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const PointF& u = p[i];
        const PointF& v = p[(i + 1) % p.size()];
        a += u.x * v.y - v.x * u.y;
    }
    return a / 2;
}

/// All polygons of one stroke turn the same way, so that their winding union has no holes.
void Orient(Polygon& p) {
    if (SignedArea(p) < 0) std::reverse(p.begin(), p.end());
}

Polygon Disc(PointF c, double radius) {
    Polygon p;
    for (int i = 0; i < kDiscSides; ++i) {
        const double a = 2 * kPi * i / kDiscSides;
        p.push_back(PointF{c.x + radius * std::cos(a), c.y + radius * std::sin(a)});
    }
    return p;
}

Polygon Square(PointF c, double half) {
    return Polygon{{c.x - half, c.y - half}, {c.x + half, c.y - half}, {c.x + half, c.y + half}, {c.x - half, c.y + half}};
}

}  // namespace

LONG Round(double v) {
    if (!(v > -2147483648.0)) return -2147483647 - 1;
    if (!(v < 2147483647.0)) return 2147483647;
    return static_cast<LONG>(std::lround(v));
}

bool FillPolygons(const std::vector<Polygon>& polygons, bool winding, RECTL bounds, const Plot& plot) {
    std::vector<Edge> edges;
    double top = 1e300;
    double bottom = -1e300;
    for (const Polygon& p : polygons) {
        for (size_t i = 0; i < p.size(); ++i) {
            const PointF& a = p[i];
            const PointF& b = p[(i + 1) % p.size()];
            if (a.y == b.y || !std::isfinite(a.x + a.y + b.x + b.y)) continue;
            const bool down = a.y < b.y;
            const PointF& u = down ? a : b;
            const PointF& v = down ? b : a;
            edges.push_back(Edge{u.y, v.y, u.x, (v.x - u.x) / (v.y - u.y), down ? 1 : -1});
            top = std::min(top, u.y);
            bottom = std::max(bottom, v.y);
        }
    }
    if (edges.empty()) return false;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.yTop < b.yTop; });
    const LONG firstRow = static_cast<LONG>(std::max<double>(bounds.top, std::floor(top)));
    const LONG lastRow = static_cast<LONG>(std::min<double>(bounds.bottom - 1, std::ceil(bottom)));
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    bool any = false;
    for (LONG y = firstRow; y <= lastRow; ++y) {
        const double yc = y + 0.5;
        while (next < edges.size() && edges[next].yTop <= yc) active.push_back(&edges[next++]);
        std::erase_if(active, [yc](const Edge* e) { return e->yBottom <= yc; });
        crossings.clear();
        for (const Edge* e : active) {
            if (e->yTop <= yc) crossings.emplace_back(e->xAtTop + (yc - e->yTop) * e->slope, e->direction);
        }
        std::sort(crossings.begin(), crossings.end());
        int count = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            count += winding ? crossings[i].second : 1;
            const bool inside = winding ? count != 0 : count % 2 == 1;
            if (!inside) continue;
            const double from = std::ceil(crossings[i].first - 0.5);
            const double to = std::ceil(crossings[i + 1].first - 0.5);
            const LONG x0 = static_cast<LONG>(std::max<double>(from, bounds.left));
            const LONG x1 = static_cast<LONG>(std::min<double>(to, bounds.right));
            for (LONG x = x0; x < x1; ++x) {
                plot(x, y);
                any = true;
            }
        }
    }
    return any;
}

std::vector<Polygon> StrokePolygons(const std::vector<PointF>& line, double width, int capJoin) {
    std::vector<Polygon> out;
    if (line.empty()) return out;
    const double half = width / 2;
    const int cap = (capJoin >> 4) & 0x0F;
    const bool roundJoin = (capJoin & 0x0F) == 0;
    std::vector<PointF> points{line.front()};
    for (const PointF& p : line) {
        if (p.x != points.back().x || p.y != points.back().y) points.push_back(p);
    }
    if (points.size() == 1) {
        out.push_back(cap == 0 ? Disc(points[0], half) : Square(points[0], half));
        return out;
    }
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        PointF a = points[i];
        PointF b = points[i + 1];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double length = std::hypot(dx, dy);
        const double ux = dx / length;
        const double uy = dy / length;
        if (cap == 1 && i == 0) a = PointF{a.x - ux * half, a.y - uy * half};
        if (cap == 1 && i + 2 == points.size()) b = PointF{b.x + ux * half, b.y + uy * half};
        const double nx = -uy * half;
        const double ny = ux * half;
        Polygon quad{{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
        Orient(quad);
        out.push_back(std::move(quad));
        const bool end = i + 2 == points.size();
        if ((roundJoin && !end) || (cap == 0 && end)) out.push_back(Disc(points[i + 1], half));
    }
    if (cap == 0) out.push_back(Disc(points.front(), half));
    for (Polygon& p : out) Orient(p);
    return out;
}

void ThinLine(POINTL a, POINTL b, bool skipFirst, const Plot& plot) {
    // Bresenham in 64 bits: printer points are 16-bit, but callers may pass anything.
    long long x = a.x;
    long long y = a.y;
    const long long dx = std::llabs(static_cast<long long>(b.x) - a.x);
    const long long dy = -std::llabs(static_cast<long long>(b.y) - a.y);
    const int sx = a.x < b.x ? 1 : -1;
    const int sy = a.y < b.y ? 1 : -1;
    long long error = dx + dy;
    bool first = true;
    for (;;) {
        if (!(first && skipFirst)) plot(static_cast<LONG>(x), static_cast<LONG>(y));
        first = false;
        if (x == b.x && y == b.y) break;
        const long long e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

std::vector<PointF> FlattenBezier(PointF p0, PointF p1, PointF p2, PointF p3) {
    const double hull = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
                        std::hypot(p3.x - p2.x, p3.y - p2.y);
    const int steps = std::clamp(static_cast<int>(hull / 4), 1, 256);
    std::vector<PointF> out;
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double s = 1 - t;
        out.push_back(PointF{s * s * s * p0.x + 3 * s * s * t * p1.x + 3 * s * t * t * p2.x + t * t * t * p3.x,
                             s * s * s * p0.y + 3 * s * s * t * p1.y + 3 * s * t * t * p2.y + t * t * t * p3.y});
    }
    return out;
}

std::vector<std::vector<PointF>> DashPolyline(const std::vector<PointF>& line, const std::vector<double>& dashes) {
    double total = 0;
    for (double d : dashes) total += std::max(d, 0.0);
    if (dashes.empty() || total <= 0 || line.size() < 2) return {line};
    std::vector<std::vector<PointF>> out;
    size_t dash = 0;
    double left = std::max(dashes[0], 0.0);
    bool on = true;
    std::vector<PointF> piece{line[0]};
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        PointF a = line[i];
        const PointF b = line[i + 1];
        double length = std::hypot(b.x - a.x, b.y - a.y);
        while (length > left) {
            const double t = left / length;
            const PointF cut{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
            if (on) {
                piece.push_back(cut);
                out.push_back(std::move(piece));
            }
            piece = {cut};
            length -= left;
            a = cut;
            on = !on;
            dash = (dash + 1) % dashes.size();
            left = std::max(dashes[dash], 0.0);
        }
        left -= length;
        if (on) piece.push_back(b);
    }
    if (on && piece.size() > 1) out.push_back(std::move(piece));
    return out;
}

}  // namespace kvtest::paint
