#include "psw/PopupConditions.h"

#include <cstring>
#include <initializer_list>
#include <iterator>

#include "psw/PswLog.h"
#include "psw/RegistrySettings.h"
#include "psw/StatusFetch.h"
#include "psw/WindowSetDisplay.h"
#include "platform/User.h"

namespace {

constexpr DWORD kJobRecordBytes = sizeof(SRM_JOB_INFO_W);

/// The first of the three deciding bits, or 0 when none is set.
DWORD Mode(DWORD condition) {
    for (DWORD bit : {kPopupPrinting, kPopupIcon, kPopupErrorOnly}) {
        if ((condition & bit) != 0) {
            return bit;
        }
    }
    return 0;
}

bool IsNew(const PSWCounter& c) { return c.previous == 0 && c.latest != 0; }
bool Any(const PSWCounter& c) { return c.latest != 0; }

/// The state the conditions read, taken once from the record.
struct View {
    bool error;
    bool live;
    bool lmOrPolling;
    bool kindClear;
    const PSWDATA* d;
};

View Look(const PSWDATA* d) {
    const bool lm = (PswValueDword(d->variables[kVarLMStatus], 0) & 1u) != 0 ||
                    (PswValueDword(d->variables[kVarCompulsivePolling], 0) & 1u) != 0;
    const bool kindClear = (PswStatusKind(d->statusRow) & kKindHoldsJob) == 0;
    return {PswStatusClass(d->statusRow) == StatusClass::Error, lm || kindClear, lm, kindClear, d};
}

/// The other-users rule of 0x4 (only when I have no jobs): an error the queues explain.
bool OtherErrorOnly(const View& v) {
    if (!v.error) {
        return false;
    }
    if (v.lmOrPolling) {
        return true;
    }
    return Any(v.d->printerQueueJobs) || (Any(v.d->spoolerQueueJobs) && v.kindClear);
}

bool HaveMyJobs(const PSWDATA* d) { return Any(d->myPrintingJobs) || Any(d->mySpoolingJobs); }

/// The exit line of a check, which always reports success.
BOOL Returns(const char* function) {
    LogPrint(kLogTrace, "%s return TRUE\n", function);
    return TRUE;
}

}  // namespace

DWORD QueueJobCount(const PSWVariable& queue) {
    if (queue.value == nullptr || queue.cbValue < sizeof(DWORD)) {
        return 0;
    }
    const DWORD count = PswValueDword(queue, 0);
    const DWORD fits = (queue.cbValue - sizeof(DWORD)) / kJobRecordBytes;
    return count < fits ? count : fits;
}

DWORD CountMyJobs(const PSWVariable& queue, LPCWSTR userName) {
    const DWORD count = QueueJobCount(queue);
    if (count == 0) {
        return 0;  // also a queue without a value
    }
    const BYTE* records = static_cast<const BYTE*>(queue.value) + sizeof(DWORD);
    DWORD mine = 0;
    for (DWORD i = 0; i < count; ++i) {
        SRM_JOB_INFO_W job;
        std::memcpy(&job, records + i * kJobRecordBytes, sizeof(job));
        job.szUserName[std::size(job.szUserName) - 1] = u'\0';
        if (lstrcmpiW(job.szUserName, userName) == 0) {
            ++mine;
        }
    }
    return mine;
}

DWORD CountPrintingMyJob(const PSWDATA* data) { return CountMyJobs(data->variables[kVarPrinterQueue], data->userName); }

DWORD CountSpoolingMyJob(const PSWDATA* data) { return CountMyJobs(data->variables[kVarSpoolerQueue], data->userName); }

