// Resources made from files beside the script: ICON and BITMAP from our text pictures,
// RT_MANIFEST and numbered types copied whole.
//
// A text picture holds one or more images. Each starts with a line "<width>x<height>"
// followed by that many rows of exactly that many characters, one per pixel, from a
// 16-colour palette:
//
//   K black    r maroon   g green    y olive    b navy     m purple   c teal     s silver
//   k grey     R red      G lime     Y yellow   B blue     M fuchsia  C aqua     W white
//
// and '.' for a transparent pixel (icons only). Blank lines and lines starting with ';' are
// skipped. Images become 4-bit DIBs without a file header: a bitmap's is BITMAPINFOHEADER,
// palette and bottom-up rows; an icon image's header counts twice the height, and the AND
// mask (1 where transparent) follows the colour rows.
#include <cstring>
#include <fstream>
#include <sstream>

#include "Parser.h"

namespace rescomp {
namespace {

constexpr uint32_t kIconType = 3;        // RT_ICON
constexpr uint32_t kBitmapType = 2;      // RT_BITMAP
constexpr uint32_t kGroupIconType = 14;  // RT_GROUP_ICON
constexpr uint32_t kManifestType = 24;   // RT_MANIFEST
constexpr size_t kMaxFileBytes = 16u << 20;
constexpr int kMaxIconSide = 256;
constexpr int kMaxBitmapSide = 4096;

constexpr char kPaletteChars[] = "KrgybmcskRGYBMCW";
constexpr uint32_t kPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
constexpr int kTransparent = -1;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<int> pixels;  // palette indices or kTransparent, rows top-down
};

std::vector<Picture> ReadPictures(const std::string& path, const std::string& text, int maxSide) {
    std::vector<Picture> pictures;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    Picture* open = nullptr;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const Location where{path, number};
        if (open == nullptr || static_cast<int>(open->pixels.size()) == open->width * open->height) {
            if (line.empty() || line[0] == ';') continue;
            int w = 0, h = 0;
            char x = 0, extra = 0;
            std::istringstream size(line);
            if (!(size >> w >> x >> h) || x != 'x' || (size >> extra))
                throw CompileError(where, "expected a size line \"<width>x<height>\", found \"" + line + "\"");
            if (w < 1 || h < 1 || w > maxSide || h > maxSide)
                throw CompileError(where, "an image must be 1 to " + std::to_string(maxSide) + " pixels a side");
            pictures.push_back(Picture{w, h, {}});
            open = &pictures.back();
            continue;
        }
        if (static_cast<int>(line.size()) != open->width)
            throw CompileError(where, "row of " + std::to_string(line.size()) + " pixels in an image " +
                                          std::to_string(open->width) + " wide");
        for (char c : line) {
            if (c == '.') {
                open->pixels.push_back(kTransparent);
                continue;
            }
            const char* found = c == '\0' ? nullptr : std::strchr(kPaletteChars, c);
            if (found == nullptr) throw CompileError(where, std::string("unknown colour '") + c + "'");
            open->pixels.push_back(static_cast<int>(found - kPaletteChars));
        }
    }
    if (pictures.empty()) throw CompileError(Location{path, number}, "no image in the file");
    if (static_cast<int>(open->pixels.size()) != open->width * open->height)
        throw CompileError(Location{path, number}, "the image ends before its last row");
    return pictures;
}

