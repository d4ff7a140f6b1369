#pragma once
// The property sheet's records shared by the page and sheet sources.
#include <optional>
#include <vector>

#include "platform/PropSheet.h"
#include "platform/src/DialogTemplate.h"

struct PSP {
    DWORD signature = 0;
    PROPSHEETPAGEW page{};  // the copy the page's dialog and callback see
};

namespace standin::sheets {

bool IsLivePage(HPROPSHEETPAGE page);
/// The page's template, read with bounds (a resource of the page's module or the record
/// in memory); nothing when it is missing or malformed.
std::optional<ui::core::DialogTemplate> PageTemplate(HPROPSHEETPAGE page);
/// The extended binary layout of a template.
std::vector<BYTE> WriteTemplate(const ui::core::DialogTemplate& t);
/// Calls PSPCB_RELEASE and frees the record; an unknown page is left alone.
void ReleasePage(HPROPSHEETPAGE page);

}  // namespace standin::sheets
