// The raster image command of the band writers: a chunk of band rows, inverted for the
// printer, cut at the page's right edge, compressed when that is shorter than the raw rows,
// and placed at its page row or in the N-up slot of the sheet.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "render/BandOutput.h"
#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "render/DocumentHooks.h"
#include "render/OutputStream.h"
#include "render/RasterCompression.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"

namespace {

/// The logical operation of raster images: the image replaces what is under it.
constexpr BYTE kRasterRop = 0xEE;
/// Work blocks beyond this are not attempted; the chunk goes out raw or uncut instead.
constexpr uint64_t kMaxWorkBytes = 0x7FFFFFFFu;

/// A chunk as the command describes it: widthBits pixels of rows rows, stride bytes apart.
struct Chunk {
    DWORD widthBits;
    DWORD rows;
    BYTE* data;
    DWORD stride;
    DWORD Size() const { return rows * stride; }
};

/// The width never reaches past the row's own bytes.
DWORD WidthWithin(DWORD widthBits, DWORD stride) {
    return static_cast<DWORD>(std::min<uint64_t>(widthBits, static_cast<uint64_t>(stride) * 8));
}

LONG UnitOf(const PDEV* pdev) { return pdev->UnitFactor == 2 ? 2 : 1; }
/// A scale of 0 would divide by zero in the cut: it stands for 100.
LONG ScaleOf(const PDEV* pdev) { return pdev->Geometry.ScalePercent == 0 ? 100 : pdev->Geometry.ScalePercent; }
LONG ScaleBy(LONG v, LONG percent) { return static_cast<LONG>(static_cast<int64_t>(v) * percent / 100); }
bool Doubling(const PDEV* pdev) { return (pdev->StateFlags & kStateDoubling) != 0; }

/// rows x stride bytes at data, within the size the caller vouches for and the 32-bit sizes
/// of the command.
bool ChunkFits(const BYTE* data, DWORD rows, DWORD stride, DWORD size) {
    if (data == nullptr || rows == 0 || stride == 0) return false;
    const uint64_t bytes = static_cast<uint64_t>(rows) * stride;
    return bytes <= size && bytes <= kMaxWorkBytes;
}

/// The block's data, at least cb bytes; grown (and so zero-filled) only when too small.
/// NULL when it cannot be had: the caller then does without it.
BYTE* ReuseBlock(PDEV* pdev, ReusableBlock& block, uint64_t cb) {
    if (cb == 0 || cb > kMaxWorkBytes) return nullptr;
    if (block.Data != nullptr && block.Size >= cb) return block.Data;
    // Half as much again, so that a page's chunks of growing height allocate only now and then.
    uint64_t want = std::max<uint64_t>(cb, static_cast<uint64_t>(block.Size) + block.Size / 2);
    if (want > kMaxWorkBytes) want = cb;
    // The old block goes first: the two are never held together.
    PdevFree(pdev, block.Data);
    block = ReusableBlock{};
    void* data = PdevAlloc(pdev, static_cast<SIZE_T>(want));
    if (data == nullptr && want != cb) {
        want = cb;
        data = PdevAlloc(pdev, static_cast<SIZE_T>(want));
    }
    if (data == nullptr) return nullptr;
    block.Data = static_cast<BYTE*>(data);
    block.Size = static_cast<SIZE_T>(want);
    return block.Data;
}

/// Page-control mode off, the vector scale for this resolution, and the copy operation.
void PrepareRasterState(PDEV* pdev) {
    LeavePageControlMode(pdev);
    if (pdev->VectorResolution != static_cast<WORD>(Resolution(pdev))) EnterVectorScale(pdev);
    DrawingStateCache& cache = pdev->Draw;
    if (cache.RopForeground != kRasterRop || cache.RopBackground != kRasterRop) {
        const BYTE rop[] = {0xA6, 0x00, kRasterRop, kRasterRop};
        (void)WriteOutput(pdev, rop, sizeof rop);
        cache.RopForeground = cache.RopBackground = kRasterRop;
    }
}

/// Raster positions are already in page dots: the move must not scale them again.
void MoveUnscaled(PDEV* pdev, POINTL point) {
    const WORD scale = pdev->Geometry.ScalePercent;
    pdev->Geometry.ScalePercent = 100;
    WritePosition(pdev, point);
    pdev->Geometry.ScalePercent = scale;
}

void Invert(BYTE* data, DWORD count) {
    for (DWORD i = 0; i < count; ++i) data[i] = static_cast<BYTE>(~data[i]);
}

/// Width or height on the page: enlarged above 100 %, doubled at the half-scale resolutions.
LONG PageExtent(const PDEV* pdev, DWORD sourceExtent, LONG scale) {
    LONG extent = static_cast<WORD>(sourceExtent);
    if (scale > 100) extent = ScaleBy(extent, scale);
    if (Doubling(pdev)) extent *= 2;
    return extent;
}

struct Placement {
    POINTL at;   // the printer's position, where the image's top-left lands
    LONG right;  // device page's right and bottom edges
    LONG bottom;
    LONG w;      // size on the page
    LONG h;
    bool OnPage() const { return at.x <= right && at.y <= bottom && at.x + w >= 0 && at.y + h >= 0; }
};

Placement PlaceAtCurrentPosition(const PDEV* pdev, const Chunk& chunk, LONG scale) {
    Placement p{};
    p.at = pdev->Draw.Position;
    const LONG factor = Doubling(pdev) ? 2 : 1;
    p.right = pdev->PageRect.right * factor;
    p.bottom = pdev->PageRect.bottom * factor;
    p.w = PageExtent(pdev, chunk.widthBits, scale);
    p.h = PageExtent(pdev, chunk.rows, scale);
    return p;
}

void PutWord(BYTE* at, DWORD value) {
    at[0] = static_cast<BYTE>(value >> 8);
    at[1] = static_cast<BYTE>(value);
}

/// The image command, compressed when the coder manages to beat the raw rows. Writing it puts
/// something on the sheet.
void WriteImageCommand(PDEV* pdev, const Chunk& chunk, const Placement& place, bool scaled) {
    const DWORD size = chunk.Size();
    const BYTE* body = chunk.data;
    DWORD length = size;
    bool compressed = false;
    if (size >= 3) {
        // The seed row (stride zero bytes, white in the inverted data) and then the coder's
        // area; the coder may pass the raw size by one row before it gives up.
        const uint64_t need = static_cast<uint64_t>(chunk.stride) * 2 + static_cast<uint64_t>(size) * 2;
        if (BYTE* work = ReuseBlock(pdev, pdev->BandCompression, need)) {
            std::memset(work, 0, chunk.stride);  // the block is reused: an earlier chunk may have coded here
            BYTE* out = work + chunk.stride;
            if (const BYTE* end = CompressRasterRows(work, chunk.data, chunk.rows, chunk.stride, out, chunk.stride)) {
                body = out;
                length = static_cast<DWORD>(end - out);
                compressed = true;
            }
        }
    }

    BYTE header[16] = {static_cast<BYTE>(scaled ? 0xF4 : 0xF2), 0x00, 0x00, static_cast<BYTE>(compressed ? 0x20 : 0x00)};
    DWORD n = 4;
    PutWord(header + n, chunk.widthBits);
    PutWord(header + n + 2, chunk.rows);
    n += 4;
    if (scaled) {
        PutWord(header + n, static_cast<DWORD>(place.w));
        PutWord(header + n + 2, static_cast<DWORD>(place.h));
        n += 4;
    }
    header[n] = static_cast<BYTE>(length >> 24);
    header[n + 1] = static_cast<BYTE>(length >> 16);
    PutWord(header + n + 2, length);
    n += 4;
    (void)WriteOutput(pdev, header, n);
    (void)WriteOutput(pdev, body, length);
    pdev->SheetBlank = 0;
}

/// Keeps the columns that reach the device page's right edge. FALSE when none of them does.
/// The edge is in printer dots, which are source pixels only at 100 % without doubling; the
/// cut never keeps more than the chunk has.
bool CutAtRightEdge(PDEV* pdev, Chunk& chunk, Placement& place, LONG scale) {
    if (place.at.x + place.w < place.right) return true;
    const int64_t room = static_cast<int64_t>(place.right - place.at.x) * 100 / scale;
    const int64_t kept = std::min<int64_t>(room, place.w);
    if (kept <= 0) return false;
    if (kept >= chunk.widthBits) return true;

    const DWORD width = static_cast<DWORD>(kept);
    const DWORD stride = (width + 7) / 8;
    if (stride < chunk.stride) {
        BYTE* copy = ReuseBlock(pdev, pdev->BandCutCopy, static_cast<uint64_t>(chunk.rows) * stride);
        if (copy == nullptr) return true;  // sent uncut
        for (DWORD row = 0; row < chunk.rows; ++row) {
            std::memcpy(copy + static_cast<size_t>(row) * stride, chunk.data + static_cast<size_t>(row) * chunk.stride,
                        stride);
        }
        chunk.data = copy;
        chunk.stride = stride;
    }
    // Within the same bytes only the width changes: the rows need no copy.
    chunk.widthBits = width;
    place.w = PageExtent(pdev, width, scale);
    return true;
}

/// The printer's paper rectangle in micrometres, with x and y exchanged when asked.
RECTL Exchanged(const RECTL& r, bool exchange) { return exchange ? RECTL{r.top, r.left, r.bottom, r.right} : r; }

}  // namespace

