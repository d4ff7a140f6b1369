#pragma once
// Ini profile files, read and written on real files. A file name without a folder is taken
// from the Windows directory. Section and key names compare case-insensitively.
#include "platform/WinTypes.h"

/// The key's value as an integer (a sign allowed, decimal digits up to the first non-digit,
/// or hexadecimal after "0x"; 0 without digits), or the default when the key is absent.
PLATFORM_API UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
/// Copies the value (surrounding quotes removed) cut to cchBuffer - 1; returns the count.
PLATFORM_API DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer,
                                            DWORD cchBuffer, LPCWSTR fileName);
/// Writes or replaces the key; key NULL removes the section, value NULL removes the key.
PLATFORM_API BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);
