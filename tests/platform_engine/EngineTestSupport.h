#pragma once
// Small helpers for the engine tests: a locked engine bitmap that deletes itself, pixel reads
// straight from its bits, and pictures of 1-bit bitmaps ('#' black, '.' white) for messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Ddi.h"
#include "platform/StandIn.h"

namespace enginetest {

class TestBitmap {
public:
    TestBitmap(LONG cx, LONG cy, ULONG format = BMF_1BPP, FLONG fl = BMF_TOPDOWN, LONG rowBytes = 0,
               void* bits = nullptr)
        : handle_(EngCreateBitmap(SIZEL{cx, cy}, rowBytes, format, fl, bits)),
          so_(handle_ == nullptr ? nullptr : EngLockSurface(handle_)) {}
    ~TestBitmap() {
        if (so_ != nullptr) EngUnlockSurface(so_);
        if (handle_ != nullptr) EngDeleteSurface(handle_);
    }
    TestBitmap(const TestBitmap&) = delete;
    TestBitmap& operator=(const TestBitmap&) = delete;

    HSURF handle() const { return handle_; }
    SURFOBJ* so() const { return so_; }
    const BYTE* Row(LONG y) const { return static_cast<const BYTE*>(so_->pvScan0) + y * so_->lDelta; }
    BYTE* Row(LONG y) { return static_cast<BYTE*>(so_->pvScan0) + y * so_->lDelta; }

    /// 1-bit bitmaps: a set bit is white.
    bool White(LONG x, LONG y) const { return (Row(y)[x / 8] & (0x80 >> (x % 8))) != 0; }
    void Set(LONG x, LONG y, bool white) {
        const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
        Row(y)[x / 8] = static_cast<BYTE>(white ? Row(y)[x / 8] | bit : Row(y)[x / 8] & ~bit);
    }
    /// Every pixel of the bitmap white (or black), padding included.
    void Clear(bool white) {
        for (LONG y = 0; y < so_->sizlBitmap.cy; ++y)
            for (LONG i = 0; i < std::abs(so_->lDelta); ++i) Row(y)[i] = white ? 0xFF : 0x00;
    }
    /// Loads a picture: one string per row, '#' black, anything else white.
    void Draw(const std::vector<std::string>& rows) {
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; x < rows[y].size(); ++x)
                Set(static_cast<LONG>(x), static_cast<LONG>(y), rows[y][x] != '#');
    }
    std::vector<std::string> Picture() const {
        std::vector<std::string> rows;
        for (LONG y = 0; y < so_->sizlBitmap.cy; ++y) {
            std::string row;
            for (LONG x = 0; x < so_->sizlBitmap.cx; ++x) row += White(x, y) ? '.' : '#';
            rows.push_back(row);
        }
        return rows;
    }
    /// Black pixels inside r (clipped to the bitmap).
    int CountBlack(RECTL r) const {
        int n = 0;
        for (LONG y = std::max(0, r.top); y < std::min(so_->sizlBitmap.cy, r.bottom); ++y)
            for (LONG x = std::max(0, r.left); x < std::min(so_->sizlBitmap.cx, r.right); ++x) n += White(x, y) ? 0 : 1;
        return n;
    }
    int CountBlack() const { return CountBlack(RECTL{0, 0, so_->sizlBitmap.cx, so_->sizlBitmap.cy}); }

private:
    HSURF handle_;
    SURFOBJ* so_;
};

/// A driver hook as the engine's table holds it (through void (*)(), which every function
/// pointer converts to and back).
template <typename Hook>
PFN AsPfn(Hook hook) {
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(hook));
}

/// The raw value of a pixel of an engine bitmap of any drawable format: 0/1, a gray byte,
/// or 0x00RRGGBB (blue first in memory).
inline ULONG RawPixel(const SURFOBJ* so, LONG x, LONG y) {
    const BYTE* row = static_cast<const BYTE*>(so->pvScan0) + static_cast<ptrdiff_t>(y) * so->lDelta;
    switch (so->iBitmapFormat) {
        case BMF_1BPP: return (row[x / 8] >> (7 - x % 8)) & 1u;
        case BMF_8BPP: return row[x];
        case BMF_24BPP: return row[x * 3] | (row[x * 3 + 1] << 8) | (static_cast<ULONG>(row[x * 3 + 2]) << 16);
        default: return row[x * 4] | (row[x * 4 + 1] << 8) | (static_cast<ULONG>(row[x * 4 + 2]) << 16);
    }
}

/// Checks that a test leaves no engine object behind.
class EngineLeakTest : public ::testing::Test {
protected:
    void SetUp() override {
        objects_ = standin::engine::LiveDrawingObjectCount();
        surfaces_ = standin::engine::LiveSurfaceCount();
        blocks_ = standin::engine::LiveAllocationCount();
    }
    void TearDown() override {
        EXPECT_EQ(objects_, standin::engine::LiveDrawingObjectCount());
        EXPECT_EQ(surfaces_, standin::engine::LiveSurfaceCount());
        EXPECT_EQ(blocks_, standin::engine::LiveAllocationCount());
    }

private:
    unsigned objects_ = 0, surfaces_ = 0, blocks_ = 0;
};

inline BRUSHOBJ SolidBrush(ULONG color) { return BRUSHOBJ{color, nullptr, 0}; }
inline constexpr ULONG kBlack = 0x000000;
inline constexpr ULONG kWhite = 0xFFFFFF;

/// The rows joined for a failure message.
inline std::string Show(const std::vector<std::string>& rows) {
    std::string text = "\n";
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

}  // namespace enginetest
