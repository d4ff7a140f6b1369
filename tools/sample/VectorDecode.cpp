// Decoders of the vector command families: paths (plain, packed, several figures, the mixed
// line-and-curve form), clip paths, the line and fill attributes, and the operands of the
// ASCII vector commands.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tools/sample/StreamDecode.h"

namespace kvtest::decode {
namespace {

std::string Hex(const char* what, LONG a, LONG b) {
    char text[96];
    snprintf(text, sizeof text, what, a, b);
    return text;
}

/// n plain points (x u16, y u16, read as signed) at `at`.
void PlainPoints(const Cursor& in, size_t at, size_t n, std::vector<POINTL>* out) {
    out->resize(n);
    for (size_t i = 0; i < n; ++i) (*out)[i] = POINTL{in.S16(at + 4 * i), in.S16(at + 4 * i + 2)};
}

/// The plain figure lists of E8 / E9 8x and B5 02: after the record count R at 2, per figure
/// 00 00 n and n points, then 00 00 00 00; R counts the points, the figures and the end mark.
Step PlainFigureList(const Cursor& in, StreamCommand& c) {
    if (!in.Has(4)) return Step::Bad("figure list header cut short");
    const size_t records = static_cast<size_t>(in.U16(2));
    size_t at = 4;
    size_t used = 0;
    for (;;) {
        if (!in.Has(at + 4)) return Step::Bad("figure list cut short");
        if (in.U16(at) != 0) return Step::Bad("figure count pair does not begin with 0");
        const size_t n = static_cast<size_t>(in.U16(at + 2));
        at += 4;
        ++used;
        if (n == 0) break;
        if (used + n > records) return Step::Bad("figure count past the record count");
        if (!in.Has(at + 4 * n)) return Step::Bad("figure points cut short");
        PathFigure& f = c.figures.emplace_back();
        PlainPoints(in, at, n, &f.points);
        at += 4 * n;
        used += n;
    }
    if (used != records) return Step::Bad("record count does not match the figures");
    return Step{at, {}};
}

/// Packed forms with a count and a length: header bytes, then u32 L at `lengthAt`, then L bytes.
Step PackedForm(const Cursor& in, StreamCommand& c, size_t records, size_t lengthAt, PackedLayout layout) {
    if (!in.Has(lengthAt + 4)) return Step::Bad("packed path header cut short");
    const size_t length = in.U32(lengthAt);
    if (length > in.Left() - (lengthAt + 4)) return Step::Bad("packed length past the end of the stream");
    if (records == 0) return Step::Bad("packed path without records");
    std::string error;
    auto figures = DecodePackedPoints(in.Here() + lengthAt + 4, length, records, layout, &error);
    if (!figures) return Step::Bad(error);
    c.figures = std::move(*figures);
    return Step{lengthAt + 4 + length, {}};
}

Step ReadStroke(const Cursor& in, StreamCommand& c) {
    c.values[0] = in.U8(1);
    const size_t n = static_cast<size_t>(in.U16(2));
    if (c.values[0] == 0x00) {
        c.kind = CommandKind::Polyline;
        if (!in.Has(4 + 4 * n)) return Step::Bad("polyline points past the end of the stream");
        PlainPoints(in, 4, n, &c.figures.emplace_back().points);
        return Step{4 + 4 * n, {}};
    }
    if (c.values[0] == 0x04) return PackedForm(in, c, n, 4, PackedLayout::Figure);
    return Step::Bad(Hex("path command E0 with mode %02X", c.values[0], 0));
}

Step ReadFill(const Cursor& in, StreamCommand& c) {
    const LONG mode = in.U8(1);
    c.values[0] = mode;
    switch (mode & ~1) {
        case 0x00: {
            const size_t n = static_cast<size_t>(in.U16(2));
            if (n == 0) return Step::Bad("fill figure without points");
            if (!in.Has(4 + 4 * n)) return Step::Bad("fill points past the end of the stream");
            PlainPoints(in, 4, n, &c.figures.emplace_back().points);
            return Step{4 + 4 * n, {}};
        }
        case 0x20: return PackedForm(in, c, static_cast<size_t>(in.U16(2)), 4, PackedLayout::Figure);
        case 0x80: return PlainFigureList(in, c);
        case 0xA0: return PackedForm(in, c, static_cast<size_t>(in.U16(2)), 4, PackedLayout::MultiFigure);
        default: return Step::Bad(Hex("fill command %02X with mode %02X", in.U8(0), mode));
    }
}

Step ReadCurvePath(const Cursor& in, StreamCommand& c) {
    const LONG mode = in.U8(1);
    c.values[0] = mode;
    switch (mode & 0x7F) {
        case 0x00: case 0x10: case 0x01: case 0x11: case 0x02: case 0x12: break;
        default: return Step::Bad(Hex("path command EA with mode %02X", mode, 0));
    }
    const size_t records = static_cast<size_t>(in.U16(2));
    if ((mode & 0x80) != 0) return PackedForm(in, c, records, 4, PackedLayout::CountPairs);
    // Plain: per figure 00 00 00 01, 00 0k n, and n points; R counts all of them.
    size_t at = 4;
    size_t used = 0;
    while (used < records) {
        if (!in.Has(at + 8)) return Step::Bad("curve figure header cut short");
        const LONG kind = in.U16(at + 4);
        if (in.U16(at) != 0 || in.U16(at + 2) != 1 || kind > 1) return Step::Bad("curve figure without its count pairs");
        const size_t n = static_cast<size_t>(in.U16(at + 6));
        at += 8;
        used += 2;
        if (n == 0 || used + n > records) return Step::Bad("curve figure count past the record count");
        if (kind == 1 && (n - 1) % 3 != 0) return Step::Bad("curve figure whose points are not whole segments");
        if (!in.Has(at + 4 * n)) return Step::Bad("curve points past the end of the stream");
        PathFigure& f = c.figures.emplace_back();
        f.kind = kind;
        PlainPoints(in, at, n, &f.points);
        at += 4 * n;
        used += n;
    }
    return Step{at, {}};
}

Step ReadClipPath(const Cursor& in, StreamCommand& c) {
    c.kind = CommandKind::ClipPath;
    c.values[0] = in.U8(1);
    if (c.values[0] == 0x02) return PlainFigureList(in, c);
    if (c.values[0] == 0x04) return PackedForm(in, c, static_cast<size_t>(in.U16(2)), 4, PackedLayout::MultiFigure);
    return Step::Bad(Hex("clip path with mode %02X", c.values[0], 0));
}

bool Number(const std::string& text, LONG* out) {
    if (text.empty() || text.size() > 11) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v < -2147483647LL - 1 || v > 2147483647LL) return false;
    *out = static_cast<LONG>(v);
    return true;
}

}  // namespace

