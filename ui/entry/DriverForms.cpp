// The driver's own forms in the spooler: added once per printer, deleted at a driver upgrade
// so that the upgraded driver adds its current list.
#include "platform/Spooler.h"
#include "settings/Forms.h"
#include "ui/data/PrinterDataIo.h"
#include "ui/data/PrinterDataValues.h"

namespace {

const ModelForm* PortraitForms(const ModelDescription* model) {
    return ModelList<ModelForm>(model, model->FormPortOffset, model->FormPortCount);
}

bool SameName(LPCWSTR a, LPCWSTR b) {
    if (a == nullptr || b == nullptr) return false;
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

void AddDriverForms(HANDLE printer, const ModelDescription* model) {
    if (printer == nullptr || model == nullptr) return;
    DWORD added = 0;
    if (printerdata::ReadDword(printer, PD_ADD_FORMS, &added) && added != 0) return;
    if (const ModelForm* forms = PortraitForms(model); forms != nullptr) {
        for (DWORD i = 0; i < model->FormPortCount; ++i) {
            const ModelForm& form = forms[i];
            FORM_INFO_1W info{};
            info.Flags = FORM_PRINTER;
            info.pName = const_cast<LPWSTR>(ModelString(model, form.NameOffset));
            info.Size = {static_cast<LONG>(form.Width), static_cast<LONG>(form.Length)};
            info.ImageableArea = {static_cast<LONG>(form.PrintableLeft), static_cast<LONG>(form.PrintableTop),
                                  static_cast<LONG>(form.PrintableRight), static_cast<LONG>(form.PrintableBottom)};
            // A form that exists already stays as it is.
            AddFormW(printer, 1, reinterpret_cast<LPBYTE>(&info));
        }
    }
    printerdata::WriteDword(printer, PD_ADD_FORMS, kDriverFormsAdded);
}

void UpgradeDriverForms(HANDLE printer, const ModelDescription* model) {
    if (printer == nullptr || model == nullptr) return;
    DWORD added = 0;
    if (!printerdata::ReadDword(printer, PD_ADD_FORMS, &added) || added == 0) return;
    const UsableForms spoolerForms(printer);
    if (!spoolerForms.Listed()) return;
    const ModelForm* forms = PortraitForms(model);
    if (forms == nullptr) return;
    DWORD deleted = 0;
    for (DWORD i = 0; i < model->FormPortCount; ++i) {
        const LPCWSTR name = ModelString(model, forms[i].NameOffset);
        if (*name == 0) continue;  // never the blanked entries of the list
        for (DWORD j = 0; j < spoolerForms.Count(); ++j) {
            if (!SameName(spoolerForms.Get()[j].pName, name)) continue;
            if (DeleteFormW(printer, const_cast<LPWSTR>(name))) ++deleted;
        }
    }
    if (deleted != 0) printerdata::WriteDword(printer, PD_ADD_FORMS, 0);
}
