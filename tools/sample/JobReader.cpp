#include "tools/sample/JobReader.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <optional>

#include "tools/sample/RasterDecode.h"
#include "tools/sample/StreamDecode.h"

namespace kvtest {
namespace {

constexpr BYTE kEsc = 0x1B;
constexpr BYTE kFs = 0x1C;
constexpr char kUel[] = "\x1B%-12345X";
constexpr size_t kUelSize = sizeof kUel - 1;
constexpr char kEnterVrtl[] = "@PJL ENTER LANGUAGE=VRTL";

/// Characters that follow ESC and a letter in the VRTL stream (form storage and reset).
struct EscForm {
    char letter;
    size_t characters;
};
constexpr EscForm kEscForms[] = {
    {'L', 3},  // ESC L000 and the form's first parameter
    {'/', 3},
    {'T', 2},
    {'E', 0},
    {'Q', 0},
    {'H', 0},
};

/// FS letters that begin a text command ended by '.'.
constexpr char kFsTextLetters[] = "f&d<ucp'";
/// FS f texts that open the banner page's text, which runs to FF.
constexpr const char* kBannerOpeners[] = {"LAI", "PAI"};
/// FS letters that are a whole command by themselves.
constexpr char kFsSwitchLetters[] = "YZRU";

/// Binary commands of fixed size: opcode, required second byte (-1 for none), size.
struct FixedCommand {
    BYTE opcode;
    int second;
    size_t size;
    CommandKind kind;
};
constexpr FixedCommand kFixedCommands[] = {
    {0xB6, -1, 4, CommandKind::Position},     // x i8, y i16
    {0xB7, -1, 4, CommandKind::Position},     // y i8, x i16
    {0xB8, 0x00, 8, CommandKind::Position},   // x i16, y i32
    {0xB1, -1, 4, CommandKind::ClipRect},     // dy u8, dx u16
    {0xB2, 0x00, 8, CommandKind::ClipRect},   // dy u16, dx u16, 00 00
    {0xA6, 0x00, 4, CommandKind::LogicalOp},  // foreground, background
    {0xAD, 0x00, 4, CommandKind::PenGray},    // gray, mode
    {0xDB, -1, 8, CommandKind::Rectangle},    // h u8, w, x, y u16
    {0xDC, -1, 8, CommandKind::Rectangle},
    {0xDD, 0x00, 12, CommandKind::Rectangle},  // h, w, x, y u16, 00 00
    {0xDE, 0x00, 12, CommandKind::Rectangle},
    {0xBC, 0x21, 4, CommandKind::DownloadReset},  // 00 00
    {0x0D, 0x0C, 2, CommandKind::Eject},
    {0x00, -1, 1, CommandKind::Nul},
};

using decode::Cursor;

class Decoder {
public:
    explicit Decoder(std::span<const BYTE> bytes) : in_(bytes) {}

    JobListing Run() {
        while (!in_.AtEnd()) {
            const bool ok = vrtl_ ? ReadVrtl() : ReadPjl();
            if (!ok) break;
        }
        return std::move(listing_);
    }

private:
    StreamCommand& Add(CommandKind kind, size_t size) {
        StreamCommand& c = listing_.commands.emplace_back();
        c.kind = kind;
        c.offset = in_.Pos();
        c.size = size;
        return c;
    }
    bool Fail(const std::string& what) {
        Add(CommandKind::Error, 0).text = what;
        return false;
    }
    bool Text(const BYTE* at, size_t n, std::string* out) {
        for (size_t i = 0; i < n; ++i) {
            if (at[i] < 0x20 || at[i] == 0x7F) return false;
        }
        out->assign(reinterpret_cast<const char*>(at), n);
        return true;
    }

    /// A new entry at the cursor for a family decoder to fill.
    StreamCommand& Start() { return Add(CommandKind::Error, 0); }
    /// Keeps the entry that Start made when the decoder read it, else turns it into the error.
    bool Take(const decode::Step& step) {
        StreamCommand& c = listing_.commands.back();
        if (!step.error.empty()) {
            c = StreamCommand{};
            c.kind = CommandKind::Error;
            c.offset = in_.Pos();
            c.text = step.error;
            return false;
        }
        c.size = step.size;
        in_.Skip(step.size);
        return true;
    }

