// The font query hooks driven through the loaded library as the engine drives them: metrics,
// kerning pairs and glyph sets by face, advance widths, glyph data and extents under the
// engine's font transform, and the refusals.
#include <gtest/gtest.h>

#include <barrier>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/Kernel.h"
#include "render/draw/DeviceFonts.h"
#include "tests/render_fonts/FontFixture.h"

namespace fonttest {
namespace {

std::u16string FaceName(const IFIMETRICS* ifi) {
    return reinterpret_cast<const char16_t*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpwszFaceName);
}

// The handle of a character in a glyph set, through the run pointers as the engine reads them.
HGLYPH HandleOf(const FD_GLYPHSET* set, char16_t c) {
    for (ULONG i = 0; i < set->cRuns; ++i) {
        const WCRUN& run = set->awcrun[i];
        if (c >= run.wcLow && c < run.wcLow + run.cGlyphs) return run.phg[c - run.wcLow];
    }
    return 0xFFFFFFFF;
}

using FontQueryTest = FontHookTest;

TEST_F(FontQueryTest, MetricsByFaceNumber) {
    DEVINFO dev{};
    DHPDEV device = Enable(false, &dev);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(dev.cFonts, 30u);
    struct Case {
        ULONG face;
        const char16_t* name;
    };
    for (const Case& c : {Case{1, u"OCR-B"}, Case{kCourier, u"Courier"}, Case{kHelv, u"Helv"},
                          Case{kMinchou, u"明朝"}, Case{kGothicVertical, u"@ｺﾞｼｯｸ"}, Case{kOcrK, u"OCR-K"}}) {
        auto* ifi = static_cast<const IFIMETRICS*>(QueryFont(device, c.face));
        ASSERT_NE(ifi, nullptr) << c.face;
        EXPECT_EQ(FaceName(ifi), c.name) << c.face;
    }
    for (ULONG face : {0u, 31u, 0xFFFFFFFFu}) {
        SetLastError(0);
        EXPECT_EQ(QueryFont(device, face), nullptr) << face;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << face;
    }
    SetLastError(0);
    EXPECT_EQ(QueryFont(nullptr, kCourier), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// In graphics-only mode the device has no fonts: every face is refused.
TEST_F(FontQueryTest, GraphicsOnlyDeviceHasNoFace) {
    DEVINFO dev{};
    DHPDEV device = Enable(true, &dev);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(dev.cFonts, 0u);
    EXPECT_EQ(Pdev(device)->FontResourceTable, nullptr);
    for (ULONG face : {1u, kCourier, kMinchou, kOcrK}) {
        SetLastError(0);
        EXPECT_EQ(QueryFont(device, face), nullptr) << face;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << face;
        SetLastError(0);
        EXPECT_EQ(QueryFontTree(device, face, QFT_GLYPHSET), nullptr) << face;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << face;
    }
}

// The engine reads a kerning array up to its all-zero pair: it finds exactly the face's pairs.
TEST_F(FontQueryTest, KerningPairsEndWithAZeroPair) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    SetLastError(0);
    EXPECT_EQ(QueryFontTree(device, kCourier, QFT_KERNPAIRS), nullptr);
    EXPECT_EQ(GetLastError(), 0u) << "no pairs is no error";
    struct Case {
        ULONG face;
        size_t pairs;
    };
    for (const Case& c : {Case{kHelv, 105}, Case{7, 101}, Case{8, 98}, Case{9, 99}, Case{kTmsRmn, 113},
                          Case{11, 124}, Case{12, 120}, Case{13, 108}}) {
        auto* pairs = static_cast<const FD_KERNINGPAIR*>(QueryFontTree(device, c.face, QFT_KERNPAIRS));
        ASSERT_NE(pairs, nullptr) << c.face;
        size_t count = 0;
        while (count < 1000 && (pairs[count].wcFirst != 0 || pairs[count].wcSecond != 0 || pairs[count].fwdKern != 0))
            ++count;
        EXPECT_EQ(count, c.pairs) << c.face;
    }
    auto* helv = static_cast<const FD_KERNINGPAIR*>(QueryFontTree(device, kHelv, QFT_KERNPAIRS));
    ASSERT_NE(helv, nullptr);
    EXPECT_EQ(helv[0].wcFirst, u'A');
    EXPECT_EQ(helv[0].wcSecond, u'y');
    EXPECT_EQ(helv[0].fwdKern, -18);
    EXPECT_EQ(helv[4].wcSecond, u'\'');
    EXPECT_EQ(helv[4].fwdKern, -74);

    SetLastError(0);
    EXPECT_EQ(QueryFontTree(device, kHelv, QFT_LIGATURES), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_EQ(QueryFontTree(device, 31, QFT_KERNPAIRS), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Single-byte faces share the default glyph set; the Shift-JIS faces share the Shift-JIS set,
// whose runs point at their own handles in this build's layout.
TEST_F(FontQueryTest, GlyphSetsByCharset) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    auto* single = static_cast<const FD_GLYPHSET*>(QueryFontTree(device, kCourier, QFT_GLYPHSET));
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(QueryFontTree(device, kTmsRmn, QFT_GLYPHSET), single);
    EXPECT_EQ(HandleOf(single, u'A'), 0x41u);

    auto* sjis = static_cast<const FD_GLYPHSET*>(QueryFontTree(device, kMinchou, QFT_GLYPHSET));
    ASSERT_NE(sjis, nullptr);
    EXPECT_NE(sjis, single);
    EXPECT_EQ(QueryFontTree(device, kGothicVertical, QFT_GLYPHSET), sjis);
    EXPECT_EQ(QueryFontTree(device, kOcrK, QFT_GLYPHSET), sjis);
    EXPECT_EQ(sjis->cGlyphsSupported, 7484u);
    EXPECT_EQ(sjis->cRuns, 4247u);
    EXPECT_EQ(sjis->cjThis, offsetof(FD_GLYPHSET, awcrun) + sjis->cRuns * sizeof(WCRUN) + 7484 * sizeof(HGLYPH));
    const HGLYPH* next = reinterpret_cast<const HGLYPH*>(&sjis->awcrun[sjis->cRuns]);
    for (ULONG i = 0; i < sjis->cRuns; ++i) {
        ASSERT_EQ(sjis->awcrun[i].phg, next) << i;
        next += sjis->awcrun[i].cGlyphs;
    }
    EXPECT_EQ(reinterpret_cast<const BYTE*>(next), reinterpret_cast<const BYTE*>(sjis) + sjis->cjThis);
    EXPECT_EQ(HandleOf(sjis, u'A'), 0x41u);
    EXPECT_EQ(HandleOf(sjis, u'ｱ'), 0xB1u);
    EXPECT_EQ(HandleOf(sjis, u'漢'), 0x8ABFu);
    EXPECT_EQ(HandleOf(sjis, u'Ⅰ'), 0xFA4Au);

    // A second device of the process gets the same set; a new driver enable makes it afresh.
    DHPDEV other = Enable(false);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(QueryFontTree(other, kMinchou, QFT_GLYPHSET), sjis);
}

// Devices of several threads asking for the Shift-JIS set at once make it once: every caller
// gets the same set (and no set is made twice and dropped, which the leak check would see).
TEST_F(FontQueryTest, ShiftJisGlyphSetIsMadeOnceUnderRacingQueries) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 25;
    std::vector<DHPDEV> devices;
    for (int i = 0; i < kThreads; ++i) {
        devices.push_back(Enable(false));
        ASSERT_NE(devices.back(), nullptr);
    }
    auto queryTree = Hook<PFN_DrvQueryFontTree>(INDEX_DrvQueryFontTree);
    for (int round = 0; round < kRounds; ++round) {
        std::vector<PVOID> sets(kThreads, nullptr);
        std::barrier start(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                ULONG_PTR id = 0;
                start.arrive_and_wait();
                sets[static_cast<size_t>(t)] = queryTree(devices[static_cast<size_t>(t)], 0, kMinchou, QFT_GLYPHSET, &id);
            });
        }
        for (std::thread& thread : threads) thread.join();
        ASSERT_NE(sets[0], nullptr) << round;
        for (int t = 1; t < kThreads; ++t) ASSERT_EQ(sets[static_cast<size_t>(t)], sets[0]) << "round " << round;
        ReenableDriver();
        queryTree = Hook<PFN_DrvQueryFontTree>(INDEX_DrvQueryFontTree);
    }
}

using AdvanceWidthTest = FontHookTest;

// 50 dots per em: an advance of w/1000 em is w / 20 dots, 28.4 fixed point in the widths.
TEST_F(AdvanceWidthTest, WidthsByFaceAndHandle) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    struct Case {
        ULONG face;
        std::vector<HGLYPH> glyphs;
        std::vector<USHORT> widths;
    };
    const Case cases[] = {
        {kCourier, {u'A', u'i', 0xFF}, {480, 480, 480}},
        {kHelv, {u' ', u'A', u'W', u'i', u'm', u'0', u'.'}, {222, 440, 534, 178, 480, 445, 222}},
        {kTmsRmn, {u' ', u'A', u'W', u'i'}, {240, 480, 534, 240}},
        // Shift-JIS faces: half and full width by the handle; OCR-K wider.
        {kMinchou, {0x41, 0xB1, 0x82A0, 0x100}, {400, 400, 800, 800}},
        {kGothicVertical, {0x41, 0x889F}, {400, 800}},
        {kOcrK, {0x41, 0xFF, 0x8140}, {480, 480, 960}},
    };
    for (const Case& c : cases) {
        standin::engine::Font font = DeviceFontObject(c.face, EmMatrix(50));
        std::vector<USHORT> widths;
        for (ULONG mode : {QAW_GETWIDTHS, QAW_GETEASYWIDTHS}) {
            ASSERT_TRUE(QueryAdvanceWidths(device, font.get(), mode, c.glyphs, &widths)) << c.face;
            EXPECT_EQ(widths, c.widths) << c.face;
        }
    }
}

