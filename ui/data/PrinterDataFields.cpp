// The settings fields kept as printer data: reading them into a settings block and writing a
// block back, with the order of the remaining defaults.
#include <cstddef>
#include <cstring>
#include <iterator>

#include "settings/SpoolerQueries.h"
#include "ui/data/PresetTable.h"
#include "ui/data/PrinterDataInternal.h"
#include "ui/data/PrinterDataIo.h"
#include "ui/data/PrinterDataValues.h"

namespace {

enum class FieldKind {
    Bit,     // one bit of a u32 field
    Dword,   // a whole u32 field
    Slot,    // an installed-option pair {flags, value}
    Byte,    // a u8 field: the value's low byte
};

struct MappedValue {
    LPCWSTR name;
    FieldKind kind;
    size_t offset;
    DWORD bit;  // FieldKind::Bit only
};

constexpr size_t SlotOffset(int index) {
    return offsetof(DriverDevMode, DeviceSlots) + static_cast<size_t>(index) * sizeof(DeviceSlot);
}

MappedValue Slot(int index) {
    return {kDeviceSlotTable[index].PrinterDataName, FieldKind::Slot, SlotOffset(index), 0};
}

// In the order the values are read and written; the two group bytes last.
const MappedValue kMappedValues[] = {
    {PD_COMPATIBLE_MARGIN, FieldKind::Bit, offsetof(DriverDevMode, OptionFlags), kOptionCompatibleMargin},
    {PD_COMPATIBLE_MARGIN_BACK, FieldKind::Bit, offsetof(DriverDevMode, SavedOptionFlags), kOptionCompatibleMargin},
    {PD_TT_SUBST_DEFAULT, FieldKind::Bit, offsetof(DriverDevMode, OptionFlags), kOptionBuiltinTTSubst},
    {PD_OUT_PAPER_DEFAULT, FieldKind::Bit, offsetof(DriverDevMode, OptionFlags), kOptionNoOutPaperTable},
    {PD_MEMORY, FieldKind::Dword, offsetof(DriverDevMode, InstalledMemory), 0},
    Slot(0), Slot(1), Slot(2), Slot(3), Slot(4),  // Feeder1 to Feeder5
    Slot(18),                                     // MP
    Slot(5), Slot(6), Slot(7),                    // MSF, Manual, ENV
    Slot(8), Slot(9), Slot(10), Slot(11), Slot(12), Slot(13), Slot(14), Slot(15), Slot(16), Slot(17),
    Slot(19),                                     // LCH
    {PD_GROUP_A, FieldKind::Byte, offsetof(DriverDevMode, SourceGroupA), 0},
    {PD_GROUP_B, FieldKind::Byte, offsetof(DriverDevMode, SourceGroupB), 0},
};
constexpr size_t kGroupValues = 2;

DWORD LoadU32(const DriverDevMode* block, size_t offset) {
    DWORD value = 0;
    std::memcpy(&value, BlockBytes(block) + offset, sizeof value);
    return value;
}

void StoreU32(DriverDevMode* block, size_t offset, DWORD value) {
    std::memcpy(BlockBytes(block) + offset, &value, sizeof value);
}

// The printer-data form of a field.
DWORD Compose(const DriverDevMode* block, const MappedValue& value) {
    switch (value.kind) {
        case FieldKind::Bit: return LoadU32(block, value.offset) & value.bit;
        case FieldKind::Dword: return LoadU32(block, value.offset);
        case FieldKind::Slot: {
            DeviceSlot slot{};
            std::memcpy(&slot, BlockBytes(block) + value.offset, sizeof slot);
            return static_cast<DWORD>(slot.State) << 16 | slot.Code;
        }
        case FieldKind::Byte: return BlockBytes(block)[value.offset];
    }
    return 0;
}

void Apply(DriverDevMode* block, const MappedValue& value, DWORD stored) {
    switch (value.kind) {
        case FieldKind::Bit:
            // Only the value's own bit: a stored value with other bits set changes nothing else.
            StoreU32(block, value.offset, (LoadU32(block, value.offset) & ~value.bit) | (stored & value.bit));
            return;
        case FieldKind::Dword: StoreU32(block, value.offset, stored); return;
        case FieldKind::Slot: {
            const DeviceSlot slot{static_cast<WORD>(stored >> 16), static_cast<WORD>(stored & 0xFFFFu)};
            std::memcpy(BlockBytes(block) + value.offset, &slot, sizeof slot);
            return;
        }
        case FieldKind::Byte: BlockBytes(block)[value.offset] = static_cast<BYTE>(stored & 0xFFu); return;
    }
}

// TBL_PresetLanguage: true when it is absent or holds another locale than this one.
bool PresetLanguageDiffers(HANDLE printer, DWORD locale) {
    DWORD stored = 0;
    return !printerdata::ReadDword(printer, PD_PRESET_LANGUAGE, &stored) || stored != locale;
}

}  // namespace

void ReadInstalledOptions(DriverDevMode* block, HANDLE printer) {
    if (block == nullptr || printer == nullptr) return;
    for (const MappedValue& value : kMappedValues) {
        DWORD stored = 0;
        if (printerdata::ReadDword(printer, value.name, &stored)) Apply(block, value, stored);
    }
}

void InitPrinterDataDefaults(const DriverDevMode* block, HANDLE printer, const ModelDescription* model) {
    if (block == nullptr || printer == nullptr || model == nullptr) return;
    constexpr size_t kValues = std::size(kMappedValues);
    for (size_t i = 0; i < kValues - kGroupValues; ++i)
        printerdata::WriteDwordIfChanged(printer, kMappedValues[i].name, Compose(block, kMappedValues[i]));
    for (size_t i = kValues - kGroupValues; i < kValues; ++i)
        printerdata::WriteDword(printer, kMappedValues[i].name, Compose(block, kMappedValues[i]));
    printerdata::WriteMissingHalftoneInfo(printer, model);
    // The locale is noted once the table is in its language: a rebuild that could not be made
    // is tried again next time.
    const DWORD locale = GetUserLocale();
    const bool languageChanged = PresetLanguageDiffers(printer, locale);
    if (UpdatePresetTable(printer, model, languageChanged) && languageChanged)
        printerdata::WriteDword(printer, PD_PRESET_LANGUAGE, locale);
    printerdata::WriteMissingDefaultTables(printer);
}
