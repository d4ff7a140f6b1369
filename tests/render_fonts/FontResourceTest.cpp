// The rendering library's own font resources, checked once as built for this tree: every
// offset and count inside its resource, the metrics the printer's faces must carry, the
// Shift-JIS glyph set in this build's run layout, and the face names of the string table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/Ddi.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "render/draw/DeviceFonts.h"
#include "tests/support/TestRoot.h"

namespace {

struct Resource {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

// One face as the printer's face list gives it.
struct Face {
    ULONG face;
    const char* display;
    const char* hyphenated;
    const char* family;
    const char* selectId;
    BYTE charset;
    USHORT weight;
    bool italic;
    BYTE pitch;
    DWORD kerningPairs;
    const char16_t* metricsName;
};

const Face kFaces[] = {
    {1, "OCR-B", "OCR-B", "OCR-B", "06F1-004", 0, 400, false, 0x31, 0, u"OCR-B"},
    {2, "Courier", "Courier", "Courier", "06F1-002", 0, 400, false, 0x31, 0, u"Courier"},
    {3, "Courier Bold", "Courier-Bold", "Courier", "06F1-002", 0, 700, false, 0x31, 0, u"Courier"},
    {4, "Courier Italic", "Courier-Italic", "Courier", "06F1-002", 0, 400, true, 0x31, 0, u"Courier"},
    {5, "Courier Bold Italic", "Courier-BoldItalic", "Courier", "06F1-002", 0, 700, true, 0x31, 0, u"Courier"},
    {6, "Helv", "Helv", "Helv", "06F1-003", 0, 400, false, 0x22, 105, u"Helv"},
    {7, "Helv Bold", "Helv-Bold", "Helv", "06F1-003", 0, 700, false, 0x22, 101, u"Helv"},
    {8, "Helv Italic", "Helv-Italic", "Helv", "06F1-003", 0, 400, true, 0x22, 98, u"Helv"},
    {9, "Helv Bold Italic", "Helv-BoldItalic", "Helv", "06F1-003", 0, 700, true, 0x22, 99, u"Helv"},
    {10, "TmsRmn", "TmsRmn", "TmsRmn", "06F1-000", 0, 400, false, 0x12, 113, u"TmsRmn"},
    {11, "TmsRmn Bold", "TmsRmn-Bold", "TmsRmn", "06F1-000", 0, 700, false, 0x12, 124, u"TmsRmn"},
    {12, "TmsRmn Italic", "TmsRmn-Italic", "TmsRmn", "06F1-000", 0, 400, true, 0x12, 120, u"TmsRmn"},
    {13, "TmsRmn Bold Italic", "TmsRmn-BoldItalic", "TmsRmn", "06F1-000", 0, 700, true, 0x12, 108, u"TmsRmn"},
    {14, "Minchou", "Minchou", "Minchou", "06F2-031", 128, 400, false, 0x11, 0, u"明朝"},
    {15, "Minchou Bold", "Minchou-Bold", "Minchou", "06F2-031", 128, 700, false, 0x11, 0, u"明朝"},
    {16, "Minchou Italic", "Minchou-Italic", "Minchou", "06F2-031", 128, 400, true, 0x11, 0, u"明朝"},
    {17, "Minchou Bold Italic", "Minchou-BoldItalic", "Minchou", "06F2-031", 128, 700, true, 0x11, 0, u"明朝"},
    {18, "Minchou v", "Minchou-v", "Minchou", "06F2-031", 128, 400, false, 0x11, 0, u"@明朝"},
    {19, "Minchou v Bold", "Minchou-v-Bold", "Minchou", "06F2-031", 128, 700, false, 0x11, 0, u"@明朝"},
    {20, "Minchou v Italic", "Minchou-v-Italic", "Minchou", "06F2-031", 128, 400, true, 0x11, 0, u"@明朝"},
    {21, "Minchou v Bold Italic", "Minchou-v-BoldItalic", "Minchou", "06F2-031", 128, 700, true, 0x11, 0, u"@明朝"},
    {22, "Gothic", "Gothic", "Gothic", "06F2-251", 128, 400, false, 0x31, 0, u"ｺﾞｼｯｸ"},
    {23, "Gothic Bold", "Gothic-Bold", "Gothic", "06F2-251", 128, 700, false, 0x31, 0, u"ｺﾞｼｯｸ"},
    {24, "Gothic Italic", "Gothic-Italic", "Gothic", "06F2-251", 128, 400, true, 0x31, 0, u"ｺﾞｼｯｸ"},
    {25, "Gothic Bold Italic", "Gothic-BoldItalic", "Gothic", "06F2-251", 128, 700, true, 0x31, 0, u"ｺﾞｼｯｸ"},
    {26, "Gothic v", "Gothic-v", "Gothic", "06F2-251", 128, 400, false, 0x31, 0, u"@ｺﾞｼｯｸ"},
    {27, "Gothic v Bold", "Gothic-v-Bold", "Gothic", "06F2-251", 128, 700, false, 0x31, 0, u"@ｺﾞｼｯｸ"},
    {28, "Gothic v Italic", "Gothic-v-Italic", "Gothic", "06F2-251", 128, 400, true, 0x31, 0, u"@ｺﾞｼｯｸ"},
    {29, "Gothic v Bold Italic", "Gothic-v-BoldItalic", "Gothic", "06F2-251", 128, 700, true, 0x31, 0, u"@ｺﾞｼｯｸ"},
    {30, "OCR-K", "OCR-K", "OCR-K", "06F1-009", 128, 400, false, 0x31, 0, u"OCR-K"},
};

// The metrics rows: ascender, descender, line gap, average and maximum width, cap and x
// height, flInfo.
struct MetricsRow {
    std::vector<ULONG> faces;
    FWORD ascender, descender, lineGap, average, maximum, cap, x;
    FLONG info;
};

const MetricsRow kMetrics[] = {
    {{1}, 795, 290, 111, 600, 600, 583, 437, 0x00483038},
    {{2, 4}, 795, 290, 111, 600, 600, 583, 437, 0x08483038},
    {{3, 5}, 855, 350, 0, 600, 600, 633, 487, 0x08483038},
    {{6, 8}, 944, 220, 32, 518, 1000, 729, 525, 0x08082038},
    {{7, 9}, 936, 221, 39, 527, 1000, 729, 542, 0x08082038},
    {{10}, 896, 223, 77, 509, 1000, 662, 448, 0x08082038},
    {{11}, 965, 256, 0, 520, 1000, 681, 460, 0x08082038},
    {{12}, 930, 252, 14, 509, 1000, 660, 446, 0x08082038},
    {{13}, 894, 232, 70, 514, 1000, 662, 458, 0x08082038},
    {{14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, 850, 150, 196, 500, 1000, 1000, 0, 0x10482038},
    {{30}, 850, 150, 196, 600, 1200, 1000, 0, 0x10482038},
};

DWORD AlignUp4(DWORD n) { return (n + 3u) & ~3u; }

class FontResourceTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        kvtest::StandInTest::SetUp();
        module_ = LoadLibraryW(u"" KV_RENDER_NAME);
        ASSERT_NE(module_, nullptr) << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
        kvtest::StandInTest::TearDown();
    }

