// The pool of a sheet: the settings library's block chain behind an anchor of its own, so
// that destroying the anchor frees the context and everything the sheet allocated.
#include "platform/Kernel.h"
#include "ui/entry/UiContext.h"

UiPool* UiPoolCreate() {
    return static_cast<UiPool*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(UiPool)));
}

void* UiPoolAlloc(UiPool* pool, SIZE_T cb) { return pool == nullptr ? nullptr : PoolAlloc(&pool->head, cb); }

void UiPoolFree(UiPool* pool, void* data) {
    if (pool != nullptr) PoolFree(&pool->head, data);
}

void UiPoolDestroy(UiPool* pool) {
    if (pool == nullptr) return;
    PoolFreeAll(&pool->head);
    GlobalFree(pool);
}
