// Each line's text, icon and flags from a settings block: "label<value>" with the label length
// in the item word, the changed flag against the result block, and values that an application
// may have put anywhere kept to the strings and icons that exist. Strings come from the test's
// module, where string n reads "s<n>".
#include <functional>

#include "resources/ui/PictureIds.h"
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
    {"pages per sheet 1", 402, [](DriverDevMode&) {}, u"s551", kPagesPerSheetIconId, false},
    {"pages per sheet 4", 402, [](DriverDevMode& b) { b.PagesPerSheet = 4; }, u"s554", kPagesPerSheetIconId, true},
    {"pages per sheet 3 is no choice", 402, [](DriverDevMode& b) { b.PagesPerSheet = 3; },
     u"s551", kPagesPerSheetIconId, true},
    {"pages per sheet 0xFFFF", 402, [](DriverDevMode& b) { b.PagesPerSheet = 0xFFFF; },
     u"s551", kPagesPerSheetIconId, true},
    {"page frame 2", 403, [](DriverDevMode& b) { b.PageFrame = 2; }, u"s507", kPageOrderIconId, true},
    {"page frame past 4", 403, [](DriverDevMode& b) { b.PageFrame = 0x8000; }, u"s505", kPageOrderIconId, true},
    {"order, one page", 404, [](DriverDevMode& b) { b.NupSlotOrder = 1; }, u"s518", kSixAcrossThenDownIconId, true},
    {"order, two portrait", 404, [](DriverDevMode& b) { b.PagesPerSheet = 2; b.NupSlotOrder = 1; },
     u"s515", kTwoAcrossFromRightIconId, true},
    {"order, two landscape", 404, [](DriverDevMode& b) { b.PagesPerSheet = 2; b.Public.dmOrientation = 2; b.NupSlotOrder = 1; },
     u"s517", kTwoDownFromBottomIconId, true},
    {"order, two, past 1", 404, [](DriverDevMode& b) { b.PagesPerSheet = 2; b.NupSlotOrder = 3; },
     u"s514", kTwoAcrossIconId, true},
    // String 520 is missing: the value is empty, the line stays.
    {"order, four, 2", 404, [](DriverDevMode& b) { b.PagesPerSheet = 4; b.NupSlotOrder = 2; },
     u"", kSixAcrossFromRightIconId, true},
    {"order, four, past 3", 404, [](DriverDevMode& b) { b.PagesPerSheet = 4; b.NupSlotOrder = 40000; },
     u"s518", kSixAcrossThenDownIconId, true},
    // Bits shown as on / off or as two strings.
    {"toner save on", 410, [](DriverDevMode& b) { b.FeatureFlags |= 0x4; }, u"s476", kFourUpLandscapeIconId, true},
    {"toner save off", 410, [](DriverDevMode&) {}, u"s477", kFourAcrossThenDownPortraitIconId, false},
    {"bit 0x1 with its own icon", 422, [](DriverDevMode& b) { b.FeatureFlags |= 0x1; },
     u"s476", kPrintOnOutputPaperIconId, true},
    {"bit 0x2 with its own icon", 423, [](DriverDevMode&) {}, u"s477", kMagnifierIconId, false},
    {"bit 0x2000", 442, [](DriverDevMode& b) { b.FeatureFlags |= 0x2000; }, u"s476", kCheckMarkIconId, true},
    {"bit 0x400 set", 433, [](DriverDevMode& b) { b.FeatureFlags |= 0x400; }, u"s538", kCheckMarkIconId, true},
    {"bit 0x800 set", 434, [](DriverDevMode& b) { b.FeatureFlags |= 0x800; }, u"s489", kSmoothLineIconId, true},
    {"bit 0x800 clear", 434, [](DriverDevMode&) {}, u"s488", kJaggedLineIconId, false},
    {"bit 0x8000 set", 443, [](DriverDevMode& b) { b.FeatureFlags |= 0x8000; }, u"s539", kCheckMarkIconId, true},
    {"bit 0x4000 clear", 444, [](DriverDevMode&) {}, u"s544", kCrossMarkIconId, false},
    {"bit 0x1000000 set", 455, [](DriverDevMode& b) { b.FeatureFlags |= 0x1000000; },
     u"s481", kStandardProcessingIconId, true},
    {"overlay on", 448, [](DriverDevMode& b) { b.OverlayFlags |= 0x1; }, u"s476", kFormOverlayIconId, true},
    {"overlay checkbox alone", 448, [](DriverDevMode& b) { b.OverlayFlags |= 0x8; },
     u"s477", kFormOverlayIconId, false},
    {"table bit 0x1 set", 453, [](DriverDevMode& b) { b.OptionFlags |= 0x1; }, u"s478", kBuiltInFontTableIconId, true},
    {"table bit 0x2 clear", 454, [](DriverDevMode&) {}, u"s479", kPrinterPaperTableIconId, false},
    {"bit 0x40000 set", 788, [](DriverDevMode& b) { b.OptionFlags |= 0x40000; }, u"s488", kCrossMarkIconId, true},
    {"bit 0x40000 clear", 788, [](DriverDevMode&) {}, u"s687", kCheckMarkIconId, false},
    {"page bit 0x1", 4582, [](DriverDevMode& b) { b.PageOptionBits = 0x1; }, u"s476", kCheckMarkIconId, true},
    {"page bit 0x4", 4595, [](DriverDevMode& b) { b.PageOptionBits = 0x4; }, u"s476", kCheckMarkIconId, true},
    // Paper, scale, copies, resolution.
    {"form name", 419, [](DriverDevMode& b) { b.Public.dmFormName[1] = u'3'; }, u"A3", kPaperSizeIconId, true},
    {"form name without terminator", 419, [](DriverDevMode& b) { Wide(b.Public.dmFormName, 32, u'F'); },
     std::u16string(32, u'F'), kPaperSizeIconId, true},
    {"output paper named", 421, [](DriverDevMode& b) { b.OutputPaperName[0] = u'B'; b.OutputPaperName[1] = u'5'; }, u"B5",
     kSheetOutIconId, true},
    {"output paper, one face", 421, [](DriverDevMode&) {}, u"s468", kSheetOutIconId, false},
    {"output paper, two faces", 421, [](DriverDevMode& b) { b.NupAcross = 2; }, u"s672", kSheetOutIconId, true},
    {"scale", 424, [](DriverDevMode& b) { b.LayoutScale = 85; }, u"85 %", kScaleIconId, true},
    {"scale with pages per sheet", 424, [](DriverDevMode& b) { b.PagesPerSheet = 2; }, u"---", kScaleIconId, true},
    {"copies", 428, [](DriverDevMode& b) { b.Public.dmCopies = 3; }, u"3s529", kCopiesIconId, true},
    {"copies to a destination", 428, [](DriverDevMode& b) { b.Public.dmCopies = 3; b.OutputDestination = 2; }, u"1s529",
     kCopiesIconId, false},
    {"resolution", 432, [](DriverDevMode& b) { b.Public.dmPrintQuality = 1200; }, u"1200dpi", kResolutionIconId, true},
    // User names, memory, stamps.
    {"user name", 447, [](DriverDevMode& b) { b.FeatureFlags |= 0x200000; b.UserName1[0] = u'T'; },
     u"T", kOwnerTextUserNameIconId, true},
    {"user text", 447, [](DriverDevMode& b) { b.FeatureFlags |= 0x400000; b.UserName2[0] = u'U'; b.UserName2[1] = u'7'; },
     u"U7", kOwnerTextOwnIconId, true},
    {"user text without terminator", 447, [](DriverDevMode& b) { b.FeatureFlags |= 0x400000; Wide(b.UserName2, 18, u'u'); },
     std::u16string(18, u'u'), kOwnerTextOwnIconId, true},
    {"no user name", 447, [](DriverDevMode&) {}, u"s502", kOwnerTextNoneIconId, false},
    {"memory", 459, [](DriverDevMode& b) { b.InstalledMemory = 512; }, u"1GB(\u6A19\u6E96)", kMemoryIconId, true},
    {"stamp off", 639, [](DriverDevMode& b) { b.PageStampSwitch = 2; }, u"s477", kStampIconId, true},
    {"stamp on", 639, [](DriverDevMode& b) { b.PageStampSwitch = 1; }, u"s476", kStampIconId, true},
    {"stamp kind 7", 640, [](DriverDevMode& b) { b.PageStampSelector = 7; }, u"s658", kStampIconId, true},
    {"stamp of the job text", 640, [](DriverDevMode& b) { b.PageStampSelector = 8; b.PageStampText[0] = u'J'; },
     u"J", kStampIconId, true},
    {"job text without terminator", 640, [](DriverDevMode& b) { b.PageStampSelector = 8; Wide(b.PageStampText, 66, u'j'); },
     std::u16string(66, u'j'), kStampIconId, true},
    {"stamp kind past 8", 640, [](DriverDevMode& b) { b.PageStampSelector = 0xFFFFFFFFu; },
     u"s651", kStampIconId, true},
    {"stamp place 8", 641, [](DriverDevMode& b) { b.PageStampPosition = 8; }, u"s650", kStampIconId, true},
    {"stamp place past 8", 641, [](DriverDevMode& b) { b.PageStampPosition = 9; }, u"s642", kStampIconId, true},
    // Faces on the paper.
    {"faces down", 4576, [](DriverDevMode& b) { b.NupDown = 2; }, u"s666", kTwoDownIconId, true},
    {"faces across", 4577, [](DriverDevMode& b) { b.NupAcross = 3; }, u"s667", kTwoAcrossIconId, true},
    {"faces across 0", 4577, [](DriverDevMode& b) { b.NupAcross = 0; }, u"s664", kTwoAcrossIconId, true},
    {"faces down past 3", 4576, [](DriverDevMode& b) { b.NupDown = 200; }, u"s665", kTwoDownIconId, true},
    {"faces 1 x 1", 4578, [](DriverDevMode&) {}, u"s668", kOneByOneIconId, false},
    {"faces 1 x 2", 4578, [](DriverDevMode& b) { b.NupAcross = 2; }, u"s668", kTwoAcrossIconId, false},
    {"faces 2 x 1", 4578, [](DriverDevMode& b) { b.NupDown = 2; }, u"s669", kTwoDownIconId, false},
    {"faces 2 x 2, order 1", 4578, [](DriverDevMode& b) { b.NupDown = 2; b.NupAcross = 2; b.NupOrder = 1; },
     u"s671", kSixAcrossFromRightIconId, true},
    {"faces order past 1", 4578, [](DriverDevMode& b) { b.NupDown = 2; b.NupAcross = 2; b.NupOrder = 200; },
     u"s670", kSixAcrossThenDownIconId, true},
    // Where the job goes.
    {"destination by bit 0x20", 4585, [](DriverDevMode& b) { b.FeatureFlags |= 0x20; },
     u"s4586", kFolderDiskIconId, true},
    {"destination printer", 4585, [](DriverDevMode&) {}, u"s4587", kFolderDiskIconId, false},
    {"destination 2", 4585, [](DriverDevMode& b) { b.OutputDestination = 2; }, u"s4594", kFolderDiskIconId, true},
    {"destination 4", 4585, [](DriverDevMode& b) { b.OutputDestination = 4; }, u"s4588", kFolderDiskIconId, true},
    {"destination file", 4585, [](DriverDevMode& b) { b.RelaydockFlags = 1; }, u"s661", kFolderDiskIconId, true},
    {"destination file and 2", 4585, [](DriverDevMode& b) { b.RelaydockFlags = 1; b.OutputDestination = 2; },
     u"s4586", kFolderDiskIconId, true},
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
        {430, u"KV-TD520", kPrinterIconId},   {400, u"s400", kDocumentIconId},        {401, u"s401", kLayoutIconId},
        {4575, u"s4575", kLayoutIconId},      {409, u"s409", kPrinterStatusIconId},   {417, u"s417", kPaperIconId},
        {429, u"s429", kFineDotsIconId},      {431, u"s431", kGraphicsIconId},        {441, u"s441", kFontIconId},
        {445, u"s445", kJobIconId},           {4581, u"s4581", kSplitStackIconId},    {4584, u"s4584", kFolderDiskIconId},
        {638, u"s638", kStampIconId},
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
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, 453)).text, u"s453<s479>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, 454)).text, u"s454<s478>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, 454)).image, GetTreeImageIndex(&page_, kBuiltInPaperTableIconId));
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, 459)).text, u"s459<1GB(\u6A19\u6E96)>");
}

