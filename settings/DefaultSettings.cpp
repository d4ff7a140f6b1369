// The driver's default settings block. The rendering library and the user-interface library
// both build their defaults here, so the two always agree on what a new block holds.
#include <cstring>

#include "platform/Kernel.h"
#include "settings/DefaultSettings.h"
#include "settings/Forms.h"

namespace {

constexpr DWORD kDefaultFields = DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_FORMNAME |
                                 DM_DITHERTYPE;
static_assert(kDefaultFields == 0x04010702u);

// Used when the model has no *DefaultForm record: A4 with no margins.
constexpr ModelForm kFallbackForm = {0, 0, 210000, 297000, 0, 0, 0, 0};
constexpr WCHAR kFallbackFormName[] = u"A4";

constexpr COLORADJUSTMENT kDefaultColorAdjustment = {
    .caSize = sizeof(COLORADJUSTMENT),
    .caFlags = 0,
    .caIlluminantIndex = 0,
    .caRedGamma = 10000,
    .caGreenGamma = 10000,
    .caBlueGamma = 10000,
    .caReferenceBlack = 0,
    .caReferenceWhite = 10000,
    .caContrast = 0,
    .caBrightness = 0,
    .caColorfulness = 0,
    .caRedGreenTint = 0,
};

// Thousandths of a millimetre to tenths: sizes truncate, margins round up so that the
// printable area never grows.
SHORT TenthMmTruncated(DWORD microns) { return static_cast<SHORT>(microns / 100); }
LONG TenthMmRoundedUp(DWORD microns) { return static_cast<LONG>((static_cast<ULONGLONG>(microns) + 99) / 100); }

void SetPublicDefaults(DEVMODEW& dm, const ModelDescription* model) {
    if (model != nullptr) lstrcpynW(dm.dmDeviceName, ModelString(model, model->FriendlyName), CCHDEVICENAME);
    dm.dmSpecVersion = kDriverSpecVersion;
    dm.dmDriverVersion = kDriverVersion;
    dm.dmSize = kDevModePublicSize;
    dm.dmDriverExtra = kDriverExtraSize;
    dm.dmFields = kDefaultFields;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmScale = 100;
    dm.dmCopies = 1;
    const ModelNamedValue* slot = model != nullptr ? ModelDefaultInputSlot(model) : nullptr;
    dm.dmDefaultSource = slot != nullptr ? static_cast<SHORT>(LOWORD(slot->Value)) : 0;
    dm.dmPrintQuality = model != nullptr ? static_cast<SHORT>(LOWORD(model->DefaultResolution)) : 0;
    dm.dmColor = DMCOLOR_MONOCHROME;
    dm.dmDuplex = DMDUP_SIMPLEX;
    dm.dmTTOption = DMTT_BITMAP;
    dm.dmNup = 1;
    dm.dmICMMethod = 1;
    dm.dmICMIntent = 1;
    dm.dmMediaType = 1;
    dm.dmDitherType = 2;
}

void SetDefaultPaper(DriverDevMode* block, HANDLE printer, const ModelForm& form, LPCWSTR formName) {
    DEVMODEW& dm = block->Public;
    dm.dmPaperLength = TenthMmTruncated(form.Length);
    dm.dmPaperWidth = TenthMmTruncated(form.Width);
    lstrcpynW(dm.dmFormName, formName, CCHFORMNAME);
    DWORD count = 0;
    FORM_INFO_1W* forms = EnumUsableForms(printer, &count);
    if (forms == nullptr) return;
    dm.dmPaperSize = static_cast<SHORT>(FindFormByName(forms, count, dm.dmFormName));
    GlobalFree(forms);
}

void SetPrivateDefaults(DriverDevMode* block, const ModelDescription* model, const ModelForm& form) {
    block->OverlayFlags = 4;
    block->Word364 = 1;
    std::memcpy(block->Signature, kPrivateSignature, sizeof(block->Signature));
    block->PrivateID = model != nullptr ? model->PrivateID : 0;
    block->FeatureFlags = kFeatureDefaults;
    block->OptionFlags = kOptionDefaults;
    block->PresetIndex = -1;
    block->LayoutScale = 100;
    block->PrintMode = 3;
    block->PagesPerSheet = 1;
    block->Word498 = 3;
    block->TopMargin = TenthMmRoundedUp(form.PrintableTop);
    block->LeftMargin = TenthMmRoundedUp(form.PrintableLeft);
    block->TopMarginEven = block->TopMargin;
    block->LeftMarginEven = block->LeftMargin;
    block->Word516 = 1;
    block->Word518 = 1;
    block->Word520 = 1;
    const ModelMemory* memory = model != nullptr ? ModelDefaultMemory(model) : nullptr;
    block->InstalledMemory = memory != nullptr ? memory->Values[0] : 0;
    block->FeederSetting = 1;
    block->SplitCounts = 0x12;
    block->PageStampPosition = 2;
    block->NupDown = 1;
    block->NupAcross = 1;
}

}  // namespace

void BuildDefaultDevMode(DriverDevMode* block, HANDLE printer, HANDLE secondPrinter, const ModelDescription* model) {
    if (block == nullptr) return;
    std::memset(block, 0, sizeof(*block));
    SetPublicDefaults(block->Public, model);

    const ModelForm* defaultForm = model != nullptr ? ModelDefaultForm(model) : nullptr;
    const ModelForm& form = defaultForm != nullptr ? *defaultForm : kFallbackForm;
    LPCWSTR formName = defaultForm != nullptr ? ModelString(model, defaultForm->NameOffset) : kFallbackFormName;
    SetDefaultPaper(block, printer, form, formName);
    SetPrivateDefaults(block, model, form);

    FillDeviceSlots(block, secondPrinter != nullptr ? secondPrinter : printer, model);
    RefreshSavedCopy(block);
    ReadLogSwitches(block);

    block->Word924 = 130;
    block->Word926 = 100;
    block->ColorAdjustment = kDefaultColorAdjustment;
}
