#include "tools/sample/RasterDecode.h"

namespace kvtest {
namespace {

// Reads the extension that follows a long form: 255 per 0xFF, then the last byte.
bool ReadExtension(const BYTE* data, size_t size, size_t& pos, size_t& count) {
    count = 63;
    while (pos < size && data[pos] == 0xFF) {
        count += 255;
        ++pos;
    }
    if (pos >= size) return false;
    count += data[pos++];
    return true;
}

}  // namespace

std::optional<std::vector<BYTE>> DecodeRasterRows(const BYTE* data, size_t size, const std::vector<BYTE>& seed,
                                                  size_t rows, size_t width) {
    if (seed.size() < width) return std::nullopt;
    std::vector<BYTE> image(rows * width);
    size_t pos = 0;
    for (size_t r = 0; r < rows; ++r) {
        const BYTE* above = r == 0 ? seed.data() : image.data() + (r - 1) * width;
        BYTE* row = image.data() + r * width;
        size_t x = 0;
        for (;;) {
            if (pos >= size) return std::nullopt;
            const BYTE code = data[pos++];
            if (code == 0x80) break;
            size_t count = 0;
            if (code >= 0x01 && code <= 0x3F) {
                count = code;
                if (code == 0x3F && !ReadExtension(data, size, pos, count)) return std::nullopt;
                if (x + count > width) return std::nullopt;
                for (size_t i = 0; i < count; ++i, ++x) row[x] = above[x];
            } else if (code >= 0x41 && code <= 0x7F) {
                count = code - 0x40u;
                if (code == 0x7F && !ReadExtension(data, size, pos, count)) return std::nullopt;
                if (x + count > width || pos + count > size) return std::nullopt;
                for (size_t i = 0; i < count; ++i) row[x++] = data[pos++];
            } else if (code >= 0x82 && code <= 0xBF) {
                count = code - 0x80u;
                if (code == 0xBF && !ReadExtension(data, size, pos, count)) return std::nullopt;
                if (x + count > width || pos >= size) return std::nullopt;
                const BYTE value = data[pos++];
                for (size_t i = 0; i < count; ++i) row[x++] = value;
            } else {
                return std::nullopt;  // 0x00, 0x40, 0x81 and 0xC0-0xFF begin no code
            }
        }
        if (x != width) return std::nullopt;
    }
    return image;
}

}  // namespace kvtest
