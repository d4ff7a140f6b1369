#include "psw/StatusFetch.h"

#include <cstring>
#include <iterator>

#include "psw/PswLog.h"
#include "platform/Kernel.h"
#include "platform/Sync.h"

namespace {

constexpr WCHAR kRefreshRequest[] = u"RefreshStatus";

bool ValidRow(int row) { return row >= 0 && row < kVarEnd; }

void FreeValue(PSWVariable& row) {
    if (row.value != nullptr) {
        GlobalFree(row.value);
    }
    row.value = nullptr;
    row.cbValue = 0;
}

/// The size to ask for: the row's own, or the manager's answer for a row of size -1.
DWORD SizeToAsk(PSWDATA* data, const PSWVariable& row) {
    if (row.requestSize >= 0) {
        return static_cast<DWORD>(row.requestSize);
    }
    DWORD needed = 0;
    data->getPrinterStatusW(data->manager, row.name, nullptr, 0, &needed);
    return needed;
}

void AppendName(LPWSTR out, DWORD cchOut, DWORD& used, LPCWSTR name, bool first) {
    if (!first && used + 1 < cchOut) {
        out[used++] = u';';
    }
    for (; *name != u'\0' && used + 1 < cchOut; ++name) {
        out[used++] = *name;
    }
    out[used] = u'\0';
}

void LetMutexGo(PSWDATA* data) {
    if (data->ownsRefreshMutex && data->refreshMutex != nullptr) {
        ReleaseMutex(data->refreshMutex);
    }
    data->ownsRefreshMutex = FALSE;
}

}  // namespace

namespace {

DWORD FetchReturns(DWORD result) {
    LogPrint(kLogTrace, "CallGetPrinterStatus return dwRet[%d]\n", static_cast<int>(result));
    return result;
}

}  // namespace

DWORD CallGetPrinterStatus(PSWDATA* data, int row) {
    if (data == nullptr || data->variables == nullptr || !ValidRow(row) || data->getPrinterStatusW == nullptr) {
        return FetchReturns(ERR_PSW);
    }
    PSWVariable& var = data->variables[row];
    DWORD result = ERR_PSW;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD cb = SizeToAsk(data, var);
        if (cb == 0 || cb > kSrmMaxValueBytes) {
            // No value, or more than any value of the table can be: a failed fetch.
            result = ERR_PSW;
            continue;
        }
        auto* buffer = static_cast<BYTE*>(GlobalAlloc(GPTR, cb));
        if (buffer == nullptr) {
            return FetchReturns(PSWERR_OUTOFMEMORY);
        }
        DWORD needed = 0;
        result = data->getPrinterStatusW(data->manager, var.name, buffer, cb, &needed);
        if (var.value == nullptr) {
            var.value = GlobalAlloc(GPTR, cb);
            var.cbValue = var.value != nullptr ? cb : 0;
        }
        if (result == SRMRES_SUCCESS) {
            FreeValue(var);
            var.value = buffer;
            var.cbValue = cb;
            DumpJobInfo(var.name, buffer, cb);
            return FetchReturns(0);
        }
        GlobalFree(buffer);
    }
    LogPrint(kLogError, "GetPrinterStatus() failed\n");
    return FetchReturns(result);
}

void FetchIfEmpty(PSWDATA* data, int row) {
    if (ValidRow(row) && data->variables[row].value == nullptr) {
        CallGetPrinterStatus(data, row);
    }
}

DWORD CallSetNotificationMsgEx(PSWDATA* data, WORD notifyClass) {
    WCHAR names[kPswVariableRows * 66] = {};
    DWORD messages[kPswVariableRows] = {};
    DWORD count = 0;
    DWORD used = 0;
    for (int row = 0; row < kVarEnd; ++row) {
        const PSWVariable& var = data->variables[row];
        if (var.notifyClass == notifyClass) {
            AppendName(names, static_cast<DWORD>(std::size(names)), used, var.name, count == 0);
            messages[count++] = var.message;
        }
    }
    if (count == 0 || notifyClass >= std::size(data->notifyIds)) {
        LogPrint(kLogCondition, "dwNumVariables == 0\n");
        return ERR_PSW;
    }
    CallKillNotificationMsg2(data, notifyClass);
    DWORD id = 0;
    const DWORD result =
        data->setNotificationMsgExW(data->manager, count, names, data->mainWindow, messages, &id);
    if (result == SRMRES_SUCCESS) {
        data->notifyIds[notifyClass] = id;
    } else {
        LogPrint(kLogError, "SRM/SetNotificationMsgEx() is failed.\n");
    }
    return result;
}

DWORD CallSetNotificationMsg(PSWDATA* data, LPCWSTR name) {
    for (int row = 0; row < kVarEnd && name != nullptr; ++row) {
        PSWVariable& var = data->variables[row];
        if (lstrcmpW(var.name, name) != 0) {
            continue;
        }
        if (var.notifyClass != 0) {
            return ERR_PSW;
        }
        CallKillNotificationMsg(data, row);
        DWORD id = 0;
        const DWORD result = data->setNotificationMsgW(data->manager, name, data->mainWindow, var.message, &id);
        if (result == SRMRES_SUCCESS) {
            var.notifyId = id;
        } else {
            LogPrint(kLogError, "SRM/SetNotificationMsg() is failed.\n");
        }
        return result;
    }
    return ERR_PSW;
}

