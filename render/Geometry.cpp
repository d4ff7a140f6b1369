// Micrometres to dots, the N-up fit scale and slots, the page origins and the page-layout
// comparison of DrvResetPDEV.
#include "render/Geometry.h"

#include <climits>
#include <cstdint>
#include <initializer_list>

#include "render/DriverEntry.h"

namespace {

LONG Clamp32(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<LONG>(value);
}

/// value / divisor truncated, plus 1 when anything is left over (also for negative values).
int64_t DivideUp(int64_t value, int64_t divisor) {
    return value / divisor + (value % divisor != 0 ? 1 : 0);
}

/// value / divisor rounded toward positive infinity.
int64_t Ceiling(int64_t value, int64_t divisor) {
    return value / divisor + (value % divisor > 0 ? 1 : 0);
}

// Rows 0 to 16: {a, b}. Where the sheet area is wider than high, a counts columns.
constexpr struct {
    BYTE a;
    BYTE b;
} kNupLayout[17] = {
    {1, 1}, {1, 1}, {1, 2}, {1, 1}, {2, 2}, {1, 1}, {2, 3}, {1, 1}, {2, 4},
    {3, 3}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {4, 4},
};

LONG PrintableWidth(const PaperRecord& paper) {
    return Clamp32(int64_t{paper.Printable.right} - paper.Printable.left);
}
LONG PrintableHeight(const PaperRecord& paper) {
    return Clamp32(int64_t{paper.Printable.bottom} - paper.Printable.top);
}

/// One axis of the fit: slot / page in percent, less a twentieth, truncated. A page without
/// extent cannot be measured, so it neither shrinks nor grows. Values beyond 16 bits
/// saturate instead of wrapping.
uint16_t FitAxis(int64_t slot, LONG pageExtent) {
    if (pageExtent <= 0) return 100;
    const int64_t q = slot * 100 / pageExtent;
    if (q <= 0) return 0;
    if (q > 65536) return 65535;
    return static_cast<uint16_t>(static_cast<float>(q) - 0.05f);
}

/// A frame length given at 240 dpi, in dots at the resolution, rounded up.
LONG FrameDots(LONG dots240, int dpi) {
    switch (dpi) {
        case 240: return dots240;
        case 200: return dots240 * 5 / 6;
        case 300: return dots240 * 5 / 4;
        default: return Clamp32(DivideUp(int64_t{dots240} * dpi, 240));
    }
}

/// Micrometres of a print-position field (0.1 mm) less an edge, in dots.
LONG PositionDots(LONG tenthMm, int64_t edgeTenthMm, SHORT dpi) {
    return MicronsToDots(Clamp32((int64_t{tenthMm} - edgeTenthMm) * 100), dpi);
}

/// Bounded whole-name equality of two paper names of at most kPaperNameChars characters.
bool SameName(const WCHAR* a, const WCHAR* b) {
    for (int i = 0; i < kPaperNameChars; ++i) {
        if (a[i] != b[i]) return false;
        if (a[i] == u'\0') return true;
    }
    return true;
}

/// dmFormName (not necessarily terminated) equals name exactly.
bool FormNameIs(const DEVMODEW& devmode, const char16_t* name) {
    constexpr int kChars = sizeof(devmode.dmFormName) / sizeof(WCHAR);
    for (int i = 0; i < kChars; ++i) {
        if (devmode.dmFormName[i] != name[i]) return false;
        if (name[i] == u'\0') return true;
    }
    return name[kChars] == u'\0';
}

// Papers whose single-page origin moves 5 mm inward when the printer lays faces out.
constexpr const char16_t* kNudgedPapers[] = {
    u"Letter", u"A4", u"A5", u"B5 (JIS)", u"はがき", u"往復はがき", u"Letter 横", u"A5 横", u"はがき 横", u"往復はがき 横",
};

}  // namespace

LONG MicronsToDots(LONG microns, SHORT resolution) {
    // 64-bit steps: a hostile length times 240 must not overflow.
    const int64_t d = DivideUp(int64_t{microns} * 240, 25400);
    switch (resolution) {
        case 240: return Clamp32(d);
        case 200: return Clamp32(DivideUp(d * 400, 240) / 2);
        case 300: return Clamp32(DivideUp(d * 600, 240) / 2);
        default: return Clamp32(DivideUp(d * resolution, 240));
    }
}

SIZEL PrintableSizeDots(const PaperRecord& paper, SHORT resolution) {
    return SIZEL{MicronsToDots(PrintableWidth(paper), resolution), MicronsToDots(PrintableHeight(paper), resolution)};
}

