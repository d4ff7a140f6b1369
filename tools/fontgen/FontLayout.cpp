// Layout of a font resource (all offsets from its start, all values little-endian):
//   0  u32 size            4  u32 version 0x00010000    8  two u32 0
//  16  five i32: font box left, top, right, bottom and the cap height (1/1000 em)
//  36  u32 offsets of the display, hyphenated and family names and of the select id
//  52  u32 kerning pair count, u32 their offset (0 when none)
//  60  u32 width count, u32 offset of the widths
//  68  u32 0                72  u32 offset of the IFIMETRICS
//  76  the four names, ASCII, each NUL-terminated and padded to 4 bytes; then u32 0
// then the kerning pairs (6 bytes each) closed by an all-zero pair, padded to 4; the widths
// (u16 each), padded to 4; the codes (one byte per width), padded to 4; the IFIMETRICS and
// after it its UTF-16 names (family, style, face, unique), padded to 4.
#include "FontLayout.h"

#include <cstring>
#include <string>

#include "platform/Ddi.h"

namespace fontgen {
namespace {

constexpr uint32_t kVersion = 0x00010000;
constexpr uint32_t kHeaderBytes = 76;
constexpr BYTE kShiftJisCharset = 128;
// Caret slope of the italic faces (x per y) and their angle in tenths of a degree.
constexpr LONG kItalicCaretX = 3153;
constexpr LONG kItalicCaretY = 10000;
constexpr LONG kItalicAngle = -175;
constexpr USHORT kSelectItalic = 0x01;
constexpr USHORT kSelectBold = 0x20;
constexpr USHORT kSelectRegular = 0x40;
constexpr USHORT kEditableEmbedding = 2;
constexpr int kBoldWeight = 700;

class Writer {
public:
    size_t Size() const { return bytes_.size(); }
    void Put32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Put16(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(v));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void PutBytes(const void* data, size_t n) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
    }
    void Align4() {
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    }
    void Set32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
    uint32_t PutName(const std::string& name) {
        const auto at = static_cast<uint32_t>(Size());
        PutBytes(name.data(), name.size());
        bytes_.push_back(0);
        Align4();
        return at;
    }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// The IFIMETRICS with its names appended, as one block.
std::vector<uint8_t> BuildMetrics(const FontFace& f) {
    const bool shiftJis = f.charset == kShiftJisCharset;
    std::u16string unique(f.displayName.begin(), f.displayName.end());
    const std::u16string names[] = {f.metricsName, f.metricsName, f.metricsName, unique};

    IFIMETRICS ifi;
    std::memset(&ifi, 0, sizeof ifi);
    PTRDIFF at = sizeof(IFIMETRICS);
    PTRDIFF* offsets[] = {&ifi.dpwszFamilyName, &ifi.dpwszStyleName, &ifi.dpwszFaceName, &ifi.dpwszUniqueName};
    for (size_t i = 0; i < 4; ++i) {
        *offsets[i] = at;
        at += static_cast<PTRDIFF>((names[i].size() + 1) * sizeof(char16_t));
    }
    const ULONG total = (static_cast<ULONG>(at) + 3u) & ~3u;
    ifi.cjThis = total;
    ifi.lItalicAngle = f.italic ? kItalicAngle : 0;
    ifi.jWinCharSet = static_cast<BYTE>(f.charset);
    ifi.jWinPitchAndFamily = static_cast<BYTE>(f.pitchAndFamily);
    ifi.usWinWeight = static_cast<USHORT>(f.weight);
    ifi.flInfo = f.info;
    ifi.fsSelection = static_cast<USHORT>((f.italic ? kSelectItalic : 0) | (f.weight >= kBoldWeight ? kSelectBold : 0));
    if (ifi.fsSelection == 0) ifi.fsSelection = kSelectRegular;
    ifi.fsType = kEditableEmbedding;
    ifi.fwdUnitsPerEm = 1000;
    ifi.fwdLowestPPEm = 1;
    ifi.fwdWinAscender = static_cast<FWORD>(f.ascender);
    ifi.fwdWinDescender = static_cast<FWORD>(f.descender);
    ifi.fwdMacAscender = static_cast<FWORD>(f.ascender);
    ifi.fwdMacDescender = static_cast<FWORD>(-f.descender);
    ifi.fwdMacLineGap = static_cast<FWORD>(f.lineGap);
    ifi.fwdTypoAscender = static_cast<FWORD>(f.ascender);
    ifi.fwdTypoDescender = static_cast<FWORD>(-f.descender);
    ifi.fwdTypoLineGap = static_cast<FWORD>(f.lineGap);
    ifi.fwdAveCharWidth = static_cast<FWORD>(f.averageWidth);
    ifi.fwdMaxCharInc = static_cast<FWORD>(f.maximumWidth);
    ifi.fwdCapHeight = static_cast<FWORD>(f.capHeight);
    ifi.fwdXHeight = static_cast<FWORD>(f.xHeight);
    // Sub- and superscripts at two thirds of the size, below the baseline and near the cap height.
    ifi.fwdSubscriptXSize = static_cast<FWORD>(f.averageWidth * 2 / 3);
    ifi.fwdSubscriptYSize = 667;
    ifi.fwdSubscriptXOffset = 0;
    ifi.fwdSubscriptYOffset = 100;
    ifi.fwdSuperscriptXSize = static_cast<FWORD>(f.averageWidth * 2 / 3);
    ifi.fwdSuperscriptYSize = 667;
    ifi.fwdSuperscriptXOffset = 0;
    ifi.fwdSuperscriptYOffset = 400;
    ifi.fwdUnderscoreSize = static_cast<FWORD>(f.underscoreSize);
    ifi.fwdUnderscorePosition = static_cast<FWORD>(f.underscorePosition);
    ifi.fwdStrikeoutSize = static_cast<FWORD>(f.strikeoutSize);
    ifi.fwdStrikeoutPosition = static_cast<FWORD>(f.strikeoutPosition);
    ifi.chFirstChar = 0x20;
    ifi.chLastChar = 0xFF;
    ifi.chBreakChar = 0x20;
    ifi.wcFirstChar = 0;
    ifi.wcBreakChar = u' ';
    if (shiftJis) {
        ifi.chDefaultChar = 0xA5;
        ifi.wcLastChar = 0xFF9F;
        ifi.wcDefaultChar = 0xFF65;  // the half-width middle dot that 0xA5 codes
    } else {
        ifi.chDefaultChar = 0x95;
        ifi.wcLastChar = 0x2122;
        ifi.wcDefaultChar = 0x2022;
    }
    ifi.ptlBaseline = POINTL{1, 0};
    ifi.ptlAspect = POINTL{1, 1};
    ifi.ptlCaret = f.italic ? POINTL{kItalicCaretX, kItalicCaretY} : POINTL{0, 1};
    ifi.rclFontBox = RECTL{0, f.ascender, f.maximumWidth, -f.descender};
    std::memcpy(ifi.achVendId, "KVTD", 4);
    ifi.cKerningPairs = static_cast<ULONG>(f.kerning.size());
    std::memcpy(ifi.panose, f.panose, sizeof ifi.panose);
    ifi.panose[2] = f.weight >= kBoldWeight ? 8 : 6;

    Writer w;
    w.PutBytes(&ifi, sizeof ifi);
    for (const std::u16string& name : names) {
        for (char16_t c : name) w.Put16(c);
        w.Put16(0);
    }
    w.Align4();
    return std::move(w.Bytes());
}

}  // namespace

std::vector<uint8_t> BuildFontResource(const FontFace& f) {
    Writer w;
    for (uint32_t i = 0; i < kHeaderBytes / 4; ++i) w.Put32(0);
    w.Set32(4, kVersion);
    const int32_t box[5] = {0, f.ascender, f.maximumWidth, -f.descender, f.capHeight};
    for (size_t i = 0; i < 5; ++i) w.Set32(16 + 4 * i, static_cast<uint32_t>(box[i]));
    w.Set32(36, w.PutName(f.displayName));
    w.Set32(40, w.PutName(f.hyphenatedName));
    w.Set32(44, w.PutName(f.familyName));
    w.Set32(48, w.PutName(f.selectId));
    w.Put32(0);

    w.Set32(52, static_cast<uint32_t>(f.kerning.size()));
    if (!f.kerning.empty()) {
        w.Set32(56, static_cast<uint32_t>(w.Size()));
        for (const KerningPair& pair : f.kerning) {
            w.Put16(pair.first);
            w.Put16(pair.second);
            w.Put16(static_cast<uint16_t>(pair.adjustment));
        }
        // The engine reads a kerning array up to an all-zero pair.
        for (int i = 0; i < 3; ++i) w.Put16(0);
        w.Align4();
    }

    w.Set32(60, static_cast<uint32_t>(f.widths.size()));
    w.Set32(64, static_cast<uint32_t>(w.Size()));
    for (uint16_t width : f.widths) w.Put16(width);
    w.Align4();
    w.PutBytes(f.codes.data(), f.codes.size());
    w.Align4();

    w.Set32(72, static_cast<uint32_t>(w.Size()));
    const std::vector<uint8_t> metrics = BuildMetrics(f);
    w.PutBytes(metrics.data(), metrics.size());

    if (w.Size() > kMaxFontResourceBytes) {
        throw DataError("face " + std::to_string(f.face) + ": the resource is " + std::to_string(w.Size()) +
                        " bytes, more than " + std::to_string(kMaxFontResourceBytes));
    }
    w.Set32(0, static_cast<uint32_t>(w.Size()));
    return std::move(w.Bytes());
}

}  // namespace fontgen
