// The settings tree beside page three's list shows the block after every choice: the rows the
// constraint resolver changed as a consequence of the choice read and grey as the block says,
// not only the row of the item chosen.
#include <ostream>
#include <string>
#include <vector>

#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_page3/Page3Fixture.h"
#include "ui/tree/SettingsTree.h"

namespace kvuipage3 {
namespace {

struct TreeRow {
    int id = 0;
    std::u16string text;
    bool greyed = false;
    bool operator==(const TreeRow&) const = default;
    friend void PrintTo(const TreeRow& row, std::ostream* out) {
        *out << row.id << " " << kvtest::U8(row.text) << (row.greyed ? " (greyed)" : "");
    }
};

HTREEITEM NextItem(HWND tree, UINT code, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

void AddRows(HWND tree, HTREEITEM first, std::vector<TreeRow>& rows) {
    for (HTREEITEM item = first; item != nullptr; item = NextItem(tree, TVGN_NEXT, item)) {
        WCHAR text[300] = {};
        TVITEMW data{};
        data.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = 300;
        if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) {
            rows.push_back({TreeItemId(data.lParam), text, (TreeItemFlags(data.lParam) & kTreeFlagGreyed) != 0});
        }
        AddRows(tree, NextItem(tree, TVGN_CHILD, item), rows);
    }
}

std::vector<TreeRow> Rows(const Page& page) {
    std::vector<TreeRow> rows;
    AddRows(page.record->tree, NextItem(page.record->tree, TVGN_ROOT, nullptr), rows);
    return rows;
}

const TreeRow* RowOf(const std::vector<TreeRow>& rows, int id) {
    for (const TreeRow& row : rows) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

using TreeFollows = Page3Test;

constexpr DWORD kTonerSave = 1u << 10;
constexpr DWORD kGraphicsOnly = 1u << 11;  // what smoothing sets
constexpr DWORD kEdge = 1u << 27;

struct FollowCase {
    const char* what;
    DWORD setBefore;    // feature bits set (and saved) before the choice
    DWORD clearBefore;  // feature bits cleared before it
    int item;           // the user's choice
    WORD entry;
    int row;            // a row the resolver changes with it
    WORD rowValue;      // the language string that row's value reads afterwards
    bool rowGreyed;
};

TEST_F(TreeFollows, RowsTheResolverChangedShowTheBlock) {
    const FollowCase cases[] = {
        {"smoothing turns toner saving off", kTonerSave, kGraphicsOnly, kSmoothingTreeItem, kEnhancedText,
         kTonerSaveTreeItem, kStandardText, true},
        {"smoothing turns edge enhancement off", kEdge, kGraphicsOnly, kSmoothingTreeItem, kEnhancedText,
         kEdgeEnhancementTreeItem, kEdgeEnhancementOffText, true},
        {"no smoothing gives toner saving back", kTonerSave | kGraphicsOnly, 0, kSmoothingTreeItem, kStandardText,
         kTonerSaveTreeItem, kTonerSaveOnText, false},
    };
    for (const FollowCase& c : cases) {
        SCOPED_TRACE(c.what);
        RunPage(nullptr, [&](Page& page) {
            DriverDevMode& block = page.context->workingBlock;
            block.FeatureFlags = (block.FeatureFlags | c.setBefore) & ~c.clearBefore;
            block.SavedFeatureFlags = (block.SavedFeatureFlags | c.setBefore) & ~c.clearBefore;
            // The page is shown again so that the tree starts from the block as set.
            RefreshSettingsTree(page.record);
            ASSERT_TRUE(ClickTreeItem(page, c.item));
            ASSERT_TRUE(ClickEntry(page, c.entry));
            const std::vector<TreeRow> shown = Rows(page);
            const TreeRow* row = RowOf(shown, c.row);
            ASSERT_NE(row, nullptr);
            const std::u16string value = u"<" + String(c.rowValue) + u">";
            ASSERT_GE(row->text.size(), value.size());
            EXPECT_EQ(row->text.substr(row->text.size() - value.size()), value) << kvtest::U8(row->text);
            EXPECT_EQ(row->greyed, c.rowGreyed);
            // Every other row too: a full rebuild of the texts changes nothing.
            RefreshSettingsTree(page.record);
            EXPECT_EQ(Rows(page), shown);
        });
    }
}

}  // namespace
}  // namespace kvuipage3
