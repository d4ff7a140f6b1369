// Fonts and text: the fixed metric, glyphs from a Unifont .hex file (boxes without one),
// TextOutW, ExtTextOutW, DrawTextW and the measuring calls.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_map>

#include "platform/Kernel.h"
#include "platform/src/engine/WinGdiState.h"

namespace standin::gdi {

namespace {

// Glyph rows of 16 pixels: 8 or 16 columns, one bit per pixel, high bit leftmost.
struct Glyph {
    int columns = 8;
    uint16_t rows[16]{};
};

struct GlyphStore {
    std::mutex lock;
    bool chosen = false;  // the file has been picked (and read, when there is one)
    std::string path;
    std::unordered_map<char16_t, Glyph> glyphs;
};

GlyphStore& Glyphs() {
    static GlyphStore* store = new GlyphStore;
    return *store;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Lines "XXXX:<32 or 64 hex digits>"; anything else (planes above the first, damaged
// lines) is skipped.
void ReadHexFile(GlyphStore& g) {
    std::ifstream in(g.path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 5 + 32 || line[4] != ':') continue;
        int code = 0;
        bool ok = true;
        for (int i = 0; i < 4 && ok; ++i) {
            const int v = HexValue(line[static_cast<size_t>(i)]);
            ok = v >= 0;
            code = code * 16 + v;
        }
        const size_t digits = line.size() - 5 - (line.back() == '\r' ? 1 : 0);
        if (!ok || (digits != 32 && digits != 64)) continue;
        Glyph glyph;
        glyph.columns = digits == 32 ? 8 : 16;
        const size_t perRow = digits / 16;
        for (size_t r = 0; r < 16 && ok; ++r) {
            unsigned bits = 0;
            for (size_t k = 0; k < perRow; ++k) {
                const int v = HexValue(line[5 + r * perRow + k]);
                ok = v >= 0;
                bits = bits * 16 + static_cast<unsigned>(v);
            }
            glyph.rows[r] = static_cast<uint16_t>(bits);
        }
        if (ok) g.glyphs[static_cast<char16_t>(code)] = glyph;
    }
}

const Glyph* FindGlyph(char16_t c) {
    GlyphStore& g = Glyphs();
    std::lock_guard<std::mutex> guard(g.lock);
    if (!g.chosen) {
        g.chosen = true;
        for (const char* candidate : {"/usr/share/unifont/unifont.hex", "/usr/share/fonts/unifont/unifont.hex",
                                      "/usr/local/share/unifont/unifont.hex"}) {
            if (std::ifstream(candidate).good()) {
                g.path = candidate;
                break;
            }
        }
        if (!g.path.empty()) ReadHexFile(g);
    }
    auto it = g.glyphs.find(c);
    return it == g.glyphs.end() ? nullptr : &it->second;
}

bool IsWide(char16_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

// Whether any design pixel under screen pixel (column, row) of a cell `width` x `height` is
// ink: a small cell keeps every stroke of the 16-row design (nearest sampling dropped the
// one-pixel stems and bars of letters such as "t" and "e").
bool GlyphBoxInked(const Glyph& g, int row, int height, int column, int width) {
    const int firstRow = row * 16 / height;
    const int endRow = std::max(firstRow + 1, (row + 1) * 16 / height);
    const int firstColumn = column * g.columns / width;
    const int endColumn = std::max(firstColumn + 1, (column + 1) * g.columns / width);
    for (int r = firstRow; r < endRow && r < 16; ++r) {
        for (int c = firstColumn; c < endColumn && c < g.columns; ++c) {
            if (g.rows[r] & (1u << (g.columns - 1 - c))) return true;
        }
    }
    return false;
}

// The row of a mnemonic's underline: the first screen row below every design row of the
// letters (rows 0-13 of the 16-row design; 14 and 15 hold only descenders), so that the
// line shows under the letter instead of merging into its foot.
int UnderlineRow(const FontMetrics& m) { return std::min(m.height - 1, (m.height * 14 + 15) / 16); }

}  // namespace

FontMetrics MetricsOf(State& s, const Dc& dc) {
    FontMetrics m;
    const Object* f = FindObject(s, dc.state.font, Kind::Font);
    if (!f) return m;
    m.height = f->font.lfHeight == 0 ? 16 : std::min(std::abs(f->font.lfHeight), 512);
    m.ascent = m.height * 7 / 8;
    m.bold = f->font.lfWeight >= FW_BOLD;
    return m;
}

int CharWidth(const FontMetrics& m, char16_t c) {
    if (c == u'\t') return 0;  // tabs are expanded by DrawTextW only
    return (IsWide(c) ? m.height : m.height / 2) + (m.bold ? 1 : 0);
}

int TextWidth(const FontMetrics& m, const char16_t* text, int cch) {
    int w = 0;
    for (int i = 0; i < cch; ++i) w += CharWidth(m, text[i]);
    return w;
}

void DrawGlyphs(const Target& t, const FontMetrics& m, int x, int y, const char16_t* text, int cch, COLORREF color) {
    for (int i = 0; i < cch; ++i) {
        const char16_t c = text[i];
        const int cw = CharWidth(m, c) - (m.bold ? 1 : 0);
        if (c != u' ' && cw > 0) {
            const Glyph* g = FindGlyph(c);
            for (int pass = 0; pass < (m.bold ? 2 : 1); ++pass) {
                for (int j = 0; j < m.height; ++j) {
                    for (int k = 0; k < cw; ++k) {
                        bool on;
                        if (g) {
                            on = GlyphBoxInked(*g, j, m.height, k, cw);
                        } else {
                            // No glyph: a hollow box inside the cell.
                            const int top = m.height / 8, bottom = m.ascent - 1;
                            on = (j >= top && j <= bottom) && (k >= 1 && k <= cw - 2) &&
                                 (j == top || j == bottom || k == 1 || k == cw - 2);
                        }
                        if (on) PlotPixel(t, x + k + pass, y + j, color, R2_COPYPEN);
                    }
                }
            }
        }
        x += CharWidth(m, c);
    }
}

}  // namespace standin::gdi

using namespace standin::gdi;

namespace {

template <typename R>
R Fail(R value) {
    SetLastError(ERROR_INVALID_HANDLE);
    return value;
}

int Length(LPCWSTR text, int cch) {
    if (!text) return 0;
    if (cch >= 0) return cch;
    int n = 0;
    while (text[n]) ++n;
    return n;
}

// Draws one run at a reference point placed by the DC's text alignment; advances the
// current position when TA_UPDATECP is set. dx (may be NULL) gives each character's advance.
void DrawRun(State& s, Dc& dc, const Target& t, int x, int y, const char16_t* text, int cch, const INT* dx,
             bool opaque) {
    const FontMetrics m = MetricsOf(s, dc);
    int width = 0;
    for (int i = 0; i < cch; ++i) width += dx ? dx[i] : CharWidth(m, text[i]);
    const UINT align = dc.state.align;
    if (align & TA_UPDATECP) {
        x = dc.state.pos.x;
        y = dc.state.pos.y;
    }
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER) left = x - width / 2;
    else if (align & TA_RIGHT) left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE) top = y - m.ascent;
    else if (align & TA_BOTTOM) top = y - m.height;
    if (opaque) FillArea(t, {left, top, left + width, top + m.height}, dc.state.bk, R2_COPYPEN);
    int pen = left;
    for (int i = 0; i < cch; ++i) {
        DrawGlyphs(t, m, pen, top, text + i, 1, dc.state.text);
        pen += dx ? dx[i] : CharWidth(m, text[i]);
    }
    if (align & TA_UPDATECP) {
        if ((align & TA_CENTER) == TA_CENTER) {
        } else if (align & TA_RIGHT) {
            dc.state.pos.x = left;
        } else {
            dc.state.pos.x = left + width;
        }
    }
}

}  // namespace

