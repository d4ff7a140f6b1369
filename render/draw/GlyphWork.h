#pragma once
// The pieces of glyph download and glyph images that its files share: the glyph key and
// cache lookups, the strip coding of 1-bit bitmaps, the reduction by the scale percent, the
// doubling of the 2x mode, and the image-block writer.
#include "platform/Ddi.h"
#include "render/Pdev.h"

namespace glyphs {

/// Printer memory that a downloaded glyph costs beyond its strip data.
inline constexpr DWORD kGlyphRecordCost = 52;
/// The download font id after a table reset.
inline constexpr WORD kFirstDownloadFont = 0xF000;

/// A 1-bit bitmap: Height rows Stride bytes apart, top row first, a set bit is ink; pixels
/// at Width and beyond are ignored.
struct Bitmap {
    const BYTE* Bits;
    DWORD Stride;
    DWORD Width;
    DWORD Height;
};

/// Bytes a row of width pixels takes when padded to a byte.
inline DWORD RowBytes(DWORD width) { return width / 8 + (width % 8 != 0 ? 1 : 0); }

/// A zero-filled block on the device's allocation chain, freed with its owner.
class ChainBlock {
public:
    ChainBlock() = default;
    ChainBlock(PDEV* pdev, ULONGLONG cb);
    ~ChainBlock();
    ChainBlock(ChainBlock&& other) noexcept : pdev_(other.pdev_), data_(other.data_) { other.data_ = nullptr; }
    ChainBlock& operator=(ChainBlock&& other) noexcept;
    ChainBlock(const ChainBlock&) = delete;
    ChainBlock& operator=(const ChainBlock&) = delete;
    BYTE* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }
    /// Hands the block to the caller, who frees it with PdevFree.
    BYTE* release();

private:
    PDEV* pdev_ = nullptr;
    BYTE* data_ = nullptr;
};

// --- Strip coding ---------------------------------------------------------------------------
/// 16-pixel strips of a row: ((width + 7) / 8 + 1) / 2.
DWORD StripCount(DWORD width);
/// The most bytes the strip coding of a width x height bitmap can take; 0 when it cannot be
/// coded: an empty bitmap, a padded width or a height beyond 16 bits.
ULONGLONG StripCodingBound(DWORD width, DWORD height);
/// Codes the bitmap into out (at least StripCodingBound bytes); the data length.
DWORD EncodeStrips(const Bitmap& bitmap, BYTE* out);

/// The strip coding of a glyph bitmap, on the allocation chain.
struct StripImage {
    ChainBlock Data;
    DWORD Length = 0;
    DWORD PaddedWidth = 0;    // 16 x the strip count
    DWORD Height = 0;
};
/// FALSE when the bitmap cannot be coded or the work block cannot be had.
[[nodiscard]] bool MakeStripImage(PDEV* pdev, const Bitmap& bitmap, StripImage* image);

// --- Reduction and doubling -----------------------------------------------------------------
/// One target pixel: it merges Count source pixels from First on.
struct ScaleEntry {
    BYTE Count;
    DWORD First;
};
/// Target size of a reduction: (scale x size) / 100, truncated, in 64 bits.
ULONGLONG ScaledSize(DWORD scale, DWORD size);
/// Maps source pixels 0..source-1 onto target pixels for a scale of 1 to 99; the largest
/// and smallest count (which the caller starts at 10) are kept. FALSE, with nothing filled,
/// for any other scale, a target of 0 or one that the counts cannot reach.
[[nodiscard]] bool BuildScaleMap(DWORD scale, DWORD source, DWORD target, ScaleEntry* map, BYTE* largest,
                                 BYTE* smallest);
