// The printer font of a call: its escapement from the font transform, its number, sizes and
// style, the baseline offsets, and the font commands whose values changed.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "render/OutputStream.h"
#include "render/draw/DeviceFontText.h"
#include "render/draw/DeviceFonts.h"
#include "render/draw/TextInternal.h"

namespace {

constexpr BYTE kCharsetShiftJis = 128;
constexpr BYTE kOpSelectSingleByte = 0xCA;
constexpr BYTE kOpSelectDoubleByte = 0xCB;
constexpr BYTE kOpSingleByteHeight = 0xC3;
constexpr BYTE kOpSingleByteWidth = 0xC4;
constexpr BYTE kOpDoubleByteHeight = 0xC5;
constexpr BYTE kOpDoubleByteWidth = 0xC6;
constexpr BYTE kOpStyle = 0xC8;
constexpr WORD kMaxDeviceSize = 12500;
constexpr WORD kVerticalStyle = 0x8000;
constexpr LONG kOcrDecipoints = 120;

struct SizeFactors {
    long long doubleByte;     // Shift-JIS fonts, over 108
    long long width;          // single-byte fonts, over 1200
    long long height;
    LONG ocrBaseline;         // baseline offset of a substituted OCR-B
};

SizeFactors FactorsOf(int dpi) {
    switch (dpi) {
    case 240:
        return {360, 2400, 3200, 32};
    case 200:
    case 400:
        return {600, 4000, 5400, 54};
    case 1200:
        return {1800, 12000, 16000, 160};
    default:
        return {900, 6000, 8000, 80};
    }
}

int DotsPerInch(const PDEV* pdev) {
    const int dpi = Resolution(pdev);
    return dpi > 0 ? dpi : 600;
}

/// A float value truncated into 32 bits (NaN 0, beyond the range the range's end).
LONG TruncateClamped(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<LONG>::max())) return std::numeric_limits<LONG>::max();
    if (v <= static_cast<double>(std::numeric_limits<LONG>::min())) return std::numeric_limits<LONG>::min();
    return static_cast<LONG>(v);
}

/// ((v x m) / divisor + 5) / 10, between 1 and the printer's largest size.
WORD DeviceSize(long long v, long long m, long long divisor) {
    const long long size = (v * m / divisor + 5) / 10;
    if (size <= 0) return 1;
    return size > kMaxDeviceSize ? kMaxDeviceSize : static_cast<WORD>(size);
}

WORD Scaled(WORD size, LONG percent) {
    if (percent == 100) return size;
    const long long v = static_cast<long long>(size) * percent / 100;
    if (v <= 0) return 1;
    return v > 0xFFFF ? WORD{0xFFFF} : static_cast<WORD>(v);
}

void SendSize(PDEV* pdev, BYTE opcode, DWORD slot, WORD value) {
    WORD& cached = pdev->Draw.SizeValues[slot];
    if (cached == value) return;
    PutWordCommand(pdev, opcode, value);
    cached = value;
}

/// Degrees 0 to 359 of the font transform's baseline direction; a substituted TrueType font's
/// entries are taken in its own units.
LONG Escapement(const XFORML& x, int dpi, bool substituted) {
    double scale = 1000.0 * 18432.0 / dpi;
    if (substituted) scale /= 3.9064083;
    return static_cast<LONG>(EscapementDegrees(x, scale));
}

bool MapVector(XFORMOBJ* transform, LONG x, LONG y, POINTL* out) {
    POINTL in{x, y};
    if (!XFORMOBJ_bApplyXform(transform, XF_LTOL, 1, &in, out)) return false;
    out->x = out->x < 0 ? -out->x : out->x;
    out->y = out->y < 0 ? -out->y : out->y;
    return true;
}

/// The printer's font number of a select id ("06F2-031" is 0x0310, "06F1-009" 0x0040).
WORD FontNumberOf(const char* id) {
    const auto digit = [&](int i) { return static_cast<unsigned>(id[i] - '0') & 0xF; };
    if (id[7] == kSelectOcrK) return static_cast<WORD>((digit(5) * 16 + digit(6)) * 256 + 0x40);
    return static_cast<WORD>(((digit(5) * 16 + digit(6)) * 16 + digit(7)) * 16);
}