BOOL GetPopupJobInfo(PSWDATA* d, UINT message) {
    d->printerQueueJobs.previous = d->printerQueueJobs.latest;
    d->spoolerQueueJobs.previous = d->spoolerQueueJobs.latest;
    if (message == WM_PSW_SPOOLERQUEUE) {
        if (CallGetPrinterStatus(d, kVarSpoolerQueue) != 0) {
            LogPrint(kLogError, "CallGetPrinterStatus() failed\n");
            return FALSE;
        }
        d->spoolerQueueJobs.latest = QueueJobCount(d->variables[kVarSpoolerQueue]);
    } else if (message == WM_PSW_PRINTERQUEUE) {
        if (CallGetPrinterStatus(d, kVarPrinterQueue) != 0) {
            LogPrint(kLogError, "CallGetPrinterStatus() failed\n");
            return FALSE;
        }
        d->printerQueueJobs.latest = QueueJobCount(d->variables[kVarPrinterQueue]);
    }
    for (PSWCounter* c : {&d->myPrintingJobs, &d->otherPrintingJobs, &d->mySpoolingJobs, &d->otherSpoolingJobs,
                          &d->myTotalJobs, &d->allJobs}) {
        c->previous = c->latest;
    }
    if (message == WM_PSW_SPOOLERQUEUE) {
        d->mySpoolingJobs.latest = CountSpoolingMyJob(d);
        d->otherSpoolingJobs.latest = d->spoolerQueueJobs.latest - d->mySpoolingJobs.latest;
    } else if (message == WM_PSW_PRINTERQUEUE) {
        d->myPrintingJobs.latest = CountPrintingMyJob(d);
        d->otherPrintingJobs.latest = d->printerQueueJobs.latest - d->myPrintingJobs.latest;
    }
    d->myTotalJobs.latest = d->mySpoolingJobs.latest + d->myPrintingJobs.latest;
    d->allJobs.latest = d->spoolerQueueJobs.latest + d->printerQueueJobs.latest;
    return TRUE;
}

PopupDisplay DecideDisplay(const PSWDATA* d) {
    const View v = Look(d);
    PopupDisplay out{false, false};
    const bool mineFresh =
        (IsNew(d->myPrintingJobs) || (IsNew(d->mySpoolingJobs) && v.error && v.live)) && (d->poppedUp & 1u) == 0;
    switch (Mode(d->popUpCondition)) {
    case kPopupPrinting:
        out.show = mineFresh;
        break;
    case kPopupIcon:
        if ((d->popUpCondition & kPopupIconOnError) != 0) {
            if (Any(d->myPrintingJobs)) {
                out = {true, !v.error};
            } else if (Any(d->mySpoolingJobs) && v.error) {
                out.show = v.live;
            }
        } else if (mineFresh) {
            out = {true, true};
        }
        break;
    case kPopupErrorOnly:
        if (Any(d->myPrintingJobs) && v.error) {
            out.show = true;
        } else if (Any(d->mySpoolingJobs) && v.error) {
            out.show = v.live;
        }
        break;
    default:
        break;
    }
    const bool otherArmed = (d->poppedUp & 2u) == 0;
    switch (Mode(d->popUpConditionEx)) {
    case kPopupPrinting:
        if ((IsNew(d->otherPrintingJobs) || (IsNew(d->otherSpoolingJobs) && v.error && v.live)) && otherArmed) {
            out.show = true;
        }
        break;
    case kPopupIcon:
        if ((d->popUpConditionEx & kPopupIconOnError) != 0) {
            if (Any(d->otherPrintingJobs)) {
                // Shows whatever my side decided; it may ask for an icon, never take it back.
                out.show = true;
                out.asIcon = out.asIcon || !v.error;
            } else if (Any(d->otherSpoolingJobs) && v.error && v.live) {
                out.show = true;
            }
        } else if ((IsNew(d->otherPrintingJobs) || (IsNew(d->otherSpoolingJobs) && v.error && v.live)) &&
                   otherArmed) {
            out = {true, true};
        }
        break;
    case kPopupErrorOnly:
        if (!HaveMyJobs(d) && OtherErrorOnly(v)) {
            out.show = true;
        }
        break;
    default:
        break;
    }
    return out;
}

