// Document page 1's category panels: which control set each category shows, its labels, and
// the values it shows from the working settings; also the layout lists and the page-border
// radios.
#include <algorithm>
#include <iterator>
#include <span>
#include <string>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PageListFillers.h"
#include "ui/pages/PropertyPages.h"

namespace {

// A category is known by its icon.
constexpr int kCategoryLayout = kLayoutCategoryIconId;
constexpr int kCategoryDuplex = kDuplexCategoryIconId;
constexpr int kCategoryStatus = kStatusCategoryIconId;
constexpr int kCategoryOptions = kOptionsCategoryIconId;
constexpr int kCategoryCounts = kCopiesAndJobsCategoryIconId;
constexpr int kCategoryDestination = kDestinationCategoryIconId;

// The page's categories in order; the duplex one joins only with a duplex unit.
constexpr PageCategory kCategoryTable[] = {
    {kCategoryLayout, kLayoutCategoryText},           {kCategoryCounts, kCountsCategoryText},
    {kCategoryDestination, kDestinationCategoryText}, {kCategoryOptions, kOptionsCategoryText},
    {kCategoryStatus, kStatusCategoryText},
};
constexpr int kDuplexSlot = 8;  // DEV_Duplex

struct Label {
    int control;
    UINT text;
};

struct ControlGroup {
    int category;  // 0: shown by no category
    std::span<const int> controls;
    std::span<const Label> labels;
};

constexpr int kLayoutControls[] = {kPagesPerSheetGroup, kPagesPerSheetIcon, kPagesPerSheetLabel, kPageOrderIcon,
                                   kPageOrderLabel,     kShiftMarginsIcon,  kShiftMarginsCheck,  kBorderGroup,
                                   kBorderIcon,         kBorderNoneRadio,   kBorderThinRadio,    kBorderThickRadio,
                                   kBorderDottedRadio,  kPagesPerSheetList, kPageOrderList};
constexpr Label kLayoutLabels[] = {{kPagesPerSheetLabel, kPagesPerSheetLabelText},
                                   {kPageOrderLabel, kPageOrderLabelText},
                                   {kShiftMarginsCheck, kShiftMarginsCheckText},
                                   {kBorderThickRadio, kBorderThickRadioText},
                                   {kBorderDottedRadio, kBorderDottedRadioText}};
constexpr int kDuplexControls[] = {
    kDuplexGroup,       kDuplexIcon,           kDuplexLabel,          kDuplexSideIcon,
    kDuplexOffRadio,    kDuplexLongEdgeRadio,  kDuplexShortEdgeRadio, kBindingGroup,
    kBindingIcon,       kBindingStandardRadio, kBindingLabel,         kBindingReversedRadio,
    kBindingShiftLabel, kBindingShiftEdit,     kBindingShiftUpDown,   kBindingShiftUnit};
constexpr int kFinishingControls[] = {kPrintModeGroup,           kPrintModeStandardRadio,  kPrintModeSortRadio,
                                      kPrintModeStapleRadio,     kFinishingPositionButton, kOutputPositionGroup,
                                      kOutputPositionNoneRadio,  kOutputPositionLeftRadio, kOutputPositionCentreRadio,
                                      kOutputPositionRightRadio, kFirstPositionIcon,       kFirstPositionText,
                                      kSecondPositionIcon,       kSecondPositionText};
constexpr int kCountsControls[] = {kSeparateCopiesIcon, kSeparateCopiesCheck, kSplitPagesLabel,
                                   kSplitPagesEdit,     kSplitPagesUpDown,    kSplitJobCheck,
                                   kSplitJobsLabel,     kSplitJobsEdit,       kSplitJobsUpDown};
constexpr Label kCountsLabels[] = {{kSeparateCopiesCheck, kSeparateCopiesCheckText},
                                   {kSplitPagesLabel, kSplitPagesLabelText},
                                   {kSplitJobCheck, kSplitJobCheckText},
                                   {kSplitJobsLabel, kSplitJobsLabelText}};
constexpr int kDestinationControls[] = {kDestinationIcon, kDestinationLabel,    kDestinationCombo,
                                        kDestinationText, kJobFileFolderButton, kKeepJobFilesCheck};
constexpr Label kDestinationLabels[] = {{kDestinationLabel, kDestinationLabelText},
                                        {kJobFileFolderButton, kJobFileFolderButtonText},
                                        {kKeepJobFilesCheck, kKeepJobFilesCheckText}};
constexpr int kOptionsControls[] = {kStampIcon,      kStampCheck,     kStampPositionCombo, kStampPositionLabel,
                                    kStampTextCombo, kStampTextLabel, kJobTextEdit,        kJobTextLabel};
constexpr Label kOptionsLabels[] = {{kStampCheck, kStampCheckText},
                                    {kStampPositionLabel, kStampPositionLabelText},
                                    {kStampTextLabel, kStampTextLabelText},
                                    {kJobTextLabel, kJobTextLabelText}};
constexpr int kStatusControls[] = {kPrinterStatusGroup, kPrinterStatusIcon, kPrinterStatusCheck};
constexpr Label kStatusLabels[] = {{kPrinterStatusCheck, kPrinterStatusCheckText}};
constexpr int kLinkedControls[] = {kLinkedOptionsIcon, kLinkedOptionsLabel, kFastA4Check, kFastWithMemoryCheck};
constexpr int kOutputOptionControls[] = {kOutputOptionIcon, kOutputOptionLabel, kPrintAndHoldCheck};

constexpr ControlGroup kGroups[] = {
    {kCategoryLayout, kLayoutControls, kLayoutLabels},
    {0, kDuplexControls, {}},
    {0, kFinishingControls, {}},
    {kCategoryCounts, kCountsControls, kCountsLabels},
    {kCategoryDestination, kDestinationControls, kDestinationLabels},
    {kCategoryOptions, kOptionsControls, kOptionsLabels},
    {kCategoryStatus, kStatusControls, kStatusLabels},
    {0, kOutputOptionControls, {}},
};

constexpr UINT kLayoutModeStrings[] = {kOnePagePerSheetText,     kTwoPagesPerSheetText,   kFourPagesPerSheetText,
                                       kSixPagesPerSheetText,    kEightPagesPerSheetText, kNinePagesPerSheetText,
                                       kSixteenPagesPerSheetText};
constexpr UINT kLayoutOrderStrings[] = {kLeftToRightText, kRightToLeftText, kTopToBottomText, kBottomToTopText,
                                        kLeftToRightDownText};
constexpr int kBorderCount = kBorderDottedRadio - kBorderNoneRadio + 1;
constexpr int kTextChars = 256;

constexpr DWORD kLayoutFixedByScaling = 0x2;  // FeatureFlags bit 1
constexpr DWORD kShiftMargins = 0x200;         // FeatureFlags bit 9
constexpr DWORD kUsePrinterStatus = 0x4;       // FeatureFlags bit 2
constexpr WORD kKeepJobFiles = 0x2;            // RelaydockFlags bit 1
constexpr BYTE kSeparateCopies = 0x1;          // PageOptionBits bit 0
constexpr BYTE kSplitJob = 0x4;                // PageOptionBits bit 2
constexpr DWORD kOwnStampText = 8;

void ShowSet(HWND dialog, std::span<const int> controls, bool shown) {
    for (int id : controls) {
        HWND control = GetDlgItem(dialog, id);
        ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
        EnableWindow(control, shown ? TRUE : FALSE);
    }
}

void SetLabel(HMODULE library, HWND dialog, int control, UINT textId) {
    WCHAR text[kTextChars + 1] = {};
    LoadStringW(library, textId, text, kTextChars + 1);
    SetDlgItemTextW(dialog, control, text);
}

void Check(HWND dialog, int control, bool checked) { CheckDlgButton(dialog, control, checked ? BST_CHECKED : BST_UNCHECKED); }

int AddComboString(HWND dialog, int combo, LPCWSTR text, LPARAM data) {
    const auto index = SendDlgItemMessageW(dialog, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendDlgItemMessageW(dialog, combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return static_cast<int>(index);
}

void UpDown(HWND dialog, int control, int low, int high, int position) {
    SendDlgItemMessageW(dialog, control, UDM_SETRANGE, 0, MAKELONG(high, low));
    SendDlgItemMessageW(dialog, control, UDM_SETPOS, 0, MAKELONG(position, 0));
}

// The paper picture's list holds one item: the block's paper.
void FillPaperPicture(HWND dialog, const DriverDevMode& block) {
    SendDlgItemMessageW(dialog, kPreviewControl, LB_RESETCONTENT, 0, 0);
    const auto item = SendDlgItemMessageW(dialog, kPreviewControl, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
    if (item >= 0) {
        SendDlgItemMessageW(dialog, kPreviewControl, LB_SETITEMDATA, static_cast<WPARAM>(item), block.Public.dmPaperSize);
    }
}

// The stamp's own text, cut at the field's end when it has no terminator.
void ShowStampText(HWND dialog, const DriverDevMode& block) {
    WCHAR text[sizeof(DriverDevMode::PageStampText) / sizeof(WCHAR)] = {};
    if (block.PageStampSelector == kOwnStampText) {
        std::copy_n(block.PageStampText, std::size(text) - 1, text);
    }
    SetDlgItemTextW(dialog, kJobTextEdit, text);
}

int CategoryAt(PageRecord* page, int index, int* clamped) {
    PageCategory categories[kPageCategoryMax] = {};
    const DriverDevMode* block = page != nullptr && page->context != nullptr ? &page->context->workingBlock : nullptr;
    const int count = BuildPageCategories(block, categories);
    *clamped = ClampCategoryIndex(index, count);
    return count > 0 ? categories[*clamped].iconId : 0;
}

}  // namespace

int BuildPageCategories(const DriverDevMode* block, PageCategory out[kPageCategoryMax]) {
    const bool duplex = block != nullptr && (block->DeviceSlots[kDuplexSlot].State & 0x8) != 0;
    int count = 0;
    for (const PageCategory& category : kCategoryTable) {
        if (count == kPageCategoryMax) break;
        if (category.iconId == kCategoryDuplex && !duplex) continue;
        out[count++] = category;
    }
    return count;
}

int ClampCategoryIndex(int index, int count) {
    if (count <= 0) return 0;
    return std::clamp(index, 0, count - 1);
}

void ShowDocumentPage1Group(PageRecord* page, HWND dialog, int index) {
    int clamped = 0;
    const int category = CategoryAt(page, index, &clamped);
    const ControlGroup* shown = nullptr;
    for (const ControlGroup& group : kGroups) {
        if (group.category == category && category != 0) {
            shown = &group;
            continue;
        }
        ShowSet(dialog, group.controls, false);
    }
    // The linked options give way to the first three categories' panels only.
    if (category == kCategoryLayout || category == kCategoryCounts || category == kCategoryDestination) {
        ShowSet(dialog, kLinkedControls, false);
    }
    if (shown == nullptr) return;
    ShowSet(dialog, shown->controls, true);
    const HMODULE library = page != nullptr && page->context != nullptr ? page->context->languageLibrary : nullptr;
    for (const Label& label : shown->labels) SetLabel(library, dialog, label.control, label.text);
}

void FillDocumentPage1Group(PageRecord* page, HWND dialog, int index) {
    if (page == nullptr || page->context == nullptr) return;
    ShowDocumentPage1Group(page, dialog, index);
    int clamped = 0;
    const int category = CategoryAt(page, index, &clamped);
    DriverDevMode& block = page->context->workingBlock;
    switch (category) {
        case kCategoryLayout: {
            FillPagesPerSheetList(page, dialog);
            FillPageOrderList(page, dialog);
            Check(dialog, kShiftMarginsCheck, (block.FeatureFlags & kShiftMargins) != 0);
            ShowBorderRadios(page, dialog);
            const bool fixed = (block.FeatureFlags & kLayoutFixedByScaling) != 0 || block.NupDown != 1 ||
                               block.NupAcross != 1 || (block.OverlayFlags & kOverlayOn) != 0;
            SetPageHint(page, dialog, fixed ? kLayoutFixedHint : 0, kHintFixed);
            SetControlIcon(dialog, kPagesPerSheetIcon, PageIcon(page, kFourUpLandscapeIconId));
            SetControlIcon(dialog, kPageOrderIcon, PageIcon(page, kFourAcrossThenDownPortraitIconId));
            SetControlIcon(dialog, kShiftMarginsIcon, PageIcon(page, kMarginShiftIconId));
            break;
        }
        case kCategoryStatus: {
            const bool reported = (block.FeatureFlags & kUsePrinterStatus) != 0;
            Check(dialog, kPrinterStatusCheck, reported);
            SetControlIcon(dialog, kPrinterStatusIcon,
                           PageIcon(page, reported ? kPrinterCheckedIconId : kPrinterCrossedIconId));
            SetPageHint(page, dialog, (page->context->status.printerExtStatus & 0x4) != 0 ? kReportedOptionsHint : 0,
                        kHintInfo);
            break;
        }
        case kCategoryOptions:
            Check(dialog, kStampCheck, block.PageStampSwitch != 0);
            FillChoiceValue2List(page, dialog);
            FillChoiceValue1List(page, dialog);
            ShowStampText(dialog, block);
            SetPageHint(page, dialog, kStampHint, kHintNote);
            break;
        case kCategoryCounts:
            Check(dialog, kSeparateCopiesCheck, (block.PageOptionBits & kSeparateCopies) != 0);
            SendDlgItemMessageW(dialog, kSplitPagesEdit, EM_LIMITTEXT, 1, 0);
            SendDlgItemMessageW(dialog, kSplitJobsEdit, EM_LIMITTEXT, 1, 0);
            UpDown(dialog, kSplitPagesUpDown, 2, 6, block.SplitCounts & 0xF);
            Check(dialog, kSplitJobCheck, (block.PageOptionBits & kSplitJob) != 0);
            UpDown(dialog, kSplitJobsUpDown, 1, 6, block.SplitCounts >> 4);
            SetPageHint(page, dialog, kSplitHint, kHintNote);
            break;
        case kCategoryDestination:
            FillOutputDestinationList(page, dialog);
            Check(dialog, kKeepJobFilesCheck, (block.RelaydockFlags & kKeepJobFiles) != 0);
            SetPageHint(page, dialog, kDestinationHint, kHintNote);
            break;
        default:
            break;
    }
    FillPaperPicture(dialog, block);
    block.CategoryIndex = static_cast<WORD>(clamped);
}

void FillPagesPerSheetList(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const DriverDevMode& block = page->context->workingBlock;
    SendDlgItemMessageW(dialog, kPagesPerSheetList, CB_RESETCONTENT, 0, 0);
    int selected = -1;
    for (UINT id : kLayoutModeStrings) {
        WCHAR text[kTextChars + 1] = {};
        LoadStringW(page->context->languageLibrary, id, text, kTextChars + 1);
        const int index = AddComboString(dialog, kPagesPerSheetList, text, static_cast<LPARAM>(id));
        if (id == block.PagesPerSheet + static_cast<UINT>(kPagesPerSheetTextBase)) selected = index;
    }
    SendDlgItemMessageW(dialog, kPagesPerSheetList, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void FillPageOrderList(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    SendDlgItemMessageW(dialog, kPageOrderList, CB_RESETCONTENT, 0, 0);
    for (UINT id : kLayoutOrderStrings) {
        WCHAR text[kTextChars + 1] = {};
        LoadStringW(page->context->languageLibrary, id, text, kTextChars + 1);
        AddComboString(dialog, kPageOrderList, text, static_cast<LPARAM>(id));
    }
    const WORD order = page->context->workingBlock.PageFrame;
    SendDlgItemMessageW(dialog, kPageOrderList, CB_SETCURSEL, order < std::size(kLayoutOrderStrings) ? order : static_cast<WPARAM>(-1),
                        0);
}

void ShowBorderRadios(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const DriverDevMode& block = page->context->workingBlock;
    const int frame = std::min<int>(block.NupSlotOrder, kBorderCount - 1);
    CheckRadioButton(dialog, kBorderNoneRadio, kBorderDottedRadio, kBorderNoneRadio + frame);
    // The labels turn when the pages run against the paper's own direction.
    const bool across = IsPortraitPaper(&block) == (block.Public.dmOrientation == DMORIENT_LANDSCAPE);
    UINT first = kNoBorderText;
    UINT second = kThinLineText;
    if (block.PagesPerSheet == 2) {
        first = across ? kSingleLineTurnedText : kSingleLineText;
        second = across ? kDoubleLineTurnedText : kDoubleLineText;
    }
    const HMODULE library = page->context->languageLibrary;
    WCHAR text[kTextChars + 1] = {};
    LoadStringW(library, first, text, kTextChars - 4);
    std::u16string label = text;
    label += u"(&H)";
    SetDlgItemTextW(dialog, kBorderNoneRadio, label.c_str());
    SetLabel(library, dialog, kBorderThinRadio, second);
    const int row = block.PagesPerSheet <= 1 ? 0 : 1 + frame * 2 + (across ? 1 : 0);
    SetControlIcon(dialog, kBorderIcon, PageRowIcon(page, PageIconRow::Nine, row));
}
