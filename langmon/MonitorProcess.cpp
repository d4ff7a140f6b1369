// The monitor's process-wide state: made at process attach, ended at detach; the private heap
// and the process lock.
#include "langmon/MonitorProcess.h"

#include "langmon/log/EventLog.h"
#include "platform/Kernel.h"
#include "platform/Sync.h"

namespace langmon {
namespace {

MonitorProcess g_process{};

}  // namespace

MonitorProcess& Process() { return g_process; }

bool StartMonitorProcess(HMODULE module) {
    if (g_process.Started) return true;
    g_process.Heap = HeapCreate(0, 0x8000, 0);
    if (g_process.Heap == nullptr) return false;
    InitializeCriticalSection(&g_process.Lock);
    g_process.Ports = nullptr;
    g_process.Module = module;
    g_process.Started = true;
    return true;
}

void EndMonitorProcess() {
    if (!g_process.Started) return;
    EndEventLog();
    DeleteCriticalSection(&g_process.Lock);
    HeapDestroy(g_process.Heap);
    g_process = MonitorProcess{};
}

void* HeapAllocZero(size_t cb) {
    if (!g_process.Started) return nullptr;
    return HeapAlloc(g_process.Heap, HEAP_ZERO_MEMORY, cb);
}

void HeapFreeBlock(void* block) {
    if (block != nullptr && g_process.Started) HeapFree(g_process.Heap, 0, block);
}

LPWSTR HeapCopyString(LPCWSTR text, size_t maxChars) {
    if (text == nullptr) return nullptr;
    size_t cch = 0;
    while (cch <= maxChars && text[cch] != 0) ++cch;
    if (cch > maxChars) return nullptr;
    auto* copy = static_cast<LPWSTR>(HeapAllocZero((cch + 1) * sizeof(WCHAR)));
    if (copy == nullptr) return nullptr;
    for (size_t i = 0; i < cch; ++i) copy[i] = text[i];
    return copy;
}

ProcessLockHold::ProcessLockHold() {
    EnterCriticalSection(&g_process.Lock);
    ++g_process.LockDepth;
}

ProcessLockHold::~ProcessLockHold() {
    --g_process.LockDepth;
    LeaveCriticalSection(&g_process.Lock);
}

}  // namespace langmon
