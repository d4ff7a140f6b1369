// The constraint rules of the feature switches (the settings code's FeatureFlags), the
// compatible margins, the overlay's check box and the items that only show what is possible.
#include "resources/ui/StringIds.h"
#include "ui/resolver/ConstraintRules.h"

namespace constraints {
namespace {

constexpr DWORD kFeatureScaling = 0x2;
constexpr DWORD kFeatureBit4 = 0x4;
constexpr DWORD kFeatureBit8 = 0x8;
constexpr DWORD kFeatureBit16 = 0x10;
constexpr DWORD kFeatureBit64 = 0x40;
constexpr DWORD kFeatureBit128 = 0x80;
constexpr DWORD kFeatureBit256 = 0x100;
constexpr DWORD kFeatureBit512 = 0x200;
constexpr DWORD kOptionPrinterReported = 0x20000;  // the printer reported its memory
constexpr WORD kPrintModeNoFeatures = 2;

constexpr DWORD kMemoryFor1200 = 0x41FFF;  // more than this is needed at 1200 dpi
constexpr DWORD kMemoryFor600 = 73727;     // more than this is needed at 600 dpi or less

bool A4Features(const Resolver& r) {
    const DriverDevMode* b = r.block;
    LPCWSTR form = EffectiveForm(b);
    return NameIs(form, u"A4") && IsDriverForm(r.model, form) && SourceIsAutoWhenPresent(r) &&
           (b->FeatureFlags & kFeatureBit64) != 0 && b->PrintMode != kPrintModeNoFeatures;
}

// A bit that follows the rule's test: restored while allowed, kept while not; then validated.
void FeatureBit(Resolver& r, bool allowed, DWORD bit) {
    DriverDevMode* b = r.block;
    RestoreOrKeepBits(allowed, b->FeatureFlags, b->SavedFeatureFlags, r.before.FeatureFlags, bit);
    Validate(r);
}

void Bit8Rule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = A4Features(r);
    if (allowed) {
        RestoreBits(b->FeatureFlags, b->SavedFeatureFlags, kFeatureBit8);
        // With bit 16 on, bit 8 goes with bit 4 in the block and in the shadow.
        if ((b->FeatureFlags & kFeatureBit16) != 0) {
            const DWORD value = (b->FeatureFlags & kFeatureBit4) != 0 ? kFeatureBit8 : 0;
            b->FeatureFlags = (b->FeatureFlags & ~kFeatureBit8) | value;
            b->SavedFeatureFlags = (b->SavedFeatureFlags & ~kFeatureBit8) | value;
        }
    } else {
        KeepBits(b->FeatureFlags, b->SavedFeatureFlags, r.before.FeatureFlags, kFeatureBit8);
    }
    Validate(r);
    EnableControls(r, {{kLinkedOptionsIcon, kFastA4Check}}, allowed);
    EnableItems(r, {kFastA4TreeItem}, allowed);
}

// Without a status that vouches for the printer, the installed memory must carry the resolution.
bool MemorySuffices(const Resolver& r) {
    const DriverDevMode* b = r.block;
    const bool unvouched = r.status != nullptr && (r.status->printerExtStatus & kExtStatusKnown) == 0 &&
                           (b->OptionFlags & kOptionPrinterReported) == 0;
    if (!unvouched) return true;
    const SHORT dpi = b->Public.dmPrintQuality;
    const DWORD memory = b->InstalledMemory;
    return (dpi < 1200 || memory > kMemoryFor1200) && (dpi > 600 || memory > kMemoryFor600);
}

void Bit16Rule(Resolver& r) {
    const bool allowed = MemorySuffices(r) && A4Features(r);
    FeatureBit(r, allowed, kFeatureBit16);
    EnableControls(r, {{kFastWithMemoryCheck, kFastWithMemoryCheck}}, allowed);
    EnableItems(r, {kFastWithMemoryTreeItem}, allowed);
}

bool SourceMatchesNoSlot(const Resolver& r) {
    const ModelDescription* model = r.model;
    if (model == nullptr) return true;
    const ModelNamedValue* slots = ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (static_cast<SHORT>(LOWORD(slots[i].Value)) == r.block->Public.dmDefaultSource) return false;
    }
    return true;
}

void Bit64Rule(Resolver& r) {
    const DriverDevMode* b = r.block;
    LPCWSTR form = EffectiveForm(b);
    const bool formFits =
        IsDriverForm(r.model, form) && !NameIs(form, u"往復はがき") && !NameIs(form, u"封筒 洋形 4 号");
    const bool sourceFits = SourceMatchesNoSlot(r) || SourceIs(b, r.autoSlot) || SourceIs(b, r.multiSlot) ||
                            SourceIs(b, r.manualSlot);
    const bool allowed = formFits && sourceFits;
    FeatureBit(r, allowed, kFeatureBit64);
    EnableItems(r, {kPaperFeedCheckTreeItem}, allowed);
}

