// The service control manager's stand-in: a table of installed services by name, and handles
// to the manager and to services that carry the access they were opened with.
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/Kernel.h"
#include "platform/StandInServices.h"

struct SC_HANDLE__ {
    bool manager;
    DWORD access;
    std::u16string name;  // the service's, as installed
};

namespace {

struct NoCase {
    bool operator()(const std::u16string& a, const std::u16string& b) const { return lstrcmpiW(a.c_str(), b.c_str()) < 0; }
};

struct ServiceTable {
    std::mutex lock;
    std::map<std::u16string, DWORD, NoCase> states;
    std::set<SC_HANDLE> open;
};

ServiceTable& Table() {
    static ServiceTable table;
    return table;
}

SC_HANDLE NewHandle(ServiceTable& table, bool manager, DWORD access, const std::u16string& name) {
    SC_HANDLE handle = new SC_HANDLE__{manager, access, name};
    table.open.insert(handle);
    return handle;
}

}  // namespace

SC_HANDLE OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD access) {
    if (machineName != nullptr && machineName[0] != 0) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    if (databaseName != nullptr && lstrcmpiW(databaseName, SERVICES_ACTIVE_DATABASEW) != 0) {
        SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
        return nullptr;
    }
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    return NewHandle(table, true, access, u"");
}

SC_HANDLE OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD access) {
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.open.count(manager) == 0 || !manager->manager) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (serviceName == nullptr || serviceName[0] == 0) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    auto it = table.states.find(serviceName);
    if (it == table.states.end()) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    return NewHandle(table, false, access, it->first);
}

BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) {
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.open.count(service) == 0 || service->manager) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((service->access & SERVICE_QUERY_STATUS) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (status == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto it = table.states.find(service->name);
    *status = SERVICE_STATUS{};
    status->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status->dwCurrentState = it != table.states.end() ? it->second : SERVICE_STOPPED;
    return TRUE;
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.open.erase(handle) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete handle;
    return TRUE;
}

namespace standin::services {

void Install(const std::u16string& name, DWORD state) {
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.states[name] = state;
}

void Remove(const std::u16string& name) {
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.states.erase(name);
}

void Reset() {
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.states.clear();
}

unsigned OpenHandles() {
    ServiceTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    return static_cast<unsigned>(table.open.size());
}

}  // namespace standin::services
