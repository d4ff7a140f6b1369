// Form-overlay registration: the form file's header decides the paper, which the block takes
// from the printer's usable forms.
#include "ui/data/OverlayForm.h"

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "resources/ui/StringIds.h"
#include "settings/FormFile.h"
#include "settings/Forms.h"
#include "settings/SpoolerQueries.h"
#include "ui/data/FormFileHeader.h"
#include "ui/entry/LanguageLibrary.h"

namespace {

// Free sizes the printer takes, thousandths of a millimetre (bounds included).
constexpr long long kFreeMinWidth = 165100;
constexpr long long kFreeMaxWidth = 457200;
constexpr long long kFreeMinLength = 177800;
constexpr long long kFreeMaxLength = 355600;

constexpr char16_t kFallbackForm[] = u"15x11inch";
constexpr char16_t kTenByElevenForm[] = u"10x11inch";
constexpr int kSourceNameChars = 25;

// A paper of the form's own size: the spooler form it registers for the model's paper.
struct RegisteredPaper {
    DWORD SizeCode;
    const char16_t* ModelName;
    const char16_t* FormName;
    LONG Width;
    LONG Length;
    RECTL Printable;
};
constexpr RegisteredPaper kRegisteredPapers[] = {
    {kFormSizeLetter, u"Letter", u"Letter (フォーム指定サイズ)", 216000, 280000, {12700, 0, 203300, 275700}},
    {kFormSizeA4, u"A4", u"A4 (フォーム指定サイズ)", 210000, 297000, {12700, 0, 197300, 292700}},
    {kFormSizeB5, u"B5 (JIS)", u"B5 (フォーム指定サイズ)", 182000, 257000, {12700, 0, 169300, 252700}},
};

// A form that exists already stays as it is: AddFormW's refusal is of no concern here.
void AddPaperForm(HANDLE printer, const RegisteredPaper& paper) {
    WCHAR name[CCHFORMNAME];
    lstrcpynW(name, paper.FormName, CCHFORMNAME);
    FORM_INFO_1W form{};
    form.Flags = FORM_PRINTER;
    form.pName = name;
    form.Size = {paper.Width, paper.Length};
    form.ImageableArea = paper.Printable;
    AddFormW(printer, 1, reinterpret_cast<LPBYTE>(&form));
}

bool ModelHasPortraitForm(const ModelDescription* model, LPCWSTR name) {
    if (model == nullptr) return false;
    const ModelForm* forms = ModelList<ModelForm>(model, model->FormPortOffset, model->FormPortCount);
    for (DWORD i = 0; forms != nullptr && i < model->FormPortCount; ++i) {
        if (lstrcmpW(ModelString(model, forms[i].NameOffset), name) == 0) return true;
    }
    return false;
}

// The paper of the printer's usable forms: the named one, or for a free size that named no
// custom paper the first of its size; failing that "15x11inch", and when that is missing too
// the block's paper stays whole. Name, size code and sizes always come from one form. False,
// with the block untouched, when the forms cannot be listed.
bool TakePaper(DriverDevMode* block, HANDLE printer, LPCWSTR name, long long width, long long length) {
    const UsableForms forms(printer);
    const FORM_INFO_1W* list = forms.Get();
    if (list == nullptr) return false;
    const FORM_INFO_1W* chosen = nullptr;
    if (name == nullptr) {
        for (DWORD i = 0; i < forms.Count() && chosen == nullptr; ++i) {
            if (IsBlankedForm(list[i]) || list[i].pName == nullptr) continue;
            if (list[i].Size.cx == width && list[i].Size.cy == length) chosen = &list[i];
        }
    } else {
        chosen = forms.Find(name);
    }
    if (chosen == nullptr) chosen = forms.Find(kFallbackForm);
    if (chosen == nullptr) return true;
    lstrcpynW(block->Public.dmFormName, chosen->pName, CCHFORMNAME);
    block->Public.dmPaperLength = static_cast<SHORT>(chosen->Size.cy / 100);
    block->Public.dmPaperWidth = static_cast<SHORT>(chosen->Size.cx / 100);
    block->Public.dmPaperSize = static_cast<SHORT>(chosen - list + 1);
    return true;
}

void TakeDefaultSource(DriverDevMode* block, HMODULE language, const ModelDescription* model) {
    if (model == nullptr) return;
    if (const ModelNamedValue* slot = ModelDefaultInputSlot(model)) {
        block->Public.dmDefaultSource = static_cast<SHORT>(slot->Value);
    }
    WCHAR first[kSourceNameChars] = {};
    if (LoadStringW(language, kAutoSourceName, first, kSourceNameChars) <= 0) return;
    const ModelNamedValue* slots = ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (lstrcmpW(ModelString(model, slots[i].NameOffset), first) == 0) {
            block->Public.dmDefaultSource = static_cast<SHORT>(slots[i].Value);
            return;
        }
    }
}

