// The device halftone records: the driver's defaults per resolution from the model, and the
// printer-data values DAT_CurDevHTInfo<dpi> they are read from and written to.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "settings/Forms.h"
#include "settings/HalftonePatterns.h"
#include "settings/PrinterData.h"
#include "ui/data/HalftoneAdjustments.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/entry/UiContext.h"

namespace {

// The driver's defaults until the model's record for a resolution names its own: pattern
// size 8 x 8 modified and one gamma of 5000 for the three colours.
constexpr DWORD kDefaultPatternSize = 7;
constexpr LONG kDefaultGamma = 5000;

}  // namespace

DEVHTINFO HalftoneDefaultsForResolution(const ModelDescription* model, DWORD dpi) {
    DEVHTINFO info = DefaultDevHalftoneInfo(kDefaultPatternSize, kDefaultGamma);
    int size = 0;
    DWORD gamma = 0;
    if (!ModelHalftoneChoice(model, dpi, &size, &gamma)) return info;
    const LONG value = static_cast<LONG>(std::min<DWORD>(gamma, 0x7FFFFFFFu));
    info.HTPatternSize = static_cast<DWORD>(size);
    info.ColorInfo.RedGamma = value;
    info.ColorInfo.GreenGamma = value;
    info.ColorInfo.BlueGamma = value;
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
