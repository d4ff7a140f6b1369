// Each line's text, icon and flags from a settings block: "label<value>" with the label length
// in the item word, the changed flag against the result block, and values that an application
// may have put anywhere kept to the strings and icons that exist. Strings come from the test's
// module, where string n reads "s<n>".
#include <functional>

#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_tree/TreeFixture.h"

namespace kvuitree {
namespace {

using TreeText = TreeTest;

struct TextCase {
    const char* name;
    int itemId;
    std::function<void(DriverDevMode&)> change;  // applied to the working block
    std::u16string value;                        // the text between "<" and ">"
    int icon;
    bool changed;
};

void Wide(WCHAR* field, size_t count, char16_t fill) {
    for (size_t i = 0; i < count; ++i) field[i] = fill;
}

const TextCase kTextCases[] = {
    // Layout of pages on a sheet.
    {"pages per sheet 1", kPagesPerSheetTreeItem, [](DriverDevMode&) {}, u"s551", kPagesPerSheetIconId, false},
    {"pages per sheet 4", kPagesPerSheetTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 4; }, u"s554",
     kPagesPerSheetIconId, true},
    {"pages per sheet 3 is no choice", kPagesPerSheetTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 3; }, u"s551",
     kPagesPerSheetIconId, true},
    {"pages per sheet 0xFFFF", kPagesPerSheetTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 0xFFFF; }, u"s551",
     kPagesPerSheetIconId, true},
    {"page frame 2", kPageOrderTreeItem, [](DriverDevMode& b) { b.PageFrame = 2; }, u"s507", kPageOrderIconId, true},
    {"page frame past 4", kPageOrderTreeItem, [](DriverDevMode& b) { b.PageFrame = 0x8000; }, u"s505", kPageOrderIconId,
     true},
    {"order, one page", kPageBorderTreeItem, [](DriverDevMode& b) { b.NupSlotOrder = 1; }, u"s518",
     kSixAcrossThenDownIconId, true},
    {"order, two portrait", kPageBorderTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 2; b.NupSlotOrder = 1; },
     u"s515", kTwoAcrossFromRightIconId, true},
    {"order, two landscape", kPageBorderTreeItem,
     [](DriverDevMode& b) { b.PagesPerSheet = 2; b.Public.dmOrientation = 2; b.NupSlotOrder = 1; }, u"s517",
     kTwoDownFromBottomIconId, true},
    {"order, two, past 1", kPageBorderTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 2; b.NupSlotOrder = 3; },
     u"s514", kTwoAcrossIconId, true},
    // String 520 is missing: the value is empty, the line stays.
    {"order, four, 2", kPageBorderTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 4; b.NupSlotOrder = 2; }, u"",
     kSixAcrossFromRightIconId, true},
    {"order, four, past 3", kPageBorderTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 4; b.NupSlotOrder = 40000; },
     u"s518", kSixAcrossThenDownIconId, true},
    // Bits shown as on / off or as two strings.
    {"toner save on", kUsePrinterStatusTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x4; }, u"s476",
     kFourUpLandscapeIconId, true},
    {"toner save off", kUsePrinterStatusTreeItem, [](DriverDevMode&) {}, u"s477", kFourAcrossThenDownPortraitIconId,
     false},
    {"bit 0x1 with its own icon", kPrintOnOutputPaperTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x1; }, u"s476",
     kPrintOnOutputPaperIconId, true},
    {"bit 0x2 with its own icon", kScalingTreeItem, [](DriverDevMode&) {}, u"s477", kMagnifierIconId, false},
    {"bit 0x2000", kTrueTypeSubstitutionTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x2000; }, u"s476",
     kCheckMarkIconId, true},
    {"bit 0x400 set", kTonerSaveTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x400; }, u"s538", kCheckMarkIconId,
     true},
    {"bit 0x800 set", kSmoothingTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x800; }, u"s489", kSmoothLineIconId,
     true},
    {"bit 0x800 clear", kSmoothingTreeItem, [](DriverDevMode&) {}, u"s488", kJaggedLineIconId, false},
    {"bit 0x8000 set", kDownloadAsOutlineTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x8000; }, u"s539",
     kCheckMarkIconId, true},
    {"bit 0x4000 clear", kTrueTypeAsGraphicsTreeItem, [](DriverDevMode&) {}, u"s544", kCrossMarkIconId, false},
    {"bit 0x1000000 set", kPrintProcessingTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x1000000; }, u"s481",
     kStandardProcessingIconId, true},
    {"overlay on", kFormOverlayTreeItem, [](DriverDevMode& b) { b.OverlayFlags |= 0x1; }, u"s476", kFormOverlayIconId,
     true},
    {"overlay checkbox alone", kFormOverlayTreeItem, [](DriverDevMode& b) { b.OverlayFlags |= 0x8; }, u"s477",
     kFormOverlayIconId, false},
    {"table bit 0x1 set", kTrueTypeTableTreeItem, [](DriverDevMode& b) { b.OptionFlags |= 0x1; }, u"s478",
     kBuiltInFontTableIconId, true},
    {"table bit 0x2 clear", kOutputPaperTableTreeItem, [](DriverDevMode&) {}, u"s479", kPrinterPaperTableIconId, false},
    {"bit 0x40000 set", kCompatibleMarginsTreeItem, [](DriverDevMode& b) { b.OptionFlags |= 0x40000; }, u"s488",
     kCrossMarkIconId, true},
    {"bit 0x40000 clear", kCompatibleMarginsTreeItem, [](DriverDevMode&) {}, u"s687", kCheckMarkIconId, false},
    {"page bit 0x1", kSeparateCopiesTreeItem, [](DriverDevMode& b) { b.PageOptionBits = 0x1; }, u"s476",
     kCheckMarkIconId, true},
    {"page bit 0x4", kSplitJobTreeItem, [](DriverDevMode& b) { b.PageOptionBits = 0x4; }, u"s476", kCheckMarkIconId,
     true},
    // Paper, scale, copies, resolution.
    {"form name", kPaperSizeTreeItem, [](DriverDevMode& b) { b.Public.dmFormName[1] = u'3'; }, u"A3", kPaperSizeIconId,
     true},
    {"form name without terminator", kPaperSizeTreeItem, [](DriverDevMode& b) { Wide(b.Public.dmFormName, 32, u'F'); },
     std::u16string(32, u'F'), kPaperSizeIconId, true},
    {"output paper named", kOutputPaperTreeItem,
     [](DriverDevMode& b) { b.OutputPaperName[0] = u'B'; b.OutputPaperName[1] = u'5'; }, u"B5", kSheetOutIconId, true},
    {"output paper, one face", kOutputPaperTreeItem, [](DriverDevMode&) {}, u"s468", kSheetOutIconId, false},
    {"output paper, two faces", kOutputPaperTreeItem, [](DriverDevMode& b) { b.NupAcross = 2; }, u"s672",
     kSheetOutIconId, true},
    {"scale", kScaleTreeItem, [](DriverDevMode& b) { b.LayoutScale = 85; }, u"85 %", kScaleIconId, true},
    {"scale with pages per sheet", kScaleTreeItem, [](DriverDevMode& b) { b.PagesPerSheet = 2; }, u"---", kScaleIconId,
     true},
    {"copies", kCopiesTreeItem, [](DriverDevMode& b) { b.Public.dmCopies = 3; }, u"3s529", kCopiesIconId, true},
    {"copies to a destination", kCopiesTreeItem,
     [](DriverDevMode& b) { b.Public.dmCopies = 3; b.OutputDestination = 2; }, u"1s529", kCopiesIconId, false},
    {"resolution", kResolutionTreeItem, [](DriverDevMode& b) { b.Public.dmPrintQuality = 1200; }, u"1200dpi",
     kResolutionIconId, true},
    // User names, memory, stamps.
    {"user name", kOwnerTextTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x200000; b.UserName1[0] = u'T'; }, u"T",
     kOwnerTextUserNameIconId, true},
    {"user text", kOwnerTextTreeItem,
     [](DriverDevMode& b) { b.FeatureFlags |= 0x400000; b.UserName2[0] = u'U'; b.UserName2[1] = u'7'; }, u"U7",
     kOwnerTextOwnIconId, true},
    {"user text without terminator", kOwnerTextTreeItem,
     [](DriverDevMode& b) { b.FeatureFlags |= 0x400000; Wide(b.UserName2, 18, u'u'); }, std::u16string(18, u'u'),
     kOwnerTextOwnIconId, true},
    {"no user name", kOwnerTextTreeItem, [](DriverDevMode&) {}, u"s502", kOwnerTextNoneIconId, false},
    {"memory", kMemoryTreeItem, [](DriverDevMode& b) { b.InstalledMemory = 512; }, u"1GB(\u6A19\u6E96)", kMemoryIconId,
     true},
    {"stamp off", kPrintStampTreeItem, [](DriverDevMode& b) { b.PageStampSwitch = 2; }, u"s477", kStampIconId, true},
    {"stamp on", kPrintStampTreeItem, [](DriverDevMode& b) { b.PageStampSwitch = 1; }, u"s476", kStampIconId, true},
    {"stamp kind 7", kStampTextTreeItem, [](DriverDevMode& b) { b.PageStampSelector = 7; }, u"s658", kStampIconId,
     true},
    {"stamp of the job text", kStampTextTreeItem,
     [](DriverDevMode& b) { b.PageStampSelector = 8; b.PageStampText[0] = u'J'; }, u"J", kStampIconId, true},
    {"job text without terminator", kStampTextTreeItem,
     [](DriverDevMode& b) { b.PageStampSelector = 8; Wide(b.PageStampText, 66, u'j'); }, std::u16string(66, u'j'),
     kStampIconId, true},
    {"stamp kind past 8", kStampTextTreeItem, [](DriverDevMode& b) { b.PageStampSelector = 0xFFFFFFFFu; }, u"s651",
     kStampIconId, true},
    {"stamp place 8", kStampPositionTreeItem, [](DriverDevMode& b) { b.PageStampPosition = 8; }, u"s650", kStampIconId,
     true},
    {"stamp place past 8", kStampPositionTreeItem, [](DriverDevMode& b) { b.PageStampPosition = 9; }, u"s642",
     kStampIconId, true},
    // Faces on the paper.
    {"faces down", kNupDownTreeItem, [](DriverDevMode& b) { b.NupDown = 2; }, u"s666", kTwoDownIconId, true},
    {"faces across", kNupAcrossTreeItem, [](DriverDevMode& b) { b.NupAcross = 3; }, u"s667", kTwoAcrossIconId, true},
    {"faces across 0", kNupAcrossTreeItem, [](DriverDevMode& b) { b.NupAcross = 0; }, u"s664", kTwoAcrossIconId, true},
    {"faces down past 3", kNupDownTreeItem, [](DriverDevMode& b) { b.NupDown = 200; }, u"s665", kTwoDownIconId, true},
    {"faces 1 x 1", kNupOrderTreeItem, [](DriverDevMode&) {}, u"s668", kOneByOneIconId, false},
    {"faces 1 x 2", kNupOrderTreeItem, [](DriverDevMode& b) { b.NupAcross = 2; }, u"s668", kTwoAcrossIconId, false},
    {"faces 2 x 1", kNupOrderTreeItem, [](DriverDevMode& b) { b.NupDown = 2; }, u"s669", kTwoDownIconId, false},
    {"faces 2 x 2, order 1", kNupOrderTreeItem,
     [](DriverDevMode& b) { b.NupDown = 2; b.NupAcross = 2; b.NupOrder = 1; }, u"s671", kSixAcrossFromRightIconId,
     true},
    {"faces order past 1", kNupOrderTreeItem,
     [](DriverDevMode& b) { b.NupDown = 2; b.NupAcross = 2; b.NupOrder = 200; }, u"s670", kSixAcrossThenDownIconId,
     true},
    // Where the job goes.
    {"destination by bit 0x20", kOutputToTreeItem, [](DriverDevMode& b) { b.FeatureFlags |= 0x20; }, u"s4586",
     kFolderDiskIconId, true},
    {"destination printer", kOutputToTreeItem, [](DriverDevMode&) {}, u"s4587", kFolderDiskIconId, false},
    {"destination 2", kOutputToTreeItem, [](DriverDevMode& b) { b.OutputDestination = 2; }, u"s4594", kFolderDiskIconId,
     true},
    {"destination 4", kOutputToTreeItem, [](DriverDevMode& b) { b.OutputDestination = 4; }, u"s4588", kFolderDiskIconId,
     true},
    {"destination file", kOutputToTreeItem, [](DriverDevMode& b) { b.RelaydockFlags = 1; }, u"s661", kFolderDiskIconId,
     true},
    {"destination file and 2", kOutputToTreeItem,
     [](DriverDevMode& b) { b.RelaydockFlags = 1; b.OutputDestination = 2; }, u"s4586", kFolderDiskIconId, true},
};

