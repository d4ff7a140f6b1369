#pragma once
// The presets kept in the printer-data value "TBL_PresetTable": whole records back to back,
// and the rebuild of the driver's built-in ones for the user's language.
#include <cstddef>
#include <span>

#include "platform/Owners.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

inline constexpr size_t kPresetNameChars = 16;
inline constexpr size_t kPresetCommentChars = 128;

// PresetRecord id bits.
inline constexpr DWORD kPresetBuiltIn = 0x1;
inline constexpr DWORD kPresetDefault = 0x2;

/// One preset: the settings it fixes are the bits set in mask, with their values in values.
struct PresetRecord {
    DWORD id;        // kPreset* bits; 0 for a user preset
    DWORD icon;      // position in the preset icon list
    WCHAR name[kPresetNameChars];
    WCHAR comment[kPresetCommentChars];
    DriverDevMode values;
    DriverDevMode mask;
};
static_assert(sizeof(PresetRecord) == 4712);
static_assert(offsetof(PresetRecord, name) == 8);
static_assert(offsetof(PresetRecord, comment) == 40);
static_assert(offsetof(PresetRecord, values) == 296);
static_assert(offsetof(PresetRecord, mask) == 2504);

/// One entry of the driver's built-in preset list. fix, when there is one, sets the settings
/// the preset fixes in values (which start as the printer's defaults) and their bits in mask
/// (which starts empty).
struct BuiltInPreset {
    DWORD id;
    DWORD icon;
    UINT nameId;     // language-library strings
    UINT commentId;
    void (*fix)(DriverDevMode* values, DriverDevMode* mask);
};

/// The driver's built-in presets, entry i chosen by bit i of the model's PresetFlags; the list
/// ends at its first empty entry (all fields zero).
std::span<const BuiltInPreset> BuiltInPresetList();

/// Records of the presets of `list` that the model's PresetFlags select, in list order, with
/// the names and comments of the printer's language library; *count their number. Holds
/// nothing (count 0) when none is selected or memory is short.
[[nodiscard]] GlobalBlock BuildBuiltInPresets(HANDLE printer, const ModelDescription* model,
                                              std::span<const BuiltInPreset> list, DWORD* count);

/// TBL_PresetTable: written from the built-in presets when absent (or not binary); when the
/// language changed, every stored record equal to a fresh built-in in id, icon, values and
/// mask is replaced by it (so it takes the new language's name and comment), and the table's
/// whole records are written back (a partial record at its end is dropped). User presets and
/// changed built-ins stay.
void UpdatePresetTable(HANDLE printer, const ModelDescription* model, bool languageChanged,
                       std::span<const BuiltInPreset> list = BuiltInPresetList());
