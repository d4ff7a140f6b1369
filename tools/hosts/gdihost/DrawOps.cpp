#include "tools/hosts/gdihost/DrawOps.h"

#include <utility>

namespace gdihost {

standin::engine::PathRecord Figure(const std::vector<POINTL>& points, bool closed, FLONG extra) {
    standin::engine::PathRecord r;
    r.flags = PD_BEGINSUBPATH | PD_ENDSUBPATH | (closed ? PD_CLOSEFIGURE : 0) | extra;
    for (const POINTL& p : points) r.points.push_back(standin::engine::FixPoint(p.x, p.y));
    return r;
}

DrawOp PathOp(std::vector<standin::engine::PathRecord> records, DrawOp::PathMode mode) {
    DrawOp op;
    op.kind = DrawOp::Kind::Path;
    op.records = std::move(records);
    op.pathMode = mode;
    return op;
}

DrawOp DeviceTextOp(ULONG face, POINTL baseline, const std::u16string& text, LONG height, LONG angle) {
    DrawOp op;
    op.kind = DrawOp::Kind::DeviceText;
    op.face = face;
    op.origin = baseline;
    op.text = text;
    op.heightDots = height;
    op.angleDegrees = angle;
    return op;
}

DrawOp TrueTypeTextOp(const std::u16string& face, BYTE charset, POINTL baseline, const std::u16string& text,
                      LONG height) {
    DrawOp op;
    op.kind = DrawOp::Kind::TrueTypeText;
    op.faceName = face;
    op.charset = charset;
    op.origin = baseline;
    op.text = text;
    op.heightDots = height;
    return op;
}

}  // namespace gdihost
