#pragma once
// Byte-building helpers of the reader's tests: hand-written VRTL streams.
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "tools/sample/JobReader.h"

namespace readertest {

using Bytes = std::vector<BYTE>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<BYTE>(v));
    return out;
}
inline Bytes S(const std::string& text) { return Bytes(text.begin(), text.end()); }
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}
inline Bytes W(int v) { return B({(v >> 8) & 0xFF, v & 0xFF}); }
inline Bytes D(long long v) { return B({static_cast<int>((v >> 24) & 0xFF), static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)}); }
/// A plain point: x, y as 16-bit words.
inline Bytes P(int x, int y) { return Cat({W(x), W(y)}); }
/// B8 00: the long position command.
inline Bytes Move(int x, int y) { return Cat({B({0xB8, 0x00}), W(x), D(y)}); }
/// Bytes from a string of hex nibbles, padded with a zero nibble.
inline Bytes Nibbles(std::string hex) {
    if (hex.size() % 2 != 0) hex += '0';
    Bytes out;
    for (size_t i = 0; i < hex.size(); i += 2) out.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

inline const Bytes kVrtl = S("@PJL ENTER LANGUAGE=VRTL\r\n");
inline constexpr size_t kVrtlSize = 26;

/// The listing of VRTL commands.
inline kvtest::JobListing Read(const Bytes& commands) { return kvtest::DecodeJobStream(Cat({kVrtl, commands})); }

/// The decoded commands after the PJL line.
inline std::vector<kvtest::StreamCommand> Commands(const kvtest::JobListing& listing) {
    return std::vector<kvtest::StreamCommand>(listing.commands.begin() + 1, listing.commands.end());
}

inline std::vector<POINTL> Points(std::initializer_list<std::pair<int, int>> xy) {
    std::vector<POINTL> out;
    for (auto [x, y] : xy) out.push_back(POINTL{x, y});
    return out;
}

/// The page as rows of '#' (black) and '.'.
inline std::vector<std::string> Picture(const kvtest::PageImage& page) {
    std::vector<std::string> rows;
    for (LONG y = 0; y < page.height; ++y) {
        std::string row;
        for (LONG x = 0; x < page.width; ++x) row += page.Black(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace readertest

inline bool operator==(const POINTL& a, const POINTL& b) { return a.x == b.x && a.y == b.y; }