// A code the single-byte table lacks takes the width of 0x95; the handle's low byte is the code.
TEST_F(AdvanceWidthTest, MissingCodeTakesTheWidthOf0x95) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    standin::engine::Font font = DeviceFontObject(kHelv, EmMatrix(100));
    std::vector<USHORT> widths;
    ASSERT_TRUE(QueryAdvanceWidths(device, font.get(), QAW_GETWIDTHS, {0x95, 134, 20, 127, 0x195, u' '}, &widths));
    EXPECT_NE(widths[0], widths[5]);
    for (size_t i = 1; i < 5; ++i) EXPECT_EQ(widths[i], widths[0]) << i;
}

TEST_F(AdvanceWidthTest, RefusalsAndEdges) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    standin::engine::Font courier = DeviceFontObject(kCourier, EmMatrix(50));
    std::vector<USHORT> widths;

    SetLastError(0);
    EXPECT_FALSE(QueryAdvanceWidths(device, courier.get(), 2, {u'A'}, &widths));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(QueryAdvanceWidths(device, courier.get(), QAW_GETWIDTHS, {}, &widths)) << "no glyphs";

    standin::engine::Font noFace = DeviceFontObject(31, EmMatrix(50));
    SetLastError(0);
    EXPECT_FALSE(QueryAdvanceWidths(device, noFace.get(), QAW_GETWIDTHS, {u'A'}, &widths));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // A font object the engine does not know has no transform.
    FONTOBJ stray{};
    stray.iFace = kCourier;
    EXPECT_FALSE(QueryAdvanceWidths(device, &stray, QAW_GETWIDTHS, {u'A'}, &widths));

    SetLastError(0);
    EXPECT_FALSE(QueryAdvanceWidths(nullptr, courier.get(), QAW_GETWIDTHS, {u'A'}, &widths));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // A width beyond 16 bits of 28.4 is held at the largest, not wrapped.
    standin::engine::Font huge = DeviceFontObject(kCourier, EmMatrix(10000));
    ASSERT_TRUE(QueryAdvanceWidths(device, huge.get(), QAW_GETWIDTHS, {u'A'}, &widths));
    EXPECT_EQ(widths[0], 0xFFFF);

    // On a turned baseline the printer's length of the advance stays below the straight one.
    standin::engine::Font turned = DeviceFontObject(kCourier, EmMatrix(50, 45));
    ASSERT_TRUE(QueryAdvanceWidths(device, turned.get(), QAW_GETWIDTHS, {u'A'}, &widths));
    EXPECT_LT(widths[0], 480);
    EXPECT_GT(widths[0], 339);
}

