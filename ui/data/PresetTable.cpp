// Building the built-in presets and keeping the stored preset table in the user's language.
#include "ui/data/PresetTable.h"

#include <cstring>
#include <utility>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "ui/entry/LanguageLibrary.h"
#include "ui/data/PrinterDataIo.h"
#include "ui/data/PrinterDataValues.h"

namespace {

// Slot i of the list is chosen by bit i of PresetFlags; bits past the list's slots choose
// nothing. An empty slot still gives its record: no name, the defaults and an empty mask.
bool SlotSelected(const ModelDescription* model, std::span<const BuiltInPreset> list, size_t slot) {
    return slot < list.size() && slot < kBuiltInPresetSlots && (model->PresetFlags >> slot & 1u) != 0;
}

bool SameBuiltIn(const PresetRecord& stored, const PresetRecord& fresh) {
    return stored.id == fresh.id && stored.icon == fresh.icon &&
           std::memcmp(&stored.values, &fresh.values, sizeof stored.values) == 0 &&
           std::memcmp(&stored.mask, &fresh.mask, sizeof stored.mask) == 0;
}

// A REG_BINARY value of that name exists (it may be empty); *cb its size.
bool BinaryValueStored(HANDLE printer, DWORD* cb) {
    DWORD type = REG_NONE;
    *cb = 0;
    const DWORD status = GetPrinterDataW(printer, const_cast<LPWSTR>(PD_PRESET_TABLE), &type, nullptr, 0, cb);
    return (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) && type == REG_BINARY;
}

}  // namespace

bool BuildBuiltInPresets(HANDLE printer, const ModelDescription* model, std::span<const BuiltInPreset> list,
                         GlobalBlock* records, DWORD* count) {
    *records = GlobalBlock();
    *count = 0;
    DWORD selected = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (SlotSelected(model, list, i)) ++selected;
    if (selected == 0) return true;
    GlobalBlock block = GlobalBlock::Zeroed(selected * sizeof(PresetRecord));
    GlobalBlock defaults = GlobalBlock::Zeroed(sizeof(DriverDevMode));
    if (!block.Valid() || !defaults.Valid()) return false;
    // The names and comments come from the language library: built-ins without it would be
    // stored nameless.
    const LanguageLibrary language(printer);
    if (language.Get() == nullptr) return false;
    BuildDefaultDevMode(defaults.As<DriverDevMode>(), printer, nullptr, model);
    auto* record = block.As<PresetRecord>();
    for (size_t i = 0; i < list.size(); ++i) {
        if (!SlotSelected(model, list, i)) continue;
        const BuiltInPreset& entry = list[i];
        record->id = entry.id;
        record->icon = entry.icon;
        // A missing string (or none, in an empty slot) leaves an empty name or comment.
        if (entry.nameId != 0)
            LoadStringW(language.Get(), entry.nameId, record->name, static_cast<int>(kPresetNameChars));
        if (entry.commentId != 0)
            LoadStringW(language.Get(), entry.commentId, record->comment, static_cast<int>(kPresetCommentChars));
        record->values = *defaults.As<DriverDevMode>();
        ApplyBuiltInPreset(entry, &record->values, &record->mask);
        ++record;
    }
    *records = std::move(block);
    *count = selected;
    return true;
}

bool UpdatePresetTable(HANDLE printer, const ModelDescription* model, bool languageChanged,
                       std::span<const BuiltInPreset> list) {
    DWORD cbStored = 0;
    const bool stored = BinaryValueStored(printer, &cbStored);
    if (stored && !languageChanged) return true;
    GlobalBlock fresh;
    DWORD freshCount = 0;
    // Without the built-ins nothing is written: an absent table would be stored without them
    // for good.
    if (!BuildBuiltInPresets(printer, model, list, &fresh, &freshCount)) return false;
    const auto* freshRecords = fresh.As<const PresetRecord>();
    if (!stored) {
        printerdata::WriteBinary(printer, PD_PRESET_TABLE, freshRecords, freshCount * sizeof(PresetRecord));
        return true;
    }
    DWORD cbTable = 0;
    GlobalBlock table = printerdata::ReadBinary(printer, PD_PRESET_TABLE, &cbTable);
    // A table that cannot be read is kept as it is, not written back empty.
    if (!table.Valid() && cbStored != 0) return false;
    // Only whole records: a tail shorter than a record is no preset.
    const DWORD storedCount = table.Valid() ? cbTable / sizeof(PresetRecord) : 0;
    auto* records = table.As<PresetRecord>();
    for (DWORD i = 0; i < storedCount; ++i) {
        for (DWORD j = 0; j < freshCount; ++j) {
            if (!SameBuiltIn(records[i], freshRecords[j])) continue;
            std::memcpy(&records[i], &freshRecords[j], sizeof(PresetRecord));
            break;
        }
    }
    printerdata::WriteBinary(printer, PD_PRESET_TABLE, records, storedCount * sizeof(PresetRecord));
    return true;
}
