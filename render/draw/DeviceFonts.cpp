// The device fonts: the two process-wide glyph sets and the font resources of a device.
#include "render/draw/DeviceFonts.h"

#include <cstddef>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "render/DriverEntry.h"
#include "settings/ModelCache.h"

namespace {

// The process-wide glyph sets. The default one lives from driver enable to driver disable,
// which the engine serialises with everything else; the Shift-JIS one is made on the first
// query for a Shift-JIS font, which devices of several threads may ask at once, so it is made
// and freed under the settings lock.
FD_GLYPHSET* g_defaultGlyphSet = nullptr;
FD_GLYPHSET* g_shiftJisGlyphSet = nullptr;

constexpr size_t kGlyphSetHeaderBytes = offsetof(FD_GLYPHSET, awcrun);

// The settings lock, held for a scope.
class SettingsLockHold {
public:
    SettingsLockHold() { EnterSettingsLock(); }
    ~SettingsLockHold() { LeaveSettingsLock(); }
    SettingsLockHold(const SettingsLockHold&) = delete;
    SettingsLockHold& operator=(const SettingsLockHold&) = delete;
};

// The data of the module's resource (type, name) in the fonts' language, or NULL.
const BYTE* FindModuleResource(HMODULE module, WORD type, WORD name, DWORD* size) {
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(name), kFontResourceLanguage);
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return nullptr;
    *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(loaded));
}

const BYTE* Bytes(const DeviceFontResource* font) { return reinterpret_cast<const BYTE*>(font); }

DWORD AlignUp4(DWORD n) { return (n + 3u) & ~3u; }

}  // namespace

FD_GLYPHSET* DefaultGlyphSet() { return g_defaultGlyphSet; }

BOOL CreateDefaultGlyphSet() {
    if (g_defaultGlyphSet == nullptr) g_defaultGlyphSet = EngComputeGlyphSet(0, 0, 256);
    return g_defaultGlyphSet != nullptr ? TRUE : FALSE;
}

void FreeDefaultGlyphSet() {
    {
        SettingsLockHold hold;
        if (g_shiftJisGlyphSet != nullptr) GlobalFree(g_shiftJisGlyphSet);
        g_shiftJisGlyphSet = nullptr;
    }
    if (g_defaultGlyphSet != nullptr) EngFreeMem(g_defaultGlyphSet);
    g_defaultGlyphSet = nullptr;
}

FD_GLYPHSET* ShiftJisGlyphSet(PDEV* pdev) {
    SettingsLockHold hold;
    if (g_shiftJisGlyphSet == nullptr) g_shiftJisGlyphSet = LoadShiftJisGlyphSet(pdev);
    return g_shiftJisGlyphSet;
}

// The resource holds the runs in this build's own layout with meaningless pointers: each run's
// pointer is set to its handles, which follow the run array run after run.
FD_GLYPHSET* LoadShiftJisGlyphSet(PDEV* pdev) {
    DWORD size = 0;
    const BYTE* data = FindModuleResource(pdev->Module, kGlyphSetResourceType, kShiftJisGlyphSetName, &size);
    if (data == nullptr || size < kGlyphSetHeaderBytes) return nullptr;
    GlobalBlock block = GlobalBlock::Zeroed(size);
    if (!block.Valid()) return nullptr;
    std::memcpy(block.Get(), data, size);
    auto* set = block.As<FD_GLYPHSET>();
    if (set->cjThis != size || set->cRuns > (size - kGlyphSetHeaderBytes) / sizeof(WCRUN)) return nullptr;
    const size_t handlesAt = kGlyphSetHeaderBytes + set->cRuns * sizeof(WCRUN);
    const size_t handleRoom = (size - handlesAt) / sizeof(HGLYPH);
    auto* handles = reinterpret_cast<HGLYPH*>(static_cast<BYTE*>(block.Get()) + handlesAt);
    size_t used = 0;
    for (ULONG i = 0; i < set->cRuns; ++i) {
        WCRUN& run = set->awcrun[i];
        if (run.cGlyphs > handleRoom - used) return nullptr;
        run.phg = handles + used;
        used += run.cGlyphs;
    }
    if (used != set->cGlyphsSupported) return nullptr;
    return static_cast<FD_GLYPHSET*>(block.Release());
}

DeviceFontResource* LoadFontResource(PDEV* pdev, ULONG n) {
    if (n == 0 || n > 0xFFFF) return nullptr;
    DWORD size = 0;
    const BYTE* data = FindModuleResource(pdev->Module, kFontResourceType, static_cast<WORD>(n), &size);
    if (data == nullptr || size < sizeof(DeviceFontResource) || size > kMaxFontResourceSize) return nullptr;
    auto* copy = static_cast<DeviceFontResource*>(PdevAlloc(pdev, size));
    if (copy == nullptr) return nullptr;
    std::memcpy(copy, data, size);
    if (copy->Size != size) {
        PdevFree(pdev, copy);
        return nullptr;
    }
    return copy;
}

BOOL LoadDeviceFonts(PDEV* pdev) {
    pdev->FontResourceTable = nullptr;
    if (pdev->DeviceFontCount == 0) return TRUE;
    // One slot more than fonts, left NULL.
    auto* table = static_cast<void**>(PdevAlloc(pdev, (pdev->DeviceFontCount + 1u) * sizeof(void*)));
    if (table == nullptr) return FALSE;
    pdev->FontResourceTable = table;
    for (ULONG face = 1; face <= pdev->DeviceFontCount; ++face) {
        table[face - 1] = LoadFontResource(pdev, face);
        if (table[face - 1] == nullptr) return FALSE;
    }
    return TRUE;
}

const DeviceFontResource* DeviceFont(const PDEV* pdev, ULONG face) {
    if (pdev == nullptr || pdev->FontResourceTable == nullptr || face == 0 || face > pdev->DeviceFontCount) {
        return nullptr;
    }
    return static_cast<const DeviceFontResource*>(pdev->FontResourceTable[face - 1]);
}

const IFIMETRICS* DeviceFontMetrics(const DeviceFontResource* font) {
    return reinterpret_cast<const IFIMETRICS*>(Bytes(font) + font->MetricsOffset);
}

const char* DeviceFontSelectId(const DeviceFontResource* font) {
    return reinterpret_cast<const char*>(Bytes(font) + font->SelectIdOffset);
}

const FD_KERNINGPAIR* DeviceFontKerningPairs(const DeviceFontResource* font) {
    if (font->KerningPairCount == 0) return nullptr;
    return reinterpret_cast<const FD_KERNINGPAIR*>(Bytes(font) + font->KerningPairOffset);
}

bool IsDoubleByteFont(const DeviceFontResource* font) {
    const BYTE charset = DeviceFontMetrics(font)->jWinCharSet;
    return charset == kShiftJisCharset || charset == kHangulCharset || charset == kChineseBig5Charset;
}

// The first entry of the code counts; a missing code takes the width of 0x95, else of the
// space, else the first entry's.
WORD DeviceFontCodeWidth(const DeviceFontResource* font, BYTE code) {
    const DWORD count = font->WidthCount;
    if (count == 0) return 0;
    const auto* widths = reinterpret_cast<const WORD*>(Bytes(font) + font->WidthOffset);
    const BYTE* codes = Bytes(font) + font->WidthOffset + AlignUp4(count * sizeof(WORD));
    for (const BYTE wanted : {code, BYTE{0x95}, BYTE{0x20}}) {
        for (DWORD i = 0; i < count; ++i) {
            if (codes[i] == wanted) return widths[i];
        }
    }
    return widths[0];
}
