// The settings tree's layouts, its creation in place of the page's placeholder, and the
// insertion and refreshing of its rows.
#include <array>
#include <new>

#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "ui/tree/SettingsTreeState.h"

namespace {

constexpr int kMaxLevel = 4;
constexpr DWORD kOptionHideMemoryItems = 0x10000u;  // OptionFlags (400): items 451, 458, 459 hidden

constexpr TreeLayoutRow kDeviceLayout[] = {
    {1, kPrinterTreeItem},          {2, kSubstitutionTreeItem},      {3, kTrueTypeTableTreeItem},
    {3, kOutputPaperTableTreeItem}, {3, kDeviceHalftoneTreeItem},    {2, kInstalledOptionsTreeItem},
    {3, kMemoryTreeItem},           {2, kReadPrinterStatusTreeItem},
};
constexpr TreeLayoutRow kBasicLayout[] = {
    {1, kPrinterTreeItem},
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
    {2, kReadPrinterStatusTreeItem},
};
constexpr TreeLayoutRow kFullLayout[] = {
    {1, kPrinterTreeItem},
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
    {4, kFormOverlayTreeItem},
};
static_assert(std::size(kDeviceLayout) == 8 && std::size(kBasicLayout) == 18 && std::size(kFullLayout) == 43);

// The row's item and the item that a row of that level hangs under: the last shown row of the
// level above, searched back from the row.
HTREEITEM ParentOf(const SettingsTreeState& state, int row) {
    const int level = state.layout[static_cast<size_t>(row)].level;
    if (level <= 1) return TVI_ROOT;
    for (int r = row - 1; r >= 0; --r) {
        const TreeLayoutRow& above = state.layout[static_cast<size_t>(r)];
        if (above.level == level - 1) return state.items[static_cast<size_t>(r)];
        if (above.level < level - 1) break;
    }
    return nullptr;
}

// The last shown sibling before the row: the item it is inserted after.
HTREEITEM PreviousSibling(const SettingsTreeState& state, int row) {
    const int level = state.layout[static_cast<size_t>(row)].level;
    for (int r = row - 1; r >= 0; --r) {
        const TreeLayoutRow& above = state.layout[static_cast<size_t>(r)];
        if (above.level < level) break;
        if (above.level == level && state.items[static_cast<size_t>(r)] != nullptr) return state.items[static_cast<size_t>(r)];
    }
    return TVI_FIRST;
}

bool RowInRange(const SettingsTreeState* state, int row) {
    return state != nullptr && row >= 0 && static_cast<size_t>(row) < state->layout.size() &&
           state->items.size() == state->layout.size();
}

}  // namespace

SettingsTreeState::~SettingsTreeState() {
    if (bold != nullptr) DeleteObject(bold);
}

SettingsTreeState* TreeStateOf(PageRecord* page, bool create) {
    if (page == nullptr) return nullptr;
    if (page->treeState == nullptr && create) page->treeState = new (std::nothrow) SettingsTreeState();
    return static_cast<SettingsTreeState*>(page->treeState);
}

void ReleaseSettingsTree(PageRecord* page) {
    SettingsTreeState* state = TreeStateOf(page, false);
    if (state == nullptr) return;
    // A live tree goes back to its own procedure and forgets the page before the list goes.
    if (state->tree != nullptr && IsWindow(state->tree)) {
        SendMessageW(state->tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
        if (state->previous != nullptr) SetWindowLongPtrW(state->tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->previous));
        SetWindowLongPtrW(state->tree, GWLP_USERDATA, 0);
    }
    delete state;
    page->treeState = nullptr;
    page->tree = nullptr;
}

std::span<const TreeLayoutRow> DeviceTreeLayout() { return kDeviceLayout; }
std::span<const TreeLayoutRow> BasicTreeLayout() { return kBasicLayout; }
std::span<const TreeLayoutRow> FullTreeLayout() { return kFullLayout; }

std::span<const TreeLayoutRow> ChooseTreeLayout(const PageRecord* page) {
    const DWORD contextFlags = page != nullptr && page->context != nullptr ? page->context->flags : 0;
    if (contextFlags & kUiDeviceSheet) return kDeviceLayout;
    if ((contextFlags & (kUiDocumentSheet | kUiAdvancedSheet)) != 0 && (page->flags & 0x2u) == 0) return kBasicLayout;
    return kFullLayout;
}

BOOL GetControlRectInDialog(HWND dialog, int id, RECT* rect) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr || rect == nullptr || !GetWindowRect(control, rect)) return FALSE;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(rect), 2);
    return TRUE;
}

