// Transfers onto a device surface: the engine halftones the destination rectangle to 1 bit
// per pixel and calls the driver's DrvCopyBits with it.
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "tests/platform_engine/EngineTestSupport.h"

namespace {

using enginetest::RawPixel;
using enginetest::Show;
using enginetest::TestBitmap;

// What the fake driver saw; the device's DHPDEV points at it.
struct CopyLog {
    int calls = 0;
    BOOL answer = TRUE;
    SURFOBJ* dest = nullptr;
    CLIPOBJ* clip = nullptr;
    ULONG sourceFormat = 0;
    std::vector<std::string> picture;  // '#' black, '.' white
    FLONG xlateFlags = 0;
    std::vector<ULONG> table;
    RECTL rect{};
    POINTL from{-1, -1};
};

BOOL FakeCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc) {
    auto* log = reinterpret_cast<CopyLog*>(psoDest->dhpdev);
    ++log->calls;
    log->dest = psoDest;
    log->clip = pco;
    log->sourceFormat = psoSrc->iBitmapFormat;
    log->picture.clear();
    for (LONG y = 0; y < psoSrc->sizlBitmap.cy; ++y) {
        std::string row;
        for (LONG x = 0; x < psoSrc->sizlBitmap.cx; ++x) row += RawPixel(psoSrc, x, y) != 0 ? '.' : '#';
        log->picture.push_back(row);
    }
    log->xlateFlags = pxlo->flXlate;
    log->table.assign(pxlo->pulXlate, pxlo->pulXlate + pxlo->cEntries);
    log->rect = *prclDest;
    log->from = *pptlSrc;
    return log->answer;
}

int CountWhite(const std::vector<std::string>& picture) {
    int n = 0;
    for (const std::string& row : picture)
        for (char c : row) n += c == '.';
    return n;
}

class EngineDeviceBltTest : public enginetest::EngineLeakTest {
protected:
    void SetUp() override {
        enginetest::EngineLeakTest::SetUp();
        device_ = standin::engine::MakeDevice(reinterpret_cast<DHPDEV>(&log_));
        surface_ = EngCreateDeviceSurface(nullptr, SIZEL{200, 100}, BMF_1BPP);
        ASSERT_TRUE(EngAssociateSurface(surface_, device_, HOOK_COPYBITS));
        dest_ = EngLockSurface(surface_);
        ASSERT_TRUE(standin::engine::SetDeviceHook(device_, INDEX_DrvCopyBits, enginetest::AsPfn(FakeCopyBits)));
    }
    void TearDown() override {
        EngUnlockSurface(dest_);
        EngDeleteSurface(surface_);
        standin::engine::ForgetDevice(device_);
        enginetest::EngineLeakTest::TearDown();
    }
    // A gray-level source: each row a string of levels '0' (black) .. '9' (white) in ninths.
    static void Paint(TestBitmap* bmp, const std::vector<std::string>& rows) {
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; x < rows[y].size(); ++x)
                bmp->Row(static_cast<LONG>(y))[x] = static_cast<BYTE>((rows[y][x] - '0') * 255 / 9);
    }

    CopyLog log_;
    HDEV device_ = nullptr;
    HSURF surface_ = nullptr;
    SURFOBJ* dest_ = nullptr;
};

TEST_F(EngineDeviceBltTest, HalftoneStretchHandsTheDriverOneBitOfTheRectangle) {
    TestBitmap source(4, 2, BMF_8BPP);
    Paint(&source, {"0099", "0099"});
    standin::engine::Clip clip = standin::engine::MakeClip({{0, 0, 50, 50}, {60, 0, 90, 50}});
    RECTL to{10, 20, 18, 24}, from{0, 0, 4, 2};
    ASSERT_TRUE(EngStretchBlt(dest_, source.so(), nullptr, clip.get(), nullptr, nullptr, nullptr, &to, &from, nullptr,
                              HALFTONE));
    ASSERT_EQ(1, log_.calls);
    EXPECT_EQ(dest_, log_.dest);
    EXPECT_EQ(clip.get(), log_.clip);
    EXPECT_EQ(static_cast<ULONG>(BMF_1BPP), log_.sourceFormat);
    EXPECT_EQ(static_cast<FLONG>(XO_TABLE), log_.xlateFlags);
    EXPECT_EQ((std::vector<ULONG>{0x000000, 0xFFFFFF}), log_.table);
    EXPECT_EQ(10, log_.rect.left);
    EXPECT_EQ(20, log_.rect.top);
    EXPECT_EQ(18, log_.rect.right);
    EXPECT_EQ(24, log_.rect.bottom);
    EXPECT_EQ(0, log_.from.x);
    EXPECT_EQ(0, log_.from.y);
    // Black and white are kept exactly.
    EXPECT_EQ((std::vector<std::string>{"####....", "####....", "####....", "####...."}), log_.picture)
        << Show(log_.picture);

    // The driver's answer is the answer.
    log_.answer = FALSE;
    EXPECT_FALSE(EngStretchBlt(dest_, source.so(), nullptr, nullptr, nullptr, nullptr, nullptr, &to, &from, nullptr,
                               HALFTONE));
    EXPECT_EQ(2, log_.calls);
}