/// 2 for bold, 1 for italic, by the metrics and the engine's simulations.
DWORD StyleOf(const IFIMETRICS* metrics, const FONTOBJ* font) {
    DWORD style = 0;
    if (metrics->usWinWeight > 699) style |= 2;
    if (metrics->ptlCaret.x != 0) style |= 1;
    if (font->flFontType & FO_SIM_BOLD) style |= 2;
    if (font->flFontType & FO_SIM_ITALIC) style |= 1;
    return style;
}

bool VerticalStyleName(const IFIMETRICS* metrics) {
    if (metrics->dpwszStyleName <= 0) return false;
    const auto* name = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(metrics) + metrics->dpwszStyleName);
    return name[0] == u'@';
}

void SelectFont(PDEV* pdev, WORD number, bool shiftJis) {
    DrawingStateCache& c = pdev->Draw;
    if (c.FontNumber == number) return;
    if (!shiftJis || FontKind(pdev) == kSelectOcrK) {
        c.SingleByteFont = static_cast<SHORT>(number);
        PutWordCommand(pdev, kOpSelectSingleByte, number);
    } else {
        c.DoubleByteFont = static_cast<SHORT>(number);
        PutWordCommand(pdev, kOpSelectDoubleByte, number);
    }
    c.FontNumber = number;
}

}  // namespace

