// Thread priorities, WinExec and CoCreateGuid, the latter reached as the driver does: through
// "ole32.dll" and GetProcAddress.
#include <cstring>
#include <thread>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Process.h"
#include "tests/support/TestRoot.h"

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

TEST(ThreadPriorityTest, EachThreadKeepsItsOwn) {
    ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST));
    int seenByOther = 99;
    int otherAfterSet = 99;
    std::thread([&] {
        seenByOther = GetThreadPriority(GetCurrentThread());
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        otherAfterSet = GetThreadPriority(GetCurrentThread());
    }).join();
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, seenByOther);
    EXPECT_EQ(THREAD_PRIORITY_HIGHEST, otherAfterSet);
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(GetCurrentThread()));
    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL));
}

TEST(ThreadPriorityTest, RefusesUnknownHandlesAndValues) {
    SetLastError(kSentinel);
    EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, GetThreadPriority(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SetThreadPriority(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x1234)), 0));
    SetLastError(kSentinel);
    EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), 7));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE));
    EXPECT_EQ(THREAD_PRIORITY_IDLE, GetThreadPriority(GetCurrentThread()));
    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL));
}

TEST(WinExecTest, RecordsCommandLinesAndRunsNothing) {
    standin::ClearExecutedCommands();
    const char* command = "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\KV416SP.EXE KV-TD520,C:\\jobs\\00001.prn";
    EXPECT_EQ(33u, WinExec(command, SW_SHOWNORMAL));
    EXPECT_EQ(33u, WinExec("second", SW_SHOWNORMAL));
    EXPECT_EQ(static_cast<UINT>(ERROR_FILE_NOT_FOUND), WinExec("", SW_SHOWNORMAL));
    EXPECT_EQ(static_cast<UINT>(ERROR_FILE_NOT_FOUND), WinExec(nullptr, SW_SHOWNORMAL));
    EXPECT_EQ((std::vector<std::string>{command, "second"}), standin::ExecutedCommands());
    standin::ClearExecutedCommands();
    EXPECT_TRUE(standin::ExecutedCommands().empty());
}

using CoCreateGuidProc = LONG (*)(GUID*);

class CoCreateGuidTest : public kvtest::StandInTest {
protected:
    // Loads ole32 by name and takes CoCreateGuid from it, as the rendering library does.
    CoCreateGuidProc Load() {
        module_ = LoadLibraryW(u"ole32.dll");
        if (module_ == nullptr) return nullptr;
        return reinterpret_cast<CoCreateGuidProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "CoCreateGuid")));
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
        StandInTest::TearDown();
    }
    HMODULE module_ = nullptr;
};

bool Same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(CoCreateGuidTest, QueuedGuidComesOnceThenRandomOnes) {
    CoCreateGuidProc create = Load();
    ASSERT_NE(nullptr, create);
    const GUID fixed{0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
    standin::SetNextGuid(fixed);
    GUID first{}, second{}, third{};
    EXPECT_EQ(0, create(&first));
    EXPECT_TRUE(Same(fixed, first));
    EXPECT_EQ(0, create(&second));
    EXPECT_EQ(0, create(&third));
    EXPECT_FALSE(Same(fixed, second));
    EXPECT_FALSE(Same(second, third));
    EXPECT_EQ(0x4000, second.Data3 & 0xF000);  // a random (version 4) GUID
    EXPECT_EQ(0x80, second.Data4[0] & 0xC0);
    EXPECT_NE(0, create(nullptr));
}

TEST_F(CoCreateGuidTest, MissingOle32IsALoadFailure) {
    standin::InjectFault(standin::Fault::LoadLibrary, ERROR_MOD_NOT_FOUND);
    SetLastError(kSentinel);
    EXPECT_EQ(nullptr, Load());
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_NE(nullptr, Load());  // the fault was for one call only
}

}  // namespace
