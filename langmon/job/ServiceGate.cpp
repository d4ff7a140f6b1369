// The job-processing service's gate: the shared list of jobs it has already prepared, the
// offer of any other job with its two answer events, and the end-of-job notice.
#include "langmon/job/ServiceGate.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "langmon/log/EventLog.h"
#include "langmon/PortList.h"
#include "langmon/PortHolds.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "platform/Services.h"
#include "platform/Sync.h"
#include "platform/User.h"

namespace langmon {
namespace {

constexpr WCHAR kListMutex[] = u"RN_FILEMAPPING_MUTEX";
constexpr WCHAR kListMapping[] = u"RN_JOBPROCESS_FILEMAPPING";
constexpr WCHAR kServiceName[] = u"RnPJMService";
constexpr WCHAR kServiceClass[] = u"RnPJMService";
constexpr WCHAR kRunStatusValue[] = u"RunStatus";
constexpr DWORD kListHeaderBytes = 8;
constexpr DWORD kListEntryBytes = 8;
// A count beyond this is not a list the service made: the gate does not read it.
constexpr DWORD kMaxListEntries = 65536;

// A view of `cb` bytes at the start of the service's list.
MappedView MapList(HANDLE mapping, DWORD cb) {
    return MappedView(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, cb));
}

const BYTE* Bytes(const MappedView& view) { return static_cast<const BYTE*>(view.Get()); }

DWORD ReadDword(const BYTE* p) {
    DWORD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

int AsInt(DWORD jobId) { return static_cast<int>(jobId); }

// "RnLM_ALLOW7" and the like: the prefix and the JobId in decimal.
std::u16string EventName(const char16_t* prefix, DWORD jobId) {
    std::u16string name = prefix;
    for (char c : std::to_string(jobId)) name += static_cast<char16_t>(c);
    return name;
}

enum class Listed { Yes, No, Unreadable };

// Reads the service's list under its mutex. The view is mapped for the header first, then
// for exactly the entries the header counts, so the read never passes the list's end.
Listed IsListed(PortContext& port, DWORD jobId) {
    FileHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kListMutex));
    if (!mutex.Valid()) {
        ServiceLinkLog("JobID: %d Can not open file mapping mutex\r\n", AsInt(jobId));
        return Listed::Unreadable;
    }
    const DWORD wait = WaitForSingleObject(mutex.Get(), port.Waits.ServiceMutexMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED_0) {
        ServiceLinkLog("JobID: %d Can not own file mapping mutex\r\n", AsInt(jobId));
        return Listed::Unreadable;
    }
    Listed result = Listed::Unreadable;
    {
        FileHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kListHeaderBytes,
                                              kListMapping));
        const DWORD openError = GetLastError();
        if (!mapping.Valid() || openError != ERROR_ALREADY_EXISTS) {
            // A mapping made just now is not the service's list.
            ServiceLinkLog("JobID: %d Can not open file mapping; error=%d\r\n", AsInt(jobId),
                           static_cast<int>(!mapping.Valid() ? openError : ERROR_FILE_NOT_FOUND));
        } else {
            const MappedView header = MapList(mapping.Get(), kListHeaderBytes);
            if (!header.Valid()) {
                ServiceLinkLog("JobID: %d Can not access file mapping\r\n", AsInt(jobId));
            } else {
                const DWORD valid = ReadDword(Bytes(header));
                const DWORD count = ReadDword(Bytes(header) + 4);
                result = Listed::No;
                if (valid != 0 && count != 0 && count <= kMaxListEntries) {
                    const MappedView list = MapList(mapping.Get(), kListHeaderBytes + count * kListEntryBytes);
                    if (!list.Valid()) {
                        ServiceLinkLog("JobID: %d Can not access file mapping\r\n", AsInt(jobId));
                        result = Listed::Unreadable;
                    } else {
                        for (DWORD i = 0; i < count; ++i) {
                            if (ReadDword(Bytes(list) + kListHeaderBytes + i * kListEntryBytes) == jobId) {
                                result = Listed::Yes;
                                break;
                            }
                        }
                    }
                }
            }
        }
    }
    ReleaseMutex(mutex.Get());
    return result;
}

void OfferFailed(DWORD jobId, const char* step) {
    ServiceLinkLog("JobID(%d):restart error in StartDocPort(%s)\r\n", AsInt(jobId), step);
}

// The refusal's notice, in the service-link log and as a warning of the event log.
void LogCancel(const PortContext& port, DWORD jobId) {
    std::u16string text = u"ポート";
    text += port.PortName != nullptr ? port.PortName : u"";
    text += u" でプリンタジョブ " + EventName(u"", jobId) + u" をキャンセルしました(Status = 0)。";
    char ansi[512];
    ToAnsi(text.c_str(), ansi, sizeof ansi);
    ServiceLinkLog("%s", ansi);
    EventLogLine(text.c_str(), EventType::Warning);
}

