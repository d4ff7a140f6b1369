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
#include "ui/PrinterDataValues.h"
#include "ui/UiContext.h"

namespace {

// The driver's defaults until the model's record for a resolution names its own: pattern
// size 8 x 8 modified and one gamma of 5000 for the three colours.
constexpr DWORD kDefaultPatternSize = 7;
constexpr LONG kDefaultGamma = 5000;

}  // namespace

DEVHTINFO HalftoneDefaultsForResolution(const ModelDescription* model, DWORD dpi) {
    DEVHTINFO info = DefaultDevHalftoneInfo(kDefaultPatternSize, kDefaultGamma);
    if (model == nullptr) return info;
    const auto* list = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    if (list == nullptr) return info;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        const ModelResolution& row = list[i];
        if (row.Value1 != dpi) continue;
        const bool later = IsOsLaterThan50() != 0;
        const int size = HalftonePatternSize(ModelString(model, later ? row.Name2Offset : row.Name1Offset));
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