void Bit128Rule(Resolver& r) {
    constexpr DWORD kBoth = kExtStatusKnown | kExtStatusCapability;
    const bool allowed = r.status == nullptr || (r.status->printerExtStatus & kBoth) == kBoth;
    FeatureBit(r, allowed, kFeatureBit128);
    EnableItems(r, {kPrinterTrayCheckTreeItem}, allowed);
}

void Bit256Rule(Resolver& r) {
    const DriverDevMode* b = r.block;
    const bool unit = r.status == nullptr || DeviceInstalled(b, kSlotDuplex);
    const bool allowed = unit && (b->Public.dmDuplex == 2 || b->Public.dmDuplex == 3);
    FeatureBit(r, allowed, kFeatureBit256);
    EnableControls(r, {{kBindingGroup, kBindingReversedRadio}, {kBindingShiftLabel, kBindingShiftUnit}}, allowed);
    EnableItems(r, {kBindingEdgeTreeItem, kBindingSideTreeItem}, allowed);
}

void Bit512Rule(Resolver& r) {
    const DriverDevMode* b = r.block;
    const bool allowed = b->PagesPerSheet != 1 && !OverlayOn(b) && (b->FeatureFlags & kFeatureScaling) == 0;
    FeatureBit(r, allowed, kFeatureBit512);
    EnableControls(r, {{kShiftMarginsIcon, kShiftMarginsCheck}}, allowed);
    EnableItems(r, {kMarginShiftTreeItem}, allowed);
}

// The switches of what the printer renders itself, which graphics-only output (bit 0x800)
// excludes, in the order they are resolved.
enum class Needs { NotGraphicsOnly, NotGraphicsOnlyAt600, Not1200 };
struct DeviceSwitch {
    DWORD bit;
    int item;
    Needs needs;
};
constexpr DeviceSwitch kDeviceSwitches[] = {
    {0x400, kTonerSaveTreeItem, Needs::NotGraphicsOnly},
    {0x8000000, kEdgeEnhancementTreeItem, Needs::NotGraphicsOnly},
    {0x1000, kFineLinesTreeItem, Needs::NotGraphicsOnlyAt600},
    {0x20000, kFastGraphicsTreeItem, Needs::Not1200},  // a resolution limit, whatever the graphics-only switch says
    {0x2000, kTrueTypeSubstitutionTreeItem, Needs::NotGraphicsOnly},
    {0x4000, kTrueTypeAsGraphicsTreeItem, Needs::NotGraphicsOnly},
    {0x8000, kDownloadAsOutlineTreeItem, Needs::NotGraphicsOnly},
};

void DeviceSwitchRules(Resolver& r) {
    for (const DeviceSwitch& device : kDeviceSwitches) {
        const DriverDevMode* b = r.block;
        const bool graphicsOnly = (b->FeatureFlags & kFeatureGraphicsOnly) != 0;
        const SHORT dpi = b->Public.dmPrintQuality;
        bool allowed = false;
        switch (device.needs) {
        case Needs::NotGraphicsOnly: allowed = !graphicsOnly; break;
        case Needs::NotGraphicsOnlyAt600: allowed = !graphicsOnly && dpi == 600; break;
        case Needs::Not1200: allowed = dpi != 1200; break;
        }
        FeatureBit(r, allowed, device.bit);
        EnableItems(r, {device.item}, allowed);
    }
}

void CompatibleMarginRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = !OverlayOn(b);
    RestoreOrKeepBits(allowed, b->OptionFlags, b->SavedOptionFlags, r.before.OptionFlags, kOptionCompatibleMargin);
    Validate(r);
    EnableItems(r, {kUnlistedCompatibleMarginsTreeItem}, allowed);
}

void OverlayCheckRule(Resolver& r) {
    DriverDevMode* b = r.block;
    RestoreOrKeepBits<WORD>(OverlayOn(b), b->OverlayFlags, b->SavedOverlayFlags, r.before.OverlayFlags,
                            kOverlayChecked);
    Validate(r);
}

void ShowOnlyRules(Resolver& r) {
    EnableItems(r, {kPrintPositionTreeItem}, !OverlayOn(r.block) && r.block->DuplexShift == 0);
    EnableItems(r, {kRelaydockDestinationText}, RawOnly(r) == 1);
}

}  // namespace

void ApplyFeatureRules(Resolver& r) {
    Bit8Rule(r);
    Bit16Rule(r);
    Bit64Rule(r);
    Bit128Rule(r);
    Bit256Rule(r);
    Bit512Rule(r);
    DeviceSwitchRules(r);
    CompatibleMarginRule(r);
    OverlayCheckRule(r);
    ShowOnlyRules(r);
}

}  // namespace constraints
