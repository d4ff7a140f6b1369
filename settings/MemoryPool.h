#pragma once
// A pool: a singly linked chain of GlobalAlloc blocks, each a link word followed by its
// data, owned by a device state or a UI context and freed block by block or all at once.
#include "platform/WinTypes.h"

struct PoolBlock {
    PoolBlock* Next;
};

/// A zero-filled block of cb data bytes linked in at the head; the data pointer (aligned to
/// a pointer), or NULL with the chain unchanged. The pool owns the block.
[[nodiscard]] void* PoolAlloc(PoolBlock** head, SIZE_T cb);
/// Unlinks and frees the block whose data pointer is data; nothing when it is not there.
void PoolFree(PoolBlock** head, void* data);
/// Frees every block of the chain and empties it.
void PoolFreeAll(PoolBlock** head);
