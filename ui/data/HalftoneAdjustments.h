#pragma once
// Halftone and colour adjustment through the halftone library ("htui"): the device's
// halftone per resolution (printer data DAT_CurDevHTInfo<dpi>, the language library's dialog
// kHalftoneDialogTemplate) and the document's colour adjustment in the settings block.
#include "platform/DevMode.h"
#include "platform/PropSheet.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "settings/ModelDescription.h"

struct PageRecord;
struct UiContext;

/// The halftone dialog's data (its lParam), owned by whoever opens the dialog.
struct HalftoneDialogData {
    UiContext* context;
    DEVHTADJDATA adjust;   // what htui is given: the two records below
    DEVHTINFO adjusted;    // the value being adjusted
    DEVHTINFO defaults;    // the defaults of the resolution being adjusted
    bool written;          // a value was written since the dialog opened
};

/// The default DEVHTINFO of a resolution: the driver's defaults with the pattern size and
/// gammas of the model's record for that dpi (its second pair from system version 5.1 on);
/// the plain defaults when the model has no such record or names an unknown pattern size.
DEVHTINFO HalftoneDefaultsForResolution(const ModelDescription* model, DWORD dpi);

/// Sets the data up for an adjustment at the model's default resolution: the adjusted record
/// is the defaults, then the stored value when it is exactly 132 bytes of REG_BINARY. 1.
int ReadHalftoneInfo(HalftoneDialogData* data, LPCWSTR valueName);
/// Stores the adjusted record (REG_BINARY, 132 bytes); whether the spooler took it.
BOOL WriteHalftoneInfo(HalftoneDialogData* data, LPCWSTR valueName);
/// Shows htui's device adjustment over the value and stores it only when the user confirmed
/// a change (data->written). 1 when htui ran, 0 when it or its entry is missing.
int AdjustDeviceHalftone(HalftoneDialogData* data, HWND dialog, LPCWSTR valueName);
/// The adjustment of every resolution but 1200 dpi at once: the value of the working block's
/// resolution (200, 240, 300 or 400 dpi, else 600) is adjusted from its defaults, and a value
/// written is copied to the model's other resolutions. AdjustDeviceHalftone's answer.
int AdjustCurrentResolutionHalftone(HalftoneDialogData* data, HWND dialog);
/// Shows htui's colour adjustment over the working block's COLORADJUSTMENT. 1 when htui
/// ran, 0 when it or its entry is missing.
int AdjustDocumentColor(PageRecord* page);

/// Dialog procedure of the halftone dialog. The dialog ends with 1 when it wrote a value, else 0.
INT_PTR HalftoneDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// Runs the halftone dialog of the page's language library; its result, -1 when it cannot be shown.
INT_PTR ShowHalftoneDialog(PageRecord* page, HWND owner);
