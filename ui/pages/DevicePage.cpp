// The device page: the settings tree of the printer's sheet and the control set of the item
// selected in it. Lists choose the substitution tables and the installed memory, buttons open
// the substitution tables, the device halftone and the status wait box; every change runs the
// resolver over the working block and shows the page again, so that a value it forces back is
// the one shown.
#include "ui/pages/DevicePage.h"

#include <algorithm>
#include <iterator>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/data/HalftoneAdjustments.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PageIcons.h"
#include "ui/pages/PageRoutines.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"
#include "ui/status/StatusQuery.h"
#include "ui/dialogs/SubstDialogs.h"
#include "ui/entry/UiContext.h"
#include "ui/entry/UiInstance.h"

namespace {

// A list entry's item data: its value (string id or size) high, its icon low.
constexpr LPARAM EntryWord(DWORD icon, DWORD value) { return static_cast<LPARAM>((value & 0xFFFFu) << 16 | (icon & 0xFFFFu)); }
constexpr WPARAM CommandWord(int control, UINT code) {
    return static_cast<WPARAM>((code & 0xFFFFu) << 16 | (static_cast<UINT>(control) & 0xFFFFu));
}

enum class ItemKind { Version, Heading, List, Button };

struct DeviceItem {
    int id;
    ItemKind kind;
    const char16_t* accelerator;  // after the label; empty for none
    UINT buttonLabel;             // the text of kItemButton (a button item) or kItemSecondButton (a list
                                  // item); 0 for none
    DWORD help;                   // 0 for none
};

constexpr DeviceItem kItems[] = {
    {kPrinterTreeItem, ItemKind::Version, u"", 0, 0},
    {kSubstitutionTreeItem, ItemKind::Heading, u"", 0, 0},
    {kTrueTypeTableTreeItem, ItemKind::List, u"(&T)", kEditFontTableButtonText, 324},
    {kOutputPaperTableTreeItem, ItemKind::List, u"(&O)", kEditPaperTableButtonText, 314},
    {kDeviceHalftoneTreeItem, ItemKind::Button, u"", kHalftoneButtonText, 309},
    {kInstalledOptionsTreeItem, ItemKind::Heading, u"", 0, 0},
    {kMemoryTreeItem, ItemKind::List, u"(&M)", 0, 312},
    {kReadPrinterStatusTreeItem, ItemKind::Button, u"", kReadStatusButtonText, 318},
};

// Entries of the two table items: built-in table, the printer's own.
struct TableItem {
    int id;
    DWORD bit;  // of OptionFlags (400): the built-in table is used
    WORD builtInIcon;
    WORD ownIcon;
};
constexpr TableItem kTableItems[] = {
    {kTrueTypeTableTreeItem, kOptionBuiltinTTSubst, kBuiltInFontTableIconId, kPrinterFontTableIconId},
    {kOutputPaperTableTreeItem, kOptionNoOutPaperTable, kBuiltInPaperTableIconId, kPrinterPaperTableIconId},
};

// Controls that belong to one item or another; the rest of the page stays as it is.
constexpr int kItemControls[] = {kItemLabel,     kItemIcon,       kItemList,    kItemText,
                                 kItemTextLabel, kItemGroup,      kItemButton,  kItemSecondButton,
                                 kItemModelName, kItemDriverName, kItemVersion, kItemVersionExtra};

constexpr int kPageIconId = kLockIconId;
constexpr DWORD kPageHelpContext = 4;
constexpr int kListMaxRows = 7;
constexpr DWORD kMemoryWithDisk = 0x10000;  // below it the disk cannot be installed
constexpr int kDiskSlot = 17;               // DEV_HDD
constexpr DWORD kHalftone1200 = 1200;

const DeviceItem* FindItem(int id) {
    for (const DeviceItem& item : kItems) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

const TableItem* FindTableItem(int id) {
    for (const TableItem& item : kTableItems) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

std::u16string LanguageText(const UiContext* context, UINT id) {
    WCHAR text[260] = {};
    LoadStringW(context->languageLibrary, id, text, static_cast<int>(std::size(text)));
    return text;
}

LPARAM TreeItemWord(HWND tree, HTREEITEM item) {
    if (tree == nullptr || item == nullptr) return 0;
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return 0;
    return data.lParam;
}

// The item the tree has selected, 0 for none.
int SelectedItemId(const PageRecord* page) {
    if (page->tree == nullptr) return 0;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(page->tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return item != nullptr ? TreeItemId(TreeItemWord(page->tree, item)) : 0;
}

// Whether the sheet lets the user change anything. (A greyed tree item is only drawn grey:
// the resolver greys the memory item always.)
bool MayChange(const PageRecord* page) { return (page->context->flags & kUiMayChange) != 0; }

bool IsControlEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowEnabled(control);
}

// Shows the controls of the set (enabled as asked) and hides and disables every other one.
void ShowControlSet(HWND dialog, std::initializer_list<int> shown, bool enabled) {
    for (int id : kItemControls) {
        HWND control = GetDlgItem(dialog, id);
        if (control == nullptr) continue;
        const bool in = std::find(shown.begin(), shown.end(), id) != shown.end();
        ShowWindow(control, in ? SW_SHOW : SW_HIDE);
        EnableWindow(control, in && enabled ? TRUE : FALSE);
    }
}

void SetControlText(HWND dialog, int id, const std::u16string& text) { SetDlgItemTextW(dialog, id, text.c_str()); }

// --- The list items ---

struct ListEntry {
    std::u16string text;
    LPARAM data;
};

int CurrentTableEntry(const DriverDevMode& block, const TableItem& table) {
    return (block.OptionFlags & table.bit) != 0 ? 0 : 1;
}

// The entries of a list item and the one that is current.
int ListEntries(const PageRecord* page, int id, std::vector<ListEntry>* entries) {
    const UiContext* context = page->context;
    const DriverDevMode& block = context->workingBlock;
    if (const TableItem* table = FindTableItem(id)) {
        entries->push_back(
            {LanguageText(context, kBuiltInTableText), EntryWord(table->builtInIcon, kBuiltInTableText)});
        entries->push_back({LanguageText(context, kPrinterTableText), EntryWord(table->ownIcon, kPrinterTableText)});
        return CurrentTableEntry(block, *table);
    }
    LPARAM words[kModelMaxMemorySize] = {};
    const int count = MemoryEntryWords(context->model, words);
    int current = 0;
    for (int i = 0; i < count; ++i) {
        entries->push_back({kMemoryEntryText, words[i]});
        if (MemorySizeOfEntry(context->model, words[i]) == block.InstalledMemory) current = i;
    }
    return current;
}

// The list's height: min(entries + 1, 7) rows; the rows.
int SizeList(HWND dialog, HWND list, int entries) {
    const int rows = std::min(entries + 1, kListMaxRows);
    RECT rect{};
    const auto rowHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    if (rowHeight > 0 && GetControlRectInDialog(dialog, kItemList, &rect))
        SetWindowPos(list, nullptr, 0, 0, rect.right - rect.left, rows * rowHeight, SWP_NOMOVE | SWP_NOZORDER);
    return rows;
}

void FillList(PageRecord* page, HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, kItemList);
    if (list == nullptr) return;
    std::vector<ListEntry> entries;
    const int current = ListEntries(page, id, &entries);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const ListEntry& entry : entries) {
        const auto index = static_cast<int>(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str())));
        if (index >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), entry.data);
    }
    const int rows = SizeList(dialog, list, static_cast<int>(entries.size()));
    if (!entries.empty()) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
        // The current entry in view, with as many entries before it as the list shows.
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, current - (rows - 1))), 0);
    }
}

