// The driver's built-in presets: which slot holds which preset, and the settings each fixes.
#include <array>
#include <cstring>

#include "resources/ui/StringIds.h"
#include "ui/data/PresetTable.h"

namespace {

constexpr BuiltInPreset Standard() {
    BuiltInPreset entry{};
    entry.id = kPresetBuiltIn | kPresetDefault;
    entry.icon = PresetIconPosition(kStandardPresetIconId);
    entry.nameId = kPresetStandardName;
    entry.commentId = kPresetStandardComment;
    entry.nupDown = 1;
    entry.nupAcross = 1;
    return entry;
}

constexpr BuiltInPreset JobFile() {
    BuiltInPreset entry{};
    entry.id = kPresetBuiltIn;
    entry.icon = PresetIconPosition(kJobFilePresetIconId);
    entry.nameId = kPresetJobFileName;
    entry.commentId = kPresetJobFileComment;
    entry.copies = 1;
    entry.outputDestination = 1;
    return entry;
}

constexpr BuiltInPreset SeparateCopies() {
    BuiltInPreset entry{};
    entry.id = kPresetBuiltIn;
    entry.icon = PresetIconPosition(kCopiesPresetIconId);
    entry.nameId = kPresetSeparateCopiesName;
    entry.commentId = kPresetSeparateCopiesComment;
    entry.pageOptionBit = 1;
    return entry;
}

constexpr BuiltInPreset TwoUp() {
    BuiltInPreset entry{};
    entry.id = kPresetBuiltIn;
    entry.icon = PresetIconPosition(kTwoUpPresetIconId);
    entry.nameId = kPresetTwoUpName;
    entry.commentId = kPresetTwoUpComment;
    const char16_t form[] = u"9.5x11inch";
    for (size_t i = 0; i < std::size(form); ++i) entry.formName[i] = form[i];
    entry.optionBits = 0x1;
    entry.nupDown = 1;
    entry.nupAcross = 2;
    return entry;
}

constexpr BuiltInPreset WideOutput() {
    BuiltInPreset entry{};
    entry.id = kPresetBuiltIn;
    entry.icon = PresetIconPosition(kEnlargePresetIconId);
    entry.nameId = kPresetWideOutputName;
    entry.commentId = kPresetWideOutputComment;
    const char16_t paper[] = u"15x11inch";
    for (size_t i = 0; i < std::size(paper); ++i) entry.outputPaperName[i] = paper[i];
    entry.optionBits = 0x1;
    entry.nupDown = 1;
    entry.nupAcross = 1;
    return entry;
}

// Slots 1 to 3 and 8 to 15 are empty.
constexpr std::array<BuiltInPreset, kBuiltInPresetSlots> kSlots = {
    Standard(), BuiltInPreset{}, BuiltInPreset{}, BuiltInPreset{}, JobFile(), SeparateCopies(), TwoUp(), WideOutput(),
};

template <class T>
void SetAllBits(T* field) {
    std::memset(field, 0xFF, sizeof *field);
}

// FeatureFlags bits under `bits` from the entry, in the word and its copy; both masked.
void FixFeatureBits(const BuiltInPreset& entry, DWORD bits, DriverDevMode* values, DriverDevMode* mask) {
    values->FeatureFlags = (values->FeatureFlags & ~bits) | (entry.optionBits & bits);
    values->SavedFeatureFlags = (values->SavedFeatureFlags & ~bits) | (entry.optionBits & bits);
    mask->FeatureFlags |= bits;
    mask->SavedFeatureFlags |= bits;
}

void FixOutputPaper(const BuiltInPreset& entry, DriverDevMode* values, DriverDevMode* mask) {
    static_assert(sizeof values->OutputPaperName == sizeof entry.outputPaperName);
    std::memcpy(values->OutputPaperName, entry.outputPaperName, sizeof values->OutputPaperName);
    std::memcpy(values->SavedOutputPaperName, entry.outputPaperName, sizeof values->SavedOutputPaperName);
    SetAllBits(&mask->OutputPaperName);
}

void FixNup(const BuiltInPreset& entry, DriverDevMode* values, DriverDevMode* mask) {
    values->NupDown = values->SavedNupDown = entry.nupDown;
    values->NupAcross = values->SavedNupAcross = entry.nupAcross;
    mask->NupDown = 0xFF;
    mask->NupAcross = 0xFF;
}

void FixRelaydock(const BuiltInPreset& entry, DriverDevMode* values, DriverDevMode* mask) {
    values->RelaydockFlags = static_cast<WORD>((values->RelaydockFlags & ~1u) | (entry.relaydockBit & 1u));
    mask->RelaydockFlags |= 1;
}

void FixPageOption(const BuiltInPreset& entry, DriverDevMode* values, DriverDevMode* mask) {
    values->PageOptionBits = static_cast<BYTE>((values->PageOptionBits & ~1u) | (entry.pageOptionBit & 1u));
    mask->PageOptionBits |= 1;
}

void FixDestination(const BuiltInPreset& entry, DriverDevMode* values, DriverDevMode* mask) {
    values->OutputDestination = static_cast<WORD>(entry.outputDestination);
    mask->OutputDestination = 0xFFFF;
}

}  // namespace

std::span<const BuiltInPreset> BuiltInPresetList() { return kSlots; }

void ApplyBuiltInPreset(const BuiltInPreset& entry, DriverDevMode* values, DriverDevMode* mask) {
    switch (entry.nameId) {
    case kPresetStandardName:
        FixFeatureBits(entry, 0x21, values, mask);
        FixOutputPaper(entry, values, mask);
        FixRelaydock(entry, values, mask);
        FixNup(entry, values, mask);
        FixPageOption(entry, values, mask);
        FixDestination(entry, values, mask);
        break;
    case kPresetJobFileName:
        FixFeatureBits(entry, 0x24, values, mask);
        values->Public.dmCopies = entry.copies;
        mask->Public.dmCopies = static_cast<SHORT>(0xFFFF);
        FixRelaydock(entry, values, mask);
        FixDestination(entry, values, mask);
        break;
    case kPresetSeparateCopiesName:
        FixPageOption(entry, values, mask);
        break;
    case kPresetTwoUpName:
        static_assert(sizeof values->Public.dmFormName == sizeof entry.formName);
        std::memcpy(values->Public.dmFormName, entry.formName, sizeof values->Public.dmFormName);
        std::memcpy(values->SavedFormName, entry.formName, sizeof values->SavedFormName);
        SetAllBits(&mask->Public.dmFormName);
        FixFeatureBits(entry, 0x1, values, mask);
        FixOutputPaper(entry, values, mask);
        FixNup(entry, values, mask);
        break;
    case kPresetWideOutputName:
        FixFeatureBits(entry, 0x1, values, mask);
        FixOutputPaper(entry, values, mask);
        FixNup(entry, values, mask);
        break;
    default: break;
    }
}
