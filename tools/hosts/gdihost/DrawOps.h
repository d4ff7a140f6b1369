#pragma once
// Short makers of the drawing calls that the vector-mode demo, benchmarks and job tests build
// their pages from.
#include <string>
#include <vector>

#include "tools/hosts/gdihost/GdiHost.h"

namespace gdihost {

/// One figure of whole-dot points: begin and end of subpath, closed when asked, with any
/// further PD_* flags.
standin::engine::PathRecord Figure(const std::vector<POINTL>& points, bool closed, FLONG extra = 0);
/// A path of these records, stroked, filled or both with the default pen and brush.
DrawOp PathOp(std::vector<standin::engine::PathRecord> records, DrawOp::PathMode mode);
/// Text in the driver's resident font `face` at a baseline, `height` dots high, turned by
/// `angle` degrees counter-clockwise.
DrawOp DeviceTextOp(ULONG face, POINTL baseline, const std::u16string& text, LONG height, LONG angle = 0);
/// Text in an engine TrueType face of a character set at a baseline, `height` dots high.
DrawOp TrueTypeTextOp(const std::u16string& face, BYTE charset, POINTL baseline, const std::u16string& text,
                      LONG height);

}  // namespace gdihost
