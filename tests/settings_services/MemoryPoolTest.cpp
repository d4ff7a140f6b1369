// The pool: blocks linked at the head, freed one by one or all together.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "settings/MemoryPool.h"

namespace kvtest {
namespace {

std::vector<void*> ChainData(PoolBlock* head) {
    std::vector<void*> data;
    for (PoolBlock* block = head; block != nullptr; block = block->Next) data.push_back(block + 1);
    return data;
}

TEST(MemoryPool, AllocatesZeroedAlignedBlocksAtTheHead) {
    PoolBlock* head = nullptr;
    std::vector<void*> data;
    for (SIZE_T cb : {1u, 24u, 0u}) {
        void* block = PoolAlloc(&head, cb);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % sizeof(void*), 0u);
        for (SIZE_T i = 0; i < cb; ++i) EXPECT_EQ(static_cast<BYTE*>(block)[i], 0) << "byte " << i;
        data.insert(data.begin(), block);
    }
    EXPECT_EQ(ChainData(head), data);
    PoolFreeAll(&head);
    EXPECT_EQ(head, nullptr);
}

TEST(MemoryPool, FailedAllocationLeavesTheChain) {
    PoolBlock* head = nullptr;
    void* first = PoolAlloc(&head, 8);
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(PoolAlloc(&head, 8), nullptr);
    standin::ClearFaults();
    EXPECT_EQ(PoolAlloc(&head, SIZE_MAX), nullptr);
    EXPECT_EQ(ChainData(head), std::vector<void*>{first});
    PoolFreeAll(&head);
}

TEST(MemoryPool, FreeUnlinksOneBlockAndKeepsTheOrder) {
    struct Case {
        const char* Label;
        int Freed;  // position in the chain, -1 for a pointer that is not in it
    };
    const Case cases[] = {{"first", 0}, {"middle", 1}, {"last", 2}, {"unknown", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        PoolBlock* head = nullptr;
        for (int i = 0; i < 3; ++i) ASSERT_NE(PoolAlloc(&head, 16), nullptr);
        std::vector<void*> expected = ChainData(head);
        int unknown = 0;
        if (c.Freed >= 0) {
            void* freed = expected[static_cast<size_t>(c.Freed)];
            expected.erase(expected.begin() + c.Freed);
            PoolFree(&head, freed);
        } else {
            PoolFree(&head, &unknown);
        }
        EXPECT_EQ(ChainData(head), expected);
        PoolFreeAll(&head);
    }
}

TEST(MemoryPool, EmptyChainAndNullArguments) {
    PoolBlock* head = nullptr;
    int value = 0;
    PoolFree(&head, &value);
    PoolFree(nullptr, &value);
    PoolFreeAll(nullptr);
    PoolFreeAll(&head);
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(PoolAlloc(nullptr, 8), nullptr);
}

}  // namespace
}  // namespace kvtest