RECTL PrintableRectDots(const PaperRecord& paper, SHORT resolution) {
    const SIZEL size = PrintableSizeDots(paper, resolution);
    return RECTL{0, 0, size.cx + 1, size.cy + 1};
}

void NupLayoutCounts(WORD pagesPerSheet, int* a, int* b) {
    // Validation keeps pages per sheet to the table's values; anything else prints 1 x 1.
    const bool inTable = pagesPerSheet < sizeof(kNupLayout) / sizeof(kNupLayout[0]);
    if (a != nullptr) *a = inTable ? kNupLayout[pagesPerSheet].a : 1;
    if (b != nullptr) *b = inTable ? kNupLayout[pagesPerSheet].b : 1;
}

WORD ComputeFitScale(PDEV* pdev, const PaperRecord* input, const PaperRecord* output) {
    int64_t slotWidth;
    int64_t slotHeight;
    const WORD pages = pdev->Settings.PagesPerSheet;
    if (pages != 1) {
        int a;
        int b;
        NupLayoutCounts(pages, &a, &b);
        // The sheet less the frame margins, shared out among the faces.
        const int64_t width = int64_t{output->Width} - 35400;
        const int64_t height = int64_t{output->Height} - 14300;
        slotWidth = width / (width <= height ? b : a);
        slotHeight = height / (width <= height ? a : b);
    } else {
        slotWidth = PrintableWidth(*output);
        slotHeight = PrintableHeight(*output);
    }
    const uint16_t x = FitAxis(slotWidth, PrintableWidth(*input));
    const uint16_t y = FitAxis(slotHeight, PrintableHeight(*input));
    uint16_t scale = x < y ? x : y;
    if (scale > 400) scale = 400;
    if (scale < 10) scale = 10;
    return scale;
}

void ComputeNupSlots(PDEV* pdev) {
    PageGeometry& g = pdev->Geometry;
    const int dpi = Resolution(pdev);
    const SHORT res = pdev->Settings.Public.dmPrintQuality;
    const PaperRecord& out = g.OutputPaper;

    // The sheet frame: 0.7 inch from the left, 0.2 inch from the top.
    g.SheetFrame.left = FrameDots(168, dpi);
    g.SheetFrame.top = FrameDots(48, dpi);
    g.SheetFrame.right = MicronsToDots(Clamp32(int64_t{out.Width} - 17700), res);
    g.SheetFrame.bottom = MicronsToDots(Clamp32(int64_t{out.Height} - 9300), res);

    // Slots are placed relative to the printable area's corner, where the page origin lies.
    const int64_t x0 = int64_t{g.SheetFrame.left} - MicronsToDots(out.Printable.left, res);
    const int64_t y0 = int64_t{g.SheetFrame.top} - MicronsToDots(out.Printable.top, res);
    const int64_t areaWidth = int64_t{g.SheetFrame.right} - g.SheetFrame.left;
    const int64_t areaHeight = int64_t{g.SheetFrame.bottom} - g.SheetFrame.top;

    int a;
    int b;
    const WORD pages = pdev->Settings.PagesPerSheet;
    NupLayoutCounts(pages, &a, &b);
    const int columns = areaWidth > areaHeight ? a : b;
    const int rows = areaWidth > areaHeight ? b : a;
    const int64_t slotWidth = areaWidth / columns;
    const int64_t slotHeight = areaHeight / rows;

    auto place = [&](int k, int column, int row) {
        g.NupSlots[k] = RECTL{Clamp32(x0 + column * slotWidth), Clamp32(y0 + row * slotHeight),
                              Clamp32(x0 + (column + 1) * slotWidth), Clamp32(y0 + (row + 1) * slotHeight)};
    };
    int k = 0;
    switch (pdev->Settings.NupSlotOrder) {
        case 0:  // rows from the top, left to right
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < columns; ++c) place(k++, c, r);
            break;
        case 1:
            if (pages == 2 && slotWidth > slotHeight) {
                // Two wide slots stack: the lower one is filled first.
                for (int r = rows - 1; r >= 0; --r)
                    for (int c = columns - 1; c >= 0; --c) place(k++, c, r);
            } else {
                for (int r = 0; r < rows; ++r)
                    for (int c = columns - 1; c >= 0; --c) place(k++, c, r);
            }
            break;
        case 2:  // columns from the left, top to bottom
            for (int c = 0; c < columns; ++c)
                for (int r = 0; r < rows; ++r) place(k++, c, r);
            break;
        case 3:  // columns from the right, top to bottom
            for (int c = columns - 1; c >= 0; --c)
                for (int r = 0; r < rows; ++r) place(k++, c, r);
            break;
        default:  // an arrangement the printer does not know: the slots stay as they were
            break;
    }

    // The scaled page sits in the middle of its slot.
    const int64_t scale = g.ScalePercent;
    const LONG pageWidth = MicronsToDots(Clamp32(int64_t{PrintableWidth(g.InputPaper)} * scale / 100), res);
    const LONG pageHeight = MicronsToDots(Clamp32(int64_t{PrintableHeight(g.InputPaper)} * scale / 100), res);
    g.CentringOffset.x = Clamp32((slotWidth - pageWidth) / 2);
    g.CentringOffset.y = Clamp32((slotHeight - pageHeight) / 2);
}

