// The spooler's monitor side: the port list, job control, port status, redirected devices,
// the registry functions lent to monitors, and the host that loads a language monitor.
#include <mutex>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Monitor.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "platform/src/spooler/SpoolerDatabase.h"

namespace standin::monitor {
namespace {

struct JobEntry {
    std::u16string printer;
    DWORD id = 0;
    DWORD status = 0;
    std::vector<DWORD> commands;
    std::u16string document;
    std::u16string user;
};

struct MonitorSide {
    std::mutex lock;
    std::vector<PortSetup> ports;
    std::map<std::u16string, std::u16string> redirections;
    std::vector<JobEntry> jobs;
    std::map<std::u16string, std::vector<PortStatus>> statuses;
};

MonitorSide& Side() {
    static MonitorSide* side = new MonitorSide;  // outlives monitors unloaded at exit
    return *side;
}

std::u16string Upper(std::u16string text) {
    for (auto& c : text) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return text;
}

JobEntry* FindJob(MonitorSide& side, const std::u16string& printer, DWORD id) {
    for (auto& job : side.jobs) {
        if (job.id == id && Upper(job.printer) == Upper(printer)) return &job;
    }
    return nullptr;
}

// The printer a handle stands for, or false for a server or stale handle.
bool PrinterOf(HANDLE handle, std::u16string* name) {
    auto& db = spooler::Global();
    std::lock_guard guard(db.lock);
    spooler::PrinterHandle* h = spooler::FindHandle(db, handle);
    if (h == nullptr || !h->printer) return false;
    *name = h->printer->setup.name;
    return true;
}

void PackJob(spooler::Packer& packer, const JobEntry& job) {
    auto* info = static_cast<JOB_INFO_1W*>(packer.Place(sizeof(JOB_INFO_1W), alignof(JOB_INFO_1W)));
    LPWSTR printer = packer.String(job.printer);
    LPWSTR document = job.document.empty() ? nullptr : packer.String(job.document);
    LPWSTR user = job.user.empty() ? nullptr : packer.String(job.user);
    if (info == nullptr) return;
    *info = JOB_INFO_1W{};
    info->JobId = job.id;
    info->pPrinterName = printer;
    info->pDocument = document;
    info->pUserName = user;
    info->Status = job.status;
}

}  // namespace

void ResetFilePortMonitor();

void Reset() {
    ResetFilePortMonitor();
    MonitorSide& side = Side();
    std::lock_guard guard(side.lock);
    side.ports.clear();
    side.redirections.clear();
    side.jobs.clear();
    side.statuses.clear();
}

void SetPorts(const std::vector<PortSetup>& ports) {
    std::lock_guard guard(Side().lock);
    Side().ports = ports;
}

void SetRedirection(const std::u16string& device, const std::u16string& share) {
    std::lock_guard guard(Side().lock);
    if (share.empty()) {
        Side().redirections.erase(Upper(device));
    } else {
        Side().redirections[Upper(device)] = share;
    }
}

void AddJob(const std::u16string& printer, DWORD jobId, DWORD status, const std::u16string& document,
            const std::u16string& user) {
    std::lock_guard guard(Side().lock);
    Side().jobs.push_back(JobEntry{printer, jobId, status, {}, document, user});
}

void SetJobStatus(const std::u16string& printer, DWORD jobId, DWORD status) {
    std::lock_guard guard(Side().lock);
    if (JobEntry* job = FindJob(Side(), printer, jobId)) job->status = status;
}

std::vector<DWORD> JobCommands(const std::u16string& printer, DWORD jobId) {
    std::lock_guard guard(Side().lock);
    JobEntry* job = FindJob(Side(), printer, jobId);
    return job != nullptr ? job->commands : std::vector<DWORD>{};
}

std::vector<PortStatus> PortStatuses(const std::u16string& port) {
    std::lock_guard guard(Side().lock);
    auto it = Side().statuses.find(Upper(port));
    return it != Side().statuses.end() ? it->second : std::vector<PortStatus>{};
}

// --- The spooler's registry functions: the handles are the stand-in's HKEYs ---
namespace {

HKEY Key(HANDLE h) { return static_cast<HKEY>(h); }

LONG RegCreate(HANDLE key, LPCWSTR sub, DWORD options, ACCESS_MASK access, PVOID, HANDLE* result, PDWORD disposition,
               HANDLE) {
    HKEY out = nullptr;
    const LONG rc = RegCreateKeyExW(Key(key), sub, 0, nullptr, options, access, nullptr, &out, disposition);
    if (rc == 0) *result = out;
    return rc;
}
LONG RegOpen(HANDLE key, LPCWSTR sub, ACCESS_MASK access, HANDLE* result, HANDLE) {
    HKEY out = nullptr;
    const LONG rc = RegOpenKeyExW(Key(key), sub, 0, access, &out);
    if (rc == 0) *result = out;
    return rc;
}
LONG RegClose(HANDLE key, HANDLE) { return RegCloseKey(Key(key)); }
LONG RegDelete(HANDLE key, LPCWSTR sub, HANDLE) { return RegDeleteKeyW(Key(key), sub); }
LONG RegEnumKey(HANDLE key, DWORD index, LPWSTR name, PDWORD cch, FILETIME* lastWrite, HANDLE) {
    return RegEnumKeyExW(Key(key), index, name, cch, nullptr, nullptr, nullptr, lastWrite);
}
LONG RegQueryInfo(HANDLE key, PDWORD subKeys, PDWORD cbKey, PDWORD values, PDWORD cbValue, PDWORD cbData,
                  PDWORD cbSecurity, FILETIME* lastWrite, HANDLE) {
    DWORD nKeys = 0, nValues = 0, longestKey = 0, longestValue = 0, longestData = 0;
    WCHAR name[256];
    for (;; ++nKeys) {
        DWORD cch = 256;
        if (RegEnumKeyExW(Key(key), nKeys, name, &cch, nullptr, nullptr, nullptr, nullptr) != 0) break;
        if (cch > longestKey) longestKey = cch;
    }
    for (;; ++nValues) {
        DWORD cch = 256;
        DWORD cb = 0;
        if (RegEnumValueW(Key(key), nValues, name, &cch, nullptr, nullptr, nullptr, &cb) != 0) break;
        if (cch > longestValue) longestValue = cch;
        if (cb > longestData) longestData = cb;
    }
    if (subKeys != nullptr) *subKeys = nKeys;
    if (cbKey != nullptr) *cbKey = longestKey;
    if (values != nullptr) *values = nValues;
    if (cbValue != nullptr) *cbValue = longestValue;
    if (cbData != nullptr) *cbData = longestData;
    if (cbSecurity != nullptr) *cbSecurity = 0;
    if (lastWrite != nullptr) *lastWrite = FILETIME{};
    return 0;
}
LONG RegSet(HANDLE key, LPCWSTR name, DWORD type, const BYTE* data, DWORD cb, HANDLE) {
    return RegSetValueExW(Key(key), name, 0, type, data, cb);
}
LONG RegDeleteVal(HANDLE key, LPCWSTR name, HANDLE) { return RegDeleteValueW(Key(key), name); }
LONG RegEnumVal(HANDLE key, DWORD index, LPWSTR name, PDWORD cbName, PDWORD type, PBYTE data, PDWORD cbData,
                HANDLE) {
    // The spooler counts the name in bytes.
    DWORD cch = cbName != nullptr ? *cbName / sizeof(WCHAR) : 0;
    const LONG rc = RegEnumValueW(Key(key), index, name, &cch, nullptr, type, data, cbData);
    if (cbName != nullptr) *cbName = cch * sizeof(WCHAR);
    return rc;
}
LONG RegQuery(HANDLE key, LPCWSTR name, PDWORD type, PBYTE data, PDWORD cbData, HANDLE) {
    return RegQueryValueExW(Key(key), name, nullptr, type, data, cbData);
}

MONITORREG g_registry = {sizeof(MONITORREG), RegCreate, RegOpen,    RegClose,     RegDelete, RegEnumKey,
                         RegQueryInfo,       RegSet,    RegDeleteVal, RegEnumVal, RegQuery};

}  // namespace

MONITORREG* SpoolerRegistryFunctions() { return &g_registry; }

// --- The host ---
LanguageMonitorHost::~LanguageMonitorHost() { Unload(); }

bool LanguageMonitorHost::Load(const std::u16string& moduleName, const std::u16string& monitorName) {
    module_ = LoadLibraryW(moduleName.c_str());
    if (module_ == nullptr) return false;
    entry_ = reinterpret_cast<PFN_InitializePrintMonitor2>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "InitializePrintMonitor2")));
    if (entry_ == nullptr) return false;
    const std::u16string rootPath = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\" + monitorName;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, rootPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                        nullptr) != 0) {
        return false;
    }
    static int spoolerToken;
    init_ = MONITORINIT{sizeof(MONITORINIT), &spoolerToken, root_, &g_registry, TRUE, nullptr};
    table_ = entry_(&init_, &monitor_);
    return table_ != nullptr;
}

