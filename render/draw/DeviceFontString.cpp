// A pending run of device-font characters as the printer's character commands: single
// characters with their positions, runs at the font's own advance, and runs whose characters
// carry their displacement from that advance.
#include <utility>

#include "render/OutputStream.h"
#include "render/draw/DeviceFontText.h"
#include "render/draw/DeviceFonts.h"
#include "render/draw/DrawingState.h"
#include "render/draw/TextInternal.h"

namespace {

constexpr BYTE kOpSelectSingleByte = 0xCA;
constexpr BYTE kOpSelectDoubleByte = 0xCB;
constexpr BYTE kOpDoubleByteHeight = 0xC5;
constexpr BYTE kOpDoubleByteWidth = 0xC6;
constexpr BYTE kOpStyle = 0xC8;
constexpr BYTE kOpDirection = 0xC7;
constexpr BYTE kOpCharacter = 0xCC;
constexpr BYTE kOpPlainRun = 0xCE;
constexpr BYTE kOpDisplacedRun = 0xCD;
constexpr BYTE kOpCharMode = 0xC2;
constexpr WORD kRedTextCode = 0x91CB;
constexpr WORD kWideSpace = 0x8140;
constexpr WORD kSpace = 0x20;
constexpr BYTE kMissingCode = 0xA5;
/// The count byte of a run with displacements; runs without them keep to it as well.
constexpr ULONG kMaxRun = 255;
constexpr DWORD kFeatureOcrUndisplaced = 1u << 15;

void Put(PDEV* pdev, std::initializer_list<BYTE> bytes) {
    (void)WriteOutput(pdev, bytes.begin(), static_cast<DWORD>(bytes.size()));
}

DWORD TextMode(const PDEV* pdev) { return pdev->TextValues[kTextMode]; }

/// Two-byte codes go out in double-byte text of every font but OCR-K.
bool TwoByteCodes(const PDEV* pdev) { return TextMode(pdev) == 2 && FontKind(pdev) != kSelectOcrK; }

bool IsSpace(const PDEV* pdev, const DeviceCharRecord& r) {
    return r.Code == kSpace || (TextMode(pdev) == 2 && r.Code == kWideSpace);
}

bool IsRedText(const PDEV* pdev, const DeviceCharRecord& r) {
    return pdev->Text.RedText != 0 && TwoByteCodes(pdev) && (pdev->Text.DoubleByteFlags & kDbcsFont) &&
           r.Code == kRedTextCode;
}

void PutCode(PDEV* pdev, WORD code) {
    if (TwoByteCodes(pdev)) {
        Put(pdev, {static_cast<BYTE>(code >> 8), static_cast<BYTE>(code)});
    } else if (FontKind(pdev) == kSelectOcrK) {
        Put(pdev, {code < 256 ? static_cast<BYTE>(code) : kMissingCode});
    } else {
        Put(pdev, {static_cast<BYTE>(code)});
    }
}

void ReselectFont(PDEV* pdev) {
    DrawingStateCache& c = pdev->Draw;
    if (TwoByteCodes(pdev)) {
        const WORD font = static_cast<WORD>(c.DoubleByteFont);
        if (c.FontNumber != font) {
            PutWordCommand(pdev, kOpSelectDoubleByte, font);
            c.FontNumber = font;
        }
    } else {
        const WORD font = static_cast<WORD>(c.SingleByteFont);
        if (c.FontNumber != font) {
            PutWordCommand(pdev, kOpSelectSingleByte, font);
            c.FontNumber = font;
        }
    }
}

/// The nominal advance of a character (device units), by the font's kept sizes.
POINTL NominalAdvance(const PDEV* pdev, const DeviceCharRecord& r) {
    const TextState& t = pdev->Text;
    LONG wx;
    LONG wy;
    if (TextMode(pdev) != 2) {
        wx = wy = t.SingleByteSize[0];
    } else if (FontKind(pdev) == kSelectOcrK) {
        wx = t.SingleByteSize[0];
        wy = t.SingleByteSize[1];
    } else {
        const LONG size = (t.DoubleByteFlags & kDbcsVertical) ? t.DoubleByteSize[1] : t.DoubleByteSize[0];
        wx = wy = r.DoubleByte ? size : size / 2;
    }
    const LONG a = t.Escapement;
    return POINTL{static_cast<LONG>(static_cast<long long>(wx) * CosineOf(a) / 10000),
                  static_cast<LONG>(-(static_cast<long long>(wy) * SineOf(a)) / 10000)};
}

void ComputeDisplacements(PDEV* pdev, DeviceCharRecord* r, ULONG count) {
    const LONG scale = pdev->Geometry.ScalePercent;
    const bool ocrUndisplaced = (pdev->Settings.FeatureFlags & kFeatureOcrUndisplaced) && OcrFont(pdev);
    // On a turned page dy and -dx are sent: -dx must fit the byte too.
    const long long minDx = PageTurned(pdev) ? -127 : -128;
    for (ULONG i = 0; i < count; ++i) {
        r[i].Dx = r[i].Dy = 0;
        r[i].Usable = 0;
        if (i + 1 == count) break;
        const POINTL advance = NominalAdvance(pdev, r[i]);
        long long dx = static_cast<long long>(r[i + 1].X) - advance.x - r[i].X;
        long long dy = static_cast<long long>(r[i + 1].Y) - advance.y - r[i].Y;
        if (scale != 100) {
            dx = dx * scale / 100;
            dy = dy * scale / 100;
        }
        if (dx >= minDx && dx <= 127 && dy >= -128 && dy <= 127 && scale >= 100) {
            r[i].Dx = static_cast<signed char>(dx);
            r[i].Dy = static_cast<signed char>(dy);
            r[i].Usable = 1;
        } else if (ocrUndisplaced) {
            r[i].Usable = 1;
        }
    }
}

bool StandsAlone(const PDEV* pdev, const DeviceCharRecord& r) {
    return r.Direction != kNoDirection || IsRedText(pdev, r);
}

bool StartsRun(const PDEV* pdev, const DeviceCharRecord& r) {
    return r.Style != kNoStyle || r.SizeSwap != 0 || StandsAlone(pdev, r);
}

/// One past the last record of the run that begins at `first`.
ULONG RunEnd(const PDEV* pdev, const DeviceCharRecord* r, ULONG first, ULONG count) {
    if (StandsAlone(pdev, r[first])) return first + 1;
    ULONG last = first;
    while (last + 1 < count && r[last].Usable && last + 1 - first < kMaxRun && !StartsRun(pdev, r[last + 1])) ++last;
    return last + 1;
}

/// The style and size swap that a run's first record asks for.
void BeforeRun(PDEV* pdev, const DeviceCharRecord& r) {
    DrawingStateCache& c = pdev->Draw;
    if (r.Style != kNoStyle && r.Style != c.StyleWords[0]) {
        PutWordCommand(pdev, kOpStyle, r.Style);
        c.StyleWords[0] = r.Style;
    }
    if (r.SizeSwap) {
        const WORD height = c.SizeValues[3] != 0 ? c.SizeValues[3] : 1;
        const WORD width = c.SizeValues[2] != 0 ? c.SizeValues[2] : 1;
        PutWordCommand(pdev, kOpDoubleByteHeight, height);
        PutWordCommand(pdev, kOpDoubleByteWidth, width);
        std::swap(c.SizeValues[2], c.SizeValues[3]);
        std::swap(pdev->Text.DoubleByteSize[0], pdev->Text.DoubleByteSize[1]);
    }
}

/// Moves to a record's position; the record holds doubled coordinates already.
void MoveToRecord(PDEV* pdev, POINTL at) {
    const DWORD doubling = pdev->StateFlags & kStateDoubling;
    pdev->StateFlags &= ~kStateDoubling;
    WritePosition(pdev, at);
    pdev->StateFlags |= doubling;
}

/// Characters move the printer's position by amounts it alone knows.
void ForgetPosition(PDEV* pdev) { pdev->Draw.PositionKnown = 0; }

void WriteSingle(PDEV* pdev, const DeviceCharRecord& r) {
    if (IsSpace(pdev, r) && r.Left == 1) return;
    POINTL at{r.X, r.Y};
    if (r.Direction == kNoDirection) {
        SetTextDirection(pdev, static_cast<WORD>(pdev->Text.Escapement));
    } else {
        SetTextDirection(pdev, r.Direction);
        const LONG a = pdev->Text.Escapement;
        const long long c = pdev->Draw.SizeValues[2];
        at.x += static_cast<LONG>(c * CosineOf(a) / 10000);
        at.y -= static_cast<LONG>(c * SineOf(a) / 10000);
    }
    MoveToRecord(pdev, at);
    const bool red = IsRedText(pdev, r) && pdev->Draw.CharMode != 0;
    if (red) Put(pdev, {kOpCharMode, 0x00, 0x00, 0x00});
    Put(pdev, {kOpCharacter, 0x00});
    PutCode(pdev, r.Code);
    if (red) Put(pdev, {kOpCharMode, 0x00, 0x00, pdev->Draw.CharMode});
    ForgetPosition(pdev);
}

void WriteRun(PDEV* pdev, const DeviceCharRecord* r, ULONG count) {
    ULONG first = 0;
    ULONG end = count;
    while (first < end && IsSpace(pdev, r[first])) ++first;
    while (end > first && IsSpace(pdev, r[end - 1])) --end;
    if (first == end) return;
    SetTextDirection(pdev, static_cast<WORD>(pdev->Text.Escapement));
    MoveToRecord(pdev, POINTL{r[first].X, r[first].Y});
    const ULONG n = end - first;
    bool displaced = false;
    for (ULONG i = first; i + 1 < end; ++i) displaced = displaced || r[i].Dx != 0 || r[i].Dy != 0;
    if (!displaced) {
        Put(pdev, {kOpPlainRun, 0x00, static_cast<BYTE>(n >> 8), static_cast<BYTE>(n)});
        for (ULONG i = first; i < end; ++i) PutCode(pdev, r[i].Code);
    } else {
        const bool turned = PageTurned(pdev);
        Put(pdev, {kOpDisplacedRun, static_cast<BYTE>(n)});
        for (ULONG i = first; i < end; ++i) {
            PutCode(pdev, r[i].Code);
            const signed char dx = i + 1 < end ? r[i].Dx : 0;
            const signed char dy = i + 1 < end ? r[i].Dy : 0;
            if (turned) {
                Put(pdev, {static_cast<BYTE>(dy), static_cast<BYTE>(-dx)});
            } else {
                Put(pdev, {static_cast<BYTE>(dx), static_cast<BYTE>(dy)});
            }
        }
    }
    ForgetPosition(pdev);
}

}  // namespace

