// The glyph cache: which glyphs the printer holds, printing one from its copy there, and
// emptying the cache when the printer forgets its download fonts.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/draw/DrawingState.h"
#include "render/draw/GlyphDownload.h"
#include "render/draw/GlyphWork.h"

namespace glyphs {

namespace {

constexpr DWORD kDownloadFontCost = 380;               // printer memory of one download font
constexpr DWORD kFeatureBlackText = 1u << 14;          // every text gray but white is black
constexpr BYTE kGrayWhite = 0x4F;
constexpr BYTE kGlyphRopForeground = 0xC0;
constexpr BYTE kGlyphRopBackground = 0xAA;
constexpr BYTE kGrayUnknown = 0xFF;

bool SameKey(const GlyphCacheRecord& record, const GlyphKey& key) {
    return record.Glyph == key.Glyph && record.FontFile == key.FontFile && record.TrueTypeId == key.TrueTypeId &&
           record.Width == key.Width && record.Height == key.Height && record.Style == key.Style &&
           record.GlyphIndexText == key.GlyphIndexText && record.Escapement == key.Escapement;
}

void WriteBytes(PDEV* pdev, std::initializer_list<BYTE> bytes) {
    (void)WriteOutput(pdev, bytes.begin(), static_cast<DWORD>(bytes.size()));
}

/// Every record of every bucket.
size_t CountRecords(const GlyphCacheState& cache) {
    size_t count = 0;
    for (const GlyphCacheRecord* head : cache.Buckets) {
        for (const GlyphCacheRecord* r = head; r != nullptr; r = r->Next) ++count;
    }
    return count;
}

/// Frees the blocks of the allocation chain whose data is one of the sorted records, in one
/// walk of the chain: a block is a link word followed by its data.
void FreeSortedRecords(PDEV* pdev, void* const* sorted, size_t count) {
    static_assert(sizeof(PoolBlock) == sizeof(void*), "the data follows the link word");
    PoolBlock** link = pdev->ChainHead;
    size_t left = count;
    while (left > 0 && *link != nullptr) {
        PoolBlock* block = *link;
        void* data = block + 1;
        if (std::binary_search(sorted, sorted + count, data, std::less<void*>())) {
            *link = block->Next;
            (void)GlobalFree(block);
            --left;
        } else {
            link = &block->Next;
        }
    }
}

}  // namespace

ChainBlock::ChainBlock(PDEV* pdev, ULONGLONG cb) : pdev_(pdev) {
    if (cb <= SIZE_MAX) data_ = static_cast<BYTE*>(PdevAlloc(pdev, static_cast<SIZE_T>(cb)));
}

ChainBlock::~ChainBlock() {
    if (data_ != nullptr) PdevFree(pdev_, data_);
}

ChainBlock& ChainBlock::operator=(ChainBlock&& other) noexcept {
    if (this != &other) {
        if (data_ != nullptr) PdevFree(pdev_, data_);
        pdev_ = other.pdev_;
        data_ = other.data_;
        other.data_ = nullptr;
    }
    return *this;
}

BYTE* ChainBlock::release() {
    BYTE* data = data_;
    data_ = nullptr;
    return data;
}

Bitmap CurrentGlyph(const PDEV* pdev) {
    const GlyphCacheState& cache = pdev->GlyphCache;
    const DWORD width = cache.BitmapSize.cx > 0 ? static_cast<DWORD>(cache.BitmapSize.cx) : 0;
    const DWORD height = cache.BitmapSize.cy > 0 ? static_cast<DWORD>(cache.BitmapSize.cy) : 0;
    if (cache.Bits == nullptr || width == 0 || height == 0) return Bitmap{nullptr, 0, 0, 0};
    return Bitmap{cache.Bits, RowBytes(width), width, height};
}

DWORD GlyphBucket(const GlyphKey& key) {
    const DWORD sum = key.Glyph + 2u * static_cast<DWORD>(key.FontFile) + 4u * key.Width + 8u * key.Height +
                      16u * key.Style + 32u * key.Escapement + 64u * static_cast<DWORD>(key.TrueTypeId);
    return sum % kGlyphBuckets;
}

bool GlyphPosition(const PDEV* pdev, const GLYPHPOS* pos, const POINTL* position, POINTL* out) {
    POINTL base{};
    if (position != nullptr) {
        base = *position;
    } else if (pos != nullptr) {
        base = pos->ptl;
    } else {
        return false;
    }
    const POINTL origin = pdev->GlyphCache.BitmapOrigin;
    const LONGLONG x = static_cast<LONGLONG>(base.x) + origin.x;
    const LONGLONG y = static_cast<LONGLONG>(base.y) + origin.y;
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return false;
    *out = POINTL{static_cast<LONG>(x), static_cast<LONG>(y)};
    return true;
}

void SetGlyphDrawingState(PDEV* pdev) {
    DrawingStateCache& c = pdev->Draw;
    if (c.RopForeground != kGlyphRopForeground || c.RopBackground != kGlyphRopBackground) {
        WriteBytes(pdev, {0xA6, 0x00, kGlyphRopForeground, kGlyphRopBackground});
        c.RopForeground = kGlyphRopForeground;
        c.RopBackground = kGlyphRopBackground;
    }
    // The text output has set the string's gray; with none set yet the glyph is black.
    BYTE gray = c.TextGray == kGrayUnknown ? kGrayBlack : c.TextGray;
    if ((pdev->Settings.FeatureFlags & kFeatureBlackText) != 0 && gray != kGrayWhite) gray = kGrayBlack;
    if (gray != c.TextGray) {
        WriteBytes(pdev, {0xBD, 0x00, gray, 0x00});
        c.TextGray = gray;
    }
}

void SelectDownloadFont(PDEV* pdev, WORD id) {
    if (pdev->Draw.FontNumber == id) return;
    WriteBytes(pdev, {0xCB, 0x00});
    PutWordBE(pdev, id);
    pdev->Draw.FontNumber = id;
}

BOOL PrintCachedGlyph(PDEV* pdev, GlyphCacheRecord** bucket, GLYPHPOS* pos, POINTL* position, FONTOBJ* /*font*/) {
    const GlyphKey& key = pdev->GlyphCache.Key;
    const GlyphCacheRecord* record = *bucket;
    while (record != nullptr && !SameKey(*record, key)) record = record->Next;
    POINTL at{};
    if (record == nullptr || !GlyphPosition(pdev, pos, position, &at)) return FALSE;
    SetGlyphDrawingState(pdev);
    SelectDownloadFont(pdev, record->FontId);
    WritePosition(pdev, at);
    WriteBytes(pdev, {0xCC, 0x00});
    PutWordBE(pdev, record->CharacterCode);
    pdev->SheetBlank = 0;
    return TRUE;
}

}  // namespace glyphs

