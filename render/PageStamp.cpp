// The page stamp: one line of text (user, computer, date, time, document name, page number
// or the user's text) in the printer's Gothic font at one of nine places of the page's area.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/PageDecorations.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"

namespace {

constexpr BYTE kCharModeStamp = 2;
constexpr WORD kGothicFont = 0x2510;
constexpr BYTE kStampGray = 16;
constexpr BYTE kRopTextForeground = 0xC0;
constexpr BYTE kRopTextBackground = 0xAA;
/// The run command counts its characters in one byte.
constexpr size_t kMaxStampChars = 255;

struct StampSize {
    WORD size;
    WORD minimum;
};

StampSize StampSizeFor(int dpi) {
    switch (dpi) {
        case 200:
        case 400:
            return {58, 22};
        case 240:
            return {35, 14};
        case 1200:
            return {176, 67};
        default:
            return {88, 34};
    }
}

/// One character in the ANSI code page: one byte, or two (lead first) for a Shift-JIS code,
/// repaired to what the printer's character set holds.
struct StampChar {
    BYTE bytes[2];
    BYTE count;
};

bool OutsideRepertoire(BYTE lead, BYTE trail) {
    const bool leadOk = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF);
    const bool trailOk = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
    if (!leadOk || !trailOk) return true;
    if (lead == 0xEB && trail >= 0x9F) return true;
    if (lead == 0xEC && ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xBD))) return true;
    if (lead == 0xED) return true;
    if (lead == 0xEE && trail >= 0xED && trail != 0xF9) return true;
    return false;
}

StampChar ConvertStampChar(WCHAR ch) {
    char bytes[4] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, &ch, 1, bytes, sizeof bytes, nullptr, nullptr);
    if (n == 2) {
        const BYTE lead = static_cast<BYTE>(bytes[0]);
        const BYTE trail = static_cast<BYTE>(bytes[1]);
        if (lead == 0xEE && trail == 0xF9) return StampChar{{0x81, 0xCA}, 2};
        if (OutsideRepertoire(lead, trail)) return StampChar{{0x81, 0x48}, 2};
        return StampChar{{lead, trail}, 2};
    }
    const BYTE b = n == 1 ? static_cast<BYTE>(bytes[0]) : static_cast<BYTE>('?');
    const bool printable = (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF);
    return StampChar{{printable ? b : static_cast<BYTE>('?'), 0}, 1};
}

/// The text of this page's stamp, at most kMaxStampChars characters.
std::u16string StampText(const PDEV* pdev) {
    std::u16string text;
    if (pdev->PageNumberStamp != 0) {
        char digits[16];
        snprintf(digits, sizeof digits, "-%ld-", static_cast<long>(pdev->WantedPage.PageCount));
        for (const char* p = digits; *p != 0; ++p) text.push_back(static_cast<char16_t>(*p));
    } else {
        const WCHAR* source = pdev->DocumentNameStamp != 0 ? pdev->DocumentName : pdev->PageStampText;
        const size_t room = pdev->DocumentNameStamp != 0 ? std::size(pdev->DocumentName) : std::size(pdev->PageStampText);
        for (size_t i = 0; i < room && source[i] != 0; ++i) text.push_back(source[i]);
    }
    if (text.size() > kMaxStampChars) text.resize(kMaxStampChars);
    return text;
}

void WriteIfChanged4(PDEV* pdev, BYTE op, WORD value, WORD& cached) {
    if (cached == value) return;
    const BYTE command[] = {op, 0x00};
    (void)WriteOutput(pdev, command, sizeof command);
    PutWordBE(pdev, value);
    cached = value;
}

void SetStampFont(PDEV* pdev, WORD size) {
    DrawingStateCache& c = pdev->Draw;
    if (c.CharMode != kCharModeStamp) {
        const BYTE mode[] = {0xC2, 0x00, 0x00, kCharModeStamp};
        (void)WriteOutput(pdev, mode, sizeof mode);
        c.CharMode = kCharModeStamp;
    }
    if (c.FontNumber != kGothicFont) {
        const BYTE select[] = {0xCB, 0x00};
        (void)WriteOutput(pdev, select, sizeof select);
        PutWordBE(pdev, kGothicFont);
        c.FontNumber = kGothicFont;
        c.DoubleByteFont = static_cast<SHORT>(kGothicFont);
    }
    WriteIfChanged4(pdev, 0xC3, size, c.SizeValues[0]);
    WriteIfChanged4(pdev, 0xC4, static_cast<WORD>(size / 2), c.SizeValues[1]);
    WriteIfChanged4(pdev, 0xC5, size, c.SizeValues[2]);
    WriteIfChanged4(pdev, 0xC6, size, c.SizeValues[3]);
    WriteIfChanged4(pdev, 0xC8, 0, c.StyleWords[0]);
    if (c.RopForeground != kRopTextForeground || c.RopBackground != kRopTextBackground) {
        const BYTE rop[] = {0xA6, 0x00, kRopTextForeground, kRopTextBackground};
        (void)WriteOutput(pdev, rop, sizeof rop);
        c.RopForeground = kRopTextForeground;
        c.RopBackground = kRopTextBackground;
    }
    if (c.TextGray != kStampGray) {
        const BYTE gray[] = {0xBD, 0x00, kStampGray, 0x00};
        (void)WriteOutput(pdev, gray, sizeof gray);
        c.TextGray = kStampGray;
    }
}

