// The settings watch thread and what the window thread does when settings change.
#include "psw/SettingsWatch.h"

#include <cstring>

#include "psw/PswLog.h"
#include "psw/RegistrySettings.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Sync.h"
#include "platform/UserMessages.h"
#include "platform/UserWindows.h"

namespace {

// What the thread needs; it owns this block and frees it when it ends. The window thread fills
// both fields before the thread starts; the thread only reads them after that.
struct WatchContext {
    HWND mainWindow;   // the watcher only posts WM_PSW_SETTING_UPDATE to it
    HANDLE stopEvent;  // the record's watchStopEvent: the window thread sets it and closes it after the join
};

// The world SID: revision 1, one sub-authority, identifier authority 1 (world), RID 0.
constexpr BYTE kWorldSid[12] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
constexpr DWORD kGenericAll = 0x10000000;

void PutWord(BYTE* at, WORD value) { std::memcpy(at, &value, 2); }
void PutDword(BYTE* at, DWORD value) { std::memcpy(at, &value, 4); }

}  // namespace

void* CreateWorldRidSecurityDescriptor() {
    // Self-relative: a 20-byte header of offsets, the group SID, then the DACL with one
    // access-allowed ACE {type 0, flags 0, size, mask, SID}.
    constexpr DWORD kHeader = 20;
    constexpr DWORD kAce = 8 + sizeof(kWorldSid);
    constexpr DWORD kAcl = 8 + kAce;
    constexpr DWORD kTotal = kHeader + sizeof(kWorldSid) + kAcl;
    auto* block = static_cast<BYTE*>(GlobalAlloc(GPTR, kTotal));
    if (!block) return nullptr;
    block[0] = SECURITY_DESCRIPTOR_REVISION;
    PutWord(block + 2, SE_DACL_PRESENT | 0x8000u);  // SE_SELF_RELATIVE
    PutDword(block + 8, kHeader);                      // group
    PutDword(block + 16, kHeader + sizeof(kWorldSid));  // DACL
    std::memcpy(block + kHeader, kWorldSid, sizeof(kWorldSid));
    BYTE* acl = block + kHeader + sizeof(kWorldSid);
    acl[0] = 2;  // ACL revision
    PutWord(acl + 2, kAcl);
    PutWord(acl + 4, 1);
    BYTE* ace = acl + 8;
    PutWord(ace + 2, kAce);
    PutDword(ace + 4, kGenericAll);
    std::memcpy(ace + 8, kWorldSid, sizeof(kWorldSid));
    return block;
}

DWORD WatchPslSetting(LPVOID parameter) {
    auto* context = static_cast<WatchContext*>(parameter);
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof(security);
    security.lpSecurityDescriptor = CreateWorldRidSecurityDescriptor();
    HANDLE settings = CreateEventW(&security, TRUE, FALSE, kSettingUpdateEvent);
    if (security.lpSecurityDescriptor) GlobalFree(security.lpSecurityDescriptor);
    if (!settings) {
        LogPrint(kLogError, "CreateEvent() failed\n");
    } else {
        const HANDLE handles[2] = {context->stopEvent, settings};
        // Only waits and posts: the window thread may wait for this thread at any time.
        while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            ResetEvent(settings);
            PostMessageW(context->mainWindow, WM_PSW_SETTING_UPDATE, 0, 0);
        }
        CloseHandle(settings);
    }
    delete context;
    return 0;
}

BOOL StartWatchPslSetting(PSWDATA* record, HWND mainWindow) {
    record->watchStopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!record->watchStopEvent) return FALSE;
    auto* context = new WatchContext{mainWindow, record->watchStopEvent};
    record->watchThread = CreateThread(nullptr, 0, WatchPslSetting, context, 0, nullptr);
    if (!record->watchThread) {
        delete context;
        CloseHandle(record->watchStopEvent);
        record->watchStopEvent = nullptr;
        return FALSE;
    }
    return TRUE;
}

void StopWatchPslSetting(PSWDATA* record) {
    if (record->watchStopEvent) SetEvent(record->watchStopEvent);
    if (record->watchThread) {
        // The watcher never waits for this thread, so its end is near.
        WaitForSingleObject(record->watchThread, INFINITE);
        CloseHandle(record->watchThread);
        record->watchThread = nullptr;
    }
    if (record->watchStopEvent) CloseHandle(record->watchStopEvent);
    record->watchStopEvent = nullptr;
}

PslSettingChange ApplyPslSetting(PSWDATA* record) {
    const bool wasOff = (record->mainDisplayCondition & kDisplayNoWatch) != 0;
    GetRegPslSetting(record);
    const bool isOn = (record->mainDisplayCondition & kDisplayNoWatch) == 0;
    // Watching switched back on re-arms the popups: whatever closed the windows while it was
    // off (the close below counts as the user's) must not keep the jobs counted then silent.
    if (wasOff && isOn) record->poppedUp = 0;
    PslSettingChange change{};
    change.closeMain = (record->mainDisplayCondition & kDisplayOff) && record->mainWindow &&
                       IsWindowVisible(record->mainWindow);
    change.closeEws = (record->ewsDisplayCondition & kDisplayOff) && record->ewsWindow &&
                      IsWindowVisible(record->ewsWindow);
    return change;
}
