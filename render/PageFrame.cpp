// The frame round a page or an N-up slot: a rectangle (solid, dashed or thick) or four
// corner marks, drawn with the printer's line and rectangle commands at full scale.
#include "render/PageDecorations.h"

#include <algorithm>
#include <iterator>

#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "render/draw/LineAttributes.h"

namespace {

constexpr WORD kFrameSolid = 1;
constexpr WORD kFrameThick = 3;
constexpr WORD kFrameCorners = 4;

constexpr BYTE kPenBlack = 16;
constexpr BYTE kPenMode = 'O';

struct FrameArea {
    RECTL clip;
    RECTL frame;
};

}  // namespace

bool SeparateOutputPaper(const PDEV* pdev) {
    const DriverDevMode& s = pdev->Settings;
    if (s.OutputPaperName[0] == 0) return false;
    for (size_t i = 0; i < std::size(s.OutputPaperName); ++i) {
        if (s.OutputPaperName[i] != s.Public.dmFormName[i]) return true;
        if (s.OutputPaperName[i] == 0) return false;
    }
    return false;
}

namespace {

RECTL Inset(RECTL r) { return RECTL{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}; }

/// The page's printable width on the printer's 1/60-inch grid, in device units. *roundedUp
/// tells whether the last step (the thirds of 200 and 400 dpi) rounded up.
LONG PrintableWidthUnits(const PDEV* pdev, bool* roundedUp) {
    const RECTL& p = pdev->Geometry.InputPaper.Printable;
    const long long microns = static_cast<long long>(p.right) - p.left;
    const long long sixtieths = (microns * 60 + 25399) / 25400;
    *roundedUp = false;
    switch (Resolution(pdev)) {
        case 240:
            return static_cast<LONG>(sixtieths * 4);
        case 200:
        case 400: {
            const long long units = (sixtieths * 20 + 2) / 3;
            *roundedUp = units * 3 != sixtieths * 20;
            return static_cast<LONG>(units);
        }
        case 1200:
            return static_cast<LONG>(sixtieths * 20);
        default:
            return static_cast<LONG>(sixtieths * 10);
    }
}

FrameArea PageFrameArea(PDEV* pdev, WORD pagesPerSheet, WORD option) {
    if (pagesPerSheet != 1) {
        const RECTL& slot = CurrentSlot(pdev);
        const POINTL c = pdev->Geometry.CentringOffset;
        return FrameArea{slot, RECTL{c.x + slot.left, c.y + slot.top, slot.right - c.x, slot.bottom - c.y}};
    }
    if (SeparateOutputPaper(pdev)) return FrameArea{pdev->OutputPaperRect, Inset(pdev->OutputPaperRect)};
    const RECTL page = pdev->PageRect;
    if (!FaceLayoutActive(pdev)) return FrameArea{page, Inset(page)};
    bool roundedUp = false;
    const LONG right = PrintableWidthUnits(pdev, &roundedUp);
    FrameArea area{page, RECTL{page.left, page.top + 1, roundedUp ? right - 1 : right, page.bottom - 1}};
    area.clip.right = roundedUp ? right : right + 1;
    if (option == kFrameCorners && (pdev->StateFlags & kStateDoubling) != 0) area.frame.bottom *= 2;
    return area;
}

/// Runs a call with the mapping told to take the whole sheet while the face layout is not
/// 1 x 1 (clip and moves of the frame; not its points).
template <typename Call>
void OnWholeSheet(PDEV* pdev, Call call) {
    const DWORD saved = pdev->MappingMode;
    if (FaceLayoutActive(pdev)) pdev->MappingMode |= kMappingWholeSheet;
    call();
    pdev->MappingMode = saved;
}

void SetFramePen(PDEV* pdev) {
    DrawingStateCache& c = pdev->Draw;
    if (c.PenGray == kPenBlack && c.PenMode == kPenMode) return;
    const BYTE pen[] = {0xAD, 0x00, kPenBlack, kPenMode};
    (void)WriteOutput(pdev, pen, sizeof pen);
    c.PenGray = kPenBlack;
    c.PenMode = kPenMode;
}

void SetSolidFill(PDEV* pdev) {
    DrawingStateCache& c = pdev->Draw;
    if (c.FillGray1 == 0 && c.FillGray2 == 0 && c.SelectedFill == 1) return;
    const BYTE fill[] = {0xA5, 0x01, 0x00, 0x00};
    (void)WriteOutput(pdev, fill, sizeof fill);
    c.FillGray1 = 0;
    c.FillGray2 = 0;
    c.SelectedFill = 1;
}

/// Line style 0 solid, 1 alternate (dashed), 2 the frame's thick style.
void SetFrameLineStyle(PDEV* pdev, BYTE style) {
    static constexpr BYTE kStyles[3][4] = {{0xAC, 0x00, 0x00, 0x00}, {0xAC, 0x01, 0x06, 0x00}, {0xAC, 0x02, 0x02, 0x00}};
    if (pdev->Draw.LineStyle == style) return;
    (void)WriteOutput(pdev, kStyles[style], sizeof kStyles[style]);
    pdev->Draw.LineStyle = style;
}

WORD ThickLineWidth(int dpi) {
    switch (dpi) {
        case 240:
            return 1;
        case 200:
        case 400:
            return 2;
        case 1200:
            return 6;
        default:
            return 3;
    }
}

LONG CornerMarkLength(const PDEV* pdev) {
    const bool single = !FaceLayoutActive(pdev);
    switch (Resolution(pdev)) {
        case 240:
            return 24;
        case 400:
            return 40;
        case 1200:
            return 120;
        case 300:
            return single ? 30 : 60;
        case 200:
            return single ? 20 : 40;
        default:
            return 60;
    }
}

/// A move to `from`, then one E0 00 polyline through the points; the current position
/// becomes the last point.
void WritePolyline(PDEV* pdev, POINTL from, const POINTL* points, WORD count) {
    OnWholeSheet(pdev, [&] { WritePosition(pdev, from); });
    const BYTE command[] = {0xE0, 0x00};
    (void)WriteOutput(pdev, command, sizeof command);
    PutWordBE(pdev, count);
    for (WORD i = 0; i < count; ++i) PutMappedPoint(pdev, static_cast<SHORT>(points[i].x), static_cast<SHORT>(points[i].y));
    pdev->SheetBlank = 0;
    pdev->Draw.Position = points[count - 1];
    pdev->Draw.PositionKnown = 1;
    MapCurrentPosition(pdev);
}

void DrawFrameLines(PDEV* pdev, const RECTL& f) {
    const bool doubling = (pdev->StateFlags & kStateDoubling) != 0;
    const LONG k = doubling ? 2 : 1;
    struct Edge {
        POINTL from;
        POINTL to;
    };
    const Edge edges[] = {
        {{f.left, f.top}, {f.left, (f.bottom - 1) * k}},                        // left
        {{f.right - 1, f.top}, {f.right - 1, (f.bottom - 1) * k}},              // right
        {{f.left, f.top * k}, {f.right - 1, f.top * k}},                        // top
        {{f.left, (f.bottom - 1) * k}, {f.right - 1, (f.bottom - 1) * k}},      // bottom
    };
    for (const Edge& e : edges) WritePolyline(pdev, e.from, &e.to, 1);
}

void DrawCornerMarks(PDEV* pdev, const RECTL& f) {
    const LONG L = CornerMarkLength(pdev);
    const bool doubling = (pdev->StateFlags & kStateDoubling) != 0;
    const bool scalePoints = doubling && !FaceLayoutActive(pdev);
    const bool scaleMoves = scalePoints || (doubling && GraphicsOnly(pdev));
    const LONG l = f.left, t = f.top, r = f.right, b = f.bottom;
    const POINTL marks[4][3] = {
        {{l, t + L}, {l, t}, {l + L, t}},                          // top left
        {{r - L - 1, t}, {r - 1, t}, {r - 1, t + L}},              // top right
        {{r - 1, b - L - 1}, {r - 1, b - 1}, {r - L - 1, b - 1}},  // bottom right
        {{l + L, b - 1}, {l, b - 1}, {l, b - L - 1}},              // bottom left
    };
    for (const auto& mark : marks) {
        POINTL from = mark[0];
        POINTL points[2] = {mark[1], mark[2]};
        if (scaleMoves) from = POINTL{from.x * 2, from.y * 2};
        if (scalePoints) {
            for (POINTL& p : points) p = POINTL{p.x * 2, p.y * 2};
        }
        WritePolyline(pdev, from, points, 2);
    }
}

}  // namespace

