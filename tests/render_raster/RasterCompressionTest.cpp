// The row coder: code choice at every length boundary, the raw-size limit, and a round
// trip through the test decoder for rows of every kind.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "render/RasterCompression.h"
#include "tools/sample/RasterDecode.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes CodeRun(const Bytes& source) {
    Bytes out(source.size() * 2 + 16, 0xEE);
    DWORD n = CompressRun(out.data(), source.data(), static_cast<DWORD>(source.size()));
    out.resize(n);
    return out;
}

/// Codes one block; nullopt when the coder refused it.
std::optional<Bytes> Rows(const Bytes& seed, const Bytes& image, DWORD rows, DWORD width) {
    Bytes out(width + 2 * rows * width + 16, 0xEE);
    BYTE* end = CompressRasterRows(seed.data(), image.data(), rows, width, out.data(), width);
    if (end == nullptr) return std::nullopt;
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

Bytes Repeat(size_t n, BYTE value) { return Bytes(n, value); }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Distinct(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<BYTE>(i % 2 == 0 ? 0x10 + i % 7 : 0x80 + i % 5);
    return b;
}

struct RunCase {
    const char* name;
    Bytes source;
    Bytes expected;
};

TEST(CompressRun, CodesRepeatsAndLiterals) {
    const Bytes distinct63 = Distinct(63);
    const RunCase cases[] = {
        {"nothing", {}, {}},
        {"single byte", {0x5A}, {0x41, 0x5A}},
        {"a b b", {1, 2, 2}, {0x41, 1, 0x82, 2}},
        {"a b c", {1, 2, 3}, {0x43, 1, 2, 3}},
        {"pair", {7, 7}, {0x82, 7}},
        {"repeat 62", Repeat(62, 9), {0xBE, 9}},
        {"repeat 63", Repeat(63, 9), {0xBF, 0x00, 9}},
        {"repeat 317", Repeat(317, 9), {0xBF, 0xFE, 9}},
        {"repeat 318", Repeat(318, 9), {0xBF, 0xFF, 0x00, 9}},
        {"literal 63", distinct63, Concat({{0x7F, 0x00}, distinct63})},
        {"literal then repeat then single", {1, 2, 3, 3, 3, 4}, {0x42, 1, 2, 0x83, 3, 0x41, 4}},
    };
    for (const RunCase& c : cases) EXPECT_EQ(CodeRun(c.source), c.expected) << c.name;
}

struct RowCase {
    const char* name;
    DWORD width;
    BYTE fill;          // every byte of the single row
    Bytes expected;     // coded against an all-zero seed
};

TEST(CompressRasterRows, CodesRowsEqualToTheRowAbove) {
    const RowCase cases[] = {
        {"width 16", 16, 0, {0x10, 0x80}},
        {"width 62", 62, 0, {0x3E, 0x80}},
        {"width 63", 63, 0, {0x3F, 0x00, 0x80}},
        {"width 317", 317, 0, {0x3F, 0xFE, 0x80}},
        {"width 318", 318, 0, {0x3F, 0xFF, 0x00, 0x80}},
        {"62 differing", 62, 0xAA, {0xBE, 0xAA, 0x80}},
    };
    for (const RowCase& c : cases) {
        const Bytes seed(c.width, 0);
        const Bytes image(c.width, c.fill);
        auto coded = Rows(seed, image, 1, c.width);
        ASSERT_TRUE(coded.has_value()) << c.name;
        EXPECT_EQ(*coded, c.expected) << c.name;
    }
}

TEST(CompressRasterRows, RefusesAStreamLongerThanTheRawBytes) {
    // One differing byte: 0x41 b 0x80 is three bytes against one raw byte.
    EXPECT_FALSE(Rows({0}, {0x55}, 1, 1).has_value());
    // The test runs after each row: row 0 is 0x82 7 0x80 (3 of 4 raw bytes), row 1 adds
    // 0x02 0x80 and the block (5 bytes) passes its raw size.
    EXPECT_FALSE(Rows({0, 0}, {7, 7, 7, 7}, 2, 2).has_value());
}

TEST(CompressRasterRows, AcceptsAStreamExactlyAsLongAsTheRawBytes) {
    // Three bytes a a b against a zero seed: 0x82 a 0x41 b 0x80 is 5 bytes, raw 3: refused.
    EXPECT_FALSE(Rows({0, 0, 0}, {1, 1, 2}, 1, 3).has_value());
    // Row of 3 equal bytes: 0x83 v 0x80 = 3 bytes against 3 raw: accepted.
    auto exact = Rows({0, 0, 0}, {5, 5, 5}, 1, 3);
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(exact->size(), 3u);
}

TEST(CompressRasterRows, ZeroRowsWriteNothing) {
    Bytes out(4, 0xEE);
    const Bytes seed(8, 0);
    EXPECT_EQ(CompressRasterRows(seed.data(), seed.data(), 0, 8, out.data(), 8), out.data());
    EXPECT_EQ(out, Bytes(4, 0xEE));
}

TEST(CompressRasterRows, RoundTripsThroughTheDecoder) {
    std::mt19937 random(20240305);
    const DWORD widths[] = {1, 3, 16, 62, 63, 64, 317, 318, 600};
    for (DWORD width : widths) {
        const DWORD rows = 24;
        Bytes image(static_cast<size_t>(rows) * width, 0xFF);
        // Text-like rows: mostly white with short black runs, some rows repeated.
        for (DWORD r = 0; r < rows; ++r) {
            BYTE* row = image.data() + static_cast<size_t>(r) * width;
            if (r % 5 == 3) {
                std::copy(row - width, row, row);
                continue;
            }
            for (DWORD x = 0; x < width; ++x)
                if (random() % 7 == 0) row[x] = static_cast<BYTE>(random());
        }
        const Bytes seed(width, 0);
        Bytes out(width + 2 * rows * width + 16);
        BYTE* end = CompressRasterRows(seed.data(), image.data(), rows, width, out.data(), width);
        if (end == nullptr) continue;  // refused: the writer would send it raw
        auto decoded = kvtest::DecodeRasterRows(out.data(), static_cast<size_t>(end - out.data()), seed, rows, width);
        ASSERT_TRUE(decoded.has_value()) << "width " << width;
        EXPECT_EQ(*decoded, image) << "width " << width;
    }
}

}  // namespace
