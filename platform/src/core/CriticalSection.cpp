// Critical sections: recursive locks that the owning thread may enter repeatedly; other
// threads wait. Misuse (an uninitialised section, leaving one the thread does not hold)
// stops the process with a message, since the platform would corrupt the lock silently.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

#include "platform/Kernel.h"

namespace {

struct Section {
    std::recursive_mutex mutex;
    std::atomic<std::thread::id> owner{};
    unsigned depth = 0;  // touched only by the owner
};

[[noreturn]] void Misuse(const char* call, const char* what) noexcept {
    std::fprintf(stderr, "kvplatform: %s: %s\n", call, what);
    std::abort();
}

Section& SectionOf(LPCRITICAL_SECTION cs, const char* call) noexcept {
    if (cs == nullptr || cs->Impl == nullptr) Misuse(call, "critical section not initialised");
    return *static_cast<Section*>(cs->Impl);
}

void Entered(Section& s) noexcept {
    s.owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    ++s.depth;
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    if (cs == nullptr) Misuse("InitializeCriticalSection", "NULL critical section");
    cs->Impl = new (std::nothrow) Section();
    if (cs->Impl == nullptr) Misuse("InitializeCriticalSection", "out of memory");
}

void EnterCriticalSection(LPCRITICAL_SECTION cs) {
    Section& s = SectionOf(cs, "EnterCriticalSection");
    try {
        s.mutex.lock();
    } catch (...) {  // only when the recursion count overflows
        Misuse("EnterCriticalSection", "cannot lock");
    }
    Entered(s);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
    Section& s = SectionOf(cs, "TryEnterCriticalSection");
    if (!s.mutex.try_lock()) return FALSE;
    Entered(s);
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    Section& s = SectionOf(cs, "LeaveCriticalSection");
    if (s.owner.load(std::memory_order_relaxed) != std::this_thread::get_id() || s.depth == 0)
        Misuse("LeaveCriticalSection", "the calling thread does not own the critical section");
    if (--s.depth == 0) s.owner.store(std::thread::id(), std::memory_order_relaxed);
    s.mutex.unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    if (cs == nullptr || cs->Impl == nullptr) return;
    auto* s = static_cast<Section*>(cs->Impl);
    if (s->owner.load(std::memory_order_relaxed) != std::thread::id() &&
        s->owner.load(std::memory_order_relaxed) != std::this_thread::get_id())
        Misuse("DeleteCriticalSection", "another thread holds the critical section");
    // Deleting a section the caller still holds is allowed on the platform; release it first.
    while (s->depth > 0) {
        --s->depth;
        s->mutex.unlock();
    }
    delete s;
    cs->Impl = nullptr;
}
