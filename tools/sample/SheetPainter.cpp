// The sheet painter: replays a job listing onto 1-bit pages as the printer draws them. It
// keeps the printer's drawing state (position, clip, line and fill attributes, logical
// operation, fonts and downloaded glyphs) and paints each drawing command through it.
#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <optional>

#include "tools/sample/JobReader.h"
#include "tools/sample/PaintShapes.h"
#include "tools/sample/SheetText.h"

namespace kvtest {

PageImage::PageImage(LONG widthDots, LONG heightDots)
    : width(std::max<LONG>(widthDots, 0)),
      height(std::max<LONG>(heightDots, 0)),
      stride((width + 7) / 8),
      bits(static_cast<size_t>(stride) * static_cast<size_t>(height), 0) {}

bool PageImage::Black(LONG x, LONG y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return (bits[static_cast<size_t>(y) * stride + x / 8] & (0x80 >> (x % 8))) != 0;
}

void PageImage::SetBlack(LONG x, LONG y) { Set(x, y, true); }

void PageImage::Set(LONG x, LONG y, bool black) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    BYTE& b = bits[static_cast<size_t>(y) * stride + x / 8];
    const BYTE mask = static_cast<BYTE>(0x80 >> (x % 8));
    b = black ? static_cast<BYTE>(b | mask) : static_cast<BYTE>(b & ~mask);
}

size_t PageImage::BlackCount() const {
    // Only Set sets bits, and never past the width.
    size_t n = 0;
    for (BYTE b : bits) n += static_cast<size_t>(std::popcount(b));
    return n;
}

namespace {

using paint::PointF;
using paint::Polygon;

/// Ordered dither: a gray code g (16 black to 79 white) inks a pixel whose threshold is
/// below its darkness.
constexpr BYTE kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},   {63, 31, 55, 23, 61, 29, 53, 21},
};
constexpr LONG kBlackGray = 16;
constexpr LONG kWhiteGray = 79;
constexpr LONG kHatchPeriod = 8;
/// The logical operation the painter assumes before the job sends one: the pattern (the
/// shape's paint) copied over the page.
constexpr BYTE kPatternCopy = 0xF0;

bool GrayInk(LONG gray, LONG x, LONG y) {
    const LONG darkness = (kWhiteGray - std::clamp(gray, kBlackGray, kWhiteGray)) * 64 / (kWhiteGray - kBlackGray);
    return kBayer[y & 7][x & 7] < darkness;
}

bool HatchLine(LONG index, LONG x, LONG y) {
    const LONG h = ((y % kHatchPeriod) + kHatchPeriod) % kHatchPeriod;
    const LONG v = ((x % kHatchPeriod) + kHatchPeriod) % kHatchPeriod;
    const LONG f = (((x - y) % kHatchPeriod) + kHatchPeriod) % kHatchPeriod;
    const LONG b = (((x + y) % kHatchPeriod) + kHatchPeriod) % kHatchPeriod;
    switch (index) {
        case 0: return h == 0;
        case 1: return v == 0;
        case 2: return f == 0;
        case 3: return b == 0;
        case 4: return h == 0 || v == 0;
        default: return f == 0 || b == 0;
    }
}

/// What paints a pixel: its mask bit picks the foreground or background logical code, its
/// paint bit is the operation's pattern input.
struct Ink {
    bool mask = true;
    bool paint = true;
};

class PagePlayer {
public:
    PagePlayer(SIZEL size, POINTL origin) : size_(size), origin_(origin) {}

    RenderedJob Play(const JobListing& listing) {
        for (const StreamCommand& c : listing.commands) Command(c);
        if (page_) job_.pages.push_back(std::move(*page_));
        return std::move(job_);
    }

private:
    enum class Clip { None, Rect, Path };
    enum class Source { Fill, Pen, Text };

