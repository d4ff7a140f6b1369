// The bitmap hooks in vector mode: what each ROP class sends, the size rule under a scale,
// engine failures reported, masks kept, copies from device surfaces, and the writer a copy
// on a page turned on the sheet goes through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/StandIn.h"
#include "render/BitmapHooks.h"
#include "render/draw/DrawingHooks.h"
#include "tests/render_bitmap/BitmapFixture.h"
#include "tests/support/ByteCompare.h"

namespace bitmaptest {
namespace {

using kvtest::GoldenStream;

bool Contains(const std::vector<BYTE>& haystack, const std::vector<BYTE>& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

class BitmapHooksTest : public BitmapTest {
protected:
    BOOL Blit(SURFOBJ* source, XLATEOBJ* xlate, RECTL dest, ROP4 rop4, BRUSHOBJ* brush = nullptr,
              SURFOBJ* mask = nullptr, CLIPOBJ* clip = nullptr) {
        POINTL from{0, 0};
        POINTL brushOrigin{0, 0};
        POINTL maskPoint{0, 0};
        return DrvBitBlt(Target(), source, mask, clip, xlate, &dest, source != nullptr ? &from : nullptr,
                         mask != nullptr ? &maskPoint : nullptr, brush, &brushOrigin, rop4);
    }
    static constexpr BYTE kImagePlain = 0xF2;
};

TEST_F(BitmapHooksTest, SourceCopyOfADirectBitmapIsTheDriversImage) {
    Pdev()->StateFlags |= kStatePageControl;
    Pdev()->VectorResolution = 0;
    EngineBitmap image(8, 2);
    image.SetRow(0, {0x3C});
    image.SetRow(1, {0xC3});
    Palette palette{kWhite, kBlack};
    ASSERT_TRUE(Blit(image.get(), palette.get(), RECTL{50, 60, 58, 62}, 0xCCCC));

    GoldenStream expected;
    expected.Add("FS Y: leave page-control mode", {0x1C, 0x59})
        .Add("vector scale for 600 dpi", std::string("SU1,600,0;IP0,0,608,608;"))
        .Add("logical operation: source copy", {0xA6, 0x00, 0xCC, 0xCC})
        .Add("position (0, 0) and the clip reset to the whole page", PageClipReset())
        .Add("position (50, 60)", Position(50, 60))
        .Add("image, plain: 8 px x 2 rows, 2 bytes", {0xF2, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x02, 0, 0, 0, 2})
        .Add("the rows (entry 0 white)", {0x3C, 0xC3});
    EXPECT_TRUE(expected.Matches(Written()));
    EXPECT_EQ(Pdev()->StateFlags & (kStateClipPath | kStateRopSet), 0u) << "hook-long flags are dropped";
}

TEST_F(BitmapHooksTest, NothingToDoWritesOnlyTheCommonEntry) {
    Pdev()->StateFlags |= kStatePageControl;
    EngineBitmap image(8, 2);
    ASSERT_TRUE(Blit(image.get(), nullptr, RECTL{0, 0, 8, 2}, 0xAAAA));
    GoldenStream expected;
    expected.Add("FS Y: leave page-control mode", {0x1C, 0x59});
    EXPECT_TRUE(expected.Matches(Written()));
}

TEST_F(BitmapHooksTest, PatternOnlyFillsTheTargetWithTheBrush) {
    auto black = standin::engine::MakeSolidBrush(0x000000);
    ASSERT_TRUE(Blit(nullptr, nullptr, RECTL{10, 20, 30, 25}, 0xF0F0, black.get()));
    const std::vector<BYTE> out = Written();
    EXPECT_TRUE(Contains(out, {0xA5, 0x01, 0x10, 0x00})) << "solid black fill\n" << kvtest::HexDump(out);
    EXPECT_TRUE(Contains(out, {0xDB, 0x05, 0x00, 0x14})) << "a rectangle 5 high, 20 wide\n" << kvtest::HexDump(out);
    EXPECT_EQ(std::find(out.begin(), out.end(), kImagePlain), out.end());
    EXPECT_EQ(Pdev()->StateFlags & (kStateClipPath | kStateDeferredClip | kStateRopSet), 0u);
}

TEST_F(BitmapHooksTest, MaskedPatternKeepsItsMask) {
    auto black = standin::engine::MakeSolidBrush(0x000000);
    // Without a mask the blit is a plain fill over the target ...
    ASSERT_TRUE(Blit(nullptr, nullptr, RECTL{10, 20, 30, 25}, 0xAAF0, black.get()));
    EXPECT_TRUE(Contains(Written(), {0xDB, 0x05, 0x00, 0x14}));
    // ... with one, the fill would paint where the mask forbids it: the engine draws it.
    ClearWritten();
    EngineBitmap mask(20, 5);
    EXPECT_FALSE(Blit(nullptr, nullptr, RECTL{10, 20, 30, 25}, 0xAAF0, black.get(), mask.get()))
        << "the engine cannot draw on the device surface, and says so";
    const std::vector<BYTE> out = Written();
    EXPECT_FALSE(Contains(out, {0xDB, 0x05, 0x00, 0x14})) << kvtest::HexDump(out);
}

TEST_F(BitmapHooksTest, EngineFailuresAreReported) {
    // A colour source is halftoned by the engine; the device surface has no bits to draw on.
    EngineBitmap colour(8, 8, BMF_8BPP);
    Palette palette{kWhite, kBlack};
    auto white = standin::engine::MakeSolidBrush(0xFFFFFF);
    const ROP4 rops[] = {0xCCCC, 0xB8B8, 0x1234};
    for (ROP4 rop : rops) {
        SCOPED_TRACE(rop);
        EXPECT_FALSE(Blit(colour.get(), palette.get(), RECTL{0, 0, 8, 8}, rop, white.get()));
        EXPECT_EQ(Pdev()->StateFlags & (kStateClipPath | kStateRopSet), 0u);
    }
    EXPECT_EQ(work_.Flags, 0) << "the busy flag is dropped after the stretch";
}

TEST_F(BitmapHooksTest, SizeRuleUnderAScale) {
    struct Case {
        WORD scale;
        LONG width;
        LONG height;
        bool direct;
    };
    const Case cases[] = {
        {75, 64, 64, true}, {75, 65, 64, false}, {75, 64, 65, false}, {50, 64, 64, true},
        {95, 8, 8, false},  {49, 8, 8, false},   {100, 200, 200, true}, {150, 200, 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.scale << " %, " << c.width << " x " << c.height);
        MakeVectorDevice();
        Pdev()->Geometry.ScalePercent = c.scale;
        EngineBitmap image(c.width, c.height);
        Palette palette{kWhite, kBlack};
        const BOOL result = Blit(image.get(), palette.get(), RECTL{100, 100, 100 + c.width, 100 + c.height}, 0xCCCC);
        const std::vector<BYTE> out = Written();
        const bool imageSent = Contains(out, {0xF2, 0x00, 0x00}) || Contains(out, {0xF4, 0x00, 0x00});
        EXPECT_EQ(imageSent, c.direct) << kvtest::HexDump(out);
        // The engine's shrink fails on the test's device surface; the failure comes back.
        EXPECT_EQ(result, c.direct ? TRUE : FALSE);
        EXPECT_EQ(Pdev()->ReducedStretch, 0u);
        EXPECT_EQ(Pdev()->ReducedStretchClip, nullptr);
    }
}

TEST_F(BitmapHooksTest, CopyFromADeviceSurfaceErasesToWhite) {
    EngineBitmap dest(16, 4, BMF_8BPP);
    SURFOBJ deviceSource{};
    deviceSource.iType = STYPE_DEVICE;
    RECTL rect{0, 0, 16, 4};
    POINTL from{0, 0};
    ASSERT_TRUE(DrvCopyBits(dest.get(), &deviceSource, nullptr, nullptr, &rect, &from));
    for (LONG r = 0; r < 4; ++r) {
        EXPECT_EQ(std::vector<BYTE>(dest.Row(r), dest.Row(r) + 16), std::vector<BYTE>(16, 0xFF)) << "row " << r;
    }
}

TEST_F(BitmapHooksTest, CopyOfADirectBitmapIsSentAndOthersGoToTheEngine) {
    EngineBitmap image(16, 3);
    Palette palette{kBlack, kWhite};
    RECTL rect{200, 300, 216, 303};
    POINTL from{0, 0};
    ASSERT_TRUE(DrvCopyBits(Target(), image.get(), nullptr, palette.get(), &rect, &from));
    const std::vector<BYTE> out = Written();
    EXPECT_TRUE(Contains(out, {0xA6, 0x00, 0xCC, 0xCC}));
    EXPECT_TRUE(Contains(out, {0xF2, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x03}));
    EXPECT_TRUE(Contains(out, std::vector<BYTE>(6, 0xFF))) << "white rows complemented";

    ClearWritten();
    POINTL offset{1, 0};
    EXPECT_FALSE(DrvCopyBits(Target(), image.get(), nullptr, palette.get(), &rect, &offset))
        << "not from the origin: the engine's halftone, which fails on the test surface";
    EXPECT_FALSE(Contains(Written(), {0xF2, 0x00, 0x00}));

    Pdev()->RasterWork = nullptr;
    EXPECT_FALSE(DrvCopyBits(Target(), image.get(), nullptr, palette.get(), &rect, &from));
}

// --- Pages turned on the sheet -------------------------------------------------------------

class TurnedPageTest : public BitmapHooksTest {
protected:
    void SetUp() override {
        BitmapHooksTest::SetUp();
        MakeVectorDevice(600, 2);
        Pdev()->Settings.Public.dmOrientation = 2;  // the page lies across the sheet
        Pdev()->SentOrientation = 1;
        // A moderate N-up scale, at which small images go to the printer as they are.
        Pdev()->Geometry.ScalePercent = 70;
    }
    void SetForm(const std::u16string& name) {
        std::memset(Pdev()->Settings.Public.dmFormName, 0, sizeof Pdev()->Settings.Public.dmFormName);
        std::copy(name.begin(), name.end(), Pdev()->Settings.Public.dmFormName);
    }
    /// The image header a copy sent, from its opcode.
    std::vector<BYTE> ImageHeader(const std::vector<BYTE>& out) {
        for (size_t i = 0; i + 16 <= out.size(); ++i) {
            if ((out[i] == 0xF2 || out[i] == 0xF4) && out[i + 1] == 0 && out[i + 2] == 0 &&
                (out[i + 3] == 0 || out[i + 3] == 0x20)) {
                return std::vector<BYTE>(out.begin() + i, out.begin() + i + 16);
            }
        }
        return {};
    }
    /// 16 px x 24 rows, a different byte per row so that the turn shows.
    void Fill(EngineBitmap& image) {
        for (LONG r = 0; r < 24; ++r) image.SetRow(r, {static_cast<BYTE>(r % 3 == 0 ? 0xFF : 0x00), 0x81});
    }
};

TEST_F(TurnedPageTest, RectangularClipUsesTheRotatedWriterOnlyForPostcards) {
    EngineBitmap image(16, 24);
    Fill(image);
    Palette palette{kWhite, kBlack};
    const LONG rowBytes = 3;  // 24 rows turned into 3 bytes
    for (const auto& [form, rotated] : {std::pair{std::u16string(u"\u306F\u304C\u304D"), true},
                                        std::pair{std::u16string(u"A4"), false}}) {
        SCOPED_TRACE(rotated ? "postcard" : "A4");
        SetForm(form);
        ClearWritten();
        auto clip = standin::engine::MakeClip({{0, 0, 400, 1400}});
        RECTL rect{100, 1000, 116, 1024};
        POINTL from{0, 0};
        ASSERT_TRUE(DrvCopyBits(Target(), image.get(), clip.get(), palette.get(), &rect, &from));
        const std::vector<BYTE> header = ImageHeader(Written());
        ASSERT_FALSE(header.empty()) << kvtest::HexDump(Written());
        EXPECT_EQ(header[3], rotated ? 0x00 : 0x20) << "the rotated writer never compresses";
        // W' = 24 (the visible height), H' = 16 (the visible width).
        EXPECT_EQ(std::vector<BYTE>(header.begin() + 4, header.begin() + 8), std::vector<BYTE>({0, 24, 0, 16}));
        if (rotated) {
            const std::vector<BYTE> out = Written();
            const size_t at = std::search(out.begin(), out.end(), header.begin(), header.end()) - out.begin();
            const size_t data = at + (header[0] == 0xF4 ? 16 : 12);
            ASSERT_EQ(out.size(), data + 16 * rowBytes);
            // First row: the rightmost column (bit 0x01 of byte 1, set in every source row).
            EXPECT_EQ(std::vector<BYTE>(out.begin() + data, out.begin() + data + 3), std::vector<BYTE>(3, 0xFF));
            // Rows of columns 1 to 6: black where the source row had 0xFF, every third row.
            EXPECT_EQ(std::vector<BYTE>(out.begin() + data + 9 * 3, out.begin() + data + 10 * 3),
                      std::vector<BYTE>({0x92, 0x49, 0x24}));
        }
    }
}

TEST_F(TurnedPageTest, ComplexClipUsesTheRotatedWriter) {
    SetForm(u"A4");
    EngineBitmap image(16, 24);
    Fill(image);
    Palette palette{kWhite, kBlack};
    auto clip = standin::engine::MakeClip({{100, 1000, 116, 1012}, {100, 1012, 116, 1024}});
    RECTL rect{100, 1000, 116, 1024};
    POINTL from{0, 0};
    ASSERT_TRUE(DrvCopyBits(Target(), image.get(), clip.get(), palette.get(), &rect, &from));
    const std::vector<BYTE> out = Written();
    // Two pieces of 12 rows, each turned: W' = 12, H' = 16, plain.
    size_t pieces = 0;
    for (size_t i = 0; i + 8 <= out.size(); ++i) {
        if ((out[i] == 0xF2 || out[i] == 0xF4) && out[i + 1] == 0 && out[i + 2] == 0 && out[i + 3] == 0 &&
            out[i + 4] == 0 && out[i + 5] == 12 && out[i + 6] == 0 && out[i + 7] == 16) {
            ++pieces;
        }
    }
    EXPECT_EQ(pieces, 2u) << kvtest::HexDump(out);
}

}  // namespace
}  // namespace bitmaptest
