// Reading the font data: the families (*.font), width tables (*.widths), kerning pairs
// (*.kern) and the single-byte code order (codes.txt). The formats are described in the data
// folder's README.txt.
#include "FontSource.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fontgen {
namespace {

constexpr int kSingleByteCodes = 226;
constexpr int kNoWidth = -1;

struct Token {
    std::string text;
    bool quoted = false;
};

struct Line {
    std::string where;  // "file:line"
    std::vector<Token> tokens;
};

[[noreturn]] void Fail(const std::string& where, const std::string& message) {
    throw DataError(where + ": " + message);
}

std::vector<Line> ReadLines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataError(path.string() + ": cannot read the file");
    std::vector<Line> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        Line line{path.filename().string() + ":" + std::to_string(number), {}};
        size_t i = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == ';') {
                break;
            } else if (c == '"') {
                const size_t end = text.find('"', i + 1);
                if (end == std::string::npos) Fail(line.where, "the text is not closed");
                line.tokens.push_back({text.substr(i + 1, end - i - 1), true});
                i = end + 1;
            } else {
                size_t end = i;
                while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r') ++end;
                line.tokens.push_back({text.substr(i, end - i), false});
                i = end;
            }
        }
        if (!line.tokens.empty()) lines.push_back(std::move(line));
    }
    return lines;
}

long Number(const Line& line, size_t index, long low, long high) {
    if (index >= line.tokens.size() || line.tokens[index].quoted) Fail(line.where, "a number is missing");
    const std::string& text = line.tokens[index].text;
    size_t used = 0;
    long value = 0;
    try {
        value = std::stol(text, &used, 0);
    } catch (const std::exception&) {
        Fail(line.where, "'" + text + "' is not a number");
    }
    if (used != text.size()) Fail(line.where, "'" + text + "' is not a number");
    if (value < low || value > high) Fail(line.where, text + " is out of range");
    return value;
}

void ExpectCount(const Line& line, size_t count) {
    if (line.tokens.size() != count) Fail(line.where, "'" + line.tokens[0].text + "' takes " +
                                                          std::to_string(count - 1) + " values");
}

// "X" is the character itself (ASCII), "U+xxxx" a UTF-16 value.
char16_t Character(const Line& line, size_t index) {
    const std::string& text = line.tokens[index].text;
    if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 0x80) return static_cast<char16_t>(text[0]);
    if (text.size() > 2 && text[0] == 'U' && text[1] == '+') {
        size_t used = 0;
        unsigned long value = 0;
        try {
            value = std::stoul(text.substr(2), &used, 16);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == text.size() - 2 && value > 0 && value <= 0xFFFF) return static_cast<char16_t>(value);
    }
    Fail(line.where, "'" + text + "' is not a character");
}

std::vector<uint8_t> ReadCodeOrder(const std::filesystem::path& path) {
    std::vector<uint8_t> codes;
    for (const Line& line : ReadLines(path)) {
        for (const Token& token : line.tokens) {
            const size_t dash = token.text.find('-');
            Line one{line.where, {Token{token.text.substr(0, dash)}}};
            const long first = Number(one, 0, 1, 255);
            long last = first;
            if (dash != std::string::npos) {
                one.tokens[0].text = token.text.substr(dash + 1);
                last = Number(one, 0, first, 255);
            }
            for (long c = first; c <= last; ++c) codes.push_back(static_cast<uint8_t>(c));
        }
    }
    if (codes.size() != kSingleByteCodes) {
        throw DataError(path.filename().string() + ": " + std::to_string(codes.size()) + " codes, not " +
                        std::to_string(kSingleByteCodes));
    }
    return codes;
}

std::array<int, 256> ReadWidthTable(const std::filesystem::path& path) {
    std::array<int, 256> widths;
    widths.fill(kNoWidth);
    std::array<bool, 16> rowSeen{};
    for (const Line& line : ReadLines(path)) {
        ExpectCount(line, 17);
        const long row = Number(line, 0, 0, 0xF0);
        if (row % 16 != 0 || rowSeen[row / 16]) Fail(line.where, "a row starts at a new multiple of 16");
        rowSeen[row / 16] = true;
        for (size_t i = 1; i <= 16; ++i) {
            if (line.tokens[i].text == "-") continue;
            widths[row + i - 1] = static_cast<int>(Number(line, i, 0, 0x7FFF));
        }
    }
    return widths;
}

