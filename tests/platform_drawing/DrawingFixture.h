#pragma once
// Shared fixture of the drawing, picture and shell tests: a fresh stand-in root, no windows,
// empty drawing logs and shell records, the default display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/StandInDraw.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "platform/WinGdi.h"
#include "tests/support/TestRoot.h"

namespace uiparts {

class UiTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::ui::ResetUi();
        standin::ui::ResetShell();
        standin::ui::ClearDrawLogs();
        standin::ui::SetDisplayCaps({});
        liveObjects_ = standin::ui::LiveGdiObjectCount();
        liveDcs_ = standin::ui::LiveDcCount();
    }
    void TearDown() override {
        standin::ui::ResetUi();
        // Every test gives back what it made.
        EXPECT_EQ(standin::ui::LiveGdiObjectCount(), liveObjects_);
        EXPECT_EQ(standin::ui::LiveDcCount(), liveDcs_);
        StandInTest::TearDown();
    }

    unsigned liveObjects_ = 0;
    unsigned liveDcs_ = 0;
};

/// A memory DC holding a width x height colour bitmap filled with one colour; both freed
/// with it.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255), UINT bits = 24) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateBitmap(width, height, 1, bits, nullptr);
        old_ = SelectObject(dc_, bitmap_);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    COLORREF At(int x, int y) const { return standin::ui::BitmapPixels(bitmap_).At(x, y); }
    /// One character per pixel of the row: '#' for the colour, '.' for anything else.
    std::string Row(int y, int x0, int x1, COLORREF color) const {
        std::string out;
        for (int x = x0; x < x1; ++x) out += At(x, y) == color ? '#' : '.';
        return out;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace uiparts
