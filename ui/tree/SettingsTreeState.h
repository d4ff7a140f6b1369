#pragma once
// The settings tree's own state, kept behind PageRecord::treeState: the tree window and the
// procedure it replaced, the layout and one item per layout row, and the bold font made on
// first use. Its images are the page's (ui/pages/PageIcons.h).
#include <span>
#include <string>
#include <vector>

#include "resources/ui/PictureIds.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"

struct SettingsTreeState {
    SettingsTreeState() = default;
    SettingsTreeState(const SettingsTreeState&) = delete;
    SettingsTreeState& operator=(const SettingsTreeState&) = delete;
    ~SettingsTreeState();

    HWND tree = nullptr;
    WNDPROC previous = nullptr;
    std::span<const TreeLayoutRow> layout;
    std::vector<HTREEITEM> items;        // per layout row; NULL for a row not shown
    HFONT bold = nullptr;
};

/// The page's tree state, made when `create` is set; NULL without a page or memory.
SettingsTreeState* TreeStateOf(PageRecord* page, bool create);

/// What a row shows for a settings block: its value (when it has one), the icon id and the
/// bytes that tell a change (the fields the value is read from).
struct TreeItemValue {
    bool hasValue = false;
    std::u16string text;
    int icon = kPrinterIconId;
    std::u16string key;
};
/// The value of item `itemId` from the block; `printerName` and `languageLibrary` come from
/// the context (NULL: empty texts).
TreeItemValue DescribeTreeItem(int itemId, const DriverDevMode& block, HMODULE languageLibrary);
/// Language string `id`, cut to 259 characters; empty when missing.
std::u16string TreeString(HMODULE languageLibrary, int id);
