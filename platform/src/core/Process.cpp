// Thread priorities (kept, never applied), program starts (recorded, never run) and GUIDs.
#include "platform/Process.h"

#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"

namespace {

// What GetCurrentThread answers: a value no table hands out.
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));
constexpr int kPriorityIdle = -15;
constexpr int kPriorityTimeCritical = 15;
constexpr UINT kWinExecStarted = 33;             // any value above 31 means started
constexpr size_t kMaxCommandLine = 32767;        // the platform's command-line limit
constexpr LONG kInvalidArgument = static_cast<LONG>(0x80070057u);

thread_local int threadPriority = THREAD_PRIORITY_NORMAL;

struct ProcessState {
    std::mutex lock;
    std::vector<std::string> commands;
    std::optional<GUID> nextGuid;
};

ProcessState& Global() {
    static ProcessState* state = new ProcessState();  // never destroyed: calls may come at exit
    return *state;
}

GUID RandomGuid() {
    static std::mutex lock;
    static std::mt19937_64 engine{std::random_device{}()};
    std::lock_guard<std::mutex> hold(lock);
    const uint64_t high = engine(), low = engine();
    GUID guid{};
    std::memcpy(&guid, &high, 8);
    std::memcpy(reinterpret_cast<BYTE*>(&guid) + 8, &low, 8);
    guid.Data3 = static_cast<WORD>((guid.Data3 & 0x0FFF) | 0x4000);          // version 4
    guid.Data4[0] = static_cast<BYTE>((guid.Data4[0] & 0x3F) | 0x80);          // RFC 4122 variant
    return guid;
}

}  // namespace

namespace standin {

void SetNextGuid(const GUID& guid) {
    ProcessState& s = Global();
    std::lock_guard<std::mutex> hold(s.lock);
    s.nextGuid = guid;
}

std::vector<std::string> ExecutedCommands() {
    ProcessState& s = Global();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.commands;
}

void ClearExecutedCommands() {
    ProcessState& s = Global();
    std::lock_guard<std::mutex> hold(s.lock);
    s.commands.clear();
}

}  // namespace standin

HANDLE GetCurrentThread() { return kCurrentThread; }

int GetThreadPriority(HANDLE thread) {
    if (thread != kCurrentThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    return threadPriority;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
    if (thread != kCurrentThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const bool valid = (priority >= -2 && priority <= 2) || priority == kPriorityIdle || priority == kPriorityTimeCritical;
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    threadPriority = priority;
    return TRUE;
}

UINT WinExec(LPCSTR commandLine, UINT /*showCommand*/) {
    if (commandLine == nullptr || commandLine[0] == '\0') return ERROR_FILE_NOT_FOUND;
    const size_t length = strnlen(commandLine, kMaxCommandLine + 1);
    if (length > kMaxCommandLine) return ERROR_FILE_NOT_FOUND;
    try {
        ProcessState& s = Global();
        std::lock_guard<std::mutex> hold(s.lock);
        s.commands.emplace_back(commandLine, length);
    } catch (const std::bad_alloc&) {
        return 0;  // the platform's answer for "out of resources"
    }
    return kWinExecStarted;
}

LONG CoCreateGuid(GUID* guid) {
    if (guid == nullptr) return kInvalidArgument;
    {
        ProcessState& s = Global();
        std::lock_guard<std::mutex> hold(s.lock);
        if (s.nextGuid) {
            *guid = *s.nextGuid;
            s.nextGuid.reset();
            return 0;
        }
    }
    *guid = RandomGuid();
    return 0;
}
