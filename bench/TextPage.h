#pragma once
// A Letter page of prose as the band writer sends it (1 bit a dot, a set bit black), drawn
// by the bench itself: each letter a few strokes (stems, bowls, arches, diagonals) of a round
// pen, so edges slant and curve as type does and rows rarely repeat the row above the way
// an enlarged bitmap font's would. 10.5-point type on 13.5-point lines, ragged right, one-inch
// margins: about 9 to 10 % of the dots black at any resolution.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

namespace kvbench {

struct TextPage {
    int dpi = 0;
    uint32_t rowBytes = 0;
    uint32_t rows = 0;
    std::vector<uint8_t> bits;  // rows * rowBytes
    double blackFraction = 0;
};

namespace textpage {

// Heights in em: x-height, ascender, descender (below the baseline), capital scale.
constexpr double kX = 0.46, kA = 0.70, kD = -0.21, kCapScale = 1.45;

struct Stroke {
    enum Kind { Line, Arc } kind;
    double a, b, c, d, e = 0, f = 0;  // Line: x0 y0 x1 y1; Arc: cx cy rx ry from to (degrees)
};
struct Shape {
    double advance;
    std::vector<Stroke> strokes;
};

inline Stroke L(double x0, double y0, double x1, double y1) { return {Stroke::Line, x0, y0, x1, y1}; }
inline Stroke A(double cx, double cy, double rx, double ry, double from = 0, double to = 360) {
    return {Stroke::Arc, cx, cy, rx, ry, from, to};
}

inline Shape ShapeOf(char c) {
    switch (c) {
        case 'a': return {0.50, {A(0.25, 0.13, 0.17, 0.13), L(0.42, 0, 0.42, 0.34), A(0.25, 0.33, 0.17, 0.12, 10, 160)}};
        case 'b': return {0.52, {L(0.08, 0, 0.08, kA), A(0.28, 0.23, 0.2, 0.23)}};
        case 'c': return {0.46, {A(0.26, 0.23, 0.2, 0.23, 40, 320)}};
        case 'd': return {0.52, {A(0.24, 0.23, 0.2, 0.23), L(0.44, 0, 0.44, kA)}};
        case 'e': return {0.50, {A(0.26, 0.23, 0.2, 0.23, 0, 320), L(0.06, 0.23, 0.46, 0.23)}};
        case 'f': return {0.32, {L(0.15, 0, 0.15, 0.6), A(0.27, 0.6, 0.12, 0.1, 0, 180), L(0.02, kX, 0.3, kX)}};
        case 'g': return {0.50, {A(0.24, 0.25, 0.19, 0.21), L(0.43, -0.1, 0.43, kX), A(0.24, -0.1, 0.19, 0.11, 180, 360)}};
        case 'h': return {0.52, {L(0.08, 0, 0.08, kA), A(0.26, 0.28, 0.18, 0.18, 0, 180), L(0.44, 0, 0.44, 0.28)}};
        case 'i': return {0.22, {L(0.1, 0, 0.1, kX), L(0.1, 0.63, 0.1, 0.64)}};
        case 'j': return {0.24, {L(0.14, -0.1, 0.14, kX), L(0.14, 0.63, 0.14, 0.64), A(0.03, -0.1, 0.11, 0.1, 180, 360)}};
        case 'k': return {0.48, {L(0.08, 0, 0.08, kA), L(0.4, kX, 0.08, 0.17), L(0.18, 0.25, 0.44, 0)}};
        case 'l': return {0.22, {L(0.1, 0, 0.1, kA)}};
        case 'm': return {0.70, {L(0.07, 0, 0.07, kX), A(0.2, 0.3, 0.13, 0.16, 0, 180), L(0.33, 0, 0.33, 0.3),
                                 A(0.46, 0.3, 0.13, 0.16, 0, 180), L(0.59, 0, 0.59, 0.3)}};
        case 'n': return {0.52, {L(0.08, 0, 0.08, kX), A(0.26, 0.28, 0.18, 0.18, 0, 180), L(0.44, 0, 0.44, 0.28)}};
        case 'o': return {0.52, {A(0.26, 0.23, 0.2, 0.23)}};
        case 'p': return {0.52, {L(0.08, kD, 0.08, kX), A(0.28, 0.23, 0.2, 0.23)}};
        case 'q': return {0.52, {A(0.24, 0.23, 0.2, 0.23), L(0.44, kD, 0.44, kX)}};
        case 'r': return {0.34, {L(0.08, 0, 0.08, kX), A(0.24, 0.28, 0.16, 0.16, 30, 180)}};
        case 's': return {0.42, {A(0.21, 0.35, 0.14, 0.11, 20, 270), A(0.21, 0.12, 0.15, 0.12, -150, 90)}};
        case 't': return {0.32, {L(0.14, 0.04, 0.14, 0.6), L(0.02, kX, 0.3, kX), A(0.24, 0.08, 0.1, 0.08, 180, 300)}};
        case 'u': return {0.52, {L(0.08, 0.18, 0.08, kX), A(0.26, 0.18, 0.18, 0.18, 180, 360), L(0.44, 0, 0.44, kX)}};
        case 'v': return {0.48, {L(0.02, kX, 0.24, 0), L(0.24, 0, 0.46, kX)}};
        case 'w': return {0.70, {L(0.02, kX, 0.18, 0), L(0.18, 0, 0.35, kX), L(0.35, kX, 0.52, 0), L(0.52, 0, 0.68, kX)}};
        case 'x': return {0.46, {L(0.03, kX, 0.43, 0), L(0.03, 0, 0.43, kX)}};
        case 'y': return {0.48, {L(0.02, kX, 0.24, 0), L(0.46, kX, 0.12, kD)}};
        case 'z': return {0.44, {L(0.04, kX, 0.4, kX), L(0.4, kX, 0.04, 0), L(0.04, 0, 0.4, 0)}};
        case '.': return {0.24, {L(0.1, 0.02, 0.1, 0.03)}};
        case ',': return {0.24, {L(0.1, 0.03, 0.06, -0.1)}};
        case '-': return {0.32, {L(0.04, 0.22, 0.26, 0.22)}};
        case ' ': return {0.26, {}};
        default: return {0.52, {A(0.26, 0.23, 0.2, 0.23)}};
    }
}

/// One glyph drawn at `em` dots: a byte a dot, `top` rows above the baseline.
struct Glyph {
    int width = 0, height = 0, top = 0, advance = 0;
    std::vector<uint8_t> ink;
};

inline Glyph Draw(char c, double em) {
    const bool capital = c >= 'A' && c <= 'Z';
    const Shape shape = ShapeOf(capital ? static_cast<char>(c - 'A' + 'a') : c);
    const double ys = capital ? kCapScale : 1.0;
    const double pen = 0.036 * em;  // half the stroke width
    Glyph g;
    g.advance = static_cast<int>(std::lround(shape.advance * em * (capital ? 1.2 : 1.0)));
    g.width = g.advance + static_cast<int>(2 * pen) + 2;
    g.top = static_cast<int>(std::ceil(kA * ys * em + pen)) + 1;
    g.height = g.top + static_cast<int>(std::ceil(-kD * em + pen)) + 1;
    g.ink.assign(static_cast<size_t>(g.width) * g.height, 0);
    const double xs = capital ? 1.2 : 1.0;
    // Stamps a disc of the pen's radius at every half dot along the stroke.
    const auto stamp = [&](double x, double y) {
        const double px = x * xs * em + pen, py = g.top - y * ys * em;
        const int r = static_cast<int>(std::ceil(pen));
        for (int dy = -r; dy <= r; ++dy) {
            const int row = static_cast<int>(std::lround(py)) + dy;
            if (row < 0 || row >= g.height) continue;
            const double half = std::sqrt(std::max(0.0, pen * pen - dy * dy));
            const int x0 = std::max(0, static_cast<int>(std::lround(px - half)));
            const int x1 = std::min(g.width - 1, static_cast<int>(std::lround(px + half)));
            for (int col = x0; col <= x1; ++col) g.ink[static_cast<size_t>(row) * g.width + col] = 1;
        }
    };
    for (const Stroke& s : shape.strokes) {
        if (s.kind == Stroke::Line) {
            const double length = std::hypot(s.c - s.a, s.d - s.b) * em + 1;
            const int steps = static_cast<int>(length * 2) + 1;
            for (int i = 0; i <= steps; ++i) {
                const double t = static_cast<double>(i) / steps;
                stamp(s.a + (s.c - s.a) * t, s.b + (s.d - s.b) * t);
            }
        } else {
            const double kPi = 3.14159265358979;
            const double sweep = (s.f - s.e) * kPi / 180;
            const int steps = static_cast<int>(std::fabs(sweep) * std::max(s.c, s.d) * em * 2) + 4;
            for (int i = 0; i <= steps; ++i) {
                const double a = s.e * kPi / 180 + sweep * i / steps;
                stamp(s.a + s.c * std::cos(a), s.b + s.d * std::sin(a));
            }
        }
    }
    return g;
}

constexpr std::string_view kProse =
    "It was late in the afternoon when the printer in the corner of the office began to work again, "
    "slowly at first and then with the steady rhythm of a machine that has found its pace. Nobody looked "
    "up. The reports for the quarterly meeting were coming out page after page, each one a column of "
    "figures framed by paragraphs of careful prose, and the people who had written them were already "
    "thinking about something else. Outside, the rain had stopped, and the light on the wet street was "
    "the colour of old paper. Somewhere a door closed, a telephone rang twice and fell silent, and the "
    "clock above the filing cabinets moved on towards five. In the quiet that followed, the only sound "
    "was the soft turning of the rollers and the small click of each sheet landing in the tray. ";

}  // namespace textpage

/// The page at `dpi` dots per inch, 8.5 x 11 inches.
inline TextPage MakeTextPage(int dpi) {
    using namespace textpage;
    TextPage page;
    page.dpi = dpi;
    const int widthDots = dpi * 17 / 2;
    page.rowBytes = static_cast<uint32_t>((widthDots + 31) / 32 * 4);
    page.rows = static_cast<uint32_t>(dpi * 11);
    page.bits.assign(static_cast<size_t>(page.rowBytes) * page.rows, 0);
    const double em = 10.5 / 72.0 * dpi;
    const int lineStep = static_cast<int>(std::lround(13.5 / 72.0 * dpi));
    std::map<char, Glyph> glyphs;
    const auto glyph = [&](char c) -> const Glyph& {
        auto it = glyphs.find(c);
        if (it == glyphs.end()) it = glyphs.emplace(c, Draw(c, em)).first;
        return it->second;
    };
    const int left = dpi, right = widthDots - dpi;
    size_t next = 0;
    for (int baseline = dpi + lineStep; baseline + lineStep < static_cast<int>(page.rows) - dpi; baseline += lineStep) {
        int x = left;
        // Whole words while they fit: the line breaks ragged, as prose set flush left does.
        while (true) {
            size_t end = kProse.find(' ', next % kProse.size());
            if (end == std::string_view::npos) end = kProse.size();
            const std::string_view word = kProse.substr(next % kProse.size(), end - next % kProse.size() + 1);
            int width = 0;
            for (char c : word) width += glyph(c).advance;
            if (x + width > right) break;
            for (char c : word) {
                const Glyph& g = glyph(c);
                for (int gy = 0; gy < g.height; ++gy) {
                    uint8_t* row = page.bits.data() + static_cast<size_t>(baseline - g.top + gy) * page.rowBytes;
                    const uint8_t* ink = g.ink.data() + static_cast<size_t>(gy) * g.width;
                    for (int gx = 0; gx < g.width; ++gx)
                        if (ink[gx] != 0) row[(x + gx) >> 3] |= static_cast<uint8_t>(0x80 >> ((x + gx) & 7));
                }
                x += g.advance;
            }
            next += word.size();
        }
    }
    size_t black = 0;
    for (uint8_t b : page.bits) black += static_cast<size_t>(__builtin_popcount(b));
    page.blackFraction = static_cast<double>(black) / (static_cast<double>(page.bits.size()) * 8);
    return page;
}

}  // namespace kvbench
