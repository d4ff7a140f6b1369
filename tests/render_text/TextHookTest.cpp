// DrvTextOut end to end over the sample printer's device fonts: the font commands of a
// realization, the character commands, the grays, substitution of TrueType faces and the
// glyphs drawn where a device font has no code.
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "render/draw/DeviceFontText.h"
#include "render/draw/DrawingHooks.h"
#include "render/draw/TextOutput.h"
#include "tests/render_text/TextFixture.h"

namespace texttest {
namespace {

namespace engine = standin::engine;

constexpr FLOATL kTenPoint = 0.084f;  // 1000 design units to 84 dots: 100 decipoints at 600 dpi
constexpr DWORD kFeatureSubstitute = 1u << 13;
constexpr DWORD kFeatureOcrGrayAll = 1u << 14;
constexpr DWORD kFeatureCharModeZero = 1u << 24;

class TextHookTest : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        Pdev().Settings.FeatureFlags &= ~(kFeatureSubstitute | kFeatureOcrGrayAll | kFeatureCharModeZero);
        surface_.dhpdev = reinterpret_cast<DHPDEV>(&Pdev());
        surface_.iType = STYPE_DEVICE;
    }
    static engine::Font DeviceFont(ULONG face, XFORML matrix = {kTenPoint, 0, 0, kTenPoint, 0, 0}) {
        engine::FontSpec spec;
        spec.type = FO_TYPE_DEVICE;
        spec.iFace = face;
        spec.matrix = matrix;
        return engine::MakeFont(spec);
    }
    static engine::Font TrueTypeFont(const std::u16string& face, BYTE charset) {
        engine::FontSpec spec;
        spec.type = FO_TYPE_TRUETYPE;
        spec.faceName = face;
        spec.charset = charset;
        spec.unitsPerEm = 1000;
        spec.matrix = {kTenPoint, 0, 0, kTenPoint, 0, 0};
        return engine::MakeFont(spec);
    }
    /// A string of handles at x0, x0 + step, ... on one line.
    static engine::String Line(FONTOBJ* font, const std::vector<HGLYPH>& glyphs, const std::u16string& text, LONG x0,
                               LONG y, LONG step, FLONG accel = SO_HORIZONTAL, bool withBits = false) {
        engine::StringSpec spec;
        spec.glyphs = glyphs;
        for (size_t i = 0; i < glyphs.size(); ++i) spec.positions.push_back({x0 + static_cast<LONG>(i) * step, y});
        spec.text = text;
        spec.flAccel = accel;
        spec.withBits = withBits;
        return engine::MakeString(spec, font);
    }
    static std::vector<HGLYPH> Handles(const std::u16string& text) {
        return std::vector<HGLYPH>(text.begin(), text.end());
    }
    BOOL Draw(FONTOBJ* font, STROBJ* string, ULONG color = 0) {
        engine::Brush fore = engine::MakeSolidBrush(color);
        POINTL origin{0, 0};
        surface_.dhpdev = reinterpret_cast<DHPDEV>(&Pdev());  // the device of the moment
        return DrvTextOut(&surface_, string, font, nullptr, nullptr, nullptr, fore.get(), nullptr, &origin, 0x0D0D);
    }

    SURFOBJ surface_{};
};

/// The commands before the font's: character mode 2 and the clip of a call without a clip.
GoldenStream& Preamble(GoldenStream& g) {
    return g.Add("character mode 2", {0xC2, 0x00, 0x00, 0x02})
        .Add("move to the page clip's corner (0, 0)", {0xB6, 0x00, 0x00, 0x00})
        .Add("clip rectangle 1 x 1 (the fixture's page)", {0xB1, 0x01, 0x00, 0x01});
}