PopupSize DecideChangeSize(const PSWDATA* d) {
    const View v = Look(d);
    PopupSize out{false, false};
    const bool mine = HaveMyJobs(d);
    const bool other = Any(d->otherPrintingJobs) || Any(d->otherSpoolingJobs);
    auto iconRule = [&](DWORD cond, bool jobs) {
        if ((cond & kPopupIconOnError) != 0) {
            out.restore |= jobs && v.error;
            out.minimise |= jobs && !v.error;
        } else {
            out.minimise |= jobs;
        }
    };
    switch (Mode(d->popUpCondition)) {
    case kPopupPrinting: out.restore |= mine; break;
    case kPopupIcon: iconRule(d->popUpCondition, mine); break;
    case kPopupErrorOnly: out.restore |= mine && v.error; break;
    default: break;
    }
    switch (Mode(d->popUpConditionEx)) {
    case kPopupPrinting: out.restore |= other; break;
    case kPopupIcon: iconRule(d->popUpConditionEx, other); break;
    case kPopupErrorOnly: out.restore |= !mine && OtherErrorOnly(v); break;
    default: break;
    }
    if (out.restore) {
        out.minimise = false;
    }
    return out;
}

bool DecideClose(const PSWDATA* d) {
    const View v = Look(d);
    bool stay = false;
    switch (Mode(d->popUpCondition)) {
    case kPopupPrinting:
    case kPopupIcon:
        stay = Any(d->myPrintingJobs) || (Any(d->mySpoolingJobs) && v.error);
        break;
    case kPopupErrorOnly:
        stay = HaveMyJobs(d) && v.error;
        break;
    default:
        break;
    }
    switch (Mode(d->popUpConditionEx)) {
    case kPopupPrinting:
    case kPopupIcon:
        stay = stay || Any(d->otherPrintingJobs) || (Any(d->otherSpoolingJobs) && v.error);
        break;
    case kPopupErrorOnly:
        stay = stay || (!HaveMyJobs(d) && OtherErrorOnly(v));
        break;
    default:
        break;
    }
    return !stay;
}

BOOL CheckDisplayAndClose(PSWDATA* d) {
    if (d->userStart != kShowAutomatic) {
        LogPrint(kLogCondition, "lpPSWData->uiUserStart != 0\n");
        return Returns("CheckDisplayAndClose");
    }
    FetchIfEmpty(d, kVarLMStatus);
    FetchIfEmpty(d, kVarCompulsivePolling);
    const bool passedZero = (d->myTotalJobs.previous == 0) != (d->myTotalJobs.latest == 0) ||
                            (d->allJobs.previous == 0) != (d->allJobs.latest == 0);
    if (passedZero || PswStatusClass(d->statusRow) == StatusClass::Error) {
        GetRegOptPopValue(d);
    }
    if ((d->mainDisplayCondition & kDisplayOff) != 0) {
        LogPrint(kLogCondition, "dwDispConditionPSW PSWDEF_DC_NODISPLAY is stand\n");
        return Returns("CheckDisplayAndClose");
    }
    if (!IsWindowVisible(d->mainWindow)) {
        CheckDisplayCondition(d);
        return Returns("CheckDisplayAndClose");
    }
    CheckChangeSizeCondition(d);
    CheckCloseCondition(d);
    return Returns("CheckDisplayAndClose");
}

BOOL CheckDisplayCondition(PSWDATA* d) {
    d->showAsIcon = 0;
    const PopupDisplay decision = DecideDisplay(d);
    d->showAsIcon = decision.asIcon ? 1 : 0;
    if (decision.show) {
        psw::DisplayStatusWindow(d->mainWindow, kShowAutomatic);
    }
    return Returns("CheckDisplayCondition");
}

BOOL CheckChangeSizeCondition(PSWDATA* d) {
    const PopupSize decision = DecideChangeSize(d);
    if (decision.restore) {
        SetForegroundWindow(d->mainWindow);
        ShowWindow(d->mainWindow, SW_RESTORE);
    } else if (decision.minimise) {
        ShowWindow(d->mainWindow, SW_MINIMIZE);
    }
    return Returns("CheckChangeSizeCondition");
}

BOOL CheckCloseCondition(PSWDATA* d) {
    if (DecideClose(d)) {
        psw::CloseStatusWindow(d->mainWindow, FALSE);
    }
    return Returns("CheckCloseCondition");
}
