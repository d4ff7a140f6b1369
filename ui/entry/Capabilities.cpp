// DrvDeviceCapabilities: what the printer can do, answered from its merged and validated
// settings, its forms and its model description.
#include "ui/entry/Capabilities.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/DriverUi.h"
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "resources/ui/StringIds.h"
#include "settings/Forms.h"
#include "settings/MergeSettings.h"
#include "settings/ValidateSettings.h"
#include "ui/entry/CapabilitiesLog.h"
#include "ui/entry/HeldModel.h"
#include "ui/entry/LanguageLibrary.h"
#include "ui/data/OverlayForm.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/status/StatusQuery.h"

namespace {

constexpr DWORD kTrueTypeAnswer = 1;
constexpr DWORD kMaxCopies = 999;
constexpr DWORD kPrintRate = 8250;
constexpr DWORD kPrintRateUnitLpm = 3;
constexpr SHORT kSourceMsf = 1001;
constexpr SHORT kSourceManual = 2001;
constexpr BYTE kLevelEmpty = 0;
constexpr BYTE kLevelUnknown = 253;

// Writes a value at output's n-th element of type T (output may be unaligned for T).
template <typename T>
void Put(LPWSTR output, DWORD n, const T& value) {
    std::memcpy(reinterpret_cast<BYTE*>(output) + n * sizeof(T), &value, sizeof(T));
}

// A name into a slot of cchSlot characters: cut to fit, terminated, the rest zero.
void PutName(LPWSTR output, DWORD n, size_t cchSlot, LPCWSTR name) {
    WCHAR* slot = output + n * cchSlot;
    size_t cch = 0;
    if (name != nullptr)
        while (cch + 1 < cchSlot && name[cch] != 0) ++cch;
    std::memcpy(slot, name, cch * sizeof(WCHAR));
    std::fill(slot + cch, slot + cchSlot, WCHAR{0});
}

bool SameText(LPCWSTR a, LPCWSTR b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// DC_PAPERS, DC_PAPERSIZE, DC_PAPERNAMES: the usable forms in the spooler's order.
DWORD AnswerForms(HANDLE printer, WORD index, LPWSTR output) {
    const UsableForms forms(printer);
    if (!forms.Listed()) return kCapNotAnswered;
    DWORD count = 0;
    for (DWORD i = 0; i < forms.Count(); ++i) {
        const FORM_INFO_1W& form = forms.Get()[i];
        if (IsBlankedForm(form)) continue;
        if (output != nullptr) {
            if (index == DC_PAPERS) {
                Put(output, count, static_cast<WORD>(i + 1));
            } else if (index == DC_PAPERSIZE) {
                Put(output, count, POINT{form.Size.cx / 100, form.Size.cy / 100});
            } else {
                PutName(output, count, kCapPaperNameChars, form.pName);
            }
        }
        ++count;
    }
    return count;
}

// DC_BINS, DC_BINNAMES: the model's input slots named as the automatic source.
DWORD AnswerBins(const ModelDescription* model, HMODULE language, WORD index, LPWSTR output) {
    WCHAR slotName[64] = {};
    if (LoadStringW(language, kAutoSourceName, slotName, static_cast<int>(std::size(slotName))) <= 0) return 0;
    WCHAR binName[kCapBinNameChars] = {};
    if (index == DC_BINNAMES) LoadStringW(language, kAutoSelectBinName, binName, static_cast<int>(kCapBinNameChars));
    const auto* slots = ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
    if (slots == nullptr) return 0;
    DWORD count = 0;
    for (DWORD i = 0; i < model->InputSlotCount; ++i) {
        if (!SameText(ModelString(model, slots[i].NameOffset), slotName)) continue;
        if (output != nullptr) {
            if (index == DC_BINS) {
                Put(output, count, static_cast<WORD>(slots[i].Value));
            } else {
                PutName(output, count, kCapBinNameChars, binName);
            }
        }
        ++count;
    }
    return count;
}

DWORD AnswerResolutions(const ModelDescription* model, LPWSTR output) {
    const auto* records = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    if (records == nullptr) return 0;
    if (output != nullptr) {
        for (DWORD i = 0; i < model->ResolutionCount; ++i) {
            const LONG dpi = static_cast<LONG>(records[i].Value1);
            Put(output, 2 * i, dpi);
            Put(output, 2 * i + 1, dpi);
        }
    }
    return model->ResolutionCount;
}

DWORD AnswerMediaReady(HANDLE printer, LPWSTR output) {
    PrinterStatusSnapshot status{};
    QueryPrinterStatus(&status, printer, nullptr);
    if ((status.printerExtStatus & kExtStatusKnown) == 0) return kCapNotAnswered;
    // A tray may hold a form outside this printer's size window: it is named all the same,
    // so the spooler's own list is read, not the usable one with such forms blanked.
    DWORD count = 0;
    const GlobalBlock forms(EnumSpoolerForms(printer, &count));
    return CountReadyMedia(status, forms.As<const FORM_INFO_1W>(), forms.Valid() ? count : 0, output);
}

DWORD Answer(HANDLE printer, WORD index, LPWSTR output, const DriverDevMode& block, const ModelDescription* model,
             HMODULE language) {
    const DEVMODEW& dm = block.Public;
    switch (index) {
        case DC_FIELDS: return dm.dmFields;
        case DC_PAPERS:
        case DC_PAPERSIZE:
        case DC_PAPERNAMES: return AnswerForms(printer, index, output);
        case DC_BINS:
        case DC_BINNAMES: return AnswerBins(model, language, index, output);
        case DC_DUPLEX:
        case DC_ORIENTATION:
        case DC_STAPLE: return 0;
        case DC_SIZE: return dm.dmSize;
        case DC_EXTRA: return dm.dmDriverExtra;
        case DC_VERSION: return dm.dmSpecVersion;
        case DC_DRIVER: return dm.dmDriverVersion;
        case DC_ENUMRESOLUTIONS: return AnswerResolutions(model, output);
        case DC_TRUETYPE: return kTrueTypeAnswer;
        case DC_COPIES: return kMaxCopies;
        case DC_PERSONALITY:
            if (output != nullptr) {
                WCHAR personality[kCapPersonalityChars] = {};
                LoadStringW(language, kPrinterLanguageName, personality, static_cast<int>(kCapPersonalityChars));
                PutName(output, 0, kCapPersonalityChars, personality);
            }
            return 1;
        case DC_PRINTRATE: return kPrintRate;
        case DC_PRINTRATEUNIT: return kPrintRateUnitLpm;
        case DC_PRINTERMEM: return block.InstalledMemory;
        case DC_MEDIAREADY: return AnswerMediaReady(printer, output);
        case DC_PRINTRATEPPM: return model->PPM;
        // DC_MINEXTENT, DC_MAXEXTENT, DC_FILEDEPENDENCIES, DC_BINADJUST, DC_EMF_COMPLIANT,
        // DC_DATATYPE_PRODUCED, DC_COLLATE, DC_MANUFACTURER, DC_MODEL, DC_COLORDEVICE, DC_NUP
        // and every unknown index are not answered.
        default: return kCapNotAnswered;
    }
}

}  // namespace

DWORD CountReadyMedia(const PrinterStatusSnapshot& status, const FORM_INFO_1W* forms, DWORD formCount,
                      LPWSTR output) {
    if ((status.printerExtStatus & kExtStatusKnown) == 0) return kCapNotAnswered;
    const DWORD entries = std::min<DWORD>(status.binConfigCount, kBinConfigEntries);
    WORD taken[kBinConfigEntries] = {};
    DWORD count = 0;
    for (DWORD i = 0; i < entries; ++i) {
        const BinConfigEntry& entry = status.binConfig[i];
        const int position = BinFormPosition(entry, formCount);
        if (position < 0 || forms == nullptr) continue;
        if (entry.Value == kSourceMsf || entry.Value == kSourceManual) continue;
        if (entry.PaperLevel == kLevelEmpty || entry.PaperLevel == kLevelUnknown) continue;
        if (std::find(taken, taken + count, entry.FormIndex) != taken + count) continue;
        taken[count] = entry.FormIndex;
        if (output != nullptr) PutName(output, count, kCapMediaNameChars, forms[position].pName);
        ++count;
    }
    return count;
}

DWORD DeviceCapabilities(HANDLE printer, LPCWSTR /*deviceName*/, WORD index, LPWSTR output, const DEVMODEW* devMode) {
    const HeldModel model(printer);
    if (model.Get() == nullptr) return kCapNotAnswered;
    const LanguageLibrary language(printer);
    if (language.Get() == nullptr) return kCapNotAnswered;
    const GlobalBlock settings = GlobalBlock::Zeroed(sizeof(DriverDevMode));
    if (!settings.Valid()) return kCapNotAnswered;
    auto* block = settings.As<DriverDevMode>();
    GetCurrentDevMode(block, devMode, printer, nullptr, model.Get());
    ReadInstalledOptions(block, printer);
    // The overlay path is built from the caller's text fields: they end inside their fields.
    TerminatePrivateStrings(block);
    RegisterOverlayForm(block, printer, model.Get());
    ValidateDevMode(block, nullptr, printer, nullptr, model.Get());

    capabilities::LogEntry(*block, true);
    capabilities::LogRequest(*block, index);
    const DWORD answer = Answer(printer, index, output, *block, model.Get(), language.Get());
    capabilities::LogEntry(*block, false);
    return answer;
}
