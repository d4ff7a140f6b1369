// The image writers: a direct 1-bit bitmap as one raster image command per clip piece, cut to
// the piece by the driver (the printer's clip is the whole page meanwhile), compressed when
// that is worth trying, turned a quarter for pages turned on an N-up sheet; or, while a brush
// is sent, the fill pattern (BitmapPattern.cpp).
#include "render/BitmapWriters.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "render/BitmapHooks.h"
#include "render/BitmapSource.h"
#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "render/OutputStream.h"
#include "render/RasterCompression.h"
#include "render/draw/Clip.h"
#include "render/draw/DrawingState.h"

namespace {

constexpr uint64_t kMaxWorkBytes = 0x7FFFFFFFu;
constexpr LONG kMaxExtent = 0xFFFF;       // the command's sizes are 16-bit
constexpr DWORD kChunkBytes = 256;        // plain rows go out through a buffer of this size
constexpr LONG kNoPiece = kLongMin;
constexpr BYTE kRotationMasks[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

/// A zero-filled work block on the device's allocation chain, given back when it goes.
class WorkBlock {
public:
    WorkBlock(PDEV* pdev, uint64_t cb) : pdev_(pdev) {
        if (cb != 0 && cb <= kMaxWorkBytes) data_ = static_cast<BYTE*>(PdevAlloc(pdev, static_cast<SIZE_T>(cb)));
    }
    ~WorkBlock() { PdevFree(pdev_, data_); }
    WorkBlock(const WorkBlock&) = delete;
    WorkBlock& operator=(const WorkBlock&) = delete;
    BYTE* get() const { return data_; }

private:
    PDEV* pdev_;
    BYTE* data_ = nullptr;
};

enum class Writer { Straight, Rotated };

LONG Width(const RECTL& r) { return r.right - r.left; }
LONG Height(const RECTL& r) { return r.bottom - r.top; }
bool Doubling(const PDEV* pdev) { return (pdev->StateFlags & kStateDoubling) != 0; }

/// One call of a writer: what every piece shares.
struct ImageCall {
    PDEV* pdev;
    const BitmapRows& rows;
    Writer writer;
    RECTL source;
    bool turned;
    bool invert;
};

/// The part of the bitmap one command carries: rows [firstRow, firstRow + rows) and
/// `width` pixels from firstPixel, each row `rowBytes` bytes long in the command.
struct Piece {
    LONG firstRow;
    LONG rows;
    LONG firstPixel;
    LONG width;
    LONG rowBytes;
};

/// The command's header fields.
struct ImageHeader {
    bool scaled;      // F4 with the size on the page
    LONG w, h;        // pixels and rows of the data
    LONG sw, sh;      // dots on the page (scaled only)
};

/// Sizes of the image on the page; false when they do not fit the command's 16-bit fields.
bool SizeImage(const ImageCall& call, LONG w, LONG h, ImageHeader* header) {
    const PDEV* pdev = call.pdev;
    const LONG s = ScalePercentOf(pdev);
    const bool doubling = Doubling(pdev);
    header->w = w;
    header->h = h;
    header->scaled = true;
    if (s == 100 || pdev->ReducedStretch != 0) {
        header->scaled = doubling;
        header->sw = w;
        header->sh = h;
    } else if (s > 100 || call.turned) {
        header->sw = std::max(ScaleValue(w, s), LONG{1});
        header->sh = std::max(ScaleValue(h, s), LONG{1});
    } else {
        // Below 100 % the source's corners are scaled, so that neighbouring images meet.
        const RECTL& r = call.source;
        header->sw = std::max(ScaleValue(r.right, s) - ScaleValue(r.left, s), LONG{1});
        header->sh = std::max(ScaleValue(r.bottom, s) - ScaleValue(r.top, s), LONG{1});
    }
    if (doubling) {
        header->sw = static_cast<LONG>(std::min<int64_t>(int64_t{header->sw} * 2, kLongMax));
        header->sh = static_cast<LONG>(std::min<int64_t>(int64_t{header->sh} * 2, kLongMax));
    }
    return w >= 1 && h >= 1 && w <= kMaxExtent && h <= kMaxExtent && header->sw <= kMaxExtent &&
           header->sh <= kMaxExtent;
}

/// The printer's position (left by WriteRasterPosition) keeps the image on the page.
bool OnPage(const PDEV* pdev, const ImageHeader& header) {
    const int64_t factor = Doubling(pdev) ? 2 : 1;
    const int64_t x = pdev->Draw.Position.x;
    const int64_t y = pdev->Draw.Position.y;
    const int64_t w = header.scaled ? header.sw : header.w;
    const int64_t h = header.scaled ? header.sh : header.h;
    return x <= pdev->PageRect.right * factor && y <= pdev->PageRect.bottom * factor && x + w >= 0 && y + h >= 0;
}

void PutWord(BYTE* at, LONG value) {
    at[0] = static_cast<BYTE>(value >> 8);
    at[1] = static_cast<BYTE>(value);
}

/// Opcode, sizes and data length; what follows is the data. The sheet is drawn on.
void WriteHeader(PDEV* pdev, const ImageHeader& header, bool compressed, DWORD length) {
    BYTE bytes[16] = {static_cast<BYTE>(header.scaled ? 0xF4 : 0xF2), 0x00, 0x00,
                      static_cast<BYTE>(compressed ? 0x20 : 0x00)};
    DWORD n = 4;
    PutWord(bytes + n, header.w);
    PutWord(bytes + n + 2, header.h);
    n += 4;
    if (header.scaled) {
        PutWord(bytes + n, header.sw);
        PutWord(bytes + n + 2, header.sh);
        n += 4;
    }
    bytes[n] = static_cast<BYTE>(length >> 24);
    bytes[n + 1] = static_cast<BYTE>(length >> 16);
    bytes[n + 2] = static_cast<BYTE>(length >> 8);
    bytes[n + 3] = static_cast<BYTE>(length);
    (void)WriteOutput(pdev, bytes, n + 4);
    pdev->SheetBlank = 0;
}

void Invert(BYTE* data, size_t count) {
    for (size_t i = 0; i < count; ++i) data[i] = static_cast<BYTE>(~data[i]);
}

/// Row r of the piece, rowBytes bytes from its first pixel, complemented when the source's
/// entry 0 is black.
void CopyRow(const ImageCall& call, const Piece& piece, LONG r, BYTE* out, DWORD offset, DWORD count) {
    const BYTE* row = call.rows.Row(piece.firstRow + r);
    if (row == nullptr) {
        std::memset(out, call.invert ? 0xFF : 0x00, count);
    } else {
        ShiftRowBits(out, row, static_cast<DWORD>(piece.firstPixel) + offset * 8, count, call.rows.RowBytes());
    }
    if (call.invert) Invert(out, count);
}

/// Codes rows x stride bytes against a zero seed row; the command is written when the coder
/// managed, else false (the caller goes plain).
bool WriteCompressed(PDEV* pdev, const ImageHeader& header, const BYTE* data, DWORD rows, DWORD stride) {
    const uint64_t size = static_cast<uint64_t>(rows) * stride;
    WorkBlock out(pdev, stride + 2 * size);
    WorkBlock seed(pdev, stride);
    if (out.get() == nullptr || seed.get() == nullptr) return false;
    const BYTE* end = CompressRasterRows(seed.get(), data, rows, stride, out.get(), stride);
    if (end == nullptr) return false;
    WriteHeader(pdev, header, true, static_cast<DWORD>(end - out.get()));
    (void)WriteOutput(pdev, out.get(), static_cast<DWORD>(end - out.get()));
    return true;
}

/// The piece as it stands: compressed when that is worth trying and managed, else plain.
void SendStraight(const ImageCall& call, const Piece& piece, const ImageHeader& header) {
    PDEV* pdev = call.pdev;
    const DWORD stride = static_cast<DWORD>(piece.rowBytes);
    const DWORD rows = static_cast<DWORD>(piece.rows);
    if (stride >= 3 && rows >= 4 && piece.firstPixel % 8 == 0) {
        WorkBlock copy(pdev, static_cast<uint64_t>(stride) * rows);
        if (copy.get() != nullptr) {
            for (DWORD r = 0; r < rows; ++r) {
                CopyRow(call, piece, static_cast<LONG>(r), copy.get() + size_t{r} * stride, 0, stride);
            }
            if (WriteCompressed(pdev, header, copy.get(), rows, stride)) return;
        }
    }
    WriteHeader(pdev, header, false, stride * rows);
    BYTE chunk[kChunkBytes];
    for (DWORD r = 0; r < rows; ++r) {
        for (DWORD offset = 0; offset < stride; offset += kChunkBytes) {
            const DWORD count = std::min(kChunkBytes, stride - offset);
            CopyRow(call, piece, static_cast<LONG>(r), chunk, offset, count);
            (void)WriteOutput(pdev, chunk, count);
        }
    }
}

/// The piece turned a quarter anticlockwise: its rightmost column becomes the first row, its
/// top row the leftmost column. FALSE when a block for the turn cannot be had.
BOOL SendTurned(const ImageCall& call, const Piece& piece) {
    PDEV* pdev = call.pdev;
    const LONG width = piece.width;
    const DWORD turnedStride = std::max<DWORD>(1, (static_cast<DWORD>(piece.rows) + 7) / 8);
    ImageHeader header{};
    if (!SizeImage(call, piece.rows, width, &header) || !OnPage(pdev, header)) return TRUE;

    const uint64_t turnedSize = static_cast<uint64_t>(turnedStride) * static_cast<DWORD>(width);
    WorkBlock turned(pdev, turnedSize);
    WorkBlock row(pdev, static_cast<uint64_t>(piece.rowBytes));
    if (turned.get() == nullptr || row.get() == nullptr) return FALSE;
    for (LONG r = 0; r < piece.rows; ++r) {
        CopyRow(call, piece, r, row.get(), 0, static_cast<DWORD>(piece.rowBytes));
        const BYTE mask = kRotationMasks[r % 8];
        const size_t column = static_cast<size_t>(r) / 8;
        for (LONG i = 0; i < piece.rowBytes; ++i) {
            const BYTE bits = row.get()[i];
            if (bits == 0) continue;
            for (LONG b = 0; b < 8; ++b) {
                const LONG c = i * 8 + b;
                if (c >= width) break;
                if (bits & kRotationMasks[b]) {
                    turned.get()[static_cast<size_t>(width - 1 - c) * turnedStride + column] |= mask;
                }
            }
        }
    }
    // Only the straight writer tries the coder on turned rows.
    if (call.writer == Writer::Straight && turnedStride >= 3 && width >= 4 && piece.firstPixel % 8 == 0 &&
        WriteCompressed(pdev, header, turned.get(), static_cast<DWORD>(width), turnedStride)) {
        return TRUE;
    }
    WriteHeader(pdev, header, false, static_cast<DWORD>(turnedSize));
    (void)WriteOutput(pdev, turned.get(), static_cast<DWORD>(turnedSize));
    return TRUE;
}

/// Sends one piece at the printer's current position. Rows and pixels outside the bitmap are
/// cut off first. FALSE only when a turned piece cannot get its blocks.
BOOL SendPiece(const ImageCall& call, Piece piece) {
    const BitmapRows& rows = call.rows;
    if (piece.firstRow < 0 || piece.firstRow >= rows.Height() || piece.firstPixel < 0 ||
        piece.firstPixel >= rows.Width()) {
        return TRUE;
    }
    piece.rows = std::min(piece.rows, rows.Height() - piece.firstRow);
    piece.rowBytes = std::max(piece.rowBytes, LONG{1});
    // A row never carries more bytes than the bitmap's own rows.
    const LONG minimalStride = static_cast<LONG>((int64_t{rows.Width()} + 31) / 32 * 4);
    piece.rowBytes = std::min(piece.rowBytes, minimalStride);
    piece.width = std::min({piece.width, rows.Width() - piece.firstPixel, piece.rowBytes * 8});
    if (piece.rows < 1 || piece.width < 1 || piece.rowBytes > kMaxExtent) return TRUE;
    if (call.turned) return SendTurned(call, piece);
    ImageHeader header{};
    if (!SizeImage(call, piece.width, piece.rows, &header) || !OnPage(call.pdev, header)) return TRUE;
    SendStraight(call, piece, header);
    return TRUE;
}

/// The straight writer's cut at the printable area of a one-page sheet: false when the
/// position lies beyond it; else the visible rectangle's right and bottom are pulled in by
/// what passes its edges (in source pixels).
bool TrimToPrintable(PDEV* pdev, RECTL* visible) {
    const PaperRecord& paper = pdev->Geometry.InputPaper;
    const SHORT dpi = pdev->Settings.Public.dmPrintQuality;
    const int64_t factor = Doubling(pdev) ? 2 : 1;
    const int64_t width = int64_t{MicronsToDots(paper.Printable.right - paper.Printable.left, dpi)} * factor;
    const int64_t height = int64_t{MicronsToDots(paper.Printable.bottom - paper.Printable.top, dpi)} * factor;
    const POINTL at = pdev->Draw.Position;
    if (at.x > width || at.y > height) return false;
    const LONG s = ScalePercentOf(pdev);
    auto onPage = [&](LONG extent) {
        int64_t dots = extent;
        if (s > 100) dots = dots * s / 100;
        return dots * factor;
    };
    auto backToSource = [&](int64_t dots) {
        if (s > 100) dots = dots * 100 / s;
        return dots / factor;
    };
    const int64_t overRight = at.x + onPage(Width(*visible)) - width;
    if (overRight > 0) visible->right -= static_cast<LONG>(std::min<int64_t>(backToSource(overRight), Width(*visible)));
    const int64_t overBottom = at.y + onPage(Height(*visible)) - height;
    if (overBottom > 0) {
        visible->bottom -= static_cast<LONG>(std::min<int64_t>(backToSource(overBottom), Height(*visible)));
    }
    return true;
}

RECTL Intersect(const RECTL& a, const RECTL& b) {
    return RECTL{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
}

/// Moves the printer to an image's left-top. A turned page's raster origin sits the image's
/// width further along, which the mapping turns into its place on the sheet.
void PositionImage(PDEV* pdev, POINTL at, LONG visibleWidth, bool turned) {
    if (turned) {
        const LONG s = ScalePercentOf(pdev);
        LONG shift = visibleWidth;
        if (s > 100 || (s < 100 && pdev->ReducedStretch == 0)) shift = ScaleValue(shift, s);
        const int64_t dots = int64_t{shift} * pdev->UnitFactor;
        pdev->RasterShiftX = static_cast<LONG>(std::clamp<int64_t>(dots, kLongMin, kLongMax));
    }
    WriteRasterPosition(pdev, at);
    pdev->RasterShiftX = 0;
}

BOOL WriteImage(PDEV* pdev, SURFOBJ* source, CLIPOBJ* clip, RECTL* destRect, RECTL* sourceRect, Writer writer) {
    if (source == nullptr || source->iBitmapFormat != BMF_1BPP || sourceRect == nullptr) return FALSE;
    if (clip == nullptr && destRect == nullptr) return FALSE;
    const BitmapRows rows(source);
    if (!rows.Valid()) return FALSE;
    const ImageCall call{pdev, rows, writer, *sourceRect, PageTurned(pdev), InvertsSource(pdev)};
    const BYTE complexity = clip != nullptr ? clip->iDComplexity : static_cast<BYTE>(DC_TRIVIAL);
    const bool cutByClip = clip != nullptr && (complexity == DC_RECT || complexity == DC_COMPLEX);
    const LONG s = ScalePercentOf(pdev);
    const LONG minimalStride = static_cast<LONG>((static_cast<int64_t>(rows.Width()) + 31) / 32 * 4);

    DWORD enumStart = 1;
    for (;;) {
        if (OutputFailed(pdev)) return FALSE;
        pdev->StateFlags &= ~kStateRopSet;
        RECTL piece{kNoPiece, kNoPiece, kNoPiece, kNoPiece};
        pdev->StateFlags |= kStateClipComputeOnly;
        const BOOL more = SetClipRegion(pdev, clip, &piece, &enumStart);
        pdev->StateFlags &= ~kStateClipComputeOnly;
        const bool holdsPath = clip != nullptr && (pdev->StateFlags & kStateClipPath) != 0;
        // The last rectangle of a complex clip comes with the answer that none follows.
        const bool gotPiece = piece.left != kNoPiece || piece.top != kNoPiece;
        if (!gotPiece && !holdsPath) break;
        if (gotPiece && s < 100 && pdev->ReducedStretch != 0) {
            piece = RECTL{ScaleValue(piece.left, s), ScaleValue(piece.top, s), ScaleValue(piece.right, s),
                          ScaleValue(piece.bottom, s)};
        }

        if (holdsPath) {
            // The printer cuts the image: the whole source goes once at the destination.
            const RECTL& src = *sourceRect;
            if (destRect == nullptr && !gotPiece) break;
            const POINTL at =
                destRect != nullptr ? POINTL{destRect->left, destRect->top} : POINTL{piece.left, piece.top};
            if (Width(src) < 1 || Height(src) < 1) break;
            PositionImage(pdev, at, Width(src), call.turned);
            const LONG stride = static_cast<LONG>((int64_t{Width(src)} + 7) / 8);
            if (!SendPiece(call, Piece{src.top, Height(src), src.left, Width(src), stride})) return FALSE;
            break;
        }

        RECTL visible = destRect == nullptr ? piece : clip != nullptr ? Intersect(piece, *destRect) : *destRect;
        SetClipRectangle(pdev, pdev->PageRect);
        if (Width(visible) > 0 && Height(visible) > 0) {
            const LONG destLeft = destRect != nullptr ? destRect->left : visible.left;
            const LONG destTop = destRect != nullptr ? destRect->top : visible.top;
            const POINTL at{cutByClip ? visible.left : destLeft, visible.top};
            PositionImage(pdev, at, Width(visible), call.turned);
            const bool kept = writer == Writer::Rotated || NupActive(pdev) || TrimToPrintable(pdev, &visible);
            if (kept && Width(visible) > 0 && Height(visible) > 0) {
                const LONG stride = cutByClip ? std::min<LONG>(minimalStride, (Width(visible) + 7) / 8)
                                              : static_cast<LONG>((int64_t{Width(*sourceRect)} + 7) / 8);
                const Piece part{sourceRect->top + (visible.top - destTop), Height(visible),
                                 sourceRect->left + (cutByClip ? visible.left - destLeft : 0), Width(visible),
                                 stride};
                if (!SendPiece(call, part)) return FALSE;
            }
        }
        if (!more) break;
    }
    return OutputFailed(pdev) ? FALSE : TRUE;
}

BOOL WriteBitmap(PDEV* pdev, SURFOBJ* source, CLIPOBJ* clip, RECTL* destRect, RECTL* sourceRect, Writer writer) {
    if (pdev->RasterWork == nullptr || OutputFailed(pdev)) return FALSE;
    if (pdev->StateFlags & kStatePatternMode) return WriteBitmapPattern(pdev, source, sourceRect);
    return WriteImage(pdev, source, clip, destRect, sourceRect, writer);
}

}  // namespace

BOOL WriteBitmapRaster(PDEV* pdev, SURFOBJ* source, CLIPOBJ* clip, RECTL* destRect, RECTL* sourceRect) {
    return WriteBitmap(pdev, source, clip, destRect, sourceRect, Writer::Straight);
}

BOOL WriteBitmapRasterRotated(PDEV* pdev, SURFOBJ* source, CLIPOBJ* clip, RECTL* destRect, RECTL* sourceRect) {
    return WriteBitmap(pdev, source, clip, destRect, sourceRect, Writer::Rotated);
}
