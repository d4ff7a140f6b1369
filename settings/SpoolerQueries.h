#pragma once
// Spooler records, locale, the language library, the job folder and path helpers.
#include <cstddef>

#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"

/// GetPrinterW / GetPrinterDriverW at that level into a zero-filled GlobalAlloc block that
/// the caller frees, or NULL.
[[nodiscard]] BYTE* GetPrinterInfo(HANDLE printer, DWORD level);
[[nodiscard]] BYTE* GetDriverInfo(HANDLE printer, DWORD level);

inline constexpr LCID kLocaleJapanese = 1041;
inline constexpr LCID kLocaleEnglish = 1033;
LCID GetUserLocale();

/// The driver's language library ("<driver folder>\<5 chars>sj.dll" or "...se.dll"), or NULL.
/// The caller frees it with FreeLanguageDll.
[[nodiscard]] HMODULE LoadLanguageDll(HANDLE printer);
/// The language library's path for a driver path and locale into out (cchOut characters):
/// true when the driver path has a "\" followed by at least five characters and the name
/// fits; otherwise false and out empty.
[[nodiscard]] bool BuildLanguageDllName(LPCWSTR driverPath, LCID locale, LPWSTR out, size_t cchOut);
void FreeLanguageDll(HMODULE module);

inline constexpr size_t kJobFolderChars = 256;
/// The Relaydock temporary folder (TmpDir with its last four characters cut): 1, else 0
/// with out empty. A value of fewer than four characters is refused.
[[nodiscard]] int ReadTempDir(LPWSTR out /* kJobFolderChars */);
/// The job folder: the temporary folder, or the system drive's root, + "KV-TD520_JOB".
/// A temporary folder too long for the name to fit in 255 characters falls back to the root.
void GetJobFolder(LPWSTR out /* kJobFolderChars */);
/// Removes one trailing "\": 1 when removed; 0 for NULL or an empty string.
int StripTrailingBackslash(LPWSTR path);
/// Removes a trailing ".prn" (case-sensitive) from a string of five characters or more.
int StripPrnExtension(LPWSTR path);
/// Six characters YYMMDD and a terminator: today, or the default day (YYYYMMDD) when today
/// is earlier. A default day that is no date (year 1..9999, month 1..12, day 1..31) is
/// ignored and today is used.
void FormatDateString(LPWSTR out /* 7 */, DWORD defaultDay);

inline constexpr size_t kFormFilePathBytes = 142;
/// OverlayStatus bit: the folder and name do not fit the path buffer. It shares the bit
/// that the overlay code sets for a file that cannot be opened, which is what such a path
/// amounts to, so the user interface warns about it with the same message.
inline constexpr DWORD kOverlayPathTooLong = 0x40000u;
/// The form-overlay file path (ANSI) of a settings block; sets problem bits in its
/// OverlayStatus. The folder and name fields are read without passing their ends. A path
/// that does not fit leaves out empty and sets kOverlayPathTooLong. Returns 0.
int MakeFormFilePath(DriverDevMode* block, char* out /* kFormFilePathBytes */);

/// 1 when the printer is set to raw-only spooling, 2 when not (NT 5 or later); 0 below
/// version 5, without a name, or when the printer cannot be opened or read.
[[nodiscard]] int QueryRawOnlyAttribute(LPCWSTR printerName);