    /// The banner page's text: lines ended by CR LF, up to the FF that ends the page.
    bool ReadBannerText() {
        if (in_.Peek() == 0x0C) {
            Add(CommandKind::FormFeed, 1);
            in_.Skip(1);
            banner_ = false;
            return true;
        }
        auto cr = in_.Find('\r', 0, kMaxTextCommand);
        if (!cr || in_.Peek(*cr + 1) != '\n' || *cr + 1 >= in_.Left()) return Fail("banner line without CR LF");
        for (size_t i = 0; i < *cr; ++i) {
            if (in_.Peek(i) < 0x20 || in_.Peek(i) == 0x7F) return Fail("control byte inside a banner line");
        }
        StreamCommand& c = Add(CommandKind::BannerLine, *cr + 2);
        c.text.assign(reinterpret_cast<const char*>(in_.Here()), *cr);
        in_.Skip(c.size);
        return true;
    }

    bool ReadUel() {
        Add(CommandKind::Uel, kUelSize);
        in_.Skip(kUelSize);
        vrtl_ = false;
        return true;
    }

    bool ReadPjl() {
        if (in_.StartsWith(kUel, kUelSize)) return ReadUel();
        if (!in_.StartsWith("@PJL", 4)) return Fail("expected UEL or a PJL line");
        auto cr = in_.Find('\r', 0, kMaxTextCommand);
        if (!cr || in_.Peek(*cr + 1) != '\n' || *cr + 1 >= in_.Left()) return Fail("PJL line without CRLF");
        std::string line;
        if (!Text(in_.Here(), *cr, &line)) return Fail("control byte inside a PJL line");
        Add(CommandKind::PjlLine, *cr + 2).text = line;
        in_.Skip(*cr + 2);
        if (line == kEnterVrtl) vrtl_ = true;
        return true;
    }

    bool ReadVrtl() {
        const BYTE b = in_.Peek();
        if (banner_) return ReadBannerText();
        if (b == kEsc) return ReadEsc();
        if (b == kFs) return ReadFs();
        if (b >= 'A' && b <= 'Z') return Take(decode::ReadVectorText(in_, Start()));
        if ((b == 0xF2 || b == 0xF4) && in_.Peek(3) == 0x10) return Take(decode::ReadGlyphImage(in_, Start()));
        if (b == 0xF2 || b == 0xF4) return ReadRaster();
        switch (b) {
            case 0xE0: case 0xE8: case 0xE9: case 0xEA: case 0xB5: return Take(decode::ReadPathCommand(in_, Start()));
            case 0xAF: case 0xB0: case 0xAB: case 0xAC: case 0xA5: case 0xA0: case 0xA2: case 0xA3: case 0xA4:
                return Take(decode::ReadAttributeCommand(in_, Start()));
            case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC4: case 0xC5: case 0xC6: case 0xC7: case 0xC8:
            case 0xCA: case 0xCB: case 0xCC: case 0xCD: case 0xCE: case 0xBD:
                return Take(decode::ReadTextCommand(in_, Start(), text_));
            default: break;
        }
        for (const FixedCommand& f : kFixedCommands) {
            if (f.opcode == b) return ReadFixed(f);
        }
        char what[48];
        snprintf(what, sizeof what, "unknown command byte %02X", b);
        return Fail(what);
    }

    bool ReadEsc() {
        if (in_.StartsWith(kUel, kUelSize)) return ReadUel();
        if (in_.StartsWith("\x1B" "c1", 3)) {
            Add(CommandKind::EscReset, 3).opcode = 'c';
            in_.Skip(3);
            return true;
        }
        for (const EscForm& form : kEscForms) {
            if (in_.Left() < 2 || in_.Peek(1) != form.letter) continue;
            if (in_.Left() < 2 + form.characters) return Fail("ESC command cut short");
            std::string text;
            if (!Text(in_.Here() + 2, form.characters, &text)) return Fail("control byte inside an ESC command");
            StreamCommand& c = Add(CommandKind::EscText, 2 + form.characters);
            c.opcode = static_cast<BYTE>(form.letter);
            c.text = text;
            in_.Skip(c.size);
            return true;
        }
        return Fail("unknown ESC command");
    }

