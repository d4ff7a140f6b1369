#pragma once
// The job-file destination dialog (kJobFileDialogTemplate of the language library): the
// folder that receives the job files and the user's own file name, with the checks that keep
// the paths usable. Its parameter is the opening page's PageRecord.
#include <cstddef>

#include "platform/UserTypes.h"
#include "platform/WinTypes.h"
#include "resources/ui/ControlIds.h"
#include "settings/DriverDevMode.h"

/// The folder and name fields hold 256 characters with their terminator.
inline constexpr size_t kJobPathChars = 256;

/// Works on the scratch block (a copy of the working block); OK copies it back after every
/// check passed and ends with 1, Cancel ends with 0.
INT_PTR JobFileDestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/// The shell's folder browser: 1 with the chosen path in out when it fits outBytes with its
/// terminator, else 2 (cancelled, no path, or too long); out is unchanged on 2.
int BrowseForFolder(HWND owner, LPWSTR out, size_t outBytes);
/// 1 when the folder path is malformed: a bad character or space, a doubled separator, or not
/// a drive path ("D:", "D:\...") or a network path ("\\server\share...").
int IsBadFolderPath(LPCWSTR path);
/// 1 when the path is the Windows folder or below it (case-insensitive); 0 for a bad path.
int IsInWindowsFolder(LPCWSTR path);
/// 1 when the file name holds " / : ; < > \ | * ? or starts or ends with a space.
int HasBadFileNameChars(LPCWSTR name);