POINTL StampPosition(const PDEV* pdev, const RECTL& a, WORD angle, WORD size, LONG byteCount) {
    const LONG u = pdev->UnitFactor > 0 ? pdev->UnitFactor : 1;
    const LONG w = (size / 2) / u;
    const LONG h = size / u;
    const DWORD place = pdev->PageStampPosition;
    const DWORD column = place % 3;
    const DWORD row = place / 3 % 3;
    POINTL p{};
    if (angle == 0) {
        p.x = column == 0 ? a.left + 2 : column == 1 ? (a.right - a.left) / 2 - (w / 2) * byteCount + a.left
                                                     : a.right - w * byteCount - 2;
        p.y = row == 0 ? a.top + 2 : row == 1 ? (a.bottom - a.top) / 2 - h / 2 + a.top : a.bottom - h - 2;
    } else {
        p.x = row == 0 ? a.left + 2 : row == 1 ? (a.right - a.left) / 2 - h / 2 + a.left : a.right - h - 2;
        p.y = column == 0 ? a.bottom - 2 : column == 1 ? (a.bottom - a.top) / 2 + a.top + (w / 2) * byteCount
                                                       : a.top + w * byteCount + 2;
    }
    if (GraphicsOnly(pdev)) {
        p.x *= u;
        p.y *= u;
    }
    return p;
}

}  // namespace

void WritePageStamp(PDEV* pdev, WORD pagesPerSheet) {
    LeavePageControlMode(pdev);
    const DecorationArea area = StampArea(pdev, pagesPerSheet);

    const std::u16string text = StampText(pdev);
    std::vector<StampChar> chars;
    chars.reserve(text.size());
    LONG byteCount = 0;
    for (char16_t ch : text) {
        chars.push_back(ConvertStampChar(ch));
        byteCount += chars.back().count;
    }

    if (pdev->VectorResolution != Resolution(pdev)) EnterVectorScale(pdev);
    WORD& scale = pdev->Geometry.ScalePercent;
    const WORD savedScale = scale;
    scale = 100;
    const BYTE frameMark = pdev->FrameBeingDrawn;
    if (pagesPerSheet == 1 && SeparateOutputPaper(pdev)) pdev->FrameBeingDrawn = 1;
    SetClipRectangle(pdev, area.clip);
    pdev->FrameBeingDrawn = frameMark;

    const StampSize stampSize = StampSizeFor(Resolution(pdev));
    WORD size = stampSize.size;
    if (pagesPerSheet != 1) size = static_cast<WORD>(static_cast<DWORD>(size) * savedScale / 100);
    size = std::max(size, stampSize.minimum);
    SetStampFont(pdev, size);

    const WORD angle = static_cast<DWORD>(pdev->Settings.Public.dmOrientation) == pdev->SentOrientation ? 0 : 90;
    WriteIfChanged4(pdev, 0xC7, angle, pdev->Draw.DirectionAngle);

    WritePosition(pdev, StampPosition(pdev, area.place, angle, size, byteCount));
    scale = savedScale;

    // A run with displacements: each code (two bytes in the double-byte font) and a zero
    // displacement, so that the characters advance by the font's own pitch.
    const BYTE run[] = {0xCD, static_cast<BYTE>(chars.size())};
    (void)WriteOutput(pdev, run, sizeof run);
    for (const StampChar& c : chars) {
        const BYTE code[] = {c.count == 2 ? c.bytes[0] : BYTE{0}, c.count == 2 ? c.bytes[1] : c.bytes[0], 0, 0};
        (void)WriteOutput(pdev, code, sizeof code);
    }
    pdev->SheetBlank = 0;
}
