#pragma once
// Byte-string comparison for the tests: on a mismatch, the first differing offset (or where
// the shorter side ends) and both sides in hex around it, 16 bytes a line with their offsets
// on the left. Bytes come as BYTE or as std::byte. And a count of a command in a stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace kvtest {

inline std::span<const BYTE> AsByteSpan(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()};
}

/// The offset of the first byte that differs; where the shorter side ends when one side
/// starts the other; the size when both are equal.
inline size_t FirstDifferingOffset(std::span<const BYTE> expected, std::span<const BYTE> actual) {
    const size_t common = std::min(expected.size(), actual.size());
    size_t at = 0;
    while (at < common && expected[at] == actual[at]) ++at;
    return at;
}

/// The lines of 16 bytes from the one holding `from` up to `to` (or the end), each
/// "  <offset>  XX XX ...".
inline std::string HexLines(std::span<const BYTE> bytes, size_t from, size_t to) {
    const size_t end = std::min(bytes.size(), to);
    std::string out;
    char cell[32];
    for (size_t line = from / 16 * 16; line < end; line += 16) {
        std::snprintf(cell, sizeof cell, "  %06zX ", line);
        out += cell;
        for (size_t i = line; i < std::min(end, line + 16); ++i) {
            std::snprintf(cell, sizeof cell, " %02X", bytes[i]);
            out += cell;
        }
        out += '\n';
    }
    return out;
}

/// Every byte, 16 a line (for failure messages).
inline std::string HexDump(std::span<const BYTE> bytes) { return HexLines(bytes, 0, bytes.size()); }
inline std::string HexDump(std::span<const std::byte> bytes) { return HexDump(AsByteSpan(bytes)); }

/// The lines around offset `at`: two before its own line and three after it.
inline std::string HexWindow(std::span<const BYTE> bytes, size_t at) {
    const size_t line = at / 16;
    return HexLines(bytes, (line >= 2 ? line - 2 : 0) * 16, (line + 4) * 16);
}

/// Empty when the two byte strings are equal; else the first differing offset (or the
/// length difference) and a hex dump of both sides around it.
inline std::string CompareBytes(std::span<const BYTE> expected, std::span<const BYTE> actual) {
    const size_t at = FirstDifferingOffset(expected, actual);
    const bool oneEnded = at == expected.size() || at == actual.size();
    if (oneEnded && expected.size() == actual.size()) return {};
    char head[128];
    if (oneEnded) {
        std::snprintf(head, sizeof head, "streams agree for %zu bytes, then expected has %zu bytes and actual %zu\n",
                      at, expected.size(), actual.size());
    } else {
        std::snprintf(head, sizeof head, "first difference at offset %zu (0x%zX): expected %02X, actual %02X\n", at,
                      at, expected[at], actual[at]);
    }
    return std::string(head) + "expected:\n" + HexWindow(expected, at) + "actual:\n" + HexWindow(actual, at);
}
inline std::string CompareBytes(std::span<const std::byte> expected, std::span<const std::byte> actual) {
    return CompareBytes(AsByteSpan(expected), AsByteSpan(actual));
}

/// For EXPECT_TRUE: success when equal, else what CompareBytes says.
inline ::testing::AssertionResult SameBytes(std::span<const BYTE> actual, std::span<const BYTE> expected) {
    const std::string difference = CompareBytes(expected, actual);
    if (difference.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << difference;
}
inline ::testing::AssertionResult SameBytes(std::span<const std::byte> actual, std::span<const std::byte> expected) {
    return SameBytes(AsByteSpan(actual), AsByteSpan(expected));
}

/// An expected stream built from commented pieces, one per command; a mismatch also names
/// the piece in which the first difference falls.
class GoldenStream {
public:
    GoldenStream& Add(const std::string& comment, std::string_view text) {
        return Add(comment, std::vector<BYTE>(text.begin(), text.end()));
    }
    GoldenStream& Add(const std::string& comment, std::initializer_list<BYTE> bytes) {
        return Add(comment, std::vector<BYTE>(bytes));
    }
    GoldenStream& Add(const std::string& comment, const std::vector<BYTE>& bytes) {
        pieces_.push_back(Piece{bytes_.size(), comment});
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const std::vector<BYTE>& Bytes() const { return bytes_; }

    ::testing::AssertionResult Matches(std::span<const BYTE> actual) const {
        const std::string difference = CompareBytes(bytes_, actual);
        if (difference.empty()) return ::testing::AssertionSuccess();
        const size_t at = FirstDifferingOffset(bytes_, actual);
        std::string piece = "(past the last piece)";
        for (const Piece& p : pieces_) {
            if (p.offset <= at) piece = p.comment;
        }
        return ::testing::AssertionFailure() << "in the piece \"" << piece << "\": " << difference;
    }

private:
    struct Piece {
        size_t offset;
        std::string comment;
    };
    std::vector<BYTE> bytes_;
    std::vector<Piece> pieces_;
};

/// Number of (possibly overlapping) occurrences of needle in haystack.
inline size_t CountOf(std::span<const BYTE> haystack, std::span<const BYTE> needle) {
    size_t count = 0;
    auto it = haystack.begin();
    while ((it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end()) {
        ++count;
        ++it;
    }
    return count;
}
inline size_t CountOf(const std::vector<BYTE>& haystack, const std::vector<BYTE>& needle) {
    return CountOf(std::span<const BYTE>(haystack), std::span<const BYTE>(needle));
}
/// The needle as text (ASCII commands).
inline size_t CountOf(const std::vector<BYTE>& haystack, std::string_view needle) {
    const std::vector<BYTE> bytes(needle.begin(), needle.end());
    return CountOf(haystack, bytes);
}

}  // namespace kvtest