void ComputePageOrigins(PDEV* pdev) {
    PageGeometry& g = pdev->Geometry;
    const DriverDevMode& s = pdev->Settings;
    const SHORT res = s.Public.dmPrintQuality;
    g.OddOrigin = POINTL{0, 0};
    g.EvenOrigin = POINTL{0, 0};

    // Duplex with a binding shift, and form overlays, print from the paper's own origin.
    if (s.Public.dmDuplex != 1 && s.DuplexShift != 0) return;
    if ((s.OverlayFlags & kOverlayOn) != 0) return;

    if (s.PagesPerSheet != 1) {
        g.OddOrigin = POINTL{PositionDots(s.LeftMargin, 177, res), PositionDots(s.TopMargin, 50, res)};
        g.EvenOrigin = POINTL{PositionDots(s.LeftMarginEven, 100, res), PositionDots(s.TopMarginEven, 100, res)};
    } else {
        // The positions count from the paper's edge; the page starts at the printable edge.
        const int64_t left = Ceiling(g.OutputPaper.Printable.left, 100);
        const int64_t top = Ceiling(g.OutputPaper.Printable.top, 100);
        g.OddOrigin = POINTL{PositionDots(s.LeftMargin, left, res), PositionDots(s.TopMargin, top, res)};
        if (s.NupDown != 1 || s.NupAcross != 1) {
            for (const char16_t* name : kNudgedPapers) {
                if (!FormNameIs(s.Public, name)) continue;
                const LONG nudge = MicronsToDots(5000, res);
                g.OddOrigin.x = Clamp32(int64_t{g.OddOrigin.x} + nudge);
                g.OddOrigin.y = Clamp32(int64_t{g.OddOrigin.y} + nudge);
                break;
            }
        }
        g.EvenOrigin = POINTL{PositionDots(s.LeftMarginEven, left, res), PositionDots(s.TopMarginEven, top, res)};
    }

    // At 200 and 300 dpi the page language counts in 400- and 600-dpi units.
    if (res == 200 || res == 300) {
        for (LONG* v : {&g.OddOrigin.x, &g.OddOrigin.y, &g.EvenOrigin.x, &g.EvenOrigin.y}) {
            *v = Clamp32(int64_t{*v} * 2);
        }
    }
}

BOOL PageLayoutChanged(const PDEV* oldPdev, const PDEV* newPdev) {
    const DEVMODEW& o = oldPdev->Settings.Public;
    const DEVMODEW& n = newPdev->Settings.Public;
    if (o.dmPrintQuality != n.dmPrintQuality) return TRUE;
    if (o.dmDefaultSource != n.dmDefaultSource) return TRUE;
    if (o.dmDuplex != n.dmDuplex) return TRUE;
    if (n.dmDuplex != 1) {
        // Which side gets which origin matters only when both sides are printed.
        constexpr DWORD kSwapSides = 1u << 8;
        if ((oldPdev->Settings.FeatureFlags & kSwapSides) != (newPdev->Settings.FeatureFlags & kSwapSides)) return TRUE;
        const PageGeometry& og = oldPdev->Geometry;
        const PageGeometry& ng = newPdev->Geometry;
        if (og.OddOrigin.x != ng.OddOrigin.x || og.OddOrigin.y != ng.OddOrigin.y) return TRUE;
        if (og.EvenOrigin.x != ng.EvenOrigin.x || og.EvenOrigin.y != ng.EvenOrigin.y) return TRUE;
    }
    if (oldPdev->Settings.PagesPerSheet != newPdev->Settings.PagesPerSheet) return TRUE;
    if (oldPdev->Settings.NupSlotOrder != newPdev->Settings.NupSlotOrder) return TRUE;
    if (!SameName(oldPdev->Geometry.InputPaper.Name, newPdev->Geometry.InputPaper.Name)) return TRUE;
    if (!SameName(oldPdev->Geometry.OutputPaper.Name, newPdev->Geometry.OutputPaper.Name)) return TRUE;
    return FALSE;
}
