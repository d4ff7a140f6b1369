// Validation of the paper and the output paper against the usable-forms list, the model's
// forms and the printer's output-paper table.
#include <cstdint>
#include <string_view>

#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "platform/Spooler.h"
#include "settings/Forms.h"
#include "settings/PrinterData.h"
#include "settings/ValidateInternal.h"

namespace validation {
namespace {

constexpr size_t kNameChars = 32;  // dmFormName and OutputPaperName, terminator included

// Papers the printer handles with its fixed margins; "15x11inch" output applies to them.
constexpr std::u16string_view kStandardPapers[] = {
    u"A3",      u"A4",         u"A5",      u"B4 (JIS)",   u"B5 (JIS)",   u"Letter",   u"はがき",      u"往復はがき",
    u"A3 横",   u"A4 横",      u"A5 横",   u"B4 (JIS) 横", u"B5 (JIS) 横", u"Letter 横", u"はがき 横", u"往復はがき 横",
};

// Papers on which the printer lays out faces (N-up) with its own margins. Letter is last so
// that the set without it is a prefix.
constexpr std::u16string_view kNupPapers[] = {
    u"A4", u"A5", u"B5 (JIS)", u"はがき", u"往復はがき", u"A5 横", u"はがき 横", u"往復はがき 横", u"Letter",
};
constexpr size_t kNupPapersWithoutLetter = 8;

// The largest output-paper table read; a real one is a few hundred bytes.
constexpr DWORD kMaxOutPaperTableBytes = 0x100000;

constexpr std::u16string_view kWideOutputPaper = u"15x11inch";
constexpr SHORT kWideOutputLength = 2794;
constexpr SHORT kWideOutputWidth = 3810;

bool NameIn(LPCWSTR name, const std::u16string_view* set, size_t count) {
    if (name == nullptr) return false;
    const std::u16string_view text(name);
    for (size_t i = 0; i < count; ++i) {
        if (set[i] == text) return true;
    }
    return false;
}

void CopyName(WCHAR (&field)[kNameChars], std::u16string_view name) {
    size_t i = 0;
    for (; i < name.size() && i + 1 < kNameChars; ++i) field[i] = name[i];
    for (; i < kNameChars; ++i) field[i] = 0;
}

void ClearOutputPaper(DriverDevMode* block) {
    block->OutputPaperSize = 0;
    block->OutputPaperLength = 0;
    block->OutputPaperWidth = 0;
    CopyName(block->OutputPaperName, u"");
}

// Position from a lookup that may come back 0 (form not listed).
WORD PositionOrUnlisted(DWORD position) {
    return position != 0 ? static_cast<WORD>(position) : static_cast<WORD>(kUnlistedPaperSize);
}

void SetOutputPaperFromForm(DriverDevMode* block, const FORM_INFO_1W& form, DWORD position) {
    block->OutputPaperSize = static_cast<WORD>(position);
    block->OutputPaperLength = static_cast<SHORT>(form.Size.cy / 100);
    block->OutputPaperWidth = static_cast<SHORT>(form.Size.cx / 100);
    CopyName(block->OutputPaperName, form.pName != nullptr ? form.pName : u"");
}

// The model's *DefaultForm as output paper; nothing changes when the model has none.
void SetOutputPaperToDefaultForm(const Context& context) {
    const ModelForm* form = ModelDefaultForm(context.Model);
    if (form == nullptr) return;
    DriverDevMode* block = context.Block;
    LPCWSTR name = ModelString(context.Model, form->NameOffset);
    CopyName(block->OutputPaperName, name);
    block->OutputPaperLength = static_cast<SHORT>(form->Length / 100);
    block->OutputPaperWidth = static_cast<SHORT>(form->Width / 100);
    block->OutputPaperSize =
        PositionOrUnlisted(FindFormByName(context.Forms, context.FormCount, block->OutputPaperName));
}

void ResolveFormName(const Context& context) {
    DEVMODEW& dm = context.Block->Public;
    const DWORD position = FindFormByName(context.Forms, context.FormCount, dm.dmFormName);
    if (position != 0) {
        const FORM_INFO_1W& form = context.Forms[position - 1];
        dm.dmPaperLength = static_cast<SHORT>(form.Size.cy / 100);
        dm.dmPaperWidth = static_cast<SHORT>(form.Size.cx / 100);
        dm.dmPaperSize = static_cast<SHORT>(position);
        return;
    }
    // An unknown form falls back to the model's default paper, listed or not.
    const ModelForm* fallback = ModelDefaultForm(context.Model);
    if (fallback == nullptr) return;
    CopyName(dm.dmFormName, ModelString(context.Model, fallback->NameOffset));
    dm.dmPaperLength = static_cast<SHORT>(fallback->Length / 100);
    dm.dmPaperWidth = static_cast<SHORT>(fallback->Width / 100);
    dm.dmPaperSize = static_cast<SHORT>(PositionOrUnlisted(FindFormByName(context.Forms, context.FormCount, dm.dmFormName)));
}

void ResolveOutputPaperName(const Context& context) {
    DriverDevMode* block = context.Block;
    if (block->OutputPaperName[0] == 0) {
        ClearOutputPaper(block);
        return;
    }
    const DWORD position = FindFormByName(context.Forms, context.FormCount, block->OutputPaperName);
    if (position == 0) {
        SetOutputPaperToDefaultForm(context);
        return;
    }
    const FORM_INFO_1W& form = context.Forms[position - 1];
    block->OutputPaperSize = static_cast<WORD>(position);
    block->OutputPaperLength = static_cast<SHORT>(form.Size.cy / 100);
    block->OutputPaperWidth = static_cast<SHORT>(form.Size.cx / 100);
}

bool PaperWithinModelLimits(const Context& context) {
    const DEVMODEW& dm = context.Block->Public;
    const ModelDescription* model = context.Model;
    const int64_t width = int64_t{dm.dmPaperWidth} * 100;
    const int64_t length = int64_t{dm.dmPaperLength} * 100;
    return width >= model->MinFormWidth && width <= model->MaxFormWidth && length >= model->MinFormLength &&
           length <= model->MaxFormLength;
}

// Frees a GlobalAlloc block on every path.

// TBL_OutPaperTable, read into a zero-filled block with slack so that the walk always finds
// a terminator, even after an odd byte count or an unterminated last name.
void ApplyOutPaperTable(const Context& context) {
    if (context.Printer == nullptr) return;
    LPWSTR valueName = const_cast<LPWSTR>(PD_OUT_PAPER_TABLE);
    DWORD type = 0;
    DWORD cbValue = 0;
    if (GetPrinterDataW(context.Printer, valueName, &type, nullptr, 0, &cbValue) != ERROR_MORE_DATA) return;
    if (cbValue == 0 || cbValue > kMaxOutPaperTableBytes) return;
    const SIZE_T cbBuffer = SIZE_T{cbValue} + 2 + (cbValue & 1);
    const GlobalBlock buffer = GlobalBlock::Zeroed(cbBuffer);
    if (!buffer.Valid()) return;
    DWORD cbRead = 0;
    if (GetPrinterDataW(context.Printer, valueName, &type, buffer.As<BYTE>(), cbValue, &cbRead) != ERROR_SUCCESS) return;
    if (cbRead > cbValue) cbRead = cbValue;

    const DWORD position = FindOutPaperInTable(buffer.As<const WCHAR>(), (SIZE_T{cbRead} + 1) / 2,
                                               context.Block->Public.dmFormName, context.Forms, context.FormCount);
    if (position != 0) SetOutputPaperFromForm(context.Block, context.Forms[position - 1], position);
}

size_t BoundedLength(const WCHAR* text, size_t start, size_t end) {
    size_t i = start;
    while (i < end && text[i] != 0) ++i;
    return i - start;
}

}  // namespace

bool IsStandardPaper(LPCWSTR name) noexcept {
    return NameIn(name, kStandardPapers, sizeof kStandardPapers / sizeof kStandardPapers[0]);
}

bool IsNupPaper(LPCWSTR name) noexcept { return NameIn(name, kNupPapers, sizeof kNupPapers / sizeof kNupPapers[0]); }

bool IsNupPaperWithoutLetter(LPCWSTR name) noexcept { return NameIn(name, kNupPapers, kNupPapersWithoutLetter); }

const ModelForm* FindFormPort(const ModelDescription* model, LPCWSTR name) noexcept {
    if (model == nullptr || name == nullptr || name[0] == 0) return nullptr;
    const ModelForm* records = ModelList<ModelForm>(model, model->FormPortOffset, model->FormPortCount);
    if (records == nullptr) return nullptr;
    const std::u16string_view wanted(name);
    for (DWORD i = 0; i < model->FormPortCount; ++i) {
        if (wanted == ModelString(model, records[i].NameOffset)) return &records[i];
    }
    return nullptr;
}

LPCWSTR EffectivePaperName(const DriverDevMode* block) noexcept {
    return block->OutputPaperName[0] != 0 ? block->OutputPaperName : block->Public.dmFormName;
}

const ModelForm* EffectivePaperPort(const Context& context) noexcept {
    return context.Block->OutputPaperName[0] != 0 ? context.OutputPort : context.PaperPort;
}

DWORD FindOutPaperInTable(const WCHAR* table, size_t cchValue, LPCWSTR paperName, const FORM_INFO_1W* forms,
                          DWORD formCount) noexcept {
    if (table == nullptr || paperName == nullptr || paperName[0] == 0) return 0;
    const std::u16string_view wanted(paperName);
    size_t pos = 0;
    while (pos < cchValue) {
        const size_t paperStart = pos;
        const size_t paperLength = BoundedLength(table, pos, cchValue);
        pos += paperLength + 1;
        if (pos >= cchValue) break;  // a paper name without its output name
        const size_t outputStart = pos;
        const size_t outputLength = BoundedLength(table, pos, cchValue);
        pos += outputLength + 1;

        // A name that cannot stand in a 32-character field is never taken.
        if (paperLength >= kNameChars || outputLength == 0 || outputLength >= kNameChars) continue;
        if (std::u16string_view(table + paperStart, paperLength) != wanted) continue;
        WCHAR outputName[kNameChars];
        CopyName(outputName, std::u16string_view(table + outputStart, outputLength));
        const DWORD position = FindFormByName(forms, formCount, outputName);
        if (position != 0) return position;
    }
    return 0;
}

void ResolvePaper(Context& context) noexcept {
    ResolveFormName(context);
    ResolveOutputPaperName(context);
    context.PaperPort = FindFormPort(context.Model, context.Block->Public.dmFormName);
}

void ApplyOutputPaperRules(Context& context) noexcept {
    DriverDevMode* block = context.Block;
    LPCWSTR paper = block->Public.dmFormName;
    const bool within = PaperWithinModelLimits(context);
    if ((block->FeatureFlags & 1u) != 0 && (block->OutputPaperName[0] != 0 || within)) {
        // Output by rule: a standard paper without an output paper prints on 15x11inch.
        if ((block->OutputPaperSize == 0 || block->OutputPaperName[0] == 0) && IsStandardPaper(paper)) {
            CopyName(block->OutputPaperName, kWideOutputPaper);
            block->OutputPaperSize =
                PositionOrUnlisted(FindFormByName(context.Forms, context.FormCount, block->OutputPaperName));
            block->OutputPaperLength = kWideOutputLength;
            block->OutputPaperWidth = kWideOutputWidth;
        }
    } else {
        if (within && !IsStandardPaper(paper)) {
            ClearOutputPaper(block);
        } else {
            SetOutputPaperToDefaultForm(context);
        }
        if ((block->OptionFlags & kOptionNoOutPaperTable) == 0) ApplyOutPaperTable(context);
    }

    if (IsNupInUse(block)) ClearOutputPaper(block);
    context.OutputPort = FindFormPort(context.Model, block->OutputPaperName);
}

void TidyNameFields(DriverDevMode* block) noexcept {
    for (WCHAR* field : {block->Public.dmFormName, block->OutputPaperName}) {
        size_t i = 0;
        while (i < kNameChars && field[i] != 0) ++i;
        for (; i < kNameChars; ++i) field[i] = 0;
    }
}

}  // namespace validation
