// Pictures: the PNG holds exactly the window's pixels (read back with a small reader of
// stored deflate blocks), and windows drawn through their DCs land in the picture.
#include <cstring>

#include "tests/platform_drawing/DrawingFixture.h"

#include "platform/Kernel.h"
#include "platform/User.h"

namespace uiparts {
namespace {

using PictureTest = UiTest;

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// Reads an 8-bit RGB PNG whose IDAT is a zlib stream of stored blocks; returns the pixels as
// B, G, R rows, or empty pixels on anything it does not expect.
standin::ui::Pixels DecodeStoredPng(const std::vector<uint8_t>& png) {
    standin::ui::Pixels out;
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), signature, 8) != 0) return {};
    std::vector<uint8_t> z;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = Be32(png, at);
        if (at + 12 + length > png.size()) return {};
        const std::string type(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8);
        const uint8_t* data = png.data() + at + 8;
        if (type == "IHDR") {
            out.width = static_cast<int>(Be32(png, at + 8));
            out.height = static_cast<int>(Be32(png, at + 12));
            if (data[8] != 8 || data[9] != 2) return {};
        } else if (type == "IDAT") {
            z.insert(z.end(), data, data + length);
        }
        at += 12 + length;
    }
    std::vector<uint8_t> raw;
    size_t pos = 2;  // after the zlib header
    for (bool last = false; !last;) {
        if (pos + 5 > z.size()) return {};
        last = z[pos] & 1;
        if ((z[pos] >> 1) != 0) return {};  // only stored blocks
        const size_t n = static_cast<size_t>(z[pos + 1] | (z[pos + 2] << 8));
        if (static_cast<size_t>((z[pos + 3] | (z[pos + 4] << 8)) ^ 0xFFFF) != n || pos + 5 + n > z.size()) return {};
        raw.insert(raw.end(), z.begin() + static_cast<long>(pos) + 5, z.begin() + static_cast<long>(pos + 5 + n));
        pos += 5 + n;
    }
    const size_t stride = static_cast<size_t>(out.width) * 3 + 1;
    if (raw.size() != stride * static_cast<size_t>(out.height)) return {};
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* p = &raw[static_cast<size_t>(y) * stride + 1 + static_cast<size_t>(x) * 3];
            out.bgr.insert(out.bgr.end(), {p[2], p[1], p[0]});
        }
    }
    return out;
}

TEST_F(PictureTest, PngDecodesBackToThePixels) {
    // Wide enough that the image data needs more than one stored block.
    standin::ui::Pixels pixels;
    pixels.width = 200;
    pixels.height = 120;
    for (int i = 0; i < pixels.width * pixels.height; ++i)
        pixels.bgr.insert(pixels.bgr.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 7});
    const std::vector<uint8_t> png = standin::ui::EncodePng(pixels);
    const standin::ui::Pixels back = DecodeStoredPng(png);
    EXPECT_EQ(back.width, 200);
    EXPECT_EQ(back.height, 120);
    EXPECT_EQ(back.bgr, pixels.bgr);
    // The closing chunk carries the well-known CRC of "IEND".
    ASSERT_GE(png.size(), 4u);
    EXPECT_EQ(Be32(png, png.size() - 4), 0xAE426082u);
}

LRESULT PaintingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r{2, 2, 12, 12};
        HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class WindowPictureTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PaintingProc;
        wc.lpszClassName = u"DrawingPainter";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        ASSERT_NE(RegisterClassExW(&wc), 0);
        hwnd_ = CreateWindowExW(0, u"DrawingPainter", u"Picture", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100,
                                120, 80, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
    }
    HWND hwnd_ = nullptr;
};

TEST_F(WindowPictureTest, PaintedClientAreaLandsInTheSavedPicture) {
    kvtest::TempFolder folder;
    const std::string path = folder.Path() + "/window.png";
    ASSERT_TRUE(standin::ui::SavePicture(hwnd_, path));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> png;
    for (int c; (c = std::fgetc(f)) != EOF;) png.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    const standin::ui::Pixels picture = DecodeStoredPng(png);
    EXPECT_EQ(picture.bgr, standin::ui::WindowPixels(hwnd_).bgr);

    RECT window{};
    GetWindowRect(hwnd_, &window);
    POINT client{0, 0};
    ClientToScreen(hwnd_, &client);
    const int dx = client.x - window.left, dy = client.y - window.top;
    EXPECT_EQ(picture.width, window.right - window.left);
    EXPECT_EQ(picture.At(dx + 5, dy + 5), RGB(255, 0, 0));  // painted
    EXPECT_EQ(picture.At(dx + 20, dy + 20), GetSysColor(COLOR_WINDOW));  // erased by the class brush
    EXPECT_EQ(picture.At(window.right - window.left - 10, 4), GetSysColor(COLOR_ACTIVECAPTION));

    bool filled = false;
    for (const standin::ui::DrawCall& call : standin::ui::DrawLog(hwnd_))
        filled = filled || call.ToString() == "FillRect(2,2,12,12," + std::to_string(RGB(255, 0, 0)) + ")";
    EXPECT_TRUE(filled);
}

TEST_F(WindowPictureTest, DestroyedWindowsRefuseDcsAndPictures) {
    HDC dc = GetDC(hwnd_);
    ASSERT_NE(dc, nullptr);
    DestroyWindow(hwnd_);
    EXPECT_FALSE(Rectangle(dc, 0, 0, 4, 4)) << "drawing on a DC whose window is gone";
    EXPECT_EQ(ReleaseDC(hwnd_, dc), 1);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetDC(hwnd_), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(standin::ui::SavePicture(hwnd_, "/nonexistent/x.png"));
    EXPECT_TRUE(standin::ui::PaintWindow(hwnd_).bgr.empty());
}

}  // namespace
}  // namespace uiparts