    void Command(const StreamCommand& c) {
        switch (c.kind) {
            case CommandKind::Position: MoveTo(c.values[0], c.values[1]); break;
            case CommandKind::ClipRect:
                // The clip starts at the current position: dy rows, dx columns.
                clipRect_ = RECTL{x_, y_, x_ + c.values[1], y_ + c.values[0]};
                clip_ = Clip::Rect;
                break;
            case CommandKind::ClipPath: SetClipPath(c); break;
            case CommandKind::FsSwitch:
                // Page-control mode makes the printer forget its clip rectangle.
                if (c.opcode == 'Z' && clip_ == Clip::Rect) clip_ = Clip::None;
                break;
            case CommandKind::LogicalOp:
                fg_ = static_cast<BYTE>(c.values[0]);
                bg_ = static_cast<BYTE>(c.values[1]);
                break;
            case CommandKind::PenGray: penGray_ = c.values[0]; break;
            case CommandKind::Rectangle: Rectangle(c); break;
            case CommandKind::Raster: DrawImage(c, false); break;
            case CommandKind::GlyphImage: DrawImage(c, true); break;
            case CommandKind::Eject:
            case CommandKind::FormFeed: Eject(); break;
            case CommandKind::LineWidth: lineWidth_ = std::max<LONG>(c.values[0], 1); break;
            case CommandKind::LineJoin: capJoin_ = c.values[0]; break;
            case CommandKind::DashDefine: dashes_.assign(c.numbers.begin(), c.numbers.end()); break;
            case CommandKind::LineStyle: lineStyle_ = c.values[0]; break;
            case CommandKind::Fill:
                fillType_ = c.values[0];
                gray1_ = c.values[1];
                gray2_ = c.values[2];
                break;
            case CommandKind::PatternDefine:
                (c.values[1] == 8 ? pattern8_ : pattern24_) = c.image;
                break;
            case CommandKind::PatternSelect: fillType_ = c.values[0]; break;
            case CommandKind::PatternGray:
                // The foreground command sets the first code and gray, the background the second.
                (c.opcode == 0xA2 ? fg_ : bg_) = static_cast<BYTE>(c.values[0]);
                (c.opcode == 0xA2 ? gray1_ : gray2_) = c.values[1];
                break;
            case CommandKind::Polyline:
            case CommandKind::Path: DrawPath(c); break;
            case CommandKind::VectorText: AsciiPath(c); break;
            case CommandKind::TextGray: text_.gray = c.values[0]; break;
            case CommandKind::FontSelect:
                text_.font = static_cast<WORD>(c.values[0]);
                text_.doubleByte = c.opcode == 0xCB;
                break;
            case CommandKind::CharSize: text_.sizes[c.opcode - 0xC3] = c.values[0]; break;
            case CommandKind::CharStyle: text_.style = c.values[0]; break;
            case CommandKind::CharDirection: text_.angle = c.values[0]; break;
            case CommandKind::Characters: Characters(c); break;
            case CommandKind::GlyphDownload:
                downloads_[Key(static_cast<WORD>(c.values[0]), c.values[1])] = &c;
                downloadFonts_[static_cast<WORD>(c.values[0])] = true;
                break;
            case CommandKind::DownloadReset:
                downloads_.clear();
                downloadFonts_.clear();
                break;
            case CommandKind::BannerLine: BannerLine(c); break;
            default: break;
        }
    }

    static DWORD Key(WORD font, LONG code) { return (static_cast<DWORD>(font) << 16) | static_cast<DWORD>(code & 0xFFFF); }

    PageImage& Page() {
        if (!page_) page_.emplace(size_.cx, size_.cy);
        return *page_;
    }

    void Eject() {
        Page().ejected = true;
        job_.pages.push_back(std::move(*page_));
        page_.reset();
        bannerLines_ = 0;
    }

    void Problem(const std::string& what) {
        if (job_.error.empty()) job_.error = what;
    }

    void MoveTo(LONG x, LONG y) {
        x_ = x;
        y_ = y;
        positioned_ = true;
    }

    RECTL PageBounds() const { return RECTL{origin_.x, origin_.y, origin_.x + size_.cx, origin_.y + size_.cy}; }

    bool InClip(LONG x, LONG y) const {
        switch (clip_) {
            case Clip::None: return true;
            case Clip::Rect: return x >= clipRect_.left && x < clipRect_.right && y >= clipRect_.top && y < clipRect_.bottom;
            case Clip::Path: return clipMask_.Black(x - origin_.x, y - origin_.y);
        }
        return true;
    }

