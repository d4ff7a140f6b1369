#pragma once
// The monitor's link to the status resource manager "KWTQSRMZ.DLL": loading it by name,
// resolving its entry points, and the binding of one printer to it.
#include "langmon/PortThread.h"
#include "platform/StatusManager.h"
#include "platform/WinTypes.h"

/// The manager's entry points, in the order they are resolved. A missing one stays NULL. The
/// event-request and callback ones are resolved but never called (kept so that a manager
/// without them is seen the same way as before).
struct SrmEntryPoints {
    PFN_OpenManagerExW OpenManagerExW;
    PFN_CloseManager CloseManager;
    PFN_GetPrinterStatusA GetPrinterStatusA;
    PFN_GetPrinterStatusW GetPrinterStatusW;
    PFN_SetReqPrinterStatusEventA SetReqPrinterStatusEventA;
    PFN_ResSetPrinterStatus ResSetPrinterStatus;
    PFN_UpdatePrinterStatusA UpdatePrinterStatusA;
    PFN_SetNotificationEventA SetNotificationEventA;
    PFN_SetNotificationEventExA SetNotificationEventExA;
    PFN_KillNotificationEvent KillNotificationEvent;
    PFN_SetNotificationCallbackExA SetNotificationCallbackExA;
    PFN_KillNotificationCallback KillNotificationCallback;
};

inline constexpr WCHAR kSrmMonitorClient[] = u"\\\\.\\kjlmon";
inline constexpr DWORD kSrmMonitorMode = 1;

/// Loads the manager by its bare name and resolves every entry point it has. Returns the
/// module (one reference, given back with FreeLibrary) or NULL with the loader's error;
/// `entries` is cleared first either way.
[[nodiscard]] HMODULE LoadStatusManagerLibrary(SrmEntryPoints* entries);

/// Bits of SrmBinding::flags.
inline constexpr DWORD kBindingQueueSent = 0x1;   // PrinterQueue already sent in this run
inline constexpr DWORD kBindingNoPush = 0x2;      // the printer does not use this monitor
inline constexpr DWORD kBindingSeen = 0x10000;    // found by the last printer scan

namespace langmon {
struct PortContext;
}

/// One printer bound to a port's status variables. A block of the monitor heap, linked from
/// the port; the binding owns its module reference, manager handle and handles, and its
/// notification thread, which is joined before the binding is freed. Rules as in
/// PortContext.h, "lock" being the port's PortLock. "own thread" fields are changed only
/// under PortLock, and only by the binding's notification thread while it runs (by the maker
/// or a reconnect while none runs), so that thread reads them without the lock.
struct SrmBinding {
    WCHAR printerName[MAX_PATH];  // own thread: renamed by the notification thread
    HMODULE module;          // own thread
    DWORD manager;           // own thread: 0: not connected
    HANDLE printer;          // fixed once linked: OpenPrinterW handle, NULL when not opened
    SrmEntryPoints entries;  // own thread
    DWORD notifyThreadId;    // lock
    HANDLE printerOpened;    // fixed: manual reset
    DWORD callbackId;        // never set: no callback is registered
    DWORD flags;             // lock
    DWORD lastPortStatus;    // lock
    ULONGLONG modelMask;     // fixed
    SrmBinding* next;        // lock
    langmon::PortContext* port;  // fixed: the port it is bound to
    // Its notification thread until joined (lock; none held when none runs), and the event set
    // when the binding is removed, which ends that thread (fixed, manual reset).
    langmon::PortThread notify;
    DWORD joining;           // lock: a closing port is joining that thread
    // The last `PrinterExtStatus` the monitor gave the manager for this printer; recorded with
    // the push, under the same lock, so that the notification thread can tell its own change
    // (the manager holds this value) from another client's.
    DWORD extStatusPushed;   // lock
    DWORD extStatusPushedKnown;  // lock: non-zero once a push was recorded
};

/// UpdatePrinterStatusA through the binding, recording what `PrinterExtStatus` was given.
/// Caller holds the port's PortLock.
[[nodiscard]] DWORD PushVariable(SrmBinding& binding, LPCSTR name, const void* value, DWORD cb);

/// True when plain updates can reach the manager through this binding.
[[nodiscard]] inline bool BindingConnected(const SrmBinding& binding) {
    return binding.manager != 0 && binding.entries.UpdatePrinterStatusA != nullptr;
}
