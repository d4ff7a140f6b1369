// The constraint rules of the paper: the overlay's form, the paper itself, the N-up choices,
// the output paper, the orientation and the paper source.
#include <cstdint>
#include <cstring>

#include "resources/ui/StringIds.h"
#include "settings/Forms.h"
#include "ui/resolver/ConstraintRules.h"
#include "ui/data/OverlayForm.h"

namespace constraints {
namespace {

constexpr DWORD kFeatureOutputPaper = 0x1;
constexpr DWORD kFeatureScaling = 0x2;
// The postcard size that the output paper accepts beside the model's form window (0.1 mm).
constexpr SHORT kPostcardWidth = 1000;
constexpr SHORT kPostcardLength = 1480;

// Names compare as text: what follows a terminator (which validation clears) does not count.
template <size_t N>
bool SameText(const WCHAR (&a)[N], const WCHAR (&b)[N]) {
    for (size_t i = 0; i < N; ++i) {
        if (a[i] != b[i]) return false;
        if (a[i] == 0) return true;
    }
    return true;
}
template <typename T, size_t N>
void CopyText(T (&to)[N], const T (&from)[N]) {
    std::memcpy(to, from, sizeof to);
}

void OverlayFormRule(Resolver& r) {
    RegisterOverlayForm(r.block, r.printer, r.model);
    Validate(r);
    EnableItems(r, {kReadPrinterStatusTreeItem},
                r.status == nullptr || (r.status->printerExtStatus & kExtStatusKnown) != 0);
    EnableItems(r, {kMemoryTreeItem}, false);
}

// While the overlay fixes the paper, the four paper fields the user chose wait in the shadow.
void PaperRule(Resolver& r) {
    DriverDevMode* b = r.block;
    DEVMODEW& dm = b->Public;
    const DEVMODEW& was = r.before.Public;
    const bool allowed = !OverlayOn(b);
    if (allowed) {
        CopyText(dm.dmFormName, b->SavedFormName);
        dm.dmPaperLength = b->SavedPaperLength;
        dm.dmPaperWidth = b->SavedPaperWidth;
        dm.dmPaperSize = b->SavedPaperSize;
    } else if (!SameText(dm.dmFormName, was.dmFormName)) {
        CopyText(b->SavedFormName, was.dmFormName);
        b->SavedPaperLength = was.dmPaperLength;
        b->SavedPaperWidth = was.dmPaperWidth;
        b->SavedPaperSize = was.dmPaperSize;
    }
    Validate(r);
    EnableControls(r, {{kPaperGroup, kPaperList}}, allowed);
    EnableItems(r, {kPaperSizeTreeItem}, allowed);
}

struct Layout {
    BYTE down;
    BYTE across;
};
constexpr Layout kLayoutsDown[] = {{2, 1}, {2, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}};
constexpr Layout kLayoutsAcross[] = {{1, 2}, {1, 3}, {2, 2}, {2, 3}, {3, 2}, {3, 3}};

template <size_t N>
bool NoneAllowed(const DEVMODEW& dm, const Layout (&layouts)[N]) {
    for (const Layout& layout : layouts) {
        if (IsNupLayoutAllowed(dm.dmFormName, dm.dmPaperWidth, dm.dmPaperLength, layout.down, layout.across) != 0) {
            return false;
        }
    }
    return true;
}

void NupRule(Resolver& r) {
    DriverDevMode* b = r.block;
    EnableControls(r, {{kNupGroup, kNupAcrossCombo}}, true);
    EnableItems(r, {kNupTreeItem, kNupDownTreeItem, kNupAcrossTreeItem, kNupOrderTreeItem}, true);
    const bool noDown = NoneAllowed(b->Public, kLayoutsDown);
    const bool noAcross = NoneAllowed(b->Public, kLayoutsAcross);
    if (noDown) {
        EnableControls(r, {{kNupDownLabel, kNupDownLabel}, {kNupDownCombo, kNupDownCombo}}, false);
        EnableItems(r, {kNupDownTreeItem}, false);
    }
    bool orderAllowed = true;
    if (noAcross) {
        EnableControls(r, {{kNupGroup, kNupGroup}}, !noDown);
        EnableItems(r, {kNupTreeItem}, !noDown);
        EnableControls(r, {{kNupAcrossLabel, kNupAcrossLabel}, {kNupAcrossCombo, kNupAcrossCombo}}, false);
        EnableItems(r, {kNupAcrossTreeItem}, false);
        orderAllowed = !noDown;
    }
    orderAllowed = orderAllowed && b->NupDown != 1 && b->NupAcross != 1;
    RestoreOrKeep(orderAllowed, b->NupOrder, b->SavedNupOrder, r.before.NupOrder);
    Validate(r);
    EnableControls(r, {{kNupOrderLabel, kNupOrderSecondRadio}}, orderAllowed);
    EnableItems(r, {kNupOrderTreeItem}, orderAllowed);
}

void OutputPaperSwitchRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = Plain(b);
    RestoreOrKeepBits(allowed, b->FeatureFlags, b->SavedFeatureFlags, r.before.FeatureFlags, kFeatureOutputPaper);
    Validate(r);
    EnableControls(r, {{kOutputPaperGroup, kOutputPaperGroup}, {kSameAsPaperIcon, kSameAsPaperCheck}}, allowed);
    EnableItems(r, {kPrintOnOutputPaperTreeItem}, allowed);
}

void ScalingSwitchRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = Plain(b) && b->PagesPerSheet == 1;
    RestoreOrKeepBits(allowed, b->FeatureFlags, b->SavedFeatureFlags, r.before.FeatureFlags, kFeatureScaling);
    Validate(r);
    EnableControls(r, {{kScalingIcon, kScalingCheck}}, allowed);
    EnableItems(r, {kScalingTreeItem}, allowed);
}

