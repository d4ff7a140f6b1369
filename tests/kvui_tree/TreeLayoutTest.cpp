// The tree's three layouts as a page shows them, the tree that takes the placeholder's place,
// and the items shown only while the memory items are not hidden.
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_tree/TreeFixture.h"

namespace kvuitree {
namespace {

using TreeLayout = TreeTest;

constexpr DWORD kHideMemoryItems = 0x10000u;  // OptionFlags (400)

struct LayoutCase {
    const char* name;
    DWORD contextFlags;
    DWORD pageFlags;
    DWORD optionFlags;
    std::vector<TreeLayoutRow> expected;  // {level, id} in display order
};

const std::vector<TreeLayoutRow> kDevice = {{1, kPrinterTreeItem},        {2, kSubstitutionTreeItem},
                                            {3, kTrueTypeTableTreeItem},  {3, kOutputPaperTableTreeItem},
                                            {3, kDeviceHalftoneTreeItem}, {2, kInstalledOptionsTreeItem},
                                            {3, kMemoryTreeItem},         {2, kReadPrinterStatusTreeItem}};
const std::vector<TreeLayoutRow> kBasic = {{1, kPrinterTreeItem},
                                           {2, kGraphicsTreeItem},
                                           {3, kResolutionTreeItem},
                                           {3, kTonerSaveTreeItem},
                                           {3, kSmoothingTreeItem},
                                           {3, kColourAdjustmentTreeItem},
                                           {3, kEdgeEnhancementTreeItem},
                                           {3, kCompatibleMarginsTreeItem},
                                           {2, kFontsTreeItem},
                                           {3, kPrintProcessingTreeItem},
                                           {3, kTrueTypeSubstitutionTreeItem},
                                           {3, kDownloadAsOutlineTreeItem},
                                           {3, kTrueTypeAsGraphicsTreeItem},
                                           {2, kJobTreeItem},
                                           {3, kPrintPositionTreeItem},
                                           {3, kOwnerTextTreeItem},
                                           {3, kFormOverlayTreeItem},
                                           {2, kReadPrinterStatusTreeItem}};
const std::vector<TreeLayoutRow> kFull = {{1, kPrinterTreeItem},
                                          {2, kDocumentTreeItem},
                                          {3, kLayoutTreeItem},
                                          {4, kPagesPerSheetTreeItem},
                                          {4, kPageOrderTreeItem},
                                          {4, kPageBorderTreeItem},
                                          {3, kCopiesAndJobsTreeItem},
                                          {4, kSeparateCopiesTreeItem},
                                          {4, kSplitJobTreeItem},
                                          {3, kDestinationTreeItem},
                                          {4, kOutputToTreeItem},
                                          {3, kPageStampTreeItem},
                                          {4, kPrintStampTreeItem},
                                          {4, kStampPositionTreeItem},
                                          {4, kStampTextTreeItem},
                                          {3, kPrinterStatusTreeItem},
                                          {4, kUsePrinterStatusTreeItem},
                                          {2, kPaperTreeItem},
                                          {3, kPaperSizeTreeItem},
                                          {3, kOutputPaperTreeItem},
                                          {3, kPrintOnOutputPaperTreeItem},
                                          {3, kScalingTreeItem},
                                          {4, kScaleTreeItem},
                                          {3, kCopiesTreeItem},
                                          {3, kNupTreeItem},
                                          {4, kNupDownTreeItem},
                                          {4, kNupAcrossTreeItem},
                                          {4, kNupOrderTreeItem},
                                          {2, kQualityTreeItem},
                                          {3, kGraphicsTreeItem},
                                          {4, kResolutionTreeItem},
                                          {4, kTonerSaveTreeItem},
                                          {4, kSmoothingTreeItem},
                                          {4, kEdgeEnhancementTreeItem},
                                          {4, kCompatibleMarginsTreeItem},
                                          {3, kFontsTreeItem},
                                          {4, kPrintProcessingTreeItem},
                                          {4, kTrueTypeSubstitutionTreeItem},
                                          {4, kDownloadAsOutlineTreeItem},
                                          {4, kTrueTypeAsGraphicsTreeItem},
                                          {3, kJobTreeItem},
                                          {4, kOwnerTextTreeItem},
                                          {4, kFormOverlayTreeItem}};

std::vector<TreeLayoutRow> Without(std::vector<TreeLayoutRow> rows, std::initializer_list<int> ids) {
    std::erase_if(rows, [&](const TreeLayoutRow& r) { return std::find(ids.begin(), ids.end(), r.itemId) != ids.end(); });
    return rows;
}

TEST_F(TreeLayout, EachSheetShowsItsLayoutInOrderAndDepth) {
    const LayoutCase cases[] = {
        {"device", kUiDeviceSheet, 0, 0, kDevice},
        {"device, memory items hidden", kUiDeviceSheet, 0, kHideMemoryItems,
         Without(kDevice, {kInstalledOptionsTreeItem, kMemoryTreeItem, kReadPrinterStatusTreeItem})},
        // The device layout wins over the page's own flag.
        {"device, page asks for all", kUiDeviceSheet | kUiDocumentSheet, 0x2, 0, kDevice},
        {"document", kUiDocumentSheet, 0, 0, kBasic},
        {"advanced", kUiAdvancedSheet, 0, 0, kBasic},
        {"document, memory items hidden", kUiDocumentSheet, 0, kHideMemoryItems,
         Without(kBasic, {kReadPrinterStatusTreeItem})},
        {"document, page shows all", kUiDocumentSheet, 0x2, 0, kFull},
        {"no sheet", 0, 0, 0, kFull},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        StartOver();
        context_->workingBlock.OptionFlags = c.optionFlags;
        HWND tree = MakeTree(c.contextFlags, c.pageFlags);
        ASSERT_NE(tree, nullptr);
        const std::vector<Line> lines = Lines(tree);
        ASSERT_EQ(lines.size(), c.expected.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(TreeItemId(lines[i].word), c.expected[i].itemId);
            EXPECT_EQ(lines[i].depth, c.expected[i].level - 1);
            EXPECT_EQ(FindTreeItem(&page_, c.expected[i].itemId) != nullptr, true);
        }
        EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), static_cast<LRESULT>(c.expected.size()));
        // The root is chosen.
        EXPECT_EQ(Next(tree, TVGN_CARET, nullptr), Next(tree, TVGN_ROOT, nullptr));
    }
}