PLATFORM_API BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int cch) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    Target t;
    if (!dc || !ResolveTarget(s, *dc, &t)) return Fail<BOOL>(FALSE);
    if (cch < 0 || (cch > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Record(s, hdc, *dc, "TextOutW", {x, y}, std::u16string(text ? text : u"", static_cast<size_t>(cch)));
    DrawRun(s, *dc, t, x, y, text, cch, nullptr, dc->state.bkMode == OPAQUE);
    return TRUE;
}

PLATFORM_API BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT cch,
                              const INT* dx) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    Target t;
    if (!dc || !ResolveTarget(s, *dc, &t)) return Fail<BOOL>(FALSE);
    if (cch > 0 && !text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<long long> args{x, y, options};
    if (rect) args.insert(args.end(), {rect->left, rect->top, rect->right, rect->bottom});
    Record(s, hdc, *dc, "ExtTextOutW", std::move(args), std::u16string(text ? text : u"", cch));
    if (rect && (options & ETO_OPAQUE)) FillArea(t, *rect, dc->state.bk, R2_COPYPEN);
    Target clipped = t;
    if (rect && (options & ETO_CLIPPED)) {
        RECT c{rect->left + t.origin.x, rect->top + t.origin.y, rect->right + t.origin.x, rect->bottom + t.origin.y};
        if (!ClipRect(clipped.clip, c)) return TRUE;
    }
    DrawRun(s, *dc, clipped, x, y, text, static_cast<int>(cch), dx, !rect && dc->state.bkMode == OPAQUE);
    return TRUE;
}

