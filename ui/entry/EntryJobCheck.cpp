// The spooler's check of a job before it prints: the job's settings against what this printer
// would make of them, the first difference named in a message of the language library.
#include <cstddef>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "resources/ui/StringIds.h"
#include "settings/MergeSettings.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateSettings.h"
#include "ui/entry/HeldModel.h"
#include "ui/data/OverlayForm.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/status/StatusQuery.h"
#include "ui/entry/UiEntry.h"

namespace {

constexpr size_t kFormNameChars = 32;

// One compared field: its dmFields bit, place and size in the DEVMODE, and its message.
struct ComparedField {
    DWORD bit;
    size_t offset;
    size_t size;
    UINT message;
};

#define KV_FIELD(bit, field, message) {bit, offsetof(DEVMODEW, field), sizeof(DEVMODEW::field), message}
constexpr ComparedField kComparedFields[] = {
    KV_FIELD(DM_ORIENTATION, dmOrientation, kOrientationMismatchMessage),
    KV_FIELD(DM_PAPERSIZE, dmPaperSize, kPaperSizeMismatchMessage),
    KV_FIELD(DM_PAPERLENGTH, dmPaperLength, kPaperLengthMismatchMessage),
    KV_FIELD(DM_PAPERWIDTH, dmPaperWidth, kPaperWidthMismatchMessage),
    KV_FIELD(DM_SCALE, dmScale, kScaleMismatchMessage),
    KV_FIELD(DM_COPIES, dmCopies, kCopiesMismatchMessage),
    KV_FIELD(DM_DEFAULTSOURCE, dmDefaultSource, kDefaultSourceMismatchMessage),
    KV_FIELD(DM_PRINTQUALITY, dmPrintQuality, kPrintQualityMismatchMessage),
    KV_FIELD(DM_COLOR, dmColor, kColorMismatchMessage),
    KV_FIELD(DM_DUPLEX, dmDuplex, kDuplexMismatchMessage),
    KV_FIELD(DM_YRESOLUTION, dmYResolution, kYResolutionMismatchMessage),
    KV_FIELD(DM_TTOPTION, dmTTOption, kTTOptionMismatchMessage),
    KV_FIELD(DM_COLLATE, dmCollate, kCollateMismatchMessage),
    KV_FIELD(DM_FORMNAME, dmFormName, kFormNameMismatchMessage),
    KV_FIELD(DM_NUP, dmNup, kNupMismatchMessage),
    KV_FIELD(DM_ICMMETHOD, dmICMMethod, kICMMethodMismatchMessage),
    KV_FIELD(DM_ICMINTENT, dmICMIntent, kICMIntentMismatchMessage),
    KV_FIELD(DM_MEDIATYPE, dmMediaType, kMediaTypeMismatchMessage),
    KV_FIELD(DM_DITHERTYPE, dmDitherType, kDitherTypeMismatchMessage),
};
#undef KV_FIELD

// Form names compare exactly, each ending at its terminator or at the field's end.
bool SameFormName(const BYTE* job, const BYTE* checked) {
    for (size_t i = 0; i < kFormNameChars; ++i) {
        WCHAR a;
        WCHAR b;
        std::memcpy(&a, job + i * sizeof(WCHAR), sizeof(WCHAR));
        std::memcpy(&b, checked + i * sizeof(WCHAR), sizeof(WCHAR));
        if (a != b) return false;
        if (a == u'\0') return true;
    }
    return true;
}

BOOL Refuse(DEVQUERYPRINT_INFO* info, UINT message) {
    HMODULE library = LoadLanguageDll(info->hPrinter);
    if (library != nullptr) {
        FormatLanguageMessage(library, info->pszErrorStr, info->cchErrorStr, &info->cchNeeded, u"%!", message);
        FreeLanguageDll(library);
    }
    return FALSE;
}

}  // namespace

UINT FindJobDifference(const DEVMODEW* job, const DriverDevMode* checked) {
    const auto* jobBytes = reinterpret_cast<const BYTE*>(job);
    const auto* checkedBytes = reinterpret_cast<const BYTE*>(&checked->Public);
    WORD jobSize = 0;
    DWORD fields = 0;
    std::memcpy(&jobSize, jobBytes + offsetof(DEVMODEW, dmSize), sizeof(jobSize));
    // Only what the job really holds is read: its own size, and never past the public part.
    const size_t limit = jobSize < sizeof(DEVMODEW) ? jobSize : sizeof(DEVMODEW);
    if (limit < offsetof(DEVMODEW, dmFields) + sizeof(fields)) return 0;
    std::memcpy(&fields, jobBytes + offsetof(DEVMODEW, dmFields), sizeof(fields));
    for (const ComparedField& field : kComparedFields) {
        if ((fields & field.bit) == 0 || field.offset + field.size > limit) continue;
        const bool same = field.bit == DM_FORMNAME
                              ? SameFormName(jobBytes + field.offset, checkedBytes + field.offset)
                              : std::memcmp(jobBytes + field.offset, checkedBytes + field.offset, field.size) == 0;
        if (!same) return field.message;
    }
    return 0;
}

BOOL QueryPrintJob(DEVQUERYPRINT_INFO* info) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->pDevMode == nullptr) return TRUE;
    HeldModel model(info->hPrinter);
    if (model.Get() == nullptr) return Refuse(info, kNoModelDescriptionMessage);
    GlobalBlock block = GlobalBlock::Zeroed(sizeof(DriverDevMode));
    if (!block.Valid()) return Refuse(info, kNoMemoryForJobCheckMessage);
    auto* checked = block.As<DriverDevMode>();

    // A fresh record: the query decides by what it holds (a pending request among it).
    PrinterStatusSnapshot status{};
    HANDLE printer = info->hPrinter;
    QueryPrinterStatus(&status, printer, nullptr);
    GetCurrentDevMode(checked, info->pDevMode, printer, nullptr, model.Get());
    ReadInstalledOptions(checked, printer);
    UpdateStatusFlag(checked, &status, printer);
    PublishDsProperties(checked, &status, printer, model.Get());
    RegisterOverlayForm(checked, printer, model.Get());
    ValidateDevMode(checked, &status, printer, nullptr, model.Get());

    const UINT message = FindJobDifference(info->pDevMode, checked);
    return message == 0 ? TRUE : Refuse(info, message);
}
