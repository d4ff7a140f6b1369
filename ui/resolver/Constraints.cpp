// The constraint resolver's run: the block as it was, the rule families in their order, and
// the services they share (validation, controls, tree items, names of paper and sources).
#include "ui/resolver/Constraints.h"

#include <string_view>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateSettings.h"
#include "ui/resolver/ConstraintRules.h"
#include "ui/pages/PropertyPages.h"
#include "ui/tree/SettingsTree.h"

namespace {

// Language-library names of the paper sources the rules ask about.
constexpr int kSourceNameChars = 80;  // an input slot name holds at most 79 characters

// The greyed flag of a tree item's data word.
constexpr LPARAM kTreeItemGreyed = LPARAM{1} << 16;
constexpr WORD kDeviceInstalled = 0x8;

constraints::NamedSlot FindNamedSlot(const ModelDescription* model, HMODULE language, UINT stringId) {
    WCHAR name[kSourceNameChars];
    if (model == nullptr || language == nullptr || LoadStringW(language, stringId, name, kSourceNameChars) <= 0) {
        return {};
    }
    const ModelNamedValue* slots = ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (std::u16string_view(name) == ModelString(model, slots[i].NameOffset)) {
            return {true, static_cast<SHORT>(LOWORD(slots[i].Value))};
        }
    }
    return {};
}

// Frees a spooler record block on every path.
class InfoBlock {
public:
    explicit InfoBlock(BYTE* block) : block_(block) {}
    ~InfoBlock() {
        if (block_ != nullptr) GlobalFree(block_);
    }
    InfoBlock(const InfoBlock&) = delete;
    InfoBlock& operator=(const InfoBlock&) = delete;
    template <typename T>
    const T* As() const {
        return reinterpret_cast<const T*>(block_);
    }

private:
    BYTE* block_;
};

HWND TreeWindowOf(const PageRecord* page) {
    if (page == nullptr || page->tree == nullptr || !IsWindow(page->tree)) return nullptr;
    return page->tree;
}

HTREEITEM NextTreeItem(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// Every item of the tree, depth first, with the id of its data word.
template <typename Visit>
void WalkTree(HWND tree, Visit visit) {
    HTREEITEM item = NextTreeItem(tree, TVGN_ROOT, nullptr);
    while (item != nullptr) {
        TVITEMW data{};
        data.mask = TVIF_HANDLE | TVIF_PARAM;
        data.hItem = item;
        if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) != 0) {
            visit(static_cast<int>(LOWORD(data.lParam)), item);
        }
        HTREEITEM next = NextTreeItem(tree, TVGN_CHILD, item);
        while (next == nullptr && item != nullptr) {
            next = NextTreeItem(tree, TVGN_NEXT, item);
            if (next == nullptr) item = NextTreeItem(tree, TVGN_PARENT, item);
        }
        item = next;
    }
}

void SetItemGreyed(HWND tree, HTREEITEM handle, BOOL enable) {
    TVITEMW data{};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = handle;
    if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) == 0) return;
    const LPARAM wanted = enable ? (data.lParam & ~kTreeItemGreyed) : (data.lParam | kTreeItemGreyed);
    if (wanted == data.lParam) return;
    data.lParam = wanted;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

}  // namespace

