#include "tests/support/JobStream.h"

#include <algorithm>
#include <cstdio>

namespace kvtest {
namespace {

std::string Hex(const BYTE* bytes, size_t n) {
    std::string out;
    char cell[4];
    for (size_t i = 0; i < n; ++i) {
        snprintf(cell, sizeof cell, "%02X ", bytes[i]);
        out += cell;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

/// Hex lines of 16 bytes around `at` (two lines before, four after), offsets on the left.
std::string HexWindow(std::span<const BYTE> bytes, size_t at) {
    const size_t first = (at / 16 >= 2 ? at / 16 - 2 : 0) * 16;
    const size_t last = std::min(bytes.size(), (at / 16 + 4) * 16);
    std::string out;
    char offset[32];
    for (size_t line = first; line < last; line += 16) {
        snprintf(offset, sizeof offset, "  %06zX  ", line);
        out += offset;
        out += Hex(bytes.data() + line, std::min<size_t>(16, last - line));
        out += '\n';
    }
    return out;
}

}  // namespace

std::string CompareBytes(std::span<const BYTE> expected, std::span<const BYTE> actual) {
    const size_t common = std::min(expected.size(), actual.size());
    size_t at = 0;
    while (at < common && expected[at] == actual[at]) ++at;
    if (at == common && expected.size() == actual.size()) return {};
    char head[128];
    if (at == common) {
        snprintf(head, sizeof head, "streams agree for %zu bytes, then expected has %zu bytes and actual %zu\n", at,
                 expected.size(), actual.size());
    } else {
        snprintf(head, sizeof head, "first difference at offset %zu (0x%zX): expected %02X, actual %02X\n", at, at,
                 expected[at], actual[at]);
    }
    return std::string(head) + "expected:\n" + HexWindow(expected, at) + "actual:\n" + HexWindow(actual, at);
}

std::string ComparePages(const PageImage& expected, const PageImage& actual) {
    if (expected.width != actual.width || expected.height != actual.height) {
        return "page sizes differ: expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height) +
               ", actual " + std::to_string(actual.width) + "x" + std::to_string(actual.height);
    }
    if (expected.bits == actual.bits) return {};
    size_t differing = 0;
    LONG fx = -1;
    LONG fy = -1;
    for (LONG y = 0; y < expected.height; ++y) {
        for (LONG x = 0; x < expected.width; ++x) {
            if (expected.Black(x, y) == actual.Black(x, y)) continue;
            if (differing++ == 0) {
                fx = x;
                fy = y;
            }
        }
    }
    if (differing == 0) return {};
    std::string out = std::to_string(differing) + " pixels differ, the first at (" + std::to_string(fx) + ", " +
                      std::to_string(fy) + "); expected | actual ('#' black):\n";
    for (LONG y = std::max<LONG>(0, fy - 4); y < std::min(expected.height, fy + 5); ++y) {
        std::string left;
        std::string right;
        for (LONG x = std::max<LONG>(0, fx - 16); x < std::min(expected.width, fx + 17); ++x) {
            left += expected.Black(x, y) ? '#' : '.';
            right += actual.Black(x, y) ? '#' : '.';
        }
        out += "  " + left + " | " + right + "\n";
    }
    return out;
}

}  // namespace kvtest
