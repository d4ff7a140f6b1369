#pragma once
// The steps of InitPrinterDataDefaults that live in files of their own.
#include "platform/WinTypes.h"
#include "settings/ModelDescription.h"

namespace printerdata {

/// DAT_CurDevHTInfo<dpi> for each of the model's resolutions that has a value name and a
/// standard pattern-size name, written only where no value exists.
void WriteMissingHalftoneInfo(HANDLE printer, const ModelDescription* model);
/// TBL_TTSubstTable and TBL_OutPaperTable from the library's resources, where absent.
void WriteMissingDefaultTables(HANDLE printer);

}  // namespace printerdata
