// The GDIINFO and DEVINFO records that GDI receives when a device is enabled, and the
// halftone information behind them.
#include <cstdint>
#include <cstring>

#include "platform/Spooler.h"
#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "settings/Forms.h"
#include "settings/PrinterData.h"

const DEVHTINFO kDefaultHalftoneInfo = {
    2,  // HTFlags
    7,  // HTPatternSize: 8 x 8 modified
    0,  // DevPelsDPI
    {
        {6700, 3300, 0},       // red
        {2100, 7100, 0},       // green
        {1400, 800, 0},        // blue
        {1750, 3950, 65534},   // cyan
        {4050, 2050, 0},       // magenta
        {4400, 5200, 0},       // yellow
        {3127, 3290, 10000},   // alignment white
        5000, 5000, 5000,      // red, green and blue gammas
        1648, 267,             // magenta and yellow in cyan
        103, 154,              // cyan and yellow in magenta
        86, 129,               // cyan and magenta in yellow
    },
};

namespace {

// Dither cell edge per pattern size. The super cells and the user pattern have no cell of
// their own; they dither in the largest one.
constexpr USHORT kDitherCells[kHalftonePatternSizeCount] = {2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14, 16, 16, 16, 16, 16};

/// The printer's stored halftone information for the resolution, when it is whole and names
/// a pattern size the engine knows.
bool ReadStoredHalftone(const PDEV* pdev, DEVHTINFO* info) {
    WCHAR valueName[32] = {};
    const LPCWSTR stored = HalftoneInfoValueName(Resolution(pdev));
    for (int i = 0; i < 31 && stored[i] != u'\0'; ++i) valueName[i] = stored[i];
    DEVHTINFO read{};
    DWORD type = 0;
    DWORD cbRead = 0;
    if (GetPrinterDataW(pdev->Printer, valueName, &type, reinterpret_cast<BYTE*>(&read), sizeof(read), &cbRead) !=
            ERROR_SUCCESS ||
        cbRead != kHalftoneInfoSize) {
        return false;
    }
    if (read.HTPatternSize >= kHalftonePatternSizeCount) return false;
    *info = read;
    return true;
}

/// The model's halftone default for the resolution: its pattern size and gamma applied to
/// the default information. A resolution without a record, or a record naming a pattern
/// size the engine does not know, keeps the default as it is.
DEVHTINFO ModelHalftone(const PDEV* pdev) {
    DEVHTINFO info = kDefaultHalftoneInfo;
    int size = 0;
    DWORD gamma = 0;
    if (!ModelHalftoneChoice(pdev->Model, static_cast<DWORD>(Resolution(pdev)), &size, &gamma)) return info;
    const LONG value = static_cast<LONG>(gamma & 0xFFFFu);
    info.HTPatternSize = static_cast<DWORD>(size);
    info.ColorInfo.RedGamma = value;
    info.ColorInfo.GreenGamma = value;
    info.ColorInfo.BlueGamma = value;
    return info;
}

LONG Dots(const PDEV* pdev, int64_t microns) {
    const int64_t clamped = microns > INT32_MAX ? INT32_MAX : (microns < INT32_MIN ? INT32_MIN : microns);
    return MicronsToDots(static_cast<LONG>(clamped), pdev->Settings.Public.dmPrintQuality);
}

/// Whole millimetres, a remainder of more than 1 µm counting as one more.
ULONG Millimetres(int64_t microns) {
    if (microns <= 0) return 0;
    const int64_t mm = microns / 1000 + (microns % 1000 > 1 ? 1 : 0);
    return mm > UINT32_MAX ? UINT32_MAX : static_cast<ULONG>(mm);
}

void SetFace(LOGFONTW& font, const char16_t* face) {
    for (int i = 0; i < LF_FACESIZE - 1 && face[i] != u'\0'; ++i) font.lfFaceName[i] = face[i];
}

}  // namespace

USHORT DitherCellOfPatternSize(ULONG patternSize) {
    return kDitherCells[patternSize < kHalftonePatternSizeCount ? patternSize : kHalftonePatternSizeCount - 1];
}

