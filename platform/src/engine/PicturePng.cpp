// Pictures of windows: the top-level window and its visible children composed into one
// 24-bit image (frames, captions and each window's client pixels), written as a PNG with
// stored deflate blocks and its own CRC-32 and Adler-32.
#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "platform/src/engine/WinGdiState.h"

namespace standin::gdi {

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[5], const std::vector<uint8_t>& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// Window pixels composed into a bitmap surface.
struct Composer {
    Surface image;
    POINT origin{};  // the top-level window's screen corner

    void Blit(const ui::Surface& pixels, POINT screen) {
        for (LONG y = 0; y < pixels.height; ++y) {
            for (LONG x = 0; x < pixels.width; ++x) {
                const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(pixels.width) + static_cast<size_t>(x)) * 3;
                image.Set(screen.x - origin.x + x, screen.y - origin.y + y,
                          RGB(pixels.bgr[i + 2], pixels.bgr[i + 1], pixels.bgr[i]));
            }
        }
    }

    void Fill(RECT screen, COLORREF color) {
        for (LONG y = screen.top; y < screen.bottom; ++y)
            for (LONG x = screen.left; x < screen.right; ++x) image.Set(x - origin.x, y - origin.y, color);
    }

    // The band between a window's rectangle and its client area: frame, edge and caption.
    void Frame(HWND hwnd, bool topLevel) {
        RECT window{}, client{};
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        POINT corner{0, 0};
        ClientToScreen(hwnd, &corner);
        const RECT inner{corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
        if (EqualRect(&window, &inner)) return;
        const auto style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
        Fill(window, topLevel ? SysColor(COLOR_BTNFACE) : SysColor(COLOR_WINDOW));
        // An outline: dark for a plain border, the shadow colour for sunken edges.
        const COLORREF line = (exStyle & WS_EX_CLIENTEDGE) ? SysColor(COLOR_BTNSHADOW) : RGB(0, 0, 0);
        Fill({window.left, window.top, window.right, window.top + 1}, line);
        Fill({window.left, window.top, window.left + 1, window.bottom}, line);
        Fill({window.left, window.bottom - 1, window.right, window.bottom}, topLevel ? RGB(0, 0, 0) : SysColor(COLOR_BTNHIGHLIGHT));
        Fill({window.right - 1, window.top, window.right, window.bottom}, topLevel ? RGB(0, 0, 0) : SysColor(COLOR_BTNHIGHLIGHT));
        if ((style & WS_CAPTION) == WS_CAPTION && inner.top - window.top > 4) {
            const RECT bar{window.left + 3, window.top + 3, window.right - 3, inner.top - 1};
            Fill(bar, SysColor(COLOR_ACTIVECAPTION));
            WCHAR title[256]{};
            const int n = GetWindowTextW(hwnd, title, 256);
            FontMetrics m;
            m.height = std::min<int>(16, bar.bottom - bar.top);
            m.ascent = m.height * 7 / 8;
            m.bold = true;
            Target t{image.View(), {-origin.x, -origin.y}, {0, 0, image.width, image.height}};
            DrawGlyphs(t, m, bar.left + 4, bar.top + (bar.bottom - bar.top - m.height) / 2, title, n,
                       SysColor(COLOR_CAPTIONTEXT));
        }
    }

    void Window(HWND hwnd, bool topLevel) {
        Frame(hwnd, topLevel);
        if (ui::Surface* pixels = ui::WindowSurface(hwnd)) {
            POINT corner{0, 0};
            ClientToScreen(hwnd, &corner);
            Blit(*pixels, corner);
        }
        // Children bottom of the Z order first, so that the top ones cover them; a group
        // box draws only its frame and caption, so it goes under its siblings.
        std::vector<HWND> children;
        for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        std::reverse(children.begin(), children.end());
        std::stable_partition(children.begin(), children.end(), [](HWND c) {
            WCHAR name[16]{};
            GetClassNameW(c, name, 16);
            return lstrcmpiW(name, u"Button") == 0 &&
                   (static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE)) & BS_TYPEMASK) == BS_GROUPBOX;
        });
        for (HWND c : children) {
            if (static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE)) & WS_VISIBLE) Window(c, false);
        }
    }
};

ui::Pixels Compose(HWND hwnd) {
    RECT window{};
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &window)) return {};
    Composer c;
    c.origin = {window.left, window.top};
    c.image.Resize(window.right - window.left, window.bottom - window.top, SysColor(COLOR_BTNFACE));
    c.Window(hwnd, true);
    return {c.image.width, c.image.height, std::move(c.image.bgr)};
}

}  // namespace

}  // namespace standin::gdi

namespace standin::ui {

std::vector<uint8_t> EncodePng(const Pixels& pixels) {
    using namespace standin::gdi;
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, static_cast<uint32_t>(pixels.width));
    PutBe32(header, static_cast<uint32_t>(pixels.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter choice, no interlace
    PutChunk(png, "IHDR", header);
    // Scanlines: filter byte 0, then R, G, B per pixel.
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(pixels.height) * (static_cast<size_t>(pixels.width) * 3 + 1));
    for (int y = 0; y < pixels.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < pixels.width; ++x) {
            const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(pixels.width) + static_cast<size_t>(x)) * 3;
            raw.insert(raw.end(), {pixels.bgr[i + 2], pixels.bgr[i + 1], pixels.bgr[i]});
        }
    }
    // A zlib stream of stored blocks of at most 65535 bytes each.
    std::vector<uint8_t> z{0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                           static_cast<uint8_t>(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    PutBe32(z, Adler32(raw));
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});
    return png;
}

Pixels WindowPixels(HWND hwnd) { return gdi::Compose(hwnd); }

Pixels PaintWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) return {};
    Paint(hwnd);
    return gdi::Compose(hwnd);
}

bool SavePicture(HWND hwnd, const std::string& linuxPath) {
    const Pixels pixels = PaintWindow(hwnd);
    if (pixels.width <= 0 || pixels.height <= 0) return false;
    const std::vector<uint8_t> png = EncodePng(pixels);
    FILE* f = std::fopen(linuxPath.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace standin::ui
