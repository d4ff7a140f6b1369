// Font objects (device and engine TrueType fonts: metrics, transform, glyph bits) and string
// objects (positions, text, glyph bits, batches), and EngTextOut drawing them.
#include <cstring>
#include <string>
#include <vector>

#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::Show;
using enginetest::TestBitmap;
using standin::engine::FontSpec;
using standin::engine::StringSpec;

using EngineFontTest = enginetest::EngineLeakTest;

FontSpec TrueType(LONG height) {
    FontSpec spec;
    spec.type = FO_TYPE_TRUETYPE;
    spec.faceName = u"Engine Mono";
    spec.charset = SHIFTJIS_CHARSET;
    spec.weight = 700;
    spec.italic = true;
    spec.unitsPerEm = 1000;
    spec.heightDots = height;
    spec.matrix = XFORML{0.03f, 0, 0, 0.03f, 0, 0};
    return spec;
}

std::u16string NameAt(const IFIMETRICS* ifi, PTRDIFF offset) {
    return std::u16string(reinterpret_cast<const char16_t*>(reinterpret_cast<const BYTE*>(ifi) + offset));
}

TEST_F(EngineFontTest, DeviceFontCarriesItsFaceAndTransformButNoMetricsOrGlyphs) {
    FontSpec spec;
    spec.iFace = 14;
    spec.iFile = 3;
    spec.simulations = FO_SIM_BOLD;
    spec.matrix = XFORML{0, -2, 2, 0, 0, 0};
    standin::engine::Font font = standin::engine::MakeFont(spec);
    ASSERT_NE(nullptr, font.get());
    EXPECT_EQ(14u, font.get()->iFace);
    EXPECT_EQ(3u, font.get()->iFile);
    EXPECT_EQ(static_cast<FLONG>(FO_TYPE_DEVICE | FO_SIM_BOLD), font.get()->flFontType);
    EXPECT_EQ(nullptr, font.get()->pvProducer);  // the driver produces device fonts
    EXPECT_EQ(nullptr, FONTOBJ_pifi(font.get()));
    XFORMOBJ* xo = FONTOBJ_pxoGetXform(font.get());
    ASSERT_NE(nullptr, xo);
    XFORML matrix{};
    EXPECT_EQ(GX_GENERAL, XFORMOBJ_iGetXform(xo, &matrix));
    EXPECT_EQ(-2.0f, matrix.eM12);
    HGLYPH glyph = u'A';
    void* data = &glyph;
    EXPECT_EQ(0u, FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &glyph, &data));
    EXPECT_EQ(nullptr, data);

    FONTOBJ forged{};
    EXPECT_EQ(nullptr, FONTOBJ_pxoGetXform(&forged));
    EXPECT_EQ(nullptr, FONTOBJ_pifi(&forged));
}

TEST_F(EngineFontTest, TrueTypeMetricsNameTheFaceAndItsStyle) {
    standin::engine::Font font = standin::engine::MakeFont(TrueType(30));
    ASSERT_NE(nullptr, font.get());
    EXPECT_EQ(static_cast<FLONG>(FO_TYPE_TRUETYPE), font.get()->flFontType);
    const IFIMETRICS* ifi = FONTOBJ_pifi(font.get());
    ASSERT_NE(nullptr, ifi);
    EXPECT_GT(ifi->cjThis, sizeof(IFIMETRICS));
    EXPECT_EQ(0u, ifi->cjThis % 4);
    for (PTRDIFF offset : {ifi->dpwszFamilyName, ifi->dpwszStyleName, ifi->dpwszFaceName, ifi->dpwszUniqueName}) {
        EXPECT_GE(offset, static_cast<PTRDIFF>(sizeof(IFIMETRICS)));
        EXPECT_LT(static_cast<ULONG>(offset), ifi->cjThis);
    }
    EXPECT_EQ(u"Engine Mono", NameAt(ifi, ifi->dpwszFaceName));
    EXPECT_EQ(u"Engine Mono", NameAt(ifi, ifi->dpwszFamilyName));
    EXPECT_EQ(u"Bold Italic", NameAt(ifi, ifi->dpwszStyleName));
    EXPECT_EQ(SHIFTJIS_CHARSET, ifi->jWinCharSet);
    EXPECT_EQ(700, ifi->usWinWeight);
    EXPECT_EQ(1000, ifi->fwdUnitsPerEm);
    EXPECT_EQ(800, ifi->fwdWinAscender);
    EXPECT_EQ(200, ifi->fwdWinDescender);
    EXPECT_EQ(600, ifi->fwdAveCharWidth);
    EXPECT_NE(0u, ifi->flInfo & FM_INFO_CONSTANT_WIDTH);
    EXPECT_GT(ifi->ptlCaret.x, 0);  // the italic caret leans right
    EXPECT_GT(ifi->ptlCaret.y, 0);
    EXPECT_LT(ifi->lItalicAngle, 0);

    FontSpec upright = TrueType(30);
    upright.italic = false;
    upright.weight = 400;
    standin::engine::Font regular = standin::engine::MakeFont(upright);
    const IFIMETRICS* plain = FONTOBJ_pifi(regular.get());
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(0, plain->ptlCaret.x);
    EXPECT_EQ(1, plain->ptlCaret.y);
    EXPECT_EQ(u"Regular", NameAt(plain, plain->dpwszStyleName));

    // Sizes the engine does not draw are refused.
    EXPECT_EQ(nullptr, standin::engine::MakeFont(TrueType(0)).get());
    EXPECT_EQ(nullptr, standin::engine::MakeFont(TrueType(5000)).get());
}