    /// The paint of a pixel for the fill, the pen or the text.
    Ink InkAt(Source source, LONG x, LONG y) const {
        const LONG px = x - origin_.x;
        const LONG py = y - origin_.y;
        if (source == Source::Pen) return Ink{true, GrayInk(penGray_, px, py)};
        if (source == Source::Text) return Ink{true, GrayInk(text_.gray, px, py)};
        if (fillType_ >= 2 && fillType_ <= 13) {
            const bool line = HatchLine(fillType_ <= 7 ? fillType_ - 2 : fillType_ - 8, px, py);
            return Ink{line, GrayInk(line ? gray1_ : gray2_, px, py)};
        }
        if (fillType_ == 0x100 || fillType_ == 0x101) {
            const std::vector<BYTE>& bits = fillType_ == 0x100 ? pattern8_ : pattern24_;
            const LONG side = fillType_ == 0x100 ? 8 : 24;
            const LONG col = ((px % side) + side) % side;
            const LONG row = ((py % side) + side) % side;
            const size_t at = static_cast<size_t>(row * (side / 8) + col / 8);
            const bool set = at < bits.size() && (bits[at] & (0x80 >> (col % 8))) != 0;
            return Ink{set, GrayInk(set ? gray1_ : gray2_, px, py)};
        }
        return Ink{true, GrayInk(gray1_, px, py)};
    }

    /// One pixel through the clip and the logical operation (a code in the printer's sense:
    /// bit (pattern * 4 + source * 2 + destination) gives the result, set = black).
    void Plot(Source source, LONG x, LONG y) {
        if (!InClip(x, y)) return;
        const LONG tx = x - origin_.x;
        const LONG ty = y - origin_.y;
        PageImage& page = Page();
        if (tx < 0 || ty < 0 || tx >= page.width || ty >= page.height) return;
        const Ink ink = InkAt(source, x, y);
        const BYTE code = ink.mask ? fg_ : bg_;
        const int index = (ink.paint ? 4 : 0) + (ink.mask ? 2 : 0) + (page.Black(tx, ty) ? 1 : 0);
        page.Set(tx, ty, ((code >> index) & 1) != 0);
    }

    paint::Plot Plotter(Source source) {
        return [this, source](LONG x, LONG y) { Plot(source, x, y); };
    }

    // --- Shapes ------------------------------------------------------------------------------

    /// A solid fill of gray code 0 (below the printer's gray codes) fills nothing: the frame and
    /// closed strokes set it so that only their outline shows.
    bool HollowFill() const { return fillType_ == 1 && gray1_ < 16; }

    void Rectangle(const StreamCommand& c) {
        const LONG h = c.values[0];
        const LONG w = c.values[1];
        const LONG x = c.values[2];
        const LONG y = c.values[3];
        const Polygon box{{double(x), double(y)}, {double(x + w), double(y)}, {double(x + w), double(y + h)}, {double(x), double(y + h)}};
        if (!HollowFill()) paint::FillPolygons({box}, false, PageBounds(), Plotter(Source::Fill));
        if (c.opcode == 0xDC || c.opcode == 0xDE) {
            Stroke({{double(x), double(y)}, {double(x + w - 1), double(y)}, {double(x + w - 1), double(y + h - 1)},
                    {double(x), double(y + h - 1)}, {double(x), double(y)}});
        }
        // The printer's position is the rectangle's corner afterwards.
        MoveTo(x, y);
    }

    /// The dash pattern of the line style: none for solid, one dot on and off for the
    /// alternate style, the defined lengths for the user style.
    std::vector<double> Dashes() const {
        if (lineStyle_ == 1) return {1, 1};
        if (lineStyle_ == 0x10) return std::vector<double>(dashes_.begin(), dashes_.end());
        return {};
    }

    /// Whether the dash pattern draws at `distance` dots along the line.
    static bool DashOn(const std::vector<double>& dashes, double distance) {
        double total = 0;
        for (double d : dashes) total += std::max(d, 0.0);
        if (total <= 0) return true;
        double phase = std::fmod(distance, total);
        for (size_t i = 0; i < dashes.size(); ++i) {
            phase -= std::max(dashes[i], 0.0);
            if (phase < 0) return i % 2 == 0;
        }
        return false;
    }