void PutWordCommand(PDEV* pdev, BYTE opcode, WORD value) {
    Put(pdev, {opcode, 0x00, static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)});
}

void SetTextDirection(PDEV* pdev, WORD angle) {
    if (pdev->Draw.DirectionAngle == angle) return;
    if (PageTurned(pdev)) {
        Put(pdev, {kOpDirection, 0x00});
        PutAngleBE(pdev, 0, angle);
    } else {
        PutWordCommand(pdev, kOpDirection, angle);
    }
    pdev->Draw.DirectionAngle = angle;
}

BOOL WritePendingRun(PDEV* pdev, DeviceCharRecord* records, ULONG* pending) {
    const ULONG n = *pending;
    for (ULONG i = 0; i < n; ++i) records[i].Left = static_cast<WORD>(n - i > 0xFFFF ? 0xFFFF : n - i);
    *pending = 0;
    return WriteDeviceFontString(pdev, records, n);
}

BOOL WriteDeviceFontString(PDEV* pdev, DeviceCharRecord* records, ULONG count) {
    if (OutputFailed(pdev)) return FALSE;
    if (records == nullptr || count == 0) return TRUE;
    ReselectFont(pdev);
    ComputeDisplacements(pdev, records, count);
    for (ULONG first = 0; first < count;) {
        if (OutputFailed(pdev)) return FALSE;
        const ULONG end = RunEnd(pdev, records, first, count);
        BeforeRun(pdev, records[first]);
        if (end - first == 1) {
            WriteSingle(pdev, records[first]);
        } else {
            WriteRun(pdev, records + first, end - first);
        }
        first = end;
    }
    return OutputFailed(pdev) ? FALSE : TRUE;
}
