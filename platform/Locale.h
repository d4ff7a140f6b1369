#pragma once
// The languages the system reports for the user's interface and for the system itself, and
// the user's shell folders. The stand-in's answers are set through platform/StandInLocale.h.
#include "platform/WinTypes.h"

/// The user-interface language (default: the user's default language of the stand-in).
PLATFORM_API LANGID GetUserDefaultUILanguage();
/// The system's language (default: the user's default language of the stand-in).
PLATFORM_API LANGID GetSystemDefaultLangID();

#define CSIDL_DESKTOPDIRECTORY 0x0010
#define SHGFP_TYPE_CURRENT 0u
/// Folder CSIDL_DESKTOPDIRECTORY only: "C:\Users\<user name>\Desktop", created when missing,
/// copied into path (MAX_PATH characters). Others: E_INVALIDARG. S_OK (0) on success.
PLATFORM_API LONG SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
