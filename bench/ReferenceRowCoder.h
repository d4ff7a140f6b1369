#pragma once
// A reference for the row coder's speed: a plain delta-row coder with a run-length fallback,
// written here from the general description of such coders, in the straightforward way
// (equal stretches skipped four bytes at a time, changed bytes taken one at a time).
// Per row: a mode byte; then for delta rows, commands of 1 to 8 replaced bytes, each a byte
// holding count - 1 (top three bits) and the offset from the end of the last replacement
// (low five bits, 31 meaning more offset bytes follow, 255 meaning yet more), the replaced
// bytes after it; for run-length rows, (count - 1, byte) pairs. The run-length form is tried
// only when the delta form passes half the row, and the shorter one is kept.
#include <cstdint>
#include <cstring>

namespace kvbench {

class ReferenceRowCoder {
public:
    /// Codes rows (stride apart) against an all-zero row; the bytes written. out must hold
    /// rows * (2 * width + 2) bytes.
    static size_t Code(const uint8_t* first, uint32_t rows, uint32_t width, uint32_t stride, uint8_t* out,
                       uint8_t* scratch /* 2 * width + 2 */, const uint8_t* zeroRow) {
        uint8_t* const start = out;
        const uint8_t* seed = zeroRow;
        for (uint32_t r = 0; r < rows; ++r) {
            const uint8_t* row = first + static_cast<size_t>(r) * stride;
            uint8_t* mode = out++;
            const size_t delta = Delta(row, seed, width, out);
            *mode = 3;
            if (delta > width / 2) {
                const size_t runs = RunLength(row, width, scratch);
                if (runs < delta) {
                    std::memcpy(out, scratch, runs);
                    *mode = 2;
                    out += runs;
                    seed = row;
                    continue;
                }
            }
            out += delta;
            seed = row;
        }
        return static_cast<size_t>(out - start);
    }

private:
    static size_t Delta(const uint8_t* row, const uint8_t* seed, uint32_t width, uint8_t* out) {
        uint8_t* const start = out;
        uint32_t pos = 0;
        uint32_t last = 0;  // end of the last replacement
        while (pos < width) {
            // Skip what matches the seed row, a 32-bit word at a time where it can.
            while (pos + 4 <= width) {
                uint32_t a;
                uint32_t b;
                std::memcpy(&a, row + pos, 4);
                std::memcpy(&b, seed + pos, 4);
                if (a != b) break;
                pos += 4;
            }
            while (pos < width && row[pos] == seed[pos]) ++pos;
            if (pos >= width) break;
            uint32_t end = pos;
            while (end < width && end - pos < 8 && row[end] != seed[end]) ++end;
            uint32_t offset = pos - last;
            const uint32_t count = end - pos;
            if (offset < 31) {
                *out++ = static_cast<uint8_t>(((count - 1) << 5) | offset);
            } else {
                *out++ = static_cast<uint8_t>(((count - 1) << 5) | 31);
                offset -= 31;
                while (offset >= 255) {
                    *out++ = 255;
                    offset -= 255;
                }
                *out++ = static_cast<uint8_t>(offset);
            }
            for (uint32_t i = pos; i < end; ++i) *out++ = row[i];
            pos = end;
            last = end;
        }
        return static_cast<size_t>(out - start);
    }

    static size_t RunLength(const uint8_t* row, uint32_t width, uint8_t* out) {
        uint8_t* const start = out;
        uint32_t pos = 0;
        while (pos < width) {
            uint32_t end = pos + 1;
            while (end < width && end - pos < 256 && row[end] == row[pos]) ++end;
            *out++ = static_cast<uint8_t>(end - pos - 1);
            *out++ = row[pos];
            pos = end;
        }
        return static_cast<size_t>(out - start);
    }
};

}  // namespace kvbench
