// Validation of the page layout: range checks of untrusted fields, the N-up (face layout)
// arrangement, its margins and the reduction of pages onto the output paper.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "settings/Forms.h"
#include "settings/MergeSettings.h"
#include "settings/ValidateInternal.h"

namespace validation {
namespace {

constexpr DWORD kFeatureNupLayout = 1u << 0;
constexpr DWORD kFeatureNoReduction = 1u << 1;

constexpr WORD kMinLayoutScale = 10;
constexpr WORD kMaxLayoutScale = 400;

// Unsigned fields whose range starts at 0.
template <typename T>
void KeepAtMost(T& value, T high, T fallback) {
    if (value > high) value = fallback;
}

bool IsPagesPerSheetValue(WORD pages) {
    constexpr WORD kValues[] = {1, 2, 4, 6, 8, 9, 16};
    return std::find(std::begin(kValues), std::end(kValues), pages) != std::end(kValues);
}

bool OverlayOn(const DriverDevMode* block) { return (block->OverlayFlags & kOverlayOn) != 0; }

// Printable area in thousandths of a millimetre.
struct Area {
    int64_t Left;
    int64_t Top;
    int64_t Right;
    int64_t Bottom;
};

Area AreaOfRecord(const ModelForm& form) {
    return {form.PrintableLeft, form.PrintableTop, form.PrintableRight, form.PrintableBottom};
}

Area PaperArea(const Context& context) {
    if (context.PaperPort != nullptr) return AreaOfRecord(*context.PaperPort);
    const DEVMODEW& dm = context.Block->Public;
    const int64_t width = int64_t{dm.dmPaperWidth} * 100;
    if (IsStandardPaper(dm.dmFormName)) return {5000, 5000, width - 5000, (int64_t{dm.dmPaperLength} - 50) * 100};
    return {12700, 0, width - 12700, (int64_t{dm.dmPaperLength} - 43) * 100};
}

Area OutputArea(const Context& context) {
    const DriverDevMode* block = context.Block;
    if (block->OutputPaperName[0] == 0) return PaperArea(context);
    if (context.OutputPort != nullptr) return AreaOfRecord(*context.OutputPort);
    return {12700, 0, int64_t{block->OutputPaperWidth} * 100 - 12700, int64_t{block->OutputPaperLength} * 100 - 4300};
}

// Extent in dots at 240 dpi, rounded up; 0 for an empty or inverted extent.
int64_t Dots(int64_t extent) { return extent > 0 ? (extent * 240 + 25399) / 25400 : 0; }

}  // namespace

void ClampUntrustedFields(DriverDevMode* block) noexcept {
    // Names are compared and copied as strings: each must end inside its field.
    block->Public.dmFormName[CCHFORMNAME - 1] = 0;
    TerminatePrivateStrings(block);
    block->OutputPaperName[31] = 0;

    block->Public.dmCopies = std::clamp<SHORT>(block->Public.dmCopies, 1, 999);
    if (!IsPagesPerSheetValue(block->PagesPerSheet)) block->PagesPerSheet = 1;
    // The renderer divides by the scale.
    block->LayoutScale = std::clamp(block->LayoutScale, kMinLayoutScale, kMaxLayoutScale);
    if (block->NupDown < 1 || block->NupDown > 3) block->NupDown = 1;
    if (block->NupAcross < 1 || block->NupAcross > 3) block->NupAcross = 1;
    // Indexes into the renderer's frame, order and stamp tables.
    KeepAtMost<WORD>(block->PageFrame, 4, 0);
    KeepAtMost<WORD>(block->NupSlotOrder, 3, 0);
    KeepAtMost<DWORD>(block->PageStampSelector, 8, 0);
    KeepAtMost<DWORD>(block->PageStampPosition, 8, 2);
    if (block->LogSizeLimit < 1 || block->LogSizeLimit > 100) block->LogSizeLimit = 10;
}

bool IsNupInUse(const DriverDevMode* block) noexcept { return block->NupDown != 1 || block->NupAcross != 1; }

void RepairNupArrangement(DriverDevMode* block) noexcept {
    const DEVMODEW& dm = block->Public;
    auto allowed = [&](BYTE down, BYTE across) {
        return IsNupLayoutAllowed(dm.dmFormName, dm.dmPaperWidth, dm.dmPaperLength, down, across) == 1;
    };

    // The saved copy tells which of the two counts the user changed since the last check.
    if (block->SavedNupDown != 1 || block->SavedNupAcross != 1) {
        block->SavedNupDown = block->NupDown;
        block->SavedNupAcross = block->NupAcross;
        if (!allowed(block->NupDown, block->NupAcross)) {
            block->NupDown = block->NupAcross = 1;
            block->SavedNupDown = block->SavedNupAcross = 1;
        }
    } else if (block->NupDown != 1) {
        bool found = false;
        for (BYTE across = 1; across <= 3 && !found; ++across) {
            if (!allowed(block->NupDown, across)) continue;
            block->NupAcross = across;
            block->SavedNupDown = block->NupDown;
            block->SavedNupAcross = across;
            found = true;
        }
        if (!found) block->NupDown = block->SavedNupDown = 1;
    } else if (block->NupAcross != 1) {
        const BYTE across = block->NupAcross;
        if (!allowed(1, across)) {
            if (allowed(2, across)) {
                block->NupDown = 2;
            } else if (allowed(3, across)) {
                block->NupDown = 3;
            } else {
                block->NupAcross = block->SavedNupAcross = 1;
            }
        }
    }

    if (block->NupDown == 1) {
        block->NupOrder = 0;
    } else if (block->NupAcross == 1) {
        block->NupOrder = 1;
    }
}

void SetNupMargins(DriverDevMode* block) noexcept {
    const bool nup = IsNupInUse(block);
    LPCWSTR paper = block->Public.dmFormName;
    // Bits 24 and 25 remember that the margins were set for the current mode, so that a
    // margin the user adjusts afterwards is kept.
    if (nup && IsNupPaper(paper)) {
        if ((block->OptionFlags & kOptionNupMargins) == 0) {
            block->TopMargin = 50;
            block->LeftMargin = 50;
        }
        block->OptionFlags |= kOptionNupMargins;
    } else {
        if ((block->OptionFlags & kOptionNupMargins) != 0) {
            block->TopMargin = 0;
            block->LeftMargin = 127;
        }
        block->OptionFlags &= ~kOptionNupMargins;
    }

    if (!nup) {
        if (block->PagesPerSheet != 1 && (block->OptionFlags & kOptionPagesPerSheetMargins) != 0) {
            block->TopMargin = 50;
            block->LeftMargin = 177;
            block->OptionFlags &= ~kOptionPagesPerSheetMargins;
        }
    } else if (block->SavedPagesPerSheet != 1 && (block->OptionFlags & kOptionPagesPerSheetMargins) == 0) {
        const bool nupPaper = IsNupPaperWithoutLetter(paper);
        block->TopMargin = nupPaper ? 50 : 0;
        block->LeftMargin = nupPaper ? 50 : 127;
        block->OptionFlags |= kOptionPagesPerSheetMargins;
    }
}

void SetLayoutFeatureBits(DriverDevMode* block) noexcept {
    const bool nup = IsNupInUse(block);
    if (OverlayOn(block)) block->FeatureFlags &= ~kFeatureNupLayout;
    if (nup) block->FeatureFlags |= kFeatureNupLayout;
    if (OverlayOn(block) || nup || block->PagesPerSheet != 1) block->FeatureFlags &= ~kFeatureNoReduction;
}

void ComputeLayoutScale(const Context& context) noexcept {
    DriverDevMode* block = context.Block;
    if ((block->FeatureFlags & kFeatureNoReduction) != 0) return;

    const Area paper = PaperArea(context);
    const Area output = OutputArea(context);
    const int64_t paperHigh = Dots(paper.Bottom - paper.Top);
    const int64_t paperWide = Dots(paper.Right - paper.Left);
    const int64_t outputHigh = Dots(output.Bottom - output.Top);
    const int64_t outputWide = Dots(output.Right - output.Left);
    // A zero-sized area (a form with no printable part) cannot be scaled onto or from.
    int64_t scale = 100;
    if (paperHigh > 0 && paperWide > 0 && outputHigh > 0 && outputWide > 0) {
        scale = std::min(outputHigh * 100 / paperHigh, outputWide * 100 / paperWide);
        scale = std::clamp<int64_t>(scale, kMinLayoutScale, kMaxLayoutScale);
    }
    if (IsNupInUse(block) || block->PagesPerSheet != 1) scale = 100;
    block->LayoutScale = static_cast<WORD>(scale);
}

void ApplyPagesPerSheetRules(DriverDevMode* block) noexcept {
    const bool noReduction = (block->FeatureFlags & kFeatureNoReduction) != 0;
    if (OverlayOn(block) || IsNupInUse(block) || noReduction) block->PagesPerSheet = 1;
    if (OverlayOn(block) || noReduction) {
        block->PageFrame = 0;
        block->NupSlotOrder = 0;
    }
    if (block->PagesPerSheet == 1) {
        block->NupSlotOrder = 0;
    } else if (block->PagesPerSheet == 2 && block->NupSlotOrder > 1) {
        // Two pages on a sheet have only the two orders.
        block->NupSlotOrder = 0;
        block->SavedNupSlotOrder = 0;
    }
}

}  // namespace validation
