// The characters come from the build machine's code page 932 (glibc iconv), decoded code by
// code: the single bytes 0x20-0x7E and 0xA1-0xDF and every lead and trail byte pair. The
// user-defined area (U+E000-U+F8FF) is left out. A character that several codes decode to
// takes the lowest one, except that a code of the IBM extensions (0xFA40-0xFC4B) wins.
#include "ShiftJisSet.h"

#include <iconv.h>

#include <map>

#include "FontSource.h"

namespace fontgen {
namespace {

constexpr uint32_t kIbmFirst = 0xFA40;
constexpr uint32_t kIbmLast = 0xFC4B;
constexpr char16_t kPrivateFirst = 0xE000;
constexpr char16_t kPrivateLast = 0xF8FF;
constexpr uint32_t kHeaderBytes = 16;

class Decoder {
public:
    Decoder() : cd_(iconv_open("UTF-16LE", "CP932")) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw DataError("iconv has no CP932");
    }
    ~Decoder() { iconv_close(cd_); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // The one UTF-16 character that the code decodes to; false for none or several.
    bool Decode(uint32_t code, char16_t* out) {
        char in[2];
        size_t inLeft = 0;
        if (code > 0xFF) in[inLeft++] = static_cast<char>(code >> 8);
        in[inLeft++] = static_cast<char>(code);
        char buffer[8];
        char* inPtr = in;
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
        if (sizeof buffer - outLeft != 2) return false;
        *out = static_cast<char16_t>(static_cast<unsigned char>(buffer[0]) |
                                     (static_cast<unsigned char>(buffer[1]) << 8));
        return true;
    }

private:
    iconv_t cd_;
};

std::map<char16_t, uint32_t> CharacterCodes() {
    std::vector<uint32_t> codes;
    for (uint32_t c = 0x20; c <= 0x7E; ++c) codes.push_back(c);
    for (uint32_t c = 0xA1; c <= 0xDF; ++c) codes.push_back(c);
    for (uint32_t lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (uint32_t trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail != 0x7F) codes.push_back(lead << 8 | trail);
        }
    }
    Decoder decoder;
    std::map<char16_t, uint32_t> map;
    for (uint32_t code : codes) {
        char16_t c = 0;
        if (!decoder.Decode(code, &c) || (c >= kPrivateFirst && c <= kPrivateLast)) continue;
        auto [it, added] = map.emplace(c, code);
        if (!added && code >= kIbmFirst && code <= kIbmLast) it->second = code;
    }
    return map;
}

}  // namespace

std::vector<uint8_t> BuildShiftJisGlyphSet(unsigned pointerSize) {
    const std::map<char16_t, uint32_t> map = CharacterCodes();
    struct Run {
        char16_t first;
        uint16_t count;
    };
    std::vector<Run> runs;
    std::vector<uint32_t> handles;
    for (const auto& [c, code] : map) {
        if (!runs.empty() && runs.back().first + runs.back().count == c && runs.back().count < 0xFFFF) {
            ++runs.back().count;
        } else {
            runs.push_back({c, 1});
        }
        handles.push_back(code);
    }
    // A run: two u16, then the pointer at its own alignment.
    const uint32_t runBytes = pointerSize == 8 ? 16 : 8;
    const auto size = static_cast<uint32_t>(kHeaderBytes + runBytes * runs.size() + 4 * handles.size());

    std::vector<uint8_t> out;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(size);
    put32(0);
    put32(static_cast<uint32_t>(handles.size()));
    put32(static_cast<uint32_t>(runs.size()));
    for (const Run& run : runs) {
        put32(static_cast<uint32_t>(run.first) | static_cast<uint32_t>(run.count) << 16);
        out.resize(out.size() + runBytes - 4, 0);
    }
    for (uint32_t handle : handles) put32(handle);
    return out;
}

}  // namespace fontgen
