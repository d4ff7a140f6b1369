#pragma once
// Spooler records, locale, the language library, the job folder and path helpers.
#include <cstddef>

#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

/// GetPrinterW / GetPrinterDriverW at that level into a zero-filled GlobalAlloc block that
/// the caller frees, or NULL.
BYTE* GetPrinterInfo(HANDLE printer, DWORD level);
BYTE* GetDriverInfo(HANDLE printer, DWORD level);

inline constexpr LCID kLocaleJapanese = 1041;
inline constexpr LCID kLocaleEnglish = 1033;
LCID GetUserLocale();

/// The driver's language library ("<driver folder>\<5 chars>sj.dll" or "...se.dll"), or NULL.
HMODULE LoadLanguageDll(HANDLE printer);
void FreeLanguageDll(HMODULE module);

inline constexpr size_t kJobFolderChars = 256;
/// The Relaydock temporary folder (TmpDir with its last four characters cut): 1, else 0.
int ReadTempDir(LPWSTR out /* kJobFolderChars */);
/// The job folder: the temporary folder, or the system drive's root, + "KV-TD520_JOB".
void GetJobFolder(LPWSTR out /* kJobFolderChars */);
int StripTrailingBackslash(LPWSTR path);
int StripPrnExtension(LPWSTR path);
/// Six characters YYMMDD and a terminator: today, or the default day when today is earlier.
void FormatDateString(LPWSTR out /* 7 */, DWORD defaultDay);

inline constexpr size_t kFormFilePathBytes = 142;
/// The form-overlay file path (ANSI) of a settings block; sets problem bits in its
/// OverlayStatus. Returns 0.
int MakeFormFilePath(DriverDevMode* block, char* out /* kFormFilePathBytes */);

/// 1 when the printer is set to raw-only spooling, 2 when not (NT 5 or later); 0 below
/// version 5, without a name, or when the printer cannot be opened or read.
int QueryRawOnlyAttribute(LPCWSTR printerName);