void WriteBandRaster(PDEV* pdev, DWORD widthBits, DWORD rows, LONG /*x*/, LONG y, BYTE* data, DWORD size,
                     DWORD stride) {
    if (!ChunkFits(data, rows, stride, size)) return;
    Chunk chunk{WidthWithin(widthBits, stride), rows, data, stride};

    PrepareRasterState(pdev);
    const LONG scale = ScaleOf(pdev);
    const bool enlarged = scale > 100;
    RECTL clip{0, y, static_cast<LONG>(chunk.widthBits), y + static_cast<LONG>(rows)};
    if (enlarged) clip = RECTL{0, ScaleBy(clip.top, scale), ScaleBy(clip.right, scale), ScaleBy(clip.bottom, scale)};
    SetClipRectangle(pdev, clip);
    const LONG pageY = enlarged ? ScaleBy(y, scale) : y;
    MoveUnscaled(pdev, POINTL{0, pageY * UnitOf(pdev)});

    Invert(chunk.data, chunk.Size());
    Placement place = PlaceAtCurrentPosition(pdev, chunk, scale);
    if (!place.OnPage()) return;
    if (!CutAtRightEdge(pdev, chunk, place, scale)) return;
    WriteImageCommand(pdev, chunk, place, enlarged || Doubling(pdev));
}