    bool ReadFs() {
        if (in_.Left() < 2) return Fail("FS at the end of the stream");
        const BYTE letter = in_.Peek(1);
        if (std::strchr(kFsSwitchLetters, letter) != nullptr && letter != 0) {
            Add(CommandKind::FsSwitch, 2).opcode = letter;
            in_.Skip(2);
            return true;
        }
        if (std::strchr(kFsTextLetters, letter) != nullptr && letter != 0) {
            auto dot = in_.Find('.', 2, kMaxTextCommand);
            if (!dot) return Fail("FS text command without its '.'");
            std::string text;
            if (!Text(in_.Here() + 2, *dot - 2, &text)) return Fail("control byte inside an FS text command");
            StreamCommand& c = Add(CommandKind::FsText, *dot + 1);
            c.opcode = letter;
            c.text = text;
            in_.Skip(c.size);
            if (letter == 'f') {
                for (const char* opener : kBannerOpeners) banner_ = banner_ || text == opener;
            }
            return true;
        }
        if (letter >= '0' && letter <= '9') return ReadFsNumber();
        return Fail("unknown FS command");
    }

    /// FS followed by digits: a counted identifier (two digits, then that many characters)
    /// or the print-port block (a count, then 'z' and that many bytes).
    bool ReadFsNumber() {
        size_t digits = 0;
        size_t count = 0;
        while (digits < 6 && in_.Left() > 1 + digits && in_.Peek(1 + digits) >= '0' && in_.Peek(1 + digits) <= '9') {
            count = count * 10 + (in_.Peek(1 + digits) - '0');
            ++digits;
        }
        const size_t head = 1 + digits;
        if (in_.Peek(head) == 'z' && in_.Left() > head) {
            if (count > in_.Left() - head) return Fail("print-port block longer than the stream");
            std::string block(reinterpret_cast<const char*>(in_.Here() + head), count);
            const std::string start = "zRDStart\r\nDrvName=";
            const std::string end = "\r\nRDEnd\r\n";
            if (block.size() < start.size() + end.size() || block.compare(0, start.size(), start) != 0 ||
                block.compare(block.size() - end.size(), end.size(), end) != 0) {
                return Fail("malformed print-port block");
            }
            StreamCommand& c = Add(CommandKind::RelaydockMarker, head + count);
            c.text = block.substr(start.size(), block.size() - start.size() - end.size());
            c.values[0] = static_cast<LONG>(count);
            in_.Skip(c.size);
            return true;
        }
        if (digits != 2) return Fail("FS number is neither a counted identifier nor a print-port block");
        if (in_.Left() < head + count) return Fail("FS counted identifier cut short");
        std::string text;
        if (!Text(in_.Here() + head, count, &text)) return Fail("control byte inside an FS identifier");
        StreamCommand& c = Add(CommandKind::FsCounted, head + count);
        c.text = text;
        in_.Skip(c.size);
        return true;
    }