HWND CreateSettingsTree(PageRecord* page, HWND dialog) {
    const INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&init);
    SettingsTreeState* state = TreeStateOf(page, true);
    HWND placeholder = GetDlgItem(dialog, kTreePlaceholder);
    RECT rect{};
    if (state == nullptr || page->context == nullptr || !GetControlRectInDialog(dialog, kTreePlaceholder, &rect))
        return nullptr;
    ShowWindow(placeholder, SW_HIDE);

    state->layout = ChooseTreeLayout(page);
    state->items.assign(state->layout.size(), nullptr);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                        TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;
    HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, WC_TREEVIEWW, u"", style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(kTreePlaceholder)), nullptr, nullptr);
    if (tree == nullptr) {
        ShowWindow(placeholder, SW_SHOWNA);
        return nullptr;
    }
    // The tree takes the placeholder's place in the tab order and its font, then the placeholder goes.
    SetWindowPos(tree, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(tree, WM_SETFONT, static_cast<WPARAM>(SendMessageW(placeholder, WM_GETFONT, 0, 0)), FALSE);
    DestroyWindow(placeholder);

    SetWindowLongPtrW(tree, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
    state->tree = tree;
    page->tree = tree;
    state->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SettingsTreeWndProc)));
    if (!SetTreeImageList(page, tree) || !FillSettingsTree(page, tree)) {
        SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->previous));
        state->previous = nullptr;
        state->tree = nullptr;
        page->tree = nullptr;
        DestroyWindow(tree);
        return nullptr;
    }
    return tree;
}

BOOL SetTreeImageList(PageRecord* page, HWND tree) {
    HIMAGELIST list = PageTreeImages(page);
    if (list == nullptr) return FALSE;
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
    return TRUE;
}

BOOL FillSettingsTree(PageRecord* page, HWND tree) {
    SettingsTreeState* state = TreeStateOf(page, false);
    if (state == nullptr || tree == nullptr) return FALSE;
    if (state->items.size() != state->layout.size()) state->items.assign(state->layout.size(), nullptr);
    for (size_t row = 0; row < state->layout.size(); ++row) {
        if (!IsTreeItemEnabled(page, state->layout[row].itemId)) continue;
        if (InsertTreeItem(page, tree, static_cast<int>(row)) == nullptr) return FALSE;
    }
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (root != nullptr) SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    return TRUE;
}

HTREEITEM InsertTreeItem(PageRecord* page, HWND tree, int row) {
    SettingsTreeState* state = TreeStateOf(page, false);
    if (!RowInRange(state, row) || state->layout[static_cast<size_t>(row)].level > kMaxLevel) return nullptr;
    HTREEITEM parent = ParentOf(*state, row);
    if (parent == nullptr) return nullptr;  // its parent row is not shown
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = PreviousSibling(*state, row);
    // The summary is shown open; the text and images come from FormatTreeItemText.
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = const_cast<LPWSTR>(u"");
    insert.item.lParam = MakeTreeItemWord(state->layout[static_cast<size_t>(row)].itemId, 0, 0);
    insert.item.state = TVIS_EXPANDED;
    insert.item.stateMask = TVIS_EXPANDED;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item == nullptr) return nullptr;
    state->items[static_cast<size_t>(row)] = item;
    if (state->tree == nullptr) state->tree = tree;
    FormatTreeItemText(page, row);
    return item;
}

HTREEITEM FindTreeItem(PageRecord* page, int itemId) {
    SettingsTreeState* state = TreeStateOf(page, false);
    if (state == nullptr) return nullptr;
    for (size_t row = 0; row < state->layout.size() && row < state->items.size(); ++row) {
        if (state->layout[row].itemId == itemId && state->items[row] != nullptr) return state->items[row];
    }
    return nullptr;
}

void RefreshTreeItem(PageRecord* page, int itemId) {
    SettingsTreeState* state = TreeStateOf(page, false);
    if (state == nullptr) return;
    for (size_t row = 0; row < state->layout.size(); ++row) {
        if (state->layout[row].itemId == itemId) FormatTreeItemText(page, static_cast<int>(row));
    }
}

void RefreshSettingsTree(PageRecord* page) {
    SettingsTreeState* state = TreeStateOf(page, false);
    if (state == nullptr) return;
    for (size_t row = 0; row < state->layout.size(); ++row) {
        if (IsTreeItemEnabled(page, state->layout[row].itemId)) FormatTreeItemText(page, static_cast<int>(row));
    }
}

BOOL IsTreeItemEnabled(PageRecord* page, int itemId) {
    if (itemId != kReadPrinterStatusTreeItem && itemId != kInstalledOptionsTreeItem && itemId != kMemoryTreeItem)
        return TRUE;
    if (page == nullptr || page->context == nullptr) return TRUE;
    return (page->context->workingBlock.OptionFlags & kOptionHideMemoryItems) == 0 ? TRUE : FALSE;
}
