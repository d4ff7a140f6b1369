#pragma once
// A vector-mode device for the bitmap hooks and writers: the flow tests' hand-built PDEV with
// the bitmap work record as the device's enable prepares it, the job header and scale already
// sent, and 1-bit engine bitmaps with hand-made colour tables.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/Ddi.h"
#include "render/Pdev.h"
#include "tests/render_flow/FlowFixture.h"

namespace bitmaptest {

inline constexpr ULONG kBlack = 0x000000;
inline constexpr ULONG kWhite = 0xFFFFFF;

/// A colour translation with a table, as the engine hands one to the hooks.
class Palette {
public:
    Palette(std::initializer_list<ULONG> entries) : entries_(entries) {
        xlate_.flXlate = XO_TABLE;
        xlate_.cEntries = static_cast<ULONG>(entries_.size());
        xlate_.pulXlate = entries_.data();
    }
    XLATEOBJ* get() { return &xlate_; }

private:
    std::vector<ULONG> entries_;
    XLATEOBJ xlate_{};
};

/// An engine bitmap owned by the test; rows are written top row first whatever its direction.
class EngineBitmap {
public:
    EngineBitmap(LONG width, LONG height, ULONG format = BMF_1BPP, bool topDown = true, LONG rowStep = 0);
    ~EngineBitmap();
    EngineBitmap(const EngineBitmap&) = delete;
    EngineBitmap& operator=(const EngineBitmap&) = delete;
    SURFOBJ* get() const { return surface_; }
    /// Row r (0 = top): bytes from its first byte.
    void SetRow(LONG r, const std::vector<BYTE>& bytes);
    BYTE* Row(LONG r) const;

private:
    HSURF handle_ = nullptr;
    SURFOBJ* surface_ = nullptr;
};

class BitmapTest : public flowtest::FlowTest {
protected:
    void SetUp() override;
    void TearDown() override;
    /// A fresh device (dpi, pages per sheet); the one before is dropped.
    void MakeVectorDevice(SHORT dpi = 600, WORD pagesPerSheet = 1);
    PDEV* Pdev() { return device_->pdev(); }
    SURFOBJ* Target() { return device_->surface(); }
    std::vector<BYTE> Written() { return device_->Buffered(); }
    void ClearWritten() { device_->ClearBuffer(); }
    /// The whole-page clip reset the writers send before each piece, from a fresh position.
    std::vector<BYTE> PageClipReset();
    /// The printer-side position command for a point of the page.
    static std::vector<BYTE> Position(LONG x, LONG y);

    std::unique_ptr<flowtest::TestDevice> device_;
    RasterWorkRecord work_{};
};

}  // namespace bitmaptest