TEST_F(TreeLayout, ChosenLayoutsHaveTheirRowCounts) {
    EXPECT_EQ(DeviceTreeLayout().size(), 8u);
    EXPECT_EQ(BasicTreeLayout().size(), 18u);
    EXPECT_EQ(FullTreeLayout().size(), 43u);
    context_->flags = kUiDocumentSheet;
    EXPECT_EQ(ChooseTreeLayout(&page_).data(), BasicTreeLayout().data());
    page_.flags = 0x2;
    EXPECT_EQ(ChooseTreeLayout(&page_).data(), FullTreeLayout().data());
}

TEST_F(TreeLayout, TreeTakesThePlaceholdersPlaceRectangleAndTabOrder) {
    HWND tree = MakeTree(kUiDocumentSheet);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(page_.tree, tree);
    EXPECT_EQ(GetDlgItem(dialog_, kTreePlaceholder), tree);  // the placeholder is gone, the tree has its id
    WCHAR cls[32] = {};
    GetClassNameW(tree, cls, 32);
    EXPECT_EQ(std::u16string(cls), u"SysTreeView32");
    RECT rect{};
    ASSERT_TRUE(GetControlRectInDialog(dialog_, kTreePlaceholder, &rect));
    EXPECT_EQ(rect.left, kPlaceholderRect.left);
    EXPECT_EQ(rect.top, kPlaceholderRect.top);
    EXPECT_EQ(rect.right, kPlaceholderRect.right);
    EXPECT_EQ(rect.bottom, kPlaceholderRect.bottom);
    EXPECT_EQ(GetWindow(before_, GW_HWNDNEXT), tree);
    EXPECT_EQ(GetWindow(tree, GW_HWNDNEXT), after_);
    const auto style = static_cast<DWORD>(GetWindowLongW(tree, GWL_STYLE));
    const DWORD wanted = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                         TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(tree, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetWindowLongPtrW(tree, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&page_));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(tree, GWLP_WNDPROC)), &SettingsTreeWndProc);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), PageTreeImages(&page_));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(PageTreeImages(&page_), &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 18);
}

TEST_F(TreeLayout, WithoutAPlaceholderNoTreeIsMade) {
    context_->flags = kUiDeviceSheet;
    MakeDialog();
    DestroyWindow(GetDlgItem(dialog_, kTreePlaceholder));
    EXPECT_EQ(CreateSettingsTree(&page_, dialog_), nullptr);
    EXPECT_EQ(page_.tree, nullptr);
    EXPECT_EQ(FindTreeItem(&page_, kPrinterTreeItem), nullptr);
}

TEST_F(TreeLayout, MemoryItemsAreShownOnlyWhileTheirBitIsClear) {
    const int ids[] = {kReadPrinterStatusTreeItem, kInstalledOptionsTreeItem, kMemoryTreeItem,
                       kPrinterTreeItem,           kSubstitutionTreeItem,     kTrueTypeTableTreeItem,
                       kOutputPaperTableTreeItem,  kDeviceHalftoneTreeItem,   kPagesPerSheetTreeItem,
                       kOutputToTreeItem};
    for (DWORD flags : {0u, kHideMemoryItems, ~0u}) {
        context_->workingBlock.OptionFlags = flags;
        for (int id : ids) {
            SCOPED_TRACE(id);
            const bool memoryItem =
                id == kReadPrinterStatusTreeItem || id == kInstalledOptionsTreeItem || id == kMemoryTreeItem;
            EXPECT_EQ(IsTreeItemEnabled(&page_, id) != FALSE, !(memoryItem && (flags & kHideMemoryItems)));
        }
    }
}

TEST_F(TreeLayout, DestroyedTreeForgetsItsItemsAndThePageKeepsItsImages) {
    HWND tree = MakeTree(kUiDeviceSheet);
    ASSERT_NE(tree, nullptr);
    HIMAGELIST images = PageTreeImages(&page_);
    DestroyWindow(tree);
    EXPECT_EQ(page_.tree, nullptr);
    EXPECT_EQ(FindTreeItem(&page_, kPrinterTreeItem), nullptr);
    RefreshSettingsTree(&page_);  // nothing left to refresh, and no stale handle is used
    EXPECT_EQ(PageTreeImages(&page_), images);
}

}  // namespace
}  // namespace kvuitree
