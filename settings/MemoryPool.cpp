// The pool: GlobalAlloc blocks, each a link word followed by its data.
#include "settings/MemoryPool.h"

#include <cstdint>

#include "platform/Kernel.h"

namespace {

// The link word is pointer-sized, so data one word past a GlobalAlloc block start keeps
// the platform's pointer alignment.
static_assert(sizeof(PoolBlock) == sizeof(void*));

void* DataOf(PoolBlock* block) { return block + 1; }

}  // namespace

void* PoolAlloc(PoolBlock** head, SIZE_T cb) {
    if (head == nullptr || cb > SIZE_MAX - sizeof(PoolBlock)) return nullptr;
    auto* block = static_cast<PoolBlock*>(GlobalAlloc(GPTR, sizeof(PoolBlock) + cb));
    if (block == nullptr) return nullptr;
    block->Next = *head;
    *head = block;
    return DataOf(block);
}

void PoolFree(PoolBlock** head, void* data) {
    if (head == nullptr || *head == nullptr || data == nullptr) return;
    PoolBlock* previous = nullptr;
    for (PoolBlock* block = *head; block != nullptr; previous = block, block = block->Next) {
        if (DataOf(block) != data) continue;
        if (previous == nullptr) {
            *head = block->Next;
        } else {
            previous->Next = block->Next;
        }
        GlobalFree(block);
        return;
    }
}

void PoolFreeAll(PoolBlock** head) {
    if (head == nullptr) return;
    PoolBlock* block = *head;
    *head = nullptr;
    while (block != nullptr) {
        PoolBlock* next = block->Next;
        GlobalFree(block);
        block = next;
    }
}