TEST_F(EngineDeviceBltTest, GraysAreDitheredInProportion) {
    struct Case {
        BYTE gray;
        int whiteOf256;
    };
    // Level k of 64 is white above (k + 1/2) * 255 / 64.
    const Case cases[] = {{0, 0}, {128, 128}, {64, 64}, {192, 192}, {255, 256}, {4, 4}};
    for (const Case& c : cases) {
        TestBitmap source(2, 2, BMF_8BPP);
        for (LONG y = 0; y < 2; ++y) source.Row(y)[0] = source.Row(y)[1] = c.gray;
        RECTL to{3, 5, 19, 21}, from{0, 0, 2, 2};
        ASSERT_TRUE(EngStretchBlt(dest_, source.so(), nullptr, nullptr, nullptr, nullptr, nullptr, &to, &from, nullptr,
                                  HALFTONE));
        EXPECT_EQ(c.whiteOf256, CountWhite(log_.picture)) << int{c.gray} << Show(log_.picture);
    }
    // Without halftoning the level is cut at the middle.
    TestBitmap source(1, 1, BMF_8BPP);
    source.Row(0)[0] = 100;
    RECTL to{0, 0, 4, 4}, from{0, 0, 1, 1};
    ASSERT_TRUE(EngStretchBlt(dest_, source.so(), nullptr, nullptr, nullptr, nullptr, nullptr, &to, &from, nullptr,
                              COLORONCOLOR));
    EXPECT_EQ(0, CountWhite(log_.picture));
}

TEST_F(EngineDeviceBltTest, InvertedRectangleMirrorsIntoTheOrderedOne) {
    TestBitmap source(4, 1, BMF_8BPP);
    Paint(&source, {"0999"});
    RECTL to{8, 0, 4, 1}, from{0, 0, 4, 1};  // right to left
    ASSERT_TRUE(EngStretchBlt(dest_, source.so(), nullptr, nullptr, nullptr, nullptr, nullptr, &to, &from, nullptr,
                              HALFTONE));
    EXPECT_EQ(4, log_.rect.left);
    EXPECT_EQ(8, log_.rect.right);
    EXPECT_EQ((std::vector<std::string>{"...#"}), log_.picture);
}

TEST_F(EngineDeviceBltTest, CopiesAndPatternBlitsGoThroughTheDriver) {
    TestBitmap source(6, 2);
    source.Draw({"#.#...", "..##.."});
    RECTL to{20, 30, 24, 32};
    POINTL at{1, 0};
    ASSERT_TRUE(EngCopyBits(dest_, source.so(), nullptr, nullptr, &to, &at));
    ASSERT_EQ(1, log_.calls);
    EXPECT_EQ((std::vector<std::string>{".#..", ".##."}), log_.picture) << Show(log_.picture);
    EXPECT_EQ(20, log_.rect.left);
    EXPECT_EQ(32, log_.rect.bottom);

    // A two-colour pattern brush tiles from its origin, in device coordinates.
    TestBitmap pattern(2, 1);
    pattern.Draw({"#."});
    standin::engine::Brush brush = standin::engine::MakePatternBrush(dest_, pattern.so(), {0x000000, 0xFFFFFF});
    POINTL origin{21, 0};
    RECTL strip{20, 0, 26, 1};
    ASSERT_TRUE(
        EngBitBlt(dest_, nullptr, nullptr, nullptr, nullptr, &strip, nullptr, nullptr, brush.get(), &origin, PATCOPY_ROP4));
    EXPECT_EQ((std::vector<std::string>{".#.#.#"}), log_.picture) << Show(log_.picture);

    // What would read the device's pixels is refused without a call.
    const int calls = log_.calls;
    SetLastError(0);
    EXPECT_FALSE(EngBitBlt(dest_, nullptr, nullptr, nullptr, nullptr, &strip, nullptr, nullptr, brush.get(), &origin,
                           0x5A5A));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
    EXPECT_EQ(calls, log_.calls);
}

TEST_F(EngineDeviceBltTest, DeviceWithoutTheHookIsRefused) {
    ASSERT_TRUE(standin::engine::SetDeviceHook(device_, INDEX_DrvCopyBits, nullptr));
    TestBitmap source(2, 2, BMF_8BPP);
    RECTL to{0, 0, 2, 2}, from{0, 0, 2, 2};
    SetLastError(0);
    EXPECT_FALSE(EngStretchBlt(dest_, source.so(), nullptr, nullptr, nullptr, nullptr, nullptr, &to, &from, nullptr,
                               HALFTONE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
    EXPECT_EQ(0, log_.calls);
    EXPECT_FALSE(standin::engine::SetDeviceHook(device_, INDEX_LAST + 1, nullptr));
}

}  // namespace
