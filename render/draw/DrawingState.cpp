// The printer's drawing-state cache and the state commands of the page language.
#include "render/draw/DrawingState.h"

#include <cstring>

#include "render/OutputStream.h"

namespace {

constexpr BYTE kFS = 0x1C;
constexpr BYTE kRopUnknown = 0x68;  // also the code of ROP3 0xE9, which so needs no command

/// The six limits that follow the memory size in a memory row.
void LoadLimits(DeviceLimits* limits, const ModelMemory& row) {
    limits->GlyphMemory = row.Values[1];
    limits->GlyphBitmapMax = row.Values[2];
    limits->GlyphExtentMax = row.Values[3];
    limits->LinePathLimit = row.Values[4];
    limits->CurvePathLimit = row.Values[5];
    limits->ClipPathLimit = row.Values[6];
}

void WriteBytes(PDEV* pdev, const BYTE* bytes, DWORD count) { (void)WriteOutput(pdev, bytes, count); }

bool ValidSlotIndex(LONG index) { return index >= 0 && index < 16; }

}  // namespace

const RECTL& CurrentSlot(const PDEV* pdev) {
    const LONG index = pdev->WantedPage.SlotIndex;
    return pdev->Geometry.NupSlots[ValidSlotIndex(index) ? index : 0];
}

void ResetPrinterState(PDEV* pdev) {
    DrawingStateCache& c = pdev->Draw;
    c.FillGray1 = c.FillGray2 = c.SelectedFill = 0xFFFF;
    std::memset(c.Pattern8x8, 0xFF, sizeof c.Pattern8x8);
    c.RopForeground = c.RopBackground = kRopUnknown;
    c.LineStyle = 0xFF;
    c.DashCount = 0xFF;
    for (DWORD& dash : c.DashLengths) dash = 0xFFFFFFFFu;
    c.DashSum = 0xFF;
    c.PenGray = c.PenMode = 0xFF;
    c.LineWidth = 0xFFFF;
    c.CapJoin = 0xFF;
    c.Miter = 0xFFFF;
    c.TextGray = c.CharMode = 0xFF;
    c.DirectionAngle = 0xFFFF;
    c.StyleWords[0] = c.StyleWords[1] = 0x0F00;
    std::memset(c.SizeValues, 0, sizeof c.SizeValues);
    c.FontNumber = 0xFFFF;
    c.DownloadTableMark = 0;
    c.SingleByteFont = c.DoubleByteFont = -1;
    std::memset(c.Pattern24x24, 0, sizeof c.Pattern24x24);
    c.ClipPathPoints = 0;
    c.ClipPathStored = 0;

    pdev->StateFlags = (pdev->StateFlags & ~kStateDoubling) | kStateClipPath;

    // The default record first; a row for the installed memory overrides it.
    pdev->Limits = DeviceLimits{};
    const ModelDescription* model = pdev->Model;
    if (model == nullptr) return;
    if (const ModelMemory* def = ModelDefaultMemory(model)) LoadLimits(&pdev->Limits, *def);
    const auto* rows = ModelList<ModelMemory>(model, model->MemorySizeOffset, model->MemorySizeCount);
    if (rows == nullptr) return;
    for (DWORD i = 0; i < model->MemorySizeCount; ++i) {
        if (rows[i].Values[0] == pdev->Settings.InstalledMemory) {
            LoadLimits(&pdev->Limits, rows[i]);
            return;
        }
    }
}

void ResetGraphicsState(PDEV* pdev) {
    pdev->FontMatrix[0] = 1.0f;
    pdev->FontMatrix[1] = 0.0f;
    pdev->FontMatrix[2] = 0.0f;
    pdev->FontMatrix[3] = 1.0f;
    // Only the diagonal: the other four values are the line code's own.
    pdev->LineTransform[0] = 1.0f;
    pdev->LineTransform[3] = 1.0f;
    for (DWORD& cell : pdev->TextCell) cell = 108;
    pdev->GlyphRunMode = 1;
    pdev->TextValues[0] = pdev->TextValues[1] = 0;
    pdev->Draw.PositionKnown = 0;
}