bool FaceLayoutActive(const PDEV* pdev) { return pdev->Settings.NupDown * pdev->Settings.NupAcross > 1; }

DecorationArea StampArea(const PDEV* pdev, WORD pagesPerSheet) {
    if (pagesPerSheet == 1) {
        const RECTL r = SeparateOutputPaper(pdev) ? pdev->OutputPaperRect : pdev->PageRect;
        return DecorationArea{r, r};
    }
    const RECTL& slot = CurrentSlot(pdev);
    const POINTL c = pdev->Geometry.CentringOffset;
    RECTL place{c.x + slot.left, c.y + slot.top, slot.right - c.x, slot.bottom - c.y};
    place.left = std::max(place.left, slot.left);
    place.top = std::max(place.top, slot.top);
    place.right = std::min(place.right, slot.right);
    place.bottom = std::min(place.bottom, slot.bottom);
    return DecorationArea{slot, place};
}

void DrawPageFrame(PDEV* pdev, WORD pagesPerSheet) {
    const WORD option = pdev->Settings.PageFrame;
    if (option >= kFrameSolid && option <= kFrameCorners) {
        const FrameArea area = PageFrameArea(pdev, pagesPerSheet, option);
        if (pdev->VectorResolution != Resolution(pdev)) EnterVectorScale(pdev);
        WORD& scale = pdev->Geometry.ScalePercent;
        const WORD savedScale = scale;
        scale = 100;
        OnWholeSheet(pdev, [&] { SetClipRectangle(pdev, area.clip); });
        if (option == kFrameCorners) {
            SetLineWidth(pdev, 1);
            SetRasterOp(pdev, PATCOPY_ROP4);
            SetFramePen(pdev);
            SetFrameLineStyle(pdev, 0);
            DrawCornerMarks(pdev, area.frame);
        } else {
            SetRasterOp(pdev, PATCOPY_ROP4);
            SetFramePen(pdev);
            SetSolidFill(pdev);
            SetLineWidth(pdev, option == kFrameThick ? ThickLineWidth(Resolution(pdev)) : 1);
            SetFrameLineStyle(pdev, static_cast<BYTE>(option - 1));
            if (FaceLayoutActive(pdev) && option != kFrameSolid) {
                DrawFrameLines(pdev, area.frame);
            } else {
                OnWholeSheet(pdev, [&] { WriteFilledRect(pdev, area.frame, 1); });
            }
        }
        scale = savedScale;
    }
    if (pdev->PageStampSwitch != 0) WritePageStamp(pdev, pagesPerSheet);
}
