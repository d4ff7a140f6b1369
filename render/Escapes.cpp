// DrvEscape: the escapes applications send through the engine. Every buffer is untrusted:
// sizes are checked before a byte is read or written.
#include "render/Escapes.h"

#include <algorithm>
#include <cstring>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "render/HookLog.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "settings/ValidateSettings.h"

namespace {

constexpr ULONG kEscFailed = static_cast<ULONG>(-1);
constexpr char kTechnology[] = "VRTL Level2";  // sent with its NUL: 12 bytes
constexpr DWORD kMaxCopies = 999;

// The FeatureFlags bits an application may change with its settings escape: driver-made
// copies (2), 3, 4, 5, the origin swap (8) and 9.
constexpr DWORD kEscapeFeatureBits = (1u << 2) | (1u << 3) | (1u << 4) | (1u << 5) | (1u << 8) | (1u << 9);

struct EscapeSupport {
    ULONG Escape;
    ULONG Answer;
};
constexpr EscapeSupport kSupported[] = {
    {kEscSetCopyCount, 999},  // the largest count it takes
    {kEscQueryEscSupport, 1},
    {kEscPassThrough, 1},
    {kEscGetTechnology, 1},
    {kEscSetPageSettings, 1},
};

DWORD ReadDword(const void* in) {
    DWORD value = 0;
    std::memcpy(&value, in, sizeof value);
    return value;
}

ULONG Refuse(ULONG result) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return result;
}

ULONG QueryEscSupport(ULONG cbIn, const void* in) {
    if (in == nullptr || cbIn < sizeof(DWORD)) return Refuse(0);
    const DWORD asked = ReadDword(in);
    for (const EscapeSupport& row : kSupported) {
        if (row.Escape == asked) return row.Answer;
    }
    return 0;
}

ULONG GetTechnology(ULONG cbOut, void* out) {
    if (out == nullptr || cbOut < sizeof kTechnology) return Refuse(0);
    std::memcpy(out, kTechnology, sizeof kTechnology);
    return 1;
}

ULONG SetCopyCount(PDEV* pdev, ULONG cbIn, const void* in, ULONG cbOut, void* out) {
    if (in == nullptr || cbIn < sizeof(DWORD)) return Refuse(kEscFailed);
    if (out != nullptr && cbOut < sizeof(DWORD)) return Refuse(kEscFailed);
    const DWORD copies = std::clamp<DWORD>(ReadDword(in), 1, kMaxCopies);
    pdev->Settings.Public.dmCopies = static_cast<SHORT>(copies);
    if (out != nullptr) std::memcpy(out, &copies, sizeof copies);
    return 1;
}

ULONG PassThrough(PDEV* pdev, ULONG cbIn, const void* in) {
    if (in == nullptr || cbIn < sizeof(WORD)) return Refuse(kEscFailed);
    WORD count = 0;
    std::memcpy(&count, in, sizeof count);
    if (cbIn - sizeof(WORD) < count) return Refuse(kEscFailed);

    // Data of this escape is not drawing: it alone does not make the sheet worth ejecting.
    pdev->SheetBlank = 1;
    // Nothing was written, so the caller must not be told that it was.
    if (OutputFailed(pdev)) return kEscFailed;
    FlushPendingSetup(pdev);
    FlushOutput(pdev);
    DWORD written = 0;
    if (!WriteDestination(pdev, static_cast<const BYTE*>(in) + sizeof(WORD), count, &written)) return kEscFailed;
    pdev->FlowFlags |= kFlowDataWritten;
    return written;
}

ULONG SetPageSettings(PDEV* pdev, ULONG cbIn, const void* in) {
    if (in == nullptr || cbIn != kDriverDevModeSize) return kEscFailed;
    DriverDevMode given;
    std::memcpy(&given, in, sizeof given);

    pdev->FlowFlags |= kFlowSettingsEscapeSeen;
    CopyPageSettingsEscapeFields(pdev->Settings, given);

    // Validation keeps what the application sent inside the ranges the scale and slot code
    // divide by (pages per sheet, scale, copies).
    ValidateDevMode(&pdev->Settings, nullptr, pdev->Printer, nullptr, pdev->Model);
    ApplyPageScale(pdev);

    pdev->ClipLimitRect = PrintableRectDots(pdev->Geometry.OutputPaper, static_cast<SHORT>(Resolution(pdev)));
    return 1;
}

}  // namespace

ULONG DrvEscape(SURFOBJ* pso, ULONG escape, ULONG cbIn, PVOID in, ULONG cbOut, PVOID out) noexcept {
    PDEV* pdev = PdevOf(pso);
    HookLog(pdev, kLogDrawingHooks, u"DDI:DrvEscape IN");
    HookLogValue(pdev, kLogDrawingHooks, u"DrvEscape iEsc = ", "%08X", escape);

    // These two answer for the driver, not for a device.
    if (escape == kEscQueryEscSupport) return QueryEscSupport(cbIn, in);
    if (escape == kEscGetTechnology) return GetTechnology(cbOut, out);

    if (!ValidatePDEV(pdev)) return Refuse(0);
    switch (escape) {
        case kEscSetCopyCount:
            return SetCopyCount(pdev, cbIn, in, cbOut, out);
        case kEscPassThrough:
            return PassThrough(pdev, cbIn, in);
        case kEscSetPageSettings:
            return SetPageSettings(pdev, cbIn, in);
        default:
            return 0;
    }
}

void CopyPageSettingsEscapeFields(DriverDevMode& to, const DriverDevMode& from) {
    to.PagesPerSheet = from.PagesPerSheet;
    to.PageFrame = from.PageFrame;
    to.NupSlotOrder = from.NupSlotOrder;
    to.TopMargin = from.TopMargin;
    to.LeftMargin = from.LeftMargin;
    to.TopMarginEven = from.TopMarginEven;
    to.LeftMarginEven = from.LeftMarginEven;
    to.Public.dmDuplex = from.Public.dmDuplex;
    to.Public.dmCopies = from.Public.dmCopies;
    to.FeatureFlags = (to.FeatureFlags & ~kEscapeFeatureBits) | (from.FeatureFlags & kEscapeFeatureBits);
    to.CoverFlags = from.CoverFlags;
    to.FinishPosition1 = from.FinishPosition1;
    to.FinishPosition2 = from.FinishPosition2;
    to.DuplexShift = from.DuplexShift;
    to.SavedDuplexShift = from.SavedDuplexShift;
}