std::u16string Label(int itemId) {
    const std::string digits = std::to_string(itemId);
    return u"s" + std::u16string(digits.begin(), digits.end());
}

TEST_F(TreeText, EachLineShowsItsValueIconAndChangeFromTheBlock) {
    const DriverDevMode base = context_->resultBlock;
    size_t checked = 0;
    // The full layout holds every item of the table but the device's, which the device layout holds.
    for (DWORD sheet : {0u, kUiDeviceSheet}) {
        StartOver();
        context_->workingBlock = base;
        HWND tree = MakeTree(sheet);
        ASSERT_NE(tree, nullptr);
        for (const TextCase& c : kTextCases) {
            HTREEITEM item = FindTreeItem(&page_, c.itemId);
            if (item == nullptr) continue;
            SCOPED_TRACE(c.name);
            ++checked;
            context_->workingBlock = base;
            c.change(context_->workingBlock);
            RefreshTreeItem(&page_, c.itemId);
            const Line line = LineOf(tree, item);
            EXPECT_EQ(line.text, Label(c.itemId) + u"<" + c.value + u">");
            EXPECT_EQ(TreeItemId(line.word), c.itemId);
            EXPECT_EQ(TreeItemLabelLength(line.word), static_cast<int>(Label(c.itemId).size()) + 1);
            EXPECT_EQ(TreeItemFlags(line.word), kTreeFlagClosing | (c.changed ? kTreeFlagChanged : 0));
            EXPECT_EQ(line.image, GetTreeImageIndex(&page_, c.icon)) << c.icon;
            EXPECT_EQ(line.selectedImage, line.image);
        }
    }
    EXPECT_EQ(checked, std::size(kTextCases));
}