PLATFORM_API BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int cch, SIZE* size) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<BOOL>(FALSE);
    if (!size || cch < 0 || (cch > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const FontMetrics m = MetricsOf(s, *dc);
    *size = {TextWidth(m, text, cch), m.height};
    return TRUE;
}

PLATFORM_API BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    if (!dc) return Fail<BOOL>(FALSE);
    if (!metrics) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const FontMetrics m = MetricsOf(s, *dc);
    const Object* f = FindObject(s, dc->state.font, Kind::Font);
    *metrics = {};
    metrics->tmHeight = m.height;
    metrics->tmAscent = m.ascent;
    metrics->tmDescent = m.height - m.ascent;
    metrics->tmAveCharWidth = m.height / 2 + (m.bold ? 1 : 0);
    metrics->tmMaxCharWidth = m.height + (m.bold ? 1 : 0);
    metrics->tmWeight = f && f->font.lfWeight ? f->font.lfWeight : FW_NORMAL;
    metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = s.display.logPixels;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFFFC;
    metrics->tmDefaultChar = u'?';
    metrics->tmBreakChar = u' ';
    metrics->tmItalic = f ? f->font.lfItalic : 0;
    metrics->tmUnderlined = f ? f->font.lfUnderline : 0;
    metrics->tmStruckOut = f ? f->font.lfStrikeOut : 0;
    metrics->tmCharSet = f ? f->font.lfCharSet : DEFAULT_CHARSET;
    return TRUE;
}

namespace {

struct Line {
    std::u16string text;
    int underline = -1;  // index of the character after a "&" prefix
};

Line StripPrefix(const std::u16string& raw, UINT format) {
    Line line;
    if (format & DT_NOPREFIX) {
        line.text = raw;
        return line;
    }
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'&' && i + 1 < raw.size()) {
            ++i;
            if (raw[i] != u'&' && !(format & DT_HIDEPREFIX)) line.underline = static_cast<int>(line.text.size());
        }
        line.text += raw[i];
    }
    return line;
}

// Splits into lines: at line feeds (unless single-line) and, with DT_WORDBREAK, before the
// word that would pass the right edge.
std::vector<Line> LayOut(const FontMetrics& m, const std::u16string& text, UINT format, int maxWidth) {
    std::vector<std::u16string> raw{u""};
    for (char16_t c : text) {
        if (c == u'\r') continue;
        if (c == u'\n' && !(format & DT_SINGLELINE)) raw.emplace_back();
        else if (c == u'\t' && (format & DT_EXPANDTABS)) raw.back() += u"        ";
        else raw.back() += c;
    }
    std::vector<Line> lines;
    for (const std::u16string& r : raw) {
        Line whole = StripPrefix(r, format);
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
            lines.push_back(whole);
            continue;
        }
        std::u16string rest = whole.text;
        while (!rest.empty()) {
            size_t fit = 0, lastBreak = std::u16string::npos;
            int w = 0;
            while (fit < rest.size() && w + CharWidth(m, rest[fit]) <= maxWidth) {
                w += CharWidth(m, rest[fit]);
                if (rest[fit] == u' ') lastBreak = fit;
                ++fit;
            }
            if (fit == rest.size()) {
                lines.push_back({rest, -1});
                break;
            }
            // Break after the last space; a word longer than the line is cut where it ends.
            size_t cut = lastBreak != std::u16string::npos ? lastBreak : std::max<size_t>(fit, 1);
            lines.push_back({rest.substr(0, cut), -1});
            rest = rest.substr(cut);
            while (!rest.empty() && rest[0] == u' ') rest.erase(0, 1);
        }
        if (whole.underline >= 0 && !lines.empty()) lines.back().underline = -1;
    }
    return lines;
}

}  // namespace

