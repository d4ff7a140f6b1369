#pragma once
// The registry: HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT trees kept in a
// file below the stand-in's root, so that separate processes see one registry.
// Key and value names compare case-insensitively. Results are error codes (ERROR_SUCCESS).
#include "platform/WinTypes.h"

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003u)))

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu
#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

/// A trailing "\" on the sub-key name is accepted. Missing key: ERROR_FILE_NOT_FOUND.
PLATFORM_API_NODISCARD LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, DWORD access, PHKEY result);
PLATFORM_API_NODISCARD LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, DWORD access, PHKEY result);
PLATFORM_API LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                                  DWORD access, LPVOID security, PHKEY result, LPDWORD disposition);
/// Two-call semantics: data NULL gives the size; a too-small buffer gives ERROR_MORE_DATA
/// with the size needed. String values are returned as stored (terminated when stored so).
PLATFORM_API LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                   LPDWORD cbData);
PLATFORM_API LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                   LPDWORD cbData);
PLATFORM_API LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);
PLATFORM_API LONG RegDeleteValueW(HKEY key, LPCWSTR name);
/// Fails with ERROR_ACCESS_DENIED while the key has sub-keys.
PLATFORM_API LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);
PLATFORM_API LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD cchName, LPDWORD reserved,
                                LPWSTR className, LPDWORD cchClass, LPFILETIME lastWrite);
PLATFORM_API LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD cchName, LPDWORD reserved,
                                LPDWORD type, LPBYTE data, LPDWORD cbData);
PLATFORM_API LONG RegCloseKey(HKEY key);
