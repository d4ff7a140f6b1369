// The stored preset table in the pages' list views: reading it whole, writing it back only
// after a complete read, the current preset and the mark of a changed one.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Controls.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/User.h"
#include "ui/dialogs/PresetDialog.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"

namespace {

// GWLP_USERDATA of a list view: its records are a complete read of the stored table.
constexpr LONG_PTR kListComplete = 1;

// The whole records of the stored table, or the model's built-ins when it is absent, empty or
// of another type; *complete false when the table exists but cannot be read whole.
GlobalBlock ReadRecords(const UiContext* context, DWORD* count, bool* complete) {
    *count = 0;
    *complete = false;
    DWORD type = REG_NONE;
    DWORD cbValue = 0;
    auto* name = const_cast<LPWSTR>(PD_PRESET_TABLE);
    const DWORD status = GetPrinterDataW(context->printer, name, &type, nullptr, 0, &cbValue);
    const bool stored = status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
    if (!stored && status != ERROR_FILE_NOT_FOUND) return {};
    if (!stored || cbValue == 0 || type != REG_BINARY) {
        // Built-ins that could not be made leave the read incomplete: written back, the table
        // would lack them for good.
        GlobalBlock builtIns;
        *complete = BuildBuiltInPresets(context->printer, context->model, BuiltInPresetList(), &builtIns, count);
        return builtIns;
    }
    if (cbValue > kPresetReadCap * sizeof(PresetRecord)) return {};
    GlobalBlock block = GlobalBlock::Zeroed(cbValue);
    if (!block.Valid()) return {};
    DWORD cbRead = 0;
    if (GetPrinterDataW(context->printer, name, &type, block.As<BYTE>(), cbValue, &cbRead) != ERROR_SUCCESS ||
        type != REG_BINARY || cbRead != cbValue)
        return {};
    // A tail shorter than a record is no preset.
    *count = cbRead / sizeof(PresetRecord);
    auto* records = block.As<PresetRecord>();
    for (DWORD i = 0; i < *count; ++i) {
        records[i].name[kPresetNameChars - 1] = 0;
        records[i].comment[kPresetCommentChars - 1] = 0;
        if (records[i].icon >= kPresetIconCount) records[i].icon = 0;
    }
    *complete = true;
    return block;
}


}  // namespace

bool ReadPresetTable(HWND dialog, PageRecord* page, int listId) {
    HWND list = GetDlgItem(dialog, listId);
    if (list == nullptr) return false;
    SetWindowLongPtrW(list, GWLP_USERDATA, 0);
    DWORD count = 0;
    bool complete = false;
    const GlobalBlock block = ReadRecords(page->context, &count, &complete);
    const auto* records = block.As<const PresetRecord>();
    for (DWORD i = 0; i < count; ++i) {
        auto* copy = static_cast<PresetRecord*>(UiPoolAlloc(page->context->pool, sizeof(PresetRecord)));
        if (copy == nullptr) return false;
        *copy = records[i];
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = PresetItemCount(list);
        item.pszText = copy->name;
        item.iImage = static_cast<int>(copy->icon);
        item.lParam = reinterpret_cast<LPARAM>(copy);
        if (SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) {
            UiPoolFree(page->context->pool, copy);
            return false;
        }
    }
    if (complete) SetWindowLongPtrW(list, GWLP_USERDATA, kListComplete);
    return complete;
}

bool WritePresetTable(HWND dialog, PageRecord* page, int listId, BOOL save) {
    HWND list = GetDlgItem(dialog, listId);
    if (list == nullptr) return !save;
    // Items in index order: the list arranges them in that order (walking to the right would
    // stop at the end of the first row).
    std::vector<PresetRecord*> records;
    const int count = PresetItemCount(list);
    for (int i = 0; i < count; ++i) {
        if (PresetRecord* record = PresetAt(list, i)) records.push_back(record);
    }
    const bool complete = GetWindowLongPtrW(list, GWLP_USERDATA) == kListComplete;
    bool written = false;
    if (save && complete) {
        std::vector<PresetRecord> table(records.size());
        for (size_t i = 0; i < records.size(); ++i) table[i] = *records[i];
        written = SetPrinterDataW(page->context->printer, const_cast<LPWSTR>(PD_PRESET_TABLE), REG_BINARY,
                                  reinterpret_cast<LPBYTE>(table.data()),
                                  static_cast<DWORD>(table.size() * sizeof(PresetRecord))) == ERROR_SUCCESS;
    }
    SetWindowLongPtrW(list, GWLP_USERDATA, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (PresetRecord* record : records) UiPoolFree(page->context->pool, record);
    return written || !save;
}

int PresetItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

PresetRecord* PresetAt(HWND list, int item) {
    LVITEMW lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    if (SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv)) == FALSE) return nullptr;
    return reinterpret_cast<PresetRecord*>(lv.lParam);
}

void LoadPresets(PageRecord* page) {
    DWORD count = 0;
    bool complete = false;
    const GlobalBlock block = ReadRecords(page->context, &count, &complete);
    const auto* records = block.As<const PresetRecord>();
    for (DWORD i = 0; i < count; ++i) {
        if ((records[i].id & kPresetDefault) == 0) continue;
        page->context->workingBlock.PresetIndex = static_cast<SHORT>(i);
        return;
    }
}

void MarkPresetModified(PageRecord* page, HWND pageWindow) {
    HWND list = GetDlgItem(pageWindow, kPagePresetList);
    if (list == nullptr) return;
    const int item = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (item < 0) return;
    const PresetRecord* record = PresetAt(list, item);
    if (record == nullptr) return;
    const UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), 0xFFFF));
    LVITEMW change{};
    if (PresetMatches(*record, page->context->workingBlock)) {
        if ((state & LVIS_OVERLAYMASK) == 0) return;
        change.state = LVIS_SELECTED;
        change.stateMask = state;
    } else {
        change.state = INDEXTOOVERLAYMASK(1);
        change.stateMask = LVIS_OVERLAYMASK;
    }
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
}