// --- Showing an item ---

void ShowItem(PageRecord* page, HWND dialog, int id) {
    const DeviceItem* item = FindItem(id);
    if (item == nullptr || item->kind == ItemKind::Heading) {
        ShowControlSet(dialog, {}, false);
        return;
    }
    if (item->kind == ItemKind::Version) {
        ShowControlSet(dialog, {kItemIcon, kItemGroup, kItemModelName, kItemDriverName, kItemVersion, kItemVersionExtra}, true);
        ShowDriverVersion(page, dialog);
        return;
    }
    const bool enabled = MayChange(page);
    SetControlText(dialog, kItemLabel, LanguageText(page->context, static_cast<UINT>(id)) + item->accelerator);
    if (item->kind == ItemKind::Button) {
        ShowControlSet(dialog, {kItemLabel, kItemButton}, enabled);
        SetControlText(dialog, kItemButton, LanguageText(page->context, item->buttonLabel));
        return;
    }
    if (const TableItem* table = FindTableItem(id)) {
        ShowControlSet(dialog, {kItemLabel, kItemList, kItemSecondButton}, enabled);
        SetControlText(dialog, kItemSecondButton, LanguageText(page->context, item->buttonLabel));
        // The table button edits the printer's own table only.
        if ((page->context->workingBlock.OptionFlags & table->bit) != 0)
            EnableWindow(GetDlgItem(dialog, kItemSecondButton), FALSE);
    } else {
        ShowControlSet(dialog, {kItemLabel, kItemList}, enabled);
    }
    FillList(page, dialog, id);
}

