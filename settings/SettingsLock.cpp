// The settings lock and the process-wide shared model description with its use count.
// These are the library's only file-level state: one image per loaded library, shared by
// every printer of the same data file.
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "settings/ModelCache.h"

namespace {

constexpr size_t kSharedKeyChars = 260;

CRITICAL_SECTION g_lock;
bool g_lockReady = false;
BYTE* g_sharedImage = nullptr;  // GlobalAlloc block
DWORD g_useCount = 0;
WCHAR g_sharedKey[kSharedKeyChars];

// The printer driver's DRIVER_INFO_2 as a GlobalAlloc block, or NULL.
DRIVER_INFO_2W* GetDriverInfo(HANDLE printer) {
    DWORD cbNeeded = 0;
    if (GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &cbNeeded) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || cbNeeded < sizeof(DRIVER_INFO_2W)) {
        return nullptr;
    }
    auto* info = static_cast<DRIVER_INFO_2W*>(GlobalAlloc(GPTR, cbNeeded));
    if (info == nullptr) return nullptr;
    if (!GetPrinterDriverW(printer, nullptr, 2, reinterpret_cast<LPBYTE>(info), cbNeeded, &cbNeeded)) {
        GlobalFree(info);
        return nullptr;
    }
    return info;
}

// A new GlobalAlloc block holding the data file's image (size query, then fill), or NULL.
BYTE* BuildImage(LPCWSTR dataFilePath) {
    DWORD cbImage = 0;
    (void)GetModelDescriptionImage(dataFilePath, nullptr, 0, &cbImage);  // the size query: 0 with the size
    if (cbImage == 0) return nullptr;
    auto* block = static_cast<BYTE*>(GlobalAlloc(GPTR, cbImage));
    if (block == nullptr) return nullptr;
    DWORD cbFilled = 0;
    if (GetModelDescriptionImage(dataFilePath, block, cbImage, &cbFilled) != 1) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

size_t PathLength(LPCWSTR path) {
    size_t length = 0;
    while (length < kSharedKeyChars && path[length] != u'\0') ++length;
    return length;
}

// Called with the lock held.
const ModelDescription* AcquireLocked(LPCWSTR dataFilePath) {
    if (g_sharedImage != nullptr && lstrcmpW(g_sharedKey, dataFilePath) == 0) {
        ++g_useCount;
        return reinterpret_cast<const ModelDescription*>(g_sharedImage);
    }
    if (g_useCount == 0) {
        if (BYTE* block = BuildImage(dataFilePath)) {
            if (g_sharedImage != nullptr) GlobalFree(g_sharedImage);
            g_sharedImage = block;
            g_useCount = 1;
            lstrcpynW(g_sharedKey, dataFilePath, static_cast<int>(kSharedKeyChars));
            return reinterpret_cast<const ModelDescription*>(g_sharedImage);
        }
    }
    // The shared image serves another data file, or sharing failed: a private copy.
    return reinterpret_cast<const ModelDescription*>(BuildImage(dataFilePath));
}

}  // namespace

void InitSettingsLock() {
    if (g_lockReady) return;
    InitializeCriticalSection(&g_lock);
    g_lockReady = true;
    g_sharedImage = nullptr;
    g_useCount = 0;
    g_sharedKey[0] = u'\0';
}

void FreeSettingsLock() {
    if (!g_lockReady) return;
    EnterCriticalSection(&g_lock);
    if (g_sharedImage != nullptr) GlobalFree(g_sharedImage);
    g_sharedImage = nullptr;
    g_useCount = 0;
    g_sharedKey[0] = u'\0';
    LeaveCriticalSection(&g_lock);
    DeleteCriticalSection(&g_lock);
    g_lockReady = false;
}

void EnterSettingsLock() {
    if (g_lockReady) EnterCriticalSection(&g_lock);
}

void LeaveSettingsLock() {
    if (g_lockReady) LeaveCriticalSection(&g_lock);
}

const ModelDescription* AcquireModelDescription(HANDLE printer) {
    if (!g_lockReady) return nullptr;
    DRIVER_INFO_2W* info = GetDriverInfo(printer);
    if (info == nullptr) return nullptr;
    const ModelDescription* image = nullptr;
    // A path that does not fit the shared key gives no image rather than a cut key that
    // could name another file.
    LPCWSTR dataFilePath = info->pDataFile;
    if (dataFilePath != nullptr && dataFilePath[0] != u'\0' && PathLength(dataFilePath) < kSharedKeyChars) {
        EnterCriticalSection(&g_lock);
        image = AcquireLocked(dataFilePath);
        LeaveCriticalSection(&g_lock);
    }
    GlobalFree(info);
    return image;
}

void ReleaseModelDescription(const ModelDescription* image) {
    if (image == nullptr || !g_lockReady) return;
    EnterCriticalSection(&g_lock);
    if (reinterpret_cast<const BYTE*>(image) == g_sharedImage) {
        // The shared image stays for the next acquire; a surplus release leaves the count at 0.
        if (g_useCount > 0) --g_useCount;
    } else {
        GlobalFree(const_cast<ModelDescription*>(image));
    }
    LeaveCriticalSection(&g_lock);
}

DWORD SharedModelUseCount() {
    if (!g_lockReady) return 0;
    EnterCriticalSection(&g_lock);
    const DWORD count = g_useCount;
    LeaveCriticalSection(&g_lock);
    return count;
}
