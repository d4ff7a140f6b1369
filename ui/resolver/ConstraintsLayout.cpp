// The constraint rules of the page layout and the job's way out: the scale, pages per sheet
// with their order and frame, the page options, the print port and the page stamp.
#include "resources/ui/StringIds.h"
#include "ui/resolver/ConstraintRules.h"

namespace constraints {
namespace {

constexpr DWORD kFeatureScaling = 0x2;
constexpr DWORD kFeatureBit4 = 0x4;
constexpr BYTE kPageOptionFirst = 0x1;
constexpr BYTE kPageOptionSecond = 0x4;
constexpr DWORD kStampOn = 1;
constexpr DWORD kStampJobText = 8;

bool Scaling(const DriverDevMode* b) { return (b->FeatureFlags & kFeatureScaling) != 0; }

void ScaleRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = Scaling(b);
    RestoreOrKeep(allowed, b->LayoutScale, b->SavedLayoutScale, r.before.LayoutScale);
    Validate(r);
    EnableControls(r, {{kScaleEdit, kScaleUpDown}}, allowed);
    EnableItems(r, {kScaleTreeItem}, allowed);
}

void PagesPerSheetRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = Plain(b) && !Scaling(b);
    RestoreOrKeep(allowed, b->PagesPerSheet, b->SavedPagesPerSheet, r.before.PagesPerSheet);
    Validate(r);
    EnableControls(r, {{kPagesPerSheetGroup, kPagesPerSheetList}}, allowed);
    EnableItems(r, {kPagesPerSheetTreeItem}, allowed);
}

void PageFrameRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = !Scaling(b) && !OverlayOn(b);
    RestoreOrKeep(allowed, b->PageFrame, b->SavedPageFrame, r.before.PageFrame);
    Validate(r);
    EnableControls(r, {{kPageOrderIcon, kPageOrderList}}, allowed);
    EnableItems(r, {kPageOrderTreeItem}, allowed);
}

// The slot order of pages on a sheet; the two-page sheet has no use for the last two choices.
// Validation follows with the next rule.
void SlotOrderRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool allowed = b->PagesPerSheet != 1 && !OverlayOn(b) && !Scaling(b);
    RestoreOrKeep(allowed, b->NupSlotOrder, b->SavedNupSlotOrder, r.before.NupSlotOrder);
    EnableControls(r, {{kBorderGroup, kBorderDottedRadio}}, allowed);
    if (b->PagesPerSheet == 2) EnableControls(r, {{kBorderThickRadio, kBorderDottedRadio}}, false);
    EnableItems(r, {kPageBorderTreeItem}, allowed);
}

void Bit4Rule(Resolver& r) {
    DriverDevMode* b = r.block;
    RestoreBits(b->FeatureFlags, b->SavedFeatureFlags, kFeatureBit4);
    Validate(r);
    EnableControls(r, {{kPrinterStatusGroup, kPrinterStatusCheck}, {kSeparateCopiesIcon, kSeparateCopiesCheck}}, true);
    EnableItems(r, {kUsePrinterStatusTreeItem, kCopiesAndJobsTreeItem}, true);
}

void PageOptionRule(Resolver& r) {
    const BYTE bits = r.block->PageOptionBits;
    const bool first = (bits & kPageOptionFirst) != 0;
    const bool second = (bits & kPageOptionSecond) != 0;
    EnableControls(r, {{kSeparateCopiesCheck, kSeparateCopiesCheck}}, !second);
    EnableItems(r, {kSeparateCopiesTreeItem}, !second);
    EnableControls(r, {{kSplitJobCheck, kSplitJobCheck}}, !first);
    EnableItems(r, {kSplitJobTreeItem}, !first);
    EnableControls(r, {{kSplitPagesLabel, kSplitPagesUpDown}}, first && !second);
    EnableControls(r, {{kSplitJobsLabel, kSplitJobsUpDown}}, second && !first);
}

// The print port's choices need a printer that spools raw only, or a helper that runs.
void PrintPortRule(Resolver& r) {
    const bool helperRunning =
        r.status != nullptr && (r.status->printerExtStatus & kExtStatusKnown) != 0 && r.status->runningPss == 1;
    const bool allowed = RawOnly(r) == 1 || helperRunning;
    EnableControls(r, {{kDestinationIcon, kDestinationCombo}}, allowed);
    EnableItems(r, {kDestinationTreeItem, kOutputToTreeItem}, allowed);
    EnableControls(r, {{kDestinationText, kKeepJobFilesCheck}}, allowed && (r.block->RelaydockFlags & kRelaydockFileMode) != 0);
}

void StampRule(Resolver& r) {
    const DriverDevMode* b = r.block;
    const bool on = b->PageStampSwitch == kStampOn;
    EnableControls(r, {{kStampIcon, kJobTextLabel}}, true);
    EnableControls(r, {{kStampPositionCombo, kStampTextLabel}}, on);
    EnableItems(r, {kStampTextTreeItem, kStampPositionTreeItem}, on);
    EnableControls(r, {{kJobTextEdit, kJobTextLabel}}, on && b->PageStampSelector == kStampJobText);
}

}  // namespace

void ApplyLayoutRules(Resolver& r) {
    ScaleRule(r);
    PagesPerSheetRule(r);
    PageFrameRule(r);
    SlotOrderRule(r);
    Bit4Rule(r);
    PageOptionRule(r);
    PrintPortRule(r);
    StampRule(r);
}

}  // namespace constraints