TEST_F(TextHookTest, CourierAtSixHundredDotsSelectsSizesAndSendsAPlainRun) {
    engine::Font font = DeviceFont(2);
    engine::String s = Line(font.get(), Handles(u"Hi"), u"Hi", 100, 200, 50);
    ASSERT_TRUE(Draw(font.get(), s.get()));
    GoldenStream expected;
    Preamble(expected)
        .Add("select single-byte font 0x20 (Courier)", {0xCA, 0x00, 0x00, 0x20})
        .Add("height 67", {0xC3, 0x00, 0x00, 0x43})
        .Add("width 50", {0xC4, 0x00, 0x00, 0x32})
        .Add("style upright", {0xC8, 0x00, 0x00, 0x00})
        .Add("logical operation for text", {0xA6, 0x00, 0xC0, 0xAA})
        .Add("text gray 16 (black)", {0xBD, 0x00, 0x10, 0x00})
        .Add("direction 0", {0xC7, 0x00, 0x00, 0x00})
        .Add("move, short x: (100, 200 - 67 + 10)", {0xB6, 0x64, 0x00, 0x8F})
        .Add("plain run 'Hi'", {0xCE, 0x00, 0x00, 0x02, 0x48, 0x69});
    EXPECT_TRUE(expected.Matches(Buffered()));

    // Courier Bold: only the font and its style change; gray, sizes and direction are cached.
    ClearBuffer();
    engine::Font bold = DeviceFont(3);
    engine::String b = Line(bold.get(), Handles(u"Hi"), u"Hi", 100, 300, 50);
    ASSERT_TRUE(Draw(bold.get(), b.get()));
    GoldenStream second;
    second.Add("style bold (the clip is held already)", {0xC8, 0x00, 0x00, 0x01})
        .Add("move, short x: (100, 243)", {0xB6, 0x64, 0x00, 0xF3})
        .Add("plain run 'Hi'", {0xCE, 0x00, 0x00, 0x02, 0x48, 0x69});
    EXPECT_TRUE(second.Matches(Buffered()));
}

TEST_F(TextHookTest, MinchouSelectsTheDoubleByteFontAndSizes) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        MakeDevice();
        ClearBuffer();
        engine::Font font = DeviceFont(vertical ? 18 : 14);
        engine::String s = Line(font.get(), {0x889F, 0x88A0}, u"亜唖", 100, 200, 83);
        ASSERT_TRUE(Draw(font.get(), s.get()));
        const std::vector<BYTE> out = Buffered();
        GoldenStream fontPart;
        fontPart.Add("select double-byte font 0x310 (Minchou)", {0xCB, 0x00, 0x03, 0x10})
            .Add("double-byte height 83", {0xC5, 0x00, 0x00, 0x53})
            .Add("double-byte width 83", {0xC6, 0x00, 0x00, 0x53})
            .Add(vertical ? "style vertical" : "style upright", {0xC8, 0x00, BYTE(vertical ? 0x80 : 0x00), 0x00});
        ASSERT_GE(out.size(), 12u + 16u);
        EXPECT_TRUE(fontPart.Matches(std::vector<BYTE>(out.begin() + 12, out.begin() + 28)));
        EXPECT_EQ((Pdev().StateFlags & kStateSizesSwapped) != 0, vertical);
        EXPECT_EQ((Pdev().StateFlags & kStateHorizontalDbcs) != 0, !vertical);
        EXPECT_EQ(Pdev().GlyphRunMode, 0u);
    }
}

TEST_F(TextHookTest, OcrBIsSizedAsTwelvePointAtFullScale) {
    engine::Font font = DeviceFont(1, {0.3f, 0, 0, 0.3f, 0, 0});
    engine::String s = Line(font.get(), Handles(u"12"), u"12", 100, 400, 60);
    ASSERT_TRUE(Draw(font.get(), s.get()));
    // 120 decipoints at 600 dpi: height (120 x 8000 / 1200 + 5) / 10 = 80, width 60.
    EXPECT_EQ(Pdev().Draw.SizeValues[0], 80);
    EXPECT_EQ(Pdev().Draw.SizeValues[1], 60);
    EXPECT_EQ(Pdev().Draw.FontNumber, 0x40);
}