BOOL RealizeDeviceFont(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, TextRunInfo* info) {
    TextState& t = pdev->Text;
    if (!info->DeviceFont) {
        pdev->StateFlags &= ~kStateDeviceFontText;
        pdev->GlyphRunMode = 1;
        t.DoubleByteFlags = 0;
        return TRUE;
    }
    pdev->StateFlags |= kStateDeviceFontText;
    const bool substituted = info->Substituted != 0;
    const int dpi = DotsPerInch(pdev);
    const LONG scale = pdev->Geometry.ScalePercent;

    LONG em = 1000;
    const IFIMETRICS* trueType = nullptr;
    if (t.TrueTypeShiftJis) {
        trueType = FONTOBJ_pifi(font);
        if (trueType == nullptr) return FALSE;
        if (trueType->fwdUnitsPerEm > 0) em = trueType->fwdUnitsPerEm;
    }
    XFORML matrix{};
    if (transform == nullptr || XFORMOBJ_iGetXform(transform, &matrix) == 0xFFFFFFFFu) return FALSE;
    pdev->FontMatrix[0] = matrix.eM11;
    pdev->FontMatrix[1] = matrix.eM12;
    pdev->FontMatrix[2] = matrix.eM21;
    pdev->FontMatrix[3] = matrix.eM22;
    POINTL v{};
    POINTL u{};
    if (!MapVector(transform, 0, em, &v) || !MapVector(transform, em, 0, &u)) return FALSE;
    t.Escapement = Escapement(matrix, dpi, substituted);

    const DeviceFontResource* resource = DeviceFont(pdev, info->FontNumber);
    const IFIMETRICS* metrics = resource != nullptr ? DeviceFontMetrics(resource) : nullptr;
    const char* selectId = resource != nullptr ? DeviceFontSelectId(resource) : nullptr;
    if (metrics == nullptr || selectId == nullptr) return FALSE;

    const double factor = (substituted && !t.TrueTypeShiftJis) ? 1474.202 : 720.289;
    LONG height = TruncateClamped(EuclidLength(v.x, v.y) * factor / dpi);
    LONG width = TruncateClamped(EuclidLength(u.x, u.y) * factor / dpi);

    std::memcpy(t.SelectId, selectId, sizeof t.SelectId);
    const WORD number = FontNumberOf(t.SelectId);
    const DWORD style = StyleOf(substituted && trueType != nullptr ? trueType : metrics, font);

    const bool shiftJis = metrics->jWinCharSet == kCharsetShiftJis;
    if (shiftJis) {
        pdev->GlyphRunMode = 0;
        t.DoubleByteFlags = VerticalStyleName(metrics) ? (kDbcsFont | kDbcsVertical)
                                                        : static_cast<WORD>((t.DoubleByteFlags & ~kDbcsVertical) | kDbcsFont);
    } else {
        pdev->GlyphRunMode = 1;
        t.DoubleByteFlags = 0;
    }
    const bool vertical = (t.DoubleByteFlags & kDbcsVertical) != 0;

    WORD styleWord = 0;
    pdev->StateFlags &= ~kStateHorizontalDbcs;
    pdev->TextValues[kTextVerticalShift] = 0;
    if (shiftJis) {
        if (vertical) {
            styleWord = kVerticalStyle;
            pdev->TextValues[kTextVerticalShift] = 1;
        } else {
            pdev->StateFlags |= kStateHorizontalDbcs;
        }
    }

    SelectFont(pdev, number, shiftJis);

    const char kind = FontKind(pdev);
    const bool ocr = kind == kSelectOcrB || kind == kSelectOcrK;
    if (ocr && scale == 100) height = width = kOcrDecipoints;
    const SizeFactors f = FactorsOf(dpi);
    const bool substitutedOcrB = substituted && kind == kSelectOcrB;

    if (shiftJis && kind != kSelectOcrK) {
        pdev->TextCell[kCellWidth2] = static_cast<DWORD>(width);
        pdev->TextCell[kCellHeight2] = static_cast<DWORD>(height);
        const WORD w = DeviceSize(width, f.doubleByte, 108);
        const WORD h = DeviceSize(height, f.doubleByte, 108);
        t.DoubleByteSize[0] = vertical ? h : w;
        t.DoubleByteSize[1] = vertical ? w : h;
        const WORD sw = Scaled(w, scale);
        const WORD sh = Scaled(h, scale);
        if (!vertical) {
            SendSize(pdev, kOpDoubleByteHeight, 2, sh);
            SendSize(pdev, kOpDoubleByteWidth, 3, sw);
            pdev->StateFlags &= ~kStateSizesSwapped;
        } else {
            SendSize(pdev, kOpDoubleByteHeight, 2, sw);
            SendSize(pdev, kOpDoubleByteWidth, 3, sh);
            pdev->StateFlags |= kStateSizesSwapped;
        }
        const LONG k = (pdev->StateFlags & kStateDoubling) ? 2 : 1;
        t.BaselineX = v.x * k;
        t.BaselineY = v.y * k;
    } else {
        if (kind == kSelectOcrK) {
            pdev->TextCell[kCellWidth2] = static_cast<DWORD>(width);
            pdev->TextCell[kCellHeight2] = static_cast<DWORD>(height);
        }
        pdev->TextCell[kCellWidth] = static_cast<DWORD>(width);
        pdev->TextCell[kCellHeight] = static_cast<DWORD>(height);
        const WORD w = DeviceSize(width, f.width, 1200);
        const WORD h = DeviceSize(height, f.height, 1200);
        t.SingleByteSize[0] = w;
        t.SingleByteSize[1] = h;
        SendSize(pdev, kOpSingleByteHeight, 0, Scaled(h, scale));
        SendSize(pdev, kOpSingleByteWidth, 1, Scaled(w, scale));
        const long long base = substitutedOcrB ? f.ocrBaseline : h;
        t.BaselineX = static_cast<LONG>(std::llabs(SineOf(t.Escapement)) * base / 10000);
        t.BaselineY = static_cast<LONG>(std::llabs(CosineOf(t.Escapement)) * base / 10000);
    }

    pdev->StateFlags &= ~kStateTextResize;
    if (style & 2) styleWord |= 1;
    if (style & 1) styleWord |= 2;
    if (substitutedOcrB) styleWord &= static_cast<WORD>(~3u);
    if (styleWord != pdev->Draw.StyleWords[0]) {
        PutWordCommand(pdev, kOpStyle, styleWord);
        pdev->Draw.StyleWords[0] = styleWord;
    }
    t.CodeTable = shiftJis ? nullptr : kDeviceCharTable;
    return TRUE;
}
