// The job-processing service's gate: the shared list of jobs it has already prepared, the
// offer of any other job with its two answer events, and the end-of-job notice.
#include "langmon/ServiceGate.h"

#include <cstdio>
#include <cstring>

#include "langmon/Monitor.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

constexpr WCHAR kListMutex[] = u"RN_FILEMAPPING_MUTEX";
constexpr WCHAR kListMapping[] = u"RN_JOBPROCESS_FILEMAPPING";
constexpr WCHAR kServiceClass[] = u"RnPJMService";
constexpr DWORD kListHeaderBytes = 8;
constexpr DWORD kListEntryBytes = 8;
// A count beyond this is not a list the service made: the gate does not read it.
constexpr DWORD kMaxListEntries = 65536;

using FindWindowProc = HWND (*)(LPCWSTR, LPCWSTR);
using PostMessageProc = BOOL (*)(HWND, UINT, WPARAM, LPARAM);
using AddAtomProc = ATOM (*)(LPCWSTR);
using DeleteAtomProc = ATOM (*)(ATOM);

// The window functions are looked up when needed: the monitor has no window of its own.
bool PostByWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    HMODULE user = GetModuleHandleW(u"user32.dll");
    if (user == nullptr) return false;
    auto find = reinterpret_cast<FindWindowProc>(reinterpret_cast<void (*)()>(GetProcAddress(user, "FindWindowW")));
    auto post = reinterpret_cast<PostMessageProc>(reinterpret_cast<void (*)()>(GetProcAddress(user, "PostMessageW")));
    if (find == nullptr || post == nullptr) return false;
    HWND window = find(kServiceClass, nullptr);
    return window != nullptr && post(window, message, wParam, lParam) != FALSE;
}

JobServicePoster g_poster = PostByWindow;

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() {
        if (h_ != nullptr) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

class View {
public:
    View(HANDLE mapping, DWORD cb) : p_(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, cb)) {}
    ~View() {
        if (p_ != nullptr) UnmapViewOfFile(p_);
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    const BYTE* get() const { return static_cast<const BYTE*>(p_); }

private:
    void* p_;
};

DWORD ReadDword(const BYTE* p) {
    DWORD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

enum class Listed { Yes, No, Unreadable };

// Reads the service's list under its mutex. The view is mapped for the header first, then
// for exactly the entries the header counts, so the read never passes the list's end.
Listed IsListed(PortContext& port, DWORD jobId) {
    Handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kListMutex));
    if (mutex.get() == nullptr) return Listed::Unreadable;
    const DWORD wait = WaitForSingleObject(mutex.get(), port.Waits.ServiceMutexMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED_0) return Listed::Unreadable;
    Listed result = Listed::Unreadable;
    {
        Handle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kListHeaderBytes,
                                          kListMapping));
        const bool existed = mapping.get() != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
        if (existed) {
            View header(mapping.get(), kListHeaderBytes);
            if (header.get() != nullptr) {
                const DWORD valid = ReadDword(header.get());
                const DWORD count = ReadDword(header.get() + 4);
                result = Listed::No;
                if (valid != 0 && count != 0 && count <= kMaxListEntries) {
                    View list(mapping.get(), kListHeaderBytes + count * kListEntryBytes);
                    if (list.get() == nullptr) {
                        result = Listed::Unreadable;
                    } else {
                        for (DWORD i = 0; i < count; ++i) {
                            if (ReadDword(list.get() + kListHeaderBytes + i * kListEntryBytes) == jobId) {
                                result = Listed::Yes;
                                break;
                            }
                        }
                    }
                }
            }
        }
    }
    ReleaseMutex(mutex.get());
    return result;
}

GateAnswer Offer(PortContext& port, DWORD jobId) {
    char name[32];
    WCHAR wide[32];
    auto eventName = [&](const char* prefix) {
        std::snprintf(name, sizeof name, "%s%lu", prefix, static_cast<unsigned long>(jobId));
        size_t i = 0;
        for (; name[i] != 0; ++i) wide[i] = static_cast<WCHAR>(name[i]);
        wide[i] = 0;
        return wide;
    };
    Handle over(CreateEventW(nullptr, FALSE, FALSE, eventName("RnLM_OVER")));
    Handle allow(CreateEventW(nullptr, FALSE, FALSE, eventName("RnLM_ALLOW")));
    if (over.get() == nullptr || allow.get() == nullptr) return GateAnswer::Unreachable;

    // The printer's name travels as a global atom when the platform has them.
    ATOM atom = 0;
    HMODULE kernel = GetModuleHandleW(u"kernel32.dll");
    auto addAtom = kernel != nullptr ? reinterpret_cast<AddAtomProc>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GlobalAddAtomW"))) : nullptr;
    auto deleteAtom =
        kernel != nullptr ? reinterpret_cast<DeleteAtomProc>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GlobalDeleteAtom"))) : nullptr;
    if (addAtom != nullptr && port.PrinterName != nullptr) atom = addAtom(port.PrinterName);

    GateAnswer answer = GateAnswer::Unreachable;
    if (g_poster(kJobServiceRestart, atom, static_cast<LPARAM>(jobId))) {
        HANDLE both[2] = {allow.get(), over.get()};
        const DWORD wait = WaitForMultipleObjects(2, both, FALSE, port.Waits.ServiceAnswerMs);
        if (wait == WAIT_OBJECT_0) answer = GateAnswer::Print;
        if (wait == WAIT_OBJECT_0 + 1) answer = GateAnswer::Refused;
    }
    if (atom != 0 && deleteAtom != nullptr) deleteAtom(atom);
    return answer;
}

}  // namespace

void SetJobServicePoster(JobServicePoster poster) { g_poster = poster != nullptr ? poster : PostByWindow; }

bool IsJobServiceInstalled(PortContext& port) {
    Handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kListMutex));
    port.ServiceInstalled = mutex.get() != nullptr ? 1 : 0;
    return port.ServiceInstalled != 0;
}

GateAnswer RNStartDoc(PortContext& port, DWORD jobId) {
    switch (IsListed(port, jobId)) {
        case Listed::Yes:
            return GateAnswer::Print;
        case Listed::No:
            return Offer(port, jobId);
        case Listed::Unreadable:
            break;
    }
    // A list that cannot be read is no refusal: the job waits in the spooler.
    return GateAnswer::Unreachable;
}

void RNEndDoc(PortContext&, DWORD jobId) { g_poster(kJobServiceEndDoc, 0, static_cast<LPARAM>(jobId)); }

}  // namespace langmon
