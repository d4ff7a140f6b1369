// The tree's three layouts as a page shows them, the tree that takes the placeholder's place,
// and the items shown only while the memory items are not hidden.
#include "resources/ui/ControlIds.h"
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

const std::vector<TreeLayoutRow> kDevice = {{1, 430}, {2, 452}, {3, 453}, {3, 454}, {3, 457}, {2, 458}, {3, 459}, {2, 451}};
const std::vector<TreeLayoutRow> kBasic = {{1, 430}, {2, 431}, {3, 432}, {3, 433},  {3, 434}, {3, 436},
                                           {3, 4330}, {3, 788}, {2, 441}, {3, 455}, {3, 442}, {3, 443},
                                           {3, 444}, {2, 445}, {3, 446}, {3, 447}, {3, 448}, {2, 451}};
const std::vector<TreeLayoutRow> kFull = {
    {1, 430},  {2, 400},  {3, 401},  {4, 402},  {4, 403},  {4, 404}, {3, 4581}, {4, 4582}, {4, 4595},
    {3, 4584}, {4, 4585}, {3, 638},  {4, 639},  {4, 641},  {4, 640}, {3, 409},  {4, 410},  {2, 417},
    {3, 419},  {3, 421},  {3, 422},  {3, 423},  {4, 424},  {3, 428}, {3, 4575}, {4, 4576}, {4, 4577},
    {4, 4578}, {2, 429},  {3, 431},  {4, 432},  {4, 433},  {4, 434}, {4, 4330}, {4, 788},  {3, 441},
    {4, 455},  {4, 442},  {4, 443},  {4, 444},  {3, 445},  {4, 447}, {4, 448}};

std::vector<TreeLayoutRow> Without(std::vector<TreeLayoutRow> rows, std::initializer_list<int> ids) {
    std::erase_if(rows, [&](const TreeLayoutRow& r) { return std::find(ids.begin(), ids.end(), r.itemId) != ids.end(); });
    return rows;
}

TEST_F(TreeLayout, EachSheetShowsItsLayoutInOrderAndDepth) {
    const LayoutCase cases[] = {
        {"device", kUiDeviceSheet, 0, 0, kDevice},
        {"device, memory items hidden", kUiDeviceSheet, 0, kHideMemoryItems, Without(kDevice, {458, 459, 451})},
        // The device layout wins over the page's own flag.
        {"device, page asks for all", kUiDeviceSheet | kUiDocumentSheet, 0x2, 0, kDevice},
        {"document", kUiDocumentSheet, 0, 0, kBasic},
        {"advanced", kUiAdvancedSheet, 0, 0, kBasic},
        {"document, memory items hidden", kUiDocumentSheet, 0, kHideMemoryItems, Without(kBasic, {451})},
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
    EXPECT_EQ(FindTreeItem(&page_, 430), nullptr);
}

TEST_F(TreeLayout, MemoryItemsAreShownOnlyWhileTheirBitIsClear) {
    const int ids[] = {451, 458, 459, 430, 452, 453, 454, 457, 402, 4585};
    for (DWORD flags : {0u, kHideMemoryItems, ~0u}) {
        context_->workingBlock.OptionFlags = flags;
        for (int id : ids) {
            SCOPED_TRACE(id);
            const bool memoryItem = id == 451 || id == 458 || id == 459;
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
    EXPECT_EQ(FindTreeItem(&page_, 430), nullptr);
    RefreshSettingsTree(&page_);  // nothing left to refresh, and no stale handle is used
    EXPECT_EQ(PageTreeImages(&page_), images);
}

}  // namespace
}  // namespace kvuitree