void EnterPageControlMode(PDEV* pdev) {
    if (pdev->StateFlags & kStateFsROwed) {
        const BYTE fsR[] = {kFS, 0x52};
        WriteBytes(pdev, fsR, sizeof fsR);
        pdev->StateFlags &= ~kStateFsROwed;
    }
    if ((pdev->StateFlags & kStatePageControl) == 0) {
        const BYTE fsZ[] = {kFS, 0x5A};
        WriteBytes(pdev, fsZ, sizeof fsZ);
        pdev->StateFlags |= kStatePageControl;
        // The printer forgets its clip rectangle in this mode.
        pdev->Draw.ClipRect = RECTL{0, 0, 0, 0};
    }
}

void LeavePageControlMode(PDEV* pdev) {
    if (pdev->StateFlags & kStateFsROwed) {
        const BYTE fsR[] = {kFS, 0x52};
        WriteBytes(pdev, fsR, sizeof fsR);
        pdev->StateFlags &= ~kStateFsROwed;
    }
    if (pdev->StateFlags & kStatePageControl) {
        const BYTE fsY[] = {kFS, 0x59};
        WriteBytes(pdev, fsY, sizeof fsY);
        pdev->StateFlags &= ~kStatePageControl;
    }
}

void EnterVectorScale(PDEV* pdev) {
    LeavePageControlMode(pdev);
    const SHORT quality = pdev->Settings.Public.dmPrintQuality;
    const char* command = nullptr;
    signed char unit = 1;
    switch (quality) {
    case 240:
        command = "SU1,240,0;IP0,0,243,243;";
        break;
    case 200:
    case 400:
        command = "SU1,400,0;IP0,0,405,405;";
        if (quality == 200) {
            pdev->StateFlags |= kStateDoubling;
            unit = 2;
        }
        break;
    case 1200:
        command = "SU1,1200,0;IP0,0,1215,1215;";
        break;
    default:
        // The printer works in 600-dpi units; a 300-dpi device doubles its coordinates.
        command = "SU1,600,0;IP0,0,608,608;";
        if (quality == 300) {
            pdev->StateFlags |= kStateDoubling;
            unit = 2;
        }
        break;
    }
    WriteBytes(pdev, reinterpret_cast<const BYTE*>(command), static_cast<DWORD>(std::strlen(command)));
    pdev->UnitFactor = unit;
    pdev->VectorResolution = static_cast<WORD>(quality);
}

POINTL PageOrigin(const PDEV* pdev) {
    const DriverDevMode& s = pdev->Settings;
    // 660 holds the installed duplex unit's option word; without one every side is odd.
    const WORD duplexWord = s.DeviceSlots[8].State;
    if ((duplexWord & 1) == 0 || s.Public.dmDuplex == 1) return pdev->Geometry.OddOrigin;
    bool even;
    if (!NupActive(pdev) && pdev->FrameBeingDrawn == 0) {
        even = (pdev->WantedPage.PageCount % 2) == 0;  // pages count from 1
    } else {
        even = (pdev->WantedPage.SheetCount % 2) != 0;  // sheets count from 0
    }
    if (s.FeatureFlags & kFeatureSwapOrigins) even = !even;
    return even ? pdev->Geometry.EvenOrigin : pdev->Geometry.OddOrigin;
}

namespace {

/// v x percent / 100, truncated toward zero (wide product: no overflow on odd input).
LONG ScaleBy(LONG v, LONG percent) { return static_cast<LONG>(static_cast<long long>(v) * percent / 100); }

/// Scale and N-up slot offset; the shared second step of every mapping.
void ScaleIntoSlot(const PDEV* pdev, POINTL* p, bool multiply, bool slotOffsets) {
    const LONG s = pdev->Geometry.ScalePercent;
    if (s == 100) return;
    if (multiply) {
        p->x = ScaleBy(p->x, s);
        p->y = ScaleBy(p->y, s);
    }
    if (slotOffsets && NupActive(pdev)) {
        const RECTL& slot = CurrentSlot(pdev);
        p->x += (pdev->Geometry.CentringOffset.x + slot.left) * pdev->UnitFactor;
        p->y += (pdev->Geometry.CentringOffset.y + slot.top) * pdev->UnitFactor;
    }
}

void TurnAndPlace(PDEV* pdev, POINTL* p) {
    if (PageTurned(pdev)) RotatePoint(pdev, 0, p);
    const POINTL origin = PageOrigin(pdev);
    p->x += origin.x;
    p->y += origin.y;
}

}  // namespace