std::vector<KerningPair> ReadKerning(const std::filesystem::path& path) {
    std::vector<KerningPair> pairs;
    for (const Line& line : ReadLines(path)) {
        ExpectCount(line, 3);
        const KerningPair pair{Character(line, 0), Character(line, 1),
                               static_cast<int16_t>(Number(line, 2, -1000, 1000))};
        if (pair.adjustment == 0) Fail(line.where, "a pair without adjustment");
        for (const KerningPair& other : pairs) {
            if (other.first == pair.first && other.second == pair.second) Fail(line.where, "the pair comes twice");
        }
        pairs.push_back(pair);
    }
    return pairs;
}

// The values of one block: key to its line.
using Block = std::map<std::string, Line>;

class FamilyReader {
public:
    FamilyReader(std::filesystem::path folder, const std::vector<uint8_t>& singleByteCodes)
        : folder_(std::move(folder)), singleByteCodes_(singleByteCodes) {}

    void Read(const std::filesystem::path& path, std::vector<FontFace>& faces) {
        Block family;
        Block* current = &family;
        std::vector<std::pair<Line, Block>> blocks;
        for (Line& line : ReadLines(path)) {
            const std::string key = line.tokens[0].text;
            if (key == "face") {
                ExpectCount(line, 4);
                blocks.emplace_back(line, Block{});
                current = &blocks.back().second;
                continue;
            }
            if (current->count(key) != 0) Fail(line.where, "'" + key + "' comes twice");
            current->emplace(key, std::move(line));
        }
        if (blocks.empty()) throw DataError(path.filename().string() + ": no face");
        for (const auto& [faceLine, own] : blocks) faces.push_back(Resolve(faceLine, own, family));
    }

private:
    FontFace Resolve(const Line& faceLine, const Block& own, const Block& family) {
        auto value = [&](const char* key) -> const Line* {
            if (auto it = own.find(key); it != own.end()) return &it->second;
            if (auto it = family.find(key); it != family.end()) return &it->second;
            return nullptr;
        };
        auto need = [&](const char* key, size_t count) -> const Line& {
            const Line* line = value(key);
            if (line == nullptr) Fail(faceLine.where, std::string("the face has no '") + key + "'");
            ExpectCount(*line, count + 1);
            return *line;
        };
        auto text = [&](const Line& line, size_t index) -> const std::string& {
            if (index >= line.tokens.size()) Fail(line.where, "a text is missing");
            return line.tokens[index].text;
        };
        for (const Block* block : {&own, &family}) {
            for (const auto& [key, line] : *block) {
                static const char* const kKeys[] = {"family", "select", "charset", "pitch", "info", "weight",
                                                    "italic", "name", "extent", "width", "heights", "underscore",
                                                    "strikeout", "panose", "widths", "kerning", "codes"};
                const std::string& name = key;  // a structured binding is not captured by older compilers
                if (std::find_if(std::begin(kKeys), std::end(kKeys), [&name](const char* k) { return name == k; }) ==
                    std::end(kKeys)) {
                    Fail(line.where, "unknown key '" + key + "'");
                }
            }
        }

        FontFace f;
        f.face = static_cast<int>(Number(faceLine, 1, 1, 0xFFFF));
        f.displayName = Ascii(faceLine, text(faceLine, 2));
        f.hyphenatedName = Ascii(faceLine, text(faceLine, 3));
        f.familyName = Ascii(need("family", 1), text(need("family", 1), 1));
        const Line& select = need("select", 1);
        f.selectId = Ascii(select, text(select, 1));
        if (f.selectId.size() != 8) Fail(select.where, "a select id has 8 characters");
        const Line& name = need("name", 1);
        f.metricsName = Utf16(text(name, 1), name.where);
        f.charset = static_cast<int>(Number(need("charset", 1), 1, 0, 255));
        f.pitchAndFamily = static_cast<int>(Number(need("pitch", 1), 1, 0, 255));
        f.info = static_cast<uint32_t>(Number(need("info", 1), 1, 0, 0xFFFFFFFFL));
        f.weight = static_cast<int>(Number(need("weight", 1), 1, 1, 1000));
        if (const Line* italic = value("italic"); italic != nullptr) {
            ExpectCount(*italic, 1);
            f.italic = true;
        }
        const Line& extent = need("extent", 3);
        f.ascender = static_cast<int>(Number(extent, 1, 0, 2000));
        f.descender = static_cast<int>(Number(extent, 2, 0, 2000));
        f.lineGap = static_cast<int>(Number(extent, 3, 0, 2000));
        const Line& width = need("width", 2);
        f.averageWidth = static_cast<int>(Number(width, 1, 1, 2000));
        f.maximumWidth = static_cast<int>(Number(width, 2, f.averageWidth, 2000));
        const Line& heights = need("heights", 2);
        f.capHeight = static_cast<int>(Number(heights, 1, 0, 2000));
        f.xHeight = static_cast<int>(Number(heights, 2, 0, 2000));
        const Line& underscore = need("underscore", 2);
        f.underscoreSize = static_cast<int>(Number(underscore, 1, 1, 200));
        f.underscorePosition = static_cast<int>(Number(underscore, 2, -1000, 0));
        const Line& strikeout = need("strikeout", 2);
        f.strikeoutSize = static_cast<int>(Number(strikeout, 1, 1, 200));
        f.strikeoutPosition = static_cast<int>(Number(strikeout, 2, 0, 1000));
        const Line& panose = need("panose", 10);
        for (size_t i = 0; i < 10; ++i) f.panose[i] = static_cast<uint8_t>(Number(panose, i + 1, 0, 15));

        const Line& codes = need("codes", 1);
        if (text(codes, 1) == "single-byte") {
            f.codes = singleByteCodes_;
        } else if (text(codes, 1) == "ascii") {
            for (int c = 0x20; c <= 0x7E; ++c) f.codes.push_back(static_cast<uint8_t>(c));
        } else {
            Fail(codes.where, "codes are 'single-byte' or 'ascii'");
        }
        const Line* widthsLine = value("widths");
        if (widthsLine == nullptr) Fail(faceLine.where, "the face has no 'widths'");
        const Line& widths = *widthsLine;
        if (widths.tokens.size() == 3 && widths.tokens[1].text == "fixed") {
            f.widths.assign(f.codes.size(), static_cast<uint16_t>(Number(widths, 2, 1, 2000)));
        } else {
            ExpectCount(widths, 2);
            const std::array<int, 256> table = ReadWidthTable(folder_ / text(widths, 1));
            for (uint8_t c : f.codes) {
                if (table[c] == kNoWidth) Fail(widths.where, "no width for code " + std::to_string(c));
                f.widths.push_back(static_cast<uint16_t>(table[c]));
            }
            for (int c = 0; c < 256; ++c) {
                if (table[c] != kNoWidth && std::find(f.codes.begin(), f.codes.end(), c) == f.codes.end())
                    Fail(widths.where, "a width for code " + std::to_string(c) + ", which the font does not carry");
            }
        }
        if (*std::max_element(f.widths.begin(), f.widths.end()) > f.maximumWidth) {
            Fail(widths.where, "a width above the maximum width");
        }
        if (const Line* kerning = value("kerning"); kerning != nullptr) {
            ExpectCount(*kerning, 2);
            f.kerning = ReadKerning(folder_ / text(*kerning, 1));
        }
        return f;
    }