TEST_F(TreeText, HeadingsAndThePrinterHaveNoValue) {
    HWND tree = MakeTree(0);
    ASSERT_NE(tree, nullptr);
    const struct {
        int id;
        std::u16string text;
        int icon;
    } cases[] = {
        {kPrinterTreeItem, u"KV-TD520", kPrinterIconId},
        {kDocumentTreeItem, u"s400", kDocumentIconId},
        {kLayoutTreeItem, u"s401", kLayoutIconId},
        {kNupTreeItem, u"s4575", kLayoutIconId},
        {kPrinterStatusTreeItem, u"s409", kPrinterStatusIconId},
        {kPaperTreeItem, u"s417", kPaperIconId},
        {kQualityTreeItem, u"s429", kFineDotsIconId},
        {kGraphicsTreeItem, u"s431", kGraphicsIconId},
        {kFontsTreeItem, u"s441", kFontIconId},
        {kJobTreeItem, u"s445", kJobIconId},
        {kCopiesAndJobsTreeItem, u"s4581", kSplitStackIconId},
        {kDestinationTreeItem, u"s4584", kFolderDiskIconId},
        {kPageStampTreeItem, u"s638", kStampIconId},
    };
    // Nothing a heading shows depends on the block.
    context_->workingBlock.FeatureFlags = ~0u;
    context_->workingBlock.OptionFlags = ~0u;
    RefreshSettingsTree(&page_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const Line line = LineOf(tree, FindTreeItem(&page_, c.id));
        EXPECT_EQ(line.text, c.text);
        EXPECT_EQ(TreeItemFlags(line.word), 0u);
        EXPECT_EQ(TreeItemLabelLength(line.word), static_cast<int>(c.text.size()));
        EXPECT_EQ(line.image, GetTreeImageIndex(&page_, c.icon));
    }
}