Step ReadPathCommand(const Cursor& in, StreamCommand& c) {
    if (!in.Has(4)) return Step::Bad("path command cut short");
    c.opcode = in.Peek();
    c.kind = CommandKind::Path;
    switch (c.opcode) {
        case 0xE0: return ReadStroke(in, c);
        case 0xE8:
        case 0xE9: return ReadFill(in, c);
        case 0xEA: return ReadCurvePath(in, c);
        case 0xB5: return ReadClipPath(in, c);
        default: return Step::Bad("not a path command");
    }
}

Step ReadAttributeCommand(const Cursor& in, StreamCommand& c) {
    if (!in.Has(4)) return Step::Bad("attribute command cut short");
    c.opcode = in.Peek();
    const LONG b1 = in.U8(1);
    const LONG b2 = in.U8(2);
    const LONG b3 = in.U8(3);
    switch (c.opcode) {
        case 0xAF:
            if (b1 != 0) return Step::Bad("line width not followed by 00");
            c.kind = CommandKind::LineWidth;
            c.values[0] = in.U16(2);
            return Step{4, {}};
        case 0xB0:
            c.kind = CommandKind::LineJoin;
            c.values[0] = b1;
            c.values[1] = in.U16(2);
            return Step{4, {}};
        case 0xAB: {
            if (b1 != 0x10 || b3 != 0) return Step::Bad("dash definition not AB 10 n 00");
            const size_t n = static_cast<size_t>(b2);
            if (n == 0 || n > 30) return Step::Bad("dash definition with 0 or more than 30 lengths");
            if (!in.Has(4 + 4 * n)) return Step::Bad("dash lengths past the end of the stream");
            c.kind = CommandKind::DashDefine;
            for (size_t i = 0; i < n; ++i) {
                const DWORD d = in.U32(4 + 4 * i);
                c.numbers.push_back(d > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(d));
            }
            return Step{4 + 4 * n, {}};
        }
        case 0xAC: {
            const bool known = (b1 == 0x00 && b2 == 0x00 && b3 == 0x00) || (b1 == 0x01 && b2 == 0x06 && b3 == 0x00) ||
                               (b1 == 0x10 && b2 == 0x00) || (b1 == 0x02 && b2 == 0x02 && b3 == 0x00);
            if (!known) return Step::Bad(Hex("line style AC %02X %02X ..", b1, b2));
            c.kind = CommandKind::LineStyle;
            c.values[0] = b1;
            c.values[1] = b2;
            c.values[2] = b3;
            return Step{4, {}};
        }
        case 0xA5:
            if (b1 < 1 || b1 > 13) return Step::Bad(Hex("fill type %02X", b1, 0));
            if (b1 == 1 && b3 != 0) return Step::Bad("solid fill with a second gray");
            c.kind = CommandKind::Fill;
            c.values[0] = b1;
            c.values[1] = b2;
            c.values[2] = b3;
            return Step{4, {}};
        case 0xA0: {
            const bool small = b2 == 1 && b3 == 0 && (b1 == 0x00 || b1 == 0x10 || b1 == 0x20 || b1 == 0x30);
            const bool large = b1 == 0x03 && b2 == 1 && b3 == 1;
            if (!small && !large) return Step::Bad(Hex("pattern definition A0 %02X %02X ..", b1, b2));
            const size_t side = small ? 8 : 24;
            const size_t bytes = small ? 8 : 72;
            if (!in.Has(4 + bytes)) return Step::Bad("pattern bytes past the end of the stream");
            c.kind = CommandKind::PatternDefine;
            c.values[0] = b1;
            c.values[1] = static_cast<LONG>(side);
            c.raster.width = static_cast<WORD>(side);
            c.raster.rows = static_cast<WORD>(side);
            c.image.assign(in.Here() + 4, in.Here() + 4 + bytes);
            return Step{4 + bytes, {}};
        }
        case 0xA4:
            if (b1 != 0 || b2 != 1 || b3 > 1) return Step::Bad("pattern select not A4 00 01 00 or A4 00 01 01");
            c.kind = CommandKind::PatternSelect;
            c.values[0] = in.U16(2);
            return Step{4, {}};
        case 0xA2:
        case 0xA3:
            c.kind = CommandKind::PatternGray;
            c.values[0] = b1;
            c.values[1] = in.U16(2);
            return Step{4, {}};
        default: return Step::Bad("not an attribute command");
    }
}