    void Stroke(const std::vector<PointF>& line) {
        const std::vector<double> dashes = Dashes();
        if (lineWidth_ <= 1) {
            // One-dot lines: each pixel once, dashed by its distance along the line.
            double along = 0;
            for (size_t i = 0; i < line.size(); ++i) {
                const POINTL a{paint::Round(line[i].x), paint::Round(line[i].y)};
                const POINTL b = i + 1 < line.size() ? POINTL{paint::Round(line[i + 1].x), paint::Round(line[i + 1].y)} : a;
                if (i + 1 == line.size() && line.size() > 1) break;
                paint::ThinLine(a, b, i > 0, [&](LONG x, LONG y) {
                    if (DashOn(dashes, along + std::hypot(double(x - a.x), double(y - a.y)))) Plot(Source::Pen, x, y);
                });
                along += std::hypot(double(b.x - a.x), double(b.y - a.y));
            }
            return;
        }
        for (const std::vector<PointF>& piece : paint::DashPolyline(line, dashes)) {
            // Pixel centres sit half a dot inside: a line along x = 3 covers column 3.
            std::vector<PointF> centred;
            for (const PointF& p : piece) centred.push_back(PointF{p.x + 0.5, p.y + 0.5});
            paint::FillPolygons(paint::StrokePolygons(centred, lineWidth_, capJoin_), true, PageBounds(), Plotter(Source::Pen));
        }
    }

    /// The figures of a path as polylines: curve figures flattened; closed figures end at
    /// their start.
    static std::vector<std::vector<PointF>> Polylines(const std::vector<PathFigure>& figures, bool closed) {
        std::vector<std::vector<PointF>> out;
        for (const PathFigure& f : figures) {
            if (f.points.empty()) continue;
            std::vector<PointF>& line = out.emplace_back();
            line.push_back(PointF{double(f.points[0].x), double(f.points[0].y)});
            if (f.kind == 1) {
                for (size_t i = 1; i + 2 < f.points.size(); i += 3) {
                    auto at = [&](size_t k) { return PointF{double(f.points[k].x), double(f.points[k].y)}; };
                    for (const PointF& p : paint::FlattenBezier(line.back(), at(i), at(i + 1), at(i + 2))) line.push_back(p);
                }
            } else {
                for (size_t i = 1; i < f.points.size(); ++i) line.push_back(PointF{double(f.points[i].x), double(f.points[i].y)});
            }
            if (closed) line.push_back(line.front());
        }
        return out;
    }

    void Fill(const std::vector<std::vector<PointF>>& lines, bool winding) {
        if (HollowFill()) return;
        std::vector<Polygon> polygons;
        for (const std::vector<PointF>& line : lines) polygons.push_back(line);
        if (paint::FillPolygons(polygons, winding, PageBounds(), Plotter(Source::Fill))) return;
        // A fill that covers no pixel centre (a dot, a hairline) still marks its points.
        for (const std::vector<PointF>& line : lines) {
            for (const PointF& p : line) Plot(Source::Fill, paint::Round(p.x), paint::Round(p.y));
        }
    }

    void DrawPath(const StreamCommand& c) {
        const LONG mode = c.values[0];
        bool fill = false;
        bool stroke = false;
        bool winding = false;
        bool closed = false;
        switch (c.opcode) {
            case 0xE0: stroke = true; break;
            case 0xE8:
            case 0xE9:
                fill = true;
                stroke = c.opcode == 0xE9;
                winding = (mode & 1) != 0;
                closed = true;
                break;
            default:  // EA: 00 stroke, 10 closed stroke, 02 / 12 fill, 01 / 11 fill and stroke
                fill = (mode & 0x03) != 0;
                stroke = (mode & 0x02) == 0;
                winding = fill && (mode & 0x10) != 0;
                closed = fill || (mode & 0x10) != 0;
                break;
        }
        std::vector<std::vector<PointF>> lines = Polylines(c.figures, closed);
        if (c.kind == CommandKind::Polyline && !lines.empty()) {
            // The plain polyline starts at the current position.
            lines[0].insert(lines[0].begin(), PointF{double(x_), double(y_)});
        }
        if (fill) Fill(lines, winding);
        if (stroke) {
            for (const std::vector<PointF>& line : lines) Stroke(line);
        }
        if (!c.figures.empty() && !c.figures.back().points.empty()) {
            const POINTL last = c.figures.back().points.back();
            MoveTo(last.x, last.y);
        }
    }