TEST_F(EngineFontTest, GlyphBitsAndAdvanceOfTheEnginesFont) {
    const FontSpec spec = TrueType(30);
    standin::engine::Font font = standin::engine::MakeFont(spec);
    EXPECT_EQ(18u, font.get()->cxMax);
    HGLYPH glyph = u'A';
    void* data = nullptr;
    ASSERT_EQ(1u, FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &glyph, &data));
    const auto* gd = static_cast<const GLYPHDATA*>(data);
    ASSERT_NE(nullptr, gd->gdf.pgb);
    EXPECT_EQ(static_cast<HGLYPH>(u'A'), gd->hg);
    // Height 30: cells 18 wide, 24 above the baseline.
    EXPECT_EQ(18, gd->ptqD.x >> 32);
    EXPECT_EQ(0, gd->ptqD.y);
    EXPECT_EQ(18 * 16, gd->fxD);
    const GLYPHBITS* gb = gd->gdf.pgb;
    EXPECT_EQ(18, gb->sizlBitmap.cx);
    EXPECT_EQ(30, gb->sizlBitmap.cy);
    EXPECT_EQ(-24, gb->ptlOrigin.y);
    EXPECT_EQ(0, gb->ptlOrigin.x);
    const standin::engine::GlyphImage image = standin::engine::FontGlyph(spec, u'A');
    ASSERT_EQ(static_cast<size_t>(3 * 30), image.bits.size());
    EXPECT_EQ(0, std::memcmp(gb->aj, image.bits.data(), image.bits.size()));
    int ink = 0;
    for (BYTE b : image.bits) ink += b != 0;
    EXPECT_GT(ink, 10);

    // The space has no ink; the next call replaces what the last one handed out.
    glyph = u' ';
    ASSERT_EQ(1u, FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &glyph, &data));
    const GLYPHBITS* space = static_cast<const GLYPHDATA*>(data)->gdf.pgb;
    for (LONG i = 0; i < 3 * 30; ++i) EXPECT_EQ(0, space->aj[i]);

    HGLYPH beyond = 0x10000;
    EXPECT_EQ(0u, FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &beyond, &data));
    EXPECT_EQ(0u, FONTOBJ_cGetGlyphs(font.get(), FO_PATHOBJ, 1, &glyph, &data));
    EXPECT_EQ(0u, FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 0, &glyph, &data));
}

struct BatchCase {
    ULONG glyphs;
    ULONG batchSize;
    std::vector<ULONG> batches;  // the sizes handed out, the last with FALSE
};