void WriteRasterImage(PDEV* pdev, DWORD widthBits, DWORD rows, LONG x, LONG y, BYTE* data, DWORD size,
                      DWORD stride) {
    if (!ChunkFits(data, rows, stride, size)) return;
    Chunk chunk{WidthWithin(widthBits, stride), rows, data, stride};

    PrepareRasterState(pdev);
    const LONG scale = ScaleOf(pdev);
    const LONG unit = UnitOf(pdev);
    const bool turned = static_cast<DWORD>(pdev->Settings.Public.dmOrientation) != pdev->SentOrientation;

    // The slot's top-left on the sheet, with the centring inside it (its axes follow the sheet).
    POINTL origin{0, 0};
    if (SheetCapacity(pdev) != 1) {
        const RECTL& slot = CurrentSlot(pdev);
        POINTL centring = pdev->Geometry.CentringOffset;
        if (turned) std::swap(centring.x, centring.y);
        origin = POINTL{slot.left + centring.x, slot.top + centring.y};
    }

    // Clip to the reduced page in its slot. The clip is measured against the sheet, not the
    // page, so the sheet's rectangles stand in for the page's for the call.
    PaperRecord& input = pdev->Geometry.InputPaper;
    const SHORT dpi = static_cast<SHORT>(Resolution(pdev));
    const LONG pageWidth = MicronsToDots(ScaleBy(input.Printable.right - input.Printable.left, scale), dpi);
    const LONG pageHeight = MicronsToDots(ScaleBy(input.Printable.bottom - input.Printable.top, scale), dpi);
    const RECTL clip = turned ? RECTL{origin.x, origin.y, origin.x + pageHeight, origin.y + pageWidth}
                              : RECTL{origin.x, origin.y, origin.x + pageWidth, origin.y + pageHeight};
    const WORD savedScale = pdev->Geometry.ScalePercent;
    const RECTL savedPrintable = input.Printable;
    const RECTL savedPageRect = pdev->PageRect;
    pdev->Geometry.ScalePercent = 100;
    input.Printable = Exchanged(pdev->Geometry.OutputPaper.Printable, turned);
    pdev->PageRect = Exchanged(pdev->OutputPaperRect, turned);
    SetClipRectangle(pdev, clip);
    pdev->Geometry.ScalePercent = savedScale;
    input.Printable = savedPrintable;
    pdev->PageRect = savedPageRect;

    POINTL at{origin.x * unit, origin.y * unit};
    if (!turned) {
        at.y += unit * y;
    } else {
        // A turned page fills its slot from the bottom: the clip's height less the chunk's.
        const RECTL& held = pdev->Draw.ClipRect;
        at.y += (held.bottom - held.top) - unit * static_cast<LONG>(rows);
        at.x += unit * x;
    }
    if (scale > 100) at = POINTL{ScaleBy(at.x, scale), ScaleBy(at.y, scale)};
    MoveUnscaled(pdev, at);

    Invert(chunk.data, chunk.Size());
    const Placement place = PlaceAtCurrentPosition(pdev, chunk, scale);
    if (!place.OnPage()) return;
    WriteImageCommand(pdev, chunk, place, scale > 100 || Doubling(pdev));
}

