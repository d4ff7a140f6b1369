#pragma once
// Shared pieces of the path and clip-path writers: enumeration of an engine path, point
// conversion with its 16-bit range test, the work blocks of one call, and the writers of
// WritePath's forms.
#include <cstdint>
#include <initializer_list>

#include "platform/Ddi.h"
#include "render/Pdev.h"
#include "render/draw/PathOutput.h"
#include "settings/MemoryPool.h"

/// Device coordinates and counts the commands carry in 16 bits.
inline constexpr LONG kDeviceMin = -32768;
inline constexpr LONG kDeviceMax = 32767;
inline constexpr DWORD kMaxWordCount = 65535;

/// A zero-filled block on the device's allocation chain, freed when the owner goes.
class WorkBlock {
public:
    WorkBlock(PDEV* pdev, uint64_t cb);
    ~WorkBlock();
    WorkBlock(const WorkBlock&) = delete;
    WorkBlock& operator=(const WorkBlock&) = delete;
    BYTE* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    PDEV* pdev_;
    BYTE* data_ = nullptr;
};

/// Calls fn(const PATHDATA&, bool last) for every record from the start; fn returns false to
/// stop. The engine hands the last record together with FALSE; it may be empty.
template <typename Fn>
void ForEachRecord(PATHOBJ* path, Fn&& fn) {
    PATHOBJ_vEnumStart(path);
    for (;;) {
        PATHDATA data{};
        const bool more = PATHOBJ_bEnum(path, &data) != FALSE;
        if (data.pptfx == nullptr) data.count = 0;
        if (!fn(data, !more)) return;
        if (!more) return;
    }
}

/// Follows the figures across records: a record with points begins a figure when it is
/// marked so, or when no figure is open (the first record, or one after a figure's end).
class FigureTracker {
public:
    bool Begins(const PATHDATA& data) {
        const bool begins = data.count > 0 && ((data.flags & PD_BEGINSUBPATH) != 0 || !open_);
        if (data.count > 0 || (data.flags & PD_BEGINSUBPATH)) open_ = true;
        if (data.flags & PD_ENDSUBPATH) open_ = false;
        return begins;
    }

private:
    bool open_ = false;
};

/// A 28.4 point in whole dots (rounding toward minus infinity).
inline POINTL FixToDots(const POINTFIX& p) { return POINTL{p.x >> 4, p.y >> 4}; }
/// Whole dots, doubled while the device doubles coordinates.
inline POINTL Doubled(const PDEV* pdev, POINTL p) {
    if (pdev->StateFlags & kStateDoubling) return POINTL{p.x * 2, p.y * 2};
    return p;
}
inline bool InDeviceRange(const POINTL& p) {
    return p.x >= kDeviceMin && p.x <= kDeviceMax && p.y >= kDeviceMin && p.y <= kDeviceMax;
}
/// The printer point of a path point (doubled, then mapped); FALSE when it leaves the 16-bit
/// device range, so that no writer ever wraps it.
bool PrinterPoint(PDEV* pdev, const POINTFIX& p, POINTL* out);
/// MapPoint of an already doubled page point, with the same range test.
bool MapInRange(PDEV* pdev, POINTL page, POINTL* out);
/// A mapped point as two 16-bit words (the caller has checked its range).
void PutPrinterPoint(PDEV* pdev, POINTL mapped);
/// The cached position becomes a printer point written last, known.
void SetKnownPosition(PDEV* pdev, POINTL mapped);
void PutBytes(PDEV* pdev, std::initializer_list<BYTE> bytes);

/// The records of one packed command being built, bounded by the count they were sized for.
class RecordList {
public:
    RecordList(PathPointRecord* records, DWORD capacity) : records_(records), capacity_(capacity) {}
    void Add(POINTL p, BYTE kind) {
        if (count_ >= capacity_) return;
        records_[count_++] = PathPointRecord{static_cast<SHORT>(p.x), static_cast<SHORT>(p.y), kind};
    }
    void Add(LONG x, LONG y, BYTE kind) { Add(POINTL{x, y}, kind); }
    DWORD Count() const { return count_; }
    const PathPointRecord* Data() const { return records_; }

private:
    PathPointRecord* records_;
    DWORD capacity_;
    DWORD count_ = 0;
};

/// Encodes the records and writes the packed length and bytes after the caller's header.
void WritePackedBody(PDEV* pdev, const RecordList& records, BYTE* packed, bool setPosition);
/// Bytes of the two packed work blocks for a count of records.
inline uint64_t PackedBytesFor(uint64_t records) { return 5 * records + 8; }
inline uint64_t RecordBytesFor(uint64_t records) { return 6 * records + 8; }

// The forms of WritePath (the caller has counted P points and F figures, both in range).
[[nodiscard]] BOOL WriteMultiFigureFill(PDEV* pdev, PATHOBJ* path, DWORD figures, DWORD points, FLONG fillOptions);
[[nodiscard]] BOOL WriteMultiFigureStroke(PDEV* pdev, PATHOBJ* path, DWORD figures, DWORD points);
inline constexpr DWORD kCurveWritten = 1;
inline constexpr DWORD kCurveFailed = 0;
inline constexpr DWORD kCurveGoOn = 0xFF;
[[nodiscard]] DWORD WriteCurvePath(PDEV* pdev, PATHOBJ* path, DWORD figures, DWORD points, FLONG fillOptions);
[[nodiscard]] BOOL WriteSingleFigure(PDEV* pdev, PATHOBJ* path, DWORD points, FLONG fillOptions);
[[nodiscard]] BOOL WriteAsciiPath(PDEV* pdev, PATHOBJ* path);
/// Writes a stroke that leaves the device range as clipped one-segment strokes.
void SplitStrokePath(PDEV* pdev, PATHOBJ* path);
/// A rectangle (or dot) under a fill or closed stroke; TRUE when recognised.
[[nodiscard]] BOOL DetectRectangle(PDEV* pdev, PATHOBJ* path);
/// The clip before a form is written: the pending flags cleared and, without a clip path,
/// the piece's rectangle sent.
void SendPieceClip(PDEV* pdev);

/// The clip region's path from the engine (CLIPOBJ_ppoGetPath), deleted with the owner.
class ClipRegionPath {
public:
    explicit ClipRegionPath(CLIPOBJ* clip) : path_(CLIPOBJ_ppoGetPath(clip)) {}
    ~ClipRegionPath() {
        if (path_ != nullptr) EngDeletePath(path_);
    }
    ClipRegionPath(const ClipRegionPath&) = delete;
    ClipRegionPath& operator=(const ClipRegionPath&) = delete;
    PATHOBJ* get() const { return path_; }

private:
    PATHOBJ* path_;
};
