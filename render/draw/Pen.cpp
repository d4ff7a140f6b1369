// The pen of strokes: its gray (AD) and the logical-operation pair of its mix (A6).
#include "render/OutputStream.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"
#include "render/draw/PathInternal.h"

namespace {

constexpr BYTE kR2Nop = 0x0B;
constexpr BYTE kPenMode = 0x4F;

/// The printer's code of each foreground ROP2, R2_BLACK (1) to R2_WHITE (16).
constexpr BYTE kPenCodes[16] = {0xFF, 0x5F, 0xAF, 0x0F, 0xF5, 0x55, 0xA5, 0x05,
                                0xFA, 0x5A, 0xAA, 0x0A, 0xF0, 0x50, 0xA0, 0x00};

/// The same ROP2 in both halves, or a foreground over R2_NOP except R2_MASKPENNOT (5), which
/// the printer has no pair for.
bool Accepted(BYTE foreground, BYTE background) {
    if (foreground < 1 || foreground > 16) return false;
    if (foreground == background) return true;
    return background == kR2Nop && foreground != 5;
}

}  // namespace

BYTE PenLogicalCode(BYTE rop2) { return kPenCodes[static_cast<BYTE>(rop2 - 1) & 0x0F]; }

void SetPenColor(PDEV* pdev, BYTE red, BYTE green, BYTE blue, MIX mix) {
    const BYTE foreground = static_cast<BYTE>(mix);
    const BYTE background = static_cast<BYTE>(mix >> 8);
    if ((mix >> 16) != 0 || !Accepted(foreground, background)) return;

    DrawingStateCache& c = pdev->Draw;
    const BYTE gray = static_cast<BYTE>(kGrayBlack + TextColorToGray(red, green, blue));
    if (c.PenGray != gray || c.PenMode != kPenMode) {
        PutBytes(pdev, {0xAD, 0x00, gray, kPenMode});
        c.PenGray = gray;
        c.PenMode = kPenMode;
    }
    const BYTE code = PenLogicalCode(foreground);
    const BYTE second = background == kR2Nop ? 0xAA : code;
    if (c.RopForeground == code && c.RopBackground == second) return;
    PutBytes(pdev, {0xA6, 0x00, code, second});
    c.RopForeground = code;
    c.RopBackground = second;
}