namespace constraints {

void Validate(Resolver& r) { ValidateDevMode(r.block, r.status, r.printer, nullptr, r.model); }

void EnableControls(Resolver& r, std::initializer_list<IdRange> controls, bool enable) {
    if (r.dialog == nullptr) return;
    for (const IdRange& range : controls) {
        for (int id = range.first; id <= range.last; ++id) EnableDialogControl(r.dialog, id, enable ? TRUE : FALSE);
    }
}

void EnableItems(Resolver& r, std::initializer_list<int> items, bool enable) {
    if (r.treeWindow == nullptr) return;
    for (int id : items) {
        if (!IsTreeItemEnabled(r.page, id)) continue;
        for (const TreeItem& item : r.treeItems) {
            if (item.id == id) SetItemGreyed(r.treeWindow, item.handle, enable ? TRUE : FALSE);
        }
    }
}

int RawOnly(Resolver& r) {
    if (r.rawOnly >= 0) return r.rawOnly;
    r.rawOnly = 0;
    if (r.printer == nullptr) return r.rawOnly;
    const InfoBlock info(GetPrinterInfo(r.printer, 2));
    const PRINTER_INFO_2W* printer = info.As<PRINTER_INFO_2W>();
    if (printer != nullptr && printer->pPrinterName != nullptr) r.rawOnly = QueryRawOnlyAttribute(printer->pPrinterName);
    return r.rawOnly;
}

bool OverlayOn(const DriverDevMode* block) { return (block->OverlayFlags & kOverlayOn) != 0; }

bool NupInUse(const DriverDevMode* block) { return block->NupDown != 1 || block->NupAcross != 1; }

bool Plain(const DriverDevMode* block) { return !NupInUse(block) && !OverlayOn(block); }

bool DeviceInstalled(const DriverDevMode* block, int slot) {
    return (block->DeviceSlots[slot].State & kDeviceInstalled) != 0;
}

LPCWSTR EffectiveForm(const DriverDevMode* block) {
    return block->OutputPaperName[0] != 0 ? block->OutputPaperName : block->Public.dmFormName;
}

int EffectiveWidth(const DriverDevMode* block) {
    return block->OutputPaperName[0] != 0 ? block->OutputPaperWidth : block->Public.dmPaperWidth;
}

bool NameIs(LPCWSTR name, const char16_t* wanted) { return std::u16string_view(name) == wanted; }

bool IsDriverForm(const ModelDescription* model, LPCWSTR name) {
    if (model == nullptr || name[0] == 0) return false;
    const ModelForm* forms = ModelList<ModelForm>(model, model->FormPortOffset, model->FormPortCount);
    for (DWORD i = 0; forms != nullptr && i < model->FormPortCount; ++i) {
        if (std::u16string_view(name) == ModelString(model, forms[i].NameOffset)) return true;
    }
    return false;
}

bool IsPostcard(LPCWSTR name) { return NameIs(name, u"はがき") || NameIs(name, u"往復はがき"); }

bool SourceIs(const DriverDevMode* block, const NamedSlot& slot) {
    return slot.present && block->Public.dmDefaultSource == slot.value;
}

bool SourceIsAutoWhenPresent(const Resolver& r) { return !r.autoSlot.present || SourceIs(r.block, r.autoSlot); }

}  // namespace constraints

void ApplyConstraints(DriverDevMode* block, PageRecord* tree, PrinterStatusSnapshot* status, HANDLE printer,
                      const ModelDescription* model, HWND dialog, HMODULE languageLibrary, DWORD contextFlags) {
    if (block == nullptr) return;
    constraints::Resolver r{};
    r.block = block;
    r.before = *block;
    r.page = tree;
    r.status = status;
    r.printer = printer;
    r.model = model;
    r.dialog = dialog;
    r.language = languageLibrary;
    r.contextFlags = contextFlags;
    r.autoSlot = FindNamedSlot(model, languageLibrary, kAutoSourceName);
    r.manualSlot = FindNamedSlot(model, languageLibrary, kManualSourceName);
    r.multiSlot = FindNamedSlot(model, languageLibrary, kMultiPurposeSourceName);
    r.treeWindow = TreeWindowOf(tree);
    if (r.treeWindow != nullptr) {
        WalkTree(r.treeWindow, [&r](int id, HTREEITEM item) { r.treeItems.push_back({id, item}); });
    }

    constraints::ApplyPaperRules(r);
    constraints::ApplyOutputRules(r);
    constraints::ApplyLayoutRules(r);
    constraints::ApplyFeatureRules(r);
    constraints::ApplySheetLimits(r);
}

void EnableDialogControl(HWND dialog, int id, BOOL enable) {
    if (dialog == nullptr) return;
    HWND control = GetDlgItem(dialog, id);
    if (control != nullptr) EnableWindow(control, enable);
}

void EnableTreeItem(PageRecord* tree, int itemId, BOOL enable) {
    HWND window = TreeWindowOf(tree);
    if (window == nullptr || !IsTreeItemEnabled(tree, itemId)) return;
    WalkTree(window, [&](int id, HTREEITEM item) {
        if (id == itemId) SetItemGreyed(window, item, enable);
    });
}