// The tree's current item shown again (after a change, which may have been forced back).
void ShowSelectedItem(PageRecord* page, HWND dialog) { ShowItem(page, dialog, SelectedItemId(page)); }

// The change path: resolver, tree, the item's controls; PSM_CHANGED when asked.
void ChangeAndShow(PageRecord* page, HWND dialog, bool notify) {
    OnSettingChanged(page, dialog, 0, notify ? TRUE : FALSE);
    ShowSelectedItem(page, dialog);
}

// --- Choosing ---

void ChooseMemory(UiContext* context, LPARAM data) {
    DriverDevMode& block = context->workingBlock;
    block.InstalledMemory = MemorySizeOfEntry(context->model, data);
    if (block.InstalledMemory < kMemoryWithDisk) block.DeviceSlots[kDiskSlot].State &= static_cast<WORD>(~kDeviceInstalled);
}

void OnListChoice(PageRecord* page, HWND dialog) {
    HWND list = GetDlgItem(dialog, kItemList);
    const auto index = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (index < 0) return;
    const LPARAM data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    const int id = SelectedItemId(page);
    DriverDevMode& block = page->context->workingBlock;
    if (const TableItem* table = FindTableItem(id)) {
        if (HIWORD(data) == kBuiltInTableText) block.OptionFlags |= table->bit;
        else block.OptionFlags &= ~table->bit;
    } else if (id == kMemoryTreeItem) {
        ChooseMemory(page->context, data);
    } else {
        return;
    }
    ChangeAndShow(page, dialog, true);
}

bool ModelHas1200Dpi(const ModelDescription* model) {
    if (model == nullptr) return false;
    const auto* list = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    for (DWORD i = 0; list != nullptr && i < model->ResolutionCount; ++i) {
        if (list[i].Value1 == kHalftone1200) return true;
    }
    return false;
}

// The device halftone: the dialog of both resolution groups on a 1200 dpi model, else the
// current resolution's value adjusted and copied to the others. Whether a value was written.
bool AdjustHalftone(PageRecord* page, HWND dialog) {
    if (ModelHas1200Dpi(page->context->model)) {
        page->flags |= kPageFlagTreeLayout;
        const INT_PTR result = ShowHalftoneDialog(page, dialog);
        page->flags &= ~kPageFlagTreeLayout;
        return result > 0;
    }
    HalftoneDialogData data{};
    data.context = page->context;
    AdjustCurrentResolutionHalftone(&data, dialog);
    return data.written;
}