    Resource Find(WORD type, WORD name) const {
        Resource r;
        HRSRC found = FindResourceExW(module_, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(name), 0x409);
        if (found == nullptr) return r;
        r.data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        r.size = SizeofResource(module_, found);
        return r;
    }

    HMODULE module_ = nullptr;
};

// An ASCII name at the offset, NUL-terminated inside the resource.
std::string NameAt(const Resource& r, DWORD offset) {
    if (offset >= r.size) return "<outside>";
    const char* p = reinterpret_cast<const char*>(r.data + offset);
    const size_t length = strnlen(p, r.size - offset);
    if (length == r.size - offset) return "<unterminated>";
    return std::string(p, length);
}

std::u16string WideNameAt(const Resource& r, DWORD offset) {
    std::u16string name;
    for (DWORD at = offset; at + 1 < r.size; at += 2) {
        const char16_t c = static_cast<char16_t>(r.data[at] | r.data[at + 1] << 8);
        if (c == u'\0') return name;
        name.push_back(c);
    }
    return u"<unterminated>";
}

TEST_F(FontResourceTest, EveryFaceIsWholeAndAgreesWithTheFaceList) {
    for (const Face& face : kFaces) {
        SCOPED_TRACE("face " + std::to_string(face.face));
        const Resource r = Find(kFontResourceType, static_cast<WORD>(face.face));
        ASSERT_NE(r.data, nullptr);
        ASSERT_GE(r.size, sizeof(DeviceFontResource));
        ASSERT_LE(r.size, kMaxFontResourceSize);
        DeviceFontResource header;
        std::memcpy(&header, r.data, sizeof header);
        EXPECT_EQ(header.Size, r.size);
        EXPECT_EQ(header.Version, 0x00010000u);
        EXPECT_EQ(header.Reserved68, 0u);

        EXPECT_EQ(NameAt(r, header.DisplayNameOffset), face.display);
        EXPECT_EQ(NameAt(r, header.HyphenatedNameOffset), face.hyphenated);
        EXPECT_EQ(NameAt(r, header.FamilyNameOffset), face.family);
        EXPECT_EQ(NameAt(r, header.SelectIdOffset), face.selectId);

        // Kerning pairs, closed by an all-zero pair that the engine's walk stops at.
        EXPECT_EQ(header.KerningPairCount, face.kerningPairs);
        if (face.kerningPairs != 0) {
            ASSERT_LE(header.KerningPairOffset + (header.KerningPairCount + 1) * sizeof(FD_KERNINGPAIR), r.size);
            FD_KERNINGPAIR end;
            std::memcpy(&end, r.data + header.KerningPairOffset + header.KerningPairCount * sizeof end, sizeof end);
            EXPECT_EQ(end.wcFirst, 0);
            EXPECT_EQ(end.wcSecond, 0);
            EXPECT_EQ(end.fwdKern, 0);
            for (DWORD i = 0; i < header.KerningPairCount; ++i) {
                FD_KERNINGPAIR pair;
                std::memcpy(&pair, r.data + header.KerningPairOffset + i * sizeof pair, sizeof pair);
                EXPECT_TRUE(pair.wcFirst != 0 && pair.wcSecond != 0 && pair.fwdKern != 0) << i;
            }
        }

        // Widths and codes: 226 single-byte codes, 95 for the Shift-JIS faces.
        const bool shiftJis = face.charset == 128;
        ASSERT_EQ(header.WidthCount, shiftJis ? 95u : 226u);
        const DWORD codesAt = header.WidthOffset + AlignUp4(header.WidthCount * 2);
        ASSERT_EQ(header.WidthOffset % 2, 0u);
        ASSERT_LE(codesAt + header.WidthCount, r.size);
        std::vector<BYTE> codes(r.data + codesAt, r.data + codesAt + header.WidthCount);
        for (DWORD i = 0; i < 95; ++i) EXPECT_EQ(codes[i], 0x20 + i);
        if (!shiftJis) {
            std::set<BYTE> expected;
            for (int c = 1; c <= 255; ++c) {
                if ((c >= 14 && c <= 31) || c == 127 || c == 134 || c == 135 || c == 143 || (c >= 157 && c <= 160) ||
                    c == 168 || c == 173 || c == 175 || c == 180 || c == 184) {
                    continue;
                }
                expected.insert(static_cast<BYTE>(c));
            }
            EXPECT_EQ(std::set<BYTE>(codes.begin(), codes.end()), expected);
        }

        // The metrics with their names, inside the resource.
        ASSERT_EQ(header.MetricsOffset % 4, 0u);
        ASSERT_LE(header.MetricsOffset + sizeof(IFIMETRICS), r.size);
        IFIMETRICS ifi;
        std::memcpy(&ifi, r.data + header.MetricsOffset, sizeof ifi);
        ASSERT_GE(ifi.cjThis, sizeof(IFIMETRICS));
        ASSERT_LE(header.MetricsOffset + ifi.cjThis, r.size);
        const Resource metrics{r.data + header.MetricsOffset, ifi.cjThis};
        for (PTRDIFF offset : {ifi.dpwszFamilyName, ifi.dpwszStyleName, ifi.dpwszFaceName, ifi.dpwszUniqueName}) {
            ASSERT_GE(offset, static_cast<PTRDIFF>(sizeof(IFIMETRICS)));
        }
        EXPECT_EQ(WideNameAt(metrics, static_cast<DWORD>(ifi.dpwszFamilyName)), face.metricsName);
        EXPECT_EQ(WideNameAt(metrics, static_cast<DWORD>(ifi.dpwszStyleName)), face.metricsName);
        EXPECT_EQ(WideNameAt(metrics, static_cast<DWORD>(ifi.dpwszFaceName)), face.metricsName);
        EXPECT_EQ(WideNameAt(metrics, static_cast<DWORD>(ifi.dpwszUniqueName)),
                  std::u16string(face.display, face.display + std::strlen(face.display)));
        EXPECT_EQ(ifi.jWinCharSet, face.charset);
        EXPECT_EQ(ifi.jWinPitchAndFamily, face.pitch);
        EXPECT_EQ(ifi.usWinWeight, face.weight);
        EXPECT_EQ(ifi.ptlCaret.x, face.italic ? 3153 : 0);
        EXPECT_EQ(ifi.ptlCaret.y, face.italic ? 10000 : 1);
        EXPECT_EQ(ifi.cKerningPairs, face.kerningPairs);
        EXPECT_EQ(ifi.fwdUnitsPerEm, 1000);
        EXPECT_EQ(ifi.fwdLowestPPEm, 1);
        EXPECT_EQ(ifi.fsType, 2);
        EXPECT_EQ(ifi.chFirstChar, 32);
        EXPECT_EQ(ifi.chLastChar, 255);
        EXPECT_EQ(ifi.chBreakChar, 32);
        EXPECT_EQ(ifi.wcFirstChar, 0);
        EXPECT_EQ(ifi.wcLastChar, shiftJis ? 0xFF9F : 0x2122);
        EXPECT_EQ(ifi.chDefaultChar, shiftJis ? 0xA5 : 0x95);
        if (!shiftJis) {
            EXPECT_EQ(ifi.wcDefaultChar, 0x2022);
        }
        EXPECT_EQ(ifi.fwdUnderscoreSize, shiftJis ? 46 : 40);
        EXPECT_GE(ifi.fwdUnderscorePosition, -109);
        EXPECT_LE(ifi.fwdUnderscorePosition, -82);
        EXPECT_EQ(ifi.fwdStrikeoutSize, shiftJis ? 46 : 40);
        EXPECT_GE(ifi.fwdStrikeoutPosition, 265);
        EXPECT_LE(ifi.fwdStrikeoutPosition, 321);
        EXPECT_EQ(ifi.rclFontBox.left, 0);
        EXPECT_EQ(ifi.rclFontBox.top, ifi.fwdWinAscender);
        EXPECT_EQ(ifi.rclFontBox.bottom, -ifi.fwdWinDescender);

        int rows = 0;
        for (const MetricsRow& row : kMetrics) {
            for (ULONG f : row.faces) {
                if (f != face.face) continue;
                ++rows;
                EXPECT_EQ(ifi.fwdWinAscender, row.ascender);
                EXPECT_EQ(ifi.fwdWinDescender, row.descender);
                EXPECT_EQ(ifi.fwdMacLineGap, row.lineGap);
                EXPECT_EQ(ifi.fwdAveCharWidth, row.average);
                EXPECT_EQ(ifi.fwdMaxCharInc, row.maximum);
                EXPECT_EQ(ifi.fwdCapHeight, row.cap);
                EXPECT_EQ(ifi.fwdXHeight, row.x);
                EXPECT_EQ(ifi.flInfo, row.info);
            }
        }
        EXPECT_EQ(rows, 1);

        // Widths: the fixed faces one value, the proportional ones never above the maximum.
        std::vector<WORD> widths(header.WidthCount);
        std::memcpy(widths.data(), r.data + header.WidthOffset, widths.size() * sizeof(WORD));
        for (WORD w : widths) {
            if (shiftJis) {
                EXPECT_EQ(w, 500);
            }
            EXPECT_GT(w, 0);
            EXPECT_LE(w, ifi.fwdMaxCharInc);
        }
        if (face.face <= 5) {
            EXPECT_EQ(*std::min_element(widths.begin(), widths.end()), 600);
        }
    }
}

// The telling rows of the proportional faces, and Helv's first kerning pairs.
TEST_F(FontResourceTest, ProportionalWidthsAndHelvKerning) {
    struct Row {
        ULONG face;
        std::vector<std::pair<char, WORD>> widths;
    };
    const std::vector<std::pair<char, WORD>> helv = {{' ', 278}, {'A', 550}, {'W', 667}, {'i', 222},
                                                     {'m', 600}, {'0', 556}, {'.', 278}};
    const std::vector<std::pair<char, WORD>> tmsRmn = {{' ', 300}, {'A', 600}, {'W', 667}, {'i', 300},
                                                       {'m', 600}, {'0', 556}, {'.', 278}};
    for (const Row& row : {Row{6, helv}, Row{7, helv}, Row{10, tmsRmn}, Row{11, tmsRmn}}) {
        const Resource r = Find(kFontResourceType, static_cast<WORD>(row.face));
        ASSERT_NE(r.data, nullptr);
        const auto* font = reinterpret_cast<const DeviceFontResource*>(r.data);
        for (const auto& [code, width] : row.widths) {
            EXPECT_EQ(DeviceFontCodeWidth(font, static_cast<BYTE>(code)), width) << row.face << " '" << code << "'";
        }
    }
    const Resource r = Find(kFontResourceType, 6);
    ASSERT_NE(r.data, nullptr);
    const auto* helvFont = reinterpret_cast<const DeviceFontResource*>(r.data);
    const FD_KERNINGPAIR* pairs = DeviceFontKerningPairs(helvFont);
    ASSERT_NE(pairs, nullptr);
    const FD_KERNINGPAIR first[] = {{u'A', u'y', -18}, {u'A', u'w', -18}, {u'A', u'v', -18}, {u'A', u' ', -55},
                                    {u'A', u'\'', -74}};
    for (size_t i = 0; i < std::size(first); ++i) {
        EXPECT_EQ(pairs[i].wcFirst, first[i].wcFirst) << i;
        EXPECT_EQ(pairs[i].wcSecond, first[i].wcSecond) << i;
        EXPECT_EQ(pairs[i].fwdKern, first[i].fwdKern) << i;
    }
}

// The glyph set is laid out for this build: its runs are this build's WCRUN records (16 bytes
// on x64, 8 on x86), so cjThis follows the pointer size: 97,904 bytes on x64.
TEST_F(FontResourceTest, ShiftJisGlyphSetInThisBuildsLayout) {
    const Resource r = Find(kGlyphSetResourceType, kShiftJisGlyphSetName);
    ASSERT_NE(r.data, nullptr);
    ASSERT_GE(r.size, offsetof(FD_GLYPHSET, awcrun));
    FD_GLYPHSET head;
    std::memcpy(&head, r.data, offsetof(FD_GLYPHSET, awcrun));
    EXPECT_EQ(head.cGlyphsSupported, 7484u);
    EXPECT_EQ(head.cRuns, 4247u);
    EXPECT_EQ(head.flAccel, 0u);
    const size_t expected = offsetof(FD_GLYPHSET, awcrun) + head.cRuns * sizeof(WCRUN) + head.cGlyphsSupported * 4;
    EXPECT_EQ(head.cjThis, expected);
    EXPECT_EQ(r.size, head.cjThis);
    if (sizeof(void*) == 8) {
        EXPECT_EQ(head.cjThis, 97904u);
    } else {
        EXPECT_EQ(head.cjThis, 63928u);
    }

    // Runs ascend without touching; the handles are the code page's codes.
    std::vector<WCRUN> runs(head.cRuns);
    std::memcpy(runs.data(), r.data + offsetof(FD_GLYPHSET, awcrun), runs.size() * sizeof(WCRUN));
    const BYTE* handles = r.data + offsetof(FD_GLYPHSET, awcrun) + runs.size() * sizeof(WCRUN);
    std::vector<std::pair<char16_t, HGLYPH>> all;
    ULONG total = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        ASSERT_GT(runs[i].cGlyphs, 0) << i;
        if (i > 0) {
            ASSERT_GT(runs[i].wcLow, runs[i - 1].wcLow + runs[i - 1].cGlyphs) << i;
        }
        for (USHORT k = 0; k < runs[i].cGlyphs; ++k, ++total) {
            HGLYPH h;
            std::memcpy(&h, handles + total * 4, 4);
            all.emplace_back(static_cast<char16_t>(runs[i].wcLow + k), h);
        }
    }
    EXPECT_EQ(total, head.cGlyphsSupported);
    auto handleOf = [&](char16_t c) -> HGLYPH {
        for (const auto& [wc, h] : all) {
            if (wc == c) return h;
        }
        return 0;
    };
    EXPECT_EQ(all.front().first, u' ');
    EXPECT_EQ(handleOf(u'A'), 0x41u);
    EXPECT_EQ(handleOf(u'~'), 0x7Eu);
    EXPECT_EQ(handleOf(u'｡'), 0xA1u);
    EXPECT_EQ(handleOf(u'ﾟ'), 0xDFu);
    EXPECT_EQ(handleOf(u'あ'), 0x82A0u);
    EXPECT_EQ(handleOf(u'亜'), 0x889Fu);
    // Characters that the code page codes twice take their IBM-extension code.
    EXPECT_EQ(handleOf(u'Ⅰ'), 0xFA4Au);
    EXPECT_EQ(handleOf(u'￢'), 0xFA54u);
    EXPECT_EQ(handleOf(u'ⅰ'), 0xFA40u);
    EXPECT_EQ(handleOf(u'\uE000'), 0u) << "no user-defined characters";
}

