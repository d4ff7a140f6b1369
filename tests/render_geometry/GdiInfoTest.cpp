// GDIINFO and DEVINFO: sizes and resolutions, the halftone information from the printer
// data or the model, the copy limits, the fonts and the palette of both modes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/Kernel.h"
#include "tests/render_geometry/GeometryFixture.h"

namespace kvgeo {
namespace {

class GdiInfoTest : public GeometryTest {
protected:
    void SetUp() override {
        GeometryTest::SetUp();
        Geo().InputPaper = Paper(u"A4", 210000, 297000, {4230, 4230, 205770, 292770}, 101);
    }
    GDIINFO Fill() {
        GDIINFO info;
        std::memset(&info, 0xCD, sizeof(info));
        FillGDIInfo(&Pdev(), sizeof(info), &info);
        return info;
    }
};

TEST_F(GdiInfoTest, DescribesTheInputPaperAtTheResolution) {
    const GDIINFO info = Fill();
    EXPECT_EQ(info.ulVersion, 0x400u);
    EXPECT_EQ(info.ulTechnology, DT_RASPRINTER);
    EXPECT_EQ(info.ulHorzSize, 202u);  // 201.54 mm
    EXPECT_EQ(info.ulVertSize, 289u);  // 288.54 mm
    EXPECT_EQ(info.ulHorzRes, 4763u);
    EXPECT_EQ(info.ulVertRes, 6818u);
    EXPECT_EQ(info.cBitsPixel, 1u);
    EXPECT_EQ(info.cPlanes, 1u);
    EXPECT_EQ(info.ulNumColors, 2u);
    EXPECT_EQ(info.flRaster, 0u);
    EXPECT_EQ(info.ulLogPixelsX, 600u);
    EXPECT_EQ(info.ulLogPixelsY, 600u);
    EXPECT_EQ(info.flTextCaps, 0x1FFFu);
    EXPECT_EQ(info.ulDACRed + info.ulDACGreen + info.ulDACBlue, 0u);
    EXPECT_EQ(info.ulAspectX, 600u);
    EXPECT_EQ(info.ulAspectY, 600u);
    EXPECT_EQ(info.ulAspectXY, 848u);
    EXPECT_EQ(info.xStyleStep, 1);
    EXPECT_EQ(info.yStyleStep, 1);
    EXPECT_EQ(info.denStyleStep, 12);
    EXPECT_EQ(info.ptlPhysOffset.x, 100);
    EXPECT_EQ(info.ptlPhysOffset.y, 100);
    EXPECT_EQ(info.szlPhysSize.cx, 4963);
    EXPECT_EQ(info.szlPhysSize.cy, 7018);
    EXPECT_EQ(info.ulPrimaryOrder, PRIMARY_ORDER_CBA);
    EXPECT_EQ(info.ulHTOutputFormat, HT_FORMAT_1BPP);
    EXPECT_EQ(info.flHTFlags, HT_FLAG_HAS_BLACK_DYE);
    // Everything not named is zero.
    EXPECT_EQ(info.ulNumPalReg, 0u);
    EXPECT_EQ(info.ulVRefresh, 0u);
    EXPECT_EQ(info.pHTPatA, nullptr);

    Settings().FeatureFlags |= kFeatureGraphicsOnly;
    EXPECT_EQ(Fill().flTextCaps, 0u);
}

TEST_F(GdiInfoTest, SizeInMillimetresRoundsUpPastOneMicrometre) {
    struct Row {
        LONG microns;
        ULONG mm;
    };
    const Row rows[] = {{200000, 200}, {200001, 200}, {200002, 201}, {199999, 200}, {1, 0}, {2, 1}, {0, 0}, {-5000, 0}};
    for (const Row& r : rows) {
        Geo().InputPaper.Printable = RECTL{1000, 2000, 1000 + r.microns, 2000 + r.microns};
        const GDIINFO info = Fill();
        EXPECT_EQ(info.ulHorzSize, r.mm) << r.microns;
        EXPECT_EQ(info.ulVertSize, r.mm) << r.microns;
    }
}

TEST_F(GdiInfoTest, CopiesAtMostTheRecordAndTheCallersSize) {
    GDIINFO full;
    FillGDIInfo(&Pdev(), sizeof(full), &full);
    struct Row {
        ULONG cbCaller;
        size_t written;
    };
    const size_t record = sizeof(GDIINFO) < 320 ? sizeof(GDIINFO) : 320;
    const Row rows[] = {{0, 0}, {4, 4}, {100, 100}, {static_cast<ULONG>(sizeof(GDIINFO)), record}, {1000, record}};
    for (const Row& r : rows) {
        std::vector<BYTE> buffer(sizeof(GDIINFO) + 64, 0xCD);
        FillGDIInfo(&Pdev(), r.cbCaller, reinterpret_cast<GDIINFO*>(buffer.data()));
        EXPECT_EQ(std::memcmp(buffer.data(), &full, r.written), 0) << r.cbCaller;
        for (size_t i = r.written; i < buffer.size(); ++i) {
            ASSERT_EQ(buffer[i], 0xCD) << "caller's size " << r.cbCaller << ": byte " << i << " was written";
        }
    }
}

TEST_F(GdiInfoTest, PreparesTheRasterWorkRecord) {
    RasterWorkRecord work;
    std::memset(&work, 0x5A, sizeof(work));
    void* buffer = &work;
    work.WorkBuffer = buffer;
    Pdev().RasterWork = &work;
    Settings().ColorAdjustment.caSize = 24;
    Settings().ColorAdjustment.caContrast = -33;
    Fill();
    EXPECT_EQ(work.Flags, 0);
    EXPECT_EQ(work.Bytes1to3[0], 2);
    EXPECT_EQ(work.Bytes1to3[1], 1);
    EXPECT_EQ(work.Bytes1to3[2], 255);
    EXPECT_EQ(work.Value, 0u);
    EXPECT_EQ(work.PaletteCodes[0], 255);
    EXPECT_EQ(work.WorkBuffer, buffer);  // the work buffer belongs to the bitmap hooks
    EXPECT_EQ(std::memcmp(&work.ColorAdjustment, &Settings().ColorAdjustment, sizeof(COLORADJUSTMENT)), 0);
}

// --- Halftone information ------------------------------------------------------------------

std::vector<BYTE> StoredHalftone(DWORD patternSize, size_t size = 132) {
    DEVHTINFO info = kDefaultHalftoneInfo;
    info.HTFlags = 0x11;
    info.HTPatternSize = patternSize;
    info.DevPelsDPI = 123;
    info.ColorInfo.Red = CIECHROMA{1, 2, 3};
    info.ColorInfo.RedGamma = 7777;
    std::vector<BYTE> bytes(size, 0);
    std::memcpy(bytes.data(), &info, size < sizeof(info) ? size : sizeof(info));
    return bytes;
}

// 0x12345 and 0xABCD0FA0 keep their low 16 bits: 9029 and 4000.
const HalftoneRow kRow600{600, u"HT_PATSIZE_6x6_M", 0x12345, u"HT_PATSIZE_SUPERCELL_M", 0xABCD0FA0u};

struct HalftoneCase {
    const char* what;
    SHORT dpi;
    std::vector<HalftoneRow> rows;
    std::u16string valueName;  // empty: no printer data
    std::vector<BYTE> value;
    DWORD osMinor;             // version 5.<minor>
    ULONG patternSize;
    LONG gamma;
    bool stored;               // the stored value's colour information
};

TEST_F(GdiInfoTest, HalftoneFromPrinterDataOrModel) {
    const HalftoneCase cases[] = {
        {"model, later system", 600, {kRow600}, u"", {}, 1, 17, 4000, false},
        {"model, system 5.0", 600, {kRow600}, u"", {}, 0, 5, 9029, false},
        {"no row for the resolution", 600, {{300, u"HT_PATSIZE_2x2", 1, u"HT_PATSIZE_2x2", 1}}, u"", {}, 1, 7, 5000, false},
        {"unknown pattern size", 600, {{600, u"HT_PATSIZE_7x7", 1, u"600dpi", 1}}, u"", {}, 1, 7, 5000, false},
        {"no model rows", 600, {}, u"", {}, 1, 7, 5000, false},
        {"stored value used as is", 600, {kRow600}, u"DAT_CurDevHTInfo600", StoredHalftone(10), 1, 10, 7777, true},
        {"stored user pattern", 600, {kRow600}, u"DAT_CurDevHTInfo600", StoredHalftone(18), 1, 18, 7777, true},
        {"stored pattern size out of range", 600, {kRow600}, u"DAT_CurDevHTInfo600", StoredHalftone(19), 1, 17, 4000, false},
        {"stored value one byte short", 600, {kRow600}, u"DAT_CurDevHTInfo600", StoredHalftone(10, 131), 1, 17, 4000, false},
        {"stored value one byte long", 600, {kRow600}, u"DAT_CurDevHTInfo600", StoredHalftone(10, 133), 1, 17, 4000, false},
        {"another resolution's value", 300, {}, u"DAT_CurDevHTInfo600", StoredHalftone(10), 1, 7, 5000, false},
        {"300 dpi value", 300, {}, u"DAT_CurDevHTInfo300", StoredHalftone(3), 1, 3, 7777, true},
        {"200 dpi value", 200, {}, u"DAT_CurDevHTInfo200", StoredHalftone(3), 1, 3, 7777, true},
        {"240 dpi value", 240, {}, u"DAT_CurDevHTInfo240", StoredHalftone(3), 1, 3, 7777, true},
        {"400 dpi value", 400, {}, u"DAT_CurDevHTInfo400", StoredHalftone(3), 1, 3, 7777, true},
        {"1200 dpi value", 1200, {}, u"DAT_CurDevHTInfo1200", StoredHalftone(3), 1, 3, 7777, true},
        {"odd resolution reads the 600 value", 1000, {}, u"DAT_CurDevHTInfo600", StoredHalftone(3), 1, 3, 7777, true},
    };
    const char16_t* allValues[] = {u"DAT_CurDevHTInfo200", u"DAT_CurDevHTInfo240", u"DAT_CurDevHTInfo300",
                                   u"DAT_CurDevHTInfo400", u"DAT_CurDevHTInfo600", u"DAT_CurDevHTInfo1200"};
    for (const HalftoneCase& c : cases) {
        for (const char16_t* v : allValues) DeletePrinterData(v);
        if (!c.valueName.empty()) SetPrinterData(c.valueName, c.value);
        standin::SetOsVersion(5, c.osMinor, 2600, VER_PLATFORM_WIN32_NT);
        UseModel(StandardMarginForms(), c.rows);
        SetResolution(c.dpi);
        const GDIINFO info = Fill();
        EXPECT_EQ(info.ulHTPatternSize, c.patternSize) << c.what;
        EXPECT_EQ(info.ciDevice.RedGamma, c.gamma) << c.what;
        EXPECT_EQ(info.ciDevice.GreenGamma, c.stored ? 5000 : c.gamma) << c.what;
        EXPECT_EQ(info.ciDevice.BlueGamma, c.stored ? 5000 : c.gamma) << c.what;
        EXPECT_EQ(info.ulDevicePelsDPI, c.stored ? 123u : 0u) << c.what;
        EXPECT_EQ(info.ciDevice.Red.x, c.stored ? 1 : 6700) << c.what;
        // The rest of the default colour information is kept.
        EXPECT_EQ(info.ciDevice.Cyan.Y, 65534) << c.what;
        EXPECT_EQ(info.ciDevice.MagentaInCyanDye, 1648) << c.what;
        EXPECT_EQ(info.ciDevice.AlignmentWhite.Y, 10000) << c.what;
        // The record's own flags never reach GDI.
        EXPECT_EQ(info.flHTFlags, HT_FLAG_HAS_BLACK_DYE) << c.what;
    }
}

TEST(HalftonePatternSizes, NamesAndDitherCells) {
    const std::pair<const char16_t*, int> names[] = {
        {u"HT_PATSIZE_2x2", 0},     {u"HT_PATSIZE_2x2_M", 1},       {u"HT_PATSIZE_8x8_M", 7},
        {u"HT_PATSIZE_16x16_M", 15}, {u"HT_PATSIZE_SUPERCELL", 16}, {u"HT_PATSIZE_SUPERCELL_M", 17},
        {u"HT_PATSIZE_USER", 18},   {u"HT_PATSIZE_8X8", -1},         {u"", -1},
    };
    for (const auto& [name, size] : names) EXPECT_EQ(HalftonePatternSizeOfName(name), size) << kvtest::U8(name);

    const USHORT cells[] = {2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14, 16, 16, 16, 16, 16, 16, 16};
    for (ULONG size = 0; size < sizeof(cells) / sizeof(cells[0]); ++size) {
        EXPECT_EQ(DitherCellOfPatternSize(size), cells[size]) << size;
    }
    EXPECT_EQ(DitherCellOfPatternSize(0xFFFFFFFFu), 16);
}

// --- DEVINFO -------------------------------------------------------------------------------

class DevInfoTest : public GeometryTest {
protected:
    DEVINFO Fill(ULONG patternSize = 7) {
        DEVINFO info;
        std::memset(&info, 0xCD, sizeof(info));
        EXPECT_TRUE(FillDevInfo(&Pdev(), sizeof(info), &info, patternSize));
        return info;
    }
    static std::u16string Face(const LOGFONTW& font) { return std::u16string(font.lfFaceName); }
};

TEST_F(DevInfoTest, GraphicsOnlyDithersInOneBit) {
    Settings().FeatureFlags |= kFeatureGraphicsOnly;
    Pdev().DeviceFontCount = 0;
    const DEVINFO info = Fill(9);
    EXPECT_EQ(info.flGraphicsCaps, 0x430u);
    const LOGFONTW* fonts[] = {&info.lfDefaultFont, &info.lfAnsiVarFont, &info.lfAnsiFixFont};
    const BYTE charsets[] = {SHIFTJIS_CHARSET, 0, 0};
    const BYTE families[] = {0x11, 0x11, 0x12};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(fonts[i]->lfHeight, -92) << i;  // (600 x 11 + 36) / 72
        EXPECT_EQ(fonts[i]->lfWeight, 0) << i;
        EXPECT_EQ(fonts[i]->lfCharSet, charsets[i]) << i;
        EXPECT_EQ(fonts[i]->lfPitchAndFamily, families[i]) << i;
        EXPECT_EQ(Face(*fonts[i]), u"") << i;
    }
    EXPECT_EQ(info.cFonts, 0u);
    EXPECT_EQ(info.iDitherFormat, BMF_1BPP);
    EXPECT_EQ(info.cxDither, 10);
    EXPECT_EQ(info.cyDither, 10);
    EXPECT_EQ(info.flGraphicsCaps2, 0u);
    ASSERT_NE(info.hpalDefault, nullptr);
    EXPECT_EQ(info.hpalDefault, Pdev().Palette);
    standin::engine::PaletteContents palette;
    ASSERT_TRUE(standin::engine::GetPaletteContents(info.hpalDefault, &palette));
    EXPECT_EQ(palette.mode, PAL_INDEXED);
    EXPECT_EQ(palette.colors, (std::vector<ULONG>{0x00000000u, 0x00FFFFFFu}));  // black, then white