    bool ReadFixed(const FixedCommand& f) {
        if (in_.Left() < f.size) return Fail("command cut short");
        if (f.second >= 0 && in_.Peek(1) != f.second) {
            char what[64];
            snprintf(what, sizeof what, "command %02X followed by %02X", f.opcode, in_.Peek(1));
            return Fail(what);
        }
        StreamCommand& c = Add(f.kind, f.size);
        c.opcode = f.opcode;
        switch (f.opcode) {
            case 0xB6: c.values[0] = in_.S8(1); c.values[1] = in_.S16(2); break;
            case 0xB7: c.values[1] = in_.S8(1); c.values[0] = in_.S16(2); break;
            case 0xB8: c.values[0] = in_.S16(2); c.values[1] = static_cast<LONG>(in_.U32(4)); break;
            case 0xB1: c.values[0] = in_.U8(1); c.values[1] = in_.U16(2); break;
            case 0xB2: c.values[0] = in_.U16(2); c.values[1] = in_.U16(4); break;
            case 0xA6:
            case 0xAD: c.values[0] = in_.U8(2); c.values[1] = in_.U8(3); break;
            case 0xDB:
            case 0xDC:
                c.values[0] = in_.U8(1);
                for (int i = 1; i < 4; ++i) c.values[i] = in_.U16(2 * i);
                break;
            case 0xDD:
            case 0xDE:
                for (int i = 0; i < 4; ++i) c.values[i] = in_.U16(2 + 2 * i);
                break;
            default: break;
        }
        // Fixed operand bytes that must be zero.
        const bool zerosBad = (f.opcode == 0xB2 && (in_.Peek(6) | in_.Peek(7)) != 0) ||
                              ((f.opcode == 0xDD || f.opcode == 0xDE) && (in_.Peek(10) | in_.Peek(11)) != 0) ||
                              (f.opcode == 0xBC && (in_.Peek(2) | in_.Peek(3)) != 0);
        if (zerosBad) {
            listing_.commands.pop_back();
            return Fail("non-zero filler bytes");
        }
        // The printer forgets its downloaded glyphs.
        if (f.kind == CommandKind::DownloadReset) text_.nextCode.clear();
        in_.Skip(f.size);
        return true;
    }

    bool ReadRaster() {
        if (in_.Left() < 4 || in_.Peek(1) != 0 || in_.Peek(2) != 0 || (in_.Peek(3) != 0x00 && in_.Peek(3) != 0x20)) {
            return Fail("raster opcode not followed by 00 00 00, 00 00 10 or 00 00 20");
        }
        RasterHeader h;
        h.scaled = in_.Peek() == 0xF4;
        h.compressed = in_.Peek(3) == 0x20;
        const size_t headerSize = h.scaled ? 16 : 12;
        if (in_.Left() < headerSize) return Fail("raster header cut short");
        h.width = static_cast<WORD>(in_.U16(4));
        h.rows = static_cast<WORD>(in_.U16(6));
        size_t at = 8;
        if (h.scaled) {
            h.pageWidth = static_cast<WORD>(in_.U16(8));
            h.pageHeight = static_cast<WORD>(in_.U16(10));
            at = 12;
        }
        h.dataBytes = in_.U32(at);
        h.dataOffset = in_.Pos() + headerSize;
        if (h.dataBytes > in_.Left() - headerSize) return Fail("raster data longer than the stream");
        const size_t imageBytes = h.Stride() * h.rows;
        if (imageBytes > kMaxRasterImageBytes) return Fail("raster image too large");
        const BYTE* data = in_.Here() + headerSize;
        std::vector<BYTE> image;
        if (h.compressed) {
            auto decoded = DecodeRasterRows(data, h.dataBytes, std::vector<BYTE>(h.Stride(), 0), h.rows, h.Stride());
            if (!decoded) return Fail("raster data does not decompress");
            image = std::move(*decoded);
            // The coder's stream ends with the last row's end code; extra bytes are wrong.
            if (!EndsExactly(data, h)) return Fail("raster data longer than its rows");
        } else {
            if (h.dataBytes != imageBytes) return Fail("raw raster length is not rows x stride");
            image.assign(data, data + h.dataBytes);
        }
        StreamCommand& c = Add(CommandKind::Raster, headerSize + h.dataBytes);
        c.opcode = in_.Peek();
        c.raster = h;
        c.image = std::move(image);
        in_.Skip(c.size);
        return true;
    }

    /// The decoder stops after the last row and ignores what follows, so a stream with
    /// bytes beyond its rows still decodes without its last byte.
    static bool EndsExactly(const BYTE* data, const RasterHeader& h) {
        if (h.dataBytes == 0) return true;
        return !DecodeRasterRows(data, h.dataBytes - 1, std::vector<BYTE>(h.Stride(), 0), h.rows, h.Stride());
    }