    void SetClipPath(const StreamCommand& c) {
        clipMask_ = PageImage(size_.cx, size_.cy);
        std::vector<Polygon> polygons;
        for (const std::vector<PointF>& line : Polylines(c.figures, true)) polygons.push_back(line);
        paint::FillPolygons(polygons, false, PageBounds(),
                            [this](LONG x, LONG y) { clipMask_.SetBlack(x - origin_.x, y - origin_.y); });
        clip_ = Clip::Path;
    }

    /// The ASCII path language: NP begins a path, MA moves, PR and BR draw relative lines and
    /// Beziers, CP closes the figure, EP ends the path; ST strokes it, FL and EF fill it.
    void AsciiPath(const StreamCommand& c) {
        const std::string name = c.text.substr(0, 2);
        const std::vector<LONG>& n = c.numbers;
        auto point = [this] { return PointF{double(x_), double(y_)}; };
        auto figure = [&]() -> std::vector<PointF>& {
            if (!figureOpen_) {
                ascii_.push_back({point()});
                figureOpen_ = true;
            }
            return ascii_.back();
        };
        if (name == "NP") {
            ascii_.clear();
            figureOpen_ = false;
        } else if (name == "MA") {
            MoveTo(n[0], n[1]);
            figureOpen_ = false;
            figure();
        } else if (name == "PR") {
            std::vector<PointF>& f = figure();
            for (size_t i = 0; i + 1 < n.size(); i += 2) {
                MoveTo(x_ + n[i], y_ + n[i + 1]);
                f.push_back(point());
            }
        } else if (name == "BR") {
            std::vector<PointF>& f = figure();
            for (size_t i = 0; i + 5 < n.size(); i += 6) {
                const PointF p0 = point();
                const PointF p1{p0.x + n[i], p0.y + n[i + 1]};
                const PointF p2{p1.x + n[i + 2], p1.y + n[i + 3]};
                const PointF p3{p2.x + n[i + 4], p2.y + n[i + 5]};
                for (const PointF& p : paint::FlattenBezier(p0, p1, p2, p3)) f.push_back(p);
                MoveTo(static_cast<LONG>(p3.x), static_cast<LONG>(p3.y));
            }
        } else if (name == "CP") {
            if (figureOpen_) ascii_.back().push_back(ascii_.back().front());
            figureOpen_ = false;
        } else if (name == "EP") {
            figureOpen_ = false;
        } else if (name == "ST") {
            for (const std::vector<PointF>& line : ascii_) Stroke(line);
        } else if (name == "FL" || name == "EF") {
            Fill(ascii_, name == "FL");
        }
    }

    // --- Images and text ---------------------------------------------------------------------

    void DrawImage(const StreamCommand& c, bool glyph) {
        const RasterHeader& h = c.raster;
        if (!positioned_) {
            Problem(std::string(glyph ? "glyph image" : "raster image") + " before any position at offset " + std::to_string(c.offset));
            return;
        }
        PageImage& page = Page();
        const LONG w = h.scaled ? h.pageWidth : h.width;
        const LONG rows = h.scaled ? h.pageHeight : h.rows;
        const size_t stride = h.Stride();
        for (LONG r = 0; r < rows; ++r) {
            const LONG sr = h.scaled ? static_cast<LONG>(static_cast<int64_t>(r) * h.rows / rows) : r;
            const BYTE* row = c.image.data() + static_cast<size_t>(sr) * stride;
            for (LONG col = 0; col < w; ++col) {
                const LONG sc = h.scaled ? static_cast<LONG>(static_cast<int64_t>(col) * h.width / w) : col;
                if ((row[sc / 8] & (0x80 >> (sc % 8))) == 0) continue;
                const LONG px = x_ + col;
                const LONG py = y_ + r;
                const LONG tx = px - origin_.x;
                const LONG ty = py - origin_.y;
                if (!InClip(px, py) || tx < 0 || ty < 0 || tx >= page.width || ty >= page.height) {
                    ++job_.pixelsDropped;
                    continue;
                }
                page.SetBlack(tx, ty);
            }
        }
    }

