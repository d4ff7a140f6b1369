// The engine's font objects: device fonts (what the driver produces itself) and TrueType
// fonts that the engine produces from its own monospace font, with their metrics, transform
// and glyph bitmaps (FONTOBJ_*).
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "platform/src/engine/EngineFont.h"
#include "platform/src/engine/EngineFonts.h"
#include "platform/src/engine/EngineState.h"

namespace standin::engine {
namespace {

// Heights beyond this are refused, as EngTextOut refuses them.
constexpr LONG kMaxHeightDots = 4096;
constexpr USHORT kSelItalic = 0x0001;   // fsSelection bits
constexpr USHORT kSelBold = 0x0020;
constexpr USHORT kSelRegular = 0x0040;
constexpr USHORT kBoldWeight = 600;     // weights from here up count as bold
constexpr BYTE kFixedPitchModern = 0x31;  // fixed pitch, modern family
// The caret of the italic face leans one unit right per four up (about 14 degrees).
constexpr POINTL kItalicCaret{1, 4};
constexpr LONG kItalicAngleTenths = -140;

struct FontObject {
    FONTOBJ fo{};  // what the driver sees; its address is the key
    FontSpec spec;
    Xform xform;
    FontSize size;
    std::vector<std::max_align_t> ifi;  // IFIMETRICS with its names; TrueType only
    GLYPHDATA glyph{};                  // what the last FONTOBJ_cGetGlyphs handed out
    std::vector<std::max_align_t> bits;
};

struct Objects {
    std::mutex lock;
    ULONG nextUniq = 1;
    std::unordered_map<const FONTOBJ*, std::unique_ptr<FontObject>> fonts;
};

Objects& Global() {
    static Objects* objects = new Objects();  // never destroyed: holders may outlive statics
    return *objects;
}

FontObject* FindFont(Objects& o, const FONTOBJ* pfo) {
    auto it = o.fonts.find(pfo);
    return it == o.fonts.end() ? nullptr : it->second.get();
}

void DeleteFont(const FONTOBJ* pfo) {
    std::unique_ptr<FontObject> doomed;  // freed after the lock: it deletes its transform
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto it = o.fonts.find(pfo);
    if (it == o.fonts.end()) return;
    doomed = std::move(it->second);
    o.fonts.erase(it);
}

bool ValidHeight(LONG height) { return height > 0 && height <= kMaxHeightDots; }

FWORD Units(long long value) { return static_cast<FWORD>(std::clamp<long long>(value, -32768, 32767)); }

// The metrics of a TrueType font: the record, then the family, style, face and unique names,
// each ending with a zero; cjThis covers them all.
std::vector<std::max_align_t> BuildMetrics(const FontSpec& spec) {
    const bool bold = spec.weight >= kBoldWeight;
    const std::u16string style = bold && spec.italic ? u"Bold Italic" : bold ? u"Bold" : spec.italic ? u"Italic" : u"Regular";
    const std::u16string* names[] = {&spec.faceName, &style, &spec.faceName, &spec.faceName};
    size_t bytes = sizeof(IFIMETRICS);
    PTRDIFF offsets[4] = {};
    for (size_t i = 0; i < 4; ++i) {
        offsets[i] = static_cast<PTRDIFF>(bytes);
        bytes += (names[i]->size() + 1) * sizeof(WCHAR);
    }
    bytes = (bytes + 3) / 4 * 4;
    std::vector<std::max_align_t> block((bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
    auto* base = reinterpret_cast<BYTE*>(block.data());
    for (size_t i = 0; i < 4; ++i)
        std::memcpy(base + offsets[i], names[i]->c_str(), (names[i]->size() + 1) * sizeof(WCHAR));

    IFIMETRICS ifi{};
    const long long em = spec.unitsPerEm;
    ifi.cjThis = static_cast<ULONG>(bytes);
    ifi.dpwszFamilyName = offsets[0];
    ifi.dpwszStyleName = offsets[1];
    ifi.dpwszFaceName = offsets[2];
    ifi.dpwszUniqueName = offsets[3];
    ifi.lItalicAngle = spec.italic ? kItalicAngleTenths : 0;
    ifi.jWinCharSet = spec.charset;
    ifi.jWinPitchAndFamily = kFixedPitchModern;
    ifi.usWinWeight = spec.weight;
    ifi.flInfo = FM_INFO_CONSTANT_WIDTH;
    ifi.fsSelection = static_cast<USHORT>((spec.italic ? kSelItalic : 0) | (bold ? kSelBold : 0) |
                                          (!spec.italic && !bold ? kSelRegular : 0));
    ifi.fwdUnitsPerEm = Units(em);
    // The design cell is 10 units high, 8 of them above the baseline, and 6 wide.
    const FWORD ascender = Units(em * detail::kFontAscent / detail::kFontCellHeight);
    const FWORD descender = Units(em - em * detail::kFontAscent / detail::kFontCellHeight);
    const FWORD width = Units(em * detail::kFontCellWidth / detail::kFontCellHeight);
    ifi.fwdWinAscender = ifi.fwdMacAscender = ifi.fwdTypoAscender = ascender;
    ifi.fwdWinDescender = descender;
    ifi.fwdMacDescender = ifi.fwdTypoDescender = static_cast<FWORD>(-descender);
    ifi.fwdAveCharWidth = ifi.fwdMaxCharInc = width;
    ifi.fwdCapHeight = Units(em * 7 / detail::kFontCellHeight);
    ifi.fwdXHeight = Units(em * 5 / detail::kFontCellHeight);
    ifi.fwdUnderscoreSize = Units(em / detail::kFontCellHeight);
    ifi.fwdUnderscorePosition = Units(-em / detail::kFontCellHeight);
    ifi.fwdStrikeoutSize = ifi.fwdUnderscoreSize;
    ifi.fwdStrikeoutPosition = Units(em * 3 / detail::kFontCellHeight);
    ifi.chFirstChar = 0x20;
    ifi.chLastChar = 0x7E;
    ifi.chDefaultChar = 0x7F;  // drawn as the hollow box
    ifi.chBreakChar = 0x20;
    ifi.wcFirstChar = u' ';
    ifi.wcLastChar = u'~';
    ifi.wcDefaultChar = 0x7F;
    ifi.wcBreakChar = u' ';
    ifi.ptlBaseline = {1, 0};
    ifi.ptlAspect = {1, 1};
    ifi.ptlCaret = spec.italic ? kItalicCaret : POINTL{0, 1};
    ifi.rclFontBox = {0, ascender, width, -descender};
    std::memcpy(base, &ifi, sizeof(ifi));
    return block;
}

}  // namespace

namespace detail {

std::vector<std::max_align_t> GlyphBitsBlock(const GlyphImage& image) {
    const size_t bytes = std::max(sizeof(GLYPHBITS), offsetof(GLYPHBITS, aj) + image.bits.size());
    std::vector<std::max_align_t> block((bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
    auto* gb = reinterpret_cast<GLYPHBITS*>(block.data());
    gb->ptlOrigin = image.origin;
    gb->sizlBitmap = image.size;
    if (!image.bits.empty()) std::memcpy(gb->aj, image.bits.data(), image.bits.size());
    return block;
}

bool TrueTypeSpec(const FONTOBJ* pfo, FontSpec* spec) {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    const FontObject* font = FindFont(o, pfo);
    if (font == nullptr || (font->spec.type & FO_TYPE_TRUETYPE) == 0) return false;
    *spec = font->spec;
    return true;
}

unsigned LiveFontObjectCount() {
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    return static_cast<unsigned>(o.fonts.size());
}

}  // namespace detail

Font::~Font() { DeleteFont(font_); }

Font& Font::operator=(Font&& other) noexcept {
    if (this != &other) {
        DeleteFont(font_);
        font_ = other.font_;
        other.font_ = nullptr;
    }
    return *this;
}

Font MakeFont(const FontSpec& spec) {
    const bool trueType = (spec.type & FO_TYPE_TRUETYPE) != 0;
    if (trueType && (!ValidHeight(spec.heightDots) || spec.unitsPerEm == 0)) return Font();
    auto font = std::make_unique<FontObject>();
    font->spec = spec;
    font->xform = MakeXform(spec.matrix);
    FONTOBJ& fo = font->fo;
    fo.iFace = spec.iFace;
    fo.iFile = spec.iFile;
    fo.iTTUniq = spec.iTTUniq;
    fo.flFontType = spec.type | spec.simulations;
    if (trueType) {
        // The engine is the producer of these glyphs: EngTextOut reads the height from here.
        font->size.heightDots = spec.heightDots;
        fo.pvProducer = &font->size;
        fo.cxMax = static_cast<ULONG>(detail::ScaledCellWidth(spec.heightDots));
        font->ifi = BuildMetrics(spec);
    }
    FONTOBJ* result = &font->fo;
    Objects& o = Global();
    std::lock_guard<std::mutex> hold(o.lock);
    fo.iUniq = o.nextUniq++;
    o.fonts[result] = std::move(font);
    return Font(result);
}

GlyphImage FontGlyph(const FontSpec& spec, char16_t character) {
    GlyphImage image;
    if ((spec.type & FO_TYPE_TRUETYPE) == 0 || !ValidHeight(spec.heightDots)) return image;
    const LONG height = spec.heightDots;
    const LONG width = static_cast<LONG>(detail::ScaledCellWidth(height));
    const LONG rowBytes = (width + 7) / 8;
    image.size = SIZEL{width, height};
    image.origin = POINTL{0, -static_cast<LONG>(detail::ScaledAscent(height))};
    image.advance = width;
    image.bits.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(height), 0);
    for (LONG v = 0; v < height; ++v)
        for (LONG u = 0; u < width; ++u)
            if (detail::ScaledInk(character, u, v, height))
                image.bits[static_cast<size_t>(v * rowBytes + u / 8)] |= static_cast<BYTE>(0x80u >> (u % 8));
    return image;
}

}  // namespace standin::engine

XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo) {
    auto& o = standin::engine::Global();
    std::lock_guard<std::mutex> hold(o.lock);
    const auto* font = standin::engine::FindFont(o, pfo);
    return font == nullptr ? nullptr : font->xform.get();
}

IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo) {
    auto& o = standin::engine::Global();
    std::lock_guard<std::mutex> hold(o.lock);
    auto* font = standin::engine::FindFont(o, pfo);
    if (font == nullptr || font->ifi.empty()) return nullptr;
    return reinterpret_cast<IFIMETRICS*>(font->ifi.data());
}

ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph) {
    if (ppvGlyph != nullptr) *ppvGlyph = nullptr;
    if (iMode != FO_GLYPHBITS || cGlyph == 0 || phg == nullptr || ppvGlyph == nullptr || phg[0] > 0xFFFF) return 0;
    try {
        auto& o = standin::engine::Global();
        std::lock_guard<std::mutex> hold(o.lock);
        auto* font = standin::engine::FindFont(o, pfo);
        if (font == nullptr || (font->spec.type & FO_TYPE_TRUETYPE) == 0) return 0;
        const standin::engine::GlyphImage image =
            standin::engine::FontGlyph(font->spec, static_cast<char16_t>(phg[0]));
        font->bits = standin::engine::detail::GlyphBitsBlock(image);
        GLYPHDATA& gd = font->glyph;
        const LONG ascent = -image.origin.y;
        gd = GLYPHDATA{};
        gd.gdf.pgb = reinterpret_cast<GLYPHBITS*>(font->bits.data());
        gd.hg = phg[0];
        gd.fxD = image.advance * 16;
        gd.fxA = 0;
        gd.fxAB = image.size.cx * 16;
        gd.fxInkTop = ascent * 16;
        gd.fxInkBottom = (ascent - image.size.cy) * 16;
        gd.rclInk = RECTL{0, -ascent, image.size.cx, image.size.cy - ascent};
        gd.ptqD.x = static_cast<LONGLONG>(image.advance) * (1LL << 32);  // upright glyphs advance along x
        gd.ptqD.y = 0;
        *ppvGlyph = &gd;
        return 1;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
