#pragma once
// The manager stand-in's own exports, which the real manager does not have: the records a test
// reads and the refresh answer a port monitor's host installs. Hosts and tests resolve them
// from the stand-in by name; the manager's interface itself is platform/StatusManager.h.
#include <cstddef>

#include "platform/StatusManager.h"
#include "platform/WinTypes.h"

/// A window message the manager would have posted: tests read them in posting order.
struct SRM_POST_RECORD {
    DWORD processId;   // the process that registered (or asked for a refresh)
    DWORD message;
    ULONGLONG window;
    WCHAR printer[260];
    WCHAR variable[64];  // the changed variable, or "RefreshStatus" for a request's answer
};
static_assert(offsetof(SRM_POST_RECORD, window) == 8 && offsetof(SRM_POST_RECORD, printer) == 16);
static_assert(offsetof(SRM_POST_RECORD, variable) == 536 && sizeof(SRM_POST_RECORD) == 664);

/// Every update a client made, changed or not, in order.
struct SRM_UPDATE_RECORD {
    DWORD processId;
    DWORD cbValue;   // the size as stored (wide layout)
    DWORD changed;   // 1 when the value differed from the stored one
    DWORD reserved;
    WCHAR printer[260];
    WCHAR variable[64];
};
static_assert(offsetof(SRM_UPDATE_RECORD, printer) == 16 && sizeof(SRM_UPDATE_RECORD) == 664);

/// Copies up to `capacity` records (oldest first) and returns how many there are in all.
using PFN_SrmTestReadPosts = DWORD (*)(SRM_POST_RECORD* records, DWORD capacity);
using PFN_SrmTestReadUpdates = DWORD (*)(SRM_UPDATE_RECORD* records, DWORD capacity);
using PFN_SrmTestClearRecords = void (*)();
/// Live event registrations (SetNotificationEventExA) of the calling process for the printer:
/// one per registration, whatever the number of its events.
using PFN_SrmTestEventRegistrations = DWORD (*)(LPCWSTR printer);

/// Stores a value for the printer as given, without the variable's size rule (a manager that
/// answers with odd sizes or an overlong list); registered clients are told as for an update.
using PFN_SrmTestSetRawValue = DWORD (*)(LPCWSTR printer, LPCWSTR name, LPCVOID value, DWORD cb);
/// Refresh requests of any process that are placed and not yet closed (pending, or answered
/// and not collected by ResSetPrinterStatus).
using PFN_SrmTestOpenRequests = DWORD (*)();
/// This process's wait for a direct refresh on a settings-interface connection, in place of
/// kSrmSettingsRefreshWaitMs (0 restores it).
using PFN_SrmTestSetSettingsRefreshWait = void (*)(DWORD milliseconds);

/// The modes of this process's OpenManagerExW calls that succeeded, oldest first, since the
/// last SrmTestClearRecords; returns how many there are in all.
using PFN_SrmTestOpenedModes = DWORD (*)(DWORD* modes, DWORD capacity);
/// SetReqPrinterStatusMsgW in this process answers `result` without placing anything (0: it
/// places requests again).
using PFN_SrmTestSetRequestRefusal = void (*)(DWORD result);

/// The spooler's jobs or pause of the printer changed: the manager reads the spooler again and
/// updates "SpoolerQueue", "SpoolerStatus", the records of "PrinterQueue" and "CurrentStatus",
/// telling their registered clients (as the spooler's change notice would make it).
/// SRMRES_NOT_FOUND for a printer the spooler does not know.
using PFN_SrmStandInSpoolerChanged = DWORD (*)(LPCWSTR printer);

/// How the manager reaches the monitor: the host of the port monitor installs the answer to
/// "Refresh:<printer>" (0, SRMRES_NOT_DONE or SRMRES_BUSY); the manager's thread in that process
/// calls it for every request from any process, with "RefreshStatus" set to the request's list
/// (ANSI through GetPrinterStatusA). NULL removes it. Without one, requests answer SRMRES_NOT_DONE.
using SrmRefreshHandler = DWORD (*)(LPCWSTR printer, void* context);
using PFN_SrmStandInSetRefreshHandler = BOOL (*)(SrmRefreshHandler handler, void* context);
