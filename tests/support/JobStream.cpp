#include "tests/support/JobStream.h"

#include <algorithm>

namespace kvtest {

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
