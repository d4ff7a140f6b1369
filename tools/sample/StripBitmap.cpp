// The strip bitmap of glyph downloads and glyph images: u32 0, u16 width rounded up to 16,
// u16 height, one u32 offset (in 4-byte units from the data's start) per 16-pixel strip; each
// strip record has ceil(height / 32) row-flag words (bit r % 32 of word r / 32, bit 0 the
// least significant; a set bit starts a new row), two bytes per flagged row and two zero
// bytes when the flagged count is odd. An unflagged row repeats the row above.
#include "tools/sample/StreamDecode.h"

namespace kvtest::decode {
namespace {

DWORD Be32(const BYTE* p) {
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) | (static_cast<DWORD>(p[2]) << 8) | p[3];
}
WORD Be16(const BYTE* p) { return static_cast<WORD>((p[0] << 8) | p[1]); }

std::optional<StripImage> Fail(std::string* error, const char* what) {
    *error = what;
    return std::nullopt;
}

}  // namespace

std::optional<StripImage> DecodeStripBitmap(const BYTE* data, size_t size, std::string* error) {
    error->clear();
    if (size < 8) return Fail(error, "strip bitmap header cut short");
    if (Be32(data) != 0) return Fail(error, "strip bitmap does not begin with a zero word");
    StripImage out;
    out.width16 = Be16(data + 4);
    out.height = Be16(data + 6);
    if (out.width16 == 0 || out.width16 % 16 != 0) return Fail(error, "strip bitmap width is not a multiple of 16");
    if (out.height == 0) return Fail(error, "strip bitmap without rows");
    const size_t strips = out.width16 / 16u;
    const size_t rowBytes = strips * 2;
    if (size < 8 + 4 * strips) return Fail(error, "strip offsets cut short");
    const size_t flagWords = (out.height + 31u) / 32u;
    out.rows.assign(rowBytes * out.height, 0);
    size_t recordBytes = 0;
    for (size_t s = 0; s < strips; ++s) {
        const size_t at = static_cast<size_t>(Be32(data + 8 + 4 * s)) * 4;
        if (at < 8 + 4 * strips || at > size || size - at < 4 * flagWords) return Fail(error, "strip offset outside the data");
        const BYTE* flags = data + at;
        if ((Be32(flags) & 1) == 0) return Fail(error, "strip without its first row");
        size_t flagged = 0;
        for (size_t r = 0; r < flagWords * 32; ++r) {
            const bool set = (Be32(flags + 4 * (r / 32)) >> (r % 32) & 1) != 0;
            if (set && r >= out.height) return Fail(error, "row flag past the last row");
            flagged += set ? 1 : 0;
        }
        const size_t record = 4 * flagWords + 2 * flagged + (flagged % 2 == 1 ? 2 : 0);
        if (size - at < record) return Fail(error, "strip rows cut short");
        const BYTE* row = flags + 4 * flagWords;
        const BYTE* stored = row;
        for (size_t r = 0; r < out.height; ++r) {
            if ((Be32(flags + 4 * (r / 32)) >> (r % 32) & 1) != 0) {
                stored = row;
                row += 2;
            }
            out.rows[r * rowBytes + 2 * s] = stored[0];
            out.rows[r * rowBytes + 2 * s + 1] = stored[1];
        }
        if (flagged % 2 == 1 && (row[0] | row[1]) != 0) return Fail(error, "non-zero strip padding");
        recordBytes += record;
    }
    if (size != 8 + 4 * strips + recordBytes) return Fail(error, "strip bitmap length does not match its strips");
    return out;
}

}  // namespace kvtest::decode