TEST_F(FontResourceTest, FaceNamesOfTheStringTable) {
    struct Row {
        UINT id;
        const char16_t* text;
    };
    const Row rows[] = {
        {150, u"OCR-B"},       {151, u"OCR-K"},           {152, u"Courier"},         {153, u"Courier-Bold"},
        {154, u"Courier-Italic"}, {155, u"Courier-BoldItalic"}, {156, u"Hevl"},      {157, u"Helv-Bold"},
        {158, u"Helv-Italic"}, {159, u"Helv-BoldItalic"}, {160, u"TmsRmn"},          {161, u"TmsRmn-Bold"},
        {162, u"TmsRmn-Italic"}, {163, u"TmsRmn-BoldItalic"}, {164, u"明朝"},        {165, u"@明朝"},
        {166, u"ｺﾞｼｯｸ"},       {167, u"@ｺﾞｼｯｸ"},          {5200, u"ＭＳ 明朝"},      {5201, u"@ＭＳ 明朝"},
        {5202, u"ＭＳ ゴシック"}, {5203, u"@ＭＳ ゴシック"}, {5204, u"ＱＸ 明朝"},    {5205, u"@ＱＸ 明朝"},
        {5206, u"ＱＸ ゴシック"}, {5207, u"@ＱＸ ゴシック"},
    };
    for (const Row& row : rows) {
        WCHAR buffer[128] = {};
        const int length = LoadStringW(module_, row.id, buffer, 128);
        EXPECT_EQ(std::u16string(buffer, static_cast<size_t>(length)), row.text) << row.id;
    }
}

}  // namespace
