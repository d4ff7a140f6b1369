#pragma once
// Geometry of the sheet painter: polygons filled by pixel centres under the even-odd or the
// winding rule, strokes of a width turned into polygons, thin lines, Bezier flattening and
// dash splitting. No state; every function works in printer dots.
#include <functional>
#include <vector>

#include "platform/WinTypes.h"

namespace kvtest::paint {

struct PointF {
    double x = 0;
    double y = 0;
};
using Polygon = std::vector<PointF>;
using Plot = std::function<void(LONG x, LONG y)>;

/// The nearest printer point, held inside the 32-bit range.
LONG Round(double v);

/// Calls plot once for every pixel of `bounds` (right and bottom exclusive) whose centre lies
/// inside the polygons (each closed by its last edge) under the rule. True when any did.
bool FillPolygons(const std::vector<Polygon>& polygons, bool winding, RECTL bounds, const Plot& plot);

/// Polygons whose winding union is the stroke of the polyline at `width` dots: a quad per
/// segment, discs at round joins and caps, square caps stretched by half the width.
/// `capJoin` is the cap-and-join byte of the printer (join in the low nibble: 0 round;
/// cap in the high nibble: 0 round, 1 square, 2 flat).
std::vector<Polygon> StrokePolygons(const std::vector<PointF>& line, double width, int capJoin);

/// The pixels of a one-dot line from a to b; the first one left out with skipFirst.
void ThinLine(POINTL a, POINTL b, bool skipFirst, const Plot& plot);

/// The points after p0 of a cubic Bezier, flattened into short lines.
std::vector<PointF> FlattenBezier(PointF p0, PointF p1, PointF p2, PointF p3);

/// The drawn pieces of a polyline under a dash pattern: lengths on, off, on, ... (dots),
/// repeated; an empty pattern gives the line whole.
std::vector<std::vector<PointF>> DashPolyline(const std::vector<PointF>& line, const std::vector<double>& dashes);

}  // namespace kvtest::paint