    Cursor in_;
    JobListing listing_;
    bool vrtl_ = false;
    bool banner_ = false;
    decode::TextContext text_;
};

}  // namespace

const char* CommandKindName(CommandKind kind) {
    switch (kind) {
        case CommandKind::Uel: return "UEL";
        case CommandKind::PjlLine: return "PJL";
        case CommandKind::FsSwitch: return "FS";
        case CommandKind::FsText: return "FS-text";
        case CommandKind::FsCounted: return "FS-id";
        case CommandKind::RelaydockMarker: return "RD-block";
        case CommandKind::EscReset: return "ESC-c1";
        case CommandKind::EscText: return "ESC";
        case CommandKind::VectorText: return "vector";
        case CommandKind::Position: return "position";
        case CommandKind::ClipRect: return "clip";
        case CommandKind::LogicalOp: return "logic-op";
        case CommandKind::PenGray: return "pen";
        case CommandKind::Rectangle: return "rectangle";
        case CommandKind::DownloadReset: return "dl-reset";
        case CommandKind::Raster: return "raster";
        case CommandKind::Eject: return "eject";
        case CommandKind::Nul: return "NUL";
        case CommandKind::Error: return "ERROR";
        case CommandKind::Polyline: return "polyline";
        case CommandKind::Path: return "path";
        case CommandKind::ClipPath: return "clip-path";
        case CommandKind::LineWidth: return "width";
        case CommandKind::LineJoin: return "cap-join";
        case CommandKind::DashDefine: return "dashes";
        case CommandKind::LineStyle: return "style";
        case CommandKind::Fill: return "fill";
        case CommandKind::PatternDefine: return "pattern";
        case CommandKind::PatternSelect: return "pat-select";
        case CommandKind::PatternGray: return "pat-gray";
        case CommandKind::CharMode: return "char-mode";
        case CommandKind::TextGray: return "text-gray";
        case CommandKind::FontSelect: return "font";
        case CommandKind::CharSize: return "size";
        case CommandKind::CharStyle: return "char-style";
        case CommandKind::CharDirection: return "direction";
        case CommandKind::Characters: return "chars";
        case CommandKind::GlyphDownload: return "download";
        case CommandKind::GlyphImage: return "glyph-img";
        case CommandKind::BannerLine: return "banner";
        case CommandKind::FormFeed: return "FF";
    }
    return "?";
}

std::string StreamCommand::Describe() const {
    char line[160];
    std::string out;
    snprintf(line, sizeof line, "%08zX %-9s ", offset, CommandKindName(kind));
    out = line;
    switch (kind) {
        case CommandKind::PjlLine:
        case CommandKind::FsCounted:
        case CommandKind::VectorText:
        case CommandKind::RelaydockMarker:
        case CommandKind::Error: out += text; break;
        case CommandKind::FsSwitch: out += static_cast<char>(opcode); break;
        case CommandKind::FsText:
        case CommandKind::EscText:
            out += static_cast<char>(opcode);
            out += text;
            break;
        case CommandKind::Position: snprintf(line, sizeof line, "%02X x=%d y=%d", opcode, values[0], values[1]); out += line; break;
        case CommandKind::ClipRect: snprintf(line, sizeof line, "%02X dy=%d dx=%d", opcode, values[0], values[1]); out += line; break;
        case CommandKind::LogicalOp:
        case CommandKind::PenGray: snprintf(line, sizeof line, "%02X %02X", values[0], values[1]); out += line; break;
        case CommandKind::Rectangle:
            snprintf(line, sizeof line, "%02X h=%d w=%d x=%d y=%d", opcode, values[0], values[1], values[2], values[3]);
            out += line;
            break;
        case CommandKind::Polyline:
        case CommandKind::Path:
        case CommandKind::ClipPath:
            snprintf(line, sizeof line, "%02X %02X", opcode, values[0]);
            out += line;
            for (const PathFigure& f : figures) {
                snprintf(line, sizeof line, " [%d:%zu]", f.kind, f.points.size());
                out += line;
                for (size_t i = 0; i < f.points.size() && i < 6; ++i) {
                    snprintf(line, sizeof line, " %d,%d", f.points[i].x, f.points[i].y);
                    out += line;
                }
                if (f.points.size() > 6) out += " ...";
            }
            break;
        case CommandKind::LineWidth:
        case CommandKind::CharMode:
        case CommandKind::TextGray:
        case CommandKind::CharDirection: snprintf(line, sizeof line, "%d", values[0]); out += line; break;
        case CommandKind::LineJoin: snprintf(line, sizeof line, "%02X miter=%d", values[0], values[1]); out += line; break;
        case CommandKind::DashDefine:
            for (LONG n : numbers) out += std::to_string(n) + " ";
            break;
        case CommandKind::LineStyle:
        case CommandKind::Fill:
            snprintf(line, sizeof line, "%02X %02X %02X", values[0], values[1], values[2]);
            out += line;
            break;
        case CommandKind::PatternDefine: snprintf(line, sizeof line, "%02X %dx%d", values[0], values[1], values[1]); out += line; break;
        case CommandKind::PatternSelect:
        case CommandKind::CharStyle: snprintf(line, sizeof line, "%04X", values[0]); out += line; break;
        case CommandKind::PatternGray:
        case CommandKind::FontSelect:
        case CommandKind::CharSize:
            snprintf(line, sizeof line, "%02X %02X %d", opcode, values[0], values[1]);
            out += line;
            break;
        case CommandKind::Characters:
            snprintf(line, sizeof line, "%02X%s", opcode, opcode == 0xCD && !displaced ? " plain" : "");
            out += line;
            for (size_t i = 0; i < chars.size() && i < 16; ++i) {
                if (opcode == 0xCD && displaced) snprintf(line, sizeof line, " %X(%d,%d)", chars[i].code, chars[i].dx, chars[i].dy);
                else snprintf(line, sizeof line, " %X", chars[i].code);
                out += line;
            }
            if (chars.size() > 16) out += " ...";
            break;
        case CommandKind::GlyphDownload:
            snprintf(line, sizeof line, "%02X font=%04X code=%d %dx%d", opcode, values[0], values[1], values[2], values[3]);
            out += line;
            break;
        case CommandKind::BannerLine: out += text; break;
        case CommandKind::GlyphImage:
        case CommandKind::Raster:
            snprintf(line, sizeof line, "%02X %s %ux%u", opcode,
                     kind == CommandKind::GlyphImage ? "strips" : raster.compressed ? "compressed" : "raw", raster.width, raster.rows);
            out += line;
            if (raster.scaled) {
                snprintf(line, sizeof line, " on %ux%u", raster.pageWidth, raster.pageHeight);
                out += line;
            }
            snprintf(line, sizeof line, " %u bytes", raster.dataBytes);
            out += line;
            break;
        default: break;
    }
    return out;
}

const StreamCommand* JobListing::Error() const {
    if (!commands.empty() && commands.back().kind == CommandKind::Error) return &commands.back();
    return nullptr;
}

size_t JobListing::Count(CommandKind kind) const {
    return static_cast<size_t>(
        std::count_if(commands.begin(), commands.end(), [kind](const StreamCommand& c) { return c.kind == kind; }));
}

std::vector<const StreamCommand*> JobListing::All(CommandKind kind) const {
    std::vector<const StreamCommand*> out;
    for (const StreamCommand& c : commands) {
        if (c.kind == kind) out.push_back(&c);
    }
    return out;
}

std::vector<std::string> JobListing::PjlLines() const {
    std::vector<std::string> out;
    for (const StreamCommand& c : commands) {
        if (c.kind == CommandKind::PjlLine) out.push_back(c.text);
    }
    return out;
}

std::string JobListing::Describe(size_t maxLines) const {
    std::string out;
    const size_t n = commands.size();
    const size_t head = maxLines / 2;
    for (size_t i = 0; i < n; ++i) {
        if (n > maxLines && i == head) {
            out += "  ... " + std::to_string(n - maxLines) + " commands left out ...\n";
            i = n - (maxLines - head);
        }
        out += commands[i].Describe();
        out += '\n';
    }
    return out;
}

JobListing DecodeJobStream(std::span<const BYTE> stream) { return Decoder(stream).Run(); }

}  // namespace kvtest