    void Characters(const StreamCommand& c) {
        if (!positioned_) {
            Problem("characters before any position at offset " + std::to_string(c.offset));
            return;
        }
        const bool downloaded = text_.doubleByte && downloadFonts_.count(text_.font) != 0;
        LONG x = x_;
        LONG y = y_;
        for (const TextChar& ch : c.chars) {
            if (downloaded) {
                auto glyph = downloads_.find(Key(text_.font, ch.code));
                if (glyph == downloads_.end()) {
                    Problem("character " + std::to_string(ch.code) + " of a download font not downloaded, at offset " +
                            std::to_string(c.offset));
                    continue;
                }
                DrawGlyph(*glyph->second, x, y);
                continue;
            }
            const CharCell cell = text_.Cell(ch.code);
            DrawCharacter(text_, ch.code, cell, x, y, [this](LONG px, LONG py) { Plot(Source::Text, px, py); });
            // The next character of a run follows at the nominal advance plus its displacement.
            const POINTL step = text_.Advance(cell);
            x += step.x + ch.dx;
            y += step.y + ch.dy;
        }
    }

    void DrawGlyph(const StreamCommand& glyph, LONG x, LONG y) {
        const size_t stride = glyph.raster.Stride();
        for (LONG r = 0; r < glyph.raster.rows; ++r) {
            for (LONG col = 0; col < glyph.raster.width; ++col) {
                if ((glyph.image[static_cast<size_t>(r) * stride + col / 8] & (0x80 >> (col % 8))) != 0) Plot(Source::Text, x + col, y + r);
            }
        }
    }

    /// The banner's lines, in the engine's own glyphs, 66 lines to the page.
    void BannerLine(const StreamCommand& c) {
        TextState banner;
        const LONG height = std::max<LONG>(size_.cy / 66, 1);
        banner.sizes[0] = height;
        banner.sizes[1] = std::max<LONG>(height * 3 / 5, 1);
        LONG x = origin_.x + banner.sizes[1];
        const LONG y = origin_.y + height * (1 + bannerLines_);
        for (char ch : c.text) {
            const WORD code = static_cast<BYTE>(ch);
            const CharCell cell = banner.Cell(code);
            DrawCharacter(banner, code, cell, x, y, [this](LONG px, LONG py) {
                if (InClip(px, py)) Page().SetBlack(px - origin_.x, py - origin_.y);
            });
            x += cell.width;
        }
        ++bannerLines_;
    }

    SIZEL size_;
    POINTL origin_;
    RenderedJob job_;
    std::optional<PageImage> page_;
    LONG x_ = 0;
    LONG y_ = 0;
    bool positioned_ = false;
    Clip clip_ = Clip::None;
    RECTL clipRect_{};
    PageImage clipMask_;
    BYTE fg_ = kPatternCopy;
    BYTE bg_ = kPatternCopy;
    LONG penGray_ = kBlackGray;
    LONG lineWidth_ = 1;
    LONG capJoin_ = 0;
    LONG lineStyle_ = 0;
    std::vector<LONG> dashes_;
    LONG fillType_ = 1;
    LONG gray1_ = kBlackGray;
    LONG gray2_ = kWhiteGray;
    std::vector<BYTE> pattern8_;
    std::vector<BYTE> pattern24_;
    std::vector<std::vector<PointF>> ascii_;
    bool figureOpen_ = false;
    TextState text_;
    std::map<DWORD, const StreamCommand*> downloads_;
    std::map<WORD, bool> downloadFonts_;
    LONG bannerLines_ = 0;
};

}  // namespace

RenderedJob RenderPages(const JobListing& listing, SIZEL pageSize, POINTL origin) {
    return PagePlayer(pageSize, origin).Play(listing);
}

}  // namespace kvtest
