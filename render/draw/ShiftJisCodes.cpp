// Character codes for the Shift-JIS device fonts: the ANSI code of a character, whether the
// printer's double-byte set holds it, the replacements for codes it lacks, and the vertical
// style that two-byte characters of a vertical font take.
#include <iterator>

#include "platform/Kernel.h"
#include "render/draw/DeviceFontText.h"
#include "render/draw/TextInternal.h"

namespace {

constexpr WORD kUnknownMark = 0xF040;   // a character the code page lacks
constexpr WORD kInvalidCode = 0x8148;
constexpr WORD kUnassignedCode = 0x8145;
constexpr BYTE kMissingCode = 0xA5;
constexpr WORD kVerticalStyle = 0x8000;

struct TrailRange {
    BYTE Lead;
    BYTE First;
    BYTE Last;
};
/// The assigned trail bytes of the rows whose gaps the printer's set fills with 0x8145.
constexpr TrailRange kAssigned[] = {
    {0x81, 0x40, 0x7E}, {0x81, 0x80, 0xAC}, {0x81, 0xB8, 0xBF}, {0x81, 0xC8, 0xCE}, {0x81, 0xDA, 0xE8},
    {0x81, 0xF0, 0xF7}, {0x81, 0xFC, 0xFC}, {0x84, 0x40, 0x60}, {0x84, 0x70, 0x7E}, {0x84, 0x80, 0x91},
    {0x84, 0x9F, 0xBE}, {0x87, 0x40, 0x5D}, {0x87, 0x5F, 0x75}, {0x87, 0x7E, 0x7E}, {0x87, 0x80, 0x9C},
    {0xEA, 0x40, 0x7E}, {0xEA, 0x80, 0xA4}, {0xED, 0x40, 0x7E}, {0xED, 0x80, 0xFC}, {0xEE, 0x40, 0x7E},
    {0xEE, 0x80, 0xEC}, {0xEE, 0xEF, 0xFC},
};

bool Assigned(BYTE lead, BYTE trail) {
    for (const TrailRange& r : kAssigned) {
        if (r.Lead == lead && trail >= r.First && trail <= r.Last) return true;
    }
    return false;
}

bool ValidLead(BYTE lead) { return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF); }
bool ValidTrail(BYTE trail) { return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC); }

/// Punctuation that the printer turns by itself in vertical text.
bool TurningPunctuation(WORD code) {
    const BYTE lead = static_cast<BYTE>(code >> 8);
    const BYTE trail = static_cast<BYTE>(code);
    return lead == 0x81 && (trail == 0x50 || trail == 0x51 || trail == 0x81 || (trail >= 0xA8 && trail <= 0xAB));
}

/// Vertical-only two-byte codes that a substituted string cannot print in the vertical style.
bool VerticalExcluded(BYTE trail) {
    constexpr BYTE kCodes[] = {0x4A, 0x4B, 0x50, 0x51, 0x65, 0x66, 0x67, 0x68,
                               0x81, 0x8B, 0x8C, 0x8D, 0xA8, 0xA9, 0xAA, 0xAB};
    for (BYTE c : kCodes) {
        if (c == trail) return true;
    }
    return false;
}

bool VerticalFont(const PDEV* pdev) { return (pdev->Text.DoubleByteFlags & kDbcsVertical) != 0; }

/// The style change of one character: the record carries the style word with bit 15 as
/// asked, and the sizes are swapped with it.
void ChangeVerticalStyle(PDEV* pdev, DeviceCharRecord* record, bool vertical) {
    const WORD base = static_cast<WORD>(pdev->Draw.StyleWords[0] & ~kVerticalStyle);
    record->Style = vertical ? static_cast<WORD>(base | kVerticalStyle) : base;
    pdev->StateFlags ^= kStateSizesSwapped;
    pdev->TextValues[kTextVerticalShift] = vertical ? 1 : 0;
    record->SizeSwap = pdev->Draw.SizeValues[2] != pdev->Draw.SizeValues[3] ? 1 : 0;
}

}  // namespace

