// The spacing of a horizontal string: the glyphs' own advances against the steps between
// their positions, summed separately for spaces and other characters, and the string's
// characters for a device font.
#include <cstdlib>

#include "render/draw/DeviceFonts.h"
#include "render/draw/TextInternal.h"
#include "render/draw/TextOutput.h"

namespace {

constexpr BYTE kCharsetShiftJis = 128;
constexpr FLONG kPlacedFlags = SO_FLAG_DEFAULT_PLACEMENT;

/// Runs `batch` over the string's glyphs with the index of each batch's first glyph; false as
/// soon as a batch returns false. Batches past the glyph count are cut.
template <typename Batch>
bool ForEachBatch(STROBJ* string, Batch batch) {
    const ULONG total = string->cGlyphs;
    if (string->pgp != nullptr) return batch(string->pgp, total, 0UL);
    STROBJ_vEnumStart(string);
    ULONG done = 0;
    bool more = true;
    while (more && done < total) {
        ULONG count = 0;
        GLYPHPOS* glyphs = nullptr;
        more = STROBJ_bEnum(string, &count, &glyphs) != FALSE;
        if (glyphs == nullptr || count == 0) break;
        if (count > total - done) count = total - done;
        if (!batch(glyphs, count, done)) return false;
        done += count;
    }
    return true;
}

struct KindSum {
    long long x = 0;
    long long y = 0;
    long long count = 0;
    long long refX = 0;
    long long refY = 0;
};

/// Sum over n of the extras x 1152 / (dpi x n), or 0.
LONG Extra(long long sum, long long n, int dpi) {
    if (n == 0 || dpi <= 0) return 0;
    return static_cast<LONG>(sum * 1152 / (static_cast<long long>(dpi) * n));
}

}  // namespace

void CodesFromHandles(const GLYPHPOS* glyphs, ULONG count, LPWSTR out) {
    for (ULONG i = 0; i < count; ++i) {
        const DeviceCharRow* row = DeviceCharByCode(static_cast<BYTE>(glyphs[i].hg));
        if (row != nullptr) out[i] = row->Unicode;
    }
}

LPWSTR EnumStringGlyphs(PDEV* pdev, FONTOBJ* /*font*/, STROBJ* string) {
    const ULONG count = string->cGlyphs;
    auto* text = static_cast<LPWSTR>(PdevAlloc(pdev, (static_cast<SIZE_T>(count) + 1) * sizeof(WCHAR)));
    if (text == nullptr) return nullptr;
    (void)ForEachBatch(string, [&](const GLYPHPOS* glyphs, ULONG n, ULONG first) {
        CodesFromHandles(glyphs, n, text + first);
        return true;
    });
    return text;
}

DWORD DeviceGlyphAdvance(PDEV* pdev, FONTOBJ* font, GLYPHDATA* out, HGLYPH glyph) {
    const ULONG face = font->iFace;
    if (face == 0 || face > pdev->DeviceFontCount) return 0;
    XFORMOBJ* transform = FONTOBJ_pxoGetXform(font);
    if (transform == nullptr) return 0;
    const DeviceFontResource* resource = DeviceFont(pdev, face);
    const IFIMETRICS* metrics = resource != nullptr ? DeviceFontMetrics(resource) : nullptr;
    if (metrics == nullptr) return 0;
    LONG width;
    if (metrics->jWinCharSet != kCharsetShiftJis) {
        width = DeviceFontCodeWidth(resource, static_cast<BYTE>(glyph));
    } else {
        width = glyph < 256 ? 500 : 1000;
    }
    POINTL in{width, 0};
    POINTFIX mapped{};
    if (!XFORMOBJ_bApplyXform(transform, XF_LTOFX, 1, &in, &mapped)) return 0;
    out->hg = glyph;
    out->fxD = static_cast<FIX>(VectorLength(mapped.x, mapped.y));
    out->ptqD.x = static_cast<LONGLONG>(static_cast<ULONGLONG>(static_cast<ULONG>(mapped.x)) << 32);
    out->ptqD.y = static_cast<LONGLONG>(static_cast<ULONGLONG>(static_cast<ULONG>(mapped.y)) << 32);
    return 1;
}