// The output paper of the run's start can stand when it was named, or when the paper it would
// print from lies in the model's form window (or is a postcard).
bool StartingOutputPaperAcceptable(const Resolver& r) {
    const DriverDevMode& was = r.before;
    if (was.OutputPaperName[0] != 0) return true;
    const DEVMODEW& dm = was.Public;
    if (dm.dmPaperWidth == kPostcardWidth && dm.dmPaperLength == kPostcardLength) return true;
    if (r.model == nullptr) return false;
    const int64_t width = int64_t{dm.dmPaperWidth} * 100;
    const int64_t length = int64_t{dm.dmPaperLength} * 100;
    return width >= r.model->MinFormWidth && width <= r.model->MaxFormWidth && length >= r.model->MinFormLength &&
           length <= r.model->MaxFormLength;
}

void RestoreOutputPaper(DriverDevMode* b) {
    b->OutputPaperSize = b->SavedOutputPaperSize;
    b->OutputPaperLength = b->SavedOutputPaperLength;
    b->OutputPaperWidth = b->SavedOutputPaperWidth;
    CopyText(b->OutputPaperName, b->SavedOutputPaperName);
}

void RememberOutputPaper(DriverDevMode* b, const DriverDevMode& from) {
    b->SavedOutputPaperSize = from.OutputPaperSize;
    b->SavedOutputPaperLength = from.OutputPaperLength;
    b->SavedOutputPaperWidth = from.OutputPaperWidth;
    CopyText(b->SavedOutputPaperName, from.OutputPaperName);
}

void OutputPaperRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const DriverDevMode& was = r.before;
    const bool allowed = Plain(b) && (b->FeatureFlags & kFeatureOutputPaper) != 0;
    if (allowed) {
        if (StartingOutputPaperAcceptable(r)) {
            RestoreOutputPaper(b);
        } else {
            RememberOutputPaper(b, *b);
        }
    } else if ((was.FeatureFlags & kFeatureOutputPaper) != 0 && (b->FeatureFlags & kFeatureOutputPaper) == 0 &&
               !SameText(b->OutputPaperName, was.OutputPaperName)) {
        RememberOutputPaper(b, was);
    }
    Validate(r);
    EnableControls(r, {{kOutputPaperSizeIcon, kOutputPaperList}}, allowed);
    EnableItems(r, {kOutputPaperTreeItem}, allowed);
}

void OrientationRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = !OverlayOn(b);
    RestoreOrKeep(allowed, b->Public.dmOrientation, b->SavedOrientation, r.before.Public.dmOrientation);
    Validate(r);
    EnableControls(r, {{kOrientationGroup, kLandscapeIcon}}, allowed);
    EnableItems(r, {kOrientationTreeItem}, allowed);
}

void DestinationRule(Resolver& r) {
    const bool allowed = r.block->OutputDestination == 0;
    EnableControls(r, {{kCopiesLabel, kCopiesUpDown}}, allowed);
    EnableItems(r, {kCopiesTreeItem}, allowed);
}

// A postcard of the driver's own forms goes through the manual feed when that is installed.
void SourceRule(Resolver& r) {
    DriverDevMode* b = r.block;
    LPCWSTR form = EffectiveForm(b);
    const bool manualPostcard =
        IsPostcard(form) && IsDriverForm(r.model, form) && DeviceInstalled(b, kSlotManual);
    const bool allowed = !OverlayOn(b) && !manualPostcard;
    RestoreOrKeep(allowed, b->Public.dmDefaultSource, b->SavedDefaultSource, r.before.Public.dmDefaultSource);
    Validate(r);
    EnableControls(r, {{kSourceIcon, kSourceList}}, allowed);
    EnableItems(r, {kPaperSourceTreeItem}, allowed);
    EnableControls(r, {{kMediaIcon, kMediaList}}, true);
    EnableItems(r, {kMediaTypeTreeItem}, true);
}

}  // namespace

void ApplyPaperRules(Resolver& r) {
    OverlayFormRule(r);
    PaperRule(r);
    NupRule(r);
    OutputPaperSwitchRule(r);
    ScalingSwitchRule(r);
    OutputPaperRule(r);
    OrientationRule(r);
    DestinationRule(r);
    SourceRule(r);
}

}  // namespace constraints
