// TEMPORARY: weak stand-ins for the parts of this library that are built beside the entry
// points and land separately (printer data, capabilities, status query, constraints, pages).
// Each does nothing and reports failure where it has a result; the real definitions replace
// them at link time, and this file goes once they have all landed. (Its name sorts it after
// them in the static library, so that a link takes theirs first.)
#include "ui/Capabilities.h"
#include "ui/Constraints.h"
#include "ui/PrinterDataValues.h"
#include "ui/PropertyPages.h"
#include "ui/StatusQuery.h"
#include "ui/UiInstance.h"

#define KV_PENDING __attribute__((weak))

KV_PENDING void ReadInstalledOptions(DriverDevMode*, HANDLE) {}
KV_PENDING void InitPrinterDataDefaults(const DriverDevMode*, HANDLE, const ModelDescription*) {}
KV_PENDING void AddDriverForms(HANDLE, const ModelDescription*) {}
KV_PENDING void UpgradeDriverForms(HANDLE, const ModelDescription*) {}
KV_PENDING void PublishDsProperties(const DriverDevMode*, const PrinterStatusSnapshot*, HANDLE,
                                    const ModelDescription*) {}
KV_PENDING BOOL CopyOutDevMode(const DriverDevMode*, const DEVMODEW*, DEVMODEW*) { return FALSE; }
KV_PENDING DWORD DeviceCapabilities(HANDLE, LPCWSTR, WORD, LPWSTR, const DEVMODEW*) { return static_cast<DWORD>(-1); }
KV_PENDING BOOL ConvertDevMode(LPCWSTR, DEVMODEW*, DEVMODEW*, LONG*, DWORD) { return FALSE; }
KV_PENDING LONG QueryPrinterStatus(PrinterStatusSnapshot*, HANDLE, HWND) { return 0; }
KV_PENDING void WritePrinterBinConfig(PrinterStatusSnapshot*, HANDLE) {}
KV_PENDING void BuildBinConfig(const DriverDevMode*, PrinterStatusSnapshot*) {}
void CancelStatusRequest(PrinterStatusSnapshot*);
KV_PENDING void CancelStatusRequest(PrinterStatusSnapshot*) {}
KV_PENDING void UpdateStatusFlag(DriverDevMode*, const PrinterStatusSnapshot*, HANDLE) {}
KV_PENDING void ApplyConstraints(DriverDevMode*, PageRecord*, PrinterStatusSnapshot*, HANDLE, const ModelDescription*,
                                 HWND, HMODULE, DWORD) {}
KV_PENDING int BuildPropertyPages(UiContext*) { return 0; }
void ReleasePageActivationContext();
KV_PENDING void ReleasePageActivationContext() {}
namespace {
HINSTANCE gPendingInstance = nullptr;
}  // namespace
KV_PENDING HINSTANCE UiLibraryInstance() { return gPendingInstance; }
KV_PENDING void SetUiLibraryInstance(HINSTANCE instance) { gPendingInstance = instance; }
