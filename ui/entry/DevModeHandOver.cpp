// Handing settings to callers: the result block into a caller's DEVMODE, and the spooler's
// DEVMODE conversions.
#include <cstddef>
#include <cstring>

#include "platform/DriverUi.h"
#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "settings/MergeSettings.h"
#include "ui/entry/Capabilities.h"
#include "ui/entry/HeldModel.h"

namespace {

constexpr WORD kSpecVersion351 = 0x0320;
constexpr WORD kPublicSize351 = 188;

// The bytes the caller said it holds cover the DEVMODE header up to dmDriverExtra.
constexpr LONG kHeaderBytes = offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD);

int Fail(DWORD error) {
    SetLastError(error);
    return kConvertFailed;
}

}  // namespace

BOOL CopyOutDevMode(const DriverDevMode* block, const DEVMODEW* pdmIn, DEVMODEW* pdmOut) {
    if (block == nullptr || pdmOut == nullptr) return FALSE;
    const DEVMODEW& own = block->Public;
    if (pdmIn == nullptr) {
        std::memcpy(pdmOut, block, static_cast<size_t>(own.dmSize) + own.dmDriverExtra);
        return TRUE;
    }
    // The caller's layout where it is the smaller one, so nothing is written past its buffer.
    const bool smallerPublic = pdmIn->dmSize < own.dmSize;
    pdmOut->dmSpecVersion = smallerPublic ? pdmIn->dmSpecVersion : own.dmSpecVersion;
    pdmOut->dmSize = smallerPublic ? pdmIn->dmSize : own.dmSize;
    const bool smallerPrivate = pdmIn->dmDriverExtra < own.dmDriverExtra;
    pdmOut->dmDriverVersion = smallerPrivate ? pdmIn->dmDriverVersion : own.dmDriverVersion;
    pdmOut->dmDriverExtra = smallerPrivate ? pdmIn->dmDriverExtra : own.dmDriverExtra;
    return ConvertDevModeLayout(&block->Public, pdmOut) > 0 ? TRUE : FALSE;
}

int ConvertDevModeForSpooler(const DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded, DWORD fMode,
                             const DriverDevModeSizes& sizes) {
    if (pcbNeeded == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    switch (fMode) {
        case CDM_CONVERT: {
            if (pdmOut == nullptr || *pcbNeeded < kHeaderBytes) return Fail(ERROR_INVALID_PARAMETER);
            const LONG needed = static_cast<LONG>(pdmOut->dmSize) + pdmOut->dmDriverExtra;
            if (*pcbNeeded < needed || ConvertDevModeLayout(pdmIn, pdmOut) <= 0) return Fail(ERROR_INVALID_PARAMETER);
            *pcbNeeded = needed;
            return kConvertDone;
        }
        case CDM_CONVERT351: {
            const LONG needed = static_cast<LONG>(kPublicSize351) + sizes.driverExtra351;
            if (pdmOut == nullptr || *pcbNeeded < needed) {
                *pcbNeeded = needed;
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            }
            pdmOut->dmSpecVersion = kSpecVersion351;
            pdmOut->dmSize = kPublicSize351;
            pdmOut->dmDriverVersion = sizes.driverVersion351;
            pdmOut->dmDriverExtra = sizes.driverExtra351;
            if (ConvertDevModeLayout(pdmIn, pdmOut) <= 0) return Fail(ERROR_INVALID_PARAMETER);
            *pcbNeeded = needed;
            return kConvertDone;
        }
        case CDM_DRIVER_DEFAULT: {
            const LONG needed = static_cast<LONG>(kDevModePublicSize) + sizes.driverExtra;
            if (pdmOut == nullptr || *pcbNeeded < needed) {
                *pcbNeeded = needed;
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            }
            *pcbNeeded = needed;
            return kConvertBuildDefaults;
        }
        default: return kConvertBuildDefaults;
    }
}

BOOL ConvertDevMode(LPCWSTR printerName, DEVMODEW* pdmIn, DEVMODEW* pdmOut, LONG* pcbNeeded, DWORD fMode) {
    int result = ConvertDevModeForSpooler(pdmIn, pdmOut, pcbNeeded, fMode, kDriverDevModeSizes);
    if (result == kConvertBuildDefaults && fMode == CDM_DRIVER_DEFAULT) {
        PrinterHandle printer;
        if (printerName != nullptr && OpenPrinterW(const_cast<LPWSTR>(printerName), printer.Out(), nullptr) &&
            printer.Valid()) {
            const HeldModel model(printer.Get());
            if (model.Get() != nullptr) {
                // pdmOut holds a whole settings block (checked by the size above).
                BuildDefaultDevMode(reinterpret_cast<DriverDevMode*>(pdmOut), printer.Get(), nullptr, model.Get());
                result = kConvertDone;
            }
        }
    }
    return result == kConvertDone ? TRUE : FALSE;
}