WORD AnsiCodeOf(WCHAR wc) {
    char bytes[2] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, &wc, 1, bytes, 2, nullptr, nullptr);
    if (n == 1) {
        const BYTE b = static_cast<BYTE>(bytes[0]);
        return (b == '?' && wc != u'?') ? kUnknownMark : b;
    }
    if (n == 2) return static_cast<WORD>(static_cast<BYTE>(bytes[0]) << 8 | static_cast<BYTE>(bytes[1]));
    return wc == u'?' ? WORD{'?'} : kUnknownMark;
}

DWORD IsDeviceFontChar(PDEV* pdev, WCHAR wc) {
    const WORD code = AnsiCodeOf(wc);
    if (code < 0x100) return code != '~' ? 1 : 0;
    const BYTE lead = static_cast<BYTE>(code >> 8);
    const BYTE trail = static_cast<BYTE>(code);
    if (lead == 0x87 && (trail == 0x80 || trail == 0x81)) return 0;
    if (VerticalFont(pdev) && lead == 0x81 && VerticalExcluded(trail)) return 0;
    const bool userOrExtension = (lead >= 0xF0 && lead <= 0xFC) || lead == 0xED || lead == 0xEE;
    if (userOrExtension && ValidTrail(trail)) return 0;
    return 1;
}

WORD RepairShiftJis(WORD code, bool characterModeZero) {
    const BYTE lead = static_cast<BYTE>(code >> 8);
    const BYTE trail = static_cast<BYTE>(code);
    if (lead == 0) return trail < 0x20 ? kInvalidCode : code;
    // Lead and trail first: the row tables below take only valid codes.
    if (!ValidLead(lead) || !ValidTrail(trail)) return kInvalidCode;
    if (lead >= 0xEB && lead <= 0xEE && !Assigned(lead, trail)) return kUnassignedCode;
    const bool checkedInModeZero = lead == 0x81 || lead == 0x84 || lead == 0x87 || lead == 0xEA;
    if (characterModeZero && checkedInModeZero && !Assigned(lead, trail)) return kUnassignedCode;
    return code;
}

/// Fills the code of a single-byte character, leaving the vertical style first.
void SingleByteRecordCode(PDEV* pdev, WORD code, DeviceCharRecord* record) {
    if (pdev->TextValues[kTextVerticalShift] != 0) ChangeVerticalStyle(pdev, record, false);
    const bool kept = (code >= 0x20 && code <= 0x7E) || (code >= 0xA1 && code <= 0xDF);
    record->Code = kept ? code : kMissingCode;
    record->DoubleByte = 0;
    record->Vertical = pdev->TextValues[kTextVerticalShift];
}

/// Fills the code of a two-byte character, entering the vertical style first.
void DoubleByteRecordCode(PDEV* pdev, WORD code, bool characterModeZero, DeviceCharRecord* record) {
    if (VerticalFont(pdev) && pdev->TextValues[kTextVerticalShift] == 0) ChangeVerticalStyle(pdev, record, true);
    record->Code = RepairShiftJis(code, characterModeZero);
    record->DoubleByte = 1;
    record->Vertical = pdev->TextValues[kTextVerticalShift];
    if (record->Vertical && TurningPunctuation(record->Code)) {
        record->Direction = static_cast<WORD>((pdev->Text.Escapement + 270) % 360);
    }
}

void ToDeviceCode(PDEV* pdev, HGLYPH glyph, DeviceCharRecord* record) {
    record->Style = kNoStyle;
    record->Direction = kNoDirection;
    record->SizeSwap = 0;
    const WORD code = glyph > 0xFFFF ? kInvalidCode : static_cast<WORD>(glyph);
    if (glyph < 0x100) {
        SingleByteRecordCode(pdev, code, record);
    } else {
        DoubleByteRecordCode(pdev, code, pdev->Draw.CharMode == 0, record);
    }
}
