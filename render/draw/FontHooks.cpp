// The font query hooks.
#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/JobFlow.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/HookFrame.h"

namespace {

constexpr LONG kFontDataError = -1;        // FD_ERROR
constexpr ULONG kQueryWidths = 0;          // QAW_GETWIDTHS
constexpr ULONG kQueryEasyWidths = 1;      // QAW_GETEASYWIDTHS

}  // namespace

// The device carries no fonts yet (its font count is 0), so no face number is in range:
// every query is refused as a bad face.
PVOID DrvQueryFont(DHPDEV /*dhpdev*/, ULONG_PTR /*iFile*/, ULONG /*iFace*/, ULONG_PTR* pid) noexcept {
    if (pid != nullptr) *pid = 0;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

PVOID DrvQueryFontTree(DHPDEV /*dhpdev*/, ULONG_PTR /*iFile*/, ULONG /*iFace*/, ULONG /*iMode*/,
                       ULONG_PTR* pid) noexcept {
    if (pid != nullptr) *pid = 0;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

LONG DrvQueryFontData(DHPDEV /*dhpdev*/, FONTOBJ* /*pfo*/, ULONG /*iMode*/, HGLYPH /*hg*/, PVOID /*pgd*/,
                      PVOID /*pv*/, ULONG /*cjSize*/) noexcept {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kFontDataError;
}

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* /*pfo*/, ULONG iMode, HGLYPH* /*phg*/, PVOID /*pvWidths*/,
                           ULONG cGlyphs) noexcept {
    if (!ValidatePDEV(PdevOf(dhpdev))) return Refuse(ERROR_INVALID_PARAMETER);
    if (iMode != kQueryWidths && iMode != kQueryEasyWidths) return Refuse(ERROR_INVALID_PARAMETER);
    if (cGlyphs == 0) return TRUE;
    return Refuse(ERROR_INVALID_PARAMETER);
}