void CallKillNotificationMsg(PSWDATA* data, int row) {
    PSWVariable& var = data->variables[row];
    if (var.notifyId != 0 && data->killNotificationMsg != nullptr) {
        data->killNotificationMsg(data->manager, var.notifyId);
    }
    var.notifyId = 0;
}

void CallKillNotificationMsg2(PSWDATA* data, WORD notifyClass) {
    if (notifyClass >= std::size(data->notifyIds)) {
        return;
    }
    if (data->notifyIds[notifyClass] != 0 && data->killNotificationMsg != nullptr) {
        data->killNotificationMsg(data->manager, data->notifyIds[notifyClass]);
    }
    data->notifyIds[notifyClass] = 0;
}

void DestroyKillNotify(PSWDATA* data) {
    for (WORD c = 0; c < std::size(data->notifyIds); ++c) {
        CallKillNotificationMsg2(data, c);
    }
    if (data->variables != nullptr) {
        for (int row = 0; row < kVarEnd; ++row) {
            CallKillNotificationMsg(data, row);
        }
    }
}

DWORD RefreshList(const PSWDATA* data, WORD groups, LPWSTR out, DWORD cchOut) {
    DWORD count = 0;
    DWORD used = 0;
    if (cchOut == 0) {
        return 0;
    }
    out[0] = u'\0';
    for (int row = 0; row < kVarEnd; ++row) {
        const PSWVariable& var = data->variables[row];
        if ((var.refreshGroups & groups) != 0) {
            AppendName(out, cchOut, used, var.name, count == 0);
            ++count;
        }
    }
    return count;
}

DWORD CallRefreshStatus(PSWDATA* data, WORD groups) {
    if (data->refreshPending) {
        if (GetTickCount() - data->refreshSentTick < kRefreshAnswerTimeoutMs) {
            return 0;
        }
        LogPrint(kLogCondition, "RefreshStatus answer timed out\n");
        DWORD ignored = 0;
        CallResSetPrinterStatus(data, kRefreshRequest, &ignored);
        LetMutexGo(data);
    }
    if (data->refreshMutex == nullptr) {
        data->refreshMutex = CreateMutexW(nullptr, FALSE, kPollingMutexName);
        if (data->refreshMutex == nullptr) {
            return 0;
        }
    }
    const DWORD wait = WaitForSingleObject(data->refreshMutex, 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        LogPrint(kLogCondition, "dwMutexRet == WAIT_TIMEOUT\n");
        return 0;
    }
    data->ownsRefreshMutex = TRUE;
    WCHAR list[kPswVariableRows * 66];
    const DWORD count = RefreshList(data, groups, list, static_cast<DWORD>(std::size(list)));
    if (count == 0) {
        LetMutexGo(data);
        LogPrint(kLogCondition, "dwNumVariables == 0\n");
        return ERR_PSW;
    }
    const DWORD cbList = static_cast<DWORD>((lstrlenW(list) + 1) * sizeof(WCHAR));
    const DWORD result = CallSetReqPrinterStatusMsg(data, kRefreshRequest, list, cbList, WM_PSW_SET_REFRESHSTATUS);
    if (result != 0) {
        LetMutexGo(data);
    } else {
        data->refreshSentTick = GetTickCount();
    }
    return result;
}

DWORD CallSetReqPrinterStatusMsg(PSWDATA* data, LPCWSTR name, LPCWSTR list, DWORD cbList, UINT message) {
    if (data->refreshPending) {
        return 0;
    }
    data->refreshPending = TRUE;
    DWORD id = 0;
    const DWORD result =
        data->setReqPrinterStatusMsgW(data->manager, name, list, cbList, data->mainWindow, message, &id);
    if (result != SRMRES_SUCCESS) {
        data->refreshPending = FALSE;
        LogPrint(kLogError, "SRM/SetReqPrinterStatusMsg() is failed.\n");
        return result;
    }
    data->requestId = id;
    return 0;
}

DWORD CallResSetPrinterStatus(PSWDATA* data, LPCWSTR /*name*/, LPDWORD result) {
    DWORD answer = 0;
    const DWORD res = data->requestId != 0 && data->resSetPrinterStatus != nullptr
                          ? data->resSetPrinterStatus(data->manager, data->requestId, &answer)
                          : SRMRES_NOT_FOUND;
    if (res != SRMRES_SUCCESS) {
        LogPrint(kLogError, "SRM/ResSetPrinterStatus() is failed\n");
    }
    if (result != nullptr) {
        *result = answer;
    }
    data->requestId = 0;
    data->refreshPending = FALSE;
    return res;
}

void OnRefreshAnswer(PSWDATA* data) {
    if (!data->refreshPending) {
        return;  // nothing asked: an answer from elsewhere
    }
    if (data->resSetPrinterStatus != nullptr && data->requestId != 0) {
        DWORD answer = 0;
        if (data->resSetPrinterStatus(data->manager, data->requestId, &answer) == SRMRES_PENDING) {
            return;  // not answered yet: keep the request and the mutex
        }
    }
    data->requestId = 0;
    data->refreshPending = FALSE;
    LetMutexGo(data);
}

void ReleaseRefresh(PSWDATA* data) {
    if (data->refreshPending) {
        DWORD ignored = 0;
        CallResSetPrinterStatus(data, kRefreshRequest, &ignored);
    }
    LetMutexGo(data);
    if (data->refreshMutex != nullptr) {
        CloseHandle(data->refreshMutex);
        data->refreshMutex = nullptr;
    }
}
