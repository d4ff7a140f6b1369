// The device halftone records: the driver's defaults per resolution from the model, and the
// printer-data values DAT_CurDevHTInfo<dpi> they are read from and written to.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "settings/Forms.h"
#include "settings/PrinterData.h"
#include "ui/Halftone.h"
#include "ui/UiContext.h"

namespace {

const DEVHTINFO kDefaultHalftone = {
    2,  // HTFlags: HT_FLAG_HAS_BLACK_DYE
    7,  // HTPatternSize: 8 x 8 modified, until the model's record names one
    0,  // DevPelsDPI
    {
        {6700, 3300, 0},      // red x, y, Y
        {2100, 7100, 0},      // green
        {1400, 800, 0},       // blue
        {1750, 3950, 65534},  // cyan
        {4050, 2050, 0},      // magenta
        {4400, 5200, 0},      // yellow
        {3127, 3290, 10000},  // alignment white
        5000, 5000, 5000,     // red, green and blue gammas, until the model's record gives one
        1648, 267,            // magenta and yellow in cyan dye
        103, 154,             // cyan and yellow in magenta dye
        86, 129,              // cyan and magenta in yellow dye
    },
};

// The graphics engine's pattern sizes, by value.
constexpr const char16_t* kPatternSizeNames[] = {
    u"HT_PATSIZE_2x2",       u"HT_PATSIZE_2x2_M",       u"HT_PATSIZE_4x4",     u"HT_PATSIZE_4x4_M",
    u"HT_PATSIZE_6x6",       u"HT_PATSIZE_6x6_M",       u"HT_PATSIZE_8x8",     u"HT_PATSIZE_8x8_M",
    u"HT_PATSIZE_10x10",     u"HT_PATSIZE_10x10_M",     u"HT_PATSIZE_12x12",   u"HT_PATSIZE_12x12_M",
    u"HT_PATSIZE_14x14",     u"HT_PATSIZE_14x14_M",     u"HT_PATSIZE_16x16",   u"HT_PATSIZE_16x16_M",
    u"HT_PATSIZE_SUPERCELL", u"HT_PATSIZE_SUPERCELL_M", u"HT_PATSIZE_USER",
};
static_assert(std::size(kPatternSizeNames) == 19);

int PatternSizeOfName(LPCWSTR name) {
    for (size_t i = 0; i < std::size(kPatternSizeNames); ++i) {
        if (std::char_traits<char16_t>::compare(name, kPatternSizeNames[i],
                                                std::char_traits<char16_t>::length(kPatternSizeNames[i]) + 1) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

DEVHTINFO HalftoneDefaultsForResolution(const ModelDescription* model, DWORD dpi) {
    DEVHTINFO info = kDefaultHalftone;
    if (model == nullptr) return info;
    const auto* list = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    if (list == nullptr) return info;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        const ModelResolution& row = list[i];
        if (row.Value1 != dpi) continue;
        const bool later = IsOsLaterThan50() != 0;
        const int size = PatternSizeOfName(ModelString(model, later ? row.Name2Offset : row.Name1Offset));
        if (size < 0) return info;
        const LONG gamma = static_cast<LONG>(std::min<DWORD>(later ? row.Value3 : row.Value2, 0x7FFFFFFFu));
        info.HTPatternSize = static_cast<DWORD>(size);
        info.ColorInfo.RedGamma = gamma;
        info.ColorInfo.GreenGamma = gamma;
        info.ColorInfo.BlueGamma = gamma;
        return info;
    }
    return info;
}

int ReadHalftoneInfo(HalftoneDialogData* data, LPCWSTR valueName) {
    const DWORD dpi = data->context->model != nullptr ? data->context->model->DefaultResolution : 0;
    data->adjust.DeviceFlags = 0;
    data->adjust.DeviceXDPI = dpi;
    data->adjust.DeviceYDPI = dpi;
    data->adjust.pDefHTInfo = &data->defaults;
    data->adjust.pAdjHTInfo = &data->adjusted;
    data->adjusted = data->defaults;
    // Only a whole record replaces the defaults.
    DEVHTINFO stored{};
    DWORD type = REG_NONE;
    DWORD cbStored = 0;
    if (GetPrinterDataW(data->context->printer, const_cast<LPWSTR>(valueName), &type, reinterpret_cast<BYTE*>(&stored),
                        sizeof stored, &cbStored) == ERROR_SUCCESS &&
        type == REG_BINARY && cbStored == kHalftoneInfoSize) {
        data->adjusted = stored;
    }
    return 1;
}

BOOL WriteHalftoneInfo(HalftoneDialogData* data, LPCWSTR valueName) {
    static_assert(sizeof(DEVHTINFO) == kHalftoneInfoSize);
    return SetPrinterDataW(data->context->printer, const_cast<LPWSTR>(valueName), REG_BINARY,
                           reinterpret_cast<BYTE*>(&data->adjusted), kHalftoneInfoSize) == ERROR_SUCCESS;
}
