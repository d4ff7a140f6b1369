// Downloading a glyph bitmap into the current download font and printing it by its code.
#include "render/draw/GlyphDownload.h"

#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "render/draw/GlyphWork.h"

namespace glyphs {

namespace {

constexpr WORD kLastCharacterCode = 0xFFFF;  // kept free: the code counter cannot pass it

/// The glyph of w x h pixels (in the printer's units) fits the device's limits: its width
/// and height each the size limit, its pixel count the area limit (a byte count in the
/// model description, compared with pixels as the printer does).
bool WithinDeviceLimits(const PDEV* pdev, ULONGLONG width, ULONGLONG height) {
    const DeviceLimits& limits = pdev->Limits;
    return width <= limits.GlyphExtentMax && height <= limits.GlyphExtentMax &&
           width * height <= limits.GlyphBitmapMax;
}

void LinkAtTail(GlyphCacheRecord** bucket, GlyphCacheRecord* record) {
    record->Next = nullptr;
    GlyphCacheRecord** link = bucket;
    while (*link != nullptr) link = &(*link)->Next;
    *link = record;
}

void WriteDownloadCommand(PDEV* pdev, WORD width, WORD height, const StripImage& image) {
    const bool first = (pdev->StateFlags & kStateDownloadFull) == 0;
    const BYTE opcode[] = {static_cast<BYTE>(first ? 0xC0 : 0xC1), 0x00};
    (void)WriteOutput(pdev, opcode, sizeof opcode);
    pdev->StateFlags |= kStateDownloadFull;
    PutWordBE(pdev, pdev->DownloadFontId);
    const BYTE fixed[] = {0x00, 0x01, 0x00, 0x00};
    (void)WriteOutput(pdev, fixed, sizeof fixed);
    PutWordBE(pdev, width);
    PutWordBE(pdev, height);
    const BYTE reserved[6] = {};
    (void)WriteOutput(pdev, reserved, sizeof reserved);
    PutWordBE(pdev, static_cast<WORD>(image.Length));
    (void)WriteOutput(pdev, image.Data.get(), image.Length);
}

}  // namespace

BOOL DownloadGlyphBitmap(PDEV* pdev, GlyphCacheRecord** bucket, GlyphCacheRecord* record, GLYPHPOS* pos,
                         POINTL* position, FONTOBJ* /*font*/) {
    POINTL at{};
    const Bitmap glyph = CurrentGlyph(pdev);
    if (!GlyphPosition(pdev, pos, position, &at) || glyph.Bits == nullptr) return FALSE;
    // Only reductions download; a scale of 0 leaves nothing to send.
    const DWORD scale = pdev->Geometry.ScalePercent;
    if (scale > 100) return FALSE;
    const ULONGLONG width = ScaledSize(scale, glyph.Width);
    const ULONGLONG height = ScaledSize(scale, glyph.Height);
    if (width == 0 || height == 0) return FALSE;
    const bool doubled = (pdev->StateFlags & kStateDoubling) != 0;
    const ULONGLONG factor = doubled ? 2 : 1;
    if (!WithinDeviceLimits(pdev, factor * width, factor * height)) return FALSE;

    PreparedGlyph prepared;
    StripImage image;
    if (!PrepareGlyph(pdev, glyph, scale, doubled, &prepared) || !MakeStripImage(pdev, prepared.Pixels, &image)) {
        return FALSE;
    }
    // The command carries the data length in 16 bits: a longer glyph goes as an image.
    if (image.Length > 0xFFFF) return FALSE;
    const ULONGLONG cost = static_cast<ULONGLONG>(image.Length) + kGlyphRecordCost;
    if (cost > pdev->DownloadBudget || pdev->NextDownloadCode == kLastCharacterCode) {
        pdev->DownloadFull = 1;
        return FALSE;
    }
    pdev->DownloadBudget -= static_cast<DWORD>(cost);

    record->CharacterCode = pdev->NextDownloadCode++;
    record->FontId = pdev->DownloadFontId;
    LinkAtTail(bucket, record);
    pdev->DownloadedCount += 1;
    pdev->GlyphsOnPage += 1;

    SetGlyphDrawingState(pdev);
    WriteDownloadCommand(pdev, static_cast<WORD>(factor * width), static_cast<WORD>(factor * height), image);
    SelectDownloadFont(pdev, record->FontId);
    WritePosition(pdev, at);
    const BYTE print[] = {0xCC, 0x00};
    (void)WriteOutput(pdev, print, sizeof print);
    PutWordBE(pdev, record->CharacterCode);
    pdev->SheetBlank = 0;
    return TRUE;
}

}  // namespace glyphs

BOOL DownloadGlyph(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, HGLYPH glyph, GLYPHPOS* pos, POINTL* position) {
    if (pdev == nullptr || (pos == nullptr && position == nullptr)) return FALSE;
    if (!glyphs::ComputeGlyphKey(pdev, font, transform, glyph, pos)) return FALSE;
    GlyphCacheState& cache = pdev->GlyphCache;
    GlyphCacheRecord** bucket = &cache.Buckets[glyphs::GlyphBucket(cache.Key)];
    if (!glyphs::FetchGlyphBits(pdev, font, glyph, pos)) return FALSE;
    if (glyphs::PrintCachedGlyph(pdev, bucket, pos, position, font)) return TRUE;

    auto* record = static_cast<GlyphCacheRecord*>(PdevAlloc(pdev, sizeof(GlyphCacheRecord)));
    if (record == nullptr) return FALSE;
    const GlyphKey& key = cache.Key;
    record->FontFile = key.FontFile;
    record->TrueTypeId = key.TrueTypeId;
    record->Width = key.Width;
    record->Height = key.Height;
    record->Style = key.Style;
    record->Escapement = key.Escapement;
    record->Glyph = key.Glyph;
    record->CharacterCode = 0;
    record->FontId = glyphs::kFirstDownloadFont;
    record->GlyphIndexText = key.GlyphIndexText;
    if (glyphs::DownloadGlyphBitmap(pdev, bucket, record, pos, position, font)) return TRUE;
    PdevFree(pdev, record);
    return FALSE;
}