TEST_F(TextHookTest, EscapementFollowsTheFontTransform) {
    struct Case {
        const char* name;
        XFORML matrix;
        LONG angle;
    };
    const Case cases[] = {
        {"upright", {kTenPoint, 0, 0, kTenPoint, 0, 0}, 0},
        {"turned left", {0, -kTenPoint, kTenPoint, 0, 0, 0}, 90},
        {"upside down", {-kTenPoint, 0, 0, -kTenPoint, 0, 0}, 180},
        {"turned right", {0, kTenPoint, -kTenPoint, 0, 0, 0}, 270},
        {"turned by 30 degrees", {kTenPoint * 0.8660254f, -kTenPoint * 0.5f, kTenPoint * 0.5f, kTenPoint * 0.8660254f, 0, 0}, 30},
        {"turned by 45 degrees", {kTenPoint * 0.7071068f, -kTenPoint * 0.7071068f, kTenPoint * 0.7071068f, kTenPoint * 0.7071068f, 0, 0}, 45},
        {"turned by 300 degrees", {kTenPoint * 0.5f, kTenPoint * 0.8660254f, -kTenPoint * 0.8660254f, kTenPoint * 0.5f, 0, 0}, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine::Font font = DeviceFont(2, c.matrix);
        engine::String s = Line(font.get(), Handles(u"A"), u"A", 500, 500, 0, 0);
        ASSERT_TRUE(Draw(font.get(), s.get()));
        EXPECT_EQ(Pdev().Text.Escapement, c.angle);
        EXPECT_EQ(Pdev().Draw.DirectionAngle, c.angle);
    }
}

TEST_F(TextHookTest, FontsFarAbove180PointAndDegenerateTransformsStayInRange) {
    const XFORML cases[] = {
        {30.0f, 0, 0, 30.0f, 0, 0},          // about 2,500 pt
        {21.2f, -21.2f, 21.2f, 21.2f, 0, 0}, // the same turned by 45 degrees
        {0, 0, 0, kTenPoint, 0, 0},          // no baseline direction
        {0, 0, 0, 0, 0, 0},
    };
    for (const XFORML& m : cases) {
        SCOPED_TRACE(m.eM11);
        engine::Font font = DeviceFont(14, m);
        engine::String s = Line(font.get(), {0x889F}, u"亜", 500, 500, 0);
        (void)Draw(font.get(), s.get());
        EXPECT_LT(Pdev().Text.Escapement, 360);
        EXPECT_GE(Pdev().Text.Escapement, 0);
        EXPECT_LE(Pdev().Draw.SizeValues[2], 12500);
        EXPECT_LE(Pdev().Draw.SizeValues[3], 12500);
    }
    EXPECT_EQ(Pdev().Draw.SizeValues[2], 1) << "a zero transform gives the smallest size, not a division by zero";
}

TEST_F(TextHookTest, TextGrayRules) {
    struct Step {
        const char* name;
        ULONG face;
        ULONG color;
        DWORD features;
        BYTE gray;
    };
    const Step steps[] = {
        {"white Courier", 2, 0x00FFFFFF, 0, 79},
        {"white OCR-B stays white", 1, 0x00FFFFFF, 0, 79},
        {"blue OCR-B goes black", 1, 0x00FF0000, 0, 16},
        {"blue Courier", 2, 0x00FF0000, 0, 16 + 6},
        {"blue Courier, every font black", 2, 0x00FF0000, kFeatureOcrGrayAll, 16},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Pdev().Settings.FeatureFlags = (Pdev().Settings.FeatureFlags & ~kFeatureOcrGrayAll) | step.features;
        engine::Font font = DeviceFont(step.face);
        engine::String s = Line(font.get(), Handles(u"A"), u"A", 500, 500, 0);
        ASSERT_TRUE(Draw(font.get(), s.get(), step.color));
        EXPECT_EQ(Pdev().Draw.TextGray, step.gray);
    }
    // The same colour again sends no gray command.
    ClearBuffer();
    engine::Font font = DeviceFont(2);
    engine::String s = Line(font.get(), Handles(u"A"), u"A", 500, 500, 0);
    ASSERT_TRUE(Draw(font.get(), s.get(), 0x00FF0000));
    ASSERT_TRUE(Draw(font.get(), s.get(), 0x00FF0000));
    EXPECT_EQ(CountOf(Buffered(), std::string("\xBD\x00", 2)), 0u);
}

TEST_F(TextHookTest, PureRedDeviceTextIsBlackOnModelsThatSaySo) {
    const_cast<ModelDescription*>(Pdev().Model)->AdvFuncSwitch |= 1;
    engine::Font font = DeviceFont(14);
    engine::String s = Line(font.get(), {0x889F}, u"亜", 500, 500, 0);
    ASSERT_TRUE(Draw(font.get(), s.get(), 0x000000FF));
    EXPECT_EQ(Pdev().Text.RedText, 1u);
    EXPECT_EQ(Pdev().Draw.TextGray, 16) << "red's gray 34 goes out as black";
    const_cast<ModelDescription*>(Pdev().Model)->AdvFuncSwitch &= ~1u;
    ASSERT_TRUE(Draw(font.get(), s.get(), 0x000000FF));
    EXPECT_EQ(Pdev().Draw.TextGray, 34);
}

TEST_F(TextHookTest, TrueTypeFacesAreSubstitutedByTheList) {
    Pdev().Settings.FeatureFlags |= kFeatureSubstitute;
    engine::Font mincho = TrueTypeFont(u"ＭＳ 明朝", 128);
    EXPECT_EQ(FindDeviceFont(&Pdev(), mincho.get()), 14u);
    EXPECT_EQ(Pdev().Text.TrueTypeShiftJis, 1u);
    engine::Font maker = TrueTypeFont(u"@ＱＸ ゴシック", 128);
    EXPECT_EQ(FindDeviceFont(&Pdev(), maker.get()), 26u) << "the maker's faces are spelled full width";
    engine::Font arial = TrueTypeFont(u"Arial", 0);
    EXPECT_EQ(FindDeviceFont(&Pdev(), arial.get()), 0u);

    // A list of the user interface pairs the face with a name no device face has.
    const std::u16string list = std::u16string(u"ＭＳ 明朝") + u'\0' + u"Mincho" + u'\0' + u'\0';
    std::u16string own = list;
    Pdev().TrueTypeSubstList = own.data();
    Pdev().Text.SubstListChars = static_cast<DWORD>(own.size());
    EXPECT_EQ(FindDeviceFont(&Pdev(), mincho.get()), 0u);
    own = std::u16string(u"ＭＳ 明朝") + u'\0' + u"明朝" + u'\0' + u'\0';
    Pdev().Text.SubstListChars = static_cast<DWORD>(own.size());
    Pdev().TrueTypeSubstList = own.data();
    EXPECT_EQ(FindDeviceFont(&Pdev(), mincho.get()), 14u);

    // Printed: the substituted string selects Minchou; in glyph-index mode it is never replaced.
    ClearBuffer();
    engine::String s = Line(mincho.get(), Handles(u"あ"), u"あ", 500, 500, 0);
    ASSERT_TRUE(Draw(mincho.get(), s.get()));
    EXPECT_EQ(CountOf(Buffered(), std::string("\xCB\x00\x03\x10", 4)), 1u);
    EXPECT_EQ(CountOf(Buffered(), std::string("\xCC\x00\x82\xA0", 4)), 1u);
    Pdev().TrueTypeSubstList = nullptr;
    Pdev().Text.SubstListChars = 0;
}

TEST_F(TextHookTest, ASubstitutionListWithoutItsEndIsReadOnlyInsideItsSize) {
    engine::Font mincho = TrueTypeFont(u"ＭＳ 明朝", 128);
    // Names without terminators, an odd last name without a partner: the walk stops at the
    // list's size (the sanitizers see any read past the block).
    const char16_t cases[][12] = {
        {u'Ａ', u'Ｂ', u'Ｃ'},
        {u'Ａ', 0, u'Ｂ', 0, u'Ｃ'},
        {u'Ａ', 0, u'Ｂ', 0, u'Ｃ', 0},
    };
    const DWORD sizes[] = {3, 5, 6};
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::vector<char16_t> block(cases[i], cases[i] + sizes[i]);
        Pdev().TrueTypeSubstList = block.data();
        Pdev().Text.SubstListChars = sizes[i];
        EXPECT_EQ(FindDeviceFont(&Pdev(), mincho.get()), 0u) << i;
    }
    Pdev().TrueTypeSubstList = nullptr;
    Pdev().Text.SubstListChars = 0;
}