    // Pattern sizes past the 16 x 16 cells dither in that cell.
    for (ULONG size : {16u, 17u, 18u, 19u, 1000u}) EXPECT_EQ(Fill(size).cxDither, 16) << size;
}

TEST_F(DevInfoTest, VectorModeOffersDeviceFonts) {
    Pdev().DeviceFontCount = 30;
    SetResolution(400);
    const DEVINFO info = Fill();
    EXPECT_EQ(info.flGraphicsCaps, 0x11Fu);
    const LOGFONTW& d = info.lfDefaultFont;
    EXPECT_EQ(d.lfHeight, -61);  // (400 x 11 + 36) / 72
    EXPECT_EQ(d.lfWidth + d.lfEscapement + d.lfOrientation, 0);
    EXPECT_EQ(d.lfWeight, 400);
    EXPECT_EQ(d.lfItalic + d.lfUnderline + d.lfStrikeOut, 0);
    EXPECT_EQ(d.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(d.lfPitchAndFamily, 0x31);
    EXPECT_EQ(Face(d), u"");
    EXPECT_EQ(Face(info.lfAnsiVarFont), u"Helv");
    EXPECT_EQ(info.lfAnsiVarFont.lfCharSet, 0);
    EXPECT_EQ(info.lfAnsiVarFont.lfPitchAndFamily, 0x22);
    EXPECT_EQ(info.lfAnsiVarFont.lfHeight, -61);
    EXPECT_EQ(info.lfAnsiVarFont.lfWeight, 400);
    EXPECT_EQ(Face(info.lfAnsiFixFont), u"Courier");
    EXPECT_EQ(info.lfAnsiFixFont.lfCharSet, 0);
    EXPECT_EQ(info.lfAnsiFixFont.lfPitchAndFamily, 0x31);
    EXPECT_EQ(info.cFonts, 30u);
    EXPECT_EQ(info.iDitherFormat, BMF_24BPP);
    EXPECT_EQ(info.cxDither + info.cyDither, 0);
    standin::engine::PaletteContents palette;
    ASSERT_TRUE(standin::engine::GetPaletteContents(info.hpalDefault, &palette));
    EXPECT_EQ(palette.mode, PAL_RGB);
}

TEST_F(DevInfoTest, JournallingIsRefusedForOverlaysAndBits7And16) {
    struct Row {
        WORD overlay;
        DWORD feature;
        DWORD option;
        bool dontJournal;
    };
    const Row rows[] = {
        {0, 0, 0, false},
        {kOverlayOn, 0, 0, true},
        {kOverlayChecked, 0, 0, false},
        {0, 1u << 7, 1u << 16, true},
        {0, 1u << 7, 0, false},
        {0, 0, 1u << 16, false},
    };
    for (const bool graphicsOnly : {false, true}) {
        for (const Row& r : rows) {
            Settings().OverlayFlags = r.overlay;
            Settings().FeatureFlags = r.feature | (graphicsOnly ? kFeatureGraphicsOnly : 0);
            Settings().OptionFlags = r.option;
            const bool set = (Fill().flGraphicsCaps & GCAPS_DONTJOURNAL) != 0;
            EXPECT_EQ(set, r.dontJournal) << r.overlay << " " << r.feature << " " << r.option << " " << graphicsOnly;
        }
    }
}

TEST_F(DevInfoTest, ReplacesThePaletteAndCopiesAtMostTheRecord) {
    const unsigned before = standin::engine::LivePaletteCount();
    Fill();
    Fill();
    EXPECT_EQ(standin::engine::LivePaletteCount(), before + 1) << "the first palette was not deleted";

    std::vector<BYTE> buffer(sizeof(DEVINFO) + 16, 0xCD);
    ASSERT_TRUE(FillDevInfo(&Pdev(), 4, reinterpret_cast<DEVINFO*>(buffer.data()), 7));
    EXPECT_EQ(reinterpret_cast<DEVINFO*>(buffer.data())->flGraphicsCaps, 0x11Fu);
    for (size_t i = 4; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCD) << i;

    ASSERT_TRUE(FillDevInfo(&Pdev(), 100000, reinterpret_cast<DEVINFO*>(buffer.data()), 7));
    for (size_t i = sizeof(DEVINFO); i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCD) << i;
}

}  // namespace
}  // namespace kvgeo
