// Event log and service-link log: files at the end of which lines are added.
#include "langmon/log/EventLog.h"

#include <cstdarg>
#include <cstdio>

#include "langmon/MonitorProcess.h"
#include "platform/Files.h"
#include "platform/LastErrorKeeper.h"
#include "platform/Registry.h"

namespace langmon {
namespace {

constexpr WCHAR kServiceLogName[] = u"RnPJMSKV-TD520.log";
constexpr CHAR kEventSource[] = "ZEV KV-TD520 LanguageMonitor";
constexpr DWORD kLineMax = 1024;

EventLogState& State() { return Process().EventLog; }

LPCSTR TypeWord(EventType type) {
    switch (type) {
    case EventType::Message: return "Message";
    case EventType::Warning: return "Warning";
    case EventType::Error: return "Error";
    }
    return "Message";
}

// "<folder><name>" or false when it does not fit.
bool JoinPath(LPCWSTR folder, LPCWSTR name, LPWSTR out) {
    const int cchFolder = lstrlenW(folder);
    const int cchName = lstrlenW(name);
    if (cchFolder + cchName + 1 > MAX_PATH) return false;
    lstrcpyW(out, folder);
    lstrcpyW(out + cchFolder, name);
    return true;
}

}  // namespace

bool QueryMonitorSetting(const MONITORINIT* init, LPCWSTR name, void* data, DWORD* cb, DWORD* type) {
    if (init == nullptr || init->pMonitorReg == nullptr || init->pMonitorReg->fpQueryValue == nullptr) return false;
    DWORD kind = REG_NONE;
    const LONG rc = init->pMonitorReg->fpQueryValue(init->hckRegistryRoot, name, &kind, static_cast<PBYTE>(data), cb,
                                                    init->hSpooler);
    if (rc != static_cast<LONG>(ERROR_SUCCESS)) return false;
    if (type != nullptr) *type = kind;
    return true;
}

void LoadEventLogSettings(const MONITORINIT* init) {
    EventLogState& state = State();
    if (!state.LockReady) {
        InitializeCriticalSection(&state.Lock);
        state.LockReady = true;
    }
    state.On = FALSE;
    state.Folder[0] = 0;
    state.ServiceLogPath[0] = 0;

    WCHAR folder[MAX_PATH] = {};
    DWORD cb = sizeof folder - sizeof(WCHAR);  // room for the terminator whatever the value holds
    DWORD type = REG_NONE;
    if (!QueryMonitorSetting(init, u"EventLogFolder", folder, &cb, &type) || type != REG_SZ) folder[0] = 0;
    folder[MAX_PATH - 1] = 0;
    if (folder[0] == 0) {
        const UINT cch = GetWindowsDirectoryW(folder, MAX_PATH);
        if (cch == 0 || cch >= MAX_PATH) folder[0] = 0;
    }
    int cch = lstrlenW(folder);
    if (cch == 0 || folder[cch - 1] != u'\\') {
        if (cch + 2 > MAX_PATH) return;  // no room for the separator: no folder, no log
        folder[cch++] = u'\\';
        folder[cch] = 0;
    }
    if (!JoinPath(folder, kServiceLogName, state.ServiceLogPath)) return;
    lstrcpyW(state.Folder, folder);

    DWORD on = 0;
    cb = sizeof on;
    if (QueryMonitorSetting(init, u"EventLog", &on, &cb, &type) && type == REG_DWORD && cb == sizeof on) {
        state.On = on != 0 ? TRUE : FALSE;
    }
}

void EndEventLog() {
    EventLogState& state = State();
    if (state.LockReady) DeleteCriticalSection(&state.Lock);
    state = EventLogState{};
}

DWORD ToAnsi(LPCWSTR text, LPSTR out, DWORD cbOut) {
    if (cbOut == 0) return 0;
    out[0] = 0;
    DWORD used = 0;
    // One character at a time, so that a character that does not fit is left out whole.
    for (const WCHAR* c = text; *c != 0; ++c) {
        CHAR bytes[8];
        const int cch = (*c >= 0xD800 && *c <= 0xDBFF && c[1] != 0) ? 2 : 1;
        const int n = WideCharToMultiByte(CP_ACP, 0, c, cch, bytes, sizeof bytes, nullptr, nullptr);
        if (n <= 0) break;
        if (used + static_cast<DWORD>(n) + 1 > cbOut) break;
        for (int i = 0; i < n; ++i) out[used++] = bytes[i];
        c += cch - 1;
    }
    out[used] = 0;
    return used;
}

bool WriteAtFileEnd(const void* bytes, DWORD cb, LPCWSTR file) {
    LastErrorKeeper keep;
    const HANDLE handle = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = SetFilePointer(handle, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                    WriteFile(handle, bytes, cb, &written, nullptr) && written == cb;
    CloseHandle(handle);
    return ok;
}

void EventLogLine(LPCWSTR message, EventType type) {
    const EventLogState& state = State();
    if (!state.On || state.Folder[0] == 0 || message == nullptr) return;
    LastErrorKeeper keep;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CHAR name[32];
    std::snprintf(name, sizeof name, "%04u%02u%02u.log", now.wYear, now.wMonth, now.wDay);
    WCHAR wideName[32];
    for (int i = 0; i < 32; ++i) wideName[i] = static_cast<WCHAR>(static_cast<unsigned char>(name[i]));
    WCHAR path[MAX_PATH];
    if (!JoinPath(state.Folder, wideName, path)) return;

    CHAR text[kLineMax];
    ToAnsi(message, text, sizeof text);
    CHAR line[kLineMax + 96];
    const int cb = std::snprintf(line, sizeof line, "%s,%04u/%02u/%02u,%02u:%02u:%02u,%s,%s\r\n", TypeWord(type),
                                 now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, kEventSource,
                                 text);
    if (cb <= 0) return;
    WriteAtFileEnd(line, static_cast<DWORD>(cb < static_cast<int>(sizeof line) ? cb : sizeof line - 1), path);
}

void ServiceLinkLog(LPCSTR format, ...) {
    EventLogState& state = State();
    if (!state.On || !state.LockReady || state.ServiceLogPath[0] == 0) return;
    LastErrorKeeper keep;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CHAR text[kLineMax];
    va_list args;
    va_start(args, format);
    const int cbText = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (cbText < 0) return;
    CHAR line[kLineMax + 32];
    const int cb = std::snprintf(line, sizeof line, "\r\n%4d/%02d/%02d %02d:%02d:%02d%s", now.wYear, now.wMonth,
                                 now.wDay, now.wHour, now.wMinute, now.wSecond, text);
    if (cb <= 0) return;
    EnterCriticalSection(&state.Lock);
    WriteAtFileEnd(line, static_cast<DWORD>(cb < static_cast<int>(sizeof line) ? cb : sizeof line - 1),
                   state.ServiceLogPath);
    LeaveCriticalSection(&state.Lock);
}

}  // namespace langmon