TEST_F(TreeText, GreyedFlagCarriesOverAndTheChangeFollowsTheResultBlock) {
    HWND tree = MakeTree(0);
    ASSERT_NE(tree, nullptr);
    HTREEITEM copies = FindTreeItem(&page_, 428);
    SetFlags(tree, copies, kTreeFlagGreyed | kTreeFlagMarkB);
    context_->workingBlock.Public.dmCopies = 5;
    RefreshSettingsTree(&page_);
    EXPECT_EQ(TreeItemFlags(LineOf(tree, copies).word), kTreeFlagGreyed | kTreeFlagChanged | kTreeFlagClosing);
    // Applied: the result block holds the same copies, so the line is no longer changed.
    context_->resultBlock = context_->workingBlock;
    RefreshTreeItem(&page_, 428);
    EXPECT_EQ(TreeItemFlags(LineOf(tree, copies).word), kTreeFlagGreyed | kTreeFlagClosing);
    SetFlags(tree, copies, 0);
    RefreshTreeItem(&page_, 428);
    EXPECT_EQ(TreeItemFlags(LineOf(tree, copies).word), kTreeFlagClosing);
}

TEST_F(TreeText, ALabelTooLongForTheWordIsCutSoItsLengthStillFits) {
    // String 4330 of the test module is 300 characters; the language library's cut keeps 259.
    HWND tree = MakeTree(0);
    ASSERT_NE(tree, nullptr);
    const Line line = LineOf(tree, FindTreeItem(&page_, 4330));
    EXPECT_EQ(line.text, std::u16string(254, u'L') + u"<s475>");
    EXPECT_EQ(TreeItemLabelLength(line.word), 255);
    EXPECT_EQ(TreeItemId(line.word), 4330);
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
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, 402)).text, u"<>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, 419)).text, u"<A4>");
    EXPECT_EQ(LineOf(tree, FindTreeItem(&page_, 400)).text, u"");
    // Without icons every line goes without an image, and the page's list stays empty.
    for (const Line& line : lines) {
        EXPECT_EQ(line.image, -1) << TreeItemId(line.word);
        EXPECT_EQ(line.selectedImage, -1) << TreeItemId(line.word);
    }
    EXPECT_EQ(ImageList_GetImageCount(PageTreeImages(&page_)), 0);
}

}  // namespace
}  // namespace kvuitree