TEST_F(TreeText, DeviceItemsShowTheirTables) {
    HWND tree = MakeTree(kUiDeviceSheet);
    ASSERT_NE(tree, nullptr);
    context_->workingBlock.OptionFlags = 0x2;
    RefreshSettingsTree(&page_);
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, kTrueTypeTableTreeItem)).text, u"s453<s479>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, kOutputPaperTableTreeItem)).text, u"s454<s478>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, kOutputPaperTableTreeItem)).image,
              GetTreeImageIndex(&page_, kBuiltInPaperTableIconId));
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, kMemoryTreeItem)).text, u"s459<1GB(\u6A19\u6E96)>");
}

TEST_F(TreeText, GreyedFlagCarriesOverAndTheChangeFollowsTheResultBlock) {
    HWND tree = MakeTree(0);
    ASSERT_NE(tree, nullptr);
    HTREEITEM copies = FindTreeItem(&page_, kCopiesTreeItem);
    SetFlags(tree, copies, kTreeFlagGreyed | kTreeFlagMarkB);
    context_->workingBlock.Public.dmCopies = 5;
    RefreshSettingsTree(&page_);
    EXPECT_EQ(TreeItemFlags(LineOf(tree, copies).word), kTreeFlagGreyed | kTreeFlagChanged | kTreeFlagClosing);
    // Applied: the result block holds the same copies, so the line is no longer changed.
    context_->resultBlock = context_->workingBlock;
    RefreshTreeItem(&page_, kCopiesTreeItem);
    EXPECT_EQ(TreeItemFlags(LineOf(tree, copies).word), kTreeFlagGreyed | kTreeFlagClosing);
    SetFlags(tree, copies, 0);
    RefreshTreeItem(&page_, kCopiesTreeItem);
    EXPECT_EQ(TreeItemFlags(LineOf(tree, copies).word), kTreeFlagClosing);
}

