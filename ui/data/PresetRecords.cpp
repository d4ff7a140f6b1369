// Applying, comparing and making preset records.
#include <cstddef>
#include <cstring>

#include "ui/dialogs/PresetDialog.h"

namespace {

constexpr size_t kBlockBytes = sizeof(DriverDevMode);

// Bytes of the settings block's own frame, which a preset never sets.
bool InFrame(size_t offset) {
    constexpr size_t kFrameEnd = offsetof(DEVMODEW, dmFields);  // name, versions and sizes
    constexpr size_t kSignature = offsetof(DriverDevMode, Signature);
    constexpr size_t kPrivateId = offsetof(DriverDevMode, PrivateID);
    return offset < kFrameEnd || (offset >= kSignature && offset < kSignature + sizeof(DriverDevMode::Signature)) ||
           (offset >= kPrivateId && offset < kPrivateId + sizeof(DWORD));
}

void ClearMask(BYTE* mask, size_t offset, size_t bytes) { std::memset(mask + offset, 0, bytes); }

// The bytes of a text field after its terminator (none when it has no terminator).
template <class Char>
void ClearAfterText(BYTE* mask, const BYTE* values, size_t offset, size_t chars) {
    for (size_t i = 0; i < chars; ++i) {
        Char c{};
        std::memcpy(&c, values + offset + i * sizeof(Char), sizeof c);
        if (c != 0) continue;
        const size_t after = offset + (i + 1) * sizeof(Char);
        ClearMask(mask, after, offset + chars * sizeof(Char) - after);
        return;
    }
}

}  // namespace

void ApplyPreset(const PresetRecord& preset, DriverDevMode* working) {
    const auto* value = reinterpret_cast<const BYTE*>(&preset.values);
    const auto* mask = reinterpret_cast<const BYTE*>(&preset.mask);
    auto* out = reinterpret_cast<BYTE*>(working);
    for (size_t i = 0; i < kBlockBytes; ++i) {
        if (InFrame(i)) continue;
        out[i] = static_cast<BYTE>((mask[i] & value[i]) | (~mask[i] & out[i]));
    }
}

bool PresetMatches(const PresetRecord& preset, const DriverDevMode& working) {
    const auto* value = reinterpret_cast<const BYTE*>(&preset.values);
    const auto* mask = reinterpret_cast<const BYTE*>(&preset.mask);
    const auto* in = reinterpret_cast<const BYTE*>(&working);
    for (size_t i = 0; i < kBlockBytes; ++i) {
        if (!InFrame(i) && (mask[i] & value[i]) != (mask[i] & in[i])) return false;
    }
    return true;
}

void MakeUserPreset(const DriverDevMode& working, DWORD icon, LPCWSTR name, LPCWSTR comment, PresetRecord* out) {
    std::memset(out, 0, sizeof *out);
    out->id = 0;
    out->icon = icon;
    for (size_t i = 0; i + 1 < kPresetNameChars && name[i] != 0; ++i) out->name[i] = name[i];
    for (size_t i = 0; i + 1 < kPresetCommentChars && comment[i] != 0; ++i) out->comment[i] = comment[i];
    out->values = working;

    auto* mask = reinterpret_cast<BYTE*>(&out->mask);
    const auto* values = reinterpret_cast<const BYTE*>(&out->values);
    std::memset(mask, 0xFF, kBlockBytes);
    // Only the overlay's bit of the data flags, and only while the overlay is on.
    out->mask.OptionFlags = (working.OverlayFlags & 1u) != 0 ? 0x200u : 0u;
    out->mask.CategoryIndex = 0;
    out->mask.PresetIndex = 0;
    ClearMask(mask, offsetof(DriverDevMode, ComputerName), 32);
    ClearMask(mask, offsetof(DriverDevMode, UserName1), 32);
    ClearMask(mask, offsetof(DriverDevMode, UserName1) + 32, sizeof(WORD));
    // Installed memory and options, then the user's saved choices.
    ClearMask(mask, offsetof(DriverDevMode, InstalledMemory), offsetof(DriverDevMode, SavedPaperSize) -
                                                                  offsetof(DriverDevMode, InstalledMemory));
    ClearMask(mask, offsetof(DriverDevMode, SavedPaperSize), 912 - offsetof(DriverDevMode, SavedPaperSize));

    ClearAfterText<WCHAR>(mask, values, offsetof(DEVMODEW, dmDeviceName), CCHDEVICENAME);
    ClearAfterText<WCHAR>(mask, values, offsetof(DEVMODEW, dmFormName), CCHFORMNAME);
    ClearAfterText<char>(mask, values, offsetof(DriverDevMode, OverlayFolder), sizeof(DriverDevMode::OverlayFolder));
    ClearAfterText<char>(mask, values, offsetof(DriverDevMode, OverlayName), sizeof(DriverDevMode::OverlayName));
    ClearAfterText<char>(mask, values, offsetof(DriverDevMode, Signature), sizeof(DriverDevMode::Signature));
    ClearAfterText<WCHAR>(mask, values, offsetof(DriverDevMode, OutputPaperName), std::size(working.OutputPaperName));
    // The user's own text (17 units; the unit after it is another setting) counts only
    // while it is printed.
    constexpr size_t kUserText = offsetof(DriverDevMode, UserName2);
    constexpr size_t kUserTextChars = 17;
    static_assert(kUserTextChars < std::size(DriverDevMode{}.UserName2));
    if ((working.FeatureFlags & (1u << 22)) != 0)
        ClearAfterText<WCHAR>(mask, values, kUserText, kUserTextChars);
    else
        ClearMask(mask, kUserText, kUserTextChars * sizeof(WCHAR));
}