// Neither the list nor the service could be reached: the service's own run status decides.
GateAnswer AskRunStatus(const PortContext& port, DWORD jobId) {
    DWORD status = 0;
    DWORD cb = sizeof status;
    DWORD type = 0;
    const MONITORINIT* init = port.Monitor != nullptr ? port.Monitor->Init : nullptr;
    if (!QueryMonitorSetting(init, kRunStatusValue, &status, &cb, &type) || cb != sizeof status) {
        ServiceLinkLog("JobID: %d Fail to query PS run status\r\n", AsInt(jobId));
        EventLogLine(u"StartDocPort関数でファイルマッピングにアクセスできません(Status = 0)。", EventType::Error);
        return GateAnswer::Unreachable;
    }
    if (status != 0) {
        EventLogLine(u"StartDocPort関数でファイルマッピングにアクセスできません(Status = 0)。", EventType::Error);
        return GateAnswer::Refused;
    }
    return GateAnswer::Print;
}

enum class OfferResult { Allowed, Refused, NotSent };

OfferResult Offer(PortContext& port, DWORD jobId) {
    const PortPrinterName printer(port);
    if (printer.get() == nullptr) {
        OfferFailed(jobId, "Get printer name");
        return OfferResult::Refused;
    }
    const ATOM atom = GlobalAddAtomW(printer.get());
    if (atom == 0) {
        OfferFailed(jobId, "GlobalAddAtom");
        return OfferResult::Refused;
    }
    OfferResult result = OfferResult::Refused;
    {
        FileHandle over(CreateEventW(nullptr, FALSE, FALSE, EventName(u"RnLM_OVER", jobId).c_str()));
        FileHandle allow(over.Valid() ? CreateEventW(nullptr, FALSE, FALSE, EventName(u"RnLM_ALLOW", jobId).c_str())
                                      : nullptr);
        if (!over.Valid()) {
            OfferFailed(jobId, "Create over event");
        } else if (!allow.Valid()) {
            OfferFailed(jobId, "Create allow event");
        } else if (!PostToJobService(kJobServiceRestart, atom, static_cast<LPARAM>(jobId))) {
            OfferFailed(jobId, "Fail to send restart message to RnPJMService");
            result = OfferResult::NotSent;
        } else {
            HANDLE both[2] = {allow.Get(), over.Get()};
            const DWORD wait = WaitForMultipleObjects(2, both, FALSE, port.Waits.ServiceAnswerMs);
            if (wait == WAIT_OBJECT_0) result = OfferResult::Allowed;
        }
    }
    GlobalDeleteAtom(atom);
    return result;
}

}  // namespace

bool PostToJobService(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = FindWindowW(kServiceClass, nullptr);
    if (window == nullptr) {
        char ansi[256];
        ToAnsi(u"RnPJMServiceのウィンドウが見つからないので、メッセージを送信することができませんでした。", ansi,
               sizeof ansi);
        ServiceLinkLog("%s", ansi);
        return false;
    }
    if (PostMessageW(window, message, wParam, lParam) == FALSE) return false;
    ServiceLinkLog("Send message to RnPJMService(Message=%x  wParam=%lx lParam=%lx", message,
                   static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
    return true;
}

bool IsJobServiceInstalled(PortContext& port) {
    port.ServiceInstalled = 0;
    // Asked as the spooler itself: the printing user may not see the service's database.
    HANDLE client = RevertToPrinterSelf();
    {
        ServiceHandle manager(OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, SC_MANAGER_CONNECT));
        if (manager.Valid()) {
            ServiceHandle service(OpenServiceW(manager.Get(), kServiceName, SERVICE_QUERY_STATUS));
            if (service.Valid()) port.ServiceInstalled = 1;
        }
    }
    if (client != nullptr) ImpersonatePrinterClient(client);
    return port.ServiceInstalled != 0;
}

GateAnswer RNStartDoc(PortContext& port, DWORD jobId) {
    ServiceLinkLog("Enter RNStartDoc(%d)\r\n", AsInt(jobId));
    switch (IsListed(port, jobId)) {
        case Listed::Yes:
            ServiceLinkLog("JobID: %d normally print out\r\n", AsInt(jobId));
            return GateAnswer::Print;
        case Listed::No:
            break;
        case Listed::Unreadable:
            return AskRunStatus(port, jobId);
    }
    ServiceLinkLog("JobID(%d):Error in StartDocPort(Not pre-processed by RnPJMService)\r\n", AsInt(jobId));
    switch (Offer(port, jobId)) {
        case OfferResult::Allowed:
            return GateAnswer::Print;
        case OfferResult::Refused:
            LogCancel(port, jobId);
            return GateAnswer::Refused;
        case OfferResult::NotSent:
            break;
    }
    return AskRunStatus(port, jobId);
}

void RNEndDoc(PortContext&, DWORD jobId) {
    ServiceLinkLog("Enter RNEndDoc(%d)", AsInt(jobId));
    PostToJobService(kJobServiceEndDoc, 0, static_cast<LPARAM>(jobId));
}

}  // namespace langmon