TEST_F(TreeText, ALabelTooLongForTheWordIsCutSoItsLengthStillFits) {
    // String 4330 of the test module is 300 characters; the language library's cut keeps 259.
    HWND tree = MakeTree(0);
    ASSERT_NE(tree, nullptr);
    const Line line = LineOf(tree, FindTreeItem(&page_, kEdgeEnhancementTreeItem));
    EXPECT_EQ(line.text, std::u16string(254, u'L') + u"<s475>");
    EXPECT_EQ(TreeItemLabelLength(line.word), 255);
    EXPECT_EQ(TreeItemId(line.word), kEdgeEnhancementTreeItem);
    EXPECT_EQ(TreeItemFlags(line.word), kTreeFlagClosing);
}

TEST_F(TreeText, MissingStringsAndIconsLeaveEmptyPartsOnEveryLine) {
    context_->languageLibrary = nullptr;
    MakePageImages(nullptr);
    HWND tree = MakeTree(0);
    ASSERT_NE(tree, nullptr);
    const std::vector<Line> lines = Lines(tree);
    ASSERT_EQ(lines.size(), 43u);
    EXPECT_EQ(lines[0].text, u"KV-TD520");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, kPagesPerSheetTreeItem)).text, u"<>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, kPaperSizeTreeItem)).text, u"<A4>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, kDocumentTreeItem)).text, u"");
    // Without icons every line goes without an image, and the page's list stays empty.
    for (const Line& line : lines) {
        EXPECT_EQ(line.image, -1) << TreeItemId(line.word);
        EXPECT_EQ(line.selectedImage, -1) << TreeItemId(line.word);
    }
    EXPECT_EQ(ImageList_GetImageCount(PageTreeImages(&page_)), 0);
}

}  // namespace
}  // namespace kvuitree