TEST_F(TextHookTest, CharactersTheDeviceFontLacksAreDrawnAsGlyphsBetweenRuns) {
    Pdev().Settings.FeatureFlags |= kFeatureSubstitute;
    engine::Font mincho = TrueTypeFont(u"ＭＳ 明朝", 128);
    // '~' and a user-defined character: the engine's own face draws the tilde, and has no
    // ink for the user-defined one.
    const std::u16string text = u"あ~\uE000い";
    engine::String s = Line(mincho.get(), Handles(text), text, 500, 500, 84, SO_HORIZONTAL, true);
    ASSERT_TRUE(Draw(mincho.get(), s.get()));
    const std::vector<BYTE> out = Buffered();
    const auto find = [&](std::string_view needle, long from) {
        const std::vector<BYTE> bytes(needle.begin(), needle.end());
        return std::search(out.begin() + from, out.end(), bytes.begin(), bytes.end()) - out.begin();
    };
    const long size = static_cast<long>(out.size());
    const long first = find(std::string_view("\xCC\x00\x82\xA0", 4), 0);
    ASSERT_LT(first, size) << "the code before the glyph";
    // The glyphs end the first run: the last code is a run of its own, after them.
    const long last = find(std::string_view("\xCC\x00\x82\xA2", 4), first + 4);
    EXPECT_LT(last, size) << "the code after the glyphs";
    EXPECT_EQ(CountOf(out, std::string("\xCE\x00", 2)), 0u) << "no run joins the codes across the glyphs";
    EXPECT_EQ(CountOf(out, std::string("\xCC\x00\x00\x7E", 4)), 0u) << "the tilde is not sent as a code";
    EXPECT_EQ(CountOf(out, std::string("\xCC\x00\xF0\x40", 4)), 0u) << "no user-defined code goes to the printer";
}

