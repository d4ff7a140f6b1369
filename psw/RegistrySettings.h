#pragma once
// The status window's per-user settings and window position under
// HKCU "Software\ZEV\Stanvel\<printer key>\PSW", the driver's machine key (help path) and the
// printer's driver name. Window thread.
#include "psw/PswRecord.h"
#include "platform/WinTypes.h"

inline constexpr WCHAR kPswRootKey[] = u"Software\\ZEV\\Stanvel";

/// Copies in into out (cchOut characters with the terminator) with every backslash made a
/// comma; FALSE for NULL arguments or a name that does not fit (out is then empty).
BOOL YenToComma(LPWSTR out, DWORD cchOut, LPCWSTR in);
/// The printer's key: the name itself on the 9x family, YenToComma on NT. FALSE when it does
/// not fit.
BOOL GetPrinterKey(const PSWDATA* record, LPCWSTR printerName, LPWSTR out, DWORD cchOut);
/// "Software\ZEV\Stanvel\<printer key>\PSW" for the printer; FALSE when it does not fit.
BOOL GetPswUserKey(const PSWDATA* record, LPCWSTR printerName, LPWSTR out, DWORD cchOut);

/// Reads the five settings into record->setting, the popup words and bit 1 of both display
/// conditions; absent key or values take the defaults, values of another type or size too.
void GetRegPslSetting(PSWDATA* record);
/// Writes the five settings; FALSE when the key cannot be created.
BOOL SetRegPslSetting(PSWDATA* record);
/// PopUpCondition / PopUpConditionEx into popUpCondition / popUpConditionEx (defaults 1 and 8).
void GetRegOptPopValue(PSWDATA* record);
/// The stored position (or one centred by AdjustWndToMon when either value is missing) and
/// the size computed from the base dialog's window.
void GetRegMainWndPos(PSWDATA* record, POINT* position, SIZE* size);
/// Writes PSWPosX / PSWPosY (the size is not stored).
BOOL SetRegMainWndPos(PSWDATA* record, LONG x, LONG y, LONG cx, LONG cy);
/// After the printer's name changed from oldName to the record's name: removes the old
/// printer key's settings; true when the window set must now write its own under the new key.
/// false, removing nothing, when the two names give the same key (no real rename).
bool RemoveRenamedPrinterKey(const PSWDATA* record, LPCWSTR oldName);
/// The printer's ANSI driver name into record->driverName (at most 63 bytes).
BOOL GetPrinterDriverName(PSWDATA* record, LPCWSTR printerName);
/// Finds "<HELPPATH>QW774%03X" + ".CHM" or ".HLP" for the record's LANGID; keeps the path in
/// record->helpPath (freeing the old one). FALSE, with no help path, when neither exists or
/// the path does not fit.
BOOL GetHelpPathName(PSWDATA* record, LPCSTR driverName);
/// Reads REG_SZ `name` of an open key into buffer (cchBuffer characters), terminated even
/// when stored without terminator; FALSE when absent, of another type or too long.
BOOL QueryRegString(HKEY key, LPCWSTR name, LPWSTR buffer, DWORD cchBuffer);
/// Reads REG_DWORD `name`; FALSE when absent, of another type or not 4 bytes.
BOOL QueryRegDword(HKEY key, LPCWSTR name, DWORD* value);
