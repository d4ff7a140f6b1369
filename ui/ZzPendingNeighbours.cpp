// TEMPORARY: weak stand-ins for the parts of this library that are built beside the entry
// points and land separately (the status query).
// Each does nothing and reports failure where it has a result; the real definitions replace
// them at link time, and this file goes once they have all landed. (Its name sorts it after
// them in the static library, so that a link takes theirs first.)
#include "ui/StatusQuery.h"

#define KV_PENDING __attribute__((weak))

KV_PENDING LONG QueryPrinterStatus(PrinterStatusSnapshot*, HANDLE, HWND) { return 0; }
KV_PENDING void WritePrinterBinConfig(PrinterStatusSnapshot*, HANDLE) {}
KV_PENDING void BuildBinConfig(const DriverDevMode*, PrinterStatusSnapshot*) {}
void CancelStatusRequest(PrinterStatusSnapshot*);
KV_PENDING void CancelStatusRequest(PrinterStatusSnapshot*) {}
KV_PENDING void UpdateStatusFlag(DriverDevMode*, const PrinterStatusSnapshot*, HANDLE) {}
