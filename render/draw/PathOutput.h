#pragma once
// One engine path as the printer's vector commands: plain and packed point lists, the mixed
// line-and-curve command, rectangles, and the ASCII path language for curves. Also the point
// mapping and the packed-delta coder that the clip path shares.
#include "platform/Ddi.h"
#include "render/Pdev.h"

/// One value pair to encode, in printer dots.
struct PathPointRecord {
    SHORT x;
    SHORT y;
    BYTE kind;                // kPointOrdinary, kPointFigureStart, kPointCountPair, kPointTerminator
};
inline constexpr BYTE kPointOrdinary = 0;
inline constexpr BYTE kPointFigureStart = 1;
inline constexpr BYTE kPointCountPair = 2;
inline constexpr BYTE kPointTerminator = 8;

/// Writes the path for the device's current vector operation (one clip piece). FALSE: the
/// path was not (wholly) written and the hook falls back or fails.
[[nodiscard]] BOOL WritePath(PDEV* pdev, PATHOBJ* path, SURFOBJ* surface, CLIPOBJ* clip, FLONG fillOptions);
/// Page point to printer point, in place (scale, N-up slot, turn, page origin).
void MapPoint(PDEV* pdev, LONG* x, LONG* y);
/// Whether a complex clip's path fits the clip-path limit (TRUE for other clips and none).
[[nodiscard]] BOOL ClipPathFits(PDEV* pdev, CLIPOBJ* clip);
/// Cuts the segment to the rectangle (inclusive); FALSE when nothing of it is visible.
[[nodiscard]] BOOL ClipLine(POINTL* start, POINTL* end, const RECTL& rect);

/// The packed-delta coder over a zero-filled buffer of at least 5 bytes a record plus 8.
/// Returns the bits written; with setPosition the current position becomes the last figure
/// start or ordinary point.
DWORD EncodePointRecords(PDEV* pdev, const PathPointRecord* records, DWORD count, BYTE* packed, bool setPosition);
/// The byte length of an encoding of `bits` bits.
inline DWORD PackedLength(DWORD bits) { return (bits + 7) / 8; }

// ASCII path language: the hooks end a path with these.
void WriteStroke(PDEV* pdev);                   // "ST;"
void WriteFill(PDEV* pdev, FLONG fillOptions);  // "FL;" winding, "EF;" alternate

/// The model's line-pattern scale for the job's resolution.
DWORD GetResolutionValue(const PDEV* pdev);