using FontDataTest = FontHookTest;

TEST_F(FontDataTest, GlyphDataUnderTheTransform) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    struct Case {
        ULONG face;
        HGLYPH hg;
        FIX advance;
        FIX inkTop, inkBottom;
    };
    // 50 dots per em: 1/1000 em is 0.8 in 28.4.
    for (const Case& c : {Case{kCourier, u'A', 480, 636, -232}, Case{kHelv, u'i', 178, 755, -176},
                          Case{kMinchou, 0x41, 400, 680, -120}, Case{kMinchou, 0x889F, 800, 680, -120},
                          Case{kOcrK, 0x8140, 960, 680, -120}}) {
        standin::engine::Font font = DeviceFontObject(c.face, EmMatrix(50));
        GLYPHDATA gd;
        std::memset(&gd, 0x5A, sizeof gd);
        ASSERT_EQ(QueryFontData(device, font.get(), QFD_GLYPHANDBITMAP, c.hg, &gd, nullptr, 0), 0) << c.face;
        EXPECT_EQ(gd.hg, c.hg);
        EXPECT_EQ(gd.fxD, c.advance) << c.face;
        EXPECT_EQ(gd.fxAB, c.advance) << c.face;
        EXPECT_EQ(gd.fxA, 0);
        EXPECT_EQ(gd.fxInkTop, c.inkTop) << c.face;
        EXPECT_EQ(gd.fxInkBottom, c.inkBottom) << c.face;
        EXPECT_EQ(gd.ptqD.x, static_cast<LONGLONG>(c.advance) << 32) << c.face;
        EXPECT_EQ(gd.ptqD.y, 0) << c.face;
        LONG untouched;
        std::memset(&untouched, 0x5A, sizeof untouched);
        EXPECT_EQ(gd.rclInk.left, untouched) << "the ink box is not filled";
    }
    standin::engine::Font courier = DeviceFontObject(kCourier, EmMatrix(50));
    EXPECT_EQ(QueryFontData(device, courier.get(), QFD_GLYPHANDBITMAP, u'A', nullptr, nullptr, 0), 0);
    // The matrix the hook saw is kept in the device.
    EXPECT_FLOAT_EQ(Pdev(device)->FontMatrix[0], 0.05f);
    EXPECT_FLOAT_EQ(Pdev(device)->FontMatrix[3], -0.05f);
}

