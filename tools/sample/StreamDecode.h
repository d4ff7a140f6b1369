#pragma once
// The job reader's own parts: the bounded cursor over the stream, the decoders of the
// vector, attribute and text command families, the packed point stream and the strip bitmap.
// Each command decoder looks at the command that starts at the cursor, fills one listing
// entry and answers how many bytes it takes, or why it cannot be read; it never reads past
// the stream's end and never moves the cursor.
#include <cstddef>
#include <cstring>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/sample/JobReader.h"

namespace kvtest::decode {

/// A cursor over the stream that never reads past its end.
class Cursor {
public:
    explicit Cursor(std::span<const BYTE> bytes) : bytes_(bytes) {}
    size_t Pos() const { return pos_; }
    size_t Left() const { return bytes_.size() - pos_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    /// The byte `ahead` of the cursor, 0 past the end.
    BYTE Peek(size_t ahead = 0) const { return ahead < Left() ? bytes_[pos_ + ahead] : 0; }
    bool Has(size_t n) const { return n <= Left(); }
    bool StartsWith(const char* text, size_t n) const {
        return n <= Left() && std::memcmp(bytes_.data() + pos_, text, n) == 0;
    }
    const BYTE* Here() const { return bytes_.data() + pos_; }
    void Skip(size_t n) { pos_ += n < Left() ? n : Left(); }
    /// Offset of the first `value` at or after pos + from, within `limit` bytes, or none.
    std::optional<size_t> Find(BYTE value, size_t from, size_t limit) const {
        const size_t end = pos_ + (Left() < from + limit ? Left() : from + limit);
        for (size_t i = pos_ + from; i < end; ++i) {
            if (bytes_[i] == value) return i - pos_;
        }
        return std::nullopt;
    }
    // Big-endian reads at `at` bytes ahead; callers check Has() first.
    LONG U8(size_t at) const { return bytes_[pos_ + at]; }
    LONG S8(size_t at) const { return static_cast<signed char>(bytes_[pos_ + at]); }
    LONG U16(size_t at) const { return (U8(at) << 8) | U8(at + 1); }
    LONG S16(size_t at) const { return static_cast<SHORT>(U16(at)); }
    DWORD U32(size_t at) const { return (static_cast<DWORD>(U16(at)) << 16) | static_cast<DWORD>(U16(at + 2)); }

private:
    std::span<const BYTE> bytes_;
    size_t pos_ = 0;
};

/// What a command decoder answers: the command's size, or the reason it is malformed.
struct Step {
    size_t size = 0;
    std::string error;
    static Step Bad(std::string why) { return Step{0, std::move(why)}; }
};

/// What the text commands need to know of the commands before them.
struct TextContext {
    /// Bytes of a character code: 0 before any font select, 1 after CA, 2 after CB.
    int codeBytes = 0;
    /// Per download font: the code the next C1 gets.
    std::map<WORD, LONG> nextCode;
};

/// E0, E8, E9, EA and B5 (paths and clip paths).
Step ReadPathCommand(const Cursor& in, StreamCommand& c);
/// AF, B0, AB, AC, A5, A0, A2, A3, A4 (line and fill attributes).
Step ReadAttributeCommand(const Cursor& in, StreamCommand& c);
/// C0-C8, CA-CE and BD (fonts, sizes, characters, glyph downloads, text gray).
Step ReadTextCommand(const Cursor& in, StreamCommand& c, TextContext& text);
/// F2 / F4 00 00 10 glyph image blocks.
Step ReadGlyphImage(const Cursor& in, StreamCommand& c);
/// An ASCII vector command (two capital letters up to ';'): its decimal operands.
Step ReadVectorText(const Cursor& in, StreamCommand& c);

// --- Packed point stream --------------------------------------------------------------------

/// The three layouts of packed point records.
enum class PackedLayout {
    Figure,       // a start point, then n - 1 ordinary points (E0 04, E8 / E9 2x)
    MultiFigure,  // per figure (0, n), start, n - 1 ordinary; then (0, 0) (E8 / E9 Ax, B5 04)
    CountPairs,   // per figure (0, 1), (k, n), start, n - 1 ordinary (EA)
};

/// Decodes `records` packed records of `layout` from `size` bytes. The bytes must hold
/// exactly those records and at most one zero pad nibble. Empty with `error` set otherwise.
std::optional<std::vector<PathFigure>> DecodePackedPoints(const BYTE* data, size_t size, size_t records,
                                                          PackedLayout layout, std::string* error);

// --- Strip bitmap ---------------------------------------------------------------------------

/// A decoded strip bitmap: rows of (width16 / 8) bytes, a set bit black.
struct StripImage {
    WORD width16 = 0;  // the width rounded up to 16
    WORD height = 0;
    std::vector<BYTE> rows;
};

/// Decodes a strip bitmap of exactly `size` bytes; empty with `error` set when it is
/// malformed (header, strip offsets outside the data, rows cut short, bytes left over).
std::optional<StripImage> DecodeStripBitmap(const BYTE* data, size_t size, std::string* error);

}  // namespace kvtest::decode
