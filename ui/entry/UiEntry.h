#pragma once
// What the library's exports do: the loader's attach and detach, the property sheets through
// the common property sheet library, the document settings with and without a dialog, the
// job check before printing, and the spooler's printer and document events. The exports in
// ModuleExports.cpp are thin shims over these.
#include "platform/DriverUi.h"
#include "platform/PropSheet.h"
#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "ui/entry/UiContext.h"
#include "ui/entry/UiInstance.h"

/// Process attach (1): keeps the instance, pins the library with a second load of its own
/// file and sets up the settings lock. Detach (0): frees the settings lock and the pages'
/// activation context. TRUE in every case.
BOOL InitializeUiLibrary(HINSTANCE instance, DWORD reason);

/// Stock icon of the common property sheet library shown in the sheets' title.
inline constexpr ULONG_PTR kSheetIconId = 64062;

/// compstui's CommonPropertySheetUIW, loaded for the call: its answer (CPSUI_OK, CPSUI_CANCEL
/// or a negative error), -1 when the library or the function is missing. *pResult gets what
/// compstui stores there.
LONG CallCommonPropertySheetUI(HWND owner, PFNPROPSHEETUI function, LPARAM lParam, LPDWORD pResult);

/// The printer's own sheet: TRUE when it was applied.
BOOL ShowPrinterProperties(HWND owner, HANDLE printer);
/// The sheet callbacks compstui calls (and, for the document sheet without an info record,
/// the spooler's no-dialog path).
LONG DevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG DocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
/// DocumentProperties: 2208 for a size query (fMode 0 or no output), IDOK, IDCANCEL or -1.
LONG ShowDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* pdmOut, DEVMODEW* pdmIn,
                            DWORD fMode);
/// The advanced document sheet: 2208 without output, else whether it was applied.
LONG ShowAdvancedDocumentProperties(HWND owner, HANDLE printer, LPWSTR deviceName, DEVMODEW* pdmOut,
                                    DEVMODEW* pdmIn);
/// The document settings without a dialog: 2208 for a size query, 1 done, -1 failed
/// (no context, or the settings could not be copied out).
LONG DocumentPropertiesNoUI(DOCUMENTPROPERTYHEADER* header);
/// The sheet's OK: validates the result block, writes printer data when allowed, hands the
/// tray list to the manager, copies the result out (document sheets), then brings the
/// working block up to the printer's status. FALSE when the copy-out failed.
BOOL ApplySheetResult(UiContext* context, DOCUMENTPROPERTYHEADER* document);

/// DevQueryPrintEx: TRUE when the job's settings are what the printer would print.
BOOL QueryPrintJob(DEVQUERYPRINT_INFO* info);
/// The message id (102 to 120) of the first field that the job asks for (its dmFields,
/// inside its dmSize) and that differs in the checked block; 0 when none differs.
UINT FindJobDifference(const DEVMODEW* job, const DriverDevMode* checked);

/// Formats into out (cch characters with the terminator): "%!" inserts language string
/// (next argument, UINT), "%s" a string (NULL: a blank), "%c" a character, "%d", "%u", "%x",
/// "%X" a number; other characters are copied. The text is cut at cch - 1 characters;
/// *pNeeded gets 1 + the full length. Returns the characters written. With cch 0 or no
/// output only *pNeeded is set.
int FormatLanguageMessage(HMODULE library, LPWSTR out, DWORD cch, LPDWORD pNeeded, LPCWSTR format, ...);

BOOL HandlePrinterEvent(LPWSTR printerName, int event, DWORD flags, LPARAM lParam);
BOOL UpgradePrinter(DWORD level, LPBYTE info);
int HandleDocumentEvent(HANDLE printer, HDC dc, int escape, ULONG cbIn, PVOID in, ULONG cbOut, PVOID out);
