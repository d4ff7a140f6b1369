// The library's own entry points as GDI calls them: the version and size check of
// DrvEnableDriver, the hook table, DrvQueryDriverInfo, and every hook's refusal of a bad
// device.
#include <gtest/gtest.h>

#include <functional>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "render/Escapes.h"
#include "tests/render_entry/EntryFixture.h"

namespace entrytest {
namespace {

class DriverTableTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        Install();
    }
    template <typename Fn>
    Fn Export(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }
};

TEST_F(DriverTableTest, EnableDriverChecksEngineVersionAndRecordSize) {
    struct Case {
        ULONG version;
        ULONG cb;
        BOOL result;
    };
    const ULONG full = sizeof(DRVENABLEDATA);  // 16 on x64, 12 on x86
    const Case cases[] = {
        {0x1FFFF, full, FALSE},
        {0x20000, full - 1, FALSE},
        {0x20000, full, TRUE},
        {0x30000, full + 8, TRUE},
    };
    auto enable = Export<PFN_DrvEnableDriver>("DrvEnableDriver");
    for (const Case& c : cases) {
        DRVENABLEDATA data{};
        SetLastError(kSentinel);
        EXPECT_EQ(enable(c.version, c.cb, &data), c.result) << std::hex << c.version << " " << c.cb;
        if (c.result) {
            EXPECT_EQ(GetLastError(), kSentinel);
            EXPECT_EQ(data.iDriverVersion, 0x20000u);
            EXPECT_EQ(data.c, 28u);
        } else {
            EXPECT_EQ(GetLastError(), 119u);
            EXPECT_EQ(data.c, 0u) << "a refused call must not fill the record";
        }
    }
}

TEST_F(DriverTableTest, HookTableHasTheDocumentedOrder) {
    const ULONG expected[] = {0, 7, 1, 2, 3, 4, 37, 23, 26, 27, 28, 53, 18, 20,
                              19, 35, 33, 32, 34, 14, 15, 16, 17, 12, 24, 13, 57, 58};
    ASSERT_EQ(table_.c, std::size(expected));
    for (ULONG i = 0; i < table_.c; ++i) {
        EXPECT_EQ(table_.pdrvfn[i].iFunc, expected[i]) << "entry " << i;
        EXPECT_NE(table_.pdrvfn[i].pfn, nullptr) << "entry " << i;
    }
}

TEST_F(DriverTableTest, QueryDriverInfoAnswersOnlyUserMode) {
    struct Case {
        DWORD mode;
        DWORD cb;
        BOOL result;
    };
    const Case cases[] = {{1, 4, TRUE}, {1, 8, TRUE}, {1, 3, FALSE}, {1, 0, FALSE}, {2, 4, FALSE}, {0, 4, FALSE}};
    auto query = Export<PFN_DrvQueryDriverInfo>("DrvQueryDriverInfo");
    for (const Case& c : cases) {
        DWORD buffer[2] = {kSentinel, kSentinel};
        DWORD needed = 0;
        EXPECT_EQ(query(c.mode, buffer, c.cb, &needed), c.result) << c.mode << " " << c.cb;
        EXPECT_EQ(buffer[0], c.result ? 1u : kSentinel);
        EXPECT_EQ(buffer[1], kSentinel);
    }
}