// Header, palette and 4-bit colour rows (bottom-up, padded to 4 bytes); the header of an
// icon image counts the mask's rows too.
std::vector<uint8_t> Dib(const Picture& p, bool icon) {
    const size_t colorStride = (static_cast<size_t>(p.width) * 4 + 31) / 32 * 4;
    const size_t maskStride = (static_cast<size_t>(p.width) + 31) / 32 * 4;
    const size_t colorBytes = colorStride * static_cast<size_t>(p.height);
    const size_t maskBytes = icon ? maskStride * static_cast<size_t>(p.height) : 0;
    std::vector<uint8_t> out;
    PutDword(out, 40);                                            // biSize
    PutDword(out, static_cast<uint32_t>(p.width));                // biWidth
    PutDword(out, static_cast<uint32_t>(p.height * (icon ? 2 : 1)));  // biHeight
    PutWord(out, 1);                                              // biPlanes
    PutWord(out, 4);                                              // biBitCount
    PutDword(out, 0);                                             // biCompression: BI_RGB
    PutDword(out, static_cast<uint32_t>(colorBytes + maskBytes));  // biSizeImage
    PutDword(out, 0);                                             // biXPelsPerMeter
    PutDword(out, 0);                                             // biYPelsPerMeter
    PutDword(out, 0);                                             // biClrUsed: all 16
    PutDword(out, 0);                                             // biClrImportant
    for (uint32_t rgb : kPalette) PutDword(out, rgb);             // RGBQUAD: B, G, R, 0
    const size_t colorAt = out.size();
    out.resize(colorAt + colorBytes + maskBytes, 0);
    for (int y = 0; y < p.height; ++y) {
        const size_t row = static_cast<size_t>(p.height - 1 - y);
        for (int x = 0; x < p.width; ++x) {
            const int index = p.pixels[static_cast<size_t>(y) * p.width + x];
            const int nibble = index == kTransparent ? 0 : index;
            out[colorAt + row * colorStride + x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? nibble << 4 : nibble);
            if (icon && index == kTransparent)
                out[colorAt + colorBytes + row * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return out;
}

}  // namespace

std::string Parser::FilePath(const std::string& name) const {
    if (!name.empty() && name[0] == '/') return name;
    const size_t slash = file_.find_last_of('/');
    return slash == std::string::npos ? name : file_.substr(0, slash + 1) + name;
}

std::string Parser::ReadNamedFile(std::string* path) {
    const Location at = Current().where;
    const std::u16string name = ParseText("a file name");
    std::string narrow;
    for (char16_t c : name) {
        if (c >= 0x80) throw CompileError(at, "file names must be ASCII");
        narrow.push_back(static_cast<char>(c));
    }
    *path = FilePath(narrow);
    std::ifstream in(*path, std::ios::binary);
    if (!in) throw CompileError(at, "cannot read '" + narrow + "'");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) throw CompileError(at, "cannot read '" + narrow + "'");
    if (bytes.str().size() > kMaxFileBytes) throw CompileError(at, "'" + narrow + "' is too large");
    return bytes.str();
}

void Parser::ParseIcon(uint32_t id, const Location& where) {
    const uint16_t language = ParseOptions();
    std::string path;
    const std::string text = ReadNamedFile(&path);
    const std::vector<Picture> pictures = ReadPictures(path, text, kMaxIconSide);
    if (pictures.size() > 0xFFFF) throw CompileError(where, "too many images in one icon");
    Resource group = Begin(kGroupIconType, id, where);
    group.language = language;
    PutWord(group.data, 0);  // reserved
    PutWord(group.data, 1);  // type: icon
    PutWord(group.data, static_cast<uint16_t>(pictures.size()));
    for (const Picture& p : pictures) {
        Resource image = Begin(kIconType, out_.NextIconImageId(where), where);
        image.language = language;
        image.data = Dib(p, true);
        group.data.push_back(static_cast<uint8_t>(p.width == 256 ? 0 : p.width));    // bWidth
        group.data.push_back(static_cast<uint8_t>(p.height == 256 ? 0 : p.height));  // bHeight
        group.data.push_back(16);  // bColorCount
        group.data.push_back(0);   // bReserved
        PutWord(group.data, 1);    // wPlanes
        PutWord(group.data, 4);    // wBitCount
        PutDword(group.data, static_cast<uint32_t>(image.data.size()));  // dwBytesInRes
        PutWord(group.data, static_cast<uint16_t>(image.id));            // nId
        out_.Add(std::move(image));
    }
    out_.Add(std::move(group));
}

void Parser::ParseBitmap(uint32_t id, const Location& where) {
    Resource r = Begin(kBitmapType, id, where);
    r.language = ParseOptions();
    std::string path;
    const std::string text = ReadNamedFile(&path);
    const std::vector<Picture> pictures = ReadPictures(path, text, kMaxBitmapSide);
    if (pictures.size() != 1) throw CompileError(where, "a bitmap file must hold exactly one image");
    for (int index : pictures[0].pixels) {
        if (index == kTransparent) throw CompileError(where, "'.' (transparent) is for icons only");
    }
    r.data = Dib(pictures[0], false);
    out_.Add(std::move(r));
}

void Parser::ParseManifest(uint32_t id, const Location& where) { ParseFileResource(kManifestType, id, where); }

void Parser::ParseFileResource(uint32_t type, uint32_t id, const Location& where) {
    Resource r = Begin(type, id, where);
    r.language = ParseOptions();
    std::string path;
    const std::string bytes = ReadNamedFile(&path);
    r.data.assign(bytes.begin(), bytes.end());
    out_.Add(std::move(r));
}

}  // namespace rescomp