void OnButton(PageRecord* page, HWND dialog, int control) {
    const int id = SelectedItemId(page);
    INT_PTR result = 0;
    if (control == kItemSecondButton && (id == kTrueTypeTableTreeItem || id == kOutputPaperTableTreeItem)) {
        page->flags &= ~kPageFlagReadOnlyTables;
        result = id == kTrueTypeTableTreeItem ? ShowTTSubstDialog(page, dialog, kTTSubstDeviceTemplate)
                                              : ShowOutPaperDialog(page, dialog, kOutPaperSubstDeviceTemplate);
    } else if (control == kItemButton && id == kDeviceHalftoneTreeItem) {
        result = AdjustHalftone(page, dialog) ? 1 : 0;
    } else if (control == kItemButton && id == kReadPrinterStatusTreeItem) {
        result = ShowStatusWaitBox(page, dialog);
    } else {
        return;
    }
    ChangeAndShow(page, dialog, result > 0);
}

// Command kDefaultsButton: the page's switches from the default block.
void RestoreDeviceDefaults(PageRecord* page, HWND dialog) {
    UiContext* context = page->context;
    DriverDevMode& block = context->workingBlock;
    const DriverDevMode& defaults = context->defaultBlock;
    constexpr DWORD kSwitches = kOptionBuiltinTTSubst | kOptionNoOutPaperTable | kOptionCompatibleMargin;
    block.OptionFlags = (block.OptionFlags & ~kSwitches) | (defaults.OptionFlags & kSwitches);
    block.SavedOptionFlags = (block.SavedOptionFlags & ~kOptionCompatibleMargin) |
                             (defaults.SavedOptionFlags & kOptionCompatibleMargin);
    constexpr DWORD kFeatureBit24 = 1u << 24;
    block.FeatureFlags = (block.FeatureFlags & ~kFeatureBit24) | (defaults.FeatureFlags & kFeatureBit24);
    ChangeAndShow(page, dialog, true);
    SelectTreeRoot(page);
    SetPageHint(page, dialog, kDeviceDefaultsRestoredHint, kHintInfo);
}

