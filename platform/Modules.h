#pragma once
// Module loading by DLL name and resources carried by each module.
//
// A module is an ELF shared object, loaded with dlopen (RTLD_NOW | RTLD_LOCAL); an HMODULE
// points at the stand-in's record of it. Names compare case-insensitively, a name without
// extension gets ".dll" (a trailing "." asks for none), and "NAME.dll" is also found as a
// file "NAME.so". LoadLibraryW resolves
//   - a name with a folder through the stand-in's file mapping (a relative one against the
//     system directory);
//   - a bare name among the loaded modules (by file name), then in the system directory,
//     then in the stand-in's module folders (Linux folders, standin::AddModuleFolder).
// The module folders stand behind the system directory: a module found there reports
// "<system directory>\NAME.dll" and is found again under that path. The platform's own DLLs
// (kernel32.dll, user32.dll, winspool.drv, ...) are always loaded: they are the stand-in
// library itself, and GetProcAddress on them finds the stand-in's exports.
//
// The first load calls the module's exported "DllMain" (or "DllInitialize") with
// DLL_PROCESS_ATTACH; when that returns FALSE the entry point is called again with
// DLL_PROCESS_DETACH, the module is closed and the load fails with ERROR_DLL_INIT_FAILED.
// The last FreeLibrary calls it with DLL_PROCESS_DETACH and closes the object. Thread
// notifications are never sent. Entry points run under the loader lock, which is recursive:
// they may load and free other modules.
//
// Resources: a module exports StandInResources() returning its resource table (the format
// of platform/ResourceTable.h, written by tools/rescomp). Resource types and names are
// integer ids only (MAKEINTRESOURCEW, or a "#123" string); named resources are not
// supported and are reported as not found.
#include "platform/WinTypes.h"

// Errors of the loader beyond the common ones.
#define ERROR_BAD_EXE_FORMAT 193u          // the file is not a loadable object
#define ERROR_DLL_INIT_FAILED 1114u        // the entry point refused DLL_PROCESS_ATTACH
#define ERROR_RESOURCE_ENUM_USER_STOP 15106u

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

/// NULL with ERROR_MOD_NOT_FOUND when no file holds the module, ERROR_BAD_EXE_FORMAT when the
/// file cannot be loaded, ERROR_DLL_INIT_FAILED when its entry point refuses. Each success is
/// one reference that FreeLibrary gives back.
PLATFORM_API_NODISCARD HMODULE LoadLibraryW(LPCWSTR name);
/// The name in the ANSI code page.
PLATFORM_API_NODISCARD HMODULE LoadLibraryA(LPCSTR name);
/// Reference-counted; the module is unloaded when its count reaches 0.
PLATFORM_API BOOL FreeLibrary(HMODULE module);
/// A name, or an ordinal in the low word with a zero high word (the module's exported
/// "Ordinal<n>" symbol). Missing: NULL with ERROR_PROC_NOT_FOUND.
PLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name);
/// Module already loaded by that file name or Windows path (NULL: the host program's own
/// module record). Takes no reference.
PLATFORM_API HMODULE GetModuleHandleW(LPCWSTR name);
PLATFORM_API HMODULE GetModuleHandleA(LPCSTR name);
/// The Windows path the module was found under (NULL: the host program, reported in the
/// system directory). Returns the length without terminator; when the buffer is too small the
/// path is cut to cchBuffer - 1 characters and terminated, and cchBuffer is returned with
/// ERROR_INSUFFICIENT_BUFFER.
PLATFORM_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD cchBuffer);
PLATFORM_API BOOL DisableThreadLibraryCalls(HMODULE module);

/// In the language the platform picks for the thread: the user's default language exactly,
/// else one of the same primary language, else a neutral one, else English (0x409), else
/// the first. Module NULL is the host program. Errors: ERROR_RESOURCE_DATA_NOT_FOUND (the
/// module has no resources), ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND.
PLATFORM_API HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
/// That language exactly (ERROR_RESOURCE_LANG_NOT_FOUND); language 0 chooses as
/// FindResourceW does.
PLATFORM_API HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language);
/// A read-only pointer to the resource's data, valid while the module stays loaded.
PLATFORM_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
PLATFORM_API LPVOID LockResource(HGLOBAL resource);
PLATFORM_API DWORD SizeofResource(HMODULE module, HRSRC resource);
/// Copies string id (language chosen as FindResourceW does) cut to cchBuffer - 1 characters
/// and terminates it; returns the count copied. A missing string returns 0 with
/// ERROR_RESOURCE_NAME_NOT_FOUND and, when cchBuffer > 0, an empty string in the buffer.
/// cchBuffer 0 stores a read-only pointer to the resource text (not terminated) in *buffer
/// and returns its length.
PLATFORM_API int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int cchBuffer);
using ENUMRESLANGPROCW = BOOL (*)(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param);
/// Calls proc for each language of the resource, in ascending order. FALSE with
/// ERROR_RESOURCE_ENUM_USER_STOP when proc stops it, with the FindResourceW errors when there
/// is no such resource.
PLATFORM_API BOOL EnumResourceLanguagesW(HMODULE module, LPCWSTR type, LPCWSTR name, ENUMRESLANGPROCW proc,
                                         LONG_PTR param);