PLATFORM_API int DrawTextW(HDC hdc, LPCWSTR text, int cch, RECT* rect, UINT format) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    Target t;
    if (!dc || !ResolveTarget(s, *dc, &t)) return Fail<int>(0);
    if (!rect || (cch != 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string all(text ? text : u"", static_cast<size_t>(Length(text, cch)));
    Record(s, hdc, *dc, "DrawTextW", {rect->left, rect->top, rect->right, rect->bottom, format}, all);
    const FontMetrics m = MetricsOf(s, *dc);
    std::vector<Line> lines = LayOut(m, all, format, std::max<int>(rect->right - rect->left, 1));
    const int height = static_cast<int>(lines.size()) * m.height;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& l : lines) widest = std::max(widest, TextWidth(m, l.text.data(), static_cast<int>(l.text.size())));
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) y = rect->top + (rect->bottom - rect->top - m.height) / 2;
        else if (format & DT_BOTTOM) y = rect->bottom - m.height;
    }
    Target clipped = t;
    if (!(format & DT_NOCLIP)) {
        RECT c{rect->left + t.origin.x, rect->top + t.origin.y, rect->right + t.origin.x, rect->bottom + t.origin.y};
        if (!ClipRect(clipped.clip, c)) return height;
    }
    const int boxWidth = rect->right - rect->left;
    for (Line& line : lines) {
        int w = TextWidth(m, line.text.data(), static_cast<int>(line.text.size()));
        if ((format & DT_END_ELLIPSIS) && w > boxWidth) {
            // Drop characters until the text and "..." fit.
            const int dots = 3 * CharWidth(m, u'.');
            while (!line.text.empty() && TextWidth(m, line.text.data(), static_cast<int>(line.text.size())) + dots > boxWidth)
                line.text.pop_back();
            line.text += u"...";
            w = TextWidth(m, line.text.data(), static_cast<int>(line.text.size()));
        }
        int x = rect->left;
        if (format & DT_CENTER) x = rect->left + (boxWidth - w) / 2;
        else if (format & DT_RIGHT) x = rect->right - w;
        if (dc->state.bkMode == OPAQUE) FillArea(clipped, {x, y, x + w, y + m.height}, dc->state.bk, R2_COPYPEN);
        DrawGlyphs(clipped, m, x, y, line.text.data(), static_cast<int>(line.text.size()), dc->state.text);
        if (line.underline >= 0 && line.underline < static_cast<int>(line.text.size())) {
            const int ux = x + TextWidth(m, line.text.data(), line.underline);
            const int uw = CharWidth(m, line.text[static_cast<size_t>(line.underline)]);
            const int uy = y + UnderlineRow(m);
            FillArea(clipped, {ux, uy, ux + uw, uy + 1}, dc->state.text, R2_COPYPEN);
        }
        y += m.height;
    }
    return height;
}

namespace standin::ui {

void SetGlyphFile(const std::string& linuxPath) {
    GlyphStore& g = Glyphs();
    std::lock_guard<std::mutex> guard(g.lock);
    g.chosen = true;
    g.path = linuxPath;
    g.glyphs.clear();
    if (!g.path.empty()) ReadHexFile(g);
}

bool GlyphsAvailable() {
    FindGlyph(u'A');
    GlyphStore& g = Glyphs();
    std::lock_guard<std::mutex> guard(g.lock);
    return !g.glyphs.empty();
}

}  // namespace standin::ui