    static std::string Ascii(const Line& line, const std::string& text) {
        if (text.empty()) Fail(line.where, "an empty name");
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
                Fail(line.where, "'" + text + "' is not printable ASCII");
        }
        return text;
    }

    std::filesystem::path folder_;
    const std::vector<uint8_t>& singleByteCodes_;
};

}  // namespace

std::u16string Utf16(const std::string& utf8, const std::string& where) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            c = lead & 0x0F;
        } else {
            Fail(where, "only characters of the Basic Multilingual Plane");
        }
        if (i + static_cast<size_t>(extra) >= utf8.size()) Fail(where, "cut UTF-8 text");
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) Fail(where, "bad UTF-8 text");
            c = (c << 6) | (next & 0x3F);
        }
        if ((extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (c >= 0xD800 && c <= 0xDFFF)) {
            Fail(where, "bad UTF-8 text");
        }
        out.push_back(static_cast<char16_t>(c));
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::vector<FontFace> ReadFonts(const std::string& folder) {
    const std::filesystem::path root(folder);
    const std::vector<uint8_t> singleByteCodes = ReadCodeOrder(root / "codes.txt");
    std::vector<std::filesystem::path> families;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        if (entry.path().extension() == ".font") families.push_back(entry.path());
    }
    if (error) throw DataError(folder + ": cannot list the folder");
    std::sort(families.begin(), families.end());
    std::vector<FontFace> faces;
    FamilyReader reader(root, singleByteCodes);
    for (const auto& path : families) reader.Read(path, faces);
    std::sort(faces.begin(), faces.end(), [](const FontFace& a, const FontFace& b) { return a.face < b.face; });
    for (size_t i = 0; i < faces.size(); ++i) {
        if (faces[i].face != static_cast<int>(i) + 1) {
            throw DataError(folder + ": face " + std::to_string(i + 1) + " is missing or comes twice");
        }
    }
    if (faces.empty()) throw DataError(folder + ": no *.font file");
    return faces;
}

}  // namespace fontgen
