// Playing a page's recorded drawing through the driver's hooks or the engine's routines,
// with the engine objects each call takes: paths, clips, brushes, line attributes, fonts,
// strings and source bitmaps.
#include "tools/hosts/gdihost/GdiHostPlay.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/Kernel.h"
#include "platform/StandIn.h"

namespace gdihost::detail {
namespace {

namespace engine = standin::engine;

constexpr MIX kCopyPen = R2_COPYPEN | (R2_COPYPEN << 8);
constexpr ULONG kRgbBlack = 0x00000000u;
constexpr ULONG kRgbWhite = 0x00FFFFFFu;
/// Device fonts are designed on 1,000 units an em; the engine's TrueType face on its own.
constexpr double kDeviceFontEm = 1000.0;

BOOL Refuse(DWORD error) {
    SetLastError(error);
    return FALSE;
}

RECTL Offset(const RECTL& r, POINTL by) { return RECTL{r.left - by.x, r.top - by.y, r.right - by.x, r.bottom - by.y}; }

std::vector<POINTFIX> FixPoints(const std::vector<POINTL>& points, POINTL by) {
    std::vector<POINTFIX> out;
    out.reserve(points.size());
    for (const POINTL& p : points) out.push_back(engine::FixPoint(p.x - by.x, p.y - by.y));
    return out;
}

/// A colour as the surface takes it: palette indexes for black and white on 1-bit surfaces.
ULONG ColorFor(const SURFOBJ* pso, ULONG rgb) {
    if (pso->iBitmapFormat != BMF_1BPP) return rgb;
    if (rgb == kRgbBlack) return 0;
    if (rgb == kRgbWhite) return 1;
    return rgb;
}

size_t RowBytes(LONG width, ULONG format) {
    const size_t bits = format == BMF_1BPP ? 1 : format == BMF_8BPP ? 8 : 24;
    return (static_cast<size_t>(width) * bits + 31) / 32 * 4;
}

/// An engine bitmap holding a copy of the rows; deleted with the owner.
class SourceBitmap {
public:
    explicit SourceBitmap(const BitmapSpec& spec) {
        handle_ = EngCreateBitmap(spec.size, 0, spec.format, BMF_TOPDOWN, nullptr);
        if (handle_ == nullptr) return;
        pso_ = EngLockSurface(handle_);
        if (pso_ == nullptr) return;
        const size_t row = RowBytes(spec.size.cx, spec.format);
        auto* out = static_cast<BYTE*>(pso_->pvScan0);
        for (LONG y = 0; y < spec.size.cy; ++y, out += pso_->lDelta)
            std::memcpy(out, spec.bits.data() + static_cast<size_t>(y) * row, row);
    }
    ~SourceBitmap() {
        if (pso_ != nullptr) EngUnlockSurface(pso_);
        if (handle_ != nullptr) EngDeleteSurface(handle_);
    }
    SourceBitmap(const SourceBitmap&) = delete;
    SourceBitmap& operator=(const SourceBitmap&) = delete;
    SURFOBJ* get() const { return pso_; }

private:
    HSURF handle_ = nullptr;
    SURFOBJ* pso_ = nullptr;
};

engine::Brush MakeBrush(SURFOBJ* pso, const BrushSpec& spec) {
    switch (spec.kind) {
        case BrushSpec::Kind::Hatch:
            return engine::MakeHatchBrush(pso, spec.hatch, spec.color, spec.background);
        case BrushSpec::Kind::Pattern: {
            BitmapSpec pattern{spec.patternSize, BMF_1BPP, spec.patternBits, {}};
            SourceBitmap bitmap(pattern);
            if (bitmap.get() == nullptr) return engine::Brush{};
            return engine::MakePatternBrush(pso, bitmap.get(), {spec.background, spec.color});
        }
        case BrushSpec::Kind::Solid:
            break;
    }
    return engine::MakeSolidBrush(ColorFor(pso, spec.color));
}

/// Line attributes of a pen; the dash array lives in *dashes for the call.
LINEATTRS LineAttributes(const PenSpec& pen, std::vector<FLOAT_LONG>* dashes) {
    LINEATTRS attrs{};
    if (pen.geometric) {
        attrs.fl = LA_GEOMETRIC;
        attrs.elWidth.e = static_cast<FLOATL>(pen.widthDots);
    } else {
        attrs.elWidth.l = 1;
        if (pen.alternate) attrs.fl |= LA_ALTERNATE;
    }
    attrs.iJoin = pen.join;
    attrs.iEndCap = pen.cap;
    attrs.eMiterLimit = pen.miterLimit;
    dashes->clear();
    for (FLOATL d : pen.dashes) {
        FLOAT_LONG v{};
        if (pen.geometric) {
            v.e = d;
        } else {
            v.l = static_cast<LONG>(d);
        }
        dashes->push_back(v);
    }
    if (!dashes->empty()) {
        attrs.fl |= LA_STYLED;
        attrs.cstyle = static_cast<ULONG>(dashes->size());
        attrs.pstyle = dashes->data();
    }
    return attrs;
}

XFORML FontMatrix(double scale, LONG angleDegrees) {
    const double a = angleDegrees * std::numbers::pi / 180.0;
    const auto c = static_cast<FLOATL>(scale * std::cos(a));
    const auto s = static_cast<FLOATL>(scale * std::sin(a));
    return XFORML{c, -s, s, c, 0, 0};
}

/// Glyph handles of device-font text: Shift-JIS codes for double-byte fonts, ANSI bytes for
/// single-byte ones.
std::vector<HGLYPH> DeviceGlyphs(const std::u16string& text) {
    std::vector<HGLYPH> glyphs;
    for (char16_t ch : text) {
        char bytes[4] = {};
        const WCHAR wide = ch;
        const int n = WideCharToMultiByte(CP_ACP, 0, &wide, 1, bytes, sizeof bytes, nullptr, nullptr);
        const auto b0 = static_cast<BYTE>(bytes[0]);
        const auto b1 = static_cast<BYTE>(bytes[1]);
        glyphs.push_back(n == 2 ? (HGLYPH{b0} << 8 | b1) : n == 1 ? HGLYPH{b0} : HGLYPH{'?'});
    }
    return glyphs;
}

/// Baseline positions along the escapement from advances in 28.4.
std::vector<POINTL> Layout(POINTL origin, const std::vector<LONG>& advancesFix, LONG angleDegrees) {
    const double a = angleDegrees * std::numbers::pi / 180.0;
    std::vector<POINTL> positions;
    double run = 0;
    for (LONG advance : advancesFix) {
        positions.push_back(POINTL{origin.x + static_cast<LONG>(std::lround(run * std::cos(a))),
                                   origin.y - static_cast<LONG>(std::lround(run * std::sin(a)))});
        run += advance / 16.0;
    }
    return positions;
}

}  // namespace

Painter Painter::ForDriver(const DriverModule& driver, HSURF surface, DHPDEV pdev) {
    Painter p;
    const FLONG hooks = engine::SurfaceHooks(surface);
    auto route = [&](FLONG flag, ULONG index, auto* fn, bool* toDriver) {
        if ((hooks & flag) == 0 || driver.Hook(index) == nullptr) return;
        *fn = driver.HookAs<std::remove_pointer_t<decltype(fn)>>(index);
        *toDriver = true;
    };
    route(HOOK_BITBLT, INDEX_DrvBitBlt, &p.bitBlt, &p.driverBitBlt);
    route(HOOK_STRETCHBLT, INDEX_DrvStretchBlt, &p.stretchBlt, &p.driverStretchBlt);
    route(HOOK_FILLPATH, INDEX_DrvFillPath, &p.fillPath, &p.driverFillPath);
    route(HOOK_STROKEPATH, INDEX_DrvStrokePath, &p.strokePath, &p.driverStrokePath);
    route(HOOK_STROKEANDFILLPATH, INDEX_DrvStrokeAndFillPath, &p.strokeAndFillPath, &p.driverStrokeAndFillPath);
    route(HOOK_PAINT, INDEX_DrvPaint, &p.paint, &p.driverPaint);
    route(HOOK_TEXTOUT, INDEX_DrvTextOut, &p.textOut, &p.driverTextOut);
    p.pdev = pdev;
    p.queryWidths = driver.HookAs<PFN_DrvQueryAdvanceWidths>(INDEX_DrvQueryAdvanceWidths);
    return p;
}

bool Acceptable(const DrawOp& op) {
    switch (op.kind) {
        case DrawOp::Kind::Path:
            if (op.records.empty()) return false;
            for (const engine::PathRecord& r : op.records)
                if (r.points.empty()) return false;
            return op.pen.widthDots >= 1;
        case DrawOp::Kind::Paint:
            return true;
        case DrawOp::Kind::DeviceText:
            return !op.text.empty() && op.face >= 1 && op.heightDots >= 1;
        case DrawOp::Kind::TrueTypeText:
            return !op.text.empty() && !op.faceName.empty() && op.heightDots >= 1;
        case DrawOp::Kind::Blit:
        case DrawOp::Kind::Stretch: {
            const BitmapSpec& b = op.bitmap;
            if (b.size.cx <= 0 || b.size.cy <= 0 || b.size.cx > 1 << 15 || b.size.cy > 1 << 15) return false;
            if (b.format != BMF_1BPP && b.format != BMF_8BPP && b.format != BMF_24BPP) return false;
            if (b.bits.size() != RowBytes(b.size.cx, b.format) * static_cast<size_t>(b.size.cy)) return false;
            if (b.format != BMF_24BPP && b.palette.empty()) return false;
            return op.rect.left < op.rect.right && op.rect.top < op.rect.bottom;
        }
        default:
            return false;
    }
}

BOOL PlayOps(const Painter& painter, SURFOBJ* pso, const std::vector<DrawOp>& ops, POINTL origin,
             std::string* failedHook) {
    BOOL result = TRUE;
    DWORD firstError = ERROR_SUCCESS;
    auto check = [&](BOOL ok, bool toDriver, const char* driverName, const char* engineName) {
        if (ok) return;
        *failedHook = toDriver ? driverName : engineName;
        if (result) firstError = GetLastError() == ERROR_SUCCESS ? ERROR_GEN_FAILURE : GetLastError();
        result = FALSE;
    };
    auto noMemory = [&] {
        if (result) firstError = ERROR_NOT_ENOUGH_MEMORY;
        result = FALSE;
    };
    engine::Clip whole = engine::MakeClip({RECTL{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy}});
    if (whole.get() == nullptr) return Refuse(ERROR_NOT_ENOUGH_MEMORY);
    // Colours as the surface holds them: palette indexes on 1-bit surfaces, else RGB.
    const bool indexed = pso->iBitmapFormat == BMF_1BPP;
    BRUSHOBJ black{indexed ? 0u : kRgbBlack, nullptr, 0};
    BRUSHOBJ white{indexed ? 1u : kRgbWhite, nullptr, 0};
    POINTL brushOrigin{0, 0};
    for (const DrawOp& op : ops) {
        engine::Clip own;
        if (!op.clip.empty()) {
            std::vector<RECTL> rects;
            for (const RECTL& r : op.clip) rects.push_back(Offset(r, origin));
            own = engine::MakeClip(rects);
            if (own.get() == nullptr) {
                noMemory();
                continue;
            }
        }
        CLIPOBJ* clip = own.get() != nullptr ? own.get() : whole.get();
        switch (op.kind) {
        case DrawOp::Kind::FillRect: {
            RECTL target = Offset(op.rect, origin);
            check(painter.bitBlt(pso, nullptr, nullptr, clip, nullptr, &target, nullptr, nullptr,
                                 op.black ? &black : &white, &brushOrigin, PATCOPY_ROP4),
                  painter.driverBitBlt, "DrvBitBlt", "EngBitBlt");
            break;
        }
        case DrawOp::Kind::FillPolygon: {
            engine::Path path = engine::MakePath({FixPoints(op.points, origin)}, true);
            if (path.get() == nullptr) {
                noMemory();
                break;
            }
            check(painter.fillPath(pso, path.get(), clip, &black, &brushOrigin, kCopyPen, FP_ALTERNATEMODE),
                  painter.driverFillPath, "DrvFillPath", "EngFillPath");
            break;
        }
        case DrawOp::Kind::Line: {
            engine::Path path = engine::MakePath({FixPoints(op.points, origin)}, false);
            if (path.get() == nullptr) {
                noMemory();
                break;
            }
            // One dot is a cosmetic line; wider ones are geometric with round ends, as a pen
            // of that width gives.
            LINEATTRS attrs{};
            if (op.widthDots > 1) {
                attrs.fl = LA_GEOMETRIC;
                attrs.iJoin = JOIN_ROUND;
                attrs.iEndCap = ENDCAP_ROUND;
                attrs.elWidth.e = static_cast<FLOATL>(op.widthDots);
                attrs.eMiterLimit = 10.0f;
            } else {
                attrs.elWidth.l = 1;
            }
            check(painter.strokePath(pso, path.get(), clip, nullptr, &black, &brushOrigin, &attrs, kCopyPen),
                  painter.driverStrokePath, "DrvStrokePath", "EngStrokePath");
            break;
        }
        case DrawOp::Kind::Text: {
            engine::FontSize size;
            size.heightDots = op.heightDots;
            const LONG advance = op.heightDots * 3 / 5;
            const LONG baseline = op.origin.y - origin.y + op.heightDots * 4 / 5;
            std::vector<GLYPHPOS> glyphs(op.text.size());
            for (size_t i = 0; i < glyphs.size(); ++i)
                glyphs[i] = GLYPHPOS{op.text[i], nullptr,
                                     POINTL{op.origin.x - origin.x + static_cast<LONG>(i) * advance, baseline}};
            std::u16string text = op.text;
            STROBJ string{};
            string.cGlyphs = static_cast<ULONG>(glyphs.size());
            string.ulCharInc = static_cast<ULONG>(advance);
            string.rclBkGround = RECTL{op.origin.x - origin.x, op.origin.y - origin.y,
                                       op.origin.x - origin.x + advance * static_cast<LONG>(glyphs.size()),
                                       op.origin.y - origin.y + op.heightDots};
            string.pgp = glyphs.data();
            string.pwszOrg = text.data();
            FONTOBJ font{};
            font.sizLogResPpi = SIZE{600, 600};
            font.pvProducer = &size;
            check(painter.textOut(pso, &string, &font, clip, nullptr, nullptr, &black, nullptr, &brushOrigin,
                                  kCopyPen),
                  painter.driverTextOut, "DrvTextOut", "EngTextOut");
            break;
        }
        case DrawOp::Kind::Path: {
            std::vector<engine::PathRecord> records = op.records;
            for (engine::PathRecord& r : records)
                for (POINTFIX& p : r.points) p = POINTFIX{p.x - origin.x * 16, p.y - origin.y * 16};
            engine::Path path = engine::MakePathRecords(records);
            engine::Brush penBrush = engine::MakeSolidBrush(ColorFor(pso, op.pen.color));
            engine::Brush fill = MakeBrush(pso, op.brush);
            if (path.get() == nullptr || penBrush.get() == nullptr || fill.get() == nullptr) {
                noMemory();
                break;
            }
            std::vector<FLOAT_LONG> dashes;
            LINEATTRS attrs = LineAttributes(op.pen, &dashes);
            switch (op.pathMode) {
                case DrawOp::PathMode::Stroke:
                    check(painter.strokePath(pso, path.get(), clip, nullptr, penBrush.get(), &brushOrigin, &attrs,
                                             op.mix),
                          painter.driverStrokePath, "DrvStrokePath", "EngStrokePath");
                    break;
                case DrawOp::PathMode::Fill:
                    check(painter.fillPath(pso, path.get(), clip, fill.get(), &brushOrigin, op.mix, op.fillMode),
                          painter.driverFillPath, "DrvFillPath", "EngFillPath");
                    break;
                case DrawOp::PathMode::StrokeAndFill:
                    check(painter.strokeAndFillPath(pso, path.get(), clip, nullptr, penBrush.get(), &attrs,
                                                    fill.get(), &brushOrigin, op.mix, op.fillMode),
                          painter.driverStrokeAndFillPath, "DrvStrokeAndFillPath", "EngStrokeAndFillPath");
                    break;
            }
            break;
        }
        case DrawOp::Kind::Paint: {
            engine::Brush fill = MakeBrush(pso, op.brush);
            if (fill.get() == nullptr) {
                noMemory();
                break;
            }
            check(painter.paint(pso, clip, fill.get(), &brushOrigin, op.mix), painter.driverPaint, "DrvPaint",
                  "EngPaint");
            break;
        }
        case DrawOp::Kind::DeviceText:
        case DrawOp::Kind::TrueTypeText: {
            const bool device = op.kind == DrawOp::Kind::DeviceText;
            engine::FontSpec spec;
            spec.type = device ? FO_TYPE_DEVICE : FO_TYPE_TRUETYPE;
            spec.iFace = device ? op.face : 0;
            spec.iFile = device ? 0 : 1;
            spec.faceName = op.faceName;
            spec.charset = op.charset;
            spec.heightDots = op.heightDots;
            spec.iTTUniq = device ? 0 : std::hash<std::u16string>{}(op.faceName) & 0xFFFFFF;
            const double em = device ? kDeviceFontEm : spec.unitsPerEm;
            spec.matrix = FontMatrix(op.heightDots / em, op.angleDegrees);
            // The engine's own drawing of device fonts (the reference page) uses its built-in face.
            const bool engineDrawsDevice = device && !painter.driverTextOut;
            engine::Font font = engineDrawsDevice ? engine::Font{} : engine::MakeFont(spec);
            if (!engineDrawsDevice && font.get() == nullptr) {
                noMemory();
                break;
            }
            std::vector<HGLYPH> glyphs;
            std::vector<LONG> advances;
            if (device) {
                glyphs = DeviceGlyphs(op.text);
                std::vector<USHORT> widths(glyphs.size(), static_cast<USHORT>(op.heightDots * 8));
                if (painter.queryWidths != nullptr && font.get() != nullptr)
                    (void)painter.queryWidths(painter.pdev, font.get(), QAW_GETWIDTHS, glyphs.data(), widths.data(),
                                              static_cast<ULONG>(glyphs.size()));
                for (USHORT w : widths) advances.push_back(w);
            } else {
                for (char16_t ch : op.text) {
                    glyphs.push_back(ch);
                    advances.push_back(engine::FontGlyph(spec, ch).advance * 16);
                }
            }
            const POINTL at{op.origin.x - origin.x, op.origin.y - origin.y};
            engine::StringSpec str;
            str.glyphs = glyphs;
            str.positions = Layout(at, advances, op.angleDegrees);
            str.text = op.text;
            str.flAccel = (op.angleDegrees == 0 ? SO_HORIZONTAL : 0) | (op.glyphIndex ? SO_GLYPHINDEX_TEXTOUT : 0);
            // The engine draws glyph bits it is handed; the driver asks the font for them.
            str.withBits = !painter.driverTextOut && !device;
            engine::FontSize size;
            size.heightDots = op.heightDots;
            FONTOBJ plain{};
            plain.sizLogResPpi = SIZE{600, 600};
            plain.pvProducer = &size;
            engine::String string = engine::MakeString(str, font.get());
            engine::Brush fore = engine::MakeSolidBrush(ColorFor(pso, op.color));
            if (string.get() == nullptr || fore.get() == nullptr) {
                noMemory();
                break;
            }
            FONTOBJ* pfo = engineDrawsDevice ? &plain : font.get();
            check(painter.textOut(pso, string.get(), pfo, clip, nullptr, nullptr, fore.get(), nullptr, &brushOrigin,
                                  kCopyPen),
                  painter.driverTextOut, "DrvTextOut", "EngTextOut");
            break;
        }
        case DrawOp::Kind::Blit:
        case DrawOp::Kind::Stretch: {
            SourceBitmap source(op.bitmap);
            engine::Xlate xlate = engine::MakeXlate(op.bitmap.palette);
            if (source.get() == nullptr) {
                noMemory();
                break;
            }
            RECTL target = Offset(op.rect, origin);
            if (op.kind == DrawOp::Kind::Blit) {
                POINTL from{op.sourceRect.left, op.sourceRect.top};
                engine::Brush brush = op.withBrush ? MakeBrush(pso, op.brush) : engine::Brush{};
                check(painter.bitBlt(pso, source.get(), nullptr, clip, xlate.get(), &target, &from, nullptr,
                                     brush.get(), &brushOrigin, op.rop4),
                      painter.driverBitBlt, "DrvBitBlt", "EngBitBlt");
            } else {
                RECTL from = op.sourceRect;
                POINTL htOrigin{0, 0};
                check(painter.stretchBlt(pso, source.get(), nullptr, clip, xlate.get(), nullptr, &htOrigin, &target,
                                         &from, nullptr, HALFTONE),
                      painter.driverStretchBlt, "DrvStretchBlt", "EngStretchBlt");
            }
            break;
        }
        }
    }
    if (!result) SetLastError(firstError);
    return result;
}

}  // namespace gdihost::detail
