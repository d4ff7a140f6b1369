#pragma once
// Follows changes of the settings made elsewhere: a watch thread per window set waits on the
// named event "QLVDRXPSL:STATUS_SETTING_UPDATE" (shared by every window set and process) and
// tells the main window by posting WM_PSW_SETTING_UPDATE; the window thread then re-reads the
// settings (ApplyPslSetting). The watcher never touches the record and never waits for the
// window thread, so stopping it from the window thread cannot deadlock.
#include "psw/PswMessages.h"
#include "psw/PswRecord.h"
#include "platform/WinTypes.h"

inline constexpr WCHAR kSettingUpdateEvent[] = u"QLVDRXPSL:STATUS_SETTING_UPDATE";

/// Which windows ApplyPslSetting found must close.
struct PslSettingChange {
    bool closeMain;
    bool closeEws;
};

/// Window thread: creates the stop event and starts the watch thread for the main window.
BOOL StartWatchPslSetting(PSWDATA* record, HWND mainWindow);
/// Window thread: signals the stop event, waits until the watch thread has ended, closes
/// both handles. Safe to call without a thread.
void StopWatchPslSetting(PSWDATA* record);
/// The thread procedure. Its parameter is a context made by StartWatchPslSetting (the main
/// window and the stop event), which the thread frees.
DWORD WatchPslSetting(LPVOID parameter);
/// Window thread, on WM_PSW_SETTING_UPDATE: re-reads the settings; when watching is switched
/// back on, the popped-up bits are cleared (an earlier close by the watcher must not keep
/// popups suppressed); reports which visible windows must now close (the caller closes them
/// as an automatic close).
PslSettingChange ApplyPslSetting(PSWDATA* record);
/// A self-relative descriptor granting GENERIC_ALL to everyone (GlobalAlloc'd), or NULL.
void* CreateWorldRidSecurityDescriptor();
