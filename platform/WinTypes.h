#pragma once
// Basic types, handles and error codes of the platform API, as the driver libraries see them.
// WCHAR is a 16-bit UTF-16 code unit on every build.
#include <cstddef>
#include <cstdint>

#define PLATFORM_API extern "C" __attribute__((visibility("default")))
// An entry point whose result must be used: a handle or block to give back, or a status.
#define PLATFORM_API_NODISCARD extern "C" [[nodiscard]] __attribute__((visibility("default")))
#define DLL_EXPORT extern "C" __attribute__((visibility("default")))
#define WINAPI
#define CALLBACK
#define APIENTRY

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using INT = int32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using BOOLEAN = uint8_t;
using CHAR = char;
using UCHAR = unsigned char;
using WCHAR = char16_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using SIZE_T = size_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using LPARAM = LONG_PTR;
using WPARAM = UINT_PTR;
using LRESULT = LONG_PTR;
using LANGID = WORD;
using LCID = DWORD;
using ATOM = WORD;

using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using PBYTE = BYTE*;
using LPDWORD = DWORD*;
using PDWORD = DWORD*;
using LPWORD = WORD*;
using LPLONG = LONG*;
using LPBOOL = BOOL*;
using LPSTR = CHAR*;
using LPCSTR = const CHAR*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using PWSTR = WCHAR*;
using PCWSTR = const WCHAR*;

using HANDLE = void*;
using HGLOBAL = void*;
using HLOCAL = void*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
struct HRSRC__;
using HRSRC = HRSRC__*;
struct HWND__;
using HWND = HWND__*;

using FARPROC = INT_PTR (*)();

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xFFFF))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xFFFF))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<DWORD_PTR>(w) & 0xFF))
#define MAKELONG(a, b) (static_cast<LONG>(static_cast<WORD>(a) | (static_cast<DWORD>(static_cast<WORD>(b)) << 16)))
#define MAKEWORD(a, b) (static_cast<WORD>(static_cast<BYTE>(a) | (static_cast<WORD>(static_cast<BYTE>(b)) << 8)))

struct POINTL { LONG x; LONG y; };
struct RECTL { LONG left; LONG top; LONG right; LONG bottom; };
struct SIZEL { LONG cx; LONG cy; };
using POINT = POINTL;
using RECT = RECTL;
using SIZE = SIZEL;

struct FILETIME { DWORD dwLowDateTime; DWORD dwHighDateTime; };
using LPFILETIME = FILETIME*;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};

static_assert(sizeof(WCHAR) == 2);
static_assert(sizeof(FILETIME) == 8);
static_assert(sizeof(SYSTEMTIME) == 16);
static_assert(sizeof(GUID) == 16);
static_assert(sizeof(RECTL) == 16);

// Error codes (GetLastError values and the registry/spooler results).
#define ERROR_SUCCESS 0u
#define NO_ERROR 0u
#define ERROR_INVALID_FUNCTION 1u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_INVALID_DATA 13u
#define ERROR_OUTOFMEMORY 14u
#define ERROR_NO_MORE_FILES 18u
#define ERROR_WRITE_FAULT 29u
#define ERROR_READ_FAULT 30u
#define ERROR_GEN_FAILURE 31u
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_HANDLE_EOF 38u
#define ERROR_NOT_SUPPORTED 50u
#define ERROR_FILE_EXISTS 80u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_BUFFER_OVERFLOW 111u
#define ERROR_DISK_FULL 112u
#define ERROR_BAD_DRIVER_LEVEL 119u
#define ERROR_CALL_NOT_IMPLEMENTED 120u
#define ERROR_SEM_TIMEOUT 121u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_INVALID_NAME 123u
#define ERROR_INVALID_LEVEL 124u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_PROC_NOT_FOUND 127u
#define ERROR_NEGATIVE_SEEK 131u
#define ERROR_DIR_NOT_EMPTY 145u
#define ERROR_BUSY 170u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_ENVVAR_NOT_FOUND 203u
#define ERROR_MORE_DATA 234u
#define WAIT_TIMEOUT 258u
#define ERROR_NO_MORE_ITEMS 259u
#define ERROR_DIRECTORY 267u
#define ERROR_NOT_OWNER 288u
#define ERROR_INVALID_ADDRESS 487u
#define ERROR_NO_UNICODE_TRANSLATION 1113u
#define ERROR_MAPPED_ALIGNMENT 1132u
#define ERROR_USER_MAPPED_FILE 1224u
#define ERROR_FILE_INVALID 1006u
#define ERROR_BADKEY 1010u
#define ERROR_CANTOPEN 1011u
#define ERROR_CANTREAD 1012u
#define ERROR_CANTWRITE 1013u
#define ERROR_KEY_DELETED 1018u
#define ERROR_SERVICE_DOES_NOT_EXIST 1060u
#define ERROR_INVALID_WINDOW_HANDLE 1400u
#define ERROR_CLASS_ALREADY_EXISTS 1410u
#define ERROR_CLASS_DOES_NOT_EXIST 1411u
#define ERROR_CLASS_HAS_WINDOWS 1412u
#define ERROR_UNKNOWN_PRINTER_DRIVER 1797u
#define ERROR_INVALID_PRINTER_NAME 1801u
#define ERROR_PRINTER_ALREADY_EXISTS 1802u
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812u
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813u
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814u
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815u
#define ERROR_INVALID_FORM_NAME 1902u
#define ERROR_INVALID_FORM_SIZE 1903u
#define ERROR_ALREADY_WAITING 1904u
#define ERROR_PRINTER_DELETED 1905u