// The paper the header names: the model's name of it (NULL for a free size that names no
// custom paper) and the free size in thousandths of a millimetre. 0, or the error.
DWORD PaperOfHeader(const FormFileHeader& header, HANDLE printer, const ModelDescription* model, LPCWSTR* name,
                    long long* width, long long* length) {
    const DWORD code = header.Dword(kFormHeaderSizeCode);
    if (code != header.Dword(kFormHeaderSizeCodeAgain) || header.Orientation() == 'L') return kOverlayBadPaper;
    switch (code) {
    case kFormSizeLetter:
    case kFormSizeA4:
    case kFormSizeB5:
        for (const RegisteredPaper& paper : kRegisteredPapers) {
            if (paper.SizeCode != code) continue;
            AddPaperForm(printer, paper);
            *name = paper.ModelName;
        }
        return 0;
    case kFormSizeTenByEleven: *name = kTenByElevenForm; return 0;
    case kFormSizeFifteenByEleven: *name = kFallbackForm; return 0;
    case kFormSizeFree: break;
    default: return kOverlayBadPaper;
    }
    const DWORD rawLength = header.Dword(kFormHeaderLength);
    const DWORD rawWidth = header.Dword(kFormHeaderWidth);
    if (rawLength == 0 || rawWidth == 0) return kOverlayBadPaper;
    // Wide arithmetic: in 32 bits a large size would wrap back into the range.
    *width = FormLengthMicrons(rawWidth);
    *length = FormLengthMicrons(rawLength);
    if (*width < kFreeMinWidth || *width > kFreeMaxWidth || *length < kFreeMinLength || *length > kFreeMaxLength) {
        return kOverlayBadPaper;
    }
    const OverlayCustomPaper* custom = FindOverlayCustomPaper(model, *width, *length);
    *name = custom != nullptr ? custom->Name : nullptr;
    return 0;
}

}  // namespace

void RegisterOverlayForm(DriverDevMode* block, HANDLE printer, const ModelDescription* model) {
    if (block == nullptr) return;
    block->OverlayStatus = 0;
    if ((block->OverlayFlags & kOverlayOn) == 0) return;
    if (block->OverlayFolder[0] == '\0') {
        block->OverlayStatus = kOverlayNoFolder;
        return;
    }
    if (block->OverlayName[0] == '\0') {
        block->OverlayStatus = kOverlayNoName;
        return;
    }
    char path[kFormFilePathBytes];
    MakeFormFilePath(block, path);  // a path that does not fit sets the unopenable code
    FormFileHeader header;
    if (block->OverlayStatus != 0 || !ReadFormFileHeader(&header, path)) {
        block->OverlayStatus = kOverlayCannotOpen;
        return;
    }
    if (!header.MagicMatches()) {
        block->OverlayStatus = kOverlayNotFormFile;
        return;
    }
    LPCWSTR name = nullptr;
    long long width = 0;
    long long length = 0;
    if (const DWORD error = PaperOfHeader(header, printer, model, &name, &width, &length); error != 0) {
        block->OverlayStatus = error;
        return;
    }
    if (!ModelHasPortraitForm(model, name != nullptr ? name : kFallbackForm)) {
        block->OverlayStatus = kOverlayBadPaper;
        return;
    }
    for (const RegisteredPaper& paper : kRegisteredPapers) {
        if (name != nullptr && lstrcmpW(name, paper.ModelName) == 0) name = paper.FormName;
    }
    // Without the printer's forms or its language library (which names the source) the paper
    // cannot be fitted whole: the block stays as it was.
    const LanguageLibrary language(printer);
    if (language.Get() == nullptr || !TakePaper(block, printer, name, width, length)) {
        block->OverlayStatus = kOverlayCannotOpen;
        return;
    }
    std::memset(block->OutputPaperName, 0, sizeof block->OutputPaperName);
    block->OutputPaperSize = 0;
    block->OutputPaperLength = 0;
    block->OutputPaperWidth = 0;
    block->Public.dmOrientation = DMORIENT_PORTRAIT;
    TakeDefaultSource(block, language.Get(), model);
    block->OptionFlags &= ~kOptionCompatibleMargin;
}
