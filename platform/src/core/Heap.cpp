// Private heaps: a heap is a record of its blocks, so that HeapFree and HeapReAlloc refuse a
// block of another heap and HeapDestroy frees whatever is left. Heap handles are the records
// themselves, checked against the set of live heaps before use.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <unordered_map>

#include "platform/Kernel.h"
#include "platform/Sync.h"

namespace {

struct Heap {
    std::mutex lock;
    std::unordered_map<void*, SIZE_T> blocks;  // block -> its size in bytes
    SIZE_T maximum = 0;                        // 0: no limit
    SIZE_T used = 0;
    bool process = false;
};

struct Heaps {
    std::mutex lock;
    std::set<Heap*> live;
};

Heaps& AllHeaps() {
    static auto* heaps = new Heaps();  // never destroyed: blocks may be freed at exit
    return *heaps;
}

Heap* Find(HANDLE handle) {
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    auto* heap = static_cast<Heap*>(handle);
    return heaps.live.count(heap) != 0 ? heap : nullptr;
}

bool FitsLimit(const Heap& heap, SIZE_T oldSize, SIZE_T newSize) {
    return heap.maximum == 0 || heap.used - oldSize + newSize <= heap.maximum;
}

template <typename T>
T Fail(DWORD error, T result) {
    SetLastError(error);
    return result;
}

}  // namespace

PLATFORM_API HANDLE HeapCreate(DWORD, SIZE_T, SIZE_T maximumSize) {
    auto* heap = new (std::nothrow) Heap();
    if (heap == nullptr) return Fail<HANDLE>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    heap->maximum = maximumSize;
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    heaps.live.insert(heap);
    return heap;
}

PLATFORM_API HANDLE GetProcessHeap() {
    static HANDLE process = [] {
        HANDLE heap = HeapCreate(0, 0, 0);
        static_cast<Heap*>(heap)->process = true;
        return heap;
    }();
    return process;
}

PLATFORM_API BOOL HeapDestroy(HANDLE handle) {
    Heap* heap = Find(handle);
    if (heap == nullptr || heap->process) return Fail<BOOL>(ERROR_INVALID_HANDLE, FALSE);
    {
        Heaps& heaps = AllHeaps();
        std::lock_guard<std::mutex> guard(heaps.lock);
        heaps.live.erase(heap);
    }
    for (const auto& block : heap->blocks) std::free(block.first);
    delete heap;
    return TRUE;
}

PLATFORM_API LPVOID HeapAlloc(HANDLE handle, DWORD flags, SIZE_T cb) {
    Heap* heap = Find(handle);
    if (heap == nullptr) return Fail<LPVOID>(ERROR_INVALID_HANDLE, nullptr);
    std::lock_guard<std::mutex> guard(heap->lock);
    if (!FitsLimit(*heap, 0, cb)) return Fail<LPVOID>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    // A zero-byte block is still a distinct block.
    void* block = (flags & HEAP_ZERO_MEMORY) != 0 ? std::calloc(1, cb == 0 ? 1 : cb) : std::malloc(cb == 0 ? 1 : cb);
    if (block == nullptr) return Fail<LPVOID>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    heap->blocks[block] = cb;
    heap->used += cb;
    return block;
}

PLATFORM_API LPVOID HeapReAlloc(HANDLE handle, DWORD flags, LPVOID block, SIZE_T cb) {
    Heap* heap = Find(handle);
    if (heap == nullptr) return Fail<LPVOID>(ERROR_INVALID_HANDLE, nullptr);
    std::lock_guard<std::mutex> guard(heap->lock);
    auto it = heap->blocks.find(block);
    if (it == heap->blocks.end()) return Fail<LPVOID>(ERROR_INVALID_PARAMETER, nullptr);
    const SIZE_T oldSize = it->second;
    if (!FitsLimit(*heap, oldSize, cb)) return Fail<LPVOID>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    void* moved = block;
    if (cb > oldSize) {
        if ((flags & HEAP_REALLOC_IN_PLACE_ONLY) != 0) return Fail<LPVOID>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
        moved = std::realloc(block, cb);
        if (moved == nullptr) return Fail<LPVOID>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
        if ((flags & HEAP_ZERO_MEMORY) != 0) std::memset(static_cast<BYTE*>(moved) + oldSize, 0, cb - oldSize);
        heap->blocks.erase(it);
        heap->blocks[moved] = cb;
    } else {
        it->second = cb;  // shrinking keeps the block where it is
    }
    heap->used = heap->used - oldSize + cb;
    return moved;
}

PLATFORM_API BOOL HeapFree(HANDLE handle, DWORD, LPVOID block) {
    Heap* heap = Find(handle);
    if (heap == nullptr) return Fail<BOOL>(ERROR_INVALID_HANDLE, FALSE);
    if (block == nullptr) return TRUE;
    std::lock_guard<std::mutex> guard(heap->lock);
    auto it = heap->blocks.find(block);
    if (it == heap->blocks.end()) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
    heap->used -= it->second;
    heap->blocks.erase(it);
    std::free(block);
    return TRUE;
}

PLATFORM_API SIZE_T HeapSize(HANDLE handle, DWORD, LPCVOID block) {
    Heap* heap = Find(handle);
    if (heap == nullptr) return Fail<SIZE_T>(ERROR_INVALID_HANDLE, static_cast<SIZE_T>(-1));
    std::lock_guard<std::mutex> guard(heap->lock);
    auto it = heap->blocks.find(const_cast<LPVOID>(block));
    if (it == heap->blocks.end()) return Fail<SIZE_T>(ERROR_INVALID_PARAMETER, static_cast<SIZE_T>(-1));
    return it->second;
}