// Every hook that takes a device refuses a NULL one and one whose first or last signature
// word is wrong, with last error 87; DrvDisableSurface refuses silently.
TEST_F(DriverTableTest, EveryHookRefusesABadDevice) {
    constexpr DWORD kGood = 0x5451384B;
    std::unique_ptr<PDEV> badFirst = FakePdev(0x5451384C, kGood);
    std::unique_ptr<PDEV> badLast = FakePdev(kGood, 0);
    PDEV* devices[] = {nullptr, badFirst.get(), badLast.get()};

    BYTE bits[64] = {};
    for (PDEV* bad : devices) {
        SCOPED_TRACE(bad == nullptr ? "NULL" : bad == badFirst.get() ? "first word" : "last word");
        auto dh = reinterpret_cast<DHPDEV>(bad);
        SURFOBJ target{};
        target.dhpdev = dh;
        target.iType = STYPE_BITMAP;
        SURFOBJ source{};
        source.iType = STYPE_BITMAP;
        source.iBitmapFormat = BMF_1BPP;
        source.sizlBitmap = SIZEL{8, 8};
        source.pvBits = bits;
        source.pvScan0 = bits;
        source.lDelta = 4;
        RECTL rect{0, 0, 8, 8};
        POINTL point{0, 0};
        STROBJ str{};
        FONTOBJ font{};
        BRUSHOBJ brush{};
        ULONG_PTR id = 7;

        struct Call {
            const char* name;
            std::function<LONG_PTR()> call;
            LONG_PTR failure;
        };
        const Call calls[] = {
            {"DrvCompletePDEV", [&] { Hook<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV)(dh, hdev_); return LONG_PTR{0}; }, 0},
            {"DrvEnableSurface", [&] { return reinterpret_cast<LONG_PTR>(Hook<PFN_DrvEnableSurface>(INDEX_DrvEnableSurface)(dh)); }, 0},
            {"DrvDisablePDEV", [&] { Hook<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(dh); return LONG_PTR{0}; }, 0},
            {"DrvResetPDEV", [&] { return LONG_PTR{Hook<PFN_DrvResetPDEV>(INDEX_DrvResetPDEV)(dh, dh)}; }, 0},
            {"DrvStartDoc", [&] { return LONG_PTR{Hook<PFN_DrvStartDoc>(INDEX_DrvStartDoc)(&target, nullptr, 1)}; }, 0},
            {"DrvStartPage", [&] { return LONG_PTR{Hook<PFN_DrvStartPage>(INDEX_DrvStartPage)(&target)}; }, 0},
            {"DrvSendPage", [&] { return LONG_PTR{Hook<PFN_DrvSendPage>(INDEX_DrvSendPage)(&target)}; }, 0},
            {"DrvEndDoc", [&] { return LONG_PTR{Hook<PFN_DrvEndDoc>(INDEX_DrvEndDoc)(&target, 0)}; }, 0},
            {"DrvNextBand", [&] { return LONG_PTR{Hook<PFN_DrvNextBand>(INDEX_DrvNextBand)(&target, &point)}; }, 0},
            {"DrvEscape", [&] {
                 DWORD copies = 2;
                 return static_cast<LONG_PTR>(Hook<PFN_DrvEscape>(INDEX_DrvEscape)(&target, kEscSetCopyCount, 4, &copies, 0, nullptr));
             }, 0},
            {"DrvBitBlt", [&] { return LONG_PTR{Hook<PFN_DrvBitBlt>(INDEX_DrvBitBlt)(&target, &source, nullptr, nullptr, nullptr, &rect, &point, nullptr, nullptr, nullptr, SRCCOPY_ROP4)}; }, 0},
            {"DrvStretchBlt", [&] { return LONG_PTR{Hook<PFN_DrvStretchBlt>(INDEX_DrvStretchBlt)(&target, &source, nullptr, nullptr, nullptr, nullptr, nullptr, &rect, &rect, nullptr, COLORONCOLOR)}; }, 0},
            {"DrvCopyBits", [&] { return LONG_PTR{Hook<PFN_DrvCopyBits>(INDEX_DrvCopyBits)(&target, &source, nullptr, nullptr, &rect, &point)}; }, 0},
            {"DrvStrokePath", [&] { return LONG_PTR{Hook<PFN_DrvStrokePath>(INDEX_DrvStrokePath)(&target, nullptr, nullptr, nullptr, &brush, &point, nullptr, 0x0D0D)}; }, 0},
            {"DrvFillPath", [&] { return LONG_PTR{Hook<PFN_DrvFillPath>(INDEX_DrvFillPath)(&target, nullptr, nullptr, &brush, &point, 0x0D0D, 0)}; }, 0},
            {"DrvStrokeAndFillPath", [&] { return LONG_PTR{Hook<PFN_DrvStrokeAndFillPath>(INDEX_DrvStrokeAndFillPath)(&target, nullptr, nullptr, nullptr, &brush, nullptr, &brush, &point, 0x0D0D, 0)}; }, 0},
            {"DrvPaint", [&] { return LONG_PTR{Hook<PFN_DrvPaint>(INDEX_DrvPaint)(&target, nullptr, &brush, &point, 0x0D0D)}; }, 0},
            {"DrvTextOut", [&] { return LONG_PTR{Hook<PFN_DrvTextOut>(INDEX_DrvTextOut)(&target, &str, &font, nullptr, nullptr, nullptr, &brush, nullptr, &point, 0x0D0D)}; }, 0},
            {"DrvRealizeBrush", [&] { return LONG_PTR{Hook<PFN_DrvRealizeBrush>(INDEX_DrvRealizeBrush)(&brush, &target, nullptr, nullptr, nullptr, 0)}; }, 0},
            {"DrvQueryFont", [&] { return reinterpret_cast<LONG_PTR>(Hook<PFN_DrvQueryFont>(INDEX_DrvQueryFont)(dh, 0, 1, &id)); }, 0},
            {"DrvQueryFontTree", [&] { return reinterpret_cast<LONG_PTR>(Hook<PFN_DrvQueryFontTree>(INDEX_DrvQueryFontTree)(dh, 0, 1, 3, &id)); }, 0},
            {"DrvQueryFontData", [&] { return LONG_PTR{Hook<PFN_DrvQueryFontData>(INDEX_DrvQueryFontData)(dh, &font, 1, 0, nullptr, nullptr, 0)}; }, -1},
            {"DrvQueryAdvanceWidths", [&] {
                 HGLYPH glyph = 32;
                 USHORT width = 0;
                 return LONG_PTR{Hook<PFN_DrvQueryAdvanceWidths>(INDEX_DrvQueryAdvanceWidths)(dh, &font, 0, &glyph, &width, 1)};
             }, 0},
        };
        for (const Call& c : calls) {
            SetLastError(kSentinel);
            EXPECT_EQ(c.call(), c.failure) << c.name;
            EXPECT_EQ(GetLastError(), 87u) << c.name;
        }
        SetLastError(kSentinel);
        Hook<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(dh);
        EXPECT_EQ(GetLastError(), kSentinel) << "DrvDisableSurface";
    }
}

}  // namespace
}  // namespace entrytest