void WriteRotatedRasterImage(PDEV* pdev, DWORD widthBits, DWORD rows, LONG x, LONG y, DWORD stride,
                             const BYTE* data) {
    if (data == nullptr || rows == 0 || stride == 0 || widthBits == 0) return;
    const DWORD width = WidthWithin(widthBits, stride);
    const DWORD turnedRows = (width + 7) / 8 * 8;
    const DWORD turnedStride = (rows + 7) / 8;
    const uint64_t turnedSize = static_cast<uint64_t>(turnedRows) * turnedStride;
    BYTE* turned = ReuseBlock(pdev, pdev->BandTurned, turnedSize);
    if (turned == nullptr) return;
    // Only set bits are copied, so the block must start clear (it may hold an earlier chunk).
    std::memset(turned, 0, static_cast<size_t>(turnedSize));

    // Source (column c, row r) lands at (column r, row turnedRows - 1 - c): the first column
    // becomes the bottom row, the first row the left column.
    for (DWORD r = 0; r < rows; ++r) {
        const BYTE* source = data + static_cast<size_t>(r) * stride;
        const BYTE mask = static_cast<BYTE>(0x80u >> (r % 8));
        BYTE* column = turned + r / 8;
        for (DWORD c = 0; c < width; ++c) {
            const BYTE bits = source[c / 8];
            if (bits == 0) {
                c |= 7;  // a clear byte adds nothing: on to the next one
                continue;
            }
            if (bits & (0x80u >> (c % 8))) column[static_cast<size_t>(turnedRows - 1 - c) * turnedStride] |= mask;
        }
    }

    BYTE* first = turned + static_cast<size_t>(turnedRows - width) * turnedStride;
    WriteRasterImage(pdev, rows, width, y, x, first, static_cast<DWORD>(turnedStride * width), turnedStride);
}
