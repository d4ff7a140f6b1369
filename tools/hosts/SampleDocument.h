#pragma once
// The demos' sample document: pages of shapes, lines and text drawn through the GDI host, the
// text in a TrueType face of the engine (which the driver prints as graphics or as downloaded
// glyphs, as its settings choose). Page n differs from the others in its boxes, its triangle, the
// fan of lines and the text, so that a printed sheet shows which page it holds.
#include <string>

#include "platform/WinGdi.h"
#include "tools/hosts/gdihost/DrawOps.h"
#include "tools/hosts/gdihost/GdiHost.h"
#include "tools/sample/Utf16.h"

namespace kvdemo {

/// Page n (0-based): a title bar, boxes, a triangle, a fan of lines and a few text lines.
/// Text whose cell's top-left corner is (x, y), `height` dots high.
inline bool DrawSampleText(gdihost::PrinterDC& dc, LONG x, LONG y, const std::u16string& text, LONG height) {
    return dc.Draw(gdihost::TrueTypeTextOp(u"Demo Sans", ANSI_CHARSET, POINTL{x, y + height * 4 / 5}, text, height));
}

inline bool DrawSamplePage(gdihost::PrinterDC& dc, int n, const std::u16string& title) {
    bool ok = dc.FillRect(RECTL{300, 300, 4400, 480}, true);
    ok = ok && dc.FillRect(RECTL{360, 340, 1800, 440}, false);
    ok = ok && DrawSampleText(dc, 400, 350, title, 80);
    for (int i = 0; i <= n; ++i) {
        const LONG x = 400 + 700 * i;
        ok = ok && dc.FillRect(RECTL{x, 800, x + 500, 1300}, true);
    }
    ok = ok && dc.FillPolygon({{2800, 800}, {4300, 1300 + 200 * n}, {3000, 2200}});
    for (int i = 0; i < 12; ++i) ok = ok && dc.Line({400, 2600}, {4300, 2600 + 180 * i + 40 * n}, 1 + i % 4);
    for (int line = 0; line < 8; ++line) {
        const std::u16string text = u"Page " + kvtest::U16(std::to_string(n + 1)) + u", line " +
                                    kvtest::U16(std::to_string(line + 1)) + u": the quick brown fox";
        ok = ok && DrawSampleText(dc, 400, 5000 + 110 * line, text, 60 + 10 * (line % 3));
    }
    return ok;
}

}  // namespace kvdemo