TEST_F(EngineFontTest, StringHandsOutItsGlyphsInBatches) {
    const BatchCase cases[] = {
        {5, 0, {5}}, {5, 2, {2, 2, 1}}, {4, 2, {2, 2}}, {3, 5, {3}}, {1, 1, {1}}, {0, 3, {0}},
    };
    for (const BatchCase& c : cases) {
        StringSpec spec;
        for (ULONG i = 0; i < c.glyphs; ++i) {
            spec.glyphs.push_back(u'a' + i);
            spec.positions.push_back(POINTL{static_cast<LONG>(10 * i), 7});
            spec.text.push_back(static_cast<char16_t>(u'a' + i));
        }
        spec.batchSize = c.batchSize;
        standin::engine::String str = standin::engine::MakeString(spec, nullptr);
        ASSERT_NE(nullptr, str.get());
        EXPECT_EQ(c.glyphs, str.get()->cGlyphs);
        EXPECT_EQ(c.batchSize == 0, str.get()->pgp != nullptr);
        for (int pass = 0; pass < 2; ++pass) {
            STROBJ_vEnumStart(str.get());
            ULONG seen = 0;
            for (size_t b = 0; b < c.batches.size(); ++b) {
                ULONG count = 99;
                GLYPHPOS* batch = nullptr;
                const BOOL more = STROBJ_bEnum(str.get(), &count, &batch);
                EXPECT_EQ(b + 1 < c.batches.size(), more != FALSE) << c.glyphs << "/" << c.batchSize;
                ASSERT_EQ(c.batches[b], count) << c.glyphs << "/" << c.batchSize;
                for (ULONG i = 0; i < count; ++i, ++seen) {
                    EXPECT_EQ(static_cast<HGLYPH>(u'a' + seen), batch[i].hg);
                    EXPECT_EQ(static_cast<LONG>(10 * seen), batch[i].ptl.x);
                    EXPECT_EQ(nullptr, batch[i].pgdf);
                }
            }
            EXPECT_EQ(c.glyphs, seen);
        }
        if (c.glyphs > 0) {
            EXPECT_EQ(spec.text, std::u16string(str.get()->pwszOrg, c.glyphs));
        }
    }
}

TEST_F(EngineFontTest, TextOutDrawsStringsWithAndWithoutBitsAlike) {
    const FontSpec spec = TrueType(20);
    standin::engine::Font font = standin::engine::MakeFont(spec);
    StringSpec plain;
    plain.text = u"Kg?";
    for (size_t i = 0; i < plain.text.size(); ++i) {
        plain.glyphs.push_back(plain.text[i]);
        plain.positions.push_back(POINTL{2 + 12 * static_cast<LONG>(i), 20});
    }
    plain.flAccel = SO_HORIZONTAL | SO_CHAR_INC_EQUAL_BM_BASE;
    plain.ulCharInc = 12;
    StringSpec bits = plain;
    bits.withBits = true;
    bits.text.clear();  // the bits alone decide
    StringSpec batched = plain;
    batched.batchSize = 2;

    standin::engine::String withText = standin::engine::MakeString(plain, font.get());
    standin::engine::String withBits = standin::engine::MakeString(bits, font.get());
    standin::engine::String inBatches = standin::engine::MakeString(batched, font.get());
    ASSERT_NE(nullptr, withBits.get()->pgp[0].pgdf);
    EXPECT_EQ(12u, withText.get()->ulCharInc);
    EXPECT_EQ(nullptr, withBits.get()->pwszOrg);

    BRUSHOBJ black = enginetest::SolidBrush(enginetest::kBlack);
    std::vector<std::vector<std::string>> pictures;
    for (STROBJ* str : {withText.get(), withBits.get(), inBatches.get()}) {
        TestBitmap bmp(40, 26);
        bmp.Clear(true);
        ASSERT_TRUE(EngTextOut(bmp.so(), str, font.get(), nullptr, nullptr, nullptr, &black, nullptr, nullptr, R2_COPYPEN));
        EXPECT_GT(bmp.CountBlack(), 40) << Show(bmp.Picture());
        pictures.push_back(bmp.Picture());
    }
    EXPECT_EQ(pictures[0], pictures[1]) << Show(pictures[0]) << Show(pictures[1]);
    EXPECT_EQ(pictures[0], pictures[2]) << Show(pictures[2]);

    // A device font carries no bits.
    standin::engine::Font device = standin::engine::MakeFont(FontSpec{});
    standin::engine::String none = standin::engine::MakeString(bits, device.get());
    EXPECT_EQ(nullptr, none.get()->pgp[0].pgdf);
}

}  // namespace