DWORD GlyphAdvances(PDEV* pdev, FONTOBJ* font, const GLYPHPOS* glyphs, STROBJ* /*string*/, SpacingRecord* records,
                    ULONG count, LPCWSTR codes) {
    if (count < 2) return 1;
    const bool deviceFont = (font->flFontType & FO_TYPE_DEVICE) != 0;
    for (ULONG i = 0; i + 1 < count; ++i) {
        SpacingRecord& r = records[i];
        r.Code = codes != nullptr ? codes[i] : 0;
        r.Dx = glyphs[i + 1].ptl.x - glyphs[i].ptl.x;
        r.Dy = glyphs[i + 1].ptl.y - glyphs[i].ptl.y;
        GLYPHDATA data{};
        if (deviceFont) {
            if (!DeviceGlyphAdvance(pdev, font, &data, glyphs[i].hg)) return 0;
        } else {
            HGLYPH handle = glyphs[i].hg;
            void* found = nullptr;
            if (FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &handle, &found) != 1 || found == nullptr) return 0;
            data = *static_cast<const GLYPHDATA*>(found);
        }
        r.AdvanceX = static_cast<LONG>(data.ptqD.x >> 32);
        r.AdvanceY = static_cast<LONG>(data.ptqD.y >> 32);
    }
    return 1;
}

DWORD ConvertStringCodes(PDEV* pdev, FONTOBJ* font, STROBJ* string, TextRunInfo* info) {
    const ULONG count = string->cGlyphs;
    if ((info->Accel & SO_HORIZONTAL) == 0 || (info->Accel & kPlacedFlags) != 0 || count < 2 || info->Substituted) {
        return 0;
    }
    ChainArray<SpacingRecord> records(pdev, count - 1);
    if (records.get() == nullptr) return 0;
    const bool deviceFont = info->DeviceFont != 0;
    LPWSTR ownCodes = deviceFont ? EnumStringGlyphs(pdev, font, string) : nullptr;
    struct CodesOwner {
        PDEV* pdev;
        LPWSTR codes;
        ~CodesOwner() {
            if (codes != nullptr) PdevFree(pdev, codes);
        }
    } owner{pdev, ownCodes};
    if (deviceFont && ownCodes == nullptr) return 0;
    LPCWSTR codes = deviceFont ? ownCodes : string->pwszOrg;

    // Each batch gives a record for every glyph but its last.
    ULONG filled = 0;
    const bool ok = ForEachBatch(string, [&](const GLYPHPOS* glyphs, ULONG n, ULONG first) {
        if (n < 2) return true;
        if (!GlyphAdvances(pdev, font, glyphs, string, records.get() + filled, n, codes ? codes + first : nullptr)) {
            return false;
        }
        filled += n - 1;
        return true;
    });
    if (!ok) return 0;

    pdev->Text.SpaceCode = u' ';
    KindSum spaces;
    KindSum others;
    for (ULONG i = 0; i < filled; ++i) {
        const SpacingRecord& r = records[i];
        KindSum& kind = r.Code == pdev->Text.SpaceCode ? spaces : others;
        const long long diffX = std::llabs(static_cast<long long>(r.AdvanceX) - 16LL * r.Dx);
        const long long diffY = std::llabs(static_cast<long long>(r.AdvanceY) - 16LL * r.Dy);
        if (kind.count == 0) {
            kind.refX = diffX;
            kind.refY = diffY;
        } else if (std::llabs(diffX - kind.refX) > 16 || std::llabs(diffY - kind.refY) > 16) {
            return 0;
        }
        kind.x += 16LL * r.Dx - r.AdvanceX;
        kind.y += 16LL * r.Dy - r.AdvanceY;
        ++kind.count;
    }
    const int dpi = Resolution(pdev);
    info->BreakExtraX = Extra(spaces.x, spaces.count, dpi);
    info->BreakExtraY = Extra(spaces.y, spaces.count, dpi);
    info->CharExtraX = Extra(others.x, others.count, dpi);
    info->CharExtraY = Extra(others.y, others.count, dpi);
    return 1;
}
