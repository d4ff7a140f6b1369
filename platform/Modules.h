#pragma once
// Module loading by DLL name and resources carried by each module.
//
// A module is an ELF shared object. LoadLibraryW resolves a name with a folder through the
// stand-in's file mapping, and a bare name among the loaded modules, then in the system
// directory, then in the stand-in's module folders; names compare case-insensitively, a
// name without extension gets ".dll", and "NAME.dll" is also found as "NAME.so". On the
// first load the module's exported "DllMain" (or "DllInitialize") is called with
// DLL_PROCESS_ATTACH; on the last FreeLibrary with DLL_PROCESS_DETACH.
//
// Resources: a module exports StandInResources() returning its resource table (the format
// of platform/ResourceTable.h, written by tools/rescomp).
#include "platform/WinTypes.h"

#define DLL_PROCESS_DETACH 0u
#define DLL_PROCESS_ATTACH 1u
#define DLL_THREAD_ATTACH 2u
#define DLL_THREAD_DETACH 3u

#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)
#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_MANIFEST MAKEINTRESOURCEW(24)

#define LANG_NEUTRAL 0x00u
#define LANG_ENGLISH 0x09u
#define LANG_JAPANESE 0x11u
#define SUBLANG_NEUTRAL 0x00u
#define SUBLANG_DEFAULT 0x01u
#define MAKELANGID(p, s) (static_cast<LANGID>((static_cast<WORD>(s) << 10) | static_cast<WORD>(p)))
#define PRIMARYLANGID(l) (static_cast<WORD>(l) & 0x3FFu)

using DllEntryProc = BOOL (*)(HINSTANCE instance, DWORD reason, LPVOID reserved);

PLATFORM_API HMODULE LoadLibraryW(LPCWSTR name);
PLATFORM_API HMODULE LoadLibraryA(LPCSTR name);
/// Reference-counted; the module is unloaded when its count reaches 0.
PLATFORM_API BOOL FreeLibrary(HMODULE module);
/// A name, or an ordinal in the low word with a zero high word (the module's exported
/// "Ordinal<n>" symbol). Missing: NULL with ERROR_PROC_NOT_FOUND.
PLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name);
/// Module already loaded by that name (NULL: the host program's own module record).
PLATFORM_API HMODULE GetModuleHandleW(LPCWSTR name);
PLATFORM_API HMODULE GetModuleHandleA(LPCSTR name);
/// The Windows path the module was loaded from (or its stand-in folder path).
PLATFORM_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD cchBuffer);
PLATFORM_API BOOL DisableThreadLibraryCalls(HMODULE module);

PLATFORM_API HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
PLATFORM_API HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language);
PLATFORM_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
PLATFORM_API LPVOID LockResource(HGLOBAL resource);
PLATFORM_API DWORD SizeofResource(HMODULE module, HRSRC resource);
/// Copies string id cut to cchBuffer - 1 characters and terminates it; returns the count
/// copied, 0 when the string is missing. cchBuffer 0 stores a read-only pointer to the
/// resource text in *buffer and returns its length.
PLATFORM_API int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int cchBuffer);
using ENUMRESLANGPROCW = BOOL (*)(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param);
PLATFORM_API BOOL EnumResourceLanguagesW(HMODULE module, LPCWSTR type, LPCWSTR name, ENUMRESLANGPROCW proc,
                                         LONG_PTR param);
