// Global memory: sizes, zero fill, refusal of pointers that are not live blocks, and the
// stand-in's injected allocation failures.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "tests/support/ChildProcess.h"
#include "tests/platform_kernel/KernelTestValues.h"
#include "tests/support/TestRoot.h"

namespace {

class GlobalMemoryTest : public kvtest::StandInTest {};

TEST_F(GlobalMemoryTest, ZeroFilledBlocksKnowTheirSize) {
    for (SIZE_T cb : {SIZE_T{0}, SIZE_T{1}, SIZE_T{17}, SIZE_T{4096}}) {
        SCOPED_TRACE(cb);
        HGLOBAL block = GlobalAlloc(GPTR, cb);
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(cb, GlobalSize(block));
        EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t));
        const auto* bytes = static_cast<const BYTE*>(block);
        EXPECT_EQ(std::vector<BYTE>(cb, 0), std::vector<BYTE>(bytes, bytes + cb));
        EXPECT_EQ(nullptr, GlobalFree(block));
    }
}

TEST_F(GlobalMemoryTest, FreeAndSizeRefuseWhatIsNotALiveBlock) {
    SetLastError(kSentinel);
    EXPECT_EQ(nullptr, GlobalFree(nullptr));  // harmless, and no error
    EXPECT_EQ(kSentinel, GetLastError());

    int onStack = 0;
    EXPECT_EQ(&onStack, GlobalFree(&onStack));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    SetLastError(kSentinel);
    EXPECT_EQ(0u, GlobalSize(&onStack));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(0u, GlobalSize(nullptr));

    HGLOBAL block = GlobalAlloc(GMEM_FIXED, 8);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(nullptr, GlobalFree(block));
    SetLastError(kSentinel);
    EXPECT_EQ(block, GlobalFree(block));  // a second free is refused, not done twice
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(GlobalMemoryTest, ImpossibleSizesFail) {
    for (SIZE_T cb : {SIZE_MAX, SIZE_MAX / 2 + 1}) {
        SetLastError(kSentinel);
        EXPECT_EQ(nullptr, GlobalAlloc(GPTR, cb));
        EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    }
}

TEST_F(GlobalMemoryTest, InjectedFailures) {
    struct Case {
        const char* name;
        DWORD injected;
        unsigned skip;
        unsigned count;
        std::vector<DWORD> outcomes;  // per call: 0 = a block, else the last error
    };
    const Case cases[] = {
        {"default error", 0, 0, 1, {ERROR_NOT_ENOUGH_MEMORY, 0}},
        {"chosen error after one success", ERROR_OUTOFMEMORY, 1, 1, {0, ERROR_OUTOFMEMORY, 0}},
        {"two in a row", ERROR_NOT_ENOUGH_MEMORY, 0, 2, {ERROR_NOT_ENOUGH_MEMORY, ERROR_NOT_ENOUGH_MEMORY, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ClearFaults();
        standin::InjectFault(standin::Fault::GlobalAlloc, c.injected, c.skip, c.count);
        for (DWORD expected : c.outcomes) {
            SetLastError(kSentinel);
            HGLOBAL block = GlobalAlloc(GPTR, 16);
            if (expected == 0) {
                EXPECT_NE(nullptr, block);
                EXPECT_EQ(kSentinel, GetLastError());
            } else {
                EXPECT_EQ(nullptr, block);
                EXPECT_EQ(expected, GetLastError());
            }
            GlobalFree(block);
        }
        EXPECT_EQ(c.outcomes.size(), standin::CallCount(standin::Fault::GlobalAlloc));
    }
}

#if defined(__SANITIZE_ADDRESS__)
// The leak checker sees a block that nobody frees: a process that loses one fails, and one
// that frees its blocks does not.
int AllocateAndMaybeLose(const std::vector<std::string>& args) {
    HGLOBAL block = GlobalAlloc(GPTR, 64);
    if (block == nullptr) return 2;
    if (args.empty() || args[0] != "lose") GlobalFree(block);
    block = nullptr;
    return 0;
}
const bool kLoseRegistered = kvtest::RegisterChildRoutine("allocate-and-maybe-lose", AllocateAndMaybeLose);

TEST_F(GlobalMemoryTest, ALostBlockFailsTheProcessUnderTheLeakChecker) {
    EXPECT_EQ(kvtest::RunInChildProcess("allocate-and-maybe-lose", {"free"}), 0);
    EXPECT_NE(kvtest::RunInChildProcess("allocate-and-maybe-lose", {"lose"}), 0);
}
#endif

}  // namespace