TEST_F(FontDataTest, MaximumExtents) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    const LONG dpi = Pdev(device)->Settings.Public.dmPrintQuality;
    ASSERT_EQ(dpi, 600) << "the expectations below are for the sample's 600 dpi";
    constexpr LONG kUntouched = 0x12345678;

    struct Case {
        ULONG face;
        LONG extLeading, intLeading, cxMax, lD;
        FIX ascender, descender;
        LONG underline, strikeOut, thickness;
    };
    // 50 dots per em at 600 dpi is 6 pt. Courier: fixed pitch, no external leading, descender
    // from the em less the ascender; Helv: 2 pt of leading less the internal leading of 8 dots.
    const Case cases[] = {
        {kCourier, 0, 0, 30, 30, 640, 160, -5, 13, -2},
        {kHelv, 128, kUntouched, 50, 0, 752, 176, -5, 15, -2},
        {kMinchou, 0, 0, 50, 0, 688, 128, -4, 16, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("face " + std::to_string(c.face));
        standin::engine::Font font = DeviceFontObject(c.face, EmMatrix(50));
        FD_DEVICEMETRICS dm;
        std::memset(&dm, 0, sizeof dm);
        dm.lNonLinearIntLeading = kUntouched;
        dm.lMinA = kUntouched;
        ASSERT_EQ(QueryFontData(device, font.get(), QFD_MAXEXTENTS, 0, nullptr, &dm, sizeof dm), 124);
        EXPECT_EQ(dm.flRealizedType, 0u);
        EXPECT_FLOAT_EQ(dm.pteBase.x, 1.0f);
        EXPECT_FLOAT_EQ(dm.pteBase.y, 0.0f);
        EXPECT_FLOAT_EQ(dm.pteSide.x, 0.0f);
        EXPECT_FLOAT_EQ(dm.pteSide.y, 1.0f);
        EXPECT_EQ(dm.lNonLinearExtLeading, c.extLeading);
        EXPECT_EQ(dm.lNonLinearIntLeading, c.intLeading);
        EXPECT_EQ(dm.cxMax, static_cast<ULONG>(c.cxMax));
        EXPECT_EQ(dm.lD, c.lD);
        EXPECT_EQ(dm.fxMaxAscender, c.ascender);
        EXPECT_EQ(dm.fxMaxDescender, c.descender);
        EXPECT_EQ(dm.ptlUnderline1.x, 0);
        EXPECT_EQ(dm.ptlUnderline1.y, c.underline);
        EXPECT_EQ(dm.ptlStrikeOut.y, c.strikeOut);
        EXPECT_EQ(dm.ptlULThickness.y, c.thickness);
        EXPECT_EQ(dm.ptlSOThickness.y, c.thickness);
        EXPECT_EQ(dm.lMinA, kUntouched) << "fields the hook does not own stay";
    }
}

