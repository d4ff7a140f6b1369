#pragma once
// The presets kept in the printer-data value "TBL_PresetTable": whole records back to back,
// and the rebuild of the driver's built-in ones for the user's language.
#include <cstddef>
#include <span>

#include "platform/Owners.h"
#include "platform/WinTypes.h"
#include "resources/ui/PictureIds.h"
#include "settings/DriverDevMode.h"
#include "settings/ModelDescription.h"

inline constexpr size_t kPresetNameChars = 16;
inline constexpr size_t kPresetCommentChars = 128;

/// A preset's icon is its position in the list of preset icons: the icons from
/// kJobFilePresetIconId on, up to the changed mark that follows them.
inline constexpr DWORD kPresetIconCount = kPresetChangedIconId - kJobFilePresetIconId;
constexpr DWORD PresetIconPosition(int iconId) { return static_cast<DWORD>(iconId - kJobFilePresetIconId); }

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

/// One slot of the driver's built-in preset list (156 bytes). The name string id chooses which
/// settings the preset fixes (ApplyBuiltInPreset); the other fields hold their values. A slot
/// whose fields are all zero is empty: it gives a preset without name or comment that fixes
/// nothing.
struct BuiltInPreset {
    DWORD id;              // kPreset* bits
    DWORD icon;            // position in the preset icon list
    WORD nameId;           // language-library strings
    WORD commentId;
    WCHAR formName[32];
    SHORT copies;
    WORD reserved78;
    DWORD optionBits;      // FeatureFlags bits
    WCHAR outputPaperName[32];
    BYTE relaydockBit;     // RelaydockFlags bit 0
    BYTE reserved149;
    BYTE nupDown;
    BYTE nupAcross;
    BYTE pageOptionBit;    // PageOptionBits bit 0
    BYTE reserved153;
    SHORT outputDestination;
};
static_assert(sizeof(BuiltInPreset) == 156);
static_assert(offsetof(BuiltInPreset, formName) == 12);
static_assert(offsetof(BuiltInPreset, copies) == 76);
static_assert(offsetof(BuiltInPreset, optionBits) == 80);
static_assert(offsetof(BuiltInPreset, outputPaperName) == 84);
static_assert(offsetof(BuiltInPreset, relaydockBit) == 148);
static_assert(offsetof(BuiltInPreset, nupDown) == 150);
static_assert(offsetof(BuiltInPreset, pageOptionBit) == 152);
static_assert(offsetof(BuiltInPreset, outputDestination) == 154);

inline constexpr size_t kBuiltInPresetSlots = 16;

/// The driver's built-in presets: slot i is chosen by bit i of the model's PresetFlags.
std::span<const BuiltInPreset> BuiltInPresetList();

/// Sets the settings the entry fixes in values (which start as the printer's defaults), with
/// the same value in their copies among the user's choices, and their bits in mask (which
/// starts empty). An entry whose name string fixes nothing leaves both as they are.
void ApplyBuiltInPreset(const BuiltInPreset& entry, DriverDevMode* values, DriverDevMode* mask);

/// Records of the presets of `list` that the model's PresetFlags select, in slot order, with
/// the names and comments of the printer's language library, into *records and their number
/// into *count. An empty slot gives a record of the defaults with no name, comment or mask;
/// bits past the list's slots choose nothing. None selected gives no block and count 0. False
/// (no block, count 0) when memory or the language library cannot be had.
[[nodiscard]] bool BuildBuiltInPresets(HANDLE printer, const ModelDescription* model, std::span<const BuiltInPreset> list,
                                       GlobalBlock* records, DWORD* count);

/// TBL_PresetTable: written from the built-in presets when absent (or not binary); when the
/// language changed, every stored record equal to a fresh built-in in id, icon, values and
/// mask is replaced by it (so it takes the new language's name and comment), and the table's
/// whole records are written back (a partial record at its end is dropped). User presets and
/// changed built-ins stay. False, with the stored table as it was, when the built-ins or the
/// stored table cannot be had.
bool UpdatePresetTable(HANDLE printer, const ModelDescription* model, bool languageChanged,
                       std::span<const BuiltInPreset> list = BuiltInPresetList());