Step ReadVectorText(const Cursor& in, StreamCommand& c) {
    if (in.Left() < 2 || in.Peek(1) < 'A' || in.Peek(1) > 'Z') return Step::Bad("vector command without its two letters");
    auto semi = in.Find(';', 2, kMaxTextCommand);
    if (!semi) return Step::Bad("vector command without its ';'");
    for (size_t i = 0; i < *semi; ++i) {
        if (in.Peek(i) < 0x20 || in.Peek(i) == 0x7F) return Step::Bad("control byte inside a vector command");
    }
    c.kind = CommandKind::VectorText;
    // A line record without points is "PR" alone, straight before the next command.
    if (in.Peek(0) == 'P' && in.Peek(1) == 'R' && in.Peek(2) >= 'A' && in.Peek(2) <= 'Z') {
        c.text = "PR";
        return Step{2, {}};
    }
    c.text.assign(reinterpret_cast<const char*>(in.Here()), *semi);
    // Operands: decimal numbers separated by ','.
    const std::string operands = c.text.substr(2);
    bool numeric = true;
    size_t start = 0;
    while (numeric && !operands.empty() && start <= operands.size()) {
        const size_t comma = std::min(operands.find(',', start), operands.size());
        LONG v = 0;
        numeric = Number(operands.substr(start, comma - start), &v);
        if (numeric) c.numbers.push_back(v);
        start = comma + 1;
    }
    if (!numeric) c.numbers.clear();
    // The path language's own commands must carry their operands whole.
    const std::string name = c.text.substr(0, 2);
    const size_t count = c.numbers.size();
    if ((name == "MA" && (!numeric || count != 2)) || (name == "PR" && (!numeric || count % 2 != 0)) ||
        (name == "BR" && (!numeric || count == 0 || count % 6 != 0))) {
        return Step::Bad("vector path command " + name + " with malformed operands");
    }
    return Step{*semi + 1, {}};
}

}  // namespace kvtest::decode
