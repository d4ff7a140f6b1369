// The limits of the sheet itself, laid over whatever the rules decided: a read-only sheet
// greys every setting, an advanced sheet greys what the application's own dialog sets, and a
// user who may not write printer data cannot change the control that writes it.
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
    {402, 405}, {407, 408}, {4304, 4304}, {4300, 4300}, {569, 569}, {4301, 4303}, {4581, 4582},
    {4595, 4595}, {4584, 4585}, {639, 641}, {410, 410}, {412, 413}, {415, 415}, {419, 419}, {421, 422},
    {424, 425}, {4311, 4311}, {426, 427}, {354, 354}, {588, 588}, {428, 428}, {598, 598}, {4575, 4578},
    {432, 436}, {438, 440}, {4330, 4330}, {788, 788}, {442, 444}, {446, 449}, {570, 570}, {450, 450},
    {453, 457}, {459, 459}, {301, 318}, {320, 320}, {322, 324}, {327, 327}, {321, 321}, {451, 451},
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

constexpr IdRange kAdvancedItems[] = {{407, 407}, {419, 419}, {425, 426}, {428, 428}, {432, 432}};
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
