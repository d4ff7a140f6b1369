// Installed-device slots: the code tables for the device records of the model description,
// the default slots from the language library's device names, and the option pair that the
// user interface fills from the printer's reported bin configuration.
#include <cstring>
#include <iterator>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "settings/DefaultSettings.h"
#include "settings/PrinterData.h"
#include "settings/SpoolerQueries.h"

namespace {

// Code word per bit of a record's low word, bit 0 first.
constexpr WORD kInputDeviceCodes[] = {1, 2, 3, 4, 5, 6, 7, 1001, 2001, 3001, 4001};
constexpr WORD kOptionDeviceCodes[] = {1, 1001, 2001, 3001, 4001, 5001, 5002, 5003, 6001, 7001, 1, 2, 4501};

template <size_t N>
WORD LowestBitCode(DWORD recordValue, const WORD (&codes)[N]) {
    const WORD mask = LOWORD(recordValue);
    for (size_t bit = 0; bit < N; ++bit) {
        if ((mask & (1u << bit)) != 0) return codes[bit];
    }
    return 0;
}

// The language library's strings are at most 23 characters in this buffer.
constexpr int kDeviceNameChars = 24;

const ModelNamedValue* FindDeviceRecord(const ModelDescription* model, bool inputList, LPCWSTR name) {
    const DWORD count = inputList ? model->InputDeviceCount : model->OptionDeviceCount;
    const DWORD offset = inputList ? model->InputDeviceOffset : model->OptionDeviceOffset;
    const ModelNamedValue* records = ModelList<ModelNamedValue>(model, offset, count);
    if (records == nullptr) return nullptr;
    for (DWORD i = 0; i < count; ++i) {
        if (lstrcmpW(ModelString(model, records[i].NameOffset), name) == 0) return &records[i];
    }
    return nullptr;
}

}  // namespace

WORD InputDeviceCode(DWORD recordValue) { return LowestBitCode(recordValue, kInputDeviceCodes); }

WORD OptionDeviceCode(DWORD recordValue) { return LowestBitCode(recordValue, kOptionDeviceCodes); }

void FillDeviceSlots(DriverDevMode* block, HANDLE languagePrinter, const ModelDescription* model) {
    if (model == nullptr) return;
    HMODULE language = LoadLanguageDll(languagePrinter);
    if (language == nullptr) return;
    for (int slot = 0; slot < kDeviceSlotCount; ++slot) {
        const DeviceSlotInfo& info = kDeviceSlotTable[slot];
        WCHAR name[kDeviceNameChars] = {};
        // A missing string would otherwise match a record with an empty name.
        if (LoadStringW(language, info.StringId, name, kDeviceNameChars) <= 0) continue;
        const ModelNamedValue* record = FindDeviceRecord(model, info.InputList, name);
        if (record == nullptr) continue;
        block->DeviceSlots[slot].State = HIWORD(record->Value);
        block->DeviceSlots[slot].Code = info.InputList ? InputDeviceCode(record->Value) : OptionDeviceCode(record->Value);
    }
    FreeLanguageDll(language);
}

void ApplyInputDeviceOption(DeviceSlot* pair, const void* binConfigEntry, LPCWSTR deviceName,
                            const ModelDescription* model) {
    if (pair == nullptr || deviceName == nullptr || model == nullptr) return;
    const ModelNamedValue* record = FindDeviceRecord(model, true, deviceName);
    if (record == nullptr) return;
    pair->State = HIWORD(record->Value);
    pair->Code = InputDeviceCode(record->Value);
    if (binConfigEntry == nullptr) return;
    // The entry is a field of the caller's status record: read its first u16 without
    // assuming alignment.
    WORD reported = 0;
    std::memcpy(&reported, binConfigEntry, sizeof(reported));
    const WORD mask = LOWORD(record->Value);
    for (size_t bit = 0; bit < std::size(kInputDeviceCodes); ++bit) {
        if ((mask & (1u << bit)) != 0 && kInputDeviceCodes[bit] == reported) {
            pair->Code = reported;
            return;
        }
    }
}
