// The bitmap hooks in graphics-only mode: blits and stretches send the printer's mode, scale
// and download-table reset as in vector mode before the engine draws them into the band; a
// copy sends nothing of its own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "render/BitmapHooks.h"
#include "tests/render_bitmap/BitmapFixture.h"
#include "tests/support/ByteCompare.h"

namespace bitmaptest {
namespace {

using kvtest::GoldenStream;

constexpr LONG kBandWidth = 64;
constexpr LONG kBandHeight = 16;

class GraphicsOnlyHooksTest : public BitmapTest {
protected:
    void SetUp() override {
        BitmapTest::SetUp();
        band_ = std::make_unique<EngineBitmap>(kBandWidth, kBandHeight);
        for (LONG r = 0; r < kBandHeight; ++r) band_->SetRow(r, std::vector<BYTE>(kBandWidth / 8, 0xFF));
    }
    void TearDown() override {
        Pdev()->ShadowSurface = nullptr;
        band_.reset();
        BitmapTest::TearDown();
    }
    /// A graphics-only device at `dpi` whose scale is not set yet, in page-control mode with
    /// FS R owed, drawing into the test's band.
    void MakeGraphicsOnlyDevice(SHORT dpi) {
        MakeVectorDevice(dpi);
        PDEV* p = Pdev();
        p->Settings.FeatureFlags |= kFeatureGraphicsOnly;
        p->ShadowSurface = band_->get();
        p->StateFlags |= kStatePageControl | kStateFsROwed;
        p->StateFlags &= ~kStateDoubling;
        p->VectorResolution = 0;
        p->DownloadResetDone = 0;
    }
    /// Black pixels in the band.
    size_t BlackInBand() const {
        size_t black = 0;
        for (LONG r = 0; r < kBandHeight; ++r) {
            for (LONG b = 0; b < kBandWidth / 8; ++b) {
                for (int bit = 0; bit < 8; ++bit) black += ((band_->Row(r)[b] >> bit) & 1) == 0;
            }
        }
        return black;
    }

    std::unique_ptr<EngineBitmap> band_;
};

TEST_F(GraphicsOnlyHooksTest, BlitsAndStretchesSendTheCommonEntryBeforeTheEngineDraws) {
    struct Case {
        const char* name;
        bool entrySent;  // the hook sends FS R, FS Y and the vector scale
        bool draws;      // the engine puts black into the band
        std::function<BOOL(SURFOBJ* target, SURFOBJ* source)> call;
    };
    const Case cases[] = {
        {"pattern fill", true, true,
         [](SURFOBJ* target, SURFOBJ*) {
             auto black = standin::engine::MakeSolidBrush(0x000000);
             RECTL dest{0, 0, 16, 4};
             POINTL origin{0, 0};
             return DrvBitBlt(target, nullptr, nullptr, nullptr, nullptr, &dest, nullptr, nullptr, black.get(),
                              &origin, 0xF0F0);
         }},
        {"source copy", true, true,
         [](SURFOBJ* target, SURFOBJ* source) {
             RECTL dest{8, 2, 16, 4};
             POINTL from{0, 0};
             return DrvBitBlt(target, source, nullptr, nullptr, nullptr, &dest, &from, nullptr, nullptr, nullptr,
                              0xCCCC);
         }},
        {"nothing to do", true, false,
         [](SURFOBJ* target, SURFOBJ* source) {
             RECTL dest{0, 0, 8, 2};
             POINTL from{0, 0};
             return DrvBitBlt(target, source, nullptr, nullptr, nullptr, &dest, &from, nullptr, nullptr, nullptr,
                              0xAAAA);
         }},
        {"stretch", true, true,
         [](SURFOBJ* target, SURFOBJ* source) {
             RECTL dest{0, 0, 16, 4};
             RECTL from{0, 0, 8, 2};
             return DrvStretchBlt(target, source, nullptr, nullptr, nullptr, nullptr, nullptr, &dest, &from,
                                  nullptr, COLORONCOLOR);
         }},
        {"copy", false, true,
         [](SURFOBJ* target, SURFOBJ* source) {
             RECTL dest{0, 0, 8, 2};
             POINTL from{0, 0};
             return DrvCopyBits(target, source, nullptr, nullptr, &dest, &from);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeGraphicsOnlyDevice(600);
        for (LONG r = 0; r < kBandHeight; ++r) band_->SetRow(r, std::vector<BYTE>(kBandWidth / 8, 0xFF));
        EngineBitmap black(8, 2);  // all bits 0: entry 0 of the engine's 1-bit palette, black
        ASSERT_TRUE(c.call(Target(), black.get()));
        EXPECT_EQ(BlackInBand() != 0, c.draws);

        GoldenStream expected;
        if (c.entrySent) {
            expected.Add("FS R: the owed return", {0x1C, 0x52})
                .Add("FS Y: leave page-control mode", {0x1C, 0x59})
                .Add("vector scale for 600 dpi", std::string("SU1,600,0;IP0,0,608,608;"));
        }
        EXPECT_TRUE(expected.Matches(Written()));
        if (c.entrySent) {
            EXPECT_EQ(Pdev()->StateFlags & (kStatePageControl | kStateFsROwed), 0u);
            EXPECT_EQ(Pdev()->VectorResolution, 600);
            EXPECT_EQ(Pdev()->DownloadResetDone, 1u);
        }

        // A second call finds the scale sent and the table reset: nothing more.
        ClearWritten();
        ASSERT_TRUE(c.call(Target(), black.get()));
        EXPECT_TRUE(GoldenStream().Matches(Written()));
    }
}

}  // namespace
}  // namespace bitmaptest
