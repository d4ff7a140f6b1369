#pragma once
// The settings lock, the process-wide shared model description with its use count, the
// cache file beside the data file, and whole-file mapping.
#include <cstddef>

#include "platform/WinTypes.h"
#include "settings/ModelDescription.h"

/// Called once when the library is enabled (DrvEnableDriver, UI process attach).
void InitSettingsLock();
/// Frees the shared image and deletes the lock (DrvDisableDriver, UI process detach).
void FreeSettingsLock();
void EnterSettingsLock();
void LeaveSettingsLock();

/// The printer's model description, shared when possible; give it back with
/// ReleaseModelDescription. NULL when the lock is not initialised, when the driver
/// information, data file or memory is missing, or when the data-file path does not fit the
/// 260-character shared key. Callers never change the image.
[[nodiscard]] const ModelDescription* AcquireModelDescription(HANDLE printer);
/// The shared image's use count drops by one (never below 0; the image stays for the next
/// acquire); a private copy is freed. NULL is ignored.
void ReleaseModelDescription(const ModelDescription* image);
/// The shared image's use count (for tests and diagnostics).
DWORD SharedModelUseCount();

/// 1 when the image was copied into buffer (only when cbBuffer equals the image's size);
/// otherwise 0 with *cbImage = the image's size (0 when none can be had).
[[nodiscard]] int GetModelDescriptionImage(LPCWSTR dataFilePath, BYTE* buffer, DWORD cbBuffer, DWORD* cbImage);
/// A GlobalAlloc copy of a usable cache file (status 1), else NULL (status 0): the cache
/// must be no older than the data file and pass IsModelImageConsistent whole.
[[nodiscard]] ModelDescription* LoadModelCache(LPCWSTR dataFilePath, int* status);
void WriteModelCache(LPCWSTR dataFilePath, const ModelDescription* image);
/// The cache path: the data-file path with the text after its last "." replaced by "VMC"
/// (".VMC" appended when there is none). FALSE when it does not fit cchOut.
[[nodiscard]] BOOL MakeModelCachePath(LPCWSTR dataFilePath, LPWSTR out, size_t cchOut);

/// Maps a whole file read-only; TRUE with the view in both outputs (the second is a read
/// cursor for the caller). The caller unmaps the view. An empty file fails.
[[nodiscard]] BOOL MapWholeFile(LPCWSTR path, const BYTE** view, const BYTE** cursor, DWORD* cbFile);