POINTL MapPagePoint(PDEV* pdev, POINTL p, bool rasterWriter) {
    const bool graphicsOnly = GraphicsOnly(pdev);
    const bool wholeSheet = !rasterWriter && (pdev->MappingMode & kMappingWholeSheet) != 0;
    if ((pdev->StateFlags & kStateDoubling) && !wholeSheet && !graphicsOnly) {
        p.x *= 2;
        p.y *= 2;
    }
    const bool multiply = !(rasterWriter && pdev->ReducedStretch != 0);
    ScaleIntoSlot(pdev, &p, multiply, !graphicsOnly);
    if (pdev->RasterShiftX != 0 && !graphicsOnly) p.x += pdev->RasterShiftX;
    TurnAndPlace(pdev, &p);
    return p;
}

void MapCurrentPosition(PDEV* pdev) {
    POINTL p = pdev->Draw.Position;
    ScaleIntoSlot(pdev, &p, true, true);
    TurnAndPlace(pdev, &p);
    pdev->Draw.Position = p;
}

namespace {

void MoveTo(PDEV* pdev, POINTL p) {
    DrawingStateCache& c = pdev->Draw;
    if (c.PositionKnown && c.Position.x == p.x && c.Position.y == p.y) return;
    BYTE cmd[8];
    DWORD n;
    // The shortest form whose one-byte operand holds x or y.
    if (p.x >= -128 && p.x <= 127 && p.y >= -32768 && p.y <= 32767) {
        cmd[0] = 0xB6;
        cmd[1] = static_cast<BYTE>(p.x);
        cmd[2] = static_cast<BYTE>(p.y >> 8);
        cmd[3] = static_cast<BYTE>(p.y);
        n = 4;
    } else if (p.y >= -128 && p.y <= 127 && p.x >= -32768 && p.x <= 32767) {
        cmd[0] = 0xB7;
        cmd[1] = static_cast<BYTE>(p.y);
        cmd[2] = static_cast<BYTE>(p.x >> 8);
        cmd[3] = static_cast<BYTE>(p.x);
        n = 4;
    } else {
        const DWORD y = static_cast<DWORD>(p.y);
        cmd[0] = 0xB8;
        cmd[1] = 0x00;
        cmd[2] = static_cast<BYTE>(p.x >> 8);
        cmd[3] = static_cast<BYTE>(p.x);
        cmd[4] = static_cast<BYTE>(y >> 24);
        cmd[5] = static_cast<BYTE>(y >> 16);
        cmd[6] = static_cast<BYTE>(y >> 8);
        cmd[7] = static_cast<BYTE>(y);
        n = 8;
    }
    WriteBytes(pdev, cmd, n);
    c.Position = p;
    c.PositionKnown = 1;
}

}  // namespace

void WritePosition(PDEV* pdev, POINTL point) { MoveTo(pdev, MapPagePoint(pdev, point, false)); }

void WriteRasterPosition(PDEV* pdev, POINTL point) { MoveTo(pdev, MapPagePoint(pdev, point, true)); }

BYTE RopCode(BYTE rop3) {
    const BYTE inverted = static_cast<BYTE>(~rop3);
    BYTE reversed = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (inverted & (1u << bit)) reversed |= static_cast<BYTE>(0x80u >> bit);
    }
    return reversed;
}

void SetRasterOp(PDEV* pdev, ROP4 rop4) {
    const BYTE code = RopCode(static_cast<BYTE>(rop4 >> 8));
    DrawingStateCache& c = pdev->Draw;
    if (c.RopForeground == code && c.RopBackground == code) return;
    const BYTE cmd[] = {0xA6, 0x00, code, code};
    WriteBytes(pdev, cmd, sizeof cmd);
    c.RopForeground = c.RopBackground = code;
}

BYTE TextColorToGray(BYTE r, BYTE g, BYTE b) {
    const unsigned luminance = (30u * r + 59u * g + 11u * b) / 100u;
    return static_cast<BYTE>(luminance * 63u / 255u);
}
