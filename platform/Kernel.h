#pragma once
// Kernel services: last error, global memory, critical sections, clock, computer and
// system information, UTF-16 string helpers and code-page conversion.
#include "platform/WinTypes.h"

// --- Last error (per thread) ---
PLATFORM_API DWORD GetLastError();
PLATFORM_API void SetLastError(DWORD error);

// --- Global memory ---
#define GMEM_FIXED 0x0000u
#define GMEM_ZEROINIT 0x0040u
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND 0x0042u
/// Returns a pointer to the block (fixed memory only), NULL with ERROR_NOT_ENOUGH_MEMORY.
PLATFORM_API_NODISCARD HGLOBAL GlobalAlloc(UINT flags, SIZE_T cb);
/// Returns NULL on success, the block itself on failure.
PLATFORM_API HGLOBAL GlobalFree(HGLOBAL block);
PLATFORM_API SIZE_T GlobalSize(HGLOBAL block);

// --- Critical sections (recursive, like the platform's) ---
struct CRITICAL_SECTION {
    void* Impl;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
PLATFORM_API void InitializeCriticalSection(LPCRITICAL_SECTION cs);
PLATFORM_API void EnterCriticalSection(LPCRITICAL_SECTION cs);
PLATFORM_API BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs);
PLATFORM_API void LeaveCriticalSection(LPCRITICAL_SECTION cs);
PLATFORM_API void DeleteCriticalSection(LPCRITICAL_SECTION cs);

// --- Clock (the stand-in's clock can be fixed by a test or host) ---
PLATFORM_API void GetLocalTime(LPSYSTEMTIME time);
PLATFORM_API void GetSystemTime(LPSYSTEMTIME time);
PLATFORM_API void GetSystemTimeAsFileTime(LPFILETIME time);
PLATFORM_API DWORD GetTickCount();
PLATFORM_API LONG CompareFileTime(const FILETIME* a, const FILETIME* b);
PLATFORM_API BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
PLATFORM_API BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
PLATFORM_API void Sleep(DWORD milliseconds);

// --- Process, computer and system information ---
PLATFORM_API DWORD GetCurrentProcessId();
PLATFORM_API DWORD GetCurrentThreadId();
#define MAX_COMPUTERNAME_LENGTH 15
PLATFORM_API BOOL GetComputerNameW(LPWSTR buffer, LPDWORD cchBuffer);
PLATFORM_API BOOL GetComputerNameA(LPSTR buffer, LPDWORD cchBuffer);
PLATFORM_API BOOL GetUserNameW(LPWSTR buffer, LPDWORD cchBuffer);

#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u
struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOW) == 276);
using LPOSVERSIONINFOW = OSVERSIONINFOW*;
/// Fails with ERROR_INSUFFICIENT_BUFFER unless dwOSVersionInfoSize is at least 276.
PLATFORM_API BOOL GetVersionExW(LPOSVERSIONINFOW info);

/// Both return the length written (no terminator), or the size needed (with terminator)
/// when the buffer is too small.
PLATFORM_API UINT GetWindowsDirectoryW(LPWSTR buffer, UINT cchBuffer);
PLATFORM_API UINT GetSystemDirectoryW(LPWSTR buffer, UINT cchBuffer);

// --- UTF-16 strings (NUL-terminated) ---
PLATFORM_API int lstrlenW(LPCWSTR s);
PLATFORM_API LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src);
/// Copies at most cchMax - 1 characters and always terminates (cchMax > 0).
PLATFORM_API LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int cchMax);
PLATFORM_API LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src);
PLATFORM_API int lstrcmpW(LPCWSTR a, LPCWSTR b);
/// Case-insensitive for ASCII and the Latin-1 and full-width Latin letters.
PLATFORM_API int lstrcmpiW(LPCWSTR a, LPCWSTR b);
PLATFORM_API int lstrlenA(LPCSTR s);
PLATFORM_API LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int cchMax);
PLATFORM_API int lstrcmpiA(LPCSTR a, LPCSTR b);
/// Decimal of a wide string with optional blanks and sign, like the C runtime's _wtol.
PLATFORM_API LONG _wtol(LPCWSTR s);

// --- Code pages ---
#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_UTF8 65001u
#define MB_ERR_INVALID_CHARS 0x08u
#define WC_NO_BEST_FIT_CHARS 0x400u
/// The stand-in's ANSI code page: 932 unless a host or test chose 1252.
PLATFORM_API UINT GetACP();
/// Platform semantics: cbMultiByte -1 converts through the terminator (which is counted),
/// cchWideChar 0 asks for the size; a too-small buffer fails with ERROR_INSUFFICIENT_BUFFER.
PLATFORM_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int cbSrc, LPWSTR dst, int cchDst);
PLATFORM_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int cchSrc, LPSTR dst, int cbDst,
                                     LPCSTR defaultChar, LPBOOL usedDefaultChar);
PLATFORM_API BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
PLATFORM_API BOOL IsDBCSLeadByte(BYTE testChar);
/// Next character of an ANSI string in the ANSI code page (steps over a double-byte pair).
PLATFORM_API LPSTR CharNextA(LPCSTR current);
PLATFORM_API LPWSTR CharNextW(LPCWSTR current);
