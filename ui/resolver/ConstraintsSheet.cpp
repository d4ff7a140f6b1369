// The limits of the sheet itself, laid over whatever the rules decided: a read-only sheet
// greys every setting, an advanced sheet greys what the application's own dialog sets, and a
// user who may not write printer data cannot change the control that writes it.
#include "resources/ui/StringIds.h"
#include "ui/resolver/ConstraintRules.h"
#include "ui/entry/UiContext.h"

namespace constraints {
namespace {

// Controls of the pages that change a setting.
constexpr IdRange kReadOnlyControls[] = {
    {kPresetsLabel, kPagePresetSaveButton},
    {kPagesPerSheetIcon, kPagesPerSheetIcon},
    {kPageOrderIcon, kPageOrderIcon},
    {kShiftMarginsIcon, kShiftMarginsIcon},
    {kPagesPerSheetGroup, kPagesPerSheetGroup},
    {kPagesPerSheetLabel, kPagesPerSheetList},
    {kPageOrderLabel, kPageOrderList},
    {kShiftMarginsCheck, kBorderDottedRadio},
    {kDuplexIcon, kDuplexSideIcon},
    {kBindingIcon, kBindingLabel},
    {kDuplexGroup, kDuplexGroup},
    {kDuplexOffRadio, kBindingGroup},
    {kBindingStandardRadio, kBindingReversedRadio},
    {kBindingShiftLabel, kBindingShiftUnit},
    {kPrintModeGroup, kSecondPositionText},
    {kSeparateCopiesIcon, kSeparateCopiesCheck},
    {kSplitPagesLabel, kSplitJobsUpDown},
    {kDestinationIcon, kKeepJobFilesCheck},
    {kStampIcon, kJobTextLabel},
    {kPrinterStatusIcon, kPrinterStatusIcon},
    {kPrinterStatusGroup, kPrinterStatusGroup},
    {kPrinterStatusCheck, kPrinterStatusCheck},
    {kLinkedOptionsLabel, kLinkedOptionsLabel},
    {kLinkedOptionsIcon, kLinkedOptionsIcon},
    {kFastA4Check, kPrintAndHoldCheck},
    {kPageDefaultsButton, kPageDefaultsButton},
    {kPaperGroup, kOutputPaperGroup},
    {kSeparatorIcon, kSeparatorIcon},
    {kOutputPaperSizeIcon, kSameAsPaperCheck},
    {kScalingIcon, kScaleUpDown},
    {kPortraitIcon, kPortraitIcon},
    {kLandscapeIcon, kLandscapeIcon},
    {kOrientationGroup, kPortraitRadio},
    {kLandscapeRadio, kLandscapeRadio},
    {kSeparatorCheck, kSeparatorCheck},
    {kSourceIcon, kMediaList},
    {kOutputTrayIcon, kOutputTrayList},
    {kPrintModeIcon, kPrintModeList},
    {kCopiesIcon, kCopiesUpDown},
    {kNupGroup, kNupDownLabel},
    {kNupDownCombo, kNupDownCombo},
    {kNupAcrossLabel, kNupAcrossLabel},
    {kNupAcrossCombo, kNupOrderSecondRadio},
    {kDefaultsButton, kDefaultsButton},
};
static_assert(CountIds(kReadOnlyControls) == 129);

// Tree items of those settings.
constexpr IdRange kReadOnlyItems[] = {
    {kPagesPerSheetTreeItem, kMarginShiftTreeItem},
    {kDuplexTreeItem, kBindingEdgeTreeItem},
    {kBindingSideTreeItem, kBindingSideTreeItem},
    {kFinishingTreeItem, kFinishingTreeItem},
    {kFinishingOptionsTreeItem, kFinishingOptionsTreeItem},
    {kFirstPositionTreeItem, kOutputPositionTreeItem},
    {kCopiesAndJobsTreeItem, kSeparateCopiesTreeItem},
    {kSplitJobTreeItem, kSplitJobTreeItem},
    {kDestinationTreeItem, kOutputToTreeItem},
    {kPrintStampTreeItem, kStampPositionTreeItem},
    {kUsePrinterStatusTreeItem, kUsePrinterStatusTreeItem},
    {kFastA4TreeItem, kFastWithMemoryTreeItem},
    {kPrintAndHoldTreeItem, kPrintAndHoldTreeItem},
    {kPaperSizeTreeItem, kPaperSizeTreeItem},
    {kOutputPaperTreeItem, kPrintOnOutputPaperTreeItem},
    {kScaleTreeItem, kOrientationTreeItem},
    {kOutputPaperSizeTreeItem, kOutputPaperSizeTreeItem},
    {kPaperSourceTreeItem, kMediaTypeTreeItem},
    {354, 354},
    {kPrintModeTreeItem, kPrintModeTreeItem},
    {kCopiesTreeItem, kCopiesTreeItem},
    {kOutputTrayTreeItem, kOutputTrayTreeItem},
    {kNupTreeItem, kNupOrderTreeItem},
    {kResolutionTreeItem, kColourAdjustmentTreeItem},
    {kPatternScaleTreeItem, kGreyLevelsTreeItem},
    {kEdgeEnhancementTreeItem, kEdgeEnhancementTreeItem},
    {kCompatibleMarginsTreeItem, kCompatibleMarginsTreeItem},
    {kTrueTypeSubstitutionTreeItem, kTrueTypeAsGraphicsTreeItem},
    {kPrintPositionTreeItem, kPaperFeedCheckTreeItem},
    {kOverlayOptionsTreeItem, kOverlayOptionsTreeItem},
    {kPrinterTrayCheckTreeItem, kPrinterTrayCheckTreeItem},
    {kTrueTypeTableTreeItem, kDeviceHalftoneTreeItem},
    {kMemoryTreeItem, kMemoryTreeItem},
    {301, 318},
    {320, 320},
    {322, 324},
    {327, 327},
    {321, 321},
    {kReadPrinterStatusTreeItem, kReadPrinterStatusTreeItem},
};
static_assert(CountIds(kReadOnlyItems) == 90);

// What the application's own print dialog sets: copies, paper, orientation, source, duplex
// and resolution.
constexpr IdRange kAdvancedControls[] = {
    {kDuplexIcon, kDuplexShortEdgeRadio}, {kPaperGroup, kPaperList},           {kPortraitIcon, kPortraitIcon},
    {kLandscapeIcon, kLandscapeIcon},     {kOrientationGroup, kPortraitRadio}, {kLandscapeRadio, kLandscapeRadio},
    {kSourceIcon, kSourceList},           {kCopiesIcon, kCopiesUpDown},        {kDefaultsButton, kDefaultsButton},
};
static_assert(CountIds(kAdvancedControls) == 23);

constexpr IdRange kAdvancedItems[] = {{kDuplexTreeItem, kDuplexTreeItem},
                                      {kPaperSizeTreeItem, kPaperSizeTreeItem},
                                      {kOrientationTreeItem, kPaperSourceTreeItem},
                                      {kCopiesTreeItem, kCopiesTreeItem},
                                      {kResolutionTreeItem, kResolutionTreeItem}};
static_assert(CountIds(kAdvancedItems) == 6);

template <size_t N>
void GreyControls(Resolver& r, const IdRange (&ranges)[N]) {
    for (const IdRange& range : ranges) EnableControls(r, {range}, false);
}

template <size_t N>
void GreyItems(Resolver& r, const IdRange (&ranges)[N]) {
    for (const IdRange& range : ranges) {
        for (int id = range.first; id <= range.last; ++id) EnableItems(r, {id}, false);
    }
}

}  // namespace

void ApplySheetLimits(Resolver& r) {
    if ((r.contextFlags & kUiMayChange) == 0) {
        GreyControls(r, kReadOnlyControls);
        GreyItems(r, kReadOnlyItems);
    }
    if ((r.contextFlags & kUiAdvancedSheet) != 0) {
        GreyControls(r, kAdvancedControls);
        GreyItems(r, kAdvancedItems);
    }
    if ((r.contextFlags & kUiMayWriteData) == 0) EnableControls(r, {{kPagePresetSaveButton, kPagePresetSaveButton}}, false);
}

}  // namespace constraints
