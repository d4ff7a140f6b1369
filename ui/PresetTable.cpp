// Building the built-in presets and keeping the stored preset table in the user's language.
#include "ui/PresetTable.h"

#include <cstring>

#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "ui/LanguageLibrary.h"
#include "ui/PrinterDataIo.h"
#include "ui/PrinterDataValues.h"

namespace {

constexpr DWORD kMaxPresetSlots = 32;  // one per bit of PresetFlags

bool IsEmptyEntry(const BuiltInPreset& entry) {
    static constexpr BuiltInPreset kEmpty{};
    return std::memcmp(&entry, &kEmpty, sizeof entry) == 0;
}

// Slot i of the list is chosen by bit i of PresetFlags; an empty slot gives no preset.
bool SlotSelected(const ModelDescription* model, std::span<const BuiltInPreset> list, size_t slot) {
    return slot < kMaxPresetSlots && (model->PresetFlags >> slot & 1u) != 0 && !IsEmptyEntry(list[slot]);
}

bool SameBuiltIn(const PresetRecord& stored, const PresetRecord& fresh) {
    return stored.id == fresh.id && stored.icon == fresh.icon &&
           std::memcmp(&stored.values, &fresh.values, sizeof stored.values) == 0 &&
           std::memcmp(&stored.mask, &fresh.mask, sizeof stored.mask) == 0;
}

// A REG_BINARY value of that name exists (it may be empty).
bool BinaryValueStored(HANDLE printer) {
    DWORD type = REG_NONE;
    DWORD cbNeeded = 0;
    const DWORD status =
        GetPrinterDataW(printer, const_cast<LPWSTR>(PD_PRESET_TABLE), &type, nullptr, 0, &cbNeeded);
    return (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) && type == REG_BINARY;
}

}  // namespace

GlobalBlock BuildBuiltInPresets(HANDLE printer, const ModelDescription* model, std::span<const BuiltInPreset> list,
                                DWORD* count) {
    *count = 0;
    DWORD selected = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (SlotSelected(model, list, i)) ++selected;
    if (selected == 0) return {};
    GlobalBlock records = GlobalBlock::Zeroed(selected * sizeof(PresetRecord));
    GlobalBlock defaults = GlobalBlock::Zeroed(sizeof(DriverDevMode));
    if (!records.Valid() || !defaults.Valid()) return {};
    BuildDefaultDevMode(defaults.As<DriverDevMode>(), printer, nullptr, model);
    const LanguageLibrary language(printer);
    auto* record = records.As<PresetRecord>();
    for (size_t i = 0; i < list.size(); ++i) {
        if (!SlotSelected(model, list, i)) continue;
        const BuiltInPreset& entry = list[i];
        record->id = entry.id;
        record->icon = entry.icon;
        // A missing string leaves an empty name or comment.
        if (language.Get() != nullptr) {
            LoadStringW(language.Get(), entry.nameId, record->name, static_cast<int>(kPresetNameChars));
            LoadStringW(language.Get(), entry.commentId, record->comment, static_cast<int>(kPresetCommentChars));
        }
        record->values = *defaults.As<DriverDevMode>();
        ApplyBuiltInPreset(entry, &record->values, &record->mask);
        ++record;
    }
    *count = selected;
    return records;
}

void UpdatePresetTable(HANDLE printer, const ModelDescription* model, bool languageChanged,
                       std::span<const BuiltInPreset> list) {
    const bool stored = BinaryValueStored(printer);
    if (stored && !languageChanged) return;
    DWORD freshCount = 0;
    const GlobalBlock fresh = BuildBuiltInPresets(printer, model, list, &freshCount);
    const auto* freshRecords = fresh.As<const PresetRecord>();
    if (!stored) {
        printerdata::WriteBinary(printer, PD_PRESET_TABLE, freshRecords, freshCount * sizeof(PresetRecord));
        return;
    }
    DWORD cbTable = 0;
    GlobalBlock table = printerdata::ReadBinary(printer, PD_PRESET_TABLE, &cbTable);
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
}
