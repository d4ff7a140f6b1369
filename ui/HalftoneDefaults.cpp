// The device halftone information the driver installs per resolution.
#include <iterator>

#include "settings/Forms.h"
#include "ui/PrinterDataInternal.h"
#include "ui/PrinterDataIo.h"
#include "ui/PrinterDataValues.h"

namespace {

// The standard pattern-size names, each at its standard value.
constexpr LPCWSTR kPatternSizeNames[] = {
    u"HT_PATSIZE_2x2",       u"HT_PATSIZE_2x2_M",       u"HT_PATSIZE_4x4",     u"HT_PATSIZE_4x4_M",
    u"HT_PATSIZE_6x6",       u"HT_PATSIZE_6x6_M",       u"HT_PATSIZE_8x8",     u"HT_PATSIZE_8x8_M",
    u"HT_PATSIZE_10x10",     u"HT_PATSIZE_10x10_M",     u"HT_PATSIZE_12x12",   u"HT_PATSIZE_12x12_M",
    u"HT_PATSIZE_14x14",     u"HT_PATSIZE_14x14_M",     u"HT_PATSIZE_16x16",   u"HT_PATSIZE_16x16_M",
    u"HT_PATSIZE_SUPERCELL", u"HT_PATSIZE_SUPERCELL_M", u"HT_PATSIZE_USER",
};
static_assert(std::size(kPatternSizeNames) == 19);

constexpr DWORD kHtFlagHasBlackDye = 0x2;

bool SameText(LPCWSTR a, LPCWSTR b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

int HalftonePatternSize(LPCWSTR name) {
    if (name == nullptr) return -1;
    for (size_t i = 0; i < std::size(kPatternSizeNames); ++i)
        if (SameText(name, kPatternSizeNames[i])) return static_cast<int>(i);
    return -1;
}

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
    // Newer systems take the record's second pattern and gamma.
    const bool later = IsOsLaterThan50() != 0;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        const ModelResolution& record = records[i];
        const LPCWSTR valueName = InstalledHalftoneValueName(record.Value1);
        // A resolution without a value of its own, or a pattern the halftone code does not
        // know, gets nothing: the renderer then keeps its own defaults for it.
        if (valueName == nullptr) continue;
        const int pattern = HalftonePatternSize(ModelString(model, later ? record.Name2Offset : record.Name1Offset));
        if (pattern < 0 || Exists(printer, valueName)) continue;
        const LONG gamma = static_cast<LONG>(later ? record.Value3 : record.Value2);
        const DEVHTINFO info = DefaultDevHalftoneInfo(static_cast<DWORD>(pattern), gamma);
        WriteBinary(printer, valueName, &info, sizeof info);
    }
}

}  // namespace printerdata