void FillGDIInfo(PDEV* pdev, ULONG cbGdiInfo, GDIINFO* gdiInfo) {
    const PaperRecord& paper = pdev->Geometry.InputPaper;
    const int dpi = Resolution(pdev);
    const int64_t printableWidth = int64_t{paper.Printable.right} - paper.Printable.left;
    const int64_t printableHeight = int64_t{paper.Printable.bottom} - paper.Printable.top;

    GDIINFO info{};
    info.ulVersion = 0x400;
    info.ulTechnology = DT_RASPRINTER;
    info.ulHorzSize = Millimetres(printableWidth);
    info.ulVertSize = Millimetres(printableHeight);
    const SIZEL printableDots = PrintableSizeDots(paper, pdev->Settings.Public.dmPrintQuality);
    info.ulHorzRes = static_cast<ULONG>(printableDots.cx);
    info.ulVertRes = static_cast<ULONG>(printableDots.cy);
    info.cBitsPixel = 1;
    info.cPlanes = 1;
    info.ulNumColors = 2;
    info.ulLogPixelsX = static_cast<ULONG>(dpi);
    info.ulLogPixelsY = static_cast<ULONG>(dpi);
    info.flTextCaps = GraphicsOnly(pdev) ? 0 : 0x1FFF;
    info.ulAspectX = static_cast<ULONG>(dpi);
    info.ulAspectY = static_cast<ULONG>(dpi);
    info.ulAspectXY = static_cast<ULONG>(dpi * 1414 / 1000);
    info.xStyleStep = 1;
    info.yStyleStep = 1;
    info.denStyleStep = dpi / 50;
    info.ptlPhysOffset = POINTL{Dots(pdev, paper.Printable.left), Dots(pdev, paper.Printable.top)};
    info.szlPhysSize = SIZEL{Dots(pdev, paper.Width), Dots(pdev, paper.Height)};

    DEVHTINFO halftone;
    if (!ReadStoredHalftone(pdev, &halftone)) halftone = ModelHalftone(pdev);
    info.ciDevice = halftone.ColorInfo;
    info.ulDevicePelsDPI = halftone.DevPelsDPI;
    info.ulHTPatternSize = halftone.HTPatternSize;
    info.ulPrimaryOrder = PRIMARY_ORDER_CBA;
    info.ulHTOutputFormat = HT_FORMAT_1BPP;
    info.flHTFlags = HT_FLAG_HAS_BLACK_DYE;

    if (RasterWorkRecord* work = pdev->RasterWork) {
        work->Flags = 0;
        work->Bytes1to3[0] = 2;
        work->Bytes1to3[1] = 1;
        work->Bytes1to3[2] = 255;
        work->Value = 0;
        work->PaletteCodes[0] = 255;
        work->ColorAdjustment = pdev->Settings.ColorAdjustment;
    }

    if (gdiInfo == nullptr) return;
    size_t cb = cbGdiInfo;
    if (cb > sizeof(GDIINFO)) cb = sizeof(GDIINFO);
    if (cb > 320) cb = 320;
    std::memcpy(gdiInfo, &info, cb);
}

BOOL FillDevInfo(PDEV* pdev, ULONG cbDevInfo, DEVINFO* devInfo, ULONG halftonePatternSize) {
    if (pdev->Palette != nullptr) {
        EngDeletePalette(pdev->Palette);
        pdev->Palette = nullptr;
    }
    const int dpi = Resolution(pdev);
    const LONG height = -((dpi * 11 + 36) / 72);

    DEVINFO info{};
    if (GraphicsOnly(pdev)) {
        info.flGraphicsCaps = GCAPS_HALFTONE | GCAPS_COLOR_DITHER | GCAPS_MONO_DITHER;
        info.lfDefaultFont.lfHeight = height;
        info.lfDefaultFont.lfCharSet = SHIFTJIS_CHARSET;
        info.lfDefaultFont.lfPitchAndFamily = 0x11;
        info.lfAnsiVarFont.lfHeight = height;
        info.lfAnsiVarFont.lfPitchAndFamily = 0x11;
        info.lfAnsiFixFont.lfHeight = height;
        info.lfAnsiFixFont.lfPitchAndFamily = 0x12;
        info.cFonts = pdev->DeviceFontCount;
        info.iDitherFormat = BMF_1BPP;
        info.cxDither = DitherCellOfPatternSize(halftonePatternSize);
        info.cyDither = info.cxDither;
        ULONG entries[2] = {0x00000000u, 0x00FFFFFFu};  // black, white
        pdev->Palette = EngCreatePalette(PAL_INDEXED, 2, entries, 0, 0, 0);
    } else {
        info.flGraphicsCaps = GCAPS_BEZIERS | GCAPS_GEOMETRICWIDE | GCAPS_ALTERNATEFILL | GCAPS_WINDINGFILL |
                              GCAPS_HALFTONE | GCAPS_OPAQUERECT;
        LOGFONTW& font = info.lfDefaultFont;
        font.lfHeight = height;
        font.lfWeight = 400;
        font.lfCharSet = SHIFTJIS_CHARSET;
        font.lfPitchAndFamily = 0x31;
        info.lfAnsiVarFont = font;
        SetFace(info.lfAnsiVarFont, u"Helv");
        info.lfAnsiVarFont.lfCharSet = 0;
        info.lfAnsiVarFont.lfPitchAndFamily = 0x22;
        info.lfAnsiFixFont = font;
        SetFace(info.lfAnsiFixFont, u"Courier");
        info.lfAnsiFixFont.lfCharSet = 0;
        info.cFonts = pdev->DeviceFontCount;
        info.iDitherFormat = BMF_24BPP;
        pdev->Palette = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
    }
    if (pdev->Palette == nullptr) return FALSE;
    info.hpalDefault = pdev->Palette;

    // Jobs whose stream depends on the device's own state are not journalled by the spooler.
    constexpr DWORD kFeatureBit7 = 1u << 7;
    constexpr DWORD kOptionBit16 = 1u << 16;
    if ((pdev->Settings.OverlayFlags & kOverlayOn) != 0 ||
        ((pdev->Settings.FeatureFlags & kFeatureBit7) != 0 && (pdev->Settings.OptionFlags & kOptionBit16) != 0)) {
        info.flGraphicsCaps |= GCAPS_DONTJOURNAL;
    }

    if (devInfo != nullptr) {
        std::memcpy(devInfo, &info, cbDevInfo < sizeof(DEVINFO) ? cbDevInfo : sizeof(DEVINFO));
    }
    return TRUE;
}
