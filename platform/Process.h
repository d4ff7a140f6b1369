#pragma once
// Threads' priorities, starting programs, and GUIDs.
#include "platform/WinTypes.h"

#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF
#define SW_SHOWNORMAL 1

/// A pseudo handle for the calling thread.
PLATFORM_API HANDLE GetCurrentThread();
/// The stand-in keeps a priority per thread (never applied to the real thread), so tests can
/// read what a driver set. Only GetCurrentThread's handle is known: any other handle gives
/// THREAD_PRIORITY_ERROR_RETURN (or FALSE) with ERROR_INVALID_HANDLE.
PLATFORM_API int GetThreadPriority(HANDLE thread);
PLATFORM_API BOOL SetThreadPriority(HANDLE thread, int priority);
/// Records the command line (see standin::ExecutedCommands) and never runs it; returns 33,
/// or ERROR_FILE_NOT_FOUND for an empty or missing command line.
PLATFORM_API UINT WinExec(LPCSTR commandLine, UINT showCommand);
/// Exported by the stand-in and reached as "ole32.dll" through LoadLibraryW/GetProcAddress.
/// A host or test can fix the next GUID (standin::SetNextGuid); otherwise a random version-4
/// GUID. Returns S_OK (0), or E_INVALIDARG for a NULL pointer.
PLATFORM_API LONG CoCreateGuid(GUID* guid);