/// Bytes of the work line ScaleGlyphBitmap needs for a source width: the row and room for
/// the widest read past its last pixel.
DWORD ScaleLineBytes(DWORD sourceWidth);
/// Reduction by OR: a target pixel is ink when any source pixel of its row and column
/// entries is. out takes RowBytes(columnCount) x rowCount bytes, zero padded.
void ScaleGlyphBitmap(const Bitmap& source, const ScaleEntry* columns, DWORD columnCount, const ScaleEntry* rows,
                      DWORD rowCount, BYTE* line, BYTE* out);
/// The 2x mode: every pixel twice across and every row twice; out takes 2 x stride bytes a
/// row and twice the rows.
void DoubleBitmap(const Bitmap& source, BYTE* out);
/// The bitmap a quarter turn counter-clockwise: pixel (x, y) goes to column y, row
/// width - 1 - x. out takes RowBytes(height) x width bytes.
void TurnBitmap(const Bitmap& source, BYTE* out);

/// A glyph bitmap made ready for the printer: reduced to scale (below 100) and doubled in
/// the 2x mode; Pixels points into one of the work blocks or at the source.
struct PreparedGlyph {
    ChainBlock Reduced;
    ChainBlock Doubled;
    Bitmap Pixels{};
};
/// Scales of 1 to 99 reduce, 100 and above keep the size. FALSE for scale 0, when the
/// reduction leaves nothing, when the result could not be strip-coded, or when a work block
/// cannot be had.
[[nodiscard]] bool PrepareGlyph(PDEV* pdev, const Bitmap& glyph, DWORD scale, bool doubled, PreparedGlyph* out);

// --- Glyph at hand and the cache ------------------------------------------------------------
/// The glyph's bitmap: from the GLYPHPOS when it carries one, else from the engine by
/// handle; into the cache state's current glyph. FALSE when there is none.
[[nodiscard]] bool FetchGlyphBits(PDEV* pdev, FONTOBJ* font, HGLYPH glyph, const GLYPHPOS* pos);
/// The current glyph as a bitmap (stride = its rows padded to bytes).
Bitmap CurrentGlyph(const PDEV* pdev);
/// Fills the cache state's key; FALSE when the font has no metrics or transform.
[[nodiscard]] BOOL ComputeGlyphKey(PDEV* pdev, FONTOBJ* font, XFORMOBJ* transform, HGLYPH glyph, GLYPHPOS* pos);
/// The bucket of a key.
DWORD GlyphBucket(const GlyphKey& key);
/// TRUE when the bucket holds the current key and the glyph was printed from the printer's
/// copy at position (the GLYPHPOS position when NULL) plus the glyph origin.
[[nodiscard]] BOOL PrintCachedGlyph(PDEV* pdev, GlyphCacheRecord** bucket, GLYPHPOS* pos, POINTL* position,
                                    FONTOBJ* font);
/// Downloads the current glyph under record (linked into the bucket on success) and prints it.
[[nodiscard]] BOOL DownloadGlyphBitmap(PDEV* pdev, GlyphCacheRecord** bucket, GlyphCacheRecord* record,
                                       GLYPHPOS* pos, POINTL* position, FONTOBJ* font);
/// Where the current glyph goes: the position given (else the GLYPHPOS position) plus the
/// glyph origin. FALSE when neither is given.
[[nodiscard]] bool GlyphPosition(const PDEV* pdev, const GLYPHPOS* pos, const POINTL* position, POINTL* out);
/// The state commands before a glyph: logical operation C0 AA and the text gray.
void SetGlyphDrawingState(PDEV* pdev);
/// Selects download font id (CB 00 id) when the printer has another one selected.
void SelectDownloadFont(PDEV* pdev, WORD id);

// --- Images ---------------------------------------------------------------------------------
/// The F4 image command: F4 op2 00 op4, the four sizes (u16 each), the length (u32), data.
void WriteImageBlock(PDEV* pdev, BYTE op2, BYTE op4, WORD sourceWidth, WORD sourceHeight, WORD targetWidth,
                     WORD targetHeight, const BYTE* data, DWORD length);

}  // namespace glyphs
