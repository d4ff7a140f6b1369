// Global memory over the C heap. Only fixed memory exists here: the handle is the block's
// address (GMEM_MOVEABLE blocks are fixed too, so a handle never needs locking). A small
// header before each block holds its size; a set of live blocks lets GlobalFree and
// GlobalSize refuse a foreign or already freed pointer without reading through it. The set
// keeps each address inverted, so that a leak checker does not count a lost block as reached
// through it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "platform/Kernel.h"
#include "platform/src/core/StandInState.h"

namespace {

// Memory the caller did not ask to be zeroed gets this, so that code relying on zeroes it
// did not request fails the same way every time.
constexpr unsigned char kFreshFill = 0xCD;

struct alignas(std::max_align_t) Header {
    SIZE_T size;
};
static_assert(sizeof(Header) % alignof(std::max_align_t) == 0);

struct LiveBlocks {
    std::mutex lock;
    std::unordered_set<std::uintptr_t> blocks;  // ~address of each block
};

std::uintptr_t Key(const void* block) { return ~reinterpret_cast<std::uintptr_t>(block); }

LiveBlocks& Live() {
    static LiveBlocks* live = new LiveBlocks();  // never destroyed: blocks may be freed at exit
    return *live;
}

bool IsLive(HGLOBAL block) {
    LiveBlocks& live = Live();
    std::lock_guard<std::mutex> guard(live.lock);
    return live.blocks.count(Key(block)) != 0;
}

// False when the block was not ours (or already freed).
bool Forget(HGLOBAL block) {
    LiveBlocks& live = Live();
    std::lock_guard<std::mutex> guard(live.lock);
    return live.blocks.erase(Key(block)) != 0;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T cb) {
    DWORD error = 0;
    if (standin::state::ShouldFail(standin::Fault::GlobalAlloc, &error)) {
        SetLastError(error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // No object may be larger than PTRDIFF_MAX; asking the heap for more only invites trouble.
    if (cb > static_cast<SIZE_T>(PTRDIFF_MAX) - sizeof(Header)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const bool zero = (flags & GMEM_ZEROINIT) != 0;
    void* raw = zero ? std::calloc(1, sizeof(Header) + cb) : std::malloc(sizeof(Header) + cb);
    if (raw == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* header = static_cast<Header*>(raw);
    header->size = cb;
    if (!zero) std::memset(header + 1, kFreshFill, cb);
    try {
        LiveBlocks& live = Live();
        std::lock_guard<std::mutex> guard(live.lock);
        live.blocks.insert(Key(header + 1));
    } catch (const std::bad_alloc&) {
        std::free(raw);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return header + 1;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    if (block == nullptr) return nullptr;
    if (!Forget(block)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return block;
    }
    std::free(static_cast<Header*>(block) - 1);
    return nullptr;
}

SIZE_T GlobalSize(HGLOBAL block) {
    if (block == nullptr || !IsLive(block)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return (static_cast<const Header*>(block) - 1)->size;
}