// A double click on the tree: a button item presses its button, a list item steps to its
// next entry (after the last, the first).
void OnDoubleClick(PageRecord* page, HWND dialog) {
    const DeviceItem* item = FindItem(SelectedItemId(page));
    if (item == nullptr) return;
    if (item->kind == ItemKind::Button && IsControlEnabled(dialog, kItemButton)) {
        PostMessageW(dialog, WM_COMMAND, CommandWord(kItemButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kItemButton)));
    } else if (item->kind == ItemKind::List && IsControlEnabled(dialog, kItemList)) {
        HWND list = GetDlgItem(dialog, kItemList);
        const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        if (count <= 0) return;
        const auto current = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>((current + 1) % count), 0);
        PostMessageW(dialog, WM_COMMAND, CommandWord(kItemList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
}

// --- Activation and help ---

void OnInit(PageRecord* page, HWND dialog) {
    UiContext* context = page->context;
    QueryPrinterStatus(&context->status, context->printer, nullptr);
    UpdateStatusFlag(&context->workingBlock, &context->status, context->printer);
    PublishDsProperties(&context->workingBlock, &context->status, context->printer, context->model);
    SetControlIcon(dialog, kPageIcon, PageIcon(page, kPageIconId));
}

// After the frame's activation: the selected item (or the first) selected anew, so that its
// controls are built from the block the resolver left.
void OnSetActive(PageRecord* page, HWND dialog) {
    SetPageHint(page, dialog, 0, 0);
    ReselectTreeItem(page);
}

BOOL OnHelp(PageRecord* page, LPARAM help) {
    const DeviceItem* item = FindItem(SelectedItemId(page));
    const DWORD number = item != nullptr ? item->help : 0;
    const DWORD table[] = {kItemLabel, number, kItemList, number, kItemButton, number,
                           kItemSecondButton, number, 0, 0};
    return ShowControlHelp(page, help, table);
}

BOOL OnNotify(PageRecord* page, HWND dialog, const NMHDR* note) {
    if (note->hwndFrom == page->tree && page->tree != nullptr) {
        if (note->code == TVN_SELCHANGEDW) {
            const auto* change = reinterpret_cast<const NMTREEVIEWW*>(note);
            SetPageHint(page, dialog, 0, 0);
            ShowItem(page, dialog, TreeItemId(change->itemNew.lParam));
            return TRUE;
        }
        if (note->code == NM_DBLCLK) {
            OnDoubleClick(page, dialog);
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
            return TRUE;
        }
        return FALSE;
    }
    switch (note->code) {
    case PSN_SETACTIVE:
        PageFrameDlgProc(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(note));
        OnSetActive(page, dialog);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_KILLACTIVE:
    case PSN_RESET:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_HELP:
        ShowPageHelpTopic(page, kPageHelpContext);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

int MemoryEntryWords(const ModelDescription* model, std::span<LPARAM> out) {
    if (model == nullptr) return 0;
    const auto* sizes = ModelList<ModelMemory>(model, model->MemorySizeOffset, model->MemorySizeCount);
    int count = 0;
    for (DWORD i = 0; sizes != nullptr && i < model->MemorySizeCount && static_cast<size_t>(count) < out.size(); ++i) {
        const DWORD megabytes = sizes[i].Values[0] >> 10;
        if (megabytes > 0xFFFFu) continue;
        out[static_cast<size_t>(count++)] = EntryWord(kMemoryEntryIcon, megabytes);
    }
    return count;
}

DWORD MemorySizeOfEntry(const ModelDescription* model, LPARAM itemData) {
    const DWORD megabytes = HIWORD(itemData);
    const auto* sizes = model != nullptr ? ModelList<ModelMemory>(model, model->MemorySizeOffset, model->MemorySizeCount)
                                         : nullptr;
    for (DWORD i = 0; sizes != nullptr && i < model->MemorySizeCount; ++i) {
        if ((sizes[i].Values[0] >> 10) == megabytes) return sizes[i].Values[0];
    }
    return megabytes << 10;
}

INT_PTR DevicePageDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        PageFrameDlgProc(dialog, message, wParam, lParam);
        PageRecord* page = PageRecordOf(dialog);
        if (page != nullptr && page->context != nullptr) OnInit(page, dialog);
        return TRUE;
    }
    PageRecord* page = PageRecordOf(dialog);
    if (page == nullptr || page->context == nullptr) return PageFrameDlgProc(dialog, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        // A sheet that may not change anything shows its controls disabled; a command that
        // reaches it anyway (posted before) changes nothing.
        if (!MayChange(page) && LOWORD(wParam) != kItemGroup) return TRUE;
        switch (LOWORD(wParam)) {
        case kDefaultsButton: RestoreDeviceDefaults(page, dialog); return TRUE;
        case kItemList:
            if (HIWORD(wParam) != LBN_SELCHANGE) return FALSE;
            OnListChoice(page, dialog);
            return TRUE;
        case kItemButton:
        case kItemSecondButton: OnButton(page, dialog, LOWORD(wParam)); return TRUE;
        case kItemGroup: return TRUE;
        default: return FALSE;
        }
    case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const NMHDR*>(lParam);
        if (note == nullptr) return FALSE;
        if (OnNotify(page, dialog, note)) return TRUE;
        return PageFrameDlgProc(dialog, message, wParam, lParam);
    }
    case WM_DRAWITEM:
        if (wParam != kItemList) return FALSE;
        return DrawListItem(page, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_HELP: return OnHelp(page, lParam);
    default: return PageFrameDlgProc(dialog, message, wParam, lParam);
    }
}