MONITOR2* LanguageMonitorHost::Initialize(MONITORINIT* init, HANDLE* monitor) {
    return entry_ != nullptr ? entry_(init, monitor) : nullptr;
}

void LanguageMonitorHost::Unload() {
    if (table_ != nullptr && table_->pfnShutdown != nullptr) table_->pfnShutdown(monitor_);
    table_ = nullptr;
    monitor_ = nullptr;
    if (root_ != nullptr) RegCloseKey(root_);
    root_ = nullptr;
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
    entry_ = nullptr;
}

void LanguageMonitorHost::SetRootValue(const std::u16string& name, DWORD value) {
    RegSetValueExW(root_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace standin::monitor

using namespace standin;
using namespace standin::monitor;

PLATFORM_API BOOL EnumPortsW(LPWSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                             LPDWORD pcReturned) {
    if (pName != nullptr || pcbNeeded == nullptr || pcReturned == nullptr || (Level != 1 && Level != 2)) {
        SetLastError(Level != 1 && Level != 2 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<PortSetup> ports;
    {
        std::lock_guard guard(Side().lock);
        ports = Side().ports;
    }
    *pcReturned = 0;
    const size_t cbRecord = Level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    const DWORD status = spooler::PackTwoCall(pPorts, cbBuf, pcbNeeded, [&](spooler::Packer& packer) {
        // Records first, strings after them.
        auto* first = static_cast<BYTE*>(packer.Place(cbRecord * ports.size(), alignof(PORT_INFO_2W)));
        for (size_t i = 0; i < ports.size(); ++i) {
            LPWSTR name = packer.String(ports[i].name);
            if (Level == 1) {
                if (first != nullptr) reinterpret_cast<PORT_INFO_1W*>(first)[i] = PORT_INFO_1W{name};
                continue;
            }
            LPWSTR monitorName = packer.String(ports[i].monitorName);
            LPWSTR description = packer.String(ports[i].description);
            if (first != nullptr) {
                reinterpret_cast<PORT_INFO_2W*>(first)[i] =
                    PORT_INFO_2W{name, monitorName, description, ports[i].type, 0};
            }
        }
    });
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return FALSE;
    }
    *pcReturned = static_cast<DWORD>(ports.size());
    return TRUE;
}

PLATFORM_API BOOL SetPortW(LPWSTR, LPWSTR pPortName, DWORD dwLevel, LPBYTE pPortInfo) {
    if (pPortName == nullptr || pPortInfo == nullptr || dwLevel != 3) {
        SetLastError(dwLevel != 3 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* info = reinterpret_cast<const PORT_INFO_3W*>(pPortInfo);
    std::u16string_view text;
    if (info->pszStatus != nullptr && !spooler::ReadName(info->pszStatus, 1024, &text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard guard(Side().lock);
    Side().statuses[Upper(pPortName)].push_back(PortStatus{info->dwStatus, std::u16string(text), info->dwSeverity});
    return TRUE;
}

PLATFORM_API BOOL GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded) {
    std::u16string printer;
    if (!PrinterOf(hPrinter, &printer) || pcbNeeded == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (Level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    JobEntry job;
    {
        std::lock_guard guard(Side().lock);
        JobEntry* found = FindJob(Side(), printer, JobId);
        if (found == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        job = *found;
    }
    const DWORD status =
        spooler::PackTwoCall(pJob, cbBuf, pcbNeeded, [&](spooler::Packer& packer) { PackJob(packer, job); });
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return FALSE;
    }
    return TRUE;
}

PLATFORM_API BOOL EnumJobsW(HANDLE hPrinter, DWORD FirstJob, DWORD NoJobs, DWORD Level, LPBYTE pJob, DWORD cbBuf,
                            LPDWORD pcbNeeded, LPDWORD pcReturned) {
    std::u16string printer;
    if (!PrinterOf(hPrinter, &printer) || pcbNeeded == nullptr || pcReturned == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (Level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    std::vector<JobEntry> jobs;
    {
        std::lock_guard guard(Side().lock);
        DWORD index = 0;
        for (const auto& job : Side().jobs) {
            if (Upper(job.printer) != Upper(printer)) continue;
            if (index++ >= FirstJob && jobs.size() < NoJobs) jobs.push_back(job);
        }
    }
    *pcReturned = 0;
    const DWORD status = spooler::PackTwoCall(pJob, cbBuf, pcbNeeded, [&](spooler::Packer& packer) {
        auto* first = static_cast<JOB_INFO_1W*>(packer.Place(sizeof(JOB_INFO_1W) * jobs.size(), alignof(JOB_INFO_1W)));
        for (size_t i = 0; i < jobs.size(); ++i) {
            LPWSTR name = packer.String(jobs[i].printer);
            LPWSTR document = jobs[i].document.empty() ? nullptr : packer.String(jobs[i].document);
            LPWSTR user = jobs[i].user.empty() ? nullptr : packer.String(jobs[i].user);
            if (first != nullptr) {
                first[i] = JOB_INFO_1W{};
                first[i].JobId = jobs[i].id;
                first[i].pPrinterName = name;
                first[i].pDocument = document;
                first[i].pUserName = user;
                first[i].Status = jobs[i].status;
            }
        }
    });
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return FALSE;
    }
    *pcReturned = static_cast<DWORD>(jobs.size());
    return TRUE;
}

PLATFORM_API BOOL SetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE, DWORD Command) {
    std::u16string printer;
    if (!PrinterOf(hPrinter, &printer)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (Level != 0 || Command < JOB_CONTROL_PAUSE || Command > JOB_CONTROL_LAST_PAGE_EJECTED) {
        SetLastError(Level != 0 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard guard(Side().lock);
    JobEntry* job = FindJob(Side(), printer, JobId);
    if (job == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    job->commands.push_back(Command);
    if (Command == JOB_CONTROL_DELETE || Command == JOB_CONTROL_CANCEL) job->status |= JOB_STATUS_DELETING;
    return TRUE;
}

PLATFORM_API HANDLE RevertToPrinterSelf() {
    static int token;
    return &token;
}

PLATFORM_API BOOL ImpersonatePrinterClient(HANDLE hToken) {
    if (hToken == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

PLATFORM_API DWORD WNetGetConnectionW(LPCWSTR lpLocalName, LPWSTR lpRemoteName, LPDWORD lpnLength) {
    std::u16string_view local;
    if (!spooler::ReadName(lpLocalName, 64, &local) || lpnLength == nullptr) return ERROR_INVALID_PARAMETER;
    std::u16string share;
    {
        std::lock_guard guard(Side().lock);
        auto it = Side().redirections.find(Upper(std::u16string(local)));
        if (it == Side().redirections.end()) return ERROR_NOT_CONNECTED;
        share = it->second;
    }
    if (lpRemoteName == nullptr || *lpnLength < share.size() + 1) {
        *lpnLength = static_cast<DWORD>(share.size() + 1);
        return ERROR_MORE_DATA;
    }
    for (size_t i = 0; i < share.size(); ++i) lpRemoteName[i] = share[i];
    lpRemoteName[share.size()] = 0;
    return ERROR_SUCCESS;
}