TEST_F(TextHookTest, OneCharacterGivesNoSpacingAnalysis) {
    engine::Font font = DeviceFont(2);
    engine::String one = Line(font.get(), Handles(u"A"), u"A", 100, 100, 0);
    TextRunInfo info{SO_HORIZONTAL, 2, 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(ConvertStringCodes(&Pdev(), font.get(), one.get(), &info), 0u);
    engine::String even = Line(font.get(), Handles(u"A B"), u"A B", 100, 100, 50);
    EXPECT_EQ(ConvertStringCodes(&Pdev(), font.get(), even.get(), &info), 1u);
    EXPECT_EQ(Pdev().Text.SpaceCode, u' ');
}

TEST_F(TextHookTest, GraphicsOnlyWritesNothingAndBadArgumentsAreRefused) {
    engine::Font font = DeviceFont(2);
    engine::String s = Line(font.get(), Handles(u"A"), u"A", 100, 100, 0);
    SetLastError(0);
    EXPECT_FALSE(DrvTextOut(&surface_, nullptr, font.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    engine::Font bad = DeviceFont(31);
    SetLastError(0);
    EXPECT_FALSE(Draw(bad.get(), s.get()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(DrvGetGlyphMode(nullptr, font.get()), 1u);
}

}  // namespace
}  // namespace texttest
