#pragma once
// Reading the status variables from the manager, the change notifications the window
// registers for, and the "RefreshStatus" request with its cross-process polling mutex. All on
// the window thread, on the record's manager connection.
#include "psw/StatusTables.h"

/// The polling mutex shared by every process that asks the monitor for a refresh.
inline constexpr WCHAR kPollingMutexName[] = u"QLVDRXPSP:PollingMutex";
/// A refresh request not answered within this time is given up, so that the polling mutex
/// is never held for good by a window whose answer was lost.
inline constexpr DWORD kRefreshAnswerTimeoutMs = 60000;

/// Fetches the row's value (two tries; a row of size -1 asks for the size on each try). On
/// success the row's buffer is replaced and its size kept in cbValue; a row that had no
/// buffer gets a zeroed one of the size asked even when both tries fail, so it is always
/// readable after the first fetch. 0, PSWERR_OUTOFMEMORY, ERR_PSW (a size of 0 or an unknown
/// row) or the manager's result.
DWORD CallGetPrinterStatus(PSWDATA* data, int row);
/// Fetches the row only when it has no value yet.
void FetchIfEmpty(PSWDATA* data, int row);

/// Registers every row of the class with one SetNotificationMsgExW to the main window.
/// ERR_PSW when no row has that class.
DWORD CallSetNotificationMsgEx(PSWDATA* data, WORD notifyClass);
/// Registers one row by name; ERR_PSW for an unknown name or a row its class registration
/// already covers.
DWORD CallSetNotificationMsg(PSWDATA* data, LPCWSTR name);
void CallKillNotificationMsg(PSWDATA* data, int row);
void CallKillNotificationMsg2(PSWDATA* data, WORD notifyClass);
/// Kills every registration of the record.
void DestroyKillNotify(PSWDATA* data);

/// The ";"-joined names of the rows in any of the groups, in table order (no trailing ";").
/// Returns the number of names; out is cut to cchOut characters and terminated.
DWORD RefreshList(const PSWDATA* data, WORD groups, LPWSTR out, DWORD cchOut);
/// Asks the manager to refresh the rows of the groups, under the polling mutex taken without
/// waiting: 0 when sent or when another asker holds the mutex, ERR_PSW when no row is in the
/// groups, or the manager's result. A request still pending sends nothing, unless it is older
/// than kRefreshAnswerTimeoutMs, in which case it is given up first.
DWORD CallRefreshStatus(PSWDATA* data, WORD groups);
DWORD CallSetReqPrinterStatusMsg(PSWDATA* data, LPCWSTR name, LPCWSTR list, DWORD cbList, UINT message);
/// Closes the pending request; *result gets the monitor's answer.
DWORD CallResSetPrinterStatus(PSWDATA* data, LPCWSTR name, LPDWORD result);
/// The answer message (0x465): closes the request and lets the polling mutex go. A request
/// the manager reports still pending stays open (a message from elsewhere closes nothing).
void OnRefreshAnswer(PSWDATA* data);
/// Gives up a pending request and the polling mutex, and closes the mutex handle.
void ReleaseRefresh(PSWDATA* data);
