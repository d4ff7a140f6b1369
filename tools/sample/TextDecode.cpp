// Decoders of the text command family: character mode, text gray, font selects, sizes, style,
// direction, characters (one, a run, a run with displacements), glyph downloads, and the
// glyph image blocks whose data is a strip bitmap.
#include <cstdio>

#include "tools/sample/StreamDecode.h"

namespace kvtest::decode {
namespace {

bool LeadByte(BYTE b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool TrailByte(BYTE b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool SingleByteChar(BYTE b) { return (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF); }

/// A byte that may begin the command after a run: its first byte is a command byte.
bool CanBeginCommand(BYTE b) {
    return b == 0x00 || b == 0x0D || b == 0x1B || b == 0x1C || (b >= 'A' && b <= 'Z') || b >= 0xA0;
}

WORD Code(const Cursor& in, size_t at, int bytes) {
    return static_cast<WORD>(bytes == 1 ? in.U8(at) : in.U16(at));
}

/// CD n, then n times a code and its two displacement bytes. Size, or 0 when it runs past the
/// end (or, with `strict`, a two-byte code is neither 00 xx nor a lead and trail byte).
size_t DisplacedRun(const Cursor& in, int bytes, bool strict, std::vector<TextChar>* out) {
    const size_t n = static_cast<size_t>(in.U8(1));
    const size_t size = 2 + n * (static_cast<size_t>(bytes) + 2);
    if (!in.Has(size)) return 0;
    out->clear();
    for (size_t i = 0, at = 2; i < n; ++i, at += static_cast<size_t>(bytes) + 2) {
        const BYTE high = in.Peek(at);
        if (strict && bytes == 2 && high != 0 && !(LeadByte(high) && TrailByte(in.Peek(at + 1)))) return 0;
        out->push_back(TextChar{Code(in, at, bytes), in.S8(at + bytes), in.S8(at + bytes + 1)});
    }
    return size;
}

/// CD n, then n characters of one or two bytes (lead byte first) without displacements: the
/// page stamp's form. Size, or 0 when malformed or past the end.
size_t PlainRun(const Cursor& in, std::vector<TextChar>* out) {
    const size_t n = static_cast<size_t>(in.U8(1));
    size_t at = 2;
    out->clear();
    for (size_t i = 0; i < n; ++i) {
        if (!in.Has(at + 1)) return 0;
        const BYTE b = in.Peek(at);
        if (LeadByte(b)) {
            if (!in.Has(at + 2) || !TrailByte(in.Peek(at + 1))) return 0;
            out->push_back(TextChar{static_cast<WORD>(in.U16(at)), 0, 0});
            at += 2;
        } else if (SingleByteChar(b)) {
            out->push_back(TextChar{b, 0, 0});
            at += 1;
        } else {
            return 0;
        }
    }
    return at;
}

/// CD: after CA the codes are one byte and every one carries its displacements. After CB the
/// run either carries them (codes of two bytes) or is the page stamp's plain run of one- and
/// two-byte characters; the form whose bytes read as valid characters, and then the one
/// followed by a command, is taken, the displaced one when both are.
Step ReadRun(const Cursor& in, StreamCommand& c, int bytes) {
    if (!in.Has(2)) return Step::Bad("character run cut short");
    if (bytes == 1) {
        const size_t size = DisplacedRun(in, 1, false, &c.chars);
        if (size == 0) return Step::Bad("character run past the end of the stream");
        c.displaced = true;
        return Step{size, {}};
    }
    std::vector<TextChar> displaced;
    std::vector<TextChar> plain;
    const size_t a = DisplacedRun(in, 2, true, &displaced);
    const size_t b = PlainRun(in, &plain);
    if (a == 0 && b == 0) return Step::Bad("character run malformed or past the end of the stream");
    bool takeDisplaced = a != 0;
    if (a != 0 && b != 0) {
        const bool afterA = !in.Has(a + 1) || CanBeginCommand(in.Peek(a));
        const bool afterB = !in.Has(b + 1) || CanBeginCommand(in.Peek(b));
        takeDisplaced = afterA || !afterB;
    }
    c.displaced = takeDisplaced;
    c.chars = takeDisplaced ? std::move(displaced) : std::move(plain);
    return Step{takeDisplaced ? a : b, {}};
}

Step ReadDownload(const Cursor& in, StreamCommand& c, TextContext& text) {
    if (!in.Has(20)) return Step::Bad("glyph download header cut short");
    bool fixed = in.U8(1) == 0 && in.U16(4) == 1 && in.U16(6) == 0;
    for (size_t i = 12; i < 18; ++i) fixed = fixed && in.Peek(i) == 0;
    if (!fixed) return Step::Bad("glyph download with non-zero fixed bytes");
    const WORD font = static_cast<WORD>(in.U16(2));
    const LONG width = in.U16(8);
    const LONG height = in.U16(10);
    const size_t length = static_cast<size_t>(in.U16(18));
    if (length > in.Left() - 20) return Step::Bad("glyph download data past the end of the stream");
    std::string error;
    auto strips = DecodeStripBitmap(in.Here() + 20, length, &error);
    if (!strips) return Step::Bad(error);
    const LONG strips16 = 16 * (((width + 7) / 8 + 1) / 2);
    if (width == 0 || strips->width16 != strips16 || strips->height != height) {
        return Step::Bad("glyph download size differs from its strip bitmap");
    }
    // C0 opens a download font at code 0; C1 takes the font's next code.
    LONG code = 0;
    if (in.Peek() == 0xC1) {
        auto next = text.nextCode.find(font);
        if (next == text.nextCode.end()) return Step::Bad("glyph download C1 before the C0 of its font");
        code = next->second;
    }
    if (code > 0xFFFF) return Step::Bad("glyph download past the last character code");
    text.nextCode[font] = code + 1;
    c.kind = CommandKind::GlyphDownload;
    c.values[0] = font;
    c.values[1] = code;
    c.values[2] = width;
    c.values[3] = height;
    c.raster.width = static_cast<WORD>(width);
    c.raster.rows = static_cast<WORD>(height);
    c.raster.dataBytes = static_cast<DWORD>(length);
    c.raster.dataOffset = in.Pos() + 20;
    // Rows trimmed to the glyph's own width.
    const size_t stride = c.raster.Stride();
    const size_t from = strips->width16 / 8u;
    c.image.resize(stride * static_cast<size_t>(height));
    for (size_t r = 0; r < static_cast<size_t>(height); ++r) {
        for (size_t i = 0; i < stride; ++i) c.image[r * stride + i] = strips->rows[r * from + i];
    }
    if (width % 8 != 0) {
        const BYTE keep = static_cast<BYTE>(0xFF << (8 - width % 8));
        for (size_t r = 0; r < static_cast<size_t>(height); ++r) c.image[r * stride + stride - 1] &= keep;
    }
    return Step{20 + length, {}};
}

}  // namespace

Step ReadTextCommand(const Cursor& in, StreamCommand& c, TextContext& text) {
    c.opcode = in.Peek();
    if (c.opcode == 0xC0 || c.opcode == 0xC1) return ReadDownload(in, c, text);
    if (c.opcode == 0xCD) {
        c.kind = CommandKind::Characters;
        if (text.codeBytes == 0) return Step::Bad("characters before any font select");
        return ReadRun(in, c, text.codeBytes);
    }
    if (!in.Has(3)) return Step::Bad("text command cut short");
    if (in.U8(1) != 0) return Step::Bad("text command not followed by 00");
    if (c.opcode == 0xCC || c.opcode == 0xCE) {
        c.kind = CommandKind::Characters;
        const int bytes = text.codeBytes;
        if (bytes == 0) return Step::Bad("characters before any font select");
        if (c.opcode == 0xCC) {
            if (!in.Has(2 + static_cast<size_t>(bytes))) return Step::Bad("character cut short");
            c.chars.push_back(TextChar{Code(in, 2, bytes), 0, 0});
            return Step{2 + static_cast<size_t>(bytes), {}};
        }
        if (!in.Has(4)) return Step::Bad("character run cut short");
        const size_t n = static_cast<size_t>(in.U16(2));
        if (!in.Has(4 + n * static_cast<size_t>(bytes))) return Step::Bad("character run past the end of the stream");
        for (size_t i = 0; i < n; ++i) c.chars.push_back(TextChar{Code(in, 4 + i * static_cast<size_t>(bytes), bytes), 0, 0});
        return Step{4 + n * static_cast<size_t>(bytes), {}};
    }
    if (!in.Has(4)) return Step::Bad("text command cut short");
    const LONG word = in.U16(2);
    switch (c.opcode) {
        case 0xC2:
            if (in.U8(2) != 0) return Step::Bad("character mode not C2 00 00 m");
            c.kind = CommandKind::CharMode;
            c.values[0] = in.U8(3);
            return Step{4, {}};
        case 0xBD:
            if (in.U8(3) != 0) return Step::Bad("text gray not BD 00 g 00");
            c.kind = CommandKind::TextGray;
            c.values[0] = in.U8(2);
            return Step{4, {}};
        case 0xCA:
        case 0xCB:
            c.kind = CommandKind::FontSelect;
            c.values[0] = word;
            text.codeBytes = c.opcode == 0xCA ? 1 : 2;
            return Step{4, {}};
        case 0xC3: case 0xC4: case 0xC5: case 0xC6:
            c.kind = CommandKind::CharSize;
            c.values[0] = word;
            return Step{4, {}};
        case 0xC7:
            if (word >= 360) return Step::Bad("character direction of 360 degrees or more");
            c.kind = CommandKind::CharDirection;
            c.values[0] = word;
            return Step{4, {}};
        case 0xC8:
            c.kind = CommandKind::CharStyle;
            c.values[0] = word;
            return Step{4, {}};
        default: return Step::Bad("not a text command");
    }
}

Step ReadGlyphImage(const Cursor& in, StreamCommand& c) {
    RasterHeader h;
    h.scaled = in.Peek() == 0xF4;
    const size_t headerSize = h.scaled ? 16 : 12;
    if (!in.Has(headerSize)) return Step::Bad("glyph image header cut short");
    h.width = static_cast<WORD>(in.U16(4));
    h.rows = static_cast<WORD>(in.U16(6));
    size_t at = 8;
    if (h.scaled) {
        h.pageWidth = static_cast<WORD>(in.U16(8));
        h.pageHeight = static_cast<WORD>(in.U16(10));
        at = 12;
    }
    h.dataBytes = in.U32(at);
    h.dataOffset = in.Pos() + headerSize;
    if (h.dataBytes > in.Left() - headerSize) return Step::Bad("glyph image data past the end of the stream");
    std::string error;
    auto strips = DecodeStripBitmap(in.Here() + headerSize, h.dataBytes, &error);
    if (!strips) return Step::Bad(error);
    if (strips->width16 != h.width || strips->height != h.rows) return Step::Bad("glyph image size differs from its strip bitmap");
    c.kind = CommandKind::GlyphImage;
    c.opcode = in.Peek();
    c.raster = h;
    c.image = std::move(strips->rows);
    return Step{headerSize + h.dataBytes, {}};
}

}  // namespace kvtest::decode