void FreeFontCache(PDEV* pdev) {
    GlyphCacheState& cache = pdev->GlyphCache;
    const size_t count = glyphs::CountRecords(cache);
    if (count == 0) return;
    // PoolFree looks every block up from the chain's head: one sorted walk of the chain
    // frees them all instead, when the list of records can be had.
    auto* sorted = count <= SIZE_MAX / sizeof(void*)
                       ? static_cast<void**>(GlobalAlloc(GPTR, count * sizeof(void*)))
                       : nullptr;
    if (sorted != nullptr) {
        size_t n = 0;
        for (GlyphCacheRecord*& head : cache.Buckets) {
            for (GlyphCacheRecord* r = head; r != nullptr; r = r->Next) sorted[n++] = r;
            head = nullptr;
        }
        std::sort(sorted, sorted + n, std::less<void*>());
        glyphs::FreeSortedRecords(pdev, sorted, n);
        (void)GlobalFree(sorted);
        return;
    }
    for (GlyphCacheRecord*& head : cache.Buckets) {
        GlyphCacheRecord* r = head;
        head = nullptr;
        while (r != nullptr) {
            GlyphCacheRecord* next = r->Next;
            PdevFree(pdev, r);
            r = next;
        }
    }
}

void ResetGlyphCache(PDEV* pdev) {
    FreeFontCache(pdev);
    std::memset(pdev->GlyphCache.Buckets, 0, sizeof pdev->GlyphCache.Buckets);
    const DWORD memory = pdev->Limits.GlyphMemory;
    pdev->DownloadBudget = memory > glyphs::kDownloadFontCost ? memory - glyphs::kDownloadFontCost : 0;
    pdev->NextDownloadCode = 0;
    pdev->DownloadFontId = glyphs::kFirstDownloadFont;
    pdev->StateFlags &= ~kStateDownloadFull;
    pdev->DownloadFull = 0;
    pdev->DownloadedCount = 0;
    pdev->GlyphsOnPage = 0;
}

void OpenNextDownloadFont(PDEV* pdev) {
    pdev->DownloadFontId = static_cast<WORD>(pdev->DownloadFontId + 1);
    pdev->NextDownloadCode = 0;
    pdev->DownloadBudget =
        pdev->DownloadBudget > glyphs::kDownloadFontCost ? pdev->DownloadBudget - glyphs::kDownloadFontCost : 0;
    pdev->StateFlags &= ~kStateDownloadFull;
    pdev->GlyphsOnPage = 0;
}
