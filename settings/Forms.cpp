// The usable-forms list: the spooler's forms with the ones this printer cannot take
// blanked in place, so that a form's 1-based position stays its paper-size code.
#include "settings/Forms.h"

#include "platform/Kernel.h"
#include "platform/Spooler.h"

namespace {

bool InWindow(LONG value, LONG low, LONG high) { return value >= low && value <= high; }

bool NameIs(LPCWSTR name, LPCWSTR expected) { return name != nullptr && lstrcmpW(name, expected) == 0; }

void Blank(FORM_INFO_1W& form) {
    form.Flags = 0;
    form.Size = SIZEL{0, 0};
    form.ImageableArea = RECTL{0, 0, 0, 0};
    // The text lives in the same block; emptying it keeps the record's pointer valid.
    if (form.pName != nullptr) form.pName[0] = u'\0';
}

}  // namespace

bool IsUsableForm(const FORM_INFO_1W& form) {
    if (InWindow(form.Size.cx, kUsableMinWidth, kUsableMaxWidth) &&
        InWindow(form.Size.cy, kUsableMinLength, kUsableMaxLength)) {
        return true;
    }
    // The printer feeds these two whatever size the spooler records for them.
    return NameIs(form.pName, u"A3") || NameIs(form.pName, u"B4 (JIS)");
}

bool IsBlankedForm(const FORM_INFO_1W& form) {
    const bool noName = form.pName == nullptr || form.pName[0] == u'\0';
    return noName && form.Size.cx == 0 && form.Size.cy == 0;
}

FORM_INFO_1W* EnumUsableForms(HANDLE printer, DWORD* count) {
    DWORD returned = 0;
    FORM_INFO_1W* forms = EnumSpoolerForms(printer, &returned);
    if (forms == nullptr) {
        if (count != nullptr) *count = 0;
        return nullptr;
    }
    for (DWORD i = 0; i < returned; ++i) {
        if (!IsUsableForm(forms[i])) Blank(forms[i]);
    }
    if (count != nullptr) *count = returned;
    return forms;
}

FORM_INFO_1W* EnumSpoolerForms(HANDLE printer, DWORD* count) {
    if (count != nullptr) *count = 0;
    DWORD cbNeeded = 0;
    DWORD returned = 0;
    if (EnumFormsW(printer, 1, nullptr, 0, &cbNeeded, &returned) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        cbNeeded == 0) {
        return nullptr;
    }
    const DWORD cbBlock = cbNeeded;
    auto* block = static_cast<BYTE*>(GlobalAlloc(GPTR, cbBlock));
    if (block == nullptr) return nullptr;
    // The records must lie inside the block before they are walked.
    if (!EnumFormsW(printer, 1, block, cbBlock, &cbNeeded, &returned) ||
        static_cast<SIZE_T>(returned) * sizeof(FORM_INFO_1W) > cbBlock) {
        GlobalFree(block);
        return nullptr;
    }
    if (count != nullptr) *count = returned;
    return reinterpret_cast<FORM_INFO_1W*>(block);
}

DWORD FindFormByName(const FORM_INFO_1W* forms, DWORD count, LPCWSTR name) {
    // An empty name would otherwise find the first blanked entry.
    if (forms == nullptr || name == nullptr || name[0] == u'\0') return 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!IsBlankedForm(forms[i]) && NameIs(forms[i].pName, name)) return i + 1;
    }
    return 0;
}
