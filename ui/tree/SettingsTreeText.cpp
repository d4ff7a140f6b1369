// The settings tree's line texts: what each item shows of a settings block, its icon, and
// whether it differs from the block last handed back. Values that pick a string or an icon by
// arithmetic are kept inside the range the strings and icons exist for: a block from an
// application may hold anything there.
#include <algorithm>
#include <string>

#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/tree/SettingsTreeState.h"

namespace {

constexpr int kStringChars = 260;
constexpr size_t kMaxLabelChars = 254;  // the label length (with "<") fits the word's 8 bits
constexpr int kDefaultIcon = kPrinterIconId;
// Fixed text of the memory item; the same in every language.
constexpr char16_t kStandardMemoryText[] = u"1GB(\u6A19\u6E96)";

enum class Field { Feature, Option, Overlay, PageBits };

// An item that shows one bit as one of two strings and icons.
struct BitRow {
    int itemId;
    Field field;
    DWORD bit;
    int stringSet, stringClear;
    int iconSet, iconClear;
};
constexpr int kOnIcon = kCheckMarkIconId, kOffIcon = kCrossMarkIconId;
constexpr BitRow kBitRows[] = {
    {kUsePrinterStatusTreeItem, Field::Feature, 0x4, kOnText, kOffText, kFourUpLandscapeIconId,
     kFourAcrossThenDownPortraitIconId},
    {kFastA4TreeItem, Field::Feature, 0x8, kOnText, kOffText, kMarginShiftIconId, kLightBulbIconId},
    {kFastWithMemoryTreeItem, Field::Feature, 0x10, kOnText, kOffText, kOnIcon, kOffIcon},
    {kPrintAndHoldTreeItem, Field::Feature, 0x20, kOnText, kOffText, kOnIcon, kOffIcon},
    {kPrintOnOutputPaperTreeItem, Field::Feature, 0x1, kOnText, kOffText, kPrintOnOutputPaperIconId,
     kPrintOnOutputPaperIconId},
    {kScalingTreeItem, Field::Feature, 0x2, kOnText, kOffText, kMagnifierIconId, kMagnifierIconId},
    {kTrueTypeSubstitutionTreeItem, Field::Feature, 0x2000, kOnText, kOffText, kOnIcon, kOffIcon},
    {kTonerSaveTreeItem, Field::Feature, 0x400, kTonerSaveOnText, kStandardText, kOnIcon, kOffIcon},
    {kSmoothingTreeItem, Field::Feature, 0x800, kEnhancedText, kStandardText, kSmoothLineIconId, kJaggedLineIconId},
    {kFineLinesTreeItem, Field::Feature, 0x1000, kFineLinesOnText, kStandardText, kOnIcon, kOffIcon},
    {kDownloadAsOutlineTreeItem, Field::Feature, 0x8000, kOutlineOnText, kOutlineOffText, kOnIcon, kOffIcon},
    {kTrueTypeAsGraphicsTreeItem, Field::Feature, 0x4000, kTrueTypeAsGraphicsOnText, kTrueTypeAsGraphicsOffText,
     kOnIcon, kOffIcon},
    {kEdgeEnhancementTreeItem, Field::Feature, 0x8000000, kEdgeEnhancementOnText, kEdgeEnhancementOffText, kOnIcon,
     kOffIcon},
    {kPrintProcessingTreeItem, Field::Feature, 0x1000000, kStandardProcessingText, kFastProcessingText,
     kStandardProcessingIconId, kFastProcessingIconId},
    {kFormOverlayTreeItem, Field::Overlay, 0x1, kOnText, kOffText, kFormOverlayIconId, kFormOverlayIconId},
    {kTrueTypeTableTreeItem, Field::Option, 0x1, kBuiltInTableText, kPrinterTableText, kBuiltInFontTableIconId,
     kPrinterFontTableIconId},
    {kOutputPaperTableTreeItem, Field::Option, 0x2, kBuiltInTableText, kPrinterTableText, kBuiltInPaperTableIconId,
     kPrinterPaperTableIconId},
    {kCompatibleMarginsTreeItem, Field::Option, 0x40000, kStandardText, kCompatibleMarginsOnText, kOffIcon, kOnIcon},
    {kSeparateCopiesTreeItem, Field::PageBits, 0x1, kOnText, kOffText, kOnIcon, kOffIcon},
    {kSplitJobTreeItem, Field::PageBits, 0x4, kOnText, kOffText, kOnIcon, kOffIcon},
};

// Group headings: no value, only their icon.
struct HeadingRow {
    int itemId;
    int icon;
};
constexpr HeadingRow kHeadings[] = {
    {kDocumentTreeItem, kDocumentIconId},
    {kLayoutTreeItem, kLayoutIconId},
    {kNupTreeItem, kLayoutIconId},
    {kPrinterStatusTreeItem, kPrinterStatusIconId},
    {kPaperTreeItem, kPaperIconId},
    {kQualityTreeItem, kFineDotsIconId},
    {kGraphicsTreeItem, kGraphicsIconId},
    {kColourAdjustmentTreeItem, kColourBarsIconId},
    {kFontsTreeItem, kFontIconId},
    {kJobTreeItem, kJobIconId},
    {kPrintPositionTreeItem, kPrintPositionIconId},
    {kReadPrinterStatusTreeItem, kReadStatusIconId},
    {kSubstitutionTreeItem, kSubstitutionIconId},
    {kDeviceHalftoneTreeItem, kHalftoneIconId},
    {kInstalledOptionsTreeItem, kInstalledOptionsIconId},
    {kCopiesAndJobsTreeItem, kSplitStackIconId},
    {kDestinationTreeItem, kFolderDiskIconId},
    {kPageStampTreeItem, kStampIconId},
};

// The page border's icons: of two pages by orientation (portrait, landscape) and frame 0 or 1;
// of more pages by frame 0 to 3.
constexpr int kTwoPageBorderIcons[2][2] = {{kTwoAcrossIconId, kTwoAcrossFromRightIconId},
                                           {kTwoDownIconId, kTwoDownFromBottomIconId}};
constexpr int kBorderIcons[4] = {kSixAcrossThenDownIconId, kSixDownThenAcrossIconId, kSixAcrossFromRightIconId,
                                 kSixDownFromRightIconId};

DWORD FieldValue(const DriverDevMode& b, Field field) {
    switch (field) {
    case Field::Feature: return b.FeatureFlags;
    case Field::Option: return b.OptionFlags;
    case Field::Overlay: return b.OverlayFlags;
    case Field::PageBits: return b.PageOptionBits;
    }
    return 0;
}

std::u16string Number(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// A wide field of the block up to its terminator or its end.
template <size_t N>
std::u16string Bounded(const WCHAR (&field)[N]) {
    const WCHAR* end = std::find(field, field + N, u'\0');
    return std::u16string(field, end);
}

void AddKey(std::u16string& key, DWORD value) {
    key.push_back(static_cast<char16_t>(value & 0xFFFFu));
    key.push_back(static_cast<char16_t>(value >> 16));
}

// Pages per sheet as the strings know it: 1, 2, 4, 6, 8, 9 or 16; anything else shows as 1.
int PagesPerSheetShown(const DriverDevMode& b) {
    constexpr WORD kValues[] = {1, 2, 4, 6, 8, 9, 16};
    return std::find(std::begin(kValues), std::end(kValues), b.PagesPerSheet) != std::end(kValues) ? b.PagesPerSheet : 1;
}

// `value` when it is at most `last`, else 0 (the field's default).
DWORD Pick(DWORD value, DWORD last) { return value <= last ? value : 0; }

// The face counts 0 to 3 have strings of their own; a count past them shows as 1,
// validation's default.
std::u16string CountText(HMODULE lang, BYTE count) {
    return TreeString(lang, kNupCountTextBase + (count <= 3 ? count : 1));
}

void DescribeLayout(const DriverDevMode& b, HMODULE lang, TreeItemValue& v) {
    const int pages = PagesPerSheetShown(b);
    if (pages == 1) {
        v.text = TreeString(lang, kNoBorderText);
        v.icon = kSixAcrossThenDownIconId;
    } else if (pages == 2) {
        const int order = static_cast<int>(Pick(b.NupSlotOrder, 1));
        const bool portrait = b.Public.dmOrientation == 1;
        v.text = TreeString(lang, (portrait ? kTwoPageBorderTextBase : kTwoPageTurnedBorderTextBase) + order);
        v.icon = kTwoPageBorderIcons[portrait ? 0 : 1][order];
    } else {
        const int order = static_cast<int>(Pick(b.NupSlotOrder, 3));
        v.text = TreeString(lang, kPageBorderTextBase + order);
        v.icon = kBorderIcons[order];
    }
    AddKey(v.key, b.NupSlotOrder);
}

void DescribeFaces(const DriverDevMode& b, HMODULE lang, TreeItemValue& v) {
    if (b.NupDown == 1) {
        v.text = TreeString(lang, kAcrossText);
        v.icon = b.NupAcross == 1 ? kOneByOneIconId : kTwoAcrossIconId;
    } else if (b.NupAcross == 1) {
        v.text = TreeString(lang, kDownText);
        v.icon = kTwoDownIconId;
    } else {
        const int order = static_cast<int>(Pick(b.NupOrder, 1));
        v.text = TreeString(lang, kNupOrderTextBase + order);
        v.icon = order == 0 ? kSixAcrossThenDownIconId : kSixAcrossFromRightIconId;
    }
    AddKey(v.key, b.NupOrder);
}

void DescribeDestination(const DriverDevMode& b, HMODULE lang, TreeItemValue& v) {
    const bool fileMode = (b.RelaydockFlags & 0x1u) != 0;
    int id = kPrinterDestinationText;
    if ((b.FeatureFlags & 0x20u) == 0) {
        if (!fileMode && b.OutputDestination == 0) id = kPrinterAndHoldDestinationText;
        else if (!fileMode && b.OutputDestination == 2) id = kJobFileAndPrinterDestinationText;
        else if (!fileMode && b.OutputDestination == 4) id = kFolderDestinationText;
        else if (fileMode && b.OutputDestination == 0) id = kRelaydockDestinationText;
    }
    v.text = TreeString(lang, id);
    v.icon = kFolderDiskIconId;
    AddKey(v.key, b.FeatureFlags & 0x20u);
    AddKey(v.key, b.RelaydockFlags & 0x1u);
    AddKey(v.key, b.OutputDestination);
}

// The items whose value is read in a way of its own; false for an item not among them.
bool DescribeSpecial(int itemId, const DriverDevMode& b, HMODULE lang, TreeItemValue& v) {
    v.hasValue = true;
    switch (itemId) {
    case kPagesPerSheetTreeItem:
        v.text = TreeString(lang, kPagesPerSheetTextBase + PagesPerSheetShown(b));
        v.icon = kPagesPerSheetIconId;
        AddKey(v.key, b.PagesPerSheet);
        return true;
    case kPageOrderTreeItem:
        v.text = TreeString(lang, kPageOrderTextBase + static_cast<int>(Pick(b.PageFrame, 4)));
        v.icon = kPageOrderIconId;
        AddKey(v.key, b.PageFrame);
        return true;
    case kPageBorderTreeItem: DescribeLayout(b, lang, v); return true;
    case kPaperSizeTreeItem:
        v.text = Bounded(b.Public.dmFormName);
        v.icon = kPaperSizeIconId;
        v.key = v.text;
        return true;
    case kOutputPaperTreeItem:
        v.text = Bounded(b.OutputPaperName);
        if (v.text.empty())
            v.text =
                TreeString(lang, b.NupDown == 1 && b.NupAcross == 1 ? kNoOutputPaperText : kSetByPagesPerSheetText);
        v.icon = kSheetOutIconId;
        v.key = Bounded(b.OutputPaperName);
        AddKey(v.key, b.NupDown);
        AddKey(v.key, b.NupAcross);
        return true;
    case kScaleTreeItem:
        v.text = PagesPerSheetShown(b) == 1 ? Number(b.LayoutScale) + u" %" : u"---";
        v.icon = kScaleIconId;
        AddKey(v.key, b.LayoutScale);
        AddKey(v.key, b.PagesPerSheet);
        return true;
    case kCopiesTreeItem: {
        const int copies = b.OutputDestination != 0 ? 1 : b.Public.dmCopies;
        v.text = Number(copies) + TreeString(lang, kCopiesSuffixText);
        v.icon = kCopiesIconId;
        AddKey(v.key, static_cast<DWORD>(copies));
        return true;
    }
    case kResolutionTreeItem:
        v.text = Number(b.Public.dmPrintQuality) + u"dpi";
        v.icon = kResolutionIconId;
        AddKey(v.key, static_cast<WORD>(b.Public.dmPrintQuality));
        return true;
    case kOwnerTextTreeItem:
        if (b.FeatureFlags & 0x200000u) {
            v.text = Bounded(b.UserName1);
            v.icon = kOwnerTextUserNameIconId;
        } else if (b.FeatureFlags & 0x400000u) {
            v.text = Bounded(b.UserName2);
            v.icon = kOwnerTextOwnIconId;
        } else {
            v.text = TreeString(lang, kOwnerNoneTreeText);
            v.icon = kOwnerTextNoneIconId;
        }
        v.key = v.text;
        AddKey(v.key, b.FeatureFlags & 0x600000u);
        return true;
    case kMemoryTreeItem:
        v.text = kStandardMemoryText;
        v.icon = kMemoryIconId;
        AddKey(v.key, b.InstalledMemory);
        return true;
    case kPrintStampTreeItem:
        v.text = TreeString(lang, b.PageStampSwitch == 1 ? kOnText : kOffText);
        v.icon = kStampIconId;
        AddKey(v.key, b.PageStampSwitch);
        return true;
    case kStampTextTreeItem:
        // Selector 8 is the user's own text; others pick one of the fixed stamp texts.
        v.text = b.PageStampSelector == 8
                     ? Bounded(b.PageStampText)
                     : TreeString(lang, kStampTextBase + static_cast<int>(Pick(b.PageStampSelector, 7)));
        v.icon = kStampIconId;
        AddKey(v.key, b.PageStampSelector);
        if (b.PageStampSelector == 8) v.key += Bounded(b.PageStampText);
        return true;
    case kStampPositionTreeItem:
        v.text = TreeString(lang, kStampPositionTextBase + static_cast<int>(Pick(b.PageStampPosition, 8)));
        v.icon = kStampIconId;
        AddKey(v.key, b.PageStampPosition);
        return true;
    case kNupDownTreeItem:
    case kNupAcrossTreeItem: {
        const BYTE count = itemId == kNupDownTreeItem ? b.NupDown : b.NupAcross;
        v.text = CountText(lang, count);
        v.icon = itemId == kNupDownTreeItem ? kTwoDownIconId : kTwoAcrossIconId;
        AddKey(v.key, count);
        return true;
    }
    case kNupOrderTreeItem: DescribeFaces(b, lang, v); return true;
    case kOutputToTreeItem: DescribeDestination(b, lang, v); return true;
    default: v.hasValue = false; return false;
    }
}

}  // namespace

std::u16string TreeString(HMODULE languageLibrary, int id) {
    if (languageLibrary == nullptr || id <= 0 || id > 0xFFFF) return {};
    WCHAR buffer[kStringChars] = {};
    const int count = LoadStringW(languageLibrary, static_cast<UINT>(id), buffer, kStringChars);
    return std::u16string(buffer, static_cast<size_t>(std::clamp(count, 0, kStringChars - 1)));
}

TreeItemValue DescribeTreeItem(int itemId, const DriverDevMode& block, HMODULE languageLibrary) {
    TreeItemValue v;
    for (const HeadingRow& h : kHeadings) {
        if (h.itemId == itemId) {
            v.icon = h.icon;
            return v;
        }
    }
    for (const BitRow& r : kBitRows) {
        if (r.itemId != itemId) continue;
        const bool set = (FieldValue(block, r.field) & r.bit) != 0;
        v.hasValue = true;
        v.text = TreeString(languageLibrary, set ? r.stringSet : r.stringClear);
        v.icon = set ? r.iconSet : r.iconClear;
        AddKey(v.key, set ? 1 : 0);
        return v;
    }
    if (DescribeSpecial(itemId, block, languageLibrary, v)) return v;
    v = TreeItemValue{};
    v.icon = kDefaultIcon;  // the printer item and anything unknown
    return v;
}

BOOL FormatTreeItemText(PageRecord* page, int row) {
    SettingsTreeState* state = TreeStateOf(page, false);
    if (state == nullptr || page->context == nullptr || row < 0 || static_cast<size_t>(row) >= state->layout.size() ||
        static_cast<size_t>(row) >= state->items.size() || state->items[static_cast<size_t>(row)] == nullptr ||
        state->tree == nullptr) {
        return FALSE;
    }
    const UiContext& context = *page->context;
    const int itemId = state->layout[static_cast<size_t>(row)].itemId;
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = state->items[static_cast<size_t>(row)];
    if (!SendMessageW(state->tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return FALSE;
    DWORD flags = TreeItemFlags(item.lParam) & kTreeFlagGreyed;

    const TreeItemValue now = DescribeTreeItem(itemId, context.workingBlock, context.languageLibrary);
    const TreeItemValue before = DescribeTreeItem(itemId, context.resultBlock, context.languageLibrary);
    if (now.key != before.key) flags |= kTreeFlagChanged;

    std::u16string text =
        itemId == kPrinterTreeItem ? Bounded(context.printerName) : TreeString(context.languageLibrary, itemId);
    if (text.size() > kMaxLabelChars) text.resize(kMaxLabelChars);
    int labelLength = static_cast<int>(text.size());
    if (now.hasValue) {
        text += u'<';
        ++labelLength;
        text += now.text;
        text += u'>';
        flags |= kTreeFlagClosing;
    }
    const int image = GetTreeImageIndex(page, now.icon);
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.pszText = text.data();
    item.lParam = MakeTreeItemWord(itemId, flags, labelLength);
    item.iImage = image;
    item.iSelectedImage = image;
    return SendMessageW(state->tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? TRUE : FALSE;
}
