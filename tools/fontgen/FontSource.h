#pragma once
// The font data as the generator reads it: one record per face, every value resolved from
// the face's own block or its family's.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace fontgen {

/// Bad or missing data; the message names the file and line.
struct DataError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct KerningPair {
    char16_t first;
    char16_t second;
    int16_t adjustment;
};

struct FontFace {
    int face = 0;
    std::string displayName;
    std::string hyphenatedName;
    std::string familyName;
    std::string selectId;  // 8 ASCII characters
    std::u16string metricsName;
    int charset = 0;
    int pitchAndFamily = 0;
    uint32_t info = 0;
    int weight = 400;
    bool italic = false;
    int ascender = 0, descender = 0, lineGap = 0;
    int averageWidth = 0, maximumWidth = 0;
    int capHeight = 0, xHeight = 0;
    int underscoreSize = 0, underscorePosition = 0;
    int strikeoutSize = 0, strikeoutPosition = 0;
    uint8_t panose[10] = {};
    std::vector<uint8_t> codes;    // the device code of each width entry
    std::vector<uint16_t> widths;  // one per code
    std::vector<KerningPair> kerning;
};

/// Every face of the folder's *.font files, ordered by face number; the numbers must run
/// from 1 without a gap.
std::vector<FontFace> ReadFonts(const std::string& folder);

/// UTF-8 to UTF-16 (characters of the Basic Multilingual Plane only).
std::u16string Utf16(const std::string& utf8, const std::string& where);

}  // namespace fontgen