// The size is asked with no record; a record smaller than the metrics is refused whole, not
// overrun.
TEST_F(FontDataTest, MaximumExtentsHonourTheRecordSize) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    standin::engine::Font font = DeviceFontObject(kCourier, EmMatrix(50));
    EXPECT_EQ(QueryFontData(device, font.get(), QFD_MAXEXTENTS, 0, nullptr, nullptr, 0), 124);
    std::vector<BYTE> small(sizeof(FD_DEVICEMETRICS) + 16, 0xA5);
    EXPECT_EQ(QueryFontData(device, font.get(), QFD_MAXEXTENTS, 0, nullptr, small.data(), 100), -1);
    EXPECT_EQ(small, std::vector<BYTE>(sizeof(FD_DEVICEMETRICS) + 16, 0xA5));
    EXPECT_EQ(QueryFontData(device, font.get(), QFD_MAXEXTENTS, 0, nullptr, small.data(), 124), 124);
    EXPECT_EQ(std::vector<BYTE>(small.begin() + 124, small.end()), std::vector<BYTE>(16, 0xA5));
}

TEST_F(FontDataTest, Refusals) {
    DHPDEV device = Enable(false);
    ASSERT_NE(device, nullptr);
    standin::engine::Font courier = DeviceFontObject(kCourier, EmMatrix(50));
    GLYPHDATA gd{};
    FD_DEVICEMETRICS dm{};

    SetLastError(0);
    EXPECT_EQ(QueryFontData(nullptr, courier.get(), QFD_GLYPHANDBITMAP, u'A', &gd, nullptr, 0), -1);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    standin::engine::Font noFace = DeviceFontObject(0, EmMatrix(50));
    SetLastError(0);
    EXPECT_EQ(QueryFontData(device, noFace.get(), QFD_GLYPHANDBITMAP, u'A', &gd, nullptr, 0), -1);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_EQ(QueryFontData(device, nullptr, QFD_MAXEXTENTS, 0, nullptr, &dm, sizeof dm), -1);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    FONTOBJ stray{};
    stray.iFace = kCourier;
    EXPECT_EQ(QueryFontData(device, &stray, QFD_GLYPHANDBITMAP, u'A', &gd, nullptr, 0), -1) << "no transform";
    EXPECT_EQ(QueryFontData(device, courier.get(), QFD_GLYPHANDOUTLINE, u'A', &gd, nullptr, 0), -1);

    // A flat or broken transform gives no extents (and divides nothing by zero).
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const XFORML& matrix : {XFORML{0, 0, 0, 0, 0, 0}, XFORML{nan, 0, 0, nan, 0, 0}, XFORML{1e30f, 0, 0, 1e30f, 0, 0}}) {
        standin::engine::Font font = DeviceFontObject(kCourier, matrix);
        EXPECT_EQ(QueryFontData(device, font.get(), QFD_MAXEXTENTS, 0, nullptr, &dm, sizeof dm), -1) << matrix.eM11;
    }
}

}  // namespace
}  // namespace fonttest
