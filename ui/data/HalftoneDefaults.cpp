// The device halftone information the driver installs per resolution.
#include <iterator>

#include "settings/HalftonePatterns.h"
#include "ui/data/PrinterDataInternal.h"
#include "ui/data/PrinterDataIo.h"
#include "ui/data/PrinterDataValues.h"

namespace {

constexpr DWORD kHtFlagHasBlackDye = 0x2;

}  // namespace

DEVHTINFO DefaultDevHalftoneInfo(DWORD patternSize, LONG gamma) {
    DEVHTINFO info{};
    info.HTFlags = kHtFlagHasBlackDye;
    info.HTPatternSize = patternSize;
    info.DevPelsDPI = 0;
    COLORINFO& c = info.ColorInfo;
    c.Red = {6700, 3300, 0};
    c.Green = {2100, 7100, 0};
    c.Blue = {1400, 800, 0};
    c.Cyan = {1750, 3950, 65534};
    c.Magenta = {4050, 2050, 0};
    c.Yellow = {4400, 5200, 0};
    c.AlignmentWhite = {3127, 3290, 10000};
    c.RedGamma = gamma;
    c.GreenGamma = gamma;
    c.BlueGamma = gamma;
    c.MagentaInCyanDye = 1648;
    c.YellowInCyanDye = 267;
    c.CyanInMagentaDye = 103;
    c.YellowInMagentaDye = 154;
    c.CyanInYellowDye = 86;
    c.MagentaInYellowDye = 129;
    return info;
}

LPCWSTR InstalledHalftoneValueName(DWORD dpi) {
    switch (dpi) {
        case 200: return u"DAT_CurDevHTInfo200";
        case 240: return u"DAT_CurDevHTInfo240";
        case 300: return u"DAT_CurDevHTInfo300";
        case 400: return u"DAT_CurDevHTInfo400";
        case 600: return u"DAT_CurDevHTInfo600";
        case 1200: return u"DAT_CurDevHTInfo1200";
        default: return nullptr;
    }
}

namespace printerdata {

void WriteMissingHalftoneInfo(HANDLE printer, const ModelDescription* model) {
    const auto* records = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    if (records == nullptr) return;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        const ModelResolution& record = records[i];
        const LPCWSTR valueName = InstalledHalftoneValueName(record.Value1);
        // A resolution without a value of its own, or a pattern the halftone code does not
        // know, gets nothing: the renderer then keeps its own defaults for it.
        if (valueName == nullptr) continue;
        int pattern = 0;
        DWORD gamma = 0;
        if (!ModelHalftoneOfRecord(model, record, &pattern, &gamma) || Exists(printer, valueName)) continue;
        const DEVHTINFO info = DefaultDevHalftoneInfo(static_cast<DWORD>(pattern), static_cast<LONG>(gamma));
        WriteBinary(printer, valueName, &info, sizeof info);
    }
}

}  // namespace printerdata
